#include "CrossoverArrays.h"
#include "FilterFile.h"
#include "FilterModel.h"
#include "MemoryFieldStore.h"
#include "NumberText.h"
#include "Presets.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <complex>
#include <vector>

using namespace dravik;

namespace {
// The crossover these tests work on, started afresh before each test.
Crossover crossover;
} // namespace

namespace {

const QString ShippedDir = QStringLiteral(DRAVIK_SHIPPED_DIR);

// The filter a name describes, as this test reads it.
struct Reading {
    bool highPass;
    int order;
    double corner;
    bool chebyshev;
    double ripple;
};

// |H| in dB from the filter's poles, independently of the filter model:
// Butterworth poles -sin t + j cos t, Chebyshev poles -sinh(a) sin t +
// j cosh(a) cos t with a = asinh(1 / e) / n, t = (2k - 1) pi / 2n; the gain
// makes the prototype 1 at 0 Hz. A high-pass is the prototype at corner / f.
double poleMagnitudeDb(const Reading &r, double f) {
    const double pi = std::acos(-1.0);
    const double a =
        r.chebyshev ? std::asinh(1.0 / std::sqrt(std::pow(10.0, r.ripple / 10.0) - 1.0)) / r.order
                    : 0.0;
    const double w = r.highPass ? r.corner / f : f / r.corner;
    std::complex<double> gain = 1.0;
    std::complex<double> response = 1.0;
    for (int k = 1; k <= r.order; ++k) {
        const double t = (2 * k - 1) * pi / (2 * r.order);
        const std::complex<double> pole =
            r.chebyshev
                ? std::complex<double>(-std::sinh(a) * std::sin(t), std::cosh(a) * std::cos(t))
                : std::complex<double>(-std::sin(t), std::cos(t));
        gain *= -pole;
        response *= std::complex<double>(0.0, w) - pole;
    }
    return 20.0 * std::log10(std::abs(gain / response));
}

const Reading HP2C16C{true, 2, 16.0, true, 0.5};
const Reading LP1C60B{false, 1, 60.0, false, 0.0};
const Reading LP2C100B{false, 2, 100.0, false, 0.0};

void copyShipped(const QString &name) {
    QFile::remove(name);
    QVERIFY2(QFile::copy(ShippedDir + QLatin1Char('/') + name, name), qPrintable(name));
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace

Q_DECLARE_METATYPE(Reading)

class TestShippedFilters : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    void rows() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Reading>("reading");
        QTest::newRow("HP2C16C") << "HP2C16C.FLT" << HP2C16C;
        QTest::newRow("LP1C60B") << "LP1C60B.FLT" << LP1C60B;
        QTest::newRow("LP2C100B") << "LP2C100B.FLT" << LP2C100B;
        QTest::newRow("LP2C80B") << "LP2C80B.FLT" << Reading{false, 2, 80.0, false, 0.0};
        QTest::newRow("LP2C70B") << "LP2C70B.FLT" << Reading{false, 2, 70.0, false, 0.0};
        QTest::newRow("H3C19C12") << "H3C19C12.FLT" << Reading{true, 3, 19.0, true, 1.2};
        QTest::newRow("LP2C40B") << "LP2C40B.FLT" << Reading{false, 2, 40.0, false, 0.0};
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir::setCurrent(dir_.path()));
    }
    void init() { crossover = Crossover{}; }

    void modelReadsTheName_data() { rows(); }
    void modelReadsTheName() {
        QFETCH(QString, name);
        QFETCH(Reading, reading);
        const filters::AnalogueFilter &f = filters::ShippedFilter(name.toStdString());
        QCOMPARE(f.pass == filters::PassType::HighPass, reading.highPass);
        QCOMPARE(f.order, reading.order);
        QCOMPARE(f.corner, reading.corner);
        QCOMPARE(f.alignment == filters::Alignment::Chebyshev, reading.chebyshev);
        if (reading.chebyshev)
            QCOMPARE(f.rippleDb, reading.ripple);
        for (int hz = 1; hz <= 1001; ++hz)
            QVERIFY(std::fabs(filters::MagnitudeDb(f, hz) - poleMagnitudeDb(reading, hz)) < 1e-9);
    }

    void loadedSlotHoldsTheAnalogueMagnitude_data() { rows(); }
    void loadedSlotHoldsTheAnalogueMagnitude() {
        QFETCH(QString, name);
        QFETCH(Reading, reading);
        copyShipped(name);
        LoadFilterFile(crossover, 2, name);
        const CrossoverArray &slot = crossover.FilterResponse[2];
        for (int hz = 1; hz <= 1000; ++hz)
            QVERIFY2(std::fabs(slot[size_t(hz)] - poleMagnitudeDb(reading, hz)) <= 0.01,
                     qPrintable(QString::number(hz)));
        // 0 Hz: a low-pass passes it unchanged, a high-pass repeats its 1 Hz level.
        const double atZero = reading.highPass ? poleMagnitudeDb(reading, 1.0) : 0.0;
        QVERIFY(std::fabs(slot[0] - atZero) <= 0.01);
    }

    void shippedFilesAreTheGeneratorsOutput_data() { rows(); }
    void shippedFilesAreTheGeneratorsOutput() {
        QFETCH(QString, name);
        QByteArray expected;
        for (const std::string &line :
             filters::FilterFileLines(filters::ShippedFilter(name.toStdString())))
            expected += QByteArray::fromStdString(line) + "\r\n";
        QCOMPARE(readAll(ShippedDir + QLatin1Char('/') + name), expected);
    }

    void fileLayout_data() { rows(); }
    void fileLayout() {
        QFETCH(QString, name);
        const QList<QByteArray> lines = readAll(ShippedDir + QLatin1Char('/') + name).split('\n');
        const qsizetype start = lines.indexOf("{\r");
        QVERIFY(start >= 2); // description lines first
        const qsizetype end = lines.indexOf("}\r");
        QCOMPARE(end - start - 1, 2 * 1002); // a point for every hertz 0 to 1001
        QCOMPARE(lines[start + 1], QByteArray("0\r"));
        QCOMPARE(lines[end - 2], QByteArray("1001\r"));
    }

    void chebyshevRipple() {
        // Second order, 0.5 dB: 0 dB at the band edge and far above it, +0.5 dB at the peak.
        const auto &hp16 = filters::ShippedFilter("HP2C16C.FLT");
        double peak = -100.0;
        for (int hz = 1; hz <= 1000; ++hz)
            peak = std::max(peak, filters::MagnitudeDb(hp16, hz));
        QVERIFY(std::fabs(peak - 0.5) < 0.01);
        QVERIFY(std::fabs(filters::MagnitudeDb(hp16, 16.0)) < 1e-9);
        QVERIFY(std::fabs(filters::MagnitudeDb(hp16, 1000.0)) < 0.01);
        // Third order, 1.2 dB: -1.2 dB at the band edge, 0 dB far above it.
        const auto &hp19 = filters::ShippedFilter("H3C19C12.FLT");
        QVERIFY(std::fabs(filters::MagnitudeDb(hp19, 19.0) - -1.2) < 1e-9);
        QVERIFY(std::fabs(filters::MagnitudeDb(hp19, 1000.0)) < 0.01);
    }

    void quorvel100IsTheSumOfItsFilters() {
        for (const char *name : {"HP2C16C.FLT", "LP1C60B.FLT", "LP2C100B.FLT"})
            copyShipped(QString::fromLatin1(name));
        test::MemoryFieldStore main;
        ApplyQuorvel100(crossover, main);
        for (int hz = 1; hz <= 1000; ++hz) {
            const double expected = poleMagnitudeDb(HP2C16C, hz) + poleMagnitudeDb(LP1C60B, hz) +
                                    2.0 * poleMagnitudeDb(LP2C100B, hz);
            QVERIFY2(std::fabs(crossover.CrossoverResponse[size_t(hz)] - expected) <= 0.01,
                     qPrintable(QString::number(hz)));
        }
        // The two second-order Butterworth sections alone at their corner.
        QCOMPARE(
            FormatFieldValue(crossover.FilterResponse[2][100] + crossover.FilterResponse[3][100]),
            QStringLiteral("-6.02"));
        QCOMPARE(FormatFieldValue(2.0 * poleMagnitudeDb(LP2C100B, 100.0)), QStringLiteral("-6.02"));
    }
};

QTEST_GUILESS_MAIN(TestShippedFilters)
#include "tst_shippedfilters.moc"
