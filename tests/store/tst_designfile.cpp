#include "CrossoverArrays.h"
#include "DesignFile.h"
#include "FieldTable.h"
#include "Fp.h"
#include "MemoryFieldStore.h"
#include "NumberText.h"
#include "ResponseArrays.h"
#include "TestFiles.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <functional>
#include <unistd.h>

using namespace dravik;

namespace {
// The responses and crossover the design files are written from.
const auto ownResponses = std::make_unique<Responses>();
Responses &responses = *ownResponses;
Crossover crossover;
} // namespace

using dravik::test::errorOf;
using dravik::test::readAll;
using dravik::test::writeBytes;

namespace {

// The file's lines; empty unless every line ends in CR LF and no other CR or LF occurs.
QStringList crLfLines(const QString &path) {
    QByteArray bytes = readAll(path);
    if (!bytes.endsWith("\r\n"))
        return {};
    bytes.chop(1); // the last LF; its CR stays with the last line
    QStringList lines;
    for (const QByteArray &line : bytes.split('\n')) {
        if (!line.endsWith('\r') || line.chopped(1).contains('\r'))
            return {};
        lines << QString::fromUtf8(line.chopped(1));
    }
    return lines;
}

// Where a line of the layout table lands in the file: the crossover section
// takes 2002 lines in place of the table's lines 94 and 95, the response
// section 2002 in place of 123 and 124.
int fileLine(int tableLine) {
    if (tableLine <= 93)
        return tableLine;
    if (tableLine <= 122)
        return tableLine + 2000;
    return tableLine + 4000;
}

struct Fixed {
    int line;
    const char *text;
};
const Fixed FixedLines[] = {
    {1, "$ Dravik subwoofer design file"},
    {3, "<begin_dgn_file>"},
    {4, "$$$$$$$$$$$$$$$$"},
    {5, "<begin_file_page>"},
    {8, "<end_file_page>"},
    {9, "<begin_element>"},
    {10, "/* Element data */"},
    {14, "/* Elements Thiele-Small parameters */"},
    {15, "/* Most common parameters */"},
    {16, "$"},
    {17, "/* Qts */"},
    {19, "/* Qms */"},
    {21, "/* Qes */"},
    {23, "/* Vas */"},
    {25, "/* Fs */"},
    {27, "/* Xmax */"},
    {29, "/* Diameter */"},
    {31, "/* Power rating */"},
    {35, "/* Impedance */"},
    {37, "/* Extra parameters */"},
    {42, "/* BL */"},
    {49, "/* Other information and recommendations */"},
    {50, "/* Cone material */"},
    {52, "/* Recommended enclosure type and size */"},
    {56, "/* Calculated reference sensitivity */"},
    {58, "<end_element>"},
    {59, "<begin_box>"},
    {60, "/* Number of drivers */"},
    {62, "/* Vented box parameters */"},
    {63, "// Vb"},
    {65, "// Fb"},
    {67, "/* Sealed box parameters */"},
    {72, "/* Last generated info box */"},
    {74, " <begin_vent>"},
    {75, "// Number of vents"},
    {78, "/* Tubular vent(s) */"},
    {79, "// Vent diameter"},
    {82, "/* Rectangular vent(s) */"},
    {85, "/* Calculated vent length */"},
    {87, " <end_vent>"},
    {88, "<end_box>"},
    {89, "<begin_others>"},
    {90, " <begin_crossover>"},
    {91, " $"},
    {92, " /* Crossovers frequency response (long) */"},
    {93, " <%BEGIN_CROSSOVER_FREQUENCY_RESPONSE%>"},
    {96, " <%END_CROSSOVER_FREQUENCY_RESPONSE%>"},
    {97, " $"},
    {98, " <end_crossover>"},
    {99, " <begin_analysis>"},
    {102, "/* Sd */"},
    {108, "/* SPL 100 W */"},
    {110, "/* -3 dB point */"},
    {112, "/* Recommended maximum power */"},
    {114, "/* Recommended power results (dB) */"},
    {116, "/* dBmag 25 Hz */"},
    {118, "/* Reference SPL Sensitivity */"},
    {120, "  $"},
    {121, "  /* Frequency response plot (long) */"},
    {122, "  <%BEGIN_FREQUENCY_RESPONSE_PLOT%>"},
    {125, "  <%END_FREQUENCY_RESPONSE_PLOT%>"},
    {126, "  $"},
    {127, " <end_analysis>"},
    {128, " <begin_part_list>"},
    {129, " /* Box Dimensions */"},
    {130, " <end_part_list>"},
    {131, " <begin_other>"},
    {132, " <end_other>"},
    {133, " <begin_room_acoustics>"},
    {134, " <end_room_acoustics>"},
    {135, "<end_others>"},
    {136, "<end_dgn_file>"},
    {137, "/* END OF FILE */"},
};

struct FieldLine {
    int line;
    const char *field;
};
const FieldLine FieldLines[] = {
    {6, "EDesignFilePath"},
    {7, "EDesignFile"},
    {11, "EManufacturer"},
    {12, "EModel"},
    {13, "EComments"},
    {18, "EQts"},
    {20, "EQms"},
    {22, "EQes"},
    {24, "EVas"},
    {26, "EFs"},
    {28, "EXmax"},
    {30, "EDiam"},
    {32, "EPEmax"},
    {33, "ERe"},
    {34, "ESens"},
    {36, "EImpedance"},
    {38, "EEffPDiam"},
    {39, "EMaxExcursionBeforeDamage"},
    {40, "EMinImpedance"},
    {41, "EMagnetW"},
    {43, "EBl"},
    {44, "EVd"},
    {45, "ECms"},
    {46, "EMms"},
    {47, "ERms"},
    {48, "EWeight"},
    {51, "EConeMaterial"},
    {53, "ERecommendedEnclType"},
    {54, "EPictureFile"},
    {55, "EOtherInformation"},
    {57, "ECalcSens"},
    {61, "ENumOfDrivers"},
    {64, "EVb"},
    {66, "EFb"},
    {68, "ESVb"},
    {69, "ESQtot"},
    {70, "ETargetF3"},
    {71, "ESFr"},
    {73, "ELastGenerated"},
    {76, "ENumOfVents"},
    {77, "EMinVentArea"},
    {80, "EVentDiam"},
    {81, "EVent_k"},
    {83, "EVentWidth"},
    {84, "EVentHeight"},
    {86, "EVentLength"},
    {100, "EAlfa"},
    {101, "Effs"},
    {103, "ESd"},
    {104, "EPeakSPL"},
    {105, "EPar"},
    {106, "EPer"},
    {107, "ESPL"},
    {109, "ESPL100W"},
    {111, "E3dB"},
    {113, "ERecPwr"},
    {115, "ERecPwrResult"},
    {117, "EdBmag25"},
    {119, "ESPLRef"},
};

} // namespace

