#include "ClosedBox.h"

#include "Fp.h"
#include "ResponseArrays.h"

namespace dravik {

namespace {

using fp::add;
using fp::div;
using fp::mul;
using fp::sub;

// The closed-box calculator reads the diameter in inches, like the power
// figures of the analysis, and uses the same twelve-digit pi.
constexpr double Pi = 3.14159265359;
constexpr double AirDensity = 1.18;
constexpr double SoundSpeed = 345.0;
constexpr double LossTerm = 0.1; // taken off 1 / Qtot
constexpr double FallbackQes = 0.4;

constexpr int FirstHz = 10;
constexpr int LastHz = 250;

struct ClosedBoxCurves {
    double fc, qtot, splD, peakSpl, par, eta0;
};

void WriteCurves(const ClosedBoxCurves &c) {
    double f = FirstHz;
    for (int hz = FirstHz; hz <= LastHz; ++hz, f += 1.0) {
        const double x = fp::ipow(div(f, c.fc), 2);
        const double m = add(fp::ipow(sub(x, 1.0), 2), div(x, fp::ipow(c.qtot, 2)));
        // Second-order high-pass, 0 dB in the passband.
        const double level = mul(10.0, fp::log10(div(fp::ipow(x, 2), m)));
        SystemResponse[hz] = level;
        // The cone at Xmax: rises 12 dB per octave.
        ExcursionLimitSpl[hz] = add(mul(40.0, fp::log10(div(f, c.fc))), c.splD);
        ThermalLimitSpl[hz] = add(level, c.peakSpl);
        ExcursionLimitPower[hz] = div(mul(m, c.par), c.eta0);
    }
}

} // namespace

void ComputeClosedBox(DesignParameters &dp) {
    const double qts = dp.GetQts();
    const double vas = dp.GetVas();
    const double fs = dp.GetFs();
    const double qtot = dp.GetSQtot();

    // r = Fc / Fs, the ratio of the system Q to Qts, with the loss term.
    const double r = div(div(1.0, qts), sub(div(1.0, qtot), LossTerm));
    const double alfa = sub(fp::ipow(r, 2), 1.0);
    const double vb = div(vas, alfa);
    const double fc = mul(r, fs);

    const double diam = dp.GetDiam();
    const double xmax = dp.GetXmax();
    double qes = dp.GetQes();
    const double peMax = dp.GetPEmax();
    if (qes == 0.0)
        qes = FallbackQes;

    const double sd = mul(Pi / 4.0, fp::ipow(mul(mul(0.01, 2.54), diam), 2));
    const double vd = mul(mul(sd, xmax), 0.001);

    const double eta0 = div(mul(mul(9.64e-10, fp::ipow(fs, 3)), vas), qes);
    const double splRef = add(mul(10.0, fp::log10(eta0)), 112.0);

    // Displacement-limited acoustic power at Fc and its level.
    const double par =
        mul(mul(div(mul(mul(4.0, fp::ipow(Pi, 3)), AirDensity), SoundSpeed), fp::ipow(fc, 4)),
            fp::ipow(mul(1.15, vd), 2));
    const double splD = add(mul(10.0, fp::log10(par)), 112.0);

    const double peakSpl = add(mul(10.0, fp::log10(peMax)), splRef);

    dp.SetPeakSPL(peakSpl);
    dp.SetVb(vb);
    dp.SetFb(fc);
    WriteCurves({fc, qtot, splD, peakSpl, par, eta0});
}

} // namespace dravik
