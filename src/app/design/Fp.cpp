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

void failNonFinite(double x) {
    fail(std::isnan(x) ? msg::InvalidOperation : msg::Overflow);
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
