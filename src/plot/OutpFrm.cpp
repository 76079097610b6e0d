#include "OutpFrm.h"

#include "PlotPainter.h"

#include <QEvent>
#include <QPainter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace dravik {

namespace {

constexpr int ToolBarHeight = 32;
constexpr int ButtonWidth = 96;
constexpr int ButtonHeight = 30;
constexpr int SeparatorWidth = 8;

} // namespace

PlotPicture::PlotPicture(const QImage &image, QWidget *parent) : QWidget(parent), image_(image) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlotPicture::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}

TOutputForm::TOutputForm(FieldStore &mainFields, QWidget *mainWindow, PlotSettings &settings,
                         const Responses &responses, const Crossover &crossover, QWidget *parent)
    : QWidget(parent), mainFields_(mainFields), mainWindow_(mainWindow), settings_(settings),
      responses_(responses), crossover_(crossover),
      image_(PlotImageWidth, PlotImageHeight, QImage::Format_RGB32) {
    setObjectName(QStringLiteral("OutputForm"));
    setWindowTitle(QStringLiteral("Output Window"));
    // Closing hides the window and keeps it; it must never end the program.
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_QuitOnClose, false);
    setGeometry(141, 185, 841, 561);
    setAutoFillBackground(true);
    image_.fill(settings_.PlotBackgroundColor);

    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    connect(addCaptionButton("ToolButton1", QStringLiteral("Close Plot Window")),
            &QToolButton::clicked, this, &TOutputForm::ToolButton1Click);
    connect(addCaptionButton("ToolButton2", QStringLiteral("Show Designer")), &QToolButton::clicked,
            this, &TOutputForm::ToolButton2Click);
    auto *separator = new QWidget(toolBar_);
    separator->setObjectName(QStringLiteral("ToolButton3"));
    separator->setFixedSize(SeparatorWidth, ButtonHeight);
    toolBar_->addWidget(separator);
    connect(addCaptionButton("ToolButton4", QStringLiteral("Refresh")), &QToolButton::clicked, this,
            &TOutputForm::ToolButton4Click);

    picture_ = new PlotPicture(image_, this);
    picture_->setObjectName(QStringLiteral("Image1"));
    picture_->setGeometry(0, ToolBarHeight, PlotImageWidth, PlotImageHeight);

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setSizeGripEnabled(false);
    resizeEvent(nullptr);
}

QToolButton *TOutputForm::addCaptionButton(const char *name, const QString &caption) {
    auto *button = new QToolButton(toolBar_);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    button->setFixedSize(ButtonWidth, ButtonHeight);
    toolBar_->addWidget(button);
    return button;
}

void TOutputForm::resizeEvent(QResizeEvent *) {
    toolBar_->setGeometry(0, 0, width(), ToolBarHeight);
    const int statusHeight = statusBar_->sizeHint().height();
    statusBar_->setGeometry(0, height() - statusHeight, width(), statusHeight);
}

void TOutputForm::FormPaint() {
    const QString caption =
        dravik::FormPaint(image_, mainFields_, settings_, responses_.SystemResponse.data(),
                          crossover_.CrossoverResponse.data());
    setWindowTitle(caption);
    if (palette().color(QPalette::Window) != settings_.PlotBackgroundColor) {
        QPalette colours = palette();
        colours.setColor(QPalette::Window, settings_.PlotBackgroundColor);
        setPalette(colours);
    }
    picture_->update();
}

void TOutputForm::showPlot() {
    show();
    raise();
    activateWindow();
    FormPaint();
}

void TOutputForm::ToolButton1Click() {
    close();
}

void TOutputForm::ToolButton2Click() {
    if (!mainWindow_)
        return;
    mainWindow_->show();
    mainWindow_->raise();
    mainWindow_->activateWindow();
}

void TOutputForm::ToolButton4Click() {
    FormPaint();
}

void TOutputForm::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    FormPaint();
}

void TOutputForm::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormPaint();
}

} // namespace dravik
