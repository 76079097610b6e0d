#pragma once

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QStringList>
#include <QTableView>

namespace dravik {

// Lines of a list box. Appending is constant time: new lines are announced
// to the view in one batch (at the end of the command, or on the next turn of
// the event loop), so a simulation that adds 241 lines to a list already
// holding hundreds of thousands does no per-line layout work.
class LineListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit LineListModel(QObject *parent = nullptr);

    void append(const QString &line);
    void clear();
    // Lines added but not yet shown become visible now.
    void flush();

    // At most `maxLines` lines are kept (0: no limit): beyond it each new
    // line drops the oldest one.
    void setMaxLines(int maxLines) { maxLines_ = maxLines; }
    int maxLines() const { return maxLines_; }

    int count() const { return static_cast<int>(lines_.size() - first_); }
    const QString &lineAt(int i) const { return lines_.at(first_ + i); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    // Dropped lines stay as empty slots at the front, lines_[0, first_), until
    // the next flush tells the view and removes them in one step: the view
    // learns of the drops in one batch, as of the additions, and until then
    // its rows are the slots it knows.
    QStringList lines_;
    qsizetype first_ = 0;
    int shownRows_ = 0;
    int maxLines_ = 0;
    bool flushQueued_ = false;
};

// A list box of the program: one column of text lines, one selected entry at most.
class ListBox : public QTableView {
    Q_OBJECT
public:
    explicit ListBox(const QString &objectName, QWidget *parent = nullptr);

    LineListModel *lines() const { return model_; }
    // The selected entry, -1 when none is.
    int selectedLine() const;
    // Makes entry `index` the selected one; -1 leaves none selected.
    void selectLine(int index);

    // Letters typed while the list has focus jump to the first entry that
    // starts with them. With SkipFirstWord the entry's first word (the
    // database index in front of a driver's name) is passed over.
    enum class TypeAhead { WholeLine, SkipFirstWord };
    void setTypeAhead(TypeAhead mode) { typeAhead_ = mode; }
    void keyboardSearch(const QString &search) override;

private:
    LineListModel *model_;
    TypeAhead typeAhead_ = TypeAhead::WholeLine;
    QString typed_;
    QElapsedTimer sinceTyped_;
};

} // namespace dravik
