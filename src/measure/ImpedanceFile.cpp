#include "ImpedanceFile.h"

#include "Fp.h"
#include "TextFile.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace dravik {

namespace {

constexpr double DegreesPerRadian = 180.0 / 3.14159265358979323846;

bool isComment(const QString &line) {
    const QString t = line.trimmed();
    return t.isEmpty() || t.startsWith(QLatin1Char('*')) || t.startsWith(QLatin1Char(';')) ||
           t.startsWith(QLatin1Char('#'));
}

// Adds the points of the file one line at a time, so the rules are the same
// for a file and for lines in memory.
class CurveBuilder {
public:
    void addLine(const QString &line, int number) {
        if (isComment(line))
            return;
        static const QRegularExpression separators(QStringLiteral("[ \\t,]+"));
        const QStringList parts = line.trimmed().split(separators, Qt::SkipEmptyParts);
        if (parts.size() != 3)
            throw DravikError(ImpedanceLineRefusal(number));
        double values[3];
        for (int i = 0; i < 3; ++i) {
            bool ok = false;
            values[i] = parts[i].toDouble(&ok);
            if (!ok)
                throw DravikError(ImpedanceLineRefusal(number));
        }
        const double hz = values[0], ohm = values[1], deg = values[2];
        if (!std::isfinite(hz) || !std::isfinite(ohm) || !std::isfinite(deg) || hz <= 0.0 ||
            ohm <= 0.0)
            throw DravikError(ImpedanceValueRefusal(number));
        if (!curve_.hz.empty() && !(hz > curve_.hz.back()))
            throw DravikError(ImpedanceOrderRefusal(number));
        if (curve_.size() >= size_t(MaxImpedancePoints))
            fail(msg::TooManyImpedancePoints);
        curve_.hz.push_back(hz);
        curve_.z.push_back(std::polar(ohm, deg / DegreesPerRadian));
    }

    ImpedanceCurve finish() {
        if (curve_.size() < size_t(MinImpedancePoints))
            fail(msg::TooFewImpedancePoints);
        return std::move(curve_);
    }

private:
    ImpedanceCurve curve_;
};

} // namespace

QString ImpedanceLineRefusal(int line) {
    return QStringLiteral("Line %1 of the impedance file is not a frequency, a magnitude and a "
                          "phase")
        .arg(line);
}

QString ImpedanceValueRefusal(int line) {
    return QStringLiteral("Line %1 of the impedance file holds a value out of range").arg(line);
}

QString ImpedanceOrderRefusal(int line) {
    return QStringLiteral("Line %1 of the impedance file: the frequency does not rise").arg(line);
}

ImpedanceCurve ReadImpedanceFile(const QString &path) {
    // The reader refuses what is not a regular file before the size is looked
    // at; its byte limit holds even if the file grows after that.
    TextReader reader(path, MaxImpedanceLineBytes, MaxImpedanceFileBytes + 1,
                      TextReader::LongLines::EndReading);
    if (QFileInfo(path).size() > MaxImpedanceFileBytes)
        fail(msg::ImpedanceFileTooLarge);
    CurveBuilder builder;
    QString line;
    int number = 0;
    while (reader.readLine(line)) {
        ++number;
        if (reader.lineWasCut())
            throw DravikError(ImpedanceLineRefusal(number));
        builder.addLine(line, number);
    }
    return builder.finish();
}

ImpedanceCurve ParseImpedanceLines(const QStringList &lines) {
    CurveBuilder builder;
    for (qsizetype i = 0; i < lines.size(); ++i)
        builder.addLine(lines[i], int(i) + 1);
    return builder.finish();
}

} // namespace dravik
