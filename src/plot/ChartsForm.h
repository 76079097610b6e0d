#pragma once

#include "ChainEditor.h"
#include "ChartsPresenter.h"
#include "CurveFormats.h"
#include "DesignChart.h"
#include "DesignModel.h"
#include "DesignReader.h"
#include "Enclosures.h"
#include "FieldStore.h"
#include "Overlays.h"
#include "PathEditor.h"
#include "WiringOptions.h"

#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class QCheckBox;
class QGridLayout;
class QLabel;
class QListWidget;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSplitter;
class QStackedWidget;
class QTabWidget;

namespace dravik {

class CollapsibleSection;

// The design charts: what the box does to the drivers at real power. SPL,
// cone and radiator excursion, vent air velocity, impedance, group delay and
// the most the box can take, of the design in the main window's fields (or
// of a setup file opened here), in any of five enclosures with up to eight
// drivers, on a logarithmic frequency axis. The window reads the fields
// afresh when it is shown or activated, after every command of the main
// window while it is visible, and on "Update"; typing in a field starts
// nothing. Closing only hides it. Its rules live in the presenter; the
// window shows.
class TChartsForm : public QWidget {
    Q_OBJECT
public:
    // A design file of the main window as the window takes it: its name
    // without the directory, and the text of each of its fields.
    struct SavedFields {
        QString fileName;
        FieldText text;
    };
    // How the window reaches the rest of the program: the command wrapper
    // that reports the program's errors, the file dialogs, and the files it
    // opens and saves (the program's store reads and writes them; the
    // window knows none of their formats).
    struct Hooks {
        std::function<void(const std::function<void()> &)> runCommand;
        std::function<std::optional<QString>(const QString &pipeFilter)> chooseSaveFile;
        std::function<std::optional<QString>(const QString &pipeFilter)> chooseOpenFile;
        std::function<DesignSetup(const QString &path)> readSetup;
        std::function<void(const QString &path, const DesignSetup &setup)> writeSetup;
        std::function<SavedFields(const QString &path)> readDesign;
        // Choices kept between runs (the system of units); either may be
        // empty, and then nothing is kept.
        std::function<QString(const QString &key)> rememberedChoice;
        std::function<void(const QString &key, const QString &value)> rememberChoice;
        // Writes a field of the main window: "Use net volume" into its Vb.
        std::function<void(const QString &field, const QString &text)> setMainField;
    };

    TChartsForm(const FieldStore &mainFields, Hooks hooks, QWidget *parent = nullptr);
    ~TChartsForm() override;

    // The box kind of the last sizing command; the user may change it.
    void followBoxKind(BoxKind kind);
    // After a command of the main window: its design again, redrawn when
    // visible.
    void commandFinished();
    // The voice coil's model, its terms and the creep, as a measurement
    // found them.
    void setVoiceCoil(const DriverParameters &driver);

    // The curves on show, as last computed.
    const DesignCurves &curves() const { return presenter_.curves(); }
    BoxKind boxKind() const;
    // The design the charts show, as the window reads it now.
    DesignSetup currentDesign() const;
    // The designs drawn beside the current one.
    const OverlaySet &overlays() const { return presenter_.overlays(); }

public slots:
    void UpdateButtonClick();
    void ExportButtonClick();
    void ResetViewButtonClick();
    void PinButtonClick();
    void AddDesignButtonClick();
    void RemoveOverlayButtonClick();
    void HideOverlayButtonClick();
    void ClearButtonClick();
    void SaveSetupButtonClick();
    void OpenSetupButtonClick();
    void PrTuneButtonClick();
    void Bp4DesignButtonClick();
    void UseNetVolumeButtonClick();
    void CutSheetButtonClick();
    // Puts the box at one of the room's grid positions: 0 front left to 8
    // back right.
    void PlacementButtonClick(int position);

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QLayout *buildCommandRow();
    CollapsibleSection *buildDriveSection();
    CollapsibleSection *buildChainSection();
    CollapsibleSection *buildEnclosureSection();
    CollapsibleSection *buildConstructionSection();
    CollapsibleSection *buildDriversSection();
    CollapsibleSection *buildSpaceSection();
    CollapsibleSection *buildDesignsSection();
    QWidget *buildSpaceFields();
    QWidget *buildRoomPage();
    SpaceKind spaceKind() const;
    void spaceChosen();
    void presetChosen(int row);
    void showPlacement();
    QWidget *buildKindFields();
    // A field of the window, with its starting text or the one given.
    QLineEdit *makeField(const char *name, int width);
    QLineEdit *makeField(const char *name, const QString &text, int width);
    void addInputLines(QGridLayout *grid, const std::vector<ModelInput> &inputs, int width,
                       const QString &tip);
    QLineEdit *addField(QLayout *row, const char *name, const QString &caption, int width);
    QLineEdit *addField(QLayout *row, const char *name, const QString &caption, const QString &text,
                        int width = 60);
    QRadioButton *addChoice(QLayout *row, const char *name, const QString &caption);
    void addCoilChoices(CollapsibleSection *section);
    void addCoilModel(CollapsibleSection *section);
    InductanceModel coilModel() const;
    void coilModelChosen();
    void showPath(BoxKind kind);
    void checkChoice(const char *objectName);
    void wiringChosen(int row);
    void unitsChosen();
    void listWirings(const DesignSetup &design);
    void buildCharts();
    void refresh();
    void drawChartsInView();
    ChartMarks marks() const;
    double ventWarning() const;
    WindowControls controls() const;
    void showReadouts(const DesignSetup &design);
    void setControls(const DesignSetup &setup);
    void startKindFields(BoxKind kind);
    void showLossFields(const EnclosureKind &kind);
    void kindChosen();
    void listOverlays();
    void overlaysChanged();
    void exportPicture(const QString &path, ExportFormat format, const QString &title);
    // Runs one of the window's own commands: a main window command, and not
    // one, so the design's source stays.
    void runOwnCommand(const std::function<void()> &command);
    void exportFrd(const QString &path, const QString &name);
    FrdLevel frdLevel() const;

