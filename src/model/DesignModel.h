#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace dravik {

// What the design charts know of a driver, in SI-friendly units. A value the
// design does not give (empty, "?", zero, negative, not a number) is empty.
struct DriverParameters {
    std::optional<double> fs;        // Hz
    std::optional<double> qts;       // total Q
    std::optional<double> qes;       // electrical Q
    std::optional<double> qms;       // mechanical Q
    std::optional<double> vasLitres; // l
    std::optional<double> re;        // voice-coil resistance, ohm
    std::optional<double> sd;        // effective piston area, m^2
    std::optional<double> xmaxMm;    // one way, peak, mm
    std::optional<double> peMaxW;    // rated (thermal) power, W
};

bool operator==(const DriverParameters &a, const DriverParameters &b);
inline bool operator!=(const DriverParameters &a, const DriverParameters &b) {
    return !(a == b);
}

enum class BoxKind { Vented, Closed };

// The box: its kind, volume and, for a vented box, tuning and vents.
struct BoxParameters {
    BoxKind kind = BoxKind::Vented;
    std::optional<double> vbLitres;
    std::optional<double> fbHz;
    std::optional<double> ventCount;
    std::optional<double> ventDiameterMm; // inner diameter of one vent
};

bool operator==(const BoxParameters &a, const BoxParameters &b);
inline bool operator!=(const BoxParameters &a, const BoxParameters &b) {
    return !(a == b);
}

// One parameter the charts may need, and the field and page it comes from.
enum class ModelInput : std::uint16_t {
    Fs = 1u << 0,
    Qts = 1u << 1,
    Qes = 1u << 2,
    Qms = 1u << 3,
    Vas = 1u << 4,
    Re = 1u << 5,
    Sd = 1u << 6,
    Xmax = 1u << 7,
    PEmax = 1u << 8,
    Vb = 1u << 9,
    Fb = 1u << 10,
    VentCount = 1u << 11,
    VentDiameter = 1u << 12,
    Power = 1u << 13,
    VentedBox = 1u << 14, // the chart is of a vented box only
};
using ModelInputs = std::uint16_t;

// The six charts.
enum class Chart { Spl, Excursion, PortVelocity, Impedance, GroupDelay, Limits };
inline constexpr int ChartCount = 6;

// The frequencies the charts are computed at: `pointsPerOctave` or a little
// more, logarithmically spaced from 5 Hz to 1 kHz, both ends included.
std::vector<double> ChartFrequencies(int pointsPerOctave);
inline constexpr double ChartLowestHz = 5.0;
inline constexpr double ChartHighestHz = 1000.0;

// Every curve of one design at one input power, a value per frequency. A
// chart whose inputs are missing has no values; missing(chart) says what it
// lacks. Levels are at 1 m in half space; excursion and port velocity are
// peak values.
struct DesignCurves {
    std::vector<double> frequencies;
    std::vector<double> responseDb;   // 20 log10 |G|, 0 dB in the passband
    std::vector<double> splDb;        // at the input power
    std::vector<double> splPhaseDeg;  // phase of the pressure response
    std::vector<double> excursionMm;  // peak cone excursion
    std::vector<double> portVelocity; // peak air velocity in the vents, m/s
    std::vector<double> impedanceOhm; // magnitude
    std::vector<double> impedancePhaseDeg;
    std::vector<double> groupDelayMs;
    std::vector<double> excursionLimitW;     // power that drives the cone to Xmax
    std::vector<double> maxPowerW;           // lesser of PEmax and the excursion limit
    std::vector<double> maxSplDb;            // level at maxPowerW
    std::vector<double> thermalLimitSplDb;   // level at PEmax
    std::vector<double> excursionLimitSplDb; // level with the cone at Xmax
    ModelInputs missing[ChartCount] = {};

    ModelInputs lacks(Chart chart) const { return missing[static_cast<int>(chart)]; }
    bool has(Chart chart) const { return lacks(chart) == 0; }
};

// Computes every chart of a driver in a box at `powerW` watts into Re.
DesignCurves ComputeDesignCurves(const DriverParameters &driver, const BoxParameters &box,
                                 double powerW, const std::vector<double> &frequencies);

// The sentence a chart shows instead of its curves, naming the fields it
// lacks and their pages, e.g. "Impedance needs Re and Qms (Driver page)."
QString MissingInputsSentence(Chart chart, ModelInputs missing);

// The chart's name as the window and the sentences use it.
QString ChartTitle(Chart chart);

// The drive voltage, RMS, that puts powerW into Re: sqrt(P x Re).
double DriveVoltage(double powerW, double re);

// The peak air velocity the user is warned above by default: about 5 % of
// the speed of sound, where vents start to be heard.
inline constexpr double DefaultPortVelocityWarning = 17.0; // m/s

} // namespace dravik
