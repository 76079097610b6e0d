#include "DriverDatabase.h"

#include "Fp.h"
#include "NumberText.h"
#include "TextFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <optional>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dravik {

namespace {

const QString RecordsFile = QStringLiteral("spk.db");
const QString IndexFile = QStringLiteral("spkdb.hdr");
constexpr Field IndexField = Field::DatabaseIndex;
constexpr List EntryList = List::DriverEntries;
constexpr List CommentList = List::DriverComments;

constexpr int HeaderLines = 3;
constexpr int RecordLines = 31;
const QString BeginMarker = QStringLiteral("<begin_element>");
const QString EndMarker = QStringLiteral("<end_element>");
constexpr long long NumberSaturation = 1LL << 40;

bool isBlank(QChar c) {
    return c == QLatin1Char(' ');
}

// Blanks, an optional sign, digits, blanks. Digits saturate far beyond any
// index, so a long number stays out of range instead of wrapping round.
std::optional<long long> parseWholeNumber(const QString &text) {
    return ParseWholeNumber(text, NumberSaturation, BlanksAfter::Allowed);
}

// The header's number and its line as written.
struct LastIndex {
    int value;
    QString line;
};

LastIndex readLastIndex() {
    TextReader reader(IndexFile, MaxDatabaseLineBytes, TextReader::NoByteLimit,
                      TextReader::LongLines::EndReading);
    const QString line = reader.readLineOrEmpty();
    if (reader.lineWasCut())
        fail(DamagedDatabaseHeader);
    if (std::all_of(line.begin(), line.end(), isBlank))
        return {0, line}; // an empty line reads as 0
    const std::optional<long long> value = parseWholeNumber(line);
    if (!value || *value < -1 || *value > MaxLastIndex)
        fail(DamagedDatabaseHeader);
    return {static_cast<int>(*value), line};
}

// The lines of spk.db after its header, reading empty lines past the end.
class RecordReader {
public:
    RecordReader()
        : reader_(RecordsFile, MaxDatabaseLineBytes, TextReader::NoByteLimit,
                  TextReader::LongLines::EndReading) {
        skip(HeaderLines);
    }

    QString next() {
        QString line;
        if (!ended_ && reader_.readLine(line)) {
            if (reader_.lineWasCut())
                fail(DamagedDatabase);
            return line;
        }
        ended_ = true;
        return QString();
    }
    void skip(int count) {
        for (int i = 0; i < count && !ended_; ++i)
            next();
    }
    bool ended() const { return ended_; }

    // The next `count` lines, empty ones past the end.
    QStringList lines(int count) {
        QStringList read;
        read.reserve(count);
        for (int i = 0; i < count; ++i)
            read << next();
        return read;
    }

private:
    TextReader reader_;
    bool ended_ = false;
};

// A driver-list entry as the list shows it: the record's index, manufacturer
// and model lines.
QString entryText(const QStringList &record) {
    return record[1] + QLatin1Char(' ') + record[2] + QLatin1Char(' ') + record[3];
}

// Holds an exclusive flock on spk.db while it lives. The descriptor is only
// read from, so neither the file nor the directory need be writable. Where
// spk.db cannot be opened as a regular file the operation goes on without
// the lock and reports what is wrong with the file when it opens it itself;
// O_NONBLOCK keeps a named pipe from stopping the open.
class DatabaseLock {
public:
    DatabaseLock() {
        const QByteArray name = QFile::encodeName(RecordsFile);
        fd_ = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd_ < 0)
            return;
        struct stat info {};
        if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(fd_);
            fd_ = -1;
            return;
        }
        // A file system without locks leaves the add as it was before locking.
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~DatabaseLock() {
        if (fd_ >= 0)
            ::close(fd_); // releases the lock
    }
    DatabaseLock(const DatabaseLock &) = delete;
    DatabaseLock &operator=(const DatabaseLock &) = delete;

private:
    int fd_ = -1;
};

// What follows record lastIndex in spk.db.
enum class Tail {
    None,            // nothing: the database as spkdb.hdr counts it
    UncountedRecord, // one whole record indexed lastIndex + 1: a stopped add
    Other            // anything else, or the file ends before record lastIndex
};

// Reads spk.db after its records 0 to lastIndex; an uncounted record's
// lines go to `uncounted`.
Tail readTail(RecordReader &records, int lastIndex, QStringList *uncounted = nullptr) {
    if (records.ended())
        return Tail::Other;
    QStringList lines;
    while (lines.size() <= RecordLines) {
        QString line = records.next();
        if (records.ended())
            break;
        lines << line;
    }
    if (lines.isEmpty())
        return Tail::None;
    if (lines.size() != RecordLines || lines.first() != BeginMarker ||
        lines[1] != FormatInteger(lastIndex + 1) || lines.last() != EndMarker)
        return Tail::Other;
    if (uncounted)
        *uncounted = lines;
    return Tail::UncountedRecord;
}

