#include "DesignChart.h"

#include "Acoustics.h"
#include "ChartScale.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QLabel>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>

namespace dravik {

using namespace chartscale;

// A chart view that zooms to a dragged rectangle, tells where the mouse is,
// and lays its chart out anew when its size or place changes.
class ChartView : public QChartView {
public:
    ChartView(QChart *chart, std::function<void(double)> pointed, std::function<void()> resized)
        : QChartView(chart), pointed_(std::move(pointed)), resized_(std::move(resized)) {
        setRubberBand(QChartView::RectangleRubberBand);
        setRenderHint(QPainter::Antialiasing);
        setMouseTracking(true);
    }

protected:
    void mouseMoveEvent(QMouseEvent *event) override {
        const QPointF value = chart()->mapToValue(event->position());
        if (chart()->plotArea().contains(event->position()))
            pointed_(value.x());
        QChartView::mouseMoveEvent(event);
    }
    void resizeEvent(QResizeEvent *event) override {
        QChartView::resizeEvent(event);
        resized_();
    }
    void showEvent(QShowEvent *event) override {
        QChartView::showEvent(event);
        resized_();
    }

private:
    std::function<void(double)> pointed_;
    std::function<void()> resized_;
};

namespace {

// The colours of the fixed curves; the overlays' palette avoids all of them.
const QColor CurrentBlue(0x1f, 0x5f, 0xbf);
const QColor LimitRed(0xc0, 0x30, 0x30);
const QColor Grey(0x70, 0x70, 0x70);
const QColor PowerGreen(0x2a, 0x8a, 0x3a);
const QColor XmaxOrange(0xe0, 0x80, 0x00);
const QColor MarkerDark(0x30, 0x30, 0x30);
const QColor AmplifierPurple(0x80, 0x30, 0xa0);

QPen Pen(const QColor &colour, int width, Qt::PenStyle style) {
    QPen pen(colour);
    pen.setWidth(width);
    pen.setStyle(style);
    return pen;
}

QColor ColourOf(CurveColour colour) {
    switch (colour) {
    case CurveColour::Current:
        return CurrentBlue;
    case CurveColour::Limit:
        return LimitRed;
    case CurveColour::Grey:
        return Grey;
    case CurveColour::Power:
        return PowerGreen;
    case CurveColour::Xmax:
        return XmaxOrange;
    case CurveColour::Marker:
        return MarkerDark;
    case CurveColour::Amplifier:
        return AmplifierPurple;
    }
    return CurrentBlue;
}

Qt::PenStyle PenStyleOf(LineStyle style) {
    switch (style) {
    case LineStyle::Solid:
        return Qt::SolidLine;
    case LineStyle::Dash:
        return Qt::DashLine;
    case LineStyle::Dot:
        return Qt::DotLine;
    case LineStyle::DashDot:
        return Qt::DashDotLine;
    }
    return Qt::SolidLine;
}

QPen PenOf(const CurveStyle &style) {
    return Pen(ColourOf(style.colour), style.width, PenStyleOf(style.style));
}

// Where the plot areas of the window's charts start and end, in pixels from
// the window's left and right edges: the same for every chart, wherever its
// view lies, so the frequency scales line up to the pixel.
constexpr int WindowPlotLeft = 92;
constexpr int WindowPlotRight = 84;
// The least room beside a plot for the vertical axes' labels and titles.
constexpr int MinPlotLeft = 64;
constexpr int MinPlotRight = 60;
// The same for a picture, where the charts lie one above the other.
constexpr int PicturePlotLeft = 72;
constexpr int PicturePlotRight = 72;
constexpr int PictureChartHeight = 520;
constexpr int PictureSentenceHeight = 120;
constexpr double TopMargin = 14.0;
// The legend: a stretch of each curve's line, then its text.
constexpr double SampleLength = 30.0;
constexpr double SampleGap = 6.0;
constexpr double EntryGap = 20.0;
constexpr double RowGap = 3.0;
// On the limits chart the levels take the upper part of the height and the
// power the lower part, so the power curve never crosses the levels.
constexpr double LevelShare = 0.62;
constexpr double PowerShare = 0.30;

double Floor5(double v) {
    return 5.0 * std::floor(v / 5.0);
}
double Ceil5(double v) {
    return 5.0 * std::ceil(v / 5.0);
}

// The points a curve is drawn through: every finite one (on a logarithmic
// axis, every one above 0), from index `first` to `last`.
QList<QPointF> Points(const std::vector<double> &frequencies, const std::vector<double> &values,
                      bool logAxis, size_t first = 0, size_t last = SIZE_MAX) {
    QList<QPointF> points;
    last = std::min({last, values.size() ? values.size() - 1 : 0, frequencies.size() - 1});
    if (values.empty())
        return points;
    points.reserve(static_cast<qsizetype>(last - first + 1));
    for (size_t i = first; i <= last; ++i)
        if (std::isfinite(values[i]) && (!logAxis || values[i] > 0.0))
            points.append(QPointF(frequencies[i], values[i]));
    return points;
}

// The indices of the frequencies in view, with one more on each side so the
// curve runs to the plot's edges. The raster engine strokes every segment
// of a path before it clips, so the curves carry only these points.
std::pair<size_t, size_t> SliceInView(const std::vector<double> &frequencies, double lowHz,
                                      double highHz) {
    if (frequencies.empty())
        return {0, 0};
    const auto first = std::lower_bound(frequencies.begin(), frequencies.end(), lowHz);
    const auto last = std::upper_bound(frequencies.begin(), frequencies.end(), highHz);
    const size_t from = first == frequencies.begin() ? 0 : size_t(first - frequencies.begin()) - 1;
    const size_t to = std::min(size_t(last - frequencies.begin()), frequencies.size() - 1);
    return {from, std::max(from, to)};
}

// The span of a curve's values above 0, for a logarithmic axis. A curve
// that leaves the axis's reach at the top (the power a steep low-pass asks
// for near 1 kHz) is clipped there, as long as some of it lies below: only
// a curve wholly out of reach leaves the span empty of usable values.
Span PositiveSpanOf(const std::vector<double> &frequencies, const std::vector<double> &values,
                    double lowHz, double highHz) {
    Span s;
    bool above = false;
    const size_t n = std::min(frequencies.size(), values.size());
    for (size_t i = 0; i < n; ++i) {
        if (!(frequencies[i] >= lowHz && frequencies[i] <= highHz && values[i] > 0.0))
            continue;
        if (values[i] > MaxLogAxis)
            above = true;
        else
            s.add(values[i]);
    }
    if (above)
        s.add(s.empty ? MaxLogAxis * 10.0 : MaxLogAxis);
    return s;
}

struct PhaseAxis {
    double low, high;
    int ticks;
};

// The chain's phase axis: whole half turns around the phase in view, at
// least one turn, labelled every 90 degrees or every 180, 360, ... so that
// no more than nine labels stand on it.
PhaseAxis ChainPhaseAxis(const Span &phase) {
    if (phase.empty || !std::isfinite(phase.low) || !std::isfinite(phase.high) ||
        phase.high - phase.low > 36000.0)
        return {-180.0, 180.0, 5};
    double low = 180.0 * std::floor(phase.low / 180.0 + 1e-9);
    double high = 180.0 * std::ceil(phase.high / 180.0 - 1e-9);
    if (high - low < 360.0) {
        const double middle = 180.0 * std::round((low + high) / 360.0);
        low = middle - 180.0;
        high = middle + 180.0;
    }
    double step = 90.0;
    while ((high - low) / step > 8.0)
        step *= 2.0;
    low = step * std::floor(low / step);
    high = step * std::ceil(high / step);
    return {low, high, static_cast<int>(std::lround((high - low) / step)) + 1};
}

// The level axis of the maximum-level chart: its steps labelled in the
// upper part only, where the levels lie; the lower part is the power's.
void LabelLevelBand(QCategoryAxis *axis, const LinearRange &range) {
    const double bandLow = range.high - (range.high - range.low) * LevelShare;
    QStringList labels;
    std::vector<double> values;
    for (int i = 0; i <= range.steps; ++i) {
        const double v = range.low + i * range.step;
        if (v >= bandLow - 1e-9 * std::max(1.0, std::fabs(v))) {
            labels << QString::number(v, 'g', 6);
            values.push_back(v);
        }
    }
    if (axis->categoriesLabels() == labels && axis->startValue() == range.low)
        return; // unchanged: no new layout
    for (const QString &label : axis->categoriesLabels())
        axis->remove(label);
    axis->setStartValue(range.low);
    for (size_t i = 0; i < values.size(); ++i)
        axis->append(labels[qsizetype(i)], values[i]);
}

QGraphicsSimpleTextItem *Text(QGraphicsItem *parent, const QString &text, const QFont &font,
                              const QBrush &brush) {
    auto *item = new QGraphicsSimpleTextItem(text, parent);
    item->setFont(font);
    item->setBrush(brush);
    item->setZValue(10);
    return item;
}

// A linear axis's label: as few digits as the figure needs.
QString LinearLabelText(double v) {
    return QString::number(v, 'g', 6);
}

} // namespace

DesignChart::DesignChart(Chart which) : DesignChart(ChartKindOf(which)) {}

DesignChart::DesignChart(const ChartKind &kind) : which_(kind.chart), kind_(kind) {
    // A row's horizontal axis is logarithmic (frequency) or linear (time).
    if (kind_.horizontal.scale == AxisScale::LevelBand || !kind_.abscissa ||
        !(kind_.horizontal.from < kind_.horizontal.to))
        throw std::logic_error("a chart's horizontal axis that the window cannot draw");
    const QString objectNamePrefix = QLatin1String(kind_.objectName);
    panel_ = new QWidget;
    panel_->setObjectName(objectNamePrefix + QStringLiteral("Panel"));
    auto *layout = new QVBoxLayout(panel_);
    layout->setContentsMargins(0, 0, 0, 0);
    message_ = new QLabel;
    message_->setTextFormat(Qt::PlainText); // a sentence may name the design
    message_->setObjectName(objectNamePrefix + QStringLiteral("Message"));
    message_->setWordWrap(true);
    message_->setAlignment(Qt::AlignCenter);
    message_->setMinimumSize(400, 100);
    message_->hide();
    readout_ = new QLabel;
    readout_->setTextFormat(Qt::PlainText);
    readout_->setObjectName(objectNamePrefix + QStringLiteral("Readout"));

    chart_ = new QChart;
    // The chart's name is on its tab or on its axis; the legend is drawn
    // below the plot by the chart itself (see placeLegend).
    chart_->legend()->hide();
    // Under a plot area of its own the chart leaves its background where it
    // was first laid out: the view paints the white instead.
    chart_->setBackgroundVisible(false);
    if (kind_.horizontal.scale == AxisScale::Logarithmic) {
        logHorizontal_ = new QLogValueAxis;
        logHorizontal_->setBase(10.0);
        logHorizontal_->setMinorTickCount(8); // a grid line at every integer multiple
        frequencyAxis_ = logHorizontal_;
    } else {
        linearHorizontal_ = new QValueAxis;
        frequencyAxis_ = linearHorizontal_;
    }
    frequencyAxis_->setLabelsVisible(false);
    frequencyAxis_->setTitleVisible(false);
    chart_->addAxis(frequencyAxis_, Qt::AlignBottom);
    // The maximum-level chart's levels are labelled only where the levels
    // lie, above the power curve's band.
    if (kind_.left.scale == AxisScale::LevelBand) {
        auto *levels = new QCategoryAxis;
        levels->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        leftAxis_ = levels;
    } else {
        leftAxis_ = new QValueAxis;
    }
    leftAxis_->setTitleText(QLatin1String(kind_.left.title));
    leftAxis_->setLabelFormat(QStringLiteral("%g"));
    chart_->addAxis(leftAxis_, Qt::AlignLeft);
    if (kind_.right.exists()) {
        if (kind_.right.scale == AxisScale::Logarithmic) {
            rightLogAxis_ = new QLogValueAxis;
            rightLogAxis_->setBase(10.0);
            rightLogAxis_->setLabelsVisible(false);
            rightLogAxis_->setTitleVisible(false);
            rightLogAxis_->setGridLineVisible(false);
            rightLogAxis_->setMinorGridLineVisible(false);
            rightLogAxis_->setMinorTickCount(0);
            rightLogAxis_->setLineVisible(false); // drawn beside the power band only
            chart_->addAxis(rightLogAxis_, Qt::AlignRight);
        } else {
            rightValueAxis_ = new QValueAxis;
            rightValueAxis_->setTitleText(QLatin1String(kind_.right.title));
            rightValueAxis_->setTitleVisible(kind_.right.titleShown);
            rightValueAxis_->setLabelFormat(QStringLiteral("%g"));
            rightValueAxis_->setGridLineVisible(false);
            chart_->addAxis(rightValueAxis_, Qt::AlignRight);
        }
    }

    // The curves, then the lines of the marks over them.
    for (const ChartCurve &curve : kind_.curves)
        addCurve(curve);
    for (const LevelMark &mark : kind_.levelMarks)
        levelLines_.push_back({addLine(PenOf(mark.style)), &mark});
    const QPen tuning = Pen(MarkerDark, 1, Qt::DashDotLine), edge = Pen(MarkerDark, 1, Qt::DotLine);
    if (kind_.marks(FrequencyMark::Tuning)) {
        fbLine_ = addLine(tuning);
        rearFbLine_ = addLine(tuning);
    }
    if (kind_.marks(FrequencyMark::PassbandEdges)) {
        f3Line_ = addLine(edge);
        f3HighLine_ = addLine(edge);
    }
    if (kind_.marks(FrequencyMark::Schroeder))
        schroederLine_ = addLine(tuning);
    if (kind_.marks(FrequencyMark::ModesCut))
        modesLine_ = addLine(Pen(LimitRed, 1, Qt::DotLine));

    view_ = new ChartView(
        chart_,
        [this](double f) {
            if (!shown_)
                return;
            QString text = QString::number(f, 'f', f < 100.0 ? 1 : 0) + QLatin1Char(' ') +
                           QLatin1String(kind_.horizontal.unit);
            for (const Curve &c : curves_) {
                if (!c.series->isVisible())
                    continue;
                if (const std::optional<double> v = ValueAt(abscissa(*shown_), (*shown_).*c.values,
                                                            f, logHorizontal_ != nullptr))
                    text += QStringLiteral("   ") + c.series->name() + QStringLiteral(": ") +
                            QString::number(*v, 'f', std::fabs(*v) < 10.0 ? 2 : 1) +
                            QLatin1Char(' ') +
                            AxisUnit(c.rightAxis ? kind_.right : kind_.left, units_);
            }
            readout_->setText(text);
        },
        [this] { fitToView(); });
    view_->setObjectName(objectNamePrefix + QStringLiteral("View"));
    // One rectangle around everything that changed: the labels, legend and
    // marker lines would otherwise make a clip of many small rectangles that
    // every line of the curves is cut against.
    view_->setViewportUpdateMode(QGraphicsView::BoundingRectViewportUpdate);
    view_->setMinimumSize(400, 180);
    const auto followRange = [this] {
        sliceToView();
        placeAxisLabels();
    };
    if (logHorizontal_)
        QObject::connect(logHorizontal_, &QLogValueAxis::rangeChanged, view_, followRange);
    else
        QObject::connect(linearHorizontal_, &QValueAxis::rangeChanged, view_, followRange);
    if (rightLogAxis_)
        QObject::connect(rightLogAxis_, &QLogValueAxis::rangeChanged, view_,
                         [this] { placeAxisLabels(); });
    layout->addWidget(message_, 1);
    layout->addWidget(view_, 1);
    layout->addWidget(readout_);
    resetView();
}

DesignChart::~DesignChart() = default;

void TextWidths::setFont(const QFont &font) {
    if (metrics_ && font_ == font)
        return;
    font_ = font;
    metrics_.emplace(font);
    widths_.clear();
}

double TextWidths::horizontalAdvance(const QString &text) const {
    if (const auto it = widths_.constFind(text); it != widths_.constEnd())
        return *it;
    // The designs shown come and go; the cache keeps what a few of them use.
    if (widths_.size() > MaxTexts)
        widths_.clear();
    const double width = metrics_->horizontalAdvance(text);
    widths_.insert(text, width);
    return width;
}

void DesignChart::addCurve(const ChartCurve &curve) {
    auto *series = new QLineSeries;
    series->setName(QLatin1String(curve.name));
    series->setPen(PenOf(curve.style));
    chart_->addSeries(series);
    series->attachAxis(frequencyAxis_);
    const bool rightAxis = curve.axis == AxisSide::Right;
    if (!rightAxis)
        series->attachAxis(leftAxis_);
    else if (rightLogAxis_)
        series->attachAxis(rightLogAxis_);
    else
        series->attachAxis(rightValueAxis_);
    curves_.push_back({series, curve.values, rightAxis, curve.legend});
}

QLineSeries *DesignChart::addLine(const QPen &pen) {
    auto *series = new QLineSeries;
    series->setPen(pen);
    chart_->addSeries(series);
    series->attachAxis(frequencyAxis_);
    series->attachAxis(leftAxis_);
    series->setVisible(false);
    return series;
}

QString DesignChart::sentence(const DesignCurves &curves) const {
    if (!curves.has(which_))
        return MissingInputsSentence(which_, curves.lacks(which_));
    // Every curve the chart draws must fit an axis that Qt can cut into
    // steps: a design of 1e300 Hz or 1e308 W gives a sentence, not a chart.
    Span left, right;
    for (const Curve &c : curves_) {
        const std::vector<double> &v = curves.*c.values;
        if (!c.rightAxis)
            left.add(SpanOf(abscissa(curves), v, fullFrom(), fullTo()));
        else if (rightLogAxis_)
            right.add(PositiveSpanOf(abscissa(curves), v, fullFrom(), fullTo()));
        else
            right.add(SpanOf(abscissa(curves), v, fullFrom(), fullTo()));
    }
    const bool leftFits = !left.empty && NiceRange(left.low, left.high, 8).has_value();
    const bool rightFits =
        (!rightLogAxis_ && !rightValueAxis_) ||
        (!right.empty && (rightLogAxis_ ? LogRangeOf(right.low, right.high).has_value()
                                        : NiceRange(right.low, right.high, 8).has_value()));
    if (leftFits && rightFits)
        return {};
    return ChartTitle(which_) +
           QStringLiteral(" cannot be drawn: the design's figures are out of range.");
}

void DesignChart::showMessage(const DesignCurves &curves) {
    sentence_ = sentence(curves);
    const bool drawn = sentence_.isEmpty();
    message_->setText(sentence_);
    message_->setVisible(!drawn);
    view_->setVisible(drawn);
    readout_->setVisible(drawn);
}

QWidget *DesignChart::view() const {
    return view_;
}

void DesignChart::showOverlays(const std::vector<ChartOverlay> &overlays) {
    while (overlaySeries_.size() < overlays.size()) {
        auto *series = new QLineSeries;
        chart_->addSeries(series);
        series->attachAxis(frequencyAxis_);
        series->attachAxis(leftAxis_);
        overlaySeries_.push_back(series);
    }
    overlays_.clear();
    for (size_t i = 0; i < overlaySeries_.size(); ++i) {
        QLineSeries *series = overlaySeries_[i];
        const bool drawn = i < overlays.size() && sentence(*overlays[i].curves).isEmpty();
        if (i < overlays.size()) {
            series->setName(DisplayLabel(overlays[i].label));
            if (series->pen().color() != overlays[i].colour)
                series->setPen(Pen(overlays[i].colour, 2, Qt::SolidLine));
        }
        series->setVisible(drawn);
        if (drawn)
            overlays_.push_back(overlays[i].curves);
    }
    replaceOverlayPoints();
}

void DesignChart::replaceOverlayPoints() {
    const Curve &main = curves_.front();
    size_t drawn = 0;
    for (QLineSeries *series : overlaySeries_) {
        if (!series->isVisible() || drawn >= overlays_.size()) {
            series->replace(QList<QPointF>());
            continue;
        }
        const DesignCurves *o = overlays_[drawn++];
        const auto [first, last] = SliceInView(abscissa(*o), horizontalMin(), horizontalMax());
        std::vector<double> smoothed;
        series->replace(
            Points(abscissa(*o), drawnLevels(*o, main.values, smoothed), false, first, last));
    }
}

// Where the cone, not the voice coil, sets the maximum: orange runs over the
// maximum curve, each widened by a point either side so that it meets the
// blue curve.
void DesignChart::showBindingLimit(const DesignCurves &curves) {
    // Runs of the cone's limit in orange, of the amplifier's in purple.
    std::vector<std::pair<size_t, size_t>> runs[2];
    if (kind_.keeps(ChartRule::BindingLimitRuns) && sentence_.isEmpty()) {
        const size_t n = curves.frequencies.size();
        std::vector<bool> xmaxSets(n, false), amplifierSets(n, false);
        for (size_t i = 0; i < n && i < curves.limit.size(); ++i) {
            xmaxSets[i] =
                curves.limit[i] == LimitKind::Excursion || curves.limit[i] == LimitKind::Radiator;
            amplifierSets[i] = curves.limit[i] == LimitKind::AmplifierVoltage ||
                               curves.limit[i] == LimitKind::AmplifierCurrent;
        }
        runs[0] = Runs(xmaxSets);
        runs[1] = Runs(amplifierSets);
    }
    const QColor colours[2] = {XmaxOrange, AmplifierPurple};
    for (int k = 0; k < 2; ++k) {
        std::vector<QLineSeries *> &series = boundSeries_[k];
        while (series.size() < runs[k].size())
            series.push_back(addLine(Pen(colours[k], 3, Qt::SolidLine)));
        const size_t n = curves.frequencies.size();
        for (size_t i = 0; i < series.size(); ++i) {
            const bool drawn = i < runs[k].size();
            series[i]->replace(drawn ? Points(curves.frequencies, curves.maxSplDb, false,
                                              runs[k][i].first > 0 ? runs[k][i].first - 1 : 0,
                                              std::min(runs[k][i].second + 1, n - 1))
                                     : QList<QPointF>());
            series[i]->setVisible(drawn);
        }
    }
}

// The level marks across the chart (Xmax, the velocity warning) where the
// chart is drawn and their level is a usable figure.
void DesignChart::showLevelMarks(const DesignCurves &curves, bool drawn) {
    for (const LevelLine &line : levelLines_) {
        std::optional<double> level = line.mark->level(marks_);
        // A denormal, infinite or absurd level is no level at all.
        if (level && (!IsUsablePositive(*level) || *level > MaxAxisMagnitude))
            level.reset();
        const bool shown = drawn && level.has_value() &&
                           (!line.mark->shownWith || !(curves.*line.mark->shownWith).empty());
        line.series->replace(
            shown ? QList<QPointF>{QPointF(fullFrom(), *level), QPointF(fullTo(), *level)}
                  : QList<QPointF>());
        line.series->setVisible(shown);
    }
}

void DesignChart::show(const DesignCurves &curves, const ChartMarks &marks,
                       const std::vector<ChartOverlay> &overlays, int overlayGeneration) {
    shown_ = &curves;
    marks_ = marks;
    showMessage(curves);
    const bool drawn = sentence_.isEmpty();
    readout_->clear();
    drawn_ = drawn;
    if (kind_.keeps(ChartRule::TitleAtListener)) {
        const QString title = AxisTitle(kind_.left, units_)
                                  .replace(QStringLiteral("at 1 m"),
                                           marks.atListener ? QStringLiteral("at the listener")
                                                            : QStringLiteral("at 1 m"));
        if (leftAxis_->titleText() != title)
            leftAxis_->setTitleText(title);
    }
    showCurves();
    showBindingLimit(curves);
    showLevelMarks(curves, drawn);
    const auto onAxis = [this](std::optional<double> f) {
        return f && IsUsablePositive(*f) && *f >= fullFrom() && *f <= fullTo() ? f : std::nullopt;
    };
    if (kind_.marks(FrequencyMark::Tuning)) {
        fbHz_ = drawn ? onAxis(marks.fbHz) : std::nullopt;
        rearFbHz_ = drawn ? onAxis(marks.rearFbHz) : std::nullopt;
    }
    if (kind_.marks(FrequencyMark::PassbandEdges)) {
        // The -3 dB points of the response through the chain, below the top
        // of its passband; a cabin or a room has none to speak of.
        std::vector<double> heard = curves.responseDb;
        for (size_t i = 0; i < heard.size() && i < curves.chainDb.size(); ++i)
            heard[i] += curves.chainDb[i];
        PassbandEdges edges;
        if (drawn && !marks.atListener)
            edges = PassbandEdgesOf(curves.frequencies, heard, acoustics::ResponseFirstHz,
                                    acoustics::ResponseLastHz);
        f3Hz_ = onAxis(edges.lowHz);
        f3HighHz_ = onAxis(edges.highHz);
    }
    if (kind_.marks(FrequencyMark::Schroeder))
        schroederHz_ = drawn ? onAxis(curves.schroederHz) : std::nullopt;
    if (kind_.marks(FrequencyMark::ModesCut))
        modesHz_ = drawn ? onAxis(curves.modesCutAtHz) : std::nullopt;
    if (overlayGeneration != overlayGeneration_) {
        showOverlays(overlays);
        overlayGeneration_ = overlayGeneration;
    }
    buildLegend(overlays);
    fitVerticalAxes();
    fitToView();
}

// The level in a room is drawn smoothed where its field is statistical;
// the other curves, and levels elsewhere, as computed.
bool DesignChart::smoothsInRoom(const DesignCurves &curves) const {
    return kind_.keeps(ChartRule::SmoothedInRoom) && curves.schroederHz &&
           std::isfinite(*curves.schroederHz);
}

// The curve as computed, or its smoothed copy in `smoothed`: no copy of a
// curve that is drawn as it is.
const std::vector<double> &DesignChart::drawnLevels(const DesignCurves &curves,
                                                    std::vector<double> DesignCurves::*values,
                                                    std::vector<double> &smoothed) const {
    if (values != &DesignCurves::splDb || !smoothsInRoom(curves))
        return curves.*values;
    smoothed =
        SmoothedAbove(curves.frequencies, curves.splDb, *curves.schroederHz, RoomSmoothingFraction);
    return smoothed;
}

// The current design's curves, the points in view.
void DesignChart::showCurves() {
    if (!shown_)
        return;
    const DesignCurves &curves = *shown_;
    const auto [first, last] = SliceInView(abscissa(curves), horizontalMin(), horizontalMax());
    for (const Curve &c : curves_) {
        std::vector<double> smoothed;
        c.series->replace(drawn_ ? Points(abscissa(curves), drawnLevels(curves, c.values, smoothed),
                                          c.rightAxis && rightLogAxis_, first, last)
                                 : QList<QPointF>());
        // A curve of another kind of box (radiators, rear vents) stays hidden.
        c.series->setVisible(drawn_ && !(curves.*c.values).empty());
    }
    curvesSlice_ = {first, last};
}

// The frequency axis moved (a zoom, the view reset): the curves take the
// points now in view.
void DesignChart::sliceToView() {
    if (!shown_ || abscissa(*shown_).empty())
        return;
    const std::pair<size_t, size_t> slice =
        SliceInView(abscissa(*shown_), horizontalMin(), horizontalMax());
    if (slice == curvesSlice_)
        return;
    showCurves();
    replaceOverlayPoints();
}

double DesignChart::horizontalMin() const {
    return logHorizontal_ ? logHorizontal_->min() : linearHorizontal_->min();
}

double DesignChart::horizontalMax() const {
    return logHorizontal_ ? logHorizontal_->max() : linearHorizontal_->max();
}

void DesignChart::setHorizontalRange(double from, double to) {
    if (logHorizontal_)
        logHorizontal_->setRange(from, to);
    else
        linearHorizontal_->setRange(from, to);
}

double DesignChart::horizontalFraction(double x, double from, double to) const {
    return logHorizontal_ ? LogFraction(x, from, to) : (x - from) / (to - from);
}

// Frequencies at 1, 2 and 5 times the powers of ten; times at the steps
// of a nice range, as many as fit.
std::vector<double> DesignChart::horizontalLabels(double from, double to) const {
    if (logHorizontal_)
        return LogLabels(from, to);
    std::vector<double> labels;
    if (const std::optional<LinearRange> r = NiceRange(from, to, 10))
        for (double v = r->low; v <= to + r->step * 1e-9; v += r->step)
            if (v >= from - r->step * 1e-9)
                labels.push_back(std::fabs(v) < r->step * 1e-9 ? 0.0 : v);
    return labels;
}

void DesignChart::setUnits(UnitSystem units) {
    if (units == units_)
        return;
    units_ = units;
    leftAxis_->setTitleText(AxisTitle(kind_.left, units));
    if (rightValueAxis_)
        rightValueAxis_->setTitleText(AxisTitle(kind_.right, units));
}

void DesignChart::resetView() {
    setHorizontalRange(kind_.horizontal.viewFrom, kind_.horizontal.viewTo);
    fitVerticalAxes();
}

// The group delay of the design and its overlays in view, spikes apart.
SpikeFreeSpan DesignChart::DelaySpan(double lowHz, double highHz) const {
    std::vector<double> values;
    const auto collect = [&](const DesignCurves &c) {
        const size_t n = std::min(c.frequencies.size(), c.groupDelayMs.size());
        for (size_t i = 0; i < n; ++i)
            if (c.frequencies[i] >= lowHz && c.frequencies[i] <= highHz)
                values.push_back(c.groupDelayMs[i]);
    };
    collect(*shown_);
    for (const DesignCurves *o : overlays_)
        collect(*o);
    return SpikeFreeSpanOf(std::move(values));
}

void DesignChart::fitVerticalAxes() {
    if (!shown_ || !sentence_.isEmpty())
        return;
    const double lowHz = horizontalMin(), highHz = horizontalMax();
    if (kind_.fit == RangeFit::LevelsOverPower) {
        fitLimitsAxes(lowHz, highHz);
        return;
    }
    // The curves in view set the range; a view where none is finite, the
    // whole curves.
    const auto spanIn = [this](double low, double high) {
        Span left;
        for (const Curve &c : curves_)
            if (!c.rightAxis)
                left.add(SpanOf(abscissa(*shown_), (*shown_).*c.values, low, high));
        for (const DesignCurves *o : overlays_)
            left.add(SpanOf(abscissa(*o), (*o).*curves_.front().values, low, high));
        return left;
    };
    Span left = spanIn(lowHz, highHz);
    if (left.empty)
        left = spanIn(fullFrom(), fullTo());
    // The first mark on show that bounds the range.
    std::optional<double> mark;
    for (const LevelLine &line : levelLines_)
        if (!mark && line.mark->boundsRange && line.series->isVisible() && line.series->count() > 0)
            mark = line.series->at(0).y();
    double low = 0.0, high = 1.0;
    switch (kind_.fit) {
    case RangeFit::Level:
    case RangeFit::LevelsOverPower:
        high = Ceil5(left.high + 3.0);
        low = std::max(Floor5(left.low), high - 60.0);
        break;
    case RangeFit::GainAroundZero:
        // A flat chain still shows a few decibels either side of 0 dB.
        high = std::max(Ceil5(left.high + 1.0), 5.0);
        low = std::min(Floor5(left.low - 1.0), -5.0);
        break;
    case RangeFit::UpToLevelMark:
        // Far below tuning the cone and the vent run away; the view stops at
        // a few times the limit so the useful range stays readable.
        high = left.high;
        if (mark)
            high = std::max(std::min(high, 3.0 * *mark), 1.25 * *mark);
        high *= 1.1;
        break;
    case RangeFit::FromZero:
        low = std::min(0.0, left.low);
        high = left.high * 1.1;
        break;
    case RangeFit::SpikeFreeDelay: {
        // The delay of the passband sets the range: a spike is cut at the
        // axis, and the legend says so.
        const Span delay = DelaySpan(lowHz, highHz).span;
        low = std::min(0.0, delay.empty ? left.low : delay.low);
        high = (delay.empty ? left.high : delay.high) * 1.1;
        if (high <= low)
            high = low + 1.0;
        break;
    }
    }
    const LinearRange nice = NiceRange(low, high, 7).value_or(LinearRange{});
    // A range set, even to the same values, makes every curve of the chart
    // compute its path again: set each axis once, and only when it moves.
    if (leftAxis_->tickCount() != nice.steps + 1)
        leftAxis_->setTickCount(nice.steps + 1);
    if (leftAxis_->min() != nice.low || leftAxis_->max() != nice.high)
        leftAxis_->setRange(nice.low, nice.high);
    // An impedance's phase lies within a quarter turn; a chain's runs on
    // through as many half turns as its filters take, in steps of 90
    // degrees or more.
    if (rightValueAxis_) {
        PhaseAxis axis{-90.0, 90.0, rightValueAxis_->tickCount()};
        if (kind_.phase == PhaseFit::HalfTurns)
            for (const Curve &c : curves_)
                if (c.rightAxis)
                    axis = ChainPhaseAxis(
                        SpanOf(abscissa(*shown_), (*shown_).*c.values, lowHz, highHz));
        if (rightValueAxis_->min() != axis.low || rightValueAxis_->max() != axis.high)
            rightValueAxis_->setRange(axis.low, axis.high);
        if (rightValueAxis_->tickCount() != axis.ticks)
            rightValueAxis_->setTickCount(axis.ticks);
    }
    placeMarkers();
}

// The levels from the maximum curve and the level at the drive set (not
// from the excursion limit's top, 40 dB above both at 250 Hz), in the upper
// part of the chart; the power below them on its own logarithmic scale.
void DesignChart::fitLimitsAxes(double lowHz, double highHz) {
    const auto levelsIn = [this](double low, double high) {
        Span s = SpanOf(shown_->frequencies, shown_->maxSplDb, low, high);
        s.add(SpanOf(shown_->frequencies, shown_->splDb, low, high));
        for (const DesignCurves *o : overlays_)
            s.add(SpanOf(o->frequencies, o->maxSplDb, low, high));
        return s;
    };
    Span levels = levelsIn(lowHz, highHz);
    if (levels.empty)
        levels = levelsIn(fullFrom(), fullTo());
    Span power = PositiveSpanOf(shown_->frequencies, shown_->maxPowerW, lowHz, highHz);
    if (power.empty)
        power = PositiveSpanOf(abscissa(*shown_), shown_->maxPowerW, fullFrom(), fullTo());
    const double high = Ceil5(levels.high + 3.0);
    const double low = std::max(Floor5(levels.low), high - 60.0);
    const LinearRange nice =
        NiceRange(high - (high - low) / LevelShare, high, 8).value_or(LinearRange{});
    if (leftAxis_->tickCount() != nice.steps + 1)
        leftAxis_->setTickCount(nice.steps + 1);
    if (leftAxis_->min() != nice.low || leftAxis_->max() != nice.high)
        leftAxis_->setRange(nice.low, nice.high);
    LabelLevelBand(static_cast<QCategoryAxis *>(leftAxis_), nice);
    const LogRange r = LogRangeOf(power.low, power.high).value_or(LogRange{});
    powerLow_ = r.low;
    powerHigh_ = r.high;
    const double top = r.low * std::pow(r.high / r.low, 1.0 / PowerShare);
    if (rightLogAxis_->min() != r.low || rightLogAxis_->max() != top)
        rightLogAxis_->setRange(r.low, top);
}

// The tuning and the -3 dB frequency as vertical lines through the plot.
void DesignChart::placeMarkers() {
    const auto place = [this](QLineSeries *line, std::optional<double> f) {
        if (!line)
            return;
        line->replace(
            f ? QList<QPointF>{QPointF(*f, leftAxis_->min()), QPointF(*f, leftAxis_->max())}
              : QList<QPointF>());
        line->setVisible(f.has_value());
    };
    place(fbLine_, fbHz_);
    place(rearFbLine_, rearFbHz_);
    place(f3Line_, f3Hz_);
    place(f3HighLine_, f3HighHz_);
    place(schroederLine_, schroederHz_);
    place(modesLine_, modesHz_);
}

void DesignChart::buildLegend(const std::vector<ChartOverlay> &overlays) {
    legend_.clear();
    if (!sentence_.isEmpty())
        return;
    const QString design = kind_.mainLegend ? QLatin1String(kind_.mainLegend)
                                            : (marks_.designLabel.trimmed().isEmpty()
                                                   ? QStringLiteral("Current design")
                                                   : marks_.designLabel);
    const QPen mainPen = curves_.front().series->pen();
    // Beside a bandpass box's rear vents, the main curve is its front
    // vents'.
    const bool beside = kind_.mainBesideSecond && curves_.size() > 1 && !curves_[1].rightAxis &&
                        curves_[1].series->isVisible();
    legend_.push_back(
        {DisplayLabel(beside ? QLatin1String(kind_.mainBesideSecond) + design : design), mainPen});
    if (kind_.keeps(ChartRule::BindingLimitRuns)) {
        if (!boundSeries_[0].empty() && boundSeries_[0].front()->isVisible())
            legend_.push_back({QStringLiteral("Where Xmax, not PEmax, sets the maximum"),
                               boundSeries_[0].front()->pen()});
        if (!boundSeries_[1].empty() && boundSeries_[1].front()->isVisible())
            legend_.push_back({QStringLiteral("Where the amplifier sets the maximum"),
                               boundSeries_[1].front()->pen()});
    }
    // Every other curve on show names itself.
    for (const Curve &c : curves_)
        if (c.legend && c.series->isVisible())
            legend_.push_back({c.legend(marks_), c.series->pen()});
    for (size_t i = 0; i < overlaySeries_.size() && i < overlays.size(); ++i)
        if (overlaySeries_[i]->isVisible())
            legend_.push_back({overlaySeries_[i]->name(), overlaySeries_[i]->pen()});
    for (const LevelLine &line : levelLines_)
        if (line.series->isVisible())
            legend_.push_back({QLatin1String(line.mark->word) + QLatin1Char(' ') +
                                   LegendFigure(line.series->at(0).y()) + QLatin1Char(' ') +
                                   AxisUnit(kind_.left, units_),
                               line.series->pen()});
    const auto frequencies = [](std::optional<double> a, std::optional<double> b) {
        std::vector<double> values;
        for (const std::optional<double> &f : {a, b})
            if (f)
                values.push_back(*f);
        std::sort(values.begin(), values.end());
        QStringList figures;
        for (double f : values)
            figures << LegendFigure(f);
        return figures.join(QStringLiteral(" and ")) + QStringLiteral(" Hz");
    };
    if (kind_.fit == RangeFit::SpikeFreeDelay && shown_) {
        const SpikeFreeSpan delay = DelaySpan(kind_.horizontal.viewFrom, kind_.horizontal.viewTo);
        if (delay.cut)
            legend_.push_back({QStringLiteral("Spikes of the delay beyond ") +
                                   QString::number(delay.span.low, 'f', 1) +
                                   QStringLiteral(" to ") +
                                   QString::number(delay.span.high, 'f', 1) +
                                   QStringLiteral(" ms cut at the axis"),
                               QPen(Qt::NoPen)});
    }
    if (fbHz_ || rearFbHz_)
        legend_.push_back({QStringLiteral("Fb ") + frequencies(rearFbHz_, fbHz_),
                           (fbHz_ ? fbLine_ : rearFbLine_)->pen()});
    if (f3Hz_ || f3HighHz_)
        legend_.push_back({QStringLiteral("-3 dB at ") + frequencies(f3Hz_, f3HighHz_) +
                               QStringLiteral(" (from the passband's top)"),
                           f3Line_->pen()});
    if (schroederHz_)
        legend_.push_back(
            {QStringLiteral("Statistical field above ") + LegendFigure(*schroederHz_) +
                 QStringLiteral(" Hz (Schroeder): the level smoothed to 1/") +
                 LegendFigure(RoomSmoothingFraction) + QStringLiteral(" octave there"),
             schroederLine_->pen()});
    if (kind_.keeps(ChartRule::SmoothingNote) && shown_ && smoothsInRoom(*shown_))
        legend_.push_back({QStringLiteral("Smoothed to 1/") + LegendFigure(RoomSmoothingFraction) +
                               QStringLiteral(" octave above ") +
                               LegendFigure(*shown_->schroederHz) +
                               QStringLiteral(" Hz, where the room's field is statistical"),
                           QPen(Qt::NoPen)});
    if (modesHz_)
        legend_.push_back({QStringLiteral("Modes summed to ") + LegendFigure(*modesHz_) +
                               QStringLiteral(" Hz only: the level above falls short"),
                           modesLine_->pen()});
}

QStringList DesignChart::legendTexts() const {
    QStringList texts;
    for (const LegendEntry &e : legend_)
        texts << e.text;
    return texts;
}

// The charts shown together: the nearest ancestor that says so, or else
// the window.
static const QWidget *ChartColumn(const QWidget *view) {
    for (const QWidget *w = view->parentWidget(); w; w = w->parentWidget())
        if (w->property(ChartColumnProperty).toBool() || w->isWindow())
            return w;
    return view->window();
}

// The chart fills its view; its plot area starts and ends at the common
// pixels of the charts shown together.
void DesignChart::fitToView() {
    const QWidget *window = ChartColumn(view_);
    int left = MinPlotLeft, right = MinPlotRight;
    if (window && window != view_) {
        const int x = view_->mapTo(window, QPoint(0, 0)).x();
        left = std::max(MinPlotLeft, WindowPlotLeft - x);
        right = std::max(MinPlotRight, WindowPlotRight - (window->width() - x - view_->width()));
    }
    layOut(chart_->size(), left, right);
}

void DesignChart::clearItems(std::vector<QGraphicsItem *> &items) {
    for (QGraphicsItem *item : items)
        delete item;
    items.clear();
}

// The band below the plot: the frequency labels, then the axis title.
static double BottomBand(const QFontMetricsF &labels, const QFontMetricsF &title) {
    return 4.0 + labels.height() + 3.0 + title.height() + 8.0;
}

void DesignChart::layOut(const QSizeF &size, double left, double right) {
    const double width = std::max(10.0, size.width() - left - right);
    const double band = BottomBand(QFontMetricsF(frequencyAxis_->labelsFont()),
                                   QFontMetricsF(frequencyAxis_->titleFont()));
    const double height =
        std::max(10.0, size.height() - TopMargin - band - legendHeight(width) - 4.0);
    const QRectF plot(left, TopMargin, width, height);
    // Compared with the area last set, not with the chart's own (which Qt
    // may round): a layout costs more than the rest of a redraw.
    if (plot != plot_ || chart_->plotArea().isEmpty()) {
        plot_ = plot;
        chart_->setPlotArea(plot_);
        // A plot area set moves the curves at once but the axes only at the
        // chart's next layout: lay it out now.
        if (QGraphicsLayout *l = chart_->layout()) {
            l->invalidate();
            l->activate();
        }
    }
    placeAxisLabels();
    placeLegend();
}

void DesignChart::placeAxisLabels() {
    // Made anew only when the plot or a range moved: a command that changes
    // nothing of them costs nothing here.
    std::vector<double> placedFor{plot_.left(),    plot_.top(),     plot_.width(), plot_.height(),
                                  horizontalMin(), horizontalMax(), powerLow_,     powerHigh_};
    if (rightLogAxis_) {
        placedFor.push_back(rightLogAxis_->min());
        placedFor.push_back(rightLogAxis_->max());
    }
    if (placedFor == axisItemsFor_ && !axisItems_.empty())
        return;
    axisItemsFor_ = placedFor;
    clearItems(axisItems_);
    if (plot_.isEmpty())
        return;
    const QFont font = frequencyAxis_->labelsFont();
    const QBrush brush = frequencyAxis_->labelsBrush();
    const QFontMetricsF fm(font);
    const double fLow = horizontalMin(), fHigh = horizontalMax();
    for (double f : horizontalLabels(fLow, fHigh)) {
        const QString text = logHorizontal_ ? LogLabelText(f) : LinearLabelText(f);
        const double x = plot_.left() + plot_.width() * horizontalFraction(f, fLow, fHigh);
        QGraphicsSimpleTextItem *item = Text(chart_, text, font, brush);
        item->setPos(x - fm.horizontalAdvance(text) / 2.0, plot_.bottom() + 4.0);
        axisItems_.push_back(item);
    }
    const QString title = QLatin1String(kind_.horizontal.title);
    const QFontMetricsF tm(frequencyAxis_->titleFont());
    QGraphicsSimpleTextItem *titleItem =
        Text(chart_, title, frequencyAxis_->titleFont(), frequencyAxis_->titleBrush());
    titleItem->setPos(plot_.center().x() - tm.horizontalAdvance(title) / 2.0,
                      plot_.bottom() + 4.0 + fm.height() + 3.0);
    axisItems_.push_back(titleItem);

    if (!rightLogAxis_)
        return;
    // The power axis: labelled only where the power curve can lie.
    const double pLow = rightLogAxis_->min(), pHigh = rightLogAxis_->max();
    double widest = 0.0;
    // As many labels as the band has room for: a label's height and a half each.
    const double bandHeight =
        plot_.height() * LogFraction(std::min(pHigh, powerHigh_), pLow, pHigh);
    const int room = std::max(2, static_cast<int>(bandHeight / (1.5 * fm.height())));
    for (double p :
         LogLabelsFromLow(std::max(pLow, powerLow_), std::min(pHigh, powerHigh_), room)) {
        const QString text = LogLabelText(p);
        const double y = plot_.bottom() - plot_.height() * LogFraction(p, pLow, pHigh);
        QGraphicsSimpleTextItem *item = Text(chart_, text, font, brush);
        item->setPos(plot_.right() + 7.0, y - fm.height() / 2.0);
        widest = std::max(widest, fm.horizontalAdvance(text));
        auto *tick =
            new QGraphicsLineItem(QLineF(plot_.right(), y, plot_.right() + 4.0, y), chart_);
        tick->setPen(leftAxis_->linePen());
        axisItems_.push_back(item);
        axisItems_.push_back(tick);
    }
    const double bandTop =
        plot_.bottom() - plot_.height() * LogFraction(std::min(pHigh, powerHigh_), pLow, pHigh);
    auto *line = new QGraphicsLineItem(
        QLineF(plot_.right(), plot_.bottom(), plot_.right(), bandTop), chart_);
    line->setPen(leftAxis_->linePen());
    axisItems_.push_back(line);
    const QString powerTitle = QLatin1String(kind_.right.title);
    QGraphicsSimpleTextItem *powerItem =
        Text(chart_, powerTitle, frequencyAxis_->titleFont(), frequencyAxis_->titleBrush());
    powerItem->setRotation(90.0);
    const double bandMiddle = (bandTop + plot_.bottom()) / 2.0;
    powerItem->setPos(plot_.right() + 7.0 + widest + 6.0 + tm.height(),
                      std::max(plot_.top(), bandMiddle - tm.horizontalAdvance(powerTitle) / 2.0));
    axisItems_.push_back(powerItem);
}

// The legend flows in rows under the axis title, as wide as the plot.
namespace {

// An entry's text broken at its blanks into lines no wider than `width`;
// a word wider than the line stands alone. Each word is measured once.
QStringList WrappedLines(const QString &text, double width, const TextWidths &fm) {
    if (fm.horizontalAdvance(text) <= width)
        return {text};
    const double blank = fm.blank();
    QStringList lines;
    QString line;
    double lineWidth = 0.0;
    for (const QString &word : text.split(QLatin1Char(' '))) {
        const double w = fm.horizontalAdvance(word);
        if (!line.isEmpty() && lineWidth + blank + w > width) {
            lines << line;
            line.clear();
            lineWidth = 0.0;
        }
        if (!line.isEmpty()) {
            line += QLatin1Char(' ');
            lineWidth += blank;
        }
        line += word;
        lineWidth += w;
    }
    lines << line;
    return lines;
}

// The legend in rows as wide as the plot: entries side by side while they
// fit, an entry wider than a row on lines of its own, under its sample.
template <class Entry>
std::vector<LegendPiece> LayOutLegend(const std::vector<Entry> &entries, double width,
                                      const TextWidths &fm) {
    std::vector<LegendPiece> pieces;
    const double indent = SampleLength + SampleGap;
    double x = 0.0;
    int row = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const QStringList lines = WrappedLines(entries[i].text, width - indent, fm);
        const double w = indent + fm.horizontalAdvance(lines.front());
        if (x > 0.0 && (x + w > width || lines.size() > 1)) {
            ++row;
            x = 0.0;
        }
        for (qsizetype l = 0; l < lines.size(); ++l)
            pieces.push_back({i, lines[l], row + int(l), x, l == 0});
        row += int(lines.size()) - 1;
        x = lines.size() > 1 ? width : x + w + EntryGap; // the next entry on a new row
    }
    return pieces;
}

} // namespace

