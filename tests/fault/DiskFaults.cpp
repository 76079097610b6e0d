#include "DiskFaults.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace faults {

namespace {
constexpr uid_t Nobody = 65534;
constexpr int DatabaseHeaderLines = 3;
constexpr int RecordLines = 31;

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}
} // namespace

bool runningAsRoot() {
    return geteuid() == 0;
}

TmpfsMount::~TmpfsMount() {
    unmount();
}

bool TmpfsMount::mount(const QString &dir, const QString &size) {
    dir_ = QFile::encodeName(QDir(dir).absolutePath());
    options_ = "size=" + size.toLatin1() + ",mode=0777";
    if (::mount("tmpfs", dir_.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options_.constData()) !=
        0) {
        why_ = QStringLiteral("cannot mount a tmpfs: ") + systemError();
        return false;
    }
    mounted_ = true;
    return true;
}

bool TmpfsMount::setReadOnly(bool readOnly) {
    const unsigned long flags = MS_REMOUNT | MS_NOSUID | MS_NODEV | (readOnly ? MS_RDONLY : 0);
    if (::mount("tmpfs", dir_.constData(), "tmpfs", flags, options_.constData()) != 0) {
        why_ = QStringLiteral("cannot remount the tmpfs: ") + systemError();
        return false;
    }
    return true;
}

void TmpfsMount::unmount() {
    if (!mounted_)
        return;
    // Detached, so a test that failed while its working directory was
    // inside the mount still leaves nothing mounted behind it.
    ::umount2(dir_.constData(), MNT_DETACH);
    mounted_ = false;
}

bool fillUp(const QString &dir) {
    const QByteArray path = QFile::encodeName(QDir(dir).filePath(QStringLiteral("filler")));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    static const char block[4096] = {};
    bool full = false;
    for (long long written = 0; written < (1LL << 30);) {
        const ssize_t n = ::write(fd, block, sizeof block);
        if (n < 0) {
            full = errno == ENOSPC;
            break;
        }
        written += n;
    }
    ::close(fd);
    return full;
}

UnprivilegedUser::UnprivilegedUser() {
    if (geteuid() != 0)
        return;
    // The group first: once the user is not root it cannot change groups.
    ok_ = setegid(Nobody) == 0 && seteuid(Nobody) == 0;
    switched_ = true;
}

UnprivilegedUser::~UnprivilegedUser() {
    if (!switched_)
        return;
    if (seteuid(0) != 0 || setegid(0) != 0)
        qFatal("cannot return to the root user");
}

bool unprivilegedUserCanWork(const QString &dir) {
    UnprivilegedUser user;
    if (!user.ok())
        return false;
    return ::access(QFile::encodeName(dir).constData(), R_OK | W_OK | X_OK) == 0;
}

QByteArray contents(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    QByteArray bytes = f.readAll();
    if (bytes.isNull())
        bytes = QByteArray(""); // an empty file is not "unreadable"
    return bytes;
}

QStringList listing(const QString &dir) {
    return QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

int headerIndex(const QString &dir) {
    bool ok = false;
    const int index =
        contents(QDir(dir).filePath(QStringLiteral("spkdb.hdr"))).trimmed().toInt(&ok);
    return ok ? index : -2;
}

int recordCount(const QString &dir) {
    const QByteArray bytes = contents(QDir(dir).filePath(QStringLiteral("spk.db")));
    if (bytes.isNull())
        return -1;
    const qsizetype lines = bytes.count("\r\n");
    if (lines < DatabaseHeaderLines || (lines - DatabaseHeaderLines) % RecordLines != 0)
        return -1; // not whole records: the file was cut or grew by part of one
    return static_cast<int>((lines - DatabaseHeaderLines) / RecordLines);
}

} // namespace faults
