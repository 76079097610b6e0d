#include "CurveExport.h"

#include "Fp.h"
#include "TextFile.h"

namespace dravik {

QString ExportFilter() {
    return QStringLiteral("Chart data (") + ExportPatterns() + QStringLiteral(")|") +
           ExportPatterns();
}

void WriteCurvesFile(const QString &path, const DesignCurves &curves) {
    const std::optional<ExportFormat> format = ExportFormatOf(path);
    if (!format)
        throw DravikError(QStringLiteral("Choose a file name that ends in ") +
                          QString(ExportPatterns())
                              .replace(QStringLiteral("*"), QString())
                              .replace(QLatin1Char(';'), QStringLiteral(", ")) +
                          QLatin1Char('.'));
    checkFileName(path);
    TextWriter out(path);
    for (const QString &line : ExportLines(*format, curves))
        out.writeLine(line);
    out.commit();
}

} // namespace dravik
