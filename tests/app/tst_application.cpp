// Out of memory in an event handler: reported as the program reports it in
// a command, once, after the event; the events after it are delivered.
#include "Application.h"

#include <QEvent>
#include <QTest>

#include <new>

namespace {

const QEvent::Type Failing = static_cast<QEvent::Type>(QEvent::User + 1);
const QEvent::Type Working = static_cast<QEvent::Type>(QEvent::User + 2);

// Runs out of memory on every failing event, as a chart's legend may.
class Receiver : public QObject {
public:
    int delivered = 0;
    bool event(QEvent *e) override {
        if (e->type() == Failing)
            throw std::bad_alloc();
        if (e->type() == Working) {
            ++delivered;
            return true;
        }
        return QObject::event(e);
    }
};

} // namespace

class TestApplication : public QObject {
    Q_OBJECT
private slots:
    void outOfMemoryInPostedEvents_data() {
        QTest::addColumn<int>("failures");
        QTest::newRow("one") << 1;
        QTest::newRow("a burst, reported once") << 50;
    }
    void outOfMemoryInPostedEvents() {
        QFETCH(int, failures);
        int reports = 0;
        bool reportInsideEvent = false;
        Receiver receiver;
        dravik::Application::setOutOfMemoryReport([&] {
            ++reports;
            reportInsideEvent = receiver.delivered == 0;
        });
        for (int i = 0; i < failures; ++i)
            QCoreApplication::postEvent(&receiver, new QEvent(Failing));
        QCoreApplication::postEvent(&receiver, new QEvent(Working));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(receiver.delivered, 1);
        QCOMPARE(reports, 1);
        QVERIFY(!reportInsideEvent); // after the queued events, not in one of them
        dravik::Application::setOutOfMemoryReport({});
    }

    // Without a report (before the program's dialogs exist) the failure is
    // still caught.
    void noReportYet() {
        dravik::Application::setOutOfMemoryReport({});
        Receiver receiver;
        QCoreApplication::postEvent(&receiver, new QEvent(Failing));
        QCoreApplication::postEvent(&receiver, new QEvent(Working));
        QCoreApplication::processEvents();
        QCOMPARE(receiver.delivered, 1);
    }
};

int main(int argc, char *argv[]) {
    dravik::Application app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
