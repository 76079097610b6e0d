#include "DriverImpedance.h"

#include <algorithm>
#include <cmath>

namespace dravik {

namespace {

constexpr double TwoPi = 2.0 * 3.14159265358979323846;

} // namespace

double MotionalPeak(const ElectricalModel &m) {
    return m.re * m.qms / m.qes;
}

CoilTerms CoilOf(const ElectricalModel &m) {
    CoilTerms c;
    c.model = m.inductance;
    c.le = m.le;
    c.r2 = m.r2;
    c.l2 = m.l2;
    c.krm = m.krm;
    c.erm = m.erm;
    c.kxm = m.kxm;
    c.exm = m.exm;
    c.leb = m.leb;
    c.rss = m.rss;
    c.ke = m.ke;
    return c;
}

void SetVoiceCoil(DriverParameters &driver, const ElectricalModel &m) {
    VoiceCoilTerms v;
    v.model = m.inductance;
    switch (m.inductance) {
    case InductanceModel::Plain:
        break;
    case InductanceModel::Lossy:
        v.r2Ohm = m.r2;
        v.l2Mh = m.l2 * 1e3;
        break;
    case InductanceModel::Wright:
        v.krm = m.krm;
        v.erm = m.erm;
        v.kxm = m.kxm;
        v.exm = m.exm;
        break;
    case InductanceModel::SemiInductance:
        v.lebMh = m.leb * 1e3;
        v.semiLeMh = m.le * 1e3;
        v.rssOhm = m.rss;
        v.ke = m.ke;
        break;
    }
    driver.voiceCoil = v;
    driver.leMh = HasSeriesLe(m.inductance) ? m.le * 1e3 : 0.0;
    driver.creep = m.creep;
}

double CreepFactor(const ElectricalModel &m, double hz) {
    return dravik::CreepFactor(m.creep, hz, m.fs);
}

double CreepLoss(const ElectricalModel &m) {
    return m.creep * CreepLossPerLambda;
}

Impedance VoiceCoilImpedance(const ElectricalModel &m, double hz) {
    return m.re + CoilImpedance(CoilOf(m), DualComplex::ImaginaryFrequency(TwoPi * hz)).value;
}

// D = Zm / Rms: with Rms 1, Mms is Qms / ws and Cms 1 / (ws Qms), and the
// suspension is the design circuit's own.
Impedance MotionalImpedance(const ElectricalModel &m, double hz) {
    const double ws = TwoPi * m.fs;
    const DualComplex jw = DualComplex::ImaginaryFrequency(TwoPi * hz);
    const Impedance suspension = SuspensionImpedance(1.0 / (ws * m.qms), m.fs, m.creep, jw).value;
    return MotionalPeak(m) / (1.0 + jw.value * (m.qms / ws) + suspension);
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
