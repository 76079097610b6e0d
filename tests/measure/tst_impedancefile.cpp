#include "ImpedanceFile.h"
#include "TestFiles.h"
#include "TextFile.h"

#include <QTemporaryDir>
#include <QTest>

#include <cmath>

#include <sys/stat.h>

using namespace dravik;
using dravik::test::errorOf;
using dravik::test::writeBytes;

namespace {

constexpr double DegreesPerRadian = 180.0 / 3.14159265358979323846;

// Sixteen good points, from 10 Hz up, after `before` and followed by `after`.
QByteArray goodFile(const QByteArray &before = {}, const QByteArray &after = {}) {
    QByteArray b = before;
    for (int i = 0; i < MinImpedancePoints; ++i)
        b += QByteArray::number(10 + i) + " " + QByteArray::number(4 + i) + " " +
             QByteArray::number(i - 5) + "\n";
    return b + after;
}

} // namespace

class TestImpedanceFile : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(dir_.isValid()); }
    void readsPointsAndSkipsComments_data();
    void readsPointsAndSkipsComments();
    void refusesLines_data();
    void refusesLines();
    void refusesWhatIsNotAFile_data();
    void refusesWhatIsNotAFile();
    void oneLongLineIsReadOnlyInPart();
    void refusesTooLargeFile();
    void refusesTooManyPoints();

private:
    QString path(const QString &name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

void TestImpedanceFile::readsPointsAndSkipsComments_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("points");
    QTest::newRow("blanks") << goodFile() << MinImpedancePoints;
    QTest::newRow("comments of every kind")
        << goodFile("* Dravik\n; REW\n# jig\n\n   \n", "* end\n") << MinImpedancePoints;
    QTest::newRow("CR LF") << goodFile().replace("\n", "\r\n") << MinImpedancePoints;
    QTest::newRow("tabs") << goodFile().replace(" ", "\t") << MinImpedancePoints;
    QTest::newRow("commas") << goodFile().replace(" ", ",") << MinImpedancePoints;
    QTest::newRow("commas and blanks") << goodFile().replace(" ", " , ") << MinImpedancePoints;
    QTest::newRow("leading blanks and exponents")
        << goodFile("  1.0e0\t 3.5E0 , -90\n") << MinImpedancePoints + 1;
}

void TestImpedanceFile::readsPointsAndSkipsComments() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, points);
    writeBytes(path("a.zma"), bytes);
    const ImpedanceCurve c = ReadImpedanceFile(path("a.zma"));
    QCOMPARE(int(c.size()), points);
    // The last point is the last line: 25 Hz, 19 ohm at 10 degrees.
    QCOMPARE(c.hz.back(), 25.0);
    QVERIFY(std::fabs(std::abs(c.z.back()) - 19.0) < 1e-12);
    QVERIFY(std::fabs(std::arg(c.z.back()) * DegreesPerRadian - 10.0) < 1e-12);
    for (size_t i = 1; i < c.size(); ++i)
        QVERIFY(c.hz[i] > c.hz[i - 1]);
}

void TestImpedanceFile::refusesLines_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTest::newRow("a word") << goodFile("* head\n\nabc 1 2\n") << ImpedanceLineRefusal(3);
    QTest::newRow("two numbers") << goodFile({}, "30 4\n") << ImpedanceLineRefusal(17);
    QTest::newRow("four numbers") << goodFile("1 2 3 4\n") << ImpedanceLineRefusal(1);
    QTest::newRow("a unit after the phase") << goodFile("1 2 3deg\n") << ImpedanceLineRefusal(1);
    QTest::newRow("NaN frequency") << goodFile("nan 2 3\n") << ImpedanceValueRefusal(1);
    QTest::newRow("NaN magnitude") << goodFile({}, "30 NaN 3\n") << ImpedanceValueRefusal(17);
    QTest::newRow("infinite phase") << goodFile({}, "30 4 inf\n") << ImpedanceValueRefusal(17);
    QTest::newRow("negative frequency") << goodFile("-5 2 3\n") << ImpedanceValueRefusal(1);
    QTest::newRow("zero frequency") << goodFile("0 2 3\n") << ImpedanceValueRefusal(1);
    QTest::newRow("negative magnitude") << goodFile("5 -2 3\n") << ImpedanceValueRefusal(1);
    QTest::newRow("huge frequency") << goodFile({}, "1e400 4 0\n") << ImpedanceLineRefusal(17);
    QTest::newRow("falling frequencies") << goodFile({}, "20 4 0\n") << ImpedanceOrderRefusal(17);
    QTest::newRow("a frequency twice") << goodFile({}, "25 4 0\n") << ImpedanceOrderRefusal(17);
    QTest::newRow("three points") << QByteArray("10 4 0\n20 8 45\n30 5 -20\n")
                                  << QString::fromLatin1(msg::TooFewImpedancePoints);
    QTest::newRow("only comments")
        << QByteArray("* nothing\n") << QString::fromLatin1(msg::TooFewImpedancePoints);
    QTest::newRow("empty") << QByteArray() << QString::fromLatin1(msg::TooFewImpedancePoints);
}

