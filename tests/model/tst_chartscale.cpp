// The charts' axis arithmetic: ranges, round numbers, the labels of a
// logarithmic axis, the value under the mouse and the labels as shown.
#include "ChartScale.h"

#include <QTest>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

using namespace dravik::chartscale;

Q_DECLARE_METATYPE(std::vector<double>)

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// A step of 1, 2 or 5 times a power of ten.
bool IsRoundStep(double step) {
    const double m = step / std::pow(10.0, std::floor(std::log10(step) + 1e-12));
    return std::fabs(m - 1) < 1e-9 || std::fabs(m - 2) < 1e-9 || std::fabs(m - 5) < 1e-9;
}

// A character XML 1.0 accepts in text.
bool IsXmlText(QChar c) {
    const char16_t u = c.unicode();
    return u >= 0x20 && u != 0xfffe && u != 0xffff;
}

} // namespace

class TestChartScale : public QObject {
    Q_OBJECT
private slots:
    void niceRangeHoldsTheCurveInRoundSteps_data() {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<int>("maxSteps");
        QTest::newRow("levels 60-133 dB") << 60.0 << 133.0 << 7;
        QTest::newRow("excursion 0-15.8 mm") << 0.0 << 15.8 << 7;
        QTest::newRow("phase -87 to 88") << -87.0 << 88.0 << 6;
        QTest::newRow("small values") << 0.0012 << 0.0047 << 5;
        QTest::newRow("reversed ends") << 50.0 << 10.0 << 4;
        QTest::newRow("one step allowed") << 3.0 << 4.0 << 1;
        QTest::newRow("near the bound") << -9e8 << 9e8 << 7;
    }
    void niceRangeHoldsTheCurveInRoundSteps() {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(int, maxSteps);
        const std::optional<LinearRange> r = NiceRange(low, high, maxSteps);
        QVERIFY(r);
        QVERIFY(r->low <= std::min(low, high) && r->high >= std::max(low, high));
        QVERIFY(r->steps >= 1 && r->steps <= maxSteps);
        QVERIFY(IsRoundStep(r->step));
        QCOMPARE(r->low + r->steps * r->step, r->high);
        const double startInSteps = r->low / r->step;
        QVERIFY(std::fabs(startInSteps - std::round(startInSteps)) < 1e-6);
        // No wider than needed: one step less would not hold the range.
        QVERIFY(r->high - r->step < std::max(low, high) || r->low + r->step > std::min(low, high) ||
                r->steps == 1);
    }

    void niceRangeWorkedValues_data() {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<double>("niceLow");
        QTest::addColumn<double>("niceHigh");
        QTest::addColumn<double>("step");
        // 73 dB in at most 7 steps: 10 dB steps need 8, 20 dB steps 4.
        QTest::newRow("60-133") << 60.0 << 133.0 << 60.0 << 140.0 << 20.0;
        // 8 steps of 1 are one too many.
        QTest::newRow("0-7.3") << 0.0 << 7.3 << 0.0 << 8.0 << 2.0;
        // 10 % either side, 4.5 to 5.5, in steps of 0.2 from 4.4.
        QTest::newRow("flat at 5") << 5.0 << 5.0 << 4.4 << 5.6 << 0.2;
        QTest::newRow("flat at 0") << 0.0 << 0.0 << -1.0 << 1.0 << 0.5;
    }
    void niceRangeWorkedValues() {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(double, niceLow);
        QFETCH(double, niceHigh);
        QFETCH(double, step);
        const std::optional<LinearRange> r = NiceRange(low, high, 7);
        QVERIFY(r);
        QVERIFY(std::fabs(r->low - niceLow) < 1e-9);
        QVERIFY(std::fabs(r->high - niceHigh) < 1e-9);
        QVERIFY(std::fabs(r->step - step) < 1e-12);
    }

