#include "AlignmentTables.h"
#include "Alignments.h"
#include "Analysis.h"
#include "CalcTestSupport.h"
#include "Simulation.h"

#include <QTest>

#include <cmath>

using namespace dravik;
using namespace dravik::test;

namespace {

// A program with its alignment tables filled.
struct AlignmentFixture : CalcFixture {
    AlignmentTables tables;
    AlignmentFixture() { InitializeAlignmentTables(tables); }
};

// Runs the alignment called `name` on the fixture's program.
void RunAlignment(AlignmentFixture &t, const QString &name, const PlotRepaint &repaint) {
    if (name == QLatin1String("SBB4"))
        ComputeSBB4Alignment(t.dp, t.r, t.tables, repaint);
    else if (name == QLatin1String("SC4"))
        ComputeSC4Alignment(t.dp, t.r, t.tables, repaint);
    else if (name == QLatin1String("flat"))
        ComputeFlatAlignment(t.dp, t.r, repaint);
    else
        ComputeIdealAlignment(t.dp, t.r, repaint);
}

bool Near(double value, double expected, double tolerance) {
    return std::fabs(value - expected) <= tolerance;
}

} // namespace

class TestAlignments : public QObject {
    Q_OBJECT
private slots:
    // The default driver: Qts 0.38, Fs 32.9 Hz, Vas 226 l.
    void tabulatedAlignments_data() {
        QTest::addColumn<QString>("alignment");
        QTest::addColumn<QString>("vb");
        QTest::addColumn<QString>("fb");
        QTest::addColumn<QString>("f3");
        QTest::newRow("SBB4") << "SBB4"
                              << "150.67"
                              << "32.90"
                              << "39.48";
        QTest::newRow("SC4") << "SC4"
                             << "165.39"
                             << "34.54"
                             << "36.85";
    }
    void tabulatedAlignments() {
        QFETCH(QString, alignment);
        QFETCH(QString, vb);
        QFETCH(QString, fb);
        QFETCH(QString, f3);
        AlignmentFixture t;
        int repaints = 0;
        RunAlignment(t, alignment, [&] { ++repaints; });
        QCOMPARE(t.text("EVb"), vb);
        QCOMPARE(t.text("EFinalVb"), vb);
        QCOMPARE(t.text("EFb"), fb);
        QCOMPARE(t.text("ESFr"), fb);
        QCOMPARE(t.text("E3dB"), f3);
        // The simulation ran after the alignment: its summary replaced the
        // "alfa:" line, and it wrote alfa and ffs again.
        QCOMPARE(t.lines("ListBox2").size(), 6);
        QCOMPARE(t.lines("ListBox2").at(1), "Vb: " + vb);
        QCOMPARE(t.lines("ListBox2").at(2), "Fb: " + fb);
        QCOMPARE(t.writes("EAlfa"), 2);
        QCOMPARE(t.writes("Effs"), 2);
        QCOMPARE(t.lines("Datapoints3").size(), 241);
        QCOMPARE(t.lines("LVent").at(0), "Box volume:" + vb + " l");
        QCOMPARE(repaints, 0); // the command shows the plot afterwards
    }

    void sc4WritesTheTableRatiosFirst() {
        // The table's ffs 1.12 is written before the simulation rewrites it.
        AlignmentFixture t;
        t.set("EQes", QStringLiteral("0")); // stops the simulation right after Sd
        QCOMPARE(FailureOf([&] { ComputeSC4Alignment(t.dp, t.r, t.tables, {}); }), DivisionByZero);
        QCOMPARE(t.text("EAlfa"), QStringLiteral("1.37"));
        QCOMPARE(t.text("Effs"), QStringLiteral("1.12"));
        QCOMPARE(t.lines("ListBox2"), QStringList{"alfa:1.37"});
    }

