#pragma once

#include <QColor>

namespace dravik {

// The settings of one program's response plot. The main window's creation
// handler gives them their start values; afterwards only the axes pass
// touches the two scale factors (it resets them before every drawing, so a
// value left there by anyone else never shows in the picture).
struct PlotSettings {
    // Until start-up sets them, the start values with a light grey standing
    // in for the button face, so a plot drawn early still looks right.
    QColor PlotBackgroundColor{240, 240, 240}; // picture fill, text background, window colour
    QColor PlotGridColor{128, 128, 128};       // level and frequency grid
    QColor PlotCurveColor{0, 0, 255};          // the response curve
    QColor PlotMarkerColor{255, 255, 0};       // full-height marker lines
    QColor PlotHighlightColor{255, 0, 0};      // the fixed verticals at 30, 60, 100, 120 and 240 Hz
    double PlotXScale = 1.0;
    double PlotYScale = 0.7;
};

// The scale factors every axes pass draws with.
constexpr double PlotDrawXScale = 1.0;
constexpr double PlotDrawYScale = 0.7;

// Start values; the background is the desktop's button-face colour.
void InitializePlotSettings(PlotSettings &settings, const QColor &buttonFace);

} // namespace dravik