    // What once reached Qt as "invalid range [nan - nan]" or as an axis of
    // 2^31 ticks.
    void niceRangeRefusesWhatNoDesignGives_data() {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::newRow("nan") << NaN << 1.0;
        QTest::newRow("infinite top") << 0.0 << Inf;
        QTest::newRow("1e300") << 0.0 << 1e300;
        QTest::newRow("largest double") << -DBL_MAX << DBL_MAX;
        QTest::newRow("denormal top") << 0.0 << 4.9e-324;
        QTest::newRow("flat denormal") << 1e-310 << 1e-310;
        QTest::newRow("span lost in rounding") << 1e8 << 1e8 + 1e-3;
    }
    void niceRangeRefusesWhatNoDesignGives() {
        QFETCH(double, low);
        QFETCH(double, high);
        QVERIFY(!NiceRange(low, high, 7));
    }

    void roundNumbersOfTheSeries_data() {
        QTest::addColumn<double>("v");
        QTest::addColumn<double>("below");
        QTest::addColumn<double>("above");
        QTest::newRow("37") << 37.0 << 20.0 << 50.0;
        QTest::newRow("600") << 600.0 << 500.0 << 1000.0;
        QTest::newRow("1000 itself") << 1000.0 << 1000.0 << 1000.0;
        QTest::newRow("0.03") << 0.03 << 0.02 << 0.05;
        QTest::newRow("0.2 itself") << 0.2 << 0.2 << 0.2;
        QTest::newRow("7.9e-5") << 7.9e-5 << 5e-5 << 1e-4;
    }
    void roundNumbersOfTheSeries() {
        QFETCH(double, v);
        QFETCH(double, below);
        QFETCH(double, above);
        QVERIFY(std::fabs(Floor125(v) / below - 1) < 1e-12);
        QVERIFY(std::fabs(Ceil125(v) / above - 1) < 1e-12);
    }

    void logRangeIsADecadeAtLeast_data() {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<double>("rangeLow");
        QTest::addColumn<double>("rangeHigh");
        QTest::addColumn<bool>("usable");
        QTest::newRow("power 290-600 W") << 290.0 << 600.0 << 100.0 << 1000.0 << true;
        QTest::newRow("power 3-600 W") << 3.0 << 600.0 << 2.0 << 1000.0 << true;
        QTest::newRow("flat at 600 W") << 600.0 << 600.0 << 100.0 << 1000.0 << true;
        QTest::newRow("PEmax 1.79e308") << 1.0 << 1.79e308 << 0.0 << 0.0 << false;
        QTest::newRow("infinite") << 1.0 << Inf << 0.0 << 0.0 << false;
        QTest::newRow("zero") << 0.0 << 10.0 << 0.0 << 0.0 << false;
        QTest::newRow("denormal") << 4.9e-324 << 10.0 << 0.0 << 0.0 << false;
    }
    void logRangeIsADecadeAtLeast() {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(double, rangeLow);
        QFETCH(double, rangeHigh);
        QFETCH(bool, usable);
        const std::optional<LogRange> r = LogRangeOf(low, high);
        if (!usable) {
            QVERIFY(!r);
            return;
        }
        QVERIFY(r);
        QVERIFY(r->low <= low && r->high >= high);
        QVERIFY(r->high / r->low >= 10.0 * (1 - 1e-12));
        QVERIFY(std::fabs(r->low / rangeLow - 1) < 1e-12);
        QVERIFY(std::fabs(r->high / rangeHigh - 1) < 1e-12);
    }

