#include "DesignReader.h"

#include "Acoustics.h"
#include "FieldStore.h"
#include "NumberText.h"

#include <cmath>

namespace dravik {

namespace {

constexpr double Pi = acoustics::PiFull;

std::optional<double> Positive(const FieldText &text, Field field) {
    const double v = ParseFieldText(text(field));
    if (!std::isfinite(v) || v <= 0.0)
        return std::nullopt;
    return v;
}

FieldText FromStore(const FieldStore &fields) {
    return [&fields](Field field) { return fields.text(field); };
}

} // namespace

DriverParameters ReadDriverParameters(const FieldText &text) {
    DriverParameters d;
    d.fs = Positive(text, Field::EFs);
    d.qts = Positive(text, Field::EQts);
    d.qes = Positive(text, Field::EQes);
    d.qms = Positive(text, Field::EQms);
    d.vasLitres = Positive(text, Field::EVas);
    d.re = Positive(text, Field::ERe);
    // The effective piston diameter is in millimetres.
    if (const std::optional<double> diameter = Positive(text, Field::EEffPDiam)) {
        const double area = Pi * std::pow(*diameter * 1e-3 / 2.0, 2);
        if (std::isfinite(area) && area > 0.0)
            d.sd = area;
    }
    d.xmaxMm = Positive(text, Field::EXmax);
    d.peMaxW = Positive(text, Field::EPEmax);
    return d;
}

BoxParameters ReadBoxParameters(const FieldText &text, BoxKind kind) {
    BoxParameters b;
    b.kind = kind;
    b.vbLitres = Positive(text, Field::EVb);
    if (kind == BoxKind::Vented) {
        b.fbHz = Positive(text, Field::EFb);
        b.ventCount = Positive(text, Field::ENumOfVents);
        b.ventDiameterMm = Positive(text, Field::EVentDiam);
    }
    return b;
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

} // namespace dravik
