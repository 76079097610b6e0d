#pragma once

#include "FieldStore.h"
#include "PlotCanvas.h"
#include "PlotSettings.h"

#include <QImage>
#include <QString>

namespace dravik {

// The picture the plot window draws on.
constexpr int PlotImageWidth = 817;
constexpr int PlotImageHeight = 481;

// The curve runs over these whole frequencies; the response arrays passed in
// must hold at least PlotLastFrequency + 1 values.
constexpr int PlotFirstFrequency = 10;
constexpr int PlotLastFrequency = 300;

// Fills the whole picture with the background colour (and leaves the brush at it).
void ClearPlot(PlotCanvas &canvas, const PlotSettings &settings);

// Clears, resets the scale factors, and draws the level grid with its labels
// (relative dB on the left, absolute level for the sensitivity `sens` on the
// right) and the frequency grid with its labels.
void DrawAxes(PlotCanvas &canvas, PlotSettings &settings, double sens);

// Axes plus the response as one polyline from 10 to 300 Hz, with the marker
// lines (10 Hz, 16 Hz, and every level of at least 3 but under 4 dB) and the
// fixed verticals at 30, 60, 100, 120 and 240 Hz.
void DrawResponseCurve(PlotCanvas &canvas, PlotSettings &settings, double sens,
                       const double *systemResponse);

// The same for the response plus the crossover response; the markers still
// follow the system response alone.
void DrawCombinedCurve(PlotCanvas &canvas, PlotSettings &settings, double sens,
                       const double *systemResponse, const double *crossoverResponse);

// "Frequency Response Plotter: Frequency response of <manufacturer> <model>."
// and the product's notice; both texts are inserted as they stand.
QString PlotCaption(const QString &manufacturer, const QString &model);

// The legend of the design's key figures, read from the main window's fields.
void DrawLegend(PlotCanvas &canvas, const FieldStore &main);

// The whole picture from the main window's fields and the two arrays:
// the curve (with the crossover response when "Crossover Enabled" is ticked)
// and the legend. Returns the window caption. `image` is made 817 x 481 RGB
// if it is anything else.
QString FormPaint(PlotCanvas &canvas, const FieldStore &main, PlotSettings &settings,
                  const double *systemResponse, const double *crossoverResponse);
QString FormPaint(QImage &image, const FieldStore &main, PlotSettings &settings,
                  const double *systemResponse, const double *crossoverResponse);

} // namespace dravik
