#pragma once

#include <QApplication>

#include <functional>

namespace dravik {

// The program's QApplication. An event handler that runs out of memory (a
// paint, a layout or a posted event of the toolkit's own, such as a chart
// laying out a legend) is reported as a command that runs out of memory is,
// once the event has returned, and the program goes on; an exception left to
// the event loop would end it.
class Application : public QApplication {
public:
    Application(int &argc, char **argv);

    // What reports the failure: set by the program once its dialogs exist.
    // Failures that come before the report was shown are reported once.
    static void setOutOfMemoryReport(std::function<void()> report);

    bool notify(QObject *receiver, QEvent *event) override;

private:
    void reportOutOfMemory();

    bool reportPending_ = false;
};

} // namespace dravik