    void sbb4UsesTheRowOfTheTruncatedQts() {
        AlignmentFixture t;
        t.set("EQts", QStringLiteral("0.405")); // the 0.40 row: alfa 1.4, ffs 1.1
        ComputeSBB4Alignment(t.dp, t.r, t.tables, {});
        QCOMPARE(t.text("EVb"), QStringLiteral("161.43")); // 226 l / 1.4
        QCOMPARE(t.text("EFb"), QStringLiteral("32.90"));
        QCOMPARE(t.text("E3dB"), QStringLiteral("36.19")); // 1.1 x 32.9 Hz
        QVERIFY(!t.lines("ListBox2").contains(QStringLiteral("Flat alignment calculated.")));
    }

    // The maximally flat box of the default driver (Vas 226 l, Fs 32.9 Hz),
    // worked by hand: Vb = 20 Qts^3.3 Vas, F3 = (Vas / Vb)^0.44 Fs.
    void fallBackToFlat_data() {
        QTest::addColumn<QString>("alignment");
        QTest::addColumn<QString>("qts");
        QTest::addColumn<QString>("vb");
        QTest::addColumn<QString>("f3");
        QTest::newRow("SBB4 Qts 0.5") << "SBB4"
                                      << "0.5"
                                      << "458.92"
                                      << "24.09";
        QTest::newRow("SC4 Qts 0.5") << "SC4"
                                     << "0.5"
                                     << "458.92"
                                     << "24.09";
        QTest::newRow("SC4 Qts 0.24") << "SC4"
                                      << "0.24"
                                      << "40.72"
                                      << "69.93";
        QTest::newRow("SBB4 Qts 0.41") << "SBB4"
                                       << "0.41"
                                       << "238.41"
                                       << "32.14";
        QTest::newRow("SBB4 Qts 0.19") << "SBB4"
                                       << "0.19"
                                       << "18.84"
                                       << "98.17";
    }
    void fallBackToFlat() {
        QFETCH(QString, alignment);
        QFETCH(QString, qts);
        QFETCH(QString, vb);
        QFETCH(QString, f3);
        AlignmentFixture t;
        t.set("EQts", qts);
        int repaints = 0;
        RunAlignment(t, alignment, [&] { ++repaints; });
        QCOMPARE(t.text("EVb"), vb);
        QCOMPARE(t.text("EFb"), QStringLiteral("32.90")); // tuned to Fs after all
        QCOMPARE(t.text("E3dB"), f3);
        const QStringList &lines = t.lines("ListBox2");
        QCOMPARE(lines.size(), 7);
        QCOMPARE(lines.at(1), "Vb: " + vb);
        QCOMPARE(lines.at(2), QStringLiteral("Fb: 32.90"));
        QCOMPARE(lines.last(), QStringLiteral("Flat alignment calculated."));
        QCOMPARE(repaints, 1);
        // The simulation had the last word on the response.
        QCOMPARE(t.lines("Datapoints3").at(PointIndex(20)), PointLine(20, t.r.SystemResponse[20]));
    }

    // With a Qts of 0 the fall-back's flat alignment fails at once, so its
    // first two lines stay in sight.
    void fallBackLines_data() {
        QTest::addColumn<QString>("alignment");
        QTest::addColumn<QString>("failure");
        QTest::newRow("SBB4") << "SBB4"
                              << "Can't calculate SBB4 alignment";
        QTest::newRow("SC4") << "SC4"
                             << "Can't calculate SC4 alignment";
    }
    void fallBackLines() {
        QFETCH(QString, alignment);
        QFETCH(QString, failure);
        AlignmentFixture t;
        t.set("EQts", QStringLiteral("0"));
        t.addLine("ListBox2", QStringLiteral("old"));
        QCOMPARE(FailureOf([&] { RunAlignment(t, alignment, {}); }), DivisionByZero);
        QCOMPARE(t.lines("ListBox2"), (QStringList{failure, QStringLiteral("Qts:0.00")}));
        QCOMPARE(t.writes("EVb"), 0);
        QCOMPARE(t.writes("EFb"), 0);
    }

