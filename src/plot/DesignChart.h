#pragma once

#include "Acoustics.h"
#include "ChartKinds.h"
#include "ChartScale.h"
#include "DesignModel.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPen>
#include <QRectF>
#include <QString>

#include <functional>

#include <optional>
#include <utility>
#include <vector>

class QAbstractAxis;
class QChart;
class QGraphicsItem;
class QLabel;
class QLineSeries;
class QLogValueAxis;
class QPainter;
class QValueAxis;
class QWidget;

namespace dravik {

class ChartView;

// A design drawn beside the current one, in its own colour.
struct ChartOverlay {
    QString label;
    QColor colour;
    const DesignCurves *curves;
};

// One of the design charts: the chart itself, or a sentence in its place
// when the design lacks what it needs or its figures are out of range, and a
// line that reads the curves under the mouse. A frequency axis is
// logarithmic, labelled at 1, 2 and 5 times the powers of ten (a time axis,
// linear, at round steps, as its row says), and its plot
// area starts and ends at the same pixel of the window in every chart, so one
// frequency reads across all of them. The legend lies below the plot and
// names every curve, line style included. Drag a rectangle to zoom; "Reset
// view" (or a right click at the outermost zoom) brings back 10 to 250 Hz.
// The property that marks the widget holding charts shown one above the
// other: their plots start and end at the same pixels of it.
inline constexpr char ChartColumnProperty[] = "dravikChartColumn";

// One piece of a chart's legend as laid out: an entry's text, or a line of
// it, where it goes (row, and x from the plot's left) and whether its line
// sample stands before it.
struct LegendPiece {
    size_t entry;
    QString text;
    int row;
    double x;
    bool sample;
};

// The widths of texts in a font, each measured once: a legend is laid out
// anew at every change of the design, and most of its texts (the overlays',
// the fixed curves') stay as they were, while shaping a text is the dearest
// part of a redraw.
class TextWidths {
public:
    void setFont(const QFont &font);
    double horizontalAdvance(const QString &text) const;
    double blank() const { return metrics_->horizontalAdvance(QLatin1Char(' ')); }

private:
    static constexpr int MaxTexts = 1000;
    QFont font_;
    std::optional<QFontMetricsF> metrics_;
    mutable QHash<QString, double> widths_;
};

class DesignChart {
public:
    // A chart as its row describes it; its widgets' object names start with
    // the row's.
    explicit DesignChart(Chart which);
    // A chart of a row not in the table of charts (kept alive by the caller).
    explicit DesignChart(const ChartKind &kind);
    ~DesignChart();
    DesignChart(const DesignChart &) = delete;
    DesignChart &operator=(const DesignChart &) = delete;

    QWidget *widget() const { return panel_; }
    // The chart itself.
    QWidget *view() const;
    // Draws the current design's curves and, of every overlay, its value of
    // the chart's main curve. The overlays are drawn anew only when their
    // generation differs from the one drawn last: the current design changes
    // far more often than they do.
    void show(const DesignCurves &curves, const ChartMarks &marks,
              const std::vector<ChartOverlay> &overlays, int overlayGeneration);
    // Only the sentence in place of the chart, when the design lacks an
    // input or its figures are out of range: cheap, so every chart's is kept
    // current, drawn or not.
    void showMessage(const DesignCurves &curves);
    void resetView();
    // The units its axes, read-out and legend name; the curves and marks
    // shown must be in them.
    void setUnits(UnitSystem units);

    // The height the chart takes in a picture `width` wide, legend included.
    double pictureHeight(double width) const;
    // Paints the chart as last shown into `target` of a picture, laid out
    // for that size whether or not the window was ever on screen; a chart
    // that cannot be drawn paints its sentence.
    void paint(QPainter &painter, const QRectF &target);

