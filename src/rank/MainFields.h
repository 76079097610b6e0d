#pragma once

#include "FieldStore.h"

#include <QStringList>

#include <vector>

namespace dravik {

// The main window's fields, lists and check boxes in memory, at the start
// texts of the field table: what the commands work on when no window is
// open. Asking it for another window's field is a programming error.
class MainFields : public FieldStore {
public:
    MainFields();

    QString text(Field field) const override;
    void setText(Field field, const QString &text) override;
    void clearLines(List list) override;
    void addLine(List list, const QString &line) override;
    int lineCount(List list) const override;
    QString line(List list, int index) const override;
    int selectedLine(List list) const override;
    bool isChecked(Check box) const override;

    const QStringList &lines(List list) const;

private:
    std::vector<QString> texts_;
    std::vector<QStringList> lists_;
    std::vector<bool> checks_;
};

} // namespace dravik
