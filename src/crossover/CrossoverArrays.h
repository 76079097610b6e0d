#pragma once

#include <array>

namespace dravik {

// Levels in dB indexed by whole hertz 0 to 1001 (0 to 1000 used).
constexpr int CrossoverSize = 1002;
constexpr int FilterSlots = 4;
using CrossoverArray = std::array<double, CrossoverSize>;

extern std::array<CrossoverArray, FilterSlots> FilterResponse;
extern CrossoverArray CrossoverResponse;

// Start-up state: everything 0 dB.
void ResetCrossoverArrays();

} // namespace dravik
