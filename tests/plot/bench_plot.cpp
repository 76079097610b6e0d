#include "MemoryFieldStore.h"
#include "PlotCanvas.h"
#include "PlotMapping.h"
#include "PlotPainter.h"
#include "PlotSettings.h"

#include <QTest>

#include <vector>

using namespace dravik;

namespace {
// The plot settings these tests draw with.
PlotSettings plotSettings;
} // namespace
using dravik::test::MemoryFieldStore;

// How long the plot takes to draw: the lines alone (the 66 grid lines and the
// 291-point curve, as the axes pass and the curve draw them), the clearing
// fill, and the whole picture with its texts.
class BenchPlot : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InitializePlotSettings(plotSettings, QColor(240, 240, 240)); }

    void gridAndCurveLines() {
        std::vector<double> response(1002);
        for (size_t f = 0; f < response.size(); ++f)
            response[f] = -20.0 + 0.07 * double(f);
        QImage image(PlotImageWidth, PlotImageHeight, QImage::Format_RGB32);
        PlotCanvas canvas(image);
        const PlotMapping map{PlotDrawXScale, PlotDrawYScale};
        ClearPlot(canvas, plotSettings);
        QBENCHMARK {
            canvas.setPenColor(plotSettings.PlotGridColor);
            for (int r = 0; r <= 50; ++r) {
                canvas.moveTo(0, map.levelOffset(r) + 50);
                canvas.lineTo(600, map.levelOffset(r) + 50);
            }
            for (int f : {20, 30, 40, 50, 60, 70, 80, 90, 100, 120, 140, 160, 180, 200, 220}) {
                canvas.moveTo(map.x(f), 50);
                canvas.lineTo(map.x(f), 700);
            }
            canvas.moveTo(0, 408);
            for (int f = PlotFirstFrequency; f <= PlotLastFrequency; ++f)
                canvas.lineTo(map.x(f), map.y(response[size_t(f)]));
        }
    }

    void clearPicture() {
        QImage image(PlotImageWidth, PlotImageHeight, QImage::Format_RGB32);
        PlotCanvas canvas(image);
        QBENCHMARK {
            ClearPlot(canvas, plotSettings);
        }
    }

    void axesAndCurveWithLabels() {
        std::vector<double> system(1002, -3.5);
        QImage image(PlotImageWidth, PlotImageHeight, QImage::Format_RGB32);
        PlotCanvas canvas(image);
        QBENCHMARK {
            DrawResponseCurve(canvas, plotSettings, 100, system.data());
        }
    }

    void wholePicture() {
        MemoryFieldStore fields;
        std::vector<double> system(1002, 0.0);
        std::vector<double> crossover(1002, 0.0);
        for (size_t f = 0; f < system.size(); ++f)
            system[f] = -20.0 + 0.07 * double(f);
        QImage image(PlotImageWidth, PlotImageHeight, QImage::Format_RGB32);
        QBENCHMARK {
            FormPaint(image, fields, plotSettings, system.data(), crossover.data());
        }
    }
};

QTEST_MAIN(BenchPlot)
#include "bench_plot.moc"
