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
// the chart whose values it needs, when that chart lacks an input; or, when
// not one figure of the file would be a number (a design of 1e300 Hz), the
// sentence that says so.
std::optional<QString> ExportRefusal(ExportFormat format, const DesignCurves &curves);

// The lines of an exported file of figures, `title` naming the design.
// CSV: a comment line, "# " and the title; one header line, then one row
// per frequency; a value that does not apply to the design is an empty
// cell. FRD and ZMA: comment lines that begin with "*" (the title, what the
// figures are, each of `notes`, the columns), then frequency, level (dB) or
// impedance (ohm), and phase (degrees), separated by a blank, one line per
// frequency, rising. An FRD file holds the box's own response (1 m, half
// space, no filters) unless the system's is asked for; its comment line says
// which.
enum class FrdResponse { Box, System };
QStringList ExportLines(ExportFormat format, const DesignCurves &curves, const QString &title,
                        const QStringList &notes = {}, FrdResponse response = FrdResponse::Box);

// A text as one line of an exported file or a picture: every control
// character (CR, LF and TAB included), the line and paragraph separators
// U+2028 and U+2029, the two non-characters U+FFFE and U+FFFF and every
// surrogate that is not half of a pair become a blank, one for one, so that
// no text can end a comment line of a CSV, FRD or ZMA file (each of them
// goes through this) or make an SVG file invalid XML.
QString PrintableText(const QString &text);

// A text as a window or a chart shows it: printable as above, and cut with
// an ellipsis when longer than maxLength characters (never within a
// surrogate pair). Linear in the text's length; the result is never longer
// than maxLength.
QString ShownText(const QString &text, int maxLength);

// The level an FRD file is written at. Crossover programs expect the level
// at 2.83 V or at 1 W; the charts' own power is the third choice.
enum class FrdLevel { At283V, At1W, AtChartPower };

// The power into Re of that level: 2.83^2 / Re, 1 W, or the charts' power.
// Empty at 2.83 V when Re is not a usable figure.
std::optional<double> FrdPower(FrdLevel level, const std::optional<double> &re, double chartPowerW);
// The file's comment that says at which level it is written, without "* ".
QString FrdLevelNote(FrdLevel level, double powerW, const std::optional<double> &re);

// The drive of the usual FRD level, V RMS: 1 W into 8 ohm.
inline constexpr double FrdReferenceVoltage = 2.83;

// Curves are exported at 48 points per octave or a little more.
inline constexpr int ExportPointsPerOctave = 48;

} // namespace dravik
