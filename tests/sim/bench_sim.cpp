#include "AlignmentTables.h"
#include "Alignments.h"
#include "Analysis.h"
#include "CalcTestSupport.h"
#include "Simulation.h"

#include <QElapsedTimer>
#include <QTest>

using namespace dravik;
using namespace dravik::test;

// How long the calculations take on the field store alone (the window's own
// list widgets are measured with the window). A command must fit in one
// screen frame, 16 ms.
class BenchSim : public QObject {
    Q_OBJECT
private slots:
    void quietSimulation() {
        CalcFixture t;
        t.r.QuietSimulation = true;
        QElapsedTimer timer;
        timer.start();
        int runs = 0;
        QBENCHMARK {
            SimulateVentedResponse(t.dp, t.r);
            ++runs;
        }
        t.r.QuietSimulation = false;
        qInfo("quiet simulation: %.1f us per run", double(timer.nsecsElapsed()) / 1000.0 / runs);
    }

    void calculateFromVbAndFbAfter1000Runs() {
        CalcFixture t;
        for (int i = 0; i < 1000; ++i)
            SimulateVentedResponse(t.dp, t.r);
        QCOMPARE(t.lines("ListBox1").size(), 241000);
        QElapsedTimer timer;
        timer.start();
        int runs = 0;
        QBENCHMARK {
            CalculateFromVbAndFb(t.dp, t.r);
            ++runs;
        }
        qInfo("Calculate from Vb and Fb: %.1f us per command",
              double(timer.nsecsElapsed()) / 1000.0 / runs);
    }

    void optimizerWholeSearch() {
        CalcFixture t;
        t.set("ETargetDbmag", QStringLiteral("10")); // never reached: all 291 boxes
        QElapsedTimer timer;
        timer.start();
        int runs = 0;
        QBENCHMARK {
            RunSubwooferOptimizer(t.dp, t.r);
            ++runs;
        }
        QCOMPARE(t.text("EVb"), QStringLiteral("300.00"));
        qInfo("optimiser, 291 boxes and the final listing: %.1f us per command",
              double(timer.nsecsElapsed()) / 1000.0 / runs);
    }
};

QTEST_GUILESS_MAIN(BenchSim)
#include "bench_sim.moc"
