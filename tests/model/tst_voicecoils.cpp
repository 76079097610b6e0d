// Dual-voice-coil drivers: the converted single-coil driver, a network in
// which every coil is its own branch, and the loads of the wiring list.
#include "DesignModel.h"
#include "Enclosures.h"
#include "StartUpDesign.h"
#include "WiringOptions.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <complex>

using namespace dravik;
using Complex = std::complex<double>;

Q_DECLARE_METATYPE(dravik::CoilsGivenFor)
Q_DECLARE_METATYPE(dravik::CoilJoin)
Q_DECLARE_METATYPE(dravik::Wiring)
Q_DECLARE_METATYPE(dravik::InductanceModel)

namespace {

constexpr double Pi = 3.14159265358979323846;

// A closed box at a voltage, with inductance and a source resistance, so
// that every term of the coils shows.
DesignSetup Closed(int drivers = 1) {
    DesignSetup s = test::StartUpVented(150.0, 22.0);
    s.enclosure.kind = BoxKind::Closed;
    s.driver.leMh = 2.0;
    s.drivers.count = drivers;
    s.drive.given = DriveParameters::Given::Voltage;
    s.drive.voltageV = 10.0;
    s.drive.sourceResistanceOhm = 0.3;
    return s;
}

// A coil of each model, of some 2 mH at low frequencies, with the eddy
// currents' losses of a large woofer.
VoiceCoilTerms CoilOfModel(InductanceModel model) {
    VoiceCoilTerms v;
    v.model = model;
    v.r2Ohm = 3.0;
    v.l2Mh = 1.2;
    v.krm = 0.004;
    v.erm = 0.72;
    v.kxm = 0.02;
    v.exm = 0.66;
    v.lebMh = 0.15;
    v.semiLeMh = 2.0;
    v.rssOhm = 12.0;
    v.ke = 0.06;
    return v;
}

// The design's terms of a coil times `factor`, the exponents kept.
void ScaleCoil(DesignSetup &s, double factor) {
    VoiceCoilTerms &v = s.driver.voiceCoil;
    for (std::optional<double> *term : {&s.driver.leMh, &v.r2Ohm, &v.l2Mh, &v.krm, &v.kxm, &v.lebMh,
                                        &v.semiLeMh, &v.rssOhm, &v.ke})
        *term = **term * factor;
}

// Re, Bl and Le of a wiring of two identical, fully coupled coils, as
// multiples of one coil's.
struct Factors {
    double re, bl, le;
};
Factors OfGiven(CoilsGivenFor g) {
    switch (g) {
    case CoilsGivenFor::Series:
        return {2.0, 2.0, 4.0};
    case CoilsGivenFor::Parallel:
        return {0.5, 1.0, 1.0};
    case CoilsGivenFor::OneCoil:
        break;
    }
    return {1.0, 1.0, 1.0};
}
Factors OfJoin(CoilJoin j) {
    return OfGiven(j == CoilJoin::Series     ? CoilsGivenFor::Series
                   : j == CoilJoin::Parallel ? CoilsGivenFor::Parallel
                                             : CoilsGivenFor::OneCoil);
}

double RelativeGap(double a, double b) {
    return std::abs(a - b) / std::max(std::abs(a), std::abs(b));
}

// Gaussian elimination with partial pivoting, for the network below.
std::vector<Complex> SolveLinear(std::vector<std::vector<Complex>> a, std::vector<Complex> b) {
    const size_t n = b.size();
    for (size_t c = 0; c < n; ++c) {
        size_t pivot = c;
        for (size_t r = c + 1; r < n; ++r)
            if (std::abs(a[r][c]) > std::abs(a[pivot][c]))
                pivot = r;
        std::swap(a[c], a[pivot]);
        std::swap(b[c], b[pivot]);
        for (size_t r = c + 1; r < n; ++r) {
            const Complex f = a[r][c] / a[c][c];
            for (size_t k = c; k < n; ++k)
                a[r][k] -= f * a[c][k];
            b[r] -= f * b[c];
        }
    }
    std::vector<Complex> x(n);
    for (size_t r = n; r-- > 0;) {
        Complex sum = b[r];
        for (size_t k = r + 1; k < n; ++k)
            sum -= a[r][k] * x[k];
        x[r] = sum / a[r][r];
    }
    return x;
}

// What the network gives at one frequency, at the design's voltage.
struct NetworkPoint {
    double impedanceOhm;
    double excursionMm; // peak, of the first driver
    double heatW;       // in the first driver's wired coils
};

// The drivers in their closed box as a network in which every voice coil is
// a branch of its own between two nodes: each coil's voltage is its
// resistance, the inductance of both coils of its driver (fully coupled)
// and the back voltage of its cone; each cone is driven by the currents of
// its coils against its suspension and the air of the box, which all cones
// share. The amplifier is the design's voltage behind its source
// resistance. Unknowns: the node voltages, the coil currents, the cone
// velocities.
NetworkPoint SolveNetwork(const DesignSetup &s, double f) {
    const int n = s.drivers.count;
    const double w = 2.0 * Pi * f;
    const Complex jw(0.0, w);
    const DriverParameters &d = s.driver;
    const DriverMechanics m = MechanicsOf(*d.fs, *d.vasLitres, *d.sd, s.air);
    const double re = *d.re, le = *d.leMh * 1e-3;
    const double bl = std::sqrt(2.0 * Pi * *d.fs * m.mms * re / *d.qes);
    const double rms = 2.0 * Pi * *d.fs * m.mms / *d.qms;
    const double loss =
        ClosedBoxLossFactor * 2.0 * Pi * *KindOf(BoxKind::Closed).resonance->of(s) * m.mms;
    const double cab =
        *s.enclosure.vbLitres * 1e-3 / (s.air.density * s.air.soundSpeed * s.air.soundSpeed);
    const Complex zm = rms + loss + jw * m.mms + 1.0 / (jw * m.cms);
    const Complex boxSpring = *d.sd * *d.sd / (jw * cab);

    // The wiring as nodes: 0 the ground, 1 the amplifier's terminal. Each
    // driver's terminals, and between a driver's coils in series a node of
    // their own.
    int nodes = 2;
    const auto newNode = [&nodes] { return nodes++; };
    std::vector<std::pair<int, int>> terminals(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) {
        const Wiring wiring = s.drivers.wiring;
        const int stringLength = wiring == Wiring::Series           ? n
                                 : wiring == Wiring::SeriesParallel ? 2
                                                                    : 1;
        const int place = k % stringLength;
        const int from = place == 0 ? 1 : terminals[size_t(k - 1)].second;
        const int to = place == stringLength - 1 ? 0 : newNode();
        terminals[size_t(k)] = {from, to};
    }
    struct Coil {
        int from, to, driver;
    };
    std::vector<Coil> coils;
    for (int k = 0; k < n; ++k) {
        const auto [from, to] = terminals[size_t(k)];
        if (s.drivers.coilJoin == CoilJoin::Series) {
            const int middle = newNode();
            coils.push_back({from, middle, k});
            coils.push_back({middle, to, k});
        } else if (s.drivers.coilJoin == CoilJoin::Parallel) {
            coils.push_back({from, to, k});
            coils.push_back({from, to, k});
        } else {
            coils.push_back({from, to, k});
        }
    }
    const size_t voltages = size_t(nodes - 1); // node i at i - 1, ground left out
    const size_t currents = coils.size();
    const size_t size = voltages + currents + size_t(n);
    std::vector<std::vector<Complex>> a(size, std::vector<Complex>(size));
    std::vector<Complex> b(size);
    const auto v = [](int node) { return size_t(node - 1); };
    const auto i = [&](size_t coil) { return voltages + coil; };
    const auto u = [&](int driver) { return voltages + currents + size_t(driver); };
    const double eg = *s.drive.voltageV, rs = *s.drive.sourceResistanceOhm;
    // Currents leaving each node through the coils, and the amplifier's
    // current (eg - V1) / Rs into node 1.
    a[v(1)][v(1)] += 1.0 / rs;
    b[v(1)] = eg / rs;
    for (size_t c = 0; c < currents; ++c) {
        if (coils[c].from != 0)
            a[v(coils[c].from)][i(c)] += 1.0;
        if (coils[c].to != 0)
            a[v(coils[c].to)][i(c)] -= 1.0;
    }
    for (size_t c = 0; c < currents; ++c) {
        const size_t row = i(c);
        if (coils[c].from != 0)
            a[row][v(coils[c].from)] += 1.0;
        if (coils[c].to != 0)
            a[row][v(coils[c].to)] -= 1.0;
        a[row][i(c)] -= re;
        for (size_t o = 0; o < currents; ++o)
            if (coils[o].driver == coils[c].driver)
                a[row][i(o)] -= jw * le;
        a[row][u(coils[c].driver)] -= bl;
    }
    for (int k = 0; k < n; ++k) {
        const size_t row = u(k);
        for (size_t c = 0; c < currents; ++c)
            if (coils[c].driver == k)
                a[row][i(c)] += bl;
        a[row][u(k)] -= zm;
        for (int j = 0; j < n; ++j)
            a[row][u(j)] -= boxSpring;
    }
    const std::vector<Complex> x = SolveLinear(a, b);
    const Complex terminal = x[v(1)];
    const Complex current = (eg - terminal) / rs;
    const auto at = [&](int node) { return node == 0 ? Complex() : x[v(node)]; };
    const Complex across = at(terminals[0].first) - at(terminals[0].second);
    const double driverRe = re * OfJoin(s.drivers.coilJoin).re;
    NetworkPoint p;
    p.impedanceOhm = std::abs(terminal / current);
    p.excursionMm = std::sqrt(2.0) * std::abs(x[u(0)]) / w * 1e3;
    p.heatW = std::norm(across) / driverRe;
    return p;
}

// The index of the frequency nearest f.
size_t Nearest(const std::vector<double> &frequencies, double f) {
    return size_t(
        std::min_element(frequencies.begin(), frequencies.end(),
                         [f](double a, double b) { return std::abs(a - f) < std::abs(b - f); }) -
        frequencies.begin());
}

} // namespace

