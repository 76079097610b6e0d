#pragma once

#include "FieldStore.h"
#include "Real.h"

#include <QString>

namespace dravik {

// The design parameters: typed access to the main window's fields. Getters
// read the field's text afresh on every call (nothing is cached) and parse it
// with ParseFieldText; setters format with FormatFieldValue ("%.2f").
// Numbers come and go as Real, so the formulas that use them are checked.
class DesignParameters {
public:
    explicit DesignParameters(FieldStore &fields) : fields_(fields) {}

    FieldStore &fields() { return fields_; }
    const FieldStore &fields() const { return fields_; }

    // Setters.
    void SetVb(Real v); // EVb, ESVb, EVb2, EFinalVb, EVb_Vent_PG
    void SetFb(Real v); // EFb, ESFr
    void SetNumOfDrivers(int n);
    void SetAlfa(Real v) { write(Field::EAlfa, v); }
    void SetFfs(Real v) { write(Field::Effs, v); }
    void SetSd(Real v) { write(Field::ESd, v); }
    void SetPeakSPL(Real v) { write(Field::EPeakSPL, v); }
    void SetPar(Real v) { write(Field::EPar, v); }
    void SetPer(Real v) { write(Field::EPer, v); }
    void SetSPL(Real v) { write(Field::ESPL, v); }
    void SetSPL100W(Real v) { write(Field::ESPL100W, v); }
    void Set3dB(Real v) { write(Field::E3dB, v); }
    void SetRecPwr(Real v) { write(Field::ERecPwr, v); }
    void SetRecPwrResult(Real v) { write(Field::ERecPwrResult, v); }
    void SetVentLength(Real v) { write(Field::EVentLength, v); }
    void SetMinVentArea(Real v) { write(Field::EMinVentArea, v); }

    // Getters.
    Real GetVb() const { return number(Field::EVb); }
    Real GetFb() const { return number(Field::EFb); }
    Real GetQts() const { return number(Field::EQts); }
    Real GetQes() const { return number(Field::EQes); }
    Real GetFs() const { return number(Field::EFs); }
    Real GetVas() const { return number(Field::EVas); }
    Real GetXmax() const { return number(Field::EXmax); }
    Real GetDiam() const { return number(Field::EDiam); }
    Real GetPEmax() const { return number(Field::EPEmax); }
    Real GetSens() const { return number(Field::ESens); }
    Real GetSQtot() const { return number(Field::ESQtot); }
    Real GetVentDiam() const { return number(Field::EVentDiam); }

    // Direct access for fields without an accessor.
    Real number(Field field) const;
    QString text(Field field) const { return fields_.text(field); }
    void setText(Field field, const QString &text) { fields_.setText(field, text); }
    void write(Field field, Real value); // "%.2f"
    void clearLines(List list) { fields_.clearLines(list); }
    void addLine(List list, const QString &line) { fields_.addLine(list, line); }

private:
    FieldStore &fields_;
};

} // namespace dravik
