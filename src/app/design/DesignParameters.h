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
    void SetAlfa(Real v) { write("EAlfa", v); }
    void SetFfs(Real v) { write("Effs", v); }
    void SetSd(Real v) { write("ESd", v); }
    void SetPeakSPL(Real v) { write("EPeakSPL", v); }
    void SetPar(Real v) { write("EPar", v); }
    void SetPer(Real v) { write("EPer", v); }
    void SetSPL(Real v) { write("ESPL", v); }
    void SetSPL100W(Real v) { write("ESPL100W", v); }
    void Set3dB(Real v) { write("E3dB", v); }
    void SetRecPwr(Real v) { write("ERecPwr", v); }
    void SetRecPwrResult(Real v) { write("ERecPwrResult", v); }
    void SetVentLength(Real v) { write("EVentLength", v); }
    void SetMinVentArea(Real v) { write("EMinVentArea", v); }

    // Getters.
    Real GetVb() const { return number("EVb"); }
    Real GetFb() const { return number("EFb"); }
    Real GetQts() const { return number("EQts"); }
    Real GetQes() const { return number("EQes"); }
    Real GetFs() const { return number("EFs"); }
    Real GetVas() const { return number("EVas"); }
    Real GetXmax() const { return number("EXmax"); }
    Real GetDiam() const { return number("EDiam"); }
    Real GetPEmax() const { return number("EPEmax"); }
    Real GetSens() const { return number("ESens"); }
    Real GetSQtot() const { return number("ESQtot"); }
    Real GetVentDiam() const { return number("EVentDiam"); }

    // Direct access for fields without an accessor.
    Real number(const char *field) const;
    QString text(const char *field) const;
    void setText(const char *field, const QString &text);
    void write(const char *field, Real value); // "%.2f"
    void clearLines(const char *list);
    void addLine(const char *list, const QString &line);

private:
    FieldStore &fields_;
};

} // namespace dravik
