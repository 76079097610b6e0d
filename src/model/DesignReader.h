#pragma once

#include "DesignModel.h"
#include "FieldTable.h"

#include <functional>

namespace dravik {

class FieldStore;

// Builds the charts' driver and box from field texts, parsed exactly as the
// commands parse them. A field that reads as zero, negative or not a number
// is left empty, so the charts that need it can say so.
using FieldText = std::function<QString(Field)>;
DriverParameters ReadDriverParameters(const FieldText &text);
BoxParameters ReadBoxParameters(const FieldText &text, BoxKind kind);

// The driver's name: maker and model, as "Fane Colossus 18 XB".
QString ReadDriverName(const FieldText &text);

// The same, from the main window's fields.
DriverParameters ReadDriverParameters(const FieldStore &fields);
BoxParameters ReadBoxParameters(const FieldStore &fields, BoxKind kind);
QString ReadDriverName(const FieldStore &fields);

} // namespace dravik
