#pragma once

// Shared helpers of the plot tests: the colours, an independent frequency
// mapping, and pixel queries on a rendered picture.

#include "PlotCanvas.h"

#include <QColor>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRgb>

#include <cmath>

namespace plottest {

// A button face that differs from every drawing colour.
inline const QColor ButtonFace(212, 208, 200);
inline const QRgb Background = qRgb(212, 208, 200);
inline const QRgb Grid = qRgb(128, 128, 128);
inline const QRgb Curve = qRgb(0, 0, 255);
inline const QRgb Marker = qRgb(255, 255, 0);
inline const QRgb Highlight = qRgb(255, 0, 0);
inline const QRgb White = qRgb(255, 255, 255);
inline const QRgb Text = qRgb(0, 0, 0);

// X(f) with the factor 1.0, written out here on its own: 448 pixels per decade.
inline int X(int f) {
    return static_cast<int>(std::trunc(std::log10(double(f)) * 448.0)) - 500;
}

inline int countColour(const QImage &image, QRgb colour, const QRect &area) {
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

inline int countColour(const QImage &image, QRgb colour) {
    return countColour(image, colour, image.rect());
}

// The bounding box of all pixels that differ between two pictures.
inline QRect differingArea(const QImage &a, const QImage &b) {
    QRect area;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                area |= QRect(x, y, 1, 1);
    return area;
}

// The cell of `text` at `at`, measured here with the plot's font.
inline QRect textCell(const QString &text, QPoint at,
                      const QFont &font = dravik::PlotCanvas::font()) {
    const QFontMetrics metrics(font);
    return QRect(at, QSize(metrics.horizontalAdvance(text), metrics.height()));
}

// `text` drawn by QPainter alone with the plot's font onto a picture of the
// background colour, its cell at `at` filled with `cellColour`: what the
// canvas must produce.
inline QImage textByPainter(const QString &text, QPoint at, QRgb cellColour = Background,
                            QSize size = QSize(817, 481),
                            const QFont &font = dravik::PlotCanvas::font()) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.fillRect(textCell(text, at, font), QColor(cellColour));
    painter.setFont(font);
    painter.setPen(QColor(Text));
    if (font.styleStrategy() & QFont::NoAntialias) {
        painter.drawText(at + QPoint(0, QFontMetrics(font).ascent()), text);
        return image;
    }
    // A smooth font: drawn smooth on white, every pixel darker than the
    // canvas's threshold becomes ink.
    QImage smooth(size, QImage::Format_RGB32);
    smooth.fill(Qt::white);
    QPainter ink(&smooth);
    ink.setFont(font);
    ink.setPen(Qt::black);
    ink.drawText(at + QPoint(0, QFontMetrics(font).ascent()), text);
    ink.end();
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            if (qGray(smooth.pixel(x, y)) < dravik::PlotCanvas::SmoothInkThreshold)
                image.setPixel(x, y, Text);
    return image;
}

} // namespace plottest
