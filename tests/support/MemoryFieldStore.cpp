#include "MemoryFieldStore.h"

#include "FieldTable.h"

#include <stdexcept>

namespace dravik::test {

namespace {
[[noreturn]] void unknown(const QString &name) {
    throw std::out_of_range("unknown field " + name.toStdString());
}
} // namespace

MemoryFieldStore::MemoryFieldStore(bool) {}

MemoryFieldStore::MemoryFieldStore() {
    for (const FieldSpec &f : mainWindowFields())
        texts_.insert(QString::fromLatin1(f.name), QString::fromUtf8(f.defaultText));
    for (const char *l : mainWindowLists())
        addList(QString::fromLatin1(l));
    for (const CheckSpec &c : mainWindowChecks())
        checks_.insert(QString::fromLatin1(c.name), c.checked);
}

MemoryFieldStore MemoryFieldStore::empty() {
    return MemoryFieldStore(true);
}

void MemoryFieldStore::addField(const QString &name, const QString &text) {
    texts_.insert(name, text);
}
void MemoryFieldStore::addList(const QString &name) {
    lists_.insert(name, {});
    selected_.insert(name, -1);
}
void MemoryFieldStore::addCheck(const QString &name, bool checked) {
    checks_.insert(name, checked);
}

QString MemoryFieldStore::text(const QString &field) const {
    auto it = texts_.constFind(field);
    if (it == texts_.constEnd())
        unknown(field);
    return *it;
}

void MemoryFieldStore::setText(const QString &field, const QString &text) {
    auto it = texts_.find(field);
    if (it == texts_.end())
        unknown(field);
    *it = text;
    ++writes_[field];
}

void MemoryFieldStore::clearLines(const QString &list) {
    auto it = lists_.find(list);
    if (it == lists_.end())
        unknown(list);
    it->clear();
    selected_[list] = -1;
}

void MemoryFieldStore::addLine(const QString &list, const QString &line) {
    auto it = lists_.find(list);
    if (it == lists_.end())
        unknown(list);
    it->append(line);
}

int MemoryFieldStore::lineCount(const QString &list) const {
    return static_cast<int>(lines(list).size());
}

QString MemoryFieldStore::line(const QString &list, int index) const {
    return lines(list).value(index);
}

int MemoryFieldStore::selectedLine(const QString &list) const {
    lines(list);
    return selected_.value(list, -1);
}

bool MemoryFieldStore::isChecked(const QString &box) const {
    auto it = checks_.constFind(box);
    if (it == checks_.constEnd())
        unknown(box);
    return *it;
}

void MemoryFieldStore::setChecked(const QString &box, bool on) {
    isChecked(box);
    checks_[box] = on;
}

void MemoryFieldStore::select(const QString &list, int index) {
    lines(list);
    selected_[list] = index;
}

const QStringList &MemoryFieldStore::lines(const QString &list) const {
    auto it = lists_.constFind(list);
    if (it == lists_.constEnd())
        unknown(list);
    return *it;
}

} // namespace dravik::test
