#pragma once

#include "DesignParameters.h"
#include "ResponseArrays.h"

namespace dravik {

// "Calculate Box from Qtot": the sealed box for the Qtot in ESQtot. Writes
// EPeakSPL, the Vb fields and the Fb fields (the closed-box resonance Fc), and
// SystemResponse, ExcursionLimitSpl, ThermalLimitSpl and ExcursionLimitPower at
// 10 to 250 Hz. No list, no vent, no alfa/ffs/F3 fields. Inputs are not
// checked: a Qtot below the usable range gives a negative Vb.
void ComputeClosedBox(DesignParameters &dp, Responses &responses);

} // namespace dravik