    void logAxisLabels_data() {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<std::vector<double>>("labels");
        QTest::newRow("default view") << 10.0 << 250.0 << std::vector<double>{10, 20, 50, 100, 200};
        QTest::newRow("whole range")
            << 5.0 << 1000.0 << std::vector<double>{5, 10, 20, 50, 100, 200, 500, 1000};
        QTest::newRow("zoom 25-90 Hz")
            << 25.0 << 90.0 << std::vector<double>{30, 40, 50, 60, 70, 80, 90};
        QTest::newRow("zoom 18-22 Hz") << 18.0 << 22.0 << std::vector<double>{18, 19, 20, 21, 22};
        QTest::newRow("zoom 12-17 Hz") << 12.0 << 17.0 << std::vector<double>{12, 14, 16};
        QTest::newRow("power 1-1000 W")
            << 1.0 << 1000.0 << std::vector<double>{1, 2, 5, 10, 20, 50, 100, 200, 500, 1000};
        QTest::newRow("sixty decades, thinned to powers of ten")
            << 1.0 << 1e12
            << std::vector<double>{1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12};
        QTest::newRow("absurd span") << 1e-300 << 1e300 << std::vector<double>{};
        QTest::newRow("empty range") << 10.0 << 10.0 << std::vector<double>{};
        QTest::newRow("not a number") << NaN << 10.0 << std::vector<double>{};
    }
    void logAxisLabels() {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(std::vector<double>, labels);
        const std::vector<double> got = LogLabels(low, high);
        QCOMPARE(got.size(), labels.size());
        for (size_t i = 0; i < got.size(); ++i)
            QVERIFY2(std::fabs(got[i] / labels[i] - 1) < 1e-9, qPrintable(QString::number(got[i])));
    }

    // A power band thinned to decades still labels its lowest end: the
    // maximum power's lowest figures never lie under the lowest label.
    void logBandLabelsStartAtTheBand_data() {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<int>("room");
        QTest::newRow("20-5000 W, room for 3") << 20.0 << 5000.0 << 3;
        QTest::newRow("2-1e6 W, room for 4") << 2.0 << 1e6 << 4;
        QTest::newRow("100-1000 W, room for 10") << 100.0 << 1000.0 << 10;
        QTest::newRow("50-500 W, room for 2") << 50.0 << 500.0 << 2;
    }
    void logBandLabelsStartAtTheBand() {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(int, room);
        const std::vector<double> got = LogLabelsFromLow(low, high, room);
        QVERIFY(!got.empty());
        QVERIFY(int(got.size()) <= std::max(room, 2));
        QVERIFY(std::fabs(got.front() / low - 1) < 1e-9);
        QVERIFY(std::is_sorted(got.begin(), got.end()));
        QVERIFY(got.back() <= high * (1 + 1e-9));
    }

    void logLabelTexts_data() {
        QTest::addColumn<double>("v");
        QTest::addColumn<QString>("text");
        QTest::newRow("5") << 5.0 << "5";
        QTest::newRow("200") << 200.0 << "200";
        QTest::newRow("1000") << 1000.0 << "1k";
        QTest::newRow("2000") << 2000.0 << "2k";
        QTest::newRow("0.5") << 0.5 << "0.5";
    }
    void logLabelTexts() {
        QFETCH(double, v);
        QFETCH(QString, text);
        QCOMPARE(LogLabelText(v), text);
    }

    // On a logarithmic axis the geometric mean of the ends lies half way.
    void logFractionIsLinearInTheLogarithm() {
        QCOMPARE(LogFraction(10.0, 10.0, 1000.0), 0.0);
        QCOMPARE(LogFraction(1000.0, 10.0, 1000.0), 1.0);
        QVERIFY(std::fabs(LogFraction(100.0, 10.0, 1000.0) - 0.5) < 1e-12);
        QVERIFY(std::fabs(LogFraction(50.0, 10.0, 250.0) - 0.5) < 1e-12);
    }