void TestImpedanceFile::refusesLines() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    writeBytes(path("b.zma"), bytes);
    QCOMPARE(errorOf([&] { ReadImpedanceFile(path("b.zma")); }), message);
    QCOMPARE(errorOf([&] { ParseImpedanceLines(QString::fromUtf8(bytes).split('\n')); }), message);
}

void TestImpedanceFile::refusesWhatIsNotAFile_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("directory") << 0 << QString::fromLatin1(msg::IsDirectory);
    QTest::newRow("named pipe") << 1 << QString::fromLatin1(msg::NotRegularFile);
    QTest::newRow("/dev/zero") << 2 << QString::fromLatin1(msg::NotRegularFile);
    QTest::newRow("missing") << 3 << QString::fromLatin1(msg::FileNotFound);
}

void TestImpedanceFile::refusesWhatIsNotAFile() {
    QFETCH(int, kind);
    QFETCH(QString, message);
    QString name;
    if (kind == 0) {
        name = path("dir.zma");
        QVERIFY(QDir().mkpath(name));
    } else if (kind == 1) {
        name = path("pipe.zma");
        QCOMPARE(::mkfifo(QFile::encodeName(name).constData(), 0600), 0);
    } else if (kind == 2) {
        name = QStringLiteral("/dev/zero");
    } else {
        name = path("missing.zma");
    }
    const qint64 before = TextReader::bytesReadInProcess();
    QCOMPARE(errorOf([&] { ReadImpedanceFile(name); }), message);
    QCOMPARE(TextReader::bytesReadInProcess(), before);
}

// 10 MB without a line end: refused at its first line, having read little
// more than the longest line a point may take.
void TestImpedanceFile::oneLongLineIsReadOnlyInPart() {
    writeBytes(path("long.zma"), QByteArray(10 * 1000 * 1000, '1'));
    const qint64 before = TextReader::bytesReadInProcess();
    QCOMPARE(errorOf([&] { ReadImpedanceFile(path("long.zma")); }), ImpedanceLineRefusal(1));
    QVERIFY(TextReader::bytesReadInProcess() - before < 1024 * 1024);
}

void TestImpedanceFile::refusesTooLargeFile() {
    QFile f(path("large.zma"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    QVERIFY(f.resize(MaxImpedanceFileBytes + 1)); // sparse: no disk taken
    f.close();
    const qint64 before = TextReader::bytesReadInProcess();
    QCOMPARE(errorOf([&] { ReadImpedanceFile(path("large.zma")); }),
             QString::fromLatin1(msg::ImpedanceFileTooLarge));
    QCOMPARE(TextReader::bytesReadInProcess(), before);
}

void TestImpedanceFile::refusesTooManyPoints() {
    QByteArray b;
    for (int i = 1; i <= MaxImpedancePoints + 1; ++i)
        b += QByteArray::number(i) + " 4 0\n";
    writeBytes(path("many.zma"), b);
    QCOMPARE(errorOf([&] { ReadImpedanceFile(path("many.zma")); }),
             QString::fromLatin1(msg::TooManyImpedancePoints));
    b.chop(b.size() - b.lastIndexOf("65537"));
    writeBytes(path("many.zma"), b);
    QCOMPARE(int(ReadImpedanceFile(path("many.zma")).size()), MaxImpedancePoints);
}

QTEST_GUILESS_MAIN(TestImpedanceFile)
#include "tst_impedancefile.moc"
