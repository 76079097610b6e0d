#include "WidgetFieldStore.h"

#include "ListBox.h"

#include <QCheckBox>
#include <QLineEdit>

#include <stdexcept>

namespace dravik {

namespace {

constexpr size_t FieldCount = static_cast<size_t>(Field::Count);
constexpr size_t ListCount = static_cast<size_t>(List::Count);
constexpr size_t CheckCount = static_cast<size_t>(Check::Count);

size_t index(Field f) {
    return static_cast<size_t>(f);
}
size_t index(List l) {
    return static_cast<size_t>(l);
}
size_t index(Check c) {
    return static_cast<size_t>(c);
}

template <typename T> T *named(QWidget *root, const char *name) {
    T *w = root->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("the window %s has no %s", qPrintable(root->objectName()), name);
    return w;
}

[[noreturn]] void notHere(const char *name) {
    throw std::logic_error(std::string(name) + " is not a field of this window");
}

} // namespace

WidgetFieldStore::WidgetFieldStore(QWidget *root, Window window)
    : edits_(FieldCount, nullptr), lists_(ListCount, nullptr), checks_(CheckCount, nullptr),
      pending_(FieldCount), isPending_(FieldCount, false) {
    for (size_t i = 0; i < FieldCount; ++i)
        if (const FieldSpec &s = tableEntry(Field(i)); s.window == window)
            edits_[i] = named<QLineEdit>(root, s.name);
    for (size_t i = 0; i < ListCount; ++i)
        if (const ListSpec &s = tableEntry(List(i)); s.window == window)
            lists_[i] = named<ListBox>(root, s.name);
    if (window == Window::Main)
        for (size_t i = 0; i < CheckCount; ++i)
            checks_[i] = named<QCheckBox>(root, tableEntry(Check(i)).name);
}

QLineEdit *WidgetFieldStore::edit(Field field) const {
    QLineEdit *e = edits_[index(field)];
    if (!e)
        notHere(tableEntry(field).name);
    return e;
}

ListBox *WidgetFieldStore::list(List list) const {
    ListBox *l = lists_[index(list)];
    if (!l)
        notHere(tableEntry(list).name);
    return l;
}

QString WidgetFieldStore::text(Field field) const {
    return isPending_[index(field)] ? pending_[index(field)] : edit(field)->text();
}

void WidgetFieldStore::setText(Field field, const QString &text) {
    QLineEdit *e = edit(field);
    if (deferring_) {
        if (!isPending_[index(field)]) {
            isPending_[index(field)] = true;
            pendingOrder_.push_back(field);
        }
        pending_[index(field)] = text;
        return;
    }
    e->setText(text);
    e->setCursorPosition(0);
}

void WidgetFieldStore::clearLines(List name) {
    list(name)->lines()->clear();
}

void WidgetFieldStore::addLine(List name, const QString &line) {
    list(name)->lines()->append(line);
}

int WidgetFieldStore::lineCount(List name) const {
    return list(name)->lines()->count();
}

QString WidgetFieldStore::line(List name, int i) const {
    const LineListModel *m = list(name)->lines();
    return i >= 0 && i < m->count() ? m->lineAt(i) : QString();
}

int WidgetFieldStore::selectedLine(List name) const {
    return list(name)->selectedLine();
}

bool WidgetFieldStore::isChecked(Check box) const {
    QCheckBox *c = checks_[index(box)];
    if (!c)
        notHere(tableEntry(box).name);
    return c->isChecked();
}

void WidgetFieldStore::flushLists() {
    deferring_ = false;
    for (Field field : pendingOrder_) {
        QLineEdit *e = edits_[index(field)];
        if (e->text() != pending_[index(field)])
            e->setText(pending_[index(field)]);
        e->setCursorPosition(0);
        isPending_[index(field)] = false;
        pending_[index(field)].clear();
    }
    pendingOrder_.clear();
    for (ListBox *l : lists_)
        if (l)
            l->lines()->flush();
}

} // namespace dravik
