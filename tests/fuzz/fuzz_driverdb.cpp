// Fuzz target: the driver database reader and writer.
//
// The input holds both files: the bytes before the first line "%%spk.db"
// (the LF after the marker belongs to the marker) are spkdb.hdr, the bytes
// after it spk.db; an input without the marker is written to both files.
// The input, cut into 28 equal pieces, also gives the Driver page's texts
// for adding a driver. Each input runs ListDrivers, LoadDriver with a few
// indexes, AddDriver, and LoadDriver of the added record. Checked:
// - only DravikError escapes: for a damaged header or a full database,
//   exactly when the header says so, and "Driver database is damaged" exactly
//   when a line the operation reads is longer than a record line may be;
// - the dialog's lists, "Edit1" and the Driver page hold what the records
//   at their positions in the files give (3 header lines, 31 lines a record,
//   empty lines past the end), up to a line that stops the reading;
// - ListDrivers counts the record of an interrupted add (exactly one whole
//   record after the counted ones, its index line the next index): it lists
//   it and rewrites the header; the later operations see that header;
// - AddDriver appends exactly one record and rewrites the header as the new
//   index when spk.db ends exactly after the records the header counts, and
//   otherwise changes neither file; the added record loads back as the texts
//   it was made from;
// - a part (header or records) ending in "%%hole" is that text followed by a
//   2 GB hole, a line that never ends: every operation refuses it at once;
// - every input finishes quickly (the fuzzer's -timeout), whatever the
//   header announces.

#include "DriverDatabase.h"
#include "Fp.h"
#include "FuzzSupport.h"
#include "MemoryFieldStore.h"
#include "NumberText.h"

#include <QString>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace dravik;
using dravik::fuzz::show;
using dravik::test::MemoryFieldStore;

