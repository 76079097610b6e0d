#pragma once

// Measurements made up from a known driver, for the tests and the benchmark:
// the driver's electrical model on a logarithmic grid, with noise when
// asked, and the shipped drivers' own figures to make them from.

#include "DriverImpedance.h"
#include "ImpedanceFile.h"
#include "NumberText.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <cmath>
#include <cstdint>
#include <optional>

namespace dravik::test {

// `count` frequencies from `lowHz` to `highHz`, evenly spaced in log f.
inline std::vector<double> LogGrid(double lowHz, double highHz, int count) {
    std::vector<double> hz;
    const double step = std::log(highHz / lowHz) / (count - 1);
    for (int i = 0; i < count; ++i)
        hz.push_back(lowHz * std::exp(step * i));
    return hz;
}

// Normal deviates from a fixed seed, the same on every machine: a 64-bit
// linear congruential generator through Box and Muller's transform.
class NormalNoise {
public:
    explicit NormalNoise(std::uint64_t seed) : state_(seed) {}
    double next() {
        const double u1 = uniform(), u2 = uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * 3.14159265358979323846 * u2);
    }

private:
    double uniform() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return (double((state_ >> 11) + 1)) / 9007199254740993.0; // (0, 1]
    }
    std::uint64_t state_;
};

// `impedance(f)` at each frequency; with `relativeNoise` > 0 each point is
// multiplied by 1 + noise (n1 + j n2), n1 and n2 normal deviates.
template <class Model>
ImpedanceCurve NoisyCurve(Model impedance, const std::vector<double> &hz,
                          double relativeNoise = 0.0, std::uint64_t seed = 1) {
    ImpedanceCurve c;
    NormalNoise noise(seed);
    for (double f : hz) {
        Impedance z = impedance(f);
        if (relativeNoise > 0.0) {
            const double a = noise.next(), b = noise.next();
            z *= Impedance(1.0 + relativeNoise * a, relativeNoise * b);
        }
        c.hz.push_back(f);
        c.z.push_back(z);
    }
    return c;
}

// The model's impedance, as NoisyCurve makes it.
inline ImpedanceCurve SyntheticCurve(const ElectricalModel &m, const std::vector<double> &hz,
                                     double relativeNoise = 0.0, std::uint64_t seed = 1) {
    return NoisyCurve([&](double f) { return ModelImpedance(m, f); }, hz, relativeNoise, seed);
}

// A driver whose suspension creeps as a viscoelastic material does, in a
// form the fit does not have: C(s) = Cms (1 + beta ln(1 + w0 / s)),
// w0 = 3 pi F0, s = j w. `nominal` gives the coil, and through F0, its Qms
// and Qes the mass (1 kg: only ratios matter), Cms, Rms and Bl^2.
struct CreepingDriver {
    ElectricalModel nominal;
    double beta = 0;

    double mass() const { return 1.0; }
    double nominalW() const { return 2.0 * 3.14159265358979323846 * nominal.fs; }
    double rms() const { return nominalW() * mass() / nominal.qms; }
    double bl2() const { return nominalW() * mass() * nominal.re / nominal.qes; }
    // 1 / C(j w), the complex stiffness; w0 = 3 pi F0 is 1.5 times 2 pi F0.
    Impedance stiffness(double w) const {
        const double cms = 1.0 / (nominalW() * nominalW() * mass());
        const double w0 = 1.5 * nominalW();
        return 1.0 / (cms * (1.0 + beta * std::log(1.0 + w0 / Impedance(0.0, w))));
    }
    // Zm = Rms + j w M + K / (j w), the motional part Bl^2 / Zm.
    Impedance impedance(double hz) const {
        const double w = 2.0 * 3.14159265358979323846 * hz;
        const Impedance zm = rms() + Impedance(0.0, w * mass()) + stiffness(w) / Impedance(0.0, w);
        return VoiceCoilImpedance(nominal, hz) + bl2() / zm;
    }
    // The figures of the compliance at Fs: the reactance w M - Re(K) / w is
    // nothing at Fs, Im(K) / w adds to Rms there.
    ElectricalModel atResonance() const {
        double w = nominalW();
        for (int i = 0; i < 200; ++i)
            w = std::sqrt(stiffness(w).real() / mass());
        ElectricalModel m = nominal;
        m.fs = w / (2.0 * 3.14159265358979323846);
        m.qms = w * mass() / (rms() + stiffness(w).imag() / w);
        m.qes = w * mass() * nominal.re / bl2();
        return m;
    }
};

// The lines of a .zma file of the curve: frequency, magnitude, phase.
inline QStringList ZmaLines(const ImpedanceCurve &c) {
    QStringList lines{QStringLiteral("* synthetic impedance"), QStringLiteral("* Hz ohm deg")};
    for (size_t i = 0; i < c.size(); ++i)
        lines << QString::number(c.hz[i], 'g', 17) + QLatin1Char(' ') +
                     QString::number(std::abs(c.z[i]), 'g', 17) + QLatin1Char(' ') +
                     QString::number(std::arg(c.z[i]) * 180.0 / 3.14159265358979323846, 'g', 17);
    return lines;
}

// What a shipped record gives the electrical model, and its Sd.
struct ShippedDriver {
    QString name;
    double fs = 0, qms = 0, qes = 0, re = 0, vasLitres = 0, effectiveDiameterMm = 0;
};

// Record `index` of spk.db in `dir`: three header lines, then 31 lines a
// record, the fields from its third line in the database's order (Qts, Qms,
// Qes, Vas, Fs at 4 to 8 counted from the manufacturer at 1, Re at 12, the
// effective piston diameter at 15). Nothing when the record is not there.
inline std::optional<ShippedDriver> ReadShippedDriver(const QString &dir, int index) {
    QFile f(dir + QStringLiteral("/spk.db"));
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"));
    const int first = 3 + 31 * index + 2; // the manufacturer's line
    if (first + 28 > lines.size())
        return std::nullopt;
    const auto field = [&](int n) { return lines[first + n - 1]; };
    ShippedDriver d;
    d.name = field(1) + QLatin1Char(' ') + field(2);
    d.qms = ParseFieldText(field(5));
    d.qes = ParseFieldText(field(6));
    d.vasLitres = ParseFieldText(field(7));
    d.fs = ParseFieldText(field(8));
    d.re = ParseFieldText(field(12));
    d.effectiveDiameterMm = ParseFieldText(field(15));
    return d;
}

} // namespace dravik::test
