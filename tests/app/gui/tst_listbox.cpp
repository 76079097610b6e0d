#include "ListBox.h"

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
