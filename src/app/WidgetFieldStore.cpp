#include "WidgetFieldStore.h"

#include "ListBox.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTimer>

#include <stdexcept>

namespace dravik {

namespace {
template <typename T> QHash<QString, T *> namedChildren(QWidget *root) {
    QHash<QString, T *> byName;
    for (T *w : root->findChildren<T *>()) {
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            byName.insert(w->objectName(), w);
    }
    return byName;
}

[[noreturn]] void unknown(const QString &name) {
    throw std::out_of_range("no field named " + name.toStdString());
}
} // namespace

WidgetFieldStore::WidgetFieldStore(QWidget *root)
    : edits_(namedChildren<QLineEdit>(root)), lists_(namedChildren<ListBox>(root)),
      checks_(namedChildren<QCheckBox>(root)) {}

QLineEdit *WidgetFieldStore::edit(const QString &name) const {
    QLineEdit *e = edits_.value(name);
    if (!e)
        unknown(name);
    return e;
}

ListBox *WidgetFieldStore::list(const QString &name) const {
    ListBox *l = lists_.value(name);
    if (!l)
        unknown(name);
    return l;
}

QString WidgetFieldStore::text(const QString &field) const {
    const auto it = pending_.constFind(field);
    return it != pending_.cend() ? *it : edit(field)->text();
}

void WidgetFieldStore::setText(const QString &field, const QString &text) {
    QLineEdit *e = edit(field);
    if (deferring_) {
        pending_.insert(field, text);
        return;
    }
    e->setText(text);
    e->setCursorPosition(0);
}

void WidgetFieldStore::clearLines(const QString &name) {
    list(name)->lines()->clear();
}

void WidgetFieldStore::addLine(const QString &name, const QString &line) {
    list(name)->lines()->append(line);
}

int WidgetFieldStore::lineCount(const QString &name) const {
    return list(name)->lines()->count();
}

QString WidgetFieldStore::line(const QString &name, int index) const {
    const LineListModel *m = list(name)->lines();
    return index >= 0 && index < m->count() ? m->lineAt(index) : QString();
}

int WidgetFieldStore::selectedLine(const QString &name) const {
    return list(name)->selectedLine();
}

bool WidgetFieldStore::isChecked(const QString &box) const {
    QCheckBox *c = checks_.value(box);
    if (!c)
        unknown(box);
    return c->isChecked();
}

void WidgetFieldStore::flushLists() {
    deferring_ = false;
    for (auto it = pending_.cbegin(); it != pending_.cend(); ++it) {
        QLineEdit *e = edits_.value(it.key());
        if (e->text() != it.value())
            e->setText(it.value());
        e->setCursorPosition(0);
    }
    pending_.clear();
    for (ListBox *l : std::as_const(lists_))
        l->lines()->flush();
}

} // namespace dravik
