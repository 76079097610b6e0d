#include "ChartsForm.h"
#include "Dialogs.h"
#include "FakeDialogs.h"
#include "FieldTable.h"
#include "ListBox.h"
#include "OutpFrm.h"
#include "Program.h"
#include "ProgramState.h"
#include "ResponseArrays.h"
#include "SyntheticImpedance.h"
#include "TestFiles.h"
#include "mainprg2.h"

#include <QAbstractButton>
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QMenuBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>

#include <climits>
#include <unistd.h>

using namespace dravik;

namespace {

QMap<QString, QString> allTexts(const QList<QWidget *> &windows) {
    QMap<QString, QString> texts;
    for (QWidget *w : windows) {
        for (QLineEdit *e : w->findChildren<QLineEdit *>())
            texts.insert(w->objectName() + '.' + e->objectName(), e->text());
        for (QAbstractButton *b : w->findChildren<QAbstractButton *>())
            if (b->isCheckable())
                texts.insert(w->objectName() + '.' + b->objectName(),
                             b->isChecked() ? "on" : "off");
        for (ListBox *l : w->findChildren<ListBox *>())
            texts.insert(w->objectName() + '.' + l->objectName(),
                         QString::number(l->lines()->count()));
    }
    return texts;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    FakeDialogs dialogs_;
    std::unique_ptr<Program> program_;
    QTemporaryDir dir_;
    QString startDir_;

    Tdrvik &main() { return program_->main(); }
    template <typename T = QObject> T *child(const char *name, QWidget *window = nullptr) {
        T *found = (window ? window : &main())->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }
    QString text(const char *name) { return child<QLineEdit>(name)->text(); }

private slots:
    void initTestCase() { startDir_ = QDir::currentPath(); }

    void init() {
        QDir::setCurrent(dir_.path());
        dialogs_ = FakeDialogs();
        program_ = std::make_unique<Program>(dialogs_);
        program_->start();
    }
    void cleanup() {
        program_.reset();
        test::emptyDirectory(dir_.path());
        QDir::setCurrent(startDir_);
    }

    void windowsInCreationOrder() {
        const QList<QWidget *> windows = program_->windows();
        const QStringList names = {
            "drvik",      "OutputW",     "GETDRIVERForm",        "OutputForm",
            "AboutForm",  "OptionsForm", "CreateNewProjectForm", "FVentFSel",
            "ChartsForm", "MeasureForm"};
        const QStringList classes = {
            "Tdrvik",      "TOutputW",     "TGETDRIVERForm",        "TOutputForm",
            "TAboutForm",  "TOptionsForm", "TCreateNewProjectForm", "TFVentFSel",
            "TChartsForm", "TMeasureForm"};
        const QStringList captions = {"Dravik - subwoofer enclosure designer, version 2.0",
                                      "Frequency Response plotter",
                                      "Database",
                                      "Output Window",
                                      "About...",
                                      "Options",
                                      "Create New Project File",
                                      "Select Vent resonant frequency",
                                      "Design Charts",
                                      "Measure Driver"};
        QCOMPARE(windows.size(), names.size());
        for (int i = 0; i < windows.size(); ++i) {
            QCOMPARE(windows[i]->objectName(), names[i]);
            QVERIFY2(QString(windows[i]->metaObject()->className()).endsWith(classes[i]),
                     windows[i]->metaObject()->className());
            QCOMPARE(windows[i]->windowTitle(), captions[i]);
            QCOMPARE(windows[i]->isVisible(), i == 0);
        }
    }

    // The charts' system of units is remembered from one run to the next in
    // the settings given; a program without them starts metric.
    void unitsAreRememberedBetweenRuns() {
        const QString settings = dir_.filePath(QStringLiteral("settings.ini"));
        const auto usChoice = [](Program &p) {
            return p.charts().findChild<QRadioButton *>(QStringLiteral("UsUnitsChoice"));
        };
        {
            FakeDialogs dialogs;
            Program first(dialogs, ChoicesInSettings(settings));
            QVERIFY(!usChoice(first)->isChecked());
            usChoice(first)->setChecked(true);
            QCOMPARE(first.charts().currentDesign().units, UnitSystem::Us);
        }
        FakeDialogs dialogs;
        Program second(dialogs, ChoicesInSettings(settings));
        QVERIFY(usChoice(second)->isChecked());
        QCOMPARE(second.charts().currentDesign().units, UnitSystem::Us);
        QVERIFY(!usChoice(*program_)->isChecked()); // no settings: nothing kept
    }

    void startsOnPartListPage() {
        auto *pages = child<QTabWidget>("Valitsin");
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("PG_List"));
        QStringList tabs, names;
        for (int i = 0; i < pages->count(); ++i) {
            tabs << pages->tabText(i);
            names << pages->widget(i)->objectName();
        }
        QCOMPARE(tabs, QStringList({"File", "Driver", "Box", "Vent", "Crossover", "Analysis",
                                    "Part list", "Other", "Acoustical Environment"}));
        QCOMPARE(names, QStringList({"PG_File", "PG_Driver", "PG_Box", "PG_Vent", "PG_Crossover",
                                     "PG_Analysis", "PG_List", "Other", "PG_Acoustics"}));
        QCOMPARE(child<QWidget>("ClientArea")->size(), QSize(715, 587));
    }

