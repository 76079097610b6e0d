#include "CalcTestSupport.h"
#include "ClosedBox.h"

#include <QTest>

#include <cmath>

using namespace dravik;
using namespace dravik::test;

namespace {

// The default driver (Qts 0.38, Fs 32.9, Vas 226, Qes 0.46, PEmax 600) worked
// out here for a Qtot.
double Ratio(double qtot) {
    return (1 / 0.38) / (1 / qtot - 0.1);
}
double BoxVolume(double qtot) {
    return 226 / (Ratio(qtot) * Ratio(qtot) - 1);
}
const double PeakSpl = 10 * std::log10(600.0) + Spl1W(32.9, 226, 0.46);

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
        QCOMPARE(FormatFieldValue(Ratio(0.6), 4), QStringLiteral("1.6797"));
        QCOMPARE(FormatFieldValue(Ratio(0.6) * Ratio(0.6) - 1, 4), QStringLiteral("1.8215"));
        for (const char *f : VbFields)
            QCOMPARE(t.text(f), QStringLiteral("124.07"));
        QCOMPARE(t.text("EFb"), QStringLiteral("55.26"));
        QCOMPARE(t.text("ESFr"), QStringLiteral("55.26"));
        QCOMPARE(t.text("EPeakSPL"), QStringLiteral("122.05"));
        QCOMPARE(FormatFieldValue(Spl1W(32.9, 226, 0.46)), QStringLiteral("94.27"));
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
        QVERIFY(Near(t.r.ThermalLimitSpl[hz], t.r.SystemResponse[hz] + PeakSpl, 1e-9));
        QCOMPARE(FormatFieldValue(t.r.ThermalLimitSpl[hz] - t.r.SystemResponse[hz]),
                 QStringLiteral("122.05"));
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
        // Its ratio between two frequencies is that of M(f).
        const double fc = Ratio(0.6) * 32.9;
        auto m = [&](double f) {
            const double x = (f / fc) * (f / fc);
            return (x - 1) * (x - 1) + x / (0.6 * 0.6);
        };
        QVERIFY(
            Near(t.r.ExcursionLimitPower[10] / t.r.ExcursionLimitPower[100], m(10) / m(100), 1e-9));
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

    void qtotAtTheEdgesOfTheRange_data() {
        QTest::addColumn<double>("qtot");
        QTest::newRow("0.37: very large box") << 0.37;
        QTest::newRow("0.35: negative box") << 0.35;
        QTest::newRow("0.9") << 0.9;
    }
    void qtotAtTheEdgesOfTheRange() {
        QFETCH(double, qtot);
        CalcFixture t;
        t.set("ESQtot", FormatFieldValue(qtot));
        ComputeClosedBox(t.dp, t.r);
        QCOMPARE(t.text("EVb"), FormatFieldValue(BoxVolume(qtot)));
        QCOMPARE(t.text("EFb"), FormatFieldValue(Ratio(qtot) * 32.9));
        if (qtot == 0.37)
            QVERIFY(ParseFieldText(t.text("EVb")) > 10000);
        if (qtot == 0.35)
            QVERIFY(t.text("EVb").startsWith(QLatin1Char('-')));
    }

    void qesZeroFallsBackTo04() {
        CalcFixture t;
        t.set("EQes", QStringLiteral("0"));
        ComputeClosedBox(t.dp, t.r);
        QCOMPARE(t.text("EPeakSPL"),
                 FormatFieldValue(10 * std::log10(600.0) + Spl1W(32.9, 226, 0.4)));
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
        QCOMPARE(t.text("EVb"), FormatFieldValue(BoxVolume(20)));
        QVERIFY(t.text("EFb").startsWith(QLatin1Char('-')));
        QVERIFY(t.r.SystemResponse[10] != Untouched);
        QCOMPARE(t.r.ExcursionLimitSpl[10], Untouched);
        QCOMPARE(t.r.SystemResponse[11], Untouched);
    }
};

QTEST_GUILESS_MAIN(TestClosedBox)
#include "tst_closedbox.moc"
