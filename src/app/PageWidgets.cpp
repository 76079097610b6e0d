#include "PageWidgets.h"

#include "ListBox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

namespace dravik::widgets {

QGroupBox *group(const QString &title) {
    return new QGroupBox(title);
}

QGridLayout *grid(QWidget *w) {
    auto *g = new QGridLayout(w);
    g->setContentsMargins(6, 4, 6, 4);
    g->setHorizontalSpacing(6);
    g->setVerticalSpacing(2);
    return g;
}

QLabel *label(const QString &text) {
    return new QLabel(text);
}

QLineEdit *field(Field id) {
    const FieldSpec &entry = tableEntry(id);
    auto *e = new QLineEdit(QString::fromUtf8(entry.defaultText));
    e->setObjectName(QLatin1String(entry.name));
    e->setReadOnly(entry.readOnly);
    e->setFrame(false);
    e->setCursorPosition(0);
    return e;
}

void addField(QGridLayout *g, int row, int col, Field id, const QString &caption,
              const QString &unit) {
    if (!caption.isEmpty())
        g->addWidget(label(caption), row, col);
    g->addWidget(field(id), row, col + 1);
    if (!unit.isEmpty())
        g->addWidget(label(unit), row, col + 2);
}

ListBox *listBox(List id) {
    return new ListBox(QLatin1String(tableEntry(id).name));
}

QCheckBox *checkBox(Check id, const QString &caption) {
    auto *c = new QCheckBox(caption);
    c->setObjectName(QLatin1String(tableEntry(id).name));
    c->setChecked(tableEntry(id).checked);
    return c;
}

QPushButton *button(const char *name, const QString &caption) {
    auto *b = new QPushButton(caption);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QRadioButton *radio(const QString &name, const QString &caption, bool checked) {
    auto *r = new QRadioButton(caption);
    r->setObjectName(name);
    r->setChecked(checked);
    return r;
}

QLabel *picture(const QString &name, const QPixmap &pm) {
    auto *l = new QLabel;
    l->setObjectName(name);
    l->setPixmap(pm);
    l->setFixedSize(pm.size());
    return l;
}

} // namespace dravik::widgets
