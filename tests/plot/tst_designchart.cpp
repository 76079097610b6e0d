// The design charts with hostile designs and labels, and their exports: an
// axis Qt is given is always finite and bounded, a label never longer than
// a legend can take, a picture the same whether or not the window was shown.
#include "ChartScale.h"
#include "ChartsForm.h"
#include "CurveExport.h"
#include "CutSheet.h"
#include "DesignChart.h"
#include "DesignReader.h"
#include "FilterStages.h"
#include "Fp.h"
#include "MemoryFieldStore.h"

#include <QAbstractAxis>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>
#include <QXmlStreamReader>

#include <algorithm>

#include <cfloat>
#include <cmath>

using namespace dravik;

namespace {

const std::vector<double> &Frequencies() {
    static const std::vector<double> f = ChartFrequencies(ExportPointsPerOctave);
    return f;
}

// The start-up design with some of its figures replaced.
struct Design {
    DriverParameters driver;
    BoxParameters box;
};

Design StartUpDesign(BoxKind kind) {
    const test::MemoryFieldStore fields;
    return {ReadDriverParameters(fields), ReadBoxParameters(fields, kind)};
}

// The start-up design as a whole setup at a drive, with filters in front.
DesignSetup StartUpSetup(double powerW, std::vector<FilterStage> filters = {}) {
    const Design d = StartUpDesign(BoxKind::Vented);
    DesignSetup setup;
    setup.driver = d.driver;
    setup.enclosure = d.box;
    setup.drive.powerW = powerW;
    setup.filters = std::move(filters);
    return setup;
}

using test::Pass;

// A chart's axis on one side, and its series of a name.
template <class Axis> Axis *AxisAt(const DesignChart &chart, Qt::Alignment side) {
    for (QAbstractAxis *a : qobject_cast<QChartView *>(chart.view())->chart()->axes(Qt::Vertical))
        if (a->alignment() == side)
            return qobject_cast<Axis *>(a);
    return nullptr;
}

QLineSeries *SeriesNamed(const DesignChart &chart, const QString &name) {
    for (QAbstractSeries *s : qobject_cast<QChartView *>(chart.view())->chart()->series())
        if (s->name() == name)
            return qobject_cast<QLineSeries *>(s);
    return nullptr;
}

void Replace(Design &d, const QString &name, double v) {
    std::optional<double> *target = name == "Fs"      ? &d.driver.fs
                                    : name == "Qts"   ? &d.driver.qts
                                    : name == "Vas"   ? &d.driver.vasLitres
                                    : name == "Re"    ? &d.driver.re
                                    : name == "Xmax"  ? &d.driver.xmaxMm
                                    : name == "PEmax" ? &d.driver.peMaxW
                                    : name == "Vb"    ? &d.box.vbLitres
                                    : name == "Fb"    ? &d.box.fbHz
                                                      : nullptr;
    QVERIFY2(target, qPrintable(name));
    *target = v;
}

// Every axis Qt draws: finite ends in order, a bounded span, few ticks.
void VerifyAxesBounded(const DesignChart &chart) {
    auto *view = qobject_cast<QChartView *>(chart.view());
    QVERIFY(view);
    for (QAbstractAxis *axis : view->chart()->axes()) {
        if (auto *linear = qobject_cast<QValueAxis *>(axis)) {
            QVERIFY(std::isfinite(linear->min()) && std::isfinite(linear->max()));
            QVERIFY(linear->min() < linear->max());
            QVERIFY(std::fabs(linear->min()) <= chartscale::MaxAxisMagnitude * 1.01);
            QVERIFY(std::fabs(linear->max()) <= chartscale::MaxAxisMagnitude * 1.01);
            QVERIFY(linear->tickCount() <= 12);
        } else if (auto *log = qobject_cast<QLogValueAxis *>(axis)) {
            QVERIFY(log->min() > 0.0 && std::isfinite(log->max()) && log->min() < log->max());
            // A power axis 1 / PowerShare decades of the labelled range at
            // most: some twenty decades, never 2^31 ticks.
            QVERIFY2(std::log10(log->max() / log->min()) < 80.0,
                     qPrintable(QString::number(log->max())));
        }
    }
}

QImage Painted(DesignChart &chart) {
    QImage image(1000, 800, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    chart.paint(painter, QRectF(0, 0, 1000, chart.pictureHeight(1000)));
    return image;
}

// The charts window on memory fields, its file dialog answered from a member.
struct ChartsWindow {
    test::MemoryFieldStore fields;
    QString answer;
    std::unique_ptr<TChartsForm> form;
    ChartsWindow() {
        TChartsForm::Hooks hooks;
        hooks.runCommand = [](const std::function<void()> &command) { command(); };
        hooks.chooseSaveFile = [this](const QString &) { return std::optional<QString>(answer); };
        hooks.chooseOpenFile = [](const QString &) { return std::optional<QString>(); };
        form = std::make_unique<TChartsForm>(fields, hooks);
    }
    QByteArray exported(const QString &path) {
        answer = path;
        form->ExportButtonClick();
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return f.readAll();
    }
};

} // namespace

class TestDesignChart : public QObject {
    Q_OBJECT
private slots:
    // Designs of figures no driver has, each through every chart: the chart
    // says why it is not drawn, or its axes are finite and bounded.
    void hostileDesignsNeverReachQtUnbounded_data() {
        QTest::addColumn<QVariantMap>("figures");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("limitsRefused"); // the limits chart must give its sentence
        QTest::newRow("start-up design") << QVariantMap{} << false << false;
        QTest::newRow("start-up closed box") << QVariantMap{} << true << false;
        QTest::newRow("PEmax 1.79e308, Xmax 1e300")
            << QVariantMap{{"PEmax", 1.79e308}, {"Xmax", 1e300}} << false << true;
        QTest::newRow("largest PEmax and Xmax")
            << QVariantMap{{"PEmax", DBL_MAX}, {"Xmax", DBL_MAX}} << false << true;
        QTest::newRow("Fs 1e300") << QVariantMap{{"Fs", 1e300}} << false << true;
        QTest::newRow("Fb 1e300") << QVariantMap{{"Fb", 1e300}} << false << true;
        QTest::newRow("closed, Fs Qts Vas Vb 1e-300")
            << QVariantMap{{"Fs", 1e-300}, {"Qts", 1e-300}, {"Vas", 1e-300}, {"Vb", 1e-300}} << true
            << true;
        QTest::newRow("denormal Xmax") << QVariantMap{{"Xmax", 4.9e-324}} << false << true;
        QTest::newRow("denormal Re") << QVariantMap{{"Re", 4.9e-324}} << false << false;
        QTest::newRow("Vb 1e300") << QVariantMap{{"Vb", 1e300}} << false << false;
    }
    void hostileDesignsNeverReachQtUnbounded() {
        QFETCH(QVariantMap, figures);
        QFETCH(bool, closed);
        QFETCH(bool, limitsRefused);
        Design d = StartUpDesign(closed ? BoxKind::Closed : BoxKind::Vented);
        for (auto it = figures.begin(); it != figures.end(); ++it)
            Replace(d, it.key(), it.value().toDouble());
        const DesignCurves curves = ComputeDesignCurves(d.driver, d.box, 600.0, Frequencies());
        ChartMarks marks;
        marks.xmaxMm = d.driver.xmaxMm;
        marks.portVelocityWarning = 17.0;
        marks.fbHz = d.box.fbHz;
        marks.designLabel = QStringLiteral("a design");
        for (int i = 0; i < ChartCount; ++i) {
            const auto which = static_cast<Chart>(i);
            DesignChart chart(which);
            chart.show(curves, marks, {}, 0);
            const QString sentence = chart.sentence(curves);
            if (figures.isEmpty() && !(closed && which == Chart::PortVelocity) &&
                which != Chart::Room)
                QVERIFY2(sentence.isEmpty(), qPrintable(sentence)); // a sane design is drawn
            if (which == Chart::Limits && limitsRefused)
                QVERIFY2(sentence.contains(QStringLiteral("out of range")) ||
                             sentence.contains(QStringLiteral("needs")),
                         qPrintable(sentence));
            if (sentence.isEmpty()) {
                VerifyAxesBounded(chart);
                if (QTest::currentTestFailed())
                    QFAIL(qPrintable(ChartTitle(which)));
            } else {
                QVERIFY(sentence.startsWith(ChartTitle(which)));
                QVERIFY(chart.legendTexts().isEmpty());
            }
            Painted(chart); // a picture of it, laid out and drawn
        }
    }

