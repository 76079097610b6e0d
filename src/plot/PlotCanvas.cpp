#include "PlotCanvas.h"

#include "PlotMapping.h"

#include <QFontMetrics>
#include <QHash>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace dravik {

namespace {

int clampCoordinate(int v) {
    return std::clamp(v, -PlotPixelLimit, PlotPixelLimit);
}

// One text as the font draws it: its cell and the pixels its glyphs cover,
// relative to the cell's top-left corner. Glyphs may reach a little outside
// the cell.
struct RenderedText {
    QSize cell;
    std::vector<QPoint> glyphPixels;
};

// Room around the cell for glyph parts outside it.
constexpr int GlyphMargin = 4;
// The plot writes about 130 distinct texts; field texts in the legend add a
// few per change. The cache keeps rendered texts up to this much memory and
// then starts again; a text that alone would take an eighth of it is drawn
// without being kept.
constexpr qsizetype TextCacheBytes = 4 * 1024 * 1024;

RenderedText renderText(const QString &text, const QFont &f) {
    const QFontMetrics metrics(f);
    const bool smooth = !(f.styleStrategy() & QFont::NoAntialias);
    RenderedText rendered{QSize(metrics.horizontalAdvance(text), metrics.height()), {}};
    QImage scratch(rendered.cell.width() + 2 * GlyphMargin,
                   rendered.cell.height() + 2 * GlyphMargin, QImage::Format_RGB32);
    scratch.fill(Qt::white);
    {
        QPainter painter(&scratch);
        painter.setRenderHint(QPainter::TextAntialiasing, smooth);
        painter.setFont(f);
        painter.setPen(Qt::black);
        painter.drawText(QPoint(GlyphMargin, GlyphMargin + metrics.ascent()), text);
    }
    const int threshold = smooth ? PlotCanvas::SmoothInkThreshold : 128;
    for (int y = 0; y < scratch.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(scratch.constScanLine(y));
        for (int x = 0; x < scratch.width(); ++x)
            if (qGray(line[x]) < threshold)
                rendered.glyphPixels.emplace_back(x - GlyphMargin, y - GlyphMargin);
    }
    return rendered;
}

qsizetype memoryOf(const QString &text, const RenderedText &rendered) {
    return text.size() * qsizetype(sizeof(QChar)) +
           qsizetype(rendered.glyphPixels.size() * sizeof(QPoint)) + 64;
}

struct TextCache {
    QHash<QString, RenderedText> texts;
    qsizetype bytes = 0;
    RenderedText uncached; // the last text too large to keep
};

// Texts are drawn on the window thread; the cache is per thread all the same.
TextCache &textCache() {
    thread_local TextCache cache;
    return cache;
}

// Rendered texts are kept by font and text.
const RenderedText &cachedText(const QString &text, const QFont &font) {
    TextCache &cache = textCache();
    const QString key = font.key() + QLatin1Char('\n') + text;
    if (const auto it = cache.texts.constFind(key); it != cache.texts.cend())
        return *it;
    RenderedText rendered = renderText(text, font);
    const qsizetype bytes = memoryOf(key, rendered);
    if (bytes > TextCacheBytes / 8) {
        cache.uncached = std::move(rendered);
        return cache.uncached;
    }
    if (cache.bytes + bytes > TextCacheBytes) {
        cache.texts.clear();
        cache.bytes = 0;
    }
    cache.bytes += bytes;
    return *cache.texts.insert(key, std::move(rendered));
}

// The start of `text` that reaches `room` pixels: glyphs further right are
// clipped anyway, so a legend field holding thousands of characters costs no
// more than one that fills the picture.
QString visiblePart(const QString &text, int room, const QFont &font) {
    if (text.size() <= room)
        return text;
    const QFontMetrics metrics(font);
    for (qsizetype length = room; length < text.size(); length *= 2) {
        if (text[length - 1].isHighSurrogate())
            ++length; // never split a character
        if (metrics.horizontalAdvance(text.left(length)) > room)
            return text.left(length);
    }
    return text;
}

} // namespace

PlotCanvas::PlotCanvas(QImage &image) : image_(image) {
    if (!image_.isNull() && image_.format() != QImage::Format_RGB32)
        image_ = image_.convertToFormat(QImage::Format_RGB32);
    width_ = image_.width();
    height_ = image_.height();
    bits_ = image_.bits(); // detaches a shared image once, before any drawing
    bytesPerLine_ = image_.bytesPerLine();
    setPenColor(QColor(0, 0, 0));
    setBrushColor(QColor(255, 255, 255));
    texts_.reserve(160);
}

