// Fuzz target: the filter response file reader.
//
// The input is the whole file. It is written into a private directory and
// read into one slot (chosen by the input's length) while every slot and the
// crossover response hold known values. Checked:
// - only DravikError escapes, and only "Floating point overflow" (a level so
//   large that the running value leaves the range of a double);
// - the other slots and the crossover response are untouched, every entry
//   stays finite, and nothing outside the slot's 1002 entries is written
//   (the arrays are bounds-checked in this build, and neighbouring tables are
//   compared);
// - where every point lies at 0 Hz or above, the slot holds exactly what the
//   file format's fill rule gives, computed here from the file's lines;
// - the test log holds the slot's 1001 levels after a successful read, is
//   not written after a failed one, and no stray file is left behind;
// - an input ending in "%%hole" is that file followed by a 2 GB hole, a
//   line that never ends: the reader stops at its byte limit (28192 lines of
//   4096 bytes) and gives what those bytes hold, in bounded time.

#include "CrossoverArrays.h"
#include "FilterFile.h"
#include "Fp.h"
#include "FuzzSupport.h"
#include "NumberText.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

using namespace dravik;
using dravik::fuzz::show;

namespace {

// The filter slots and crossover response the inputs are read into.
Crossover crossover;

constexpr size_t MaxFileLines = 28192;
constexpr size_t MaxPoints = 8194;
constexpr size_t MaxLineBytes = 4096;
constexpr long long LastEntry = CrossoverSize - 1;
constexpr const char *FilterName = "INPUT.FLT";

// --- The expected result, from the file format ---------------------------

struct Point {
    long long frequency;
    double level;
};

// Blanks, an optional sign and digits, nothing after; anything else is 0.
// Far too large numbers stay far too large.
long long frequencyOf(const QString &line) {
    qsizetype i = 0;
    while (i < line.size() && line[i] == QLatin1Char(' '))
        ++i;
    long long sign = 1;
    if (i < line.size() && (line[i] == QLatin1Char('-') || line[i] == QLatin1Char('+')))
        sign = line[i++] == QLatin1Char('-') ? -1 : 1;
    const qsizetype digitsStart = i;
    long long value = 0;
    for (; i < line.size() && line[i].isDigit() && line[i].unicode() < 128; ++i)
        value = std::min(value * 10 + (line[i].unicode() - '0'), 1LL << 50);
    return i == digitsStart || i != line.size() ? 0 : sign * value;
}

std::vector<Point> pointsOf(const std::vector<QString> &lines) {
    std::vector<QString> data;
    bool started = false;
    for (size_t i = 0; i < lines.size() && i < MaxFileLines; ++i) {
        if (lines[i] == QLatin1String("}"))
            break;
        if (started)
            data.push_back(lines[i]);
        else
            started = lines[i] == QLatin1String("{");
    }
    std::vector<Point> points;
    for (size_t i = 0; i + 1 < data.size() && points.size() < MaxPoints; i += 2)
        points.push_back({frequencyOf(data[i]), ParseFieldText(data[i + 1])});
    return points;
}

struct Expected {
    CrossoverArray entries{};
    std::array<bool, CrossoverSize> known{};
    bool overflow = false;      // the read must stop with "Floating point overflow"
    bool overflowMaybe = false; // a run from below 0 Hz may or may not overflow
};

bool inInt32(long long x) {
    return x >= std::numeric_limits<std::int32_t>::min() &&
           x <= std::numeric_limits<std::int32_t>::max();
}

// Each point but the last writes entries x(k) to x(k+1), clipped to the
// slot, with a running value that starts at its level and grows by level /
// frequency (0 at 0 Hz) before each entry. A run starting below 0 Hz is the
// reader's own business below the slot; its entries are left unknown here.
Expected fill(const std::vector<Point> &points, const CrossoverArray &before) {
    Expected e;
    e.entries = before;
    e.known.fill(true);
    for (size_t k = 0; k + 1 < points.size(); ++k) {
        const long long first = points[k].frequency;
        const long long next = points[k + 1].frequency;
        const long long last = std::min(next, LastEntry);
        if (!inInt32(first) || next < first || last < 0 || first > LastEntry)
            continue;
        if (first < 0) {
            std::fill(e.known.begin(), e.known.begin() + last + 1, false);
            e.overflowMaybe = true;
            continue;
        }
        const double step = first == 0 ? 0.0 : points[k].level / static_cast<double>(first);
        double value = points[k].level;
        for (long long j = first; j <= last; ++j) {
            value += step;
            if (!std::isfinite(value)) {
                e.overflow = true;
                return e;
            }
            e.entries[static_cast<size_t>(j)] = value;
            e.known[static_cast<size_t>(j)] = true;
        }
    }
    return e;
}

// --- Known start values --------------------------------------------------

// Distinct finite levels everywhere, so a stray write shows.
void setKnownValues() {
    for (size_t s = 0; s < crossover.FilterResponse.size(); ++s) {
        for (size_t j = 0; j < CrossoverSize; ++j)
            crossover.FilterResponse[s][j] = -1000.0 * static_cast<double>(s + 1) - 0.5 * j;
    }
    for (size_t j = 0; j < CrossoverSize; ++j)
        crossover.CrossoverResponse[j] = 7.25 + j;
}

std::string logName(int slot) {
    return "test" + std::to_string(slot) + ".log";
}

// The log holds "<j> Hz, <level> dB" for 0 to 1000 Hz. Formatting all 1001
// levels would cost as much as the read itself, so the levels are compared
// at every hundredth hertz and at both ends of each stretch the read changed.
void checkLog(const std::string &log, const CrossoverArray &before, const CrossoverArray &after) {
    size_t pos = 0;
    for (size_t j = 0; j <= 1000; ++j) {
        const size_t end = log.find("\r\n", pos);
        FUZZ_CHECK(end != std::string::npos, "the log ends at line " + std::to_string(j));
        const std::string line = log.substr(pos, end - pos);
        const std::string head = std::to_string(j) + " Hz, ";
        FUZZ_CHECK(line.compare(0, head.size(), head) == 0 && line.size() > head.size() + 3 &&
                       line.compare(line.size() - 3, 3, " dB") == 0,
                   "log line " + line);
        const bool changed = after[j] != before[j];
        const bool edge = (j == 0 || (after[j - 1] != before[j - 1]) != changed) ||
                          (j == 1000 || (after[j + 1] != before[j + 1]) != changed);
        if (j % 100 == 0 || (changed && edge)) {
            const std::string level = FormatFieldValue(after[j]).toStdString();
            FUZZ_CHECK(line == head + level + " dB", "log line " + line + ", level " + level);
        }
        pos = end + 2;
    }
    FUZZ_CHECK(pos == log.size(), "the log goes on after 1000 Hz");
}

void checkSlot(int slot, const Expected &expected, bool compare) {
    const CrossoverArray &entries = crossover.FilterResponse[static_cast<size_t>(slot)];
    for (size_t j = 0; j < CrossoverSize; ++j) {
        FUZZ_CHECK(std::isfinite(entries[j]),
                   "entry " + std::to_string(j) + " " + show(entries[j]));
        if (expected.known[j] && compare) {
            FUZZ_CHECK(entries[j] == expected.entries[j], "entry " + std::to_string(j) + " is " +
                                                              show(entries[j]) + ", expected " +
                                                              show(expected.entries[j]));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    fuzz::keepArtifactsInStartDirectory(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const fuzz::WorkDirectory here;
    std::string_view file(reinterpret_cast<const char *>(data), size);
    const bool hole = fuzz::takeHoleMarker(file);
    // What the reader sees of a hole: one more line of NUL bytes, cut at the
    // line limit (or the last line lengthened to it).
    std::string seen(file);
    if (hole) {
        fuzz::writeFileWithHole(FilterName, file);
        seen.append(MaxLineBytes + 8, '\0');
    } else {
        fuzz::writeFile(FilterName, file);
    }
    const int slot = static_cast<int>(size % FilterSlots);

    setKnownValues();
    const auto slotsBefore = crossover.FilterResponse;
    const CrossoverArray crossoverBefore = crossover.CrossoverResponse;
    const Expected expected = fill(pointsOf(fuzz::textLines(seen, MaxFileLines, MaxLineBytes)),
                                   slotsBefore[static_cast<size_t>(slot)]);

    std::optional<QString> error;
    try {
        LoadFilterFile(crossover, slot, QString::fromLatin1(FilterName));
    } catch (const DravikError &e) {
        error = e.message();
    } catch (const std::exception &e) {
        FUZZ_CHECK(false, std::string("an exception other than DravikError: ") + e.what());
    }

    for (size_t s = 0; s < crossover.FilterResponse.size(); ++s) {
        if (static_cast<int>(s) != slot)
            FUZZ_CHECK(crossover.FilterResponse[s] == slotsBefore[s], "slot " + std::to_string(s));
    }
    FUZZ_CHECK(crossover.CrossoverResponse == crossoverBefore, "the crossover response changed");

    if (error) {
        FUZZ_CHECK(*error == QLatin1String(msg::Overflow), show(*error));
        FUZZ_CHECK(expected.overflow || expected.overflowMaybe, "unexpected " + show(*error));
    } else {
        FUZZ_CHECK(!expected.overflow, "the running value overflows, but no error");
    }
    // After an overflow the entries written before it stay, so the expected
    // fill up to the failing step still holds; unless a run from below 0 Hz,
    // whose failing step is not modelled, was the one that failed.
    checkSlot(slot, expected, !error || !expected.overflowMaybe);

    const std::string log = logName(slot);
    std::vector<std::string> files = {FilterName};
    if (!error) {
        files.push_back(log);
        checkLog(fuzz::readFile(log.c_str()), slotsBefore[static_cast<size_t>(slot)],
                 crossover.FilterResponse[static_cast<size_t>(slot)]);
    }
    std::sort(files.begin(), files.end());
    FUZZ_CHECK(fuzz::WorkDirectory::fileNames() == files, "stray or missing files");
    return 0;
}
