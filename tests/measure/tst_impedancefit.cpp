#include "ImpedanceFit.h"
#include "SyntheticImpedance.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numeric>
#include <tuple>

using namespace dravik;
using namespace dravik::test;

namespace {

const QString ShippedDir = QStringLiteral(DRAVIK_SHIPPED_DIR);
constexpr double Pi = 3.14159265358979323846;
constexpr double Rho = 1.18, SoundSpeed = 345.0;

// Records of the shipped database: a 12 inch subwoofer with a high Qms, a
// small woofer, a 12 inch woofer of very low Fs, a high-Q professional
// woofer and a low-Q 8 inch woofer.
const int ShippedRows[] = {0, 37, 120, 250, 399};

double relativeError(double got, double want) {
    return std::fabs(got - want) / std::fabs(want);
}

ShippedDriver shipped(int index) {
    const std::optional<ShippedDriver> d = ReadShippedDriver(ShippedDir, index);
    if (!d || !(d->fs > 0) || !(d->qms > 0) || !(d->qes > 0) || !(d->re > 0) ||
        !(d->vasLitres > 0) || !(d->effectiveDiameterMm > 0))
        qFatal("shipped record %d lacks a figure", index);
    return *d;
}

// The coil of a row: a bigger voice coil resistance comes with more turns,
// and so more inductance; the eddy-current branch takes a share of it.
// Wright's figures and the semi-inductance's give |Z| at 10 kHz of about 2
// to 5 Re.
ElectricalModel electricalModel(const ShippedDriver &d, InductanceModel kind, int variant) {
    ElectricalModel m;
    m.coil.model = kind;
    m.re = d.re;
    m.fs = d.fs;
    m.qms = d.qms;
    m.qes = d.qes;
    m.coil.le = (0.3 + 0.25 * variant) * 1e-3 * d.re / 4.0;
    m.coil.r2 = 2.0 + 1.5 * variant;
    m.coil.l2 = (0.8 + 0.4 * variant) * 1e-3;
    m.coil.krm = (1.0 + 0.5 * variant) * 1e-3;
    m.coil.erm = 0.7 + 0.04 * variant;
    m.coil.kxm = (0.8 + 0.3 * variant) * 1e-2 * d.re / 6.0;
    m.coil.exm = 0.66 + 0.03 * variant;
    m.coil.leb = (0.1 + 0.1 * variant) * 1e-3;
    m.coil.rss = 12.0 + 4.0 * variant;
    m.coil.ke = 0.06 + 0.03 * variant;
    if (kind == InductanceModel::SemiInductance)
        m.coil.le = (1.5 + 0.5 * variant) * 1e-3;
    return m;
}

// The figures of each coil model, in the order of InductanceModel.
using Figure = double CoilTerms::*;
const std::vector<Figure> &coilFigures(InductanceModel kind) {
    static const std::vector<Figure> figures[] = {
        {&CoilTerms::le},
        {&CoilTerms::le, &CoilTerms::r2, &CoilTerms::l2},
        {&CoilTerms::krm, &CoilTerms::erm, &CoilTerms::kxm, &CoilTerms::exm},
        {&CoilTerms::leb, &CoilTerms::le, &CoilTerms::rss, &CoilTerms::ke},
    };
    return figures[size_t(kind)];
}

// Drivers as their makers publish them, a 6.5 inch woofer, a 12 inch and an
// 18 inch subwoofer, with a suspension that creeps by beta and each coil
// model giving |Z| at 10 kHz of 3 to 8 Re. The coil holds every model's
// figures, Le the lossy one's.
struct RealisticDriver {
    const char *name;
    double beta, plainLe, semiLe;
    ElectricalModel coil; // {Le, R2, L2, Krm, Erm, Kxm, Exm, Leb, Rss, Ke}, Re, Fs, Qms, Qes
};

const RealisticDriver RealisticDrivers[] = {
    {"6.5 inch",
     0.05,
     0.45e-3,
     1.8e-3,
     {{InductanceModel::Lossy, 0.2e-3, 12.0, 0.7e-3, 1.5e-3, 0.72, 0.012, 0.68, 0.12e-3, 16.0,
       0.07},
      5.6,
      45.0,
      3.2,
      0.50}},
    {"12 inch",
     0.04,
     0.6e-3,
     2.5e-3,
     {{InductanceModel::Lossy, 0.3e-3, 9.0, 1.1e-3, 1.0e-3, 0.75, 0.015, 0.68, 0.2e-3, 12.0, 0.09},
      3.3,
      27.0,
      5.8,
      0.40}},
    {"18 inch",
     0.03,
     0.9e-3,
     3.5e-3,
     {{InductanceModel::Lossy, 0.45e-3, 16.0, 1.6e-3, 1.8e-3, 0.74, 0.025, 0.67, 0.4e-3, 20.0,
       0.14},
      5.3,
      33.0,
      6.5,
      0.36}},
};

CreepingDriver creepingDriver(const RealisticDriver &d, InductanceModel kind) {
    ElectricalModel m = d.coil;
    m.coil.model = kind;
    const double le[] = {d.plainLe, m.coil.le, 0.0, d.semiLe};
    m.coil.le = le[size_t(kind)];
    return {m, d.beta};
}

// A measurement program's grid: 2,000 points from 10 Hz to 20 kHz.
ImpedanceCurve measured(const CreepingDriver &driver, double noise, int seed) {
    return NoisyCurve([&](double f) { return driver.impedance(f); }, LogGrid(10.0, 20000.0, 2000),
                      noise, std::uint64_t(seed));
}

double sdOf(const ShippedDriver &d) {
    const double r = d.effectiveDiameterMm / 2000.0;
    return Pi * r * r;
}

// The driver as masses and springs, from its datasheet figures: Cms from
// Vas and Sd, Mms from Fs, Bl from Qes, Rms from Qms.
struct Mechanics {
    double cms, mms, bl, rms;
};

Mechanics mechanicsOf(const ShippedDriver &d) {
    const double sd = sdOf(d);
    const double ws = 2 * Pi * d.fs;
    Mechanics k;
    k.cms = d.vasLitres / 1000.0 / (Rho * SoundSpeed * SoundSpeed * sd * sd);
    k.mms = 1.0 / (ws * ws * k.cms);
    k.bl = std::sqrt(d.re * ws * k.mms / d.qes);
    k.rms = ws * k.mms / d.qms;
    return k;
}

// The same driver with `extraKg` on the cone and its suspension stiffened by
// `extraStiffness` (a closed box), as a new electrical model. A creeping
// suspension keeps its compliance Cms c(f) and its loss d / (w Cms): the
// new Fs is where w^2 M Cms c(f) = 1, and lambda referred to it is
// lambda / c(Fs').
ElectricalModel changedDriver(const ElectricalModel &free, const Mechanics &k, double extraKg,
                              double extraStiffness) {
    const double mass = k.mms + extraKg;
    double w = 2 * Pi * free.fs;
    for (int i = 0; i < 100; ++i)
        w = std::sqrt((1.0 / (k.cms * CreepFactor(free, w / (2 * Pi))) + extraStiffness) / mass);
    ElectricalModel m = free;
    m.fs = w / (2 * Pi);
    m.creep = free.creep / CreepFactor(free, m.fs);
    m.qms = w * mass / (k.rms + CreepLoss(free) / k.cms * (1.0 / w - 1.0 / (2 * Pi * free.fs)));
    m.qes = w * mass * free.re / (k.bl * k.bl);
    return m;
}

const std::vector<double> &grid() {
    static const std::vector<double> hz = LogGrid(5.0, 20000.0, 500);
    return hz;
}

} // namespace

