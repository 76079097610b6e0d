#pragma once

#include <complex>

namespace dravik {

// A complex number together with its derivative with respect to one real
// variable (here the angular frequency). Carrying both through the
// circuit's arithmetic gives the exact slope of the pressure, and with it
// the group delay -d(arg p)/dw = -Im(p'/p), without differencing.
// a / b by the conjugate: the library's division guards against overflow
// and infinities at several times the cost, and the circuit's impedances
// stay far inside the range of a double (its inputs are bounded).
inline std::complex<double> Divide(const std::complex<double> &a, const std::complex<double> &b) {
    const double norm = b.real() * b.real() + b.imag() * b.imag();
    return {(a.real() * b.real() + a.imag() * b.imag()) / norm,
            (a.imag() * b.real() - a.real() * b.imag()) / norm};
}

// a b, as the textbook writes it: the library's product also recovers
// infinities from NaN results, through a call that costs more than the
// arithmetic. For finite operands both give the same bits.
inline std::complex<double> Multiply(const std::complex<double> &a, const std::complex<double> &b) {
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

struct DualComplex {
    using Complex = std::complex<double>;
    Complex value;
    Complex slope;

    DualComplex(Complex v = {}, Complex d = {}) : value(v), slope(d) {}
    DualComplex(double v) : value(v) {}

    // The variable itself: j w, whose slope is j.
    static DualComplex ImaginaryFrequency(double omega) { return {{0.0, omega}, {0.0, 1.0}}; }
};

inline DualComplex operator+(const DualComplex &a, const DualComplex &b) {
    return {a.value + b.value, a.slope + b.slope};
}
inline DualComplex operator-(const DualComplex &a, const DualComplex &b) {
    return {a.value - b.value, a.slope - b.slope};
}
inline DualComplex operator-(const DualComplex &a) {
    return {-a.value, -a.slope};
}
inline DualComplex operator*(const DualComplex &a, const DualComplex &b) {
    return {Multiply(a.value, b.value), Multiply(a.value, b.slope) + Multiply(a.slope, b.value)};
}
inline DualComplex operator/(const DualComplex &a, const DualComplex &b) {
    const std::complex<double> q = Divide(a.value, b.value);
    return {q, Divide(a.slope - Multiply(q, b.slope), b.value)};
}

} // namespace dravik