    // A steep low-pass in the chain asks for more power near 1 kHz than any
    // axis reaches; the maximum-level chart is drawn all the same, its power
    // axis clipped, its levels those of the passband.
    void limitsChartDrawnBehindSteepLowPasses_data() {
        QTest::addColumn<int>("alignment");
        QTest::addColumn<int>("order");
        QTest::addColumn<double>("cornerHz");
        QTest::newRow("LR4 60 Hz") << int(FilterAlignment::LinkwitzRiley) << 4 << 60.0;
        QTest::newRow("LR4 70 Hz") << int(FilterAlignment::LinkwitzRiley) << 4 << 70.0;
        QTest::newRow("LR8 100 Hz") << int(FilterAlignment::LinkwitzRiley) << 8 << 100.0;
        QTest::newRow("BW4 30 Hz") << int(FilterAlignment::Butterworth) << 4 << 30.0;
    }
    void limitsChartDrawnBehindSteepLowPasses() {
        QFETCH(int, alignment);
        QFETCH(int, order);
        QFETCH(double, cornerHz);
        const DesignCurves curves = ComputeDesignCurves(
            StartUpSetup(600.0,
                         {Pass(FilterType::LowPass, FilterAlignment(alignment), order, cornerHz)}),
            Frequencies());
        QVERIFY(*std::max_element(curves.maxPowerW.begin(), curves.maxPowerW.end()) >
                chartscale::MaxLogAxis);
        DesignChart chart(Chart::Limits);
        chart.show(curves, ChartMarks(), {}, 0);
        QVERIFY2(chart.sentence(curves).isEmpty(), qPrintable(chart.sentence(curves)));
        VerifyAxesBounded(chart);
        // Its levels are labelled only above the power's band.
        auto *levels = AxisAt<QCategoryAxis>(chart, Qt::AlignLeft);
        QVERIFY(levels && levels->count() >= 2);
        const double bottom = levels->min() + 0.38 * (levels->max() - levels->min());
        for (const QString &label : levels->categoriesLabels())
            QVERIFY2(label.toDouble() >= bottom - 1e-9, qPrintable(label));
    }