    void flatAlignment() {
        AlignmentFixture t;
        MarkResponseArrays(t.r);
        ComputeFlatAlignment(t.dp, t.r, {});
        const QStringList expected = {"dBpeak: 0.07", "Vb: 185.53", "Fb: 34.98", "F3dB: 35.88"};
        QCOMPARE(t.lines("ListBox2"), expected);
        QCOMPARE(t.text("EVb"), QStringLiteral("185.53"));
        QCOMPARE(t.text("EVb_Vent_PG"), QStringLiteral("185.53"));
        QCOMPARE(t.text("EFb"), QStringLiteral("34.98"));
        QCOMPARE(t.text("E3dB"), QStringLiteral("35.88"));
        QCOMPARE(t.text("EAlfa"), QStringLiteral("1.22"));
        QCOMPARE(t.text("Effs"), QStringLiteral("1.09"));
        QVERIFY(Near(t.r.SystemResponse[20], -19.44, 0.01));
        QVERIFY(Near(t.r.SystemResponse[35], -3.10, 0.01));
        QVERIFY(Near(t.r.SystemResponse[100], -0.07, 0.01));
        // Only t.r.SystemResponse, and only 10 to 250 Hz.
        QCOMPARE(t.r.SystemResponse[9], Untouched);
        QCOMPARE(t.r.SystemResponse[251], Untouched);
        QVERIFY(t.r.SystemResponse[250] != Untouched);
        QCOMPARE(t.r.ExcursionLimitSpl[20], Untouched);
        // Power figures from the F3 just written, then the vent for the new box.
        QCOMPARE(t.text("EPeakSPL"), QStringLiteral("122.05"));
        QCOMPARE(t.text("EdBmag25"), FormatFieldValue(t.r.SystemResponse[25]));
        QCOMPARE(t.lines("LVent").at(0), QStringLiteral("Box volume:185.53 l"));
        QCOMPARE(t.lines("LVent").at(1), QStringLiteral("Box resonant freq: 34.98 hz"));
        // No simulation: its lists stay as they were.
        QVERIFY(t.lines("Datapoints1").isEmpty());
        QVERIFY(t.lines("ListBox1").isEmpty());
    }

    void idealAlignment() {
        AlignmentFixture t;
        ComputeIdealAlignment(t.dp, t.r, {});
        const QStringList expected = {"dBpeak: -0.27", "Vb: 210.95", "Fb: 33.01", "F3dB: 33.15"};
        QCOMPARE(t.lines("ListBox2"), expected);
        QCOMPARE(t.text("EVb"), QStringLiteral("210.95"));
        QCOMPARE(t.text("EFb"), QStringLiteral("33.01"));
        QCOMPARE(t.text("EAlfa"), QStringLiteral("1.07"));
        QCOMPARE(t.text("Effs"), QStringLiteral("1.01"));
        QCOMPARE(t.text("E3dB"), QStringLiteral("E3dB"));
        QCOMPARE(t.writes("E3dB"), 0);
        QCOMPARE(t.text("EPar"), QStringLiteral("0.00")); // no F3 in the field yet
        QCOMPARE(t.lines("LVent").at(0), QStringLiteral("Box volume:210.95 l"));
    }

    void idealKeepsTheF3OfTheLastAlignment() {
        AlignmentFixture t;
        ComputeFlatAlignment(t.dp, t.r, {});
        const QString par = t.text("EPar");
        ComputeIdealAlignment(t.dp, t.r, {});
        QCOMPARE(t.text("E3dB"), QStringLiteral("35.88"));
        QCOMPARE(t.text("EPar"), par);
    }

    void modelResponse() {
        // Tends to 0 dB far above Fs and falls 24 dB per octave far below Fb.
        AlignmentFixture t;
        MarkResponseArrays(t.r);
        ComputeVentedModelResponse(t.r.SystemResponse, 32.9, 34.98, 0.38, 226, 185.53);
        QVERIFY(Near(t.r.SystemResponse[250], 0.0, 0.1));
        QVERIFY(Near(t.r.SystemResponse[35], -3.10, 0.01));
        QCOMPARE(t.r.ThermalLimitSpl[20], Untouched);
        QCOMPARE(t.r.SystemResponse[251], Untouched);
        // The same driver scaled to Fs = Fb = 100 Hz: 10 and 20 Hz lie far below.
        ComputeVentedModelResponse(t.r.SystemResponse, 100, 100, 0.38, 226, 185.53);
        QVERIFY(Near(t.r.SystemResponse[10] - t.r.SystemResponse[20], -24.08, 0.1));
    }

