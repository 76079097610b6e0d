#include "DriverDatabase.h"
#include "DriverSource.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace dravik;
using namespace dravik::drivers;

namespace {

const QString SourceDir = QStringLiteral(DRAVIK_DRIVER_SOURCES);
const QString ShippedDir = QStringLiteral(DRAVIK_SHIPPED_DIR);

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

SourceFile sourceOf(const QByteArray &speakers) {
    return {"<speakers>\n" + speakers + "\n</speakers>\n", QStringLiteral("test.xml"),
            QStringLiteral("test source"), QStringLiteral("a test source")};
}

// The default driver's figures as the source would give them.
const QByteArray Fane = R"(vendor="FANE" model="Colossus 18 XB" fs="32.9" vas="226" qts="0.38" )"
                        R"(qes="0.46" qms="2.28" xmax="14.3" sd="0.16403" dia="0.4572" pe="600" )"
                        R"(spl="100")";

QByteArray speaker(const QByteArray &attributes) {
    return "<speaker " + attributes + "/>";
}

// The Fane figures with one attribute replaced, added, or (value "-") removed.
QByteArray faneWith(const QByteArray &name, const QByteArray &value) {
    QByteArray attributes = Fane;
    const qsizetype at = attributes.indexOf(" " + name + "=\"");
    if (at >= 0) {
        const qsizetype end = attributes.indexOf('"', at + name.size() + 3);
        attributes.remove(at, end - at + 1);
    }
    if (value != "-")
        attributes += " " + name + "=\"" + value + "\"";
    return speaker(attributes);
}

QString field(const QStringList &fields, const char *name) {
    for (size_t i = 0; i < DriverFields().size(); ++i)
        if (qstrcmp(tableEntry(DriverFields()[i]).name, name) == 0)
            return fields.value(int(i));
    return QStringLiteral("<no such field>");
}

} // namespace

