#include "PlotSettings.h"

namespace dravik {

void InitializePlotSettings(PlotSettings &settings, const QColor &buttonFace) {
    settings = PlotSettings{};
    settings.PlotBackgroundColor = buttonFace;
}

} // namespace dravik