QByteArray recordBytes(const FieldStore &main, int index) {
    QStringList fields;
    for (Field field : DriverFields())
        fields << main.text(field);
    return DriverRecordBytes(index, fields);
}

// spk.db opened for adding at its end, with the length it had, so a failed
// addition can be taken back.
class RecordAppender {
public:
    RecordAppender() : file_(RecordsFile) {
        openExistingForUpdate(file_);
        oldSize_ = file_.size();
    }

    // Writes the record after the last line, ending an unfinished last line first.
    void append(const QByteArray &record) {
        QByteArray bytes;
        if (!endsWithLineEnd())
            bytes.append("\r\n");
        bytes.append(record);
        if (!file_.seek(oldSize_) || file_.write(bytes) != bytes.size() || !file_.flush()) {
            takeBack();
            throwWriteError(RecordsFile);
        }
    }

    // Cuts spk.db back to its old length; an unbuffered file has nothing left
    // to flush first, so this works on a full disk too.
    void takeBack() {
        if (!file_.resize(oldSize_))
            fail(msg::FileIoError);
    }

private:
    bool endsWithLineEnd() {
        if (oldSize_ == 0)
            return true;
        char last = 0;
        if (!file_.seek(oldSize_ - 1) || !file_.getChar(&last))
            throwWriteError(RecordsFile);
        return last == '\n' || last == '\r';
    }

    QFile file_;
    qint64 oldSize_ = 0;
};

void writeLastIndex(const QString &line) {
    // The database's own folder may be one the user cannot add files to; the
    // header is one short line, written over in place there as it always was.
    TextWriter out(IndexFile, TextWriter::Mode::Safe, TextWriter::InPlace::Allowed);
    out.writeLine(line);
    out.commit();
}

// What follows record lastIndex in spk.db. Reading stops one line past
// the record after it.
Tail tailAfterRecord(int lastIndex) {
    RecordReader records;
    for (int i = 0; i <= lastIndex && !records.ended(); ++i)
        records.skip(RecordLines);
    return readTail(records, lastIndex);
}

// After a failed header write: where the header could only be written in
// place, it may have been cut short; its old line goes back, if it can.
void restoreLastIndex(const QString &oldLine) {
    try {
        TextReader reader(IndexFile, MaxDatabaseLineBytes, TextReader::NoByteLimit,
                          TextReader::LongLines::EndReading);
        QString line;
        if (reader.readLine(line) && line == oldLine)
            return;
        writeLastIndex(oldLine);
    } catch (const DravikError &) {
        // The report of the first failure is the one that matters.
    }
}

// Counts the record a stopped add left after record `last`: spkdb.hdr gets
// the next index. A failed write puts the old line back where it can.
LastIndex countUncountedRecord(const LastIndex &last) {
    const LastIndex counted{last.value + 1, FormatInteger(last.value + 1)};
    try {
        writeLastIndex(counted.line);
    } catch (...) {
        restoreLastIndex(last.line);
        throw;
    }
    return counted;
}

// Copies record `wanted` into the Driver page's fields, each as its line is
// read, so a failure leaves the fields reached set; past the end of spk.db
// the lines read empty. A record that spkdb.hdr does not count loads nothing.
// `check`, where given, sees the record's first four lines (nullptr for a
// record not counted) before any field is set, and may refuse it by raising.
void loadRecord(FieldStore &main, long long wanted,
                const std::function<void(const QStringList *)> &check = nullptr) {
    const int lastIndex = readLastIndex().value;
    RecordReader records;
    if (wanted < 0 || wanted > lastIndex) {
        if (check)
            check(nullptr);
        return;
    }
    for (long long i = 0; i < wanted && !records.ended(); ++i)
        records.skip(RecordLines);
    QStringList start = records.lines(2); // "<begin_element>", the index
    if (check) {
        start += records.lines(2); // the manufacturer and model
        check(&start);
    }
    const std::vector<Field> &fields = DriverFields();
    for (size_t i = 0; i < fields.size(); ++i) {
        const auto line = static_cast<qsizetype>(i) + 2;
        main.setText(fields[i], line < start.size() ? start[line] : records.next());
    }
}

} // namespace

const std::vector<Field> &DriverFields() {
    static const std::vector<Field> fields = {
        Field::EManufacturer, Field::EModel,
        Field::EComments,     Field::EQts,
        Field::EQms,          Field::EQes,
        Field::EVas,          Field::EFs,
        Field::EXmax,         Field::EDiam,
        Field::EPEmax,        Field::ERe,
        Field::ESens,         Field::EImpedance,
        Field::EEffPDiam,     Field::EMaxExcursionBeforeDamage,
        Field::EMinImpedance, Field::EMagnetW,
        Field::EBl,           Field::EVd,
        Field::ECms,          Field::EMms,
        Field::ERms,          Field::EWeight,
        Field::EConeMaterial, Field::ERecommendedEnclType,
        Field::EPictureFile,  Field::EOtherInformation,
    };
    return fields;
}

