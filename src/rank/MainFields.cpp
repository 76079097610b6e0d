#include "MainFields.h"

#include <stdexcept>
#include <string>

namespace dravik {

namespace {

template <typename Id> size_t slot(Id id) {
    const auto &entry = tableEntry(id);
    if (entry.window != Window::Main)
        throw std::logic_error(std::string(entry.name) + " is not a field of the main window");
    return static_cast<size_t>(id);
}

} // namespace

MainFields::MainFields()
    : texts_(static_cast<size_t>(Field::Count)), lists_(static_cast<size_t>(List::Count)),
      checks_(static_cast<size_t>(Check::Count)) {
    for (size_t i = 0; i < texts_.size(); ++i)
        texts_[i] = QString::fromUtf8(tableEntry(Field(i)).defaultText);
    for (size_t i = 0; i < checks_.size(); ++i)
        checks_[i] = tableEntry(Check(i)).checked;
}

QString MainFields::text(Field field) const {
    return texts_[slot(field)];
}

void MainFields::setText(Field field, const QString &text) {
    texts_[slot(field)] = text;
}

void MainFields::clearLines(List list) {
    lists_[slot(list)].clear();
}

void MainFields::addLine(List list, const QString &line) {
    lists_[slot(list)].append(line);
}

int MainFields::lineCount(List list) const {
    return static_cast<int>(lines(list).size());
}

QString MainFields::line(List list, int index) const {
    return lines(list).value(index);
}

// Nothing is ever selected: no command of a batch selects a list entry.
int MainFields::selectedLine(List list) const {
    slot(list);
    return -1;
}

bool MainFields::isChecked(Check box) const {
    return checks_[static_cast<size_t>(box)];
}

const QStringList &MainFields::lines(List list) const {
    return lists_[slot(list)];
}

} // namespace dravik
