#include "mainprg2.h"

#include "VectorState.h"

#include "AlignmentTables.h"
#include "Alignments.h"
#include "Analysis.h"
#include "ChartsForm.h"
#include "ClosedBox.h"
#include "DesignFile.h"
#include "Dialogs.h"
#include "Dimensions.h"
#include "DriverDatabase.h"
#include "FieldTable.h"
#include "Fp.h"
#include "ListBox.h"
#include "MeasureForm.h"
#include "OutpFrm.h"
#include "PageWidgets.h"
#include "Pictures.h"
#include "PlotSettings.h"
#include "Presets.h"
#include "Product.h"
#include "UserDialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStorageInfo>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <new>
#include <optional>

namespace dravik {

Tdrvik::Tdrvik(UserDialogs &dialogs, ProgramState &state) : dialogs_(dialogs), state_(state) {
    setObjectName(QStringLiteral("drvik"));
    setWindowTitle(QStringLiteral("Dravik ") + QLatin1String(ProductNotice));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    {
        QPalette fieldColours = palette();
        fieldColours.setColor(QPalette::Base, QColor(0xe6, 0xe6, 0xe6));
        setPalette(fieldColours);
    }

    buildMenu();
    auto *client = new QWidget;
    client->setObjectName(QStringLiteral("ClientArea"));
    auto *layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildToolBar());

    pages_ = new QTabWidget;
    pages_->setObjectName(QStringLiteral("Valitsin"));
    pages_->setUsesScrollButtons(false);
    pages_->addTab(buildFilePage(), QStringLiteral("File"));
    pages_->addTab(buildDriverPage(), QStringLiteral("Driver"));
    pages_->addTab(buildBoxPage(), QStringLiteral("Box"));
    pages_->addTab(buildVentPage(), QStringLiteral("Vent"));
    pages_->addTab(buildCrossoverPage(), QStringLiteral("Crossover"));
    pages_->addTab(buildAnalysisPage(), QStringLiteral("Analysis"));
    pages_->addTab(buildPartListPage(), QStringLiteral("Part list"));
    pages_->addTab(buildOtherPage(), QStringLiteral("Other"));
    pages_->addTab(buildAcousticsPage(), QStringLiteral("Acoustical Environment"));
    pages_->setCurrentWidget(pages_->findChild<QWidget *>(QStringLiteral("PG_List")));
    layout->addWidget(pages_, 1);
    setCentralWidget(client);

    // Client area 715 x 587 under the menu bar, fixed.
    client->setFixedSize(715, 587);
    setFixedSize(715, 587 + menuBar()->sizeHint().height());

    store_ = std::make_unique<WidgetFieldStore>(this, Window::Main);
    design_ = std::make_unique<DesignParameters>(*store_);
    InitializeTables();
}

Tdrvik::~Tdrvik() = default;

// The creation handler: start-up state of the program-wide tables and settings.
void Tdrvik::InitializeTables() {
    InitializeAlignmentTables(state_.tables);
    InitializePlotSettings(state_.plot, palette().color(QPalette::Button));
    state_.responses.QuietSimulation = false;
}

// ---------------------------------------------------------------- commands

void Tdrvik::runCommand(const std::function<void()> &command) {
    ClearUpperVectorState(); // see VectorState.h: the commands' arithmetic at full speed
    std::optional<QString> report;
    {
        WidgetFieldStore::Batch batch(*store_);
        try {
            command();
        } catch (const DravikError &e) {
            report = reportText(e.message());
        } catch (const std::bad_alloc &) {
            // Reported like any other failure; what the command wrote before stays.
            report = reportText(QLatin1String(msg::OutOfMemory));
        }
    }
    if (report)
        dialogs_.showError(this, *report);
    if (windows_.charts)
        windows_.charts->commandFinished();
}

void Tdrvik::showWindow(QWidget *w) {
    w->show();
    w->raise();
    w->activateWindow();
}

void Tdrvik::showPlot() {
    windows_.plot->showPlot();
}
void Tdrvik::repaintPlot() {
    windows_.plot->FormPaint();
}

void Tdrvik::Button1Click() {
    chartsFollowVentedBox();
    runCommand([this] {
        CalculateFromVbAndFb(*design_, state_.responses);
        showPlot();
        repaintPlot();
    });
}

void Tdrvik::SBB4ButtonClick() {
    chartsFollowVentedBox();
    runCommand([this] {
        ComputeSBB4Alignment(*design_, state_.responses, state_.tables, [this] { repaintPlot(); });
        showPlot();
    });
}

void Tdrvik::Button26Click() {
    chartsFollowVentedBox();
    runCommand([this] {
        ComputeSC4Alignment(*design_, state_.responses, state_.tables, [this] { repaintPlot(); });
        showPlot();
    });
}

