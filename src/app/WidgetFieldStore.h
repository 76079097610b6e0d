#pragma once

#include "FieldStore.h"

#include <QHash>

class QCheckBox;
class QLineEdit;
class QWidget;

namespace dravik {

class ListBox;

// The fields of one window, reached through its real widgets by object name.
class WidgetFieldStore : public FieldStore {
public:
    // Collects the named text fields, list boxes and check boxes below `root`.
    explicit WidgetFieldStore(QWidget *root);

    QString text(const QString &field) const override;
    void setText(const QString &field, const QString &text) override;
    void clearLines(const QString &list) override;
    void addLine(const QString &list, const QString &line) override;
    int lineCount(const QString &list) const override;
    QString line(const QString &list, int index) const override;
    int selectedLine(const QString &list) const override;
    bool isChecked(const QString &box) const override;

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
    QLineEdit *edit(const QString &name) const;
    ListBox *list(const QString &name) const;

    QHash<QString, QLineEdit *> edits_;
    QHash<QString, ListBox *> lists_;
    QHash<QString, QCheckBox *> checks_;
    // Texts written during the current command, put into the widgets at its end.
    QHash<QString, QString> pending_;
    bool deferring_ = false;
};

} // namespace dravik
