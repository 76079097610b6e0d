// The main window's menu bar and tool bar, wired to its commands.
#include "mainprg2.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace dravik {

namespace {

QAction *menuItem(QMenu *menu, QObject *owner, const char *name, const QString &caption) {
    QAction *a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    a->setParent(owner);
    return a;
}

// A check mark that stays as it is: the menu shows it, no command changes it.
void fixCheckMark(QAction *a) {
    a->setCheckable(true);
    a->setChecked(true);
    QObject::connect(a, &QAction::toggled, a, [a](bool on) {
        if (!on)
            a->setChecked(true);
    });
}

} // namespace

void Tdrvik::buildMenu() {
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto menu = [&](QMenu *parentMenu, const char *name, const QString &caption) {
        QMenu *m = parentMenu ? parentMenu->addMenu(caption) : bar->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name) + QStringLiteral("Item"));
        return m;
    };

    QMenu *file = menu(nullptr, "FileMenu", QStringLiteral("File"));
    connect(menuItem(file, this, "Newproject1", QStringLiteral("New project")), &QAction::triggered,
            this, &Tdrvik::Newproject1Click);
    menuItem(file, this, "Open1", QStringLiteral("Open"));
    menuItem(file, this, "Save1", QStringLiteral("Save"));
    menuItem(file, this, "SaveAs1", QStringLiteral("Save As"));
    menuItem(file, this, "Close1", QStringLiteral("Close"));
    menuItem(file, this, "Defaults1", QStringLiteral("Defaults"));
    menuItem(file, this, "Print1", QStringLiteral("Print"));
    connect(menuItem(file, this, "Quit1", QStringLiteral("Quit")), &QAction::triggered, this,
            &Tdrvik::Quit1Click);

    QMenu *edit = menu(nullptr, "EditMenu", QStringLiteral("Edit"));
    menuItem(edit, this, "Editdriverparameters1", QStringLiteral("Edit driver parameters"));
    menuItem(edit, this, "Editdriverdatabase1", QStringLiteral("Edit driver database"));

    QMenu *display = menu(nullptr, "DisplayMenu", QStringLiteral("Display"));
    menuItem(display, this, "ShowSystemResponse1", QStringLiteral("Show System Response"));
    menuItem(display, this, "ListDataPoints1", QStringLiteral("List Data Points"));
    QAction *charts = menuItem(display, this, "DesignCharts1", QStringLiteral("Design Charts"));
    charts->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    connect(charts, &QAction::triggered, this, &Tdrvik::DesignCharts1Click);

    QMenu *driver = menu(nullptr, "DriverMenu", QStringLiteral("Driver"));
    connect(menuItem(driver, this, "SelectDriver1", QStringLiteral("Get Driver")),
            &QAction::triggered, this, &Tdrvik::SelectDriver1Click);
    menuItem(driver, this, "StoreDriver1", QStringLiteral("Store Driver"));
    menuItem(driver, this, "Adddriver1", QStringLiteral("Add driver"));
    QMenu *count =
        menu(driver, "SelectNumberofDrivers1", QStringLiteral("Select Number of Drivers"));
    connect(menuItem(count, this, "N1driver1", QStringLiteral("1 driver")), &QAction::triggered,
            this, &Tdrvik::N1driver1Click);
    QMenu *two = menu(count, "N2drivers1", QStringLiteral("2 drivers"));
    menuItem(two, this, "N2parallel1", QStringLiteral("parallel"));
    menuItem(two, this, "N2isobaric1", QStringLiteral("isobaric"));
    QMenu *three = menu(count, "N3drivers1", QStringLiteral("3 drivers"));
    menuItem(three, this, "N3parallel1", QStringLiteral("parallel"));
    QMenu *four = menu(count, "N4drivers1", QStringLiteral("4 drivers"));
    menuItem(four, this, "N4parallel1", QStringLiteral("parallel"));
    menuItem(four, this, "N4parallelisobaric1", QStringLiteral("parallel + isobaric"));
    connect(menuItem(driver, this, "MeasureDriver1", QStringLiteral("Measure Driver")),
            &QAction::triggered, this, &Tdrvik::MeasureDriver1Click);

    QMenu *box = menu(nullptr, "BoxMenu", QStringLiteral("Box"));
    QMenu *type = menu(box, "SelectBoxType1", QStringLiteral("Select Box Type"));
    menuItem(type, this, "Closed1", QStringLiteral("Closed"));
    menuItem(type, this, "Vented1", QStringLiteral("Vented"));
    menuItem(type, this, "ClosedIsobaric1", QStringLiteral("Closed Isobaric"));
    menuItem(type, this, "ClosedParallel1", QStringLiteral("Closed Parallel"));
    menuItem(type, this, "VentedIsobaric1", QStringLiteral("Vented Isobaric"));
    menuItem(type, this, "VentedParallel1", QStringLiteral("Vented Parallel"));
    menuItem(box, this, "SelectBoxSize1", QStringLiteral("Select Box Size"));
    menuItem(box, this, "Select1", QStringLiteral("Select "));

    QMenu *vent = menu(nullptr, "VentMenu", QStringLiteral("Vent"));
    QMenu *ventType = menu(vent, "Selectventtype1", QStringLiteral("Select vent type"));
    fixCheckMark(menuItem(ventType, this, "Circular1", QStringLiteral("Circular")));
    menuItem(ventType, this, "Rectangular1", QStringLiteral("Rectangular"));
    menuItem(ventType, this, "Squareshaped1", QStringLiteral("Square shaped"));
    QMenu *vents = menu(vent, "Numberofvents1", QStringLiteral("Number of vents"));
    fixCheckMark(menuItem(vents, this, "N1vent1", QStringLiteral("1 vent")));
    menuItem(vents, this, "N2vents2", QStringLiteral("2 vents"));
    menuItem(vents, this, "N3vents1", QStringLiteral("3 vents"));
    menuItem(vents, this, "N4vents1", QStringLiteral("4 vents"));
    menuItem(vents, this, "Othervents1", QStringLiteral("Other"));
    connect(menuItem(vent, this, "N2vents1", QStringLiteral("Select vent frequency Fb")),
            &QAction::triggered, this, &Tdrvik::N2vents1Click);

    QMenu *crossover = menu(nullptr, "CrossoverMenu", QStringLiteral("Crossover"));
    QMenu *presets = menu(crossover, "SelectCrossoverType1", QStringLiteral("Default crossovers"));
    connect(menuItem(presets, this, "Quorvel100Hz1", QStringLiteral("Quorvel 100 Hz")),
            &QAction::triggered, this, &Tdrvik::Quorvel100Hz1Click);
    connect(menuItem(presets, this, "Quorvel80Hz1", QStringLiteral("Quorvel 80 Hz")),
            &QAction::triggered, this, &Tdrvik::Quorvel80Hz1Click);
    connect(menuItem(presets, this, "Quorvel70Hz1", QStringLiteral("Quorvel 70 Hz")),
            &QAction::triggered, this, &Tdrvik::Quorvel70Hz1Click);
    connect(menuItem(presets, this, "Pelmo10011", QStringLiteral("Pelmo 100/1")),
            &QAction::triggered, this, &Tdrvik::Pelmo10011Click);

    QMenu *partList = menu(nullptr, "PartListMenu", QStringLiteral("Part list"));
    menuItem(partList, this, "ShowPartlist1", QStringLiteral("Show Part list"));
    menu(nullptr, "OtherMenu", QStringLiteral("Other"));
    QMenu *prefs = menu(nullptr, "PreferencesMenu", QStringLiteral("Preferences"));
    connect(menuItem(prefs, this, "Options1", QStringLiteral("Options")), &QAction::triggered, this,
            &Tdrvik::Options1Click);
    QMenu *help = menu(nullptr, "HelpMenu", QStringLiteral("Help"));
    connect(menuItem(help, this, "About1", QStringLiteral("About")), &QAction::triggered, this,
            &Tdrvik::About1Click);
    menuItem(help, this, "Helptopics1", QStringLiteral("Help topics"));
    menuItem(help, this, "Contents1", QStringLiteral("Contents"));
}

