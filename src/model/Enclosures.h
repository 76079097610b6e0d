#pragma once

#include "AcousticCircuit.h"
#include "DesignInputs.h"
#include "DesignSetup.h"

#include <cmath>
#include <optional>
#include <vector>

namespace dravik {

// What the box needs of the drivers to build its circuit.
struct DriverLoad {
    double units = 1.0;          // drivers, or isobaric pairs, side by side
    double unitCompliance = 0.0; // acoustic compliance of one, Cms Sd^2 / pair
    double movingMass = 0.0;     // of one driver, kg
    double fs = 0.0;             // Hz
};

// A chamber of a kind: how the box's description and its vent line name
// it, its volume, and, where vents tune it, its tuning and its vents.
using BoxFigure = std::optional<double> BoxParameters::*;
struct KindChamber {
    const char *volumeName; // "Vb", "Vr", "Vf"
    BoxFigure volume;
    const char *tuningName = nullptr; // "Fb", "Fr", "Ff"; none for a sealed chamber
    BoxFigure tuning = nullptr;
    BoxFigure ventCount = nullptr;
    BoxFigure ventDiameterMm = nullptr;
    const char *ventLine = ""; // before its vent line: "Front chamber: "
    VentSet vents = VentSet::Main;
    bool vented() const { return tuning != nullptr; }
};

// A resonance of the box besides its chambers' tunings, named in its
// description: the closed box's Fc, the radiators' fB. A marked one stands
// on the SPL chart as the box's tuning.
struct KindResonance {
    const char *name;
    std::optional<double> (*of)(const DesignSetup &);
    bool marked;
};

// One number of a kind in a setup file: its key, the input it holds, and
// the object it stands in ("" for the enclosure's own, "radiator").
struct KindFileKey {
    const char *object;
    const char *key;
    ModelInput input;
};

// The helper a kind offers beside its fields.
// The path editor of a transmission line or a horn: its segments and mouth.
enum class KindHelper { None, RadiatorTuning, BandpassDesign, Path };

// The end correction of a set of vents, in the design.
BoxFigure EndCorrectionOf(VentSet set);

// What the setup file's keys of a set of vents start with: "rear_" and
// "front_" in a box vented on both sides, nothing otherwise.
const char *VentKeyPrefix(BoxKind kind, VentSet set);

// A set of vents' members of the design and their rows: the round vents'
// diameter, and a slot's width, height and walls shared with the box.
struct VentSetMembers {
    BoxFigure diameterMm, slotWidthMm, slotHeightMm, sharedWalls;
    ModelInput slotWidth, slotHeight, walls;
};
const VentSetMembers &MembersOf(VentSet set);
// Whether a set of vents is slots: both their width and height given.
bool IsSlot(const BoxParameters &box, VentSet set);
// A slot's vents tune and lose as round ones of the slot's area do: each
// set of slots gets the diameter 2 sqrt(w h / pi) of a circle of its area,
// which also gives its end correction.
void SetSlotVentDiameters(BoxParameters &box);

// The box's tunings as the SPL chart marks them: the box's (or the front
// chamber's) and a 6th-order bandpass box's rear chamber's.
struct TuningMarks {
    std::optional<double> fbHz, rearFbHz;
};

// One kind of enclosure, everything about it in one row: what it is called,
// what it needs, its chambers and resonance (its description, vent lines
// and tuning marks come from them), its starting values, its keys in a
// setup file, its helper, and how it loads the drivers.
struct EnclosureKind {
    BoxKind kind;
    const char *setupName;             // as the setup file names it: "passive-radiator"
    const char *caption;               // as the window shows it: "Passive radiator"
    const char *choiceName;            // the window's radio button
    bool followsMainWindow;            // its values are the main window's fields
    std::vector<ModelInput> needs;     // its own values, every chart
    std::vector<ModelInput> ventNeeds; // what the vent chart needs besides
    bool hasRearVents;
    bool hasRadiators;
    bool hasLeak;
    bool hasVentLoss;
    BoxCircuit (*circuit)(const BoxParameters &box, const AirProperties &air,
                          const DriverLoad &drivers);
    // The chambers, the one behind the drivers first.
    std::vector<KindChamber> chambers;
    std::optional<KindResonance> resonance;
    // Sensible values of its own fields for the current design (a radiator
    // like the driver tuned to the main window's Fb, a bandpass box from the
    // closed forms); none for a kind whose values are the main window's.
    std::optional<BoxParameters> (*startingBox)(const DesignSetup &current);
    std::vector<KindFileKey> fileKeys;
    KindHelper helper;
};

// The tunings the SPL chart marks for a design.
TuningMarks TuningMarksOf(const DesignSetup &setup);

const std::vector<EnclosureKind> &EnclosureKinds();
const EnclosureKind &KindOf(BoxKind kind);
std::optional<BoxKind> KindNamed(const QString &setupName);

// A driver's resonance in a sealed box, Fs sqrt(1 + alpha), alpha the
// drivers' compliance over the box's.
inline double ResonanceWithBox(double fs, double alpha) {
    return fs * std::sqrt(1.0 + alpha);
}
// The drivers' compliance together, in a driver's: n side by side have n
// times a driver's, and an isobaric pair half of one.
double DriversVasShare(const DriverArrangement &drivers);

// The closed box's losses: a mechanical resistance of this times 2 pi Fc Mms
// in series with each driver.
inline constexpr double ClosedBoxLossFactor = 0.1;

// The passive radiator's own figures in SI units and the tuning they give
// the box: fp = 1 / (2 pi sqrt((Mmp + Madd) Cmp)) and fB = fp sqrt(1 + delta),
// delta = m rho c^2 Sp^2 Cmp / V.
struct RadiatorTuning {
    double fp = 0.0;    // the radiator's resonance with its added mass, Hz
    double delta = 0.0; // m Vap / V
    double fb = 0.0;    // the system's tuning, Hz
};
RadiatorTuning TuningOfRadiators(const BoxParameters &box, const AirProperties &air);

// The added mass (g) that tunes the radiators to `tuningHz` in the box:
// 1 / ((2 pi fB / sqrt(1 + delta))^2 Cmp) - Mmp. Empty when the radiators'
// values are unusable or the tuning needs a negative mass.
std::optional<double> AddedMassForTuning(const BoxParameters &box, const AirProperties &air,
                                         double tuningHz);

// A 4th-order bandpass box from the usual closed forms, for a driver of Fs,
// Qts and Vas, the ripple parameter S and the passband gain (dB):
// Qbp = 10^(gain/40) / (2 S), Fb = Qbp Fs / Qts, Vf = (2 S Qts)^2 Vas,
// Vr = Vas / ((Qbp / Qts)^2 - 1).
struct BandpassDesign {
    double qbp = 0.0;
    double fbHz = 0.0;
    double frontLitres = 0.0;
    double rearLitres = 0.0;
};
// The closed forms' usual choice, where a bandpass box starts: S 0.7 and
// 3 dB of gain.
inline constexpr double BandpassStartingS = 0.7;
inline constexpr double BandpassStartingGainDb = 3.0;

std::optional<BandpassDesign> DesignBandpass4(double fs, double qts, double vasLitres, double s,
                                              double gainDb);

} // namespace dravik
