#include "FilterModel.h"

#include "Real.h"

#include <array>
#include <charconv>
#include <stdexcept>

namespace dravik::filters {

namespace {

constexpr int FirstHertz = 0;
constexpr int LastHertz = 1001;

// Chebyshev polynomial of the first kind, T(n, x), by its recurrence.
Real chebyshevT(int n, Real x) {
    Real previous = 1.0;
    Real current = x;
    if (n == 0)
        return previous;
    for (int k = 1; k < n; ++k) {
        const Real next = 2.0 * x * current - previous;
        previous = current;
        current = next;
    }
    return current;
}

// |H|^2 of the low-pass prototype at the normalised frequency w (1 = corner):
// Butterworth 1 / (1 + w^2n); Chebyshev g / (1 + e^2 T(n, w)^2) with
// e^2 = 10^(ripple / 10) - 1 and g = 1 + e^2 for an even order, 1 for an odd
// one, so that the passband far from the corner is at 0 dB in both cases.
Real prototypePowerDb(const AnalogueFilter &filter, Real w) {
    if (filter.alignment == Alignment::Butterworth)
        return -10.0 * log10(1.0 + ipow(w, 2 * filter.order));
    const Real epsilonSquared = pow(10.0, Real(filter.rippleDb) / 10.0) - 1.0;
    const Real t = chebyshevT(filter.order, w);
    Real db = -10.0 * log10(1.0 + epsilonSquared * (t * t));
    if (filter.order % 2 == 0)
        db += 10.0 * log10(1.0 + epsilonSquared);
    return db;
}

} // namespace

const std::vector<AnalogueFilter> &ShippedFilters() {
    static const std::vector<AnalogueFilter> filters = {
        {"HP2C16C.FLT", PassType::HighPass, 2, 16.0, Alignment::Chebyshev, 0.5,
         "Second-order Chebyshev high-pass, 0.5 dB ripple, ripple-band edge 16 Hz"},
        {"LP1C60B.FLT", PassType::LowPass, 1, 60.0, Alignment::Butterworth, 0.0,
         "First-order Butterworth low-pass, -3 dB at 60 Hz"},
        {"LP2C100B.FLT", PassType::LowPass, 2, 100.0, Alignment::Butterworth, 0.0,
         "Second-order Butterworth low-pass, -3 dB at 100 Hz"},
        {"LP2C80B.FLT", PassType::LowPass, 2, 80.0, Alignment::Butterworth, 0.0,
         "Second-order Butterworth low-pass, -3 dB at 80 Hz"},
        {"LP2C70B.FLT", PassType::LowPass, 2, 70.0, Alignment::Butterworth, 0.0,
         "Second-order Butterworth low-pass, -3 dB at 70 Hz"},
        {"H3C19C12.FLT", PassType::HighPass, 3, 19.0, Alignment::Chebyshev, 1.2,
         "Third-order Chebyshev high-pass, 1.2 dB ripple, ripple-band edge 19 Hz"},
        {"LP2C40B.FLT", PassType::LowPass, 2, 40.0, Alignment::Butterworth, 0.0,
         "Second-order Butterworth low-pass, -3 dB at 40 Hz"},
    };
    return filters;
}

const AnalogueFilter &ShippedFilter(const std::string &fileName) {
    for (const AnalogueFilter &filter : ShippedFilters())
        if (fileName == filter.fileName)
            return filter;
    throw std::out_of_range("no shipped filter " + fileName);
}

double MagnitudeDb(const AnalogueFilter &filter, double frequency) {
    // A high-pass is the low-pass prototype at corner / f.
    const Real w = filter.pass == PassType::LowPass ? Real(frequency) / filter.corner
                                                    : Real(filter.corner) / frequency;
    const double db = prototypePowerDb(filter, w).value();
    return db == 0.0 ? 0.0 : db; // never "-0"
}

double ShippedLevel(const AnalogueFilter &filter, int hertz) {
    if (hertz == 0 && filter.pass == PassType::HighPass)
        return MagnitudeDb(filter, 1.0);
    return MagnitudeDb(filter, hertz);
}

std::string ExactDecimal(double value) {
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                      fp::checked(value), std::chars_format::fixed);
    std::string text(buffer.data(), result.ptr);
    if (text.find('.') == std::string::npos)
        text += ".0";
    return text;
}

std::vector<std::string> FilterFileLines(const AnalogueFilter &filter) {
    std::vector<std::string> lines = {
        std::string("Dravik filter response file ") + filter.fileName,
        filter.description,
        "Pairs of lines: frequency in Hz, then level in dB. The level given at f Hz",
        "is the filter's level times f / (f + 1); read into a slot it becomes the level.",
        "{",
    };
    for (int hertz = FirstHertz; hertz <= LastHertz; ++hertz) {
        // Point 0 has no step, so its entry is its level. Every later point
        // fills its own entry with level * (1 + 1 / f) before the next point
        // takes over; the last point only ends the run before it.
        const double level = ShippedLevel(filter, hertz);
        const double scaled = hertz == FirstHertz || hertz == LastHertz
                                  ? level
                                  : (Real(level) * hertz / (hertz + 1.0)).value();
        lines.push_back(std::to_string(hertz));
        lines.push_back(ExactDecimal(scaled));
    }
    lines.push_back("}");
    return lines;
}

} // namespace dravik::filters
