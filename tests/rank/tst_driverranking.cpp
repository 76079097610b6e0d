#include "DriverRanking.h"
#include "MainFields.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace dravik;
using namespace dravik::test;

namespace {

// The Driver page's start texts: the Fane Colossus 18 XB.
QStringList startDriver() {
    const MainFields fields;
    QStringList texts;
    for (Field f : DriverFields())
        texts << fields.text(f);
    return texts;
}

QStringList withField(QStringList driver, Field field, const QString &text) {
    const std::vector<Field> &all = DriverFields();
    const auto at = std::find(all.begin(), all.end(), field) - all.begin();
    driver[static_cast<qsizetype>(at)] = text;
    return driver;
}

QStringList blankDriver() {
    QStringList texts;
    for (size_t i = 0; i < DriverFields().size(); ++i)
        texts << QString();
    return texts;
}

QByteArray databaseOf(const QList<QStringList> &drivers) {
    QByteArray bytes = "header one\r\nheader two\r\nheader three\r\n";
    for (qsizetype i = 0; i < drivers.size(); ++i)
        bytes += DriverRecordBytes(static_cast<int>(i), drivers[i]);
    return bytes;
}

// RFC 4180 read back, as a spreadsheet would: quoted fields may hold
// commas, quotes (doubled) and line ends; records end with CR LF.
QList<QStringList> parseCsv(const QString &text) {
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"'))
                field += c, ++i;
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                field += c;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            record << field;
            field.clear();
        } else if (c == QLatin1Char('\r') && i + 1 < text.size() &&
                   text[i + 1] == QLatin1Char('\n')) {
            record << field;
            records << record;
            record.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    return records;
}

RankRow rowWith(int index, RankColumn column, const QString &value, const QString &problem = {}) {
    RankRow row;
    row.index = index;
    for (int i = 0; i < RankColumnCount; ++i)
        row.cells << QString();
    row.cells[static_cast<int>(RankColumn::Index)] = QString::number(index);
    row.cells[static_cast<int>(column)] = value;
    row.cells[static_cast<int>(RankColumn::Problem)] = problem;
    return row;
}

} // namespace

