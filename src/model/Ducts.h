#pragma once

// Ducts, horns and transmission lines as plane-wave two-ports. Along a duct
// of slowly changing area S(x) the pressure obeys Webster's horn equation,
// (1/S) d/dx (S dp/dx) = (s/c)^2 p, and the volume velocity follows from
// Euler's, U = -S (dp/dx) / (s rho). Each segment's solution is a transfer
// matrix between its two ends; a path of segments is their product, and the
// nodal circuit takes it as an admittance matrix.
//
// Everything is computed with DualComplex, so each result carries its exact
// derivative with respect to the angular frequency. Units are SI: metres,
// square metres, acoustic impedances in Pa s/m^3.
//
// The frequency is s = j w with w > 0. The caller validates the segments;
// a segment with no length or without a positive area passes pressure and
// flow unchanged (the identity), so that a slip stays finite and nothing
// loops.

#include "AcousticCircuit.h"
#include "Acoustics.h"
#include "DualComplex.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace dravik {

// How the area runs from a segment's start to its end.
enum class Flare {
    Uniform,              // the start area throughout
    Conical,              // the radius linear in length: spherical waves
    Exponential,          // S1 e^(m x)
    Parabolic,            // the area linear in length
    HyperbolicExponential // S0 (cosh(x/x0) + T sinh(x/x0))^2 from the narrower end
};

struct DuctSegment {
    Flare flare = Flare::Uniform;
    double lengthM = 0.0;
    double startAreaM2 = 0.0, endAreaM2 = 0.0;
    double t = 1.0;                        // hyperbolic-exponential's T, 0..1 (1: exponential)
    std::optional<double> fillResistivity; // Pa s/m^2 of a damping fill, none: empty
};
// A fill is taken as an equivalent fluid (Delany and Bazley): the wave number
// and the characteristic impedance of the air become complex, and every
// flare keeps its closed form. A resistivity that is not positive is no
// fill. T is taken within 0..1.

struct DuctAir {
    double density = acoustics::AirDensity;
    double soundSpeed = acoustics::SoundSpeed;
};

// [p1; U1] = T [p2; U2]: pressures and volume velocities at the two ends, U1
// flowing into end 1 and U2 flowing out of end 2.
struct TransferMatrix {
    DualComplex a, b, c, d;
};

// Cascade: the left two-port's end 2 joined to the right one's end 1.
TransferMatrix operator*(const TransferMatrix &, const TransferMatrix &);

TransferMatrix SegmentTransfer(const DuctSegment &, const DuctAir &, const DualComplex &s);
// The segments [from, to), in order; the identity where that is empty.
TransferMatrix PathTransfer(const std::vector<DuctSegment> &segments, size_t from, size_t to,
                            const DuctAir &, const DualComplex &s);
// An impedance z in series: [1 z; 0 1].
TransferMatrix SeriesImpedance(const DualComplex &z);
// The flows into both ends from the end pressures: y11 = d/b, y12 = -det/b,
// y21 = -1/b, y22 = a/b. A duct of no length (b = 0) has none.
TwoPortAdmittance AdmittanceOf(const TransferMatrix &t);

// Radiation impedance (acoustic, Pa s/m^3) of a rigid circular piston of this
// area in an infinite baffle: (rho c / S)(1 - J1(2ka)/(ka) + j H1(2ka)/(ka)),
// a = sqrt(S/pi), k = w/c, H1 the Struve function of order 1. Zero for an
// area that is not positive.
DualComplex BaffledPistonImpedance(double areaM2, const DuctAir &, const DualComplex &s);

// The air inside a segment (m^3).
double SegmentVolumeM3(const DuctSegment &);

// A flare's cut-off frequency where it has one: exponential c m / (4 pi) for
// S = S1 e^(m x), hyperbolic-exponential c / (2 pi x0); none for the others.
std::optional<double> SegmentCutoffHz(const DuctSegment &, double soundSpeed);

// The area (m^2) at a distance x (m) from the segment's start.
double SegmentAreaAt(const DuctSegment &, double xM);

// A parabolic segment (whose sqrt(S) is not of the closed form) is computed
// as a cascade of conical pieces, each piece's end areas on its profile. The
// pieces span equal ratios of area, 25 of them per unit of |ln(S2/S1)| (the
// chords' error falls as the square of that), and none is longer than a
// sixth of the wavelength at 1 kHz; at least 8, at most 1000. That keeps the
// result within 1e-4 of the limit from 5 Hz to 1 kHz.
int ConicalPieceCount(const DuctSegment &, const DuctAir &);
// The segment as a cascade of `pieces` conical pieces whose end areas lie on
// its profile: equal ratios of area for the parabolic flare, equal lengths
// for the others.
TransferMatrix ConicalCascade(const DuctSegment &, const DuctAir &, const DualComplex &s,
                              int pieces);

// The Struve functions H0 and H1 of a real argument 0..60, to about 1e-9.
double StruveH0(double x);
double StruveH1(double x);

} // namespace dravik
