#pragma once

#include "AlignmentTables.h"
#include "CrossoverArrays.h"
#include "PlotSettings.h"
#include "ResponseArrays.h"

namespace dravik {

// Everything a running program holds besides its windows' fields: the
// response arrays and the optimiser's quiet flag, the crossover slots and
// response, the alignment tables and the plot settings. Program owns one and
// hands each window and command the part it works on, so two programs in
// one process never share a number.
struct ProgramState {
    Responses responses;
    Crossover crossover;
    AlignmentTables tables;
    PlotSettings plot;
};

} // namespace dravik
