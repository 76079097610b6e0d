#include "ClosedBox.h"

#include "Acoustics.h"
#include "ResponseArrays.h"

namespace dravik {

namespace {

// The closed-box calculator reads the diameter in inches, like the power
// figures of the analysis, and uses the same twelve-digit pi.
constexpr double Pi = acoustics::PiTwelveDigits;
constexpr double FallbackQes = 0.4;

struct ClosedBoxCurves {
    Real fc, qtot, splD, peakSpl, par, eta0;
};

void WriteCurves(Responses &responses, const ClosedBoxCurves &c) {
    double f = acoustics::ResponseFirstHz;
    for (int hz = acoustics::ResponseFirstHz; hz <= acoustics::ResponseLastHz; ++hz, f += 1.0) {
        const Real x = ipow(f / c.fc, 2);
        const Real m = acoustics::ClosedDenominatorSquared(x, c.qtot);
        // Second-order high-pass, 0 dB in the passband.
        const Real level = 10.0 * log10(ipow(x, 2) / m);
        responses.SystemResponse[hz] = level.value();
        // The cone at Xmax: rises 12 dB per octave.
        responses.ExcursionLimitSpl[hz] = (40.0 * log10(f / c.fc) + c.splD).value();
        responses.ThermalLimitSpl[hz] = (level + c.peakSpl).value();
        responses.ExcursionLimitPower[hz] = (m * c.par / c.eta0).value();
    }
}

} // namespace

void ComputeClosedBox(DesignParameters &dp, Responses &responses) {
    const Real qts = dp.GetQts();
    const Real vas = dp.GetVas();
    const Real fs = dp.GetFs();
    const Real qtot = dp.GetSQtot();

    // r = Fc / Fs, the ratio of the system Q to Qts, with the loss term.
    const Real r = 1.0 / qts / (1.0 / qtot - acoustics::ClosedBoxLossTerm);
    const Real alfa = ipow(r, 2) - 1.0;
    const Real vb = vas / alfa;
    const Real fc = r * fs;

    const Real diam = dp.GetDiam();
    const Real xmax = dp.GetXmax();
    Real qes = dp.GetQes();
    const Real peMax = dp.GetPEmax();
    if (qes == 0.0)
        qes = FallbackQes;

    // The diameter in inches here.
    const Real sd = acoustics::PistonArea(acoustics::MetresFromInches(diam), Pi,
                                          acoustics::AreaOrder::QuarterPiSquare);
    const Real vd = acoustics::VolumeDisplacement(sd, xmax);

    const Real eta0 =
        acoustics::ReferenceEfficiency(fs, vas, qes, acoustics::EfficiencyOrder::FactorFirst);
    const Real splRef = acoustics::LevelAt1W(eta0);

    // Displacement-limited acoustic power at Fc and its level.
    const Real par = acoustics::DisplacementLimitedPower(Pi, fc, vd);
    const Real splD = acoustics::LevelOfAcousticPower(par);

    const Real peakSpl = acoustics::LevelAtPower(peMax, splRef);

    dp.SetPeakSPL(peakSpl);
    dp.SetVb(vb);
    dp.SetFb(fc);
    WriteCurves(responses, {fc, qtot, splD, peakSpl, par, eta0});
}

} // namespace dravik
