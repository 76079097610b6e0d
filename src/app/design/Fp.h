#pragma once

#include <QString>

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
} // namespace msg

[[noreturn]] void fail(const char *message);

// The text of the error report: the message with a full stop appended when
// its last character sorts after the full stop (a letter or a digit).
QString reportText(const QString &message);

// Checked floating-point arithmetic. Every step of a calculation goes through
// these, so a fault is found by looking at the operands, never by reading
// floating-point status flags, and the result is the same under every
// compiler option.
namespace fp {

// A finished result: infinity means a finite computation overflowed,
// NaN an invalid operation.
double checked(double x);

double add(double a, double b);
double sub(double a, double b);
double mul(double a, double b);
double div(double a, double b);
double log10(double x);
// x to a real power y; y a whole number is plain repeated multiplication
// (defined for negative x), otherwise x must not be negative.
double pow(double x, double y);
// x to a whole power by repeated multiplication, as the formulas write x^2, x^4.
double ipow(double x, int n);

// Truncation toward zero to an int, range-checked first: NaN is an invalid
// operation, a value outside the int range an overflow.
int truncToInt(double x);
// Truncation toward zero after clamping into [lo, hi]; NaN gives lo.
// For pixel coordinates, where far-away values are simply clipped.
int clampTruncToInt(double x, int lo, int hi);

} // namespace fp
} // namespace dravik
