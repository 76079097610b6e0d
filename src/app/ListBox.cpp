#include "ListBox.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTimer>

#include <algorithm>

namespace dravik {

LineListModel::LineListModel(QObject *parent) : QAbstractListModel(parent) {}

void LineListModel::append(const QString &line) {
    lines_.append(line);
    if (maxLines_ > 0 && count() > maxLines_) {
        lines_[first_] = QString(); // its memory goes now, its slot at the next flush
        ++first_;
        // A command adding very many lines at once must not grow the slots without limit.
        if (first_ >= maxLines_)
            flush();
    }
    if (!flushQueued_) {
        flushQueued_ = true;
        QTimer::singleShot(0, this, &LineListModel::flush);
    }
}

void LineListModel::clear() {
    beginResetModel();
    lines_.clear();
    first_ = 0;
    shownRows_ = 0;
    endResetModel();
}

void LineListModel::flush() {
    flushQueued_ = false;
    if (first_ > 0) {
        // The view's first rows are the dropped lines, as many as it showed of them.
        const int gone = static_cast<int>(std::min<qsizetype>(first_, shownRows_));
        if (gone > 0)
            beginRemoveRows(QModelIndex(), 0, gone - 1);
        lines_.erase(lines_.begin(), lines_.begin() + first_);
        first_ = 0;
        shownRows_ -= gone;
        if (gone > 0)
            endRemoveRows();
    }
    const int total = count();
    if (total <= shownRows_)
        return;
    beginInsertRows(QModelIndex(), shownRows_, total - 1);
    shownRows_ = total;
    endInsertRows();
}

int LineListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : shownRows_;
}

QVariant LineListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= shownRows_)
        return {};
    if (role == Qt::DisplayRole)
        return lines_.at(index.row()); // as the view knows the rows: up to the next flush
    return {};
}

ListBox::ListBox(const QString &objectName, QWidget *parent)
    : QTableView(parent), model_(new LineListModel(this)) {
    setObjectName(objectName);
    setModel(model_);
    horizontalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);
    setShowGrid(false);
    setWordWrap(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
}

int ListBox::selectedLine() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    int last = -1;
    for (const QModelIndex &i : rows)
        last = std::max(last, i.row());
    return last;
}

void ListBox::selectLine(int index) {
    model_->flush();
    selectionModel()->clearSelection();
    if (index < 0 || index >= model_->rowCount())
        return;
    const QModelIndex i = model_->index(index);
    selectionModel()->select(i, QItemSelectionModel::ClearAndSelect);
    setCurrentIndex(i);
}

void ListBox::keyboardSearch(const QString &search) {
    if (typeAhead_ == TypeAhead::WholeLine) {
        QTableView::keyboardSearch(search);
        return;
    }
    // Letters typed in quick succession make one prefix, as in every list.
    if (!sinceTyped_.isValid() || sinceTyped_.elapsed() > QApplication::keyboardInputInterval())
        typed_.clear();
    typed_ += search;
    sinceTyped_.start();
    model_->flush();
    for (int i = 0; i < model_->count(); ++i) {
        const QString &line = model_->lineAt(i);
        const qsizetype blank = line.indexOf(QLatin1Char(' '));
        const QStringView name = blank < 0 ? QStringView() : QStringView(line).mid(blank + 1);
        if (name.startsWith(typed_, Qt::CaseInsensitive)) {
            selectLine(i);
            scrollTo(model_->index(i));
            return;
        }
    }
}

} // namespace dravik
