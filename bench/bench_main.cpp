// dravik-bench: latency of the program's commands through their real controls,
// offscreen, with the median and the 99th percentile of many runs, and the
// long-session and script-runner figures. Prints a report; the exit status
// says only whether every measured command did what it should (never whether
// a target was met).
#include "BenchSession.h"
#include "BenchStats.h"
#include "GeneratedDatabase.h"
#include "Overlays.h"

#include "ChartsForm.h"
#include "ChartsPresenter.h"
#include "CrossoverArrays.h"
#include "CurveFormats.h"
#include "DesignModel.h"
#include "DesignParameters.h"
#include "DesignReader.h"
#include "DriverDatabase.h"
#include "FilterFile.h"
#include "ImpedanceFit.h"
#include "MemoryFieldStore.h"
#include "NumberText.h"
#include "OutpFrm.h"
#include "PathEditor.h"
#include "PlotCanvas.h"
#include "PlotPainter.h"
#include "PlotSettings.h"
#include "Program.h"
#include "ResponseArrays.h"
#include "Simulation.h"
#include "SyntheticImpedance.h"
#include "ToolkitMessages.h"
#include "mainprg2.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextStream>
#include <QThread>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include <sys/resource.h>

using namespace dravik;
using namespace dravik::bench;

namespace {

constexpr double FrameMs = 16.0;
constexpr double StartUpMs = 300.0;
constexpr double LongSessionMiB = 200.0;
constexpr int LinesPerSimulation = 241;
constexpr int DatabaseRecords = 1000;
constexpr int ScriptCommands = 1000;

struct Options {
    int runs = 200;
    int longSession = 1000;
    int processRuns = 200;
    int scriptRuns = 10;
    QString shipped;
    QString runner;
    QString only; // runs only the measurements whose name holds this text

    bool wants(const QString &name) const {
        return only.isEmpty() || name.contains(only, Qt::CaseInsensitive);
    }
};

QTextStream &out() {
    static QTextStream stream(stdout);
    return stream;
}

// What the report collects besides the tables: the targets and any failure.
struct Findings {
    QStringList targets;
    QStringList failures;

