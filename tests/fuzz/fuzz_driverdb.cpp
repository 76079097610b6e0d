// Fuzz target: the driver database reader and writer.
//
// The input holds both files: the bytes before the first line "%%spk.db"
// (the LF after the marker belongs to the marker) are spkdb.hdr, the bytes
// after it spk.db; an input without the marker is written to both files.
// The input, cut into 28 equal pieces, also gives the Driver page's texts
// for adding a driver. Each input runs ListDrivers, LoadDriver with a few
// indexes, AddDriver, and LoadDriver of the added record. Checked:
// - only DravikError escapes, and only for a damaged header or a full
//   database, exactly when the header says so;
// - the dialog's lists, "Edit1" and the Driver page hold what the records
//   at their positions in the files give (3 header lines, 31 lines a record,
//   empty lines past the end);
// - AddDriver appends exactly one record and rewrites the header as the new
//   index, or changes neither file; in a consistent database the added
//   record loads back as the texts it was made from;
// - every input finishes quickly (the fuzzer's -timeout), whatever the
//   header announces.

#include "DriverDatabase.h"
#include "Fp.h"
#include "FuzzSupport.h"
#include "MemoryFieldStore.h"
#include "NumberText.h"

#include <QString>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace dravik;
using dravik::fuzz::show;
using dravik::test::MemoryFieldStore;

namespace {

constexpr std::string_view Marker = "%%spk.db\n";
constexpr size_t HeaderLines = 3;
constexpr size_t RecordLines = 31;
constexpr size_t FieldCount = 28;
const QString Untouched = QStringLiteral("(untouched)");

// --- The expected results, from the file layout --------------------------

// Blanks, an optional sign, digits, blanks; nothing else.
std::optional<long long> wholeNumber(const QString &text) {
    qsizetype i = 0;
    const auto blanks = [&] {
        while (i < text.size() && text[i] == QLatin1Char(' '))
            ++i;
    };
    blanks();
    long long sign = 1;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        sign = text[i++] == QLatin1Char('-') ? -1 : 1;
    const qsizetype digitsStart = i;
    long long value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i)
        value = std::min(value * 10 + (text[i].unicode() - '0'), 1LL << 50);
    if (i == digitsStart)
        return std::nullopt;
    blanks();
    return i == text.size() ? std::optional<long long>(sign * value) : std::nullopt;
}

// The last index the header announces, or nothing for a damaged header.
std::optional<long long> lastIndexOf(std::string_view header) {
    const QString line = fuzz::lineOrEmpty(fuzz::textLines(header), 0);
    if (std::all_of(line.begin(), line.end(), [](QChar c) { return c == QLatin1Char(' '); }))
        return 0; // an empty line reads as 0
    const std::optional<long long> n = wholeNumber(line);
    if (!n || *n < -1 || *n > MaxLastIndex)
        return std::nullopt;
    return n;
}

struct Database {
    std::string header;
    std::string records;
    std::vector<QString> lines; // of spk.db
    std::optional<long long> lastIndex;

    Database(std::string h, std::string r)
        : header(std::move(h)), records(std::move(r)), lines(fuzz::textLines(records)),
          lastIndex(lastIndexOf(header)) {}

    QString line(size_t record, size_t lineInRecord) const {
        return fuzz::lineOrEmpty(lines, HeaderLines + record * RecordLines + lineInRecord);
    }
    // Records whose first line is in the file.
    size_t recordsPresent() const {
        return lines.size() <= HeaderLines
                   ? 0
                   : (lines.size() - HeaderLines + RecordLines - 1) / RecordLines;
    }
};

// --- Running the operations ----------------------------------------------

std::optional<QString> attempt(const std::function<void()> &operation) {
    try {
        operation();
    } catch (const DravikError &e) {
        return e.message();
    } catch (const std::exception &e) {
        FUZZ_CHECK(false, std::string("an exception other than DravikError: ") + e.what());
    }
    return std::nullopt;
}

void checkDamaged(const std::optional<QString> &error, const Database &db) {
    if (db.lastIndex) {
        FUZZ_CHECK(!error, "header " + show(QString::fromStdString(db.header)) +
                               " refused: " + show(error.value_or(QString())));
    } else {
        FUZZ_CHECK(error && *error == QLatin1String(DamagedDatabaseHeader),
                   "damaged header " + show(QString::fromStdString(db.header)) +
                       " accepted, error " + show(error.value_or(QStringLiteral("none"))));
    }
}

