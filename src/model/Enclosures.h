#pragma once

#include "AcousticCircuit.h"
#include "DesignInputs.h"
#include "DesignSetup.h"

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

// One kind of enclosure: what it is called, what it needs, and how it loads
// the drivers. Adding a kind is one row of the table and its circuit.
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
};

const std::vector<EnclosureKind> &EnclosureKinds();
const EnclosureKind &KindOf(BoxKind kind);
std::optional<BoxKind> KindNamed(const QString &setupName);

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
std::optional<BandpassDesign> DesignBandpass4(double fs, double qts, double vasLitres, double s,
                                              double gainDb);

} // namespace dravik
