#pragma once

#include "DesignModel.h"

#include <QString>

#include <optional>
#include <vector>

namespace dravik {

// What a chart draws besides the curves of the model.
struct ChartMarks {
    std::optional<double> xmaxMm;           // the driver's Xmax, on the excursion chart
    std::optional<double> radiatorXmaxMm;   // the passive radiators' Xmax there
    double portVelocityWarning = 0;         // m/s, on the port velocity chart
    QString designLabel;                    // the current design: driver, box, tuning, power
    std::optional<double> fbHz;             // a vented box's tuning, marked on the SPL chart
    std::optional<double> rearFbHz;         // a 6th-order bandpass box's rear chamber's tuning
    std::optional<double> peMaxW;           // named by the thermal limit's legend entry
    int driverCount = 1;                    // the thermal limit is that of them all
    std::optional<double> amplifierVoltage; // V RMS, named by its limit's legend entry
    std::optional<double> amplifierCurrent; // A RMS
    // Where the levels are heard: at 1 m in an ideal space, or at the
    // listener in a car or a room.
    bool atListener = false;
    // The units the lengths above (Xmax) are in: millimetres, or inches.
    UnitSystem units = UnitSystem::Metric;
};

// How an axis maps its values: evenly, by powers of ten, or evenly with
// labels only in the upper band where the levels of the limits chart lie.
enum class AxisScale { Linear, Logarithmic, LevelBand };

// One axis of a chart. A chart without a right axis has an empty title.
struct ChartAxis {
    const char *title = "";
    const char *unit = ""; // after a figure in the read-out: "dB", "ohm"
    AxisScale scale = AxisScale::Linear;
    bool titleShown = true; // false where the labels need the title's room
    // What its values measure, where another system of units shows them in
    // other units (the excursion's millimetres in inches).
    Quantity quantity = Quantity::None;
    // A horizontal axis's values: all of them, and the view it starts with
    // and "Reset view" brings back.
    double from = 0, to = 0, viewFrom = 0, viewTo = 0;
    bool exists() const { return *title != '\0'; }
};
// An axis's title and its unit after a figure, in a system of units:
// "Peak excursion (in)", "in".
QString AxisTitle(const ChartAxis &axis, UnitSystem units);
QString AxisUnit(const ChartAxis &axis, UnitSystem units);
// The curves as a system of units shows them: every curve on an axis whose
// quantity has other units there, converted.
void ToShownUnits(DesignCurves &curves, UnitSystem units);
// The marks' lengths the same way.
void ToShownUnits(ChartMarks &marks);

// The colours and line styles of the fixed curves, by their role; the
// window turns them into pens, and the overlays' palette avoids them all.
enum class CurveColour { Current, Limit, Grey, Power, Xmax, Marker, Amplifier };
enum class LineStyle { Solid, Dash, Dot, DashDot };
struct CurveStyle {
    CurveColour colour;
    int width;
    LineStyle style;
};

enum class AxisSide { Left, Right };

using CurveValues = std::vector<double> DesignCurves::*;

// One curve of a chart: its name in the read-out, the values it draws, its
// axis, its pen, and its legend entry. The first curve is the chart's main
// one: the overlays draw their own of it, and its entry names the design.
struct ChartCurve {
    const char *name;
    CurveValues values;
    AxisSide axis;
    CurveStyle style;
    QString (*legend)(const ChartMarks &) = nullptr; // none for the main curve
};

// A horizontal line at a level of the design, drawn across the chart
// where it is a usable figure: Xmax on the excursion chart. "Xmax 12 mm"
// in the legend, the word then the figure and the left axis's unit.
struct LevelMark {
    const char *word;
    std::optional<double> (*level)(const ChartMarks &);
    CurveStyle style;
    CurveValues shownWith = nullptr; // drawn only beside this curve, when set
    bool boundsRange = true;         // the view is kept within a few times it
};

// A vertical line at a frequency of the design, with its legend entry.
enum class FrequencyMark : unsigned {
    Tuning = 1u << 0,        // Fb, and a 6th-order bandpass box's second
    PassbandEdges = 1u << 1, // -3 dB below the passband's top, both ends
    Schroeder = 1u << 2,     // where a room's field turns statistical
    ModesCut = 1u << 3,      // the room's highest mode, when cut short
};

// The rules a chart keeps besides its curves and marks.
enum class ChartRule : unsigned {
    // The limit that sets the maximum drawn over it, in runs of colour.
    BindingLimitRuns = 1u << 0,
    // "at 1 m" in the left axis's title becomes "at the listener" in a car
    // or a room.
    TitleAtListener = 1u << 1,
    // The level in a room smoothed above its Schroeder frequency.
    SmoothedInRoom = 1u << 2,
    // ... and a legend line that says so.
    SmoothingNote = 1u << 3,
};

// How a chart fits its vertical range to the curves in view.
enum class RangeFit {
    Level,          // 60 dB under the top, in steps of 5 dB
    GainAroundZero, // a flat gain still shows a few decibels either side
    UpToLevelMark,  // from zero, at most a few times the level mark
    FromZero,       // from zero to a tenth above the top
    SpikeFreeDelay, // the passband's values set it; spikes are cut, and said so
    LevelsOverPower // levels in the upper part, the power below on its own scale
};
// How the right axis fits, where it is a phase.
enum class PhaseFit { None, QuarterTurn, HalfTurns };

// When a chart applies at all, and what it says when it does not.
enum class Applicability { Always, WithVents, InRoom };

// Groups of inputs a chart needs; the model resolves them against the
// design (its kind, how its drive is given, its listening space).
enum class NeedGroup : unsigned {
    Driver = 1u << 0,    // Fs, Qes, Qms, Vas, Le, the source, the air, the drivers, the kind's
    Chain = 1u << 1,     // usable filters
    Drive = 1u << 2,     // the power or the voltage
    Sd = 1u << 3,        // cone area: excursion and air velocity
    Re = 1u << 4,        // always, not only where the drive needs it
    Vents = 1u << 5,     // the kind's vents
    Space = 1u << 6,     // the listening space's own figures
    Amplifier = 1u << 7, // its ratings and current limit
    Ratings = 1u << 8,   // Xmax and PEmax
};

// A column of the CSV export: its header, where it stands (1 is the column
// after the frequency), and the curve it holds; or, for the limit column,
// the name of the limit that sets the maximum.
enum class CsvCell { Value, LimitName };
struct CsvColumn {
    const char *header;
    int position;
    CurveValues values;
    CsvCell cell = CsvCell::Value;
};

// One kind of chart, everything about it in one row: the window builds its
// widgets, the model its curves and sentences, and the exports their
// columns from these rows.
struct ChartKind {
    Chart chart;
    const char *title;      // its tab and its sentences: "Impedance"
    const char *objectName; // the prefix of its widgets' object names
    // The tab it shares with its own controls, or empty for a tab of its own.
    const char *panelName;
    // The horizontal axis and its values: frequency, logarithmic; a time
    // response takes its times and a linear axis. The axis gives the span
    // of the values and the view the chart starts with.
    ChartAxis horizontal;
    CurveValues abscissa;
    ChartAxis left, right;
    // The main curve's entry when it is not the design's label, and the
    // words before the label when a second curve of the left axis shows.
    const char *mainLegend;
    const char *mainBesideSecond;
    std::vector<ChartCurve> curves;
    // Curves computed for the chart but not drawn, checked as its own.
    std::vector<CurveValues> alsoComputed;
    std::vector<LevelMark> levelMarks;
    unsigned frequencyMarks; // FrequencyMark bits
    unsigned rules;          // ChartRule bits
    RangeFit fit;
    PhaseFit phase;
    Applicability applies;
    unsigned needs; // NeedGroup bits
    std::vector<CsvColumn> csv;

    bool marks(FrequencyMark m) const { return frequencyMarks & static_cast<unsigned>(m); }
    bool keeps(ChartRule r) const { return rules & static_cast<unsigned>(r); }
    bool needsGroup(NeedGroup g) const { return needs & static_cast<unsigned>(g); }
    // Every curve of the chart the model computes: those drawn, then the
    // others.
    std::vector<CurveValues> computed() const;
};

// The rows, one per chart, in the order of the enumeration.
const std::vector<ChartKind> &ChartKinds();
const ChartKind &ChartKindOf(Chart chart);

// The columns of the CSV export after the frequency, in their order.
std::vector<CsvColumn> CsvColumns();

} // namespace dravik
