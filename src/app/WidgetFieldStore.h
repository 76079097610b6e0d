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

private:
    QLineEdit *edit(const QString &name) const;
    ListBox *list(const QString &name) const;

    QHash<QString, QLineEdit *> edits_;
    QHash<QString, ListBox *> lists_;
    QHash<QString, QCheckBox *> checks_;
};

} // namespace dravik
