#pragma once

#include <QString>

#include <vector>

namespace dravik::bench {

// The latencies of one measured operation, in milliseconds.
class Samples {
public:
    explicit Samples(QString name) : name_(std::move(name)) {}

    void add(double ms) { ms_.push_back(ms); }
    const QString &name() const { return name_; }
    int count() const { return static_cast<int>(ms_.size()); }
    const std::vector<double> &values() const { return ms_; }

    // Nearest-rank percentile (p from 0 to 100) of the samples; 0 when empty.
    double percentile(double p) const;
    double median() const { return percentile(50); }
    double p99() const { return percentile(99); }
    double max() const { return percentile(100); }

private:
    QString name_;
    std::vector<double> ms_;
};

// Milliseconds with three decimals ("12.345").
QString millis(double ms);

// One line of the report table: name, runs, median, p99, max.
QString tableRow(const Samples &s);
QString tableHeader();

} // namespace dravik::bench
