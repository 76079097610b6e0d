#pragma once

#include "AlignmentTables.h"
#include "DesignParameters.h"
#include "ResponseArrays.h"

#include <functional>

namespace dravik {

// Asks the plot window to repaint itself; may be empty.
using PlotRepaint = std::function<void()>;

// Tabulated alignments: box from the SBB4 or SC4 row of the driver's Qts, then
// the full simulation. Without a row (Qts outside the table) they fall back to
// the maximally flat box tuned to Fs, simulated, with "Flat alignment
// calculated." as the last line of ListBox2.
void ComputeSBB4Alignment(DesignParameters &dp, Responses &r, const AlignmentTables &tables,
                          const PlotRepaint &repaint);
void ComputeSC4Alignment(DesignParameters &dp, Responses &r, const AlignmentTables &tables,
                         const PlotRepaint &repaint);

// Formula alignments in Qts with their own response model; all four box
// figures are computed before the first field is written, so a failure there
// leaves every field and ListBox2 unchanged. The ideal alignment does not
// write E3dB.
void ComputeFlatAlignment(DesignParameters &dp, Responses &r, const PlotRepaint &repaint);
void ComputeIdealAlignment(DesignParameters &dp, Responses &r, const PlotRepaint &repaint);

// Fourth-order vented-box response with a box loss QL of 7, written into
// `system` (a SystemResponse) at 10 to 250 Hz.
void ComputeVentedModelResponse(ResponseArray &system, Real fs, Real fb, Real qts, Real vas,
                                Real vb);

// The search of "Optimize for subwoofer use": tunes to ETargetFb and tries
// Vb = 10, 11, ..., 300 litres until the level at 20 Hz reaches ETargetDbmag;
// the last Vb tried stays in the fields. Runs the simulation as it stands
// (the command sets r.QuietSimulation around it).
void OptimizeForSubwoofer(DesignParameters &dp, Responses &r);

// The optimiser command without its window work: the quiet search, then one
// simulation with the full listing. r.QuietSimulation is cleared again also
// when the search fails. The caller shows the plot window after it returns.
void RunSubwooferOptimizer(DesignParameters &dp, Responses &r);

} // namespace dravik
