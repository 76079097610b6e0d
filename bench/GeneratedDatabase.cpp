#include "GeneratedDatabase.h"

#include "DriverDatabase.h"
#include "NumberText.h"
#include "TextFile.h"

#include <QHash>

namespace dravik::bench {

namespace {

// The text of one field of record i.
QString fieldText(const QString &field, int i) {
    static const QHash<QString, double> base = {
        {QStringLiteral("EQts"), 0.38}, {QStringLiteral("EQms"), 2.28},
        {QStringLiteral("EQes"), 0.46}, {QStringLiteral("EVas"), 226},
        {QStringLiteral("EFs"), 32.9},  {QStringLiteral("EXmax"), 14.3},
        {QStringLiteral("EDiam"), 485}, {QStringLiteral("EPEmax"), 600},
        {QStringLiteral("ERe"), 6.5},   {QStringLiteral("ESens"), 100},
    };
    const QString n = FormatInteger(i);
    if (field == QLatin1String("EManufacturer"))
        return QStringLiteral("Maker ") + FormatInteger(i % 37);
    if (field == QLatin1String("EModel"))
        return QStringLiteral("Model ") + n;
    if (field == QLatin1String("EComments"))
        return QStringLiteral("Generated driver number ") + n;
    if (base.contains(field))
        return FormatFieldValue(base.value(field) * (0.8 + 0.0004 * (i % 1000)));
    return QStringLiteral("?");
}

} // namespace

void writeDriverDatabase(int records) {
    TextWriter db(QStringLiteral("spk.db"));
    db.writeLine("Dravik driver database");
    db.writeLine("Generated for the benchmarks");
    db.writeLine("One record of 31 lines per driver");
    for (int i = 0; i < records; ++i) {
        db.writeLine("<begin_element>");
        db.writeLine(FormatInteger(i));
        for (Field field : DriverFields())
            db.writeLine(fieldText(QLatin1String(tableEntry(field).name), i));
        db.writeLine("<end_element>");
    }
    db.commit();

    TextWriter header(QStringLiteral("spkdb.hdr"));
    header.writeLine(FormatInteger(records - 1));
    header.commit();
}

} // namespace dravik::bench
