#pragma once

#include "Acoustics.h"
#include "Ducts.h"
#include "ListeningSpace.h"
#include "SignalChain.h"
#include "VoiceCoil.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace dravik {

// The total Q of two Q's in parallel, the driver's mechanical and electrical
// losses together: Qms Qes / (Qms + Qes).
inline double TotalQ(double qms, double qes) {
    return qms * qes / (qms + qes);
}

struct AirConditions {
    double temperatureC = 20.0;
    double pressurePa = 101325.0;
    double relativeHumidityPercent = 50.0;
};

// The air the box works in: the program's own, unless the user types other
// values or gives the conditions they follow from.
struct AirProperties {
    double density = acoustics::AirDensity;    // kg/m^3
    double soundSpeed = acoustics::SoundSpeed; // m/s
    std::optional<AirConditions> conditions;   // what the two were derived from
};

// The density and speed of sound of moist air: the saturation pressure
// 610.78 exp(17.2694 t / (t + 238.3)) Pa, the partial pressures of dry air and
// vapour over their gas constants, and c = sqrt(1.4 p / rho).
AirProperties AirFromConditions(const AirConditions &conditions);

bool operator==(const AirProperties &a, const AirProperties &b);
inline bool operator!=(const AirProperties &a, const AirProperties &b) {
    return !(a == b);
}

// A driver's voice coils: one, or two identical ones on one former (a
// dual-voice-coil driver), and the wiring of the two that the driver's own
// Re, Le and Qes are given for: one coil of the two, both in series, or both
// in parallel.
enum class CoilsGivenFor { OneCoil, Series, Parallel };
struct VoiceCoils {
    int count = 1; // 1 or 2
    CoilsGivenFor givenFor = CoilsGivenFor::OneCoil;
    bool dual() const { return count == 2; }
};

// The voice coil beyond Re and Le: its model, and the terms of the models
// other than a plain Le, in the design's units (ohm, mH). A model uses its
// own terms only. The driver's Le is the plain and the lossy models' series
// inductance; Wright's model and the semi-inductance have none (their Le is
// 0), the semi-inductance's own Le being the one in its parallel branch.
struct VoiceCoilTerms {
    InductanceModel model = InductanceModel::Plain;
    std::optional<double> r2Ohm, l2Mh;                 // Le with R2-L2
    std::optional<double> krm, erm, kxm, exm;          // Wright's
    std::optional<double> lebMh, semiLeMh, rssOhm, ke; // the semi-inductance
};
// Whether the model has a series Le of its own, the driver's.
inline bool HasSeriesLe(InductanceModel m) {
    return m == InductanceModel::Plain || m == InductanceModel::Lossy;
}

// What the design charts know of one driver, in SI-friendly units. A value
// the design does not give (empty, "?", zero, negative, not a number) is
// empty. Le is the one value that may be zero.
struct DriverParameters {
    std::optional<double> fs;         // Hz
    std::optional<double> qts;        // total Q
    std::optional<double> qes;        // electrical Q
    std::optional<double> qms;        // mechanical Q
    std::optional<double> vasLitres;  // l
    std::optional<double> re;         // voice-coil resistance, ohm
    std::optional<double> sd;         // effective piston area, m^2
    std::optional<double> xmaxMm;     // one way, peak, mm
    std::optional<double> peMaxW;     // rated (thermal) power, W
    std::optional<double> leMh = 0.0; // voice-coil inductance, mH
    VoiceCoils coils;
    VoiceCoilTerms voiceCoil;
    std::optional<double> creep = 0.0; // the suspension's, lambda
};

bool operator==(const VoiceCoils &a, const VoiceCoils &b);
inline bool operator!=(const VoiceCoils &a, const VoiceCoils &b) {
    return !(a == b);
}
bool operator==(const DriverParameters &a, const DriverParameters &b);
inline bool operator!=(const DriverParameters &a, const DriverParameters &b) {
    return !(a == b);
}

// How several drivers are mounted and their voice coils wired.
enum class Mounting { Normal, Isobaric };
enum class Wiring { Parallel, Series, SeriesParallel };
// How the two coils of each dual-voice-coil driver are joined before the
// drivers are wired together: in series, in parallel, or one coil only
// (the other left open). A driver of one coil ignores it.
enum class CoilJoin { Series, Parallel, OneCoil };

