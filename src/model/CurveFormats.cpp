#include "CurveFormats.h"

#include <cmath>

namespace dravik {

namespace {

struct FormatEntry {
    ExportFormat format;
    const char *extension;
};
const FormatEntry Formats[] = {{ExportFormat::Csv, "csv"},
                               {ExportFormat::Frd, "frd"},
                               {ExportFormat::Zma, "zma"},
                               {ExportFormat::Png, "png"},
                               {ExportFormat::Svg, "svg"}};

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

// The limit that sets the most power at row i, as the CSV names it.
QString LimitCell(const DesignCurves &c, size_t i) {
    if (i >= c.limit.size() || i >= c.maxPowerW.size() || !std::isfinite(c.maxPowerW[i]))
        return QString();
    switch (c.limit[i]) {
    case LimitKind::Thermal:
        return QStringLiteral("thermal");
    case LimitKind::Excursion:
        return QStringLiteral("excursion");
    case LimitKind::Radiator:
        return QStringLiteral("radiator");
    }
    return QString();
}

// A comment line naming the design, then the header and a row a frequency.
// The first nine columns are those of every earlier export; the new ones
// come after them, so that a reader of the old columns reads on.
QStringList CsvLines(const DesignCurves &c, const QString &title) {
    QStringList lines;
    lines << QStringLiteral("# ") + title;
    lines << QStringLiteral("frequency_hz,spl_db,excursion_mm,port_velocity_ms,impedance_ohm,"
                            "impedance_phase_deg,group_delay_ms,max_spl_db,max_power_w,"
                            "radiator_excursion_mm,rear_port_velocity_ms,limit");
    for (size_t i = 0; i < c.frequencies.size(); ++i) {
        const QStringList cells = {Number(c.frequencies[i]),
                                   Cell(c.splDb, i),
                                   Cell(c.excursionMm, i),
                                   Cell(c.portVelocity, i),
                                   Cell(c.impedanceOhm, i),
                                   Cell(c.impedancePhaseDeg, i),
                                   Cell(c.groupDelayMs, i),
                                   Cell(c.maxSplDb, i),
                                   Cell(c.maxPowerW, i),
                                   Cell(c.radiatorExcursionMm, i),
                                   Cell(c.rearPortVelocity, i),
                                   LimitCell(c, i)};
        lines << cells.join(QLatin1Char(','));
    }
    return lines;
}

// FRD and ZMA: what crossover and measurement programs share. Comment lines
// first, each beginning with "*"; then three numbers a line, separated by a
// blank, a point as decimal separator, the frequency rising.
QStringList ThreeColumns(const DesignCurves &c, const QString &title, const QString &what,
                         const char *columns, const std::vector<double> &magnitude,
                         const std::vector<double> &phase) {
    QStringList lines;
    lines << QStringLiteral("* ") + title << QStringLiteral("* ") + what
          << QStringLiteral("* ") + QLatin1String(columns);
    for (size_t i = 0; i < c.frequencies.size(); ++i)
        if (std::isfinite(magnitude[i]) && std::isfinite(phase[i]))
            lines << Number(c.frequencies[i]) + QLatin1Char(' ') + Number(magnitude[i]) +
                         QLatin1Char(' ') + Number(phase[i]);
    return lines;
}

Chart ChartOf(ExportFormat format) {
    return format == ExportFormat::Zma ? Chart::Impedance : Chart::Spl;
}

} // namespace

bool IsPicture(ExportFormat format) {
    return format == ExportFormat::Png || format == ExportFormat::Svg;
}

std::optional<QString> ExportRefusal(ExportFormat format, const DesignCurves &curves) {
    if (format != ExportFormat::Frd && format != ExportFormat::Zma)
        return std::nullopt;
    const Chart chart = ChartOf(format);
    if (curves.has(chart))
        return std::nullopt;
    return MissingInputsSentence(chart, curves.lacks(chart));
}

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

QString ExportExtensions() {
    QStringList names;
    for (const FormatEntry &f : Formats)
        names << QStringLiteral(".") + QLatin1String(f.extension);
    return QStringList(names.mid(0, names.size() - 1)).join(QStringLiteral(", ")) +
           QStringLiteral(" or ") + names.back();
}

QStringList ExportLines(ExportFormat format, const DesignCurves &curves, const QString &title) {
    switch (format) {
    case ExportFormat::Csv:
        return CsvLines(curves, title);
    case ExportFormat::Frd:
        if (ExportRefusal(format, curves))
            return {};
        return ThreeColumns(curves, title,
                            QStringLiteral("SPL at 1 m, half space, and the phase of the "
                                           "box's response"),
                            "Freq(Hz) SPL(dB) Phase(deg)", curves.splDb, curves.splPhaseDeg);
    case ExportFormat::Zma:
        if (ExportRefusal(format, curves))
            return {};
        return ThreeColumns(curves, title, QStringLiteral("Electrical impedance"),
                            "Freq(Hz) Impedance(ohm) Phase(deg)", curves.impedanceOhm,
                            curves.impedancePhaseDeg);
    case ExportFormat::Png:
    case ExportFormat::Svg:
        break;
    }
    return {};
}

} // namespace dravik
