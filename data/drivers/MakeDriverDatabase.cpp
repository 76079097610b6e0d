// Writes the shipped driver database from its source files:
//   dravik_make_drivers <source folder> <output folder>
// reads qspeakers_db.xml and dravik_drivers.xml from the source folder and
// writes spk.db and spkdb.hdr into the output folder. Every driver it leaves
// out is listed with the reason. A source file it cannot read stops it with
// exit status 1 before anything is written.

#include "DriverSource.h"

#include <QDir>
#include <QSaveFile>
#include <QString>

#include <cstdio>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fputs("usage: dravik_make_drivers <source folder> <output folder>\n", stderr);
        return 2;
    }
    const QString sources = QString::fromLocal8Bit(argv[1]);
    const QDir output(QString::fromLocal8Bit(argv[2]));
    using namespace dravik::drivers;
    GeneratedDatabase db;
    try {
        db = GenerateDatabase(ShippedSources(sources));
    } catch (const SourceError &e) {
        std::fprintf(stderr, "dravik_make_drivers: %s\n", e.what());
        return 1;
    }
    for (const Rejection &r : db.rejected)
        std::printf("left out %s %s (%s): %s\n", qPrintable(r.maker), qPrintable(r.model),
                    qPrintable(r.origin), qPrintable(r.reason));
    if (!writeFile(output.filePath(QStringLiteral("spk.db")), db.records) ||
        !writeFile(output.filePath(QStringLiteral("spkdb.hdr")), db.lastIndex)) {
        std::fprintf(stderr, "dravik_make_drivers: cannot write into %s\n", argv[2]);
        return 1;
    }
    std::printf("wrote %d drivers from %d makers, left out %d\n", db.drivers, db.makers,
                static_cast<int>(db.rejected.size()));
    return 0;
}
