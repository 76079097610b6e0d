#pragma once

#include <QWidget>

class QGridLayout;
class QScrollArea;
class QToolButton;
class QVBoxLayout;

namespace dravik {

// One titled part of a window's side panel that folds away to its title, so
// that a builder keeps the controls at hand that the design needs and the
// rest out of the way.
class CollapsibleSection : public QWidget {
    Q_OBJECT
public:
    // objectName names the section ("DriveSection"); its header button is
    // objectName + "Header", for scripts and tests.
    CollapsibleSection(const QString &objectName, const QString &title, QWidget *parent = nullptr);

    // The section's body: a grid of captions (column 0) and controls.
    QGridLayout *grid() const { return grid_; }
    QWidget *body() const { return body_; }
    // Adds a widget on a row of its own across every column.
    void addWide(QWidget *widget);
    // Adds a caption and a control on the next row.
    void addRow(const QString &caption, QWidget *control);

    bool isExpanded() const;
    void setExpanded(bool expanded);

signals:
    void expandedChanged(bool expanded);

private:
    QToolButton *header_ = nullptr;
    QWidget *body_ = nullptr;
    QGridLayout *grid_ = nullptr;
};

// The sections one below the other in a vertical scroll area as wide as the
// widest of them ever was, so that nothing is cut at the side, folding a
// section never moves the charts, and the panel scrolls where the window is
// too low to hold it.
class SidePanel : public QWidget {
    Q_OBJECT
public:
    explicit SidePanel(QWidget *parent = nullptr);
    void addSection(CollapsibleSection *section);
    // Ends the list: the space below the last section stays empty.
    void finish();
    QScrollArea *scrollArea() const { return scroll_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fitWidth();
    QScrollArea *scroll_ = nullptr;
    QWidget *content_ = nullptr;
    QVBoxLayout *sections_ = nullptr;
};

} // namespace dravik
