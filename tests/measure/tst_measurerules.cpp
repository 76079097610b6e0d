#include "DesignModel.h"
#include "Enclosures.h"
#include "MeasureRules.h"
#include "MemoryFieldStore.h"
#include "NumberText.h"
#include "SyntheticImpedance.h"
#include "TestFiles.h"

#include <QTest>

#include <cmath>
#include <set>

using namespace dravik;
using namespace dravik::test;

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Rho = 1.18, SoundSpeed = 345.0;

// A 12 inch woofer as masses and springs, and its electrical model.
struct Woofer {
    double re = 6.0, le = 1.1e-3, r2 = 4.0, l2 = 1.5e-3;
    double mms = 0.080, cms = 0.4e-3, bl = 12.0, rms = 1.8;
    double sdM2 = 0.05;

    ElectricalModel model(InductanceModel kind, double extraKg = 0, double stiffness = 0) const {
        const double mass = mms + extraKg;
        const double w = std::sqrt((1.0 / cms + stiffness) / mass);
        ElectricalModel m;
        m.coil.model = kind;
        m.re = re;
        m.coil.le = le;
        m.coil.r2 = r2;
        m.coil.l2 = l2;
        m.fs = w / (2 * Pi);
        m.qms = w * mass / rms;
        m.qes = w * mass * re / (bl * bl);
        return m;
    }
    double vasLitres() const { return Rho * SoundSpeed * SoundSpeed * sdM2 * sdM2 * cms * 1e3; }
};

ImpedanceCurve curveOf(const ElectricalModel &m) {
    return SyntheticCurve(m, LogGrid(5.0, 20000.0, 400));
}

double number(const MeasureReport &r, const char *name) {
    const auto it = r.fields.find(QLatin1String(name));
    if (it == r.fields.end())
        return std::nan("");
    return ParseFieldText(it->second);
}

bool near(double got, double want, double tolerance) {
    return std::fabs(got - want) <= tolerance * std::fabs(want);
}

const std::set<QString> &driverPageWrites() {
    static const std::set<QString> names = {"EFs", "EQes", "EQms",     "EQts",
                                            "ERe", "EVas", "EEffPDiam"};
    return names;
}

} // namespace

class TestMeasureRules : public QObject {
    Q_OBJECT

private slots:
    void sentencesWithoutParameters_data();
    void sentencesWithoutParameters();
    void freeAirAlone_data();
    void freeAirAlone();
    void sdFromEitherField_data();
    void sdFromEitherField();
    void massesAndBox_data();
    void massesAndBox();
    void writesOnlyTheDriverFigures_data();
    void writesOnlyTheDriverFigures();
    void refusesFiguresThePageCannotShow_data();
    void refusesFiguresThePageCannotShow();
    void refusesTypedFiguresThatOverflow_data();
    void refusesTypedFiguresThatOverflow();
    void chartsDrawTheFittedCurve_data();
    void chartsDrawTheFittedCurve();
    void realDriverAsPublished_data();
    void realDriverAsPublished();
};

void TestMeasureRules::sentencesWithoutParameters_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("status");
    QTest::newRow("no free-air curve") << 0 << QString::fromLatin1(NoFreeAirSentence);
    QTest::newRow("a resistor") << 1 << QString::fromLatin1(NoResonanceSentence);
}

void TestMeasureRules::sentencesWithoutParameters() {
    QFETCH(int, kind);
    QFETCH(QString, status);
    MeasureInputs in;
    if (kind == 1) {
        ElectricalModel resistor;
        resistor.re = 8;
        resistor.fs = 1;
        resistor.qms = 1;
        resistor.qes = 1e300;
        in.freeAir = curveOf(resistor);
    }
    const MeasureReport r = FitMeasurements(in);
    QCOMPARE(r.status, status);
    QVERIFY(r.fields.empty());
    QVERIFY(!r.driver);
    QVERIFY(!r.freeAirFit);
}

void TestMeasureRules::freeAirAlone_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("dc");
    QTest::newRow("Le, Re fitted") << int(InductanceModel::Plain) << QString();
    QTest::newRow("R2-L2, Re fitted") << int(InductanceModel::Lossy) << QString();
    QTest::newRow("R2-L2, Re typed") << int(InductanceModel::Lossy) << QStringLiteral("6");
    QTest::newRow("Re typed as 0 is not typed") << int(InductanceModel::Lossy) << "0";
}

