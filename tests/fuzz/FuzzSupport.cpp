#include "FuzzSupport.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace dravik::fuzz {

namespace {

[[noreturn]] void systemFailure(const char *what) {
    std::fprintf(stderr, "fuzz support: %s: %s\n", what, std::strerror(errno));
    std::abort();
}

// The private directory, made on first use and removed at a normal exit
// (libFuzzer ends a timed run through exit()).
class PrivateDirectory {
public:
    PrivateDirectory() {
        const char *base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/dravik-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data()))
            systemFailure("cannot make a temporary directory");
        path_ = pattern;
    }
    ~PrivateDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

const PrivateDirectory &privateDirectory() {
    static const PrivateDirectory directory;
    return directory;
}

bool startsWith(const char *text, const char *prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

} // namespace

void failCheck(const char *file, int line, const char *condition, const std::string &detail) {
    std::fprintf(stderr, "\n==== fuzz check failed at %s:%d\n     %s\n     %s\n", file, line,
                 condition, detail.c_str());
    std::abort();
}

void keepArtifactsInStartDirectory(int *argc, char ***argv) {
    for (int i = 1; i < *argc; ++i) {
        if (startsWith((*argv)[i], "-artifact_prefix=") ||
            startsWith((*argv)[i], "-exact_artifact_path="))
            return;
    }
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd))
        systemFailure("cannot read the current directory");
    // Kept for the whole run: libFuzzer reads its flags from this array.
    static std::string prefix = std::string("-artifact_prefix=") + cwd + "/";
    static std::vector<char *> args;
    args.assign(*argv, *argv + *argc);
    args.push_back(prefix.data());
    args.push_back(nullptr);
    *argc = static_cast<int>(args.size()) - 1;
    *argv = args.data();
}

namespace {
// The directory the fuzzer started in, opened before the first change.
int startDirectory() {
    static const int fd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        systemFailure("cannot open the start directory");
    return fd;
}
} // namespace

WorkDirectory::WorkDirectory() {
    startDirectory();
    const std::string &path = privateDirectory().path();
    for (const auto &entry : std::filesystem::directory_iterator(path))
        std::filesystem::remove_all(entry.path());
    if (chdir(path.c_str()) != 0)
        systemFailure("cannot enter the temporary directory");
}

WorkDirectory::~WorkDirectory() {
    // Back where libFuzzer expects to be: it saves corpus entries by relative name.
    if (fchdir(startDirectory()) != 0)
        systemFailure("cannot return to the start directory");
}

std::vector<std::string> WorkDirectory::fileNames() {
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(privateDirectory().path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void writeFile(const char *name, std::string_view bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        systemFailure("cannot write an input file");
}

bool takeHoleMarker(std::string_view &bytes) {
    if (bytes.size() < HoleMarker.size() ||
        bytes.substr(bytes.size() - HoleMarker.size()) != HoleMarker)
        return false;
    bytes.remove_suffix(HoleMarker.size());
    return true;
}

void writeFileWithHole(const char *name, std::string_view bytes) {
    writeFile(name, bytes);
    if (truncate(name, HoleFileSize) != 0)
        systemFailure("cannot extend an input file");
}

bool fileExists(const char *name) {
    return access(name, F_OK) == 0;
}

std::string readFile(const char *name) {
    std::ifstream in(name, std::ios::binary);
    if (!in)
        return std::string();
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<QString> textLines(std::string_view bytes, std::size_t maxLines,
                               std::size_t maxLineBytes) {
    std::vector<QString> lines;
    std::size_t start = 0;
    while (start < bytes.size() && lines.size() < maxLines) {
        std::size_t end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        const std::size_t kept = std::min(end - start, maxLineBytes);
        lines.push_back(QString::fromUtf8(bytes.data() + start, static_cast<qsizetype>(kept)));
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() &&
            bytes[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

QString lineOrEmpty(const std::vector<QString> &lines, std::size_t i) {
    return i < lines.size() ? lines[i] : QString();
}

std::string show(const QString &text) {
    const std::string utf8 = text.left(200).toStdString();
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c < 0x20 || c == 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += text.size() > 200 ? "\"..." : "\"";
    return out;
}

std::string show(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", value);
    return buf;
}

} // namespace dravik::fuzz
