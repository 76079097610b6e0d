#pragma once

#include "FieldStore.h"

#include <QStringList>

#include <vector>

namespace dravik::test {

// One window's fields in memory, at their start texts: what the calculation
// code sees in unit tests instead of the real widgets. Besides the field
// table's identifiers, tests may name fields by their object names within
// the store's window ("EVb"; "Edit1" and "ListBox1" of the database dialog).
class MemoryFieldStore : public FieldStore {
public:
    // The main window: every field, list and check box at its start state.
    MemoryFieldStore();
    // The driver database dialog: its index field and its two lists.
    static MemoryFieldStore databaseDialog();

    QString text(Field field) const override;
    void setText(Field field, const QString &text) override;
    void clearLines(List list) override;
    void addLine(List list, const QString &line) override;
    int lineCount(List list) const override;
    QString line(List list, int index) const override;
    int selectedLine(List list) const override;
    bool isChecked(Check box) const override;

    void setChecked(Check box, bool on);
    void select(List list, int index);
    const QStringList &lines(List list) const;
    // How many times a field was written (to check what a command leaves alone).
    int writes(Field field) const;

    // The same by object name.
    QString text(const QString &name) const { return text(fieldNamed(name)); }
    void setText(const QString &name, const QString &text) { setText(fieldNamed(name), text); }
    void clearLines(const QString &name) { clearLines(listNamed(name)); }
    void addLine(const QString &name, const QString &line) { addLine(listNamed(name), line); }
    int lineCount(const QString &name) const { return lineCount(listNamed(name)); }
    QString line(const QString &name, int index) const { return line(listNamed(name), index); }
    int selectedLine(const QString &name) const { return selectedLine(listNamed(name)); }
    bool isChecked(const QString &name) const { return isChecked(checkNamed(name)); }
    void setChecked(const QString &name, bool on) { setChecked(checkNamed(name), on); }
    void select(const QString &name, int index) { select(listNamed(name), index); }
    const QStringList &lines(const QString &name) const { return lines(listNamed(name)); }
    int writes(const QString &name) const { return writes(fieldNamed(name)); }

    Field fieldNamed(const QString &name) const;
    List listNamed(const QString &name) const;
    Check checkNamed(const QString &name) const;

private:
    explicit MemoryFieldStore(Window window);
    void mustHold(Window window, const char *name) const;

    Window window_;
    std::vector<QString> texts_;
    std::vector<QStringList> lists_;
    std::vector<int> selected_;
    std::vector<bool> checks_;
    std::vector<int> writes_;
};

} // namespace dravik::test
