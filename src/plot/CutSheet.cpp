#include "CutSheet.h"

#include "ChartScale.h"
#include "CurveExport.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace dravik {

namespace {

constexpr int PageWidth = 800, PageHeight = 1100; // points, about A4 and Letter
constexpr int Margin = 40, LineHeight = 22, Gap = 30;

void PaintCutSheet(QPainter &painter, const BuiltBox &box, const QString &title, UnitSystem units) {
    painter.fillRect(QRect(0, 0, PageWidth, PageHeight), Qt::white);
    QFont font = painter.font();
    font.setPixelSize(14);
    painter.setFont(font);
    painter.setPen(Qt::black);
    int y = Margin;
    const auto line = [&](const QString &text) {
        painter.drawText(QRect(Margin, y, PageWidth - 2 * Margin, LineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        y += LineHeight;
    };
    line(QStringLiteral("Cut sheet: ") + chartscale::DisplayLabel(title, 120));
    line(GrossVolumeText(box, units) + QStringLiteral(", ") + NetVolumeText(box, units));
    y += Gap / 2;
    // Every panel to one scale, the widest filling the width or the tallest
    // column of them the page's height.
    double widest = 0.0, heights = 0.0;
    for (const Panel &p : box.panels) {
        widest = std::max(widest, p.widthMm);
        heights += p.heightMm;
    }
    const double room = PageHeight - y - Margin - Gap * double(box.panels.size());
    const double scale = std::min((PageWidth - 2.0 * Margin) * 0.6 / widest, room / heights);
    for (const Panel &p : box.panels) {
        const QRectF shape(Margin, y + LineHeight, p.widthMm * scale, p.heightMm * scale);
        painter.setPen(QPen(Qt::black, 1.5));
        painter.setBrush(QColor(235, 220, 190));
        painter.drawRect(shape);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(Margin, y, PageWidth - 2.0 * Margin, LineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         p.name + QStringLiteral(" (") + QString::number(p.count) +
                             QStringLiteral("): ") + CutDimensionText(p.widthMm, units) +
                             QStringLiteral(" x ") + CutDimensionText(p.heightMm, units) +
                             QStringLiteral(", ") + CutDimensionText(p.thicknessMm, units) +
                             QStringLiteral(" thick"));
        painter.drawText(shape, Qt::AlignCenter, CutDimensionText(p.widthMm, units));
        y += int(shape.height()) + LineHeight + Gap;
    }
}

} // namespace

QByteArray CutSheetPicture(const BuiltBox &box, const QString &title, UnitSystem units,
                           CutSheetFormat format) {
    if (format == CutSheetFormat::Svg)
        return SvgPicture(QSize(PageWidth, PageHeight), chartscale::DisplayLabel(title, 160),
                          [&](QPainter &painter) { PaintCutSheet(painter, box, title, units); });
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setPageSize(QPageSize(QSizeF(PageWidth, PageHeight), QPageSize::Point));
        pdf.setPageMargins(QMarginsF());
        pdf.setResolution(72);
        pdf.setTitle(chartscale::DisplayLabel(title, 160));
        pdf.setCreator(QStringLiteral("Dravik"));
        QPainter painter(&pdf);
        PaintCutSheet(painter, box, title, units);
    }
    return bytes;
}

} // namespace dravik