    // A chain of steep filters turns its phase through several half turns:
    // the curve runs on without a jump, within its axis.
    void chainPhaseRunsWithoutJumps_data() {
        QTest::addColumn<int>("highPassOrder");
        QTest::addColumn<int>("lowPassOrder");
        QTest::newRow("LR2 high-pass") << 2 << 0;
        QTest::newRow("LR8 high-pass, BW8 low-pass") << 8 << 8;
        QTest::newRow("BW4 low-pass") << 0 << 4;
    }
    void chainPhaseRunsWithoutJumps() {
        QFETCH(int, highPassOrder);
        QFETCH(int, lowPassOrder);
        std::vector<FilterStage> filters;
        if (highPassOrder)
            filters.push_back(
                Pass(FilterType::HighPass, FilterAlignment::LinkwitzRiley, highPassOrder, 25.0));
        if (lowPassOrder)
            filters.push_back(
                Pass(FilterType::LowPass, FilterAlignment::Butterworth, lowPassOrder, 80.0));
        const DesignCurves curves =
            ComputeDesignCurves(StartUpSetup(100.0, filters), Frequencies());
        DesignChart chart(Chart::Chain);
        chart.show(curves, ChartMarks(), {}, 0);
        auto *axis = AxisAt<QValueAxis>(chart, Qt::AlignRight);
        QLineSeries *phase = SeriesNamed(chart, QStringLiteral("Phase"));
        QVERIFY(axis && phase && phase->count() > 10 && axis->tickCount() <= 9);
        for (int i = 1; i < phase->count(); ++i) {
            const QPointF p = phase->at(i);
            QVERIFY2(std::fabs(p.y() - phase->at(i - 1).y()) < 90.0,
                     qPrintable(QString::number(p.x())));
            QVERIFY(p.x() < 10.0 || p.x() > 250.0 ||
                    (p.y() >= axis->min() && p.y() <= axis->max()));
        }
        // Where the gain is greatest the phase lies within a half turn of 0.
        const auto top = std::max_element(curves.chainDb.begin(), curves.chainDb.end());
        QVERIFY(std::fabs(curves.chainPhaseDeg[size_t(top - curves.chainDb.begin())]) <= 180.0);
    }

    // The thermal limit names the power all the drivers take together.
    void thermalLimitNamesEveryDriversPower_data() {
        QTest::addColumn<int>("drivers");
        QTest::addColumn<double>("peMax");
        QTest::addColumn<QString>("entry");
        QTest::newRow("one") << 1 << 125.0 << "Thermal limit (PEmax 125 W)";
        QTest::newRow("two") << 2 << 125.0 << "Thermal limit (PEmax 2 x 125 W = 250 W)";
        QTest::newRow("eight") << 8 << 600.0 << "Thermal limit (PEmax 8 x 600 W = 4800 W)";
    }
    void thermalLimitNamesEveryDriversPower() {
        QFETCH(int, drivers);
        QFETCH(double, peMax);
        QFETCH(QString, entry);
        const DesignCurves curves = ComputeDesignCurves(StartUpSetup(250.0), Frequencies());
        ChartMarks marks;
        marks.peMaxW = peMax;
        marks.driverCount = drivers;
        DesignChart chart(Chart::Limits);
        chart.show(curves, marks, {}, 0);
        QVERIFY2(chart.legendTexts().contains(entry), qPrintable(chart.legendTexts().join('|')));
    }

    // A row over time, as a step response's would be: a linear axis that
    // starts at the row's view, curves cut to it, labels at round times, and
    // a view that zooms and comes back like a frequency chart's.
    void timeAxisFromItsRow() {
        ChartKind row = ChartKindOf(Chart::Spl);
        row.horizontal = {"Time (ms)", "ms", AxisScale::Linear, true, Quantity::Time, 0.0, 200.0,
                          0.0,         50.0};
        row.frequencyMarks = 0;
        DesignCurves curves;
        for (int i = 0; i <= 400; ++i) {
            const double ms = 0.5 * i;
            curves.frequencies.push_back(ms); // the row's abscissa: times here
            curves.splDb.push_back(90.0 + 10.0 * (1.0 - std::exp(-ms / 20.0)));
        }
        DesignChart chart(row);
        chart.show(curves, ChartMarks(), {}, 0);
        QVERIFY(chart.sentence(curves).isEmpty());
        QChart *qchart = qobject_cast<QChartView *>(chart.view())->chart();
        const QList<QAbstractAxis *> horizontal = qchart->axes(Qt::Horizontal);
        QCOMPARE(horizontal.size(), 1);
        auto *axis = qobject_cast<QValueAxis *>(horizontal.front());
        QVERIFY(axis);
        QCOMPARE(axis->min(), 0.0);
        QCOMPARE(axis->max(), 50.0);
        // Only the points in view, and one beyond, are drawn.
        const auto drawn = [&] {
            auto *main = qobject_cast<QLineSeries *>(qchart->series().front());
            return main->points();
        };
        QCOMPARE(drawn().size(), 102);
        QCOMPARE(drawn().back().x(), 50.5);
        axis->setRange(100.0, 150.0);
        QCOMPARE(drawn().front().x(), 99.5);
        chart.resetView();
        QCOMPARE(axis->max(), 50.0);
        QCOMPARE(drawn().size(), 102);
        // Its labels at round times, under the plot.
        QStringList labels;
        for (QGraphicsItem *item : qchart->scene()->items())
            if (auto *text = dynamic_cast<QGraphicsSimpleTextItem *>(item))
                labels << text->text();
        for (const char *label : {"0", "10", "20", "30", "40", "50", "Time (ms)"})
            QVERIFY2(labels.contains(QLatin1String(label)), qPrintable(labels.join('|')));
    }

