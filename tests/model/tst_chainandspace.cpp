// The signal chain, the listening space and the amplifier's limits against
// closed forms and invariants: each filter's figures at its corner, the
// room's modes, the cabin's gain, and a design driven at its maximum power
// reaching exactly one limit.
#include "DesignModel.h"
#include "FilterStages.h"
#include "ListeningSpace.h"
#include "SignalChain.h"
#include "StartUpDesign.h"

#include <QTest>

#include <cmath>

using namespace dravik;

Q_DECLARE_METATYPE(dravik::FilterStage)
Q_DECLARE_METATYPE(dravik::SpaceKind)

namespace {

constexpr double Pi = 3.14159265358979323846;

double Db(const DualComplex &h) {
    return 20.0 * std::log10(std::abs(h.value));
}

DualComplex At(const FilterStage &f, double hz) {
    return ChainResponse({f}, 2.0 * Pi * hz);
}

using test::Pass;
using test::Shaping;

DesignSetup Design() {
    return test::StartUpVented();
}

const std::vector<double> &Frequencies() {
    static const std::vector<double> f = ChartFrequencies(24);
    return f;
}

} // namespace

class TestChainAndSpace : public QObject {
    Q_OBJECT
private slots:
    void filterLevel_data();
    void filterLevel();
    void besselPhaseAtCorner();
    void highAndLowPassMirror();
    void shelvesAndTransform_data();
    void shelvesAndTransform();
    void groupDelayIsPhaseSlope_data();
    void groupDelayIsPhaseSlope();
    void refusedFilters_data();
    void refusedFilters();
    void chainActsOnTheDrive();
    void freeField_data();
    void freeField();
    void saloonCabin_data();
    void saloonCabin();
    void roomModes();
    void roomBelowItsFirstMode();
    void modeCountIsBounded_data();
    void modeCountIsBounded();
    void modesCutShortOnlyWhenCut_data();
    void modesCutShortOnlyWhenCut();
    void refusedSpaces_data();
    void refusedSpaces();
    void maximumPowerReachesOneLimit_data();
    void maximumPowerReachesOneLimit();
    void placementVariation();
};

void TestChainAndSpace::filterLevel_data() {
    QTest::addColumn<FilterStage>("filter");
    QTest::addColumn<double>("hz");
    QTest::addColumn<double>("db");
    using T = FilterType;
    using A = FilterAlignment;
    // A Butterworth high-pass an octave below its corner: -10 log10(1 + 4^n).
    const double octaveBelow[] = {-6.99, -12.30, -18.13, -24.10};
    for (int n = 1; n <= 4; ++n)
        QTest::addRow("butterworth %d an octave below", n)
            << Pass(T::HighPass, A::Butterworth, n) << 50.0 << octaveBelow[n - 1];
    for (int n = 1; n <= 8; ++n) {
        QTest::addRow("butterworth high-pass %d at the corner", n)
            << Pass(T::HighPass, A::Butterworth, n) << 100.0 << -3.0103;
        QTest::addRow("butterworth low-pass %d at the corner", n)
            << Pass(T::LowPass, A::Butterworth, n) << 100.0 << -3.0103;
    }
    for (int n : {2, 4, 6, 8}) {
        QTest::addRow("linkwitz-riley high-pass %d at the corner", n)
            << Pass(T::HighPass, A::LinkwitzRiley, n) << 100.0 << -6.0206;
        QTest::addRow("linkwitz-riley low-pass %d at the corner", n)
            << Pass(T::LowPass, A::LinkwitzRiley, n) << 100.0 << -6.0206;
    }
    QTest::newRow("bessel 2") << Pass(T::LowPass, A::Bessel, 2) << 100.0 << -4.77;
    QTest::newRow("bessel 3") << Pass(T::LowPass, A::Bessel, 3) << 100.0 << -6.31;
    QTest::newRow("bessel 4") << Pass(T::HighPass, A::Bessel, 4) << 100.0 << -7.78;
    // A second-order section's level at its corner is its Q.
    FilterStage subsonic = Pass(T::HighPass, A::Q, 2);
    subsonic.q = 0.5;
    QTest::newRow("q 0.5 at the corner") << subsonic << 100.0 << -6.0206;
    subsonic.q = 2.0;
    QTest::newRow("q 2 at the corner") << subsonic << 100.0 << 6.0206;
    QTest::newRow("far in the passband") << Pass(T::HighPass, A::Bessel, 8) << 1e5 << 0.0;
    QTest::newRow("gain") << Shaping(T::Gain, 0, 0, -7.5) << 31.0 << -7.5;
}

