#include "NumberText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>
#include <vector>

namespace dravik {

namespace {

constexpr int SignificantDigits = 18;

// The value's 18 significant digits and the decimal exponent of the first one.
struct DecimalForm {
    std::array<int, SignificantDigits> digits{};
    int exponent = 0;
};

DecimalForm toDecimalForm(double magnitude) {
    std::array<char, 64> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), magnitude,
                                   std::chars_format::scientific, SignificantDigits - 1);
    DecimalForm form;
    const char *p = buf.data();
    int n = 0;
    for (; p < res.ptr && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9' && n < SignificantDigits)
            form.digits[static_cast<size_t>(n++)] = *p - '0';
    }
    if (p < res.ptr && *p == 'e')
        std::from_chars(p[1] == '+' ? p + 2 : p + 1, res.ptr, form.exponent);
    return form;
}

} // namespace

QString FormatFieldValue(double value, int decimals) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (decimals < 0)
        decimals = 0;
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);

    // Digits for the decimal places from max(exponent, 0) down to -decimals.
    std::vector<int> places;
    bool roundUp = false;
    if (magnitude != 0.0) {
        const DecimalForm form = toDecimalForm(magnitude);
        const int top = std::max(form.exponent, 0);
        places.reserve(static_cast<size_t>(top + decimals + 2));
        for (int p = top; p >= -decimals; --p) {
            const int k = form.exponent - p;
            places.push_back(k >= 0 && k < SignificantDigits ? form.digits[static_cast<size_t>(k)]
                                                             : 0);
        }
        const int firstDropped = form.exponent + decimals + 1;
        roundUp = firstDropped >= 0 && firstDropped < SignificantDigits &&
                  form.digits[static_cast<size_t>(firstDropped)] >= 5;
    } else {
        places.assign(static_cast<size_t>(decimals + 1), 0);
    }
    if (roundUp) {
        size_t i = places.size();
        while (i > 0) {
            --i;
            if (++places[i] < 10)
                break;
            places[i] = 0;
            if (i == 0)
                places.insert(places.begin(), 1);
        }
    }

    const size_t intCount = places.size() - static_cast<size_t>(decimals);
    size_t firstNonZero = 0;
    while (firstNonZero + 1 < intCount && places[firstNonZero] == 0)
        ++firstNonZero;
    bool allZero = true;
    for (int d : places)
        allZero = allZero && d == 0;

    std::string out;
    out.reserve(places.size() + 2);
    if (negative && !allZero)
        out.push_back('-');
    for (size_t i = firstNonZero; i < intCount; ++i)
        out.push_back(static_cast<char>('0' + places[i]));
    if (decimals > 0) {
        out.push_back('.');
        for (size_t i = intCount; i < places.size(); ++i)
            out.push_back(static_cast<char>('0' + places[i]));
    }
    return QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()));
}

QString FormatInteger(long long value) {
    return QString::number(value);
}

double ParseFieldText(const QString &text) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    auto isDigit = [&](qsizetype k) {
        return k < n && text[k] >= QLatin1Char('0') && text[k] <= QLatin1Char('9');
    };

    std::string number; // the accepted text, without a leading "+"
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        if (text[i] == QLatin1Char('-'))
            number.push_back('-');
        ++i;
    }
    int mantissaDigits = 0;
    while (isDigit(i)) {
        number.push_back(static_cast<char>(text[i++].unicode()));
        ++mantissaDigits;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        number.push_back('.');
        ++i;
        while (isDigit(i)) {
            number.push_back(static_cast<char>(text[i++].unicode()));
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return 0.0;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        number.push_back('e');
        ++i;
        if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
            number.push_back(static_cast<char>(text[i++].unicode()));
        if (!isDigit(i))
            return 0.0;
        while (isDigit(i))
            number.push_back(static_cast<char>(text[i++].unicode()));
    }
    if (i != n)
        return 0.0;

    double value = 0.0;
    const auto res = std::from_chars(number.data(), number.data() + number.size(), value,
                                     std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != number.data() + number.size() || !std::isfinite(value))
        return 0.0;
    return value;
}

std::optional<long long> ParseWholeNumber(const QString &text, long long saturation,
                                          BlanksAfter blanksAfter) {
    const auto isBlank = [&text](qsizetype i) { return text[i] == QLatin1Char(' '); };
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && isBlank(i))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    const qsizetype firstDigit = i;
    long long value = 0;
    while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
        value = std::min(value * 10 + (text[i].unicode() - '0'), saturation);
        ++i;
    }
    if (i == firstDigit)
        return std::nullopt;
    if (blanksAfter == BlanksAfter::Allowed)
        while (i < n && isBlank(i))
            ++i;
    if (i != n)
        return std::nullopt;
    return negative ? -value : value;
}

} // namespace dravik