    // The cut sheet as a picture: SVG that is well-formed XML whatever the
    // design's name, each panel named with its dimensions in the units
    // shown; a PDF file.
    void cutSheetPictures() {
        DesignSetup s;
        s.enclosure.kind = BoxKind::Closed;
        s.enclosure.vbLitres = 50.0;
        s.construction.outsideMm = {863.6, 330.2, 457.2};
        s.construction.wallMm = 19.05;
        const BuiltBox box = *BuildBox(s);
        const QString title = QStringLiteral("B&C <18TBW100> \"8 ohm\"\x01");
        const QByteArray svg = CutSheetPicture(box, title, UnitSystem::Us, CutSheetFormat::Svg);
        QXmlStreamReader xml(svg);
        QString text;
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::Characters)
                text += xml.text();
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY2(text.contains(QStringLiteral("front/back (2): 34 in x 13 in, 3/4 in thick")),
                 qPrintable(text));
        const QByteArray pdf = CutSheetPicture(box, title, UnitSystem::Metric, CutSheetFormat::Pdf);
        QVERIFY(pdf.startsWith("%PDF-"));
    }

    // Limit lines carry their values; a denormal level is no level.
    void limitLinesNameTheirValues_data() {
        QTest::addColumn<double>("xmax");
        QTest::addColumn<double>("warning");
        QTest::addColumn<QString>("xmaxEntry");    // empty: no Xmax line
        QTest::addColumn<QString>("warningEntry"); // empty: no warning line
        QTest::addColumn<bool>("us");              // lengths in inches
        QTest::newRow("datasheet") << 14.3 << 17.0 << "Xmax 14.3 mm"
                                   << "Warning 17 m/s" << false;
        QTest::newRow("flared vents") << 14.3 << 25.0 << "Xmax 14.3 mm"
                                      << "Warning 25 m/s" << false;
        QTest::newRow("denormal") << 4.9e-324 << 4.9e-324 << ""
                                  << "" << false;
        QTest::newRow("infinite") << 14.3 << double(INFINITY) << "Xmax 14.3 mm"
                                  << "" << false;
        // 14.3 mm is 0.563 in; air velocity keeps its metres per second.
        QTest::newRow("in inches") << 14.3 << 17.0 << "Xmax 0.563 in"
                                   << "Warning 17 m/s" << true;
    }
    void limitLinesNameTheirValues() {
        QFETCH(double, xmax);
        QFETCH(double, warning);
        QFETCH(QString, xmaxEntry);
        QFETCH(QString, warningEntry);
        QFETCH(bool, us);
        const Design d = StartUpDesign(BoxKind::Vented);
        DesignCurves curves = ComputeDesignCurves(d.driver, d.box, 600.0, Frequencies());
        const double peakMm =
            *std::max_element(curves.excursionMm.begin(), curves.excursionMm.end());
        ChartMarks marks;
        marks.xmaxMm = xmax;
        marks.portVelocityWarning = warning;
        DesignChart excursion(Chart::Excursion);
        if (us) {
            ToShownUnits(curves, UnitSystem::Us);
            marks.units = UnitSystem::Us;
            ToShownUnits(marks);
            excursion.setUnits(UnitSystem::Us);
            const double peakIn =
                *std::max_element(curves.excursionMm.begin(), curves.excursionMm.end());
            QVERIFY(std::fabs(peakIn * 25.4 / peakMm - 1.0) < 1e-12);
        }
        excursion.show(curves, marks, {}, 0);
        DesignChart velocity(Chart::PortVelocity);
        velocity.show(curves, marks, {}, 0);
        const auto has = [](const QStringList &legend, const QString &prefix) {
            return std::any_of(legend.begin(), legend.end(),
                               [&](const QString &e) { return e.startsWith(prefix); });
        };
        QCOMPARE(has(excursion.legendTexts(), QStringLiteral("Xmax")), !xmaxEntry.isEmpty());
        QCOMPARE(has(velocity.legendTexts(), QStringLiteral("Warning")), !warningEntry.isEmpty());
        if (!xmaxEntry.isEmpty())
            QVERIFY(excursion.legendTexts().contains(xmaxEntry));
        if (!warningEntry.isEmpty())
            QVERIFY(velocity.legendTexts().contains(warningEntry));
        VerifyAxesBounded(excursion);
        VerifyAxesBounded(velocity);
    }