    void fieldDefaults_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("readOnly");
        for (const FieldSpec &f : mainWindowFields())
            QTest::newRow(f.name) << QString(f.name) << QString::fromUtf8(f.defaultText)
                                  << f.readOnly;
    }
    void fieldDefaults() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(bool, readOnly);
        const QList<QLineEdit *> edits = main().findChildren<QLineEdit *>(name);
        QCOMPARE(edits.size(), 1);
        QCOMPARE(edits.front()->text(), text);
        QCOMPARE(edits.front()->isReadOnly(), readOnly);
    }

    void listsAndChecksStartAsDesigned() {
        for (const ListSpec &l : mainWindowLists()) {
            QCOMPARE(child<ListBox>(l.name)->lines()->count(), 0);
            // Only the Crossover list, which every vented calculation adds
            // to, is bounded: to the lines of 1,000 calculations.
            const bool crossover = QLatin1String(l.name) == QLatin1String("ListBox1");
            QCOMPARE(child<ListBox>(l.name)->lines()->maxLines(), crossover ? 241000 : 0);
        }
        for (const CheckSpec &c : mainWindowChecks())
            QCOMPARE(child<QCheckBox>(c.name)->isChecked(), c.checked);
        QVERIFY(child<QRadioButton>("EnvironmentRadio2")->isChecked()); // "Small Room"
        QCOMPARE(child<QRadioButton>("EnvironmentRadio2")->text(), QStringLiteral("Small Room"));
        QVERIFY(child<QRadioButton>("PlacementRadio2")->isChecked()); // "C"
    }

    void dialogDefaults_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("ESelFb") << "FVentFSel"
                                << "ESelFb"
                                << "22";
        QTest::newRow("Edit1") << "CreateNewProjectForm"
                               << "Edit1"
                               << "Edit1";
        QTest::newRow("ENewFileName") << "CreateNewProjectForm"
                                      << "ENewFileName"
                                      << "ENewFileName";
        QTest::newRow("background") << "OptionsForm"
                                    << "EPage1BackgroundPicture"
                                    << "bg0.bmp";
        QTest::newRow("X_Scale_Box") << "OptionsForm"
                                     << "X_Scale_Box"
                                     << "1";
        QTest::newRow("Y_Scale_Box") << "OptionsForm"
                                     << "Y_Scale_Box"
                                     << "1";
    }
    void dialogDefaults() {
        QFETCH(QString, window);
        QFETCH(QString, name);
        QFETCH(QString, text);
        QWidget *w = program_->window(window);
        QVERIFY(w);
        QCOMPARE(w->findChild<QLineEdit *>(name)->text(), text);
        QCOMPARE(program_->window("CreateNewProjectForm")
                     ->findChild<QTextEdit *>("RichEdit1")
                     ->toPlainText(),
                 QStringLiteral("RichEdit1"));
        QVERIFY(
            program_->window("OptionsForm")->findChild<QCheckBox *>("bg1checkbox")->isChecked());
        QVERIFY(!program_->window("OptionsForm")->findChild<QCheckBox *>("bg1fit")->isChecked());
        QVERIFY(
            program_->window("OptionsForm")->findChild<QCheckBox *>("EnableScaling")->isChecked());
    }

    // No text control of a dialog takes more than 32,767 characters, however
    // much is pasted: one long word of a megabyte would otherwise keep the
    // window from answering for minutes while it is laid out.
    void dialogTextControlsAreBounded_data() {
        QTest::addColumn<QString>("window");
        for (const char *w : {"GETDRIVERForm", "OutputForm", "AboutForm", "OptionsForm",
                              "CreateNewProjectForm", "FVentFSel"})
            QTest::newRow(w) << w;
    }
    void dialogTextControlsAreBounded() {
        QFETCH(QString, window);
        const QString word(1 << 20, QLatin1Char('x'));
        QGuiApplication::clipboard()->setText(word);
        QWidget *w = program_->window(window);
        for (QLineEdit *e : w->findChildren<QLineEdit *>()) {
            e->selectAll();
            e->paste();
            QVERIFY2(e->text().size() <= 32767, qPrintable(e->objectName()));
        }
        for (QTextEdit *e : w->findChildren<QTextEdit *>()) {
            e->selectAll();
            e->paste();
            QCOMPARE(e->toPlainText(), word.left(32767));
            e->paste(); // full: nothing more goes in
            QCOMPARE(e->toPlainText().size(), 32767);
        }
    }

    void menuAndToolBar() {
        QStringList menus;
        for (QAction *a : main().menuBar()->actions())
            menus << a->text();
        QCOMPARE(menus, QStringList({"File", "Edit", "Display", "Driver", "Box", "Vent",
                                     "Crossover", "Part list", "Other", "Preferences", "Help"}));
        QStringList tools;
        for (QAction *a : child<QToolBar>("ToolBar1")->actions()) {
            if (a->isSeparator())
                tools << "|";
            else if (auto *w = child<QToolBar>("ToolBar1")->widgetForAction(a))
                tools << w->objectName() + "=" + qobject_cast<QAbstractButton *>(w)->text();
        }
        QCOMPARE(tools, QStringList({"ToolButton1=New project", "ToolButton9=Open project",
                                     "ToolButton2=Save", "|", "ToolButton4=Show plot",
                                     "ToolButton5=Hide plot", "ToolButton8=Notes", "|",
                                     "ToolButton7=Quit"}));
        QAction *circular = child<QAction>("Circular1");
        circular->trigger();
        QVERIFY(circular->isChecked()); // the check mark is fixed
    }

    void oneDriverCommand() {
        child<QLineEdit>("ENumOfDrivers")->setText("2");
        child<QAction>("N1driver1")->trigger();
        QCOMPARE(text("ENumOfDrivers"), QStringLiteral("1"));
    }

    void pictureSelection() {
        dialogs_.answers.push_back(QStringLiteral("/pictures/driver.bmp"));
        child<QAbstractButton>("Button21")->click();
        QCOMPARE(text("EPictureFile"), QStringLiteral("/pictures/driver.bmp"));
        QCOMPARE(dialogs_.filters.last(),
                 QStringLiteral("All (*.bmp;*.ico;*.emf;*.wmf)|*.bmp;*.ico;*.emf;*.wmf|Bitmaps "
                                "(*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced Metafiles "
                                "(*.emf)|*.emf|Metafiles (*.wmf)|*.wmf"));
        child<QAbstractButton>("Button21")->click(); // cancelled: the earlier choice is lost
        QCOMPARE(text("EPictureFile"), QStringLiteral("<no_picture>"));
    }

    void directoryAndFileLists() {
        QDir(dir_.path()).mkpath("designs");
        QFile f(dir_.filePath("designs/box.dgn"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QFile other(dir_.filePath("designs/notes.txt"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();
        // The lists show the directory as it was when the program started.
        program_ = std::make_unique<Program>(dialogs_);
        program_->start();

        QListWidget *dirs = main().directoryList();
        QList<QListWidgetItem *> found = dirs->findItems("designs", Qt::MatchEndsWith);
        QCOMPARE(found.size(), 1);
        emit dirs->itemDoubleClicked(found.front());
        const QString expected = QDir(dir_.filePath("designs")).canonicalPath();
        QCOMPARE(QDir::current().canonicalPath(), expected);
        QCOMPARE(QDir(text("EDesignFilePath")).canonicalPath(), expected);

        QListWidget *files = main().fileList();
        QCOMPARE(files->count(), 1);
        QCOMPARE(files->item(0)->text(), QStringLiteral("box.dgn"));
        files->setCurrentRow(0);
        emit files->itemDoubleClicked(files->item(0));
        QCOMPARE(text("EDesignFile"), QStringLiteral("box.dgn"));
        files->clearSelection();
        main().LFileClick();
        QCOMPARE(text("EDesignFile"), QString());
    }

    // Started in a directory that has no name any more: the directory list
    // shows the nearest ancestor that has one and a note, not a run of bogus
    // "../" entries; Save in a deleted directory finds no path.
    void workingDirectoryWithoutName_data() {
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QStringList>("saveErrors");
        QTest::newRow("deleted") << true << "(the working directory was deleted)"
                                 << QStringList{"Path not found."};
        QTest::newRow("path too long") << false << "(the working directory's path is too long)"
                                       << QStringList{}; // it is there: the file is written
    }
    void workingDirectoryWithoutName() {
        QFETCH(bool, deleted);
        QFETCH(QString, note);
        QFETCH(QStringList, saveErrors);
        const QString top = dir_.filePath(QStringLiteral("top"));
        QVERIFY(QDir().mkpath(top));
        QVERIFY(QDir::setCurrent(top));
        if (deleted) {
            QVERIFY(QDir().mkpath(QStringLiteral("gone")));
            QVERIFY(QDir::setCurrent(QStringLiteral("gone")));
            QVERIFY(QDir(top).rmdir(QStringLiteral("gone")));
        } else {
            const QString level(200, QLatin1Char('d'));
            while (QDir::currentPath().size() < PATH_MAX - level.size() - 1) {
                QVERIFY(QDir().mkdir(level));
                QVERIFY(QDir::setCurrent(level));
            }
            QVERIFY(QDir().mkdir(level));
            QVERIFY(QDir::setCurrent(level));
        }
        QVERIFY(QDir::currentPath().isEmpty());
        program_ = std::make_unique<Program>(dialogs_);
        program_->start();

        QListWidget *dirs = main().directoryList();
        QVERIFY(dirs->count() <= PATH_MAX / 200 + 8);
        for (int i = 0; i < dirs->count(); ++i)
            QVERIFY2(!dirs->item(i)->text().contains(QLatin1String("..")),
                     qPrintable(dirs->item(i)->text()));
        QCOMPARE(dirs->item(dirs->count() - 1)->text().trimmed(), note);
        QVERIFY(dirs->findItems(QFileInfo(dir_.path()).fileName(), Qt::MatchEndsWith).size() == 1);
        emit dirs->itemDoubleClicked(dirs->item(dirs->count() - 1)); // the note opens nothing
        QVERIFY(dialogs_.errors.isEmpty());
        QVERIFY(QDir::currentPath().isEmpty());

        child<QLineEdit>("EDesignFile")->setText(QStringLiteral("a.dgn"));
        child<QAbstractButton>("Button17")->click();
        QCOMPARE(dialogs_.errors, saveErrors);
        QCOMPARE(QFileInfo::exists(QStringLiteral("a.dgn")), saveErrors.isEmpty());
        // Climbed down by relative steps: no path of the tree can be named whole.
        QFile::remove(QStringLiteral("a.dgn"));
        const QByteArray level(200, 'd');
        while (!deleted && ::chdir("..") == 0 && ::rmdir(level.constData()) == 0) {
        }
        QVERIFY(QDir::setCurrent(dir_.path()));
        QVERIFY(QDir(top).removeRecursively());
    }

    void ventFrequencyDialog() {
        child<QAction>("N2vents1")->trigger();
        QWidget *dlg = program_->window("FVentFSel");
        QVERIFY(dlg->isVisible());
        dlg->findChild<QLineEdit *>("ESelFb")->setText("25");
        dlg->findChild<QAbstractButton *>("B_OK")->click();
        QVERIFY(!dlg->isVisible());
        QCOMPARE(text("EFb"), QStringLiteral("25")); // as typed, not 25.00

        child<QLineEdit>("EFb")->setText("30");
        child<QAction>("N2vents1")->trigger();
        QCOMPARE(dlg->findChild<QLineEdit *>("ESelFb")->text(), QStringLiteral("25"));
        dlg->findChild<QLineEdit *>("ESelFb")->setText("40");
        dlg->findChild<QAbstractButton *>("B_CANCEL")->click();
        QVERIFY(!dlg->isVisible());
        QCOMPARE(text("EFb"), QStringLiteral("30"));
    }

    void smallDialogsOnlyClose_data() {
        QTest::addColumn<QString>("show");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("button");
        QTest::newRow("options ok") << "Options1"
                                    << "OptionsForm"
                                    << "Button2";
        QTest::newRow("options cancel") << "Options1"
                                        << "OptionsForm"
                                        << "Button3";
        QTest::newRow("options apply") << "Options1"
                                       << "OptionsForm"
                                       << "Button1";
        QTest::newRow("new ok") << "Newproject1"
                                << "CreateNewProjectForm"
                                << "Button2";
        QTest::newRow("new cancel") << "Newproject1"
                                    << "CreateNewProjectForm"
                                    << "Button3";
        QTest::newRow("about ok") << "About1"
                                  << "AboutForm"
                                  << "AboutOkButton";
    }
    void smallDialogsOnlyClose() {
        QFETCH(QString, show);
        QFETCH(QString, window);
        QFETCH(QString, button);
        const auto before = allTexts({&main()});
        main().findChild<QAction *>(show)->trigger();
        QWidget *dlg = program_->window(window);
        QVERIFY(dlg->isVisible());
        if (window == "OptionsForm")
            dlg->findChild<QLineEdit *>("X_Scale_Box")->setText("3");
        dlg->findChild<QAbstractButton *>(button)->click();
        QVERIFY(!dlg->isVisible());
        QCOMPARE(allTexts({&main()}), before);
        if (window == "OptionsForm") // nothing is undone
            QCOMPARE(dlg->findChild<QLineEdit *>("X_Scale_Box")->text(), QStringLiteral("3"));
    }

    void newProjectFromEveryControl_data() {
        QTest::addColumn<QString>("control");
        QTest::newRow("File page New") << "Button12";
        QTest::newRow("tool bar") << "ToolButton1";
    }
    void newProjectFromEveryControl() {
        QFETCH(QString, control);
        main().findChild<QAbstractButton *>(control)->click();
        QVERIFY(program_->window("CreateNewProjectForm")->isVisible());
    }

    void optionsBackgroundPicture() {
        QWidget *dlg = program_->window("OptionsForm");
        auto *field = dlg->findChild<QLineEdit *>("EPage1BackgroundPicture");
        dialogs_.answers.push_back(QStringLiteral("/tmp/bg.bmp"));
        dlg->findChild<QAbstractButton *>("Button4")->click();
        QCOMPARE(field->text(), QStringLiteral("/tmp/bg.bmp"));
        dlg->findChild<QAbstractButton *>("Button4")->click(); // cancelled: kept
        QCOMPARE(field->text(), QStringLiteral("/tmp/bg.bmp"));
    }

    void showAndHidePlot() {
        QWidget *plot = program_->window("OutputForm");
        child<QAbstractButton>("ToolButton5")->click(); // hiding a hidden window does nothing
        QVERIFY(!plot->isVisible());
        child<QAbstractButton>("ToolButton4")->click();
        QVERIFY(plot->isVisible());
        child<QAbstractButton>("ToolButton5")->click();
        QVERIFY(!plot->isVisible());
        QVERIFY(dialogs_.errors.isEmpty());
    }

    // The charts read the design after every command while they are shown,
    // follow the box kind of the last sizing command, and ignore field edits.
    void chartsRefreshAfterCommands() {
        const TChartsForm &charts = program_->charts();
        child<QAbstractButton>("SBB4Button")->click();
        QVERIFY(charts.curves().frequencies.empty()); // hidden: nothing computed
        child<QAction>("DesignCharts1")->trigger();
        QVERIFY(charts.isVisible());
        const std::vector<double> sbb4 = charts.curves().splDb;
        QVERIFY(!sbb4.empty() && !charts.curves().portVelocity.empty());
        child<QLineEdit>("EVb")->setText("60");
        QCOMPARE(charts.curves().splDb, sbb4);
        child<QAbstractButton>("Button1")->click();
        QVERIFY(charts.curves().splDb != sbb4);
        child<QAbstractButton>("Button2")->click();
        QCOMPARE(charts.boxKind(), BoxKind::Closed);
        QVERIFY(charts.curves().portVelocity.empty());
        QVERIFY(dialogs_.errors.isEmpty());
    }

    // A saved design added back draws exactly what pinning it drew; the
    // overlays follow the power, keep at most 8, and go with "Clear".
    void chartsOverlays() {
        TChartsForm &charts = program_->charts();
        child<QAbstractButton>("SBB4Button")->click();
        child<QLineEdit>("EDesignFile")->setText("kept.dgn");
        child<QAbstractButton>("Button17")->click();
        child<QAction>("DesignCharts1")->trigger();
        child<QAbstractButton>("PinButton", &charts)->click();
        dialogs_.answers.push_back(QDir::current().absoluteFilePath("kept.dgn"));
        child<QAbstractButton>("AddDesignButton", &charts)->click();
        QVERIFY2(dialogs_.errors.isEmpty(), qPrintable(dialogs_.errors.join(' ')));
        const std::vector<Overlay> &o = charts.overlays().all();
        QCOMPARE(o.size(), size_t(2));
        QVERIFY(!o[0].curves.splDb.empty());
        QCOMPARE(o[1].curves.splDb, o[0].curves.splDb);
        QCOMPARE(o[1].curves.excursionMm, o[0].curves.excursionMm);
        QCOMPARE(o[1].curves.portVelocity, o[0].curves.portVelocity);
        QCOMPARE(o[1].curves.impedanceOhm, o[0].curves.impedanceOhm);
        QVERIFY(o[0].colour != o[1].colour);

        const std::vector<double> at600 = o[0].curves.splDb;
        child<QLineEdit>("EPower", &charts)->setText("150");
        child<QAbstractButton>("UpdateButton", &charts)->click();
        QCOMPARE(charts.overlays().drive().powerW, std::optional<double>(150.0));
        QVERIFY(std::fabs(at600[100] - o[0].curves.splDb[100] - 6.0206) < 1e-3);

        for (int i = 0; i < 7; ++i)
            child<QAbstractButton>("PinButton", &charts)->click();
        QCOMPARE(charts.overlays().all().size(), size_t(OverlaySet::MaxOverlays));
        // The ninth went in, the first pinned went out, and the window says so.
        QVERIFY(charts.overlays().all().front().title.startsWith("kept.dgn"));
        QVERIFY(child<QLabel>("OverlayNotice", &charts)->text().contains("the oldest, Fane"));
        child<QAbstractButton>("ClearButton", &charts)->click();
        QVERIFY(charts.overlays().all().empty());
    }

    void quitWithDialogOpen_data() {
        QTest::addColumn<QString>("control");
        QTest::newRow("menu") << "Quit1";
        QTest::newRow("tool bar") << "ToolButton7";
    }
    void quitWithDialogOpen() {
        QFETCH(QString, control);
        child<QAction>("About1")->trigger();
        QSignalSpy quit(&main(), &Tdrvik::quitRequested);
        if (auto *a = main().findChild<QAction *>(control))
            a->trigger();
        else
            main().findChild<QAbstractButton *>(control)->click();
        QCOMPARE(quit.count(), 1);
        QVERIFY(!main().isVisible());
    }

    void controlsWithoutCommandChangeNothing() {
        const char *buttons[] = {"OpenButton",
                                 "SaveAsButton",
                                 "CalcQtsButton",
                                 "CalcSensButton",
                                 "RestoreButton",
                                 "StoreButton",
                                 "SQB3Button",
                                 "ShowPlotButton",
                                 "ShowDataPointsButton",
                                 "CalcFbButton",
                                 "OptimizeF3Button",
                                 "CalcCircularVentButton",
                                 "CalcRectVentButton",
                                 "SelectOrderButton",
                                 "DesignerSaveButton",
                                 "DesignerCalculateButton",
                                 "SelectFile1Button",
                                 "BuilderSaveButton",
                                 "BuilderCalculateButton",
                                 "PreviewUpdateButton",
                                 "CalcDimensions2Button",
                                 "UpdatePlotButton",
                                 "ToolButton9",
                                 "ToolButton8"};
        const char *items[] = {"Open1",       "Save1",        "SaveAs1",      "Close1",
                               "Defaults1",   "Print1",       "StoreDriver1", "Adddriver1",
                               "Closed1",     "Rectangular1", "N2vents2",     "ShowPartlist1",
                               "Helptopics1", "Contents1"};
        const auto before = allTexts(program_->windows());
        const QString cwd = QDir::currentPath();
        for (const char *b : buttons)
            child<QAbstractButton>(b)->click();
        for (const char *i : items)
            child<QAction>(i)->trigger();
        QCOMPARE(allTexts(program_->windows()), before);
        QCOMPARE(QDir::currentPath(), cwd);
        for (QWidget *w : program_->windows())
            QCOMPARE(w->isVisible(), w == &main());
        QVERIFY(dialogs_.errors.isEmpty());
    }

    void failingCommandShowsReport() {
        child<QLineEdit>("EQes")->setText("0");
        child<QAbstractButton>("Button1")->click();
        QCOMPARE(dialogs_.errors, QStringList{"Floating point division by zero."});
        QVERIFY(!program_->window("OutputForm")->isVisible()); // stopped before showing the plot
        // The program goes on: the next command works.
        child<QLineEdit>("EQes")->setText("0.46");
        child<QAbstractButton>("Button1")->click();
        QCOMPARE(dialogs_.errors.size(), 1);
        QVERIFY(program_->window("OutputForm")->isVisible());
        QCOMPARE(text("EdBmag25"), QStringLiteral("-7.37"));
    }

    // Typing while the driver list has focus jumps to the first entry whose
    // maker starts with the letters, passing over the index in front.
    void databaseListTypeAhead_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("maker");
        QTest::newRow("one letter") << "p"
                                    << "Peerless";
        QTest::newRow("two letters") << "pi"
                                     << "Pioneer";
        QTest::newRow("capitals and a hyphen") << "SCAN-"
                                               << "Scan-Speak";
        QTest::newRow("no maker") << "zz"
                                  << "Fane";
    }
    void databaseListTypeAhead() {
        QFETCH(QString, typed);
        QFETCH(QString, maker);
        for (const char *file : {"spk.db", "spkdb.hdr"})
            QVERIFY(QFile::copy(QStringLiteral(DRAVIK_SHIPPED_DIR "/") + file, file));
        child<QAbstractButton>("GETDRIVERButton")->click();
        auto *list = child<ListBox>("ListBox1", program_->window("GETDRIVERForm"));
        // Start at the Fane Colossus 18 XB, where a failed search leaves the list.
        int fane = 0;
        while (!list->lines()->lineAt(fane).endsWith(QLatin1String(" Fane Colossus 18 XB")))
            ++fane;
        list->selectLine(fane);
        list->setFocus();
        QTest::keyClicks(list, typed);
        const int chosen = list->selectedLine();
        const auto nameOf = [list](int i) {
            return list->lines()->lineAt(i).section(QLatin1Char(' '), 1);
        };
        QVERIFY2(nameOf(chosen).startsWith(maker + ' '), qPrintable(nameOf(chosen)));
        if (typed != QLatin1String("zz"))
            QVERIFY(!nameOf(chosen - 1).startsWith(maker + ' '));
        else
            QCOMPARE(chosen, fane);
    }

    // Two programs in one process: each computes its own design into its own
    // state and draws its own plot.
    void twoProgramsSideBySide() {
        FakeDialogs otherDialogs;
        Program other(otherDialogs);
        other.start();
        const auto otherText = [&](const char *name) {
            return other.main().findChild<QLineEdit *>(QLatin1String(name))->text();
        };
        child<QLineEdit>("EQts")->setText("0.30");
        child<QAbstractButton>("SBB4Button")->click();
        other.main().findChild<QAbstractButton *>(QStringLiteral("SBB4Button"))->click();
        QCOMPARE(text("EVb"), QStringLiteral("90.40")); // Vas 226 / alfa 2.5
        QCOMPARE(otherText("EVb"), QStringLiteral("150.67"));
        const Responses &mine = program_->state().responses;
        const Responses &theirs = other.state().responses;
        QVERIFY(mine.SystemResponse[25] != theirs.SystemResponse[25]);
        QVERIFY(program_->plot().image() != other.plot().image());

        // A preset in one leaves the other's crossover at 0 dB.
        for (const char *f : {"HP2C16C.FLT", "LP1C60B.FLT", "LP2C100B.FLT"})
            QVERIFY(QFile::copy(QStringLiteral(DRAVIK_SHIPPED_DIR "/") + f, f));
        child<QAbstractButton>("BUTTONQuorvel100")->click();
        QVERIFY(program_->state().crossover.CrossoverResponse[500] < -10.0);
        QCOMPARE(other.state().crossover.CrossoverResponse[500], 0.0);
        QVERIFY(dialogs_.errors.isEmpty() && otherDialogs.errors.isEmpty());
    }

    void missingFileReportsFileNotFound() {
        child<QAbstractButton>("GETDRIVERButton")->click(); // no database in this directory
        QCOMPARE(dialogs_.errors, QStringList{"File not found."});
        QVERIFY(program_->window("GETDRIVERForm")->isVisible());
    }

    void measureChartSameEveryTime_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("Free air...") << "FreeAirButton";
        QTest::newRow("Fit") << "FitButton";
    }

    // The 50th open or fit draws what the 2nd drew: the same axes and
    // curves, no more items in the scene; and the file name's start shows.
    void measureChartSameEveryTime() {
        QFETCH(QString, button);
        const QString path =
            QDir::current().absoluteFilePath("free_air_of_woofer_A_after_break_in.zma");
        ElectricalModel m{{InductanceModel::Plain, 1e-3}, 6.0, 28.0, 6.0, 0.45};
        const auto curve = test::SyntheticCurve(m, test::LogGrid(10, 2e4, 300));
        test::writeBytes(path, test::ZmaLines(curve).join('\n').toUtf8());
        QWidget *form = program_->window("MeasureForm");
        form->show();
        QGraphicsScene *scene = child<QChartView>("ImpedanceView", form)->scene();
        qsizetype items = 0;
        for (int i = 0; i < 50; ++i) {
            dialogs_.answers.push_back(path); // left unused by "Fit"
            child<QAbstractButton>(i ? qPrintable(button) : "FreeAirButton", form)->click();
            items = i == 1 ? scene->items().size() : items;
        }
        QCOMPARE(scene->items().size(), items);
        // The magnitude and the phase, each measured and fitted; the phase
        // fitted to a curve of the fit's own model lies on the measured one.
        QChart *chart = child<QChartView>("ImpedanceView", form)->chart();
        QCOMPARE(chart->axes().size(), 3);
        std::map<QString, QList<QPointF>> series;
        for (QAbstractSeries *s : chart->series())
            series[s->name()] = static_cast<QLineSeries *>(s)->points();
        QCOMPARE(series["Measured phase"].size(), qsizetype(curve.hz.size()));
        const bool fitted = button == QLatin1String("FitButton");
        QCOMPARE(series["Fitted phase"].size(), fitted ? qsizetype(curve.hz.size()) : 0);
        for (qsizetype i = 0; fitted && i < series["Fitted phase"].size(); ++i)
            QVERIFY(std::abs(series["Fitted phase"][i].y() - series["Measured phase"][i].y()) <
                    0.1);
        auto *file = child<QLineEdit>("EFreeAirFile", form);
        QCOMPARE(file->text(), QFileInfo(path).fileName());
        QCOMPARE(file->cursorPosition(), 0); // the field scrolls to its cursor
        QCOMPARE(file->toolTip(), QDir::toNativeSeparators(path));
        QVERIFY(dialogs_.errors.isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
