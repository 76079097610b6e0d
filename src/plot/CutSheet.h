#pragma once

#include "Construction.h"

#include <QByteArray>
#include <QString>

namespace dravik {

// The cut sheet as a picture, SVG or PDF: the design's name and volumes,
// then each panel drawn to one scale with its count and its dimensions in
// the units shown.
enum class CutSheetFormat { Svg, Pdf };
QByteArray CutSheetPicture(const BuiltBox &box, const QString &title, UnitSystem units,
                           CutSheetFormat format);

} // namespace dravik
