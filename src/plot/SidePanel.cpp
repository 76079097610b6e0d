#include "SidePanel.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace dravik {

CollapsibleSection::CollapsibleSection(const QString &objectName, const QString &title,
                                       QWidget *parent)
    : QWidget(parent) {
    setObjectName(objectName);
    header_ = new QToolButton;
    header_->setObjectName(objectName + QStringLiteral("Header"));
    header_->setText(title);
    header_->setCheckable(true);
    header_->setChecked(true);
    header_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    header_->setArrowType(Qt::DownArrow);
    header_->setAutoRaise(true);
    QFont bold = header_->font();
    bold.setBold(true);
    header_->setFont(bold);
    header_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    body_ = new QWidget;
    body_->setObjectName(objectName + QStringLiteral("Body"));
    grid_ = new QGridLayout(body_);
    grid_->setContentsMargins(12, 0, 0, 4);
    grid_->setVerticalSpacing(3);
    grid_->setColumnStretch(1, 1); // captions keep their width, controls start beside them
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header_);
    layout->addWidget(body_);
    connect(header_, &QToolButton::toggled, this, &CollapsibleSection::setExpanded);
}

void CollapsibleSection::addWide(QWidget *widget) {
    grid_->addWidget(widget, grid_->rowCount(), 0, 1, -1);
}

void CollapsibleSection::addRow(const QString &caption, QWidget *control) {
    const int row = grid_->rowCount();
    auto *label = new QLabel(caption);
    label->setTextFormat(Qt::PlainText);
    label->setBuddy(control);
    grid_->addWidget(label, row, 0);
    grid_->addWidget(control, row, 1, 1, -1, Qt::AlignLeft);
}

bool CollapsibleSection::isExpanded() const {
    return header_->isChecked();
}

void CollapsibleSection::setExpanded(bool expanded) {
    {
        const QSignalBlocker quiet(header_);
        header_->setChecked(expanded);
    }
    header_->setArrowType(expanded ? Qt::DownArrow : Qt::RightArrow);
    if (body_->isHidden() != expanded)
        return; // already so
    body_->setVisible(expanded);
    emit expandedChanged(expanded);
}

SidePanel::SidePanel(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SidePanel"));
    content_ = new QWidget;
    content_->setObjectName(QStringLiteral("SidePanelContent"));
    sections_ = new QVBoxLayout(content_);
    sections_->setContentsMargins(0, 0, 4, 0);
    sections_->setSpacing(2);
    scroll_ = new QScrollArea;
    scroll_->setObjectName(QStringLiteral("SidePanelScroll"));
    scroll_->setWidget(content_);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setFrameShape(QFrame::NoFrame);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll_);
    content_->installEventFilter(this);
}

void SidePanel::addSection(CollapsibleSection *section) {
    sections_->addWidget(section);
}

void SidePanel::finish() {
    sections_->addStretch(1);
    fitWidth();
}

// The panel is as wide as its widest section plus the scroll bar, whether or
// not the bar shows, so that folding a section never moves the charts.
void SidePanel::fitWidth() {
    const int bar = scroll_->verticalScrollBar()->sizeHint().width();
    const int width = content_->minimumSizeHint().width() + bar + 2;
    // A folded section takes its width along: the panel keeps the widest.
    if (width > scroll_->minimumWidth())
        scroll_->setMinimumWidth(width);
}

bool SidePanel::eventFilter(QObject *watched, QEvent *event) {
    if (watched == content_ && event->type() == QEvent::LayoutRequest)
        fitWidth();
    return QWidget::eventFilter(watched, event);
}

} // namespace dravik
