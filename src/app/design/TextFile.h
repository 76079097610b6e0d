#pragma once

#include "Fp.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>
#include <limits>
#include <memory>
#include <optional>

class QSaveFile;
class QTemporaryFile;

namespace dravik {

// Text files of the program: read with CR LF, CR or LF line ends, written with
// CR LF, UTF-8. Every failure raises DravikError with the program's message.
//
// Only regular files are used: a directory is refused as "File name is a
// directory", anything else that is not a regular file (a device such as
// /dev/zero, a named pipe, a socket) as "Not a regular file", so no read can
// wait forever and no write can replace a device. A name that the file
// system cannot take as it stands is refused as "Invalid file name".

// Refuses a file name holding a NUL character or characters that do not
// survive the conversion to the file system's encoding: the file would be
// opened under another name than the one given.
void checkFileName(const QString &path);

// What a reader does with a line longer than its limit.
enum class LongLines {
    SkipRest,  // the rest of a long line is skipped (within the byte limit)
    EndReading // a long line is the last one read: for formats it breaks
};

// Splits bytes into lines at CR LF, CR or LF, taking them a chunk at a time
// from `refill`: the one place that knows the program's line ends, for its
// text files and its scripts alike. A line longer than maxLineLength bytes
// is cut there; what follows depends on LongLines.
class LineSplitter {
public:
    // Replaces `chunk` with the next bytes of the input; false (and no
    // bytes) at its end. May raise: the exception leaves next() as it is.
    using Refill = std::function<bool(QByteArray &chunk)>;
    static constexpr qsizetype NoLineLimit = std::numeric_limits<qsizetype>::max();

    explicit LineSplitter(Refill refill, qsizetype maxLineLength = NoLineLimit,
                          LongLines longLines = LongLines::SkipRest);

    // The next line without its line end, decoded from UTF-8; false once the
    // input has ended with no byte of another line.
    bool next(QString &line);
    // The line last read was longer than maxLineLength and is only its start.
    bool lineWasCut() const { return lineWasCut_; }

private:
    bool fill();

    Refill refill_;
    QByteArray buffer_;
    qsizetype pos_ = 0;
    bool ended_ = false;
    bool skipLf_ = false;
    bool lineWasCut_ = false;
    qsizetype maxLineLength_;
    LongLines longLines_;
};

// Reads lines one at a time up to the physical end of the file, or until
// maxBytes bytes have been read, whichever comes first. A line longer than
// maxLineLength bytes is cut there, so no file costs more than one line of
// memory; what follows depends on LongLines.
class TextReader {
public:
    static constexpr qsizetype DefaultMaxLineLength = 65536;
    static constexpr qint64 NoByteLimit = std::numeric_limits<qint64>::max();

    using LongLines = dravik::LongLines;

    explicit TextReader(const QString &path, qsizetype maxLineLength = DefaultMaxLineLength,
                        qint64 maxBytes = NoByteLimit, LongLines longLines = LongLines::SkipRest);

    // The next line without its line end; false at the physical end of the
    // file or at the byte limit.
    bool readLine(QString &line);
    // The next line, or an empty line past the end of the file.
    QString readLineOrEmpty();

    // The line last read was longer than maxLineLength and is only its start.
    bool lineWasCut() const { return lines_.lineWasCut(); }

    // The bytes every reader of this process has taken from its file so far:
    // what reading has cost, for a bound on it that holds on any machine.
    static qint64 bytesReadInProcess();

private:
    bool readChunk(QByteArray &chunk);

    QFile file_;
    qint64 bytesRead_ = 0;
    qint64 maxBytes_;
    LineSplitter lines_;
};

// The whole of a small regular file, as bytes: opened with the refusals of
// TextReader, its size checked before anything is read, and at most
// maxBytes + 1 bytes read, so a file that grows while it is read costs no
// more. Empty when the file is larger than maxBytes.
std::optional<QByteArray> readSmallFile(const QString &path, qint64 maxBytes);

// The refusal of a writer that may not overwrite a file in place where no
// temporary file can be made beside it. Its text is "File access denied", as
// for a new file in such a directory; a caller that words its own refusals
// ("The setup file NAME was not written: ...") can tell it apart.
class InPlaceRefused : public DravikError {
public:
    InPlaceRefused();
};

// Writes a whole text file through a temporary file in the same directory, and
// replaces the old file only when everything was written: a failure never
// leaves a truncated file behind. An existing file without write permission is
// refused with "File access denied" rather than replaced.
//
// Where no temporary file can be made beside an existing target that may be
// written (a directory the user may not write, holding a file the user may),
// the write is refused with InPlaceRefused and the file stays as it was. Only
// the files whose older versions of the program wrote them there anyway (a
// design file, spkdb.hdr, a test log) ask for InPlace::Allowed: the target is
// then overwritten in place, and a failure during that write, reported as any
// other, may leave it cut short.
class TextWriter {
public:
    // Both modes write a temporary file beside the target and put it in place
    // only when complete. Safe also syncs it to disk first; Scratch does not,
    // for throwaway dumps such as the filter test logs, where a sync per file
    // would cost more than the whole command.
    enum class Mode { Safe, Scratch };
    // Where no temporary file can be made beside an existing target.
    enum class InPlace { Refused, Allowed };

    explicit TextWriter(const QString &path, Mode mode = Mode::Safe,
                        InPlace inPlace = InPlace::Refused);
    ~TextWriter();

    void writeLine(const QString &line);
    void writeLine(const char *latin1Line);
    // Bytes as they are, with no line end added (a picture, say).
    void writeBytes(const QByteArray &bytes);
    // Flushes and puts the file in place; throws on failure.
    void commit();

private:
    void flushBuffer();
    bool commitScratch();

    QString path_;
    std::unique_ptr<QSaveFile> safeFile_;
    std::unique_ptr<QTemporaryFile> scratchFile_;
    std::unique_ptr<QFile> inPlaceFile_; // Scratch mode, InPlace::Allowed, no temporary file
    QFileDevice *file_ = nullptr;
    QByteArray buffer_;
};

// Raises the program's error for a file that could not be opened.
[[noreturn]] void throwOpenError(const QString &path, bool forWriting);
// Raises the program's error for a failed write to an open file.
[[noreturn]] void throwWriteError(const QString &path);

// True when the process's current directory was deleted: nothing can be
// created in it, and it has no path any more.
bool currentDirectoryDeleted();

// True when the file exists and carries no write permission bit at all.
bool isReadOnlyFile(const QString &path);

// Opens an existing regular file for reading and writing (unbuffered, for
// adding to its end), with the same refusals as the reader.
void openExistingForUpdate(QFile &file);

// A field text on one line of a file: each CR and LF becomes one blank, so
// a pasted line break cannot shift the fixed layout of the file.
QString oneLine(const QString &text);

} // namespace dravik
