#include "FilterFile.h"

#include "CrossoverArrays.h"
#include "NumberText.h"
#include "Real.h"
#include "TextFile.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <vector>

namespace dravik {

namespace {

constexpr int MaxFileLines = 28192;
constexpr int MaxPoints = 8194;
// A line of a filter file holds a number or a few words of description; one
// longer than this is cut. The reader never takes in more than the file's
// 28192 lines at that length, so a file without line ends (or a 2 GB one)
// costs a fraction of a second.
constexpr qsizetype MaxLineLength = 4096;
constexpr qint64 MaxFileBytes = static_cast<qint64>(MaxFileLines) * (MaxLineLength + 2);
constexpr int UsedEntries = 1001;                  // 0 to 1000 Hz
constexpr long long LastEntry = CrossoverSize - 1; // the reader may write up to 1001 Hz

// Frequency digits saturate here, beyond the 32-bit range, so a longer number
// stays out of range instead of wrapping round into it.
constexpr long long FrequencySaturation = 1LL << 32;

struct FilterPoint {
    long long frequency;
    double level;
};

bool fitsInt32(long long x) {
    return x >= std::numeric_limits<std::int32_t>::min() &&
           x <= std::numeric_limits<std::int32_t>::max();
}

// Blanks, an optional sign, at least one digit and nothing after (not even a
// blank); anything else reads as 0.
long long parseFrequencyLine(const QString &line) {
    return ParseWholeNumber(line, FrequencySaturation, BlanksAfter::Refused).value_or(0);
}

// The same grammar as a numeric field: malformed text, and a number beyond
// the range of a double, read as 0.
double parseLevelLine(const QString &line) {
    return ParseFieldText(line);
}

CrossoverArray &slotArray(Crossover &crossover, int slot) {
    if (slot < 0 || slot >= FilterSlots)
        throw std::out_of_range("filter slot out of range");
    return crossover.FilterResponse[static_cast<size_t>(slot)];
}

// The points between the markers, read pairwise as the lines arrive, so a
// file never costs more than one line of memory besides its points.
std::vector<FilterPoint> readFilterPoints(const QString &fileName) {
    TextReader reader(fileName, MaxLineLength, MaxFileBytes);
    std::vector<FilterPoint> points;
    bool started = false;
    bool haveFrequency = false;
    long long frequency = 0;
    QString line;
    for (int count = 0; count < MaxFileLines && reader.readLine(line); ++count) {
        if (line == QLatin1String("}"))
            break;
        if (!started) {
            started = line == QLatin1String("{");
            continue;
        }
        if (!haveFrequency) {
            frequency = parseFrequencyLine(line);
            haveFrequency = true;
            continue;
        }
        haveFrequency = false;
        if (points.size() < MaxPoints)
            points.push_back({frequency, parseLevelLine(line)});
    }
    return points;
}

// One point's run: entries from its frequency up to the next point's, each
// the running value after one more step.
void fillRun(CrossoverArray &entries, const FilterPoint &point, long long nextFrequency) {
    const long long first = point.frequency;
    if (!fitsInt32(first) || nextFrequency < first)
        return;
    const long long last = std::min(nextFrequency, LastEntry);
    if (last < 0 || first > LastEntry)
        return;
    const Real level = point.level;
    const Real step = first == 0 ? Real(0.0) : level / static_cast<double>(first);
    Real value = level;
    long long j = first;
    if (j < 0) {
        // The steps below 0 Hz write nothing; take them all at once.
        value += step * static_cast<double>(-j);
        j = 0;
    }
    for (; j <= last; ++j) {
        value += step;
        entries[static_cast<size_t>(j)] = value.value();
    }
}

void fillSlot(CrossoverArray &entries, const std::vector<FilterPoint> &points) {
    for (size_t k = 0; k + 1 < points.size(); ++k)
        fillRun(entries, points[k], points[k + 1].frequency);
}

void writeTestLog(int slot, const CrossoverArray &entries) {
    TextWriter log(QStringLiteral("test") + FormatInteger(slot) + QStringLiteral(".log"),
                   TextWriter::Mode::Scratch, TextWriter::InPlace::Allowed);
    for (int j = 0; j < UsedEntries; ++j)
        log.writeLine(FormatInteger(j) + QStringLiteral(" Hz, ") +
                      FormatFieldValue(entries[static_cast<size_t>(j)]) + QStringLiteral(" dB"));
    log.commit();
}

void setUsedEntries(CrossoverArray &entries, double value) {
    std::fill(entries.begin(), entries.begin() + UsedEntries, value);
}

} // namespace

void LoadFilterFile(Crossover &crossover, int slot, const QString &fileName) {
    CrossoverArray &entries = slotArray(crossover, slot);
    const std::vector<FilterPoint> points = readFilterPoints(fileName);
    fillSlot(entries, points);
    writeTestLog(slot, entries);
}

void ClearCrossover(Crossover &crossover) {
    for (CrossoverArray &slot : crossover.FilterResponse)
        setUsedEntries(slot, 0.0);
    setUsedEntries(crossover.CrossoverResponse, 0.0);
}

void CombineTwoFilters(Crossover &crossover) {
    const auto &filters = crossover.FilterResponse;
    for (size_t j = 0; j < UsedEntries; ++j)
        crossover.CrossoverResponse[j] = (Real(filters[0][j]) + filters[1][j]).value();
}

void CombineFourFilters(Crossover &crossover) {
    const auto &filters = crossover.FilterResponse;
    for (size_t j = 0; j < UsedEntries; ++j) {
        const Real sum = Real(filters[0][j]) + filters[1][j] + filters[2][j] + filters[3][j];
        crossover.CrossoverResponse[j] = sum.value();
    }
}

void ShowCrossoverResponse(const Crossover &crossover, FieldStore &main) {
    const List list = List::ListBox1;
    main.clearLines(list);
    for (int j = 0; j < UsedEntries; ++j)
        main.addLine(list,
                     FormatInteger(j) + QStringLiteral(" Hz : ") +
                         FormatFieldValue(crossover.CrossoverResponse[static_cast<size_t>(j)]) +
                         QStringLiteral(" dB"));
}

} // namespace dravik
