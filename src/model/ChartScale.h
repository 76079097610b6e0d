#pragma once

#include <QString>

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

// The arithmetic of the design charts' axes, legends and readout, apart from
// the widgets that draw them: plain numbers in, plain numbers out.
namespace dravik::chartscale {

// Whether a figure can be used as a level, a limit or a power: finite, above
// zero and not denormal (a denormal turns into 0 or infinity at the first
// division and leaves an axis of "nan").
bool IsUsablePositive(double v);

// A linear axis: from low to high in `steps` steps of `step`, 1, 2 or 5 times
// a power of ten, so that every label is a round number.
struct LinearRange {
    double low = 0, high = 1, step = 0.25;
    int steps = 4;
};

// The largest magnitude a linear axis may reach and the least span it may
// have relative to its largest end: beyond either, the figures are not a
// design's and the chart says so instead of drawing them.
inline constexpr double MaxAxisMagnitude = 1e9;
inline constexpr double MinRelativeSpan = 1e-9;

// The nice range that holds low to high with at most maxSteps steps. A flat
// curve (low == high) gets a range around it. Empty when either end is not
// finite, a magnitude exceeds MaxAxisMagnitude, or the span is too small to
// be cut into steps.
std::optional<LinearRange> NiceRange(double low, double high, int maxSteps);

// The round numbers of the 1-2-5 series: the largest at most v, the smallest
// at least v (v above 0).
double Floor125(double v);
double Ceil125(double v);

// A logarithmic axis from low to high, both above 0.
struct LogRange {
    double low = 1, high = 10;
};

// The bounds of a logarithmic axis: its ends between these or the chart says
// its figures are out of range.
inline constexpr double MinLogAxis = 1e-9;
inline constexpr double MaxLogAxis = 1e12;

// The 1-2-5 range that holds low to high on a logarithmic axis, at least a
// decade wide. Empty for ends out of [MinLogAxis, MaxLogAxis] or not finite.
std::optional<LogRange> LogRangeOf(double low, double high);

// Where a logarithmic axis from low to high is labelled: at 1, 2 and 5 times
// each power of ten within the range. When that gives fewer than two labels
// (a narrow zoom), at every integer multiple of the power of ten; when even
// that gives fewer than two, at the round numbers of a linear axis. At most
// maxLabels, the 1-2-5 series thinned to 1-10 first.
std::vector<double> LogLabels(double low, double high, int maxLabels = 16);

// A label of a logarithmic axis: "5", "20", "500", "1k", "2k", "0.5".
// The labels of a band of a logarithmic axis that starts at `low`: the
// band's start is always one of them, so that no part of a curve lies below
// the lowest label; at most maxLabels in all.
std::vector<double> LogLabelsFromLow(double low, double high, int maxLabels);

QString LogLabelText(double v);

// The position of v on a logarithmic axis from low to high, 0 at low and 1
// at high.
double LogFraction(double v, double low, double high);

// The value of a curve at f, read between its neighbouring points on the
// logarithmic frequency axis (or, for a linear axis such as time's, on a
// straight line between them); empty outside the curve or where it is not
// finite.
std::optional<double> ValueAt(const std::vector<double> &frequencies,
                              const std::vector<double> &values, double f, bool logarithmic = true);

// The smallest and largest finite value of a curve between lowHz and highHz.
struct Span {
    double low = 0, high = 0;
    bool empty = true;
    void add(double v);
    void add(const Span &other);
};
Span SpanOf(const std::vector<double> &frequencies, const std::vector<double> &values, double lowHz,
            double highHz);

// The span of a curve's values in view without its spikes (a radiator's
// notch, a room's modes): the 5th to the 95th percentile widened by their
// distance on each side, within the values' own ends. Values beyond it are
// cut at the axis, and `cut` says so.
struct SpikeFreeSpan {
    Span span;
    bool cut = false;
};
SpikeFreeSpan SpikeFreeSpanOf(std::vector<double> values);

// A level curve (dB) averaged in power over a window 1/fraction of an
// octave wide around each point above fromHz; the points below are kept.
// Where a room's field turns statistical its modes lie closer than the
// chart's points and a single sample of them zig-zags: the average is what
// a listener hears there.
std::vector<double> SmoothedAbove(const std::vector<double> &frequencies,
                                  const std::vector<double> &db, double fromHz, double fraction);
// The fraction of an octave the charts smooth a room's level over.
inline constexpr double RoomSmoothingFraction = 12.0;

// Where a response falls 3 dB (or `drop`) below its passband's top, the
// highest value between lowHz and highHz: below the top and, for a response
// that falls again within the band (a bandpass box), above it. Each edge
// lies between two points on the logarithmic frequency axis; empty where
// the response does not fall so far within the band.
struct PassbandEdges {
    std::optional<double> lowHz, highHz;
};
PassbandEdges PassbandEdgesOf(const std::vector<double> &frequencies,
                              const std::vector<double> &values, double lowHz, double highHz,
                              double drop = 3.0);

// The runs of consecutive points where `where` is true, as [first, last]
// index pairs. Neighbouring runs share nothing; a curve drawn run by run
// joins its neighbour when the run is widened by one point on each side.
std::vector<std::pair<size_t, size_t>> Runs(const std::vector<bool> &where);

// The longest label a chart or legend shows, in characters.
// A legend entry longer than its row goes on over further rows, so that a
// design in a room keeps its listener's place.
inline constexpr int MaxLabelLength = 200;

// A label as a chart may show it: control characters (which no picture
// format takes) become blanks, and a label longer than maxLength is cut with
// an ellipsis. Linear in the label's length, and the result never longer
// than maxLength.
QString DisplayLabel(const QString &label, int maxLength = MaxLabelLength);

// A figure for a legend: four significant digits, "14.3", "0.017", "600".
QString LegendFigure(double v);

} // namespace dravik::chartscale
