#include "Simulation.h"

#include "Fp.h"
#include "NumberText.h"
#include "ResponseArrays.h"
#include "Vent.h"

#include <algorithm>
#include <cmath>

namespace dravik {

namespace {

// The simulation's constants: pi to ten significant digits, air density,
// speed of sound, and the box loss factor QL = 7 with its coefficient
// 97/49 = 2 - 1/QL^2.
constexpr double Pi = 3.141592654;
constexpr double AirDensity = 1.18;
constexpr double SoundSpeed = 345.0;
constexpr double BoxLoss = 7.0;
constexpr double LossCoefficient = 97.0 / 49.0;

constexpr int FirstHz = 10;
constexpr int LastHz = 250;

// The inputs as read, after the zero replacements.
struct VentedInputs {
    double qts, vas, fs, xmax, vb, fb, qes, diam, peMax, sens;
};

double OrIfZero(double value, double replacement) {
    return value == 0.0 ? replacement : value;
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
// the box loss QL = 7.
struct ResponseCoefficients {
    double a, b, c, d, e;
    double a2; // A^2
};

ResponseCoefficients Coefficients(const VentedInputs &in) {
    using fp::add;
    using fp::div;
    using fp::mul;
    ResponseCoefficients k{};
    k.a = fp::ipow(div(in.fb, in.fs), 2);
    const double loss = div(in.fb, mul(BoxLoss, in.fs)); // Fb / (7 Fs)
    k.b = add(div(k.a, in.qts), loss);
    k.c = add(add(add(1.0, k.a), div(in.vas, in.vb)), div(in.fb, mul(mul(BoxLoss, in.fs), in.qts)));
    k.d = add(div(1.0, in.qts), loss);
    k.e = mul(LossCoefficient, k.a);
    k.a2 = mul(k.a, k.a);
    return k;
}

// Level relative to the passband and the excursion-limited level at one frequency.
struct PointLevels {
    double level;          // dB
    double excursionLimit; // dB
};

// level = 10 log(Fn4^2 / ((Fn4 - C Fn2 + A)^2 + Fn2 (D Fn2 - B)^2)).
//
// The excursion-limited level is the level at which the cone reaches Xmax at
// this frequency: SPLref (the level with the cone at Xmax at Fs, without the
// port) plus 10 log R, where R = Fn4^2 / (A^2 + Fn4 - E Fn2) is the squared
// ratio of the total (cone and port) output to the cone's own, times (f/Fs)^4.
// It rises 12 dB per octave above tuning, peaks at the port resonance where
// the cone hardly moves, and falls 24 dB per octave below.
PointLevels CheckedLevelsAt(double f, const VentedInputs &in, const ResponseCoefficients &k,
                            double splRef) {
    using fp::add;
    using fp::mul;
    using fp::sub;
    const double ratio = fp::div(f, in.fs);
    const double fn2 = mul(ratio, ratio);
    const double fn4 = mul(fn2, fn2);
    const double fn8 = mul(fn4, fn4);
    const double real = add(sub(fn4, mul(k.c, fn2)), k.a);
    const double imag = sub(mul(k.d, fn2), k.b);
    const double magnitude = add(mul(real, real), mul(fn2, mul(imag, imag)));
    const double displacement = sub(add(k.a2, fn4), mul(k.e, fn2));
    PointLevels p{};
    p.level = mul(10.0, fp::log10(fp::div(fn8, magnitude)));
    p.excursionLimit = add(splRef, mul(10.0, fp::log10(fp::div(fn8, displacement))));
    return p;
}

// The same operations in the same order in plain arithmetic, for speed: the
// optimiser runs the simulation up to 291 times per command. Gives exactly
// the values of CheckedLevelsAt when it returns true. It returns false when
// any step may not have been finite or a logarithm would not get a positive
// number; the point is then computed again through the checked helpers,
// which stop with the fault of the step where it happens.
bool PlainLevelsAt(double f, const VentedInputs &in, const ResponseCoefficients &k, double splRef,
                   PointLevels &p) {
    const double ratio = f / in.fs;
    const double fn2 = ratio * ratio;
    const double fn4 = fn2 * fn2;
    const double fn8 = fn4 * fn4;
    const double real = fn4 - k.c * fn2 + k.a;
    const double imag = k.d * fn2 - k.b;
    const double magnitude = real * real + fn2 * (imag * imag);
    const double displacement = k.a2 + fn4 - k.e * fn2;
    const double response = fn8 / magnitude;
    const double excursion = fn8 / displacement;
    // Any infinite or NaN step makes this sum infinite or NaN; a sum that
    // merely overflows only costs the checked recomputation.
    const double steps =
        ratio + fn2 + fn4 + fn8 + real + imag + magnitude + displacement + response + excursion;
    if (!std::isfinite(steps) || !(response > 0.0) || !(excursion > 0.0))
        return false;
    p.level = 10.0 * std::log10(response);
    p.excursionLimit = splRef + 10.0 * std::log10(excursion);
    return true;
}

PointLevels LevelsAt(double f, const VentedInputs &in, const ResponseCoefficients &k,
                     double splRef) {
    PointLevels p{};
    if (PlainLevelsAt(f, in, k, splRef, p))
        return p;
    return CheckedLevelsAt(f, in, k, splRef);
}

QString PointLine(double f, double value) {
    return FormatFieldValue(f, 0) + QStringLiteral(" Hz: ") + FormatFieldValue(value) +
           QStringLiteral(" dB");
}

// Step 14: the response at every whole hertz from 10 to 250. peakSpl is only
// meaningful (and only used) when not quiet.
void SimulatePoints(DesignParameters &dp, const VentedInputs &in, double splRef, double peakSpl,
                    bool quiet) {
    const ResponseCoefficients k = Coefficients(in);
    double f = FirstHz;
    for (int hz = FirstHz; hz <= LastHz; ++hz, f += 1.0) {
        const PointLevels p = LevelsAt(f, in, k, splRef);
        ExcursionLimitSpl[hz] = p.excursionLimit;
        double thermalLimit = 0.0;
        if (!quiet) {
            thermalLimit = fp::add(peakSpl, p.level); // the level reached with PEmax
            dp.addLine("Datapoints1", PointLine(f, p.excursionLimit));
            dp.addLine("Datapoints2", PointLine(f, thermalLimit));
        }
        SystemResponse[hz] = p.level;
        if (!quiet) {
            dp.addLine("ListBox1", QStringLiteral("dbmag: ") + FormatInteger(hz) +
                                       QStringLiteral("->") + FormatFieldValue(SystemResponse[hz]));
            dp.addLine("Datapoints3", PointLine(f, p.level));
            dp.addLine("Datapoints4", PointLine(f, fp::add(fp::add(p.level, 20.0), in.sens)));
            // The most the box can play at f when both limits count: the lesser
            // of the thermal limit and the excursion limit.
            dp.addLine("Datapoints5", PointLine(f, std::min(thermalLimit, p.excursionLimit)));
        }
    }
}

void ListSummary(DesignParameters &dp, const VentedInputs &in, double dbPeak, double f3) {
    dp.clearLines("ListBox2");
    dp.addLine("ListBox2", QStringLiteral("dBpeak: ") + FormatFieldValue(dbPeak));
    dp.addLine("ListBox2", QStringLiteral("Vb: ") + FormatFieldValue(in.vb));
    dp.addLine("ListBox2", QStringLiteral("Fb: ") + FormatFieldValue(in.fb));
    dp.addLine("ListBox2", QStringLiteral("F3dB: ") + FormatFieldValue(f3));
    dp.addLine("ListBox2", QStringLiteral("Fs: ") + FormatFieldValue(in.fs));
    dp.addLine("ListBox2", QStringLiteral("Vas: ") + FormatFieldValue(in.vas));
}

} // namespace

void ClearDatapointLists(DesignParameters &dp) {
    for (const char *list :
         {"Datapoints1", "Datapoints2", "Datapoints3", "Datapoints4", "Datapoints5"})
        dp.clearLines(list);
}

void SimulateVentedResponse(DesignParameters &dp) {
    using fp::div;
    using fp::mul;
    const bool quiet = QuietSimulation;
    const VentedInputs in = ReadInputs(dp);

    const double alpha = div(in.vas, in.vb);
    const double f3 = mul(in.fs, fp::pow(alpha, 0.44));
    const double dbPeak = mul(20.0, fp::log10(mul(mul(2.5, in.qts), fp::pow(alpha, 0.3))));

    const double sd = mul(mul(Pi, fp::ipow(mul(0.01, in.diam), 2)), 0.25);
    dp.SetSd(sd);
    const double vd = mul(mul(sd, in.xmax), 0.001);

    // Acoustic power with the cone at Xmax at Fs, and its level.
    const double pref =
        mul(mul(div(mul(mul(4.0, fp::ipow(Pi, 3)), AirDensity), SoundSpeed), fp::ipow(in.fs, 4)),
            fp::ipow(mul(1.15, vd), 2));
    const double splRef = fp::add(mul(10.0, fp::log10(pref)), 112.0);

    const double eta0 = div(mul(mul(9.64e-10, fp::ipow(in.fs, 3)), in.vas), in.qes);
    const double spl1W = fp::add(mul(10.0, fp::log10(eta0)), 112.0);

    const double par = mul(mul(3.0, fp::ipow(f3, 4)), fp::ipow(vd, 2));
    dp.SetPar(par);
    const double per = div(par, eta0);

    double peakSpl = 0.0;
    if (!quiet) {
        dp.SetPer(per);
        dp.SetSPL(spl1W);
        peakSpl = fp::add(mul(10.0, fp::log10(in.peMax)), spl1W);
        dp.SetPeakSPL(peakSpl);
        ListSummary(dp, in, dbPeak, f3);
    }

    dp.SetVb(in.vb); // an empty or zero Vb field now shows 1.00
    ClearDatapointLists(dp);
    SimulatePoints(dp, in, splRef, peakSpl, quiet);

    if (!quiet) {
        dp.SetAlfa(alpha);
        dp.SetFfs(div(f3, in.fs));
    }
    ComputeVent(dp);
}

} // namespace dravik
