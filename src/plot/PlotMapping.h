#pragma once

namespace dravik {

// Pixel coordinates further out than this lie far outside the picture anyway.
// Every conversion to an integer clamps to it first, so NaN, infinite or huge
// levels become a clipped coordinate instead of a fault, and every line the
// canvas steps through stays bounded.
constexpr int PlotPixelLimit = 1000000;

// The level of the 0 dB line.
constexpr int PlotZeroLevelY = 50;

// The plot's mappings from frequency and level to picture pixels. Both
// truncate toward zero (not round, not floor), which decides where the grid
// lines fall, so the products are formed exactly in this order.
struct PlotMapping {
    double xScale;
    double yScale;

    // X(f) = trunc(log10(f) * 10 * 32 * 1.4 * xScale) - trunc(500 * xScale).
    // A frequency below 1 Hz has no place on the axis and maps far left.
    int x(int frequency) const;

    // trunc(level * 16 * 1.4 * yScale): how far below the 0 dB line a level
    // of -level dB lies, used for the level grid rows.
    int levelOffset(double level) const;

    // y(L) = 50 - trunc(L * 16 * 1.4 * yScale).
    int y(double level) const { return PlotZeroLevelY - levelOffset(level); }
};

} // namespace dravik
