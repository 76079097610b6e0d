#pragma once

#include "SignalChain.h"

namespace dravik::test {

// A high-pass or low-pass filter of the chain, as the tests build them.
inline FilterStage Pass(FilterType type, FilterAlignment alignment, int order, double hz = 100.0) {
    FilterStage f;
    f.type = type;
    f.alignment = alignment;
    f.order = order;
    f.frequencyHz = hz;
    return f;
}

} // namespace dravik::test
