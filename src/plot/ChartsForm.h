#pragma once

#include "CurveFormats.h"
#include "DesignChart.h"
#include "DesignModel.h"
#include "FieldStore.h"
#include "Overlays.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QListWidget;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTabWidget;

namespace dravik {

// The design charts: what the box does to the driver at real power. SPL,
// cone excursion, vent air velocity, impedance, group delay and the most the
// box can take, of the design in the main window's fields, on a logarithmic
// frequency axis. The window reads the fields afresh when it is shown or
// activated, after every command of the main window while it is visible, and
// on "Update"; typing in a field starts nothing. Closing only hides it.
class TChartsForm : public QWidget {
    Q_OBJECT
public:
    // How the window reaches the rest of the program: the command wrapper
    // that reports the program's errors, and the file dialogs.
    struct Hooks {
        std::function<void(const std::function<void()> &)> runCommand;
        std::function<std::optional<QString>(const QString &pipeFilter)> chooseSaveFile;
        std::function<std::optional<QString>(const QString &pipeFilter)> chooseOpenFile;
    };

    TChartsForm(const FieldStore &mainFields, Hooks hooks, QWidget *parent = nullptr);
    ~TChartsForm() override;

    // The box kind of the last sizing command; the user may change it.
    void followBoxKind(BoxKind kind);
    // After a command of the main window: redraw when visible.
    void commandFinished();

    // The curves on show, as last computed.
    const DesignCurves &curves() const { return curves_; }
    BoxKind boxKind() const;
    // The designs drawn beside the current one.
    const OverlaySet &overlays() const { return overlays_; }

public slots:
    void UpdateButtonClick();
    void ExportButtonClick();
    void ResetViewButtonClick();
    void PinButtonClick();
    void AddDesignButtonClick();
    void RemoveOverlayButtonClick();
    void HideOverlayButtonClick();
    void ClearButtonClick();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildCharts();
    void refresh();
    void drawChartsInView();
    ChartMarks marks() const;
    void followPEmax(const DriverParameters &driver);
    double inputPower() const;
    double ventWarning() const;
    void showVoltage(const DriverParameters &driver, double power);
    void addOverlay(const QString &title, const DriverParameters &driver, const BoxParameters &box);
    void overlaysChanged();
    void listOverlays();
    void exportPicture(const QString &path, ExportFormat format);
    void exportFrd(const QString &path);
    FrdLevel frdLevel() const;

    const FieldStore &fields_;
    Hooks hooks_;
    DesignCurves curves_;
    // What the curves were computed from: a refresh that reads the same
    // design again draws nothing anew.
    struct Inputs {
        DriverParameters driver;
        BoxParameters box;
        QString power, warning;
    };
    std::optional<Inputs> shown_;
    bool stale_[ChartCount] = {}; // computed but not yet drawn (a tab not in front)
    QString followedPower_;       // the power text last taken from PEmax
    QLineEdit *power_ = nullptr;
    QLabel *voltage_ = nullptr;
    QLineEdit *ventWarning_ = nullptr;
    QRadioButton *vented_ = nullptr;
    QRadioButton *closed_ = nullptr;
    QRadioButton *frdAt283V_ = nullptr;
    QRadioButton *frdAt1W_ = nullptr;
    QRadioButton *frdAtChartPower_ = nullptr;
    QTabWidget *tabs_ = nullptr;
    QSplitter *splitter_ = nullptr;
    OverlaySet overlays_;
    int overlayGeneration_ = 0; // counts the changes of the overlays
    QListWidget *overlayList_ = nullptr;
    QLabel *overlayCaption_ = nullptr;
    QLabel *overlayNotice_ = nullptr;
    QWidget *splSlot_ = nullptr;
    std::unique_ptr<DesignChart> charts_[ChartCount];
};

} // namespace dravik
