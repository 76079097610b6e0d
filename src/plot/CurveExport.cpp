#include "CurveExport.h"

#include "Fp.h"
#include "TextFile.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

#include <stdexcept>

namespace dravik {

QString ExportFilter() {
    return QStringLiteral("Chart data and pictures (") + ExportPatterns() + QStringLiteral(")|") +
           ExportPatterns();
}

ExportFormat ExportFormatOrRefuse(const QString &path) {
    const std::optional<ExportFormat> format = ExportFormatOf(path);
    if (!format)
        throw DravikError(QStringLiteral("Choose a file name that ends in ") + ExportExtensions() +
                          QLatin1Char('.'));
    return *format;
}

void WriteCurvesFile(const QString &path, const DesignCurves &curves, const QString &title,
                     const QStringList &notes, FrdResponse response) {
    const ExportFormat format = ExportFormatOrRefuse(path);
    if (IsPicture(format))
        throw std::invalid_argument("a picture is written by WritePictureFile");
    if (const std::optional<QString> why = ExportRefusal(format, curves))
        throw DravikError(*why);
    // Through a temporary file beside it, never in place: a full disk
    // cannot leave an older export cut short.
    TextWriter out(path);
    for (const QString &line : ExportLines(format, curves, title, notes, response))
        out.writeLine(line);
    out.commit();
}

QByteArray SvgPicture(const QSize &size, const QString &title,
                      const std::function<void(QPainter &)> &paint) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    { // the document is complete when the painter and the generator are gone
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        // The generator writes the title into the XML as it is given.
        svg.setTitle(title.toHtmlEscaped());
        QPainter painter(&svg);
        paint(painter);
    }
    return bytes;
}

void WriteLinesFile(const QString &path, const QStringList &lines) {
    TextWriter out(path);
    for (const QString &line : lines)
        out.writeLine(line);
    out.commit();
}

void WritePictureFile(const QString &path, const QByteArray &bytes) {
    TextWriter out(path);
    out.writeBytes(bytes);
    out.commit();
}

QColor OverlayColour(int index) {
    // None of the fixed curves' colours: blue, the limits' red, grey, the
    // power's green, the orange of the excursion-bound maximum.
    static const QColor palette[] = {QColor(0x7b, 0x3f, 0xbf), QColor(0x8c, 0x56, 0x4b),
                                     QColor(0xe3, 0x77, 0xc2), QColor(0x17, 0xbe, 0xcf),
                                     QColor(0x8a, 0x8a, 0x00), QColor(0x00, 0x69, 0x5c),
                                     QColor(0xb8, 0x86, 0x0b), QColor(0x00, 0x00, 0x00)};
    return palette[static_cast<unsigned>(index) % std::size(palette)];
}

} // namespace dravik