    void valueUnderTheMouse_data() {
        QTest::addColumn<std::vector<double>>("values");
        QTest::addColumn<double>("f");
        QTest::addColumn<double>("expected"); // NaN: nothing to read
        const std::vector<double> line{0.0, 10.0, 20.0};
        QTest::newRow("at a point") << line << 10.0 << 0.0;
        // Half way on the logarithmic axis between 10 and 100 Hz.
        QTest::newRow("geometric mean") << line << std::sqrt(1000.0) << 5.0;
        QTest::newRow("top end") << line << 1000.0 << 20.0;
        QTest::newRow("below the curve") << line << 9.0 << NaN;
        QTest::newRow("above the curve") << line << 1001.0 << NaN;
        QTest::newRow("next to infinity") << std::vector<double>{0.0, Inf, 1.0} << 50.0 << NaN;
        QTest::newRow("curve shorter than the axis") << std::vector<double>{3.0} << 50.0 << NaN;
        // On a linear axis (time) half way is the arithmetic mean.
        QTest::newRow("linear: half way") << line << 55.0 << 5.0;
        QTest::newRow("linear: a quarter") << line << 325.0 << 12.5;
    }
    void valueUnderTheMouse() {
        QFETCH(std::vector<double>, values);
        QFETCH(double, f);
        QFETCH(double, expected);
        const bool linear = QByteArray(QTest::currentDataTag()).startsWith("linear");
        const std::optional<double> v = ValueAt({10.0, 100.0, 1000.0}, values, f, !linear);
        if (std::isnan(expected)) {
            QVERIFY(!v);
            return;
        }
        QVERIFY(v);
        QVERIFY(std::fabs(*v - expected) < 1e-9);
    }

    // A second-order Butterworth high-pass is 3.01 dB down at its corner,
    // and has no upper edge; a second-order bandpass of centre f0 and Q is
    // 3.01 dB down at f0 (sqrt(1 + 1/4Q^2) -+ 1/2Q).
    void passbandEdges_data() {
        QTest::addColumn<double>("f0");
        QTest::addColumn<double>("q"); // 0: the high-pass
        QTest::newRow("high-pass 20 Hz") << 20.0 << 0.0;
        QTest::newRow("high-pass 35.5 Hz") << 35.5 << 0.0;
        QTest::newRow("high-pass 7 Hz") << 7.0 << 0.0;
        QTest::newRow("bandpass 50 Hz, Q 0.7") << 50.0 << 0.7;
        QTest::newRow("bandpass 40 Hz, Q 2") << 40.0 << 2.0;
    }
    void passbandEdges() {
        QFETCH(double, f0);
        QFETCH(double, q);
        std::vector<double> f, db;
        for (int i = 0; i <= 368; ++i) {
            f.push_back(5.0 * std::pow(200.0, i / 368.0));
            const double r = f.back() / f0;
            db.push_back(q == 0.0 ? 10.0 * std::log10(std::pow(r, 4) / (1.0 + std::pow(r, 4)))
                                  : -10.0 * std::log10(1.0 + q * q * std::pow(r - 1.0 / r, 2)));
        }
        const double drop = 10.0 * std::log10(2.0);
        const PassbandEdges edges = PassbandEdgesOf(f, db, 5.0, 1000.0, drop);
        QVERIFY(edges.lowHz);
        if (q == 0.0) {
            QVERIFY2(std::fabs(*edges.lowHz / f0 - 1) < 1e-3,
                     qPrintable(QString::number(*edges.lowHz)));
            QVERIFY(!edges.highHz);
            return;
        }
        const double root = std::sqrt(1.0 + 1.0 / (4.0 * q * q)), half = 1.0 / (2.0 * q);
        QVERIFY(edges.highHz);
        QVERIFY2(std::fabs(*edges.lowHz / (f0 * (root - half)) - 1) < 2e-3,
                 qPrintable(QString::number(*edges.lowHz)));
        QVERIFY2(std::fabs(*edges.highHz / (f0 * (root + half)) - 1) < 2e-3,
                 qPrintable(QString::number(*edges.highHz)));
    }