QByteArray DriverRecordBytes(int index, const QStringList &fields) {
    QByteArray bytes;
    auto add = [&bytes](const QString &line) {
        bytes.append(oneLine(line).toUtf8());
        bytes.append("\r\n");
    };
    add(BeginMarker);
    add(FormatInteger(index));
    for (const QString &field : fields)
        add(field);
    add(EndMarker);
    return bytes;
}

void AddDriver(const FieldStore &main) {
    const DatabaseLock lock;
    LastIndex last = readLastIndex();
    if (last.value >= MaxLastIndex)
        fail(DatabaseFull);
    switch (tailAfterRecord(last.value)) {
    case Tail::None:
        break;
    case Tail::UncountedRecord:
        // Finish the stopped add first: its record is whole and in its place.
        last = countUncountedRecord(last);
        if (last.value >= MaxLastIndex)
            fail(DatabaseFull);
        break;
    case Tail::Other:
        fail(DamagedDatabase);
    }
    const int index = last.value + 1;
    const QByteArray record = recordBytes(main, index);

    RecordAppender records;
    records.append(record);
    try {
        writeLastIndex(FormatInteger(index));
    } catch (...) {
        records.takeBack();
        restoreLastIndex(last.line);
        throw;
    }
}

void ListDrivers(FieldStore &dialog) {
    dialog.clearLines(EntryList);
    dialog.clearLines(CommentList);
    const DatabaseLock lock;
    const LastIndex last = readLastIndex();
    const int lastIndex = last.value;
    RecordReader records;
    int missingListed = 0;
    for (int i = 0; i <= lastIndex && missingListed < MaxMissingRecordsListed; ++i) {
        dialog.setText(IndexField, FormatInteger(i));
        QStringList record = records.lines(1); // "<begin_element>"
        if (records.ended())
            ++missingListed;
        record += records.lines(3); // the index, manufacturer and model
        dialog.addLine(EntryList, entryText(record));
        dialog.addLine(CommentList, records.next());
        records.skip(RecordLines - 5);
    }
    // The record of a stopped add is counted and listed. Whatever else
    // follows the counted records is no concern of the listing, and a
    // database the user may not write is listed as it stands.
    QStringList uncounted;
    bool counted = false;
    try {
        if (lastIndex < MaxLastIndex &&
            readTail(records, lastIndex, &uncounted) == Tail::UncountedRecord) {
            countUncountedRecord(last);
            counted = true;
        }
    } catch (const DravikError &) {
    }
    if (counted) {
        dialog.setText(IndexField, FormatInteger(lastIndex + 1));
        dialog.addLine(EntryList, entryText(uncounted));
        dialog.addLine(CommentList, uncounted[4]);
    }
    dialog.setText(IndexField, QStringLiteral("0"));
}

namespace {

DriverRecord readRecordAt(RecordReader &records, int index) {
    DriverRecord record;
    record.index = index;
    QStringList lines;
    try {
        lines = records.lines(1); // "<begin_element>"
        if (records.ended()) {
            record.state = DriverRecord::State::Missing;
            for (int i = 0; i < static_cast<int>(DriverFields().size()); ++i)
                record.fields << QString();
            return record;
        }
        lines += records.lines(RecordLines - 1);
    } catch (const DravikError &e) {
        record.state = DriverRecord::State::Cut;
        record.readError = e.message();
        return record;
    }
    const bool startInPlace = lines[0] == BeginMarker && lines[1] == FormatInteger(index);
    if (!startInPlace || lines.last() != EndMarker)
        record.state = DriverRecord::State::Damaged;
    if (startInPlace)
        record.fields = lines.mid(2, static_cast<qsizetype>(DriverFields().size()));
    return record;
}

} // namespace

std::vector<DriverRecord> ReadDriverRecords() {
    const DatabaseLock lock;
    const int lastIndex = readLastIndex().value;
    RecordReader records;
    std::vector<DriverRecord> read;
    int missing = 0;
    for (int i = 0; i <= lastIndex && missing < MaxMissingRecordsListed; ++i) {
        read.push_back(readRecordAt(records, i));
        if (read.back().state == DriverRecord::State::Missing)
            ++missing;
        if (read.back().state == DriverRecord::State::Cut)
            break;
    }
    return read;
}

void LoadButtonClick(FieldStore &main, FieldStore &dialog) {
    const int chosen = dialog.selectedLine(EntryList);
    if (chosen < 0)
        return;
    const QString entry = dialog.line(EntryList, chosen);
    loadRecord(main, chosen, [&](const QStringList *start) {
        if (!start || entryText(*start) != entry)
            fail(StaleDriverList);
        dialog.setText(IndexField, FormatInteger(chosen));
    });
}

void LoadDriver(FieldStore &main, const FieldStore &dialog) {
    loadRecord(main, parseWholeNumber(dialog.text(IndexField)).value_or(-1));
}

} // namespace dravik