QFont PlotCanvas::font() {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(11);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

QFont PlotCanvas::legendFont() {
    QFont f(QStringLiteral("Liberation Sans Narrow"));
    f.setPixelSize(9);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QSize PlotCanvas::textCell(const QString &text, const QFont &font) {
    return cachedText(text, font).cell;
}

qsizetype PlotCanvas::textCacheBytes() {
    return textCache().bytes;
}

void PlotCanvas::setPenColor(const QColor &color) {
    penColor_ = color;
    pen_ = color.rgb();
}

void PlotCanvas::setBrushColor(const QColor &color) {
    brushColor_ = color;
    brush_ = color.rgb();
}

void PlotCanvas::moveTo(int x, int y) {
    penX_ = clampCoordinate(x);
    penY_ = clampCoordinate(y);
}

void PlotCanvas::lineTo(int x, int y) {
    x = clampCoordinate(x);
    y = clampCoordinate(y);
    stepLine(penX_, penY_, x, y);
    penX_ = x;
    penY_ = y;
}

// Steps one pixel at a time along the longer axis; the other coordinate is
// the exact line's value at that step, rounded to nearest with halves going
// away from the start point. Only the steps whose coordinate on the longer
// axis lies inside the image are visited, so a line from far outside costs
// no more than one across the picture.
void PlotCanvas::stepLine(int x0, int y0, int x1, int y1) {
    ++linesDrawn_;
    const long long dx = static_cast<long long>(x1) - x0;
    const long long dy = static_cast<long long>(y1) - y0;
    const bool alongX = std::llabs(dx) >= std::llabs(dy);
    const long long steps = alongX ? std::llabs(dx) : std::llabs(dy);
    if (steps == 0)
        return; // a line to the pen position paints nothing
    const long long rise = alongX ? std::llabs(dy) : std::llabs(dx);
    const long long majorStart = alongX ? x0 : y0;
    const long long minorStart = alongX ? y0 : x0;
    const int majorDir = (alongX ? dx : dy) < 0 ? -1 : 1;
    const int minorDir = (alongX ? dy : dx) < 0 ? -1 : 1;
    const long long majorSize = alongX ? width_ : height_;

    long long first = majorDir > 0 ? -majorStart : majorStart - (majorSize - 1);
    long long last = majorDir > 0 ? majorSize - 1 - majorStart : majorStart;
    first = std::max(first, 0LL);
    last = std::min(last, steps - 1); // the end point is not painted
    lineSteps_ += std::max(last - first + 1, 0LL);
    for (long long i = first; i <= last; ++i) {
        const long long major = majorStart + majorDir * i;
        // Lies between the two end points, so it fits an int.
        const long long minor = minorStart + minorDir * ((2 * i * rise + steps) / (2 * steps));
        if (alongX)
            plot(static_cast<int>(major), static_cast<int>(minor));
        else
            plot(static_cast<int>(minor), static_cast<int>(major));
    }
}

void PlotCanvas::fillRect(int left, int top, int right, int bottom) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width_);
    bottom = std::min(bottom, height_);
    if (left >= right)
        return;
    for (int y = top; y < bottom; ++y)
        std::fill(row(y) + left, row(y) + right, brush_);
}

void PlotCanvas::textOut(int x, int y, const QString &text) {
    texts_.push_back(PlotText{QPoint(x, y), text});
    // Far-off texts (the level labels below the picture) are not even looked up.
    if (x >= width_ + GlyphMargin || y >= height_ + GlyphMargin || x < -PlotPixelLimit ||
        y < -PlotPixelLimit)
        return;
    const RenderedText &rendered =
        cachedText(visiblePart(text, width_ - x + 2 * GlyphMargin, font_), font_);
    fillRect(x, y, x + rendered.cell.width(), y + rendered.cell.height());
    const QRgb ink = textColor().rgb();
    for (const QPoint &p : rendered.glyphPixels) {
        const int px = x + p.x();
        const int py = y + p.y();
        if (px >= 0 && px < width_ && py >= 0 && py < height_)
            row(py)[px] = ink;
    }
}

} // namespace dravik
