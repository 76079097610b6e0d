#include "MemoryFieldStore.h"

#include <stdexcept>

namespace dravik::test {

namespace {

template <typename Id> size_t index(Id id) {
    return static_cast<size_t>(id);
}

} // namespace

MemoryFieldStore::MemoryFieldStore() : MemoryFieldStore(Window::Main) {}

MemoryFieldStore MemoryFieldStore::databaseDialog() {
    return MemoryFieldStore(Window::Database);
}

MemoryFieldStore::MemoryFieldStore(Window window)
    : window_(window), texts_(index(Field::Count)), lists_(index(List::Count)),
      selected_(index(List::Count), -1), checks_(index(Check::Count)),
      writes_(index(Field::Count)) {
    for (size_t i = 0; i < texts_.size(); ++i)
        texts_[i] = QString::fromUtf8(tableEntry(Field(i)).defaultText);
    for (size_t i = 0; i < checks_.size(); ++i)
        checks_[i] = tableEntry(Check(i)).checked;
}

void MemoryFieldStore::mustHold(Window window, const char *name) const {
    if (window != window_)
        throw std::logic_error(std::string(name) + " is not a field of this window");
}

QString MemoryFieldStore::text(Field field) const {
    mustHold(tableEntry(field).window, tableEntry(field).name);
    return texts_[index(field)];
}

void MemoryFieldStore::setText(Field field, const QString &text) {
    mustHold(tableEntry(field).window, tableEntry(field).name);
    texts_[index(field)] = text;
    ++writes_[index(field)];
}

void MemoryFieldStore::clearLines(List list) {
    mustHold(tableEntry(list).window, tableEntry(list).name);
    lists_[index(list)].clear();
    selected_[index(list)] = -1;
}

void MemoryFieldStore::addLine(List list, const QString &line) {
    mustHold(tableEntry(list).window, tableEntry(list).name);
    lists_[index(list)].append(line);
}

int MemoryFieldStore::lineCount(List list) const {
    return static_cast<int>(lines(list).size());
}

QString MemoryFieldStore::line(List list, int i) const {
    return lines(list).value(i);
}

int MemoryFieldStore::selectedLine(List list) const {
    mustHold(tableEntry(list).window, tableEntry(list).name);
    return selected_[index(list)];
}

bool MemoryFieldStore::isChecked(Check box) const {
    mustHold(Window::Main, tableEntry(box).name);
    return checks_[index(box)];
}

void MemoryFieldStore::setChecked(Check box, bool on) {
    mustHold(Window::Main, tableEntry(box).name);
    checks_[index(box)] = on;
}

void MemoryFieldStore::select(List list, int i) {
    mustHold(tableEntry(list).window, tableEntry(list).name);
    selected_[index(list)] = i;
}

const QStringList &MemoryFieldStore::lines(List list) const {
    mustHold(tableEntry(list).window, tableEntry(list).name);
    return lists_[index(list)];
}

int MemoryFieldStore::writes(Field field) const {
    return writes_[index(field)];
}

Field MemoryFieldStore::fieldNamed(const QString &name) const {
    for (size_t i = 0; i < index(Field::Count); ++i)
        if (tableEntry(Field(i)).window == window_ &&
            name == QLatin1String(tableEntry(Field(i)).name))
            return Field(i);
    throw std::out_of_range("no field named " + name.toStdString());
}

List MemoryFieldStore::listNamed(const QString &name) const {
    for (size_t i = 0; i < index(List::Count); ++i)
        if (tableEntry(List(i)).window == window_ &&
            name == QLatin1String(tableEntry(List(i)).name))
            return List(i);
    throw std::out_of_range("no list named " + name.toStdString());
}

Check MemoryFieldStore::checkNamed(const QString &name) const {
    for (size_t i = 0; i < index(Check::Count); ++i)
        if (window_ == Window::Main && name == QLatin1String(tableEntry(Check(i)).name))
            return Check(i);
    throw std::out_of_range("no check box named " + name.toStdString());
}

} // namespace dravik::test
