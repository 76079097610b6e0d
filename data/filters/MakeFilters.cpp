// Writes the shipped filter response files into the folder given as the only
// argument: dravik_make_filters <folder>.

#include "FilterModel.h"

#include "Fp.h"
#include "TextFile.h"

#include <QDir>
#include <QString>

#include <cstdio>

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fputs("usage: dravik_make_filters <output folder>\n", stderr);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    try {
        for (const dravik::filters::AnalogueFilter &filter : dravik::filters::ShippedFilters()) {
            dravik::TextWriter out(folder.filePath(QString::fromLatin1(filter.fileName)));
            for (const std::string &line : dravik::filters::FilterFileLines(filter))
                out.writeLine(line.c_str());
            out.commit();
        }
    } catch (const dravik::DravikError &e) {
        std::fprintf(stderr, "dravik_make_filters: %s\n", e.what());
        return 1;
    }
    return 0;
}
