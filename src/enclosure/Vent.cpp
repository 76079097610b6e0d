#include "Vent.h"

#include "Fp.h"
#include "NumberText.h"

namespace dravik {

namespace {

// The vent calculator's own pi (twelve significant digits).
constexpr double Pi = 3.14159265359;

// Helmholtz length of a vent of diameter dv (cm) tuning vb (litres) to fb (Hz),
// less the end correction endFactor x dv: `helmholtz` x dv^2 x vents / (fb^2 x vb) - endFactor x
// dv.
double VentLengthCm(double helmholtz, double dv, double vents, double fb, double vb,
                    double endFactor) {
    const double tube =
        fp::div(fp::mul(fp::mul(helmholtz, fp::ipow(dv, 2)), vents), fp::mul(fp::ipow(fb, 2), vb));
    return fp::sub(tube, fp::mul(endFactor, dv));
}

// Area of a circle of diameter d.
double CircleArea(double d) {
    return fp::mul(Pi, fp::ipow(fp::div(d, 2.0), 2));
}

} // namespace

void ComputeVent(DesignParameters &dp) {
    const double vb = dp.GetVb();
    const double fb = dp.GetFb();
    double dv = dp.GetVentDiam();
    dp.clearLines("LVent");
    const double vents = dp.number("ENumOfVents");
    const double k = dp.number("EVent_k");
    const double thickness = dp.number("EVentMaterialThickness");

    dv = fp::div(dv, 10.0); // mm -> cm
    // The field shows one vent with the fixed end correction 0.79; the k field
    // and the number of vents only enter the list line below.
    const double l1 = VentLengthCm(22700.0, dv, 1.0, fb, vb, 0.79);

    const double diam = dp.GetDiam();
    const double xmax = dp.GetXmax();
    const double sd = fp::mul(Pi / 4.0, fp::ipow(fp::div(diam, 100.0), 2));
    dp.SetSd(sd);

    // Recommended minimum vent figure from the driver's volume displacement.
    const double vd = fp::mul(fp::mul(sd, xmax), 0.001);
    const double vmin = fp::mul(100.0 * 20.3, fp::pow(fp::div(fp::ipow(vd, 2), fb), 0.25));

    // The tube's outer diameter is the inner one plus one wall thickness.
    const double area = CircleArea(dv);
    const double outerArea = CircleArea(fp::add(dv, fp::div(thickness, 10.0)));

    dp.write("ECalcVentOuterVolume", fp::div(fp::mul(outerArea, l1), 1000.0));
    dp.write("ECalcVentInnerVolume", fp::div(fp::mul(area, l1), 1000.0));
    dp.write("ECalcVentArea", area);
    dp.SetVentLength(fp::mul(l1, 10.0));
    dp.SetMinVentArea(vmin);

    // Length per vent when `vents` vents share the tuning, with the user's k.
    const double l2 = VentLengthCm(23562.5, dv, vents, fb, vb, k);

    dp.addLine("LVent",
               QStringLiteral("Box volume:") + FormatFieldValue(vb) + QStringLiteral(" l"));
    dp.addLine("LVent", QStringLiteral("Box resonant freq: ") + FormatFieldValue(fb) +
                            QStringLiteral(" hz"));
    dp.addLine("LVent",
               QStringLiteral("Length with k: ") + FormatFieldValue(l2) + QStringLiteral(" cm"));
}

} // namespace dravik