class TestVoiceCoils : public QObject {
    Q_OBJECT

private slots:
    // A dual-coil driver, its figures given for any wiring and its coils
    // joined any way, draws what a single-coil driver of the converted
    // figures draws: against one coil, both in series have 2 Re, 2 Bl and
    // 4 times every term of the coil's impedance, in parallel Re / 2, Bl and
    // the same terms; one coil with the other open is that coil. For every
    // coil model and a creeping suspension.
    void dualCoilsEqualTheConvertedDriver_data() {
        QTest::addColumn<CoilsGivenFor>("givenFor");
        QTest::addColumn<CoilJoin>("join");
        QTest::addColumn<InductanceModel>("model");
        for (InductanceModel m : AllInductanceModels)
            for (CoilsGivenFor g :
                 {CoilsGivenFor::OneCoil, CoilsGivenFor::Series, CoilsGivenFor::Parallel})
                for (CoilJoin j : {CoilJoin::Series, CoilJoin::Parallel, CoilJoin::OneCoil})
                    QTest::addRow("%s, given for %d, joined %d", InductanceModelName(m), int(g),
                                  int(j))
                        << g << j << m;
    }
    void dualCoilsEqualTheConvertedDriver() {
        QFETCH(CoilsGivenFor, givenFor);
        QFETCH(CoilJoin, join);
        QFETCH(InductanceModel, model);
        DesignSetup dual = Closed(2);
        dual.driver.voiceCoil = CoilOfModel(model);
        dual.driver.creep = model == InductanceModel::Plain ? 0.0 : 0.07;
        dual.driver.coils = {2, givenFor};
        dual.drivers.coilJoin = join;
        DesignSetup single = dual;
        single.driver.coils = {};
        single.drivers.coilJoin = CoilJoin::Series;
        const Factors g = OfGiven(givenFor), j = OfJoin(join);
        const double re = j.re / g.re, bl = j.bl / g.bl;
        single.driver.re = *single.driver.re * re;
        ScaleCoil(single, j.le / g.le);
        single.driver.qes = *single.driver.qes * re / (bl * bl);
        single.driver.qts.reset();

        const std::vector<double> f = ChartFrequencies(12);
        const DesignCurves a = ComputeDesignCurves(dual, f), b = ComputeDesignCurves(single, f);
        QVERIFY(RelativeGap(*a.dcResistanceOhm, *b.dcResistanceOhm) < 1e-12);
        for (auto member :
             {&DesignCurves::impedanceOhm, &DesignCurves::splDb, &DesignCurves::excursionMm,
              &DesignCurves::thermalLimitSplDb, &DesignCurves::maxSplDb}) {
            QVERIFY(!(a.*member).empty());
            for (size_t k = 0; k < f.size(); ++k)
                QVERIFY2(RelativeGap((a.*member)[k], (b.*member)[k]) < 1e-9,
                         qPrintable(QStringLiteral("at %1 Hz").arg(f[k])));
        }
    }