// The legend laid out for a width, kept until the legend or the width
// changes: measuring its texts is the dearest part of a redraw.
const std::vector<LegendPiece> &DesignChart::legendLayout(double width) const {
    if (width != legendLayoutWidth_ || !(legend_ == legendLayoutFor_)) {
        legendWidths_.setFont(frequencyAxis_->labelsFont());
        legendLayout_ = LayOutLegend(legend_, width, legendWidths_);
        legendLayoutWidth_ = width;
        legendLayoutFor_ = legend_;
    }
    return legendLayout_;
}

double DesignChart::legendHeight(double width) const {
    if (legend_.empty())
        return 0.0;
    const QFontMetricsF fm(frequencyAxis_->labelsFont());
    const double row = fm.height() + RowGap;
    return (legendLayout(width).back().row + 1) * row;
}

void DesignChart::placeLegend() {
    if (legend_ == legendItemsFor_ && plot_ == legendPlotFor_)
        return;
    legendItemsFor_ = legend_;
    legendPlotFor_ = plot_;
    clearItems(legendItems_);
    if (legend_.empty() || plot_.isEmpty())
        return;
    const QFont font = frequencyAxis_->labelsFont();
    const QFontMetricsF fm(font);
    const double band = BottomBand(fm, QFontMetricsF(frequencyAxis_->titleFont()));
    const double row = fm.height() + RowGap;
    const double top = plot_.bottom() + band;
    for (const LegendPiece &piece : legendLayout(plot_.width())) {
        const double y = top + piece.row * row;
        if (piece.sample) {
            const double middle = y + fm.height() / 2.0;
            auto *sample =
                new QGraphicsLineItem(QLineF(plot_.left() + piece.x, middle,
                                             plot_.left() + piece.x + SampleLength, middle),
                                      chart_);
            sample->setPen(legend_[piece.entry].pen);
            sample->setZValue(10);
            legendItems_.push_back(sample);
        }
        QGraphicsSimpleTextItem *text =
            Text(chart_, piece.text, font, frequencyAxis_->labelsBrush());
        text->setPos(plot_.left() + piece.x + SampleLength + SampleGap, y);
        legendItems_.push_back(text);
    }
}

double DesignChart::pictureHeight(double width) const {
    if (!sentence_.isEmpty() || !shown_)
        return PictureSentenceHeight;
    return PictureChartHeight + legendHeight(width - PicturePlotLeft - PicturePlotRight);
}

void DesignChart::paint(QPainter &painter, const QRectF &target) {
    if (!sentence_.isEmpty() || !shown_) {
        painter.save();
        painter.setPen(Qt::black);
        painter.drawText(target.adjusted(PicturePlotLeft, 0, -PicturePlotRight, 0),
                         Qt::AlignCenter | Qt::TextWordWrap,
                         shown_ ? sentence_ : ChartTitle(which_));
        painter.restore();
        return;
    }
    const QSizeF onScreen = chart_->size();
    chart_->resize(target.size());
    layOut(target.size(), PicturePlotLeft, PicturePlotRight);
    chart_->scene()->render(&painter, target, QRectF(QPointF(0, 0), target.size()));
    chart_->resize(onScreen);
    fitToView();
}

} // namespace dravik