class TestImpedanceFit : public QObject {
    Q_OBJECT

private slots:
    void modelClosedForms_data();
    void modelClosedForms();
    void fitsSyntheticDrivers_data();
    void fitsSyntheticDrivers();
    void measuredResistanceIsKept();
    void noResonance_data();
    void noResonance();
    void boundedOnCurvesTheModelCannotFollow_data();
    void boundedOnCurvesTheModelCannotFollow();
    void loneBadPointLeavesFs_data();
    void loneBadPointLeavesFs();
    void implausibleFigures_data();
    void implausibleFigures();
    void addedMass_data();
    void addedMass();
    void testBox_data();
    void testBox();
    void octaveWeights_data();
    void octaveWeights();
    void creepingDrivers_data();
    void creepingDrivers();
    void poorFitAdvice_data();
    void poorFitAdvice();
};

void TestImpedanceFit::modelClosedForms_data() {
    QTest::addColumn<int>("record");
    for (int r : ShippedRows)
        QTest::newRow(qPrintable(QString::number(r))) << r;
}

// The peak at Fs is Re (1 + Qms / Qes) with zero phase, with creep or
// without; the motional part is 3 dB down where Qms (f/Fs - Fs/f) = +-1,
// which lie Fs / Qms apart; the R2-L2 branch is L2 at low frequencies and
// R2 at high ones.
void TestImpedanceFit::modelClosedForms() {
    QFETCH(int, record);
    const ShippedDriver d = shipped(record);
    ElectricalModel m = electricalModel(d, InductanceModel::Plain, 1);
    m.coil.le = 0.0;
    const Impedance peak = ModelImpedance(m, d.fs);
    QVERIFY(relativeError(peak.real(), d.re * (1.0 + d.qms / d.qes)) < 1e-12);
    QVERIFY(std::fabs(peak.imag()) < 1e-9);
    // f/Fs - Fs/f = +-1/Qms: f = Fs (sqrt(1 + 4 Qms^2) +- 1) / (2 Qms).
    const double root = std::sqrt(1.0 + 4.0 * d.qms * d.qms);
    const double f1 = d.fs * (root - 1.0) / (2.0 * d.qms), f2 = d.fs * (root + 1.0) / (2.0 * d.qms);
    QVERIFY(relativeError(f2 - f1, d.fs / d.qms) < 1e-12);
    for (double f : {f1, f2})
        QVERIFY(relativeError(std::abs(MotionalImpedance(m, f)), MotionalPeak(m) / std::sqrt(2.0)) <
                1e-12);
    ElectricalModel lossy = electricalModel(d, InductanceModel::Lossy, 1);
    lossy.coil.le = 0.0;
    const double low = 1e-3, high = 1e9;
    const Impedance coilLow = VoiceCoilImpedance(lossy, low) - lossy.re;
    QVERIFY(relativeError(coilLow.imag(), 2 * Pi * low * lossy.coil.l2) < 1e-6);
    QVERIFY(relativeError(VoiceCoilImpedance(lossy, high).real(), lossy.re + lossy.coil.r2) < 1e-6);

    // Wright's terms are Krm and Kxm at 1 rad/s; the semi-inductance is
    // s (Leb + Le) far below its corners and Rss + s Leb far above.
    const ElectricalModel wright = electricalModel(d, InductanceModel::Wright, 1);
    const Impedance unit = VoiceCoilImpedance(wright, 1 / (2 * Pi)) - wright.re;
    QVERIFY(relativeError(unit.real(), wright.coil.krm) +
                relativeError(unit.imag(), wright.coil.kxm) <
            1e-12);
    const ElectricalModel semi = electricalModel(d, InductanceModel::SemiInductance, 1);
    const Impedance semiLow = VoiceCoilImpedance(semi, 1e-6) - semi.re;
    const Impedance semiHigh = VoiceCoilImpedance(semi, 1e12) - semi.re;
    QVERIFY(relativeError(semiLow.imag(), 2 * Pi * 1e-6 * (semi.coil.leb + semi.coil.le)) < 1e-3);
    QVERIFY(relativeError(semiHigh.real(), semi.coil.rss) < 1e-3);
    QVERIFY(relativeError(semiHigh.imag(), 2 * Pi * 1e12 * semi.coil.leb) < 1e-3);

    // With creep the motional part is Bl^2 / Zm, Mms = 1 kg, d = lambda pi / (2 ln 10):
    // Zm = Rms + d (1 / (w Cms) - 1 / (ws Cms)) + j w Mms + 1 / (j w Cms c(f)).
    m.creep = 0.12;
    const double ws = 2 * Pi * m.fs, bl2 = ws * m.re / m.qes, loss = m.creep * Pi / std::log(100.0);
    for (double f : {0.3 * m.fs, m.fs, 3.0 * m.fs}) {
        const double w = 2 * Pi * f, c = 1.0 - m.creep * std::log10(f / m.fs);
        const Impedance zm(ws / m.qms + loss * (ws * ws / w - ws), w - ws * ws / (w * c));
        QVERIFY(std::abs(MotionalImpedance(m, f) - bl2 / zm) < 1e-12 * std::abs(bl2 / zm));
    }
}

