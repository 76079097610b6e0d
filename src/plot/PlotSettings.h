#pragma once

#include <QColor>

namespace dravik {

// Process-wide settings of the response plot. The main window's creation
// handler gives them their start values; afterwards only the axes pass
// touches the two scale factors (it resets them before every drawing, so a
// value left there by anyone else never shows in the picture).
extern QColor PlotBackgroundColor; // picture fill, text background, window colour
extern QColor PlotGridColor;       // level and frequency grid
extern QColor PlotCurveColor;      // the response curve
extern QColor PlotMarkerColor;     // full-height marker lines
extern QColor PlotHighlightColor;  // the fixed verticals at 30, 60, 100, 120 and 240 Hz
extern double PlotXScale;
extern double PlotYScale;

// The scale factors every axes pass draws with.
constexpr double PlotDrawXScale = 1.0;
constexpr double PlotDrawYScale = 0.7;

// Start values; the background is the desktop's button-face colour.
void InitializePlotSettings(const QColor &buttonFace);

} // namespace dravik
