#include "Fp.h"

#include <QTest>

#include <cmath>
#include <functional>
#include <limits>

using namespace dravik;

Q_DECLARE_METATYPE(std::function<double()>)

namespace {
const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();
} // namespace

class TestFp : public QObject {
    Q_OBJECT
private slots:
    void faults_data() {
        QTest::addColumn<std::function<double()>>("op");
        QTest::addColumn<QString>("message");
        const QString div0 = QStringLiteral("Floating point division by zero");
        const QString invalid = QStringLiteral("Invalid floating point operation");
        const QString overflow = QStringLiteral("Floating point overflow");
        using F = std::function<double()>;
        QTest::newRow("1/0") << F([] { return fp::div(1, 0); }) << div0;
        QTest::newRow("-1/0") << F([] { return fp::div(-1, 0); }) << div0;
        QTest::newRow("0/0") << F([] { return fp::div(0, 0); }) << invalid;
        QTest::newRow("log 0") << F([] { return fp::log10(0); }) << div0;
        QTest::newRow("log -0") << F([] { return fp::log10(-0.0); }) << div0;
        QTest::newRow("log -1") << F([] { return fp::log10(-1); }) << invalid;
        QTest::newRow("(-8)^(1/3)") << F([] { return fp::pow(-8, 1.0 / 3); }) << invalid;
        QTest::newRow("(-1)^0.44") << F([] { return fp::pow(-1, 0.44); }) << invalid;
        QTest::newRow("0^-0.5") << F([] { return fp::pow(0, -0.5); }) << div0;
        QTest::newRow("0^-2") << F([] { return fp::ipow(0, -2); }) << div0;
        QTest::newRow("1e200*1e200") << F([] { return fp::mul(1e200, 1e200); }) << overflow;
        QTest::newRow("1e300/1e-300") << F([] { return fp::div(1e300, 1e-300); }) << overflow;
        QTest::newRow("max+max") << F([] { return fp::add(1.7e308, 1.7e308); }) << overflow;
        QTest::newRow("10^400") << F([] { return fp::pow(10, 400.5); }) << overflow;
        QTest::newRow("1e100^4") << F([] { return fp::ipow(1e100, 4); }) << overflow;
        QTest::newRow("checked NaN") << F([] { return fp::checked(NaN); }) << invalid;
        QTest::newRow("checked Inf") << F([] { return fp::checked(Inf); }) << overflow;
        QTest::newRow("trunc NaN") << F([] { return double(fp::truncToInt(NaN)); }) << invalid;
        QTest::newRow("trunc 3e9") << F([] { return double(fp::truncToInt(3e9)); }) << overflow;
        QTest::newRow("trunc -3e9") << F([] { return double(fp::truncToInt(-3e9)); }) << overflow;
        QTest::newRow("trunc Inf") << F([] { return double(fp::truncToInt(Inf)); }) << overflow;
    }
    void faults() {
        QFETCH(std::function<double()>, op);
        QFETCH(QString, message);
        try {
            op();
            QFAIL("no error raised");
        } catch (const DravikError &e) {
            QCOMPARE(e.message(), message);
        }
    }

    void results_data() {
        QTest::addColumn<std::function<double()>>("op");
        QTest::addColumn<double>("expected");
        using F = std::function<double()>;
        QTest::newRow("0^0.5") << F([] { return fp::pow(0, 0.5); }) << 0.0;
        QTest::newRow("(-2)^2 whole power") << F([] { return fp::pow(-2, 2); }) << 4.0;
        QTest::newRow("(-2)^3") << F([] { return fp::ipow(-2, 3); }) << -8.0;
        QTest::newRow("4^0.5") << F([] { return fp::pow(4, 0.5); }) << 2.0;
        QTest::newRow("log 1000") << F([] { return fp::log10(1000); }) << 3.0;
        QTest::newRow("underflow is no error") << F([] { return fp::mul(1e-300, 1e-300); }) << 0.0;
        QTest::newRow("0/5") << F([] { return fp::div(0, 5); }) << 0.0;
        QTest::newRow("trunc -2.7") << F([] { return double(fp::truncToInt(-2.7)); }) << -2.0;
        QTest::newRow("trunc 2.9") << F([] { return double(fp::truncToInt(2.9)); }) << 2.0;
        QTest::newRow("clamp Inf")
            << F([] { return double(fp::clampTruncToInt(Inf, -5, 5)); }) << 5.0;
        QTest::newRow("clamp -Inf")
            << F([] { return double(fp::clampTruncToInt(-Inf, -5, 5)); }) << -5.0;
        QTest::newRow("clamp NaN")
            << F([] { return double(fp::clampTruncToInt(NaN, -5, 5)); }) << -5.0;
        QTest::newRow("clamp -3.9")
            << F([] { return double(fp::clampTruncToInt(-3.9, -5, 5)); }) << -3.0;
    }
    void results() {
        QFETCH(std::function<double()>, op);
        QFETCH(double, expected);
        QCOMPARE(op(), expected);
    }

    void reportText_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("report");
        QTest::newRow("letter") << "File not found"
                                << "File not found.";
        QTest::newRow("digit") << "Error 5"
                               << "Error 5.";
        QTest::newRow("full stop") << "Done."
                                   << "Done.";
        QTest::newRow("bracket sorts before") << "odd (x)"
                                              << "odd (x)";
        QTest::newRow("comma sorts before") << "a,"
                                            << "a,";
        QTest::newRow("empty") << ""
                               << "";
    }
    void reportText() {
        QFETCH(QString, message);
        QFETCH(QString, report);
        QCOMPARE(dravik::reportText(message), report);
    }
};

QTEST_GUILESS_MAIN(TestFp)
#include "tst_fp.moc"
