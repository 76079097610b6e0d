#pragma once

#include "DesignModel.h"

#include <QColor>
#include <QString>

#include <vector>

class QChart;
class QLabel;
class QLineSeries;
class QLogValueAxis;
class QValueAxis;
class QWidget;

namespace dravik {

class ChartView;

// What a chart draws besides the curves of the model.
struct ChartMarks {
    std::optional<double> xmaxMm;   // the driver's Xmax, on the excursion chart
    std::optional<double> radiatorXmaxMm; // the passive radiators' Xmax there
    double portVelocityWarning = 0; // m/s, on the port velocity chart
};

// A design drawn beside the current one, in its own colour.
struct ChartOverlay {
    QString label;
    QColor colour;
    const DesignCurves *curves;
};

// One of the design charts: the chart itself, a sentence in its place when
// the design lacks what it needs, and a line that reads the curves under the
// mouse. Drag a rectangle to zoom; "Reset view" (or a right click at the
// outermost zoom) brings back 10 to 250 Hz.
class DesignChart {
public:
    DesignChart(Chart which, const QString &objectNamePrefix);
    ~DesignChart();
    DesignChart(const DesignChart &) = delete;
    DesignChart &operator=(const DesignChart &) = delete;

    QWidget *widget() const { return panel_; }
    // The chart itself, as a picture takes it.
    QWidget *view() const;
    // Draws the current design's curves and, of every overlay, its value of
    // the chart's main curve. The overlays are drawn anew only when their
    // generation differs from the one drawn last: the current design changes
    // far more often than they do.
    void show(const DesignCurves &curves, const ChartMarks &marks,
              const std::vector<ChartOverlay> &overlays, int overlayGeneration);
    // Only the sentence in place of the chart, when the design lacks an
    // input: cheap, so every chart's is kept current, drawn or not.
    void showMessage(const DesignCurves &curves);
    void resetView();

private:
    struct Curve {
        QLineSeries *series;
        std::vector<double> DesignCurves::*values;
        bool rightAxis;
    };
    void addCurve(const QString &name, std::vector<double> DesignCurves::*values, bool rightAxis,
                  Qt::PenStyle style, const QColor &colour, int width = 2);
    QLineSeries *addMark(const QString &name, const QColor &colour);
    void fitVerticalAxes();
    void showOverlays(const std::vector<ChartOverlay> &overlays);

    Chart which_;
    QWidget *panel_ = nullptr;
    QLabel *message_ = nullptr;
    QLabel *readout_ = nullptr;
    ChartView *view_ = nullptr;
    QChart *chart_ = nullptr;
    QLogValueAxis *frequencyAxis_ = nullptr;
    QValueAxis *leftAxis_ = nullptr;
    QValueAxis *rightValueAxis_ = nullptr;
    QLogValueAxis *rightLogAxis_ = nullptr;
    std::vector<Curve> curves_;
    std::vector<QLineSeries *> overlaySeries_; // as many as overlays were ever shown
    std::vector<const DesignCurves *> overlays_;
    int overlayGeneration_ = -1;
    QLineSeries *mark_ = nullptr; // Xmax or the velocity warning
    QLineSeries *radiatorMark_ = nullptr;
    const DesignCurves *shown_ = nullptr;
    ChartMarks marks_;
};

// The default view of every chart, as the plot window shows it.
inline constexpr double ChartViewLowHz = 10.0;
inline constexpr double ChartViewHighHz = 250.0;

} // namespace dravik