void TestChainAndSpace::filterLevel() {
    QFETCH(FilterStage, filter);
    QFETCH(double, hz);
    QFETCH(double, db);
    QVERIFY(!FilterFault(filter, 1));
    QVERIFY2(std::fabs(Db(At(filter, hz)) - db) < 0.005,
             qPrintable(QString::number(Db(At(filter, hz)))));
}

void TestChainAndSpace::besselPhaseAtCorner() {
    // Scaled so that the phase at the corner is half the whole shift.
    for (int n = 2; n <= 8; ++n) {
        const FilterStage f = Pass(FilterType::LowPass, FilterAlignment::Bessel, n);
        const double phase = std::arg(At(f, 100.0).value);
        double expected = -n * Pi / 4.0;
        expected = std::remainder(expected, 2.0 * Pi);
        QVERIFY2(std::fabs(std::remainder(phase - expected, 2.0 * Pi)) < 1e-9,
                 qPrintable(QString::number(n)));
    }
}

void TestChainAndSpace::highAndLowPassMirror() {
    // A high-pass at f is its low-pass twin at f0^2 / f, every alignment.
    for (FilterAlignment a : {FilterAlignment::Butterworth, FilterAlignment::LinkwitzRiley,
                              FilterAlignment::Bessel, FilterAlignment::Q})
        for (int n : {2, 4}) {
            if (a == FilterAlignment::Q && n != 2)
                continue;
            const FilterStage hp = Pass(FilterType::HighPass, a, n, 40.0);
            const FilterStage lp = Pass(FilterType::LowPass, a, n, 40.0);
            for (double f : {5.0, 27.0, 40.0, 90.0})
                QCOMPARE_LE(std::fabs(Db(At(hp, f)) - Db(At(lp, 1600.0 / f))), 1e-9);
        }
}

void TestChainAndSpace::shelvesAndTransform_data() {
    QTest::addColumn<FilterStage>("filter");
    QTest::addColumn<double>("hz");
    QTest::addColumn<double>("db");
    using T = FilterType;
    FilterStage lt;
    lt.type = T::LinkwitzTransform;
    lt.frequencyHz = 50.0;
    lt.q = 0.9;
    lt.fpHz = 25.0;
    lt.qp = 0.707;
    QTest::newRow("transform towards DC") << lt << 0.01 << 12.0412;
    QTest::newRow("transform far above") << lt << 1e5 << 0.0;
    for (double g : {-12.0, 6.0}) {
        QTest::addRow("peaking %g at f0", g) << Shaping(T::Peaking, 40, 3, g) << 40.0 << g;
        QTest::addRow("peaking %g far off", g) << Shaping(T::Peaking, 40, 3, g) << 1e5 << 0.0;
        QTest::addRow("low shelf %g at DC", g) << Shaping(T::LowShelf, 40, 0.7071, g) << 1e-3 << g;
        QTest::addRow("low shelf %g at f0", g)
            << Shaping(T::LowShelf, 40, 0.7071, g) << 40.0 << g / 2;
        QTest::addRow("low shelf %g far above", g)
            << Shaping(T::LowShelf, 40, 0.7071, g) << 1e6 << 0.0;
        QTest::addRow("high shelf %g at DC", g)
            << Shaping(T::HighShelf, 40, 0.7071, g) << 1e-3 << 0.0;
        QTest::addRow("high shelf %g at f0", g)
            << Shaping(T::HighShelf, 40, 0.7071, g) << 40.0 << g / 2;
        QTest::addRow("high shelf %g far above", g)
            << Shaping(T::HighShelf, 40, 0.7071, g) << 1e6 << g;
    }
}

