#include "VoiceCoil.h"

#include <algorithm>
#include <cmath>

namespace dravik {

namespace {

using Complex = std::complex<double>;
using D = DualComplex;

constexpr double Pi = 3.14159265358979323846;
constexpr double Ln10 = 2.302585092994045684;

// A real function of w with its slope, as the circuit's variable.
D RealOfW(double value, double slope) {
    return {Complex(value), Complex(slope)};
}

// sqrt(s) with its slope ds / (2 sqrt(s)).
D SquareRoot(const D &s) {
    const Complex root = std::sqrt(s.value);
    return {root, Divide(s.slope, 2.0 * root)};
}

D LossyBranch(const CoilTerms &c, const D &jw) {
    const D jwl2 = jw * D(c.l2);
    return D(c.r2) * jwl2 / (D(c.r2) + jwl2);
}

// Krm w^Erm + j Kxm w^Exm, each power with its slope e w^(e - 1).
D Wright(const CoilTerms &c, double w) {
    const double r = c.krm * std::pow(w, c.erm);
    const double x = c.kxm * std::pow(w, c.exm);
    return {Complex(r, x), Complex(r * c.erm / w, x * c.exm / w)};
}

D SemiInductance(const CoilTerms &c, const D &jw) {
    const D one(1.0);
    const D parallel = one / D(c.rss) + one / (jw * D(c.le)) + one / (D(c.ke) * SquareRoot(jw));
    return jw * D(c.leb) + one / parallel;
}

} // namespace

const char *InductanceModelName(InductanceModel m) {
    switch (m) {
    case InductanceModel::Plain:
        return "Le";
    case InductanceModel::Lossy:
        return "Le with R2-L2";
    case InductanceModel::Wright:
        return "Wright";
    case InductanceModel::SemiInductance:
        return "Semi-inductance";
    }
    return "";
}

CoilTerms ScaledCoil(const CoilTerms &coil, double factor) {
    CoilTerms c = coil;
    for (double *term : {&c.le, &c.r2, &c.l2, &c.krm, &c.kxm, &c.leb, &c.rss, &c.ke})
        *term *= factor;
    return c;
}

DualComplex CoilImpedance(const CoilTerms &coil, const DualComplex &jw) {
    switch (coil.model) {
    case InductanceModel::Plain:
        return jw * D(coil.le);
    case InductanceModel::Lossy:
        return jw * D(coil.le) + LossyBranch(coil, jw);
    case InductanceModel::Wright:
        return Wright(coil, jw.value.imag());
    case InductanceModel::SemiInductance:
        return SemiInductance(coil, jw);
    }
    return {};
}

double CreepFactor(double lambda, double hz, double fs) {
    if (lambda == 0.0)
        return 1.0;
    return std::max(1.0 - lambda * std::log10(hz / fs), MinCreepFactor);
}

DualComplex SuspensionImpedance(double cms, double fs, double lambda, const DualComplex &jw) {
    if (lambda == 0.0)
        return D(1.0) / (jw * D(cms));
    const double w = jw.value.imag();
    const double ws = 2.0 * Pi * fs;
    const double c = CreepFactor(lambda, w / (2.0 * Pi), fs);
    // c falls by lambda / ln 10 per neper of w, until it is held.
    const double cSlope = c > MinCreepFactor ? -lambda / (Ln10 * w) : 0.0;
    const double d = lambda * CreepLossPerLambda;
    const D loss = RealOfW(d / cms * (1.0 / w - 1.0 / ws), -d / (cms * w * w));
    return loss + D(1.0) / (jw * D(cms) * RealOfW(c, cSlope));
}

} // namespace dravik
