#pragma once

// Shared pieces of the fuzz targets: a private working directory for the
// readers that open files by bare name, the line splitting that the program's
// text reader is expected to do, and a check that stops the run so libFuzzer
// keeps the input.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dravik::fuzz {

// Prints what failed and aborts: libFuzzer saves the input as a crash.
[[noreturn]] void failCheck(const char *file, int line, const char *condition,
                            const std::string &detail);

#define FUZZ_CHECK(condition, detail)                                                              \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::dravik::fuzz::failCheck(__FILE__, __LINE__, #condition, (detail));                   \
    } while (0)

// For LLVMFuzzerInitialize: the targets change directory while an input runs,
// so a crash found then would be saved in the private directory and lost.
// Unless the command line names an artifact place, crashes go to the
// directory the fuzzer was started in.
void keepArtifactsInStartDirectory(int *argc, char ***argv);

// While one lives, the current directory is a private temporary directory,
// emptied first, so the files an input writes never meet another input's
// files. The directory is removed when the process ends normally.
class WorkDirectory {
public:
    WorkDirectory();
    ~WorkDirectory();
    WorkDirectory(const WorkDirectory &) = delete;
    WorkDirectory &operator=(const WorkDirectory &) = delete;

    // The names of the files in it, sorted.
    static std::vector<std::string> fileNames();
};

void writeFile(const char *name, std::string_view bytes);

// An input that ends in this marker stands for a huge file: its bytes without
// the marker, then a hole (NUL bytes without a line end) up to 2 GB, the
// shape of a file that never ends a line. The readers must stay bounded.
constexpr std::string_view HoleMarker = "%%hole";
constexpr long long HoleFileSize = 2LL << 30;
// Whether `bytes` ends in the marker; if so, cuts it off.
bool takeHoleMarker(std::string_view &bytes);
// Writes `bytes`, then extends the file with a hole to HoleFileSize.
void writeFileWithHole(const char *name, std::string_view bytes);
bool fileExists(const char *name);
std::string readFile(const char *name);

// The lines the program's text reader gives for these bytes: CR LF, CR or LF
// end a line, the last line needs no line end, a line is cut after
// maxLineBytes bytes (the rest of it skipped), each line decoded as UTF-8.
// Only the first maxLines lines are returned.
constexpr std::size_t MaxLineBytes = 65536;
std::vector<QString> textLines(std::string_view bytes, std::size_t maxLines = SIZE_MAX,
                               std::size_t maxLineBytes = MaxLineBytes);

// The line at index i, or an empty line past the end.
QString lineOrEmpty(const std::vector<QString> &lines, std::size_t i);

std::string show(const QString &text);
std::string show(double value);

} // namespace dravik::fuzz
