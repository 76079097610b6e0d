#pragma once

#include "Version.h"

namespace dravik {

// The application title (message box captions) and the product's notice that
// follows "Dravik" in the main window's caption, the plot window's caption and
// the second line of a design file.
inline const char *const ApplicationTitle = "Dravik";
inline const char *const ProductNotice = "- subwoofer enclosure designer, version " DRAVIK_VERSION;
// The About box's first line.
inline const char *const ProductVersionLine = "Dravik V" DRAVIK_VERSION;

} // namespace dravik
