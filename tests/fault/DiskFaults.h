#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Ways to make the disk fail under the program while a test runs. Root
// ignores permission bits, so a read-only directory is a read-only mount and
// a full disk a small tmpfs; an unreadable file is read by an unprivileged
// user. Each helper says why when it cannot do its part, so the test can
// skip with that reason instead of passing for the wrong one.
namespace faults {

bool runningAsRoot();

// A small tmpfs mounted over a directory for the length of one test.
class TmpfsMount {
public:
    TmpfsMount() = default;
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;

    // Mounts a tmpfs of `size` ("64k") on the existing directory `dir`.
    bool mount(const QString &dir, const QString &size);
    bool setReadOnly(bool readOnly);
    void unmount();
    bool isMounted() const { return mounted_; }
    const QString &why() const { return why_; }

private:
    QByteArray dir_;
    QByteArray options_;
    bool mounted_ = false;
    QString why_;
};

// Fills the file system that holds `dir` with the file `dir`/filler until a
// write fails for want of space. False when the disk never filled up.
bool fillUp(const QString &dir);

// While it lives, the process acts as the unprivileged user "nobody" (when it
// runs as root; otherwise it changes nothing), so permission bits apply.
class UnprivilegedUser {
public:
    UnprivilegedUser();
    ~UnprivilegedUser();
    UnprivilegedUser(const UnprivilegedUser &) = delete;
    UnprivilegedUser &operator=(const UnprivilegedUser &) = delete;

    bool ok() const { return ok_; }

private:
    bool switched_ = false;
    bool ok_ = true;
};

// True when the unprivileged user can be taken on and can enter `dir` and
// create files there (root runs only; always true for other users).
bool unprivilegedUserCanWork(const QString &dir);

// The whole content of a file; a null QByteArray when it cannot be read.
QByteArray contents(const QString &path);

// The names in a directory (hidden ones included), sorted.
QStringList listing(const QString &dir);

// Driver database figures: the header's number and how many whole records
// spk.db holds after its three header lines.
int headerIndex(const QString &dir);
int recordCount(const QString &dir);

} // namespace faults
