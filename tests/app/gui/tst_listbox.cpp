#include "ListBox.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace dravik;

class TestListBox : public QObject {
    Q_OBJECT
private slots:
    void appendsAreBatched() {
        ListBox box(QStringLiteral("L"));
        QSignalSpy inserted(box.lines(), &QAbstractItemModel::rowsInserted);
        for (int i = 0; i < 241; ++i)
            box.lines()->append(QString::number(i));
        QCOMPARE(box.lines()->count(), 241);  // the lines are there at once
        QCOMPARE(box.lines()->rowCount(), 0); // the view hears of them in one batch
        box.lines()->flush();
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(box.lines()->rowCount(), 241);
        QCOMPARE(box.lines()->lineAt(240), QStringLiteral("240"));
    }

    // A list with a limit keeps the newest lines; the view hears of the lines
    // dropped and added in batches, and stays in step with the lines.
    void limitKeepsNewest_data() {
        QTest::addColumn<int>("maxLines");
        QTest::addColumn<QList<int>>("batches"); // lines added between two flushes
        QTest::addColumn<int>("first");          // number of the first line kept
        QTest::addColumn<int>("count");
        QTest::newRow("no limit") << 0 << QList<int>{30, 30} << 0 << 60;
        QTest::newRow("under the limit") << 10 << QList<int>{4, 4} << 0 << 8;
        QTest::newRow("up to the limit") << 10 << QList<int>{5, 5} << 0 << 10;
        QTest::newRow("past the limit") << 10 << QList<int>{5, 5, 3} << 3 << 10;
        QTest::newRow("one batch past it") << 10 << QList<int>{25} << 15 << 10;
        QTest::newRow("shown, then past it") << 10 << QList<int>{8, 12, 1} << 11 << 10;
    }
    void limitKeepsNewest() {
        QFETCH(int, maxLines);
        QFETCH(QList<int>, batches);
        QFETCH(int, first);
        QFETCH(int, count);
        ListBox box(QStringLiteral("L"));
        QAbstractItemModelTester tester(box.lines(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        box.lines()->setMaxLines(maxLines);
        int next = 0;
        for (int batch : batches) {
            for (int i = 0; i < batch; ++i)
                box.lines()->append(QString::number(next++));
            QVERIFY(maxLines == 0 || box.lines()->count() <= maxLines);
            box.lines()->flush();
            QCOMPARE(box.lines()->rowCount(), box.lines()->count());
        }
        QCOMPARE(box.lines()->count(), count);
        for (int i = 0; i < count; ++i) {
            QCOMPARE(box.lines()->lineAt(i), QString::number(first + i));
            QCOMPARE(box.lines()->data(box.lines()->index(i), Qt::DisplayRole).toString(),
                     QString::number(first + i));
        }
    }

    void flushOnEventLoop() {
        ListBox box(QStringLiteral("L"));
        box.lines()->append(QStringLiteral("a"));
        QTRY_COMPARE(box.lines()->rowCount(), 1);
    }

    void clearEmptiesAndDeselects() {
        ListBox box(QStringLiteral("L"));
        box.lines()->append(QStringLiteral("a"));
        box.lines()->append(QStringLiteral("b"));
        box.selectLine(1);
        QCOMPARE(box.selectedLine(), 1);
        box.lines()->clear();
        QCOMPARE(box.lines()->count(), 0);
        QCOMPARE(box.selectedLine(), -1);
    }

    void selection_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("selected");
        QTest::newRow("first") << 0 << 0;
        QTest::newRow("last") << 2 << 2;
        QTest::newRow("none") << -1 << -1;
        QTest::newRow("past the end") << 3 << -1;
    }
    void selection() {
        QFETCH(int, index);
        QFETCH(int, selected);
        ListBox box(QStringLiteral("L"));
        for (const char *l : {"a", "b", "c"})
            box.lines()->append(QLatin1String(l));
        box.selectLine(1);
        box.selectLine(index);
        QCOMPARE(box.selectedLine(), selected);
    }
};

QTEST_MAIN(TestListBox)
#include "tst_listbox.moc"
