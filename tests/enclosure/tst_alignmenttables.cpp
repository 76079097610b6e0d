#include "AlignmentTables.h"
#include "NumberText.h"

#include <QTest>

#include <limits>

using namespace dravik;

class TestAlignmentTables : public QObject {
    Q_OBJECT
    AlignmentTables tables_;
    AlignmentTable &SBB4Table = tables_.SBB4Table;
    AlignmentTable &SC4Table = tables_.SC4Table;

    const AlignmentTable &TableNamed(const QString &name) const {
        return name == QLatin1String("SBB4") ? SBB4Table : SC4Table;
    }

private slots:
    void init() { InitializeAlignmentTables(tables_); }

    void findRow_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<double>("qts");
        QTest::addColumn<int>("row"); // -1: no row
        QTest::newRow("SBB4 0.38") << "SBB4" << 0.38 << 18;
        QTest::newRow("SC4 0.38") << "SC4" << 0.38 << 13;
        QTest::newRow("SBB4 0.387") << "SBB4" << 0.387 << 18;
        QTest::newRow("SBB4 0.29") << "SBB4" << 0.29 << 9;
        QTest::newRow("SC4 0.29") << "SC4" << 0.29 << 4;
        QTest::newRow("SBB4 0.295") << "SBB4" << 0.295 << 9;
        QTest::newRow("SC4 0.295") << "SC4" << 0.295 << 4;
        QTest::newRow("SBB4 0.39") << "SBB4" << 0.39 << 19;
        QTest::newRow("SBB4 0.40") << "SBB4" << 0.40 << 20;
        QTest::newRow("SBB4 0.409") << "SBB4" << 0.409 << 20;
        QTest::newRow("SBB4 0.41") << "SBB4" << 0.41 << -1;
        QTest::newRow("SC4 0.41") << "SC4" << 0.41 << 16;
        QTest::newRow("SBB4 0.199") << "SBB4" << 0.199 << -1;
        QTest::newRow("SC4 0.199") << "SC4" << 0.199 << -1;
        QTest::newRow("SBB4 0.2") << "SBB4" << 0.2 << 0;
        QTest::newRow("SBB4 0.24") << "SBB4" << 0.24 << 4;
        QTest::newRow("SC4 0.24") << "SC4" << 0.24 << -1;
        QTest::newRow("SC4 0.455") << "SC4" << 0.455 << 20;
        QTest::newRow("SC4 0.46") << "SC4" << 0.46 << -1;
        QTest::newRow("SBB4 0.57") << "SBB4" << 0.57 << -1;
        QTest::newRow("SC4 0.57") << "SC4" << 0.57 << -1;
        QTest::newRow("SBB4 0") << "SBB4" << 0.0 << -1;
        QTest::newRow("SBB4 -0.38") << "SBB4" << -0.38 << -1;
        QTest::newRow("SC4 -0.0") << "SC4" << -0.0 << -1;
        QTest::newRow("SC4 1e300") << "SC4" << 1e300 << -1;
        QTest::newRow("SBB4 1e-300") << "SBB4" << 1e-300 << -1;
        QTest::newRow("SBB4 NaN") << "SBB4" << std::numeric_limits<double>::quiet_NaN() << -1;
        QTest::newRow("SC4 infinity") << "SC4" << std::numeric_limits<double>::infinity() << -1;
        QTest::newRow("SC4 -infinity") << "SC4" << -std::numeric_limits<double>::infinity() << -1;
    }
    void findRow() {
        QFETCH(QString, table);
        QFETCH(double, qts);
        QFETCH(int, row);
        const std::optional<int> found = FindAlignmentRow(TableNamed(table), qts);
        QCOMPARE(found.value_or(-1), row);
    }

    // Every key as typed with two decimals selects its own row, also those
    // whose product with 100 falls just below the whole number in binary.
    void everyTypedKeySelectsItsRow_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("first");
        QTest::newRow("SBB4") << "SBB4" << 20;
        QTest::newRow("SC4") << "SC4" << 25;
    }
    void everyTypedKeySelectsItsRow() {
        QFETCH(QString, table);
        QFETCH(int, first);
        for (int row = 0; row <= 20; ++row) {
            const QString typed = QStringLiteral("0.") + QString::number(first + row);
            QCOMPARE(FindAlignmentRow(TableNamed(table), ParseFieldText(typed)).value_or(-1), row);
        }
    }

    void rowValues_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("row");
        QTest::addColumn<double>("qts");
        QTest::addColumn<double>("alfa");
        QTest::addColumn<double>("h");
        QTest::addColumn<double>("ffs");
        QTest::newRow("SBB4 0") << "SBB4" << 0 << 0.20 << 5.9 << 0.0 << 3.4;
        QTest::newRow("SBB4 9") << "SBB4" << 9 << 0.29 << 2.7 << 0.0 << 1.9;
        QTest::newRow("SBB4 18") << "SBB4" << 18 << 0.38 << 1.5 << 0.0 << 1.2;
        QTest::newRow("SBB4 19") << "SBB4" << 19 << 0.39 << 1.5 << 0.0 << 1.2;
        QTest::newRow("SBB4 20") << "SBB4" << 20 << 0.40 << 1.4 << 0.0 << 1.1;
        QTest::newRow("SC4 0") << "SC4" << 0 << 0.25 << 3.8961 << 1.0338 << 2.3949;
        QTest::newRow("SC4 7") << "SC4" << 7 << 0.32 << 2.3952 << 1.1086 << 1.5251;
        QTest::newRow("SC4 13") << "SC4" << 13 << 0.38 << 1.3665 << 1.0498 << 1.12;
        QTest::newRow("SC4 16") << "SC4" << 16 << 0.41 << 1.0070 << 0.9886 << 0.9777;
        QTest::newRow("SC4 20") << "SC4" << 20 << 0.45 << 0.6868 << 0.8992 << 0.8348;
    }
    void rowValues() {
        QFETCH(QString, table);
        QFETCH(int, row);
        QFETCH(double, qts);
        QFETCH(double, alfa);
        QFETCH(double, h);
        QFETCH(double, ffs);
        const AlignmentTable &t = TableNamed(table);
        QCOMPARE(t.Qts[row], qts);
        QCOMPARE(t.alfa[row], alfa);
        QCOMPARE(t.h[row], h);
        QCOMPARE(t.ffs[row], ffs);
    }

    void unusedRowsStayZero() {
        for (const AlignmentTable *t : {&SBB4Table, &SC4Table}) {
            for (int row = 21; row <= 100; ++row) {
                QCOMPARE(t->Qts[row], 0.0);
                QCOMPARE(t->alfa[row], 0.0);
                QCOMPARE(t->h[row], 0.0);
                QCOMPARE(t->ffs[row], 0.0);
            }
        }
        for (int row = 0; row <= 20; ++row)
            QCOMPARE(SBB4Table.h[row], 0.0);
    }

    void initializingAgainRestoresTheTables() {
        SC4Table.alfa[13] = 99.0;
        SBB4Table.Qts[50] = 0.5;
        InitializeAlignmentTables(tables_);
        QCOMPARE(SC4Table.alfa[13], 1.3665);
        QCOMPARE(SBB4Table.Qts[50], 0.0);
    }
};

QTEST_GUILESS_MAIN(TestAlignmentTables)
#include "tst_alignmenttables.moc"
