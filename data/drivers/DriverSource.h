#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>
#include <vector>

namespace dravik::drivers {

// Turns Thiele-Small source data (XML files of <speaker .../> elements, one
// attribute per figure, in the layout of the QSpeakers database) into the
// shipped driver database: spk.db with its three description lines and one
// 31-line record per driver, and spkdb.hdr with the index of the last record.

// A source file that cannot be read as such a file at all.
class SourceError : public std::runtime_error {
public:
    explicit SourceError(const QString &message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    QString message() const { return message_; }

private:
    QString message_;
};

// One <speaker> element as it stands: its attributes, where it was found.
struct SourceDriver {
    QHash<QString, QString> attributes;
    QString origin; // "file:line", for messages
};

// A source file: its text, its name for messages, the words a record's
// Other Information names it by, and where it came from (for the database's
// description lines).
struct SourceFile {
    QByteArray xml;
    QString name;
    QString label;      // "QSpeakers database"
    QString provenance; // "QSpeakers database (github.com/be1/qspeakers, ...)"
};

// The files the shipped database is made from, read from `folder`.
std::vector<SourceFile> ShippedSources(const QString &folder);

// Every <speaker> of a file. Malformed XML, another root element or an
// element other than <speaker> inside it is a SourceError naming the line.
std::vector<SourceDriver> ReadSourceDrivers(const SourceFile &file);

// The leading number of an attribute text: blanks, then a number such as
// "5.82" or "1e-3", then anything ("5.82 N/A", "2.25 mm/N" read 5.82 and
// 2.25). Text that does not begin with a number, and 0 (the source's mark
// for a figure it does not know), give no value.
std::optional<double> LeadingNumber(const QString &text);

// What became of one source driver: the 28 record fields in record order, or
// the reason it is left out.
struct Assessment {
    QStringList fields; // empty when left out
    QString reason;     // empty when kept
};
Assessment AssessDriver(const SourceDriver &driver, const QString &sourceLabel);

// A record left out, for the generator's report.
struct Rejection {
    QString origin;
    QString maker;
    QString model;
    QString reason;
};

struct GeneratedDatabase {
    QByteArray records;   // spk.db
    QByteArray lastIndex; // spkdb.hdr
    int drivers = 0;
    int makers = 0;
    std::vector<Rejection> rejected;
};

// The database of every driver of the files that passes AssessDriver, sorted
// by maker and then model (case-insensitive), indexed in that order.
GeneratedDatabase GenerateDatabase(const std::vector<SourceFile> &files);

} // namespace dravik::drivers