    void repaintComesBetweenPowerFiguresAndVent_data() {
        QTest::addColumn<QString>("alignment");
        QTest::newRow("flat") << "flat";
        QTest::newRow("ideal") << "ideal";
    }
    void repaintComesBetweenPowerFiguresAndVent() {
        QFETCH(QString, alignment);
        AlignmentFixture t;
        int repaints = 0;
        int peakWrites = -1;
        int ventWrites = -1;
        double level20 = 0;
        RunAlignment(t, alignment, [&] {
            ++repaints;
            peakWrites = t.writes("EPeakSPL");
            ventWrites = t.writes("EVentLength");
            level20 = t.r.SystemResponse[20];
        });
        QCOMPARE(repaints, 1);
        QCOMPARE(peakWrites, 1);
        QCOMPARE(ventWrites, 0);
        QCOMPARE(level20, t.r.SystemResponse[20]);
        QCOMPARE(t.writes("EVentLength"), 1);
    }

    void formulaFailuresChangeNothing_data() {
        QTest::addColumn<QString>("alignment");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("message");
        QTest::newRow("flat Qts 0") << "flat"
                                    << "EQts" << DivisionByZero;
        QTest::newRow("flat Vas 0") << "flat"
                                    << "EVas" << InvalidOperation;
        QTest::newRow("ideal Qts 0") << "ideal"
                                     << "EQts" << DivisionByZero;
        QTest::newRow("ideal Vas 0") << "ideal"
                                     << "EVas" << InvalidOperation;
    }
    void formulaFailuresChangeNothing() {
        QFETCH(QString, alignment);
        QFETCH(QString, field);
        QFETCH(QString, message);
        AlignmentFixture t;
        MarkResponseArrays(t.r);
        t.store.setText(field, QStringLiteral("0"));
        t.addLine("ListBox2", QStringLiteral("old"));
        int repaints = 0;
        QCOMPARE(FailureOf([&] { RunAlignment(t, alignment, [&] { ++repaints; }); }), message);
        QCOMPARE(t.lines("ListBox2"), QStringList{"old"});
        for (const char *f :
             {"E3dB", "EVb", "EFb", "ESFr", "EAlfa", "Effs", "EPeakSPL", "ESd", "EVentLength"})
            QCOMPARE(t.writes(f), 0);
        QCOMPARE(t.r.SystemResponse[20], Untouched);
        QCOMPARE(repaints, 0);
    }

    void failureAfterTheFirstWriteKeepsWhatWasWritten() {
        // Fs 0 gets through the box formulas (Fb = F3 = 0) and fails in the
        // response model: the fields written before stay.
        AlignmentFixture t;
        t.set("EFs", QStringLiteral("0"));
        QCOMPARE(FailureOf([&] { ComputeFlatAlignment(t.dp, t.r, {}); }), InvalidOperation);
        QCOMPARE(t.text("E3dB"), QStringLiteral("0.00"));
        QCOMPARE(t.lines("ListBox2").size(), 4);
        QCOMPARE(t.text("EVb"), QStringLiteral("185.53"));
        QCOMPARE(t.text("EFb"), QStringLiteral("0.00"));
        QCOMPARE(t.writes("EAlfa"), 0);
    }