// The free-air curve alone gives the electrical figures, no Vas and no Sd.
void TestMeasureRules::freeAirAlone() {
    QFETCH(int, kind);
    QFETCH(QString, dc);
    const Woofer w;
    const auto inductance = InductanceModel(kind);
    MeasureInputs in;
    in.models = inductance;
    in.freeAir = curveOf(w.model(InductanceModel::Lossy));
    in.dcResistance = dc;
    const MeasureReport r = FitMeasurements(in);
    QVERIFY(r.driver);
    QVERIFY(r.status.startsWith(QStringLiteral("Fitted in ")));
    const ElectricalModel truth = w.model(InductanceModel::Lossy);
    // A plain Le cannot follow the lossy coil exactly; near enough for Fs.
    const double tolerance = inductance == InductanceModel::Lossy ? 0.001 : 0.02;
    QVERIFY(near(r.driver->fs, truth.fs, tolerance));
    if (inductance == InductanceModel::Lossy)
        QVERIFY(near(r.driver->qes, truth.qes, 0.001));
    QVERIFY(near(r.driver->qts, TotalQ(r.driver->qms, r.driver->qes), 1e-12));
    QVERIFY(!r.driver->vasLitres);
    QVERIFY(!r.driver->effectiveDiameterMm);
    // Shown as written to the Driver page.
    QCOMPARE(r.fields.at("EFitFs"), FrequencyText(r.driver->fs));
    QCOMPARE(r.fields.at("EFitLe"), InductanceText(r.driver->leMh));
    QCOMPARE(r.fields.count("EFitR2"), size_t(inductance == InductanceModel::Lossy));
    QCOMPARE(r.fields.count("EMassMms"), size_t(0));
    if (dc == QLatin1String("6"))
        QCOMPARE(r.driver->re, 6.0);
    for (const ResultField &f : ClassicResultFields())
        QVERIFY2(r.fields.count(QLatin1String(f.name)), f.name);
}

void TestMeasureRules::sdFromEitherField_data() {
    QTest::addColumn<QString>("sdCm2");
    QTest::addColumn<QString>("diameterMm");
    QTest::addColumn<double>("sdM2");
    QTest::newRow("cm^2") << "500"
                          << "" << 0.05;
    QTest::newRow("cm^2 before the diameter") << "500"
                                              << "100" << 0.05;
    QTest::newRow("diameter") << ""
                              << "200" << Pi * 0.01;
    QTest::newRow("cm^2 not a number") << "big"
                                       << "200" << Pi * 0.01;
    QTest::newRow("neither") << "0"
                             << "-3" << 0.0;
}

void TestMeasureRules::sdFromEitherField() {
    QFETCH(QString, sdCm2);
    QFETCH(QString, diameterMm);
    QFETCH(double, sdM2);
    const std::optional<double> sd = SdFromInputs(sdCm2, diameterMm);
    QCOMPARE(bool(sd), sdM2 > 0.0);
    if (sd)
        QVERIFY(near(*sd, sdM2, 1e-12));
}

void TestMeasureRules::massesAndBox_data() {
    QTest::addColumn<bool>("mass1");
    QTest::addColumn<bool>("mass2");
    QTest::addColumn<bool>("box");
    QTest::newRow("mass 1") << true << false << false;
    QTest::newRow("mass 2 alone") << false << true << false;
    QTest::newRow("both masses") << true << true << false;
    QTest::newRow("test box") << false << false << true;
    QTest::newRow("mass and box") << true << false << true;
}