namespace {

constexpr std::string_view Marker = "%%spk.db\n";
constexpr size_t NoLine = SIZE_MAX;
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

// Bytes as the readers see them: a hole adds a line of NUL bytes longer than
// any line may be (or lengthens the last line past that).
std::string seenBytes(std::string_view bytes, bool hole) {
    std::string seen(bytes);
    if (hole)
        seen.append(MaxDatabaseLineBytes + 8, '\0');
    return seen;
}

std::vector<QString> linesOf(const std::string &seen) {
    return fuzz::textLines(seen, SIZE_MAX, MaxDatabaseLineBytes);
}

// The last index the header announces, or nothing for a damaged header.
std::optional<long long> lastIndexOf(std::string_view header, bool hole) {
    const std::string seen = seenBytes(header, hole);
    if (hole && seen.find_first_of("\r\n") > MaxDatabaseLineBytes)
        return std::nullopt; // the first line never ends
    const QString line = fuzz::lineOrEmpty(linesOf(seen), 0);
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
    bool recordsHole;
    std::vector<QString> lines; // of spk.db
    size_t longLine;            // the line that stops every reader, or NoLine
    std::optional<long long> lastIndex;

    Database(std::string h, std::string r, bool headerHole = false, bool recordsHole_ = false)
        : header(std::move(h)), records(std::move(r)), recordsHole(recordsHole_),
          lines(linesOf(seenBytes(records, recordsHole))),
          longLine(recordsHole ? lines.size() - 1 : NoLine),
          lastIndex(lastIndexOf(header, headerHole)) {}

    // Whether reading the first `count` lines of spk.db meets the long line.
    bool breaksWithin(size_t count) const { return longLine != NoLine && longLine < count; }

    // Whether spk.db holds, after the records the header counts, exactly one
    // more whole record indexed LastIndex + 1: what an interrupted add leaves.
    bool hasUncountedRecord() const {
        if (!lastIndex || *lastIndex >= MaxLastIndex)
            return false;
        const auto next = static_cast<size_t>(*lastIndex + 1);
        const size_t counted = HeaderLines + RecordLines * next;
        return lines.size() == counted + RecordLines && !breaksWithin(lines.size()) &&
               line(next, 0) == QLatin1String("<begin_element>") &&
               line(next, 1) == QString::number(*lastIndex + 1) &&
               line(next, RecordLines - 1) == QLatin1String("<end_element>");
    }

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

// `breaks`: the records the operation reads hold the long line.
void checkDamaged(const std::optional<QString> &error, const Database &db, bool breaks = false) {
    if (db.lastIndex && breaks) {
        FUZZ_CHECK(error && *error == QLatin1String(DamagedDatabase),
                   "a line beyond the limit read, error " +
                       show(error.value_or(QStringLiteral("none"))));
    } else if (db.lastIndex) {
        FUZZ_CHECK(!error, "header " + show(QString::fromStdString(db.header)) +
                               " refused: " + show(error.value_or(QString())));
    } else {
        FUZZ_CHECK(error && *error == QLatin1String(DamagedDatabaseHeader),
                   "damaged header " + show(QString::fromStdString(db.header)) +
                       " accepted, error " + show(error.value_or(QStringLiteral("none"))));
    }
}

void checkList(const Database &db) {
    MemoryFieldStore dialog = MemoryFieldStore::databaseDialog();
    dialog.setText(QStringLiteral("Edit1"), Untouched);
    dialog.addLine(QStringLiteral("ListBox1"), QStringLiteral("old entry"));
    dialog.addLine(QStringLiteral("ListBox2"), QStringLiteral("old comment"));

    const std::optional<QString> error = attempt([&] { ListDrivers(dialog); });
    const QStringList &entries = dialog.lines(QStringLiteral("ListBox1"));
    const QStringList &comments = dialog.lines(QStringLiteral("ListBox2"));
    if (!db.lastIndex) {
        checkDamaged(error, db);
        FUZZ_CHECK(entries.isEmpty() && comments.isEmpty(), "lists not cleared");
        FUZZ_CHECK(dialog.text(QStringLiteral("Edit1")) == Untouched, "Edit1 written");
        return;
    }
    // Every announced record, but at most MaxMissingRecordsListed of those
    // wholly past the end of the file.
    const long long announced = *db.lastIndex + 1;
    long long listed = std::min<long long>(announced, static_cast<long long>(db.recordsPresent()) +
                                                          MaxMissingRecordsListed);
    const bool uncounted = db.hasUncountedRecord();
    const bool breaks = db.breaksWithin(HeaderLines + RecordLines * static_cast<size_t>(listed));
    checkDamaged(error, db, breaks);
    long long commented = listed;
    if (breaks) {
        // Listed up to the long line: an entry once its model line is read,
        // a comment once its comment line is.
        const auto readBefore = [&](size_t lineInRecord) {
            long long n = 0;
            while (n < listed &&
                   HeaderLines + RecordLines * static_cast<size_t>(n) + lineInRecord < db.longLine)
                ++n;
            return n;
        };
        listed = readBefore(3);
        commented = readBefore(4);
    }
    if (uncounted) {
        listed = commented = announced + 1;
        FUZZ_CHECK(fuzz::readFile("spkdb.hdr") == std::to_string(announced) + "\r\n",
                   "the interrupted add's record is not counted");
    }
    FUZZ_CHECK(entries.size() == listed && comments.size() == commented,
               std::to_string(entries.size()) + " entries, " + std::to_string(comments.size()) +
                   " comments, expected " + std::to_string(listed));
    for (qsizetype i = 0; i < listed; ++i) {
        const auto r = static_cast<size_t>(i);
        const QString entry =
            db.line(r, 1) + QLatin1Char(' ') + db.line(r, 2) + QLatin1Char(' ') + db.line(r, 3);
        FUZZ_CHECK(entries[i] == entry, "entry " + std::to_string(i) + " " + show(entries[i]) +
                                            ", expected " + show(entry));
        if (i < commented)
            FUZZ_CHECK(comments[i] == db.line(r, 4), "comment " + std::to_string(i));
    }
    if (!breaks)
        FUZZ_CHECK(dialog.text(QStringLiteral("Edit1")) == QLatin1String("0"),
                   "Edit1 " + show(dialog.text(QStringLiteral("Edit1"))));
}

void markDriverPage(MemoryFieldStore &main) {
    for (Field field : DriverFields())
        main.setText(field, Untouched);
}

// Loads the record "Edit1" names and compares the Driver page with it.
void checkLoad(MemoryFieldStore &main, const Database &db, const QString &indexText) {
    MemoryFieldStore dialog = MemoryFieldStore::databaseDialog();
    dialog.setText(QStringLiteral("Edit1"), indexText);
    markDriverPage(main);

    const std::optional<QString> error = attempt([&] { LoadDriver(main, dialog); });
    const std::optional<long long> wanted = wholeNumber(indexText);
    const bool loads = db.lastIndex && wanted && *wanted >= 0 && *wanted <= *db.lastIndex;
    // The header lines are always read; a record up to its last field.
    const size_t firstField =
        loads ? HeaderLines + RecordLines * static_cast<size_t>(*wanted) + 2 : 0;
    const bool breaks = db.breaksWithin(loads ? firstField + FieldCount : HeaderLines);
    checkDamaged(error, db, breaks);
    const std::vector<Field> &fields = DriverFields();
    for (size_t f = 0; f < FieldCount; ++f) {
        const bool reached = loads && !(breaks && firstField + f >= db.longLine);
        const QString expected = reached ? db.line(static_cast<size_t>(*wanted), 2 + f) : Untouched;
        const QString got = main.text(fields[f]);
        FUZZ_CHECK(got == expected, "index " + show(indexText) + " field " +
                                        tableEntry(fields[f]).name + " " + show(got) +
                                        ", expected " + show(expected));
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

// The file's bytes, read whole except where a hole makes it huge: then its
// size and its bytes before the hole.
std::string fileState(const char *name, bool hole, size_t before) {
    if (!hole)
        return fuzz::readFile(name);
    std::string start(before, '\0');
    FILE *f = std::fopen(name, "rb");
    FUZZ_CHECK(f != nullptr, std::string("cannot open ") + name);
    const size_t got = std::fread(start.data(), 1, before, f);
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fclose(f);
    return std::to_string(size) + ":" + start.substr(0, got);
}

void checkAdd(MemoryFieldStore &main, const Database &db, std::string_view input, bool headerHole) {
    const std::vector<QString> texts = driverTexts(input);
    const std::vector<Field> &fields = DriverFields();
    for (size_t f = 0; f < FieldCount; ++f)
        main.setText(fields[f], texts[f]);

    const std::optional<QString> error = attempt([&] { AddDriver(main); });
    const bool full = db.lastIndex && *db.lastIndex >= MaxLastIndex;
    // spk.db must end exactly after the records the header counts.
    const size_t expectedLines =
        db.lastIndex ? HeaderLines + RecordLines * static_cast<size_t>(*db.lastIndex + 1) : 0;
    const bool damaged = db.lastIndex && !full &&
                         (db.breaksWithin(expectedLines + 1) || db.lines.size() != expectedLines);
    if (!db.lastIndex || full || damaged) {
        if (full)
            FUZZ_CHECK(error && *error == QLatin1String(DatabaseFull), "full database");
        else if (damaged)
            FUZZ_CHECK(error && *error == QLatin1String(DamagedDatabase),
                       "added to a database of " + std::to_string(db.lines.size()) +
                           " lines where " + std::to_string(expectedLines) + " were due, error " +
                           show(error.value_or(QStringLiteral("none"))));
        else
            checkDamaged(error, db);
        const auto unchanged = [](const char *name, const std::string &content, bool hole) {
            const std::string before =
                hole ? std::to_string(fuzz::HoleFileSize) + ":" + content : content;
            return fileState(name, hole, content.size()) == before;
        };
        FUZZ_CHECK(unchanged("spkdb.hdr", db.header, headerHole) &&
                       unchanged("spk.db", db.records, db.recordsHole),
                   "files changed on failure");
        return;
    }
    FUZZ_CHECK(!error, "AddDriver failed: " + show(*error));
    const std::string header = fuzz::readFile("spkdb.hdr");
    const std::string records = fuzz::readFile("spk.db");
    const long long index = *db.lastIndex + 1;
    FUZZ_CHECK(header == std::to_string(index) + "\r\n", "header after adding " + header);
    const bool endsLine =
        db.records.empty() || db.records.back() == '\n' || db.records.back() == '\r';
    const std::string appended = db.records + (endsLine ? "" : "\r\n") + recordBytes(index, texts);
    FUZZ_CHECK(records == appended, "spk.db after adding is not the old file and one record");

    // The added record is found by position, where the database put it.
    const Database after(header, records);
    checkLoad(main, after, QString::number(index));
    for (size_t f = 0; f < FieldCount; ++f) {
        const QString stored = oneLineText(texts[f]);
        if (stored.toUtf8().size() > static_cast<qsizetype>(MaxDatabaseLineBytes))
            continue; // a line no field can hold
        FUZZ_CHECK(main.text(fields[f]) == stored, std::string("added field ") +
                                                       tableEntry(fields[f]).name + " reads back " +
                                                       show(main.text(fields[f])));
    }
}

// Every load of the index texts, then an add.
void checkLoadsAndAdd(MemoryFieldStore &main, const Database &db, std::string_view input,
                      bool headerHole);

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    fuzz::keepArtifactsInStartDirectory(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const fuzz::WorkDirectory here;
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const size_t marker = input.find(Marker);
    std::string_view headerPart =
        marker == std::string_view::npos ? input : input.substr(0, marker);
    std::string_view recordsPart =
        marker == std::string_view::npos ? input : input.substr(marker + Marker.size());
    const bool headerHole = fuzz::takeHoleMarker(headerPart);
    const bool recordsHole = fuzz::takeHoleMarker(recordsPart);
    const auto write = [](const char *name, std::string_view bytes, bool hole) {
        hole ? fuzz::writeFileWithHole(name, bytes) : fuzz::writeFile(name, bytes);
    };
    write("spkdb.hdr", headerPart, headerHole);
    write("spk.db", recordsPart, recordsHole);
    const Database db(std::string(headerPart), std::string(recordsPart), headerHole, recordsHole);

    // A fresh main window each time: nothing an input leaves behind can
    // mask what the next one does.
    MemoryFieldStore main;
    checkList(db);
    if (db.hasUncountedRecord()) {
        // The listing counted the interrupted add's record: go on with that header.
        const Database counted(std::to_string(*db.lastIndex + 1) + "\r\n", db.records, false,
                               recordsHole);
        checkLoadsAndAdd(main, counted, input, false);
    } else {
        checkLoadsAndAdd(main, db, input, headerHole);
    }

    const std::vector<std::string> files = {"spk.db", "spkdb.hdr"};
    FUZZ_CHECK(fuzz::WorkDirectory::fileNames() == files, "stray or missing files");
    return 0;
}

namespace {

void checkLoadsAndAdd(MemoryFieldStore &main, const Database &db, std::string_view input,
                      bool headerHole) {
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
    checkAdd(main, db, input, headerHole);
}

} // namespace
