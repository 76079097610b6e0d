#pragma once

#include <array>

namespace dravik {

// The response arrays, indexed by the frequency in whole hertz (0 to 20001).
// Zero at start; every calculation overwrites only the elements it computes,
// so they always hold what the last calculation wrote.
constexpr int ResponseSize = 20002;
using ResponseArray = std::array<double, ResponseSize>;

// One program's responses, and the flag the optimiser's search sets: the
// simulation then skips its list output and most field writes. The program
// owns one set; every calculation is handed the set it works on.
struct Responses {
    ResponseArray SystemResponse{};      // level relative to the passband, dB
    ResponseArray ExcursionLimitSpl{};   // level that drives the cone to Xmax, dB
    ResponseArray ThermalLimitSpl{};     // level reached at the rated power, dB
    ResponseArray ExcursionLimitPower{}; // electrical power that drives the cone to Xmax, W
    bool QuietSimulation = false;
};

} // namespace dravik