void TestChainAndSpace::shelvesAndTransform() {
    QFETCH(FilterStage, filter);
    QFETCH(double, hz);
    QFETCH(double, db);
    QVERIFY(!FilterFault(filter, 1));
    QVERIFY2(std::fabs(Db(At(filter, hz)) - db) < 0.01,
             qPrintable(QString::number(Db(At(filter, hz)))));
}

void TestChainAndSpace::groupDelayIsPhaseSlope_data() {
    QTest::addColumn<std::vector<FilterStage>>("chain");
    using T = FilterType;
    using A = FilterAlignment;
    QTest::newRow("butterworth 8")
        << std::vector<FilterStage>{Pass(T::HighPass, A::Butterworth, 8, 18)};
    QTest::newRow("bessel 5 low-pass")
        << std::vector<FilterStage>{Pass(T::LowPass, A::Bessel, 5, 80)};
    FilterStage lt;
    lt.type = T::LinkwitzTransform;
    lt.frequencyHz = 50.0;
    lt.q = 0.9;
    lt.fpHz = 25.0;
    lt.qp = 0.707;
    QTest::newRow("a whole chain")
        << std::vector<FilterStage>{Pass(T::HighPass, A::LinkwitzRiley, 4, 15),
                                    lt,
                                    Shaping(T::Peaking, 45, 4, -6),
                                    Shaping(T::LowShelf, 30, 0.7, 4),
                                    Shaping(T::HighShelf, 90, 1.0, -3),
                                    Shaping(T::Gain, 0, 0, 2)};
}

void TestChainAndSpace::groupDelayIsPhaseSlope() {
    QFETCH(std::vector<FilterStage>, chain);
    for (double f = 8.0; f < 300.0; f *= 1.37) {
        const double w = 2.0 * Pi * f, h = w * 1e-6;
        const DualComplex r = ChainResponse(chain, w);
        const double exact = -(r.slope / r.value).imag();
        const double numeric =
            -std::arg(ChainResponse(chain, w + h).value / ChainResponse(chain, w - h).value) /
            (2.0 * h);
        QVERIFY2(std::fabs(exact - numeric) <= 1e-6 * std::max(1.0, std::fabs(exact)) + 1e-9,
                 qPrintable(QStringLiteral("%1 Hz: %2 against %3").arg(f).arg(exact).arg(numeric)));
    }
}

void TestChainAndSpace::refusedFilters_data() {
    QTest::addColumn<FilterStage>("filter");
    QTest::addColumn<QString>("sentence");
    using T = FilterType;
    using A = FilterAlignment;
    QTest::newRow("order 9") << Pass(T::HighPass, A::Butterworth, 9)
                             << "Filter 3: a Butterworth filter's order must be 1 to 8.";
    QTest::newRow("linkwitz-riley 3")
        << Pass(T::LowPass, A::LinkwitzRiley, 3)
        << "Filter 3: a Linkwitz-Riley filter's order must be 2, 4, 6 or 8.";
    QTest::newRow("bessel 1") << Pass(T::LowPass, A::Bessel, 1)
                              << "Filter 3: a Bessel filter's order must be 2 to 8.";
    QTest::newRow("corner at 0 Hz")
        << Pass(T::HighPass, A::Butterworth, 4, 0.0)
        << "Filter 3: the corner frequency must be above 0 Hz and at most 100000 Hz.";
    QTest::newRow("corner NaN")
        << Pass(T::HighPass, A::Butterworth, 4, std::nan(""))
        << "Filter 3: the corner frequency must be above 0 Hz and at most 100000 Hz.";
    FilterStage q = Pass(T::HighPass, A::Q, 2);
    q.q = 0.0;
    QTest::newRow("Q of 0") << q << "Filter 3: the Q must be above 0 and at most 1000.";
    QTest::newRow("gain of 1e308")
        << Shaping(T::Gain, 0, 0, 1e308) << "Filter 3: the gain must be from -120 to 120 dB.";
    QTest::newRow("peaking Q of 0")
        << Shaping(T::Peaking, 40, 0, 3) << "Filter 3: the Q must be above 0 and at most 1000.";
}

