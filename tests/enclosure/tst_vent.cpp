#include "CalcTestSupport.h"
#include "Vent.h"

#include <QTest>

using namespace dravik;
using namespace dravik::test;

namespace {
// Length per vent with the user's end correction, in cm, worked out here.
double LengthWithK(double vb, double fb, double dvMm, double vents, double k) {
    const double dv = dvMm / 10;
    return 23562.5 * dv * dv * vents / (fb * fb * vb) - k * dv;
}
// One vent with the fixed end correction 0.79, in cm.
double SingleVentLength(double vb, double fb, double dvMm) {
    const double dv = dvMm / 10;
    return 22700 * dv * dv / (fb * fb * vb) - 0.79 * dv;
}
} // namespace

class TestVent : public QObject {
    Q_OBJECT
private slots:
    // Vb 240, Fb 22, vent 152 mm, one vent, k 0.79, 1 mm wall, driver 485, Xmax 14.3.
    void workedExample_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");
        QTest::newRow("length") << "EVentLength"
                                << "331.42";
        QTest::newRow("area") << "ECalcVentArea"
                              << "181.46";
        QTest::newRow("inner volume") << "ECalcVentInnerVolume"
                                      << "6.01";
        QTest::newRow("outer volume") << "ECalcVentOuterVolume"
                                      << "6.09";
        QTest::newRow("Sd") << "ESd"
                            << "18.47";
        QTest::newRow("minimum vent") << "EMinVentArea"
                                      << "481.78";
    }
    void workedExample() {
        QFETCH(QString, field);
        QFETCH(QString, expected);
        CalcFixture t;
        ComputeVent(t.dp);
        QCOMPARE(t.store.text(field), expected);
    }

    void otherInformationLines_data() {
        QTest::addColumn<QString>("vents");
        QTest::addColumn<QString>("k");
        QTest::addColumn<QString>("lengthLine");
        QTest::newRow("one vent") << "1"
                                  << "0.79"
                                  << "Length with k: 34.86 cm";
        QTest::newRow("two vents") << "2"
                                   << "0.79"
                                   << "Length with k: 81.72 cm";
        QTest::newRow("k 0.6") << "1"
                               << "0.6"
                               << "Length with k: " +
                                      FormatFieldValue(LengthWithK(240, 22, 152, 1, 0.6)) + " cm";
        QTest::newRow("no vents") << "0"
                                  << "0.79"
                                  << "Length with k: -12.01 cm";
    }
    void otherInformationLines() {
        QFETCH(QString, vents);
        QFETCH(QString, k);
        QFETCH(QString, lengthLine);
        CalcFixture t;
        t.set("ENumOfVents", vents);
        t.set("EVent_k", k);
        t.addLine("LVent", QStringLiteral("old"));
        ComputeVent(t.dp);
        const QStringList expected = {"Box volume:240.00 l", "Box resonant freq: 22.00 hz",
                                      lengthLine};
        QCOMPARE(t.lines("LVent"), expected);
        // The field keeps the one-vent length with the fixed end correction.
        QCOMPARE(t.text("EVentLength"), QStringLiteral("331.42"));
    }

    void boxTooLargeGivesNegativeLengths() {
        CalcFixture t;
        t.set("EVb", QStringLiteral("1000"));
        ComputeVent(t.dp);
        QCOMPARE(t.text("EVentLength"), QStringLiteral("-11.72")); // -1.17 cm
        QVERIFY(t.text("ECalcVentInnerVolume").startsWith(QLatin1Char('-')));
        QVERIFY(t.text("ECalcVentOuterVolume").startsWith(QLatin1Char('-')));
        QCOMPARE(t.lines("LVent").at(2),
                 "Length with k: " + FormatFieldValue(LengthWithK(1000, 22, 152, 1, 0.79)) + " cm");
    }

    void wallThicknessOnlyChangesTheOuterVolume() {
        CalcFixture t;
        t.set("EVentMaterialThickness", QStringLiteral("0"));
        ComputeVent(t.dp);
        QCOMPARE(t.text("ECalcVentOuterVolume"), t.text("ECalcVentInnerVolume"));
        t.set("EVentMaterialThickness", QStringLiteral("10"));
        ComputeVent(t.dp);
        // Outer diameter 16.2 cm instead of 15.2 cm.
        QCOMPARE(t.text("ECalcVentOuterVolume"),
                 FormatFieldValue(M_PI * 8.1 * 8.1 * SingleVentLength(240, 22, 152) / 1000));
    }

    void noDriverSizeGivesNoMinimum() {
        CalcFixture t;
        t.set("EDiam", QStringLiteral("0"));
        ComputeVent(t.dp);
        QCOMPARE(t.text("ESd"), QStringLiteral("0.00"));
        QCOMPARE(t.text("EMinVentArea"), QStringLiteral("0.00"));
        QCOMPARE(t.text("EVentLength"), QStringLiteral("331.42"));
    }

    void failures_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("sdWritten");
        QTest::newRow("Vb 0") << "EVb"
                              << "0" << DivisionByZero << false;
        QTest::newRow("Fb 0") << "EFb"
                              << "0" << DivisionByZero << false;
        QTest::newRow("Fb empty") << "EFb"
                                  << "" << DivisionByZero << false;
        QTest::newRow("Fb negative: fourth root") << "EFb"
                                                  << "-22" << InvalidOperation << true;
    }
    void failures() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, message);
        QFETCH(bool, sdWritten);
        CalcFixture t;
        t.addLine("LVent", QStringLiteral("old"));
        t.store.setText(field, value);
        QCOMPARE(FailureOf([&] { ComputeVent(t.dp); }), message);
        QVERIFY(t.lines("LVent").isEmpty());
        QCOMPARE(t.writes("ESd") > 0, sdWritten);
        for (const char *f : {"ECalcVentOuterVolume", "ECalcVentInnerVolume", "ECalcVentArea",
                              "EVentLength", "EMinVentArea"})
            QCOMPARE(t.writes(f), 0);
    }
};

QTEST_GUILESS_MAIN(TestVent)
#include "tst_vent.moc"
