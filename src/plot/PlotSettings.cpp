#include "PlotSettings.h"

namespace dravik {

// Until start-up sets them these hold the start values with a light grey
// standing in for the button face, so a plot drawn early still looks right.
QColor PlotBackgroundColor(240, 240, 240);
QColor PlotGridColor(128, 128, 128);
QColor PlotCurveColor(0, 0, 255);
QColor PlotMarkerColor(255, 255, 0);
QColor PlotHighlightColor(255, 0, 0);
double PlotXScale = PlotDrawXScale;
double PlotYScale = PlotDrawYScale;

void InitializePlotSettings(const QColor &buttonFace) {
    PlotBackgroundColor = buttonFace;
    PlotGridColor = QColor(128, 128, 128);
    PlotCurveColor = QColor(0, 0, 255);
    PlotMarkerColor = QColor(255, 255, 0);
    PlotHighlightColor = QColor(255, 0, 0);
    PlotXScale = PlotDrawXScale;
    PlotYScale = PlotDrawYScale;
}

} // namespace dravik