    // A smooth curve keeps its whole span; a spike of a few points, or a
    // row of them, is cut and said to be.
    void spikeFreeSpan_data() {
        QTest::addColumn<int>("spikes"); // points replaced by a spike
        QTest::addColumn<double>("spike");
        QTest::addColumn<bool>("cut");
        QTest::newRow("smooth") << 0 << 0.0 << false;
        QTest::newRow("a notch of -193 ms") << 3 << -193.0 << true;
        QTest::newRow("modes of +300 ms") << 8 << 300.0 << true;
    }
    void spikeFreeSpan() {
        QFETCH(int, spikes);
        QFETCH(double, spike);
        QFETCH(bool, cut);
        std::vector<double> values;
        for (int i = 0; i < 200; ++i)
            values.push_back(20.0 * std::exp(-std::pow((i - 60) / 30.0, 2)) + 2.0);
        for (int i = 0; i < spikes; ++i)
            values[size_t(100 + 10 * i)] = spike;
        const SpikeFreeSpan s = SpikeFreeSpanOf(values);
        QCOMPARE(s.cut, cut);
        QVERIFY(!s.span.empty);
        if (!cut) {
            QCOMPARE(s.span.low, *std::min_element(values.begin(), values.end()));
            QCOMPARE(s.span.high, *std::max_element(values.begin(), values.end()));
        } else {
            QVERIFY(s.span.low <= 2.001 && s.span.high >= 21.99); // the curve itself
            QVERIFY(s.span.low > -193.0 && s.span.high < 300.0);
        }
    }

    // A level averaged in power over 1/12 octave: a flat curve stays flat,
    // a zig-zag of +-3 dB sample to sample comes within 0.6 dB of its power
    // mean (an odd count of points in a window leans to one side) above the
    // start and is kept as it was below.
    void smoothedInPower_data() {
        QTest::addColumn<double>("swing");
        QTest::newRow("flat") << 0.0;
        QTest::newRow("+-3 dB zig-zag") << 3.0;
    }
    void smoothedInPower() {
        QFETCH(double, swing);
        std::vector<double> f, db;
        for (int i = 0; i <= 368; ++i) {
            f.push_back(5.0 * std::pow(200.0, i / 368.0));
            db.push_back(90.0 + (i % 2 ? swing : -swing));
        }
        const std::vector<double> out = SmoothedAbove(f, db, 100.0, 12.0);
        const double mean = 10.0 * std::log10((std::pow(10.0, (90.0 + swing) / 10.0) +
                                               std::pow(10.0, (90.0 - swing) / 10.0)) /
                                              2.0);
        for (size_t i = 0; i < f.size(); ++i) {
            if (f[i] <= 100.0)
                QCOMPARE(out[i], db[i]);
            else if (f[i] < 950.0) // a whole window of points
                QVERIFY2(std::fabs(out[i] - mean) < 0.6, qPrintable(QString::number(f[i])));
        }
    }

    void noDropNoEdge() {
        const std::vector<double> f{10, 20, 40};
        QVERIFY(!PassbandEdgesOf(f, {0, 0, 0}, 10, 40).lowHz);    // never below
        QVERIFY(!PassbandEdgesOf(f, {-9, -8, -7}, 10, 40).lowHz); // within 3 dB
        QVERIFY(!PassbandEdgesOf(f, {NaN, NaN, NaN}, 10, 40).lowHz);
        QCOMPARE(*PassbandEdgesOf(f, {-Inf, 0, 0}, 10, 40).lowHz, 20.0);
        QCOMPARE(*PassbandEdgesOf(f, {0, 0, -Inf}, 10, 40).highHz, 20.0);
        QVERIFY(!PassbandEdgesOf(f, {-9, 0, -9}, 15, 30).lowHz); // outside the band
    }

    void runsOfTheBindingLimit_data() {
        QTest::addColumn<std::vector<bool>>("where");
        QTest::addColumn<std::vector<double>>("runs"); // first, last, first, last...
        QTest::newRow("none") << std::vector<bool>{false, false} << std::vector<double>{};
        QTest::newRow("all") << std::vector<bool>{true, true, true} << std::vector<double>{0, 2};
        QTest::newRow("below and above the tuning")
            << std::vector<bool>{true, true, false, false, true} << std::vector<double>{0, 1, 4, 4};
        QTest::newRow("one in the middle")
            << std::vector<bool>{false, true, false} << std::vector<double>{1, 1};
    }
    void runsOfTheBindingLimit() {
        QFETCH(std::vector<bool>, where);
        QFETCH(std::vector<double>, runs);
        const auto got = Runs(where);
        QCOMPARE(got.size() * 2, runs.size());
        for (size_t i = 0; i < got.size(); ++i) {
            QCOMPARE(double(got[i].first), runs[2 * i]);
            QCOMPARE(double(got[i].second), runs[2 * i + 1]);
        }
    }

