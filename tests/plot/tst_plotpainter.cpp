#include "MemoryFieldStore.h"
#include "PlotCanvas.h"
#include "PlotPainter.h"
#include "PlotSettings.h"
#include "PlotTestSupport.h"

#include <QTest>

#include <limits>
#include <vector>

using namespace dravik;

namespace {
// The plot settings these tests draw with.
PlotSettings plotSettings;
} // namespace
using namespace plottest;
using dravik::test::MemoryFieldStore;

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
const double NaN = std::numeric_limits<double>::quiet_NaN();

struct Rendered {
    QImage image;
    QString caption;
    std::vector<PlotText> texts;

    bool hasText(const QString &text, QPoint at) const {
        for (const PlotText &t : texts)
            if (t.text == text && t.position == at)
                return true;
        return false;
    }
    int textsAt(int y) const {
        int n = 0;
        for (const PlotText &t : texts)
            n += t.position.y() == y;
        return n;
    }
};

struct Arrays {
    std::vector<double> system = std::vector<double>(1002, 0.0);
    std::vector<double> crossover = std::vector<double>(1002, 0.0);
};

Rendered render(const FieldStore &fields, const Arrays &arrays) {
    Rendered r;
    r.image = QImage(PlotImageWidth, PlotImageHeight, QImage::Format_RGB32);
    {
        PlotCanvas canvas(r.image);
        r.caption =
            FormPaint(canvas, fields, plotSettings, arrays.system.data(), arrays.crossover.data());
        r.texts = canvas.texts();
    }
    return r;
}

MemoryFieldStore plainStore() {
    MemoryFieldStore store;
    store.setChecked(QStringLiteral("ChkCrossEnabled"), false);
    return store;
}

Rendered renderPlain(const Arrays &arrays = Arrays()) {
    return render(plainStore(), arrays);
}

} // namespace