class TestDriverSource : public QObject {
    Q_OBJECT

private slots:
    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value"); // 0: no value
        QTest::newRow("plain") << "32.9" << 32.9;
        QTest::newRow("unit after a blank") << "5.82 N/A" << 5.82;
        QTest::newRow("compliance with its unit") << "2.25 mm/N" << 2.25;
        QTest::newRow("blanks before") << "  0.6 kg/s" << 0.6;
        QTest::newRow("exponent") << "1.5e-3" << 0.0015;
        QTest::newRow("e without digits is a unit") << "5e" << 5.0;
        QTest::newRow("zero means unknown") << "0" << 0.0;
        QTest::newRow("no number") << "N/A" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, value);
        const std::optional<double> read = LeadingNumber(text);
        QCOMPARE(read.value_or(0.0), value);
    }

    // What becomes of one source driver: "" for kept, else the start of the
    // reason; `expect` lists field=text pairs of the kept record.
    void assessment_data() {
        QTest::addColumn<QByteArray>("element");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QStringList>("expect");
        QTest::newRow("the default driver")
            << speaker(Fane) << ""
            << QStringList{"EManufacturer=Fane",
                           "EModel=Colossus 18 XB",
                           "EComments=18 inch subwoofer",
                           "EQes=0.46",
                           "EDiam=45.7",
                           "EEffPDiam=457",
                           "EVd=2.35",
                           "ESens=100",
                           "ERecommendedEnclType=closed or vented box (Fs/Qes 72)",
                           "EPictureFile=<no_picture>",
                           "EMaxExcursionBeforeDamage=?",
                           "EBl=?",
                           "EOtherInformation=nominal diameter 457 mm; from the test source"};
        QTest::newRow("units after numbers")
            << faneWith("bl", "41 N/A") << "" << QStringList{"EBl=41"};
        QTest::newRow("compliance and resistance with units")
            << speaker(Fane + R"( cms="1.23 mm/N" rms="17.18 kg/s" mms="190.0001")") << ""
            << QStringList{"ECms=1.23", "ERms=17.18", "EMms=190"};
        QTest::newRow("Qes from Qts and Qms")
            << faneWith("qes", "-") << ""
            << QStringList{"EQes=0.456",
                           "EComments=18 inch subwoofer, Qes derived from Qts and Qms"};
        QTest::newRow("sensitivity from the reference efficiency")
            << faneWith("spl", "-") << ""
            << QStringList{"ESens=94.3",
                           "EComments=18 inch subwoofer, sensitivity derived from the reference "
                           "efficiency"};
        QTest::newRow("voice coils and maker name")
            << speaker(R"(vendor="SCAN-SPEAK" model="x" vc="2" fs="30" vas="100" qts="0.4" )"
                       R"(qes="0.45" xmax="10" sd="0.05" dia="0.3" pe="300" spl="90")")
            << ""
            << QStringList{"EManufacturer=Scan-Speak",
                           "EComments=11.8 inch subwoofer, dual voice coil",
                           "ERecommendedEnclType=closed or vented box (Fs/Qes 67)"};
        QTest::newRow("Qts within the rounding of Qes and Qms")
            << speaker(QByteArray(Fane).replace("qts=\"0.38\" qes=\"0.46\" qms=\"2.28\"",
                                                "qts=\"0.4\" qes=\"0.6\" qms=\"1.6\""))
            << "" << QStringList{"EQts=0.4"};
        QTest::newRow("no Xmax") << faneWith("xmax", "-") << "missing Xmax" << QStringList{};
        QTest::newRow("power written as 0")
            << faneWith("pe", "0") << "missing rated power" << QStringList{};
        QTest::newRow("Qes neither given nor derivable")
            << faneWith("qes", "-").replace("qms=\"2.28\"", "") << "missing Qes" << QStringList{};
        QTest::newRow("Xmax out of range")
            << faneWith("xmax", "0.0762") << "Xmax 0.0762 mm outside 0.25 to 50" << QStringList{};
        QTest::newRow("a midrange") << faneWith("fs", "235")
                                    << "not a bass driver: Fs 235 Hz above 100 Hz" << QStringList{};
        QTest::newRow("three inches")
            << faneWith("dia", "0.08").replace("sd=\"0.16403\"", "sd=\"0.003\"")
            << "not a bass driver: nominal diameter 8 cm" << QStringList{};
        QTest::newRow("cone area ten times too small")
            << faneWith("sd", "0.0164")
            << "cone area Sd 0.0164 m2 does not fit the nominal diameter" << QStringList{};
        QTest::newRow("cone area bigger than the frame")
            << faneWith("sd", "0.25") << "cone area Sd 0.25 m2 does not fit" << QStringList{};
        QTest::newRow("Q factors disagree")
            << faneWith("qts", "0.30") << "Qts 0.30 disagrees with Qes 0.46 and Qms 2.28"
            << QStringList{};
        QTest::newRow("no model") << faneWith("model", "") << "no maker or model" << QStringList{};
    }
    void assessment() {
        QFETCH(QByteArray, element);
        QFETCH(QString, reason);
        QFETCH(QStringList, expect);
        const std::vector<SourceDriver> drivers = ReadSourceDrivers(sourceOf(element));
        QCOMPARE(drivers.size(), size_t(1));
        const Assessment a = AssessDriver(drivers[0], QStringLiteral("test source"));
        QVERIFY2(reason.isEmpty() ? a.reason.isEmpty() : a.reason.startsWith(reason),
                 qPrintable(a.reason));
        QCOMPARE(a.fields.size(), reason.isEmpty() ? 28 : 0);
        for (const QString &pair : expect)
            QCOMPARE(pair.section('=', 0, 0) + '=' +
                         field(a.fields, qPrintable(pair.section('=', 0, 0))),
                     pair);
    }

    void malformedSource_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("message");
        QTest::newRow("unclosed element")
            << QByteArray("<speakers>\n<speaker fs=\"30\">\n") << "test.xml:3: ";
        QTest::newRow("not XML") << QByteArray("fs=30 vas=100\n") << "test.xml:1: ";
        QTest::newRow("another root") << QByteArray("<drivers><speaker/></drivers>")
                                      << "test.xml:1: the root element is <drivers>";
        QTest::newRow("another element") << QByteArray("<speakers>\n<woofer/>\n</speakers>")
                                         << "test.xml:2: unexpected element <woofer>";
    }
    void malformedSource() {
        QFETCH(QByteArray, xml);
        QFETCH(QString, message);
        try {
            ReadSourceDrivers({xml, QStringLiteral("test.xml"), {}, {}});
            QFAIL("no error");
        } catch (const SourceError &e) {
            QVERIFY2(e.message().startsWith(message), qPrintable(e.message()));
        }
    }

    // The committed spk.db and spkdb.hdr are exactly what the generator makes.
    void shippedDatabaseIsTheGeneratorsOutput() {
        const GeneratedDatabase db = GenerateDatabase(ShippedSources(SourceDir));
        QCOMPARE(readAll(ShippedDir + "/spk.db"), db.records);
        QCOMPARE(readAll(ShippedDir + "/spkdb.hdr"), db.lastIndex);
        QVERIFY(db.drivers >= 400);
        QVERIFY(db.makers >= 20);
        QVERIFY(
            db.records.contains("\r\nFane\r\nColossus 18 XB\r\n18 inch high power subwoofer\r\n"));
    }

    // The tool lists what it leaves out, and writes nothing when a source
    // file is malformed.
    void toolReportsAndRefuses() {
        QTemporaryDir sources;
        QTemporaryDir output;
        QVERIFY(writeAll(sources.filePath("qspeakers_db.xml"), "<speakers>\n" + speaker(Fane) +
                                                                   "\n" + faneWith("xmax", "-") +
                                                                   "\n</speakers>\n"));
        QVERIFY(writeAll(sources.filePath("dravik_drivers.xml"), "<speakers/>"));
        QProcess tool;
        tool.start(QStringLiteral(DRAVIK_MAKE_DRIVERS), {sources.path(), output.path()});
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(tool.readAllStandardOutput()),
                 QStringLiteral("left out FANE Colossus 18 XB (qspeakers_db.xml:3): missing Xmax\n"
                                "wrote 1 drivers from 1 makers, left out 1\n"));
        QCOMPARE(readAll(output.filePath("spkdb.hdr")), QByteArray("0\r\n"));

        QVERIFY(QFile::remove(output.filePath("spk.db")) &&
                QFile::remove(output.filePath("spkdb.hdr")));
        QVERIFY(writeAll(sources.filePath("dravik_drivers.xml"), "<speakers><speaker"));
        tool.start(QStringLiteral(DRAVIK_MAKE_DRIVERS), {sources.path(), output.path()});
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY(
            tool.readAllStandardError().startsWith("dravik_make_drivers: dravik_drivers.xml:1: "));
        QVERIFY(QDir(output.path()).isEmpty());
    }
};

QTEST_MAIN(TestDriverSource)
#include "tst_driversource.moc"