    // The optimiser: the smallest whole-litre box reaching the target at 20 Hz.
    void optimizer_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("vb");
        QTest::newRow("reached at once") << "-100"
                                         << "10.00";
        QTest::newRow("never reached") << "10"
                                       << "300.00";
    }
    void optimizer() {
        QFETCH(QString, target);
        QFETCH(QString, vb);
        AlignmentFixture t;
        t.set("ETargetDbmag", target);
        t.set("ETargetFb", QStringLiteral("25"));
        t.addLine("ListBox1", QStringLiteral("crossover"));
        RunSubwooferOptimizer(t.dp, t.r);
        QVERIFY(!t.r.QuietSimulation);
        QCOMPARE(t.text("EVb"), vb);
        QCOMPARE(t.text("EFinalVb"), vb);
        QCOMPARE(t.text("EFb"), QStringLiteral("25.00"));
        // Only the final simulation listed: one summary, one set of points.
        QCOMPARE(t.lines("ListBox2").size(), 6);
        QCOMPARE(t.lines("ListBox2").at(1), "Vb: " + vb);
        QCOMPARE(t.lines("ListBox1").size(), 1 + 241);
        QCOMPARE(t.lines("Datapoints5").size(), 241);
        QCOMPARE(t.writes("EAlfa"), 1);
        QCOMPARE(t.writes("EPeakSPL"), 1);
        QCOMPARE(t.lines("LVent").at(0), "Box volume:" + vb + " l");
    }

    void optimizerFindsTheSmallestBox() {
        AlignmentFixture t; // target -9 dB, tuning 22 Hz
        RunSubwooferOptimizer(t.dp, t.r);
        const double vb = ParseFieldText(t.text("EVb"));
        QVERIFY(vb > 10 && vb < 300);
        QVERIFY(t.r.SystemResponse[20] >= -9.0);
        // One litre less misses the target.
        t.dp.SetVb(vb - 1);
        SimulateVentedResponse(t.dp, t.r);
        QVERIFY(t.r.SystemResponse[20] < -9.0);
    }

    void optimizerSearchIsQuiet() {
        AlignmentFixture t;
        t.addLine("ListBox2", QStringLiteral("old"));
        t.set("ETargetDbmag", QStringLiteral("10"));
        t.r.QuietSimulation = true;
        OptimizeForSubwoofer(t.dp, t.r);
        t.r.QuietSimulation = false;
        QVERIFY(t.lines("ListBox2").isEmpty());
        QVERIFY(t.lines("ListBox1").isEmpty());
        QVERIFY(t.lines("Datapoints1").isEmpty());
        QCOMPARE(t.writes("EAlfa"), 0);
        QCOMPARE(t.text("EVb"), QStringLiteral("300.00"));
        QCOMPARE(t.text("EFb"), QStringLiteral("22.00"));
    }

    void quietFlagClearedAfterAFailedSearch_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("vb");
        QTest::newRow("Qes 0 in the simulation") << "EQes"
                                                 << "0"
                                                 << "10.00";
        QTest::newRow("tuning 0 in the vent calculator") << "ETargetFb"
                                                         << "0"
                                                         << "10.00";
        QTest::newRow("PEmax 0 only fails when listing") << "EPEmax"
                                                         << "0"
                                                         << "300.00";
    }
    void quietFlagClearedAfterAFailedSearch() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, vb);
        AlignmentFixture t;
        t.set("ETargetDbmag", QStringLiteral("10"));
        t.store.setText(field, value);
        QVERIFY(!FailureOf([&] { RunSubwooferOptimizer(t.dp, t.r); }).isEmpty());
        QVERIFY(!t.r.QuietSimulation);
        QCOMPARE(t.text("EVb"), vb);
        // The next "Calculate from Vb and Fb" lists in full.
        t.set("EQes", QStringLiteral("0.46"));
        t.set("EPEmax", QStringLiteral("600"));
        t.set("EFb", QStringLiteral("22"));
        CalculateFromVbAndFb(t.dp, t.r);
        QCOMPARE(t.lines("ListBox2").size(), 6);
        QCOMPARE(t.lines("Datapoints1").size(), 241);
        QCOMPARE(t.lines("ListBox1").size(), 241);
    }
};

QTEST_GUILESS_MAIN(TestAlignments)
#include "tst_alignments.moc"
