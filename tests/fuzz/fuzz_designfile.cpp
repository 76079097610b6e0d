// Fuzz target: the design file reader.
//
// The input is the file; one ending in "%%hole" is that text followed by a
// 2 GB hole, a line that never ends. Checked:
// - only DravikError escapes, and it says "This is not a Dravik design file"
//   or is one of the program's file messages;
// - a file is read exactly when it has 4137 lines, none longer than 128 KiB,
//   and then every field line of it comes back as that field's text;
// - every input finishes quickly (the fuzzer's -timeout), whatever its size.

#include "DesignFile.h"
#include "FieldTable.h"
#include "Fp.h"
#include "FuzzSupport.h"

#include <QString>

#include <string>

using namespace dravik;
using dravik::fuzz::show;

namespace {

bool isFileMessage(const QString &m) {
    for (const char *known : {msg::FileNotFound, msg::FileAccessDenied, msg::PathNotFound,
                              msg::IsDirectory, msg::FileIoError, msg::InvalidFileName,
                              msg::NotRegularFile})
        if (m == QLatin1String(known))
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    fuzz::keepArtifactsInStartDirectory(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const fuzz::WorkDirectory here;
    std::string_view input(reinterpret_cast<const char *>(data), size);
    const bool hole = fuzz::takeHoleMarker(input);
    hole ? fuzz::writeFileWithHole("in.dgn", input) : fuzz::writeFile("in.dgn", input);

    const std::vector<QString> lines =
        fuzz::textLines(input, DesignFileLines + 1, DesignFileMaxLineBytes + 1);
    bool tooLong = false;
    for (const QString &l : lines)
        tooLong = tooLong || l.toUtf8().size() > DesignFileMaxLineBytes;
    try {
        const SavedDesign design = ReadDesignFile(QStringLiteral("in.dgn"));
        FUZZ_CHECK(!hole, "a file of 2 GB was read");
        FUZZ_CHECK(lines.size() == DesignFileLines && !tooLong,
                   "read a file of " + std::to_string(lines.size()) + " lines");
        // The fields' lines: the texts they hold come back as they stand.
        FUZZ_CHECK(design.text(Field::EManufacturer) == lines[10], show(lines[10]));
        FUZZ_CHECK(design.text(Field::EQts) == lines[17], show(lines[17]));
        FUZZ_CHECK(design.text(Field::EVb) == lines[63], show(lines[63]));
        FUZZ_CHECK(design.text(Field::EVentDiam) == lines[79], show(lines[79]));
    } catch (const DravikError &e) {
        const QString m = e.message();
        FUZZ_CHECK(m.startsWith(QLatin1String("This is not a Dravik design file: ")) ||
                       isFileMessage(m),
                   show(m));
    }
    return 0;
}
