#include "ResponseArrays.h"

namespace dravik {

ResponseArray SystemResponse{};
ResponseArray ExcursionLimitSpl{};
ResponseArray ThermalLimitSpl{};
ResponseArray ExcursionLimitPower{};
bool QuietSimulation = false;

void ResetResponseArrays() {
    SystemResponse.fill(0.0);
    ExcursionLimitSpl.fill(0.0);
    ThermalLimitSpl.fill(0.0);
    ExcursionLimitPower.fill(0.0);
    QuietSimulation = false;
}

} // namespace dravik