class TestPlotPainter : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InitializePlotSettings(plotSettings, ButtonFace); }

    void startValuesOfTheSettings() {
        QCOMPARE(plotSettings.PlotBackgroundColor, ButtonFace);
        QCOMPARE(plotSettings.PlotGridColor, QColor(128, 128, 128));
        QCOMPARE(plotSettings.PlotCurveColor, QColor(0, 0, 255));
        QCOMPARE(plotSettings.PlotMarkerColor, QColor(255, 255, 0));
        QCOMPARE(plotSettings.PlotHighlightColor, QColor(255, 0, 0));
    }

    void clearPlotFillsTheWholePicture() {
        QImage image(PlotImageWidth, PlotImageHeight, QImage::Format_RGB32);
        image.fill(Qt::red);
        PlotCanvas canvas(image);
        ClearPlot(canvas, plotSettings);
        QCOMPARE(canvas.brushColor(), ButtonFace);
        QCOMPARE(countColour(image, Background), PlotImageWidth * PlotImageHeight);
    }

    void axesAloneDrawNoCurve() {
        QImage image(PlotImageWidth, PlotImageHeight, QImage::Format_RGB32);
        PlotCanvas canvas(image);
        DrawAxes(canvas, plotSettings, 100);
        QCOMPARE(countColour(image, Curve), 0);
        // The -10 dB line runs from x = 0 to 599; its end point is not painted.
        QCOMPARE(image.pixel(300, 206), Grid);
        QCOMPARE(image.pixel(599, 206), Grid);
        QCOMPARE(image.pixel(600, 206), Background);
    }

    void zeroDbLineInCurveColour_data() {
        QTest::addColumn<bool>("crossover");
        QTest::newRow("plain") << false;
        QTest::newRow("crossover enabled") << true;
    }
    void zeroDbLineInCurveColour() {
        QFETCH(bool, crossover);
        MemoryFieldStore store;
        store.setChecked(QStringLiteral("ChkCrossEnabled"), crossover);
        const Rendered r = render(store, Arrays());
        // From x = 0 to the last point at 300 Hz (whose own pixel is the end
        // of the polyline and stays unpainted).
        for (int x = 0; x < X(300); ++x)
            QCOMPARE(r.image.pixel(x, 50), Curve);
        QCOMPARE(countColour(r.image, Curve, QRect(0, 51, PlotImageWidth, 300)), 0);
    }

    void markerAndLabelAt16Hz() {
        const Rendered r = renderPlain();
        const QPoint label(X(16) - 8, 30);
        QVERIFY(r.hasText(QStringLiteral("16"), label));
        const QRect cell = textCell(QStringLiteral("16"), label);
        QVERIFY(countColour(r.image, Text, cell) > 5);
        for (int y = 0; y < 476; ++y) {
            if (y == 50 || (y >= cell.top() && y <= cell.bottom()))
                continue; // the curve and the label lie over the marker there
            QCOMPARE(r.image.pixel(X(16), y), Marker);
        }
        QVERIFY(r.image.pixel(X(16), 476) != Marker);
        // The 10 Hz marker and its label fall left of the picture.
        QVERIFY(r.hasText(QStringLiteral("10"), QPoint(-60, 30)));
    }

    void highlightVerticals_data() {
        QTest::addColumn<int>("f");
        for (int f : {30, 60, 100, 120, 240})
            QTest::newRow(qPrintable(QString::number(f))) << f;
    }
    void highlightVerticals() {
        QFETCH(int, f);
        const Rendered r = renderPlain();
        const int x = X(f);
        QCOMPARE(r.image.pixel(x, 50), Curve); // the next segment starts on the line
        for (int y = 51; y < 476; ++y)
            QCOMPARE(r.image.pixel(x, y), Highlight);
        QVERIFY(r.image.pixel(x, 476) != Highlight);
        QVERIFY(r.image.pixel(x, 49) != Highlight);
    }

    void frequencyGridLines_data() {
        QTest::addColumn<int>("f");
        for (int f : {20, 30, 40, 50, 60, 70, 80, 90, 100, 120, 140, 160, 180, 200, 220})
            QTest::newRow(qPrintable(QString::number(f))) << f;
    }
    void frequencyGridLines() {
        QFETCH(int, f);
        const Rendered r = renderPlain();
        const int x = X(f);
        const QPoint labelAt(x - 8, 435);
        QVERIFY(r.hasText(QString::number(f), labelAt));
        const QRect label = textCell(QString::number(f), labelAt);
        const bool highlighted = f == 30 || f == 60 || f == 100 || f == 120;
        for (int y = 51; y < PlotImageHeight; ++y) {
            if (highlighted && y < 476) {
                QCOMPARE(r.image.pixel(x, y), Highlight);
                continue;
            }
            if (y >= label.top() && y <= label.bottom())
                continue;
            QCOMPARE(r.image.pixel(x, y), Grid);
        }
        QCOMPARE(r.image.pixel(x, 49), Background);
    }

    void noFrequencyGridAbove220Hz() {
        const Rendered r = renderPlain();
        QCOMPARE(r.textsAt(435), 15);
        QCOMPARE(countColour(r.image, Grid, QRect(X(240), 477, 1, 4)), 0);
        QCOMPARE(countColour(r.image, Grid, QRect(X(221), 477, X(301) - X(221), 4)), 0);
    }

    void markerForLevelsFromThreeToFour_data() {
        QTest::addColumn<double>("level");
        QTest::addColumn<bool>("marker");
        QTest::newRow("3.0") << 3.0 << true;
        QTest::newRow("3.5") << 3.5 << true;
        QTest::newRow("3.999") << 3.999 << true;
        QTest::newRow("4.0") << 4.0 << false;
        QTest::newRow("2.999") << 2.999 << false;
        QTest::newRow("-3") << -3.0 << false;
        QTest::newRow("-3.5") << -3.5 << false;
        QTest::newRow("NaN") << NaN << false;
        QTest::newRow("+inf") << Inf << false;
    }
    void markerForLevelsFromThreeToFour() {
        QFETCH(double, level);
        QFETCH(bool, marker);
        Arrays arrays;
        arrays.system[45] = level;
        const Rendered r = renderPlain(arrays);
        const int yellow = countColour(r.image, Marker, QRect(X(45), 110, 1, 476 - 110));
        QCOMPARE(yellow, marker ? 476 - 110 : 0);
        QCOMPARE(r.hasText(QStringLiteral("45"), QPoint(X(45) - 8, 30)), marker);
        if (marker)
            QVERIFY(r.image.pixel(X(45), 476) != Marker);
    }

    void markerFollowsTheSystemResponseAlone_data() {
        QTest::addColumn<double>("system");
        QTest::addColumn<double>("crossover");
        QTest::addColumn<bool>("marker");
        QTest::newRow("system 3.5, crossover -10") << 3.5 << -10.0 << true;
        QTest::newRow("system 0, crossover 3.5") << 0.0 << 3.5 << false;
    }
    void markerFollowsTheSystemResponseAlone() {
        QFETCH(double, system);
        QFETCH(double, crossover);
        QFETCH(bool, marker);
        Arrays arrays;
        arrays.system[45] = system;
        arrays.crossover[45] = crossover;
        const Rendered r = render(MemoryFieldStore(), arrays);
        QCOMPARE(r.hasText(QStringLiteral("45"), QPoint(X(45) - 8, 30)), marker);
    }

    void crossoverCurveDiffersOnlyInItsFirstSegment() {
        MemoryFieldStore combined;
        combined.setChecked(QStringLiteral("ChkCrossEnabled"), true);
        const Rendered withCrossover = render(combined, Arrays());
        const Rendered plain = renderPlain();
        const QRect differing = differingArea(plain.image, withCrossover.image);
        // The first segments run from (0, 408) or (0, 370) steeply up to the
        // 10 Hz point far left; only their first pixels at x = 0 show.
        QVERIFY(!differing.isEmpty());
        QVERIFY2(QRect(0, 367, 1, 408 - 367 + 1).contains(differing),
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(differing.x())
                                .arg(differing.y())
                                .arg(differing.width())
                                .arg(differing.height())));
        QCOMPARE(plain.image.pixel(0, 408), White);
        QCOMPARE(withCrossover.image.pixel(0, 370), Curve);
        QCOMPARE(countColour(withCrossover.image, White), 0);
    }

    void crossoverResponseIsAddedWhenEnabled() {
        Arrays arrays;
        for (double &v : arrays.crossover)
            v = -2;
        const Rendered combined = render(MemoryFieldStore(), arrays);
        const Rendered plain = renderPlain(arrays);
        // -2 dB lies 31 pixels below the 0 dB line.
        QCOMPARE(combined.image.pixel(X(50), 81), Curve);
        QCOMPARE(plain.image.pixel(X(50), 81), Grid);
        QCOMPARE(plain.image.pixel(X(50), 50), Curve);
    }

    void curvePointAt25HzShowsTheResponse() {
        Arrays arrays;
        for (double &v : arrays.system)
            v = -6;
        arrays.system[25] = -7.5;
        const Rendered r = renderPlain(arrays);
        // -7.5 dB: 7.5 * 15.68 = 117.6 pixels below the 0 dB line, truncated.
        QCOMPARE(r.image.pixel(X(25), 50 + 117), Curve);
        QCOMPARE(r.image.pixel(X(40), 50 + 94), Curve);
    }

    void oddLevelsDrawWithoutFailing_data() {
        QTest::addColumn<double>("level");
        QTest::newRow("NaN") << NaN;
        QTest::newRow("+inf") << Inf;
        QTest::newRow("-inf") << -Inf;
        QTest::newRow("1e308") << 1e308;
        QTest::newRow("-1e308") << -1e308;
    }
    void oddLevelsDrawWithoutFailing() {
        QFETCH(double, level);
        Arrays arrays;
        for (double &v : arrays.system)
            v = level;
        const Rendered r = renderPlain(arrays);
        // The whole curve lies far off the picture: nothing in the curve
        // colour shows, but the rest of the picture is drawn.
        QCOMPARE(countColour(r.image, Curve), 0);
        QVERIFY(countColour(r.image, Highlight) > 5 * 400);
        QVERIFY(r.hasText(QStringLiteral("Lv With End Corr. & No of Ports:"), QPoint(702, 158)));
    }

    // Levels that jump between the extremes send every segment of the curve
    // from far above the picture to far below it: each line still visits no
    // more steps than one across the picture.
    void alternatingOddLevelsDrawBoundedLines() {
        Arrays arrays;
        const double odd[] = {NaN, Inf, -1e308, 1e308, -Inf, 3.5};
        for (size_t f = 0; f < arrays.system.size(); ++f) {
            arrays.system[f] = odd[f % 6];
            arrays.crossover[f] = odd[(f + 1) % 6];
        }
        for (bool crossover : {false, true}) {
            MemoryFieldStore store;
            store.setChecked(QStringLiteral("ChkCrossEnabled"), crossover);
            QImage image(PlotImageWidth, PlotImageHeight, QImage::Format_RGB32);
            PlotCanvas canvas(image);
            FormPaint(canvas, store, plotSettings, arrays.system.data(), arrays.crossover.data());
            const int curveSegments = PlotLastFrequency - PlotFirstFrequency;
            QVERIFY(canvas.linesDrawn() > curveSegments);
            QVERIFY(canvas.lineSteps() <= canvas.linesDrawn() * qint64(PlotImageWidth));
            QVERIFY(countColour(image, Curve) > 0);
        }
    }

    void leftLabels_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("y");
        QTest::newRow("+5") << QStringLiteral("+5") << -36;
        QTest::newRow("+4") << QStringLiteral("+4") << -20;
        QTest::newRow("+3") << QStringLiteral("+3") << -5;
        QTest::newRow("+2") << QStringLiteral("+2") << 11;
        QTest::newRow("+1") << QStringLiteral("+1") << 27;
        QTest::newRow("+0") << QStringLiteral("+0") << 42;
        QTest::newRow("0") << QStringLiteral("0") << 42;
        QTest::newRow("-1") << QStringLiteral("-1") << 57;
        QTest::newRow("-10") << QStringLiteral("-10") << 198;
        QTest::newRow("-27") << QStringLiteral("-27") << 465;
        QTest::newRow("-50") << QStringLiteral("-50") << 826;
    }
    void leftLabels() {
        QFETCH(QString, text);
        QFETCH(int, y);
        const Rendered r = renderPlain();
        QVERIFY(r.hasText(text, QPoint(0, y)));
        for (const PlotText &t : r.texts)
            QVERIFY(!t.text.contains(QStringLiteral("-0")));
    }

    void rightLabelsFollowSens_data() {
        QTest::addColumn<QString>("sens");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("100") << QStringLiteral("100")
                             << QStringList{QStringLiteral("100"), QStringLiteral("99"),
                                            QStringLiteral("98")};
        QTest::newRow("90") << QStringLiteral("90")
                            << QStringList{QStringLiteral("90"), QStringLiteral("89"),
                                           QStringLiteral("88")};
        QTest::newRow("87.6") << QStringLiteral("87.6")
                              << QStringList{QStringLiteral("88"), QStringLiteral("87"),
                                             QStringLiteral("86")};
        QTest::newRow("not a number")
            << QStringLiteral("abc")
            << QStringList{QStringLiteral("0"), QStringLiteral("-1"), QStringLiteral("-2")};
    }
    void rightLabelsFollowSens() {
        QFETCH(QString, sens);
        QFETCH(QStringList, labels);
        MemoryFieldStore store = plainStore();
        store.setText(QStringLiteral("ESens"), sens);
        const Rendered r = render(store, Arrays());
        const int rows[] = {42, 57, 73}; // 50 - 8 + 0, 15 and 31 pixels
        for (int i = 0; i < labels.size(); ++i)
            QVERIFY2(r.hasText(labels[i], QPoint(570, rows[i])), qPrintable(labels[i]));
    }

    // Only the right-hand labels change with the sensitivity, and they look
    // like the same numbers written alone.
    void sensChangesOnlyTheRightLabels() {
        MemoryFieldStore store = plainStore();
        const Rendered at100 = render(store, Arrays());
        store.setText(QStringLiteral("ESens"), QStringLiteral("90"));
        const Rendered at90 = render(store, Arrays());
        const QRect differing = differingArea(at100.image, at90.image);
        QVERIFY(!differing.isEmpty());
        QVERIFY(differing.left() >= 570);
        QVERIFY(differing.right() < 600);

        const QPoint at(570, 57);
        const QRect cell = textCell(QStringLiteral("99"), at);
        const QImage alone = textByPainter(QStringLiteral("99"), at);
        QCOMPARE(at100.image.copy(cell), alone.copy(cell));
        QVERIFY(at90.image.copy(cell) != alone.copy(cell));
    }

    void caption_data() {
        QTest::addColumn<QString>("manufacturer");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("caption");
        QTest::newRow("start texts")
            << QStringLiteral("Fane") << QStringLiteral("Colossus 18 XB")
            << QStringLiteral("Frequency Response Plotter: Frequency response of Fane Colossus "
                              "18 XB. - subwoofer enclosure designer, version 2.0");
        QTest::newRow("format characters stay literal")
            << QStringLiteral("%s") << QStringLiteral("100%2")
            << QStringLiteral("Frequency Response Plotter: Frequency response of %s 100%2. - "
                              "subwoofer enclosure designer, version 2.0");
        QTest::newRow("empty") << QString() << QString()
                               << QStringLiteral("Frequency Response Plotter: Frequency response "
                                                 "of  . - subwoofer enclosure designer, version "
                                                 "2.0");
    }
    void caption() {
        QFETCH(QString, manufacturer);
        QFETCH(QString, model);
        QFETCH(QString, caption);
        MemoryFieldStore store;
        store.setText(QStringLiteral("EManufacturer"), manufacturer);
        store.setText(QStringLiteral("EModel"), model);
        QCOMPARE(render(store, Arrays()).caption, caption);
        QCOMPARE(PlotCaption(manufacturer, model), caption);
    }

    void legend_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QString>("text");
        const char *none = "";
        const auto row = [](const char *name, const char *field, const char *value, QPoint at,
                            const char *text) {
            QTest::newRow(name) << QString::fromUtf8(field) << QString::fromUtf8(value) << at
                                << QString::fromUtf8(text);
        };
        row("Vb", "EVb", "240", QPoint(610, 50), "Vb:240 l");
        row("Vb no decimals", "EVb", "239.5", QPoint(610, 50), "Vb:240 l");
        row("Vb not a number", "EVb", "abc", QPoint(610, 50), "Vb:0 l");
        row("Fb", "EFb", "22", QPoint(610, 68), "Fb:22 Hz");
        row("Fb never -0", "EFb", "-0.2", QPoint(610, 68), "Fb:0 Hz");
        row("Crossover 1", none, none, QPoint(610, 104), "Crossover 1");
        row("Crossover 2", none, none, QPoint(610, 176), "Crossover 2");
        row("Crossover 4", none, none, QPoint(610, 320), "Crossover 4");
        row("SPL 100W", "ESPL100W", "118.43", QPoint(702, 50), "SPL 100W @ 25 Hz:118.43 dB");
        row("SPL 100W literal", "ESPL100W", "%s%2", QPoint(702, 50), "SPL 100W @ 25 Hz:%s%2 dB");
        row("SPL Ref start text", none, none, QPoint(702, 68), "SPL Ref:ESPLRef dB");
        row("Recommended", "ERecPwr", "400.00", QPoint(702, 86), "Recommended Pwr:400.00 W");
        row("that results", "ERecPwrResult", "120.5", QPoint(702, 104), "that results:120.5 dB");
        row("Port Diameter in mm", none, none, QPoint(702, 122), "Port Diameter:152 mm");
        row("Port Length in mm", "EVentLength", "331.42", QPoint(702, 140),
            "Port Length (1 port):331.42 mm");
        row("Lv", none, none, QPoint(702, 158), "Lv With End Corr. & No of Ports:");
    }
    void legend() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QPoint, at);
        QFETCH(QString, text);
        MemoryFieldStore store;
        if (!field.isEmpty())
            store.setText(field, value);
        const Rendered r = render(store, Arrays());
        QVERIFY(r.hasText(text, at));
        // The legend is written last, over the curve, exactly as laid out, in
        // its own narrow face.
        const QFont font = PlotCanvas::legendFont();
        const QRect cell = textCell(text, at, font);
        QCOMPARE(r.image.copy(cell),
                 textByPainter(text, at, Background, QSize(817, 481), font).copy(cell));
    }

    // With the figures a real design gives, every legend text ends inside the
    // picture: no text reaches its last columns.
    void legendFitsThePicture_data() {
        QTest::addColumn<QStringList>("fields"); // NAME=TEXT
        QTest::newRow("default design after Calculate from Vb and Fb")
            << QStringList{"ESPL100W=112.63",    "ERecPwr=300.00", "ERecPwrResult=117.40",
                           "EVentLength=331.42", "EVb=240.00",     "EFb=22.00"};
        QTest::newRow("sensitivity typed as 103.45")
            << QStringList{"ESens=103.45",         "ESPL100W=116.08",    "ERecPwr=300.00",
                           "ERecPwrResult=120.85", "EVentLength=331.42", "ESPLRef=103.45"};
        QTest::newRow("large figures with two decimals") << QStringList{
            "ESPL100W=-116.08", "ESPLRef=101.25",      "ERecPwr=1250.00", "ERecPwrResult=131.92",
            "EVentDiam=203.20", "EVentLength=1331.42", "EVb=1250.00",     "EFb=19.50"};
    }
    void legendFitsThePicture() {
        QFETCH(QStringList, fields);
        MemoryFieldStore store;
        for (const QString &f : fields)
            store.setText(f.section('=', 0, 0), f.section('=', 1));
        const Rendered r = render(store, Arrays());
        const size_t legend = 12;
        for (size_t i = r.texts.size() - legend; i < r.texts.size(); ++i) {
            const PlotText &t = r.texts[i];
            const int right =
                t.position.x() + PlotCanvas::textCell(t.text, PlotCanvas::legendFont()).width();
            QVERIFY2(right <= 814, qPrintable(t.text + " ends at " + QString::number(right)));
        }
        QCOMPARE(countColour(r.image, Text, QRect(813, 0, 4, 481)), 0);
    }

    void legendIsWrittenLastInTableOrder() {
        const Rendered r = render(MemoryFieldStore(), Arrays());
        const QList<QPoint> order = {{610, 50},  {610, 68},  {610, 104}, {610, 176},
                                     {610, 320}, {702, 50},  {702, 68},  {702, 86},
                                     {702, 104}, {702, 122}, {702, 140}, {702, 158}};
        QVERIFY(r.texts.size() > size_t(order.size()));
        const size_t first = r.texts.size() - size_t(order.size());
        for (int i = 0; i < order.size(); ++i)
            QCOMPARE(r.texts[first + size_t(i)].position, order[i]);
        for (const PlotText &t : r.texts)
            QVERIFY2(!t.text.endsWith(QStringLiteral(" cm")), qPrintable(t.text));
    }

    void scaleFactorsAreResetByEveryAxesPass() {
        const Rendered reference = render(MemoryFieldStore(), Arrays());
        plotSettings.PlotXScale = 3;
        plotSettings.PlotYScale = 3;
        const Rendered r = render(MemoryFieldStore(), Arrays());
        QCOMPARE(r.image, reference.image);
        QCOMPARE(plotSettings.PlotXScale, 1.0);
        QCOMPARE(plotSettings.PlotYScale, 0.7);
    }

    // No antialiasing anywhere: every pixel is one of the drawing colours.
    void onlyDrawingColoursAppear() {
        Arrays arrays;
        for (int f = 0; f < 1002; ++f)
            arrays.system[f] = -12.0 + 0.05 * f;
        const Rendered r = render(MemoryFieldStore(), arrays);
        const QRgb allowed[] = {Background, Grid, Curve, Marker, Highlight, White, Text};
        for (int y = 0; y < r.image.height(); ++y) {
            for (int x = 0; x < r.image.width(); ++x) {
                const QRgb p = r.image.pixel(x, y);
                QVERIFY2(std::find(std::begin(allowed), std::end(allowed), p) != std::end(allowed),
                         qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            }
        }
    }

    void formPaintMakesThePictureWhenGivenAnyImage() {
        QImage image;
        Arrays arrays;
        const QString caption = FormPaint(image, MemoryFieldStore(), plotSettings,
                                          arrays.system.data(), arrays.crossover.data());
        QCOMPARE(image.size(), QSize(817, 481));
        QCOMPARE(image.format(), QImage::Format_RGB32);
        QVERIFY(caption.startsWith(QStringLiteral("Frequency Response Plotter:")));
        QCOMPARE(image, render(MemoryFieldStore(), arrays).image);
    }
};

QTEST_MAIN(TestPlotPainter)
#include "tst_plotpainter.moc"
