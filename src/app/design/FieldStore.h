#pragma once

#include <QString>

namespace dravik {

// The design lives in the main window's named fields. Calculations reach them
// only through this interface: the main window implements it with its real
// widgets, tests with plain strings in memory. Names are the fields' object
// names ("EVb", "ListBox2", "ChkCrossEnabled"); an unknown name is a
// programming error and throws std::out_of_range.
class FieldStore {
public:
    virtual ~FieldStore();

    // Single-line text fields: the whole text.
    virtual QString text(const QString &field) const = 0;
    virtual void setText(const QString &field, const QString &text) = 0;

    // List boxes: lines of text.
    virtual void clearLines(const QString &list) = 0;
    virtual void addLine(const QString &list, const QString &line) = 0;
    virtual int lineCount(const QString &list) const = 0;
    virtual QString line(const QString &list, int index) const = 0;
    // The selected entry, -1 when none is selected.
    virtual int selectedLine(const QString &list) const = 0;

    // Check boxes.
    virtual bool isChecked(const QString &box) const = 0;
};

} // namespace dravik
