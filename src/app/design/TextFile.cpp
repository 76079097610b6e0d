#include "TextFile.h"

#include "Fp.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>
#include <QTemporaryFile>

#include <cstdio>

namespace dravik {

namespace {
constexpr qsizetype ChunkSize = 64 * 1024;
constexpr qsizetype WriteBufferSize = 64 * 1024;

bool parentExists(const QString &path) {
    return QFileInfo(QFileInfo(path).absolutePath()).isDir();
}
} // namespace

void throwOpenError(const QString &path, bool forWriting) {
    const QFileInfo info(path);
    if (info.isDir())
        fail(msg::IsDirectory);
    if (!parentExists(path))
        fail(msg::PathNotFound);
    if (!forWriting && !info.exists())
        fail(msg::FileNotFound);
    if (forWriting) {
        const QFileInfo dir(info.absolutePath());
        if (!dir.isWritable() || (info.exists() && !info.isWritable()))
            fail(msg::FileAccessDenied);
    } else if (!info.isReadable()) {
        fail(msg::FileAccessDenied);
    }
    fail(msg::FileAccessDenied);
}

void throwWriteError(const QString &path) {
    const QStorageInfo storage(QFileInfo(path).absolutePath());
    if (storage.isValid() && storage.bytesAvailable() < 64 * 1024)
        fail(msg::DiskFull);
    fail(msg::FileIoError);
}

bool isReadOnlyFile(const QString &path) {
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return false;
    // Mode bits only: WriteUser says what this user may do, and root may do anything.
    const auto writeBits =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return (info.permissions() & writeBits) == 0;
}

QString oneLine(const QString &text) {
    if (!text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')))
        return text;
    QString out = text;
    out.replace(QLatin1Char('\r'), QLatin1Char(' '));
    out.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return out;
}

TextReader::TextReader(const QString &path, qsizetype maxLineLength)
    : file_(path), maxLineLength_(maxLineLength) {
    if (QFileInfo(path).isDir() || !file_.open(QIODevice::ReadOnly))
        throwOpenError(path, false);
}

bool TextReader::fill() {
    if (eof_)
        return false;
    buffer_.remove(0, pos_);
    pos_ = 0;
    const QByteArray chunk = file_.read(ChunkSize);
    if (chunk.isEmpty()) {
        if (file_.error() != QFileDevice::NoError)
            fail(msg::FileIoError);
        eof_ = true;
        return false;
    }
    buffer_.append(chunk);
    return true;
}

bool TextReader::readLine(QString &line) {
    QByteArray bytes;
    bool any = false;
    for (;;) {
        if (pos_ >= buffer_.size() && !fill())
            break;
        const char *data = buffer_.constData();
        const qsizetype end = buffer_.size();
        if (skipLf_) {
            skipLf_ = false;
            if (data[pos_] == '\n') {
                ++pos_;
                continue;
            }
        }
        any = true;
        qsizetype i = pos_;
        while (i < end && data[i] != '\r' && data[i] != '\n')
            ++i;
        const qsizetype room = maxLineLength_ - bytes.size();
        bytes.append(data + pos_, std::min(i - pos_, std::max<qsizetype>(room, 0)));
        if (i < end) {
            skipLf_ = data[i] == '\r';
            pos_ = i + 1;
            line = QString::fromUtf8(bytes);
            return true;
        }
        pos_ = i;
    }
    if (!any)
        return false;
    line = QString::fromUtf8(bytes);
    return true;
}

QString TextReader::readLineOrEmpty() {
    QString line;
    if (!readLine(line))
        return QString();
    return line;
}

TextWriter::TextWriter(const QString &path, Mode mode) : path_(path) {
    if (QFileInfo(path).isDir())
        fail(msg::IsDirectory);
    if (isReadOnlyFile(path))
        fail(msg::FileAccessDenied);
    // Unbuffered: every write reaches the file at once, so a full disk is
    // seen by the write itself rather than lost in a later flush.
    if (mode == Mode::Safe) {
        safeFile_ = std::make_unique<QSaveFile>(path);
        file_ = safeFile_.get();
    } else {
        scratchFile_ = std::make_unique<QTemporaryFile>(path + QStringLiteral(".XXXXXX"));
        file_ = scratchFile_.get();
    }
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throwOpenError(path, true);
    if (scratchFile_) // a temporary file starts private; the dump is an ordinary file
        scratchFile_->setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                     QFileDevice::ReadGroup | QFileDevice::ReadOther);
    buffer_.reserve(WriteBufferSize + 1024);
}

TextWriter::~TextWriter() {
    if (safeFile_ && safeFile_->isOpen())
        safeFile_->cancelWriting();
}

void TextWriter::flushBuffer() {
    if (buffer_.isEmpty())
        return;
    if (file_->write(buffer_) != buffer_.size()) {
        if (safeFile_)
            safeFile_->cancelWriting();
        throwWriteError(path_);
    }
    buffer_.clear();
}

void TextWriter::writeLine(const QString &line) {
    buffer_.append(line.toUtf8());
    buffer_.append("\r\n", 2);
    if (buffer_.size() >= WriteBufferSize)
        flushBuffer();
}

void TextWriter::writeLine(const char *latin1Line) {
    buffer_.append(latin1Line);
    buffer_.append("\r\n", 2);
    if (buffer_.size() >= WriteBufferSize)
        flushBuffer();
}

// Replaces the target by the finished temporary file in one step (rename
// overwrites an existing file atomically).
bool TextWriter::commitScratch() {
    scratchFile_->close();
    if (scratchFile_->error() != QFileDevice::NoError)
        return false;
    if (std::rename(QFile::encodeName(scratchFile_->fileName()).constData(),
                    QFile::encodeName(path_).constData()) != 0)
        return false;
    scratchFile_->setAutoRemove(false);
    return true;
}

void TextWriter::commit() {
    flushBuffer();
    if (safeFile_ ? !safeFile_->commit() : !commitScratch())
        throwWriteError(path_);
}

} // namespace dravik