void TestChainAndSpace::refusedFilters() {
    QFETCH(FilterStage, filter);
    QFETCH(QString, sentence);
    QCOMPARE(FilterFault(filter, 3).value_or(QString()), sentence);
    // In a design the charts that follow the chain say so; the impedance,
    // which the chain does not touch, is drawn.
    DesignSetup s = Design();
    s.filters = {Pass(FilterType::Gain, FilterAlignment::Butterworth, 1), filter};
    const DesignCurves c = ComputeDesignCurves(s, Frequencies());
    for (Chart chart : {Chart::Spl, Chart::Excursion, Chart::Limits, Chart::Chain})
        QCOMPARE(c.lacks(chart).inputs, Bit(ModelInput::SignalChain));
    QVERIFY(c.has(Chart::Impedance));
    QCOMPARE(MissingInputsSentence(Chart::Spl, c.lacks(Chart::Spl)),
             QStringLiteral("SPL needs a signal chain of usable filters (this window)."));
    s.filters.assign(MaxFilters + 1, Shaping(FilterType::Gain, 0, 0, 1));
    QCOMPARE(ChainFault(s.filters).value_or(QString()),
             QStringLiteral("The signal chain holds at most 8 filters."));
}

void TestChainAndSpace::chainActsOnTheDrive() {
    // The chain scales the amplifier's voltage: the level by its gain, the
    // excursion and the air velocity by its magnitude; the impedance stays,
    // the group delay adds the chain's; a disabled filter does nothing.
    const DesignSetup plain = Design();
    DesignSetup filtered = plain;
    filtered.filters = {Pass(FilterType::HighPass, FilterAlignment::Butterworth, 4, 18),
                        Shaping(FilterType::Peaking, 40, 2, -4)};
    DesignSetup disabled = filtered;
    for (FilterStage &f : disabled.filters)
        f.enabled = false;
    const DesignCurves a = ComputeDesignCurves(plain, Frequencies());
    const DesignCurves b = ComputeDesignCurves(filtered, Frequencies());
    const DesignCurves off = ComputeDesignCurves(disabled, Frequencies());
    for (size_t i = 0; i < Frequencies().size(); ++i) {
        const double w = 2.0 * Pi * Frequencies()[i];
        const DualComplex h = ChainResponse(filtered.filters, w);
        const double gain = std::abs(h.value);
        QCOMPARE_LE(std::fabs(b.splDb[i] - a.splDb[i] - 20.0 * std::log10(gain)), 1e-9);
        QCOMPARE_LE(std::fabs(b.chainDb[i] - 20.0 * std::log10(gain)), 1e-9);
        QCOMPARE_LE(std::fabs(b.excursionMm[i] - a.excursionMm[i] * gain), 1e-9 * a.excursionMm[i]);
        QCOMPARE_LE(std::fabs(b.portVelocity[i] - a.portVelocity[i] * gain),
                    1e-9 * a.portVelocity[i]);
        QCOMPARE(b.impedanceOhm[i], a.impedanceOhm[i]);
        const double chainDelayMs = -1e3 * (h.slope / h.value).imag();
        QCOMPARE_LE(std::fabs(b.groupDelayMs[i] - a.groupDelayMs[i] - chainDelayMs), 1e-6);
        QCOMPARE(off.splDb[i], a.splDb[i]);
        QCOMPARE(off.chainDb[i], 0.0);
        // The maximum level at one frequency is set by what reaches the
        // driver: the chain moves the power it takes, not the level.
        QCOMPARE_LE(std::fabs(b.maxSplDb[i] - a.maxSplDb[i]), 1e-6);
        QCOMPARE_LE(std::fabs(b.maxPowerW[i] * gain * gain - a.maxPowerW[i]),
                    1e-6 * a.maxPowerW[i]);
    }
}

