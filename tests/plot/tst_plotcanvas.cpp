#include "PlotCanvas.h"
#include "PlotMapping.h"
#include "PlotTestSupport.h"

#include <QTest>

#include <algorithm>
#include <random>

using namespace dravik;

namespace {

const QRgb Blank = qRgb(10, 20, 30);
const QRgb Pen = qRgb(0, 0, 255);

QImage blankImage(int w = 817, int h = 481) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Blank);
    return image;
}

QList<QPoint> paintedPixels(const QImage &image) {
    QList<QPoint> points;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != Blank)
                points.append(QPoint(x, y));
    return points;
}

// A line stepped naively over every step, plotting only what is inside: the
// canvas must give the same pixels however far outside the ends lie.
QImage naiveLine(QPoint a, QPoint b, int w, int h) {
    QImage image = blankImage(w, h);
    const long long dx = b.x() - a.x();
    const long long dy = b.y() - a.y();
    const long long steps = std::max(std::llabs(dx), std::llabs(dy));
    for (long long i = 0; i < steps; ++i) {
        // Nearest pixel to the exact point, halves away from the start.
        const auto along = [&](long long d) {
            const long long n = 2 * i * std::llabs(d) + steps;
            return (d < 0 ? -1 : 1) * (n / (2 * steps));
        };
        const long long x = a.x() + along(dx);
        const long long y = a.y() + along(dy);
        if (x >= 0 && x < w && y >= 0 && y < h)
            image.setPixel(int(x), int(y), Pen);
    }
    return image;
}

} // namespace

class TestPlotCanvas : public QObject {
    Q_OBJECT
private slots:
    void lineToLeavesEndPointUnpainted() {
        QImage image = blankImage(20, 10);
        {
            PlotCanvas canvas(image);
            canvas.setPenColor(QColor(Pen));
            canvas.moveTo(0, 5);
            canvas.lineTo(10, 5);
            QCOMPARE(canvas.penPosition(), QPoint(10, 5));
        }
        const QList<QPoint> painted = paintedPixels(image);
        QCOMPARE(painted.size(), 10);
        for (int x = 0; x < 10; ++x)
            QCOMPARE(image.pixel(x, 5), Pen);
        QCOMPARE(image.pixel(10, 5), Blank);
    }

    void lineToThePenPositionPaintsNothing() {
        QImage image = blankImage(20, 10);
        {
            PlotCanvas canvas(image);
            canvas.moveTo(3, 3);
            canvas.lineTo(3, 3);
        }
        QVERIFY(paintedPixels(image).isEmpty());
    }

    // A polyline paints each joint once, as the start of the next segment.
    void polylineJointsBelongToTheNextSegment() {
        QImage image = blankImage(20, 10);
        {
            PlotCanvas canvas(image);
            canvas.setPenColor(QColor(Pen));
            canvas.moveTo(0, 0);
            canvas.lineTo(4, 0);
            canvas.lineTo(4, 4);
        }
        const QList<QPoint> expected = {QPoint(0, 0), QPoint(1, 0), QPoint(2, 0), QPoint(3, 0),
                                        QPoint(4, 0), QPoint(4, 1), QPoint(4, 2), QPoint(4, 3)};
        QCOMPARE(paintedPixels(image), expected);
    }