QWidget *Tdrvik::buildToolBar() {
    auto *bar = new QToolBar;
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto tool = [&](const char *name, const QString &caption) {
        auto *b = new QToolButton;
        b->setObjectName(QLatin1String(name));
        b->setText(caption);
        b->setAutoRaise(true);
        bar->addWidget(b);
        return b;
    };
    connect(tool("ToolButton1", QStringLiteral("New project")), &QToolButton::clicked, this,
            &Tdrvik::ToolButton1Click);
    tool("ToolButton9", QStringLiteral("Open project"));
    connect(tool("ToolButton2", QStringLiteral("Save")), &QToolButton::clicked, this,
            &Tdrvik::ToolButton2Click);
    bar->addSeparator();
    connect(tool("ToolButton4", QStringLiteral("Show plot")), &QToolButton::clicked, this,
            &Tdrvik::ToolButton4Click);
    connect(tool("ToolButton5", QStringLiteral("Hide plot")), &QToolButton::clicked, this,
            &Tdrvik::ToolButton5Click);
    tool("ToolButton8", QStringLiteral("Notes"));
    bar->addSeparator();
    connect(tool("ToolButton7", QStringLiteral("Quit")), &QToolButton::clicked, this,
            &Tdrvik::ToolButton7Click);
    return bar;
}

} // namespace dravik
