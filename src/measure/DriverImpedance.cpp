#include "DriverImpedance.h"

#include <algorithm>
#include <cmath>

namespace dravik {

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double TwoPi = 2.0 * Pi;
// pi / (2 ln 10): the imaginary part of log10(j).
constexpr double CreepLossPerLambda = Pi / (2.0 * 2.302585092994045684);

Impedance BranchImpedance(const ElectricalModel &m, double w) {
    const Impedance jwl2(0.0, w * m.l2);
    return m.r2 * jwl2 / (m.r2 + jwl2);
}

Impedance WrightImpedance(const ElectricalModel &m, double w) {
    return {m.krm * std::pow(w, m.erm), m.kxm * std::pow(w, m.exm)};
}

Impedance SemiInductance(const ElectricalModel &m, double w) {
    const Impedance s(0.0, w);
    const Impedance parallel = 1.0 / m.rss + 1.0 / (s * m.le) + 1.0 / (m.ke * std::sqrt(s));
    return s * m.leb + 1.0 / parallel;
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

double MotionalPeak(const ElectricalModel &m) {
    return m.re * m.qms / m.qes;
}

double CreepFactor(const ElectricalModel &m, double hz) {
    if (m.creep == 0.0)
        return 1.0;
    return std::max(1.0 - m.creep * std::log10(hz / m.fs), MinCreepFactor);
}

double CreepLoss(const ElectricalModel &m) {
    return m.creep * CreepLossPerLambda;
}

Impedance VoiceCoilImpedance(const ElectricalModel &m, double hz) {
    const double w = TwoPi * hz;
    switch (m.inductance) {
    case InductanceModel::Plain:
        return {m.re, w * m.le};
    case InductanceModel::Lossy:
        return Impedance(m.re, w * m.le) + BranchImpedance(m, w);
    case InductanceModel::Wright:
        return m.re + WrightImpedance(m, w);
    case InductanceModel::SemiInductance:
        return m.re + SemiInductance(m, w);
    }
    return m.re;
}

Impedance MotionalImpedance(const ElectricalModel &m, double hz) {
    const double loss = m.creep == 0.0 ? 0.0 : m.qms * CreepLoss(m) * (m.fs / hz - 1.0);
    const double detuning = hz / m.fs - m.fs / (hz * CreepFactor(m, hz));
    return MotionalPeak(m) / Impedance(1.0 + loss, m.qms * detuning);
}

Impedance ModelImpedance(const ElectricalModel &m, double hz) {
    return VoiceCoilImpedance(m, hz) + MotionalImpedance(m, hz);
}

std::vector<Impedance> ModelImpedances(const ElectricalModel &m, const std::vector<double> &hz) {
    std::vector<Impedance> z;
    z.reserve(hz.size());
    for (double f : hz)
        z.push_back(ModelImpedance(m, f));
    return z;
}

} // namespace dravik
