#include "BenchStats.h"

#include "NumberText.h"

#include <algorithm>
#include <cmath>

namespace dravik::bench {

double Samples::percentile(double p) const {
    if (ms_.empty())
        return 0;
    std::vector<double> sorted = ms_;
    std::sort(sorted.begin(), sorted.end());
    // Nearest rank: the smallest sample with at least p percent of them at or below it.
    const double rank = std::ceil(p / 100.0 * static_cast<double>(sorted.size()));
    const size_t index = static_cast<size_t>(std::clamp(rank, 1.0, double(sorted.size()))) - 1;
    return sorted[index];
}

QString millis(double ms) {
    return FormatFieldValue(ms, 3);
}

namespace {
QString row(const QString &name, const QString &runs, const QString &median, const QString &p99,
            const QString &max) {
    return name.leftJustified(54) + runs.rightJustified(6) + median.rightJustified(11) +
           p99.rightJustified(11) + max.rightJustified(11);
}
} // namespace

QString tableHeader() {
    return row(QStringLiteral("operation"), QStringLiteral("runs"), QStringLiteral("median ms"),
               QStringLiteral("p99 ms"), QStringLiteral("max ms"));
}

QString tableRow(const Samples &s) {
    return row(s.name(), FormatInteger(s.count()), millis(s.median()), millis(s.p99()),
               millis(s.max()));
}

} // namespace dravik::bench
