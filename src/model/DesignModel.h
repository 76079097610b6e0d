#pragma once

#include "DesignInputs.h"
#include "DesignSetup.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace dravik {

// A limit that sets the most power the design takes at one frequency.
// The driver's three, and the amplifier's two when it has a rating or a
// current limit.
enum class LimitKind : std::uint8_t {
    Thermal,
    Excursion,
    Radiator,
    AmplifierVoltage,
    AmplifierCurrent
};

// The charts: the design's six, the signal chain's response, and the level
// at a listener in a room.
enum class Chart { Spl, Excursion, PortVelocity, Impedance, GroupDelay, Limits, Chain, Room };
inline constexpr int ChartCount = 8;

// The frequencies the charts are computed at: `pointsPerOctave` or a little
// more, logarithmically spaced from 5 Hz to 1 kHz, both ends included.
std::vector<double> ChartFrequencies(int pointsPerOctave);
inline constexpr double ChartLowestHz = 5.0;
inline constexpr double ChartHighestHz = 1000.0;

// Why a chart is not drawn: the design lacks inputs it needs (which are
// named), the chart does not apply to the design (the vent chart to a box
// without vents, the room chart to another listening space), or its values
// are usable one by one but the curves they give are not finite numbers.
enum class ChartReason { None, MissingInputs, NotApplicable, NotComputable };
struct ChartLack {
    ChartReason reason = ChartReason::None;
    ModelInputs inputs; // those missing, with MissingInputs

    // The inputs missing of those needed: none, or a lack naming them.
    static ChartLack Of(const ModelInputs &missing) {
        return missing ? ChartLack{ChartReason::MissingInputs, missing} : ChartLack{};
    }
    static ChartLack Because(ChartReason reason) { return {reason, {}}; }
    explicit operator bool() const { return reason != ChartReason::None; }
};

// Every curve of one design at its drive, a value per frequency. A chart
// whose inputs are missing has no values; missing(chart) says what it lacks.
// Levels are at the listener: at 1 m in the listening space, or at the
// listener's seat in a car or a room; the signal chain is in front of the
// amplifier. Excursion and air velocity are peak values, of one driver and
// of the vents of one set.
struct DesignCurves {
    std::vector<double> frequencies;
    std::vector<double> responseDb;          // relative to the drivers' mass-controlled level
    std::vector<double> splDb;               // at the drive
    std::vector<double> splPhaseDeg;         // phase of the pressure
    std::vector<double> excursionMm;         // peak cone excursion of each driver
    std::vector<double> radiatorExcursionMm; // peak excursion of each passive radiator
    std::vector<double> portVelocity;        // peak air velocity in the (front) vents, m/s
    std::vector<double> rearPortVelocity;    // in the rear chamber's vents (bandpass-6)
    std::vector<double> impedanceOhm;        // magnitude at the wired drivers' terminals
    std::vector<double> impedancePhaseDeg;
    std::vector<double> groupDelayMs;
    std::vector<double> excursionLimitW;            // power that drives the cones to Xmax
    std::vector<double> maxPowerW;                  // the least power at which a limit is reached
    std::vector<double> maxSplDb;                   // level at maxPowerW
    std::vector<double> thermalLimitSplDb;          // level with a voice coil at PEmax
    std::vector<double> excursionLimitSplDb;        // level with the cones at Xmax
    std::vector<double> radiatorLimitSplDb;         // level with the radiators at their Xmax
    std::vector<double> amplifierVoltageLimitSplDb; // level with the amplifier at its voltage
    std::vector<double> amplifierCurrentLimitSplDb; // level with the amplifier at its current
    std::vector<LimitKind> limit;                   // which limit sets maxPowerW
    std::vector<double> chainDb;                    // the signal chain's gain
    std::vector<double> chainPhaseDeg;
    std::vector<double> spaceDb; // the listening space's gain over half space
    // In a room: the frequency above which its field is statistical, and,
    // where the modes were cut short of the chart's range, the highest one
    // summed.
    std::optional<double> schroederHz;
    std::optional<double> modesCutAtHz;
    ChartLack missing[ChartCount] = {};
    // The figures an amplifier is matched to: the wired coils' DC resistance
    // and, where the impedance chart applies, its least value 10-250 Hz.
    std::optional<double> dcResistanceOhm;
    std::optional<double> minimumImpedanceOhm;
    double drivePowerW = 0.0; // the drive as a power into the DC resistance
    double driveVoltageV = 0.0;

    const ChartLack &lacks(Chart chart) const { return missing[static_cast<int>(chart)]; }
    bool has(Chart chart) const { return !lacks(chart); }
};