struct DriverArrangement {
    int count = 1; // 1 to MaxDrivers
    Mounting mounting = Mounting::Normal;
    Wiring wiring = Wiring::Parallel;
    CoilJoin coilJoin = CoilJoin::Series;
};
inline constexpr int MaxDrivers = 8;

bool operator==(const DriverArrangement &a, const DriverArrangement &b);
inline bool operator!=(const DriverArrangement &a, const DriverArrangement &b) {
    return !(a == b);
}

// The enclosures the charts know, in the order the window offers them.
enum class BoxKind {
    Vented,
    Closed,
    PassiveRadiator,
    Bandpass4,
    Bandpass6,
    TransmissionLine,
    TappedHorn,
    FrontLoadedHorn
};
inline constexpr int BoxKindCount = 8;

// How a transmission line's or a horn's path ends: its mouth a rigid piston
// in an infinite baffle, or open to zero pressure.
enum class Mouth { BaffledPiston, Open };

// One segment of a path, as the design gives it: its flare, its length, the
// areas it starts and ends with (each segment starts with the area the one
// before it ends with), a hyperbolic-exponential flare's T, and a damping
// fill by its flow resistivity.
struct PathSegment {
    Flare flare = Flare::Uniform;
    double lengthCm = 0.0;
    double startAreaCm2 = 0.0, endAreaCm2 = 0.0;
    double t = 1.0;
    std::optional<double> fillResistivity; // Pa s/m^2, none: empty
};
bool operator==(const PathSegment &a, const PathSegment &b);
inline bool operator!=(const PathSegment &a, const PathSegment &b) {
    return !(a == b);
}
inline constexpr int MostPathSegments = 16;

// The enclosure: its kind and the values that kind uses; the others are
// ignored. The losses are optional: an empty leakage or vent Q means the box
// has no such loss.
//   vented:            vbLitres, fbHz, ventCount, ventDiameterMm
//   closed:            vbLitres
//   passive radiator:  vbLitres and the radiator values
//   bandpass-4:        vbLitres (the sealed rear chamber), frontVolumeLitres,
//                      fbHz, ventCount, ventDiameterMm (the front chamber)
//   bandpass-6:        vbLitres, rearTuningHz, rearVentCount,
//                      rearVentDiameterMm (the rear chamber), and the front
//                      chamber as for bandpass-4
struct BoxParameters {
    BoxKind kind = BoxKind::Vented;
    std::optional<double> vbLitres;
    std::optional<double> fbHz;
    std::optional<double> ventCount;
    std::optional<double> ventDiameterMm; // inner diameter of one vent
    std::optional<double> frontVolumeLitres;
    std::optional<double> rearTuningHz;
    std::optional<double> rearVentCount;
    std::optional<double> rearVentDiameterMm;
    std::optional<double> leakageQ = 7.0; // across each vented chamber, at its tuning
    std::optional<double> ventQ;          // loss in series with each vent's mass
    // The end correction of each set of vents, in vent diameters: what
    // their air moves beyond their ends, added to the length they are cut
    // to. 0.732 for one flanged and one free end, 0.614 for two free ends,
    // 0.85 for two flanged ones. The (front) vents' and the rear ones'.
    std::optional<double> ventEndCorrection = acoustics::FlangedAndFreeEndCorrection;
    std::optional<double> rearVentEndCorrection = acoustics::FlangedAndFreeEndCorrection;
    // Slot vents instead of round tubes, for each set of vents: the slot's
    // inside width and height (both given: the vents are slots, and their
    // diameter is that of a circle of the slot's area), and how many of its
    // sides are the box's own walls (0 to 3). The (front) vents' and the
    // rear ones'.
    std::optional<double> ventSlotWidthMm, ventSlotHeightMm;
    std::optional<double> ventSharedWalls = 0.0;
    std::optional<double> rearVentSlotWidthMm, rearVentSlotHeightMm;
    std::optional<double> rearVentSharedWalls = 0.0;
    // Every vent as a duct: a uniform pipe of the length that tunes the
    // lumped vent, whose pipe resonances then show.
    bool ventsAsDucts = false;
    // A transmission line's or a horn's path from its closed end (or its
    // throat) to its mouth, how the mouth ends, and where along the path the
    // cone feeds it (cm): a line's driver, a tapped horn's cone front and
    // rear. A front-loaded horn's sealed chamber behind the cone is vbLitres,
    // and its throat chamber between the cone and the path (0: none).
    std::vector<PathSegment> segments;
    Mouth mouth = Mouth::BaffledPiston;
    std::optional<double> driverAtCm = 0.0;
    std::optional<double> frontAtCm;
    std::optional<double> rearAtCm;
    std::optional<double> throatVolumeLitres = 0.0;
    // Passive radiators.
    std::optional<double> radiatorCount;
    std::optional<double> radiatorAreaCm2;
    std::optional<double> radiatorMassG; // moving mass without added mass
    std::optional<double> radiatorAddedMassG = 0.0;
    std::optional<double> radiatorComplianceMmPerN;
    std::optional<double> radiatorQms;
    std::optional<double> radiatorXmaxMm; // empty: no limit
};