void TestChainAndSpace::freeField_data() {
    QTest::addColumn<SpaceKind>("kind");
    QTest::addColumn<double>("db");
    QTest::newRow("full space") << SpaceKind::FullSpace << -6.0206;
    QTest::newRow("half space") << SpaceKind::HalfSpace << 0.0;
    QTest::newRow("quarter space") << SpaceKind::QuarterSpace << 6.0206;
    QTest::newRow("eighth space") << SpaceKind::EighthSpace << 12.0412;
}

void TestChainAndSpace::freeField() {
    QFETCH(SpaceKind, kind);
    QFETCH(double, db);
    DesignSetup s = Design();
    const DesignCurves half = ComputeDesignCurves(s, Frequencies());
    s.environment.kind = kind;
    const DesignCurves c = ComputeDesignCurves(s, Frequencies());
    for (size_t i = 0; i < Frequencies().size(); ++i) {
        QCOMPARE_LE(std::fabs(c.splDb[i] - half.splDb[i] - db), 1e-4);
        QCOMPARE_LE(std::fabs(c.spaceDb[i] - db), 1e-4);
        QCOMPARE_LE(std::fabs(c.maxSplDb[i] - half.maxSplDb[i] - db), 1e-4);
        QCOMPARE(c.excursionMm[i], half.excursionMm[i]);
        QCOMPARE(c.groupDelayMs[i], half.groupDelayMs[i]);
    }
    QVERIFY(!c.has(Chart::Room));
}

void TestChainAndSpace::saloonCabin_data() {
    QTest::addColumn<double>("hz");
    QTest::addColumn<double>("db");
    // An averaged saloon's gain as the literature gives it.
    QTest::newRow("20 Hz") << 20.0 << 17.0;
    QTest::newRow("40 Hz") << 40.0 << 8.0;
    QTest::newRow("63 Hz") << 63.0 << 3.0;
    QTest::newRow("80 Hz") << 80.0 << 1.3;
}

void TestChainAndSpace::saloonCabin() {
    QFETCH(double, hz);
    QFETCH(double, db);
    const CabinPreset &saloon = CabinPresets().front();
    QCOMPARE(QLatin1String(saloon.name), QLatin1String("Saloon"));
    DesignSetup s = Design();
    s.environment.kind = SpaceKind::Car;
    s.environment.cabin.cornerFromLength = true;
    s.environment.cabin.lengthM = saloon.lengthM;
    s.environment.cabin.slopeDbPerOctave = saloon.slopeDbPerOctave;
    const DesignCurves c = ComputeDesignCurves(s, {hz, 1000.0});
    QVERIFY2(std::fabs(c.spaceDb[0] - db) <= 1.0, qPrintable(QString::number(c.spaceDb[0])));
    // Far above the corner the cabin adds nothing; the most gain caps it.
    QCOMPARE_LE(std::fabs(c.spaceDb[1]), 0.01);
    QCOMPARE(CabinGainDb(0.001, 70.0, 12.0, 40.0), 40.0);
    // Slope S a doubling far below the corner.
    QCOMPARE_LE(
        std::fabs(CabinGainDb(1.0, 70.0, 12.0, 100.0) - CabinGainDb(2.0, 70.0, 12.0, 100.0) - 12.0),
        1e-6);
}

void TestChainAndSpace::roomModes() {
    const std::vector<RoomMode> modes = RoomModes(5.0, 4.0, 2.5, 345.0, 82.0, MaxRoomModes);
    const double expected[] = {0.0, 34.50, 43.13, 55.23, 69.00, 69.00, 77.14, 81.37, 81.37};
    QCOMPARE(modes.size(), std::size(expected));
    for (size_t i = 0; i < modes.size(); ++i)
        QVERIFY2(std::fabs(modes[i].hz - expected[i]) <= 0.00501, // to two decimals
                 qPrintable(QString::number(modes[i].hz)));
}

