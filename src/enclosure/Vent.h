#pragma once

#include "DesignParameters.h"

namespace dravik {

// Sizes the circular vent of the vented box in the fields EVb and EFb: the
// single-vent length, the vent's area and inner and outer volume, the
// recommended minimum vent figure, the cone area, and the Vent page's three
// "Other Information" lines. Runs after every vented calculation, so the Vent
// page always follows the last computed box. A Vb or Fb of 0 fails with the
// division error after LVent has been cleared.
void ComputeVent(DesignParameters &dp);

} // namespace dravik
