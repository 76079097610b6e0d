#include "Program.h"

#include "Application.h"
#include "ChartsForm.h"
#include "DesignFile.h"
#include "Dialogs.h"
#include "DriverDatabase.h"
#include "FieldTable.h"
#include "Fp.h"
#include "MeasureForm.h"
#include "OutpFrm.h"
#include "ProgramState.h"
#include "SetupFile.h"
#include "UserDialogs.h"
#include "mainprg2.h"
#include "outptw.h"

#include "VectorState.h"

#include <QApplication>
#include <QScreen>
#include <QSettings>

#include <memory>

namespace dravik {

RememberedChoices ChoicesInSettings(const QString &settingsFile) {
    const auto settings = [settingsFile]() -> std::unique_ptr<QSettings> {
        if (settingsFile.isEmpty())
            return std::make_unique<QSettings>(QStringLiteral("Dravik"), QStringLiteral("Dravik"));
        return std::make_unique<QSettings>(settingsFile, QSettings::IniFormat);
    };
    RememberedChoices choices;
    choices.read = [settings](const QString &key) { return settings()->value(key).toString(); };
    choices.write = [settings](const QString &key, const QString &value) {
        settings()->setValue(key, value);
    };
    return choices;
}

Program::Program(UserDialogs &dialogs, RememberedChoices remembered) {
    // Every program starts with its own state, all zero.
    state_ = std::make_unique<ProgramState>();

    // Arial 11 px (fontconfig gives a metric-compatible face where Arial is missing).
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    QApplication::setFont(font);

    main_ = std::make_unique<Tdrvik>(dialogs, *state_);
    // Out of memory in an event handler, as in a command.
    Application::setOutOfMemoryReport([&dialogs, mainWindow = main_.get()] {
        dialogs.showError(mainWindow, reportText(QLatin1String(msg::OutOfMemory)));
    });
    outputW_ = std::make_unique<TOutputW>();
    database_ = std::make_unique<TGETDRIVERForm>();
    plot_ = std::make_unique<TOutputForm>(main_->fields(), main_.get(), state_->plot,
                                          state_->responses, state_->crossover);
    about_ = std::make_unique<TAboutForm>();
    options_ = std::make_unique<TOptionsForm>(dialogs);
    newProject_ = std::make_unique<TCreateNewProjectForm>();
    ventFrequency_ = std::make_unique<TFVentFSel>(main_->fields());
    Tdrvik *mainWindow = main_.get();
    TChartsForm::Hooks chartHooks;
    chartHooks.runCommand = [mainWindow](const std::function<void()> &command) {
        mainWindow->runCommand(command);
    };
    chartHooks.chooseSaveFile = [mainWindow, &dialogs](const QString &filter) {
        return dialogs.saveFile(mainWindow, filter);
    };
    chartHooks.chooseOpenFile = [mainWindow, &dialogs](const QString &filter) {
        return dialogs.openFile(mainWindow, filter);
    };
    chartHooks.readSetup = [](const QString &path) { return ReadSetupFile(path); };
    chartHooks.writeSetup = [](const QString &path, const DesignSetup &setup) {
        WriteSetupFile(path, setup);
    };
    chartHooks.setMainField = [mainWindow](const QString &field, const QString &text) {
        if (const std::optional<Field> target = mainWindowField(field))
            mainWindow->fields().setText(*target, text);
    };
    chartHooks.rememberedChoice = remembered.read;
    chartHooks.rememberChoice = remembered.write;
    chartHooks.readDesign = [](const QString &path) {
        const auto saved = std::make_shared<const SavedDesign>(ReadDesignFile(path));
        return TChartsForm::SavedFields{saved->fileName,
                                        [saved](Field field) { return saved->text(field); }};
    };
    charts_ = std::make_unique<TChartsForm>(main_->fields(), chartHooks);
    TChartsForm *charts = charts_.get();
    TMeasureForm::Hooks measureHooks;
    measureHooks.runCommand = chartHooks.runCommand;
    measureHooks.chooseOpenFile = chartHooks.chooseOpenFile;
    // The measured figures go where the user would type them: the Driver
    // page's fields, and the voice coil and the creep into the design charts.
    measureHooks.useParameters = [mainWindow, charts](const MeasuredDriver &driver) {
        WriteDriverFields(mainWindow->fields(), driver);
        charts->setVoiceCoil(driver.coilAndCreep);
    };
    measure_ = std::make_unique<TMeasureForm>(measureHooks);

    main_->attachWindows({plot_.get(), database_.get(), about_.get(), options_.get(),
                          newProject_.get(), ventFrequency_.get(), charts_.get(), measure_.get()});
    TGETDRIVERForm *database = database_.get();
    QObject::connect(database, &TGETDRIVERForm::loadRequested, mainWindow, [mainWindow, database] {
        mainWindow->runCommand([&] {
            LoadButtonClick(mainWindow->fields(), database->fields());
            database->close();
        });
    });
}

Program::~Program() {
    Application::setOutOfMemoryReport({});
}

void Program::start() {
    if (const QScreen *screen = QApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const QRect frame = main_->frameGeometry();
        main_->move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
    }
    main_->show();
    ClearUpperVectorState(); // see VectorState.h
}

QList<QWidget *> Program::windows() const {
    return {main_.get(),    outputW_.get(),    database_.get(),      plot_.get(),   about_.get(),
            options_.get(), newProject_.get(), ventFrequency_.get(), charts_.get(), measure_.get()};
}

QWidget *Program::window(const QString &objectName) const {
    for (QWidget *w : windows())
        if (w->objectName() == objectName)
            return w;
    return nullptr;
}

} // namespace dravik
