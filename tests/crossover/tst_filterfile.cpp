#include "CrossoverArrays.h"
#include "FilterFile.h"
#include "Fp.h"
#include "MemoryFieldStore.h"
#include "NumberText.h"
#include "TestFiles.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <functional>

#include <sys/stat.h>

using namespace dravik;

namespace {
// The crossover these tests work on, started afresh before each test.
Crossover crossover;
} // namespace

using dravik::test::errorOf;
using dravik::test::readAll;
using dravik::test::writeBytes;

namespace {

QByteArray joined(const QStringList &lines, const char *lineEnd = "\r\n") {
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + lineEnd;
    return bytes;
}

void writeFile(const QString &name, const QByteArray &bytes) {
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A byte string literal with its embedded NUL bytes.
template <size_t N> QByteArray bytesOf(const char (&text)[N]) {
    return QByteArray(text, static_cast<qsizetype>(N - 1));
}

CrossoverArray &slot(int s) {
    return crossover.FilterResponse[static_cast<size_t>(s)];
}

// The log's lines, checking that every line ends in CR LF.
QStringList logLines(int s) {
    QFile f(QStringLiteral("test%1.log").arg(s));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = f.readAll();
    if (!bytes.endsWith("\r\n"))
        return {};
    bytes.chop(1); // the last LF; its CR stays with the last line
    QStringList lines;
    for (const QByteArray &l : bytes.split('\n')) {
        if (!l.endsWith('\r'))
            return {};
        lines << QString::fromUtf8(l.chopped(1));
    }
    return lines;
}

// Points 10 Hz at -3.0 dB, 20 Hz at -4.0 dB, 30 Hz at -5.0 dB.
const QStringList FillExampleData = {"10", "-3.0", "20", "-4.0", "30", "-5.0"};

QStringList filterFile(const QStringList &data, bool endMarker = true) {
    QStringList lines = {"Example filter", "three points", "{"};
    lines += data;
    if (endMarker)
        lines << "}";
    return lines;
}

} // namespace

class TestFilterFile : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    void verifyFillExample(int s) {
        for (int j = 0; j <= 1001; ++j) {
            double expected = 0.0;
            if (j >= 10 && j <= 19)
                expected = -3.0 - 0.3 * (j - 9);
            else if (j >= 20 && j <= 30)
                expected = -4.0 - 0.2 * (j - 19);
            QVERIFY2(std::fabs(slot(s)[size_t(j)] - expected) < 1e-12,
                     qPrintable(QString::number(j)));
        }
    }