void TestImpedanceFit::fitsSyntheticDrivers_data() {
    QTest::addColumn<int>("record");
    QTest::addColumn<int>("kind");
    QTest::addColumn<double>("noise");
    QTest::addColumn<int>("seed");
    // Noisy curves with three different draws of the noise each.
    const std::pair<double, int> draws[] = {{0.0, 0}, {0.01, 1}, {0.01, 2}, {0.01, 3}};
    for (int r : ShippedRows)
        for (InductanceModel kind : AllInductanceModels)
            for (const auto &[noise, seed] : draws)
                QTest::newRow(qPrintable(QStringLiteral("record %1, %2, noise %3, draw %4")
                                             .arg(r)
                                             .arg(InductanceModelName(kind))
                                             .arg(noise)
                                             .arg(seed)))
                    << r << int(kind) << noise << seed;
}

void TestImpedanceFit::fitsSyntheticDrivers() {
    QFETCH(int, record);
    QFETCH(int, kind);
    QFETCH(double, noise);
    QFETCH(int, seed);
    const ShippedDriver d = shipped(record);
    const auto inductance = InductanceModel(kind);
    const ElectricalModel truth = electricalModel(d, inductance, record % 3);
    const ImpedanceCurve curve = SyntheticCurve(truth, grid(), noise, 100 * seed + record);
    const std::optional<FitResult> fit = FitImpedance(curve, {inductance, std::nullopt});
    QVERIFY(fit);
    const ElectricalModel &m = fit->model;
    QVERIFY(fit->iterations > 0 && fit->iterations <= MaxFitIterations);

    const bool exact = noise == 0.0;
    const double qTolerance = exact ? 1e-3 : 0.02, fsTolerance = exact ? 1e-3 : 0.002;
    const double reTolerance = exact ? 1e-3 : 0.01, leTolerance = exact ? 1e-3 : 0.05;
    QVERIFY2(relativeError(m.fs, truth.fs) < fsTolerance, qPrintable(QString::number(m.fs)));
    QVERIFY2(relativeError(m.qms, truth.qms) < qTolerance, qPrintable(QString::number(m.qms)));
    QVERIFY2(relativeError(m.qes, truth.qes) < qTolerance, qPrintable(QString::number(m.qes)));
    QVERIFY2(relativeError(m.re, truth.re) < reTolerance, qPrintable(QString::number(m.re)));
    // Every figure of the coil exactly; under noise Le, or the coil's
    // impedance where the model has no Le of its own.
    const bool hasLe = inductance == InductanceModel::Plain || inductance == InductanceModel::Lossy;
    for (Figure figure : coilFigures(inductance))
        if (exact || (hasLe && figure == &CoilTerms::le))
            QVERIFY2(relativeError(m.coil.*figure, truth.coil.*figure) < leTolerance,
                     qPrintable(QString::number(m.coil.*figure)));
    for (double hz : {1000.0, 10000.0})
        QVERIFY(relativeError(std::abs(VoiceCoilImpedance(m, hz) - m.re),
                              std::abs(VoiceCoilImpedance(truth, hz) - truth.re)) < leTolerance);
    // The residual is the noise that was added, or nothing.
    if (exact)
        QVERIFY(fit->rmsPercent < 1e-3);
    else
        QVERIFY2(fit->rmsPercent > 0.5 * noise * 100 * std::sqrt(2.0) &&
                     fit->rmsPercent < 1.5 * noise * 100 * std::sqrt(2.0),
                 qPrintable(QString::number(fit->rmsPercent)));

    // The classic estimate agrees with the fit.
    const ClassicEstimate &c = fit->classic;
    QVERIFY2(relativeError(c.re, m.re) < 0.05, qPrintable(QString::number(c.re)));
    QVERIFY2(relativeError(c.fs, m.fs) < 0.05, qPrintable(QString::number(c.fs)));
    QVERIFY2(relativeError(c.qms, m.qms) < 0.05, qPrintable(QString::number(c.qms)));
    QVERIFY2(relativeError(c.qes, m.qes) < 0.05, qPrintable(QString::number(c.qes)));
    QVERIFY(relativeError(c.qts, TotalQ(m.qms, m.qes)) < 0.05);
}

