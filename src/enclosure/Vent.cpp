#include "Vent.h"

#include "Acoustics.h"
#include "NumberText.h"

namespace dravik {

namespace {

// The vent calculator's own pi (twelve significant digits).
constexpr double Pi = acoustics::PiTwelveDigits;

// Helmholtz length of a vent of diameter dv (cm) tuning vb (litres) to fb
// (Hz), with `vents` vents sharing the tuning, less the end correction
// endFactor x dv.
Real VentLengthCm(double helmholtz, Real dv, Real vents, Real fb, Real vb, Real endFactor) {
    return helmholtz * ipow(dv, 2) * vents / (ipow(fb, 2) * vb) - endFactor * dv;
}

// Area of a circle of diameter d.
Real CircleArea(Real d) {
    return acoustics::PistonArea(d, Pi, acoustics::AreaOrder::PiHalfSquare);
}

} // namespace

void ComputeVent(DesignParameters &dp) {
    const Real vb = dp.GetVb();
    const Real fb = dp.GetFb();
    Real dv = dp.GetVentDiam();
    dp.clearLines(List::LVent);
    const Real vents = dp.number(Field::ENumOfVents);
    const Real k = dp.number(Field::EVent_k);
    const Real thickness = dp.number(Field::EVentMaterialThickness);

    dv = dv / 10.0; // mm -> cm
    // The field shows one vent with the fixed end correction 0.79; the k field
    // and the number of vents only enter the list line below.
    const Real l1 = VentLengthCm(22700.0, dv, 1.0, fb, vb, 0.79);

    const Real diam = dp.GetDiam();
    const Real xmax = dp.GetXmax();
    const Real sd = acoustics::PistonArea(acoustics::MetresFromCentimetresDivided(diam), Pi,
                                          acoustics::AreaOrder::QuarterPiSquare);
    dp.SetSd(sd);

    // Recommended minimum vent figure from the driver's volume displacement.
    const Real vd = acoustics::VolumeDisplacement(sd, xmax);
    const Real vmin = 100.0 * 20.3 * pow(ipow(vd, 2) / fb, 0.25);

    // The tube's outer diameter is the inner one plus one wall thickness.
    const Real area = CircleArea(dv);
    const Real outerArea = CircleArea(dv + thickness / 10.0);

    dp.write(Field::ECalcVentOuterVolume, outerArea * l1 / 1000.0);
    dp.write(Field::ECalcVentInnerVolume, area * l1 / 1000.0);
    dp.write(Field::ECalcVentArea, area);
    dp.SetVentLength(l1 * 10.0);
    dp.SetMinVentArea(vmin);

    // Length per vent when `vents` vents share the tuning, with the user's k.
    const Real l2 = VentLengthCm(23562.5, dv, vents, fb, vb, k);

    dp.addLine(List::LVent,
               QStringLiteral("Box volume:") + FormatFieldValue(vb) + QStringLiteral(" l"));
    dp.addLine(List::LVent, QStringLiteral("Box resonant freq: ") + FormatFieldValue(fb) +
                                QStringLiteral(" hz"));
    dp.addLine(List::LVent,
               QStringLiteral("Length with k: ") + FormatFieldValue(l2) + QStringLiteral(" cm"));
}

} // namespace dravik
