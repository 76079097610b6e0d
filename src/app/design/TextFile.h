#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

class QSaveFile;
class QTemporaryFile;

namespace dravik {

// Text files of the program: read with CR LF, CR or LF line ends, written with
// CR LF, UTF-8. Every failure raises DravikError with the program's message.

// Reads lines one at a time up to the physical end of the file. A line longer
// than maxLineLength characters is cut there and the rest of it skipped, so a
// huge one-line file cannot exhaust memory.
class TextReader {
public:
    static constexpr qsizetype DefaultMaxLineLength = 65536;

    explicit TextReader(const QString &path, qsizetype maxLineLength = DefaultMaxLineLength);

    // The next line without its line end; false at the physical end of the file.
    bool readLine(QString &line);
    // The next line, or an empty line past the end of the file.
    QString readLineOrEmpty();

private:
    bool fill();

    QFile file_;
    QByteArray buffer_;
    qsizetype pos_ = 0;
    bool eof_ = false;
    bool skipLf_ = false;
    qsizetype maxLineLength_;
};

// Writes a whole text file through a temporary file in the same directory, and
// replaces the old file only when everything was written: a failure never
// leaves a truncated file behind. An existing file without write permission is
// refused with "File access denied" rather than replaced.
class TextWriter {
public:
    // Both modes write a temporary file beside the target and put it in place
    // only when complete. Safe also syncs it to disk first; Scratch does not,
    // for throwaway dumps such as the filter test logs, where a sync per file
    // would cost more than the whole command.
    enum class Mode { Safe, Scratch };

    explicit TextWriter(const QString &path, Mode mode = Mode::Safe);
    ~TextWriter();

    void writeLine(const QString &line);
    void writeLine(const char *latin1Line);
    // Flushes and puts the file in place; throws on failure.
    void commit();

private:
    void flushBuffer();
    bool commitScratch();

    QString path_;
    std::unique_ptr<QSaveFile> safeFile_;
    std::unique_ptr<QTemporaryFile> scratchFile_;
    QFileDevice *file_ = nullptr;
    QByteArray buffer_;
};

// Raises the program's error for a file that could not be opened.
[[noreturn]] void throwOpenError(const QString &path, bool forWriting);
// Raises the program's error for a failed write to an open file.
[[noreturn]] void throwWriteError(const QString &path);

// True when the file exists and carries no write permission bit at all.
bool isReadOnlyFile(const QString &path);

// A field text on one line of a file: each CR and LF becomes one blank, so
// a pasted line break cannot shift the fixed layout of the file.
QString oneLine(const QString &text);

} // namespace dravik
