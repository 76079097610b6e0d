#pragma once

#include "CrossoverArrays.h"
#include "FieldStore.h"
#include "ResponseArrays.h"

namespace dravik {

// Refusal of a save without a file name.
inline const char *const EmptyDesignFileName = "No design file name given";

// Writes the whole design (the fields, CrossoverResponse and SystemResponse at
// 0 to 1000 Hz) as a 4137-line text file named exactly by the field
// EDesignFile, relative to the current directory. The file is written
// beside its final place and put there only when complete, so a failed save
// leaves the previous design file as it was. A line break inside a field's
// text is written as a blank, so every field stays on its own line.
void WriteDesignFile(const FieldStore &main, const Responses &responses,
                     const Crossover &crossover);

} // namespace dravik
