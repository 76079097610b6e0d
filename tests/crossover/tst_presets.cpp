#include "CrossoverArrays.h"
#include "FilterModel.h"
#include "Fp.h"
#include "MemoryFieldStore.h"
#include "NumberText.h"
#include "Presets.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <functional>

using namespace dravik;

namespace {
// The crossover these tests work on, started afresh before each test.
Crossover crossover;
} // namespace

using dravik::test::errorOf;
using dravik::test::readAll;
using dravik::test::writeBytes;

namespace {

const QString ShippedDir = QStringLiteral(DRAVIK_SHIPPED_DIR);
const QStringList FilterFiles = {"HP2C16C.FLT", "LP1C60B.FLT",  "LP2C100B.FLT", "LP2C80B.FLT",
                                 "LP2C70B.FLT", "H3C19C12.FLT", "LP2C40B.FLT"};

using Preset = void (*)(Crossover &, FieldStore &);
const Preset Presets[] = {ApplyQuorvel100, ApplyQuorvel80, ApplyQuorvel70, ApplyPelmo100_1};

// The level of each line of a test log ("<j> Hz, <level> dB").
std::vector<double> logLevels(int slot) {
    std::vector<double> levels;
    const QList<QByteArray> lines = readAll(QStringLiteral("test%1.log").arg(slot)).split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.size() == 4)
            levels.push_back(parts[2].toDouble());
    }
    return levels;
}

// The level of a list line ("<j> Hz : <level> dB").
double listLevel(const QString &line) {
    return line.split(' ').value(3).toDouble();
}

} // namespace