void TestChainAndSpace::roomBelowItsFirstMode() {
    // Far below the first mode a sealed room is a pressure chamber:
    // |p| = rho c^2 |Q| / (V w), the (0,0,0) term alone, over half space's
    // w rho |Q| / (2 pi 1 m).
    RoomParameters r;
    r.lengthM = 5.0;
    r.widthM = 4.0;
    r.heightM = 2.5;
    r.reverberationS = 20.0;
    r.sourceM = {0.3, 0.3, 0.3};
    r.listenerM = {3.1, 2.0, 1.1};
    const RoomResponse room = MakeRoomResponse(r, 345.0, 250.0);
    QVERIFY(room.modes > 500); // every mode to 500 Hz
    for (double f : {1.0, 2.0, 3.0}) {
        const double w = 2.0 * Pi * f;
        const double chamber = 2.0 * Pi * 345.0 * 345.0 / (50.0 * w * w);
        const double db = 20.0 * std::log10(std::abs(room.at(w).value) / chamber);
        QVERIFY2(std::fabs(db) < 0.3, qPrintable(QString::number(db)));
    }
    QCOMPARE_LE(std::fabs(room.schroederHz - 2000.0 * std::sqrt(20.0 / 50.0)), 1e-9);
    // The room's group delay is its phase slope.
    for (double f : {20.0, 34.5, 61.0}) {
        const double w = 2.0 * Pi * f, h = w * 1e-6;
        const DualComplex p = room.at(w);
        const double numeric = -std::arg(room.at(w + h).value / room.at(w - h).value) / (2 * h);
        QCOMPARE_LE(std::fabs(-(p.slope / p.value).imag() - numeric),
                    1e-5 * std::fabs(numeric) + 1e-7);
    }
}

void TestChainAndSpace::modeCountIsBounded_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("z");
    QTest::newRow("hall") << 45.0 << 28.0 << 15.0;
    QTest::newRow("largest") << 1000.0 << 1000.0 << 1000.0;
    QTest::newRow("flat and wide") << 1000.0 << 1000.0 << 0.1;
    QTest::newRow("a long corridor") << 1000.0 << 0.1 << 0.1;
}

void TestChainAndSpace::modeCountIsBounded() {
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, z);
    const std::vector<RoomMode> modes = RoomModes(x, y, z, 345.0, RoomModesUpToHz, MaxRoomModes);
    QVERIFY(!modes.empty());
    QCOMPARE_LE(modes.size(), size_t(MaxRoomModes));
    for (size_t i = 1; i < modes.size(); ++i)
        QVERIFY(modes[i - 1].hz <= modes[i].hz);
    // The lowest are kept: the first axial mode along the longest wall.
    QCOMPARE_LE(std::fabs(modes[1].hz - 345.0 / (2.0 * std::max({x, y, z}))), 1e-9);
}

// The chart says the modes were cut short only where they were: a living
// room's all fit under the chart's range, a hall's do not.
void TestChainAndSpace::modesCutShortOnlyWhenCut_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("z");
    QTest::addColumn<bool>("cut");
    QTest::newRow("5 x 4 x 2.5 m") << 5.0 << 4.0 << 2.5 << false;
    QTest::newRow("hall") << 45.0 << 28.0 << 15.0 << true;
}

void TestChainAndSpace::modesCutShortOnlyWhenCut() {
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, z);
    QFETCH(bool, cut);
    DesignSetup s = Design();
    s.environment.kind = SpaceKind::Room;
    s.environment.room = RoomOfPreset(RoomPresets()[1]);
    s.environment.room.lengthM = x;
    s.environment.room.widthM = y;
    s.environment.room.heightM = z;
    const DesignCurves c = ComputeDesignCurves(s, Frequencies());
    QVERIFY(c.has(Chart::Room));
    QCOMPARE(c.modesCutAtHz.has_value(), cut);
    if (cut)
        QVERIFY(*c.modesCutAtHz < RoomModesUpToHz);
}

