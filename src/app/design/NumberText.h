#pragma once

#include "Real.h"

#include <QString>

#include <optional>

namespace dravik {

// Number to field text in fixed notation with `decimals` digits after a point
// ("%.2f" is decimals = 2, "%.0f" decimals = 0). The value is first taken to
// 18 significant decimal digits, and that decimal form is then cut to the
// wanted decimals with an exact half going away from zero: 0.125 -> "0.13",
// -0.125 -> "-0.13", 1e20 -> "100000000000000000000.00". Never an exponent,
// always a point, whatever the desktop's regional settings. A value that
// comes out as zero is written without a minus sign ("0.00", never "-0.00").
QString FormatFieldValue(double value, int decimals = 2);
inline QString FormatFieldValue(Real value, int decimals = 2) {
    return FormatFieldValue(value.value(), decimals);
}

// Whole number in plain decimal ("%d").
QString FormatInteger(long long value);

// Field text to number; never fails. The whole text must be a number:
// leading spaces, an optional sign, digits with at most one point, an
// optional exponent ("E" or "e", optional sign, at least one digit), and
// nothing after. The number is the nearest double to the decimal text.
// Anything else reads as 0: empty or blank text, "?", and also text that
// begins like a number but does not end as one ("32.9 Hz", "1,5", "5 "),
// and a number beyond the range of a double (1e400). A number too small for
// a double (1e-400) reads as 0 as well.
double ParseFieldText(const QString &text);

// A whole number as the program's data files write one (a count, an index, a
// frequency in hertz): blanks, an optional sign, at least one digit, then
// blanks where `blanksAfter` allows them, and nothing else; none for any
// other text. Digits saturate at `saturation`, so a long number stays out of
// range instead of wrapping round into it. A blank is the space character.
enum class BlanksAfter { Refused, Allowed };
std::optional<long long> ParseWholeNumber(const QString &text, long long saturation,
                                          BlanksAfter blanksAfter);

} // namespace dravik
