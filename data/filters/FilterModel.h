#pragma once

#include <string>
#include <vector>

namespace dravik::filters {

// The analogue filters behind the shipped filter response files.

enum class PassType { HighPass, LowPass };
enum class Alignment { Butterworth, Chebyshev };

struct AnalogueFilter {
    const char *fileName; // "HP2C16C.FLT"
    PassType pass;
    int order;
    double corner; // Hz: the -3 dB point of a Butterworth, the ripple-band edge of a Chebyshev
    Alignment alignment;
    double rippleDb; // Chebyshev only
    const char *description;
};

// The seven files that the crossover presets load.
const std::vector<AnalogueFilter> &ShippedFilters();
// The filter of that file name; throws std::out_of_range for another name.
const AnalogueFilter &ShippedFilter(const std::string &fileName);

// The filter's magnitude in dB at a frequency in hertz. The passband far from
// the corner is 0 dB. A high-pass has no finite level at 0 Hz: frequency must
// then be above 0.
double MagnitudeDb(const AnalogueFilter &filter, double frequency);

// The level that the file gives for a whole hertz from 0 to 1001: the
// magnitude itself, except that a high-pass repeats its 1 Hz level at 0 Hz.
double ShippedLevel(const AnalogueFilter &filter, int hertz);

// The lines of the filter response file: a description, "{", a point for
// every hertz from 0 to 1001, "}". Each level is scaled so that the program's
// reader, which fills entry f with level + level / f, ends up with
// ShippedLevel at every whole hertz from 0 to 1000.
std::vector<std::string> FilterFileLines(const AnalogueFilter &filter);

// Shortest text that reads back as exactly this double, in fixed notation
// with a point ("-3.0103", "0.0"). Independent of the locale.
std::string ExactDecimal(double value);

} // namespace dravik::filters
