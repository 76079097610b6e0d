#pragma once

#include "DriverImpedance.h"
#include "ImpedanceFile.h"

#include <optional>

namespace dravik {

// What the window shows instead of parameters when the curve has no peak
// with a rise and a fall on both sides inside the measured frequencies.
inline const char *const NoResonanceSentence = "No resonance in the measured band.";

// The classic estimate from the free-air curve, as it is done by hand: Re
// the value measured at DC, or else the resistance below resonance with the
// motional part the estimate predicts there taken off, along a straight line
// in f to 0 Hz where the points allow it (a creeping suspension's loss rises
// with f there), its median otherwise; Fs the peak of the resistance
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

// A set of voice-coil models. One model converts to the set of it alone;
// Auto is all four.
class CoilModels {
public:
    constexpr CoilModels(InductanceModel m) : bits_(bit(m)) {}
    static constexpr CoilModels Auto() { return CoilModels(0xFu); }

    constexpr CoilModels operator|(CoilModels other) const {
        return CoilModels(bits_ | other.bits_);
    }
    constexpr bool contains(InductanceModel m) const { return (bits_ & bit(m)) != 0; }

private:
    explicit constexpr CoilModels(unsigned bits) : bits_(bits) {}
    static constexpr unsigned bit(InductanceModel m) { return 1u << unsigned(m); }
    unsigned bits_;
};

struct FitOptions {
    // The coil models to try; the one that misses the curve least is kept.
    CoilModels models = CoilModels::Auto();
    // Re measured at DC: kept, not fitted.
    std::optional<double> dcResistance;
    // Lambda fitted, or held at 0.
    bool fitCreep = true;
    // The band fitted, in Hz; the whole file where not given.
    std::optional<double> fromHz = std::nullopt, toHz = std::nullopt;
};

// sqrt(mean |model - z|^2) and the same relative to |z|, in percent, each
// point weighted by OctaveWeights.
struct Residual {
    double ohm = 0, percent = 0;
};

// One coil model fitted to the curve.
struct CoilFit {
    ElectricalModel model;
    Residual band;      // over the band fitted
    Residual resonance; // from Fs / 2 to 2 Fs
    Residual coil;      // above 2 Fs, where the voice coil is most of |Z|
    int iterations = 0; // of this model's starts
    bool converged = false;
    bool plausible = false; // ImplausibleFigure finds nothing
};

// A weighted least-squares fit of the complex impedance. Every point counts
// relative to its own magnitude, so the small impedance away from resonance
// weighs as much as the peak, and by the span of log f it stands for, so a
// file dense at high frequencies does not outweigh the resonance. The
// solver works on the logarithms of the parameters, which keeps them
// positive and scales them alike; on lambda itself, which may be 0.
struct FitResult {
    ElectricalModel model;   // the chosen coil model's fit
    ClassicEstimate classic; // the start of the fit
    double rmsOhm = 0;       // the chosen fit's residual over the band, tried[chosen].band
    double rmsPercent = 0;
    // The curve's own scatter from point to point, as an RMS share that a
    // fit missing nothing but the noise would show as its residual.
    double scatterPercent = 0;
    double fromHz = 0, toHz = 0; // the band fitted
    bool reTyped = false, creepFitted = false;
    std::vector<CoilFit> tried; // every model tried, in the order of AllInductanceModels
    size_t chosen = 0;          // the one kept, in `tried`
    int iterations = 0;         // of the solver, all starts together
    bool converged = false;
    int setAside = 0; // lone bad points left out of the estimate and the fit
};

// The solver's steps are bounded: each start of the fit stops after this
// many. The plain model starts once without creep (and once more when that
// fit showed lone points it missed by far), once more with creep; the lossy
// model makes at most LossyFitStarts starts from the plain fit, Wright's
// WrightFitStarts and the semi-inductance SemiFitStarts from the lossy fit
// (each stops early when two starts end at the same least cost).
inline constexpr int MaxIterationsPerStart = 100;
inline constexpr int LossyFitStarts = 4;
inline constexpr int WrightFitStarts = 2;
inline constexpr int SemiFitStarts = 3;
inline constexpr int MaxFitIterations =
    MaxIterationsPerStart * (3 + LossyFitStarts + WrightFitStarts + SemiFitStarts);

// Nothing when there is no resonance in the band. A bad line of a file, a
// single point far above or below both its neighbours, must not become the
// resonance: such lone points are left out before the peak is looked for,
// and so is a lone point the first fit misses by far more than the rest,
// before the fit is made again. A curve with more of them than one point in
// twenty is noise rather than a measurement with a few bad lines; it keeps
// them all, and its residual tells.
std::optional<FitResult> FitImpedance(const ImpedanceCurve &curve, const FitOptions &options);

// Above this residual the window says the model does not describe the
// measurement, and what to try.
inline constexpr double PoorFitPercent = 2.0;

// "The model does not describe this measurement well: ..." with the
// residuals and what to try, chosen from which figure is bad: a misfit as
// large as the curve's own scatter asks for a quieter measurement; one at
// the resonance for creep on or Re typed; one above it, where the coil
// rules, for another coil model or a band ending lower; a band without
// Fs/2 to 4 Fs for a wider one. Empty when the chosen fit misses by
// PoorFitPercent or less both over the band and from Fs/2 to 2 Fs.
QString PoorFitSentence(const FitResult &fit);

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

// How much each point of a curve counts: the span of log f it stands for,
// from halfway to its neighbour below to halfway to the one above (an end
// point as far outside as inside), over the mean span. On a grid even in
// log f every point counts 1.
std::vector<double> OctaveWeights(const std::vector<double> &hz);

// The residual over the whole curve, or over the points from `fromHz` to `toHz`.
Residual FitResidual(const ElectricalModel &m, const ImpedanceCurve &curve);
Residual FitResidual(const ElectricalModel &m, const ImpedanceCurve &curve, double fromHz,
                     double toHz);

// The cone's mechanical figures (SI units) and Vas where Sd is known.
struct MechanicalEstimate {
    double mmsKg = 0; // moving mass
    double blTm = 0;  // force factor
    double cmsMPerN = 0;
    std::optional<double> vasLitres;
};

// Air's stiffness rho c^2 over Sd^2 turns the compliance into Vas.
double VasLitresFromCompliance(double cmsMPerN, double sdM2);

// The added-mass method: a mass M on the cone lowers Fs to Fs', where the
// suspension has crept to c(Fs') Cms, so Mms = M / ((Fs / Fs')^2 / c(Fs') - 1)
// (c = 1 without creep), then Bl = sqrt(2 pi Fs Mms Re / Qes) and
// Cms = 1 / ((2 pi Fs)^2 Mms). Nothing when Fs' is not below Fs.
std::optional<MechanicalEstimate> AddedMassEstimate(const ElectricalModel &freeAir, double loadedFs,
                                                    double addedKg, std::optional<double> sdM2);

// The dual added-mass method, from the measured curves themselves. With the
// voice coil Zvc of the free-air fit, each curve's motional admittance
// Y = 1 / (Z - Zvc) is Zm / Bl^2, and a mass M adds j w M to Zm, so between
// the two loaded curves Y2 - Y1 = j w (M2 - M1) / Bl^2: Bl comes from the
// difference alone. Then Im(Bl^2 Y) - w M = w Mms - 1 / (w Cms c(f)) on
// every curve, with the creep c(f) of the free-air fit: a straight-line fit
// for Mms and Cms (the compliance at Fs) that does not assume the mass
// leaves the suspension as it was. Points from 0.8 to 1.2 Fs count; curve 2
// is interpolated to the frequencies of the others. Nothing when the masses
// are equal or the band holds too few points.
std::optional<MechanicalEstimate> DualAddedMassEstimate(const ElectricalModel &freeAir,
                                                        const ImpedanceCurve &free,
                                                        const ImpedanceCurve &loaded1, double kg1,
                                                        const ImpedanceCurve &loaded2, double kg2,
                                                        std::optional<double> sdM2);

// The closed test box of Vb litres: Vas = Vb (Fc Qec / (Fs Qes) - 1 / c(Fc)),
// from the free-air fit and the fit in the box; c(Fc) is the free-air
// suspension's creep at Fc (1 without creep).
double TestBoxVasLitres(double vbLitres, const ElectricalModel &freeAir,
                        const ElectricalModel &inBox);

} // namespace dravik