class TestDesignFile : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void init() {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir::setCurrent(dir_.path()));
        crossover = Crossover{};
        responses = Responses{};
    }
    void cleanup() { test::emptyDirectory(dir_.path()); }

    void everyLineInItsPlace() {
        test::MemoryFieldStore main;
        for (const FieldLine &f : FieldLines)
            main.setText(f.field, QStringLiteral("text of ") + f.field);
        main.setText("EDesignFile", "full.dgn");
        for (size_t j = 0; j <= 1001; ++j) {
            crossover.CrossoverResponse[j] = -double(j) / 8.0;
            responses.SystemResponse[j] = double(j) / 4.0;
        }
        crossover.CrossoverResponse[25] = -3.1;
        responses.SystemResponse[1000] = 12.5;
        WriteDesignFile(main, responses, crossover);

        const QStringList lines = crLfLines("full.dgn");
        QCOMPARE(lines.size(), 4137);
        QCOMPARE(lines[1], QStringLiteral("$ DRAVIK - subwoofer enclosure designer, version 2.0"));
        for (const Fixed &f : FixedLines)
            QCOMPARE(lines[fileLine(f.line) - 1], QString::fromLatin1(f.text));
        for (const FieldLine &f : FieldLines) {
            const QString expected =
                f.line == 7 ? QStringLiteral("full.dgn") : QStringLiteral("text of ") + f.field;
            QCOMPARE(lines[fileLine(f.line) - 1], expected);
        }
        for (int j = 0; j <= 1000; ++j) {
            QCOMPARE(lines[93 + 2 * j], QStringLiteral("F:") + QString::number(j));
            QCOMPARE(lines[94 + 2 * j], FormatFieldValue(crossover.CrossoverResponse[size_t(j)]));
            QCOMPARE(lines[2122 + 2 * j], QStringLiteral("F:") + QString::number(j));
            QCOMPARE(lines[2123 + 2 * j], FormatFieldValue(responses.SystemResponse[size_t(j)]));
        }
        QCOMPARE(lines[94 + 2 * 25], QStringLiteral("-3.10"));
        QCOMPARE(lines[94 + 2 * 1000], QStringLiteral("-125.00"));
        QCOMPARE(lines[2123 + 2 * 1000], QStringLiteral("12.50"));
        QCOMPARE(lines[2123 + 2 * 3], QStringLiteral("0.75"));
    }

    void separatorLinesAreExact() {
        test::MemoryFieldStore main;
        WriteDesignFile(main, responses, crossover);
        const QByteArray bytes = readAll("EDesignFile");
        const QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines[3], QByteArray("$$$$$$$$$$$$$$$$\r"));
        QCOMPARE(lines[90], QByteArray(" $\r"));
        QCOMPARE(lines[2096], QByteArray(" $\r"));
        QCOMPARE(lines[2119], QByteArray("  $\r"));
        QCOMPARE(lines[4125], QByteArray("  $\r"));
    }

    void startStateWritesPlaceholdersAndZeros() {
        test::MemoryFieldStore main; // default name "EDesignFile"
        WriteDesignFile(main, responses, crossover);
        QVERIFY(QFile::exists("EDesignFile"));
        const QStringList lines = crLfLines("EDesignFile");
        QCOMPARE(lines.size(), 4137);
        QCOMPARE(lines[5], QStringLiteral("EDesignFilePath"));
        QCOMPARE(lines[6], QStringLiteral("EDesignFile"));
        QCOMPARE(lines[fileLine(100) - 1], QStringLiteral("EAlfa"));
        QCOMPARE(lines[fileLine(119) - 1], QStringLiteral("ESPLRef"));
        QCOMPARE(lines[fileLine(57) - 1], QStringLiteral("ECalcSens"));
        QCOMPARE(lines[fileLine(55) - 1], QString()); // EOtherInformation starts empty
        QCOMPARE(lines[fileLine(39) - 1], QStringLiteral("?"));
        for (int j = 0; j <= 1000; ++j) {
            QCOMPARE(lines[94 + 2 * j], QStringLiteral("0.00"));
            QCOMPARE(lines[2123 + 2 * j], QStringLiteral("0.00"));
        }
    }

    void twoSavesAreIdentical() {
        test::MemoryFieldStore main;
        crossover.CrossoverResponse[40] = -1.25;
        main.setText("EDesignFile", "one.dgn");
        WriteDesignFile(main, responses, crossover);
        main.setText("EDesignFile", "two.dgn");
        WriteDesignFile(main, responses, crossover);
        const QByteArray two = readAll("two.dgn");
        WriteDesignFile(main, responses, crossover);
        QCOMPARE(readAll("two.dgn"), two);
        QByteArray one = readAll("one.dgn");
        // Only line 7, the file's own name, differs.
        QCOMPARE(one.replace("\r\none.dgn\r\n", "\r\ntwo.dgn\r\n"), two);
    }

    void pathFieldDoesNotMoveTheFile() {
        QVERIFY(QDir().mkdir("elsewhere"));
        test::MemoryFieldStore main;
        main.setText("EDesignFilePath", QDir("elsewhere").absolutePath());
        main.setText("EDesignFile", "here.dgn");
        WriteDesignFile(main, responses, crossover);
        QVERIFY(QFile::exists("here.dgn"));
        QVERIFY(!QFile::exists("elsewhere/here.dgn"));
        // The current directory decides.
        QVERIFY(QDir::setCurrent("elsewhere"));
        WriteDesignFile(main, responses, crossover);
        QVERIFY(QFile::exists("here.dgn"));
        QVERIFY(QDir::setCurrent(dir_.path()));
    }

    void noExtensionIsAdded() {
        test::MemoryFieldStore main;
        main.setText("EDesignFile", "mydesign");
        WriteDesignFile(main, responses, crossover);
        QVERIFY(QFile::exists("mydesign"));
        QVERIFY(!QFile::exists("mydesign.dgn"));
    }

    void longerOldFileIsReplacedWhole() {
        writeBytes("old.dgn", QByteArray(500000, 'x'));
        test::MemoryFieldStore main;
        main.setText("EDesignFile", "old.dgn");
        WriteDesignFile(main, responses, crossover);
        QCOMPARE(crLfLines("old.dgn").size(), 4137);
    }

    void readOnlyFileIsRefusedAndKept() {
        writeBytes("locked.dgn", "the old design\r\n");
        QVERIFY(QFile::setPermissions("locked.dgn", QFile::ReadOwner | QFile::ReadGroup));
        test::MemoryFieldStore main;
        main.setText("EDesignFile", "locked.dgn");
        QCOMPARE(errorOf([&] { WriteDesignFile(main, responses, crossover); }),
                 QString(msg::FileAccessDenied));
        QCOMPARE(readAll("locked.dgn"), QByteArray("the old design\r\n"));
        QCOMPARE(QDir().entryList(QDir::Files), QStringList{"locked.dgn"});
    }

    // A directory the user may not write: no temporary file can be made, so an
    // existing writable design file is overwritten in place, and a new one is
    // refused. (As root the same is checked, as another user, by the disk
    // fault tests.)
    void unwritableDirectory() {
        if (geteuid() == 0)
            QSKIP("the superuser may write into any directory");
        QVERIFY(QDir().mkdir("shut"));
        writeBytes("shut/old.dgn", "old\r\n");
        QVERIFY(QFile::setPermissions("shut", QFile::ReadOwner | QFile::ExeOwner));
        test::MemoryFieldStore main;
        main.setText("EDesignFile", "shut/old.dgn");
        WriteDesignFile(main, responses, crossover);
        QCOMPARE(crLfLines("shut/old.dgn").size(), 4137);
        main.setText("EDesignFile", "shut/new.dgn");
        QCOMPARE(errorOf([&] { WriteDesignFile(main, responses, crossover); }),
                 QString(msg::FileAccessDenied));
        QCOMPARE(QDir("shut").entryList(QDir::Files), QStringList{"old.dgn"});
        QVERIFY(
            QFile::setPermissions("shut", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    // Names the file system cannot take as they stand, and names of things
    // that are not files, are refused; nothing is written anywhere.
    void unusableNameIsRefused_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("report");
        QTest::newRow("NUL inside")
            << QString("x") + QChar(0) + "y.dgn" << QString(msg::InvalidFileName);
        QTest::newRow("half a character")
            << QString("a") + QChar(0xd800) + ".dgn" << QString(msg::InvalidFileName);
        QTest::newRow("a device") << "/dev/null" << QString(msg::NotRegularFile);
    }
    void unusableNameIsRefused() {
        QFETCH(QString, name);
        QFETCH(QString, report);
        test::MemoryFieldStore main;
        main.setText("EDesignFile", name);
        QCOMPARE(errorOf([&] { WriteDesignFile(main, responses, crossover); }), report);
        QVERIFY(
            QDir()
                .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)
                .isEmpty());
        QVERIFY(!QFileInfo("/dev/null").isFile());
    }

    void missingDirectoryIsRefused() {
        test::MemoryFieldStore main;
        main.setText("EDesignFile", "nowhere/x.dgn");
        QCOMPARE(errorOf([&] { WriteDesignFile(main, responses, crossover); }),
                 QString(msg::PathNotFound));
        QVERIFY(QDir().entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    }

    void directoryNameIsRefused() {
        QVERIFY(QDir().mkdir("folder.dgn"));
        test::MemoryFieldStore main;
        main.setText("EDesignFile", "folder.dgn");
        QCOMPARE(errorOf([&] { WriteDesignFile(main, responses, crossover); }),
                 QString(msg::IsDirectory));
    }

    void emptyNameIsRefused() {
        test::MemoryFieldStore main;
        main.setText("EDesignFile", "");
        QCOMPARE(errorOf([&] { WriteDesignFile(main, responses, crossover); }),
                 QString(EmptyDesignFileName));
        QVERIFY(QDir().entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    }

    void lineBreaksInAFieldBecomeBlanks() {
        test::MemoryFieldStore main;
        main.setText("EDesignFile", "breaks.dgn");
        main.setText("EComments", "two\r\nlines\nand\rmore");
        main.setText("EManufacturer", QString::fromUtf8("Sk\xc3\xa5n"));
        WriteDesignFile(main, responses, crossover);
        const QStringList lines = crLfLines("breaks.dgn");
        QCOMPARE(lines.size(), 4137);
        QCOMPARE(lines[12], QStringLiteral("two  lines and more"));
        QCOMPARE(lines[10], QString::fromUtf8("Sk\xc3\xa5n"));
        QCOMPARE(lines[fileLine(137) - 1], QStringLiteral("/* END OF FILE */"));
    }

    // A design file reads back field for field, whatever the texts hold.
    void readsBackEveryField() {
        test::MemoryFieldStore main;
        main.setText("EDesignFile", "back.dgn");
        main.setText("EModel", QString::fromUtf8("Sub \xc3\xa5 12\r\n"));
        main.setText("EFb", "?");
        WriteDesignFile(main, responses, crossover);
        const SavedDesign saved = ReadDesignFile("back.dgn");
        QCOMPARE(saved.fileName, QStringLiteral("back.dgn"));
        for (const FieldSpec &f : mainWindowFields())
            if (saved.texts.count(f.id))
                QCOMPARE(saved.text(f.id), oneLine(main.text(f.id)));
        QCOMPARE(saved.text(Field::EModel), QString::fromUtf8("Sub \xc3\xa5 12  "));
        QCOMPARE(saved.text(Field::EFb), QStringLiteral("?"));
        QCOMPARE(saved.text(Field::EVentDiam), QStringLiteral("152"));
    }

    // Anything but a design file is refused with a sentence saying why.
    void readRefusesOtherFiles_data() {
        QTest::addColumn<QString>("edit"); // what is done to a good design file
        QTest::addColumn<QString>("report");
        const QString notDesign = QStringLiteral("This is not a Dravik design file: ");
        QTest::newRow("cut short") << "cut" << notDesign + "it has 4000 lines, not 4137.";
        QTest::newRow("a line more") << "append" << notDesign + "it has more than 4137 lines.";
        QTest::newRow("section marker missing")
            << "marker" << notDesign + "line 59 should read \"<begin_box>\".";
        QTest::newRow("frequency line wrong")
            << "frequency" << notDesign + "line 96 should read \"F:1\".";
        QTest::newRow("over-long line") << "long" << notDesign + "line 12 is longer than 128 KiB.";
        QTest::newRow("huge") << "huge" << notDesign + "it is larger than 16 MB.";
        QTest::newRow("a device") << "device" << QString(msg::NotRegularFile);
        QTest::newRow("a directory") << "directory" << QString(msg::IsDirectory);
        QTest::newRow("no such file") << "missing" << QString(msg::FileNotFound);
    }
    void readRefusesOtherFiles() {
        QFETCH(QString, edit);
        QFETCH(QString, report);
        test::MemoryFieldStore main;
        main.setText("EDesignFile", "good.dgn");
        WriteDesignFile(main, responses, crossover);
        QStringList lines = crLfLines("good.dgn");
        QString path = "bad.dgn";
        const auto write = [&] { writeBytes(path, (lines.join("\r\n") + "\r\n").toUtf8()); };
        if (edit == "cut") {
            lines = lines.mid(0, 4000);
            write();
        } else if (edit == "append") {
            lines << "more";
            write();
        } else if (edit == "marker") {
            lines[58] = "<begin box>";
            write();
        } else if (edit == "frequency") {
            lines[95] = "F:2";
            write();
        } else if (edit == "long") {
            lines[11] = QString(200 * 1024, 'x');
            write();
        } else if (edit == "huge") {
            write();
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite) && f.resize(17 * 1024 * 1024));
        } else if (edit == "device") {
            path = "/dev/zero";
        } else if (edit == "directory") {
            QVERIFY(QDir().mkdir(path));
        }
        QCOMPARE(errorOf([&] { ReadDesignFile(path); }), report);
    }
};

QTEST_GUILESS_MAIN(TestDesignFile)
#include "tst_designfile.moc"
