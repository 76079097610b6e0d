#pragma once

namespace dravik {

// The application title (message box captions) and the product's notice that
// follows "Dravik" in the main window's caption, the plot window's caption and
// the second line of a design file.
inline const char *const ApplicationTitle = "Dravik";
inline const char *const ProductNotice = "- subwoofer enclosure designer, version 2.0";

} // namespace dravik
