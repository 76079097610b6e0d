#include "Fp.h"

#include <cmath>
#include <limits>

namespace dravik {

DravikError::DravikError(const QString &message)
    : std::runtime_error(message.toStdString()), message_(message) {}

void fail(const char *message) {
    throw DravikError(QString::fromLatin1(message));
}

QString reportText(const QString &message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

namespace fp {

double checked(double x) {
    if (std::isnan(x))
        fail(msg::InvalidOperation);
    if (std::isinf(x))
        fail(msg::Overflow);
    return x;
}

double add(double a, double b) {
    return checked(a + b);
}
double sub(double a, double b) {
    return checked(a - b);
}
double mul(double a, double b) {
    return checked(a * b);
}

double div(double a, double b) {
    if (b == 0.0)
        fail(a == 0.0 || std::isnan(a) ? msg::InvalidOperation : msg::DivisionByZero);
    return checked(a / b);
}

double log10(double x) {
    if (std::isnan(x) || x < 0.0)
        fail(msg::InvalidOperation);
    if (x == 0.0)
        fail(msg::DivisionByZero);
    return checked(std::log10(x));
}

double ipow(double x, int n) {
    if (n < 0)
        return div(1.0, ipow(x, -n));
    double result = 1.0;
    for (int i = 0; i < n; ++i)
        result = mul(result, x);
    return result;
}

double pow(double x, double y) {
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

int truncToInt(double x) {
    if (std::isnan(x))
        fail(msg::InvalidOperation);
    const double t = std::trunc(x);
    if (t < static_cast<double>(std::numeric_limits<int>::min()) ||
        t > static_cast<double>(std::numeric_limits<int>::max()))
        fail(msg::Overflow);
    return static_cast<int>(t);
}

int clampTruncToInt(double x, int lo, int hi) {
    if (std::isnan(x) || x <= lo)
        return lo;
    if (x >= hi)
        return hi;
    return static_cast<int>(std::trunc(x));
}

} // namespace fp
} // namespace dravik
