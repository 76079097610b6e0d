#include "CalcTestSupport.h"
#include "ClosedBox.h"

#include <QTest>

#include <cmath>

using namespace dravik;
using namespace dravik::test;

namespace {

bool Near(double value, double expected, double tolerance) {
    return std::fabs(value - expected) <= tolerance;
}

const char *const VbFields[] = {"EVb", "ESVb", "EVb2", "EFinalVb", "EVb_Vent_PG"};

} // namespace

class TestClosedBox : public QObject {
    Q_OBJECT
private slots:
    void defaultDriverQtot06() {
        CalcFixture t;
        ComputeClosedBox(t.dp, t.r);
        // Worked example: r = Fc / Fs = 1.6797 and alfa = Vas / Vb = r^2 - 1 = 1.8215.
        for (const char *f : VbFields)
            QCOMPARE(t.text(f), QStringLiteral("124.07"));
        QCOMPARE(t.text("EFb"), QStringLiteral("55.26"));
        QCOMPARE(t.text("ESFr"), QStringLiteral("55.26"));
        QCOMPARE(t.text("EPeakSPL"), QStringLiteral("122.05"));
        // PeakSPL is SPLref = 94.27 dB raised by 10 log10(600 W).
        QCOMPARE(FormatFieldValue(t.r.ThermalLimitSpl[250] - t.r.SystemResponse[250] -
                                  10 * std::log10(600.0)),
                 QStringLiteral("94.27"));
    }

    void response_data() {
        QTest::addColumn<int>("hz");
        QTest::addColumn<double>("level");
        QTest::newRow("10 Hz") << 10 << -29.81;
        QTest::newRow("20 Hz") << 20 << -18.14;
        QTest::newRow("100 Hz") << 100 << -1.24;
    }
    void response() {
        QFETCH(int, hz);
        QFETCH(double, level);
        CalcFixture t;
        ComputeClosedBox(t.dp, t.r);
        QVERIFY2(Near(t.r.SystemResponse[hz], level, 0.01),
                 qPrintable(QString::number(t.r.SystemResponse[hz])));
        // The thermal limit is the response raised by PeakSPL, the same at every frequency.
        QCOMPARE(FormatFieldValue(t.r.ThermalLimitSpl[hz] - t.r.SystemResponse[hz]),
                 QStringLiteral("122.05"));
        QVERIFY(Near(t.r.ThermalLimitSpl[hz] - t.r.SystemResponse[hz],
                     t.r.ThermalLimitSpl[250] - t.r.SystemResponse[250], 1e-9));
    }

    void limitCurves() {
        CalcFixture t;
        ComputeClosedBox(t.dp, t.r);
        // The excursion limit rises 12 dB per octave.
        QVERIFY(Near(t.r.ExcursionLimitSpl[200] - t.r.ExcursionLimitSpl[100], 12.04, 0.01));
        QVERIFY(Near(t.r.ExcursionLimitSpl[40] - t.r.ExcursionLimitSpl[20], 12.04, 0.01));
        // The power that drives the cone to Xmax levels off below the
        // resonance and grows above it.
        QVERIFY(t.r.ExcursionLimitPower[250] > t.r.ExcursionLimitPower[100]);
        QVERIFY(t.r.ExcursionLimitPower[100] > t.r.ExcursionLimitPower[10]);
        // The three curves describe one driver: at every frequency the level
        // at the excursion limit lies above the level at PEmax (600 W) by the
        // power that reaches the excursion limit, in dB relative to PEmax.
        for (int f = 10; f <= 250; ++f)
            QVERIFY2(Near(t.r.ExcursionLimitSpl[f] - t.r.ThermalLimitSpl[f],
                          10 * std::log10(t.r.ExcursionLimitPower[f] / 600.0), 1e-9),
                     qPrintable(QString::number(f)));
    }

    void writesOnlyItsOwnOutputs() {
        CalcFixture t;
        MarkResponseArrays(t.r);
        t.addLine("ListBox2", QStringLiteral("kept"));
        t.addLine("LVent", QStringLiteral("kept"));
        ComputeClosedBox(t.dp, t.r);
        QCOMPARE(t.lines("ListBox2"), QStringList{"kept"});
        QCOMPARE(t.lines("LVent"), QStringList{"kept"});
        for (const char *f : {"EAlfa", "Effs", "E3dB", "EVentLength", "ESd", "EPar", "ESPL"})
            QCOMPARE(t.writes(f), 0);
        for (ResponseArray *a : {&t.r.SystemResponse, &t.r.ExcursionLimitSpl, &t.r.ThermalLimitSpl,
                                 &t.r.ExcursionLimitPower}) {
            QCOMPARE((*a)[9], Untouched);
            QCOMPARE((*a)[251], Untouched);
            QVERIFY((*a)[10] != Untouched);
            QVERIFY((*a)[250] != Untouched);
        }
    }

