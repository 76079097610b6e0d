#include "Dimensions.h"

#include "Fp.h"

namespace dravik {

void ComputeDimensions(DesignParameters &dp) {
    using fp::add;
    using fp::div;
    using fp::mul;
    using fp::sub;
    const double width = dp.number("EFrontWidth");
    const double height = dp.number("EFrontHeight");
    const double thickness = dp.number("EMaterialThickness");
    const double ventVolume = dp.number("ECalcVentOuterVolume");
    const double boxVolume = dp.number("EFinalVb");
    const double bracing = dp.number("EBracing");

    // Bracing is a percentage of the box volume; the vent tube is added whole.
    const double gross = add(mul(add(1.0, div(bracing, 100.0)), boxVolume), ventVolume);

    // Decimetres, so that litres are cubic decimetres.
    const double w = div(width, 100.0);
    const double h = div(height, 100.0);
    const double walls = div(mul(2.0, thickness), 100.0);
    const double innerHeight = sub(h, walls);
    const double section = mul(sub(w, walls), innerHeight);
    const double depth = div(gross, section);
    const double depthMm = mul(100.0, depth);

    // Front and rear span the full front; top and bottom run the full width
    // between them; the sides sit between top and bottom.
    dp.write("ECalcFrontWidth", width);
    dp.write("ECalcFrontHeight", height);
    dp.write("ECalcTBWidth", width);
    dp.write("ECalcTBHeight", depthMm);
    dp.write("ECalcSideWidth", depthMm);
    dp.write("ECalcSideHeight", mul(100.0, innerHeight));
    dp.write("E_OW", width);
    dp.write("E_OH", height);
    dp.write("E_OL", add(mul(2.0, thickness), depthMm));
}

} // namespace dravik