    void labelsAsShown_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("shown");
        QTest::newRow("as it is") << "Fane Colossus 18 XB, vented, Vb 240 l, Fb 22 Hz, 600 W"
                                  << "Fane Colossus 18 XB, vented, Vb 240 l, Fb 22 Hz, 600 W";
        QTest::newRow("control bytes") << QString::fromUtf8("A\x01"
                                                            "B\x1b[31mC\tD\nE\x7f"
                                                            "F")
                                       << "A B [31mC D E F";
        QTest::newRow("C1 control") << QString(QChar(0x85)) + "x"
                                    << " x";
        QTest::newRow("non-character") << QString(QChar(0xffff)) + "x"
                                       << " x";
        QTest::newRow("lone surrogate") << QString(QChar(0xd800)) + "x"
                                        << " x";
        QTest::newRow("pair kept")
            << QString::fromUtf8("\xf0\x9f\x94\x8a") << QString::fromUtf8("\xf0\x9f\x94\x8a");
        QTest::newRow("cut") << QString(MaxLabelLength + 10, QLatin1Char('a'))
                             << QString(MaxLabelLength - 1, QLatin1Char('a')) + QChar(0x2026);
    }
    void labelsAsShown() {
        QFETCH(QString, label);
        QFETCH(QString, shown);
        QCOMPARE(DisplayLabel(label), shown);
    }

    // A 128 KiB line of a design file: cut at once, never half a character,
    // nothing an XML file refuses.
    void hugeLabelsAreCut_data() {
        QTest::addColumn<QString>("label");
        QTest::newRow("128 KiB of letters") << QString(128 * 1024, QLatin1Char('M'));
        QTest::newRow("128 KiB of controls") << QString(128 * 1024, QChar(0x01));
        QString pairs;
        for (int i = 0; i < 64 * 1024; ++i)
            pairs += QString::fromUtf8("\xf0\x9f\x94\x8a");
        QTest::newRow("128 KiB of surrogate pairs") << pairs;
        QTest::newRow("a pair at the cut") << QString(MaxLabelLength - 2, QLatin1Char('a')) +
                                                  QString::fromUtf8("\xf0\x9f\x94\x8a") + "tail";
    }
    void hugeLabelsAreCut() {
        QFETCH(QString, label);
        const QString shown = DisplayLabel(label);
        QVERIFY(shown.size() <= MaxLabelLength);
        QCOMPARE(shown.back(), QChar(0x2026));
        for (qsizetype i = 0; i < shown.size(); ++i) {
            QVERIFY(IsXmlText(shown.at(i)));
            if (shown.at(i).isHighSurrogate())
                QVERIFY(i + 1 < shown.size() && shown.at(i + 1).isLowSurrogate());
        }
        QCOMPARE(shown.toUtf8().contains("\xef\xbf\xbd"), false); // no replacement character
    }

    void usableFigures_data() {
        QTest::addColumn<double>("v");
        QTest::addColumn<bool>("usable");
        QTest::newRow("17 m/s") << 17.0 << true;
        QTest::newRow("smallest normal") << DBL_MIN << true;
        QTest::newRow("denormal") << 4.9e-324 << false;
        QTest::newRow("zero") << 0.0 << false;
        QTest::newRow("negative") << -1.0 << false;
        QTest::newRow("infinite") << Inf << false;
        QTest::newRow("nan") << NaN << false;
    }
    void usableFigures() {
        QFETCH(double, v);
        QFETCH(bool, usable);
        QCOMPARE(IsUsablePositive(v), usable);
    }
};

QTEST_APPLESS_MAIN(TestChartScale)
#include "tst_chartscale.moc"