// Re typed from a DC measurement stays as typed; a wrong one moves Qes with
// it, since the motional peak fixes Re Qms / Qes.
void TestImpedanceFit::measuredResistanceIsKept() {
    const ShippedDriver d = shipped(0);
    const ElectricalModel truth = electricalModel(d, InductanceModel::Plain, 0);
    const ImpedanceCurve curve = SyntheticCurve(truth, grid());
    const std::optional<FitResult> right = FitImpedance(curve, {InductanceModel::Plain, d.re});
    QVERIFY(right);
    QCOMPARE(right->model.re, d.re);
    QVERIFY(relativeError(right->model.qes, d.qes) < 1e-3);
    const std::optional<FitResult> low = FitImpedance(curve, {InductanceModel::Plain, 0.9 * d.re});
    QVERIFY(low);
    QCOMPARE(low->model.re, 0.9 * d.re);
    QVERIFY(low->model.qes < 0.95 * d.qes);
}

void TestImpedanceFit::noResonance_data() {
    QTest::addColumn<int>("shape");
    QTest::newRow("flat resistor") << 0;
    QTest::newRow("flat resistor with noise") << 1;
    QTest::newRow("peak at the top of the band") << 2;
    QTest::newRow("peak at the bottom of the band") << 3;
    QTest::newRow("coil only, rising") << 4;
    QTest::newRow("a peak of one point on a resistor") << 5;
}

