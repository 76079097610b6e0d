#include "Presets.h"

#include "FilterFile.h"

#include <initializer_list>

namespace dravik {

namespace {

// Clears, loads the files into slots 0, 1, ... in order, combines and lists.
// A failing load throws out of here before the combination, so the list keeps
// the previous crossover.
void applyPreset(Crossover &crossover, FieldStore &main, std::initializer_list<const char *> files,
                 void (*combine)(Crossover &)) {
    ClearCrossover(crossover);
    int slot = 0;
    for (const char *file : files)
        LoadFilterFile(crossover, slot++, QString::fromLatin1(file));
    combine(crossover);
    ShowCrossoverResponse(crossover, main);
}

} // namespace

void ApplyQuorvel100(Crossover &crossover, FieldStore &main) {
    applyPreset(crossover, main, {"HP2C16C.FLT", "LP1C60B.FLT", "LP2C100B.FLT", "LP2C100B.FLT"},
                CombineFourFilters);
}

void ApplyQuorvel80(Crossover &crossover, FieldStore &main) {
    applyPreset(crossover, main, {"HP2C16C.FLT", "LP1C60B.FLT", "LP2C80B.FLT", "LP2C80B.FLT"},
                CombineFourFilters);
}

void ApplyQuorvel70(Crossover &crossover, FieldStore &main) {
    applyPreset(crossover, main, {"HP2C16C.FLT", "LP1C60B.FLT", "LP2C70B.FLT", "LP2C70B.FLT"},
                CombineFourFilters);
}

void ApplyPelmo100_1(Crossover &crossover, FieldStore &main) {
    applyPreset(crossover, main, {"H3C19C12.FLT", "LP2C40B.FLT"}, CombineTwoFilters);
}

} // namespace dravik