// Vas comes from the added masses where they are given, else from the box.
void TestMeasureRules::massesAndBox() {
    QFETCH(bool, mass1);
    QFETCH(bool, mass2);
    QFETCH(bool, box);
    const Woofer w;
    const auto lossy = InductanceModel::Lossy;
    MeasureInputs in;
    in.models = lossy;
    in.freeAir = curveOf(w.model(lossy));
    in.sdCm2 = QStringLiteral("500");
    if (mass1) {
        in.addedMass1 = curveOf(w.model(lossy, 0.012));
        in.addedMass1Grams = QStringLiteral("12");
    }
    if (mass2) {
        in.addedMass2 = curveOf(w.model(lossy, 0.024));
        in.addedMass2Grams = QStringLiteral("24");
    }
    if (box) {
        // 50 l of air: rho c^2 Sd^2 / Vb more stiffness.
        in.testBox =
            curveOf(w.model(lossy, 0, Rho * SoundSpeed * SoundSpeed * w.sdM2 * w.sdM2 / 0.05));
        in.testBoxLitres = QStringLiteral("50");
    }
    const MeasureReport r = FitMeasurements(in);
    QVERIFY(r.driver && r.driver->vasLitres);
    QVERIFY(near(*r.driver->vasLitres, w.vasLitres(), 0.01));
    QVERIFY(r.driver->effectiveDiameterMm);
    QVERIFY(near(*r.driver->effectiveDiameterMm, 2000 * std::sqrt(0.05 / Pi), 1e-12));
    if (mass1 || mass2) {
        QVERIFY(near(number(r, "EMassMms"), w.mms * 1e3, 0.01));
        QVERIFY(near(number(r, "EMassBl"), w.bl, 0.01));
        QVERIFY(near(number(r, "EMassVas"), w.vasLitres(), 0.01));
    }
    QCOMPARE(r.fields.count("EDualMms"), size_t(mass1 && mass2));
    if (mass1 && mass2) {
        QVERIFY(near(number(r, "EDualMms"), w.mms * 1e3, 0.01));
        QVERIFY(near(number(r, "EDualBl"), w.bl, 0.01));
        // The dual figure is the one used.
        QCOMPARE(FormatFieldValue(*r.driver->vasLitres, 2), r.fields.at("EDualVas"));
    }
    QCOMPARE(r.fields.count("ETestBoxVas"), size_t(box));
    if (box)
        QVERIFY(near(number(r, "ETestBoxVas"), w.vasLitres(), 0.01));
}

void TestMeasureRules::writesOnlyTheDriverFigures_data() {
    QTest::addColumn<bool>("withVas");
    QTest::newRow("all figures") << true;
    QTest::newRow("without Vas and Sd") << false;
}

void TestMeasureRules::writesOnlyTheDriverFigures() {
    QFETCH(bool, withVas);
    MeasuredDriver d;
    d.fs = 27.456;
    d.qes = 0.4321;
    d.qms = 5.4321;
    d.qts = TotalQ(d.qms, d.qes);
    d.re = 5.678;
    d.leMh = 1.5;
    if (withVas) {
        d.vasLitres = 123.456;
        d.effectiveDiameterMm = 301.26;
    }
    MemoryFieldStore store;
    WriteDriverFields(store, d);
    QCOMPARE(store.text("EFs"), QStringLiteral("27.46"));
    QCOMPARE(store.text("EQes"), QStringLiteral("0.432"));
    QCOMPARE(store.text("EQms"), QStringLiteral("5.432"));
    QCOMPARE(store.text("EQts"), FormatFieldValue(d.qts, 3));
    QCOMPARE(store.text("ERe"), QStringLiteral("5.68"));
    QCOMPARE(store.text("EVas"), withVas ? QStringLiteral("123.46") : QStringLiteral("226"));
    QCOMPARE(store.text("EEffPDiam"), withVas ? QStringLiteral("301.3") : QStringLiteral("457"));
    for (const FieldSpec &f : mainWindowFields()) {
        const QString name = QLatin1String(f.name);
        const bool written =
            driverPageWrites().count(name) && (withVas || (name != "EVas" && name != "EEffPDiam"));
        QVERIFY2(store.writes(f.id) == (written ? 1 : 0), f.name);
    }
}

void TestMeasureRules::refusesFiguresThePageCannotShow_data() {
    QTest::addColumn<int>("figure"); // Fs, Qms, Vas, diameter
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("refusal"); // empty: written
    QTest::newRow("Vas 1e300 is a number") << 2 << 1e300 << "";
    QTest::newRow("Vas infinite") << 2 << HUGE_VAL << "refuses Vas: it would read INF";
    QTest::newRow("Vas 5e-324") << 2 << 5e-324 << "refuses Vas: it would read 0.00";
    QTest::newRow("Vas negative") << 2 << -3.0 << "refuses Vas: it would read -3.00";
    QTest::newRow("diameter not a number")
        << 3 << std::nan("") << "refuses the effective piston diameter: it would read NAN";
    QTest::newRow("Fs 0.004") << 0 << 0.004 << "refuses Fs: it would read 0.00";
    QTest::newRow("Qms 0.0004") << 1 << 0.0004 << "refuses Qms: it would read 0.000";
    QTest::newRow("Qms 0.0005 rounds up") << 1 << 0.0005 << "";
}

