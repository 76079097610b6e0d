#include "Dimensions.h"

namespace dravik {

void ComputeDimensions(DesignParameters &dp) {
    const Real width = dp.number("EFrontWidth");
    const Real height = dp.number("EFrontHeight");
    const Real thickness = dp.number("EMaterialThickness");
    const Real ventVolume = dp.number("ECalcVentOuterVolume");
    const Real boxVolume = dp.number("EFinalVb");
    const Real bracing = dp.number("EBracing");

    // Bracing is a percentage of the box volume; the vent tube is added whole.
    const Real gross = (1.0 + bracing / 100.0) * boxVolume + ventVolume;

    // Decimetres, so that litres are cubic decimetres.
    const Real w = width / 100.0;
    const Real h = height / 100.0;
    const Real walls = 2.0 * thickness / 100.0;
    const Real innerHeight = h - walls;
    const Real section = (w - walls) * innerHeight;
    const Real depth = gross / section;
    const Real depthMm = 100.0 * depth;

    // Front and rear span the full front; top and bottom run the full width
    // between them; the sides sit between top and bottom.
    dp.write("ECalcFrontWidth", width);
    dp.write("ECalcFrontHeight", height);
    dp.write("ECalcTBWidth", width);
    dp.write("ECalcTBHeight", depthMm);
    dp.write("ECalcSideWidth", depthMm);
    dp.write("ECalcSideHeight", 100.0 * innerHeight);
    dp.write("E_OW", width);
    dp.write("E_OH", height);
    dp.write("E_OL", 2.0 * thickness + depthMm);
}

} // namespace dravik
