#include "ChartKinds.h"

#include "Acoustics.h"
#include "ChartScale.h"

#include <algorithm>

namespace dravik {

using namespace chartscale;

namespace {

using C = DesignCurves;
using M = ChartMarks;

constexpr CurveStyle MainStyle{CurveColour::Current, 2, LineStyle::Solid};
constexpr CurveStyle PhaseStyle{CurveColour::Grey, 1, LineStyle::Dash};
constexpr CurveStyle LimitLineStyle{CurveColour::Limit, 2, LineStyle::Dash};

// Every frequency the model computes; the view starts at the plot window's.
const ChartAxis FrequencyAxis{
    "Frequency (Hz)",         "Hz",          AxisScale::Logarithmic, true,
    Quantity::Frequency,      ChartLowestHz, ChartHighestHz,         acoustics::ResponseFirstHz,
    acoustics::ResponseLastHz};

// " 14.3 mm" of a usable figure, or nothing.
QString Figure(std::optional<double> v, const char *unit) {
    return v && IsUsablePositive(*v)
               ? QLatin1Char(' ') + LegendFigure(*v) + QLatin1Char(' ') + QLatin1String(unit)
               : QString();
}

// " (48.99 V)" of a figure, or nothing.
QString InBrackets(std::optional<double> v, const char *unit) {
    return v ? QStringLiteral(" (") + LegendFigure(*v) + QLatin1String(unit) + QLatin1Char(')')
             : QString();
}

// The thermal limit's legend entry names the power that all the drivers
// take together, the figure the drive is compared with: "Thermal limit
// (PEmax 2 x 125 W = 250 W)".
QString ThermalLimitEntry(const ChartMarks &m) {
    QString entry = QStringLiteral("Thermal limit (PEmax");
    if (m.peMaxW && IsUsablePositive(*m.peMaxW)) {
        entry += QLatin1Char(' ');
        if (m.driverCount > 1)
            entry += QString::number(m.driverCount) + QStringLiteral(" x ") +
                     LegendFigure(*m.peMaxW) + QStringLiteral(" W = ") +
                     LegendFigure(m.driverCount * *m.peMaxW);
        else
            entry += LegendFigure(*m.peMaxW);
        entry += QStringLiteral(" W");
    }
    return entry + QLatin1Char(')');
}

std::vector<ChartKind> MakeChartKinds() {
    using G = NeedGroup;
    const auto needs = [](std::initializer_list<NeedGroup> groups) {
        unsigned bits = 0;
        for (NeedGroup g : groups)
            bits |= static_cast<unsigned>(g);
        return bits;
    };
    const auto bits = [](auto... flags) { return (0u | ... | static_cast<unsigned>(flags)); };
    const unsigned level = needs({G::Driver, G::Chain, G::Drive});
    const unsigned excursion = level | needs({G::Sd});
    const ChartAxis none;

    std::vector<ChartKind> kinds;
    kinds.push_back(
        {Chart::Spl,
         "SPL",
         "Spl",
         "",
         FrequencyAxis,
         &C::frequencies,
         {"SPL at 1 m (dB)", "dB"},
         none,
         nullptr,
         nullptr,
         {{"SPL", &C::splDb, AxisSide::Left, MainStyle}},
         {&C::splPhaseDeg},
         {},
         bits(FrequencyMark::Tuning, FrequencyMark::PassbandEdges),
         bits(ChartRule::TitleAtListener, ChartRule::SmoothedInRoom, ChartRule::SmoothingNote),
         RangeFit::Level,
         PhaseFit::None,
         Applicability::Always,
         level | needs({G::Space}),
         {{"spl_db", 1, &C::splDb}}});
    kinds.push_back({Chart::Excursion,
                     "Cone excursion",
                     "Excursion",
                     "",
                     FrequencyAxis,
                     &C::frequencies,
                     {"Peak excursion (mm)", "mm", AxisScale::Linear, true, Quantity::Length},
                     none,
                     nullptr,
                     nullptr,
                     {{"Excursion", &C::excursionMm, AxisSide::Left, MainStyle},
                      {"Radiator excursion",
                       &C::radiatorExcursionMm,
                       AxisSide::Left,
                       {CurveColour::Current, 2, LineStyle::Dash},
                       [](const M &) { return QStringLiteral("Radiator excursion"); }}},
                     {},
                     {{"Xmax", [](const M &m) { return m.xmaxMm; }, LimitLineStyle},
                      {"Radiator Xmax",
                       [](const M &m) { return m.radiatorXmaxMm; },
                       {CurveColour::Limit, 1, LineStyle::DashDot},
                       &C::radiatorExcursionMm,
                       false}},
                     0,
                     0,
                     RangeFit::UpToLevelMark,
                     PhaseFit::None,
                     Applicability::Always,
                     excursion,
                     {{"excursion_mm", 2, &C::excursionMm},
                      {"radiator_excursion_mm", 9, &C::radiatorExcursionMm}}});
    kinds.push_back(
        {Chart::PortVelocity,
         "Port air velocity",
         "PortVelocity",
         "",
         FrequencyAxis,
         &C::frequencies,
         {"Peak air velocity (m/s)", "m/s"},
         none,
         nullptr,
         "Front vents: ",
         {{"Air velocity", &C::portVelocity, AxisSide::Left, MainStyle},
          {"Rear vents",
           &C::rearPortVelocity,
           AxisSide::Left,
           {CurveColour::Current, 2, LineStyle::Dash},
           [](const M &) { return QStringLiteral("Rear vents"); }}},
         {},
         {{"Warning", [](const M &m) { return std::optional<double>(m.portVelocityWarning); },
           LimitLineStyle}},
         0,
         0,
         RangeFit::UpToLevelMark,
         PhaseFit::None,
         Applicability::WithVents,
         excursion | needs({G::Vents}),
         {{"port_velocity_ms", 3, &C::portVelocity},
          {"rear_port_velocity_ms", 10, &C::rearPortVelocity}}});
    kinds.push_back({Chart::Impedance,
                     "Impedance",
                     "Impedance",
                     "",
                     FrequencyAxis,
                     &C::frequencies,
                     {"Impedance (ohm)", "ohm"},
                     {"Phase (degrees)", "degrees"},
                     nullptr,
                     nullptr,
                     {{"Magnitude", &C::impedanceOhm, AxisSide::Left, MainStyle},
                      {"Phase", &C::impedancePhaseDeg, AxisSide::Right, PhaseStyle,
                       [](const M &) { return QStringLiteral("Phase (right axis)"); }}},
                     {},
                     {},
                     0,
                     0,
                     RangeFit::FromZero,
                     PhaseFit::QuarterTurn,
                     Applicability::Always,
                     needs({G::Driver, G::Re}),
                     {{"impedance_ohm", 4, &C::impedanceOhm},
                      {"impedance_phase_deg", 5, &C::impedancePhaseDeg}}});
    kinds.push_back({Chart::GroupDelay,
                     "Group delay",
                     "GroupDelay",
                     "",
                     FrequencyAxis,
                     &C::frequencies,
                     {"Group delay (ms)", "ms"},
                     none,
                     nullptr,
                     nullptr,
                     {{"Group delay", &C::groupDelayMs, AxisSide::Left, MainStyle}},
                     {&C::responseDb},
                     {},
                     0,
                     0,
                     RangeFit::SpikeFreeDelay,
                     PhaseFit::None,
                     Applicability::Always,
                     needs({G::Driver, G::Chain, G::Space}),
                     {{"group_delay_ms", 6, &C::groupDelayMs}}});
    kinds.push_back({Chart::Limits,
                     "Maximum SPL and power",
                     "Limits",
                     "",
                     FrequencyAxis,
                     &C::frequencies,
                     {"Maximum SPL at 1 m (dB)", "dB", AxisScale::LevelBand},
                     {"Maximum power (W)", "W", AxisScale::Logarithmic},
                     nullptr,
                     nullptr,
                     // The maximum first and thick; where Xmax sets it, orange runs are
                     // drawn over it; the thin limit lines on top. Where the voice coil
                     // sets the maximum the thermal line lies on it: wide red dashes
                     // that the blue shows between.
                     {{"Maximum SPL",
                       &C::maxSplDb,
                       AxisSide::Left,
                       {CurveColour::Current, 3, LineStyle::Solid}},
                      {"Thermal limit", &C::thermalLimitSplDb, AxisSide::Left, LimitLineStyle,
                       ThermalLimitEntry},
                      {"Excursion limit",
                       &C::excursionLimitSplDb,
                       AxisSide::Left,
                       {CurveColour::Grey, 1, LineStyle::Dot},
                       [](const M &m) {
                           return QStringLiteral("Excursion limit (Xmax") +
                                  Figure(m.xmaxMm, ShownUnitOf(Quantity::Length, m.units).text) +
                                  QLatin1Char(')');
                       }},
                      {"Maximum power",
                       &C::maxPowerW,
                       AxisSide::Right,
                       {CurveColour::Power, 2, LineStyle::Solid},
                       [](const M &) { return QStringLiteral("Maximum power (right axis)"); }},
                      // A passive radiator's own limit, after the lines every box has.
                      {"Radiator limit",
                       &C::radiatorLimitSplDb,
                       AxisSide::Left,
                       {CurveColour::Grey, 1, LineStyle::DashDot},
                       [](const M &m) {
                           return QStringLiteral("Radiator limit (Xmax") +
                                  Figure(m.radiatorXmaxMm, "mm") + QLatin1Char(')');
                       }},
                      // The amplifier's limits where it has them, and the level at the
                      // drive set, so the headroom shows.
                      {"Amplifier voltage limit",
                       &C::amplifierVoltageLimitSplDb,
                       AxisSide::Left,
                       {CurveColour::Amplifier, 1, LineStyle::Dash},
                       [](const M &m) {
                           return QStringLiteral("Amplifier voltage limit") +
                                  InBrackets(m.amplifierVoltage, " V");
                       }},
                      {"Amplifier current limit",
                       &C::amplifierCurrentLimitSplDb,
                       AxisSide::Left,
                       {CurveColour::Amplifier, 1, LineStyle::Dot},
                       [](const M &m) {
                           return QStringLiteral("Amplifier current limit") +
                                  InBrackets(m.amplifierCurrent, " A");
                       }},
                      {"Level at the drive",
                       &C::splDb,
                       AxisSide::Left,
                       {CurveColour::Current, 1, LineStyle::Solid},
                       [](const M &) { return QStringLiteral("Level at the drive set"); }}},
                     {&C::excursionLimitW},
                     {},
                     0,
                     bits(ChartRule::BindingLimitRuns, ChartRule::TitleAtListener),
                     RangeFit::LevelsOverPower,
                     PhaseFit::None,
                     Applicability::Always,
                     excursion | needs({G::Space, G::Amplifier, G::Ratings}),
                     {{"max_spl_db", 7, &C::maxSplDb},
                      {"max_power_w", 8, &C::maxPowerW},
                      {"limit", 11, &C::maxPowerW, CsvCell::LimitName}}});
    kinds.push_back({Chart::Chain,
                     "Signal chain",
                     "ChainChart",
                     "ChainPanel",
                     FrequencyAxis,
                     &C::frequencies,
                     {"Gain (dB)", "dB"},
                     // A chain's phase runs to -180: its labels take the
                     // title's room, and the legend names the axis.
                     {"Phase (degrees)", "degrees", AxisScale::Linear, false},
                     "Gain of the signal chain",
                     nullptr,
                     {{"Gain", &C::chainDb, AxisSide::Left, MainStyle},
                      {"Phase", &C::chainPhaseDeg, AxisSide::Right, PhaseStyle,
                       [](const M &) { return QStringLiteral("Phase in degrees (right axis)"); }}},
                     {},
                     {},
                     0,
                     0,
                     RangeFit::GainAroundZero,
                     PhaseFit::HalfTurns,
                     Applicability::Always,
                     needs({G::Chain}),
                     {{"chain_db", 12, &C::chainDb}}});
    kinds.push_back({Chart::Room,
                     "Room placement",
                     "RoomChart",
                     "RoomPanel",
                     FrequencyAxis,
                     &C::frequencies,
                     {"SPL at the listener (dB)", "dB"},
                     none,
                     nullptr,
                     nullptr,
                     {{"SPL at the listener", &C::splDb, AxisSide::Left, MainStyle}},
                     {&C::spaceDb},
                     {},
                     bits(FrequencyMark::Schroeder, FrequencyMark::ModesCut),
                     bits(ChartRule::SmoothedInRoom),
                     RangeFit::Level,
                     PhaseFit::None,
                     Applicability::InRoom,
                     level | needs({G::Space}),
                     {{"space_db", 13, &C::spaceDb}}});
    return kinds;
}

} // namespace

std::vector<CurveValues> ChartKind::computed() const {
    std::vector<CurveValues> all;
    for (const ChartCurve &c : curves)
        all.push_back(c.values);
    all.insert(all.end(), alsoComputed.begin(), alsoComputed.end());
    return all;
}

const std::vector<ChartKind> &ChartKinds() {
    static const std::vector<ChartKind> kinds = MakeChartKinds();
    return kinds;
}

QString AxisUnit(const ChartAxis &axis, UnitSystem units) {
    return QLatin1String(ShownUnitOf(axis.quantity, units).scale == 1.0
                             ? axis.unit
                             : ShownUnitOf(axis.quantity, units).text);
}

QString AxisTitle(const ChartAxis &axis, UnitSystem units) {
    QString title = QLatin1String(axis.title);
    const QString own = QLatin1String(axis.unit);
    const QString shown = AxisUnit(axis, units);
    if (shown != own)
        title.replace(QLatin1Char('(') + own + QLatin1Char(')'),
                      QLatin1Char('(') + shown + QLatin1Char(')'));
    return title;
}

void ToShownUnits(DesignCurves &curves, UnitSystem units) {
    std::vector<CurveValues> converted;
    for (const ChartKind &kind : ChartKinds())
        for (const ChartCurve &curve : kind.curves) {
            const ChartAxis &axis = curve.axis == AxisSide::Left ? kind.left : kind.right;
            const double scale = ShownUnitOf(axis.quantity, units).scale;
            if (scale == 1.0 ||
                std::find(converted.begin(), converted.end(), curve.values) != converted.end())
                continue;
            converted.push_back(curve.values);
            for (double &v : curves.*curve.values)
                v /= scale;
        }
}

void ToShownUnits(ChartMarks &marks) {
    const double scale = ShownUnitOf(Quantity::Length, marks.units).scale;
    for (std::optional<double> *length : {&marks.xmaxMm, &marks.radiatorXmaxMm})
        if (*length)
            **length /= scale;
}

const ChartKind &ChartKindOf(Chart chart) {
    return ChartKinds()[static_cast<size_t>(chart)];
}

std::vector<CsvColumn> CsvColumns() {
    std::vector<CsvColumn> columns;
    for (const ChartKind &kind : ChartKinds())
        columns.insert(columns.end(), kind.csv.begin(), kind.csv.end());
    std::sort(columns.begin(), columns.end(),
              [](const CsvColumn &a, const CsvColumn &b) { return a.position < b.position; });
    return columns;
}

} // namespace dravik