// Computes every chart of a design.
DesignCurves ComputeDesignCurves(const DesignSetup &setup, const std::vector<double> &frequencies);

// The same for one driver in a box at `powerW` watts, with the program's air
// and no inductance or source resistance.
DesignCurves ComputeDesignCurves(const DriverParameters &driver, const BoxParameters &box,
                                 double powerW, const std::vector<double> &frequencies);

// The same for the box in another place of the same room, the rest of the
// design as it is: the placement view's positions.
DesignCurves ComputeDesignCurvesAt(const DesignSetup &setup, const std::array<double, 3> &sourceM,
                                   const std::vector<double> &frequencies);

// The level variation at the listener (most less least, dB) over a band,
// of a design's level curve; empty when the band holds no figure.
std::optional<double> LevelVariationDb(const DesignCurves &curves, double lowHz, double highHz);

// How the drivers' voice coils are wired: the coils in series in each
// string and the strings in parallel, counting every coil that carries
// current (n single-coil drivers in parallel: 1 and n; in series: n and 1;
// series-parallel: 2 and n / 2; a dual-coil driver's own coils in series
// double the first, in parallel the second). The coils of one driver share
// its former: each one's inductance is that of all the driven coils of its
// driver, the one coil's times `coilsPerDriver`.
struct CoilWiring {
    double seriesCoils;
    double parallelStrings;
    double coilsPerDriver = 1; // the driven coils of each driver
    double seriesInDriver = 1; // of them in series, and in parallel
    double parallelInDriver = 1;
};
CoilWiring CoilWiringOf(const DriverArrangement &drivers, const VoiceCoils &coils = {});
// The voice coils that move one cone: 2 for an isobaric pair, else 1.
double CoilsPerUnit(const DriverArrangement &drivers);

// One voice coil's resistance, its impedance beyond that (in SI units) and
// force factor.
struct CoilFigures {
    double re = 0;
    CoilTerms coil;
    double bl = 0;
};
// One coil's figures from a dual-coil driver's own, given for its coils in
// series (Re / 2, every term of the coil's impedance / 4, Bl / 2), in
// parallel (2 Re, the same terms, Bl) or for one coil: two identical, fully
// coupled coils.
CoilFigures OneCoilOf(const CoilFigures &given, CoilsGivenFor givenFor);
// The same for the resistance alone.
double OneCoilResistance(double re, CoilsGivenFor givenFor);

// The DC resistance of the wired voice coils, from one coil's.
double WiredResistance(const CoilWiring &wiring, double oneCoilRe);

// A driver's suspension compliance and moving mass from Fs, Vas (litres) and
// Sd (m^2) in the given air: Cms = Vas / (rho c^2 Sd^2), Mms = 1 / ((2 pi
// Fs)^2 Cms).
struct DriverMechanics {
    double cms = 0.0; // m/N
    double mms = 0.0; // kg
};
DriverMechanics MechanicsOf(double fs, double vasLitres, double sd, const AirProperties &air);

// Whether a count of drivers can be mounted and wired so.
bool IsArrangementPossible(const DriverArrangement &drivers);

// Qms as the charts use it: the Qms field, or only when that is missing
// Qts Qes / (Qes - Qts).
std::optional<double> EffectiveQms(const DriverParameters &driver);

// One line when Qts disagrees with Qes and Qms by more than 1 %, e.g.
// "Qts 0.38 differs from Qes and Qms (0.378); the charts use Qes and Qms."
std::optional<QString> QualityFactorNotice(const DriverParameters &driver);

// The sentence a chart shows instead of its curves, naming the fields it
// lacks and their pages, e.g. "Impedance needs Re and Qms (Driver page).",
// or saying that it does not apply or cannot be computed.
QString MissingInputsSentence(Chart chart, const ChartLack &lack);
QString MissingInputsSentence(Chart chart, const ModelInputs &missing);

// The chart's name as the window and the sentences use it.
QString ChartTitle(Chart chart);

// The drive voltage, RMS, that puts powerW into a resistance: sqrt(P x R).
double DriveVoltage(double powerW, double resistance);

// The inputs of a listening space that cannot be used as they stand: a wall,
// a position outside the room, a reverberation time, a cabin's values.
ModelInputs UnusableSpaceInputs(const ListeningSpace &space);

// The amplifier's clipping voltage, sqrt(P_rated x R_rated) RMS, or empty
// without a rating.
std::optional<double> AmplifierClippingVoltage(const AmplifierParameters &amplifier);

// The peak air velocity the user is warned above by default: about 5 % of
// the speed of sound, where vents start to be heard.
inline constexpr double DefaultPortVelocityWarning = 17.0; // m/s

} // namespace dravik
