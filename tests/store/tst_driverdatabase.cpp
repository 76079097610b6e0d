#include "DriverDatabase.h"
#include "FieldTable.h"
#include "Fp.h"
#include "MemoryFieldStore.h"
#include "TestFiles.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <sys/stat.h>

using namespace dravik;

using dravik::test::errorOf;
using dravik::test::readAll;
using dravik::test::writeBytes;

namespace {

const QString ShippedDir = QStringLiteral(DRAVIK_SHIPPED_DIR);

// The record layout as the database's readers count it.
const QStringList RecordFields = {"EManufacturer", "EModel",
                                  "EComments",     "EQts",
                                  "EQms",          "EQes",
                                  "EVas",          "EFs",
                                  "EXmax",         "EDiam",
                                  "EPEmax",        "ERe",
                                  "ESens",         "EImpedance",
                                  "EEffPDiam",     "EMaxExcursionBeforeDamage",
                                  "EMinImpedance", "EMagnetW",
                                  "EBl",           "EVd",
                                  "ECms",          "EMms",
                                  "ERms",          "EWeight",
                                  "EConeMaterial", "ERecommendedEnclType",
                                  "EPictureFile",  "EOtherInformation"};

QByteArray crLf(const QStringList &lines) {
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

// 28 texts that name their driver and field.
QStringList sampleDriver(const QString &tag) {
    QStringList texts;
    for (const QString &field : RecordFields)
        texts << tag + QLatin1Char(' ') + field;
    return texts;
}

QStringList recordLines(const QString &indexLine, const QStringList &texts) {
    return QStringList{"<begin_element>", indexLine} + texts + QStringList{"<end_element>"};
}

const QStringList HeaderLines = {"Test database", "of drivers", "for the tests"};

// spk.db with the given records (index lines 0, 1, ...) and spkdb.hdr counting them.
void writeDatabase(const QList<QStringList> &drivers) {
    QStringList lines = HeaderLines;
    for (int i = 0; i < drivers.size(); ++i)
        lines += recordLines(QString::number(i), drivers[i]);
    writeBytes("spk.db", crLf(lines));
    writeBytes("spkdb.hdr", crLf({QString::number(drivers.size() - 1)}));
}

test::MemoryFieldStore makeDialog() {
    test::MemoryFieldStore dialog = test::MemoryFieldStore::databaseDialog();
    dialog.setText("Edit1", "");
    return dialog;
}

void setDriver(test::MemoryFieldStore &main, const QStringList &texts) {
    for (int i = 0; i < RecordFields.size(); ++i)
        main.setText(RecordFields[i], texts[i]);
}

QStringList driverOf(const test::MemoryFieldStore &main) {
    QStringList texts;
    for (const QString &field : RecordFields)
        texts << main.text(field);
    return texts;
}

int driverWrites(const test::MemoryFieldStore &main) {
    int writes = 0;
    for (const QString &field : RecordFields)
        writes += main.writes(field);
    return writes;
}

// The bytes the database's readers took from their files while `op` ran.
qint64 bytesReadBy(const std::function<void()> &op) {
    const qint64 before = TextReader::bytesReadInProcess();
    op();
    return TextReader::bytesReadInProcess() - before;
}

void loadEntry(test::MemoryFieldStore &main, test::MemoryFieldStore &dialog, int entry) {
    ListDrivers(dialog);
    dialog.select("ListBox1", entry);
    LoadButtonClick(main, dialog);
}

} // namespace

class TestDriverDatabase : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void init() {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir::setCurrent(dir_.path()));
    }
    void cleanup() { test::emptyDirectory(dir_.path()); }

    void recordFieldsInTableOrder() {
        QCOMPARE(int(DriverFields().size()), 28);
        for (int i = 0; i < 28; ++i)
            QCOMPARE(QString::fromLatin1(tableEntry(DriverFields()[size_t(i)]).name),
                     RecordFields[i]);
    }

    // The shipped database lists its drivers by maker and model, and its
    // Fane record loads the start-up driver's figures, with the diameter as
    // the piston diameter in centimetres.
    void shippedDatabaseHoldsTheDefaultDriver() {
        QVERIFY(QFile::copy(ShippedDir + "/spk.db", "spk.db"));
        QVERIFY(QFile::copy(ShippedDir + "/spkdb.hdr", "spkdb.hdr"));
        auto dialog = makeDialog();
        ListDrivers(dialog);
        const QStringList entries = dialog.lines("ListBox1");
        QCOMPARE(entries.size(), readAll("spkdb.hdr").trimmed().toInt() + 1);
        QStringList names;
        for (int i = 0; i < entries.size(); ++i) {
            QCOMPARE(entries[i].section(' ', 0, 0), QString::number(i));
            names << entries[i].section(' ', 1);
        }
        QStringList sorted = names;
        std::stable_sort(sorted.begin(), sorted.end(), [](const QString &a, const QString &b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        });
        QCOMPARE(names, sorted);

        const int fane = int(names.indexOf(QStringLiteral("Fane Colossus 18 XB")));
        QVERIFY(fane >= 0);
        QCOMPARE(dialog.line("ListBox2", fane), QStringLiteral("18 inch high power subwoofer"));
        test::MemoryFieldStore main;
        setDriver(main, sampleDriver("other"));
        loadEntry(main, dialog, fane);
        const QStringList loaded = driverOf(main);
        QCOMPARE(loaded.mid(3, 10), (QStringList{"0.38", "2.28", "0.46", "226", "32.9", "14.3",
                                                 "45.7", "600", "6.5", "100"}));
    }

    void addToOneRecordDatabase() {
        writeDatabase({sampleDriver("first")});
        test::MemoryFieldStore main;
        setDriver(main, sampleDriver("second"));
        const QByteArray before = readAll("spk.db");
        AddDriver(main);
        QCOMPARE(readAll("spkdb.hdr"), QByteArray("1\r\n"));
        QCOMPARE(readAll("spk.db"), before + crLf(recordLines("1", sampleDriver("second"))));

        auto dialog = makeDialog();
        ListDrivers(dialog);
        QCOMPARE(dialog.lines("ListBox1"), (QStringList{"0 first EManufacturer first EModel",
                                                        "1 second EManufacturer second EModel"}));
        QCOMPARE(dialog.lines("ListBox2"), (QStringList{"first EComments", "second EComments"}));
    }

    void emptyDatabase() {
        writeBytes("spk.db", crLf(HeaderLines));
        writeBytes("spkdb.hdr", "-1\r\n");
        auto dialog = makeDialog();
        dialog.addLine("ListBox1", "left over");
        ListDrivers(dialog);
        QCOMPARE(dialog.lineCount("ListBox1"), 0);
        QCOMPARE(dialog.lineCount("ListBox2"), 0);
        QCOMPARE(dialog.text("Edit1"), QStringLiteral("0"));

        test::MemoryFieldStore main;
        AddDriver(main);
        QCOMPARE(readAll("spkdb.hdr"), QByteArray("0\r\n"));
        const QList<QByteArray> lines = readAll("spk.db").split('\n');
        QCOMPARE(lines[4], QByteArray("0\r"));
        ListDrivers(dialog);
        QCOMPARE(dialog.lines("ListBox1"), QStringList{"0 Fane Colossus 18 XB"});
    }

    void textsRoundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("question mark") << QStringLiteral("?");
        QTest::newRow("blanks around") << QStringLiteral("  12.5  ");
        QTest::newRow("marker text") << QStringLiteral("<end_element>");
        QTest::newRow("non-ASCII") << QString::fromUtf8("Sk\xc3\xa5n \xe2\x82\xac");
    }
    void textsRoundTrip() {
        QFETCH(QString, text);
        writeDatabase({sampleDriver("first")});
        test::MemoryFieldStore main;
        QStringList driver = sampleDriver("new");
        driver[15] = text; // EMaxExcursionBeforeDamage
        driver[27] = text; // EOtherInformation
        driver[0] = text;  // EManufacturer
        setDriver(main, driver);
        AddDriver(main);
        setDriver(main, sampleDriver("changed"));
        auto dialog = makeDialog();
        loadEntry(main, dialog, 1);
        QCOMPARE(driverOf(main), driver);
        QCOMPARE(main.writes("ECalcSens"), 0);
        QCOMPARE(dialog.text("Edit1"), QStringLiteral("1"));
    }

    void edit1ShowsZeroAfterListing() {
        writeDatabase({sampleDriver("a"), sampleDriver("b"), sampleDriver("c")});
        auto dialog = makeDialog();
        dialog.setText("Edit1", "2");
        const int before = dialog.writes("Edit1");
        ListDrivers(dialog);
        QCOMPARE(dialog.lineCount("ListBox1"), 3);
        QCOMPARE(dialog.text("Edit1"), QStringLiteral("0"));
        QCOMPARE(dialog.writes("Edit1") - before, 3 + 1); // one per record, the final 0
    }

    void wrongIndexLineIsFoundByPosition() {
        QStringList lines = HeaderLines;
        lines += recordLines("0", sampleDriver("a"));
        lines += recordLines("7", sampleDriver("b"));
        lines += recordLines("2", sampleDriver("c"));
        writeBytes("spk.db", crLf(lines));
        writeBytes("spkdb.hdr", "2\r\n");
        auto dialog = makeDialog();
        test::MemoryFieldStore main;
        loadEntry(main, dialog, 1);
        QCOMPARE(dialog.line("ListBox1", 1), QStringLiteral("7 b EManufacturer b EModel"));
        QCOMPARE(driverOf(main), sampleDriver("b"));
    }

    void shortFileReadsEmptyLines() {
        QStringList lines = HeaderLines;
        lines += recordLines("0", sampleDriver("a"));
        lines += recordLines("1", sampleDriver("b")).mid(0, 10); // fields 1 to 8 of record 1
        writeBytes("spk.db", crLf(lines));
        writeBytes("spkdb.hdr", "3\r\n");
        auto dialog = makeDialog();
        ListDrivers(dialog);
        QCOMPARE(dialog.lines("ListBox1"), (QStringList{"0 a EManufacturer a EModel",
                                                        "1 b EManufacturer b EModel", "  ", "  "}));
        QCOMPARE(dialog.lines("ListBox2"), (QStringList{"a EComments", "b EComments", "", ""}));

        test::MemoryFieldStore main;
        dialog.select("ListBox1", 1);
        LoadButtonClick(main, dialog);
        QStringList partial = sampleDriver("b").mid(0, 8);
        while (partial.size() < 28)
            partial << QString();
        QCOMPARE(driverOf(main), partial);

        setDriver(main, sampleDriver("x"));
        dialog.select("ListBox1", 3);
        LoadButtonClick(main, dialog);
        QCOMPARE(driverOf(main), QStringList(28, QString()));
    }

    void noSelectionLoadsNothing() {
        writeDatabase({sampleDriver("a"), sampleDriver("b")});
        auto dialog = makeDialog();
        ListDrivers(dialog);
        dialog.setText("Edit1", "1");
        test::MemoryFieldStore main;
        LoadButtonClick(main, dialog);
        QCOMPARE(driverWrites(main), 0);
        QCOMPARE(dialog.text("Edit1"), QStringLiteral("1"));
    }

    void indexText_data() {
        QTest::addColumn<QString>("edit1");
        QTest::addColumn<int>("loaded"); // -1: nothing
        QTest::newRow("first") << "0" << 0;
        QTest::newRow("blanks around") << " 1 " << 1;
        QTest::newRow("plus sign") << "+1" << 1;
        QTest::newRow("above the last") << "2" << -1;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("not a number") << "abc" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("decimal") << "1.0" << -1;
        QTest::newRow("huge") << "99999999999999999999999" << -1;
    }
    void indexText() {
        QFETCH(QString, edit1);
        QFETCH(int, loaded);
        writeDatabase({sampleDriver("a"), sampleDriver("b")});
        auto dialog = makeDialog();
        dialog.setText("Edit1", edit1);
        test::MemoryFieldStore main;
        const QStringList before = driverOf(main);
        LoadDriver(main, dialog);
        if (loaded < 0) {
            QCOMPARE(driverWrites(main), 0);
            QCOMPARE(driverOf(main), before);
        } else {
            QCOMPARE(driverOf(main), sampleDriver(loaded == 0 ? "a" : "b"));
        }
    }

    void missingRecordsFile() {
        writeBytes("spkdb.hdr", "0\r\n");
        auto dialog = makeDialog();
        dialog.addLine("ListBox1", "old");
        dialog.addLine("ListBox2", "old");
        dialog.setText("Edit1", "5");
        QCOMPARE(errorOf([&] { ListDrivers(dialog); }), QString(msg::FileNotFound));
        QCOMPARE(dialog.lineCount("ListBox1"), 0);
        QCOMPARE(dialog.lineCount("ListBox2"), 0);
        QCOMPARE(dialog.text("Edit1"), QStringLiteral("5"));

        test::MemoryFieldStore main;
        QCOMPARE(errorOf([&] { AddDriver(main); }), QString(msg::FileNotFound));
        QCOMPARE(readAll("spkdb.hdr"), QByteArray("0\r\n"));
        QVERIFY(!QFile::exists("spk.db"));

        dialog.setText("Edit1", "0");
        QCOMPARE(errorOf([&] { LoadDriver(main, dialog); }), QString(msg::FileNotFound));
        QCOMPARE(driverWrites(main), 0);
    }

    void missingIndexFile() {
        writeDatabase({sampleDriver("a")});
        QVERIFY(QFile::remove("spkdb.hdr"));
        const QByteArray records = readAll("spk.db");
        auto dialog = makeDialog();
        dialog.addLine("ListBox1", "old");
        QCOMPARE(errorOf([&] { ListDrivers(dialog); }), QString(msg::FileNotFound));
        QCOMPARE(dialog.lineCount("ListBox1"), 0);

        test::MemoryFieldStore main;
        QCOMPARE(errorOf([&] { AddDriver(main); }), QString(msg::FileNotFound));
        QCOMPARE(readAll("spk.db"), records);
        QVERIFY(!QFile::exists("spkdb.hdr"));

        dialog.setText("Edit1", "0");
        QCOMPARE(errorOf([&] { LoadDriver(main, dialog); }), QString(msg::FileNotFound));
        QCOMPARE(driverWrites(main), 0);
    }

    void damagedHeader_data() {
        QTest::addColumn<QByteArray>("header");
        QTest::newRow("word") << QByteArray("abc\r\n");
        QTest::newRow("trailing text") << QByteArray("5x\r\n");
        QTest::newRow("decimal") << QByteArray("1.0\r\n");
        QTest::newRow("double sign") << QByteArray("--1\r\n");
        QTest::newRow("below -1") << QByteArray("-2\r\n");
        QTest::newRow("above the ceiling") << QByteArray("1000001\r\n");
        QTest::newRow("32-bit maximum") << QByteArray("2147483647\r\n");
        QTest::newRow("beyond 64 bits") << QByteArray("99999999999999999999999\r\n");
        // Longer than any header line may be: never read as another number.
        QTest::newRow("blanks beyond the line limit")
            << QByteArray(MaxDatabaseLineBytes + 10, ' ') + "0\r\n";
    }
    void damagedHeader() {
        QFETCH(QByteArray, header);
        writeDatabase({sampleDriver("a")});
        writeBytes("spkdb.hdr", header);
        const QByteArray records = readAll("spk.db");
        auto dialog = makeDialog();
        QCOMPARE(errorOf([&] { ListDrivers(dialog); }), QString(DamagedDatabaseHeader));
        QCOMPARE(dialog.lineCount("ListBox1"), 0);
        test::MemoryFieldStore main;
        QCOMPARE(errorOf([&] { AddDriver(main); }), QString(DamagedDatabaseHeader));
        QCOMPARE(readAll("spk.db"), records);
        QCOMPARE(readAll("spkdb.hdr"), header);
        dialog.setText("Edit1", "0");
        QCOMPARE(errorOf([&] { LoadDriver(main, dialog); }), QString(DamagedDatabaseHeader));
        QCOMPARE(driverWrites(main), 0);
    }

    void headerForms_data() {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<int>("entries");
        QTest::newRow("plain") << QByteArray("2\r\n") << 3;
        QTest::newRow("leading blanks") << QByteArray("   1\r\n") << 2;
        QTest::newRow("trailing blanks") << QByteArray("1  \r\n") << 2;
        QTest::newRow("plus sign") << QByteArray("+1\r\n") << 2;
        QTest::newRow("empty line") << QByteArray("\r\n") << 1;
        QTest::newRow("blank line") << QByteArray("   \r\n") << 1;
        QTest::newRow("empty file") << QByteArray() << 1;
        QTest::newRow("second line ignored") << QByteArray("0\r\n2\r\n") << 1;
        QTest::newRow("no line end") << QByteArray("1") << 2;
        QTest::newRow("empty database") << QByteArray("-1\n") << 0;
        QTest::newRow("70,000 blanks before the number") << QByteArray(70000, ' ') + "1\r\n" << 2;
    }
    void headerForms() {
        QFETCH(QByteArray, header);
        QFETCH(int, entries);
        QList<QStringList> drivers;
        for (int i = 0; i < entries; ++i)
            drivers << sampleDriver(QString(QChar('a' + i)));
        writeDatabase(drivers);
        writeBytes("spkdb.hdr", header);
        auto dialog = makeDialog();
        ListDrivers(dialog);
        QCOMPARE(dialog.lineCount("ListBox1"), entries);
        test::MemoryFieldStore main;
        AddDriver(main);
        QCOMPARE(readAll("spkdb.hdr"), QByteArray::number(entries) + "\r\n");
    }

    // A header announcing a million records over a file of two: the walk
    // stops at the end of the file, reading each file once, and lists a
    // bounded number of blank entries, setting the index once for each.
    void hugeHeaderIsBounded() {
        writeDatabase({sampleDriver("a"), sampleDriver("b")});
        writeBytes("spkdb.hdr", QByteArray::number(MaxLastIndex) + "\r\n");
        const qint64 fileBytes = readAll("spk.db").size() + readAll("spkdb.hdr").size();
        auto dialog = makeDialog();
        const int edits = dialog.writes("Edit1");
        QVERIFY(bytesReadBy([&] { ListDrivers(dialog); }) <= fileBytes);
        QCOMPARE(dialog.writes("Edit1") - edits, 2 + MaxMissingRecordsListed + 1);
        QCOMPARE(dialog.lineCount("ListBox1"), 2 + MaxMissingRecordsListed);
        QCOMPARE(dialog.line("ListBox1", 1), QStringLiteral("1 b EManufacturer b EModel"));
        QCOMPARE(dialog.line("ListBox1", 2 + MaxMissingRecordsListed - 1), QStringLiteral("  "));
        QCOMPARE(dialog.text("Edit1"), QStringLiteral("0"));

        test::MemoryFieldStore main;
        dialog.setText("Edit1", QString::number(MaxLastIndex));
        QVERIFY(bytesReadBy([&] { LoadDriver(main, dialog); }) <= fileBytes);
        QCOMPARE(driverOf(main), QStringList(28, QString()));

        const QByteArray records = readAll("spk.db");
        QCOMPARE(errorOf([&] { AddDriver(main); }), QString(DatabaseFull));
        QCOMPARE(readAll("spk.db"), records);
        QCOMPARE(readAll("spkdb.hdr"), QByteArray::number(MaxLastIndex) + "\r\n");

        // Room for one more, but spk.db ends long before record MaxLastIndex - 1.
        writeBytes("spkdb.hdr", QByteArray::number(MaxLastIndex - 1) + "\r\n");
        QCOMPARE(errorOf([&] { AddDriver(main); }), QString(DamagedDatabase));
        QCOMPARE(readAll("spk.db"), records);
    }

    // Add Driver appends only where the readers will find the record: after
    // exactly LastIndex + 1 whole records. Anything else changes neither file.
    void addingToADamagedDatabase_data() {
        QTest::addColumn<QByteArray>("records");
        QTest::addColumn<QByteArray>("header");
        const QByteArray one = crLf(HeaderLines + recordLines("0", sampleDriver("a")));
        const QByteArray two = one + crLf(recordLines("1", sampleDriver("b")));
        QTest::newRow("last record cut to 15 lines")
            << one + crLf(recordLines("1", sampleDriver("b")).mid(0, 15)) << QByteArray("1\r\n");
        QTest::newRow("records file empty") << QByteArray() << QByteArray("1\r\n");
        QTest::newRow("records file empty, empty database") << QByteArray() << QByteArray("-1\r\n");
        QTest::newRow("header counts two records too few")
            << two + crLf(recordLines("2", sampleDriver("c"))) << QByteArray("0\r\n");
        QTest::newRow("one record too many, its index line not the next")
            << one + crLf(recordLines("2", sampleDriver("b"))) << QByteArray("0\r\n");
        QTest::newRow("one record too many, without its end marker")
            << one + crLf(recordLines("1", sampleDriver("b")).mid(0, 30)) << QByteArray("0\r\n");
        QTest::newRow("an empty line after the last record") << one + "\r\n" << QByteArray("0\r\n");
        QTest::newRow("a line beyond the line limit")
            << one + QByteArray(MaxDatabaseLineBytes + 1, 'x') + "\r\n"
            << QByteArray("1\r\n");
    }
    void addingToADamagedDatabase() {
        QFETCH(QByteArray, records);
        QFETCH(QByteArray, header);
        writeBytes("spk.db", records);
        writeBytes("spkdb.hdr", header);
        test::MemoryFieldStore main;
        setDriver(main, sampleDriver("new"));
        QCOMPARE(errorOf([&] { AddDriver(main); }), QString(DamagedDatabase));
        QCOMPARE(readAll("spk.db"), records);
        QCOMPARE(readAll("spkdb.hdr"), header);
    }

    // An add stopped between writing its record and counting it leaves one
    // whole record with the next index after the last counted one. The next
    // Add Driver or Get Driver counts it; a header the user may not write
    // leaves the listing as it stands and the add refused as before.
    void stoppedAddIsCompleted_data() {
        QTest::addColumn<bool>("add");
        QTest::addColumn<bool>("readOnlyHeader");
        QTest::addColumn<QByteArray>("lastLineEnd");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QByteArray>("header");
        const QStringList two = {"0 a EManufacturer a EModel", "1 b EManufacturer b EModel"};
        const QStringList three = two + QStringList{"2 c EManufacturer c EModel"};
        QTest::newRow("next Add Driver")
            << true << false << QByteArray("\r\n") << three << QByteArray("2\r\n");
        QTest::newRow("next Get Driver")
            << false << false << QByteArray("\r\n") << two << QByteArray("1\r\n");
        QTest::newRow("record without its last line end")
            << true << false << QByteArray() << three << QByteArray("2\r\n");
        QTest::newRow("Get Driver, header read-only")
            << false << true << QByteArray("\r\n") << two.mid(0, 1) << QByteArray("0\r\n");
    }
    void stoppedAddIsCompleted() {
        QFETCH(bool, add);
        QFETCH(bool, readOnlyHeader);
        QFETCH(QByteArray, lastLineEnd);
        QFETCH(QStringList, entries);
        QFETCH(QByteArray, header);
        writeDatabase({sampleDriver("a")});
        QByteArray uncounted = crLf(recordLines("1", sampleDriver("b")));
        uncounted.chop(2);
        writeBytes("spk.db", readAll("spk.db") + uncounted + lastLineEnd);
        if (readOnlyHeader)
            QVERIFY(QFile::setPermissions("spkdb.hdr", QFile::ReadOwner | QFile::ReadGroup));
        test::MemoryFieldStore main;
        setDriver(main, sampleDriver("c"));
        if (add)
            AddDriver(main);
        auto dialog = makeDialog();
        ListDrivers(dialog);
        QCOMPARE(dialog.lines("ListBox1"), entries);
        QCOMPARE(dialog.text("Edit1"), QStringLiteral("0"));
        QCOMPARE(readAll("spkdb.hdr"), header);
        if (readOnlyHeader) {
            const QByteArray records = readAll("spk.db");
            QCOMPARE(errorOf([&] { AddDriver(main); }), QString(msg::FileAccessDenied));
            QCOMPARE(readAll("spk.db"), records);
            QCOMPARE(readAll("spkdb.hdr"), header);
        }
        setDriver(main, sampleDriver("x"));
        loadEntry(main, dialog, int(entries.size()) - 1);
        QCOMPARE(driverOf(main), sampleDriver(QString(QChar(char('a' + entries.size() - 1)))));
    }

    // The list is read once; loading reads the record afresh. Where another
    // program has changed the database since (here record 3 of 8 deleted and
    // the header lowered by one), an entry that no longer names the record at
    // its place loads nothing and asks for a new listing.
    void staleListLoadsNothing_data() {
        QTest::addColumn<bool>("renumbered");
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("loaded"); // -1: the list is out of date
        QTest::newRow("entry 5 of 8, index lines kept") << false << 5 << -1;
        QTest::newRow("entry 5 of 8, records renumbered") << true << 5 << -1;
        QTest::newRow("entry 7 of 8, gone") << false << 7 << -1;
        QTest::newRow("entry 2 of 8, before the change") << false << 2 << 2;
    }
    void staleListLoadsNothing() {
        QFETCH(bool, renumbered);
        QFETCH(int, entry);
        QFETCH(int, loaded);
        QList<QStringList> drivers;
        for (int i = 0; i < 8; ++i)
            drivers << sampleDriver(QString(QChar('a' + i)));
        writeDatabase(drivers);
        auto dialog = makeDialog();
        ListDrivers(dialog);

        QStringList lines = HeaderLines;
        for (int i = 0, position = 0; i < 8; ++i) {
            if (i == 3)
                continue;
            lines += recordLines(QString::number(renumbered ? position : i), drivers[i]);
            ++position;
        }
        writeBytes("spk.db", crLf(lines));
        writeBytes("spkdb.hdr", "6\r\n");

        test::MemoryFieldStore main;
        setDriver(main, sampleDriver("x"));
        const int writes = driverWrites(main);
        dialog.select("ListBox1", entry);
        const QString report = errorOf([&] { LoadButtonClick(main, dialog); });
        if (loaded < 0) {
            QCOMPARE(report, QString(StaleDriverList));
            QCOMPARE(reportText(report),
                     QStringLiteral("The driver list is out of date. List the drivers again."));
            QCOMPARE(driverWrites(main), writes);
            QCOMPARE(dialog.text("Edit1"), QStringLiteral("0"));
        } else {
            QCOMPARE(report, QString());
            QCOMPARE(driverOf(main), drivers[loaded]);
        }
    }

    // A file that is not a regular one, or a record line longer than any
    // field, is refused at once: a listing never waits and never reads on.
    void unusableRecordsFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("report");
        QTest::newRow("link to /dev/zero") << "zero" << QString(msg::NotRegularFile);
        QTest::newRow("named pipe with no writer") << "fifo" << QString(msg::NotRegularFile);
        QTest::newRow("one line of 2 GB") << "sparse" << QString(DamagedDatabase);
    }
    void unusableRecordsFile() {
        QFETCH(QString, kind);
        QFETCH(QString, report);
        writeBytes("spkdb.hdr", "5\r\n");
        if (kind == "zero")
            QVERIFY(QFile::link("/dev/zero", "spk.db"));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo("spk.db", 0644), 0);
        else {
            QFile sparse("spk.db");
            QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(qint64(2) << 30));
        }
        auto dialog = makeDialog();
        test::MemoryFieldStore main;
        const qint64 read = bytesReadBy([&] {
            QCOMPARE(errorOf([&] { ListDrivers(dialog); }), report);
            dialog.setText("Edit1", "5");
            QCOMPARE(errorOf([&] { LoadDriver(main, dialog); }), report);
            QCOMPARE(errorOf([&] { AddDriver(main); }), report);
        });
        // Each of the three stops within two line limits of the file's start.
        QVERIFY(read <= 3 * 2 * qint64(MaxDatabaseLineBytes));
    }

    void recordsFileIsADirectory() {
        writeBytes("spkdb.hdr", "0\r\n");
        QVERIFY(QDir().mkdir("spk.db"));
        test::MemoryFieldStore main;
        QCOMPARE(errorOf([&] { AddDriver(main); }), QString(msg::IsDirectory));
        QCOMPARE(readAll("spkdb.hdr"), QByteArray("0\r\n"));
    }

    void readOnlyRecordsFileChangesNothing() {
        writeDatabase({sampleDriver("a")});
        const QByteArray records = readAll("spk.db");
        QVERIFY(QFile::setPermissions("spk.db", QFile::ReadOwner | QFile::ReadGroup));
        test::MemoryFieldStore main;
        QCOMPARE(errorOf([&] { AddDriver(main); }), QString(msg::FileAccessDenied));
        QCOMPARE(readAll("spk.db"), records);
        QCOMPARE(readAll("spkdb.hdr"), QByteArray("0\r\n"));
    }

    void failedHeaderWriteTakesTheRecordBack() {
        writeDatabase({sampleDriver("a")});
        const QByteArray records = readAll("spk.db");
        QVERIFY(QFile::setPermissions("spkdb.hdr", QFile::ReadOwner | QFile::ReadGroup));
        test::MemoryFieldStore main;
        QCOMPARE(errorOf([&] { AddDriver(main); }), QString(msg::FileAccessDenied));
        QCOMPARE(readAll("spk.db"), records);
        QCOMPARE(readAll("spkdb.hdr"), QByteArray("0\r\n"));
    }

    void unfinishedLastLineIsEndedFirst() {
        writeDatabase({sampleDriver("a")});
        QByteArray records = readAll("spk.db");
        records.chop(2);
        writeBytes("spk.db", records);
        test::MemoryFieldStore main;
        setDriver(main, sampleDriver("b"));
        AddDriver(main);
        QCOMPARE(readAll("spk.db"), records + "\r\n" + crLf(recordLines("1", sampleDriver("b"))));
        auto dialog = makeDialog();
        setDriver(main, sampleDriver("x"));
        loadEntry(main, dialog, 1);
        QCOMPARE(driverOf(main), sampleDriver("b"));
    }

    void lineBreaksInAFieldKeepTheRecordLength() {
        writeDatabase({sampleDriver("a")});
        test::MemoryFieldStore main;
        QStringList broken = sampleDriver("b");
        broken[2] = "two\r\nlines";
        broken[1] = "x\ny\rz";
        setDriver(main, broken);
        AddDriver(main);
        setDriver(main, sampleDriver("c"));
        AddDriver(main);
        auto dialog = makeDialog();
        ListDrivers(dialog);
        QCOMPARE(dialog.lines("ListBox1"),
                 (QStringList{"0 a EManufacturer a EModel", "1 b EManufacturer x y z",
                              "2 c EManufacturer c EModel"}));
        QCOMPARE(dialog.line("ListBox2", 1), QStringLiteral("two  lines"));
        setDriver(main, sampleDriver("x"));
        loadEntry(main, dialog, 2);
        QCOMPARE(driverOf(main), sampleDriver("c"));
    }
};

QTEST_GUILESS_MAIN(TestDriverDatabase)
#include "tst_driverdatabase.moc"
