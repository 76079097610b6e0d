// Fuzz target: the field text parser and the number formatter.
//
// The input is a field's text (read as UTF-8 and again as Latin-1). Checked:
// - the value is finite, and is the nearest double of the text when the text
//   is a number by the field grammar (0 for any other text, and for numbers
//   beyond the range of a double), compared with the C library's strtod;
// - the text of that value ("%.2f") is what an independent decimal formatter
//   gives, reads back within half a hundredth, and reading and writing it
//   again changes nothing;
// - the first eight bytes, taken as a double, format the same way.

#include "FuzzSupport.h"
#include "NumberText.h"

#include <QString>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using dravik::FormatFieldValue;
using dravik::ParseFieldText;
using dravik::fuzz::show;

namespace {

// --- The field grammar as a state machine ---------------------------------

enum class State { Blanks, Sign, Whole, WholePoint, Point, Fraction, ExpMark, ExpSign, Exponent };

bool accepting(State s) {
    return s == State::Whole || s == State::WholePoint || s == State::Fraction ||
           s == State::Exponent;
}

// The next state, or false when the character cannot follow.
bool step(State s, char16_t c, State &next) {
    const bool digit = c >= u'0' && c <= u'9';
    const bool sign = c == u'+' || c == u'-';
    const bool point = c == u'.';
    const bool expMark = c == u'e' || c == u'E';
    switch (s) {
    case State::Blanks:
        next = c == u' ' ? State::Blanks : sign ? State::Sign : digit ? State::Whole : State::Point;
        return c == u' ' || sign || digit || point;
    case State::Sign:
        next = digit ? State::Whole : State::Point;
        return digit || point;
    case State::Whole:
        next = digit ? State::Whole : point ? State::WholePoint : State::ExpMark;
        return digit || point || expMark;
    case State::WholePoint:
    case State::Point:
    case State::Fraction:
        if (s != State::Point && expMark) {
            next = State::ExpMark;
            return true;
        }
        next = State::Fraction;
        return digit;
    case State::ExpMark:
        next = digit ? State::Exponent : State::ExpSign;
        return digit || sign;
    case State::ExpSign:
    case State::Exponent:
        next = State::Exponent;
        return digit;
    }
    return false;
}

// True when the whole text is a number; `number` is then its ASCII text
// without the leading blanks.
bool fieldNumber(const QString &text, std::string &number) {
    number.clear();
    State s = State::Blanks;
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (!step(s, c, s))
            return false;
        if (s != State::Blanks)
            number.push_back(static_cast<char>(c));
    }
    return accepting(s);
}

// --- An independent "%.2f" of the 18-digit decimal form -------------------

// Every significant digit of |x| (a double has at most 767) and the decimal
// exponent of the first.
struct ExactDecimal {
    std::string digits;
    int exponent = 0;
};

ExactDecimal exactDecimal(double magnitude) {
    static char buf[1024];
    std::snprintf(buf, sizeof buf, "%.770e", magnitude);
    ExactDecimal d;
    const char *e = std::strchr(buf, 'e');
    for (const char *p = buf; p < e; ++p) {
        if (*p != '.')
            d.digits.push_back(*p);
    }
    d.exponent = std::atoi(e + 1);
    return d;
}

