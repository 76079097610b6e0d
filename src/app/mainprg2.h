#pragma once

#include "DesignParameters.h"
#include "ProgramState.h"
#include "WidgetFieldStore.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QGridLayout;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTabWidget;
class QComboBox;

namespace dravik {

class UserDialogs;
class TOutputForm;
class TGETDRIVERForm;
class TAboutForm;
class TOptionsForm;
class TCreateNewProjectForm;
class TFVentFSel;
class TChartsForm;
class TMeasureForm;

// The main window: the design's fields on nine pages, the menu, the tool bar
// and every command. Each command runs inside runCommand, which turns the
// program's one error type into the error message box.
class Tdrvik : public QMainWindow {
    Q_OBJECT
public:
    // `state` is the program's: what its commands compute lands there.
    Tdrvik(UserDialogs &dialogs, ProgramState &state);
    ~Tdrvik() override;

    // The Crossover page's list keeps the lines of the last 1,000 vented
    // calculations (241 each); older lines give way, so memory stays bounded
    // however long the program runs.
    static constexpr int CrossoverListMaxLines = 1000 * 241;

    FieldStore &fields() { return *store_; }
    DesignParameters &design() { return *design_; }

    // The other windows, created after this one.
    struct Windows {
        TOutputForm *plot = nullptr;
        TGETDRIVERForm *database = nullptr;
        TAboutForm *about = nullptr;
        TOptionsForm *options = nullptr;
        TCreateNewProjectForm *newProject = nullptr;
        TFVentFSel *ventFrequency = nullptr;
        TChartsForm *charts = nullptr;
        TMeasureForm *measure = nullptr;
    };
    void attachWindows(const Windows &windows) { windows_ = windows; }

    // Runs one command: a DravikError stops it where it stands, everything
    // written before stays, and the report goes to the error message box.
    void runCommand(const std::function<void()> &command);

    // File page: what a double-click on a directory entry does.
    void openDirectory(const QString &path);
    QListWidget *directoryList() const { return dirList_; }
    QListWidget *fileList() const { return fileList_; }

signals:
    // Quit was chosen (menu, tool bar or the window's close box).
    void quitRequested();

public slots:
    void Button1Click();
    void SBB4ButtonClick();
    void Button26Click();
    void CALCULATEIDEALButtonClick();
    void CALCULATEMAXIMALLYFLATButtonClick();
    void Button25Click();
    void Button2Click();
    void BCalcDimensions1Click();
    void GETDRIVERButtonClick();
    void SelectDriver1Click();
    void ADDDRIVERButtonClick();
    void Button21Click();
    void Button17Click();
    void ToolButton2Click();
    void Button12Click();
    void Newproject1Click();
    void ToolButton1Click();
    void LFileClick();
    void LDirClick(QListWidgetItem *item);
    void BUTTONQuorvel100Click();
    void Quorvel100Hz1Click();
    void BUTTONQuorvel80Click();
    void Quorvel80Hz1Click();
    void BUTTONQuorvel70Click();
    void Quorvel70Hz1Click();
    void BUTTONPelmo100_1Click();
    void Pelmo10011Click();
    void N1driver1Click();
    void N2vents1Click();
    void Options1Click();
    void About1Click();
    void ToolButton4Click();
    void ToolButton5Click();
    void Quit1Click();
    void ToolButton7Click();
    void DesignCharts1Click();
    void MeasureDriver1Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void InitializeTables();
    void buildMenu();
    QWidget *buildToolBar();
    QWidget *buildFilePage();
    QWidget *buildDriverPage();
    QWidget *buildBoxPage();
    QWidget *buildVentPage();
    QWidget *buildCrossoverPage();
    QWidget *buildAnalysisPage();
    QWidget *buildPartListPage();
    QWidget *buildOtherPage();
    QWidget *buildAcousticsPage();

    void refreshFilePage();
    void showWindow(QWidget *w);
    void showPlot();
    void repaintPlot();
    void getDriver();
    void saveDesign();
    void showNewProject();
    void chartsFollowVentedBox();
    void chartsFollowClosedBox();

    UserDialogs &dialogs_;
    ProgramState &state_;
    Windows windows_;
    std::unique_ptr<WidgetFieldStore> store_;
    std::unique_ptr<DesignParameters> design_;
    QTabWidget *pages_ = nullptr;
    QListWidget *dirList_ = nullptr;
    QListWidget *fileList_ = nullptr;
    QComboBox *driveBox_ = nullptr;
};

} // namespace dravik
