#pragma once

#include "DesignSetup.h"
#include "VoiceCoil.h"

#include <complex>
#include <vector>

namespace dravik {

// A driver's electrical impedance as a measurement sees it:
//
//     Z(f) = Re + Zcoil(f) + Res / D(f),   Res = Re Qms / Qes
//
// The voice coil Zcoil is one of the coil models of VoiceCoil.h. The
// motional part is Bl^2 / Zm, the cone's mass, compliance and losses seen
// through Bl; D is Zm over its value at Fs, and its peak at Fs is Res above
// Re. With the suspension's creep (VoiceCoil.h) it is
//     D(f) = 1 + Qms d (Fs/f - 1) + j Qms (f/Fs - Fs / (f c(f)))
// Fs, Qms and Qes are those of the compliance at Fs, and lambda = 0 is the
// ideal spring and a constant Rms.
using Impedance = std::complex<double>;

struct ElectricalModel {
    CoilTerms coil; // beyond Re
    double re = 0;  // ohm
    double fs = 0;  // Hz
    double qms = 0;
    double qes = 0;
    double creep = 0; // lambda
};

// The peak of the motional part, Re Qms / Qes.
double MotionalPeak(const ElectricalModel &m);

// The model's voice coil and creep in a design's driver: its model and
// terms in the design's units (mH, ohm), and lambda.
void SetVoiceCoil(DriverParameters &driver, const ElectricalModel &m);

// c(f), the compliance at `hz` over Cms.
double CreepFactor(const ElectricalModel &m, double hz);
// d, the creep's loss over the stiffness: lambda pi / (2 ln 10).
double CreepLoss(const ElectricalModel &m);

// The voice coil alone: Re with its inductance, what the motional part sits on.
Impedance VoiceCoilImpedance(const ElectricalModel &m, double hz);
// The motional part alone.
Impedance MotionalImpedance(const ElectricalModel &m, double hz);
// The whole impedance.
Impedance ModelImpedance(const ElectricalModel &m, double hz);

// The same at every frequency of `hz`.
std::vector<Impedance> ModelImpedances(const ElectricalModel &m, const std::vector<double> &hz);

} // namespace dravik