    // The SPL chart marks the tunings and the -3 dB frequencies, where the
    // response is 3 dB below the top of its passband: one for a box that
    // rises to its passband, two for a bandpass box that falls again.
    void splChartMarksFbAndMinus3dB_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("edges");
        QTest::addColumn<QString>("tunings");
        QTest::newRow("vented") << int(BoxKind::Vented) << 1 << "Fb 22 Hz";
        QTest::newRow("4th-order bandpass") << int(BoxKind::Bandpass4) << 2 << "Fb 50 Hz";
        QTest::newRow("6th-order bandpass") << int(BoxKind::Bandpass6) << 2 << "Fb 30 and 70 Hz";
    }
    void splChartMarksFbAndMinus3dB() {
        QFETCH(int, kind);
        QFETCH(int, edges);
        QFETCH(QString, tunings);
        DesignSetup setup = StartUpSetup(600.0);
        setup.enclosure.kind = static_cast<BoxKind>(kind);
        ChartMarks marks;
        marks.fbHz = setup.enclosure.fbHz;
        if (setup.enclosure.kind != BoxKind::Vented) {
            BoxParameters &b = setup.enclosure;
            b.vbLitres = 100.0;
            b.frontVolumeLitres = 80.0;
            b.fbHz = setup.enclosure.kind == BoxKind::Bandpass4 ? 50.0 : 70.0;
            b.rearTuningHz = 30.0;
            b.ventCount = b.rearVentCount = 1.0;
            b.ventDiameterMm = b.rearVentDiameterMm = 150.0;
            marks.fbHz = b.fbHz;
            if (setup.enclosure.kind == BoxKind::Bandpass6)
                marks.rearFbHz = b.rearTuningHz;
        }
        const DesignCurves curves = ComputeDesignCurves(setup, Frequencies());
        marks.designLabel = QStringLiteral("the design");
        // The vent chart names the front vents beside the rear ones.
        DesignChart vents(Chart::PortVelocity);
        vents.show(curves, marks, {}, 0);
        QCOMPARE(vents.legendTexts().front(), setup.enclosure.kind == BoxKind::Bandpass6
                                                  ? QStringLiteral("Front vents: the design")
                                                  : QStringLiteral("the design"));
        DesignChart spl(Chart::Spl);
        spl.show(curves, marks, {}, 0);
        const QStringList legend = spl.legendTexts();
        QCOMPARE(legend.front(), QStringLiteral("the design"));
        QVERIFY2(legend.contains(tunings), qPrintable(legend.join('|')));
        const auto f3 = std::find_if(legend.begin(), legend.end(), [](const QString &e) {
            return e.startsWith(QStringLiteral("-3 dB at "));
        });
        QVERIFY(f3 != legend.end());
        QVERIFY(f3->endsWith(QStringLiteral(" Hz (from the passband's top)")));
        const QStringList figures =
            f3->mid(9).section(QStringLiteral(" Hz"), 0, 0).split(QStringLiteral(" and "));
        QCOMPARE(figures.size(), edges);
        const chartscale::Span band =
            chartscale::SpanOf(curves.frequencies, curves.responseDb, 10.0, 250.0);
        for (const QString &figure : figures) {
            const std::optional<double> level =
                chartscale::ValueAt(curves.frequencies, curves.responseDb, figure.toDouble());
            QVERIFY(level);
            QVERIFY2(std::fabs(*level - (band.high - 3.0)) < 0.05,
                     qPrintable(figure + QLatin1Char(' ') + QString::number(*level)));
        }
    }

    // The curves carry the points in view and one beyond each edge; a zoom
    // out and the view reset bring the others, the overlays' too.
    void curvesReachTheEdgesOfEveryView() {
        const Design d = StartUpDesign(BoxKind::Vented);
        const DesignCurves curves = ComputeDesignCurves(d.driver, d.box, 600.0, Frequencies());
        DesignChart spl(Chart::Spl);
        spl.show(curves, ChartMarks(), {{QStringLiteral("pinned"), OverlayColour(0), &curves}}, 1);
        auto *view = qobject_cast<QChartView *>(spl.view());
        auto *axis = qobject_cast<QLogValueAxis *>(view->chart()->axes(Qt::Horizontal).front());
        const auto check = [&](double low, double high) {
            axis->setRange(low, high);
            for (QAbstractSeries *series : view->chart()->series()) {
                auto *line = qobject_cast<QLineSeries *>(series);
                if (!line->isVisible() || line->count() < 3) // marker lines
                    continue;
                QVERIFY2(line->at(0).x() <= low && line->at(line->count() - 1).x() >= high,
                         qPrintable(QStringLiteral("%1 to %2 Hz: %3 to %4")
                                        .arg(low)
                                        .arg(high)
                                        .arg(line->at(0).x())
                                        .arg(line->at(line->count() - 1).x())));
                QVERIFY(line->at(1).x() > low && line->at(line->count() - 2).x() < high);
            }
        };
        check(ChartViewLowHz, ChartViewHighHz);
        check(30.0, 40.0);
        check(6.0, 900.0);
        spl.resetView();
        check(ChartViewLowHz, ChartViewHighHz);
    }

    // A 128 KiB label (a design file's manufacturer line) and 40,000
    // characters of overlay label: cut before Qt lays anything out.
    void hugeLabelsAreCutBeforeQtSeesThem_data() {
        QTest::addColumn<int>("length");
        QTest::newRow("128 KiB") << 128 * 1024;
        QTest::newRow("40,000 characters") << 40000;
    }
    void hugeLabelsAreCutBeforeQtSeesThem() {
        QFETCH(int, length);
        const Design d = StartUpDesign(BoxKind::Vented);
        const DesignCurves curves = ComputeDesignCurves(d.driver, d.box, 600.0, Frequencies());
        ChartMarks marks;
        marks.designLabel = QString(length, QLatin1Char('M'));
        marks.xmaxMm = d.driver.xmaxMm;
        const std::vector<ChartOverlay> overlays{
            {QString(length, QLatin1Char('W')), OverlayColour(0), &curves}};
        for (int i = 0; i < ChartCount; ++i) {
            DesignChart chart(static_cast<Chart>(i));
            chart.show(curves, marks, overlays, 1);
            const QStringList legend = chart.legendTexts();
            // The room's chart is a sentence in half space.
            QVERIFY(legend.size() >= 2 || static_cast<Chart>(i) == Chart::Room);
            for (const QString &entry : legend)
                QVERIFY2(entry.size() <= chartscale::MaxLabelLength, qPrintable(entry.left(40)));
            Painted(chart);
        }
    }

    // A picture of a window never shown is the picture of the window shown.
    void pictureDoesNotDependOnTheWindowBeingShown() {
        QTemporaryDir dir;
        ChartsWindow w;
        const QByteArray hidden = w.exported(dir.filePath(QStringLiteral("hidden.png")));
        QImage image = QImage::fromData(hidden, "PNG");
        QCOMPARE(image.width(), 1600);
        QVERIFY(image.height() > 1000);
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        w.form->resize(1100, 1000);
        QTRY_COMPARE(w.form->size(), QSize(1100, 1000));
        const QByteArray shown = w.exported(dir.filePath(QStringLiteral("shown.png")));
        QVERIFY(!shown.isEmpty());
        QVERIFY(hidden == shown);
        // The plot reaches the right of the picture (a picture of the
        // window as never laid out was cut off there).
        bool inkOnTheRight = false;
        for (int y = 0; y < image.height() && !inkOnTheRight; ++y)
            inkOnTheRight = QColor(image.pixel(1460, y)).lightness() < 200;
        QVERIFY(inkOnTheRight);
    }

    // The SPL chart and each chart on the tabs below it start and end their
    // plots at the same pixels of the window, at any window width.
    void plotAreasLineUpInTheWindow_data() {
        QTest::addColumn<int>("width");
        QTest::newRow("1024 px") << 1024;
        QTest::newRow("1400 px") << 1400;
        QTest::newRow("narrowest") << 0; // the window's least width
    }
    void plotAreasLineUpInTheWindow() {
        QFETCH(int, width);
        ChartsWindow w;
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        if (width == 0)
            width = w.form->minimumSizeHint().width();
        w.form->resize(width, 900);
        QTRY_COMPARE(w.form->width(), width);
        auto *splitter = w.form->findChild<QSplitter *>(QStringLiteral("ChartSplitter"));
        QVERIFY(splitter);
        auto *tabs = w.form->findChild<QTabWidget *>(QStringLiteral("ChartPages"));
        QVERIFY(tabs);
        const auto edges = [&](const char *name) {
            auto *view = w.form->findChild<QChartView *>(QLatin1String(name));
            const QRectF plot = view->chart()->plotArea();
            const QPoint origin = view->mapTo(w.form.get(), QPoint(0, 0));
            return std::make_pair(origin.x() + plot.left(), origin.x() + plot.right());
        };
        const char *const tabViews[] = {"ExcursionView",  "PortVelocityView", "ImpedanceView",
                                        "GroupDelayView", "LimitsView",       "ChainChartView",
                                        "RoomChartView"};
        QCOMPARE(tabs->count(), int(std::size(tabViews)));
        // The room's chart needs a room.
        w.form->findChild<QRadioButton *>(QStringLiteral("RoomChoice"))->setChecked(true);
        w.form->findChild<QPushButton *>(QStringLiteral("UpdateButton"))->click();
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            QTRY_COMPARE(edges(tabViews[i]).first, edges("SplView").first);
            QTRY_COMPARE(edges(tabViews[i]).second, edges("SplView").second);
            const auto spl = edges("SplView");
            QVERIFY(spl.second - spl.first > splitter->width() / 2);
        }
    }

    // The window opens within a laptop's screen, and at 1024 x 640 every
    // control and chart can still be reached: each widget on show lies in
    // the window, or in the side panel's scroll area across its width.
    void everyControlAndChartFitsSmallScreens_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("space");
        QTest::newRow("1280 x 720, vented, half space") << QSize(1280, 720) << "VentedChoice"
                                                        << "HalfSpaceChoice";
        QTest::newRow("1024 x 640, passive radiator, room")
            << QSize(1024, 640) << "PassiveRadiatorChoice"
            << "RoomChoice";
        QTest::newRow("1024 x 640, 6th-order bandpass, car")
            << QSize(1024, 640) << "Bandpass6Choice"
            << "CarChoice";
    }
    void everyControlAndChartFitsSmallScreens() {
        QFETCH(QSize, size);
        QFETCH(QString, kind);
        QFETCH(QString, space);
        ChartsWindow w;
        // A long name with markup: shown as text, and wrapped in legends.
        w.fields.setText(Field::EManufacturer, QStringLiteral("<h1><font color=red>A maker"));
        QVERIFY(w.form->width() <= 1280 && w.form->height() <= 720);
        w.form->findChild<QRadioButton *>(kind)->setChecked(true);
        w.form->findChild<QRadioButton *>(space)->setChecked(true);
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        w.form->resize(size);
        QTRY_COMPARE(w.form->size(), size);
        auto *tabs = w.form->findChild<QTabWidget *>(QStringLiteral("ChartPages"));
        auto *scroll = w.form->findChild<QScrollArea *>(QStringLiteral("SidePanelScroll"));
        QVERIFY(tabs && scroll);
        const QRect window = w.form->rect();
        const QRect viewport(scroll->viewport()->mapTo(w.form.get(), QPoint(0, 0)),
                             scroll->viewport()->size());
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            QTRY_VERIFY(tabs->currentWidget()->isVisible());
            for (QWidget *c : w.form->findChildren<QWidget *>()) {
                if (!c->isVisibleTo(w.form.get()) || c->isWindow())
                    continue;
                const QRect r(c->mapTo(w.form.get(), QPoint(0, 0)), c->size());
                const QString name = c->objectName() + QLatin1Char(' ') +
                                     QLatin1String(c->metaObject()->className());
                if (scroll->widget()->isAncestorOf(c))
                    QVERIFY2(r.left() >= viewport.left() && r.right() <= viewport.right(),
                             qPrintable(name));
                else
                    QVERIFY2(window.contains(r), qPrintable(name));
                if (auto *label = qobject_cast<QLabel *>(c))
                    QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(name));
                // Every word of a chart, its wrapped legend too, within it;
                // a label's end, the power, on show.
                if (auto *view = qobject_cast<QChartView *>(c)) {
                    QString words;
                    for (QGraphicsItem *item : view->scene()->items())
                        if (auto *text = dynamic_cast<QGraphicsSimpleTextItem *>(item);
                            text && text->isVisible()) {
                            words += text->text() + QLatin1Char(' ');
                            QVERIFY2(text->sceneBoundingRect().right() <= view->width(),
                                     qPrintable(text->text()));
                        }
                    QVERIFY2(words.contains(QStringLiteral("600 W")) ||
                                 !view->objectName().startsWith(QStringLiteral("Spl")),
                             qPrintable(words));
                }
            }
        }
        // The charts keep a readable height.
        QVERIFY(w.form->findChild<QChartView *>(QStringLiteral("SplView"))->height() >= 150);
    }

    // Control bytes and line breaks in the driver's name: the SVG stays
    // XML, the FRD file's comments stay comments.
    void controlBytesNeverReachAnExport_data() {
        QTest::addColumn<QString>("manufacturer");
        QTest::newRow("escape and bell") << QString::fromUtf8("Fa\x1b[31mne\x07");
        QTest::newRow("line break") << QStringLiteral("Fane\r\n1 2 3");
        QTest::newRow("NUL and lone surrogate") << QString(QChar(0)) + QChar(0xdc00) + "x";
        // Markup is text: the title reads back as typed, and no element of
        // it reaches the picture.
        QTest::newRow("ampersand") << QStringLiteral("B&C Speakers <8 ohm>");
        QTest::newRow("a script") << QStringLiteral("X</title><script>alert(1)</script><title>");
    }
    void controlBytesNeverReachAnExport() {
        QFETCH(QString, manufacturer);
        QTemporaryDir dir;
        ChartsWindow w;
        w.fields.setText(Field::EManufacturer, manufacturer);
        const QByteArray svg = w.exported(dir.filePath(QStringLiteral("c.svg")));
        QVERIFY(!svg.isEmpty());
        QXmlStreamReader xml(svg);
        QString title;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement()) {
                QVERIFY(xml.name() != QLatin1String("script"));
                if (xml.name() == QLatin1String("title"))
                    title = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        const bool printable = std::all_of(manufacturer.begin(), manufacturer.end(),
                                           [](QChar c) { return c.isPrint(); });
        if (printable)
            QVERIFY2(title.contains(manufacturer), qPrintable(title));
        const QByteArray frd = w.exported(dir.filePath(QStringLiteral("c.frd")));
        bool data = false;
        int comments = 0;
        for (const QByteArray &line : frd.split('\n')) {
            const QByteArray l = line.trimmed();
            if (l.isEmpty())
                continue;
            if (l.startsWith('*') && !data) {
                ++comments;
                continue;
            }
            data = true;
            QCOMPARE(l.split(' ').size(), 3);
        }
        QCOMPARE(comments, 4); // the title, what, the level, the columns
    }

    // Curves of which not one figure is a number: refused, nothing written.
    // An Fs of 1e300 is no driver's: the charts name it; a CSV of such a
    // design holds no figure at all.
    void exportOfNoFiguresIsRefused_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("withRe");
        QTest::addColumn<QString>("message");
        QTest::newRow("frd") << "x.frd" << true << "SPL needs Fs (Driver page).";
        QTest::newRow("csv without Re") << "x.csv" << false
                                        << "Nothing to export: not one figure of the design is a "
                                           "number. Check the Driver and Box pages.";
    }
    void exportOfNoFiguresIsRefused() {
        QFETCH(QString, name);
        QFETCH(bool, withRe);
        QFETCH(QString, message);
        Design d = StartUpDesign(BoxKind::Vented);
        d.driver.fs = 1e300;
        if (!withRe)
            d.driver.re.reset();
        const DesignCurves curves = ComputeDesignCurves(d.driver, d.box, 600.0, Frequencies());
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QString why;
        try {
            WriteCurvesFile(path, curves, QStringLiteral("title"));
        } catch (const DravikError &e) {
            why = e.message();
        }
        QCOMPARE(why, message);
        QVERIFY(!QFile::exists(path));
        QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    }

    // "= inf V RMS" no more: a power or Re no amplifier gives shows no voltage.
    void voltageOnlyForUsablePowers_data() {
        QTest::addColumn<QString>("power");
        QTest::addColumn<QString>("re");
        QTest::addColumn<QString>("voltage");
        // sqrt(300 x 6.5) = 44.159
        QTest::newRow("300 W into 6.5 ohm") << "300"
                                            << "6.5"
                                            << "= 44.16 V RMS";
        QTest::newRow("1e308 W") << "1e308"
                                 << "6.5"
                                 << "";
        QTest::newRow("denormal power") << "4.9e-324"
                                        << "6.5"
                                        << "";
        QTest::newRow("denormal Re") << "300"
                                     << "4.9e-324"
                                     << "";
        QTest::newRow("no power") << "0"
                                  << "6.5"
                                  << "";
    }
    void voltageOnlyForUsablePowers() {
        QFETCH(QString, power);
        QFETCH(QString, re);
        QFETCH(QString, voltage);
        ChartsWindow w;
        w.fields.setText(Field::ERe, re);
        w.form->findChild<QLineEdit *>(QStringLiteral("EPower"))->setText(power);
        w.form->UpdateButtonClick();
        QCOMPARE(w.form->findChild<QLabel *>(QStringLiteral("VoltageLabel"))->text(), voltage);
    }

    // The FRD file at 2.83 V lies 10 log10(P / (2.83^2 / Re)) below the file
    // at the charts' power P, and says so.
    void frdLevelIsTheOneChosen_data() {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<double>("power");
        QTest::newRow("2.83 V into 6.5 ohm") << "FrdAt283VChoice" << 2.83 * 2.83 / 6.5;
        QTest::newRow("1 W") << "FrdAt1WChoice" << 1.0;
        QTest::newRow("chart power") << "FrdAtChartPowerChoice" << 600.0;
    }
    void frdLevelIsTheOneChosen() {
        QFETCH(QString, choice);
        QFETCH(double, power);
        QTemporaryDir dir;
        ChartsWindow w;
        w.form->findChild<QRadioButton *>(QStringLiteral("FrdAtChartPowerChoice"))
            ->setChecked(true);
        const QByteArray atChart = w.exported(dir.filePath(QStringLiteral("chart.frd")));
        w.form->findChild<QRadioButton *>(choice)->setChecked(true);
        const QByteArray chosen = w.exported(dir.filePath(QStringLiteral("chosen.frd")));
        const auto rows = [](const QByteArray &file) {
            QList<QList<double>> out;
            for (const QByteArray &line : file.split('\n'))
                if (!line.trimmed().isEmpty() && !line.startsWith('*')) {
                    QList<double> cells;
                    for (const QByteArray &c : line.trimmed().split(' '))
                        cells << c.toDouble();
                    out << cells;
                }
            return out;
        };
        const auto a = rows(atChart), b = rows(chosen);
        QCOMPARE(a.size(), b.size());
        QVERIFY(a.size() >= 368);
        for (qsizetype i = 0; i < a.size(); ++i) {
            QCOMPARE(a[i][0], b[i][0]);
            QVERIFY(std::fabs(b[i][1] - a[i][1] - 10.0 * std::log10(power / 600.0)) < 1e-4);
            QVERIFY(std::fabs(b[i][2] - a[i][2]) < 1e-6);
        }
        QVERIFY(chosen.contains("\r\n* Level at "));
    }
};

QTEST_MAIN(TestDesignChart)
#include "tst_designchart.moc"
