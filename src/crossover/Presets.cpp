#include "Presets.h"

#include "FilterFile.h"

#include <initializer_list>

namespace dravik {

namespace {

// Clears, loads the files into slots 0, 1, ... in order, combines and lists.
// A failing load throws out of here before the combination, so the list keeps
// the previous crossover.
void applyPreset(FieldStore &main, std::initializer_list<const char *> files, void (*combine)()) {
    ClearCrossover();
    int slot = 0;
    for (const char *file : files)
        LoadFilterFile(slot++, QString::fromLatin1(file));
    combine();
    ShowCrossoverResponse(main);
}

} // namespace

void ApplyQuorvel100(FieldStore &main) {
    applyPreset(main, {"HP2C16C.FLT", "LP1C60B.FLT", "LP2C100B.FLT", "LP2C100B.FLT"},
                CombineFourFilters);
}

void ApplyQuorvel80(FieldStore &main) {
    applyPreset(main, {"HP2C16C.FLT", "LP1C60B.FLT", "LP2C80B.FLT", "LP2C80B.FLT"},
                CombineFourFilters);
}

void ApplyQuorvel70(FieldStore &main) {
    applyPreset(main, {"HP2C16C.FLT", "LP1C60B.FLT", "LP2C70B.FLT", "LP2C70B.FLT"},
                CombineFourFilters);
}

void ApplyPelmo100_1(FieldStore &main) {
    applyPreset(main, {"H3C19C12.FLT", "LP2C40B.FLT"}, CombineTwoFilters);
}

} // namespace dravik
