#include "PlotPainter.h"

#include "NumberText.h"
#include "PlotMapping.h"
#include "PlotSettings.h"
#include "Product.h"

#include <algorithm>
#include <iterator>

namespace dravik {

namespace {

constexpr int GridRight = 600;
constexpr int GridBottom = 700; // frequency grid lines run off the picture
constexpr int MarkerBottom = 476;
constexpr int MarkerLabelY = 30;
constexpr int FrequencyLabelY = 435;
constexpr int LabelRaise = 8;  // labels sit this far above their grid line
constexpr int LabelCentre = 8; // frequency labels start this far left of their line
constexpr int RightLabelX = 570;
constexpr int PlainCurveStartY = 408;
constexpr int CombinedCurveStartY = 370;

PlotMapping drawingMapping(const PlotSettings &settings) {
    return PlotMapping{settings.PlotXScale, settings.PlotYScale};
}

QString wholeNumber(double v) {
    return FormatFieldValue(v, 0);
}

// The frequencies of the grid lines; none above 220 Hz.
constexpr int GridFrequencies[] = {20,  30,  40,  50,  60,  70,  80, 90,
                                   100, 120, 140, 160, 180, 200, 220};

bool isFrequencyGridLine(int f) {
    return std::find(std::begin(GridFrequencies), std::end(GridFrequencies), f) !=
           std::end(GridFrequencies);
}

bool isHighlightFrequency(int f) {
    return f == 30 || f == 60 || f == 120 || f == 240 || f == 100;
}

// The whole part of the level is 3. Written as a range so that NaN, infinite
// and huge levels simply fail the test instead of being truncated.
bool isMarkerLevel(double level) {
    return 3.0 <= level && level < 4.0;
}

void drawLevelGrid(PlotCanvas &canvas, const PlotMapping &map, double sens) {
    for (int r = -5; r <= 0; ++r)
        canvas.textOut(0, map.levelOffset(r) + PlotZeroLevelY - LabelRaise,
                       QStringLiteral("+") + wholeNumber(-r));
    for (int r = 0; r <= 50; ++r) {
        const int d = map.levelOffset(r);
        canvas.moveTo(0, d + PlotZeroLevelY);
        canvas.lineTo(GridRight, d + PlotZeroLevelY);
        canvas.textOut(0, d + PlotZeroLevelY - LabelRaise, wholeNumber(-static_cast<double>(r)));
        // A plain difference: it only labels the grid, and no number may stop
        // the drawing.
        canvas.textOut(RightLabelX, d + PlotZeroLevelY - LabelRaise, wholeNumber(sens - r));
    }
}

void drawFrequencyGrid(PlotCanvas &canvas, const PlotSettings &settings, const PlotMapping &map) {
    for (int f = 11; f <= 301; ++f) {
        if (!isFrequencyGridLine(f))
            continue;
        const int x = map.x(f);
        canvas.setPenColor(settings.PlotGridColor);
        canvas.moveTo(x, PlotZeroLevelY);
        canvas.lineTo(x, GridBottom);
        canvas.setPenColor(settings.PlotMarkerColor);
        canvas.textOut(x - LabelCentre, FrequencyLabelY, wholeNumber(f));
    }
}

void drawMarker(PlotCanvas &canvas, const PlotSettings &settings, int x, int f) {
    canvas.setPenColor(settings.PlotMarkerColor);
    canvas.moveTo(x, 0);
    canvas.lineTo(x, MarkerBottom);
    canvas.setPenColor(settings.PlotCurveColor);
    canvas.textOut(x - LabelCentre, MarkerLabelY, wholeNumber(f));
}

void drawHighlight(PlotCanvas &canvas, const PlotSettings &settings, int x) {
    canvas.setPenColor(settings.PlotHighlightColor);
    canvas.moveTo(x, PlotZeroLevelY);
    canvas.lineTo(x, MarkerBottom);
    canvas.setPenColor(settings.PlotCurveColor);
}

// The polyline with its markers. `crossoverResponse` is added to the plotted
// level when given; the marker test always looks at the system response.
void drawCurve(PlotCanvas &canvas, const PlotSettings &settings, int startY,
               const QColor &startColor, const double *systemResponse,
               const double *crossoverResponse) {
    const PlotMapping map = drawingMapping(settings);
    canvas.moveTo(0, startY);
    canvas.setPenColor(startColor);
    for (int f = PlotFirstFrequency; f <= PlotLastFrequency; ++f) {
        const double system = systemResponse[f];
        // A plain sum: odd levels (infinities of both signs) become NaN and
        // are clipped by the mapping instead of stopping the drawing.
        const double level = crossoverResponse ? system + crossoverResponse[f] : system;
        const int x = map.x(f);
        const int y = map.y(level);
        canvas.lineTo(x, y);
        if (f == 10 || f == 16 || isMarkerLevel(system))
            drawMarker(canvas, settings, x, f);
        if (isHighlightFrequency(f))
            drawHighlight(canvas, settings, x);
        canvas.moveTo(x, y);
    }
}

} // namespace

void ClearPlot(PlotCanvas &canvas, const PlotSettings &settings) {
    canvas.setBrushColor(settings.PlotBackgroundColor);
    canvas.fillRect(0, 0, 1023, 767);
}

void DrawAxes(PlotCanvas &canvas, PlotSettings &settings, double sens) {
    ClearPlot(canvas, settings);
    settings.PlotYScale = PlotDrawYScale;
    settings.PlotXScale = PlotDrawXScale;
    canvas.setPenColor(settings.PlotGridColor);
    canvas.setBrushColor(settings.PlotBackgroundColor);
    const PlotMapping map = drawingMapping(settings);
    drawLevelGrid(canvas, map, sens);
    drawFrequencyGrid(canvas, settings, map);
}

void DrawResponseCurve(PlotCanvas &canvas, PlotSettings &settings, double sens,
                       const double *systemResponse) {
    DrawAxes(canvas, settings, sens);
    // Only the first segment, which ends left of the picture, is white: the
    // 10 Hz marker switches the pen to the curve colour.
    drawCurve(canvas, settings, PlainCurveStartY, QColor(255, 255, 255), systemResponse, nullptr);
}

void DrawCombinedCurve(PlotCanvas &canvas, PlotSettings &settings, double sens,
                       const double *systemResponse, const double *crossoverResponse) {
    DrawAxes(canvas, settings, sens);
    drawCurve(canvas, settings, CombinedCurveStartY, settings.PlotCurveColor, systemResponse,
              crossoverResponse);
}

QString PlotCaption(const QString &manufacturer, const QString &model) {
    return QStringLiteral("Frequency Response Plotter: Frequency response of ") + manufacturer +
           QLatin1Char(' ') + model + QStringLiteral(". ") + QString::fromUtf8(ProductNotice);
}

void DrawLegend(PlotCanvas &canvas, const FieldStore &main) {
    canvas.setFont(PlotCanvas::legendFont());
    const auto field = [&main](Field f) { return main.text(f); };
    const double vb = ParseFieldText(field(Field::EVb));
    const double fb = ParseFieldText(field(Field::EFb));
    canvas.textOut(610, 50, QStringLiteral("Vb:") + wholeNumber(vb) + QStringLiteral(" l"));
    canvas.textOut(610, 68, QStringLiteral("Fb:") + wholeNumber(fb) + QStringLiteral(" Hz"));
    canvas.textOut(610, 104, QStringLiteral("Crossover 1"));
    canvas.textOut(610, 176, QStringLiteral("Crossover 2"));
    canvas.textOut(610, 320, QStringLiteral("Crossover 4"));
    canvas.textOut(702, 50,
                   QStringLiteral("SPL 100W @ 25 Hz:") + field(Field::ESPL100W) +
                       QStringLiteral(" dB"));
    canvas.textOut(702, 68,
                   QStringLiteral("SPL Ref:") + field(Field::ESPLRef) + QStringLiteral(" dB"));
    canvas.textOut(
        702, 86, QStringLiteral("Recommended Pwr:") + field(Field::ERecPwr) + QStringLiteral(" W"));
    canvas.textOut(702, 104,
                   QStringLiteral("that results:") + field(Field::ERecPwrResult) +
                       QStringLiteral(" dB"));
    // Both vent fields hold millimetres.
    canvas.textOut(702, 122,
                   QStringLiteral("Port Diameter:") + field(Field::EVentDiam) +
                       QStringLiteral(" mm"));
    canvas.textOut(702, 140,
                   QStringLiteral("Port Length (1 port):") + field(Field::EVentLength) +
                       QStringLiteral(" mm"));
    canvas.textOut(702, 158, QStringLiteral("Lv With End Corr. & No of Ports:"));
    canvas.setFont(PlotCanvas::font());
}

QString FormPaint(PlotCanvas &canvas, const FieldStore &main, PlotSettings &settings,
                  const double *systemResponse, const double *crossoverResponse) {
    const QString caption = PlotCaption(main.text(Field::EManufacturer), main.text(Field::EModel));
    const double sens = ParseFieldText(main.text(Field::ESens));
    if (main.isChecked(Check::ChkCrossEnabled))
        DrawCombinedCurve(canvas, settings, sens, systemResponse, crossoverResponse);
    else
        DrawResponseCurve(canvas, settings, sens, systemResponse);
    DrawLegend(canvas, main);
    return caption;
}

QString FormPaint(QImage &image, const FieldStore &main, PlotSettings &settings,
                  const double *systemResponse, const double *crossoverResponse) {
    if (image.width() != PlotImageWidth || image.height() != PlotImageHeight ||
        image.format() != QImage::Format_RGB32)
        image = QImage(PlotImageWidth, PlotImageHeight, QImage::Format_RGB32);
    PlotCanvas canvas(image);
    return FormPaint(canvas, main, settings, systemResponse, crossoverResponse);
}

} // namespace dravik