void checkList(const Database &db) {
    MemoryFieldStore dialog = MemoryFieldStore::empty();
    dialog.addField(QStringLiteral("Edit1"), Untouched);
    dialog.addList(QStringLiteral("ListBox1"));
    dialog.addList(QStringLiteral("ListBox2"));
    dialog.addLine(QStringLiteral("ListBox1"), QStringLiteral("old entry"));
    dialog.addLine(QStringLiteral("ListBox2"), QStringLiteral("old comment"));

    const std::optional<QString> error = attempt([&] { ListDrivers(dialog); });
    checkDamaged(error, db);
    const QStringList &entries = dialog.lines(QStringLiteral("ListBox1"));
    const QStringList &comments = dialog.lines(QStringLiteral("ListBox2"));
    if (!db.lastIndex) {
        FUZZ_CHECK(entries.isEmpty() && comments.isEmpty(), "lists not cleared");
        FUZZ_CHECK(dialog.text(QStringLiteral("Edit1")) == Untouched, "Edit1 written");
        return;
    }
    // Every announced record, but at most MaxMissingRecordsListed of those
    // wholly past the end of the file.
    const long long announced = *db.lastIndex + 1;
    const long long listed = std::min<long long>(
        announced, static_cast<long long>(db.recordsPresent()) + MaxMissingRecordsListed);
    FUZZ_CHECK(entries.size() == listed && comments.size() == listed,
               std::to_string(entries.size()) + " entries, " + std::to_string(comments.size()) +
                   " comments, expected " + std::to_string(listed));
    for (qsizetype i = 0; i < listed; ++i) {
        const auto r = static_cast<size_t>(i);
        const QString entry =
            db.line(r, 1) + QLatin1Char(' ') + db.line(r, 2) + QLatin1Char(' ') + db.line(r, 3);
        FUZZ_CHECK(entries[i] == entry, "entry " + std::to_string(i) + " " + show(entries[i]) +
                                            ", expected " + show(entry));
        FUZZ_CHECK(comments[i] == db.line(r, 4), "comment " + std::to_string(i));
    }
    FUZZ_CHECK(dialog.text(QStringLiteral("Edit1")) == QLatin1String("0"),
               "Edit1 " + show(dialog.text(QStringLiteral("Edit1"))));
}

void markDriverPage(MemoryFieldStore &main) {
    for (const char *field : DriverFields())
        main.setText(QLatin1String(field), Untouched);
}

// Loads the record "Edit1" names and compares the Driver page with it.
void checkLoad(MemoryFieldStore &main, const Database &db, const QString &indexText) {
    MemoryFieldStore dialog = MemoryFieldStore::empty();
    dialog.addField(QStringLiteral("Edit1"), indexText);
    markDriverPage(main);

    const std::optional<QString> error = attempt([&] { LoadDriver(main, dialog); });
    const std::optional<long long> wanted = wholeNumber(indexText);
    checkDamaged(error, db);
    const bool loads = db.lastIndex && wanted && *wanted >= 0 && *wanted <= *db.lastIndex;
    const std::vector<const char *> &fields = DriverFields();
    for (size_t f = 0; f < FieldCount; ++f) {
        const QString expected = loads ? db.line(static_cast<size_t>(*wanted), 2 + f) : Untouched;
        const QString got = main.text(QLatin1String(fields[f]));
        FUZZ_CHECK(got == expected, "index " + show(indexText) + " field " + fields[f] + " " +
                                        show(got) + ", expected " + show(expected));
    }
}

// The Driver page's texts from the input, line breaks and NUL bytes included.
std::vector<QString> driverTexts(std::string_view input) {
    std::vector<QString> texts;
    const size_t piece = input.size() / FieldCount;
    for (size_t f = 0; f < FieldCount; ++f) {
        const size_t length = f + 1 == FieldCount ? input.size() - f * piece : piece;
        texts.push_back(
            QString::fromUtf8(input.data() + f * piece, static_cast<qsizetype>(length)));
    }
    return texts;
}