// One check for every figure the Driver page gets: refused, none is written.
void TestMeasureRules::refusesFiguresThePageCannotShow() {
    QFETCH(int, figure);
    QFETCH(double, value);
    QFETCH(QString, refusal);
    MeasuredDriver d{27.5, 0.43, 5.4, 0.4, 5.7, 1.0, 40.0, 300.0, {}};
    double *const figures[] = {&d.fs, &d.qms, &*d.vasLitres, &*d.effectiveDiameterMm};
    *figures[figure] = value;
    const QString message =
        refusal.isEmpty() ? QString() : "Use these parameters " + refusal + " in the Driver page";
    QCOMPARE(errorOf([&] { CheckDriverFields(d); }), message);
    MemoryFieldStore store;
    QCOMPARE(errorOf([&] { WriteDriverFields(store, d); }), message);
    QCOMPARE(store.writes("EFs") + store.writes("EEffPDiam"), refusal.isEmpty() ? 2 : 0);
}

void TestMeasureRules::refusesTypedFiguresThatOverflow_data() {
    QTest::addColumn<QString>("sdCm2");
    QTest::addColumn<QString>("grams");
    QTest::addColumn<bool>("refused");
    QTest::newRow("as measured") << "500"
                                 << "12" << false;
    QTest::newRow("Sd 1e300") << "1e300"
                              << "12" << true;
    QTest::newRow("Sd 5e-324") << "5e-324"
                               << "12" << true;
    QTest::newRow("mass 1e300 g") << "500"
                                  << "1e300" << true;
}

// Typed beyond reason, Sd and the mass made Vas INF or 0.00: refused by name.
void TestMeasureRules::refusesTypedFiguresThatOverflow() {
    QFETCH(QString, sdCm2);
    QFETCH(QString, grams);
    QFETCH(bool, refused);
    MeasureInputs in;
    in.freeAir = curveOf(Woofer().model(InductanceModel::Plain));
    in.addedMass1 = curveOf(Woofer().model(InductanceModel::Plain, 0.012));
    in.addedMass1Grams = grams;
    in.sdCm2 = sdCm2;
    const MeasureReport r = FitMeasurements(in);
    QVERIFY(r.driver);
    const QString refusal = errorOf([&] { CheckDriverFields(*r.driver); });
    QCOMPARE(refusal.startsWith(QStringLiteral("Use these parameters refuses Vas: ")), refused);
}

QTEST_GUILESS_MAIN(TestMeasureRules)
#include "tst_measurerules.moc"

void TestMeasureRules::chartsDrawTheFittedCurve_data() {
    QTest::addColumn<int>("model");
    QTest::addColumn<double>("creep");
    QTest::newRow("Le") << int(InductanceModel::Plain) << 0.0;
    QTest::newRow("R2-L2, creep") << int(InductanceModel::Lossy) << 0.08;
    QTest::newRow("Wright, creep") << int(InductanceModel::Wright) << 0.05;
    QTest::newRow("semi-inductance, creep") << int(InductanceModel::SemiInductance) << 0.1;
}

// "Use these parameters" takes the fitted coil model and creep into the
// design, and the design's impedance chart is the very curve the fit drew.
// The driver sits in a closed box so large that its air adds a stiffness of
// 1e-10 of the suspension's; the box's loss, ClosedBoxLossFactor of the
// mass's reactance at the system's resonance, joins Rms.
void TestMeasureRules::chartsDrawTheFittedCurve() {
    QFETCH(int, model);
    QFETCH(double, creep);
    ElectricalModel truth = Woofer().model(InductanceModel(model));
    truth.coil.krm = 0.004, truth.coil.erm = 0.72, truth.coil.kxm = 0.02, truth.coil.exm = 0.66;
    truth.coil.leb = 0.15e-3, truth.coil.rss = 12.0, truth.coil.ke = 0.06;
    if (truth.coil.model == InductanceModel::SemiInductance)
        truth.coil.le = 2e-3;
    truth.creep = creep;
    MeasureInputs in;
    in.freeAir = curveOf(truth);
    in.models = truth.coil.model;
    const MeasureReport r = FitMeasurements(in);
    QVERIFY2(r.driver && r.freeAirFit, qPrintable(r.status));
    const ElectricalModel &fit = *r.freeAirFit;
    QCOMPARE(int(fit.coil.model), model);
    QCOMPARE(int(r.driver->coilAndCreep.voiceCoil.model), model);

    DesignSetup s;
    s.enclosure.kind = BoxKind::Closed;
    s.driver = r.driver->coilAndCreep;
    s.driver.fs = fit.fs, s.driver.qes = fit.qes, s.driver.qms = fit.qms, s.driver.re = fit.re;
    s.driver.vasLitres = 50.0;
    s.enclosure.vbLitres = 5e11;
    const std::vector<double> f = ChartFrequencies(12);
    const DesignCurves c = ComputeDesignCurves(s, f);
    QVERIFY(c.has(Chart::Impedance));

    ElectricalModel inBox = fit;
    const double alpha = *s.driver.vasLitres / *s.enclosure.vbLitres;
    inBox.qms = 1.0 / (1.0 / fit.qms + ClosedBoxLossFactor * std::sqrt(1.0 + alpha));
    for (size_t k = 0; k < f.size(); ++k) {
        const Impedance z = ModelImpedance(inBox, f[k]);
        QVERIFY2(near(c.impedanceOhm[k], std::abs(z), 1e-8),
                 qPrintable(QStringLiteral("|Z| at %1 Hz").arg(f[k])));
        QVERIFY2(std::abs(c.impedancePhaseDeg[k] - std::arg(z) * 180.0 / Pi) < 1e-6,
                 qPrintable(QStringLiteral("phase at %1 Hz").arg(f[k])));
    }
}

