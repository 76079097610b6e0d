#include "Simulation.h"

#include "Acoustics.h"
#include "Fp.h"
#include "NumberText.h"
#include "ResponseArrays.h"
#include "Vent.h"

#include <algorithm>

namespace dravik {

namespace {

// The simulation writes pi to ten significant digits.
constexpr double Pi = acoustics::PiTenDigits;

// The inputs as read, after the zero replacements.
struct VentedInputs {
    Real qts, vas, fs, xmax, vb, fb, qes, diam, peMax, sens;
};

Real OrIfZero(Real value, double replacement) {
    return value == 0.0 ? Real(replacement) : value;
}

VentedInputs ReadInputs(const DesignParameters &dp) {
    VentedInputs in{};
    in.qts = OrIfZero(dp.GetQts(), 0.48);
    in.vas = OrIfZero(dp.GetVas(), 100.0);
    in.fs = OrIfZero(dp.GetFs(), 100.0);
    in.xmax = OrIfZero(dp.GetXmax(), 3.0);
    in.vb = OrIfZero(dp.GetVb(), 1.0);
    in.fb = OrIfZero(dp.GetFb(), 1.0);
    in.qes = dp.GetQes();
    in.diam = dp.GetDiam(); // centimetres here
    in.peMax = dp.GetPEmax();
    in.sens = dp.GetSens();
    return in;
}

// The frequency-independent coefficients of the fourth-order response, with
// the box loss QL = 7: D = a3, C = a2, B = a1, A = a0.
using ResponseCoefficients = acoustics::VentedPolynomial<Real>;

ResponseCoefficients Coefficients(const VentedInputs &in) {
    return acoustics::VentedPolynomialFromTuning(in.fs, in.fb, in.vas, in.vb, in.qts);
}

// Level relative to the passband and the excursion-limited level at one frequency.
struct PointLevels {
    Real level;          // dB
    Real excursionLimit; // dB
};

// level = 10 log(Fn4^2 / ((Fn4 - C Fn2 + A)^2 + Fn2 (D Fn2 - B)^2)).
//
// The excursion-limited level is the level at which the cone reaches Xmax at
// this frequency: SPLref (the level with the cone at Xmax at Fs, without the
// port) plus 10 log R, where R = Fn4^2 / (A^2 + Fn4 - E Fn2) is the squared
// ratio of the total (cone and port) output to the cone's own, times (f/Fs)^4.
// It rises 12 dB per octave above tuning, peaks at the port resonance where
// the cone hardly moves, and falls 24 dB per octave below.
PointLevels LevelsAt(Real f, const VentedInputs &in, const ResponseCoefficients &k, Real splRef) {
    const Real ratio = f / in.fs;
    const Real fn2 = ratio * ratio;
    const Real fn4 = fn2 * fn2;
    const Real fn8 = fn4 * fn4;
    const Real magnitude = acoustics::VentedDenominatorSquared(k, fn2, fn4);
    const Real displacement = acoustics::PortTermSquared(k.a0, fn2, fn4);
    return {10.0 * log10(fn8 / magnitude), splRef + 10.0 * log10(fn8 / displacement)};
}

QString PointLine(Real f, Real value) {
    return FormatFieldValue(f, 0) + QStringLiteral(" Hz: ") + FormatFieldValue(value) +
           QStringLiteral(" dB");
}

// Step 14: the response at every whole hertz from 10 to 250. peakSpl is only
// meaningful (and only used) when not quiet.
void SimulatePoints(DesignParameters &dp, Responses &r, const VentedInputs &in, Real splRef,
                    Real peakSpl, bool quiet) {
    const ResponseCoefficients k = Coefficients(in);
    double f = acoustics::ResponseFirstHz;
    for (int hz = acoustics::ResponseFirstHz; hz <= acoustics::ResponseLastHz; ++hz, f += 1.0) {
        const PointLevels p = LevelsAt(f, in, k, splRef);
        r.ExcursionLimitSpl[hz] = p.excursionLimit.value();
        Real thermalLimit = 0.0;
        if (!quiet) {
            thermalLimit = peakSpl + p.level; // the level reached with PEmax
            dp.addLine(List::Datapoints1, PointLine(f, p.excursionLimit));
            dp.addLine(List::Datapoints2, PointLine(f, thermalLimit));
        }
        r.SystemResponse[hz] = p.level.value();
        if (!quiet) {
            dp.addLine(List::ListBox1, QStringLiteral("dbmag: ") + FormatInteger(hz) +
                                           QStringLiteral("->") +
                                           FormatFieldValue(r.SystemResponse[hz]));
            dp.addLine(List::Datapoints3, PointLine(f, p.level));
            dp.addLine(List::Datapoints4,
                       PointLine(f, p.level + acoustics::LevelAt100WAbove1W + in.sens));
            // The most the box can play at f when both limits count: the lesser
            // of the thermal limit and the excursion limit.
            dp.addLine(List::Datapoints5, PointLine(f, std::min(thermalLimit, p.excursionLimit)));
        }
    }
}

void ListSummary(DesignParameters &dp, const VentedInputs &in, Real dbPeak, Real f3) {
    dp.clearLines(List::ListBox2);
    dp.addLine(List::ListBox2, QStringLiteral("dBpeak: ") + FormatFieldValue(dbPeak));
    dp.addLine(List::ListBox2, QStringLiteral("Vb: ") + FormatFieldValue(in.vb));
    dp.addLine(List::ListBox2, QStringLiteral("Fb: ") + FormatFieldValue(in.fb));
    dp.addLine(List::ListBox2, QStringLiteral("F3dB: ") + FormatFieldValue(f3));
    dp.addLine(List::ListBox2, QStringLiteral("Fs: ") + FormatFieldValue(in.fs));
    dp.addLine(List::ListBox2, QStringLiteral("Vas: ") + FormatFieldValue(in.vas));
}

} // namespace

void ClearDatapointLists(DesignParameters &dp) {
    for (List list : {List::Datapoints1, List::Datapoints2, List::Datapoints3, List::Datapoints4,
                      List::Datapoints5})
        dp.clearLines(list);
}

void SimulateVentedResponse(DesignParameters &dp, Responses &r) {
    const bool quiet = r.QuietSimulation;
    const VentedInputs in = ReadInputs(dp);

    const Real alpha = in.vas / in.vb;
    const Real f3 = in.fs * pow(alpha, 0.44);
    const Real dbPeak = 20.0 * log10(2.5 * in.qts * pow(alpha, 0.3));

    const Real sd = acoustics::PistonArea(acoustics::MetresFromCentimetres(in.diam), Pi,
                                          acoustics::AreaOrder::PiSquareQuarter);
    dp.SetSd(sd);
    const Real vd = acoustics::VolumeDisplacement(sd, in.xmax);

    // Acoustic power with the cone at Xmax at Fs, and its level.
    const Real pref = acoustics::DisplacementLimitedPower(Pi, in.fs, vd);
    const Real splRef = acoustics::LevelOfAcousticPower(pref);

    const Real eta0 = acoustics::ReferenceEfficiency(in.fs, in.vas, in.qes,
                                                     acoustics::EfficiencyOrder::FactorFirst);
    const Real spl1W = acoustics::LevelAt1W(eta0);

    const Real par = 3.0 * ipow(f3, 4) * ipow(vd, 2);
    dp.SetPar(par);
    const Real per = par / eta0;

    Real peakSpl = 0.0;
    if (!quiet) {
        dp.SetPer(per);
        dp.SetSPL(spl1W);
        peakSpl = acoustics::LevelAtPower(in.peMax, spl1W);
        dp.SetPeakSPL(peakSpl);
        ListSummary(dp, in, dbPeak, f3);
    }

    dp.SetVb(in.vb); // an empty or zero Vb field now shows 1.00
    ClearDatapointLists(dp);
    SimulatePoints(dp, r, in, splRef, peakSpl, quiet);

    if (!quiet) {
        dp.SetAlfa(alpha);
        dp.SetFfs(f3 / in.fs);
    }
    ComputeVent(dp);
}

} // namespace dravik
