#include "DesignReader.h"

#include "Enclosures.h"
#include "FieldStore.h"
#include "NumberText.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace dravik {

namespace {

std::optional<double> Positive(const FieldText &text, Field field) {
    const double v = ParseFieldText(text(field));
    if (!std::isfinite(v) || v <= 0.0)
        return std::nullopt;
    return v;
}

FieldText FromStore(const FieldStore &fields) {
    return [&fields](Field field) { return fields.text(field); };
}

// The main window's field of a row, by its object name.
std::optional<Field> MainWindowField(const InputRow &row) {
    for (const FieldSpec &entry : mainWindowFields())
        if (qstrcmp(entry.name, row.field) == 0)
            return entry.id;
    return std::nullopt;
}

// Whether a row's value comes from the main window for a box of `kind`:
// the driver always, the box and vents only for the kinds that follow it.
bool ReadsFromMainWindow(const InputRow &row, BoxKind kind) {
    switch (row.page) {
    case InputPage::Driver:
        return true;
    case InputPage::Box:
    case InputPage::Vent:
        return KindOf(kind).followsMainWindow &&
               (kind == BoxKind::Vented || row.input == ModelInput::Vb);
    case InputPage::ThisWindow:
        return false;
    }
    return false;
}

std::optional<double> ReadRow(const FieldText &text, const InputRow &row) {
    const std::optional<Field> field = MainWindowField(row);
    if (!field)
        return std::nullopt;
    std::optional<double> v = Positive(text, *field);
    if (v && row.fromField) {
        const double converted = row.fromField(*v);
        v = std::isfinite(converted) && converted > 0.0 ? std::optional<double>(converted)
                                                        : std::nullopt;
    }
    return v;
}

} // namespace

void ReadMainWindowDesign(const FieldText &text, DesignSetup &setup) {
    const BoxKind kind = setup.enclosure.kind;
    for (const InputRow &row : DesignInputRows())
        if (ReadsFromMainWindow(row, kind))
            row.member(setup) = ReadRow(text, row);
    setup.manufacturer = text(Field::EManufacturer).trimmed();
    setup.model = text(Field::EModel).trimmed();
}

DriverParameters ReadDriverParameters(const FieldText &text) {
    DesignSetup setup;
    ReadMainWindowDesign(text, setup);
    return setup.driver;
}

BoxParameters ReadBoxParameters(const FieldText &text, BoxKind kind) {
    DesignSetup setup;
    setup.enclosure.kind = kind;
    ReadMainWindowDesign(text, setup);
    return setup.enclosure;
}

QString ReadDriverName(const FieldText &text) {
    return (text(Field::EManufacturer).trimmed() + QLatin1Char(' ') + text(Field::EModel).trimmed())
        .trimmed();
}

QString ReadDriverName(const FieldStore &fields) {
    return ReadDriverName(FromStore(fields));
}

DriverParameters ReadDriverParameters(const FieldStore &fields) {
    return ReadDriverParameters(FromStore(fields));
}

BoxParameters ReadBoxParameters(const FieldStore &fields, BoxKind kind) {
    return ReadBoxParameters(FromStore(fields), kind);
}

std::optional<double> ParseWindowValue(const QString &text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    return ok ? v : std::numeric_limits<double>::quiet_NaN();
}

QString WindowValueText(const std::optional<double> &value) {
    return value ? QString::number(*value, 'g', 10) : QString();
}

} // namespace dravik