    // Reference figures for the default driver, worked out by hand from
    // r = (1 / Qts) / (1 / Qtot - 0.1), Vb = Vas / (r^2 - 1), Fc = r Fs.
    void qtotAtTheEdgesOfTheRange_data() {
        QTest::addColumn<double>("qtot");
        QTest::addColumn<QString>("vb");
        QTest::addColumn<QString>("fc");
        QTest::newRow("0.37: very large box") << 0.37 << "10128.84"
                                              << "33.27";
        QTest::newRow("0.35: negative box") << 0.35 << "-2539.08"
                                            << "31.40";
        QTest::newRow("0.6") << 0.6 << "124.07"
                             << "55.26";
        QTest::newRow("0.9") << 0.9 << "39.14"
                             << "85.63";
    }
    void qtotAtTheEdgesOfTheRange() {
        QFETCH(double, qtot);
        QFETCH(QString, vb);
        QFETCH(QString, fc);
        CalcFixture t;
        t.set("ESQtot", FormatFieldValue(qtot));
        ComputeClosedBox(t.dp, t.r);
        QCOMPARE(t.text("EVb"), vb);
        QCOMPARE(t.text("EFb"), fc);
        // Whatever Qtot, Vas / Vb = (Fc / Fs)^2 - 1 (to the fields' two decimals).
        const double r = ParseFieldText(t.text("EFb")) / 32.9;
        QVERIFY(Near(226 / ParseFieldText(t.text("EVb")), r * r - 1, 2e-3));
    }

    // With Qes 0 the efficiency uses 0.4: PeakSPL as with Qes 0.4 entered,
    // 10 log10(0.46 / 0.4) = 0.61 dB above the default driver's 122.05.
    void qesZeroFallsBackTo04() {
        CalcFixture t;
        t.set("EQes", QStringLiteral("0"));
        ComputeClosedBox(t.dp, t.r);
        QCOMPARE(t.text("EPeakSPL"), QStringLiteral("122.66"));
        CalcFixture entered;
        entered.set("EQes", QStringLiteral("0.4"));
        ComputeClosedBox(entered.dp, entered.r);
        QCOMPARE(entered.text("EPeakSPL"), t.text("EPeakSPL"));
    }

    // Every check before the first field write: nothing is written.
    void failuresBeforeAnyWrite_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("Qts 0") << "EQts"
                               << "0" << DivisionByZero;
        QTest::newRow("Qtot 0") << "ESQtot"
                                << "0" << DivisionByZero;
        QTest::newRow("Qtot 10") << "ESQtot"
                                 << "10" << DivisionByZero;
        QTest::newRow("alfa exactly 0") << "ESQtot"
                                        << "0.4761904761904762" << DivisionByZero;
        QTest::newRow("Vas 0") << "EVas"
                               << "0" << DivisionByZero;
        QTest::newRow("Fs 0") << "EFs"
                              << "0" << DivisionByZero;
        QTest::newRow("diameter 0") << "EDiam"
                                    << "0" << DivisionByZero;
        QTest::newRow("Xmax 0") << "EXmax"
                                << "0" << DivisionByZero;
        QTest::newRow("PEmax 0") << "EPEmax"
                                 << "0" << DivisionByZero;
        QTest::newRow("PEmax negative") << "EPEmax"
                                        << "-600" << InvalidOperation;
        QTest::newRow("Qes negative") << "EQes"
                                      << "-0.46" << InvalidOperation;
    }
    void failuresBeforeAnyWrite() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, message);
        CalcFixture t;
        MarkResponseArrays(t.r);
        if (field == QLatin1String("ESQtot") && value.startsWith(QLatin1String("0.47")))
            t.set("EQts", QStringLiteral("0.5")); // r = 1 exactly with this Qtot
        t.store.setText(field, value);
        QCOMPARE(FailureOf([&] { ComputeClosedBox(t.dp, t.r); }), message);
        for (const char *f : {"EPeakSPL", "EVb", "ESVb", "EFb", "ESFr"})
            QCOMPARE(t.writes(f), 0);
        QCOMPARE(t.r.SystemResponse[10], Untouched);
    }

    void failureInTheCurvesKeepsTheFields() {
        // From Qtot 10 on r is negative: the fields are written, then the
        // logarithm of f / Fc fails at the first frequency, after its level.
        CalcFixture t;
        MarkResponseArrays(t.r);
        t.set("ESQtot", QStringLiteral("20"));
        QCOMPARE(FailureOf([&] { ComputeClosedBox(t.dp, t.r); }), InvalidOperation);
        QCOMPARE(t.writes("EPeakSPL"), 1);
        QCOMPARE(t.text("EVb"), QStringLiteral("0.08"));
        QCOMPARE(t.text("EFb"), QStringLiteral("-1731.58"));
        QVERIFY(t.text("EFb").startsWith(QLatin1Char('-')));
        QVERIFY(t.r.SystemResponse[10] != Untouched);
        QCOMPARE(t.r.ExcursionLimitSpl[10], Untouched);
        QCOMPARE(t.r.SystemResponse[11], Untouched);
    }
};

QTEST_GUILESS_MAIN(TestClosedBox)
#include "tst_closedbox.moc"