class TestDriverRanking : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString start_;

    std::vector<RankRow> rankDatabase(const QList<QStringList> &drivers, const QByteArray &header,
                                      int jobs = 1) {
        writeBytes(QStringLiteral("spk.db"), databaseOf(drivers));
        writeBytes(QStringLiteral("spkdb.hdr"), header);
        const RankOptions options;
        std::vector<RankRow> rows = ComputeRows(ReadDriverRecords(), options, jobs);
        RankRows(rows, options);
        return rows;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        start_ = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir_.path()));
    }
    void cleanupTestCase() { QDir::setCurrent(start_); }
    void init() { emptyDirectory(dir_.path()); }

    void quotedField_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("plain") << "Fane"
                               << "\"Fane\"";
        QTest::newRow("empty") << ""
                               << "\"\"";
        QTest::newRow("comma") << "18, XB"
                               << "\"18, XB\"";
        QTest::newRow("quote") << "18\" woofer"
                               << "\"18\"\" woofer\"";
        QTest::newRow("two quotes") << "\"\""
                                    << "\"\"\"\"\"\"";
        QTest::newRow("tab") << "a\tb"
                             << "\"a\tb\"";
        QTest::newRow("newline") << "a\r\nb"
                                 << "\"a\r\nb\"";
    }
    void quotedField() {
        QFETCH(QString, text);
        QFETCH(QString, quoted);
        QCOMPARE(QuotedCsvField(text), quoted);
    }

    // Every cell of the table reads back as it was, whatever it holds.
    void tableReadsBack_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("comma in a number column") << "0,38";
        QTest::newRow("quote") << "say \"hi\"";
        QTest::newRow("tab") << "Fa\tne\t";
        QTest::newRow("lone CR") << "a\rb";
        QTest::newRow("LF") << "a\nb";
        QTest::newRow("CR LF") << "a\r\nb";
        QTest::newRow("shell syntax") << "$(touch pwned); `id`";
    }
    void tableReadsBack() {
        QFETCH(QString, text);
        std::vector<RankRow> rows;
        for (RankColumn column : {RankColumn::Maker, RankColumn::Qts, RankColumn::Problem})
            rows.push_back(rowWith(0, column, text));
        const QList<QStringList> read = parseCsv(QString::fromUtf8(RankTableCsv(rows)));
        QCOMPARE(read.size(), 4);
        QCOMPARE(read[0].size(), RankColumnCount);
        QCOMPARE(read[0].last(), QStringLiteral("problem"));
        for (int r = 1; r <= 3; ++r)
            QCOMPARE(read[r], rows[static_cast<size_t>(r - 1)].cells);
    }

    // A text a spreadsheet would run as a formula gets a single quote before
    // it; in a column of figures only where it is not a number.
    void formulaCellsNeutralised_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("asFigure"); // kept as it is in the qts column
        QTest::newRow("=") << "=HYPERLINK(\"x\")" << false;
        QTest::newRow("+") << "+1+1" << false;
        QTest::newRow("- not a number") << "-1+1" << false;
        QTest::newRow("@") << "@SUM(A1)" << false;
        QTest::newRow("tab") << "\t=1" << false;
        QTest::newRow("CR") << "\r=1" << false;
        QTest::newRow("negative figure") << "-9.5" << true;
        QTest::newRow("signed exponent") << "+1e-3" << true;
    }
    void formulaCellsNeutralised() {
        QFETCH(QString, text);
        QFETCH(bool, asFigure);
        RankRow row = rowWith(0, RankColumn::Maker, text);
        row.cells[int(RankColumn::Qts)] = text;
        const QStringList read = parseCsv(QString::fromUtf8(RankTableCsv({row}))).at(1);
        QCOMPARE(read[int(RankColumn::Maker)], QLatin1Char('\'') + text);
        QCOMPARE(read[int(RankColumn::Qts)], asFigure ? text : QLatin1Char('\'') + text);
    }

    // Computed drivers first, by the value (none after any), the budget's
    // breakers next, rows with a problem last and without a rank.
    void ranking_data() {
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QStringList>("values"); // "!" a problem row
        QTest::addColumn<QString>("order");      // indices, ranked
        QTest::addColumn<QString>("ranks");
        QTest::newRow("largest first") << false << QStringList{"1", "3", "2"} << "1 2 0"
                                       << "1 2 3";
        QTest::newRow("smallest first") << true << QStringList{"1", "3", "2"} << "0 2 1"
                                        << "1 2 3";
        QTest::newRow("no value last, largest first")
            << false << QStringList{"", "3", "x"} << "1 0 2"
            << "1 2 3";
        QTest::newRow("no value last, smallest first")
            << true << QStringList{"", "3", "nan"} << "1 0 2"
            << "1 2 3";
        QTest::newRow("ties in database order")
            << false << QStringList{"2", "5", "2", "2"} << "1 0 2 3"
            << "1 2 3 4";
        QTest::newRow("problem rows last, unranked")
            << false << QStringList{"!", "1", "!", "-5"} << "1 3 0 2"
            << "1 2  ";
        QTest::newRow("problem rows below the smallest, ascending")
            << true << QStringList{"!", "9", "1"} << "2 1 0"
            << "1 2 ";
        QTest::newRow("exponent and sign") << false << QStringList{"-1e3", "2e-3", "+7"} << "2 1 0"
                                           << "1 2 3";
    }
    void ranking() {
        QFETCH(bool, ascending);
        QFETCH(QStringList, values);
        QFETCH(QString, order);
        QFETCH(QString, ranks);
        RankOptions options;
        options.ascending = ascending;
        options.maxBoxLitres = 0.0;
        std::vector<RankRow> rows;
        for (qsizetype i = 0; i < values.size(); ++i)
            rows.push_back(values[i] == QLatin1String("!")
                               ? rowWith(int(i), options.by, QString(), QStringLiteral("bad"))
                               : rowWith(int(i), options.by, values[i]));
        RankRows(rows, options);
        QStringList indices, rankTexts;
        for (const RankRow &row : rows) {
            indices << QString::number(row.index);
            rankTexts << row.cell(RankColumn::Rank);
        }
        QCOMPARE(indices.join(' '), order);
        QCOMPARE(rankTexts.join(' '), ranks);
    }

    void budget_data() {
        QTest::addColumn<QString>("by");
        QTest::addColumn<double>("maxBox");
        QTest::addColumn<QString>("reason");
        QTest::newRow("SBB4 box over") << "spl_100w_25hz_db" << 100.0 << "SBB4 box 151 l > 100 l";
        QTest::newRow("SBB4 box within") << "sbb4_vb_l" << 151.0 << "";
        QTest::newRow("half litres") << "sbb4_f3_hz" << 100.5 << "SBB4 box 151 l > 100.5 l";
        QTest::newRow("SC4 box") << "sc4_f3_hz" << 80.0 << "SC4 box 165 l > 80 l";
        QTest::newRow("optimiser box")
            << "opt_vent_peak_ms" << 280.0 << "optimiser box 300 l > 280 l";
        QTest::newRow("smallest box")
            << "smallest_box_l" << 299.5 << "optimiser box 300 l > 299.5 l";
        QTest::newRow("no budget") << "sbb4_vb_l" << 0.0 << "";
    }
    void budget() {
        QFETCH(QString, by);
        QFETCH(double, maxBox);
        QFETCH(QString, reason);
        RankOptions options;
        options.by = *RankableColumn(by);
        options.maxBoxLitres = maxBox;
        std::vector<RankRow> rows{rowWith(0, RankColumn::Sbb4Vb, QStringLiteral("150.67"))};
        rows[0].cells[static_cast<int>(RankColumn::Sc4Vb)] = QStringLiteral("165.39");
        rows[0].cells[static_cast<int>(RankColumn::SmallestBox)] = QStringLiteral("300.00");
        RankRows(rows, options);
        QCOMPARE(rows[0].cell(RankColumn::OverBudget), reason);
    }

    void rankableColumns_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("rankable");
        for (const char *name : {"rank", "index", "maker", "model", "sbb4_alignment",
                                 "sc4_alignment", "over_budget", "problem", "", "SPL"})
            QTest::newRow(name) << name << false;
        for (const char *name :
             {"qts", "spl_100w_25hz_db", "smallest_box_l", "power_w", "opt_vent_peak_ms"})
            QTest::newRow(name) << name << true;
    }
    void rankableColumns() {
        QFETCH(QString, name);
        QFETCH(bool, rankable);
        QCOMPARE(RankableColumn(name).has_value(), rankable);
        if (rankable)
            QCOMPARE(RankColumnName(*RankableColumn(name)), name);
    }

    // The header is read as the program reads it: a number up to 1,000,000,
    // nothing in it is ever run.
    void hostileHeader_data() {
        QTest::addColumn<QByteArray>("header");
        QTest::newRow("command substitution") << QByteArray("$(touch pwned)\r\n");
        QTest::newRow("backquotes") << QByteArray("`touch pwned`\n");
        QTest::newRow("arithmetic") << QByteArray("1+1\n");
        QTest::newRow("999,999,999") << QByteArray("999999999\r\n");
        QTest::newRow("1,000,001") << QByteArray("1000001\r\n");
        QTest::newRow("below -1") << QByteArray("-2\r\n");
    }
    void hostileHeader() {
        QFETCH(QByteArray, header);
        writeBytes(QStringLiteral("spk.db"), databaseOf({startDriver()}));
        writeBytes(QStringLiteral("spkdb.hdr"), header);
        QCOMPARE(errorOf([] { ReadDriverRecords(); }), QString::fromLatin1(DamagedDatabaseHeader));
        QVERIFY(!QFile::exists(QStringLiteral("pwned")));
    }

    // A header that counts far more records than spk.db holds lists the
    // missing ones as the driver list does: at most 1,000 of them.
    void missingRecordsBounded() {
        const std::vector<RankRow> rows =
            rankDatabase({startDriver(), startDriver()}, "1000000\r\n");
        QCOMPARE(rows.size(), size_t(2 + MaxMissingRecordsListed));
        QVERIFY(rows[0].computed() && rows[1].computed());
        QCOMPARE(rows[2].index, 2);
        QCOMPARE(rows.back().index, 1 + MaxMissingRecordsListed);
        QCOMPARE(rows.back().cell(RankColumn::Problem),
                 QStringLiteral("missing record: spk.db ends before it"));
        QCOMPARE(rows.back().cell(RankColumn::Sbb4Vb), QString());
    }

    // A record with a line too many: it and every record after it are
    // damaged (records are found by position), none shows a driver.
    void damagedRecord() {
        QByteArray bytes = databaseOf({startDriver(), startDriver(), startDriver()});
        const QByteArray secondStart = "<begin_element>\r\n1\r\nFane\r\nColossus 18 XB\r\n";
        bytes.insert(bytes.indexOf(secondStart) + secondStart.size(), "extra\r\n");
        writeBytes(QStringLiteral("spk.db"), bytes);
        writeBytes(QStringLiteral("spkdb.hdr"), "2\r\n");
        std::vector<RankRow> rows = ComputeRows(ReadDriverRecords(), RankOptions(), 1);
        RankRows(rows, RankOptions());
        QCOMPARE(rows.size(), size_t(3));
        QVERIFY(rows[0].computed());
        QCOMPARE(rows[0].cell(RankColumn::Model), QStringLiteral("Colossus 18 XB"));
        for (size_t i = 1; i < 3; ++i) {
            QCOMPARE(rows[i].index, int(i));
            QVERIFY(rows[i].cell(RankColumn::Problem).startsWith("damaged record"));
            QCOMPARE(rows[i].cell(RankColumn::Sbb4Vb), QString());
            QCOMPARE(rows[i].cell(RankColumn::Rank), QString());
        }
        // Record 1's name lines are in place, record 2's are not.
        QCOMPARE(rows[1].cell(RankColumn::Maker), QStringLiteral("Fane"));
        QCOMPARE(rows[2].cell(RankColumn::Maker), QString());
    }

    // A driver a command refuses, and blank records: rows with the reason,
    // no figures, after every computed driver; the drivers after them have
    // exactly the figures they have alone.
    void refusedDrivers_data() {
        QTest::addColumn<QStringList>("middle");
        QTest::addColumn<QString>("problem");
        QTest::newRow("Fs 0") << withField(startDriver(), Field::EFs, "0")
                              << "Calculate SBB4 alignment: Floating point division by zero.";
        QTest::newRow("Vas not a number")
            << withField(startDriver(), Field::EVas, "?")
            << "Calculate from Vb and Fb: Floating point division by zero.";
        QTest::newRow("blank") << blankDriver() << "blank record";
        QTest::newRow("blanks only")
            << withField(blankDriver(), Field::EModel, "   ") << "blank record";
    }
    void refusedDrivers() {
        QFETCH(QStringList, middle);
        QFETCH(QString, problem);
        const QStringList other = withField(startDriver(), Field::EModel, "Other");
        const std::vector<RankRow> alone = rankDatabase({other}, "0\r\n");
        const std::vector<RankRow> rows =
            rankDatabase({startDriver(), middle, middle, other}, "3\r\n");
        QCOMPARE(rows.size(), size_t(4));
        QCOMPARE(rows[2].index, 1);
        QCOMPARE(rows[3].index, 2);
        for (size_t i : {size_t(2), size_t(3)}) {
            QCOMPARE(rows[i].cell(RankColumn::Problem), problem);
            QCOMPARE(rows[i].cell(RankColumn::Rank), QString());
            for (int c = int(RankColumn::Qts); c < int(RankColumn::OverBudget); ++c)
                QCOMPARE(rows[i].cells[c], QString());
        }
        const RankRow &after = rows[0].index == 3 ? rows[0] : rows[1];
        QCOMPARE(after.index, 3);
        for (int c = int(RankColumn::Maker); c < RankColumnCount; ++c)
            QCOMPARE(after.cells[c], alone[0].cells[c]);
    }

    // Names with a tab, a comma and quotes keep their columns.
    void hostileNames() {
        const QString maker = QStringLiteral("Ma\tker, \"q\"");
        const std::vector<RankRow> rows =
            rankDatabase({withField(startDriver(), Field::EManufacturer, maker)}, "0\r\n");
        const QList<QStringList> read = parseCsv(QString::fromUtf8(RankTableCsv(rows)));
        QCOMPARE(read.size(), 2);
        QCOMPARE(read[1].size(), RankColumnCount);
        QCOMPARE(read[1][int(RankColumn::Maker)], maker);
        QCOMPARE(read[1][int(RankColumn::Model)], QStringLiteral("Colossus 18 XB"));
        QCOMPARE(read[1][int(RankColumn::Sbb4Vb)], QStringLiteral("150.67"));
    }

    // Threads change nothing: each driver has its own fields and responses.
    void threadsGiveTheSameRows() {
        QList<QStringList> drivers;
        for (int i = 0; i < 12; ++i)
            drivers << withField(startDriver(), Field::EFs, QString::number(20 + 2 * i));
        const QByteArray header = "11\r\n";
        const std::vector<RankRow> one = rankDatabase(drivers, header, 1);
        const std::vector<RankRow> four = rankDatabase(drivers, header, 4);
        QCOMPARE(one.size(), size_t(12));
        for (size_t i = 0; i < one.size(); ++i)
            QCOMPARE(four[i].cells, one[i].cells);
    }
};

QTEST_GUILESS_MAIN(TestDriverRanking)
#include "tst_driverranking.moc"
