#pragma once

#include <array>

namespace dravik {

// Levels in dB indexed by whole hertz 0 to 1001 (0 to 1000 used).
constexpr int CrossoverSize = 1002;
constexpr int FilterSlots = 4;
using CrossoverArray = std::array<double, CrossoverSize>;

// One program's filter slots and the crossover response they add up to; all
// 0 dB at start. Only the presets write them.
struct Crossover {
    std::array<CrossoverArray, FilterSlots> FilterResponse{};
    CrossoverArray CrossoverResponse{};
};

} // namespace dravik
