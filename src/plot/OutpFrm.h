#pragma once

#include "CrossoverArrays.h"
#include "FieldStore.h"
#include "PlotSettings.h"
#include "ResponseArrays.h"

#include <QImage>
#include <QWidget>

class QStatusBar;
class QToolBar;
class QToolButton;

namespace dravik {

// The picture control: shows the plot's bitmap at its natural size.
class PlotPicture : public QWidget {
    Q_OBJECT
public:
    PlotPicture(const QImage &image, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const QImage &image_;
};

// The plot window. It draws the system response (plus the crossover response
// when "Crossover Enabled" is ticked) with its grid, markers and legend onto
// its own bitmap, afresh every time it is shown, activated or refreshed;
// between those it keeps its last drawing. Closing only hides it.
class TOutputForm : public QWidget {
    Q_OBJECT
public:
    // `mainFields` are the main window's fields; `mainWindow` is what
    // "Show Designer" brings back. The picture shows `responses` and
    // `crossover` with `settings`, the program's own.
    TOutputForm(FieldStore &mainFields, QWidget *mainWindow, PlotSettings &settings,
                const Responses &responses, const Crossover &crossover, QWidget *parent = nullptr);

    // Redraws the whole picture from the response arrays and the fields and
    // sets the window caption.
    void FormPaint();
    const QImage &image() const { return image_; }

    // Makes the window visible, brings it to the front, activates it and
    // redraws it at once.
    void showPlot();

public slots:
    void ToolButton1Click(); // "Close Plot Window"
    void ToolButton2Click(); // "Show Designer"
    void ToolButton4Click(); // "Refresh"

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QToolButton *addCaptionButton(const char *name, const QString &caption);

    FieldStore &mainFields_;
    QWidget *mainWindow_;
    PlotSettings &settings_;
    const Responses &responses_;
    const Crossover &crossover_;
    QImage image_;
    QToolBar *toolBar_ = nullptr;
    PlotPicture *picture_ = nullptr;
    QStatusBar *statusBar_ = nullptr;
};

} // namespace dravik