    // Every wiring of 1-8 drivers and every join of their two coils against
    // the network in which each coil is its own branch: the impedance, the
    // excursion and the heat in a driver's coils that sets the thermal limit.
    void everyWiringAgainstTheNetwork_data() {
        QTest::addColumn<int>("drivers");
        QTest::addColumn<Wiring>("wiring");
        QTest::addColumn<CoilJoin>("join");
        for (int n = 1; n <= MaxDrivers; ++n)
            for (Wiring w : {Wiring::Parallel, Wiring::Series, Wiring::SeriesParallel})
                for (CoilJoin j : {CoilJoin::Series, CoilJoin::Parallel, CoilJoin::OneCoil}) {
                    if (!IsArrangementPossible({n, Mounting::Normal, w, j}) ||
                        (n == 1 && w != Wiring::Parallel))
                        continue;
                    QTest::addRow("%d drivers, wiring %d, coils %d", n, int(w), int(j))
                        << n << w << j;
                }
    }
    void everyWiringAgainstTheNetwork() {
        QFETCH(int, drivers);
        QFETCH(Wiring, wiring);
        QFETCH(CoilJoin, join);
        DesignSetup s = Closed(drivers);
        s.driver.coils = {2, CoilsGivenFor::OneCoil};
        s.drivers.wiring = wiring;
        s.drivers.coilJoin = join;
        const std::vector<double> f = ChartFrequencies(12);
        const DesignCurves c = ComputeDesignCurves(s, f);
        const double peMax = *s.driver.peMaxW;
        for (double hz : {12.0, 31.0, 55.0, 180.0, 700.0}) {
            const size_t k = Nearest(f, hz);
            const NetworkPoint p = SolveNetwork(s, f[k]);
            QVERIFY2(RelativeGap(c.impedanceOhm[k], p.impedanceOhm) < 1e-9,
                     qPrintable(QStringLiteral("impedance at %1 Hz").arg(f[k])));
            QVERIFY2(RelativeGap(c.excursionMm[k], p.excursionMm) < 1e-9,
                     qPrintable(QStringLiteral("excursion at %1 Hz").arg(f[k])));
            const double thermalOverSpl = 10.0 * std::log10(peMax / p.heatW);
            QVERIFY2(std::abs(c.thermalLimitSplDb[k] - c.splDb[k] - thermalOverSpl) < 1e-9,
                     qPrintable(QStringLiteral("thermal limit at %1 Hz").arg(f[k])));
        }
    }