    // The sentence in place of the chart, or empty when it is drawn.
    QString sentence(const DesignCurves &curves) const;
    // The legend as last shown: each curve's text as drawn.
    QStringList legendTexts() const;

private:
    struct Curve {
        QLineSeries *series;
        std::vector<double> DesignCurves::*values;
        bool rightAxis;
        // Its legend entry, from the marks of the design shown; none for the
        // main curve, whose entry is the design's label.
        QString (*legend)(const ChartMarks &);
    };
    struct LevelLine {
        QLineSeries *series;
        const LevelMark *mark;
    };
    struct LegendEntry {
        QString text;
        QPen pen;
        bool operator==(const LegendEntry &o) const { return text == o.text && pen == o.pen; }
    };
    void addCurve(const ChartCurve &curve);
    // The horizontal axis, logarithmic or linear, and the values it runs over.
    double horizontalMin() const;
    double horizontalMax() const;
    void setHorizontalRange(double from, double to);
    double horizontalFraction(double x, double from, double to) const;
    std::vector<double> horizontalLabels(double from, double to) const;
    double fullFrom() const { return kind_.horizontal.from; }
    double fullTo() const { return kind_.horizontal.to; }
    const std::vector<double> &abscissa(const DesignCurves &curves) const {
        return curves.*kind_.abscissa;
    }
    QLineSeries *addLine(const QPen &pen);
    void fitVerticalAxes();
    chartscale::SpikeFreeSpan DelaySpan(double lowHz, double highHz) const;
    void fitLimitsAxes(double lowHz, double highHz);
    void showOverlays(const std::vector<ChartOverlay> &overlays);
    void showCurves();
    bool smoothsInRoom(const DesignCurves &curves) const;
    const std::vector<double> &drawnLevels(const DesignCurves &curves,
                                           std::vector<double> DesignCurves::*values,
                                           std::vector<double> &smoothed) const;
    void replaceOverlayPoints();
    void sliceToView();
    void showBindingLimit(const DesignCurves &curves);
    void showLevelMarks(const DesignCurves &curves, bool drawn);
    void placeMarkers();
    void buildLegend(const std::vector<ChartOverlay> &overlays);
    void fitToView();
    void layOut(const QSizeF &size, double left, double right);
    void placeAxisLabels();
    double legendHeight(double width) const;
    const std::vector<LegendPiece> &legendLayout(double width) const;
    void placeLegend();
    void clearItems(std::vector<QGraphicsItem *> &items);
    QRectF plotArea() const { return plot_; }

    Chart which_;
    const ChartKind &kind_;
    QWidget *panel_ = nullptr;
    QLabel *message_ = nullptr;
    QLabel *readout_ = nullptr;
    ChartView *view_ = nullptr;
    QChart *chart_ = nullptr;
    QAbstractAxis *frequencyAxis_ = nullptr; // the horizontal axis, one of:
    QLogValueAxis *logHorizontal_ = nullptr;
    QValueAxis *linearHorizontal_ = nullptr;
    QValueAxis *leftAxis_ = nullptr;
    QValueAxis *rightValueAxis_ = nullptr;
    QLogValueAxis *rightLogAxis_ = nullptr;
    std::vector<Curve> curves_;
    std::vector<QLineSeries *> overlaySeries_; // as many as overlays were ever shown
    std::vector<const DesignCurves *> overlays_;
    // The maximum SPL where Xmax sets it, and where the amplifier does.
    std::vector<QLineSeries *> boundSeries_[2];
    int overlayGeneration_ = -1;
    std::vector<LevelLine> levelLines_;    // Xmax, the velocity warning
    QLineSeries *fbLine_ = nullptr;        // the tuning, on the SPL chart
    QLineSeries *rearFbLine_ = nullptr;    // a bandpass box's second tuning
    QLineSeries *f3Line_ = nullptr;        // the -3 dB frequency, on the SPL chart
    QLineSeries *f3HighLine_ = nullptr;    // a bandpass box's upper -3 dB frequency
    QLineSeries *schroederLine_ = nullptr; // where a room's field turns statistical
    QLineSeries *modesLine_ = nullptr;     // the room's highest mode summed, when cut short
    std::optional<double> fbHz_, rearFbHz_, f3Hz_, f3HighHz_, schroederHz_, modesHz_;
    double powerLow_ = 1, powerHigh_ = 10; // the labelled part of the power axis
    const DesignCurves *shown_ = nullptr;
    bool drawn_ = false;
    // The points the curves carry: those in view.
    std::pair<size_t, size_t> curvesSlice_{0, 0};
    ChartMarks marks_;
    std::vector<LegendEntry> legend_;
    QRectF plot_;
    std::vector<QGraphicsItem *> axisItems_, legendItems_;
    // What the items were last placed for: unchanged, they stay.
    std::vector<double> axisItemsFor_;
    std::vector<LegendEntry> legendItemsFor_;
    // The legend's layout as last measured, and for what.
    mutable TextWidths legendWidths_;
    mutable std::vector<LegendPiece> legendLayout_;
    mutable std::vector<LegendEntry> legendLayoutFor_;
    mutable double legendLayoutWidth_ = -1.0;
    QRectF legendPlotFor_;
    QString sentence_;
    UnitSystem units_ = UnitSystem::Metric;
};

// The default view of every chart, as the plot window shows it.
inline constexpr double ChartViewLowHz = acoustics::ResponseFirstHz;
inline constexpr double ChartViewHighHz = acoustics::ResponseLastHz;

} // namespace dravik