    const FieldStore &fields_;
    Hooks hooks_;
    ChartsPresenter presenter_;
    bool ownCommand_ = false;
    bool stale_[ChartCount] = {};          // computed but not yet drawn (a tab not in front)
    std::map<QString, QLineEdit *> edits_; // the window's own fields by object name
    QLineEdit *power_ = nullptr;
    QLabel *voltage_ = nullptr;
    QLineEdit *ventWarning_ = nullptr;
    std::map<BoxKind, QRadioButton *> kinds_;
    std::map<BoxKind, bool> started_; // a kind's fields have their starting values
    QRadioButton *isobaric_ = nullptr;
    QRadioButton *series_ = nullptr;
    QRadioButton *seriesParallel_ = nullptr;
    QRadioButton *dualCoils_ = nullptr;
    std::map<InductanceModel, QRadioButton *> coilModels_;
    QStackedWidget *coilTerms_ = nullptr;
    QRadioButton *usUnits_ = nullptr;
    QLabel *temperatureUnit_ = nullptr;
    QLabel *pressureUnit_ = nullptr;
    bool settingControls_ = false; // a setup's values going in: no redraw until all are
    // The captions of the table's fields, which name their units.
    std::vector<std::pair<QLabel *, const InputRow *>> captions_;
    QListWidget *wiringList_ = nullptr;
    std::vector<WiringOption> wiringOptions_; // the wiring list's lines
    // The curves and overlays in the units shown, when not the design's own.
    DesignCurves shownCurves_;
    std::vector<DesignCurves> shownOverlayCurves_;
    int shownOverlaysGeneration_ = -1;
    QRadioButton *byVoltage_ = nullptr;
    QRadioButton *fromConditions_ = nullptr;
    QStackedWidget *kindFields_ = nullptr;
    QLabel *amplifierLoad_ = nullptr;
    QLabel *grossVolume_ = nullptr;
    QLabel *netVolume_ = nullptr;
    QLabel *ventLength_ = nullptr;
    QLabel *helperNotice_ = nullptr; // what a box helper's answer is worth
    QLabel *qualityNotice_ = nullptr;
    QLabel *spaceNotice_ = nullptr; // why a car's or a room's values cannot be used
    QLabel *air_ = nullptr;
    QLabel *source_ = nullptr;
    QRadioButton *frdAt283V_ = nullptr;
    QRadioButton *frdAt1W_ = nullptr;
    QRadioButton *frdAtChartPower_ = nullptr;
    QTabWidget *tabs_ = nullptr;
    QSplitter *splitter_ = nullptr;
    QListWidget *overlayList_ = nullptr;
    QLabel *overlayCaption_ = nullptr;
    QLabel *overlayNotice_ = nullptr;
    QWidget *splSlot_ = nullptr;
    std::unique_ptr<DesignChart> charts_[ChartCount];
    QWidget *pages_[ChartCount] = {}; // the tab of each chart below the SPL chart
    TChainEditor *chainEditor_ = nullptr;
    std::map<SpaceKind, QRadioButton *> spaces_;
    QRadioButton *cabinFromLength_ = nullptr;
    QStackedWidget *spaceFields_ = nullptr;
    QListWidget *spacePresets_ = nullptr;
    QLabel *amplifierLimit_ = nullptr;
    QCheckBox *frdSystem_ = nullptr;
    QCheckBox *ventsAsDucts_ = nullptr;
    // A line's or a horn's path: the editor, the kind whose path it shows,
    // and the path of each kind while another is shown.
    TPathEditor *pathEditor_ = nullptr;
    std::optional<BoxKind> pathKind_;
    std::map<BoxKind, std::pair<std::vector<PathSegment>, Mouth>> paths_;
    QPushButton *placements_[9] = {};
    QLabel *placementNote_ = nullptr;
};

} // namespace dravik