bool operator==(const BoxParameters &a, const BoxParameters &b);
inline bool operator!=(const BoxParameters &a, const BoxParameters &b) {
    return !(a == b);
}

// The drive: the amplifier's open-circuit voltage, given as a power into the
// wired drivers' DC resistance or as a voltage, behind the resistance of the
// amplifier's output and the cable.
struct DriveParameters {
    enum class Given { Power, Voltage };
    Given given = Given::Power;
    std::optional<double> powerW = 1.0;
    std::optional<double> voltageV;
    std::optional<double> sourceResistanceOhm = 0.0;
};

bool operator==(const DriveParameters &a, const DriveParameters &b);
inline bool operator!=(const DriveParameters &a, const DriveParameters &b) {
    return !(a == b);
}

// The amplifier's limits: its rated power into its rated load gives the
// voltage it clips at, sqrt(P x R) RMS; an optional current limit, RMS.
// Without a rating the amplifier has no limit.
struct AmplifierParameters {
    std::optional<double> ratedPowerW;
    std::optional<double> ratedLoadOhm;
    std::optional<double> currentLimitA;

    bool hasRating() const { return ratedPowerW || ratedLoadOhm; }
};

bool operator==(const AmplifierParameters &a, const AmplifierParameters &b);
inline bool operator!=(const AmplifierParameters &a, const AmplifierParameters &b) {
    return !(a == b);
}

// How the box is built, for its net volume and its cut sheet: the outside
// width, height and depth (one may be left out, and is then solved for the
// design's volume), the walls, each driver's displacement and the bracing.
// A design without any of them has no construction.
struct Construction {
    std::array<std::optional<double>, 3> outsideMm; // width, height, depth
    std::optional<double> wallMm;
    std::optional<double> driverDisplacementLitres; // of each driver
    std::optional<double> bracingLitres;
    bool given() const {
        return outsideMm[0] || outsideMm[1] || outsideMm[2] || wallMm || driverDisplacementLitres ||
               bracingLitres;
    }
};

// The systems of units the charts window shows: metric, or the US units of
// American builders (cubic feet, inches, square inches, feet for rooms,
// Fahrenheit, inches of mercury). The design always holds its own metric
// units; a system only changes what is shown.
enum class UnitSystem { Metric, Us };

// The whole engineering design the charts compute from.
struct DesignSetup {
    QString label;
    QString manufacturer, model;
    AirProperties air;
    DriverParameters driver;
    DriverArrangement drivers;
    BoxParameters enclosure;
    DriveParameters drive;
    AmplifierParameters amplifier;
    std::vector<FilterStage> filters; // the signal chain, in order
    ListeningSpace environment;
    Construction construction;
    UnitSystem units = UnitSystem::Metric; // how the window shows it
};

bool operator==(const DesignSetup &a, const DesignSetup &b);
inline bool operator!=(const DesignSetup &a, const DesignSetup &b) {
    return !(a == b);
}

// The driver's name as the charts show it: "Fane Colossus 18 XB".
QString DriverName(const DesignSetup &setup);

} // namespace dravik
