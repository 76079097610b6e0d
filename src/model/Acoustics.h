#pragma once

// The acoustics every part of the program shares: the named constants and
// the vented and closed box transfer functions. The commands evaluate these
// with the checked Real of their fields, the design charts with plain doubles
// and complex numbers; the formulas are written once, here, for any number
// type with the four operators.
//
// Where two commands compute the same figure with different arithmetic (pi
// to ten digits or twelve, a power as x2 * x2 or as x * x * x * x), each
// keeps its own and the difference has a name below, so that no result moves
// by a digit.

#include <cmath>

namespace dravik::acoustics {

// Air, at room temperature.
inline constexpr double AirDensity = 1.18;  // kg/m^3
inline constexpr double SoundSpeed = 345.0; // m/s

// Pi as the simulation writes it (ten significant digits) and as the vent
// calculator, the analysis and the closed box write it (twelve).
inline constexpr double PiTenDigits = 3.141592654;
inline constexpr double PiTwelveDigits = 3.14159265359;
// Pi to the full double, for what no command fixed: the design charts.
inline constexpr double PiFull = 3.14159265358979323846;

// Reference efficiency eta0 = EfficiencyFactor x Fs^3 x Vas / Qes (Vas in
// litres), and the level at 1 W and 1 m in half space: 112 + 10 log10(eta0).
inline constexpr double EfficiencyFactor = 9.64e-10;
inline constexpr double LevelAt1WOffset = 112.0;
// An inch is 2.54 cm.
inline constexpr double InchInCentimetres = 2.54;

// 100 W is 20 dB above 1 W.
inline constexpr double LevelAt100WAbove1W = 20.0;

// ---- The driver's figures, for any number type with the four operators.
// Each step is written as its own operation, in the order the commands have
// always evaluated it: with the checked Real every step is checked where it
// always was, and every digit is the same. Where two commands order a
// formula differently the order is a parameter, named for what it does.

// x to a whole power n >= 1 by repeated multiplication, x * x * ... (as
// ipow does: 1 * x is x exactly).
template <class Number> Number Power(Number x, int n) {
    Number result = x;
    for (int i = 1; i < n; ++i)
        result = result * x;
    return result;
}

// A diameter reading in metres, by the unit its field holds. The commands
// convert the same unit with different arithmetic, which can differ in the
// last bit, so each keeps its own.
// Centimetres, as the simulation and the analysis convert: 0.01 x cm.
template <class Number> Number MetresFromCentimetres(Number cm) {
    return 0.01 * cm;
}
// Centimetres, as the vent calculator converts: cm / 100.
template <class Number> Number MetresFromCentimetresDivided(Number cm) {
    return cm / 100.0;
}
// Inches, as the closed box converts: (0.01 x 2.54) x inches.
template <class Number> Number MetresFromInches(Number inches) {
    return 0.01 * InchInCentimetres * inches;
}
// Inches to centimetres, as the analysis converts before it takes metres.
template <class Number> Number CentimetresFromInches(Number inches) {
    return InchInCentimetres * inches;
}
// Millimetres, as the design charts read the effective piston diameter.
template <class Number> Number MetresFromMillimetres(Number mm) {
    return mm * 1e-3;
}

// The order in which a command forms the area of a circle of diameter d.
enum class AreaOrder {
    PiSquareQuarter, // (pi d^2) / 4: the simulation and the analysis
    QuarterPiSquare, // (pi / 4) d^2: the vent calculator and the closed box
    PiHalfSquare,    // pi (d / 2)^2: the vent tube, the design charts
};

// The piston (or circle) area pi d^2 / 4, from d in metres (or in any unit,
// giving its square), with the command's own pi.
template <class Number> Number PistonArea(Number d, double pi, AreaOrder order) {
    switch (order) {
    case AreaOrder::PiSquareQuarter:
        return pi * Power(d, 2) * 0.25;
    case AreaOrder::QuarterPiSquare:
        return pi / 4.0 * Power(d, 2);
    case AreaOrder::PiHalfSquare:
        break;
    }
    return pi * Power(d / 2.0, 2);
}

// The volume displacement Vd = Sd Xmax (m^3), from Sd in m^2 and Xmax in mm.
template <class Number> Number VolumeDisplacement(Number sd, Number xmaxMm) {
    return sd * xmaxMm * 0.001;
}

// Where a command multiplies by EfficiencyFactor in eta0.
enum class EfficiencyOrder {
    FactorFirst, // EfficiencyFactor Fs^3 Vas / Qes: the simulation and the closed box
    FactorLast,  // Fs^3 Vas / Qes EfficiencyFactor: the analysis
};

// The reference efficiency eta0 = EfficiencyFactor x Fs^3 x Vas / Qes (Vas in litres).
template <class Number>
Number ReferenceEfficiency(Number fs, Number vas, Number qes, EfficiencyOrder order) {
    if (order == EfficiencyOrder::FactorFirst)
        return EfficiencyFactor * Power(fs, 3) * vas / qes;
    return Power(fs, 3) * vas / qes * EfficiencyFactor;
}

// The level at 1 m in half space of an acoustic power in watts:
// 10 log10(P) + 112 dB.
template <class Number> Number LevelOfAcousticPower(Number watts) {
    using std::log10;
    return 10.0 * log10(watts) + LevelAt1WOffset;
}

// The level at 1 W and 1 m: the level of the acoustic power eta0 x 1 W.
template <class Number> Number LevelAt1W(Number eta0) {
    return LevelOfAcousticPower(eta0);
}

// The level at an electrical power (PEmax, say) from the level at 1 W.
template <class Number> Number LevelAtPower(Number watts, Number levelAt1W) {
    using std::log10;
    return 10.0 * log10(watts) + levelAt1W;
}

// The acoustic power with the cone at Xmax at frequency f, from the volume
// displacement Vd: 4 pi^3 rho / c f^4 (1.15 Vd)^2, with the command's own pi.
template <class Number> Number DisplacementLimitedPower(double pi, Number f, Number vd) {
    return 4.0 * Power(Number(pi), 3) * AirDensity / SoundSpeed * Power(f, 4) * Power(1.15 * vd, 2);
}

// The vented box's leakage losses, QL, and the coefficient 2 - 1/QL^2 of the
// port's displacement term.
inline constexpr double VentedBoxLeakageQ = 7.0;
inline constexpr double PortDisplacementCoefficient = 97.0 / 49.0;

// The closed box's losses, taken off 1/Qtot: 1/Qtc = 1/(r Qts) + this.
inline constexpr double ClosedBoxLossTerm = 0.1;

// The whole-hertz range every command computes its response over.
inline constexpr int ResponseFirstHz = 10;
inline constexpr int ResponseLastHz = 250;

// The vented box's denominator, normalised to 2 pi Fs, with h = Fb/Fs and
// alpha = Vas/Vb:
//     D(s) = s^4 + a3 s^3 + a2 s^2 + a1 s + a0
//     a3 = 1/Qts + h/QL,  a2 = 1 + h^2 + alpha + h/(QL Qts),
//     a1 = h^2/Qts + h/QL, a0 = h^2
// It is (s^2 + s/Qts + 1)(s^2 + (h/QL) s + h^2) + alpha s^2: the driver's
// resonance and the port's, coupled through the box.
template <class Number> struct VentedPolynomial { Number a3, a2, a1, a0; };

// The coefficients from the tuning ratio h, as the formula alignments and the
// charts compute them (in the order a1, a2, a3, so that a fault stops at the
// same step as always).
template <class Number>
VentedPolynomial<Number> VentedPolynomialFromRatio(Number h, Number alpha, Number qts) {
    const Number h2 = h * h;
    const Number a1 = h2 / qts + h / VentedBoxLeakageQ;
    const Number a2 = 1.0 + h2 + alpha + h / (VentedBoxLeakageQ * qts);
    const Number a3 = 1.0 / qts + h / VentedBoxLeakageQ;
    return {a3, a2, a1, h2};
}

// The same coefficients as the simulation forms them, from Fb and Fs
// directly: the loss term h/QL is Fb / (QL Fs) there.
template <class Number>
VentedPolynomial<Number> VentedPolynomialFromTuning(Number fs, Number fb, Number vas, Number vb,
                                                    Number qts) {
    const Number h = fb / fs;
    const Number a0 = h * h;
    const Number loss = fb / (VentedBoxLeakageQ * fs);
    const Number a1 = a0 / qts + loss;
    const Number a2 = 1.0 + a0 + vas / vb + fb / (VentedBoxLeakageQ * fs * qts);
    const Number a3 = 1.0 / qts + loss;
    return {a3, a2, a1, a0};
}

// |D(j x)|^2 at x = f/Fs, given x^2 and x^4 (each command forms the powers
// its own way): (x^4 - a2 x^2 + a0)^2 + x^2 (a3 x^2 - a1)^2.
template <class Number>
Number VentedDenominatorSquared(const VentedPolynomial<Number> &p, Number x2, Number x4) {
    const Number real = x4 - p.a2 * x2 + p.a0;
    const Number imag = p.a3 * x2 - p.a1;
    return real * real + x2 * (imag * imag);
}

// |s^2 + (h/QL) s + h^2|^2 at x = f/Fs, the port's own second-order term,
// written as the simulation forms it: a0^2 + x^4 - (2 - 1/QL^2) a0 x^2.
template <class Number> Number PortTermSquared(Number a0, Number x2, Number x4) {
    return a0 * a0 + x4 - PortDisplacementCoefficient * a0 * x2;
}

// The closed box's second-order high-pass, normalised to 2 pi Fc:
// |s^2 + s/Qtc + 1|^2 at x2 = (f/Fc)^2, that is (x2 - 1)^2 + x2 / Qtc^2.
template <class Number> Number ClosedDenominatorSquared(Number x2, Number qtc) {
    const Number below = x2 - 1.0;
    return below * below + x2 / (qtc * qtc);
}

// The acoustic length (m) of `vents` vents of area `area` (m^2 each) whose
// air mass tunes a chamber of `volume` (m^3) to `fb` (Hz) in air of sound
// speed c (m/s): k S c^2 / ((2 pi fb)^2 V). It is the length that the
// charts' circuit gives the vents; a vent cut to it less its end correction
// tunes the box where the charts say.
inline double TuningVentLengthM(double vents, double area, double volume, double fb, double c) {
    const double w = 2.0 * PiFull * fb;
    return vents * area * c * c / (w * w * volume);
}

// The diameter of a circle of area `area` (any unit squared), 2 sqrt(A / pi):
// what a slot's end correction is taken in.
inline double EqualAreaDiameter(double area) {
    return 2.0 * std::sqrt(area / PiFull);
}

// The end correction of a vent of one flanged and one free end, in vent
// diameters: 0.85 / 2 + 0.614 / 2 of the radius each, 0.732 in all.
inline constexpr double FlangedAndFreeEndCorrection = 0.732;

} // namespace dravik::acoustics
