#pragma once

#include "DualComplex.h"

namespace dravik {

// The voice coil's impedance beyond its DC resistance Re, in one of four
// models (w = 2 pi f, s = j w):
//   Plain           s Le
//   Lossy           s Le + R2 s L2 / (R2 + s L2)
//   Wright          Krm w^Erm + j Kxm w^Exm
//   SemiInductance  s Leb + 1 / (1/Rss + 1/(s Le) + 1/(Ke sqrt(s)))
// The eddy currents in the pole piece make a real coil look like an
// inductance that falls and a resistance that rises with frequency: the
// R2-L2 branch follows them with one corner, Wright's empirical powers of w
// and the semi-inductance Ke sqrt(s) (the field soaking into the iron) over
// the whole band. The measurement's fit and the design's circuit both take
// the coil from here, so a fitted coil draws the same curve in both.
enum class InductanceModel { Plain, Lossy, Wright, SemiInductance };

inline constexpr InductanceModel AllInductanceModels[] = {
    InductanceModel::Plain, InductanceModel::Lossy, InductanceModel::Wright,
    InductanceModel::SemiInductance};

// "Le", "Le with R2-L2", "Wright" or "Semi-inductance", as the windows name them.
const char *InductanceModelName(InductanceModel m);

// One coil's terms in SI units; a model uses only its own.
struct CoilTerms {
    InductanceModel model = InductanceModel::Plain;
    double le = 0;         // H; the plain and lossy models' Le, the semi-inductance's parallel Le
    double r2 = 0, l2 = 0; // ohm and H, the lossy model's branch
    // Wright's model: ohm / (rad/s)^erm and ohm / (rad/s)^exm.
    double krm = 0, erm = 0, kxm = 0, exm = 0;
    // The semi-inductance: H, ohm, and ohm s^0.5 (the semi-inductance itself).
    double leb = 0, rss = 0, ke = 0;
};

// The same coil with its impedance beyond Re times `factor`: every term that
// is an impedance or makes one, the exponents kept. Two fully coupled coils
// in series are one coil's terms times 4.
CoilTerms ScaledCoil(const CoilTerms &coil, double factor);

// The impedance beyond Re at s = `jw` (the variable with its slope), with
// its slope in w. The plain model is s Le, bit for bit as the circuit has
// always taken it.
DualComplex CoilImpedance(const CoilTerms &coil, const DualComplex &jw);

// The suspension's creep: its compliance rises towards low frequencies,
// Cms(f) = Cms c(f), c(f) = 1 - lambda log10(f / Fs). A compliance that
// changes with log f loses energy as it does (the two are the real and
// imaginary parts of Cms (1 - lambda log10(j f / Fs))): a resistance
// d (1 / (w Cms) - 1 / (ws Cms)), d = lambda pi / (2 ln 10), that rises
// towards low frequencies and is nothing at Fs, so that Fs, Qms and Qes stay
// those of the compliance at Fs. A creep strong enough to take c to nothing
// in the band is held at MinCreepFactor, where the motional part has long
// faded.
inline constexpr double MinCreepFactor = 0.05;
double CreepFactor(double lambda, double hz, double fs);
// d over lambda: pi / (2 ln 10), the imaginary part of log10(j).
inline constexpr double CreepLossPerLambda = 3.14159265358979323846 / (2.0 * 2.302585092994045684);

// The suspension's impedance at s = `jw`: 1 / (s Cms c(f)) and the creep's
// loss, with its slope in w. Without creep it is 1 / (s Cms), bit for bit
// as the circuit has always taken it.
DualComplex SuspensionImpedance(double cms, double fs, double lambda, const DualComplex &jw);

} // namespace dravik
