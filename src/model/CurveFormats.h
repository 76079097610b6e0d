#pragma once

#include "DesignModel.h"

#include <QStringList>

#include <optional>

namespace dravik {

// The file formats the design charts export, chosen by the file's extension:
// the figures as a table (CSV), the response and the impedance for
// crossover and measurement programs (FRD, ZMA), and the charts as a picture
// (PNG, SVG).
enum class ExportFormat { Csv, Frd, Zma, Png, Svg };

// Whether the format is a picture of the charts rather than their figures.
bool IsPicture(ExportFormat format);

// The format a file name asks for, by its extension (case ignored).
std::optional<ExportFormat> ExportFormatOf(const QString &path);

// The extensions known, for the file dialog: "*.csv;*.frd;*.zma;*.png;*.svg".
QString ExportPatterns();
// The same for the message that refuses any other: ".csv, .frd, .zma, .png or .svg".
QString ExportExtensions();

// Why the curves cannot be exported in a format of figures: the sentence of
// the chart whose values it needs, when that chart lacks an input.
std::optional<QString> ExportRefusal(ExportFormat format, const DesignCurves &curves);

// The lines of an exported file of figures, `title` naming the design.
// CSV: one header line, then one row per frequency; a value that does not
// apply to the design is an empty cell. FRD and ZMA: comment lines that
// begin with "*", then frequency, level (dB) or impedance (ohm), and phase
// (degrees), separated by a blank, one line per frequency, rising.
QStringList ExportLines(ExportFormat format, const DesignCurves &curves, const QString &title);

// Curves are exported at 48 points per octave or a little more.
inline constexpr int ExportPointsPerOctave = 48;

} // namespace dravik
