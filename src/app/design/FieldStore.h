#pragma once

#include "FieldTable.h"

#include <QString>

namespace dravik {

// The design lives in the windows' fields. Calculations reach them only
// through this interface, by the identifiers of the field table: the windows
// implement it with their real widgets, tests with plain strings in memory.
// A store holds the fields of one window; asking one for another window's
// field is a programming error (std::logic_error).
class FieldStore {
public:
    virtual ~FieldStore();

    // Single-line text fields: the whole text.
    virtual QString text(Field field) const = 0;
    virtual void setText(Field field, const QString &text) = 0;

    // List boxes: lines of text.
    virtual void clearLines(List list) = 0;
    virtual void addLine(List list, const QString &line) = 0;
    virtual int lineCount(List list) const = 0;
    virtual QString line(List list, int index) const = 0;
    // The selected entry, -1 when none is selected.
    virtual int selectedLine(List list) const = 0;

    // Check boxes.
    virtual bool isChecked(Check box) const = 0;
};

} // namespace dravik
