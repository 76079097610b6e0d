#include "PlotMapping.h"
#include "PlotSettings.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace dravik;

class TestPlotMapping : public QObject {
    Q_OBJECT
private slots:
    void frequencyToX_data() {
        QTest::addColumn<int>("frequency");
        QTest::addColumn<int>("x");
        // The axis' worked examples: 448 pixels per decade, x = 0 near 13.06 Hz.
        QTest::newRow("10 Hz") << 10 << -52;
        QTest::newRow("11 Hz") << 11 << -34;
        QTest::newRow("13 Hz, just left of the picture") << 13 << -1;
        QTest::newRow("14 Hz") << 14 << 13;
        QTest::newRow("20 Hz") << 20 << 82;
        QTest::newRow("50 Hz") << 50 << 261;
        QTest::newRow("220 Hz") << 220 << 549;
        QTest::newRow("301 Hz") << 301 << 610;
    }
    void frequencyToX() {
        QFETCH(int, frequency);
        QFETCH(int, x);
        QCOMPARE((PlotMapping{PlotDrawXScale, PlotDrawYScale}.x(frequency)), x);
    }

    // 448 pixels per decade, the position truncated toward zero before the
    // 500 pixels are taken off: a decade is exactly 448 pixels everywhere,
    // also left of the picture (truncating after taking them off would move
    // 11 to 13 Hz one pixel right, 447 pixels from 110 to 130 Hz). Each
    // octave is 134 or 135 pixels (448 log10 2 = 134.86), and the axis never
    // turns back.
    void xKeepsItsScaleEverywhere() {
        const PlotMapping map{PlotDrawXScale, PlotDrawYScale};
        for (int f = 10; f <= 30; ++f)
            QCOMPARE(map.x(10 * f) - map.x(f), 448);
        for (int f = 10; f <= 150; ++f) {
            const int octave = map.x(2 * f) - map.x(f);
            QVERIFY2(octave == 134 || octave == 135, qPrintable(QString::number(f)));
        }
        for (int f = 10; f < 301; ++f)
            QVERIFY(map.x(f + 1) >= map.x(f));
    }

    void levelToY_data() {
        QTest::addColumn<double>("level");
        QTest::addColumn<int>("y");
        QTest::newRow("0 dB line") << 0.0 << 50;
        QTest::newRow("-10 dB") << -10.0 << 206;
        QTest::newRow("+1 dB truncates 15.68") << 1.0 << 35;
        QTest::newRow("-1 dB truncates toward zero") << -1.0 << 65;
        QTest::newRow("3.5 dB") << 3.5 << -4;
        QTest::newRow("-0.05 dB stays on the line") << -0.05 << 50;
    }
    void levelToY() {
        QFETCH(double, level);
        QFETCH(int, y);
        QCOMPARE((PlotMapping{PlotDrawXScale, PlotDrawYScale}.y(level)), y);
    }

    // The label rows above the 0 dB line: +5 ... +0 at -36, -20, -5, 11, 27, 42.
    void labelRowsAboveZero_data() {
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("labelY");
        QTest::newRow("+5") << -5 << -36;
        QTest::newRow("+4") << -4 << -20;
        QTest::newRow("+3") << -3 << -5;
        QTest::newRow("+2") << -2 << 11;
        QTest::newRow("+1") << -1 << 27;
        QTest::newRow("+0") << 0 << 42;
    }
    void labelRowsAboveZero() {
        QFETCH(int, r);
        QFETCH(int, labelY);
        QCOMPARE((PlotMapping{PlotDrawXScale, PlotDrawYScale}.levelOffset(r) + 42), labelY);
    }

    // Lines 15 or 16 pixels apart; r = 27 is the last inside the 481 rows.
    void levelGridSpacing() {
        const PlotMapping map{PlotDrawXScale, PlotDrawYScale};
        for (int r = 1; r <= 50; ++r) {
            const int gap = map.levelOffset(r) - map.levelOffset(r - 1);
            QVERIFY2(gap == 15 || gap == 16, qPrintable(QString::number(r)));
        }
        QVERIFY(map.levelOffset(27) + 50 < 481);
        QVERIFY(map.levelOffset(28) + 50 >= 481);
    }

    // Odd levels never fault: they become pixels far outside the picture.
    void oddLevelsAreClamped_data() {
        QTest::addColumn<double>("level");
        QTest::addColumn<int>("y");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("+inf") << inf << 50 - PlotPixelLimit;
        QTest::newRow("-inf") << -inf << 50 + PlotPixelLimit;
        QTest::newRow("1e308") << 1e308 << 50 - PlotPixelLimit;
        QTest::newRow("-1e308") << -1e308 << 50 + PlotPixelLimit;
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 50 + PlotPixelLimit;
        QTest::newRow("1e5 dB") << 1e5 << 50 - PlotPixelLimit;
    }
    void oddLevelsAreClamped() {
        QFETCH(double, level);
        QFETCH(int, y);
        QCOMPARE((PlotMapping{PlotDrawXScale, PlotDrawYScale}.y(level)), y);
    }

    void scaleFactorsEnterTheMapping() {
        const PlotMapping doubled{2.0, 1.4};
        // 2 * 582.86 truncated, minus 1000.
        QCOMPARE(doubled.x(20), 1165 - 1000);
        QCOMPARE(doubled.y(-10), 50 + 313);
    }

    void frequencyBelowOneHertzMapsFarLeft() {
        const PlotMapping map{PlotDrawXScale, PlotDrawYScale};
        QCOMPARE(map.x(0), -PlotPixelLimit);
        QCOMPARE(map.x(-5), -PlotPixelLimit);
    }
};

QTEST_APPLESS_MAIN(TestPlotMapping)
#include "tst_plotmapping.moc"
