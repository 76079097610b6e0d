#include "CalcTestSupport.h"
#include "Simulation.h"

#include <QHash>
#include <QTest>

#include <algorithm>
#include <cmath>

using namespace dravik;
using namespace dravik::test;

namespace {

const char *const VbFields[] = {"EVb", "ESVb", "EVb2", "EFinalVb", "EVb_Vent_PG"};
const char *const PointLists[] = {"Datapoints1", "Datapoints2", "Datapoints3", "Datapoints4",
                                  "Datapoints5"};

// Parses the level of a "%.0f Hz: %.2f dB" line.
double LineLevel(const QString &line) {
    return ParseFieldText(line.section(QLatin1Char(' '), 2, 2));
}

} // namespace

class TestSimulation : public QObject {
    Q_OBJECT
private slots:
    void workedExampleFields_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");
        QTest::newRow("alpha") << "EAlfa"
                               << "0.94";
        QTest::newRow("ffs") << "Effs"
                             << "0.97";
        QTest::newRow("Sd") << "ESd"
                            << "18.47";
        QTest::newRow("SPL1W") << "ESPL"
                               << "94.27";
        QTest::newRow("PeakSPL") << "EPeakSPL"
                                 << "122.05";
        for (const char *f : VbFields)
            QTest::newRow(f) << f << "240.00";
        QTest::newRow("Fb not rewritten") << "EFb"
                                          << "22";
    }
    void workedExampleFields() {
        QFETCH(QString, field);
        QFETCH(QString, expected);
        CalcFixture t;
        SimulateVentedResponse(t.dp, t.r);
        QCOMPARE(t.store.text(field), expected);
    }

    void workedExamplePowers() {
        // Par = 3 F3^4 Vd^2 with F3 = 32.04 and Vd = 0.2642, and Per = Par / eta0
        // with eta0 = 0.0169: reference figures worked out by hand.
        CalcFixture t;
        SimulateVentedResponse(t.dp, t.r);
        QCOMPARE(t.text("EPar"), QStringLiteral("220690.03"));
        QCOMPARE(t.text("EPer"), QStringLiteral("13084808.50"));
        QCOMPARE(
            FormatFieldValue(ParseFieldText(t.text("EPar")) / ParseFieldText(t.text("EPer")), 4),
            QStringLiteral("0.0169"));
    }

    void workedExampleSummary() {
        CalcFixture t;
        SimulateVentedResponse(t.dp, t.r);
        const QStringList expected = {"dBpeak: -0.60", "Vb: 240.00", "Fb: 22.00",
                                      "F3dB: 32.04",   "Fs: 32.90",  "Vas: 226.00"};
        QCOMPARE(t.lines("ListBox2"), expected);
    }

    void workedExampleResponse_data() {
        QTest::addColumn<int>("hz");
        QTest::addColumn<QString>("level");
        QTest::newRow("10 Hz") << 10 << "-32.87";
        QTest::newRow("20 Hz") << 20 << "-9.83";
        QTest::newRow("25 Hz") << 25 << "-7.37";
        QTest::newRow("30 Hz") << 30 << "-6.08";
        QTest::newRow("50 Hz") << 50 << "-3.13";
        QTest::newRow("100 Hz") << 100 << "-0.95";
        QTest::newRow("250 Hz") << 250 << "-0.16";
    }
    void workedExampleResponse() {
        QFETCH(int, hz);
        QFETCH(QString, level);
        CalcFixture t;
        SimulateVentedResponse(t.dp, t.r);
        QCOMPARE(FormatFieldValue(t.r.SystemResponse[hz]), level);
        const int i = PointIndex(hz);
        QCOMPARE(t.lines("Datapoints3").at(i), FormatInteger(hz) + " Hz: " + level + " dB");
    }

    void levelAt100WattsLine() {
        CalcFixture t;
        SimulateVentedResponse(t.dp, t.r);
        QCOMPARE(t.lines("Datapoints4").at(PointIndex(25)), QStringLiteral("25 Hz: 112.63 dB"));
    }

    // The excursion-limited level SPLref + 10 log10 R(f) of the default driver
    // and box: reference figures worked out by hand (SPLref = 158.62 dB).
    void dataPointLists_data() {
        QTest::addColumn<int>("hz");
        QTest::addColumn<QString>("excursion");
        QTest::newRow("10") << 10 << "126.21";
        QTest::newRow("18") << 18 << "153.76";
        QTest::newRow("22") << 22 << "168.53";
        QTest::newRow("25") << 25 << "165.60";
        QTest::newRow("40") << 40 << "165.08";
        QTest::newRow("100") << 100 << "178.35";
        QTest::newRow("173") << 173 << "187.59";
        QTest::newRow("250") << 250 << "193.91";
    }
    void dataPointLists() {
        QFETCH(int, hz);
        QFETCH(QString, excursion);
        CalcFixture t;
        SimulateVentedResponse(t.dp, t.r);
        for (const char *list : PointLists)
            QCOMPARE(t.lines(list).size(), 241);
        const int i = PointIndex(hz);
        const double level = t.r.SystemResponse[hz];
        QCOMPARE(FormatFieldValue(t.r.ExcursionLimitSpl[hz]), excursion);
        QCOMPARE(t.lines("Datapoints1").at(i), PointLine(hz, t.r.ExcursionLimitSpl[hz]));
        // The level at PEmax: the response raised by PeakSPL (122.05 dB).
        const double thermal = LineLevel(t.lines("Datapoints2").at(i));
        QVERIFY2(std::fabs(thermal - level - 122.05) <= 0.0101,
                 qPrintable(QString::number(thermal)));
        QCOMPARE(t.lines("Datapoints4").at(i), PointLine(hz, level + 20 + 100));
        // The level reached: the lower of the two limits.
        QCOMPARE(t.lines("Datapoints5").at(i),
                 PointLine(hz, std::min(thermal, LineLevel(t.lines("Datapoints1").at(i)))));
    }

    void excursionLimitShape() {
        // Rises 12 dB per octave well above tuning, peaks at the port
        // resonance (22 Hz) and falls steeply below it.
        CalcFixture t;
        SimulateVentedResponse(t.dp, t.r);
        QVERIFY(std::fabs(t.r.ExcursionLimitSpl[240] - t.r.ExcursionLimitSpl[120] - 12.04) < 0.3);
        QVERIFY(t.r.ExcursionLimitSpl[22] > t.r.ExcursionLimitSpl[19]);
        QVERIFY(t.r.ExcursionLimitSpl[22] > t.r.ExcursionLimitSpl[26]);
        QVERIFY(t.r.ExcursionLimitSpl[10] < t.r.ExcursionLimitSpl[14] - 10.0);
    }

    void listBox1GrowsByOneLinePerPoint() {
        CalcFixture t;
        t.addLine("ListBox1", QStringLiteral("earlier"));
        SimulateVentedResponse(t.dp, t.r);
        SimulateVentedResponse(t.dp, t.r);
        const QStringList &lines = t.lines("ListBox1");
        QCOMPARE(lines.size(), 1 + 482);
        QCOMPARE(lines.at(0), QStringLiteral("earlier"));
        QCOMPARE(lines.at(1), QStringLiteral("dbmag: 10->-32.87"));
        QCOMPARE(lines.at(1 + 241), QStringLiteral("dbmag: 10->-32.87"));
        QCOMPARE(lines.at(241), QStringLiteral("dbmag: 250->-0.16"));
        QCOMPARE(lines.at(1 + 15), QStringLiteral("dbmag: 25->-7.37"));
    }

    void pointListsRebuiltEachRun() {
        CalcFixture t;
        for (const char *list : PointLists)
            t.addLine(list, QStringLiteral("stale"));
        SimulateVentedResponse(t.dp, t.r);
        SimulateVentedResponse(t.dp, t.r);
        for (const char *list : PointLists) {
            QCOMPARE(t.lines(list).size(), 241);
            QVERIFY(t.lines(list).first().startsWith(QStringLiteral("10 Hz: ")));
            QVERIFY(t.lines(list).last().startsWith(QStringLiteral("250 Hz: ")));
        }
    }

    void onlyTenTo250HzWritten() {
        CalcFixture t;
        MarkResponseArrays(t.r);
        SimulateVentedResponse(t.dp, t.r);
        for (int hz : {0, 9, 251, 300, 20001}) {
            QCOMPARE(t.r.SystemResponse[hz], Untouched);
            QCOMPARE(t.r.ExcursionLimitSpl[hz], Untouched);
        }
        QVERIFY(t.r.SystemResponse[10] != Untouched && t.r.SystemResponse[250] != Untouched);
        QVERIFY(t.r.ExcursionLimitSpl[10] != Untouched && t.r.ExcursionLimitSpl[250] != Untouched);
        for (int hz : {10, 25, 250}) {
            QCOMPARE(t.r.ThermalLimitSpl[hz], Untouched);
            QCOMPARE(t.r.ExcursionLimitPower[hz], Untouched);
        }
    }

    void zeroOrEmptyVb_data() {
        QTest::addColumn<QString>("vb");
        QTest::newRow("zero") << "0";
        QTest::newRow("empty") << "";
        QTest::newRow("blanks") << "   ";
        QTest::newRow("not a number") << "?";
    }
    void zeroOrEmptyVb() {
        QFETCH(QString, vb);
        CalcFixture t;
        t.set("EVb", vb);
        SimulateVentedResponse(t.dp, t.r);
        for (const char *f : VbFields)
            QCOMPARE(t.text(f), QStringLiteral("1.00"));
        QCOMPARE(t.lines("ListBox2").at(1), QStringLiteral("Vb: 1.00"));
        QCOMPARE(t.text("EAlfa"), QStringLiteral("226.00"));
        QCOMPARE(t.lines("LVent").at(0), QStringLiteral("Box volume:1.00 l"));
    }

    void otherZeroReplacements() {
        // Qts, Vas, Fs and Xmax of 0 run as 0.48, 100 l, 100 Hz and 3 mm.
        CalcFixture t;
        for (const char *f : {"EQts", "EVas", "EFs", "EXmax"})
            t.set(f, QStringLiteral("0"));
        SimulateVentedResponse(t.dp, t.r);
        QCOMPARE(t.lines("ListBox2").at(4), QStringLiteral("Fs: 100.00"));
        QCOMPARE(t.lines("ListBox2").at(5), QStringLiteral("Vas: 100.00"));
        QCOMPARE(t.text("EAlfa"), QStringLiteral("0.42")); // 100 l / 240 l
        // dBpeak = 20 log10(2.5 Qts alpha^0.3) with alpha = 100/240: -0.70 dB;
        // eta0 = 9.64e-10 100^3 100 / 0.46 = 20.96 %, 105.21 dB at 1 W.
        QCOMPARE(t.lines("ListBox2").at(0), QStringLiteral("dBpeak: -0.70"));
        QCOMPARE(t.text("ESPL"), QStringLiteral("105.21"));
    }

    void fbZeroFailsInTheVentCalculator() {
        CalcFixture t;
        t.set("EFb", QStringLiteral("0"));
        t.addLine("LVent", QStringLiteral("old"));
        QCOMPARE(FailureOf([&] { SimulateVentedResponse(t.dp, t.r); }), DivisionByZero);
        // The simulation ran with 1 Hz and finished its output...
        QCOMPARE(t.lines("ListBox2").at(2), QStringLiteral("Fb: 1.00"));
        for (const char *list : PointLists)
            QCOMPARE(t.lines(list).size(), 241);
        QCOMPARE(t.lines("ListBox1").size(), 241);
        QCOMPARE(t.text("EAlfa"), QStringLiteral("0.94"));
        // ...but the Fb field stays 0, and the vent calculator stopped on it
        // after clearing its list.
        QCOMPARE(t.text("EFb"), QStringLiteral("0"));
        QVERIFY(t.lines("LVent").isEmpty());
        QCOMPARE(t.writes("EVentLength"), 0);
        QCOMPARE(t.writes("ECalcVentOuterVolume"), 0);
    }

    void ventCalculatorRunsAtTheEnd() {
        CalcFixture t;
        SimulateVentedResponse(t.dp, t.r);
        QCOMPARE(t.text("EVentLength"), QStringLiteral("331.42"));
        QCOMPARE(t.lines("LVent").size(), 3);
    }

    void quietRun() {
        CalcFixture t;
        t.set("EVb", QStringLiteral("0"));
        t.addLine("ListBox1", QStringLiteral("crossover line"));
        t.addLine("ListBox2", QStringLiteral("summary line"));
        for (const char *list : PointLists)
            t.addLine(list, QStringLiteral("stale"));
        t.r.QuietSimulation = true;
        SimulateVentedResponse(t.dp, t.r);
        t.r.QuietSimulation = false;

        for (const char *f : {"EPer", "ESPL", "EPeakSPL", "EAlfa", "Effs"})
            QCOMPARE(t.writes(f), 0);
        QCOMPARE(t.lines("ListBox1"), QStringList{"crossover line"});
        QCOMPARE(t.lines("ListBox2"), QStringList{"summary line"});
        for (const char *list : PointLists)
            QVERIFY(t.lines(list).isEmpty());

        for (const char *f : VbFields)
            QCOMPARE(t.text(f), QStringLiteral("1.00"));
        QCOMPARE(t.text("ESd"), QStringLiteral("18.47"));
        QVERIFY(t.writes("EPar") > 0);
        QVERIFY(t.r.SystemResponse[25] < 0.0);
        QVERIFY(t.r.ExcursionLimitSpl[25] > 0.0);
        // The vent calculator does its own output as usual.
        QCOMPARE(t.lines("LVent").at(0), QStringLiteral("Box volume:1.00 l"));
    }

    void quietRunGivesTheSameArrays() {
        CalcFixture t;
        SimulateVentedResponse(t.dp, t.r);
        const ResponseArray loud = t.r.SystemResponse;
        const ResponseArray loudExcursion = t.r.ExcursionLimitSpl;
        const QString par = t.text("EPar");
        t.r = Responses{};
        t.r.QuietSimulation = true;
        SimulateVentedResponse(t.dp, t.r);
        t.r.QuietSimulation = false;
        QVERIFY(t.r.SystemResponse == loud);
        QVERIFY(t.r.ExcursionLimitSpl == loudExcursion);
        QCOMPARE(t.text("EPar"), par);
    }

    void peMaxZeroFailsOnlyWhenListing() {
        CalcFixture t;
        t.set("EPEmax", QStringLiteral("0"));
        t.r.QuietSimulation = true;
        QCOMPARE(FailureOf([&] { SimulateVentedResponse(t.dp, t.r); }), QString());
        t.r.QuietSimulation = false;
        QCOMPARE(FailureOf([&] { SimulateVentedResponse(t.dp, t.r); }), DivisionByZero);
    }

    // Each fault stops the run at its step: what was written before stays,
    // nothing after it is written.
    void failures_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QStringList>("notWritten");
        QTest::addColumn<bool>("pointListsCleared");
        const QStringList all = {"ESd", "EPar",  "EPer", "ESPL",       "EPeakSPL",
                                 "EVb", "EAlfa", "Effs", "EVentLength"};
        QTest::newRow("Vas negative: fractional power")
            << "EVas"
            << "-226" << InvalidOperation << QStringList{} << all << false;
        QTest::newRow("Vb negative: fractional power")
            << "EVb"
            << "-240" << InvalidOperation << QStringList{} << all << false;
        QTest::newRow("Diam 0: log of zero reference power")
            << "EDiam"
            << "0" << DivisionByZero << QStringList{"ESd"} << all.mid(1) << false;
        QTest::newRow("Qes 0: division")
            << "EQes"
            << "0" << DivisionByZero << QStringList{"ESd"} << all.mid(1) << false;
        QTest::newRow("Qes negative: log of negative efficiency")
            << "EQes"
            << "-0.46" << InvalidOperation << QStringList{"ESd"} << all.mid(1) << false;
        QTest::newRow("PEmax 0: log at the peak level")
            << "EPEmax"
            << "0" << DivisionByZero << QStringList{"ESd", "EPar", "EPer", "ESPL"} << all.mid(4)
            << false;
        QTest::newRow("PEmax negative")
            << "EPEmax"
            << "-600" << InvalidOperation << QStringList{"ESd", "EPar", "EPer", "ESPL"}
            << all.mid(4) << false;
        QTest::newRow("Fb 0: vent calculator")
            << "EFb"
            << "0" << DivisionByZero << all.mid(0, 8) << QStringList{"EVentLength"} << true;
    }
    void failures() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, message);
        QFETCH(QStringList, written);
        QFETCH(QStringList, notWritten);
        QFETCH(bool, pointListsCleared);
        CalcFixture t;
        MarkResponseArrays(t.r);
        t.addLine("ListBox2", QStringLiteral("before"));
        t.addLine("Datapoints1", QStringLiteral("before"));
        t.store.setText(field, value);
        QHash<QString, int> before;
        for (const QString &f : written + notWritten)
            before.insert(f, t.store.writes(f));
        QCOMPARE(FailureOf([&] { SimulateVentedResponse(t.dp, t.r); }), message);
        for (const QString &f : written)
            QVERIFY2(t.store.writes(f) > before.value(f), qPrintable(f));
        for (const QString &f : notWritten)
            QVERIFY2(t.store.writes(f) == before.value(f), qPrintable(f));
        if (pointListsCleared) {
            QCOMPARE(t.lines("Datapoints1").size(), 241);
            QVERIFY(t.r.SystemResponse[250] != Untouched);
        } else {
            QCOMPARE(t.lines("ListBox2"), QStringList{"before"});
            QCOMPARE(t.lines("Datapoints1"), QStringList{"before"});
            QVERIFY(t.lines("ListBox1").isEmpty());
            QCOMPARE(t.r.SystemResponse[10], Untouched);
            QCOMPARE(t.r.ExcursionLimitSpl[10], Untouched);
        }
    }

    void overflowInTheFrequencyLoop() {
        // A tiny Fs gets through the box figures but (f/Fs)^8 overflows at the
        // first frequency: the lists are already cleared, no point is stored.
        CalcFixture t;
        MarkResponseArrays(t.r);
        t.set("EFs", QStringLiteral("1e-40"));
        t.addLine("Datapoints3", QStringLiteral("before"));
        QCOMPARE(FailureOf([&] { SimulateVentedResponse(t.dp, t.r); }),
                 QStringLiteral("Floating point overflow"));
        // eta0 = 9.64e-10 (1e-40)^3 226 / 0.46 = 4.74e-127: -1151.25 dB at
        // 1 W, 27.78 dB more at 600 W.
        QCOMPARE(t.text("EPeakSPL"), QStringLiteral("-1123.46"));
        QCOMPARE(t.lines("ListBox2").size(), 6);
        QCOMPARE(t.text("EVb"), QStringLiteral("240.00"));
        for (const char *list : PointLists)
            QVERIFY(t.lines(list).isEmpty());
        QCOMPARE(t.r.SystemResponse[10], Untouched);
        QCOMPARE(t.r.ExcursionLimitSpl[10], Untouched);
        QVERIFY(t.lines("ListBox1").isEmpty());
        for (const char *f : {"EAlfa", "Effs", "EVentLength"})
            QCOMPARE(t.writes(f), 0);
    }

    void clearDatapointLists() {
        CalcFixture t;
        for (const char *list : PointLists)
            t.addLine(list, QStringLiteral("x"));
        t.addLine("ListBox1", QStringLiteral("kept"));
        t.addLine("ListBox2", QStringLiteral("kept"));
        ClearDatapointLists(t.dp);
        for (const char *list : PointLists)
            QVERIFY(t.lines(list).isEmpty());
        QCOMPARE(t.lines("ListBox1").size(), 1);
        QCOMPARE(t.lines("ListBox2").size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSimulation)
#include "tst_simulation.moc"
