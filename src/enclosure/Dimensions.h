#pragma once

#include "DesignParameters.h"

namespace dravik {

// "Calculate dimensions": the inner depth of a box of the given outer front
// (EFrontWidth x EFrontHeight) and wall thickness that holds EFinalVb plus the
// bracing allowance plus the vent's outer volume; writes the six panels' sizes
// and the outer dimensions. Fails with the division error, before any field is
// written, when the inner cross-section is 0.
void ComputeDimensions(DesignParameters &dp);

} // namespace dravik
