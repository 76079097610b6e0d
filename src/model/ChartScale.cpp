#include "ChartScale.h"

#include "CurveFormats.h"

#include <algorithm>
#include <cmath>

namespace dravik::chartscale {

namespace {

// Round numbers computed as m x 10^e are off in the last bit for negative e:
// comparisons allow for that much.
constexpr double Slack = 1e-9;

double PowerOfTen(int e) {
    return std::pow(10.0, e);
}

} // namespace

bool IsUsablePositive(double v) {
    return std::isnormal(v) && v > 0.0;
}

std::optional<LinearRange> NiceRange(double low, double high, int maxSteps) {
    if (!std::isfinite(low) || !std::isfinite(high) || maxSteps < 1)
        return std::nullopt;
    if (low > high)
        std::swap(low, high);
    const double largest = std::max(std::fabs(low), std::fabs(high));
    if (largest > MaxAxisMagnitude)
        return std::nullopt;
    if (low == high) {
        const double pad = low == 0.0 ? 1.0 : 0.1 * std::fabs(low);
        low -= pad;
        high += pad;
    }
    const double span = high - low;
    if (!(span >= MinRelativeSpan * std::max(std::fabs(low), std::fabs(high))) ||
        !std::isnormal(span / maxSteps))
        return std::nullopt;
    const double magnitude = PowerOfTen(static_cast<int>(std::floor(std::log10(span / maxSteps))));
    if (!std::isnormal(magnitude))
        return std::nullopt;
    for (double factor : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0}) {
        const double step = magnitude * factor;
        const double first = std::floor(low / step + Slack) * step;
        const int steps = std::max(1, static_cast<int>(std::ceil((high - first) / step - Slack)));
        if (steps <= maxSteps)
            return LinearRange{first, first + steps * step, step, steps};
    }
    return std::nullopt;
}

double Floor125(double v) {
    const int e = static_cast<int>(std::floor(std::log10(v)));
    const double p = PowerOfTen(e), m = v / p;
    if (m >= 10.0 * (1.0 - Slack))
        return 10.0 * p;
    if (m >= 5.0 * (1.0 - Slack))
        return 5.0 * p;
    if (m >= 2.0 * (1.0 - Slack))
        return 2.0 * p;
    return p;
}

double Ceil125(double v) {
    const int e = static_cast<int>(std::floor(std::log10(v)));
    const double p = PowerOfTen(e), m = v / p;
    if (m <= 1.0 * (1.0 + Slack))
        return p;
    if (m <= 2.0 * (1.0 + Slack))
        return 2.0 * p;
    if (m <= 5.0 * (1.0 + Slack))
        return 5.0 * p;
    return 10.0 * p;
}

std::optional<LogRange> LogRangeOf(double low, double high) {
    if (low > high)
        std::swap(low, high);
    if (!(low >= MinLogAxis) || !(high <= MaxLogAxis))
        return std::nullopt;
    LogRange r{Floor125(low), Ceil125(high)};
    if (r.high < 10.0 * r.low * (1.0 - Slack))
        r.low = Floor125(r.high / 10.0);
    if (r.low < MinLogAxis * (1.0 - Slack))
        return std::nullopt;
    return r;
}

std::vector<double> LogLabels(double low, double high, int maxLabels) {
    if (!(low > 0.0) || !(high > low) || !std::isfinite(high))
        return {};
    const int first = static_cast<int>(std::floor(std::log10(low)));
    const int last = static_cast<int>(std::ceil(std::log10(high)));
    if (last - first > 40)
        return {};
    const auto collect = [&](std::initializer_list<double> mantissas) {
        std::vector<double> out;
        for (int e = first; e <= last; ++e)
            for (double m : mantissas) {
                const double v = m * PowerOfTen(e);
                if (v >= low * (1.0 - Slack) && v <= high * (1.0 + Slack))
                    out.push_back(v);
            }
        return out;
    };
    std::vector<double> labels = collect({1.0, 2.0, 5.0});
    if (static_cast<int>(labels.size()) > maxLabels)
        labels = collect({1.0});
    if (labels.size() < 2)
        labels = collect({1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0});
    if (labels.size() < 2) {
        labels.clear();
        if (const std::optional<LinearRange> r = NiceRange(low, high, 4))
            for (int i = 0; i <= r->steps; ++i) {
                const double v = r->low + i * r->step;
                if (v >= low * (1.0 - Slack) && v <= high * (1.0 + Slack))
                    labels.push_back(v);
            }
    }
    return labels;
}

std::vector<double> LogLabelsFromLow(double low, double high, int maxLabels) {
    std::vector<double> labels = LogLabels(low, high, std::max(1, maxLabels - 1));
    if (!labels.empty() && labels.front() > low * (1.0 + Slack))
        labels.insert(labels.begin(), low);
    // Where even the powers of ten are too many, every k-th from the start.
    const size_t room = static_cast<size_t>(std::max(2, maxLabels));
    if (labels.size() > room) {
        const size_t k = (labels.size() + room - 1) / room;
        std::vector<double> thinned;
        for (size_t i = 0; i < labels.size(); i += k)
            thinned.push_back(labels[i]);
        labels = thinned;
    }
    return labels;
}

QString LogLabelText(double v) {
    if (v >= 1000.0)
        return QString::number(v / 1000.0, 'g', 4) + QLatin1Char('k');
    return QString::number(v, 'g', 4);
}

double LogFraction(double v, double low, double high) {
    return std::log(v / low) / std::log(high / low);
}

