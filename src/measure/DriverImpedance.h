#pragma once

#include "DesignSetup.h"

#include <complex>
#include <vector>

namespace dravik {

// A driver's electrical impedance as a measurement sees it:
//
//     Z(f) = Zvc(f) + Res / D(f),   Res = Re Qms / Qes
//     D(f) = 1 + Qms d (Fs/f - 1) + j Qms (f/Fs - Fs / (f c(f)))
//
// The voice coil Zvc is Re and the coil's inductance, in one of four models
// (w = 2 pi f, s = j w):
//   Plain           Re + s Le
//   Lossy           Re + s Le + R2 s L2 / (R2 + s L2)
//   Wright          Re + Krm w^Erm + j Kxm w^Exm
//   SemiInductance  Re + s Leb + 1 / (1/Rss + 1/(s Le) + 1/(Ke sqrt(s)))
// The eddy currents in the pole piece make a real coil look like an
// inductance that falls and a resistance that rises with frequency: the
// R2-L2 branch follows them with one corner, Wright's empirical powers of w
// and the semi-inductance Ke sqrt(s) (the field soaking into the iron) over
// the whole band.
//
// The motional part is Bl^2 / Zm, the cone's mass, compliance and losses
// seen through Bl; D is Zm over its value at Fs, and its peak at Fs is Res
// above Re. The suspension's compliance creeps, it rises towards low
// frequencies: Cms(f) = Cms c(f), c(f) = 1 - lambda log10(f / Fs). A
// compliance that changes with log f loses energy as it does (the two are
// the real and imaginary parts of Cms (1 - lambda log10(j f / Fs))): a
// resistance d / (w Cms), d = lambda pi / (2 ln 10), that rises towards low
// frequencies. So the mechanical impedance is
//     Zm = Rms + d (1 / (w Cms) - 1 / (ws Cms)) + j w Mms + 1 / (j w Cms c(f))
// with Rms the whole resistance at Fs: Fs, Qms and Qes are those of the
// compliance at Fs, and lambda = 0 is the ideal spring and a constant Rms.
enum class InductanceModel { Plain, Lossy, Wright, SemiInductance };

inline constexpr InductanceModel AllInductanceModels[] = {
    InductanceModel::Plain, InductanceModel::Lossy, InductanceModel::Wright,
    InductanceModel::SemiInductance};

// "Le", "Le with R2-L2", "Wright" or "Semi-inductance", as the window names them.
const char *InductanceModelName(InductanceModel m);

using Impedance = std::complex<double>;

struct ElectricalModel {
    InductanceModel inductance = InductanceModel::Plain;
    double re = 0; // ohm
    double le = 0; // H; the plain and lossy models' Le, the semi-inductance's parallel Le
    double r2 = 0; // ohm, the lossy model only
    double l2 = 0; // H, the lossy model only
    double fs = 0; // Hz
    double qms = 0;
    double qes = 0;
    // Wright's model: ohm / (rad/s)^erm and ohm / (rad/s)^exm.
    double krm = 0, erm = 0, kxm = 0, exm = 0;
    // The semi-inductance: H, ohm, and ohm s^0.5 (the semi-inductance itself).
    double leb = 0, rss = 0, ke = 0;
    double creep = 0; // lambda
};

// The peak of the motional part, Re Qms / Qes.
double MotionalPeak(const ElectricalModel &m);

// c(f), the compliance at `hz` over Cms. A creep strong enough to take it to
// nothing in the band is held at MinCreepFactor, where the motional part
// has long faded.
inline constexpr double MinCreepFactor = 0.05;
double CreepFactor(const ElectricalModel &m, double hz);
// d, the creep's loss over the stiffness: lambda pi / (2 ln 10).
double CreepLoss(const ElectricalModel &m);

// The voice coil alone: Re with its inductance, what the motional part sits on.
Impedance VoiceCoilImpedance(const ElectricalModel &m, double hz);
// The motional part alone.
Impedance MotionalImpedance(const ElectricalModel &m, double hz);
// The whole impedance.
Impedance ModelImpedance(const ElectricalModel &m, double hz);

// The same at every frequency of `hz`.
std::vector<Impedance> ModelImpedances(const ElectricalModel &m, const std::vector<double> &hz);

} // namespace dravik
