#pragma once

#include "DesignSetup.h"

#include <complex>
#include <vector>

namespace dravik {

// A driver's electrical impedance as a measurement sees it:
//
//     Z(f) = Re + Zvc(f) + Res / (1 + j Qms (f/Fs - Fs/f)),   Res = Re Qms / Qes
//
// The voice coil's inductance Zvc is either a plain inductance, j w Le, or
// that inductance in series with a resistor R2 parallel to a second
// inductance L2, j w Le + R2 j w L2 / (R2 + j w L2): the eddy currents in
// the pole piece make a real coil look like an inductance that falls and a
// resistance that rises with frequency, which the R2-L2 branch follows.
// The motional part is the cone's mass, compliance and losses seen through
// Bl; its peak at Fs is Res above Re.
enum class InductanceModel { Plain, Lossy };

using Impedance = std::complex<double>;

struct ElectricalModel {
    InductanceModel inductance = InductanceModel::Plain;
    double re = 0; // ohm
    double le = 0; // H
    double r2 = 0; // ohm, the lossy model only
    double l2 = 0; // H, the lossy model only
    double fs = 0; // Hz
    double qms = 0;
    double qes = 0;
};

// The peak of the motional part, Re Qms / Qes.
double MotionalPeak(const ElectricalModel &m);

// The voice coil alone: Re with its inductance, what the motional part sits on.
Impedance VoiceCoilImpedance(const ElectricalModel &m, double hz);
// The motional part alone.
Impedance MotionalImpedance(const ElectricalModel &m, double hz);
// The whole impedance.
Impedance ModelImpedance(const ElectricalModel &m, double hz);

// The same at every frequency of `hz`.
std::vector<Impedance> ModelImpedances(const ElectricalModel &m, const std::vector<double> &hz);

} // namespace dravik
