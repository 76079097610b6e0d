#pragma once

#include "FieldStore.h"

#include <QString>

#include <vector>

class QCheckBox;
class QLineEdit;
class QWidget;

namespace dravik {

class ListBox;

// The fields of one window, reached through its real widgets: each field,
// list box and check box of the field table that belongs to the window,
// found once by its object name below `root`.
class WidgetFieldStore : public FieldStore {
public:
    // Every field of `window` in the table must be there; a missing one is
    // a programming error that stops the program at once.
    WidgetFieldStore(QWidget *root, Window window);

    QString text(Field field) const override;
    void setText(Field field, const QString &text) override;
    void clearLines(List list) override;
    void addLine(List list, const QString &line) override;
    int lineCount(List list) const override;
    QString line(List list, int index) const override;
    int selectedLine(List list) const override;
    bool isChecked(Check box) const override;

    // Shows every line added so far (the command wrapper calls it at the end).
    void flushLists();

    // While a Batch lives, field texts are kept here and put into the widgets
    // once when it ends (a command writes some fields hundreds of times, and
    // every QLineEdit::setText lays its text out anew).
    class Batch {
    public:
        explicit Batch(WidgetFieldStore &store) : store_(store) { store_.deferring_ = true; }
        ~Batch() { store_.flushLists(); }
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        WidgetFieldStore &store_;
    };

private:
    QLineEdit *edit(Field field) const;
    ListBox *list(List list) const;

    std::vector<QLineEdit *> edits_;  // by Field, null for other windows' fields
    std::vector<ListBox *> lists_;    // by List
    std::vector<QCheckBox *> checks_; // by Check
    // Texts written during the current command, put into the widgets at its end.
    std::vector<QString> pending_;
    std::vector<bool> isPending_;
    std::vector<Field> pendingOrder_;
    bool deferring_ = false;
};

} // namespace dravik
