#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QString>

#include <vector>

namespace dravik {

// One text the canvas wrote: its top-left corner and the text itself.
struct PlotText {
    QPoint position;
    QString text;
};

// A bitmap canvas in the manner of a classic window-system drawing context:
// a pen colour for one-pixel solid lines, a brush colour for filled
// rectangles and text backgrounds, a current pen position, and text output
// at pixel positions. Lines are stepped pixel by pixel without antialiasing,
// so every pixel is either the pen colour or left untouched, and a line-to
// paints its start point but not its end point, so a polyline never paints
// a joint twice. Anything outside the image is clipped.
class PlotCanvas {
public:
    // Draws into `image`, which is converted to 32-bit RGB if it is not already.
    explicit PlotCanvas(QImage &image);
    PlotCanvas(const PlotCanvas &) = delete;
    PlotCanvas &operator=(const PlotCanvas &) = delete;

    void setPenColor(const QColor &color);
    void setBrushColor(const QColor &color);
    QColor penColor() const { return penColor_; }
    QColor brushColor() const { return brushColor_; }

    void moveTo(int x, int y);
    // A line from the pen position to (x, y), without (x, y) itself; the pen
    // then stands at (x, y).
    void lineTo(int x, int y);
    QPoint penPosition() const { return QPoint(penX_, penY_); }

    // The lines drawn so far, and the steps they visited (those along the
    // longer axis that lie within the picture, so a line costs at most the
    // picture's larger side): the drawing's work, whatever the coordinates.
    qint64 linesDrawn() const { return linesDrawn_; }
    qint64 lineSteps() const { return lineSteps_; }

    // Fills left <= x < right, top <= y < bottom with the brush colour.
    void fillRect(int left, int top, int right, int bottom);

    // Writes `text` with its cell's top-left corner at (x, y): the cell is
    // filled with the brush colour, the glyphs drawn in the text colour.
    // Each text is rendered once and its glyph pixels kept (per thread, up to
    // a few megabytes), as the plot writes the same labels on every repaint;
    // only the part of a text that can reach the picture is rendered.
    void textOut(int x, int y, const QString &text);

    // Every text written so far, in order (texts wholly outside the picture too).
    const std::vector<PlotText> &texts() const { return texts_; }

    // A font that asks for no antialiasing is drawn with the rasteriser's own
    // one-bit glyphs. Any other is drawn smooth and every pixel darker than
    // this grey taken as ink: at 9 pixels that keeps "5" and "6" and the
    // decimal points apart where hinted one-bit glyphs merge them. Either way
    // a pixel is ink or left as it was.
    static constexpr int SmoothInkThreshold = 180;

    // The font of the texts that follow (font() until set).
    void setFont(const QFont &font) { font_ = font; }

    // The plot's font: a fixed pixel size, no antialiasing, so texts look the
    // same on every desktop.
    static QFont font();
    // The legend's font: Liberation Sans Narrow of 9 pixels, drawn smooth and
    // then reduced to ink or nothing, so that the legend's longest texts at
    // x = 702 end inside the 817-pixel picture and stay legible.
    static QFont legendFont();
    // The cell that textOut fills for `text`: advance width by line height.
    static QSize textCell(const QString &text, const QFont &textFont = font());
    // The memory the rendered texts of this thread take now.
    static qsizetype textCacheBytes();
    // Black, the default text colour of a drawing context.
    static QColor textColor() { return QColor(0, 0, 0); }

private:
    void plot(int x, int y) {
        if (x >= 0 && x < width_ && y >= 0 && y < height_)
            row(y)[x] = pen_;
    }
    QRgb *row(int y) { return reinterpret_cast<QRgb *>(bits_ + y * bytesPerLine_); }
    void stepLine(int x0, int y0, int x1, int y1);

    QImage &image_;
    uchar *bits_ = nullptr;
    qsizetype bytesPerLine_ = 0;
    int width_ = 0;
    int height_ = 0;
    QColor penColor_;
    QColor brushColor_;
    QFont font_ = font();
    QRgb pen_ = 0;
    QRgb brush_ = 0;
    int penX_ = 0;
    int penY_ = 0;
    qint64 linesDrawn_ = 0;
    qint64 lineSteps_ = 0;
    std::vector<PlotText> texts_;
};

} // namespace dravik
