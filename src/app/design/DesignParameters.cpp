#include "DesignParameters.h"

#include "NumberText.h"

namespace dravik {

void DesignParameters::SetVb(Real v) {
    const QString text = FormatFieldValue(v);
    for (const char *field : {"EVb", "ESVb", "EVb2", "EFinalVb", "EVb_Vent_PG"})
        setText(field, text);
}

void DesignParameters::SetFb(Real v) {
    const QString text = FormatFieldValue(v);
    setText("EFb", text);
    setText("ESFr", text);
}

void DesignParameters::SetNumOfDrivers(int n) {
    setText("ENumOfDrivers", FormatInteger(n));
}

Real DesignParameters::number(const char *field) const {
    return ParseFieldText(text(field));
}

QString DesignParameters::text(const char *field) const {
    return fields_.text(QString::fromLatin1(field));
}

void DesignParameters::setText(const char *field, const QString &text) {
    fields_.setText(QString::fromLatin1(field), text);
}

void DesignParameters::write(const char *field, Real value) {
    setText(field, FormatFieldValue(value));
}

void DesignParameters::clearLines(const char *list) {
    fields_.clearLines(QString::fromLatin1(list));
}

void DesignParameters::addLine(const char *list, const QString &line) {
    fields_.addLine(QString::fromLatin1(list), line);
}

} // namespace dravik
