#pragma once

#include "FieldStore.h"

#include <QHash>
#include <QStringList>

namespace dravik::test {

// The main window's fields in memory, at their start texts: what the
// calculation code sees in unit tests instead of the real widgets.
class MemoryFieldStore : public FieldStore {
public:
    MemoryFieldStore(); // every main window field, list and check box at its start state

    // An empty store; add() declares fields for other windows' tests.
    static MemoryFieldStore empty();
    void addField(const QString &name, const QString &text = QString());
    void addList(const QString &name);
    void addCheck(const QString &name, bool checked);

    QString text(const QString &field) const override;
    void setText(const QString &field, const QString &text) override;
    void clearLines(const QString &list) override;
    void addLine(const QString &list, const QString &line) override;
    int lineCount(const QString &list) const override;
    QString line(const QString &list, int index) const override;
    int selectedLine(const QString &list) const override;
    bool isChecked(const QString &box) const override;

    void setChecked(const QString &box, bool on);
    void select(const QString &list, int index);
    const QStringList &lines(const QString &list) const;

    // How many times each field was written (to check what a command leaves alone).
    int writes(const QString &field) const { return writes_.value(field); }

private:
    explicit MemoryFieldStore(bool);
    QHash<QString, QString> texts_;
    QHash<QString, QStringList> lists_;
    QHash<QString, int> selected_;
    QHash<QString, bool> checks_;
    QHash<QString, int> writes_;
};

} // namespace dravik::test
