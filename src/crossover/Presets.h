#pragma once

#include "CrossoverArrays.h"
#include "FieldStore.h"

namespace dravik {

// The ready-made crossovers. Each clears all slots, loads its filter files
// into slots 0 upwards, adds the slots into CrossoverResponse and lists it.
// A file that cannot be read stops the preset there: earlier slots keep what
// they loaded, CrossoverResponse stays cleared and the list keeps showing the
// previous crossover.

// "Quorvel 100 Hz": HP2C16C, LP1C60B, LP2C100B twice.
void ApplyQuorvel100(Crossover &crossover, FieldStore &main);
// "Quorvel 80 Hz": HP2C16C, LP1C60B, LP2C80B twice.
void ApplyQuorvel80(Crossover &crossover, FieldStore &main);
// "Quorvel 70 Hz": HP2C16C, LP1C60B, LP2C70B twice.
void ApplyQuorvel70(Crossover &crossover, FieldStore &main);
// "Pelmo 100/1": H3C19C12 and LP2C40B.
void ApplyPelmo100_1(Crossover &crossover, FieldStore &main);

} // namespace dravik
