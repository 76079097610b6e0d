#pragma once

#include "DriverImpedance.h"
#include "ImpedanceFile.h"

#include <optional>

namespace dravik {

// What the window shows instead of parameters when the curve has no peak
// with a rise and a fall on both sides inside the measured frequencies.
inline const char *const NoResonanceSentence = "No resonance in the measured band.";

// The classic estimate from the free-air curve, as it is done by hand: Re
// the value measured at DC, or else |Z| below resonance with the motional
// part the estimate predicts there taken off; Fs the peak of the resistance
// refined to the zero crossing of the phase; r0 = Zmax / Re; f1 and f2 where
// |Z| = sqrt(Re Zmax) on either side of the peak; then
// Qms = Fs sqrt(r0) / (f2 - f1), Qes = Qms / (r0 - 1), Qts from both. The
// phase zero, Zmax, f1 and f2 come from lines and a parabola through a few
// points each rather than from single points, so one noisy point moves
// them little.
struct ClassicEstimate {
    double re = 0, fs = 0, zmax = 0, r0 = 0, f1 = 0, f2 = 0, qms = 0, qes = 0, qts = 0;
};

// Nothing when there is no resonance in the band.
std::optional<ClassicEstimate> EstimateClassic(const ImpedanceCurve &curve,
                                               std::optional<double> dcResistance);

struct FitOptions {
    InductanceModel inductance = InductanceModel::Plain;
    // Re measured at DC: kept, not fitted.
    std::optional<double> dcResistance;
};

// A least-squares fit of the complex impedance. Every point counts relative
// to its own magnitude, so the small impedance away from resonance weighs
// as much as the peak. The solver works on the logarithms of the parameters,
// which keeps every parameter positive and scales them alike.
struct FitResult {
    ElectricalModel model;
    ClassicEstimate classic; // the start of the fit
    double rmsOhm = 0;       // sqrt(mean |Zfit - Z|^2)
    double rmsPercent = 0;   // 100 sqrt(mean |Zfit - Z|^2 / |Z|^2)
    int iterations = 0;      // of the solver, all starts together
    bool converged = false;
    int setAside = 0; // lone bad points left out of the estimate and the fit
};

// The solver's steps are bounded: each start of the fit stops after this
// many; the plain model starts once more when the first fit showed lone
// points it missed by far, and the lossy model makes at most LossyFitStarts
// starts after the plain one (it stops early when two starts end at the
// same least cost).
inline constexpr int MaxIterationsPerStart = 100;
inline constexpr int LossyFitStarts = 4;
inline constexpr int MaxFitIterations = MaxIterationsPerStart * (2 + LossyFitStarts);

// Nothing when there is no resonance in the band. A bad line of a file, a
// single point far above or below both its neighbours, must not become the
// resonance: such lone points are left out before the peak is looked for,
// and so is a lone point the first fit misses by far more than the rest,
// before the fit is made again. A curve with more of them than one point in
// twenty is noise rather than a measurement with a few bad lines; it keeps
// them all, and its residual tells.
std::optional<FitResult> FitImpedance(const ImpedanceCurve &curve, const FitOptions &options);

// The figures a loudspeaker driver's free-air fit can have. A fit outside
// them has followed something else than a driver's resonance (noise, a curve
// of another thing, a solver driven to the end of its range), however it
// converged. Fs must also lie inside the measured band.
inline constexpr double MinDriverFs = 5.0, MaxDriverFs = 1000.0; // Hz
inline constexpr double MinDriverQ = 0.05, MaxDriverQ = 100.0;
inline constexpr double MinDriverRe = 0.1, MaxDriverRe = 100.0; // ohm
inline constexpr double MaxDriverLe = 0.1;                      // H
// A fit that misses the curve by more than this RMS share does not describe
// it. A plain Le fitted to a coil with strong eddy-current losses misses a
// noise-free curve by some 17 %; noise taken for a curve, by 80 %.
inline constexpr double MaxDriverResidualPercent = 30.0;

struct FigureOutOfRange {
    const char *name = "";
    const char *unit = ""; // empty for a Q
    double value = 0, low = 0, high = 0;
};

// The first of Fs, Qms, Qes, Qts, Re and Le that lies outside what a driver
// has (or is not a number); nothing when all lie inside.
std::optional<FigureOutOfRange> ImplausibleFigure(const ElectricalModel &m,
                                                  const ImpedanceCurve &curve);

// sqrt(mean |model - z|^2) and the same relative to |z|, in percent.
struct Residual {
    double ohm = 0, percent = 0;
};
Residual FitResidual(const ElectricalModel &m, const ImpedanceCurve &curve);

// The cone's mechanical figures (SI units) and Vas where Sd is known.
struct MechanicalEstimate {
    double mmsKg = 0; // moving mass
    double blTm = 0;  // force factor
    double cmsMPerN = 0;
    std::optional<double> vasLitres;
};

// Air's stiffness rho c^2 over Sd^2 turns the compliance into Vas.
double VasLitresFromCompliance(double cmsMPerN, double sdM2);

// The added-mass method: a mass M on the cone lowers Fs to Fs', so
// Mms = M / ((Fs / Fs')^2 - 1), then Bl = sqrt(2 pi Fs Mms Re / Qes) and
// Cms = 1 / ((2 pi Fs)^2 Mms). Nothing when Fs' is not below Fs.
std::optional<MechanicalEstimate> AddedMassEstimate(const ElectricalModel &freeAir, double loadedFs,
                                                    double addedKg, std::optional<double> sdM2);

// The dual added-mass method, from the measured curves themselves. With the
// voice coil Zvc of the free-air fit, each curve's motional admittance
// Y = 1 / (Z - Zvc) is Zm / Bl^2, and a mass M adds j w M to Zm, so between
// the two loaded curves Y2 - Y1 = j w (M2 - M1) / Bl^2: Bl comes from the
// difference alone. Then Im(Bl^2 Y) - w M = w Mms - 1 / (w Cms) on every
// curve, a straight-line fit for Mms and Cms that does not assume the mass
// leaves the suspension as it was. Points from 0.8 to 1.2 Fs count; curve 2
// is interpolated to the frequencies of the others. Nothing when the masses
// are equal or the band holds too few points.
std::optional<MechanicalEstimate> DualAddedMassEstimate(const ElectricalModel &freeAir,
                                                        const ImpedanceCurve &free,
                                                        const ImpedanceCurve &loaded1, double kg1,
                                                        const ImpedanceCurve &loaded2, double kg2,
                                                        std::optional<double> sdM2);

// The closed test box of Vb litres: Vas = Vb (Fc Qec / (Fs Qes) - 1), from
// the free-air fit and the fit in the box.
double TestBoxVasLitres(double vbLitres, const ElectricalModel &freeAir,
                        const ElectricalModel &inBox);

} // namespace dravik
