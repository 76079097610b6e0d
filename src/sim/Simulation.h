#pragma once

#include "DesignParameters.h"
#include "ResponseArrays.h"

namespace dravik {

// The vented-box simulator. Reads the driver and the box (EVb, EFb) from the
// fields, writes the box figures, SystemResponse and ExcursionLimitSpl of `r` at 10 to
// 250 Hz, the Box page summary (ListBox2), the Analysis page's data point lists
// and the "dbmag:" lines of ListBox1, then runs the vent calculator.
//
// While r.QuietSimulation is set (the subwoofer optimiser's search) it writes
// only ESd, EPar, the five Vb fields and the two arrays, empties the data point
// lists and adds no list line; the vent calculator still runs.
//
// A floating-point fault stops the run at that step with DravikError; what was
// written before stays, and the vent calculator does not run.
void SimulateVentedResponse(DesignParameters &dp, Responses &r);

// Empties Datapoints1 to Datapoints5, in that order.
void ClearDatapointLists(DesignParameters &dp);

} // namespace dravik
