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

// A filter of frequency, Q and gain: a peaking filter, a shelf.
inline FilterStage Shaping(FilterType type, double hz, double q, double gainDb = 0.0) {
    FilterStage f;
    f.type = type;
    f.frequencyHz = hz;
    f.q = q;
    f.gainDb = gainDb;
    return f;
}

} // namespace dravik::test
