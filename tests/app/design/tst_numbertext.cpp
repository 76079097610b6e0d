#include "NumberText.h"

#include <QLocale>
#include <QTest>

#include <clocale>
#include <cmath>
#include <limits>

using namespace dravik;

class TestNumberText : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // A comma locale must not leak into the field texts.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        std::setlocale(LC_ALL, "de_DE.UTF-8");
    }

    void format_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("expected");
        QTest::newRow("240") << 240.0 << 2 << "240.00";
        QTest::newRow("-9") << -9.0 << 2 << "-9.00";
        QTest::newRow("2.346") << 2.346 << 2 << "2.35";
        QTest::newRow("0.125 tie away") << 0.125 << 2 << "0.13";
        QTest::newRow("-0.125 tie away") << -0.125 << 2 << "-0.13";
        QTest::newRow("2.675 below tie") << 2.675 << 2 << "2.67";
        QTest::newRow("1.005 below tie") << 1.005 << 2 << "1.00";
        QTest::newRow("1000.005 at 18 digits") << 1000.005 << 2 << "1000.01";
        QTest::newRow("0.005") << 0.005 << 2 << "0.01";
        QTest::newRow("0.004") << 0.004 << 2 << "0.00";
        QTest::newRow("-0.001 no minus zero") << -0.001 << 2 << "0.00";
        QTest::newRow("0") << 0.0 << 2 << "0.00";
        QTest::newRow("-0") << -0.0 << 2 << "0.00";
        QTest::newRow("9.999 carries") << 9.999 << 2 << "10.00";
        QTest::newRow("-99.995 carries") << -99.995 << 2 << "-100.00";
        QTest::newRow("1e20 no exponent") << 1e20 << 2 << "100000000000000000000.00";
        QTest::newRow("1e23 18 digits") << 1e23 << 2 << "99999999999999991600000.00";
        QTest::newRow("denormal") << 5e-324 << 2 << "0.00";
        QTest::newRow("0.0049999") << 0.0049999 << 2 << "0.00";
        QTest::newRow("33.142") << 331.4249 << 2 << "331.42";
        QTest::newRow("%.0f 16") << 16.0 << 0 << "16";
        QTest::newRow("%.0f 2.5 away") << 2.5 << 0 << "3";
        QTest::newRow("%.0f -2.5 away") << -2.5 << 0 << "-3";
        QTest::newRow("%.0f 0.4") << 0.4 << 0 << "0";
        QTest::newRow("%.0f -0.4 no minus zero") << -0.4 << 0 << "0";
        QTest::newRow("%.0f -0") << -0.0 << 0 << "0";
        QTest::newRow("%.0f 239.6") << 239.6 << 0 << "240";
    }
    void format() {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, expected);
        QCOMPARE(FormatFieldValue(value, decimals), expected);
    }

    void formatHugeValues() {
        // 18 significant digits of the double nearest 1e300, then zeros.
        const QString expected = QStringLiteral("100000000000000005") +
                                 QString(283, QLatin1Char('0')) + QStringLiteral(".00");
        QCOMPARE(FormatFieldValue(1e300), expected);
        const QString max = FormatFieldValue(std::numeric_limits<double>::max());
        QCOMPARE(max.size(), 309 + 3);
        QVERIFY(max.startsWith(QStringLiteral("179769313486231571")));
        QCOMPARE(FormatFieldValue(-std::numeric_limits<double>::max()).front(), QLatin1Char('-'));
    }

    void formatInteger() {
        QCOMPARE(FormatInteger(1), QStringLiteral("1"));
        QCOMPARE(FormatInteger(-1), QStringLiteral("-1"));
        QCOMPARE(FormatInteger(1234567), QStringLiteral("1234567"));
    }

    void parse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("0.38") << "0.38" << 0.38;
        QTest::newRow("leading spaces") << " 0.38" << 0.38;
        QTest::newRow("many spaces") << "     0.38" << 0.38;
        QTest::newRow("3.29E1") << "3.29E1" << 32.9;
        QTest::newRow("1.5e1") << "1.5e1" << 15.0;
        QTest::newRow(".5") << ".5" << 0.5;
        QTest::newRow("5.") << "5." << 5.0;
        QTest::newRow("+.5e-1") << "+.5e-1" << 0.05;
        QTest::newRow("-9") << "-9" << -9.0;
        QTest::newRow("+240") << "+240" << 240.0;
        QTest::newRow("1E+2") << "1E+2" << 100.0;
        QTest::newRow("?") << "?" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("blanks") << "   " << 0.0;
        QTest::newRow("comma") << "1,5" << 0.0;
        QTest::newRow("unit after") << "32.9 Hz" << 0.0;
        QTest::newRow("trailing space") << "0.38 " << 0.0;
        QTest::newRow("tab is not a blank") << "\t1" << 0.0;
        QTest::newRow("exponent without digits") << "1e" << 0.0;
        QTest::newRow("exponent sign only") << "1e+" << 0.0;
        QTest::newRow("lone point") << "." << 0.0;
        QTest::newRow("lone sign") << "-" << 0.0;
        QTest::newRow("two points") << "1.2.3" << 0.0;
        QTest::newRow("exponent first") << "e5" << 0.0;
        QTest::newRow("double sign") << "--1" << 0.0;
        QTest::newRow("inf text") << "inf" << 0.0;
        QTest::newRow("nan text") << "nan" << 0.0;
        QTest::newRow("hex") << "0x10" << 0.0;
        QTest::newRow("arabic digit") << QString(QChar(0x0661)) << 0.0;
        QTest::newRow("1e400 too large") << "1e400" << 0.0;
        QTest::newRow("-1e400 too large") << "-1e400" << 0.0;
        QTest::newRow("1e-400 underflow") << "1e-400" << 0.0;
        QTest::newRow("long exponent") << "1e99999999999999999999" << 0.0;
        QTest::newRow("max double")
            << "1.7976931348623157e308" << std::numeric_limits<double>::max();
    }
    void parse() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        const double got = ParseFieldText(text);
        QVERIFY(std::isfinite(got));
        QCOMPARE(got, expected); // exact: the nearest double
    }

    void parseIsCorrectlyRounded_data() {
        QTest::addColumn<double>("value");
        QTest::newRow("0.1") << 0.1;
        QTest::newRow("2.675") << 2.675;
        QTest::newRow("1000.005") << 1000.005;
        QTest::newRow("1e23") << 1e23;
        QTest::newRow("min normal") << 2.2250738585072014e-308;
        QTest::newRow("pi") << 3.141592653589793;
    }
    void parseIsCorrectlyRounded() {
        // A typed number always becomes the nearest double: the shortest
        // text that reproduces the value reads back as exactly that value.
        QFETCH(double, value);
        const QString text = QString::number(value, 'g', 17);
        QCOMPARE(ParseFieldText(text), value);
    }

    // One grammar for the whole numbers of the data files; a row that reads
    // as none has the value -999 here.
    void parseWholeNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("blanksAfter");
        QTest::addColumn<qlonglong>("value");
        const qlonglong none = -999;
        QTest::newRow("digits") << "401" << false << 401LL;
        QTest::newRow("blanks before") << "   7" << false << 7LL;
        QTest::newRow("plus") << "+12" << false << 12LL;
        QTest::newRow("minus") << "-1" << false << -1LL;
        QTest::newRow("minus zero") << "-0" << true << 0LL;
        QTest::newRow("leading zeros") << "007" << true << 7LL;
        QTest::newRow("blank after, refused") << "5 " << false << none;
        QTest::newRow("blank after, allowed") << "5   " << true << 5LL;
        QTest::newRow("tab after") << "5\t" << true << none;
        QTest::newRow("tab before") << "\t5" << true << none;
        QTest::newRow("empty") << "" << true << none;
        QTest::newRow("blanks only") << "   " << true << none;
        QTest::newRow("sign only") << "-" << true << none;
        QTest::newRow("two signs") << "+-3" << true << none;
        QTest::newRow("sign after blank") << "- 3" << true << none;
        QTest::newRow("point") << "3.0" << true << none;
        QTest::newRow("exponent") << "1e3" << true << none;
        QTest::newRow("hex") << "0x10" << true << none;
        QTest::newRow("Arabic-Indic digits") << QString::fromUtf8("\u0661\u0662") << true << none;
        QTest::newRow("shell syntax") << "$(touch x)" << true << none;
        QTest::newRow("saturates") << "99999999999999999999999" << true << 1000000LL;
        QTest::newRow("saturates negative") << "-99999999999999999999999" << true << -1000000LL;
        QTest::newRow("just below saturation") << "999999" << true << 999999LL;
    }
    void parseWholeNumber() {
        QFETCH(QString, text);
        QFETCH(bool, blanksAfter);
        QFETCH(qlonglong, value);
        const std::optional<long long> read = ParseWholeNumber(
            text, 1000000, blanksAfter ? BlanksAfter::Allowed : BlanksAfter::Refused);
        QCOMPARE(read.has_value(), value != -999);
        if (read)
            QCOMPARE(qlonglong(*read), value);
    }

    void formatThenParseRoundTrips() {
        for (double v : {240.0, -9.0, 32.9, 150.67, 0.01, 123456.78}) {
            const QString t = FormatFieldValue(v);
            QCOMPARE(FormatFieldValue(ParseFieldText(t)), t);
        }
    }
};

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
