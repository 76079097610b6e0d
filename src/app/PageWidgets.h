#pragma once

// Building blocks of the main window's pages: each field, list box and check
// box of the field table made as its widget, with its object name and start
// state, and the small layout helpers the pages share.

#include "FieldTable.h"

#include <QString>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPixmap;
class QPushButton;
class QRadioButton;
class QWidget;

namespace dravik {

class ListBox;

namespace widgets {

QGroupBox *group(const QString &title);
QGridLayout *grid(QWidget *w);
QLabel *label(const QString &text);

// The text field `id` with its start text and read-only flag, frameless.
QLineEdit *field(Field id);
// A caption, the field and an optional unit in one row of a grid.
void addField(QGridLayout *grid, int row, int col, Field id, const QString &caption,
              const QString &unit = QString());
ListBox *listBox(List id);
QCheckBox *checkBox(Check id, const QString &caption);

QPushButton *button(const char *name, const QString &caption);
QRadioButton *radio(const QString &name, const QString &caption, bool checked = false);
QLabel *picture(const QString &name, const QPixmap &pm);

} // namespace widgets
} // namespace dravik