    // Each coil model has the limits its circuit must have, and the slope in
    // w that the group delay takes from it is the impedance's own (a central
    // difference), with and without the suspension's creep.
    void coilModelsLimitsAndSlopes_data() {
        QTest::addColumn<InductanceModel>("model");
        for (InductanceModel m : AllInductanceModels)
            QTest::addRow("%s", InductanceModelName(m)) << m;
    }
    void coilModelsLimitsAndSlopes() {
        QFETCH(InductanceModel, model);
        const CoilTerms c{model, 2e-3, 3.0, 1.2e-3, 0.004, 0.72, 0.02, 0.66, 0.15e-3, 12.0, 0.06};
        const auto z = [&](double w) {
            return CoilImpedance(c, DualComplex::ImaginaryFrequency(w)).value;
        };
        const auto near = [](Complex a, Complex b, double tolerance) {
            return std::abs(a - b) <= tolerance * std::abs(b);
        };
        const double low = 1e-3, high = 1e8;
        switch (model) {
        case InductanceModel::Plain:
            QVERIFY(near(z(100.0), Complex(0.0, 100.0 * c.le), 1e-15));
            break;
        case InductanceModel::Lossy: // L2 in series far below R2 / L2, shunted by R2 far above
            QVERIFY(near(z(low), Complex(0.0, low * (c.le + c.l2)), 1e-6));
            QVERIFY(near(z(high), Complex(c.r2, high * c.le), 1e-6));
            break;
        case InductanceModel::Wright: // powers of w: 1 rad/s gives the factors themselves
            QVERIFY(near(z(1.0), Complex(c.krm, c.kxm), 1e-15));
            QCOMPARE(z(2000.0).real() / z(1000.0).real(), std::pow(2.0, c.erm));
            QCOMPARE(z(2000.0).imag() / z(1000.0).imag(), std::pow(2.0, c.exm));
            break;
        case InductanceModel::SemiInductance: // Le carries the current low, Rss high
            QVERIFY(near(z(low), Complex(0.0, low * (c.leb + c.le)), 1e-3));
            QVERIFY(near(z(high), Complex(c.rss, high * c.leb), 1e-3));
            break;
        }
        for (double lambda : {0.0, 0.12})
            for (double w : {2 * Pi * 7.0, 2 * Pi * 31.0, 2 * Pi * 450.0}) {
                const double h = w * 1e-6;
                const auto jw = [](double at) { return DualComplex::ImaginaryFrequency(at); };
                const auto check = [&](auto f) {
                    const Complex slope = f(jw(w)).slope;
                    const Complex difference = (f(jw(w + h)).value - f(jw(w - h)).value) / (2 * h);
                    QVERIFY2(
                        near(slope, difference, 1e-6),
                        qPrintable(QStringLiteral("lambda %1 at %2 rad/s").arg(lambda).arg(w)));
                };
                check([&](const DualComplex &s) { return CoilImpedance(c, s); });
                check([&](const DualComplex &s) {
                    return SuspensionImpedance(4e-4, 28.0, lambda, s);
                });
            }
    }

