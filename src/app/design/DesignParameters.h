#pragma once

#include "FieldStore.h"

#include <QString>

namespace dravik {

// The design parameters: typed access to the main window's fields. Getters
// read the field's text afresh on every call (nothing is cached) and parse it
// with ParseFieldText; setters format with FormatFieldValue ("%.2f").
class DesignParameters {
public:
    explicit DesignParameters(FieldStore &fields) : fields_(fields) {}

    FieldStore &fields() { return fields_; }
    const FieldStore &fields() const { return fields_; }

    // Setters.
    void SetVb(double v); // EVb, ESVb, EVb2, EFinalVb, EVb_Vent_PG
    void SetFb(double v); // EFb, ESFr
    void SetNumOfDrivers(int n);
    void SetAlfa(double v) { write("EAlfa", v); }
    void SetFfs(double v) { write("Effs", v); }
    void SetSd(double v) { write("ESd", v); }
    void SetPeakSPL(double v) { write("EPeakSPL", v); }
    void SetPar(double v) { write("EPar", v); }
    void SetPer(double v) { write("EPer", v); }
    void SetSPL(double v) { write("ESPL", v); }
    void SetSPL100W(double v) { write("ESPL100W", v); }
    void Set3dB(double v) { write("E3dB", v); }
    void SetRecPwr(double v) { write("ERecPwr", v); }
    void SetRecPwrResult(double v) { write("ERecPwrResult", v); }
    void SetVentLength(double v) { write("EVentLength", v); }
    void SetMinVentArea(double v) { write("EMinVentArea", v); }

    // Getters.
    double GetVb() const { return number("EVb"); }
    double GetFb() const { return number("EFb"); }
    double GetQts() const { return number("EQts"); }
    double GetQes() const { return number("EQes"); }
    double GetFs() const { return number("EFs"); }
    double GetVas() const { return number("EVas"); }
    double GetXmax() const { return number("EXmax"); }
    double GetDiam() const { return number("EDiam"); }
    double GetPEmax() const { return number("EPEmax"); }
    double GetSens() const { return number("ESens"); }
    double GetSQtot() const { return number("ESQtot"); }
    double GetVentDiam() const { return number("EVentDiam"); }

    // Direct access for fields without an accessor.
    double number(const char *field) const;
    QString text(const char *field) const;
    void setText(const char *field, const QString &text);
    void write(const char *field, double value); // "%.2f"
    void clearLines(const char *list);
    void addLine(const char *list, const QString &line);

private:
    FieldStore &fields_;
};

} // namespace dravik
