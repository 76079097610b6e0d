#include "Analysis.h"
#include "CalcTestSupport.h"
#include "Simulation.h"

#include <QTest>

#include <cmath>

using namespace dravik;
using namespace dravik::test;

namespace {

bool Near(const QString &text, double expected, double tolerance) {
    return std::fabs(ParseFieldText(text) - expected) <= tolerance;
}

} // namespace

class TestAnalysis : public QObject {
    Q_OBJECT
private slots:
    void workedExample_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");
        QTest::newRow("PeakSPL") << "EPeakSPL"
                                 << "122.05";
        QTest::newRow("dBmag 25") << "EdBmag25"
                                  << "-7.37";
        QTest::newRow("SPL 100 W") << "ESPL100W"
                                   << "112.63";
        QTest::newRow("recommended power") << "ERecPwr"
                                           << "300.00";
        QTest::newRow("recommended power result") << "ERecPwrResult"
                                                  << "117.40";
        QTest::newRow("one driver") << "ENumOfDrivers"
                                    << "1";
        QTest::newRow("SPL from the simulation") << "ESPL"
                                                 << "94.27";
        QTest::newRow("Sd from the vent calculator") << "ESd"
                                                     << "18.47";
    }
    void workedExample() {
        QFETCH(QString, field);
        QFETCH(QString, expected);
        CalcFixture t;
        t.set("E3dB", QStringLiteral("30"));
        t.set("ENumOfDrivers", QStringLiteral("3"));
        CalculateFromVbAndFb(t.dp, t.r);
        QCOMPARE(t.store.text(field), expected);
    }

    void workedExamplePowers() {
        // The power figures replace those the simulation wrote a moment earlier.
        // Worked by hand for the default driver, its diameter 485 read in
        // inches (12.319 m): Sd 119.19 m^2, Vd = Sd 14.3 mm = 1.70442 m^3,
        // Par = 3 F3^4 Vd^2 = 7,059,272 at F3 30 Hz, and Per = Par / eta0 with
        // eta0 = 1.6866 %.
        CalcFixture t;
        t.set("E3dB", QStringLiteral("30"));
        CalculateFromVbAndFb(t.dp, t.r);
        QVERIFY(Near(t.text("EPar"), 7059272.26, 0.02));
        QVERIFY(Near(t.text("EPer"), 418547350.35, 2.0));
        // Par grows with the fourth power of F3: twice F3, sixteen times Par.
        CalcFixture twice;
        twice.set("E3dB", QStringLiteral("60"));
        CalculateFromVbAndFb(twice.dp, twice.r);
        QVERIFY(Near(twice.text("EPar"), 16.0 * ParseFieldText(t.text("EPar")), 0.1));
        QCOMPARE(t.writes("EPar"), 2);
        QCOMPARE(t.writes("EPer"), 2);
        QCOMPARE(t.writes("EPeakSPL"), 2);
    }

    void noF3GivesNoPower() {
        CalcFixture t; // E3dB still shows its placeholder
        CalculateFromVbAndFb(t.dp, t.r);
        QCOMPARE(t.text("EPar"), QStringLiteral("0.00"));
        QCOMPARE(t.text("EPer"), QStringLiteral("0.00"));
    }

    void levelsAt25Hz_data() {
        QTest::addColumn<QString>("sens");
        QTest::addColumn<QString>("peMax");
        // 10 log10(PEmax / 2), and the default driver's 94.27 dB at 1 W
        // raised by 10 log10(PEmax), worked by hand.
        QTest::addColumn<double>("halfPowerDb");
        QTest::addColumn<QString>("peakSpl");
        QTest::newRow("default") << "100"
                                 << "600" << 24.7712 << "122.05";
        QTest::newRow("sens 87.5, 150 W") << "87.5"
                                          << "150" << 18.7506 << "116.03";
        QTest::newRow("sens 0, 1 W") << "0"
                                     << "1" << -3.0103 << "94.27";
    }
    void levelsAt25Hz() {
        QFETCH(QString, sens);
        QFETCH(QString, peMax);
        QFETCH(double, halfPowerDb);
        QFETCH(QString, peakSpl);
        CalcFixture t;
        t.set("ESens", sens);
        t.set("EPEmax", peMax);
        t.set("EVb", QStringLiteral("120"));
        t.set("EFb", QStringLiteral("30"));
        CalculateFromVbAndFb(t.dp, t.r);
        const double level = t.r.SystemResponse[25];
        const double s = ParseFieldText(sens);
        const double p = ParseFieldText(peMax);
        QCOMPARE(t.text("EdBmag25"), FormatFieldValue(level));
        // 100 W is 20 dB above 1 W, at the driver's sensitivity; half the
        // rated power is recommended.
        QVERIFY(Near(t.text("ESPL100W"), level + 20 + s, 0.0051));
        QVERIFY(Near(t.text("ERecPwr"), p / 2, 0.0051));
        QVERIFY(Near(t.text("ERecPwrResult"), halfPowerDb + level + s, 0.0051));
        QCOMPARE(t.text("EPeakSPL"), peakSpl);
    }

    void powerFiguresReadSystemResponse() {
        // Whatever the last calculation left in element 25.
        CalcFixture t;
        t.r.SystemResponse[25] = -3.456;
        ComputePowerFigures(t.dp, t.r);
        QCOMPARE(t.text("EdBmag25"), QStringLiteral("-3.46"));
        QCOMPARE(t.text("ESPL100W"), QStringLiteral("116.54"));
    }

    void qesZeroIsReplacedAndReported() {
        CalcFixture t;
        t.set("EQes", QStringLiteral("0"));
        t.addLine("ListBox2", QStringLiteral("summary"));
        ComputePowerFigures(t.dp, t.r);
        QCOMPARE(t.lines("ListBox2"), (QStringList{"summary", "Error"}));
        // Qes 1: eta0 0.7758 %, 90.90 dB at 1 W, 27.78 dB more at 600 W.
        QCOMPARE(t.text("EPeakSPL"), QStringLiteral("118.68"));
    }

    void powerFigureFailures_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("PEmax 0") << "EPEmax"
                                 << "0" << DivisionByZero;
        QTest::newRow("PEmax negative") << "EPEmax"
                                        << "-1" << InvalidOperation;
        QTest::newRow("Fs 0") << "EFs"
                              << "0" << DivisionByZero;
        QTest::newRow("Vas 0") << "EVas"
                               << "0" << DivisionByZero;
        QTest::newRow("Qes negative") << "EQes"
                                      << "-0.46" << InvalidOperation;
    }
    void powerFigureFailures() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, message);
        CalcFixture t;
        t.store.setText(field, value);
        QCOMPARE(FailureOf([&] { ComputePowerFigures(t.dp, t.r); }), message);
        for (const char *f : {"EPeakSPL", "EPar", "EPer", "EdBmag25", "ESPL100W"})
            QCOMPARE(t.writes(f), 0);
    }

    void recommendedPowerFailsAfterWritingThePower() {
        CalcFixture t;
        t.set("EPEmax", QStringLiteral("0"));
        QCOMPARE(FailureOf([&] { ComputeRecommendedPower(t.dp, t.r); }), DivisionByZero);
        QCOMPARE(t.text("ERecPwr"), QStringLiteral("0.00"));
        QCOMPARE(t.writes("ERecPwrResult"), 0);
    }

    // A failure ends the command at its step: later steps leave their fields alone.
    void commandFailures_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("listed");
        QTest::newRow("Qes 0 stops in the simulation") << "EQes"
                                                       << "0" << DivisionByZero << false;
        QTest::newRow("PEmax 0 stops at the peak level") << "EPEmax"
                                                         << "0" << DivisionByZero << false;
        QTest::newRow("Fb 0 stops in the vent calculator") << "EFb"
                                                           << "0" << DivisionByZero << true;
    }
    void commandFailures() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, message);
        QFETCH(bool, listed);
        CalcFixture t;
        t.set("ENumOfDrivers", QStringLiteral("3"));
        t.store.setText(field, value);
        QCOMPARE(FailureOf([&] { CalculateFromVbAndFb(t.dp, t.r); }), message);
        QCOMPARE(t.text("ENumOfDrivers"), QStringLiteral("3"));
        for (const char *f : {"EdBmag25", "ESPL100W", "ERecPwr", "ERecPwrResult"})
            QCOMPARE(t.writes(f), 0);
        QVERIFY(!t.lines("ListBox2").contains(QStringLiteral("Error")));
        QCOMPARE(t.lines("ListBox2").size(), listed ? 6 : 0);
    }
};

QTEST_GUILESS_MAIN(TestAnalysis)
#include "tst_analysis.moc"