    void fillSlot(int s, double value) { slot(s).fill(value); }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir::setCurrent(dir_.path()));
    }
    void init() {
        crossover = Crossover{};
        for (int s = 0; s < 4; ++s)
            QFile::remove(QStringLiteral("test%1.log").arg(s));
    }

    void fillExample() {
        writeFile("fill.FLT", joined(filterFile(FillExampleData)));
        LoadFilterFile(crossover, 1, "fill.FLT");
        verifyFillExample(1);
        const QStringList log = logLines(1);
        QCOMPARE(log.size(), 1001);
        QCOMPARE(log[10], QStringLiteral("10 Hz, -3.30 dB"));
        QCOMPARE(log[19], QStringLiteral("19 Hz, -6.00 dB"));
        QCOMPARE(log[20], QStringLiteral("20 Hz, -4.20 dB"));
        QCOMPARE(log[30], QStringLiteral("30 Hz, -6.20 dB"));
        QCOMPARE(log[31], QStringLiteral("31 Hz, 0.00 dB"));
        QCOMPARE(log[0], QStringLiteral("0 Hz, 0.00 dB"));
        QCOMPARE(log[1000], QStringLiteral("1000 Hz, 0.00 dB"));
        QVERIFY(!QFile::exists("test0.log"));
    }

    void fillExampleInEveryLayout_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("LF") << joined(filterFile(FillExampleData), "\n");
        QTest::newRow("CR only") << joined(filterFile(FillExampleData), "\r");
        QTest::newRow("no end marker") << joined(filterFile(FillExampleData, false));
        QTest::newRow("no line end on last line") << joined(filterFile(FillExampleData)).chopped(2);
        QTest::newRow("data after end marker")
            << joined(filterFile(FillExampleData) + QStringList{"40", "-1.0", "50", "-1.0"});
        QTest::newRow("1 MB description line")
            << QByteArray(1 << 20, 'x') + "\r\n" + joined(filterFile(FillExampleData));
    }
    void fillExampleInEveryLayout() {
        QFETCH(QByteArray, bytes);
        writeFile("layout.FLT", bytes);
        LoadFilterFile(crossover, 0, "layout.FLT");
        verifyFillExample(0);
    }

    // Files that never end a line, or are no files at all: each read takes
    // in a bounded number of bytes, a real file with what fits within its line limits (here
    // nothing, so the slot keeps its values and the log is written), anything
    // else refused with no log.
    void unendingInputIsReadWithinLimits_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("report");
        QTest::newRow("2 GB without a line end") << "sparse" << QString();
        QTest::newRow("link to /dev/zero") << "zero" << QString(msg::NotRegularFile);
        QTest::newRow("link to /dev/urandom") << "urandom" << QString(msg::NotRegularFile);
        QTest::newRow("named pipe with no writer") << "fifo" << QString(msg::NotRegularFile);
    }
    void unendingInputIsReadWithinLimits() {
        QFETCH(QString, kind);
        QFETCH(QString, report);
        QFile::remove("HP2C16C.FLT");
        if (kind == "sparse") {
            QFile sparse("HP2C16C.FLT");
            QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(qint64(2) << 30));
        } else if (kind == "fifo") {
            QCOMPARE(::mkfifo("HP2C16C.FLT", 0644), 0);
        } else {
            QVERIFY(QFile::link("/dev/" + kind, "HP2C16C.FLT"));
        }
        fillSlot(0, 7.0);
        const qint64 before = TextReader::bytesReadInProcess();
        QCOMPARE(errorOf([] { LoadFilterFile(crossover, 0, "HP2C16C.FLT"); }), report);
        // At most the format's 28192 lines of 4096 bytes and their line ends;
        // nothing at all from a file that is refused.
        const qint64 read = TextReader::bytesReadInProcess() - before;
        QVERIFY(read <= qint64(28192) * (4096 + 2));
        if (!report.isEmpty())
            QCOMPARE(read, qint64(0));
        QCOMPARE(slot(0)[500], 7.0);
        QCOMPARE(QFile::exists("test0.log"), report.isEmpty());
        QFile::remove("HP2C16C.FLT");
    }

    void zeroHzFirstPointHasNoStep() {
        writeFile("zero.FLT", joined(filterFile({"0", "-10.0", "5", "-8.0"})));
        LoadFilterFile(crossover, 0, "zero.FLT");
        for (int j = 0; j <= 5; ++j)
            QCOMPARE(slot(0)[size_t(j)], -10.0);
        QCOMPARE(slot(0)[6], 0.0);
    }

    // Files that place no run: the slot keeps what it held, the log is written.
    void slotUnchanged_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QStringList data = {"10", "-3", "20", "-4"};
        QTest::newRow("blank before brace") << joined(QStringList{" {"} + data + QStringList{"}"});
        QTest::newRow("blank after brace") << joined(QStringList{"{ "} + data + QStringList{"}"});
        QTest::newRow("no start marker") << joined(data + QStringList{"}"});
        QTest::newRow("end marker first")
            << joined(QStringList{"}", "{"} + data + QStringList{"}"});
        QTest::newRow("markers only") << joined({"{", "}"});
        QTest::newRow("single point") << joined({"{", "10", "-3", "}"});
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("NUL after brace") << bytesOf("{\0\n10\n-3\n20\n-4\n}\n");
        QTest::newRow("10 MB line") << QByteArray(10 << 20, '{');
        QTest::newRow("both beyond 32 bits")
            << joined({"{", "4294967306", "-3", "4294967316", "-4", "}"});
        QTest::newRow("start far above slot")
            << joined({"{", "2147483647", "-1", "2147483647", "-2", "}"});
        QTest::newRow("both below 0 Hz") << joined({"{", "-20", "-1", "-5", "-2", "}"});
    }
    void slotUnchanged() {
        QFETCH(QByteArray, bytes);
        fillSlot(2, 7.0);
        writeFile("none.FLT", bytes);
        LoadFilterFile(crossover, 2, "none.FLT");
        for (int j = 0; j <= 1001; ++j)
            QCOMPARE(slot(2)[size_t(j)], 7.0);
        const QStringList log = logLines(2);
        QCOMPARE(log.size(), 1001);
        QCOMPARE(log[500], QStringLiteral("500 Hz, 7.00 dB"));
    }

    void equalFrequenciesWriteOneEntry() {
        writeFile("equal.FLT", joined(filterFile({"10", "-3", "10", "-5"})));
        LoadFilterFile(crossover, 0, "equal.FLT");
        QCOMPARE(slot(0)[9], 0.0);
        QVERIFY(std::fabs(slot(0)[10] - -3.3) < 1e-12);
        QCOMPARE(slot(0)[11], 0.0);
    }

    void fallingFrequencyWritesNothing() {
        writeFile("fall.FLT", joined(filterFile({"20", "-4", "10", "-3", "15", "-1"})));
        LoadFilterFile(crossover, 0, "fall.FLT");
        for (int j = 10; j <= 15; ++j)
            QVERIFY(std::fabs(slot(0)[size_t(j)] - (-3.0 - 0.3 * (j - 9))) < 1e-12);
        for (int j = 16; j <= 20; ++j)
            QCOMPARE(slot(0)[size_t(j)], 0.0);
    }

    void linesAfterEndMarkerAreNotData() {
        writeFile("after.FLT", joined(filterFile({"10", "-3", "20", "-4"}) +
                                      QStringList{"30", "-5", "{", "40", "-1"}));
        LoadFilterFile(crossover, 0, "after.FLT");
        // The 20 Hz point is the last one: entry 20 keeps the 10 Hz run's value.
        QVERIFY(std::fabs(slot(0)[20] - -6.3) < 1e-12);
        QCOMPARE(slot(0)[21], 0.0);
        QCOMPARE(slot(0)[40], 0.0);
    }

    void unpairedLastLineIsIgnored() {
        writeFile("odd.FLT", joined(filterFile({"10", "-3", "20", "-4", "30"})));
        LoadFilterFile(crossover, 0, "odd.FLT");
        QVERIFY(std::fabs(slot(0)[20] - -6.3) < 1e-12);
        QCOMPARE(slot(0)[21], 0.0);
    }

    void leadingBlanksAndEmptyLevel() {
        fillSlot(0, 5.0);
        writeFile("blanks.FLT", joined(filterFile({"  10", "   -3.5", "20", "", "30", "-1"})));
        LoadFilterFile(crossover, 0, "blanks.FLT");
        QCOMPARE(slot(0)[9], 5.0);
        QVERIFY(std::fabs(slot(0)[10] - -3.85) < 1e-12);
        QVERIFY(std::fabs(slot(0)[19] - -7.0) < 1e-12);
        for (int j = 20; j <= 30; ++j)
            QCOMPARE(slot(0)[size_t(j)], 0.0);
        QCOMPARE(slot(0)[31], 5.0);
    }

    // A frequency line is blanks, a sign and digits; a level line a number
    // as a field holds one. Anything else reads as 0.
    void lineGrammar_data() {
        QTest::addColumn<QString>("frequency");
        QTest::addColumn<QString>("level");
        QTest::addColumn<int>("first");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("step");
        QTest::newRow("level with unit") << "10"
                                         << "-3.0 dB" << 10 << 0.0 << 0.0;
        QTest::newRow("level with trailing blank") << "10"
                                                   << "-3.0 " << 10 << 0.0 << 0.0;
        QTest::newRow("level word") << "10"
                                    << "abc" << 10 << 0.0 << 0.0;
        QTest::newRow("level with comma") << "10"
                                          << "-1,5" << 10 << 0.0 << 0.0;
        QTest::newRow("level beyond double") << "10"
                                             << "-1e400" << 10 << 0.0 << 0.0;
        QTest::newRow("second brace as level") << "10"
                                               << "{" << 10 << 0.0 << 0.0;
        QTest::newRow("level with exponent") << "10"
                                             << "-3E0" << 10 << -3.0 << -0.3;
        QTest::newRow("level with plus") << "10"
                                         << "+3" << 10 << 3.0 << 0.3;
        QTest::newRow("frequency with unit") << "10 Hz"
                                             << "-2" << 0 << -2.0 << 0.0;
        QTest::newRow("frequency with point") << "10.0"
                                              << "-2" << 0 << -2.0 << 0.0;
        QTest::newRow("frequency trailing blank") << "10 "
                                                  << "-2" << 0 << -2.0 << 0.0;
        QTest::newRow("empty frequency") << ""
                                         << "-2" << 0 << -2.0 << 0.0;
        QTest::newRow("frequency with plus") << "+10"
                                             << "-2" << 10 << -2.0 << -0.2;
        QTest::newRow("frequency with NUL") << QString("10") + QChar(0) << "-2" << 0 << -2.0 << 0.0;
    }
    void lineGrammar() {
        QFETCH(QString, frequency);
        QFETCH(QString, level);
        QFETCH(int, first);
        QFETCH(double, start);
        QFETCH(double, step);
        fillSlot(0, 5.0);
        writeFile("grammar.FLT", joined(filterFile({frequency, level, "30", "-1"})));
        LoadFilterFile(crossover, 0, "grammar.FLT");
        for (int j = 0; j <= 1001; ++j) {
            const double expected = j < first || j > 30 ? 5.0 : start + step * (j - first + 1);
            QVERIFY2(std::fabs(slot(0)[size_t(j)] - expected) < 1e-12,
                     qPrintable(QString::number(j)));
        }
    }

    void frequenciesBeyond32Bits() {
        // The run towards a huge frequency stops at the slot's last entry.
        writeFile("up.FLT", joined(filterFile({"5", "-1", "99999999999999999999999", "-2"})));
        LoadFilterFile(crossover, 0, "up.FLT");
        QCOMPARE(slot(0)[4], 0.0);
        QVERIFY(std::fabs(slot(0)[5] - -1.2) < 1e-12);
        QVERIFY(std::fabs(slot(0)[1001] - (-1.0 - 0.2 * 997)) < 1e-9);
        // A point below the 32-bit range starts no run.
        writeFile("down.FLT",
                  joined(filterFile({"-99999999999999999999", "-1", "5", "-2", "7", "-3"})));
        LoadFilterFile(crossover, 1, "down.FLT");
        for (int j = 0; j <= 4; ++j)
            QCOMPARE(slot(1)[size_t(j)], 0.0);
        QVERIFY(std::fabs(slot(1)[5] - -2.4) < 1e-12);
        QVERIFY(std::fabs(slot(1)[7] - -3.2) < 1e-12);
    }

    void negativeFrequencyRunIsClipped() {
        // Step -5 / -10 = 0.5; ten steps below 0 Hz bring the value to 0.
        writeFile("neg.FLT", joined(filterFile({"-10", "-5", "5", "-1", "6", "0"})));
        LoadFilterFile(crossover, 0, "neg.FLT");
        for (int j = 0; j <= 4; ++j)
            QVERIFY(std::fabs(slot(0)[size_t(j)] - 0.5 * (j + 1)) < 1e-12);
        QVERIFY(std::fabs(slot(0)[5] - -1.2) < 1e-12);
        QVERIFY(std::fabs(slot(0)[6] - -1.4) < 1e-12);
    }

    // The two thousand million steps below 0 Hz are taken as one: added one
    // by one they would drift from these values by some 4e-8.
    void mostNegativeFrequencyStepsBelowZeroAtOnce() {
        writeFile("far.FLT", joined(filterFile({"-2000000000", "1", "3", "0"})));
        LoadFilterFile(crossover, 0, "far.FLT");
        const double step = 1.0 / -2000000000.0;
        for (int j = 0; j <= 3; ++j)
            QVERIFY(std::fabs(slot(0)[size_t(j)] - step * (j + 1)) < 1e-12);
    }

    void hundredThousandLines() {
        QStringList lines = {"{"};
        for (int i = 0; i < 8193; ++i)
            lines << "500"
                  << "-1";
        lines << "600"
              << "-2"; // point 8194, the last one kept
        while (lines.size() < 100000)
            lines << "700"
                  << "-3";
        writeFile("many.FLT", joined(lines));
        LoadFilterFile(crossover, 0, "many.FLT");
        QCOMPARE(slot(0)[499], 0.0);
        for (int j = 500; j <= 600; ++j)
            QVERIFY(std::fabs(slot(0)[size_t(j)] - (-1.0 - 0.002 * (j - 499))) < 1e-12);
        QCOMPARE(slot(0)[601], 0.0);
        QCOMPARE(slot(0)[700], 0.0);
    }

    void onlyTheFirst28192LinesAreRead() {
        QStringList lines;
        while (lines.size() < 28187)
            lines << "description";
        // Lines 28188 to 28192, then more that must not be read.
        lines << "{"
              << "10"
              << "-3"
              << "20"
              << "-4"
              << "30"
              << "-5"
              << "}";
        writeFile("long.FLT", joined(lines));
        LoadFilterFile(crossover, 0, "long.FLT");
        QVERIFY(std::fabs(slot(0)[20] - -6.3) < 1e-12);
        QCOMPARE(slot(0)[21], 0.0);
    }

    void nulBytesReadAsMalformedText() {
        fillSlot(0, 5.0);
        writeFile("nul.FLT", bytesOf("desc\0ription\n{\0\n{\n10\n-3\0\n20\n-4\n\0\n}\n"));
        LoadFilterFile(crossover, 0, "nul.FLT");
        QCOMPARE(slot(0)[9], 5.0);
        for (int j = 10; j <= 20; ++j)
            QCOMPARE(slot(0)[size_t(j)], 0.0);
        QCOMPARE(slot(0)[21], 5.0);
    }

    void overflowingStepRaisesOverflow() {
        writeFile("huge.FLT", joined(filterFile({"1", "-1.5e308", "5", "0"})));
        QCOMPARE(errorOf([] { LoadFilterFile(crossover, 3, "huge.FLT"); }), QString(msg::Overflow));
        QVERIFY(!QFile::exists("test3.log"));
    }

    void missingFileIsNotFound() {
        fillSlot(1, 2.0);
        QCOMPARE(errorOf([] { LoadFilterFile(crossover, 1, "NOPE.FLT"); }),
                 QString(msg::FileNotFound));
        QCOMPARE(slot(1)[100], 2.0);
        QVERIFY(!QFile::exists("test1.log"));
    }

    void loadingDoesNotClearTheSlot() {
        writeFile("a.FLT", joined(filterFile({"10", "-1", "12", "0"})));
        writeFile("b.FLT", joined(filterFile({"100", "-2", "101", "0"})));
        LoadFilterFile(crossover, 0, "a.FLT");
        LoadFilterFile(crossover, 0, "b.FLT");
        QVERIFY(std::fabs(slot(0)[10] - -1.1) < 1e-12);
        QVERIFY(std::fabs(slot(0)[100] - -2.02) < 1e-12);
        QCOMPARE(logLines(0)[10], QStringLiteral("10 Hz, -1.10 dB"));
        QCOMPARE(logLines(0)[100], QStringLiteral("100 Hz, -2.02 dB"));
    }

    void logOfAFileWithoutData() {
        slot(2)[40] = -1.25;
        writeFile("empty.FLT", joined({"{", "}"}));
        LoadFilterFile(crossover, 2, "empty.FLT");
        QCOMPARE(logLines(2)[40], QStringLiteral("40 Hz, -1.25 dB"));
    }

    void slotOutOfRangeIsAProgrammingError() {
        writeFile("x.FLT", joined({"{", "}"}));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, LoadFilterFile(crossover, 4, "x.FLT"));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, LoadFilterFile(crossover, -1, "x.FLT"));
    }

    void clearLeavesEntry1001() {
        for (auto &s : crossover.FilterResponse)
            s.fill(3.0);
        crossover.CrossoverResponse.fill(3.0);
        ClearCrossover(crossover);
        for (int s = 0; s < 4; ++s) {
            QCOMPARE(slot(s)[0], 0.0);
            QCOMPARE(slot(s)[1000], 0.0);
            QCOMPARE(slot(s)[1001], 3.0);
        }
        QCOMPARE(crossover.CrossoverResponse[1000], 0.0);
        QCOMPARE(crossover.CrossoverResponse[1001], 3.0);
    }

    void combinations() {
        for (int s = 0; s < 4; ++s)
            for (int j = 0; j <= 1001; ++j)
                slot(s)[size_t(j)] = (s + 1) * 0.25 * j;
        crossover.CrossoverResponse[1001] = 9.0;
        CombineTwoFilters(crossover);
        QCOMPARE(crossover.CrossoverResponse[4], 1.0 + 2.0);
        QCOMPARE(crossover.CrossoverResponse[1000], 250.0 + 500.0);
        QCOMPARE(crossover.CrossoverResponse[1001], 9.0);
        CombineFourFilters(crossover);
        QCOMPARE(crossover.CrossoverResponse[4], 1.0 + 2.0 + 3.0 + 4.0);
        QCOMPARE(crossover.CrossoverResponse[1001], 9.0);
    }

    void overflowingSumRaisesOverflow() {
        slot(0)[3] = 1e308;
        slot(1)[3] = 1e308;
        QCOMPARE(errorOf([] { CombineTwoFilters(crossover); }), QString(msg::Overflow));
        slot(1)[3] = 0.0;
        slot(2)[3] = 1e308;
        QCOMPARE(errorOf([] { CombineFourFilters(crossover); }), QString(msg::Overflow));
    }

    void listShowsEveryHertz() {
        test::MemoryFieldStore main;
        main.addLine("ListBox1", "a simulation line");
        crossover.CrossoverResponse[25] = -3.1;
        crossover.CrossoverResponse[1000] = 12.5;
        crossover.CrossoverResponse[1001] = 7.0;
        ShowCrossoverResponse(crossover, main);
        QCOMPARE(main.lineCount("ListBox1"), 1001);
        QCOMPARE(main.line("ListBox1", 0), QStringLiteral("0 Hz : 0.00 dB"));
        QCOMPARE(main.line("ListBox1", 25), QStringLiteral("25 Hz : -3.10 dB"));
        QCOMPARE(main.line("ListBox1", 1000), QStringLiteral("1000 Hz : 12.50 dB"));
    }
};

QTEST_GUILESS_MAIN(TestFilterFile)
#include "tst_filterfile.moc"
