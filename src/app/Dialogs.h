#pragma once

// The small windows of the program. Like every window they are created hidden
// at start-up, shown modeless, and only hidden when closed, so each keeps what
// was typed into it between showings.

#include "WidgetFieldStore.h"

#include <QTextEdit>
#include <QWidget>

#include <memory>

class QLineEdit;
class QTabWidget;

namespace dravik {

class FieldStore;
class UserDialogs;

// Sets the box tuning frequency: "OK" copies the typed text into EFb as it stands.
class TFVentFSel : public QWidget {
    Q_OBJECT
public:
    explicit TFVentFSel(FieldStore &mainFields);
public slots:
    void B_OKClick();
    void B_CANCELClick();

private:
    FieldStore &main_;
    QLineEdit *selFb_;
};

// A multi-line text box that holds at most MaxLength characters, as a one-line
// field does: what is typed, pasted or dropped beyond that is cut off. Laying
// out megabytes of text (one long word above all) would keep the window from
// answering for seconds or minutes.
class TextBox : public QTextEdit {
    Q_OBJECT
public:
    static constexpr int MaxLength = 32767;

    explicit TextBox(QWidget *parent = nullptr) : QTextEdit(parent) {}
    // Replaces the whole text, cut to MaxLength characters.
    void setLimitedText(const QString &text);
    int length() const;

protected:
    void insertFromMimeData(const QMimeData *source) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    // Removes what a keystroke put beyond the limit, just before the cursor.
    void cutToLimit();
};

// Holds what is typed into it; creates nothing.
class TCreateNewProjectForm : public QWidget {
    Q_OBJECT
public:
    TCreateNewProjectForm();
public slots:
    void Button2Click();
    void Button3Click();
};

// Holds its settings for the session; no calculation reads them.
class TOptionsForm : public QWidget {
    Q_OBJECT
public:
    explicit TOptionsForm(UserDialogs &dialogs);
public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();

private:
    UserDialogs &dialogs_;
    QLineEdit *backgroundPicture_;
};

class TAboutForm : public QWidget {
    Q_OBJECT
public:
    TAboutForm();
public slots:
    void AboutOkButtonClick();
};

// The driver database dialog: the records listed, one of them to load.
class TGETDRIVERForm : public QWidget {
    Q_OBJECT
public:
    TGETDRIVERForm();
    WidgetFieldStore &fields() { return *store_; }

signals:
    void loadRequested();

public slots:
    void CancelButtonClick();

private:
    std::unique_ptr<WidgetFieldStore> store_;
};

} // namespace dravik
