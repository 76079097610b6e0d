#include "DriverImpedance.h"

#include "DesignInputs.h"

#include <algorithm>
#include <cmath>

namespace dravik {

namespace {

constexpr double TwoPi = 2.0 * 3.14159265358979323846;

} // namespace

double MotionalPeak(const ElectricalModel &m) {
    return m.re * m.qms / m.qes;
}

void SetVoiceCoil(DriverParameters &driver, const ElectricalModel &m) {
    DesignSetup s;
    s.driver.voiceCoil.model = m.coil.model;
    s.driver.leMh = 0.0; // the models without a series Le
    const ModelInputs terms = CoilModelInputs(m.coil.model);
    for (const InputRow &row : DesignInputRows())
        if (terms.has(row.input))
            row.member(s) = m.coil.*row.coilTerm / UnitsOf(row.quantity).toSi;
    driver.voiceCoil = s.driver.voiceCoil;
    driver.leMh = s.driver.leMh;
    driver.creep = m.creep;
}

double CreepFactor(const ElectricalModel &m, double hz) {
    return dravik::CreepFactor(m.creep, hz, m.fs);
}

double CreepLoss(const ElectricalModel &m) {
    return m.creep * CreepLossPerLambda;
}

Impedance VoiceCoilImpedance(const ElectricalModel &m, double hz) {
    return m.re + CoilImpedance(m.coil, DualComplex::ImaginaryFrequency(TwoPi * hz)).value;
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
