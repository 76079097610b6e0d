#include "Dialogs.h"

#include "FieldStore.h"
#include "Product.h"
#include "UserDialogs.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include <algorithm>

#include "ListBox.h"

namespace dravik {

namespace {

void setUpWindow(QWidget *w, const char *name, const QString &caption, int width, int height) {
    w->setObjectName(QLatin1String(name));
    w->setWindowTitle(caption);
    w->resize(width, height);
}

QLineEdit *edit(const char *name, const QString &text) {
    auto *e = new QLineEdit(text);
    e->setObjectName(QLatin1String(name));
    return e;
}

QPushButton *button(const char *name, const QString &caption) {
    auto *b = new QPushButton(caption);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QCheckBox *check(const char *name, const QString &caption, bool on) {
    auto *c = new QCheckBox(caption);
    c->setObjectName(QLatin1String(name));
    c->setChecked(on);
    return c;
}

} // namespace

TFVentFSel::TFVentFSel(FieldStore &mainFields) : main_(mainFields) {
    setUpWindow(this, "FVentFSel", QStringLiteral("Select Vent resonant frequency"), 283, 73);
    setWindowFlags(Qt::Tool);
    auto *row = new QHBoxLayout(this);
    selFb_ = edit("ESelFb", QStringLiteral("22"));
    row->addWidget(selFb_);
    row->addWidget(new QLabel(QStringLiteral("Hz")));
    QPushButton *ok = button("B_OK", QStringLiteral("OK"));
    connect(ok, &QPushButton::clicked, this, &TFVentFSel::B_OKClick);
    row->addWidget(ok);
    QPushButton *cancel = button("B_CANCEL", QStringLiteral("Cancel"));
    connect(cancel, &QPushButton::clicked, this, &TFVentFSel::B_CANCELClick);
    row->addWidget(cancel);
}

void TFVentFSel::B_OKClick() {
    // Copied as typed: no check, no conversion.
    main_.setText(Field::EFb, selFb_->text());
    close();
}

void TFVentFSel::B_CANCELClick() {
    close();
}

TCreateNewProjectForm::TCreateNewProjectForm() {
    setUpWindow(this, "CreateNewProjectForm", QStringLiteral("Create New Project File"), 567, 496);
    auto *outer = new QVBoxLayout(this);
    auto *box = new QGroupBox(QStringLiteral("New Design"));
    outer->addWidget(box);
    auto *g = new QGridLayout(box);
    g->addWidget(new QLabel(QStringLiteral("Project Name")), 0, 0);
    g->addWidget(edit("Edit1", QStringLiteral("Edit1")), 0, 1);
    g->addWidget(new QLabel(QStringLiteral("Project File Name")), 1, 0);
    g->addWidget(edit("ENewFileName", QStringLiteral("ENewFileName")), 1, 1);
    g->addWidget(button("Button1", QStringLiteral("Select File")), 1, 2);
    g->addWidget(new QLabel(QStringLiteral("Project Description")), 2, 0, Qt::AlignTop);
    auto *description = new TextBox;
    description->setObjectName(QStringLiteral("RichEdit1"));
    description->setPlainText(QStringLiteral("RichEdit1"));
    g->addWidget(description, 2, 1, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    QPushButton *ok = button("Button2", QStringLiteral("Ok"));
    connect(ok, &QPushButton::clicked, this, &TCreateNewProjectForm::Button2Click);
    buttons->addWidget(ok);
    QPushButton *cancel = button("Button3", QStringLiteral("Cancel"));
    connect(cancel, &QPushButton::clicked, this, &TCreateNewProjectForm::Button3Click);
    buttons->addWidget(cancel);
    g->addLayout(buttons, 3, 0, 1, 3);
}

int TextBox::length() const {
    return document()->characterCount() - 1; // the last paragraph's end is not text
}

void TextBox::setLimitedText(const QString &text) {
    setPlainText(text.left(MaxLength));
}

void TextBox::insertFromMimeData(const QMimeData *source) {
    if (!source || !source->hasText())
        return;
    QTextCursor cursor = textCursor();
    const int replaced = cursor.selectionEnd() - cursor.selectionStart();
    const int room = std::max(0, MaxLength - (length() - replaced));
    // Cut before inserting: the text beyond the limit is never laid out.
    cursor.insertText(source->text().left(room));
    setTextCursor(cursor);
    ensureCursorVisible();
}

void TextBox::keyPressEvent(QKeyEvent *event) {
    QTextEdit::keyPressEvent(event);
    cutToLimit();
}

void TextBox::inputMethodEvent(QInputMethodEvent *event) {
    QTextEdit::inputMethodEvent(event);
    cutToLimit();
}

void TextBox::cutToLimit() {
    const int excess = length() - MaxLength;
    if (excess <= 0)
        return;
    QTextCursor cursor = textCursor();
    cursor.clearSelection();
    cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor, excess);
    cursor.removeSelectedText();
}

void TCreateNewProjectForm::Button2Click() {
    close();
}
void TCreateNewProjectForm::Button3Click() {
    close();
}

TOptionsForm::TOptionsForm(UserDialogs &dialogs) : dialogs_(dialogs) {
    setUpWindow(this, "OptionsForm", QStringLiteral("Options"), 651, 526);
    auto *outer = new QVBoxLayout(this);
    auto *pages = new QTabWidget;
    pages->setObjectName(QStringLiteral("OptionsPages"));
    outer->addWidget(pages, 1);

    auto *appearance = new QWidget;
    appearance->setObjectName(QStringLiteral("AppearancePage"));
    auto *a = new QGridLayout(appearance);
    a->addWidget(new QLabel(QStringLiteral("Page 1 Background picture")), 0, 0);
    backgroundPicture_ = edit("EPage1BackgroundPicture", QStringLiteral("bg0.bmp"));
    a->addWidget(backgroundPicture_, 1, 0);
    QPushButton *select = button("Button4", QStringLiteral("Select Picture"));
    connect(select, &QPushButton::clicked, this, &TOptionsForm::Button4Click);
    a->addWidget(select, 1, 1);
    a->addWidget(check("bg1checkbox", QStringLiteral("Enabled"), true), 2, 0);
    a->addWidget(check("bg1fit", QStringLiteral("Fit to window size"), false), 3, 0);
    a->addWidget(new QGroupBox, 0, 2, 5, 1);
    a->setRowStretch(4, 1);
    a->setColumnStretch(2, 1);
    pages->addTab(appearance, QStringLiteral("Appearance"));

    auto *general = new QWidget;
    general->setObjectName(QStringLiteral("GeneralSettingsPage"));
    (new QVBoxLayout(general))->addWidget(new QGroupBox);
    pages->addTab(general, QStringLiteral("General Settings"));

    auto *plot = new QWidget;
    plot->setObjectName(QStringLiteral("PlotPreferencesPage"));
    auto *p = new QGridLayout(plot);
    p->addWidget(new QLabel(QStringLiteral("X Scale")), 0, 0);
    p->addWidget(edit("X_Scale_Box", QStringLiteral("1")), 0, 1);
    p->addWidget(new QLabel(QStringLiteral("Y Scale")), 1, 0);
    p->addWidget(edit("Y_Scale_Box", QStringLiteral("1")), 1, 1);
    p->addWidget(check("EnableScaling", QStringLiteral("Enable Scaling"), true), 2, 0, 1, 2);
    p->addWidget(new QGroupBox, 0, 2, 4, 1);
    p->setRowStretch(3, 1);
    p->setColumnStretch(2, 1);
    pages->addTab(plot, QStringLiteral("Plot Window Preferences"));
    pages->setCurrentWidget(plot);

    auto *panel = new QHBoxLayout;
    panel->addStretch(1);
    const struct {
        const char *name;
        const char *caption;
        void (TOptionsForm::*handler)();
    } buttons[] = {{"Button2", "Ok", &TOptionsForm::Button2Click},
                   {"Button3", "Cancel", &TOptionsForm::Button3Click},
                   {"Button1", "Apply", &TOptionsForm::Button1Click}};
    for (const auto &b : buttons) {
        QPushButton *pb = button(b.name, QString::fromLatin1(b.caption));
        connect(pb, &QPushButton::clicked, this, b.handler);
        panel->addWidget(pb);
    }
    outer->addLayout(panel);
}

// Ok, Cancel and Apply all close the dialog and keep whatever was changed.
void TOptionsForm::Button1Click() {
    close();
}
void TOptionsForm::Button2Click() {
    close();
}
void TOptionsForm::Button3Click() {
    close();
}

void TOptionsForm::Button4Click() {
    const std::optional<QString> path = dialogs_.openFile(this, QLatin1String(PictureFilter));
    if (path)
        backgroundPicture_->setText(*path);
}

TAboutForm::TAboutForm() {
    setUpWindow(this, "AboutForm", QStringLiteral("About..."), 423, 268);
    setFixedSize(423, 268);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    auto *outer = new QVBoxLayout(this);
    auto *box = new QGroupBox(QStringLiteral("Dravik"));
    outer->addWidget(box);
    auto *v = new QVBoxLayout(box);
    for (const QString &line :
         {QString::fromLatin1(ProductVersionLine),
          QStringLiteral("Written by the Dravik developers"), QString::fromLatin1(ProductNotice)}) {
        auto *l = new QLabel(line);
        l->setAlignment(Qt::AlignHCenter);
        v->addWidget(l);
    }
    v->addStretch(1);
    QPushButton *ok = button("AboutOkButton", QStringLiteral("Ok"));
    connect(ok, &QPushButton::clicked, this, &TAboutForm::AboutOkButtonClick);
    v->addWidget(ok, 0, Qt::AlignHCenter);
}

void TAboutForm::AboutOkButtonClick() {
    close();
}

TGETDRIVERForm::TGETDRIVERForm() {
    setUpWindow(this, "GETDRIVERForm", QStringLiteral("Database"), 560, 380);
    auto *outer = new QVBoxLayout(this);
    auto *box = new QGroupBox(QStringLiteral("Get Driver"));
    outer->addWidget(box);
    auto *g = new QGridLayout(box);
    auto *drivers = new ListBox(QLatin1String(tableEntry(List::DriverEntries).name));
    drivers->setTypeAhead(ListBox::TypeAhead::SkipFirstWord); // jump by maker, not by index
    g->addWidget(drivers, 0, 0);
    g->addWidget(new ListBox(QLatin1String(tableEntry(List::DriverComments).name)), 0, 1);
    g->addWidget(edit(tableEntry(Field::DatabaseIndex).name,
                      QString::fromLatin1(tableEntry(Field::DatabaseIndex).defaultText)),
                 1, 0);
    QPushButton *load = button("LoadButton", QStringLiteral("Load Selected Driver"));
    connect(load, &QPushButton::clicked, this, &TGETDRIVERForm::loadRequested);
    g->addWidget(load, 2, 0);
    QPushButton *cancel = button("CancelButton", QStringLiteral("Cancel"));
    connect(cancel, &QPushButton::clicked, this, &TGETDRIVERForm::CancelButtonClick);
    g->addWidget(cancel, 2, 1);
    g->setRowStretch(0, 1);
    store_ = std::make_unique<WidgetFieldStore>(this, Window::Database);
}

void TGETDRIVERForm::CancelButtonClick() {
    close();
}

} // namespace dravik