void TestImpedanceFit::noResonance() {
    QFETCH(int, shape);
    ImpedanceCurve c;
    if (shape <= 1) {
        ElectricalModel resistor;
        resistor.re = 8.0;
        resistor.fs = 1.0;
        resistor.qms = 1.0;
        resistor.qes = 1e300; // no motional part at all
        c = SyntheticCurve(resistor, grid(), shape == 1 ? 0.01 : 0.0, 3);
    } else if (shape <= 3) {
        const ShippedDriver d = shipped(0);
        const ElectricalModel truth = electricalModel(d, InductanceModel::Plain, 0);
        // The band ends at Fs, or starts there.
        c = SyntheticCurve(truth, shape == 2 ? LogGrid(d.fs / 20, d.fs, 100)
                                             : LogGrid(d.fs, d.fs * 20, 100));
    } else if (shape == 5) {
        // One line of the file is 10 Re: a bad line, not a resonance.
        c = SyntheticCurve(electricalModel(shipped(120), InductanceModel::Lossy, 2),
                           LogGrid(5, 20000, 40));
        for (size_t i = 0; i < c.size(); ++i)
            c.z[i] = Impedance(shipped(120).re, 0.0);
        c.z[20] = Impedance(10 * shipped(120).re, 0.0);
    } else {
        ElectricalModel coil;
        coil.re = 4.0;
        coil.coil.le = 2e-3;
        coil.fs = 1.0;
        coil.qms = 1.0;
        coil.qes = 1e300;
        c = SyntheticCurve(coil, grid());
    }
    QVERIFY(!EstimateClassic(c, std::nullopt));
    QVERIFY(!FitImpedance(c, {InductanceModel::Lossy, std::nullopt}));
    QVERIFY(!FitImpedance(c, FitOptions{}));
}

void TestImpedanceFit::boundedOnCurvesTheModelCannotFollow_data() {
    QTest::addColumn<int>("shape");
    QTest::newRow("two resonances") << 0;
    QTest::newRow("resonance under 10 % noise") << 1;
}

// However badly the model fits, the solver stops within its bound.
void TestImpedanceFit::boundedOnCurvesTheModelCannotFollow() {
    QFETCH(int, shape);
    const ShippedDriver d = shipped(120);
    const ElectricalModel truth = electricalModel(d, InductanceModel::Lossy, 2);
    ImpedanceCurve c = SyntheticCurve(truth, grid(), shape == 1 ? 0.1 : 0.0, 11);
    if (shape == 0) {
        ElectricalModel second = truth;
        second.fs = 4 * truth.fs;
        for (size_t i = 0; i < c.size(); ++i)
            c.z[i] += MotionalImpedance(second, c.hz[i]);
    }
    for (CoilModels models :
         {CoilModels(InductanceModel::Plain), CoilModels(InductanceModel::Lossy),
          CoilModels(InductanceModel::Wright), CoilModels(InductanceModel::SemiInductance),
          CoilModels::Auto()}) {
        const std::optional<FitResult> fit = FitImpedance(c, {models, std::nullopt});
        QVERIFY(fit);
        QVERIFY(fit->iterations > 0);
        QVERIFY(fit->iterations <= MaxFitIterations);
        QVERIFY(std::isfinite(fit->rmsOhm));
    }
}

void TestImpedanceFit::loneBadPointLeavesFs_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<double>("hzOverFs"); // where the bad line is
    QTest::addColumn<double>("ohm");      // its magnitude; its phase stays
    QTest::newRow("Le, 80 ohm at 6.6 Fs") << int(InductanceModel::Plain) << 6.6 << 80.0;
    QTest::newRow("R2-L2, 80 ohm at 6.6 Fs") << int(InductanceModel::Lossy) << 6.6 << 80.0;
    QTest::newRow("Le, 80 ohm on the upper flank") << int(InductanceModel::Plain) << 1.5 << 80.0;
    QTest::newRow("R2-L2, 80 ohm below Fs") << int(InductanceModel::Lossy) << 0.4 << 80.0;
    QTest::newRow("Le, 0.3 ohm above Fs") << int(InductanceModel::Plain) << 3.0 << 0.3;
}

