#include "Analysis.h"

#include "Acoustics.h"
#include "NumberText.h"
#include "ResponseArrays.h"
#include "Simulation.h"

namespace dravik {

namespace {
// The analysis' own pi (twelve significant digits).
constexpr double Pi = acoustics::PiTwelveDigits;
} // namespace

void ComputePowerFigures(DesignParameters &dp, const Responses &r) {
    const Real vas = dp.GetVas();
    const Real fs = dp.GetFs();
    const Real xmax = dp.GetXmax();
    Real qes = dp.GetQes();
    const Real f3 = dp.number(Field::E3dB);
    Real diam = dp.GetDiam();
    const Real peMax = dp.GetPEmax();

    if (qes == 0.0) {
        qes = 1.0;
        dp.addLine(List::ListBox2, QStringLiteral("Error"));
    }
    diam = acoustics::CentimetresFromInches(diam);
    const Real sd = acoustics::PistonArea(acoustics::MetresFromCentimetres(diam), Pi,
                                          acoustics::AreaOrder::PiSquareQuarter);
    const Real vd = acoustics::VolumeDisplacement(sd, xmax);
    // The analysis multiplies by the efficiency factor last.
    const Real eta0 =
        acoustics::ReferenceEfficiency(fs, vas, qes, acoustics::EfficiencyOrder::FactorLast);
    const Real spl1W = acoustics::LevelAt1W(eta0);
    const Real par = 3.0 * ipow(f3, 4) * ipow(vd, 2);
    const Real per = par / eta0;
    const Real peakSpl = acoustics::LevelAtPower(peMax, spl1W);

    dp.SetPeakSPL(peakSpl);
    dp.SetPar(par);
    dp.SetPer(per);
    const Real level25 = r.SystemResponse[25];
    dp.setText(Field::EdBmag25, FormatFieldValue(level25));
    const Real sens = dp.GetSens();
    dp.SetSPL100W(level25 + acoustics::LevelAt100WAbove1W + sens); // at 100 W and 25 Hz
}

void ComputeRecommendedPower(DesignParameters &dp, const Responses &r) {
    const Real peMax = dp.GetPEmax();
    const Real sens = dp.GetSens();
    const Real recPwr = peMax * 0.5;
    dp.SetRecPwr(recPwr);
    dp.SetRecPwrResult(10.0 * log10(recPwr) + r.SystemResponse[25] + sens);
}

void CalculateFromVbAndFb(DesignParameters &dp, Responses &r) {
    SimulateVentedResponse(dp, r);
    dp.SetNumOfDrivers(1); // the simulation never reads it; the command shows one driver again
    ComputePowerFigures(dp, r);
    ComputeRecommendedPower(dp, r);
}

} // namespace dravik
