#pragma once

#include "DesignModel.h"
#include "FieldTable.h"

#include <functional>

namespace dravik {

class FieldStore;

// Builds the charts' design from field texts. The main window's fields are
// parsed exactly as the commands parse them: a field that reads as zero,
// negative or not a number is left empty, so the charts that need it can
// say so.
using FieldText = std::function<QString(Field)>;
DriverParameters ReadDriverParameters(const FieldText &text);
BoxParameters ReadBoxParameters(const FieldText &text, BoxKind kind);

// The driver's name: maker and model, as "Fane Colossus 18 XB".
QString ReadDriverName(const FieldText &text);

// The same, from the main window's fields.
DriverParameters ReadDriverParameters(const FieldStore &fields);
BoxParameters ReadBoxParameters(const FieldStore &fields, BoxKind kind);
QString ReadDriverName(const FieldStore &fields);

// Puts the main window's driver (and, for the kinds that follow the main
// window, its box) into a design, keeping everything else of it.
void ReadMainWindowDesign(const FieldText &text, DesignSetup &setup);

// A number typed into one of the charts window's own fields, for a row of
// the table of inputs: an empty text is "not given"; a text that is not a
// number, or has more after it, is not a number (NaN), so the chart names
// the field.
std::optional<double> ParseWindowValue(const QString &text);

// The text a window field shows for a value of a row: up to 10 significant
// digits, empty for "not given".
QString WindowValueText(const std::optional<double> &value);

} // namespace dravik