// Adds one unit in the last place of a digit string; true when it carried out.
bool incrementDigits(std::string &digits) {
    for (size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    return true;
}

// The value as a fixed-point decimal string "intdigits.fracdigits" with at
// least `fractionDigits` digits after the point, from 18 significant digits.
// `upOnTie` decides a value exactly halfway between two 18-digit decimals,
// where the rounding rule of the 18-digit step is left open.
std::string eighteenDigitFixed(const ExactDecimal &exact, bool upOnTie, int fractionDigits) {
    std::string keep = exact.digits.substr(0, 18);
    int exponent = exact.exponent;
    const std::string rest = exact.digits.substr(18);
    const bool restBeyondHalf = rest.find_first_not_of('0', 1) != std::string::npos;
    const bool up = rest[0] > '5' || (rest[0] == '5' && (restBeyondHalf || upOnTie));
    if (up && incrementDigits(keep)) {
        keep = "1" + keep.substr(0, 17);
        ++exponent;
    }
    // keep[0] stands at 10^exponent.
    std::string whole, fraction;
    if (exponent < 0) {
        whole = "0";
        fraction = std::string(static_cast<size_t>(-exponent - 1), '0') + keep;
    } else if (exponent + 1 >= 18) {
        whole = keep + std::string(static_cast<size_t>(exponent + 1 - 18), '0');
    } else {
        whole = keep.substr(0, static_cast<size_t>(exponent + 1));
        fraction = keep.substr(static_cast<size_t>(exponent + 1));
    }
    if (fraction.size() < static_cast<size_t>(fractionDigits + 1))
        fraction.resize(static_cast<size_t>(fractionDigits + 1), '0');
    return whole + "." + fraction;
}

// Cuts the fixed-point string to `decimals` places, an exact half (in the
// decimal form) going away from zero, and writes the sign.
std::string cutToDecimals(const std::string &fixed, int decimals, bool negative) {
    const size_t point = fixed.find('.');
    std::string digits = fixed.substr(0, point) + fixed.substr(point + 1);
    const size_t keepCount = point + static_cast<size_t>(decimals);
    const bool up = digits[keepCount] >= '5';
    digits.resize(keepCount);
    size_t wholeCount = point;
    if (up && incrementDigits(digits)) {
        digits.insert(digits.begin(), '1');
        ++wholeCount;
    }
    std::string whole = digits.substr(0, wholeCount);
    const std::string fraction = digits.substr(wholeCount);
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
    const bool zero = digits.find_first_not_of('0') == std::string::npos;
    std::string out = negative && !zero ? "-" : "";
    out += whole;
    if (decimals > 0)
        out += "." + fraction;
    return out;
}

std::vector<std::string> referenceTexts(double x, int decimals) {
    if (x == 0.0)
        return {cutToDecimals("0." + std::string(static_cast<size_t>(decimals + 1), '0'), decimals,
                              false)};
    const ExactDecimal exact = exactDecimal(std::fabs(x));
    const bool negative = std::signbit(x);
    return {cutToDecimals(eighteenDigitFixed(exact, false, decimals), decimals, negative),
            cutToDecimals(eighteenDigitFixed(exact, true, decimals), decimals, negative)};
}

// --- Checks ---------------------------------------------------------------

// "-"?, digits without a superfluous leading zero, and a point with exactly
// `decimals` digits when decimals > 0; never a minus before a zero.
bool wellFormed(const QString &text, int decimals) {
    const std::string s = text.toStdString();
    size_t i = s.size() > 0 && s[0] == '-' ? 1 : 0;
    const size_t wholeStart = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        ++i;
    const size_t wholeCount = i - wholeStart;
    if (wholeCount == 0 || (wholeCount > 1 && s[wholeStart] == '0'))
        return false;
    if (decimals > 0) {
        if (i >= s.size() || s[i] != '.')
            return false;
        ++i;
        const size_t fractionStart = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i;
        if (i - fractionStart != static_cast<size_t>(decimals))
            return false;
    }
    if (i != s.size())
        return false;
    const bool zero = s.find_first_of("123456789") == std::string::npos;
    return !(zero && s[0] == '-');
}

// Below this magnitude a double resolves hundredths (its spacing is at most
// 2^-7), so a "%.2f" text reads back to a value that writes the same text.
constexpr double ExactHundredths = 70368744177664.0; // 2^46

void checkFormat(double x, int decimals) {
    const QString text = FormatFieldValue(x, decimals);
    if (std::isnan(x)) {
        FUZZ_CHECK(text == QStringLiteral("NAN"), show(text));
        return;
    }
    if (std::isinf(x)) {
        FUZZ_CHECK(text == (x < 0 ? QStringLiteral("-INF") : QStringLiteral("INF")), show(text));
        return;
    }
    FUZZ_CHECK(wellFormed(text, decimals), show(x) + " -> " + show(text));

    const std::vector<std::string> expected = referenceTexts(x, decimals);
    const std::string got = text.toStdString();
    FUZZ_CHECK(got == expected[0] || got == expected[1],
               show(x) + " -> " + got + ", expected " + expected[0]);

    const double back = ParseFieldText(text);
    FUZZ_CHECK(std::isfinite(back), show(text));
    const double half = 0.5 * std::pow(10.0, -decimals);
    const double spacing = std::nextafter(std::fabs(x), INFINITY) - std::fabs(x);
    FUZZ_CHECK(std::fabs(back - x) <= half * (1 + 1e-12) + 2 * spacing,
               show(x) + " -> " + show(text) + " -> " + show(back));

    if (decimals != 2)
        return;
    const QString again = FormatFieldValue(back);
    if (std::fabs(x) < ExactHundredths)
        FUZZ_CHECK(again == text, show(x) + ": " + show(text) + " then " + show(again));
    const QString third = FormatFieldValue(ParseFieldText(again));
    FUZZ_CHECK(third == again, show(x) + ": " + show(again) + " then " + show(third));
}

void checkParse(const QString &text) {
    const double value = ParseFieldText(text);
    FUZZ_CHECK(std::isfinite(value), show(text) + " -> " + show(value));

    std::string number;
    if (!fieldNumber(text, number)) {
        FUZZ_CHECK(value == 0.0, show(text) + " is not a number but read " + show(value));
    } else {
        const double nearest = std::strtod(number.c_str(), nullptr);
        if (!std::isfinite(nearest)) {
            FUZZ_CHECK(value == 0.0, show(text) + " is beyond a double but read " + show(value));
        } else if (std::fabs(nearest) < DBL_MIN) {
            // Too small for a normal double: 0 or the nearest subnormal.
            FUZZ_CHECK(value == 0.0 || value == nearest,
                       show(text) + " read " + show(value) + ", nearest " + show(nearest));
        } else {
            FUZZ_CHECK(value == nearest,
                       show(text) + " read " + show(value) + ", nearest " + show(nearest));
        }
    }
    checkFormat(value, 2);
    checkFormat(value, 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const char *bytes = reinterpret_cast<const char *>(data);
    const auto length = static_cast<qsizetype>(size);
    checkParse(QString::fromUtf8(bytes, length));
    checkParse(QString::fromLatin1(bytes, length));

    if (size >= sizeof(double)) {
        double raw;
        std::memcpy(&raw, data, sizeof raw);
        checkFormat(raw, 2);
        checkFormat(raw, 0);
    }
    return 0;
}
