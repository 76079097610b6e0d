#pragma once

#include "DesignModel.h"
#include "DesignSetup.h"

#include <QString>

#include <optional>
#include <vector>

namespace dravik {

// One way to wire the design's drivers to the amplifier: how the coils of
// each dual-coil driver are joined, how the drivers are wired together, and
// the load that makes.
struct WiringOption {
    CoilJoin coilJoin = CoilJoin::Series;
    Wiring wiring = Wiring::Parallel;
    double dcResistanceOhm = 0.0;
    std::optional<double> minimumImpedanceOhm; // 10-250 Hz
    bool inUse = false;
};

// Every wiring of the design's drivers that uses all their coils, by DC
// resistance, least first: for dual-coil drivers the coils in series and in
// parallel, each with every wiring of the drivers their count and mounting
// allow; and the one in use when it leaves a coil of each driver open.
// Empty when the design cannot give the load (no usable Re or count).
// The design's curves, where they are at hand, give the load of the coils
// joined as in use without a solve of its own.
std::vector<WiringOption> WiringOptions(const DesignSetup &setup,
                                        const std::vector<double> &frequencies,
                                        const DesignCurves *shown = nullptr);

// A line of the list: its DC resistance first, then the least impedance and
// the wiring: "4 ohm DC, least 3.41 ohm: coils in series, drivers in
// parallel (in use)".
QString WiringOptionText(const WiringOption &option, const DesignSetup &setup);

} // namespace dravik
