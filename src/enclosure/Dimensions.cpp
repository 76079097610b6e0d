#include "Dimensions.h"

namespace dravik {

void ComputeDimensions(DesignParameters &dp) {
    const Real width = dp.number(Field::EFrontWidth);
    const Real height = dp.number(Field::EFrontHeight);
    const Real thickness = dp.number(Field::EMaterialThickness);
    const Real ventVolume = dp.number(Field::ECalcVentOuterVolume);
    const Real boxVolume = dp.number(Field::EFinalVb);
    const Real bracing = dp.number(Field::EBracing);

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
    dp.write(Field::ECalcFrontWidth, width);
    dp.write(Field::ECalcFrontHeight, height);
    dp.write(Field::ECalcTBWidth, width);
    dp.write(Field::ECalcTBHeight, depthMm);
    dp.write(Field::ECalcSideWidth, depthMm);
    dp.write(Field::ECalcSideHeight, 100.0 * innerHeight);
    dp.write(Field::E_OW, width);
    dp.write(Field::E_OH, height);
    dp.write(Field::E_OL, 2.0 * thickness + depthMm);
}

} // namespace dravik
