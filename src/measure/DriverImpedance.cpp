#include "DriverImpedance.h"

#include <cmath>

namespace dravik {

namespace {

constexpr double TwoPi = 2.0 * 3.14159265358979323846;

Impedance BranchImpedance(const ElectricalModel &m, double w) {
    const Impedance jwl2(0.0, w * m.l2);
    return m.r2 * jwl2 / (m.r2 + jwl2);
}

} // namespace

double MotionalPeak(const ElectricalModel &m) {
    return m.re * m.qms / m.qes;
}

Impedance VoiceCoilImpedance(const ElectricalModel &m, double hz) {
    const double w = TwoPi * hz;
    Impedance z(m.re, w * m.le);
    if (m.inductance == InductanceModel::Lossy)
        z += BranchImpedance(m, w);
    return z;
}

Impedance MotionalImpedance(const ElectricalModel &m, double hz) {
    const double detuning = hz / m.fs - m.fs / hz;
    return MotionalPeak(m) / Impedance(1.0, m.qms * detuning);
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