    void target(bool met, const QString &what) {
        targets << (met ? QStringLiteral("met    ") : QStringLiteral("MISSED ")) + what;
    }
};

void printRow(const Samples &s, std::optional<double> first = std::nullopt) {
    QString row = tableRow(s);
    if (first)
        row += QStringLiteral("   (first in its session ") + millis(*first) + QStringLiteral(")");
    out() << row << '\n';
    out().flush();
}

void section(const QString &title) {
    out() << '\n' << title << '\n' << tableHeader() << '\n';
    out().flush();
}

// ------------------------------------------------------------ start-up

// Returns once the main window is shown and exposed on the (offscreen) screen.
void waitUntilShown(Program &program) {
    settle();
    QElapsedTimer deadline;
    deadline.start();
    const QWindow *handle = program.main().windowHandle();
    while ((!handle || !handle->isExposed()) && deadline.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        handle = program.main().windowHandle();
    }
}

double startOnce(BenchDialogs &dialogs) {
    QElapsedTimer clock;
    clock.start();
    auto program = std::make_unique<Program>(dialogs);
    program->start();
    waitUntilShown(*program);
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    program.reset();
    settle();
    return ms;
}

void benchStartUp(const Options &o, Findings &f) {
    if (!o.wants(QStringLiteral("start-up")))
        return;
    section(QStringLiteral("Start-up: Program created and started, main window shown"));
    BenchDialogs dialogs;
    Samples cold(QStringLiteral("start-up, cold (first in the process)"));
    cold.add(startOnce(dialogs));
    Samples warm(QStringLiteral("start-up, warm"));
    for (int i = 0; i < o.runs; ++i)
        warm.add(startOnce(dialogs));
    printRow(cold);
    printRow(warm);
    f.target(cold.max() <= StartUpMs,
             QStringLiteral("cold start-up within 300 ms: ") + millis(cold.max()) + " ms");
    f.target(warm.p99() <= StartUpMs,
             QStringLiteral("warm start-up p99 within 300 ms: ") + millis(warm.p99()) + " ms");
}

// ------------------------------------------------------------ commands

struct Command {
    QString label;
    std::function<void(Session &)> prepare;  // once, untimed
    std::function<void(Session &)> run;      // timed, followed by settle()
    std::function<void(Session &)> between;  // untimed, before each timed run
    std::function<QString(Session &)> check; // empty when the result is right
};

// A fresh program for each command, one untimed first run (the first showing
// of a window costs more; it is reported beside the figures), then the runs.
Samples benchCommand(const Command &c, int runs, std::vector<Samples> &all, Findings &f) {
    const QString workDir = QDir::currentPath(); // `prepare` may open another folder
    BenchDialogs dialogs;
    Session session(dialogs);
    if (c.prepare)
        c.prepare(session);
    settle();
    const double first = timed([&] { c.run(session); });
    Samples s(c.label);
    for (int i = 0; i < runs; ++i) {
        if (c.between) {
            c.between(session);
            settle();
        }
        s.add(timed([&] { c.run(session); }));
    }
    printRow(s, first);
    if (!dialogs.errors.isEmpty())
        f.failures << c.label + QStringLiteral(": error report \"") + dialogs.errors.front() + '"';
    if (c.check)
        if (const QString wrong = c.check(session); !wrong.isEmpty())
            f.failures << c.label + QStringLiteral(": ") + wrong;
    all.push_back(s);
    QDir::setCurrent(workDir);
    return s;
}

std::function<void(Session &)> click(const char *name) {
    return [name](Session &s) { s.click(name); };
}

std::function<QString(Session &)> expectText(const char *field, const QString &text) {
    return [field, text](Session &s) {
        const QString got = s.text(field);
        return got == text ? QString()
                           : QString::fromLatin1(field) + '=' + got + ", expected " + text;
    };
}

std::function<QString(Session &)> expectLines(const QString &window, const char *list, int n) {
    return [window, list, n](Session &s) {
        const int got = s.lineCount(window, list);
        return got == n
                   ? QString()
                   : QString::fromLatin1(list) + QStringLiteral(" holds ") + FormatInteger(got) +
                         QStringLiteral(" lines, expected ") + FormatInteger(n);
    };
}

// The generated 1,000-record database lies in this subfolder of the working
// directory, beside the shipped one.
const QString GeneratedFolder = QStringLiteral("generated");

int shippedRecords() {
    QFile header(QStringLiteral("spkdb.hdr"));
    return header.open(QIODevice::ReadOnly) ? header.readAll().trimmed().toInt() + 1 : -1;
}

std::vector<Command> commands() {
    const QString main = QStringLiteral("drvik");
    auto target = [](const char *level) {
        return [level](Session &s) { s.setText("ETargetDbmag", QLatin1String(level)); };
    };
    auto closeDatabase = [](Session &s) {
        s.clickIn(QStringLiteral("GETDRIVERForm"), "CancelButton");
    };
    std::vector<Command> list = {
        {"Calculate from Vb and Fb (Button1), with plot repaint",
         {},
         click("Button1"),
         {},
         expectText("EdBmag25", "-7.37")},
        {"Calculate SBB4 alignment (SBB4Button)",
         {},
         click("SBB4Button"),
         {},
         expectText("EVb", "150.67")},
        {"Calculate SC4 alignment (Button26)", {}, click("Button26"), {}, {}},
        {"Maximally flat alignment (CALCULATEMAXIMALLYFLATButton)",
         {},
         click("CALCULATEMAXIMALLYFLATButton"),
         {},
         {}},
        {"Ideal alignment (CALCULATEIDEALButton)", {}, click("CALCULATEIDEALButton"), {}, {}},
        {"Optimiser, target reached at 10 l (Button25)",
         target("-100"),
         click("Button25"),
         {},
         expectText("EVb", "10.00")},
        {"Optimiser, target never reached: 291 boxes (Button25)",
         target("100"),
         click("Button25"),
         {},
         expectText("EVb", "300.00")},
        {"Closed box from Qtot (Button2)", {}, click("Button2"), {}, {}},
        {"Dimensions (BCalcDimensions1)", {}, click("BCalcDimensions1"), {}, {}},
        {"Preset Quorvel 100 Hz (BUTTONQuorvel100)",
         {},
         click("BUTTONQuorvel100"),
         {},
         expectLines(main, "ListBox1", 1001)},
        {"Preset Quorvel 80 Hz (BUTTONQuorvel80)",
         {},
         click("BUTTONQuorvel80"),
         {},
         expectLines(main, "ListBox1", 1001)},
        {"Preset Quorvel 70 Hz (BUTTONQuorvel70)",
         {},
         click("BUTTONQuorvel70"),
         {},
         expectLines(main, "ListBox1", 1001)},
        {"Preset Pelmo 100/1 (BUTTONPelmo100_1)",
         {},
         click("BUTTONPelmo100_1"),
         {},
         expectLines(main, "ListBox1", 1001)},
        {"Save (Button17), 4137-line design file",
         [](Session &s) { s.setText("EDesignFile", QStringLiteral("bench.dgn")); },
         click("Button17"),
         {},
         [](Session &) {
             return QFile::exists(QStringLiteral("bench.dgn")) ? QString()
                                                               : QStringLiteral("no bench.dgn");
         }},
        {"Get Driver (GETDRIVERButton), the shipped database",
         {},
         click("GETDRIVERButton"),
         closeDatabase,
         expectLines(QStringLiteral("GETDRIVERForm"), "ListBox1", shippedRecords())},
        {"Get Driver (GETDRIVERButton), 1,000 records",
         [](Session &) { QDir::setCurrent(GeneratedFolder); }, click("GETDRIVERButton"),
         closeDatabase, expectLines(QStringLiteral("GETDRIVERForm"), "ListBox1", DatabaseRecords)},
    };
    return list;
}

void benchCommands(const Options &o, std::vector<Samples> &all, Findings &f) {
    section(QStringLiteral("Commands through their real controls (a fresh program for each)"));
    for (const Command &c : commands())
        if (o.wants(c.label))
            benchCommand(c, o.runs, all, f);
    if (!o.wants(QStringLiteral("plot window FormPaint alone")))
        return;

    // The plot window's drawing alone, with the last calculation's response.
    BenchDialogs dialogs;
    Session session(dialogs);
    session.click("Button1");
    settle();
    Samples paint(QStringLiteral("plot window FormPaint alone"));
    for (int i = 0; i < o.runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        session.program().plot().FormPaint();
        paint.add(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    printRow(paint);
    all.push_back(paint);
}

QString mib(long long kib) {
    return FormatFieldValue(static_cast<double>(kib) / 1024.0, 1);
}

// The plot window with five legend fields of 32,000 characters, new texts on
// every one of 1,000 redraws: the rendered-text cache is bounded in bytes.
void benchLongLegendTexts(const Options &o, Findings &f) {
    const QString label =
        QStringLiteral("1,000 redraws, five legend fields of 32,000 characters each");
    if (!o.wants(label))
        return;
    section(QStringLiteral("The plot with very long legend texts"));
    BenchDialogs dialogs;
    Session session(dialogs);
    session.click("Button1");
    settle();
    const long long peakBefore = residentKiB("VmHWM:");
    double ms = 0.0; // the redraws alone, not the typing
    for (int i = 0; i < 1000; ++i) {
        const QString text = FormatInteger(i) + QString(32000, QLatin1Char('8'));
        for (const char *field : {"ESPL100W", "ESPLRef", "ERecPwr", "ERecPwrResult", "EVentLength"})
            session.setText(field, text);
        QElapsedTimer clock;
        clock.start();
        session.program().plot().FormPaint();
        ms += static_cast<double>(clock.nsecsElapsed()) / 1e6;
    }
    const long long peak = residentKiB("VmHWM:");
    out() << label << ": " << millis(ms) << " ms in all; peak resident memory " << mib(peakBefore)
          << " MiB before, " << mib(peak) << " MiB after\n";
    f.target(static_cast<double>(peak) / 1024.0 <= 300.0 && ms <= 5000.0,
             label + QStringLiteral(" within 300 MB and 5 s: ") + mib(peak) +
                 QStringLiteral(" MiB, ") + millis(ms) + QStringLiteral(" ms"));
}

// The arithmetic floor: one 241-point simulation over fields in memory.
void benchBareSimulation(const Options &o, std::vector<Samples> &all) {
    if (!o.wants(QStringLiteral("bare SimulateVentedResponse")))
        return;
    test::MemoryFieldStore store;
    DesignParameters design(store);
    const auto responses = std::make_unique<Responses>();
    Samples bare(QStringLiteral("bare SimulateVentedResponse, no widgets (floor)"));
    for (int i = 0; i < o.runs; ++i) {
        store.clearLines(QStringLiteral("ListBox1"));
        QElapsedTimer clock;
        clock.start();
        SimulateVentedResponse(design, *responses);
        bare.add(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    printRow(bare);
    all.push_back(bare);
}

// ------------------------------------------------------------ design charts

// Every command again, with the Design Charts window open: the command then
// also reads the design afresh and redraws the six charts.
void benchCommandsWithCharts(const Options &o, std::vector<Samples> &all, Findings &f,
                             int overlays) {
    const QString suffix = overlays == 0 ? QStringLiteral(", Design Charts visible")
                                         : QStringLiteral(", Design Charts with 8 overlays");
    bool headed = false;
    std::vector<Command> list = commands();
    // A command that changes the design every time, so that every run
    // computes and draws the charts anew (a repeated command reads the same
    // design and draws nothing).
    list.push_back(
        {"Calculate from Vb and Fb (Button1), a new Vb every run",
         {},
         click("Button1"),
         [n = 0](Session &s) mutable { s.setText("EVb", FormatInteger(200 + (n++ % 100))); },
         {}});
    for (Command c : list) {
        c.label += suffix;
        if (!o.wants(c.label))
            continue;
        if (!headed)
            section(overlays == 0 ? QStringLiteral("Commands with the Design Charts window open")
                                  : QStringLiteral("Commands with 8 overlays on the charts"));
        headed = true;
        const auto prepare = c.prepare;
        c.prepare = [prepare, overlays](Session &s) {
            s.trigger("DesignCharts1");
            // Eight different boxes pinned, then the start-up box again.
            for (int i = 0; i < overlays; ++i) {
                s.setText("EVb", FormatInteger(100 + 20 * i));
                s.click("Button1");
                s.clickIn(QStringLiteral("ChartsForm"), "PinButton");
            }
            s.setText("EVb", QStringLiteral("240"));
            if (prepare)
                prepare(s);
        };
        const auto check = c.check;
        c.check = [check, overlays](Session &s) {
            const TChartsForm &charts = s.program().charts();
            if (charts.curves().splDb.empty())
                return QStringLiteral("the charts were not computed");
            if (charts.overlays().all().size() != size_t(overlays))
                return QStringLiteral("the overlays are missing");
            return check ? check(s) : QString();
        };
        benchCommand(c, o.runs, all, f);
    }
}

// The heaviest command again with the whole signal path in the window: 8
// filters, a rated amplifier, a room of about 2,000 modes (its placement
// view in front, so the nine places are computed with every command) and
// 8 overlays pinned in that room.
void benchSystemCommand(const Options &o, std::vector<Samples> &all, Findings &f) {
    Command c{QStringLiteral("Calculate from Vb and Fb (Button1), a new Vb every run, 8 filters, "
                             "an amplifier, a room with its placement view, 8 overlays"),
              {},
              click("Button1"),
              [n = 0](Session &s) mutable { s.setText("EVb", FormatInteger(200 + (n++ % 100))); },
              {}};
    if (!o.wants(c.label))
        return;
    section(QStringLiteral("The signal chain, the amplifier and a room"));
    c.prepare = [](Session &s) {
        s.trigger("DesignCharts1");
        TChartsForm &charts = s.program().charts();
        const auto edit = [&](const char *name, const QString &text) {
            charts.findChild<QLineEdit *>(QLatin1String(name))->setText(text);
        };
        const auto choose = [&](const char *name) {
            charts.findChild<QRadioButton *>(QLatin1String(name))->setChecked(true);
        };
        const char *types[] = {"HighPassChoice", "LowPassChoice",  "LinkwitzTransformChoice",
                               "PeakingChoice",  "LowShelfChoice", "HighShelfChoice",
                               "GainChoice",     "HighPassChoice"};
        const char *frequencies[] = {"15", "90", "30", "45", "35", "70", "20", "12"};
        for (int i = 0; i < MaxFilters; ++i) {
            choose(types[i]);
            choose(i == 7 ? "BesselChoice" : "ButterworthChoice");
            edit("EFilterOrder", i == 7 ? QStringLiteral("4") : QStringLiteral("8"));
            edit("EFilterFrequency", QLatin1String(frequencies[i]));
            edit("EFilterGain", QStringLiteral("-3"));
            s.clickIn(QStringLiteral("ChartsForm"), "AddFilterButton");
        }
        edit("EAmpRatedPower", QStringLiteral("1000"));
        edit("EAmpRatedLoad", QStringLiteral("4"));
        edit("EAmpCurrentLimit", QStringLiteral("20"));
        choose("RoomChoice");
        const std::pair<const char *, const char *> room[] = {
            {"ERoomLength", "8.2"}, {"ERoomWidth", "5.8"}, {"ERoomHeight", "3"},
            {"ERoomT60", "0.5"},    {"ESourceX", "0.3"},   {"ESourceY", "0.3"},
            {"ESourceZ", "0.3"},    {"EListenerX", "5.1"}, {"EListenerY", "2.9"},
            {"EListenerZ", "1.1"}};
        for (const auto &[name, text] : room)
            edit(name, QLatin1String(text));
        charts.findChild<QTabWidget *>(QStringLiteral("ChartPages"))
            ->setCurrentWidget(charts.findChild<QWidget *>(QStringLiteral("RoomPanel")));
        for (int i = 0; i < OverlaySet::MaxOverlays; ++i) {
            s.setText("EVb", FormatInteger(100 + 20 * i));
            s.click("Button1");
            s.clickIn(QStringLiteral("ChartsForm"), "PinButton");
        }
        s.setText("EVb", QStringLiteral("240"));
    };
    c.check = [](Session &s) {
        const TChartsForm &charts = s.program().charts();
        if (charts.curves().spaceDb.empty() || charts.curves().chainDb.empty())
            return QStringLiteral("the room or the chain was not computed");
        if (charts.currentDesign().filters.size() != size_t(MaxFilters))
            return QStringLiteral("the filters are missing");
        if (charts.overlays().all().size() != size_t(OverlaySet::MaxOverlays))
            return QStringLiteral("the overlays are missing");
        return QString();
    };
    const Samples s = benchCommand(c, o.runs, all, f);
    f.target(s.p99() <= 16.7,
             c.label + QStringLiteral(": p99 within 16.7 ms: ") + millis(s.p99()) + " ms");
}

// The largest path a line or a horn may have: 16 segments of every flare,
// each filled, the cone feeding it at two taps, 8 drivers.
BoxParameters LargestPath() {
    BoxParameters b;
    b.kind = BoxKind::TappedHorn;
    const Flare flares[] = {Flare::Uniform, Flare::Conical, Flare::Exponential, Flare::Parabolic,
                            Flare::HyperbolicExponential};
    double area = 300.0;
    for (int i = 0; i < MostPathSegments; ++i) {
        PathSegment segment;
        segment.flare = flares[i % 5];
        segment.lengthCm = 20.0;
        segment.startAreaCm2 = area;
        segment.endAreaCm2 = segment.flare == Flare::Uniform ? area : std::round(area * 1.25);
        segment.t = 0.7;
        segment.fillResistivity = 2000.0 + 500.0 * i;
        area = segment.endAreaCm2;
        b.segments.push_back(segment);
    }
    b.frontAtCm = 40.0;
    b.rearAtCm = 120.0;
    return b;
}

void benchLargestPath(const Options &o, std::vector<Samples> &all, Findings &f) {
    const QString model = QStringLiteral("design model, a path of 16 filled segments, 8 drivers");
    if (o.wants(model)) {
        section(QStringLiteral("Lines and horns"));
        test::MemoryFieldStore store;
        DesignSetup s;
        s.driver = ReadDriverParameters(store);
        s.enclosure = LargestPath();
        s.drivers.count = 8;
        const std::vector<double> frequencies = ChartFrequencies(ExportPointsPerOctave);
        Samples samples(model);
        for (int i = 0; i < o.runs; ++i) {
            QElapsedTimer clock;
            clock.start();
            const DesignCurves c = ComputeDesignCurves(s, frequencies);
            samples.add(static_cast<double>(clock.nsecsElapsed()) / 1e6);
            if (c.splDb.size() != frequencies.size())
                f.failures << model + QStringLiteral(": curves missing");
        }
        printRow(samples);
        f.target(samples.p99() <= FrameMs,
                 model + QStringLiteral(" p99 within a frame: ") + millis(samples.p99()) + " ms");
    }
    // The charts window's own command: a new rear tap every run, the curves
    // computed and drawn anew.
    Command c{QStringLiteral("Update (UpdateButton), a path of 16 filled segments and 8 drivers, a "
                             "new rear tap every run"),
              {},
              [](Session &s) { s.clickIn(QStringLiteral("ChartsForm"), "UpdateButton"); },
              [n = 0](Session &s) mutable {
                  s.program()
                      .charts()
                      .findChild<QLineEdit *>(QStringLiteral("EThRearAt"))
                      ->setText(FormatInteger(60 + 20 * (n++ % 10)));
              },
              {}};
    if (!o.wants(c.label))
        return;
    c.prepare = [](Session &s) {
        s.trigger("DesignCharts1");
        TChartsForm &charts = s.program().charts();
        charts.findChild<QRadioButton *>(QStringLiteral("TappedHornChoice"))->setChecked(true);
        const BoxParameters path = LargestPath();
        charts.findChild<TPathEditor *>(QStringLiteral("PathEditor"))
            ->setPath(path.segments, path.mouth);
        charts.findChild<QLineEdit *>(QStringLiteral("EThFrontAt"))->setText(QStringLiteral("40"));
        charts.findChild<QLineEdit *>(QStringLiteral("EThRearAt"))->setText(QStringLiteral("120"));
        charts.findChild<QLineEdit *>(QStringLiteral("EDriverCount"))->setText(QStringLiteral("8"));
    };
    c.check = [](Session &s) {
        const TChartsForm &charts = s.program().charts();
        if (charts.currentDesign().enclosure.segments.size() != 16)
            return QStringLiteral("the path is not the window's");
        if (charts.curves().splDb.empty())
            return QStringLiteral("the path was not computed: ") +
                   MissingInputsSentence(Chart::Spl, charts.curves().lacks(Chart::Spl));
        return QString();
    };
    const Samples samples = benchCommand(c, o.runs, all, f);
    f.target(samples.p99() <= FrameMs,
             c.label + QStringLiteral(": p99 within a frame: ") + millis(samples.p99()) + " ms");
}

// Adding a saved design to the charts: the file read, its curves computed
// and every chart in view drawn again.
void benchAddDesign(const Options &o, Findings &f) {
    const QString label = QStringLiteral("Add design (AddDesignButton), a saved design file");
    if (!o.wants(label))
        return;
    section(QStringLiteral("Saved designs on the charts"));
    BenchDialogs dialogs;
    Session session(dialogs);
    session.setText("EDesignFile", QStringLiteral("added.dgn"));
    session.click("Button17");
    session.trigger("DesignCharts1");
    dialogs.fileAnswer = QDir::current().absoluteFilePath(QStringLiteral("added.dgn"));
    settle();
    Samples add(label);
    for (int i = 0; i < o.runs; ++i) {
        session.clickIn(QStringLiteral("ChartsForm"), "ClearButton");
        settle();
        add.add(timed([&] { session.clickIn(QStringLiteral("ChartsForm"), "AddDesignButton"); }));
    }
    printRow(add);
    if (!dialogs.errors.isEmpty() || session.program().charts().overlays().all().size() != 1)
        f.failures << label + QStringLiteral(": the design was not added");
    f.target(add.p99() <= 50.0,
             label + QStringLiteral(" p99 within 50 ms: ") + millis(add.p99()) + " ms");
}

// Opening the window: the first time in a program (the charts are made
// then), and again after closing it.
void benchChartsWindow(const Options &o, Findings &f) {
    const QString label = QStringLiteral("Design Charts window opened");
    if (!o.wants(label))
        return;
    section(QStringLiteral("The Design Charts window"));
    BenchDialogs dialogs;
    Samples first(label + QStringLiteral(", first time in a program"));
    Samples again(label + QStringLiteral(" again"));
    for (int i = 0; i < std::max(1, o.runs / 4); ++i) {
        Session session(dialogs);
        settle();
        first.add(timed([&] { session.trigger("DesignCharts1"); }));
        for (int j = 0; j < 4; ++j) {
            session.program().charts().hide();
            settle();
            again.add(timed([&] { session.trigger("DesignCharts1"); }));
        }
    }
    printRow(first);
    printRow(again);
    f.target(first.p99() <= 100.0,
             QStringLiteral("first opening of the charts p99 within 100 ms: ") +
                 millis(first.p99()) + " ms");
    f.target(again.p99() <= FrameMs,
             QStringLiteral("later opening of the charts p99 within 16 ms: ") +
                 millis(again.p99()) + " ms");
}

// The model alone: every curve of the start-up design, at the export's
// 48 points an octave from 5 Hz to 1 kHz.
void benchDesignModel(const Options &o, Findings &f) {
    const QString label = QStringLiteral("design model, all curves of one design");
    if (!o.wants(label))
        return;
    test::MemoryFieldStore store;
    const DriverParameters driver = ReadDriverParameters(store);
    const BoxParameters box = ReadBoxParameters(store, BoxKind::Vented);
    const std::vector<double> frequencies = ChartFrequencies(ExportPointsPerOctave);
    Samples model(label + QStringLiteral(" (") + FormatInteger(long(frequencies.size())) +
                  QStringLiteral(" points)"));
    size_t points = 0;
    for (int i = 0; i < o.runs * 10; ++i) {
        QElapsedTimer clock;
        clock.start();
        const DesignCurves c = ComputeDesignCurves(driver, box, 600.0, frequencies);
        model.add(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        points += c.portVelocity.size();
    }
    printRow(model);
    if (points != frequencies.size() * static_cast<size_t>(o.runs * 10))
        f.failures << label + QStringLiteral(": curves missing");
    f.target(model.p99() <= 0.2,
             label + QStringLiteral(" p99 within 0.2 ms: ") + millis(model.p99()) + " ms");
}

// The model's largest design: a bandpass box vented on both sides with
// eight drivers as four isobaric pairs, wired series-parallel, with
// inductance and a source resistance, at the same 368 points.
void benchLargestDesign(const Options &o, Findings &f) {
    const QString label = QStringLiteral("design model, 6th-order bandpass of 8 isobaric drivers");
    if (!o.wants(label))
        return;
    test::MemoryFieldStore store;
    DesignSetup s;
    s.driver = ReadDriverParameters(store);
    s.driver.leMh = 2.0;
    s.drivers = {8, Mounting::Isobaric, Wiring::SeriesParallel};
    s.enclosure.kind = BoxKind::Bandpass6;
    s.enclosure.vbLitres = 300.0;
    s.enclosure.rearTuningHz = 25.0;
    s.enclosure.rearVentCount = 2.0;
    s.enclosure.rearVentDiameterMm = 150.0;
    s.enclosure.frontVolumeLitres = 200.0;
    s.enclosure.fbHz = 60.0;
    s.enclosure.ventCount = 2.0;
    s.enclosure.ventDiameterMm = 150.0;
    s.drive.powerW = 2400.0;
    s.drive.sourceResistanceOhm = 0.1;
    const std::vector<double> frequencies = ChartFrequencies(ExportPointsPerOctave);
    Samples model(label);
    size_t points = 0;
    for (int i = 0; i < o.runs * 10; ++i) {
        QElapsedTimer clock;
        clock.start();
        const DesignCurves c = ComputeDesignCurves(s, frequencies);
        model.add(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        points += c.rearPortVelocity.size() + c.maxSplDb.size();
    }
    printRow(model);
    if (points != 2 * frequencies.size() * static_cast<size_t>(o.runs * 10))
        f.failures << label + QStringLiteral(": curves missing");
    f.target(model.p99() <= 0.2,
             label + QStringLiteral(" p99 within 0.2 ms: ") + millis(model.p99()) + " ms");
}

// The start-up design behind a chain of eight filters and a rated amplifier,
// in a room of about 2,000 modes (every mode to 500 Hz) or in half space,
// and the placement view's nine positions of the box in that room.
DesignSetup ChainAndRoomDesign(bool room) {
    test::MemoryFieldStore store;
    DesignSetup s;
    s.driver = ReadDriverParameters(store);
    s.enclosure = ReadBoxParameters(store, BoxKind::Vented);
    s.drive.powerW = 600.0;
    s.amplifier.ratedPowerW = 1000.0;
    s.amplifier.ratedLoadOhm = 4.0;
    s.amplifier.currentLimitA = 20.0;
    const auto stage = [](FilterType type, FilterAlignment alignment, int order, double hz) {
        FilterStage f;
        f.type = type;
        f.alignment = alignment;
        f.order = order;
        f.frequencyHz = hz;
        f.gainDb = -3.0;
        f.fpHz = 20.0;
        f.qp = 0.6;
        f.q = 0.9;
        return f;
    };
    using T = FilterType;
    using A = FilterAlignment;
    s.filters = {stage(T::HighPass, A::Butterworth, 8, 15),
                 stage(T::HighPass, A::Bessel, 4, 12),
                 stage(T::LowPass, A::LinkwitzRiley, 8, 90),
                 stage(T::LinkwitzTransform, A::Q, 2, 30),
                 stage(T::Peaking, A::Q, 2, 45),
                 stage(T::LowShelf, A::Q, 2, 35),
                 stage(T::HighShelf, A::Q, 2, 70),
                 stage(T::Gain, A::Q, 2, 0)};
    if (room) {
        s.environment.kind = SpaceKind::Room;
        RoomParameters &r = s.environment.room;
        r.lengthM = 8.2;
        r.widthM = 5.8;
        r.heightM = 3.0;
        r.reverberationS = 0.5;
        r.sourceM = {0.3, 0.3, 0.3};
        r.listenerM = {5.1, 2.9, 1.1};
    }
    return s;
}

void benchChainAndRoom(const Options &o, Findings &f) {
    const std::vector<double> frequencies = ChartFrequencies(ExportPointsPerOctave);
    for (bool room : {false, true}) {
        const DesignSetup s = ChainAndRoomDesign(room);
        const QString label =
            room ? QStringLiteral("design model, 8 filters, a room of ") +
                       FormatInteger(long(
                           MakeRoomResponse(s.environment.room, 345.0, RoomChartHighestHz).modes)) +
                       QStringLiteral(" modes")
                 : QStringLiteral("design model, 8 filters and an amplifier, half space");
        if (!o.wants(label))
            continue;
        const double limit = room ? 2.0 : 0.3;
        Samples model(label);
        size_t points = 0;
        const int runs = room ? o.runs : o.runs * 10;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer clock;
            clock.start();
            const DesignCurves c = ComputeDesignCurves(s, frequencies);
            model.add(static_cast<double>(clock.nsecsElapsed()) / 1e6);
            points += c.chainDb.size() + c.spaceDb.size();
        }
        printRow(model);
        if (points != 2 * frequencies.size() * static_cast<size_t>(runs))
            f.failures << label + QStringLiteral(": curves missing");
        f.target(model.p99() <= limit, label + QStringLiteral(" p99 within ") + millis(limit) +
                                           QStringLiteral(" ms: ") + millis(model.p99()) + " ms");
    }
    const QString label = QStringLiteral("placement view, the box at 9 places of the room");
    if (!o.wants(label))
        return;
    const DesignSetup s = ChainAndRoomDesign(true);
    Samples placement(label);
    for (int i = 0; i < o.runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        const std::vector<PlacementFigure> figures = PlacementFigures(s, 30.0, 80.0);
        placement.add(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        if (BestPlacement(figures) < 0)
            f.failures << label + QStringLiteral(": no figure");
    }
    printRow(placement);
    f.target(placement.p99() <= 100.0,
             label + QStringLiteral(" p99 within 100 ms: ") + millis(placement.p99()) + " ms");
}

// The Measure Driver window's fit alone: a measurement of 2,000 points with
// 1 % noise, the voice coil's R2-L2 model (the plain fit and the lossy
// model's starts, as the window runs it); and a measurement of a 6.5 inch
// woofer whose suspension creeps and whose coil is a semi-inductance, from
// 10 Hz to 20 kHz, fitted with every coil model and creep.
void benchImpedanceFit(const Options &o, Findings &f) {
    const QString label = QStringLiteral("impedance fit, R2-L2 model, 2,000 points");
    const QString everyLabel =
        QStringLiteral("impedance fit, every coil model and creep, 2,000 points");
    if (!o.wants(label) && !o.wants(everyLabel))
        return;
    section(QStringLiteral("Measure Driver: the fit alone"));
    const auto timeFit = [&](const QString &name, const ImpedanceCurve &curve,
                             const FitOptions &options, double fs, double limit) {
        Samples fit(name);
        int iterations = 0;
        for (int i = 0; i < o.runs; ++i) {
            QElapsedTimer clock;
            clock.start();
            const std::optional<FitResult> r = FitImpedance(curve, options);
            fit.add(static_cast<double>(clock.nsecsElapsed()) / 1e6);
            if (!r || std::fabs(r->model.fs / fs - 1.0) > 0.002) {
                f.failures << name + QStringLiteral(": the fit missed Fs");
                return;
            }
            iterations = r->iterations;
        }
        printRow(fit);
        out() << "solver iterations per fit: " << iterations << '\n';
        f.target(fit.p99() <= limit, name + QStringLiteral(" p99 within ") +
                                         QString::number(limit) + QStringLiteral(" ms: ") +
                                         millis(fit.p99()) + " ms");
    };
    if (o.wants(label)) {
        ElectricalModel truth;
        truth.coil.model = InductanceModel::Lossy;
        truth.re = 6.5;
        truth.fs = 32.9;
        truth.qms = 2.28;
        truth.qes = 0.46;
        truth.coil.le = 1.2e-3;
        truth.coil.r2 = 4.0;
        truth.coil.l2 = 1.5e-3;
        timeFit(label, test::SyntheticCurve(truth, test::LogGrid(5.0, 20000.0, 2000), 0.01, 5),
                {InductanceModel::Lossy, std::nullopt}, truth.fs, 50.0);
    }
    if (o.wants(everyLabel)) {
        ElectricalModel coil{{InductanceModel::SemiInductance, 1.8e-3}, 5.6, 45.0, 3.2, 0.5};
        coil.coil.leb = 0.12e-3;
        coil.coil.rss = 16.0;
        coil.coil.ke = 0.07;
        const test::CreepingDriver truth{coil, 0.05};
        const ImpedanceCurve curve =
            test::NoisyCurve([&](double hz) { return truth.impedance(hz); },
                             test::LogGrid(10.0, 20000.0, 2000), 0.01, 5);
        timeFit(everyLabel, curve, FitOptions{}, truth.atResonance().fs, 200.0);
    }
}

// Inputs whose work the unit tests bound in bytes and steps; here the time
// they take: a filter file of 2 GB without a line end, a plot whose levels
// jump between the extremes, and a listing whose header announces a million
// records over a file of two.
void benchHostileInputs(const Options &o, Findings &f) {
    const QString filterLabel = QStringLiteral("filter file of 2 GB without a line end");
    const QString plotLabel = QStringLiteral("plot of levels alternating NaN, +-inf, +-1e308");
    const QString listLabel = QStringLiteral("Get Driver, header of 1,000,000 over 2 records");
    if (!o.wants(filterLabel) && !o.wants(plotLabel) && !o.wants(listLabel))
        return;
    section(QStringLiteral("Hostile inputs (the work is bounded by the unit tests)"));
    if (!QDir().mkpath(QStringLiteral("hostile")) || !QDir::setCurrent(QStringLiteral("hostile"))) {
        f.failures << QStringLiteral("cannot make the folder of the hostile inputs");
        return;
    }
    auto time = [](const std::function<void()> &op) {
        QElapsedTimer clock;
        clock.start();
        op();
        return static_cast<double>(clock.nsecsElapsed()) / 1e6;
    };
    auto report = [&f](const Samples &s, double limitMs) {
        printRow(s);
        f.target(s.max() <= limitMs, s.name() + QStringLiteral(" within ") + millis(limitMs) +
                                         QStringLiteral(" ms: max ") + millis(s.max()) +
                                         QStringLiteral(" ms"));
    };

    if (o.wants(filterLabel)) {
        QFile sparse(QStringLiteral("HUGE.FLT"));
        if (!sparse.open(QIODevice::WriteOnly) || !sparse.resize(qint64(2) << 30)) {
            f.failures << QStringLiteral("cannot make the 2 GB filter file");
        } else {
            sparse.close();
            const auto crossover = std::make_unique<Crossover>();
            Samples filter(filterLabel);
            for (int i = 0; i < std::min(o.runs, 10); ++i)
                filter.add(
                    time([&] { LoadFilterFile(*crossover, 0, QStringLiteral("HUGE.FLT")); }));
            report(filter, 2000.0);
        }
        QFile::remove(QStringLiteral("HUGE.FLT"));
    }

    if (o.wants(plotLabel)) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        const double odd[] = {nan, inf, -1e308, 1e308, -inf, 3.5};
        std::vector<double> system(1002), crossover(1002);
        for (size_t i = 0; i < system.size(); ++i) {
            system[i] = odd[i % 6];
            crossover[i] = odd[(i + 1) % 6];
        }
        test::MemoryFieldStore store;
        store.setChecked(QStringLiteral("ChkCrossEnabled"), true);
        PlotSettings settings;
        InitializePlotSettings(settings, QColor(240, 240, 240));
        QImage image(PlotImageWidth, PlotImageHeight, QImage::Format_RGB32);
        Samples plot(plotLabel);
        for (int i = 0; i < o.runs; ++i)
            plot.add(time([&] {
                PlotCanvas canvas(image);
                FormPaint(canvas, store, settings, system.data(), crossover.data());
            }));
        report(plot, 2000.0);
    }

    if (o.wants(listLabel)) {
        writeDriverDatabase(2);
        QFile header(QStringLiteral("spkdb.hdr"));
        if (!header.open(QIODevice::WriteOnly) ||
            header.write(QByteArray::number(MaxLastIndex) + "\r\n") < 0) {
            f.failures << QStringLiteral("cannot write the header of a million records");
        } else {
            header.close();
            test::MemoryFieldStore dialog = test::MemoryFieldStore::databaseDialog();
            Samples list(listLabel);
            for (int i = 0; i < o.runs; ++i)
                list.add(time([&] { ListDrivers(dialog); }));
            report(list, 10000.0);
        }
    }
    QDir::setCurrent(QStringLiteral(".."));
}

// ------------------------------------------------------------ long session

void benchLongSession(const Options &o, Findings &f) {
    if (!o.wants(QStringLiteral("long session")))
        return;
    section(QStringLiteral("Long session: ") + FormatInteger(o.longSession) +
            QStringLiteral(" x \"Calculate from Vb and Fb\" in one program"));
    BenchDialogs dialogs;
    Samples emptyPage(QStringLiteral("page change to Crossover, fresh program (list empty)"));
    {
        Session fresh(dialogs);
        emptyPage.add(timed([&] { fresh.showPage("PG_Crossover"); }));
    }
    Session session(dialogs);
    const long long before = residentKiB();
    Samples runs(QStringLiteral("Button1, runs 1 to ") + FormatInteger(o.longSession));
    for (int i = 0; i < o.longSession; ++i)
        runs.add(timed([&] { session.click("Button1"); }));
    const double first = runs.values().front();
    const long long after = residentKiB();
    Samples oneMore(QStringLiteral("Button1, one more (Part list page in front)"));
    oneMore.add(timed([&] { session.click("Button1"); }));
    const int lines = session.lineCount(QStringLiteral("drvik"), "ListBox1");
    Samples page(QStringLiteral("page change to Crossover (list full)"));
    page.add(timed([&] { session.showPage("PG_Crossover"); }));
    // Once more, now that the page's widgets have been shown and polished:
    // what is left is the list's own cost.
    session.showPage("PG_List");
    settle();
    Samples pageAgain(QStringLiteral("page change to Crossover again (list full)"));
    pageAgain.add(timed([&] { session.showPage("PG_Crossover"); }));
    Samples withList(QStringLiteral("Button1, one more (Crossover page in front)"));
    withList.add(timed([&] { session.click("Button1"); }));
    const long long end = residentKiB();

    printRow(runs, first);
    printRow(oneMore);
    printRow(page);
    printRow(pageAgain);
    printRow(emptyPage);
    printRow(withList);
    out() << "Crossover page list after run " << o.longSession + 1 << ": " << lines << " lines\n";
    out() << "resident memory: before " << mib(before) << " MiB, after " << o.longSession
          << " runs " << mib(after) << " MiB, at the end " << mib(end) << " MiB\n";

    const double last = oneMore.max();
    f.target(last <= 2 * first, QStringLiteral("run ") + FormatInteger(o.longSession + 1) +
                                    QStringLiteral(" within twice the first: ") + millis(last) +
                                    QStringLiteral(" ms vs first ") + millis(first) +
                                    QStringLiteral(" ms (median of the session ") +
                                    millis(runs.median()) + QStringLiteral(" ms)"));
    f.target(static_cast<double>(end) / 1024.0 <= LongSessionMiB,
             QStringLiteral("memory after the long session within 200 MB: ") + mib(end) + " MiB");
    f.target(withList.max() <= FrameMs,
             QStringLiteral("one more with the full Crossover list in front within 16 ms: ") +
                 millis(withList.max()) + " ms");
    if (!dialogs.errors.isEmpty())
        f.failures << QStringLiteral("long session: error report ") + dialogs.errors.front();
    // The list keeps the lines of the last 1,000 calculations.
    const long long expectedLines =
        std::min<long long>(static_cast<long long>(LinesPerSimulation) * (o.longSession + 1),
                            dravik::Tdrvik::CrossoverListMaxLines);
    if (lines != expectedLines)
        f.failures << QStringLiteral("long session: ListBox1 holds ") + FormatInteger(lines) +
                          QStringLiteral(" lines");
}

// ------------------------------------------------------------ dravik-script

QString commandScript() {
    QString s;
    for (int i = 0; i < ScriptCommands / 10; ++i) {
        s += QStringLiteral("set EVb ") + FormatInteger(200 + i % 50) + '\n';
        s += QStringLiteral("click Button1\nprint EdBmag25\nclick SBB4Button\nclick Button26\n"
                            "click CALCULATEMAXIMALLYFLATButton\nclick Button2\n"
                            "click BCalcDimensions1\nclick BUTTONQuorvel80\npage PG_Box\n");
    }
    return s;
}

std::optional<double> runScript(const QString &runner, const QString &script, QString &why) {
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer clock;
    clock.start();
    process.start(runner, {script});
    if (!process.waitForFinished(120000)) {
        why = QStringLiteral("did not finish: ") + process.errorString();
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    const QByteArray output = process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 ||
        output.contains("error:")) {
        why = QStringLiteral("exit status ") + FormatInteger(process.exitCode()) +
              QStringLiteral(", output ") + QString::fromUtf8(output.left(200));
        return std::nullopt;
    }
    return ms;
}

void benchScriptRunner(const Options &o, Findings &f) {
    if (!o.wants(QStringLiteral("dravik-script")))
        return;
    section(QStringLiteral("dravik-script processes (wall time)"));
    if (o.runner.isEmpty() || !QFile::exists(o.runner)) {
        f.failures << QStringLiteral("dravik-script not found at \"") + o.runner + '"';
        return;
    }
    QFile empty(QStringLiteral("empty.dvs"));
    QFile thousand(QStringLiteral("thousand.dvs"));
    if (!empty.open(QIODevice::WriteOnly) || !thousand.open(QIODevice::WriteOnly)) {
        f.failures << QStringLiteral("cannot write the scripts");
        return;
    }
    empty.write("# start-up only\n");
    empty.close();
    thousand.write(commandScript().toUtf8());
    thousand.close();

    auto measure = [&](Samples &s, const QString &script, int runs) {
        for (int i = 0; i < runs; ++i) {
            QString why;
            const std::optional<double> ms = runScript(o.runner, script, why);
            if (!ms) {
                f.failures << s.name() + QStringLiteral(": ") + why;
                return;
            }
            s.add(*ms);
        }
    };
    Samples start(QStringLiteral("dravik-script start-up (empty script)"));
    measure(start, empty.fileName(), o.processRuns);
    printRow(start);
    Samples script(QStringLiteral("dravik-script, 1,000-command script"));
    measure(script, thousand.fileName(), o.scriptRuns);
    printRow(script);
    if (start.count() && script.count())
        out() << "per command beyond start-up: "
              << millis((script.median() - start.median()) / ScriptCommands) << " ms\n";
    f.target(start.p99() <= StartUpMs,
             QStringLiteral("dravik-script start-up p99 within 300 ms: ") + millis(start.p99()) +
                 " ms");
}

// What one dravik-rank run cost: wall time, and the processor time of the
// process (its work, whatever else the machine runs meanwhile).
struct RankingCost {
    double wallMs;
    double cpuMs;
};

double childCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// The largest resident memory of any program run so far, in MiB.
double childPeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// One dravik-rank run in `folder`: its cost, or none (with the reason among
// the failures) when it fails or does not write a row per record.
std::optional<RankingCost> runRanking(const QString &label, const QString &folder, int records,
                                      Findings &f, const QStringList &options = {}) {
    QProcess process;
    process.setWorkingDirectory(folder);
    const double cpuBefore = childCpuMs();
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(DRAVIK_RANK), QStringList(options) << QStringLiteral("."));
    const bool finished = process.waitForFinished(600000);
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    const QByteArray table = process.readAllStandardOutput();
    const int rows = static_cast<int>(table.count('\n')) - 1;
    const bool figures = table.left(table.indexOf('\n')).endsWith(",over_budget,problem\r");
    // Every row ends with an empty "problem" cell.
    const bool allComputed = table.count(",\"\"\r\n") == rows;
    if (!finished || process.exitCode() != 0 || rows != records || !figures || !allComputed) {
        f.failures << label + QStringLiteral(": ") + FormatInteger(rows) +
                          QStringLiteral(" rows for ") + FormatInteger(records) +
                          QStringLiteral(" drivers, exit status ") +
                          FormatInteger(process.exitCode()) +
                          (figures ? QString() : QStringLiteral(", not the table's columns")) +
                          (allComputed ? QString() : QStringLiteral(", rows with a problem"));
        return std::nullopt;
    }
    return RankingCost{ms, childCpuMs() - cpuBefore};
}

// dravik-rank over the whole shipped database, as a user runs it, and over
// generated databases of 1,000 and 10,000 drivers: the work must grow with
// the number of drivers, not faster.
void benchRanking(const Options &o, Findings &f) {
    const QString label = QStringLiteral("dravik-rank, every shipped driver");
    if (!o.wants(label) && !o.wants(QStringLiteral("dravik-rank")))
        return;
    section(QStringLiteral("The batch ranking (wall time, one dravik-rank process)"));
    Samples shipped(label);
    const int drivers = shippedRecords();
    for (int i = 0; i < std::clamp(o.scriptRuns, 1, 3); ++i)
        if (const std::optional<RankingCost> cost =
                runRanking(label, QStringLiteral("."), drivers, f))
            shipped.add(cost->wallMs);
    if (!shipped.count())
        return;
    printRow(shipped);
    f.target(shipped.max() <= 2000.0, label + QStringLiteral(" within 2 s: ") +
                                          millis(shipped.max()) + QStringLiteral(" ms for ") +
                                          FormatInteger(drivers) + QStringLiteral(" drivers"));

    // The work is the processor time the runs take. Linear work makes the
    // ratio about 10, so the two sizes are measured over the same stretch of
    // time: ten runs of 1,000 drivers, then one of 10,000, so that whatever
    // else the machine runs weighs on both alike; the best of a few pairs.
    const int sizes[2] = {1000, 10000};
    for (int size : sizes) {
        const QString folder = QStringLiteral("rank-") + FormatInteger(size);
        if (!QDir().mkdir(folder) || !QDir::setCurrent(folder)) {
            f.failures << QStringLiteral("cannot make ") + folder;
            return;
        }
        writeDriverDatabase(size);
        QDir::setCurrent(QStringLiteral(".."));
    }
    Samples small(QStringLiteral("dravik-rank, 1000 generated drivers"));
    Samples large(QStringLiteral("dravik-rank, 10000 generated drivers"));
    double cpu[2] = {0.0, 0.0};
    double peak[2] = {0.0, 0.0};
    std::optional<double> bestRatio;
    for (int pair = 0; pair < std::clamp(o.scriptRuns, 1, 2); ++pair) {
        double tenSmall = 0.0;
        for (int i = 0; i < 10; ++i) {
            const std::optional<RankingCost> cost =
                runRanking(small.name(), QStringLiteral("rank-1000"), sizes[0], f);
            if (!cost)
                return;
            small.add(cost->wallMs);
            tenSmall += cost->cpuMs;
        }
        if (pair == 0) // the largest child yet: none of 10,000 drivers before this
            peak[0] = childPeakMiB();
        const std::optional<RankingCost> cost =
            runRanking(large.name(), QStringLiteral("rank-10000"), sizes[1], f);
        if (!cost)
            return;
        large.add(cost->wallMs);
        peak[1] = childPeakMiB();
        if (!bestRatio || cost->cpuMs / tenSmall < *bestRatio) {
            bestRatio = cost->cpuMs / tenSmall;
            cpu[0] = tenSmall / 10.0;
            cpu[1] = cost->cpuMs;
        }
    }
    printRow(small);
    printRow(large);
    out() << "processor time: 1,000 drivers " << millis(cpu[0]) << " ms (mean of ten), 10,000 "
          << millis(cpu[1]) << " ms; largest resident memory " << QString::number(peak[0], 'f', 1)
          << " MiB and " << QString::number(peak[1], 'f', 1) << " MiB\n";
    f.target(cpu[1] <= 10.0 * cpu[0],
             QStringLiteral("dravik-rank, 10,000 drivers within 10 x the processor time of "
                            "1,000: ") +
                 millis(cpu[1]) + QStringLiteral(" ms against ") + millis(cpu[0]) +
                 QStringLiteral(" ms"));
    f.target(peak[1] <= 10.0 * peak[0],
             QStringLiteral("dravik-rank, 10,000 drivers within 10 x the memory of 1,000: ") +
                 QString::number(peak[1], 'f', 1) + QStringLiteral(" MiB against ") +
                 QString::number(peak[0], 'f', 1) + QStringLiteral(" MiB"));
}

// ------------------------------------------------------------ main

Options parse(const QCoreApplication &app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Latency of Dravik's commands, offscreen."));
    parser.addHelpOption();
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("runs per command"),
                                  QStringLiteral("N"), QStringLiteral("200"));
    const QCommandLineOption longSession(QStringLiteral("long"),
                                         QStringLiteral("simulations of the long session"),
                                         QStringLiteral("N"), QStringLiteral("1000"));
    const QCommandLineOption processRuns(QStringLiteral("process-runs"),
                                         QStringLiteral("dravik-script start-ups"),
                                         QStringLiteral("N"), QStringLiteral("200"));
    const QCommandLineOption scriptRuns(QStringLiteral("script-runs"),
                                        QStringLiteral("runs of the 1,000-command script"),
                                        QStringLiteral("N"), QStringLiteral("10"));
    const QCommandLineOption shipped(QStringLiteral("shipped"),
                                     QStringLiteral("folder of the shipped data files"),
                                     QStringLiteral("DIR"), QStringLiteral(DRAVIK_SHIPPED_DIR));
    const QCommandLineOption runner(QStringLiteral("script-runner"),
                                    QStringLiteral("the dravik-script executable"),
                                    QStringLiteral("PATH"), QStringLiteral(DRAVIK_SCRIPT_RUNNER));
    const QCommandLineOption only(
        QStringLiteral("only"),
        QStringLiteral("only the measurements whose name holds TEXT "
                       "(\"start-up\", \"Preset\", \"long session\", ...)"),
        QStringLiteral("TEXT"));
    parser.addOptions({runs, longSession, processRuns, scriptRuns, shipped, runner, only});
    parser.process(app);
    Options o;
    o.runs = std::max(1, parser.value(runs).toInt());
    o.longSession = std::max(1, parser.value(longSession).toInt());
    o.processRuns = std::max(1, parser.value(processRuns).toInt());
    o.scriptRuns = std::max(1, parser.value(scriptRuns).toInt());
    o.shipped = QDir(parser.value(shipped)).absolutePath();
    o.runner = QFileInfo(parser.value(runner)).absoluteFilePath();
    o.only = parser.value(only);
    return o;
}

} // namespace

int main(int argc, char *argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    dravik::keepToolkitNoticesQuiet(); // the tables alone, as from dravik-script
    QElapsedTimer appClock;
    appClock.start();
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    const double appMs = static_cast<double>(appClock.nsecsElapsed()) / 1e6;
    const Options o = parse(app);

    out() << "dravik-bench, build " << DRAVIK_BUILD_TYPE << ", Qt " << qVersion() << ", platform "
          << QGuiApplication::platformName() << ", " << QThread::idealThreadCount() << " cores\n";
    out() << "QApplication created in " << millis(appMs) << " ms\n";

    WorkDir work(o.shipped);
    if (!work.isValid()) {
        out() << "cannot prepare a working directory from " << o.shipped << '\n';
        return 1;
    }
    if (!QDir().mkdir(GeneratedFolder) || !QDir::setCurrent(GeneratedFolder)) {
        out() << "cannot make the folder of the generated database\n";
        return 1;
    }
    writeDriverDatabase(DatabaseRecords);
    QDir::setCurrent(QStringLiteral(".."));

    Findings findings;
    std::vector<Samples> commandSamples;
    benchStartUp(o, findings);
    benchCommands(o, commandSamples, findings);
    benchBareSimulation(o, commandSamples);
    benchCommandsWithCharts(o, commandSamples, findings, 0);
    benchCommandsWithCharts(o, commandSamples, findings, OverlaySet::MaxOverlays);
    benchSystemCommand(o, commandSamples, findings);
    benchLargestPath(o, commandSamples, findings);
    benchAddDesign(o, findings);
    benchChartsWindow(o, findings);
    benchDesignModel(o, findings);
    benchLargestDesign(o, findings);
    benchChainAndRoom(o, findings);
    benchImpedanceFit(o, findings);
    benchLongLegendTexts(o, findings);
    benchHostileInputs(o, findings);
    benchLongSession(o, findings);
    benchScriptRunner(o, findings);
    benchRanking(o, findings);

    for (const Samples &s : commandSamples)
        findings.target(s.p99() <= FrameMs, s.name() + QStringLiteral(": p99 ") + millis(s.p99()) +
                                                QStringLiteral(" ms"));
    out() << "\nTargets (single command p99 within 16 ms, start-up within 300 ms, run 1,001 "
             "within twice run 1, memory within 200 MB)\n";
    for (const QString &t : findings.targets)
        out() << "  " << t << '\n';
    for (const QString &failure : findings.failures)
        out() << "FAILED: " << failure << '\n';
    out().flush();
    return findings.failures.isEmpty() ? 0 : 1;
}
