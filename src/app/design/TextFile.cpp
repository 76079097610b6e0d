#include "TextFile.h"

#include "Fp.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>
#include <QTemporaryFile>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace dravik {

namespace {
constexpr qsizetype ChunkSize = 64 * 1024;
std::atomic<qint64> totalBytesRead{0};
constexpr qsizetype WriteBufferSize = 64 * 1024;

bool parentExists(const QString &path) {
    return QFileInfo(QFileInfo(path).absolutePath()).isDir();
}

// Where a chain of symbolic links ends: the path the last link names, which
// need not exist; nothing for a loop or a chain longer than the system follows.
std::optional<QString> linkEnd(const QString &path) {
    constexpr int MaxLinks = 40; // Linux's own limit
    QString at = QFileInfo(path).absoluteFilePath();
    for (int i = 0; i <= MaxLinks; ++i) {
        const QFileInfo info(at);
        if (!info.isSymLink())
            return at;
        at = info.symLinkTarget();
    }
    return std::nullopt;
}

// A link to nothing names a path like any other: one whose folder is
// missing, or a loop of links, leads nowhere. (A link to a file not made yet,
// in a folder that is there, is where a new file goes.)
void refuseLinkToNowhere(const QFileInfo &info) {
    if (!info.isSymLink() || info.exists())
        return;
    const std::optional<QString> end = linkEnd(info.filePath());
    if (!end || !parentExists(*end))
        fail(msg::PathNotFound);
}

// The first CR or LF in data[from, to), or `to`. memchr, because a file with
// no line end at all is scanned up to its byte limit.
qsizetype lineEndIn(const char *data, qsizetype from, qsizetype to) {
    const void *lf = std::memchr(data + from, '\n', static_cast<size_t>(to - from));
    const qsizetype lfAt = lf ? static_cast<const char *>(lf) - data : to;
    const void *cr = std::memchr(data + from, '\r', static_cast<size_t>(lfAt - from));
    return cr ? static_cast<const char *>(cr) - data : lfAt;
}

// Opens `path` as a regular file into `file`. The system call never waits (a
// named pipe without a writer would keep a blocking open waiting forever),
// and the file is looked at after opening, so what is read is what was checked.
void openRegularFile(QFile &file, const QString &path, int access, QIODevice::OpenMode mode,
                     bool forWriting) {
    checkFileName(path);
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), access | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EISDIR)
            fail(msg::IsDirectory);
        throwOpenError(path, forWriting);
    }
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const bool directory = S_ISDIR(st.st_mode);
    const int flags = ::fcntl(fd, F_GETFL);
    if (!regular || flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        fail(directory ? msg::IsDirectory : regular ? msg::FileIoError : msg::NotRegularFile);
    }
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        fail(msg::FileIoError);
    }
}
} // namespace

void checkFileName(const QString &path) {
    if (path.contains(QChar::Null) || QFile::decodeName(QFile::encodeName(path)) != path)
        fail(msg::InvalidFileName);
}

void openExistingForUpdate(QFile &file) {
    const QString path = file.fileName();
    checkFileName(path);
    const QFileInfo info(path);
    if (info.isDir())
        fail(msg::IsDirectory);
    if (!info.exists())
        fail(msg::FileNotFound);
    if (isReadOnlyFile(path))
        fail(msg::FileAccessDenied);
    openRegularFile(file, path, O_RDWR, QIODevice::ReadWrite | QIODevice::Unbuffered, true);
}