QString oneLineText(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

std::string recordBytes(long long index, const std::vector<QString> &texts) {
    std::string record = "<begin_element>\r\n" + std::to_string(index) + "\r\n";
    for (const QString &text : texts)
        record += oneLineText(text).toStdString() + "\r\n";
    return record + "<end_element>\r\n";
}

void checkAdd(MemoryFieldStore &main, const Database &db, std::string_view input) {
    const std::vector<QString> texts = driverTexts(input);
    const std::vector<const char *> &fields = DriverFields();
    for (size_t f = 0; f < FieldCount; ++f)
        main.setText(QLatin1String(fields[f]), texts[f]);

    const std::optional<QString> error = attempt([&] { AddDriver(main); });
    const std::string header = fuzz::readFile("spkdb.hdr");
    const std::string records = fuzz::readFile("spk.db");
    const bool full = db.lastIndex && *db.lastIndex >= MaxLastIndex;
    if (!db.lastIndex || full) {
        if (full)
            FUZZ_CHECK(error && *error == QLatin1String(DatabaseFull), "full database");
        else
            checkDamaged(error, db);
        FUZZ_CHECK(header == db.header && records == db.records, "files changed on failure");
        return;
    }
    FUZZ_CHECK(!error, "AddDriver failed: " + show(*error));
    const long long index = *db.lastIndex + 1;
    FUZZ_CHECK(header == std::to_string(index) + "\r\n", "header after adding " + header);
    const bool endsLine =
        db.records.empty() || db.records.back() == '\n' || db.records.back() == '\r';
    const std::string appended = db.records + (endsLine ? "" : "\r\n") + recordBytes(index, texts);
    FUZZ_CHECK(records == appended, "spk.db after adding is not the old file and one record");

    // The added record is found by position, where a consistent database
    // puts it; in any case loading it gives what lies at that position.
    const Database after(header, records);
    checkLoad(main, after, QString::number(index));
    const bool consistent = db.lines.size() == HeaderLines + RecordLines * index && endsLine;
    if (!consistent)
        return;
    for (size_t f = 0; f < FieldCount; ++f) {
        const QString stored = oneLineText(texts[f]);
        if (stored.toUtf8().size() > static_cast<qsizetype>(fuzz::MaxLineBytes))
            continue; // cut on reading, as any overlong line
        FUZZ_CHECK(main.text(QLatin1String(fields[f])) == stored,
                   std::string("added field ") + fields[f] + " reads back " +
                       show(main.text(QLatin1String(fields[f]))));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    fuzz::keepArtifactsInStartDirectory(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const fuzz::WorkDirectory here;
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const size_t marker = input.find(Marker);
    const std::string header(marker == std::string_view::npos ? input : input.substr(0, marker));
    const std::string records(
        marker == std::string_view::npos ? input : input.substr(marker + Marker.size()));
    fuzz::writeFile("spkdb.hdr", header);
    fuzz::writeFile("spk.db", records);
    const Database db(header, records);

    // A fresh main window each time: nothing an input leaves behind can
    // mask what the next one does.
    MemoryFieldStore main;
    checkList(db);
    const long long last = db.lastIndex.value_or(0);
    const long long present = static_cast<long long>(db.recordsPresent());
    // Index texts: whole numbers with blanks and signs, text that is not a
    // whole number, far too large numbers, and the last records.
    QStringList indexes = {QStringLiteral("0"),
                           QStringLiteral("1"),
                           QStringLiteral(" 2 "),
                           QStringLiteral("+3"),
                           QStringLiteral("-1"),
                           QStringLiteral("1.5"),
                           QString(),
                           QStringLiteral("2147483647"),
                           QStringLiteral("99999999999999999999"),
                           QString::number(last),
                           QString::number(last + 1),
                           QString::number(present - 1)};
    indexes.removeDuplicates(); // each load of a large file reads it whole
    for (const QString &index : indexes)
        checkLoad(main, db, index);
    checkAdd(main, db, input);

    const std::vector<std::string> files = {"spk.db", "spkdb.hdr"};
    FUZZ_CHECK(fuzz::WorkDirectory::fileNames() == files, "stray or missing files");
    return 0;
}
