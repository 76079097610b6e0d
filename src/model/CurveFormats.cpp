#include "CurveFormats.h"

#include "ChartKinds.h"

#include <algorithm>
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
    case LimitKind::AmplifierVoltage:
        return QStringLiteral("amplifier-voltage");
    case LimitKind::AmplifierCurrent:
        return QStringLiteral("amplifier-current");
    }
    return QString();
}

// A comment line of a file of figures: the format's marker ("#" for CSV, "*"
// for FRD and ZMA), a blank and the text as PrintableText makes it. The title
// holds the label and the driver's names as a setup file gives them, so a
// line break there would otherwise start rows of made-up figures before the
// header; every text of every comment line comes through here.
QString CommentLine(char marker, const QString &text) {
    return QString(QLatin1Char(marker)) + QLatin1Char(' ') + PrintableText(text);
}

// A comment line naming the design, then the header and a row a frequency.
// Each chart's row names its columns and their places: the first nine are
// those of every earlier export and the new ones come after them, so that a
// reader of the old columns reads on.
QStringList CsvLines(const DesignCurves &c, const QString &title) {
    const std::vector<CsvColumn> columns = CsvColumns();
    QStringList header{QStringLiteral("frequency_hz")};
    for (const CsvColumn &column : columns)
        header << QLatin1String(column.header);
    QStringList lines;
    lines << CommentLine('#', title) << header.join(QLatin1Char(','));
    for (size_t i = 0; i < c.frequencies.size(); ++i) {
        QStringList cells{Number(c.frequencies[i])};
        for (const CsvColumn &column : columns)
            cells << (column.cell == CsvCell::LimitName ? LimitCell(c, i)
                                                        : Cell(c.*column.values, i));
        lines << cells.join(QLatin1Char(','));
    }
    return lines;
}

// FRD and ZMA: what crossover and measurement programs share. Comment lines
// first, each beginning with "*"; then three numbers a line, separated by a
// blank, a point as decimal separator, the frequency rising.
QStringList ThreeColumns(const DesignCurves &c, const QString &title, const QString &what,
                         const QStringList &notes, const char *columns,
                         const std::vector<double> &magnitude, const std::vector<double> &phase) {
    QStringList lines;
    lines << CommentLine('*', title) << CommentLine('*', what);
    for (const QString &note : notes)
        lines << CommentLine('*', note);
    lines << CommentLine('*', QLatin1String(columns));
    for (size_t i = 0; i < c.frequencies.size(); ++i)
        if (std::isfinite(magnitude[i]) && std::isfinite(phase[i]))
            lines << Number(c.frequencies[i]) + QLatin1Char(' ') + Number(magnitude[i]) +
                         QLatin1Char(' ') + Number(phase[i]);
    return lines;
}

Chart ChartOf(ExportFormat format) {
    return format == ExportFormat::Zma ? Chart::Impedance : Chart::Spl;
}

bool AnyFinite(const std::vector<double> &values) {
    return std::any_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

bool AnyFinitePair(const std::vector<double> &a, const std::vector<double> &b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (std::isfinite(a[i]) && std::isfinite(b[i]))
            return true;
    return false;
}

// Whether the file would hold at least one figure besides the frequencies.
bool HoldsFigures(ExportFormat format, const DesignCurves &c) {
    switch (format) {
    case ExportFormat::Csv:
        for (const auto *v : {&c.splDb, &c.excursionMm, &c.portVelocity, &c.impedanceOhm,
                              &c.impedancePhaseDeg, &c.groupDelayMs})
            if (AnyFinite(*v))
                return true;
        // The maximum power alone is no figure: where the excursion limit is
        // not a number it is PEmax whatever the design.
        return AnyFinitePair(c.maxSplDb, c.maxPowerW);
    case ExportFormat::Frd:
        return AnyFinitePair(c.splDb, c.splPhaseDeg);
    case ExportFormat::Zma:
        return AnyFinitePair(c.impedanceOhm, c.impedancePhaseDeg);
    case ExportFormat::Png:
    case ExportFormat::Svg:
        break;
    }
    return true;
}

// A character no exported line may hold (see PrintableText).
bool IsUnprintable(const QString &s, qsizetype i) {
    const QChar c = s.at(i);
    const QChar::Category category = c.category();
    // The line and paragraph separators end a line for many readers, too.
    if (category == QChar::Other_Control || category == QChar::Separator_Line ||
        category == QChar::Separator_Paragraph || c.unicode() == 0xfffe || c.unicode() == 0xffff)
        return true;
    if (c.isHighSurrogate())
        return i + 1 >= s.size() || !s.at(i + 1).isLowSurrogate();
    if (c.isLowSurrogate())
        return i == 0 || !s.at(i - 1).isHighSurrogate();
    return false;
}

} // namespace

