#pragma once

#include "DualComplex.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace dravik {

// The signal chain: line-level filters before the amplifier, in order. Each
// multiplies the amplifier's open-circuit voltage by its response H(f), so
// the excursion, the air velocities, the level and the limits follow it and
// the impedance does not.
enum class FilterType : std::uint8_t {
    HighPass,
    LowPass,
    LinkwitzTransform,
    Peaking,
    LowShelf,
    HighShelf,
    Gain
};
inline constexpr int FilterTypeCount = 7;

// How a high-pass or low-pass filter is aligned.
//   Butterworth      order 1 to 8, maximally flat, -3.01 dB at the corner;
//   Linkwitz-Riley   order 2, 4, 6, 8: a Butterworth of half the order,
//                    squared, -6.02 dB at the corner;
//   Bessel           order 2 to 8, scaled so that its phase at the corner is
//                    half its whole shift (n x 45 degrees);
//   Q                order 2 of a chosen Q: most amplifiers' subsonic filter.
enum class FilterAlignment : std::uint8_t { Butterworth, LinkwitzRiley, Bessel, Q };
inline constexpr int FilterAlignmentCount = 4;

// One filter of the chain. Which values it uses depends on its type:
//   high-pass, low-pass   alignment, order, frequencyHz, q (alignment Q only)
//   Linkwitz transform    frequencyHz and q (the driver's f0 and Q0), fpHz and
//                         qp (the response wanted)
//   peaking               frequencyHz, q, gainDb
//   low and high shelf    frequencyHz, q, gainDb
//   gain                  gainDb
struct FilterStage {
    FilterType type = FilterType::HighPass;
    FilterAlignment alignment = FilterAlignment::Butterworth;
    int order = 2;
    double frequencyHz = 20.0;
    double q = DefaultShelfQ;
    double gainDb = 0.0;
    double fpHz = 20.0;
    double qp = DefaultShelfQ;
    bool enabled = true;

    static constexpr double DefaultShelfQ = 0.7071;
};

bool operator==(const FilterStage &a, const FilterStage &b);
inline bool operator!=(const FilterStage &a, const FilterStage &b) {
    return !(a == b);
}

// The most filters a chain holds.
inline constexpr int MaxFilters = 8;

// The largest gain (or cut) a filter may have, dB: far beyond any use, and
// small enough that the chain's figures stay finite.
inline constexpr double MaxFilterGainDb = 120.0;

// Why a filter cannot be used, naming the value, or empty when it can:
// "Filter 2: the order of a Butterworth high-pass must be 1 to 8."
// `position` counts from 1.
std::optional<QString> FilterFault(const FilterStage &stage, int position);
// The first fault of a chain, more filters than it holds included.
std::optional<QString> ChainFault(const std::vector<FilterStage> &chain);

// A filter as a ratio of two polynomials with real coefficients in the
// normalised frequency x = s / w0, lowest power first: worked out once for
// a design, evaluated at every frequency.
struct PreparedFilter {
    double w0 = 1.0; // rad/s
    std::vector<double> numerator, denominator;
    // At x = j y a polynomial is E(y^2) + j y O(y^2): its even and odd
    // coefficients with their signs, so each frequency costs real arithmetic.
    std::vector<double> numeratorEven, numeratorOdd, denominatorEven, denominatorOdd;
};
PreparedFilter PrepareFilter(const FilterStage &stage);

// The enabled filters of a chain, ready to evaluate.
struct PreparedChain {
    std::vector<PreparedFilter> filters;
    // The product of the filters' responses at s = j w (w in rad/s), with
    // its slope in w; 1 for no filter.
    DualComplex at(double w) const;
};
PreparedChain PrepareChain(const std::vector<FilterStage> &chain);

// The same at one frequency, for a chain used once.
DualComplex ChainResponse(const std::vector<FilterStage> &chain, double w);

// The names the setup file and the window use.
const char *FilterTypeName(FilterType type);           // "high-pass", "linkwitz-transform"
const char *FilterTypeCaption(FilterType type);        // "High-pass", "Linkwitz transform"
const char *FilterAlignmentName(FilterAlignment a);    // "butterworth", "linkwitz-riley"
const char *FilterAlignmentCaption(FilterAlignment a); // "Butterworth", "Linkwitz-Riley"
std::optional<FilterType> FilterTypeNamed(const QString &name);
std::optional<FilterAlignment> FilterAlignmentNamed(const QString &name);

// One line that says what a filter is: "High-pass Butterworth 4th order 18 Hz".
QString FilterText(const FilterStage &stage);

} // namespace dravik
