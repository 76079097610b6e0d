#include "DesignParameters.h"

#include "NumberText.h"

namespace dravik {

void DesignParameters::SetVb(Real v) {
    const QString text = FormatFieldValue(v);
    for (Field field : {Field::EVb, Field::ESVb, Field::EVb2, Field::EFinalVb, Field::EVb_Vent_PG})
        setText(field, text);
}

void DesignParameters::SetFb(Real v) {
    const QString text = FormatFieldValue(v);
    setText(Field::EFb, text);
    setText(Field::ESFr, text);
}

void DesignParameters::SetNumOfDrivers(int n) {
    setText(Field::ENumOfDrivers, FormatInteger(n));
}

Real DesignParameters::number(Field field) const {
    return ParseFieldText(text(field));
}

void DesignParameters::write(Field field, Real value) {
    setText(field, FormatFieldValue(value));
}

} // namespace dravik
