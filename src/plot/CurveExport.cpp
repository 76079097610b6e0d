#include "CurveExport.h"

#include "Fp.h"
#include "TextFile.h"

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

void WriteCurvesFile(const QString &path, const DesignCurves &curves, const QString &title) {
    const ExportFormat format = ExportFormatOrRefuse(path);
    if (IsPicture(format))
        throw std::invalid_argument("a picture is written by WritePictureFile");
    if (const std::optional<QString> why = ExportRefusal(format, curves))
        throw DravikError(*why);
    checkFileName(path);
    TextWriter out(path);
    for (const QString &line : ExportLines(format, curves, title))
        out.writeLine(line);
    out.commit();
}

void WritePictureFile(const QString &path, const QByteArray &bytes) {
    checkFileName(path);
    TextWriter out(path);
    out.writeBytes(bytes);
    out.commit();
}

QColor OverlayColour(int index) {
    static const QColor palette[] = {QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
                                     QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd),
                                     QColor(0x8c, 0x56, 0x4b), QColor(0xe3, 0x77, 0xc2),
                                     QColor(0x17, 0xbe, 0xcf), QColor(0x7f, 0x7f, 0x7f)};
    return palette[static_cast<unsigned>(index) % std::size(palette)];
}

} // namespace dravik
