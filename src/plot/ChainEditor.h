#pragma once

#include "SignalChain.h"

#include <QWidget>

#include <functional>
#include <map>
#include <vector>

class QLineEdit;
class QListWidget;
class QRadioButton;

namespace dravik {

// The signal chain as a list the user edits in place: each line one filter
// in the order the signal meets them, ticked when it is on. Choosing a line
// puts its values into the fields below; "Apply" puts the fields back into
// that line, "Add" appends them as a new filter. A filter whose values
// cannot be used is refused with the sentence that names the value, and
// the chain stays as it was.
class TChainEditor : public QWidget {
    Q_OBJECT
public:
    // `runCommand` runs an edit through the program's command wrapper (its
    // errors shown); `changed` follows every edit that succeeded.
    TChainEditor(std::function<void(const std::function<void()> &)> runCommand,
                 std::function<void()> changed, QWidget *parent = nullptr);

    const std::vector<FilterStage> &filters() const { return filters_; }
    void setFilters(const std::vector<FilterStage> &filters);

public slots:
    void AddFilterButtonClick();
    void ApplyFilterButtonClick();
    void RemoveFilterButtonClick();
    void FilterUpButtonClick();
    void FilterDownButtonClick();

private:
    FilterStage edited(int position) const;
    void showFilter(const FilterStage &f);
    void list(int current);
    void changeChain(const std::function<void()> &edit);
    void showTypeFields();

    std::function<void(const std::function<void()> &)> runCommand_;
    std::function<void()> changed_;
    std::vector<FilterStage> filters_;
    QListWidget *list_ = nullptr;
    std::map<FilterType, QRadioButton *> types_;
    std::map<FilterAlignment, QRadioButton *> alignments_;
    std::map<QString, QLineEdit *> fields_;
};

} // namespace dravik
