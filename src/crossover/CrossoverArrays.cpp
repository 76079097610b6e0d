#include "CrossoverArrays.h"

namespace dravik {

std::array<CrossoverArray, FilterSlots> FilterResponse{};
CrossoverArray CrossoverResponse{};

void ResetCrossoverArrays() {
    for (auto &slot : FilterResponse)
        slot.fill(0.0);
    CrossoverResponse.fill(0.0);
}

} // namespace dravik
