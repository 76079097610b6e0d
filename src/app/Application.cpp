#include "Application.h"

#include <QMetaObject>

#include <new>

namespace dravik {

namespace {

std::function<void()> &OutOfMemoryReport() {
    static std::function<void()> report;
    return report;
}

} // namespace

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

void Application::setOutOfMemoryReport(std::function<void()> report) {
    OutOfMemoryReport() = std::move(report);
}

bool Application::notify(QObject *receiver, QEvent *event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc &) {
        reportOutOfMemory();
        return false;
    }
}

// Not from inside the failed event: a dialog there would run an event loop
// in the middle of a paint. Queued, and once however often it fails meanwhile.
void Application::reportOutOfMemory() {
    if (reportPending_ || !OutOfMemoryReport())
        return;
    reportPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            reportPending_ = false;
            if (OutOfMemoryReport())
                OutOfMemoryReport()();
        },
        Qt::QueuedConnection);
}

} // namespace dravik
