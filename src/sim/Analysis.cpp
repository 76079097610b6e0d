#include "Analysis.h"

#include "Fp.h"
#include "NumberText.h"
#include "ResponseArrays.h"
#include "Simulation.h"

namespace dravik {

namespace {
// The analysis' own pi (twelve significant digits).
constexpr double Pi = 3.14159265359;
constexpr double InchToCm = 2.54;
} // namespace

void ComputePowerFigures(DesignParameters &dp) {
    using fp::add;
    using fp::div;
    using fp::mul;
    const double vas = dp.GetVas();
    const double fs = dp.GetFs();
    const double xmax = dp.GetXmax();
    double qes = dp.GetQes();
    const double f3 = dp.number("E3dB");
    double diam = dp.GetDiam();
    const double peMax = dp.GetPEmax();

    if (qes == 0.0) {
        qes = 1.0;
        dp.addLine("ListBox2", QStringLiteral("Error"));
    }
    diam = mul(InchToCm, diam);
    const double sd = mul(mul(fp::ipow(mul(0.01, diam), 2), Pi), 0.25);
    const double vd = mul(mul(sd, xmax), 0.001);
    const double eta0 = mul(div(mul(fp::ipow(fs, 3), vas), qes), 9.64e-10);
    const double spl1W = add(mul(10.0, fp::log10(eta0)), 112.0);
    const double par = mul(mul(3.0, fp::ipow(f3, 4)), fp::ipow(vd, 2));
    const double per = div(par, eta0);
    const double peakSpl = add(mul(10.0, fp::log10(peMax)), spl1W);

    dp.SetPeakSPL(peakSpl);
    dp.SetPar(par);
    dp.SetPer(per);
    dp.setText("EdBmag25", FormatFieldValue(SystemResponse[25]));
    const double sens = dp.GetSens();
    dp.SetSPL100W(add(add(SystemResponse[25], 20.0), sens)); // the level at 100 W and 25 Hz
}

void ComputeRecommendedPower(DesignParameters &dp) {
    const double peMax = dp.GetPEmax();
    const double sens = dp.GetSens();
    const double recPwr = fp::mul(peMax, 0.5);
    dp.SetRecPwr(recPwr);
    dp.SetRecPwrResult(
        fp::add(fp::add(fp::mul(10.0, fp::log10(recPwr)), SystemResponse[25]), sens));
}

void CalculateFromVbAndFb(DesignParameters &dp) {
    SimulateVentedResponse(dp);
    dp.SetNumOfDrivers(1); // the simulation never reads it; the command shows one driver again
    ComputePowerFigures(dp);
    ComputeRecommendedPower(dp);
}

} // namespace dravik