void TestMeasureRules::realDriverAsPublished_data() {
    QTest::addColumn<QString>("fitTo");
    QTest::addColumn<QString>("dcResistance");
    QTest::newRow("the whole file") << QString() << QString();
    QTest::newRow("up to 2 kHz") << QStringLiteral("2000") << QString();
    QTest::newRow("Re typed") << QString() << QStringLiteral("5.72");
}

// A SEAS L16RNX measured in free air and with 8.017 g and 16.048 g on its
// cone (README.md in the data's folder), fitted as a user would, against the
// figures Speakerbench published from the same files: Fs within 0.5 %, Re,
// Qes and Qms within 3 %, the classic estimate within 5 %, the added masses'
// Mms, Bl and Cms within 3 %.
void TestMeasureRules::realDriverAsPublished() {
    QFETCH(QString, fitTo);
    QFETCH(QString, dcResistance);
    const QString dir = QStringLiteral(DRAVIK_REAL_DRIVER_DIR "/");
    MeasureInputs in;
    in.freeAir = ReadImpedanceFile(dir + "L16RNX_0g_242_27mV.zma");
    in.addedMass1 = ReadImpedanceFile(dir + "L16RNX_8_017g_242_27mV.zma");
    in.addedMass2 = ReadImpedanceFile(dir + "L16RNX_16_048g_242_27mV.zma");
    in.addedMass1Grams = QStringLiteral("8.017");
    in.addedMass2Grams = QStringLiteral("16.048");
    in.fitToHz = fitTo;
    in.dcResistance = dcResistance;
    const MeasureReport r = FitMeasurements(in);
    QVERIFY2(r.driver, qPrintable(r.status));
    const double re = 5.7212, fs = 44.985, qes = 0.4903, qms = 1.995;
    const double mmsG = 14.8959, bl = 7.0089, cmsMmPerN = 0.8403;
    QVERIFY2(near(r.driver->fs, fs, 0.005), qPrintable(QString::number(r.driver->fs)));
    QVERIFY2(near(r.driver->re, re, 0.03), qPrintable(QString::number(r.driver->re)));
    QVERIFY2(near(r.driver->qes, qes, 0.03), qPrintable(QString::number(r.driver->qes)));
    QVERIFY2(near(r.driver->qms, qms, 0.03), qPrintable(QString::number(r.driver->qms)));
    const std::pair<const char *, double> classic[] = {
        {"EClassicRe", re}, {"EClassicFs", fs}, {"EClassicQes", qes}, {"EClassicQms", qms}};
    for (const auto &[field, published] : classic)
        QVERIFY2(near(number(r, field), published, 0.05), field);
    const std::pair<const char *, double> masses[] = {
        {"EMassMms", mmsG}, {"EMassBl", bl}, {"EMassCms", cmsMmPerN},
        {"EDualMms", mmsG}, {"EDualBl", bl}, {"EDualCms", cmsMmPerN}};
    for (const auto &[field, published] : masses)
        QVERIFY2(near(number(r, field), published, 0.03),
                 qPrintable(QStringLiteral("%1 %2").arg(field).arg(number(r, field))));
}