void Tdrvik::CALCULATEIDEALButtonClick() {
    chartsFollowVentedBox();
    runCommand([this] {
        ComputeIdealAlignment(*design_, state_.responses, [this] { repaintPlot(); });
        showPlot();
    });
}

void Tdrvik::CALCULATEMAXIMALLYFLATButtonClick() {
    chartsFollowVentedBox();
    runCommand([this] {
        ComputeFlatAlignment(*design_, state_.responses, [this] { repaintPlot(); });
        showPlot();
    });
}

void Tdrvik::Button25Click() {
    chartsFollowVentedBox();
    runCommand([this] {
        RunSubwooferOptimizer(*design_, state_.responses);
        showPlot();
    });
}

void Tdrvik::Button2Click() {
    chartsFollowClosedBox();
    runCommand([this] {
        ComputeClosedBox(*design_, state_.responses);
        showPlot();
    });
}

void Tdrvik::BCalcDimensions1Click() {
    runCommand([this] { ComputeDimensions(*design_); });
}

void Tdrvik::getDriver() {
    runCommand([this] {
        WidgetFieldStore::Batch dialogBatch(windows_.database->fields());
        showWindow(windows_.database);
        ListDrivers(windows_.database->fields());
    });
}

void Tdrvik::GETDRIVERButtonClick() {
    getDriver();
}
void Tdrvik::SelectDriver1Click() {
    getDriver();
}

void Tdrvik::ADDDRIVERButtonClick() {
    runCommand([this] { AddDriver(*store_); });
}

void Tdrvik::Button21Click() {
    runCommand([this] {
        const std::optional<QString> path = dialogs_.openFile(this, QLatin1String(PictureFilter));
        design_->setText(Field::EPictureFile, path ? *path : QStringLiteral("<no_picture>"));
    });
}

void Tdrvik::saveDesign() {
    runCommand([this] { WriteDesignFile(*store_, state_.responses, state_.crossover); });
}

void Tdrvik::Button17Click() {
    saveDesign();
}
void Tdrvik::ToolButton2Click() {
    saveDesign();
}

void Tdrvik::showNewProject() {
    showWindow(windows_.newProject);
}
void Tdrvik::Button12Click() {
    showNewProject();
}
void Tdrvik::Newproject1Click() {
    showNewProject();
}
void Tdrvik::ToolButton1Click() {
    showNewProject();
}

void Tdrvik::BUTTONQuorvel100Click() {
    runCommand([this] { ApplyQuorvel100(state_.crossover, *store_); });
}
void Tdrvik::Quorvel100Hz1Click() {
    runCommand([this] { ApplyQuorvel100(state_.crossover, *store_); });
}
void Tdrvik::BUTTONQuorvel80Click() {
    runCommand([this] { ApplyQuorvel80(state_.crossover, *store_); });
}
void Tdrvik::Quorvel80Hz1Click() {
    runCommand([this] { ApplyQuorvel80(state_.crossover, *store_); });
}
void Tdrvik::BUTTONQuorvel70Click() {
    runCommand([this] { ApplyQuorvel70(state_.crossover, *store_); });
}
void Tdrvik::Quorvel70Hz1Click() {
    runCommand([this] { ApplyQuorvel70(state_.crossover, *store_); });
}
void Tdrvik::BUTTONPelmo100_1Click() {
    runCommand([this] { ApplyPelmo100_1(state_.crossover, *store_); });
}
void Tdrvik::Pelmo10011Click() {
    runCommand([this] { ApplyPelmo100_1(state_.crossover, *store_); });
}

void Tdrvik::N1driver1Click() {
    runCommand([this] { design_->SetNumOfDrivers(1); });
}

void Tdrvik::N2vents1Click() {
    showWindow(windows_.ventFrequency);
}
void Tdrvik::Options1Click() {
    showWindow(windows_.options);
}
void Tdrvik::About1Click() {
    showWindow(windows_.about);
}
void Tdrvik::ToolButton4Click() {
    runCommand([this] { showPlot(); });
}
void Tdrvik::ToolButton5Click() {
    windows_.plot->hide();
}
void Tdrvik::Quit1Click() {
    close();
}
void Tdrvik::ToolButton7Click() {
    close();
}

// The design charts show the box kind of the last sizing command.
void Tdrvik::chartsFollowVentedBox() {
    if (windows_.charts)
        windows_.charts->followBoxKind(BoxKind::Vented);
}
void Tdrvik::chartsFollowClosedBox() {
    if (windows_.charts)
        windows_.charts->followBoxKind(BoxKind::Closed);
}

void Tdrvik::DesignCharts1Click() {
    showWindow(windows_.charts);
}

void Tdrvik::MeasureDriver1Click() {
    showWindow(windows_.measure);
}

void Tdrvik::closeEvent(QCloseEvent *event) {
    event->accept();
    emit quitRequested();
}

} // namespace dravik
