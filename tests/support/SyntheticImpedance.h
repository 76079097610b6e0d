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

// The model's impedance at each frequency; with `relativeNoise` > 0 each
// point is multiplied by 1 + noise (n1 + j n2), n1 and n2 normal deviates.
inline ImpedanceCurve SyntheticCurve(const ElectricalModel &m, const std::vector<double> &hz,
                                     double relativeNoise = 0.0, std::uint64_t seed = 1) {
    ImpedanceCurve c;
    NormalNoise noise(seed);
    for (double f : hz) {
        Impedance z = ModelImpedance(m, f);
        if (relativeNoise > 0.0) {
            const double a = noise.next(), b = noise.next();
            z *= Impedance(1.0 + relativeNoise * a, relativeNoise * b);
        }
        c.hz.push_back(f);
        c.z.push_back(z);
    }
    return c;
}

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
