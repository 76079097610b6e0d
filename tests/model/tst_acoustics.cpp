#include "Acoustics.h"
#include "Real.h"
#include "TestFiles.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace dravik;
using namespace dravik::acoustics;
using dravik::test::errorOf;

// The shared formulas of the driver's figures: closed forms and worked
// values, the orders the commands keep, and the checked Real failing at the
// step where the command always failed.
class TestAcoustics : public QObject {
    Q_OBJECT

private slots:
    // pi d^2 / 4 for whole-inch drivers: 8 inches is 0.2032 m, 324.3 cm^2;
    // 15 inches 0.381 m, 1140.1 cm^2; 18 inches 0.4572 m, 1641.7 cm^2.
    void pistonArea_data() {
        QTest::addColumn<double>("inches");
        QTest::addColumn<double>("squareCm");
        QTest::newRow("8 inch") << 8.0 << 324.29;
        QTest::newRow("15 inch") << 15.0 << 1140.09;
        QTest::newRow("18 inch") << 18.0 << 1641.73;
    }
    void pistonArea() {
        QFETCH(double, inches);
        QFETCH(double, squareCm);
        for (AreaOrder order :
             {AreaOrder::PiSquareQuarter, AreaOrder::QuarterPiSquare, AreaOrder::PiHalfSquare}) {
            const double area = PistonArea(MetresFromInches(inches), PiTwelveDigits, order);
            QVERIFY2(std::fabs(area * 1e4 - squareCm) < 0.005, qPrintable(QString::number(area)));
        }
    }

    // The orders agree for every ordinary diameter (a quarter is a power of
    // two), so each command keeps its digits; only at the edge of the range
    // does the order decide whether the step overflows.
    void areaOrdersAgree() {
        for (double d = 1e-3; d < 1e3; d *= 1.37) {
            const double a = PistonArea(d, PiTenDigits, AreaOrder::PiSquareQuarter);
            QCOMPARE(PistonArea(d, PiTenDigits, AreaOrder::QuarterPiSquare), a);
            QVERIFY(std::fabs(PistonArea(d, PiTenDigits, AreaOrder::PiHalfSquare) - a) <=
                    1e-15 * a);
        }
    }
    void areaOrderDecidesOverflow() {
        const Real d = std::sqrt(std::numeric_limits<double>::max() / 2.0);
        QCOMPARE(errorOf([&] { PistonArea(d, PiTwelveDigits, AreaOrder::PiSquareQuarter); }),
                 QString::fromLatin1(msg::Overflow));
        QCOMPARE(errorOf([&] { PistonArea(d, PiTwelveDigits, AreaOrder::QuarterPiSquare); }),
                 QString());
    }

    // Each command converts its unit its own way, and the ways differ in the
    // last bit for some readings: the default 485 read as centimetres, an
    // 18-inch driver read as inches.
    void unitConversions() {
        QVERIFY(std::fabs(MetresFromCentimetres(485.0) - 4.85) < 1e-15);
        QVERIFY(std::fabs(MetresFromCentimetresDivided(485.0) - 4.85) < 1e-15);
        QVERIFY(MetresFromCentimetres(485.0) != MetresFromCentimetresDivided(485.0));
        QVERIFY(std::fabs(MetresFromInches(18.0) - 0.4572) < 1e-15);
        QCOMPARE(CentimetresFromInches(18.0), 45.72);
        QVERIFY(MetresFromInches(18.0) != MetresFromCentimetres(CentimetresFromInches(18.0)));
        QCOMPARE(MetresFromMillimetres(457.0), 0.457);
    }

    // Vd = Sd Xmax: 0.1 m^2 at 10 mm is one litre.
    void volumeDisplacement() {
        QVERIFY(std::fabs(VolumeDisplacement(0.1, 10.0) - 1e-3) < 1e-18);
        QCOMPARE(VolumeDisplacement(0.0, 10.0), 0.0);
    }

