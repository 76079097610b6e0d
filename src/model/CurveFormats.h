#pragma once

#include "DesignModel.h"

#include <QStringList>

#include <optional>

namespace dravik {

// The file formats the design charts export, chosen by the file's extension.
enum class ExportFormat { Csv };

// The format a file name asks for, by its extension (case ignored).
std::optional<ExportFormat> ExportFormatOf(const QString &path);

// The extensions known, for the file dialog and for the message that
// refuses any other: "*.csv".
QString ExportPatterns();

// The lines of an exported file. CSV: one header line, then one row per
// frequency; a value that does not apply to the design is an empty cell.
QStringList ExportLines(ExportFormat format, const DesignCurves &curves);

// Curves are exported at 48 points per octave or a little more.
inline constexpr int ExportPointsPerOctave = 48;

} // namespace dravik