bool IsPicture(ExportFormat format) {
    return format == ExportFormat::Png || format == ExportFormat::Svg;
}

std::optional<QString> ExportRefusal(ExportFormat format, const DesignCurves &curves) {
    if (IsPicture(format))
        return std::nullopt;
    if (format != ExportFormat::Csv && !curves.has(ChartOf(format)))
        return MissingInputsSentence(ChartOf(format), curves.lacks(ChartOf(format)));
    if (!HoldsFigures(format, curves))
        return QStringLiteral("Nothing to export: not one figure of the design is a number. "
                              "Check the Driver and Box pages.");
    return std::nullopt;
}

QString PrintableText(const QString &text) {
    QString out = text;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (IsUnprintable(text, i))
            out[i] = QLatin1Char(' ');
    return out;
}

QString ShownText(const QString &text, int maxLength) {
    maxLength = std::max(maxLength, 2);
    const bool cut = text.size() > maxLength;
    qsizetype keep = cut ? maxLength - 1 : text.size();
    if (cut && text.at(keep - 1).isHighSurrogate())
        --keep;
    QString shown = PrintableText(text.left(keep));
    if (cut)
        shown.append(QChar(0x2026));
    return shown;
}

std::optional<double> FrdPower(FrdLevel level, const std::optional<double> &re,
                               double chartPowerW) {
    switch (level) {
    case FrdLevel::At283V:
        if (!re || !std::isnormal(*re) || *re <= 0.0)
            return std::nullopt;
        return FrdReferenceVoltage * FrdReferenceVoltage / *re;
    case FrdLevel::At1W:
        return 1.0;
    case FrdLevel::AtChartPower:
        return chartPowerW;
    }
    return std::nullopt;
}

QString FrdLevelNote(FrdLevel level, double powerW, const std::optional<double> &re) {
    const auto figure = [](double v) { return QString::number(v, 'g', 4); };
    switch (level) {
    case FrdLevel::At283V:
        return QStringLiteral("Level at 2.83 V: ") + figure(powerW) +
               QStringLiteral(" W into Re ") + figure(re.value_or(0.0)) + QStringLiteral(" ohm");
    case FrdLevel::At1W:
        return QStringLiteral("Level at 1 W into Re");
    case FrdLevel::AtChartPower:
        return QStringLiteral("Level at the charts' input power, ") + figure(powerW) +
               QStringLiteral(" W into Re");
    }
    return {};
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

QStringList ExportLines(ExportFormat format, const DesignCurves &curves, const QString &title,
                        const QStringList &notes, FrdResponse response) {
    switch (format) {
    case ExportFormat::Csv:
        return CsvLines(curves, title);
    case ExportFormat::Frd:
        if (ExportRefusal(format, curves))
            return {};
        return ThreeColumns(
            curves, title,
            response == FrdResponse::Box
                ? QStringLiteral("SPL at 1 m, half space, and the phase of the "
                                 "box's response")
                : QStringLiteral("SPL at the listener and the phase of the system's "
                                 "response: signal chain, box and listening space"),
            notes, "Freq(Hz) SPL(dB) Phase(deg)", curves.splDb, curves.splPhaseDeg);
    case ExportFormat::Zma:
        if (ExportRefusal(format, curves))
            return {};
        return ThreeColumns(curves, title, QStringLiteral("Electrical impedance"), notes,
                            "Freq(Hz) Impedance(ohm) Phase(deg)", curves.impedanceOhm,
                            curves.impedancePhaseDeg);
    case ExportFormat::Png:
    case ExportFormat::Svg:
        break;
    }
    return {};
}

} // namespace dravik