void TestChainAndSpace::refusedSpaces_data() {
    QTest::addColumn<ListeningSpace>("space");
    QTest::addColumn<QString>("sentence");
    QTest::addColumn<ModelInputs>("inputs");
    ListeningSpace room;
    room.kind = SpaceKind::Room;
    room.room = RoomOfPreset(RoomPresets()[1]);
    QTest::newRow("a medium room") << room << QString() << ModelInputs(0);
    ListeningSpace bad = room;
    bad.room.heightM = 0.0;
    QTest::newRow("zero height") << bad << "The room's height must be from 0.1 m to 1000 m."
                                 << (Bit(ModelInput::RoomHeight));
    bad = room;
    bad.room.listenerM[1] = 4.6;
    QTest::newRow("listener outside")
        << bad << "The listener must be inside the room." << Bit(ModelInput::ListenerY);
    bad = room;
    bad.room.sourceM[0] = -0.1;
    QTest::newRow("box outside") << bad << "The box must stand inside the room."
                                 << Bit(ModelInput::SourceX);
    bad = room;
    bad.room.reverberationS = -1.0;
    QTest::newRow("negative T60")
        << bad << "The room's reverberation time T60 must be above 0 s and at most 100 s."
        << Bit(ModelInput::RoomReverberation);
    ListeningSpace car;
    car.kind = SpaceKind::Car;
    car.cabin.cornerHz = std::nan("");
    car.cabin.slopeDbPerOctave = 9.0;
    QTest::newRow("corner NaN") << car << "The cabin's corner frequency must be from 1 to 1000 Hz."
                                << Bit(ModelInput::CabinCorner);
    car.cabin.cornerHz = 70.0;
    car.cabin.slopeDbPerOctave = 0.0;
    QTest::newRow("slope 0") << car
                             << "The cabin's slope must be above 0 and at most 48 dB per octave."
                             << Bit(ModelInput::CabinSlope);
    car.cabin.slopeDbPerOctave = 9.0;
    car.cabin.maxGainDb = 1e308;
    QTest::newRow("gain 1e308") << car
                                << "The cabin's most gain must be above 0 and at most 120 dB."
                                << Bit(ModelInput::CabinMaxGain);
}

void TestChainAndSpace::refusedSpaces() {
    QFETCH(ListeningSpace, space);
    QFETCH(QString, sentence);
    QFETCH(ModelInputs, inputs);
    QCOMPARE(SpaceFault(space).value_or(QString()), sentence);
    QCOMPARE(UnusableSpaceInputs(space), inputs);
    DesignSetup s = Design();
    s.environment = space;
    const DesignCurves c = ComputeDesignCurves(s, Frequencies());
    QCOMPARE(c.lacks(Chart::Spl).inputs, inputs);
    QVERIFY(c.has(Chart::Excursion)); // the space does not move the cone
}

void TestChainAndSpace::maximumPowerReachesOneLimit_data() {
    QTest::addColumn<std::optional<double>>("ratedPower");
    QTest::addColumn<std::optional<double>>("currentLimit");
    QTest::addColumn<bool>("highPass");
    QTest::newRow("no amplifier") << std::optional<double>() << std::optional<double>() << false;
    QTest::newRow("a 300 W amplifier")
        << std::optional<double>(300.0) << std::optional<double>() << false;
    QTest::newRow("a current limit of 5 A")
        << std::optional<double>() << std::optional<double>(5.0) << false;
    QTest::newRow("both, behind a high-pass")
        << std::optional<double>(1000.0) << std::optional<double>(9.0) << true;
}