// One bad line of a file: Fs as without it, within 0.5 %, the line left out.
void TestImpedanceFit::loneBadPointLeavesFs() {
    QFETCH(int, kind);
    QFETCH(double, hzOverFs);
    QFETCH(double, ohm);
    const ShippedDriver d = shipped(0);
    const FitOptions options{InductanceModel(kind), std::nullopt};
    const ImpedanceCurve clean =
        SyntheticCurve(electricalModel(d, InductanceModel(kind), 1), grid());
    ImpedanceCurve bad = clean;
    const auto at =
        std::lower_bound(grid().begin(), grid().end(), hzOverFs * d.fs) - grid().begin();
    bad.z[size_t(at)] = std::polar(ohm, std::arg(bad.z[size_t(at)]));
    const std::optional<FitResult> right = FitImpedance(clean, options),
                                   fit = FitImpedance(bad, options);
    QVERIFY(right && fit);
    QCOMPARE(right->setAside, 0);
    QCOMPARE(fit->setAside, 1);
    QVERIFY2(relativeError(fit->model.fs, right->model.fs) < 0.005,
             qPrintable(QString::number(fit->model.fs)));
    QVERIFY(relativeError(fit->classic.fs, right->classic.fs) < 0.005);
}

void TestImpedanceFit::implausibleFigures_data() {
    QTest::addColumn<int>("figure"); // Fs, Qms, Qes, Le
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("refused"); // empty: a driver's figures
    QTest::newRow("a driver") << 0 << 30.0 << "";
    QTest::newRow("Fs at the solver's bound") << 0 << std::exp(40.0) << "Fs";
    QTest::newRow("Qms 0") << 1 << 0.0 << "Qms";
    QTest::newRow("Qes not a number") << 2 << std::nan("") << "Qes";
    QTest::newRow("Le 1 H") << 3 << 1.0 << "Le";
}

void TestImpedanceFit::implausibleFigures() {
    QFETCH(int, figure);
    QFETCH(double, value);
    QFETCH(QString, refused);
    ElectricalModel m{{InductanceModel::Plain, 1e-3}, 6.0, 30.0, 5.0, 0.5};
    const ImpedanceCurve band = SyntheticCurve(m, LogGrid(10.0, 5000.0, 100));
    double *const figures[] = {&m.fs, &m.qms, &m.qes, &m.coil.le};
    *figures[figure] = value;
    const std::optional<FigureOutOfRange> out = ImplausibleFigure(m, band);
    QCOMPARE(out ? QString::fromLatin1(out->name) : QString(), refused);
}

void TestImpedanceFit::addedMass_data() {
    QTest::addColumn<int>("record");
    QTest::addColumn<double>("noise");
    QTest::addColumn<double>("creep");
    for (int r : ShippedRows)
        for (double noise : {0.0, 0.01})
            for (double creep : {0.0, 0.08})
                QTest::newRow(qPrintable(
                    QStringLiteral("record %1, noise %2, creep %3").arg(r).arg(noise).arg(creep)))
                    << r << noise << creep;
}

// Masses of 15 % and 30 % of Mms on the cone.
void TestImpedanceFit::addedMass() {
    QFETCH(int, record);
    QFETCH(double, noise);
    QFETCH(double, creep);
    const ShippedDriver d = shipped(record);
    const Mechanics k = mechanicsOf(d);
    ElectricalModel free = electricalModel(d, InductanceModel::Lossy, 1);
    free.creep = creep;
    const double m1 = 0.15 * k.mms, m2 = 0.30 * k.mms;
    const ImpedanceCurve freeCurve = SyntheticCurve(free, grid(), noise, 21);
    const ImpedanceCurve curve1 = SyntheticCurve(changedDriver(free, k, m1, 0), grid(), noise, 22);
    const ImpedanceCurve curve2 = SyntheticCurve(changedDriver(free, k, m2, 0), grid(), noise, 23);
    const FitOptions options{InductanceModel::Lossy, std::nullopt};
    const std::optional<FitResult> freeFit = FitImpedance(freeCurve, options);
    const std::optional<FitResult> fit1 = FitImpedance(curve1, options);
    QVERIFY(freeFit && fit1);

    const std::optional<MechanicalEstimate> single =
        AddedMassEstimate(freeFit->model, fit1->model.fs, m1, sdOf(d));
    QVERIFY(single);
    QVERIFY2(relativeError(single->mmsKg, k.mms) < 0.02,
             qPrintable(QString::number(single->mmsKg)));
    QVERIFY2(relativeError(single->blTm, k.bl) < 0.02, qPrintable(QString::number(single->blTm)));
    QVERIFY(relativeError(single->cmsMPerN, k.cms) < 0.04);
    QVERIFY(single->vasLitres && relativeError(*single->vasLitres, d.vasLitres) < 0.04);

    if (noise == 0.0) {
        const std::optional<MechanicalEstimate> dual =
            DualAddedMassEstimate(freeFit->model, freeCurve, curve1, m1, curve2, m2, sdOf(d));
        QVERIFY(dual);
        QVERIFY2(relativeError(dual->mmsKg, k.mms) < 0.01,
                 qPrintable(QString::number(dual->mmsKg)));
        QVERIFY2(relativeError(dual->blTm, k.bl) < 0.01, qPrintable(QString::number(dual->blTm)));
        QVERIFY(relativeError(dual->cmsMPerN, k.cms) < 0.01);
        QVERIFY(dual->vasLitres && relativeError(*dual->vasLitres, d.vasLitres) < 0.01);
    }
    // Equal masses tell nothing about Bl.
    QVERIFY(!DualAddedMassEstimate(freeFit->model, freeCurve, curve1, m1, curve1, m1, sdOf(d)));
}

