#pragma once

#include "DesignParameters.h"
#include "ResponseArrays.h"

namespace dravik {

// Peak level, acoustic and electrical power from the driver fields and the F3
// in E3dB (the diameter read in inches here), and the levels at 25 Hz from
// SystemResponse[25]: writes EPeakSPL, EPar, EPer, EdBmag25 and ESPL100W. A Qes
// of 0 is taken as 1 and reported with the line "Error" in ListBox2.
void ComputePowerFigures(DesignParameters &dp, const Responses &r);

// Half the rated power as the recommended amplifier power, and the level it
// gives at 25 Hz: writes ERecPwr and ERecPwrResult.
void ComputeRecommendedPower(DesignParameters &dp, const Responses &r);

// "Calculate from Vb and Fb" without its window work: the simulation of the
// box as typed, the number of drivers back to 1, the power figures and the
// recommended power. A failure stops it at that step; the caller shows and
// repaints the plot window only after it returns.
void CalculateFromVbAndFb(DesignParameters &dp, Responses &r);

} // namespace dravik
