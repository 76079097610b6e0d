#pragma once

#include "DesignInputs.h"
#include "DesignSetup.h"

#include <optional>
#include <vector>

namespace dravik {

// The enclosures in the acoustic analogy: pressures are voltages, volume
// velocities currents. Each chamber is a compliance V / (rho c^2) to the
// outside air, which is at zero pressure; each opening of a chamber to the
// outside (vents, a leak, passive radiators) is a branch whose flow
// radiates. The drivers' backs face the rear chamber; their fronts face the
// outside, or a front chamber.

// The two sets of vents a box may have: the box's (or the front chamber's)
// and, in a bandpass box vented on both sides, the rear chamber's.
enum class VentSet { Main, Rear };

struct Outlet {
    enum class Role { Vents, Leak, Radiators };
    Role role;
    VentSet set = VentSet::Main;
    // Acoustic resistance (Pa s/m^3), mass (kg/m^4) and compliance (m^5/N,
    // 0 for none) of the branch, all vents or radiators of it together.
    double resistance = 0.0;
    double mass = 0.0;
    double compliance = 0.0;
    double count = 1.0; // vents or radiators sharing the flow
    double area = 0.0;  // of one, m^2
};

struct Chamber {
    double compliance = 0.0; // m^5/N
    std::vector<Outlet> outlets;
};

struct BoxCircuit {
    Chamber rear;
    std::optional<Chamber> front; // none: the fronts face the outside
    // A mechanical resistance in series with each driver (N s/m): the closed
    // box's losses.
    double driverLossResistance = 0.0;
};

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