void throwOpenError(const QString &path, bool forWriting) {
    const QFileInfo info(path);
    if (info.isDir())
        fail(msg::IsDirectory);
    refuseLinkToNowhere(info);
    // A socket, a device or a named pipe: what it is, not a permission.
    if (info.exists() && !info.isFile())
        fail(msg::NotRegularFile);
    // In a current directory that was deleted, a new file has nowhere to go
    // (a file to read is simply not found there).
    if (forWriting && info.isRelative() && currentDirectoryDeleted())
        fail(msg::PathNotFound);
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

bool currentDirectoryDeleted() {
    struct stat st {};
    return ::stat(".", &st) != 0 || st.st_nlink == 0;
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

LineSplitter::LineSplitter(Refill refill, qsizetype maxLineLength, LongLines longLines)
    : refill_(std::move(refill)), maxLineLength_(maxLineLength), longLines_(longLines) {}

bool LineSplitter::fill() {
    buffer_.clear();
    pos_ = 0;
    if (ended_)
        return false;
    if (!refill_(buffer_) || buffer_.isEmpty()) {
        buffer_.clear();
        ended_ = true;
        return false;
    }
    return true;
}

bool LineSplitter::next(QString &line) {
    QByteArray bytes;
    bool any = false;
    lineWasCut_ = false;
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
        const qsizetype i = lineEndIn(data, pos_, end);
        const qsizetype room = maxLineLength_ - bytes.size();
        if (i - pos_ > room) {
            lineWasCut_ = true;
            if (longLines_ == LongLines::EndReading) {
                bytes.append(data + pos_, std::max<qsizetype>(room, 0));
                ended_ = true;
                buffer_.clear();
                pos_ = 0;
                line = QString::fromUtf8(bytes);
                return true;
            }
        }
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

TextReader::TextReader(const QString &path, qsizetype maxLineLength, qint64 maxBytes,
                       LongLines longLines)
    : maxBytes_(maxBytes),
      lines_([this](QByteArray &chunk) { return readChunk(chunk); }, maxLineLength, longLines) {
    if (QFileInfo(path).isDir())
        fail(msg::IsDirectory);
    openRegularFile(file_, path, O_RDONLY, QIODevice::ReadOnly, false);
}

qint64 TextReader::bytesReadInProcess() {
    return totalBytesRead.load(std::memory_order_relaxed);
}

bool TextReader::readChunk(QByteArray &chunk) {
    if (bytesRead_ >= maxBytes_)
        return false;
    chunk = file_.read(std::min<qint64>(ChunkSize, maxBytes_ - bytesRead_));
    if (chunk.isEmpty()) {
        if (file_.error() != QFileDevice::NoError)
            fail(msg::FileIoError);
        return false;
    }
    bytesRead_ += chunk.size();
    totalBytesRead.fetch_add(chunk.size(), std::memory_order_relaxed);
    return true;
}

bool TextReader::readLine(QString &line) {
    return lines_.next(line);
}

QString TextReader::readLineOrEmpty() {
    QString line;
    if (!readLine(line))
        return QString();
    return line;
}

std::optional<QByteArray> readSmallFile(const QString &path, qint64 maxBytes) {
    if (QFileInfo(path).isDir())
        fail(msg::IsDirectory);
    QFile file;
    openRegularFile(file, path, O_RDONLY, QIODevice::ReadOnly, false);
    if (file.size() > maxBytes)
        return std::nullopt;
    QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        fail(msg::FileIoError);
    totalBytesRead.fetch_add(bytes.size(), std::memory_order_relaxed);
    if (bytes.size() > maxBytes)
        return std::nullopt;
    return bytes;
}

InPlaceRefused::InPlaceRefused() : DravikError(QLatin1String(msg::FileAccessDenied)) {}

TextWriter::TextWriter(const QString &path, Mode mode, InPlace inPlace) : path_(path) {
    checkFileName(path);
    const QFileInfo info(path);
    if (info.isDir())
        fail(msg::IsDirectory);
    if (info.exists() && !info.isFile())
        fail(msg::NotRegularFile);
    refuseLinkToNowhere(info);
    if (isReadOnlyFile(path))
        fail(msg::FileAccessDenied);
    // Unbuffered: every write reaches the file at once, so a full disk is
    // seen by the write itself rather than lost in a later flush.
    const QIODevice::OpenMode openMode =
        QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered;
    if (mode == Mode::Safe) {
        safeFile_ = std::make_unique<QSaveFile>(path);
        // A directory we may not write: the file itself, where it may be.
        safeFile_->setDirectWriteFallback(inPlace == InPlace::Allowed);
        file_ = safeFile_.get();
    } else {
        scratchFile_ = std::make_unique<QTemporaryFile>(path + QStringLiteral(".XXXXXX"));
        file_ = scratchFile_.get();
    }
    if (!file_->open(openMode)) {
        const bool writableTarget = info.exists() && info.isWritable();
        if (writableTarget && inPlace == InPlace::Refused)
            throw InPlaceRefused();
        if (!scratchFile_ || !writableTarget)
            throwOpenError(path, true);
        // No temporary file beside it, but the file itself may be written.
        scratchFile_.reset();
        inPlaceFile_ = std::make_unique<QFile>(path);
        file_ = inPlaceFile_.get();
        if (!inPlaceFile_->open(openMode))
            throwOpenError(path, true);
    }
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

void TextWriter::writeBytes(const QByteArray &bytes) {
    buffer_.append(bytes);
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
    bool done = false;
    if (safeFile_) {
        done = safeFile_->commit();
    } else if (scratchFile_) {
        done = commitScratch();
    } else {
        inPlaceFile_->close();
        done = inPlaceFile_->error() == QFileDevice::NoError;
    }
    if (!done)
        throwWriteError(path_);
}

} // namespace dravik
