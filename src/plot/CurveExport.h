#pragma once

#include "CurveFormats.h"

namespace dravik {

// The file filter of the export dialog.
QString ExportFilter();

// Writes the curves to `path` in the format its extension names, through a
// temporary file, so a failed export leaves nothing under the name. An
// unknown extension is refused with a sentence naming the known ones; a file
// error raises the program's usual file error.
void WriteCurvesFile(const QString &path, const DesignCurves &curves);

} // namespace dravik