    void shallowLineRoundsToNearestRow_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        // (0,0) to (10,3): y = 0.3 i rounded, 1.5 going up.
        const int rows[] = {0, 0, 1, 1, 1, 2, 2, 2, 2, 3};
        for (int x = 0; x < 10; ++x)
            QTest::newRow(qPrintable(QStringLiteral("x=%1").arg(x))) << x << rows[x];
    }
    void shallowLineRoundsToNearestRow() {
        QFETCH(int, x);
        QFETCH(int, y);
        QImage image = blankImage(20, 10);
        {
            PlotCanvas canvas(image);
            canvas.setPenColor(QColor(Pen));
            canvas.moveTo(0, 0);
            canvas.lineTo(10, 3);
        }
        QCOMPARE(image.pixel(x, y), Pen);
        int inColumn = 0;
        for (int row = 0; row < 10; ++row)
            inColumn += image.pixel(x, row) == Pen;
        QCOMPARE(inColumn, 1);
    }

    void steepLineGoingUpAndLeft() {
        QImage image = blankImage(20, 20);
        {
            PlotCanvas canvas(image);
            canvas.setPenColor(QColor(Pen));
            canvas.moveTo(5, 10);
            canvas.lineTo(3, 0);
        }
        // x = 5 - 0.2 i rounded: 5 for i 0..2, 4 for 3..7, 3 for 8..9.
        const QList<QPoint> painted = paintedPixels(image);
        QCOMPARE(painted.size(), 10);
        for (int i = 0; i < 10; ++i) {
            const int x = i <= 2 ? 5 : (i <= 7 ? 4 : 3);
            QCOMPARE(image.pixel(x, 10 - i), Pen);
        }
    }

    void linesFromFarOutsideAreClipped() {
        QImage image = blankImage();
        {
            PlotCanvas canvas(image);
            canvas.setPenColor(QColor(Pen));
            canvas.moveTo(-PlotPixelLimit, 240);
            canvas.lineTo(PlotPixelLimit, 240);
            canvas.moveTo(400, PlotPixelLimit);
            canvas.lineTo(400, -PlotPixelLimit);
        }
        QCOMPARE(paintedPixels(image).size(), 817 + 481 - 1);
        QCOMPARE(image.pixel(0, 240), Pen);
        QCOMPARE(image.pixel(816, 240), Pen);
        QCOMPARE(image.pixel(400, 0), Pen);
        QCOMPARE(image.pixel(400, 480), Pen);
    }

    // Coordinates beyond the limit (even the int range's ends) are clamped.
    void extremeCoordinatesDoNotOverflow() {
        QImage image = blankImage();
        PlotCanvas canvas(image);
        canvas.setPenColor(QColor(Pen));
        canvas.moveTo(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
        canvas.lineTo(std::numeric_limits<int>::max(), std::numeric_limits<int>::min());
        QCOMPARE(canvas.penPosition(), QPoint(PlotPixelLimit, -PlotPixelLimit));
    }

    void clippedLinesMatchNaiveStepping() {
        std::mt19937 random(12345);
        std::uniform_int_distribution<int> coordinate(-300, 400);
        const int w = 100, h = 60;
        for (int n = 0; n < 300; ++n) {
            const QPoint a(coordinate(random), coordinate(random));
            const QPoint b(coordinate(random), coordinate(random));
            QImage image = blankImage(w, h);
            {
                PlotCanvas canvas(image);
                canvas.setPenColor(QColor(Pen));
                canvas.moveTo(a.x(), a.y());
                canvas.lineTo(b.x(), b.y());
            }
            QVERIFY2(
                image == naiveLine(a, b, w, h),
                qPrintable(
                    QStringLiteral("(%1,%2)-(%3,%4)").arg(a.x()).arg(a.y()).arg(b.x()).arg(b.y())));
        }
    }

    void fillRectExcludesRightAndBottom() {
        QImage image = blankImage(20, 10);
        {
            PlotCanvas canvas(image);
            canvas.setBrushColor(QColor(Pen));
            canvas.fillRect(2, 3, 5, 6);
            canvas.fillRect(-100, -100, -1, 50); // wholly outside
        }
        QCOMPARE(paintedPixels(image).size(), 9);
        QCOMPARE(image.pixel(2, 3), Pen);
        QCOMPARE(image.pixel(4, 5), Pen);
        QCOMPARE(image.pixel(5, 5), Blank);
        QCOMPARE(image.pixel(4, 6), Blank);
    }

    // The canvas writes a text exactly as QPainter draws it on a filled cell,
    // also where the cell is cut by the picture's edge.
    void textOutLooksLikeThePainterDrawsIt_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QPoint>("at");
        QTest::newRow("inside") << QStringLiteral("Port Diameter:152 mm") << QPoint(702, 122);
        QTest::newRow("cut at the top") << QStringLiteral("+3") << QPoint(0, -5);
        QTest::newRow("cut at the left") << QStringLiteral("10") << QPoint(-6, 30);
        QTest::newRow("cut at the right")
            << QStringLiteral("SPL 100W @ 25 Hz:118.43 dB") << QPoint(702, 50);
        QTest::newRow("cut at the bottom") << QStringLiteral("-27") << QPoint(0, 475);
        QTest::newRow("literal percent") << QStringLiteral("%s%2 &&") << QPoint(100, 100);
        // Only the part that reaches the picture is rendered.
        QTest::newRow("32,000 characters")
            << QStringLiteral("SPL 100W @ 25 Hz:") + QString(32000, QChar('8')) << QPoint(702, 50);
        QTest::newRow("32,000 characters from the left")
            << QString(16000, QChar('W')) + QString(16000, QChar(0x00e9)) << QPoint(-40, 200);
    }
    void textOutLooksLikeThePainterDrawsIt() {
        QFETCH(QString, text);
        QFETCH(QPoint, at);
        QImage image(817, 481, QImage::Format_RGB32);
        image.fill(plottest::Background);
        {
            PlotCanvas canvas(image);
            canvas.setBrushColor(QColor(qRgb(255, 255, 255)));
            canvas.textOut(at.x(), at.y(), text);
            canvas.textOut(at.x(), at.y(), text); // the second time from the cache
        }
        QCOMPARE(image, plottest::textByPainter(text, at, qRgb(255, 255, 255)));
        QCOMPARE(PlotCanvas::textCell(text), plottest::textCell(text, at).size());
    }

    // However many and however long the texts, the rendered ones kept take a
    // few megabytes at most.
    void textCacheIsBoundedInBytes() {
        QImage image = blankImage(817, 481);
        PlotCanvas canvas(image);
        for (int i = 0; i < 1000; ++i) {
            canvas.textOut(0, 20, QString::number(i) + QString(32000, QChar('x')));
            canvas.textOut(0, 40, QString::number(i));
            QVERIFY(PlotCanvas::textCacheBytes() <= 4 * 1024 * 1024);
        }
        QVERIFY(PlotCanvas::textCacheBytes() > 0);
    }

    void textOutsideThePictureIsLoggedAndSkipped() {
        QImage image = blankImage(100, 40);
        {
            PlotCanvas canvas(image);
            canvas.textOut(-500, 10, QStringLiteral("left"));
            canvas.textOut(10, 826, QStringLiteral("-50"));
            QCOMPARE(canvas.texts().size(), size_t(2));
        }
        QVERIFY(paintedPixels(image).isEmpty());
    }

    // A copy taken before drawing keeps its pixels.
    void sharedImageIsDetachedBeforeDrawing() {
        QImage image = blankImage(30, 10);
        const QImage before = image;
        {
            PlotCanvas canvas(image);
            canvas.setPenColor(QColor(Pen));
            canvas.moveTo(0, 0);
            canvas.lineTo(5, 0);
            canvas.textOut(0, 0, QStringLiteral("1"));
        }
        QCOMPARE(before.pixel(0, 0), Blank);
        QVERIFY(image.pixel(4, 0) != Blank);
    }
};

QTEST_MAIN(TestPlotCanvas)
#include "tst_plotcanvas.moc"
