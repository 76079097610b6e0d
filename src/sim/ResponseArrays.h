#pragma once

#include <array>

namespace dravik {

// The program-wide response arrays, indexed by the frequency in whole hertz
// (0 to 20001). Zero at start-up; every calculation overwrites only the
// elements it computes, so they always hold what the last calculation wrote.
constexpr int ResponseSize = 20002;
using ResponseArray = std::array<double, ResponseSize>;

extern ResponseArray SystemResponse;      // level relative to the passband, dB
extern ResponseArray ExcursionLimitSpl;   // level that drives the cone to Xmax, dB
extern ResponseArray ThermalLimitSpl;     // level reached at the rated power, dB
extern ResponseArray ExcursionLimitPower; // electrical power that drives the cone to Xmax, W

// Set only while the subwoofer optimiser searches: the simulation then skips
// its list output and most field writes.
extern bool QuietSimulation;

// Start-up state: all four arrays zero, QuietSimulation clear.
void ResetResponseArrays();

} // namespace dravik
