#include "DesignChart.h"

#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <functional>

namespace dravik {

// A chart view that zooms to a dragged rectangle and tells where the mouse is.
class ChartView : public QChartView {
public:
    ChartView(QChart *chart, std::function<void(double)> pointed)
        : QChartView(chart), pointed_(std::move(pointed)) {
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

private:
    std::function<void(double)> pointed_;
};

namespace {

struct Axes {
    const char *left;
    const char *right; // none when empty
    bool rightIsLog;
};

Axes AxesOf(Chart chart) {
    switch (chart) {
    case Chart::Spl:
        return {"SPL at 1 m (dB)", "", false};
    case Chart::Excursion:
        return {"Peak excursion (mm)", "", false};
    case Chart::PortVelocity:
        return {"Peak air velocity (m/s)", "", false};
    case Chart::Impedance:
        return {"Impedance (ohm)", "Phase (degrees)", false};
    case Chart::GroupDelay:
        return {"Group delay (ms)", "", false};
    case Chart::Limits:
        return {"Maximum SPL at 1 m (dB)", "Maximum power (W)", true};
    }
    return {"", "", false};
}

QString UnitOf(Chart chart, bool rightAxis) {
    switch (chart) {
    case Chart::Spl:
        return QStringLiteral("dB");
    case Chart::Excursion:
        return QStringLiteral("mm");
    case Chart::PortVelocity:
        return QStringLiteral("m/s");
    case Chart::Impedance:
        return rightAxis ? QStringLiteral("degrees") : QStringLiteral("ohm");
    case Chart::GroupDelay:
        return QStringLiteral("ms");
    case Chart::Limits:
        return rightAxis ? QStringLiteral("W") : QStringLiteral("dB");
    }
    return {};
}

// The value of a curve at f, read between its neighbouring points on the
// logarithmic frequency axis.
std::optional<double> ValueAt(const std::vector<double> &frequencies,
                              const std::vector<double> &values, double f) {
    if (values.empty() || f < frequencies.front() || f > frequencies.back())
        return std::nullopt;
    const auto above = std::lower_bound(frequencies.begin(), frequencies.end(), f);
    const size_t i = static_cast<size_t>(above - frequencies.begin());
    if (i == 0)
        return values.front();
    const double t =
        std::log(f / frequencies[i - 1]) / std::log(frequencies[i] / frequencies[i - 1]);
    const double v = values[i - 1] + t * (values[i] - values[i - 1]);
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

// Smallest and largest finite value of a curve between lowHz and highHz.
struct Span {
    double low = INFINITY, high = -INFINITY;
    bool empty() const { return !(low <= high); }
    void add(double v) {
        if (std::isfinite(v)) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
};

Span SpanOf(const std::vector<double> &frequencies, const std::vector<double> &values, double lowHz,
            double highHz) {
    Span s;
    for (size_t i = 0; i < values.size(); ++i)
        if (frequencies[i] >= lowHz && frequencies[i] <= highHz)
            s.add(values[i]);
    return s;
}

double Floor5(double v) {
    return 5.0 * std::floor(v / 5.0);
}
double Ceil5(double v) {
    return 5.0 * std::ceil(v / 5.0);
}

// A range that holds low to high, cut into at most `maxSteps` steps of 1, 2
// or 5 times a power of ten, so that the axis labels are round numbers.
struct AxisRange {
    double low, high;
    int steps;
};
AxisRange NiceRange(double low, double high, int maxSteps) {
    if (!(high > low) || !std::isfinite(low) || !std::isfinite(high))
        return {0.0, 1.0, 4};
    const double magnitude = std::pow(10.0, std::floor(std::log10((high - low) / maxSteps)));
    for (double factor : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0}) {
        const double step = magnitude * factor;
        const double first = std::floor(low / step) * step;
        const int steps = static_cast<int>(std::ceil((high - first) / step - 1e-9));
        if (steps <= maxSteps)
            return {first, first + std::max(steps, 1) * step, std::max(steps, 1)};
    }
    return {low, high, maxSteps};
}

// The points a curve is drawn through: every finite one (on a logarithmic
// axis, every one above 0).
QList<QPointF> Points(const std::vector<double> &frequencies, const std::vector<double> &values,
                      bool logAxis) {
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(values.size()));
    for (size_t i = 0; i < values.size(); ++i)
        if (std::isfinite(values[i]) && (!logAxis || values[i] > 0.0))
            points.append(QPointF(frequencies[i], values[i]));
    return points;
}

} // namespace

DesignChart::DesignChart(Chart which, const QString &objectNamePrefix) : which_(which) {
    panel_ = new QWidget;
    panel_->setObjectName(objectNamePrefix + QStringLiteral("Panel"));
    auto *layout = new QVBoxLayout(panel_);
    layout->setContentsMargins(0, 0, 0, 0);
    message_ = new QLabel;
    message_->setObjectName(objectNamePrefix + QStringLiteral("Message"));
    message_->setWordWrap(true);
    message_->hide();
    readout_ = new QLabel;
    readout_->setObjectName(objectNamePrefix + QStringLiteral("Readout"));

    chart_ = new QChart;
    chart_->setTitle(ChartTitle(which));
    chart_->legend()->setAlignment(Qt::AlignRight);
    frequencyAxis_ = new QLogValueAxis;
    frequencyAxis_->setBase(10.0);
    frequencyAxis_->setLabelFormat(QStringLiteral("%g"));
    frequencyAxis_->setMinorTickCount(8);
    frequencyAxis_->setTitleText(QStringLiteral("Frequency (Hz)"));
    chart_->addAxis(frequencyAxis_, Qt::AlignBottom);
    const Axes axes = AxesOf(which);
    leftAxis_ = new QValueAxis;
    leftAxis_->setTitleText(QLatin1String(axes.left));
    leftAxis_->setLabelFormat(QStringLiteral("%g"));
    chart_->addAxis(leftAxis_, Qt::AlignLeft);
    if (*axes.right) {
        if (axes.rightIsLog) {
            rightLogAxis_ = new QLogValueAxis;
            rightLogAxis_->setBase(10.0);
            rightLogAxis_->setLabelFormat(QStringLiteral("%g"));
            rightLogAxis_->setTitleText(QLatin1String(axes.right));
            chart_->addAxis(rightLogAxis_, Qt::AlignRight);
        } else {
            rightValueAxis_ = new QValueAxis;
            rightValueAxis_->setTitleText(QLatin1String(axes.right));
            rightValueAxis_->setLabelFormat(QStringLiteral("%g"));
            chart_->addAxis(rightValueAxis_, Qt::AlignRight);
        }
    }

    const QColor blue(0x1f, 0x5f, 0xbf), red(0xc0, 0x30, 0x30), grey(0x70, 0x70, 0x70),
        green(0x2a, 0x8a, 0x3a);
    switch (which) {
    case Chart::Spl:
        addCurve(QStringLiteral("SPL"), &DesignCurves::splDb, false, Qt::SolidLine, blue);
        break;
    case Chart::Excursion:
        addCurve(QStringLiteral("Excursion"), &DesignCurves::excursionMm, false, Qt::SolidLine,
                 blue);
        addCurve(QStringLiteral("Radiator excursion"), &DesignCurves::radiatorExcursionMm, false,
                 Qt::DashLine, blue);
        mark_ = addMark(QStringLiteral("Xmax"), Qt::black);
        radiatorMark_ = addMark(QStringLiteral("Radiator Xmax"), grey);
        break;
    case Chart::PortVelocity:
        addCurve(QStringLiteral("Air velocity"), &DesignCurves::portVelocity, false, Qt::SolidLine,
                 blue);
        addCurve(QStringLiteral("Rear vents"), &DesignCurves::rearPortVelocity, false, Qt::DashLine,
                 blue);
        mark_ = addMark(QStringLiteral("Warning"), Qt::black);
        break;
    case Chart::Impedance:
        addCurve(QStringLiteral("Magnitude"), &DesignCurves::impedanceOhm, false, Qt::SolidLine,
                 blue);
        addCurve(QStringLiteral("Phase"), &DesignCurves::impedancePhaseDeg, true, Qt::DashLine,
                 grey, 1);
        break;
    case Chart::GroupDelay:
        addCurve(QStringLiteral("Group delay"), &DesignCurves::groupDelayMs, false, Qt::SolidLine,
                 blue);
        break;
    case Chart::Limits:
        addCurve(QStringLiteral("Maximum SPL"), &DesignCurves::maxSplDb, false, Qt::SolidLine, blue,
                 3);
        addCurve(QStringLiteral("Thermal limit (PEmax)"), &DesignCurves::thermalLimitSplDb, false,
                 Qt::DashLine, red, 1);
        addCurve(QStringLiteral("Excursion limit (Xmax)"), &DesignCurves::excursionLimitSplDb,
                 false, Qt::DotLine, grey, 1);
        addCurve(QStringLiteral("Radiator limit (Xmax)"), &DesignCurves::radiatorLimitSplDb, false,
                 Qt::DashDotLine, grey, 1);
        addCurve(QStringLiteral("Maximum power"), &DesignCurves::maxPowerW, true, Qt::SolidLine,
                 green, 1);
        break;
    }

    view_ = new ChartView(chart_, [this](double f) {
        if (!shown_)
            return;
        QString text = QString::number(f, 'f', f < 100.0 ? 1 : 0) + QStringLiteral(" Hz");
        for (const Curve &c : curves_) {
            if (!c.series->isVisible())
                continue;
            if (const std::optional<double> v =
                    ValueAt(shown_->frequencies, (*shown_).*c.values, f))
                text += QStringLiteral("   ") + c.series->name() + QStringLiteral(": ") +
                        QString::number(*v, 'f', std::fabs(*v) < 10.0 ? 2 : 1) + QLatin1Char(' ') +
                        UnitOf(which_, c.rightAxis);
        }
        readout_->setText(text);
    });
    view_->setObjectName(objectNamePrefix + QStringLiteral("View"));
    view_->setMinimumSize(420, 220);
    layout->addWidget(message_);
    layout->addWidget(view_, 1);
    layout->addWidget(readout_);
    resetView();
}

DesignChart::~DesignChart() = default;

void DesignChart::addCurve(const QString &name, std::vector<double> DesignCurves::*values,
                           bool rightAxis, Qt::PenStyle style, const QColor &colour, int width) {
    auto *series = new QLineSeries;
    series->setName(name);
    QPen pen(colour);
    pen.setWidth(width);
    pen.setStyle(style);
    series->setPen(pen);
    chart_->addSeries(series);
    series->attachAxis(frequencyAxis_);
    if (!rightAxis)
        series->attachAxis(leftAxis_);
    else if (rightLogAxis_)
        series->attachAxis(rightLogAxis_);
    else
        series->attachAxis(rightValueAxis_);
    curves_.push_back({series, values, rightAxis});
}

QLineSeries *DesignChart::addMark(const QString &name, const QColor &colour) {
    auto *series = new QLineSeries;
    series->setName(name);
    QPen pen(colour);
    pen.setWidth(1);
    pen.setStyle(Qt::DashDotLine);
    series->setPen(pen);
    chart_->addSeries(series);
    series->attachAxis(frequencyAxis_);
    series->attachAxis(leftAxis_);
    return series;
}

void DesignChart::showMessage(const DesignCurves &curves) {
    const bool drawn = curves.has(which_);
    message_->setText(drawn ? QString() : MissingInputsSentence(which_, curves.lacks(which_)));
    message_->setVisible(!drawn);
}

QWidget *DesignChart::view() const {
    return view_;
}

void DesignChart::showOverlays(const std::vector<ChartOverlay> &overlays) {
    const Curve &main = curves_.front();
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
        const bool drawn = i < overlays.size() && overlays[i].curves->has(which_);
        // A name or a pen set anew lays the legend out again: only on a change.
        if (i < overlays.size() && series->name() != overlays[i].label)
            series->setName(overlays[i].label);
        if (i < overlays.size() && series->pen().color() != overlays[i].colour) {
            QPen pen(overlays[i].colour);
            pen.setWidth(2);
            series->setPen(pen);
        }
        series->replace(drawn ? Points(overlays[i].curves->frequencies,
                                       (*overlays[i].curves).*main.values, false)
                              : QList<QPointF>());
        series->setVisible(drawn);
        if (drawn)
            overlays_.push_back(overlays[i].curves);
    }
}

void DesignChart::show(const DesignCurves &curves, const ChartMarks &marks,
                       const std::vector<ChartOverlay> &overlays, int overlayGeneration) {
    shown_ = &curves;
    marks_ = marks;
    const bool drawn = curves.has(which_);
    showMessage(curves);
    readout_->clear();
    for (const Curve &c : curves_) {
        c.series->replace(
            drawn ? Points(curves.frequencies, curves.*c.values, c.rightAxis && rightLogAxis_)
                  : QList<QPointF>());
        // A curve of another kind of box (radiators, rear vents) stays hidden.
        c.series->setVisible(drawn && !(curves.*c.values).empty());
    }
    if (mark_) {
        std::optional<double> level;
        if (which_ == Chart::Excursion)
            level = marks.xmaxMm;
        else if (marks.portVelocityWarning > 0.0 && std::isfinite(marks.portVelocityWarning))
            level = marks.portVelocityWarning;
        const bool showMark = drawn && level.has_value();
        mark_->replace(showMark ? QList<QPointF>{QPointF(ChartLowestHz, *level),
                                                 QPointF(ChartHighestHz, *level)}
                                : QList<QPointF>());
        mark_->setVisible(showMark);
    }
    if (radiatorMark_) {
        const bool showMark = drawn && marks.radiatorXmaxMm && !curves.radiatorExcursionMm.empty();
        radiatorMark_->replace(showMark ? QList<QPointF>{QPointF(ChartLowestHz, *marks.radiatorXmaxMm),
                                                         QPointF(ChartHighestHz, *marks.radiatorXmaxMm)}
                                        : QList<QPointF>());
        radiatorMark_->setVisible(showMark);
    }
    if (overlayGeneration != overlayGeneration_) {
        showOverlays(overlays);
        overlayGeneration_ = overlayGeneration;
    }
    // Hidden series keep their legend entries out of the way.
    for (QLegendMarker *m : chart_->legend()->markers())
        if (m->isVisible() != m->series()->isVisible())
            m->setVisible(m->series()->isVisible());
    fitVerticalAxes();
}

void DesignChart::resetView() {
    frequencyAxis_->setRange(ChartViewLowHz, ChartViewHighHz);
    fitVerticalAxes();
}

void DesignChart::fitVerticalAxes() {
    Span left, right;
    if (shown_) {
        const double low = frequencyAxis_->min(), high = frequencyAxis_->max();
        for (const Curve &c : curves_) {
            if (!c.series->isVisible())
                continue;
            const Span s = SpanOf(shown_->frequencies, (*shown_).*c.values, low, high);
            Span &side = c.rightAxis ? right : left;
            side.add(s.low);
            side.add(s.high);
        }
        for (const DesignCurves *o : overlays_) {
            const Span s = SpanOf(o->frequencies, (*o).*curves_.front().values, low, high);
            left.add(s.low);
            left.add(s.high);
        }
    }
    std::optional<double> mark;
    if (mark_ && mark_->isVisible() && mark_->count() > 0)
        mark = mark_->at(0).y();
    double low = 0.0, high = 1.0;
    switch (which_) {
    case Chart::Spl:
    case Chart::Limits:
        low = 60.0;
        high = 130.0;
        if (!left.empty()) {
            high = Ceil5(left.high + 3.0);
            low = std::max(Floor5(left.low), high - 60.0);
        }
        break;
    case Chart::Excursion:
    case Chart::PortVelocity:
        // Far below tuning the cone and the vent run away; the view stops at
        // a few times the limit so the useful range stays readable.
        high = left.empty() ? 1.0 : left.high;
        if (mark)
            high = std::max(std::min(high, 3.0 * *mark), 1.25 * *mark);
        high *= 1.1;
        break;
    case Chart::Impedance:
    case Chart::GroupDelay:
        low = left.empty() ? 0.0 : std::min(0.0, left.low);
        high = left.empty() ? 1.0 : left.high * 1.1;
        break;
    }
    // A range set, even to the same values, makes every curve of the chart
    // compute its path again: set each axis once, and only when it moves.
    const AxisRange nice = NiceRange(low, high, 7);
    if (leftAxis_->tickCount() != nice.steps + 1)
        leftAxis_->setTickCount(nice.steps + 1);
    if (leftAxis_->min() != nice.low || leftAxis_->max() != nice.high)
        leftAxis_->setRange(nice.low, nice.high);
    if (rightValueAxis_ && (rightValueAxis_->min() != -90.0 || rightValueAxis_->max() != 90.0))
        rightValueAxis_->setRange(-90.0, 90.0);
    if (rightLogAxis_) {
        double logLow = 1.0, logHigh = 10000.0;
        if (!right.empty() && right.low > 0.0) {
            logLow = std::pow(10.0, std::floor(std::log10(right.low)));
            logHigh = std::pow(10.0, std::ceil(std::log10(right.high * 1.01)));
        }
        if (rightLogAxis_->min() != logLow || rightLogAxis_->max() != logHigh)
            rightLogAxis_->setRange(logLow, logHigh);
    }
}

} // namespace dravik