    // The Fane Colossus 18 XB (Fs 32.9 Hz, Vas 226 l, Qes 0.46): eta0 1.687 %,
    // 94.27 dB at 1 W, 122.05 dB at its PEmax of 600 W.
    void efficiencyAndLevels() {
        for (EfficiencyOrder order : {EfficiencyOrder::FactorFirst, EfficiencyOrder::FactorLast}) {
            const double eta0 = ReferenceEfficiency(32.9, 226.0, 0.46, order);
            QVERIFY(std::fabs(eta0 - 0.016866) < 1e-6);
            const double level = LevelAt1W(eta0);
            QVERIFY(std::fabs(level - 94.270) < 0.001);
            QVERIFY(std::fabs(LevelAtPower(600.0, level) - 122.052) < 0.001);
        }
        // 1 W of sound is 112 dB; ten times the power 10 dB more, twice 3.01 dB.
        QCOMPARE(LevelOfAcousticPower(1.0), 112.0);
        QVERIFY(std::fabs(LevelAtPower(20.0, 90.0) - LevelAtPower(10.0, 90.0) - 3.0103) < 1e-4);
        QCOMPARE(LevelAtPower(10.0, 90.0), 100.0);
        // eta0 grows with Fs^3 and Vas, falls with Qes.
        const double base = ReferenceEfficiency(30.0, 100.0, 0.5, EfficiencyOrder::FactorFirst);
        QVERIFY(
            std::fabs(ReferenceEfficiency(60.0, 100.0, 0.5, EfficiencyOrder::FactorFirst) / base -
                      8.0) < 1e-12);
        QVERIFY(
            std::fabs(ReferenceEfficiency(30.0, 100.0, 1.0, EfficiencyOrder::FactorLast) / base -
                      0.5) < 1e-12);
    }

    // Where the factor comes first, a huge Fs^3 Vas stays in range; where it
    // comes last, the same product overflows at that step.
    void efficiencyOrderDecidesOverflow() {
        const Real fs = 1e100, vas = 1e10, qes = 1.0;
        QCOMPARE(errorOf([&] { ReferenceEfficiency(fs, vas, qes, EfficiencyOrder::FactorFirst); }),
                 QString());
        QCOMPARE(errorOf([&] { ReferenceEfficiency(fs, vas, qes, EfficiencyOrder::FactorLast); }),
                 QString::fromLatin1(msg::Overflow));
        QCOMPARE(errorOf([&] { LevelAt1W(Real(0.0)); }), QString::fromLatin1(msg::DivisionByZero));
        QCOMPARE(errorOf([&] { LevelAtPower(Real(-1.0), Real(90.0)); }),
                 QString::fromLatin1(msg::InvalidOperation));
    }

    // 4 pi^3 rho / c f^4 (1.15 Vd)^2: the 18-inch cone at Xmax 14.3 mm and
    // Fs gives 3.62 W of sound, 117.6 dB; the power grows with f^4 and Vd^2.
    void displacementLimitedPower() {
        const double vd = VolumeDisplacement(
            PistonArea(0.4572, PiTwelveDigits, AreaOrder::QuarterPiSquare), 14.3);
        const double p = DisplacementLimitedPower(PiTwelveDigits, 32.9, vd);
        QVERIFY(std::fabs(p - 3.6227) < 1e-4);
        QVERIFY(std::fabs(LevelOfAcousticPower(p) - 117.590) < 0.001);
        QVERIFY(std::fabs(DisplacementLimitedPower(PiTwelveDigits, 65.8, vd) / p - 16.0) < 1e-12);
        QVERIFY(std::fabs(DisplacementLimitedPower(PiTwelveDigits, 32.9, 2.0 * vd) / p - 4.0) <
                1e-12);
        // The simulation's pi to ten digits moves the figure in the tenth digit only.
        QVERIFY(std::fabs(DisplacementLimitedPower(PiTenDigits, 32.9, vd) / p - 1.0) < 1e-9);
    }

    // The checked Real gives the very digits plain doubles give.
    void realGivesTheSameDigits() {
        for (double d : {0.2032, 0.381, 4.85, 0.4572}) {
            for (AreaOrder order :
                 {AreaOrder::PiSquareQuarter, AreaOrder::QuarterPiSquare, AreaOrder::PiHalfSquare})
                QCOMPARE(PistonArea(Real(d), PiTenDigits, order).value(),
                         PistonArea(d, PiTenDigits, order));
            QCOMPARE(DisplacementLimitedPower(PiTwelveDigits, Real(30.0), Real(d * 1e-3)).value(),
                     DisplacementLimitedPower(PiTwelveDigits, 30.0, d * 1e-3));
            QCOMPARE(LevelAt1W(Real(d)).value(), LevelAt1W(d));
        }
    }
};

QTEST_GUILESS_MAIN(TestAcoustics)
#include "tst_acoustics.moc"