    // The loads the wiring list offers: every wiring that uses both coils,
    // by DC resistance (drivers of 4-ohm coils).
    void finalLoads_data() {
        QTest::addColumn<int>("drivers");
        QTest::addColumn<int>("coils");
        QTest::addColumn<QList<double>>("loads");
        QTest::newRow("1 driver, 1 coil") << 1 << 1 << QList<double>{4};
        QTest::newRow("2 drivers, 1 coil") << 2 << 1 << QList<double>{2, 8};
        QTest::newRow("3 drivers, 1 coil") << 3 << 1 << QList<double>{4.0 / 3.0, 12};
        QTest::newRow("4 drivers, 1 coil") << 4 << 1 << QList<double>{1, 4, 16};
        QTest::newRow("1 driver, 2 coils") << 1 << 2 << QList<double>{2, 8};
        QTest::newRow("2 drivers, 2 coils") << 2 << 2 << QList<double>{1, 4, 4, 16};
        QTest::newRow("3 drivers, 2 coils") << 3 << 2 << QList<double>{2.0 / 3.0, 8.0 / 3.0, 6, 24};
        QTest::newRow("4 drivers, 2 coils") << 4 << 2 << QList<double>{0.5, 2, 2, 8, 8, 32};
    }
    void finalLoads() {
        QFETCH(int, drivers);
        QFETCH(int, coils);
        QFETCH(QList<double>, loads);
        DesignSetup s = Closed(drivers);
        s.driver.re = 4.0;
        s.driver.coils = {coils, CoilsGivenFor::OneCoil};
        const std::vector<WiringOption> options = WiringOptions(s, ChartFrequencies(24));
        QCOMPARE(int(options.size()), int(loads.size()));
        int inUse = 0;
        for (size_t k = 0; k < options.size(); ++k) {
            const WiringOption &o = options[k];
            QVERIFY(RelativeGap(o.dcResistanceOhm, loads[qsizetype(k)]) < 1e-12);
            inUse += o.inUse;
            // Identical drivers: a wiring scales one driver's impedance, so
            // the least impedance keeps its ratio to the DC resistance for
            // every wiring of the drivers with the coils joined alike.
            for (const WiringOption &other : options)
                if (other.coilJoin == o.coilJoin)
                    QVERIFY(RelativeGap(*o.minimumImpedanceOhm / o.dcResistanceOhm,
                                        *other.minimumImpedanceOhm / other.dcResistanceOhm) < 1e-9);
        }
        QCOMPARE(inUse, 1);
        // The one in use gives what the charts show.
        const auto used = std::find_if(options.begin(), options.end(),
                                       [](const WiringOption &o) { return o.inUse; });
        const DesignCurves c = ComputeDesignCurves(s, ChartFrequencies(24));
        QCOMPARE(used->dcResistanceOhm, *c.dcResistanceOhm);
        QCOMPARE(*used->minimumImpedanceOhm, *c.minimumImpedanceOhm);
    }
};

QTEST_GUILESS_MAIN(TestVoiceCoils)
#include "tst_voicecoils.moc"
