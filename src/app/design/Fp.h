#pragma once

#include <QString>

#include <cmath>
#include <stdexcept>

namespace dravik {

// The program's one failure type. Its text is the exact message the user sees
// (without the full stop that the report adds).
class DravikError : public std::runtime_error {
public:
    explicit DravikError(const QString &message);
    QString message() const { return message_; }

private:
    QString message_;
};

namespace msg {
inline const char *const DivisionByZero = "Floating point division by zero";
inline const char *const InvalidOperation = "Invalid floating point operation";
inline const char *const Overflow = "Floating point overflow";
inline const char *const FileNotFound = "File not found";
inline const char *const FileAccessDenied = "File access denied";
inline const char *const PathNotFound = "Path not found";
inline const char *const IsDirectory = "File name is a directory";
inline const char *const DiskFull = "Disk full";
inline const char *const FileIoError = "File read or write error";
inline const char *const InvalidFileName = "Invalid file name";
inline const char *const NotRegularFile = "Not a regular file";
inline const char *const OutOfMemory = "Out of memory";
} // namespace msg

[[noreturn]] Q_DECL_COLD_FUNCTION void fail(const char *message);

// The text of the error report: the message with a full stop appended when
// its last character sorts after the full stop (a letter or a digit).
QString reportText(const QString &message);

// Checked floating-point arithmetic. Every step of a calculation goes through
// these (mostly as the operators of Real, in Real.h), so a fault is found by
// looking at the operands, never by reading floating-point status flags, and
// the result is the same under every compiler option. Inline: the checks are
// a compare each on the way of every formula.
namespace fp {

// Raises the fault a non-finite result stands for: NaN an invalid
// operation, infinity an overflow.
[[noreturn]] Q_DECL_COLD_FUNCTION void failNonFinite(double x);

// A finished result: infinity means a finite computation overflowed,
// NaN an invalid operation.
inline double checked(double x) {
    if (Q_UNLIKELY(!std::isfinite(x)))
        failNonFinite(x);
    return x;
}

inline double add(double a, double b) {
    return checked(a + b);
}
inline double sub(double a, double b) {
    return checked(a - b);
}
inline double mul(double a, double b) {
    return checked(a * b);
}

// 0/0 (and NaN/0) is an invalid operation, anything else over 0 a division by zero.
inline double div(double a, double b) {
    if (Q_UNLIKELY(b == 0.0))
        fail(a == 0.0 || std::isnan(a) ? msg::InvalidOperation : msg::DivisionByZero);
    return checked(a / b);
}

// The logarithm of 0 is a division by zero, of a negative number an invalid operation.
inline double log10(double x) {
    if (Q_UNLIKELY(!(x > 0.0)))
        fail(x == 0.0 ? msg::DivisionByZero : msg::InvalidOperation); // NaN is invalid too
    return checked(std::log10(x));
}

// x to a whole power by repeated multiplication, as the formulas write x^2, x^4.
inline double ipow(double x, int n) {
    if (n < 0)
        return div(1.0, ipow(x, -n));
    double result = 1.0;
    for (int i = 0; i < n; ++i)
        result = mul(result, x);
    return result;
}

// x to a real power y; y a whole number is plain repeated multiplication
// (defined for negative x), otherwise x must not be negative.
inline double pow(double x, double y) {
    checked(x);
    checked(y);
    if (y == std::trunc(y) && std::fabs(y) <= 64.0)
        return ipow(x, static_cast<int>(y));
    if (x < 0.0)
        fail(msg::InvalidOperation);
    if (x == 0.0) {
        if (y < 0.0)
            fail(msg::DivisionByZero);
        return 0.0;
    }
    return checked(std::pow(x, y));
}

// Truncation toward zero to an int, range-checked first: NaN is an invalid
// operation, a value outside the int range an overflow.
int truncToInt(double x);
// Truncation toward zero after clamping into [lo, hi]; NaN gives lo.
// For pixel coordinates, where far-away values are simply clipped.
int clampTruncToInt(double x, int lo, int hi);

} // namespace fp
} // namespace dravik