void TestImpedanceFit::testBox_data() {
    QTest::addColumn<int>("record");
    QTest::addColumn<double>("boxShare");
    for (int r : ShippedRows)
        for (double share : {0.3, 1.0})
            QTest::newRow(qPrintable(QStringLiteral("record %1, Vb %2 Vas").arg(r).arg(share)))
                << r << share;
}

// A closed box of Vb adds the air's stiffness rho c^2 Sd^2 / Vb.
void TestImpedanceFit::testBox() {
    QFETCH(int, record);
    QFETCH(double, boxShare);
    const ShippedDriver d = shipped(record);
    const Mechanics k = mechanicsOf(d);
    const double vb = boxShare * d.vasLitres;
    const double sd = sdOf(d);
    const double boxStiffness = Rho * SoundSpeed * SoundSpeed * sd * sd / (vb / 1000.0);
    const ElectricalModel free = electricalModel(d, InductanceModel::Plain, 0);
    const ImpedanceCurve freeCurve = SyntheticCurve(free, grid());
    const ImpedanceCurve boxCurve = SyntheticCurve(changedDriver(free, k, 0, boxStiffness), grid());
    const FitOptions options{InductanceModel::Plain, std::nullopt};
    const std::optional<FitResult> freeFit = FitImpedance(freeCurve, options);
    const std::optional<FitResult> boxFit = FitImpedance(boxCurve, options);
    QVERIFY(freeFit && boxFit);
    QVERIFY(relativeError(TestBoxVasLitres(vb, freeFit->model, boxFit->model), d.vasLitres) < 0.01);
}

void TestImpedanceFit::octaveWeights_data() {
    QTest::addColumn<bool>("linear");
    QTest::newRow("even in log f") << false;
    QTest::newRow("even in f, dense at the top") << true;
}

// A point between neighbours f - d and f + d stands for
// ln((f + d) / (f - d)) / 2 = atanh(d / f) of log f.
void TestImpedanceFit::octaveWeights() {
    QFETCH(bool, linear);
    std::vector<double> hz = LogGrid(10.0, 20000.0, 2000);
    const double step = 10.0;
    if (linear)
        for (size_t i = 0; i < hz.size(); ++i)
            hz[i] = step * double(i + 1);
    const std::vector<double> w = OctaveWeights(hz);
    const double mean = std::accumulate(w.begin(), w.end(), 0.0) / double(w.size());
    QVERIFY(std::fabs(mean - 1.0) < 1e-12);
    for (size_t i = 1; i + 1 < hz.size(); i += 97) {
        const double want = linear ? std::atanh(step / hz[i]) / std::atanh(step / hz[1]) : 1.0;
        QVERIFY2(relativeError(w[i] / w[1], want) < 1e-9, qPrintable(QString::number(w[i])));
    }
}

void TestImpedanceFit::creepingDrivers_data() {
    QTest::addColumn<int>("driver");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("seed");
    QTest::addColumn<double>("toHz"); // 0: the whole file
    for (int d = 0; d < int(std::size(RealisticDrivers)); ++d)
        for (InductanceModel kind : AllInductanceModels)
            for (const auto &[seed, to] : {std::pair{1, 0.0}, std::pair{2, 5000.0}})
                QTest::newRow(qPrintable(QStringLiteral("%1, %2, draw %3%4")
                                             .arg(QLatin1String(RealisticDrivers[d].name))
                                             .arg(InductanceModelName(kind))
                                             .arg(seed)
                                             .arg(to > 0 ? ", to 5 kHz" : "")))
                    << d << int(kind) << seed << to;
}

