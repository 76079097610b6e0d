#pragma once

#include "CurveFormats.h"

#include <QByteArray>
#include <QColor>
#include <QSize>
#include <QString>

#include <functional>

class QPainter;

namespace dravik {

// The file filter of the export dialog.
QString ExportFilter();

// The format a file name asks for; any other name is refused with a
// sentence naming the endings known.
ExportFormat ExportFormatOrRefuse(const QString &path);

// Writes the curves to `path` in the format of figures its extension names
// (CSV, FRD, ZMA), `title` naming the design in the file's comments and
// `notes` adding comment lines (FRD, ZMA). The file is written through a
// temporary file beside it, so a failed export leaves nothing under the
// name; where no temporary file can be made beside an existing file, the
// export is refused with "File access denied" and the file stays as it was.
// Refused with DravikError: a format the curves lack an input for (the
// chart's sentence names the field), curves without one finite figure; a
// file error raises the program's usual file error.
void WriteCurvesFile(const QString &path, const DesignCurves &curves, const QString &title,
                     const QStringList &notes = {}, FrdResponse response = FrdResponse::Box);

// Writes a finished picture (PNG, SVG or PDF bytes) the same way.
void WritePictureFile(const QString &path, const QByteArray &bytes);
// A picture as SVG: `paint` draws it at `size`; the title, escaped, is the
// document's title.
QByteArray SvgPicture(const QSize &size, const QString &title,
                      const std::function<void(QPainter &)> &paint);
// Writes lines of text the same way.
void WriteLinesFile(const QString &path, const QStringList &lines);

// The colour of overlay number `index` (0 to 7), none of them a colour of
// the charts' fixed curves.
QColor OverlayColour(int index);

} // namespace dravik
