#include "CurveFormats.h"

#include <cmath>

namespace dravik {

namespace {

struct FormatEntry {
    ExportFormat format;
    const char *extension;
};
const FormatEntry Formats[] = {{ExportFormat::Csv, "csv"}};

// A number for another program: a point as decimal separator, seven
// significant digits.
QString Number(double v) {
    return QString::number(v, 'g', 7);
}

// The value at row i, or an empty cell where the curve does not apply.
QString Cell(const std::vector<double> &values, size_t i) {
    if (i >= values.size() || !std::isfinite(values[i]))
        return QString();
    return Number(values[i]);
}

QStringList CsvLines(const DesignCurves &c) {
    QStringList lines;
    lines << QStringLiteral("frequency_hz,spl_db,excursion_mm,port_velocity_ms,impedance_ohm,"
                            "impedance_phase_deg,group_delay_ms,max_spl_db,max_power_w");
    for (size_t i = 0; i < c.frequencies.size(); ++i) {
        const QStringList cells = {
            Number(c.frequencies[i]), Cell(c.splDb, i),        Cell(c.excursionMm, i),
            Cell(c.portVelocity, i),  Cell(c.impedanceOhm, i), Cell(c.impedancePhaseDeg, i),
            Cell(c.groupDelayMs, i),  Cell(c.maxSplDb, i),     Cell(c.maxPowerW, i)};
        lines << cells.join(QLatin1Char(','));
    }
    return lines;
}

} // namespace

std::optional<ExportFormat> ExportFormatOf(const QString &path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || path.indexOf(QLatin1Char('/'), dot) >= 0)
        return std::nullopt;
    const QString extension = path.mid(dot + 1).toLower();
    for (const FormatEntry &f : Formats)
        if (extension == QLatin1String(f.extension))
            return f.format;
    return std::nullopt;
}

QString ExportPatterns() {
    QStringList patterns;
    for (const FormatEntry &f : Formats)
        patterns << QStringLiteral("*.") + QLatin1String(f.extension);
    return patterns.join(QLatin1Char(';'));
}

QStringList ExportLines(ExportFormat format, const DesignCurves &curves) {
    switch (format) {
    case ExportFormat::Csv:
        return CsvLines(curves);
    }
    return {};
}

} // namespace dravik
