#include "WiringOptions.h"

#include "Acoustics.h"
#include "DesignModel.h"
#include "Overlays.h"

#include <QLocale>

#include <algorithm>

namespace dravik {

namespace {

// The load of one wiring: the design with its drivers so wired, in half
// space without a chain or an amplifier, which change no impedance, over the
// band the least impedance is taken in.
std::optional<WiringOption> LoadOf(DesignSetup setup, CoilJoin join, Wiring wiring,
                                   const std::vector<double> &band) {
    setup.drivers.coilJoin = join;
    setup.drivers.wiring = wiring;
    if (!IsArrangementPossible(setup.drivers))
        return std::nullopt;
    setup.filters.clear();
    setup.amplifier = {};
    setup.environment = {};
    const DesignCurves curves = ComputeDesignCurves(setup, band);
    if (!curves.dcResistanceOhm)
        return std::nullopt;
    WiringOption option;
    option.coilJoin = join;
    option.wiring = wiring;
    option.dcResistanceOhm = *curves.dcResistanceOhm;
    option.minimumImpedanceOhm = curves.minimumImpedanceOhm;
    return option;
}

// A wiring's load over one driver's coils': its series over its parallel count.
double FactorOf(const DriverArrangement &drivers, const VoiceCoils &coils) {
    const CoilWiring wiring = CoilWiringOf(drivers, coils);
    return wiring.seriesCoils / wiring.parallelStrings;
}

// The load of the wiring in use, from the curves already shown.
std::optional<WiringOption> LoadShown(const DesignCurves &shown, const DriverArrangement &drivers) {
    if (!shown.dcResistanceOhm || !IsArrangementPossible(drivers))
        return std::nullopt;
    WiringOption option;
    option.coilJoin = drivers.coilJoin;
    option.wiring = drivers.wiring;
    option.dcResistanceOhm = *shown.dcResistanceOhm;
    option.minimumImpedanceOhm = shown.minimumImpedanceOhm;
    return option;
}

QString Ohms(double v) {
    // As few digits as the figure needs, at most two decimals: 0.5, 16, 3.41.
    QString text = QLocale::c().toString(v, 'f', 2);
    while (text.contains(QLatin1Char('.')) &&
           (text.endsWith(QLatin1Char('0')) || text.endsWith(QLatin1Char('.'))))
        text.chop(1);
    return text + QStringLiteral(" ohm");
}

} // namespace

std::vector<WiringOption> WiringOptions(const DesignSetup &setup,
                                        const std::vector<double> &frequencies,
                                        const DesignCurves *shown) {
    std::vector<double> band;
    for (double f : frequencies)
        if (f >= acoustics::ResponseFirstHz && f <= acoustics::ResponseLastHz)
            band.push_back(f);
    std::vector<CoilJoin> joins{setup.drivers.coilJoin};
    if (setup.driver.coils.dual()) {
        joins = {CoilJoin::Series, CoilJoin::Parallel};
        if (setup.drivers.coilJoin == CoilJoin::OneCoil)
            joins.push_back(CoilJoin::OneCoil);
    }
    // One driver is wired one way, whatever the choice says.
    std::vector<Wiring> wirings{setup.drivers.wiring};
    if (setup.drivers.count > 1)
        wirings = {Wiring::Parallel, Wiring::Series, Wiring::SeriesParallel};
    // Identical drivers carry the same current however they are wired, so
    // each wiring's load is one driver's coils' load times its series over
    // its parallel count: one solve for each way of joining the coils.
    std::vector<WiringOption> options;
    for (CoilJoin join : joins) {
        std::optional<WiringOption> solved;
        double solvedFactor = 1.0;
        for (Wiring wiring : wirings) {
            DriverArrangement drivers = setup.drivers;
            drivers.coilJoin = join;
            drivers.wiring = wiring;
            if (!IsArrangementPossible(drivers))
                continue;
            const double factor = FactorOf(drivers, setup.driver.coils);
            if (!solved) {
                solved = shown && join == setup.drivers.coilJoin
                             ? LoadShown(*shown, setup.drivers)
                             : LoadOf(setup, join, wiring, band);
                solvedFactor = shown && join == setup.drivers.coilJoin
                                   ? FactorOf(setup.drivers, setup.driver.coils)
                                   : factor;
                if (!solved)
                    break;
            }
            WiringOption o = *solved;
            o.wiring = wiring;
            o.dcResistanceOhm *= factor / solvedFactor;
            if (o.minimumImpedanceOhm)
                *o.minimumImpedanceOhm *= factor / solvedFactor;
            o.inUse = wiring == setup.drivers.wiring &&
                      (join == setup.drivers.coilJoin || !setup.driver.coils.dual());
            options.push_back(o);
        }
    }
    std::stable_sort(options.begin(), options.end(),
                     [](const WiringOption &a, const WiringOption &b) {
                         return a.dcResistanceOhm < b.dcResistanceOhm;
                     });
    return options;
}

QString WiringOptionText(const WiringOption &option, const DesignSetup &setup) {
    QString text = Ohms(option.dcResistanceOhm) + QStringLiteral(" DC");
    if (option.minimumImpedanceOhm)
        text += QStringLiteral(", least ") + Ohms(*option.minimumImpedanceOhm);
    QStringList how;
    if (setup.driver.coils.dual())
        how << CoilJoinText(option.coilJoin);
    const int n = setup.drivers.count;
    if (n > 1)
        how << QStringLiteral("%1 drivers in %2").arg(n).arg(WiringText(option.wiring));
    if (how.isEmpty())
        how << QStringLiteral("one driver");
    text += QStringLiteral(": ") + how.join(QStringLiteral(", "));
    if (option.inUse)
        text += QStringLiteral(" (in use)");
    return text;
}

} // namespace dravik
