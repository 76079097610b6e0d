#pragma once

#include "Fp.h"

namespace dravik {

// A real number of the program's calculations. Every operation on it is
// checked by the program's floating-point rules: an invalid operation, a
// division by zero or an overflow stops the command with its message at the
// very operation where it happens; underflow and rounding are not errors.
//
// With operators a formula reads as its physics,
//     const Real eta0 = 9.64e-10 * ipow(fs, 3) * vas / qes;
// and it is evaluated in the order written, a * b * c as (a * b) * c, so
// every digit comes out as with one checked step after the other. An
// operation on two plain doubles stays plain arithmetic: write constants as
// doubles where they are folded, as 100.0 * 20.3.
class Real {
public:
    constexpr Real(double value = 0.0) : value_(value) {} // a double is a Real
    constexpr double value() const { return value_; }

    friend Real operator+(Real a, Real b) { return fp::add(a.value_, b.value_); }
    friend Real operator-(Real a, Real b) { return fp::sub(a.value_, b.value_); }
    friend Real operator*(Real a, Real b) { return fp::mul(a.value_, b.value_); }
    friend Real operator/(Real a, Real b) { return fp::div(a.value_, b.value_); }
    friend Real operator-(Real a) { return -a.value_; }
    Real &operator+=(Real b) { return *this = *this + b; }
    Real &operator-=(Real b) { return *this = *this - b; }
    Real &operator*=(Real b) { return *this = *this * b; }
    Real &operator/=(Real b) { return *this = *this / b; }

    friend bool operator==(Real a, Real b) { return a.value_ == b.value_; }
    friend bool operator!=(Real a, Real b) { return a.value_ != b.value_; }
    friend bool operator<(Real a, Real b) { return a.value_ < b.value_; }
    friend bool operator<=(Real a, Real b) { return a.value_ <= b.value_; }
    friend bool operator>(Real a, Real b) { return a.value_ > b.value_; }
    friend bool operator>=(Real a, Real b) { return a.value_ >= b.value_; }

private:
    double value_;
};

// The base-10 logarithm: of 0 a division by zero, of a negative number an
// invalid operation.
inline Real log10(Real x) {
    return fp::log10(x.value());
}
// x to a real power; a whole power is repeated multiplication (defined for
// negative x), a fractional one of a negative x is an invalid operation.
inline Real pow(Real x, Real y) {
    return fp::pow(x.value(), y.value());
}
// x to a whole power by repeated multiplication, as a formula writes x^2.
inline Real ipow(Real x, int n) {
    return fp::ipow(x.value(), n);
}

} // namespace dravik