void TestChainAndSpace::maximumPowerReachesOneLimit() {
    QFETCH(std::optional<double>, ratedPower);
    QFETCH(std::optional<double>, currentLimit);
    QFETCH(bool, highPass);
    DesignSetup s = Design();
    s.amplifier.ratedPowerW = ratedPower;
    s.amplifier.ratedLoadOhm = ratedPower ? std::optional<double>(4.0) : std::nullopt;
    s.amplifier.currentLimitA = currentLimit;
    if (highPass)
        s.filters = {Pass(FilterType::HighPass, FilterAlignment::Butterworth, 4, 18)};
    const DesignCurves c = ComputeDesignCurves(s, Frequencies());
    QVERIFY(c.has(Chart::Limits));
    QCOMPARE(c.amplifierVoltageLimitSplDb.empty(), !ratedPower);
    QCOMPARE(c.amplifierCurrentLimitSplDb.empty(), !currentLimit);
    const double vmax = ratedPower ? std::sqrt(*ratedPower * 4.0) : 0.0;
    int amplifierBinds = 0;
    for (size_t i = 0; i < Frequencies().size(); i += 7) {
        // Driven at its maximum power the design is at one limit and within
        // every other: the coil's power, the cone, the amplifier's output
        // voltage and current (Rs is 0: the current is the voltage over |Z|).
        DesignSetup at = s;
        at.drive.powerW = c.maxPowerW[i];
        const double f = Frequencies()[i];
        const DesignCurves m = ComputeDesignCurves(at, {f});
        const double h = std::abs(ChainResponse(s.filters, 2.0 * Pi * f).value);
        const double output = m.driveVoltageV * h;
        std::vector<double> ratios = {m.excursionMm[0] / 14.3};
        if (ratedPower)
            ratios.push_back(output / vmax);
        if (currentLimit)
            ratios.push_back(output / m.impedanceOhm[0] / *currentLimit);
        const double most = *std::max_element(ratios.begin(), ratios.end());
        // The thermal limit is the one left: the level says whether it binds.
        const double thermal = std::pow(10.0, (m.splDb[0] - c.thermalLimitSplDb[i]) / 20.0);
        const double binding = std::max(most, thermal);
        QVERIFY2(std::fabs(binding - 1.0) < 1e-6, qPrintable(QString::number(f)));
        QCOMPARE_LE(std::fabs(m.splDb[0] - c.maxSplDb[i]), 1e-6);
        const bool amplifier =
            c.limit[i] == LimitKind::AmplifierVoltage || c.limit[i] == LimitKind::AmplifierCurrent;
        amplifierBinds += amplifier;
        if (c.limit[i] == LimitKind::AmplifierVoltage)
            QCOMPARE_LE(std::fabs(output / vmax - 1.0), 1e-6);
    }
    QCOMPARE(amplifierBinds > 0, ratedPower.has_value() || currentLimit.has_value());
}

void TestChainAndSpace::placementVariation() {
    DesignSetup s = Design();
    s.environment.kind = SpaceKind::Room;
    s.environment.room = RoomOfPreset(RoomPresets()[1]);
    const std::vector<GridPosition> grid = PlacementGrid(s.environment.room);
    QCOMPARE(grid.size(), size_t(9));
    QCOMPARE(grid.front().name, QStringLiteral("front left"));
    std::vector<double> variation;
    for (const GridPosition &p : grid) {
        const DesignCurves c = ComputeDesignCurvesAt(s, p.m, Frequencies());
        variation.push_back(LevelVariationDb(c, 30.0, 80.0).value_or(-1.0));
        QVERIFY(variation.back() > 0.0);
    }
    // The box at the room's centre line across excites no odd width mode:
    // the positions differ.
    QVERIFY(*std::max_element(variation.begin(), variation.end()) -
                *std::min_element(variation.begin(), variation.end()) >
            1.0);
    // The first grid position is the preset's own box position.
    const DesignCurves here = ComputeDesignCurves(s, Frequencies());
    QCOMPARE(LevelVariationDb(here, 30.0, 80.0).value_or(-2.0), variation.front());
}

QTEST_GUILESS_MAIN(TestChainAndSpace)
#include "tst_chainandspace.moc"