class TestPresets : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir::setCurrent(dir_.path()));
    }
    void init() {
        crossover = Crossover{};
        for (const QString &name : FilterFiles) {
            QFile::remove(name);
            QVERIFY(QFile::copy(ShippedDir + QLatin1Char('/') + name, name));
        }
        for (int s = 0; s < 4; ++s)
            QFile::remove(QStringLiteral("test%1.log").arg(s));
    }

    void presetLoadsItsFiles_data() {
        QTest::addColumn<int>("preset");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("Quorvel 100 Hz")
            << 0 << QStringList{"HP2C16C.FLT", "LP1C60B.FLT", "LP2C100B.FLT", "LP2C100B.FLT"};
        QTest::newRow("Quorvel 80 Hz")
            << 1 << QStringList{"HP2C16C.FLT", "LP1C60B.FLT", "LP2C80B.FLT", "LP2C80B.FLT"};
        QTest::newRow("Quorvel 70 Hz")
            << 2 << QStringList{"HP2C16C.FLT", "LP1C60B.FLT", "LP2C70B.FLT", "LP2C70B.FLT"};
        QTest::newRow("Pelmo 100/1") << 3 << QStringList{"H3C19C12.FLT", "LP2C40B.FLT"};
    }
    void presetLoadsItsFiles() {
        QFETCH(int, preset);
        QFETCH(QStringList, files);
        for (auto &slot : crossover.FilterResponse)
            slot.fill(9.0); // a preset clears every slot first
        test::MemoryFieldStore main;
        Presets[preset](crossover, main);

        for (int s = 0; s < 4; ++s) {
            const CrossoverArray &slot = crossover.FilterResponse[size_t(s)];
            for (int j = 0; j <= 1000; ++j) {
                const double expected =
                    s < files.size()
                        ? filters::ShippedLevel(filters::ShippedFilter(files[s].toStdString()), j)
                        : 0.0;
                QVERIFY2(std::fabs(slot[size_t(j)] - expected) <= 0.01,
                         qPrintable(QStringLiteral("slot %1, %2 Hz").arg(s).arg(j)));
            }
            QCOMPARE(QFile::exists(QStringLiteral("test%1.log").arg(s)), s < files.size());
        }

        // The list line of every hertz is the sum of the logs, to their two decimals.
        QCOMPARE(main.lineCount("ListBox1"), 1001);
        std::vector<std::vector<double>> logs;
        for (int s = 0; s < files.size(); ++s) {
            logs.push_back(logLevels(s));
            QCOMPARE(logs.back().size(), size_t(1001));
        }
        for (int j = 0; j <= 1000; ++j) {
            const QString line = main.line("ListBox1", j);
            QVERIFY(line.startsWith(QString::number(j) + QStringLiteral(" Hz : ")));
            double sum = 0.0;
            for (const auto &log : logs)
                sum += log[size_t(j)];
            QVERIFY2(std::fabs(listLevel(line) - sum) <= 0.0251, qPrintable(line));
        }
    }

    void pelmoAfterQuorvelLeavesSlots2And3AtZero() {
        test::MemoryFieldStore main;
        ApplyQuorvel80(crossover, main);
        const QByteArray log2 = readAll("test2.log");
        const QByteArray log3 = readAll("test3.log");
        ApplyPelmo100_1(crossover, main);
        for (size_t j = 0; j <= 1000; ++j) {
            QCOMPARE(crossover.FilterResponse[2][j], 0.0);
            QCOMPARE(crossover.FilterResponse[3][j], 0.0);
            QCOMPARE(crossover.CrossoverResponse[j],
                     crossover.FilterResponse[0][j] + crossover.FilterResponse[1][j]);
        }
        // The older logs of slots 2 and 3 stay as they were.
        QCOMPARE(readAll("test2.log"), log2);
        QCOMPARE(readAll("test3.log"), log3);
    }

    void applyingTwiceGivesTheSameResult_data() {
        QTest::addColumn<int>("preset");
        QTest::addColumn<int>("between");
        QTest::newRow("Quorvel 70 Hz twice") << 2 << 2;
        QTest::newRow("Pelmo, Quorvel 100, Pelmo") << 3 << 0;
        QTest::newRow("Quorvel 80, Pelmo, Quorvel 80") << 1 << 3;
    }
    void applyingTwiceGivesTheSameResult() {
        QFETCH(int, preset);
        QFETCH(int, between);
        test::MemoryFieldStore main;
        Presets[preset](crossover, main);
        const CrossoverArray first = crossover.CrossoverResponse;
        const QStringList firstList = main.lines("ListBox1");
        Presets[between](crossover, main);
        Presets[preset](crossover, main);
        QVERIFY(crossover.CrossoverResponse == first);
        QCOMPARE(main.lines("ListBox1"), firstList);
    }

    void missingFileStopsThePreset() {
        test::MemoryFieldStore main;
        ApplyPelmo100_1(crossover, main);
        const QStringList pelmoList = main.lines("ListBox1");
        const QByteArray pelmoLog1 = readAll("test1.log");
        QVERIFY(QFile::remove("LP1C60B.FLT"));

        QCOMPARE(errorOf([&] { ApplyQuorvel100(crossover, main); }), QString(msg::FileNotFound));
        // Slot 0 was loaded before the failure; the rest stays cleared.
        const auto &hp16 = filters::ShippedFilter("HP2C16C.FLT");
        QVERIFY(std::fabs(crossover.FilterResponse[0][16] - filters::MagnitudeDb(hp16, 16.0)) <=
                0.01);
        QVERIFY(crossover.FilterResponse[0][10] < -1.0);
        for (size_t j = 0; j <= 1000; ++j) {
            QCOMPARE(crossover.FilterResponse[1][j], 0.0);
            QCOMPARE(crossover.FilterResponse[2][j], 0.0);
            QCOMPARE(crossover.FilterResponse[3][j], 0.0);
            QCOMPARE(crossover.CrossoverResponse[j], 0.0);
        }
        QCOMPARE(main.lines("ListBox1"), pelmoList);
        QCOMPARE(readAll("test1.log"), pelmoLog1);
    }
};

QTEST_GUILESS_MAIN(TestPresets)
#include "tst_presets.moc"
