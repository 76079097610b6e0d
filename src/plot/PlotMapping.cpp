#include "PlotMapping.h"

#include "Fp.h"

#include <algorithm>

namespace dravik {

namespace {

int clampToPixels(double v) {
    return fp::clampTruncToInt(v, -PlotPixelLimit, PlotPixelLimit);
}

} // namespace

int PlotMapping::x(int frequency) const {
    if (frequency < 1)
        return -PlotPixelLimit;
    // Plain products on purpose: the scale is always finite here and an
    // overflow to infinity is clamped below, because drawing never fails.
    const double decades = fp::log10(frequency);
    const int position = clampToPixels(decades * 10 * 32 * 1.4 * xScale);
    const int origin = clampToPixels(500 * xScale);
    return std::clamp(position - origin, -PlotPixelLimit, PlotPixelLimit);
}

int PlotMapping::levelOffset(double level) const {
    // Levels come straight from the response arrays and may be anything;
    // infinity and NaN are turned into far-away pixels by the clamp.
    return clampToPixels(level * 16 * 1.4 * yScale);
}

} // namespace dravik
