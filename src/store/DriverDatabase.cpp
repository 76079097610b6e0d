#include "DriverDatabase.h"

#include "Fp.h"
#include "NumberText.h"
#include "TextFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace dravik {

namespace {

const QString RecordsFile = QStringLiteral("spk.db");
const QString IndexFile = QStringLiteral("spkdb.hdr");
constexpr Field IndexField = Field::DatabaseIndex;
constexpr List EntryList = List::DriverEntries;
constexpr List CommentList = List::DriverComments;

constexpr int HeaderLines = 3;
constexpr int RecordLines = 31;
constexpr long long NumberSaturation = 1LL << 40;

bool isBlank(QChar c) {
    return c == QLatin1Char(' ');
}

// Blanks, an optional sign, digits, blanks. Digits saturate far beyond any
// index, so a long number stays out of range instead of wrapping round.
std::optional<long long> parseWholeNumber(const QString &text) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    const qsizetype firstDigit = i;
    long long value = 0;
    while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
        value = std::min(value * 10 + (text[i].unicode() - '0'), NumberSaturation);
        ++i;
    }
    if (i == firstDigit)
        return std::nullopt;
    while (i < n && isBlank(text[i]))
        ++i;
    if (i != n)
        return std::nullopt;
    return negative ? -value : value;
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

private:
    TextReader reader_;
    bool ended_ = false;
};

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
    TextWriter out(IndexFile);
    out.writeLine(line);
    out.commit();
}

// Whether spk.db ends exactly after record lastIndex: its header lines and
// lastIndex + 1 records of 31 lines. Reading stops one line past that.
bool endsAfterRecord(int lastIndex) {
    const long long expected = HeaderLines + static_cast<long long>(RecordLines) * (lastIndex + 1);
    TextReader reader(RecordsFile, MaxDatabaseLineBytes, TextReader::NoByteLimit,
                      TextReader::LongLines::EndReading);
    long long lines = 0;
    QString line;
    while (lines <= expected && reader.readLine(line)) {
        if (reader.lineWasCut())
            return false;
        ++lines;
    }
    return lines == expected;
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

void setDriverFields(FieldStore &main, const QString &text) {
    for (Field field : DriverFields())
        main.setText(field, text);
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
    add(QStringLiteral("<begin_element>"));
    add(FormatInteger(index));
    for (const QString &field : fields)
        add(field);
    add(QStringLiteral("<end_element>"));
    return bytes;
}

void AddDriver(const FieldStore &main) {
    const LastIndex last = readLastIndex();
    if (last.value >= MaxLastIndex)
        fail(DatabaseFull);
    if (!endsAfterRecord(last.value))
        fail(DamagedDatabase);
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
    const int lastIndex = readLastIndex().value;
    RecordReader records;
    int missingListed = 0;
    for (int i = 0; i <= lastIndex && missingListed < MaxMissingRecordsListed; ++i) {
        dialog.setText(IndexField, FormatInteger(i));
        records.next(); // "<begin_element>"
        if (records.ended())
            ++missingListed;
        const QString index = records.next();
        const QString manufacturer = records.next();
        const QString model = records.next();
        dialog.addLine(EntryList,
                       index + QLatin1Char(' ') + manufacturer + QLatin1Char(' ') + model);
        dialog.addLine(CommentList, records.next());
        records.skip(RecordLines - 5);
    }
    dialog.setText(IndexField, QStringLiteral("0"));
}

void LoadButtonClick(FieldStore &main, FieldStore &dialog) {
    const int chosen = dialog.selectedLine(EntryList);
    if (chosen < 0)
        return;
    dialog.setText(IndexField, FormatInteger(chosen));
    LoadDriver(main, dialog);
}

void LoadDriver(FieldStore &main, const FieldStore &dialog) {
    const long long wanted = parseWholeNumber(dialog.text(IndexField)).value_or(-1);
    const int lastIndex = readLastIndex().value;
    RecordReader records;
    if (wanted < 0 || wanted > lastIndex)
        return;
    for (long long i = 0; i < wanted && !records.ended(); ++i)
        records.skip(RecordLines);
    if (records.ended()) {
        // The record lies past the end of the file: every line of it is empty.
        setDriverFields(main, QString());
        return;
    }
    records.skip(2);
    for (Field field : DriverFields())
        main.setText(field, records.next());
}

} // namespace dravik
