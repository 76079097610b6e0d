#include "DesignModel.h"

#include "Acoustics.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <complex>
#include <tuple>

namespace dravik {

namespace {

using Complex = std::complex<double>;
using namespace acoustics;

constexpr double Pi = PiFull;

ModelInputs bit(ModelInput input) {
    return static_cast<ModelInputs>(input);
}

// The driver and box as numbers, with every figure the curves share.
struct Design {
    bool vented = true;
    double fs = 0, qts = 0, qes = 0, qms = 0, vas = 0, re = 0, sd = 0, xmax = 0, peMax = 0;
    double vb = 0, fb = 0, vents = 0, ventDiameter = 0;
    double alpha = 0; // Vas / Vb
    double h = 0;     // Fb / Fs
    double r = 0;     // Fc / Fs of the closed box
    double qtc = 0;   // total Q of the closed box, losses included
    double cms = 0;   // driver's compliance, m/N
    double mms = 0;   // moving mass, kg
};

// What each chart needs, given the box kind.
ModelInputs Needs(Chart chart, bool vented) {
    using I = ModelInput;
    const ModelInputs response =
        bit(I::Fs) | bit(I::Qts) | bit(I::Vas) | bit(I::Vb) | (vented ? bit(I::Fb) : 0);
    const ModelInputs level = response | bit(I::Qes) | bit(I::Power);
    const ModelInputs excursion = level | bit(I::Sd);
    switch (chart) {
    case Chart::Spl:
        return level;
    case Chart::Excursion:
        return excursion;
    case Chart::PortVelocity:
        return excursion | bit(I::VentCount) | bit(I::VentDiameter);
    case Chart::Impedance:
        return response | bit(I::Qes) | bit(I::Qms) | bit(I::Re) | bit(I::Sd);
    case Chart::GroupDelay:
        return response;
    case Chart::Limits:
        return excursion | bit(I::Xmax) | bit(I::PEmax);
    }
    return 0;
}

ModelInputs Missing(const DriverParameters &d, const BoxParameters &b, double powerW) {
    using I = ModelInput;
    ModelInputs m = 0;
    const auto need = [&m](const std::optional<double> &v, ModelInput input) {
        if (!v || !std::isfinite(*v) || *v <= 0.0)
            m |= bit(input);
    };
    need(d.fs, I::Fs);
    need(d.qts, I::Qts);
    need(d.qes, I::Qes);
    need(d.qms, I::Qms);
    need(d.vasLitres, I::Vas);
    need(d.re, I::Re);
    need(d.sd, I::Sd);
    need(d.xmaxMm, I::Xmax);
    need(d.peMaxW, I::PEmax);
    need(b.vbLitres, I::Vb);
    need(b.fbHz, I::Fb);
    need(b.ventCount, I::VentCount);
    need(b.ventDiameterMm, I::VentDiameter);
    need(std::optional<double>(powerW), I::Power);
    return m;
}

double Or(const std::optional<double> &v) {
    return v && std::isfinite(*v) && *v > 0.0 ? *v : 0.0;
}

Design MakeDesign(const DriverParameters &d, const BoxParameters &b) {
    Design x;
    x.vented = b.kind == BoxKind::Vented;
    x.fs = Or(d.fs);
    x.qts = Or(d.qts);
    x.qes = Or(d.qes);
    x.qms = Or(d.qms);
    x.vas = Or(d.vasLitres);
    x.re = Or(d.re);
    x.sd = Or(d.sd);
    x.xmax = Or(d.xmaxMm);
    x.peMax = Or(d.peMaxW);
    x.vb = Or(b.vbLitres);
    x.fb = Or(b.fbHz);
    x.vents = Or(b.ventCount);
    x.ventDiameter = Or(b.ventDiameterMm);
    x.alpha = x.vas / x.vb;
    x.h = x.fb / x.fs;
    x.r = std::sqrt(1.0 + x.alpha);
    x.qtc = 1.0 / (1.0 / (x.r * x.qts) + ClosedBoxLossTerm);
    // Cms = Vas / (rho c^2 Sd^2), Mms from the resonance.
    x.cms = x.vas * 1e-3 / (AirDensity * SoundSpeed * SoundSpeed * x.sd * x.sd);
    x.mms = 1.0 / (std::pow(2.0 * Pi * x.fs, 2) * x.cms);
    return x;
}

// The pressure response G and the cone's excursion relative to its static
// excursion at f, and the ratio of the vent's volume velocity to the cone's.
struct PointResponse {
    Complex g;
    double coneRatio = 0;
    double ventRatio = 0;
    double groupDelay = 0; // s
};

PointResponse Respond(const Design &x, double f) {
    PointResponse p;
    if (x.vented) {
        const VentedPolynomial<double> k = VentedPolynomialFromRatio(x.h, x.alpha, x.qts);
        const Complex s(0.0, f / x.fs);
        const Complex d = (((s + k.a3) * s + k.a2) * s + k.a1) * s + k.a0;
        const Complex dPrime = ((4.0 * s + 3.0 * k.a3) * s + 2.0 * k.a2) * s + k.a1;
        const Complex port = (s + x.h / VentedBoxLeakageQ) * s + k.a0;
        p.g = s * s * s * s / d;
        p.coneRatio = std::abs(port) / std::abs(d);
        p.ventRatio = k.a0 / std::abs(port);
        // -d(arg G)/d(omega) = Re(D'/D) / (2 pi Fs); s^4 adds a constant phase.
        p.groupDelay = (dPrime / d).real() / (2.0 * Pi * x.fs);
    } else {
        const double fc = x.r * x.fs;
        const Complex s(0.0, f / fc);
        const Complex d = (s + 1.0 / x.qtc) * s + 1.0;
        const Complex dPrime = 2.0 * s + 1.0 / x.qtc;
        p.g = s * s / d;
        p.coneRatio = 1.0 / (x.r * x.r * std::abs(d));
        p.groupDelay = (dPrime / d).real() / (2.0 * Pi * fc);
    }
    return p;
}

// The box's acoustic impedance seen by the cone, at angular frequency w.
Complex BoxAcousticImpedance(const Design &x, double w) {
    const double cab = x.vb * 1e-3 / (AirDensity * SoundSpeed * SoundSpeed);
    const Complex jw(0.0, w);
    if (!x.vented)
        return 1.0 / (jw * cab);
    const double wb = 2.0 * Pi * x.fb;
    const double map = 1.0 / (wb * wb * cab); // the vent's air mass, tuned with Cab to Fb
    const double ral = VentedBoxLeakageQ / (wb * cab);
    return 1.0 / (jw * cab + 1.0 / (jw * map) + 1.0 / ral);
}

// Re + Bl^2 / Zm, where Bl^2 = Re / (2 pi Fs Qes Cms), so that the peak in
// free air is Re Qms / Qes.
Complex Impedance(const Design &x, double f) {
    const double w = 2.0 * Pi * f;
    const double ws = 2.0 * Pi * x.fs;
    const double bl2 = x.re / (ws * x.qes * x.cms);
    double rms = ws * x.mms / x.qms;
    if (!x.vented)
        rms += ClosedBoxLossTerm * x.r * ws * x.mms; // 0.1 x 2 pi Fc x Mms
    const Complex jw(0.0, w);
    const Complex zm =
        rms + jw * x.mms + 1.0 / (jw * x.cms) + x.sd * x.sd * BoxAcousticImpedance(x, w);
    return x.re + bl2 / zm;
}

double Degrees(double radians) {
    return radians * 180.0 / Pi;
}

double LevelAt1W(const Design &x) {
    const double eta0 = EfficiencyFactor * x.fs * x.fs * x.fs * x.vas / x.qes;
    return LevelAt1WOffset + 10.0 * std::log10(eta0);
}

void Resize(DesignCurves &c, std::vector<double> &v, bool present) {
    if (present)
        v.resize(c.frequencies.size());
}

} // namespace

bool operator==(const DriverParameters &a, const DriverParameters &b) {
    const auto tie = [](const DriverParameters &d) {
        return std::tie(d.fs, d.qts, d.qes, d.qms, d.vasLitres, d.re, d.sd, d.xmaxMm, d.peMaxW);
    };
    return tie(a) == tie(b);
}

bool operator==(const BoxParameters &a, const BoxParameters &b) {
    const auto tie = [](const BoxParameters &x) {
        return std::tie(x.kind, x.vbLitres, x.fbHz, x.ventCount, x.ventDiameterMm);
    };
    return tie(a) == tie(b);
}

std::vector<double> ChartFrequencies(int pointsPerOctave) {
    const double octaves = std::log2(ChartHighestHz / ChartLowestHz);
    const int steps = static_cast<int>(std::ceil(octaves * pointsPerOctave));
    std::vector<double> f(static_cast<size_t>(steps) + 1);
    for (int i = 0; i <= steps; ++i)
        f[static_cast<size_t>(i)] =
            ChartLowestHz * std::pow(ChartHighestHz / ChartLowestHz, double(i) / steps);
    f.back() = ChartHighestHz;
    return f;
}

DesignCurves ComputeDesignCurves(const DriverParameters &driver, const BoxParameters &box,
                                 double powerW, const std::vector<double> &frequencies) {
    DesignCurves c;
    c.frequencies = frequencies;
    const bool vented = box.kind == BoxKind::Vented;
    const ModelInputs missing = Missing(driver, box, powerW);
    for (int i = 0; i < ChartCount; ++i) {
        const auto chart = static_cast<Chart>(i);
        c.missing[i] = vented || chart != Chart::PortVelocity
                           ? static_cast<ModelInputs>(missing & Needs(chart, vented))
                           : bit(ModelInput::VentedBox);
    }
    const Design x = MakeDesign(driver, box);
    const bool spl = c.has(Chart::Spl);
    const bool excursion = c.has(Chart::Excursion);
    const bool port = c.has(Chart::PortVelocity);
    const bool impedance = c.has(Chart::Impedance);
    const bool delay = c.has(Chart::GroupDelay);
    const bool limits = c.has(Chart::Limits);
    Resize(c, c.responseDb, delay);
    Resize(c, c.splDb, spl);
    Resize(c, c.splPhaseDeg, spl);
    Resize(c, c.excursionMm, excursion);
    Resize(c, c.portVelocity, port);
    Resize(c, c.impedanceOhm, impedance);
    Resize(c, c.impedancePhaseDeg, impedance);
    Resize(c, c.groupDelayMs, delay);
    for (auto *v : {&c.excursionLimitW, &c.maxPowerW, &c.maxSplDb, &c.thermalLimitSplDb,
                    &c.excursionLimitSplDb})
        Resize(c, *v, limits);

    // Peak static excursion: sqrt(2) x sqrt(P Cms / (2 pi Fs Qes)), in mm.
    const double staticExcursionMm =
        excursion ? 1e3 * std::sqrt(2.0) * std::sqrt(powerW * x.cms / (2.0 * Pi * x.fs * x.qes))
                  : 0.0;
    const double ventArea = x.vents * Pi * std::pow(x.ventDiameter * 1e-3 / 2.0, 2);
    const double level1W = spl ? LevelAt1W(x) : 0.0;

    for (size_t i = 0; i < frequencies.size(); ++i) {
        const double f = frequencies[i];
        const PointResponse p = Respond(x, f);
        const double gainDb = 20.0 * std::log10(std::abs(p.g));
        if (spl) {
            c.splDb[i] = level1W + 10.0 * std::log10(powerW) + gainDb;
            c.splPhaseDeg[i] = Degrees(std::arg(p.g));
        }
        if (delay) {
            c.responseDb[i] = gainDb;
            c.groupDelayMs[i] = 1e3 * p.groupDelay;
        }
        if (impedance) {
            const Complex z = Impedance(x, f);
            c.impedanceOhm[i] = std::abs(z);
            c.impedancePhaseDeg[i] = Degrees(std::arg(z));
        }
        if (!excursion)
            continue;
        const double xPeak = staticExcursionMm * p.coneRatio;
        c.excursionMm[i] = xPeak;
        if (port) {
            // Cone volume velocity 2 pi f Sd X; the vent's is ventRatio times it.
            const double coneVelocity = 2.0 * Pi * f * x.sd * xPeak * 1e-3;
            c.portVelocity[i] = p.ventRatio * coneVelocity / ventArea;
        }
        if (limits) {
            const double px = powerW * std::pow(x.xmax / xPeak, 2);
            const double levelAt = level1W + gainDb;
            c.excursionLimitW[i] = px;
            c.maxPowerW[i] = std::min(x.peMax, px);
            c.maxSplDb[i] = levelAt + 10.0 * std::log10(c.maxPowerW[i]);
            c.thermalLimitSplDb[i] = levelAt + 10.0 * std::log10(x.peMax);
            c.excursionLimitSplDb[i] = levelAt + 10.0 * std::log10(px);
        }
    }
    return c;
}

QString ChartTitle(Chart chart) {
    switch (chart) {
    case Chart::Spl:
        return QStringLiteral("SPL");
    case Chart::Excursion:
        return QStringLiteral("Cone excursion");
    case Chart::PortVelocity:
        return QStringLiteral("Port air velocity");
    case Chart::Impedance:
        return QStringLiteral("Impedance");
    case Chart::GroupDelay:
        return QStringLiteral("Group delay");
    case Chart::Limits:
        return QStringLiteral("Maximum SPL and power");
    }
    return {};
}

QString MissingInputsSentence(Chart chart, ModelInputs missing) {
    using I = ModelInput;
    if (missing & bit(I::VentedBox))
        return ChartTitle(chart) + QStringLiteral(" applies to a vented box.");
    struct Source {
        ModelInput input;
        const char *name;
        const char *page;
    };
    static const Source sources[] = {
        {I::Fs, "Fs", "Driver page"},
        {I::Qts, "Qts", "Driver page"},
        {I::Qes, "Qes", "Driver page"},
        {I::Qms, "Qms", "Driver page"},
        {I::Vas, "Vas", "Driver page"},
        {I::Re, "Re", "Driver page"},
        {I::Sd, "the effective piston diameter", "Driver page"},
        {I::Xmax, "Xmax", "Driver page"},
        {I::PEmax, "PEmax", "Driver page"},
        {I::Vb, "Vb", "Box page"},
        {I::Fb, "Fb", "Box page"},
        {I::VentCount, "the number of vents", "Vent page"},
        {I::VentDiameter, "the vent diameter", "Vent page"},
        {I::Power, "an input power above 0 W", "this window"},
    };
    // Names grouped by page, pages in the order they first come.
    QStringList pages;
    QList<QStringList> names;
    for (const Source &s : sources) {
        if (!(missing & bit(s.input)))
            continue;
        const QString page = QLatin1String(s.page);
        qsizetype at = pages.indexOf(page);
        if (at < 0) {
            pages << page;
            names.append(QStringList());
            at = pages.size() - 1;
        }
        names[at] << QLatin1String(s.name);
    }
    const auto joined = [](const QStringList &list) {
        if (list.size() <= 1)
            return list.join(QString());
        return QStringList(list.mid(0, list.size() - 1)).join(QStringLiteral(", ")) +
               QStringLiteral(" and ") + list.back();
    };
    QStringList parts;
    for (qsizetype i = 0; i < pages.size(); ++i)
        parts << joined(names[i]) + QStringLiteral(" (") + pages[i] + QLatin1Char(')');
    return ChartTitle(chart) + QStringLiteral(" needs ") + joined(parts) + QLatin1Char('.');
}

double DriveVoltage(double powerW, double re) {
    return std::sqrt(powerW * re);
}

} // namespace dravik