// A creep the fit does not have, each coil, 1 % noise: the figures of the
// compliance at Fs from the model that fits best, and from the classic
// estimate within 5 %.
void TestImpedanceFit::creepingDrivers() {
    QFETCH(int, driver);
    QFETCH(int, kind);
    QFETCH(int, seed);
    QFETCH(double, toHz);
    const CreepingDriver truth = creepingDriver(RealisticDrivers[driver], InductanceModel(kind));
    const ElectricalModel want = truth.atResonance();
    FitOptions options;
    if (toHz > 0)
        options.toHz = toHz;
    const std::optional<FitResult> fit = FitImpedance(measured(truth, 0.01, seed), options);
    QVERIFY(fit);
    QVERIFY(fit->iterations > 0 && fit->iterations <= MaxFitIterations);
    QCOMPARE(fit->tried.size(), std::size(AllInductanceModels));
    QVERIFY(toHz == 0 || fit->toHz <= toHz);
    const ElectricalModel &m = fit->model;
    const ClassicEstimate &c = fit->classic;
    const std::tuple<double, double, double> figures[] = {
        {m.fs, want.fs, 0.005},  {m.qms, want.qms, 0.03}, {m.qes, want.qes, 0.03},
        {m.re, want.re, 0.03},   {c.fs, want.fs, 0.05},   {c.qms, want.qms, 0.05},
        {c.qes, want.qes, 0.05}, {c.re, want.re, 0.05}};
    for (const auto &[value, reference, tolerance] : figures)
        QVERIFY2(relativeError(value, reference) < tolerance,
                 qPrintable(QString::number(value / reference - 1)));
    QVERIFY(fit->rmsPercent < 3.0 && fit->tried[fit->chosen].resonance.percent < 3.0);
}

void TestImpedanceFit::poorFitAdvice_data() {
    QTest::addColumn<int>("kind"); // of the curve
    QTest::addColumn<double>("noise");
    QTest::addColumn<double>("beta");
    QTest::addColumn<int>("models"); // the fit's, InductanceModel or -1 for all
    QTest::addColumn<bool>("creep");
    QTest::addColumn<double>("fromFs");  // the band from this share of Fs, 0: all
    QTest::addColumn<QString>("advice"); // empty: no sentence
    const int wright = int(InductanceModel::Wright), semi = int(InductanceModel::SemiInductance),
              lossy = int(InductanceModel::Lossy);
    QTest::newRow("a good fit") << semi << 0.01 << 0.05 << -1 << true << 0.0 << "";
    QTest::newRow("coil of Wright fitted with Le")
        << wright << 0.0 << 0.05 << 0 << true << 0.0 << "another voice-coil model";
    QTest::newRow("creep not fitted") << lossy << 0.0 << 0.12 << -1 << false << 0.0 << "creep on";
    QTest::newRow("a band from 0.6 Fs")
        << lossy << 0.0 << 0.12 << -1 << false << 0.6 << "a wider band";
    QTest::newRow("5 % noise") << semi << 0.05 << 0.05 << -1 << true << 0.0
                               << "a quieter measurement";
}

// The sentence names the bad figures and what to try.
void TestImpedanceFit::poorFitAdvice() {
    QFETCH(int, kind);
    QFETCH(double, noise);
    QFETCH(double, beta);
    QFETCH(int, models);
    QFETCH(bool, creep);
    QFETCH(double, fromFs);
    QFETCH(QString, advice);
    CreepingDriver truth = creepingDriver(RealisticDrivers[0], InductanceModel(kind));
    truth.beta = beta;
    FitOptions options;
    if (models >= 0)
        options.models = InductanceModel(models);
    options.fitCreep = creep;
    if (fromFs > 0)
        options.fromHz = fromFs * truth.nominal.fs;
    const std::optional<FitResult> fit = FitImpedance(measured(truth, noise, 7), options);
    QVERIFY(fit);
    const QString sentence = PoorFitSentence(*fit);
    const QString lead = QStringLiteral("The model does not describe this measurement well: ");
    QVERIFY2(advice.isEmpty() ? sentence.isEmpty()
                              : sentence.startsWith(lead) && sentence.contains(advice),
             qPrintable(sentence));
}

QTEST_GUILESS_MAIN(TestImpedanceFit)
#include "tst_impedancefit.moc"