std::optional<double> ValueAt(const std::vector<double> &frequencies,
                              const std::vector<double> &values, double f, bool logarithmic) {
    const size_t n = std::min(frequencies.size(), values.size());
    if (n == 0 || !(f >= frequencies.front()) || !(f <= frequencies[n - 1]))
        return std::nullopt;
    const auto end = frequencies.begin() + static_cast<std::ptrdiff_t>(n);
    const size_t i =
        static_cast<size_t>(std::lower_bound(frequencies.begin(), end, f) - frequencies.begin());
    double v = values[i];
    if (i > 0 && frequencies[i] != f) {
        const double t =
            logarithmic
                ? std::log(f / frequencies[i - 1]) / std::log(frequencies[i] / frequencies[i - 1])
                : (f - frequencies[i - 1]) / (frequencies[i] - frequencies[i - 1]);
        v = values[i - 1] + t * (values[i] - values[i - 1]);
    }
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

void Span::add(double v) {
    if (!std::isfinite(v))
        return;
    if (empty) {
        low = high = v;
        empty = false;
        return;
    }
    low = std::min(low, v);
    high = std::max(high, v);
}

void Span::add(const Span &other) {
    if (!other.empty) {
        add(other.low);
        add(other.high);
    }
}

Span SpanOf(const std::vector<double> &frequencies, const std::vector<double> &values, double lowHz,
            double highHz) {
    Span s;
    const size_t n = std::min(frequencies.size(), values.size());
    for (size_t i = 0; i < n; ++i)
        if (frequencies[i] >= lowHz && frequencies[i] <= highHz)
            s.add(values[i]);
    return s;
}

namespace {

// Between points a and b, where the curve crosses `level`, on a logarithmic
// frequency axis.
double CrossingBetween(const std::vector<double> &f, const std::vector<double> &v, size_t a,
                       size_t b, double level) {
    if (!std::isfinite(v[a]))
        return f[b];
    if (!std::isfinite(v[b]))
        return f[a];
    const double t = (level - v[a]) / (v[b] - v[a]);
    return f[a] * std::pow(f[b] / f[a], t);
}

} // namespace

std::vector<double> SmoothedAbove(const std::vector<double> &frequencies,
                                  const std::vector<double> &db, double fromHz, double fraction) {
    std::vector<double> out = db;
    const size_t n = std::min(frequencies.size(), db.size());
    const double halfWidth = std::pow(2.0, 0.5 / fraction);
    size_t low = 0, high = 0; // the window [low, high) slides up with i
    for (size_t i = 0; i < n; ++i) {
        if (!(frequencies[i] > fromHz))
            continue;
        while (low < n && frequencies[low] < frequencies[i] / halfWidth)
            ++low;
        high = std::max(high, low);
        while (high < n && frequencies[high] <= frequencies[i] * halfWidth)
            ++high;
        double power = 0.0;
        int count = 0;
        for (size_t j = low; j < high; ++j)
            if (std::isfinite(db[j])) {
                power += std::pow(10.0, db[j] / 10.0);
                ++count;
            }
        if (count > 0 && power > 0.0)
            out[i] = 10.0 * std::log10(power / count);
    }
    return out;
}

SpikeFreeSpan SpikeFreeSpanOf(std::vector<double> values) {
    values.erase(
        std::remove_if(values.begin(), values.end(), [](double v) { return !std::isfinite(v); }),
        values.end());
    SpikeFreeSpan s;
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    const auto at = [&values](double share) {
        return values[static_cast<size_t>(share * static_cast<double>(values.size() - 1))];
    };
    const double low = at(0.05), high = at(0.95), spread = high - low;
    s.span.add(std::max(values.front(), low - spread));
    s.span.add(std::min(values.back(), high + spread));
    s.cut = values.front() < s.span.low || values.back() > s.span.high;
    return s;
}

PassbandEdges PassbandEdgesOf(const std::vector<double> &frequencies,
                              const std::vector<double> &values, double lowHz, double highHz,
                              double drop) {
    PassbandEdges edges;
    const size_t n = std::min(frequencies.size(), values.size());
    size_t first = n, last = 0, top = n;
    for (size_t i = 0; i < n; ++i) {
        if (frequencies[i] < lowHz || frequencies[i] > highHz)
            continue;
        first = std::min(first, i);
        last = i;
        if (std::isfinite(values[i]) && (top == n || values[i] > values[top]))
            top = i;
    }
    if (top == n)
        return edges;
    const double level = values[top] - drop;
    for (size_t i = top; i > first; --i)
        if (!(values[i - 1] >= level)) {
            edges.lowHz = CrossingBetween(frequencies, values, i - 1, i, level);
            break;
        }
    for (size_t i = top; i < last; ++i)
        if (!(values[i + 1] >= level)) {
            edges.highHz = CrossingBetween(frequencies, values, i, i + 1, level);
            break;
        }
    return edges;
}

std::vector<std::pair<size_t, size_t>> Runs(const std::vector<bool> &where) {
    std::vector<std::pair<size_t, size_t>> runs;
    for (size_t i = 0; i < where.size(); ++i) {
        if (!where[i])
            continue;
        if (!runs.empty() && runs.back().second + 1 == i)
            runs.back().second = i;
        else
            runs.emplace_back(i, i);
    }
    return runs;
}

QString DisplayLabel(const QString &label, int maxLength) {
    return ShownText(label, maxLength);
}

QString LegendFigure(double v) {
    return QString::number(v, 'g', 4);
}

} // namespace dravik::chartscale
