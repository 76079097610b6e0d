#pragma once

// Small helpers shared by the tests that work with files and errors.

#include "Fp.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTest>

#include <functional>

namespace dravik::test {

// The program's error text that `op` raised, or an empty text when it raised none.
inline QString errorOf(const std::function<void()> &op) {
    try {
        op();
    } catch (const DravikError &e) {
        return e.message();
    }
    return QString();
}

// A file's bytes, empty when it cannot be read.
inline QByteArray readAll(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// Creates or replaces a file with exactly these bytes.
inline void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Removes everything inside a directory, also what a test made read-only,
// named pipes and links.
inline void emptyDirectory(const QString &path) {
    QDir d(path);
    for (const QString &name :
         d.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)) {
        QFile::setPermissions(d.filePath(name),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (!QFile::remove(d.filePath(name)))
            QDir(d.filePath(name)).removeRecursively();
    }
}

} // namespace dravik::test
