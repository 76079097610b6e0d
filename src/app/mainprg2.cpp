#include "mainprg2.h"

#include "AlignmentTables.h"
#include "Alignments.h"
#include "Analysis.h"
#include "ClosedBox.h"
#include "CrossoverArrays.h"
#include "DesignFile.h"
#include "Dialogs.h"
#include "Dimensions.h"
#include "DriverDatabase.h"
#include "FieldTable.h"
#include "Fp.h"
#include "ListBox.h"
#include "OutpFrm.h"
#include "Pictures.h"
#include "PlotSettings.h"
#include "Presets.h"
#include "Product.h"
#include "ResponseArrays.h"
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

#include <optional>

namespace dravik {

namespace {

const FieldSpec &fieldSpec(const char *name) {
    static const QHash<QString, const FieldSpec *> byName = [] {
        QHash<QString, const FieldSpec *> h;
        for (const FieldSpec &f : mainWindowFields())
            h.insert(QLatin1String(f.name), &f);
        return h;
    }();
    const FieldSpec *entry = byName.value(QLatin1String(name));
    Q_ASSERT_X(entry, "fieldSpec", name);
    return *entry;
}

bool startsChecked(const char *name) {
    for (const CheckSpec &c : mainWindowChecks())
        if (qstrcmp(c.name, name) == 0)
            return c.checked;
    return false;
}

QGroupBox *group(const QString &title) {
    auto *g = new QGroupBox(title);
    return g;
}

QGridLayout *grid(QWidget *w) {
    auto *g = new QGridLayout(w);
    g->setContentsMargins(6, 4, 6, 4);
    g->setHorizontalSpacing(6);
    g->setVerticalSpacing(2);
    return g;
}

QLabel *label(const QString &text) {
    return new QLabel(text);
}

QCheckBox *checkBox(const char *name, const QString &caption) {
    auto *c = new QCheckBox(caption);
    c->setObjectName(QLatin1String(name));
    c->setChecked(startsChecked(name));
    return c;
}

QRadioButton *radio(const QString &name, const QString &caption, bool checked = false) {
    auto *r = new QRadioButton(caption);
    r->setObjectName(name);
    r->setChecked(checked);
    return r;
}

QLabel *picture(const QString &name, const QPixmap &pm) {
    auto *l = new QLabel;
    l->setObjectName(name);
    l->setPixmap(pm);
    l->setFixedSize(pm.size());
    return l;
}

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

Tdrvik::Tdrvik(UserDialogs &dialogs) : dialogs_(dialogs) {
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

    store_ = std::make_unique<WidgetFieldStore>(this);
    design_ = std::make_unique<DesignParameters>(*store_);
    InitializeTables();
}

Tdrvik::~Tdrvik() = default;

// The creation handler: start-up state of the program-wide tables and settings.
void Tdrvik::InitializeTables() {
    InitializeAlignmentTables();
    InitializePlotSettings(palette().color(QPalette::Button));
    QuietSimulation = false;
}

QLineEdit *Tdrvik::field(const char *name) {
    const FieldSpec &entry = fieldSpec(name);
    auto *e = new QLineEdit(QString::fromUtf8(entry.defaultText));
    e->setObjectName(QLatin1String(name));
    e->setReadOnly(entry.readOnly);
    e->setFrame(false);
    e->setCursorPosition(0);
    return e;
}

QPushButton *Tdrvik::button(const char *name, const QString &caption) {
    auto *b = new QPushButton(caption);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

void Tdrvik::addField(QGridLayout *g, int row, int col, const char *name, const QString &caption,
                      const QString &unit) {
    if (!caption.isEmpty())
        g->addWidget(label(caption), row, col);
    g->addWidget(field(name), row, col + 1);
    if (!unit.isEmpty())
        g->addWidget(label(unit), row, col + 2);
}

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

QWidget *Tdrvik::buildFilePage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PG_File"));
    auto *outer = new QVBoxLayout(page);
    QGroupBox *selector = group(QStringLiteral("FILE SELECTOR"));
    selector->setObjectName(QStringLiteral("FileSelectorGroup"));
    outer->addWidget(selector);

    // The cabinet picture sits behind the controls, unscaled from the group's corner.
    QLabel *cabinet = picture(QStringLiteral("CabinetPicture"), cabinetPicture(300, 260));
    cabinet->setParent(selector);
    cabinet->move(0, 0);
    cabinet->lower();

    auto *g = grid(selector);
    g->setContentsMargins(310, 16, 8, 8);
    auto *buttons = new QHBoxLayout;
    QPushButton *newButton = button("Button12", QStringLiteral("New"));
    connect(newButton, &QPushButton::clicked, this, &Tdrvik::Button12Click);
    buttons->addWidget(newButton);
    buttons->addWidget(button("OpenButton", QStringLiteral("Open")));
    QPushButton *save = button("Button17", QStringLiteral("Save"));
    connect(save, &QPushButton::clicked, this, &Tdrvik::Button17Click);
    buttons->addWidget(save);
    buttons->addWidget(button("SaveAsButton", QStringLiteral("Save As")));
    g->addLayout(buttons, 0, 0, 1, 2);

    driveBox_ = new QComboBox;
    driveBox_->setObjectName(QStringLiteral("DriveComboBox1"));
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes())
        driveBox_->addItem(volume.rootPath());
    g->addWidget(driveBox_, 1, 0);
    auto *types = new QComboBox;
    types->setObjectName(QStringLiteral("FilterComboBox1"));
    types->addItem(QStringLiteral("Design Files"), QStringLiteral("*.dgn"));
    types->addItem(QStringLiteral("All Files"), QStringLiteral("*.*"));
    g->addWidget(types, 1, 1);

    dirList_ = new QListWidget;
    dirList_->setObjectName(QStringLiteral("DirectoryListBox1"));
    dirList_->setFrameShape(QFrame::NoFrame);
    connect(dirList_, &QListWidget::itemDoubleClicked, this, &Tdrvik::LDirClick);
    g->addWidget(dirList_, 2, 0);
    fileList_ = new QListWidget;
    fileList_->setObjectName(QStringLiteral("FileListBox1"));
    fileList_->setFrameShape(QFrame::NoFrame);
    connect(fileList_, &QListWidget::itemDoubleClicked, this, [this] { LFileClick(); });
    g->addWidget(fileList_, 2, 1);
    g->addWidget(field("EDesignFilePath"), 3, 0);
    g->addWidget(field("EDesignFile"), 3, 1);
    g->setRowStretch(2, 1);
    refreshFilePage();
    return page;
}

QWidget *Tdrvik::buildDriverPage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PG_Driver"));
    auto *outer = new QVBoxLayout(page);
    QGroupBox *ts = group(QStringLiteral("Thiele-Small Parameters"));
    outer->addWidget(ts);
    auto *g = grid(ts);
    struct Row {
        const char *name;
        const char *caption;
    };
    const Row col0[] = {{"EManufacturer", "Manufacturer"},
                        {"EModel", "Model"},
                        {"EComments", "Comments"},
                        {"EDiam", "Diameter"},
                        {"EImpedance", "Rated Impedance"},
                        {"ESens", "Sensitivity"},
                        {"EEffPDiam", "Effective Piston\nDiameter"},
                        {"EMaxExcursionBeforeDamage", "Maximum Excursion\nBefore Damage"},
                        {"EMinImpedance", "Minimum Impedance"},
                        {"EMagnetW", "Magnet Assembly Weight"}};
    const Row col1[] = {{"EBl", "BL factor"}, {"EVd", "Vd"},      {"EFs", "Fs"},   {"ERe", "Re"},
                        {"EQts", "Qts"},      {"EQms", "Qms"},    {"EQes", "Qes"}, {"EVas", "Vas"},
                        {"EXmax", "Xmax"},    {"EPEmax", "PEmax"}};
    const Row col2[] = {{"ECms", "Cms"},
                        {"EMms", "Mms"},
                        {"ERms", "Rms"},
                        {"EWeight", " Weight"},
                        {"EConeMaterial", "Cone\nmaterial"},
                        {"EPictureFile", "Picture\nfile"},
                        {"ECalcSens", "Calculated\nSensitivity"}};
    int row = 0;
    for (const Row &r : col0)
        addField(g, row++, 0, r.name, QString::fromLatin1(r.caption));
    row = 0;
    for (const Row &r : col1)
        addField(g, row++, 2, r.name, QString::fromLatin1(r.caption));
    row = 0;
    for (const Row &r : col2)
        addField(g, row++, 4, r.name, QString::fromLatin1(r.caption));
    auto *driverPicture = new QLabel;
    driverPicture->setObjectName(QStringLiteral("DriverPicture"));
    driverPicture->setFrameShape(QFrame::StyledPanel);
    g->addWidget(driverPicture, 7, 4, 3, 2);
    g->addWidget(label(QStringLiteral("Recommended Enclosure")), 10, 0);
    g->addWidget(field("ERecommendedEnclType"), 10, 1, 1, 5);
    g->addWidget(label(QStringLiteral("Other Information")), 11, 0);
    g->addWidget(field("EOtherInformation"), 11, 1, 1, 5);
    g->setColumnStretch(1, 3);
    g->setColumnStretch(3, 1);
    g->setColumnStretch(5, 2);

    auto *buttons = new QGridLayout;
    buttons->addWidget(button("CalcQtsButton", QStringLiteral("Calculate Qts from Qes and Qms")), 0,
                       0);
    buttons->addWidget(button("CalcSensButton",
                              QStringLiteral("Calculate sensitivity from Thiele-Small parameters")),
                       0, 1, 1, 2);
    QPushButton *get = button("GETDRIVERButton", QStringLiteral("Get Driver"));
    connect(get, &QPushButton::clicked, this, &Tdrvik::GETDRIVERButtonClick);
    buttons->addWidget(get, 1, 0);
    QPushButton *add = button("ADDDRIVERButton", QStringLiteral("Add Driver"));
    connect(add, &QPushButton::clicked, this, &Tdrvik::ADDDRIVERButtonClick);
    buttons->addWidget(add, 1, 1);
    buttons->addWidget(button("RestoreButton", QStringLiteral("Restore")), 1, 2);
    buttons->addWidget(button("StoreButton", QStringLiteral("Store")), 2, 0);
    QPushButton *pic = button("Button21", QStringLiteral("Select Picture from file"));
    connect(pic, &QPushButton::clicked, this, &Tdrvik::Button21Click);
    buttons->addWidget(pic, 2, 1);
    outer->addLayout(buttons);
    outer->addStretch(1);
    return page;
}

QWidget *Tdrvik::buildBoxPage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PG_Box"));
    auto *outer = new QGridLayout(page);

    QGroupBox *vented = group(QStringLiteral("Vented Enclosure Optimizer"));
    auto *v = grid(vented);
    addField(v, 0, 0, "EVb", QStringLiteral("Box Total Volume Vb"));
    addField(v, 1, 0, "EFb", QStringLiteral("Resonant Frequency Fb"));
    addField(v, 2, 0, "ETargetFb", QStringLiteral("Target tuning frequency\nfor optimizer"));
    addField(v, 3, 0, "ETargetDbmag", QStringLiteral("Target dbmag for\noptimizer"));
    v->addWidget(label(QStringLiteral("Alignments")), 4, 0, 1, 2);
    struct Cmd {
        const char *name;
        const char *caption;
        void (Tdrvik::*handler)();
    };
    const Cmd cmds[] = {
        {"SBB4Button", "Calculate SBB4 alignment", &Tdrvik::SBB4ButtonClick},
        {"Button26", "Calculate SC4 alignment", &Tdrvik::Button26Click},
        {"SQB3Button", "Calculate SQB3 alignment", nullptr},
        {"CALCULATEIDEALButton", "Calculate Ideal Alignment", &Tdrvik::CALCULATEIDEALButtonClick},
        {"CALCULATEMAXIMALLYFLATButton", "Calculate Maximally Flat Alignment",
         &Tdrvik::CALCULATEMAXIMALLYFLATButtonClick},
        {"Button1", "Calculate from Vb and Fb", &Tdrvik::Button1Click},
        {"Button25", "Optimize for subwoofer use", &Tdrvik::Button25Click},
    };
    int row = 5;
    for (const Cmd &c : cmds) {
        QPushButton *b = button(c.name, QString::fromLatin1(c.caption));
        if (c.handler)
            connect(b, &QPushButton::clicked, this, c.handler);
        v->addWidget(b, row++, 0, 1, 2);
    }
    v->setRowStretch(row, 1);
    outer->addWidget(vented, 0, 0, 3, 1);

    QGroupBox *general = group(QStringLiteral("General"));
    auto *gg = grid(general);
    addField(gg, 0, 0, "ENumOfDrivers", QStringLiteral("Number of Drivers"));
    gg->addWidget(button("ShowPlotButton", QStringLiteral("Show Plot")), 1, 0);
    gg->addWidget(button("ShowDataPointsButton", QStringLiteral("Show Data Points")), 1, 1);
    outer->addWidget(general, 0, 1);

    QGroupBox *sealed = group(QStringLiteral("Sealed Box Optimizer"));
    auto *s = grid(sealed);
    addField(s, 0, 0, "ESVb", QStringLiteral("Box Volume Vb"));
    addField(s, 1, 0, "ESQtot", QStringLiteral("Box's Q-value Qtot"));
    addField(s, 2, 0, "ETargetF3", QStringLiteral("Target F3"));
    addField(s, 3, 0, "ESFr", QStringLiteral("Calculated Resonant\nFreq Fr"));
    QPushButton *qtot = button("Button2", QStringLiteral("Calculate Box from Qtot"));
    connect(qtot, &QPushButton::clicked, this, &Tdrvik::Button2Click);
    s->addWidget(qtot, 4, 0, 1, 2);
    s->addWidget(button("CalcFbButton", QStringLiteral("Calculate Fb")), 5, 0);
    s->addWidget(button("OptimizeF3Button", QStringLiteral("Optimize for -3 dB frequency")), 5, 1);
    outer->addWidget(sealed, 1, 1);

    QGroupBox *bandpass = group(QStringLiteral("Bandpass Optimizer"));
    bandpass->setObjectName(QStringLiteral("BandpassGroup"));
    bandpass->setMinimumHeight(24);
    outer->addWidget(bandpass, 2, 1);

    QGroupBox *results = group(QStringLiteral("Results"));
    auto *r = new QVBoxLayout(results);
    r->setContentsMargins(6, 4, 6, 4);
    r->setSpacing(2);
    r->addWidget(field("ELastGenerated"));
    r->addWidget(new ListBox(QStringLiteral("ListBox2")), 1);
    r->addWidget(label(QStringLiteral("Guru's Comments")));
    r->addWidget(field("EWizard1"));
    results->setMinimumWidth(180);
    outer->addWidget(results, 0, 2, 3, 1);
    outer->setColumnStretch(2, 1);
    outer->setRowStretch(2, 1);
    return page;
}

QWidget *Tdrvik::buildVentPage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PG_Vent"));
    auto *outer = new QGridLayout(page);

    QGroupBox *general = group(QStringLiteral("General"));
    auto *g = grid(general);
    addField(g, 0, 0, "ENumOfVents", QStringLiteral("Number of Vents"));
    // The figure is the smallest vent diameter that keeps the air speed low.
    addField(g, 1, 0, "EMinVentArea", QStringLiteral("Recommended Minimum Vent Diameter"));
    addField(g, 2, 0, "EVb_Vent_PG", QStringLiteral("Box volume"), QStringLiteral("liters"));
    outer->addWidget(general, 0, 0);

    QGroupBox *circular = group(QStringLiteral("Circular Vent Calculator"));
    auto *c = grid(circular);
    addField(c, 0, 0, "EVentDiam", QStringLiteral("Vent Inner Diameter"), QStringLiteral("mm"));
    c->addWidget(field("EVent_k"), 1, 1);
    addField(c, 2, 0, "EVentMaterialThickness", QStringLiteral("Vent material thickness"),
             QStringLiteral("mm"));
    c->addWidget(picture(QStringLiteral("VentDiameterPicture"), ventDiameterPicture(120, 80)), 0, 3,
                 4, 1);
    c->addWidget(button("CalcCircularVentButton", QStringLiteral("Calculate Vent Length")), 3, 0, 1,
                 3);
    outer->addWidget(circular, 1, 0);

    QGroupBox *rect = group(QStringLiteral("Rectangular Vent Calculator"));
    auto *rc = grid(rect);
    addField(rc, 0, 0, "EVentWidth", QStringLiteral("Vent Width"), QStringLiteral("mm"));
    addField(rc, 1, 0, "EVentHeight", QStringLiteral("Vent Height"), QStringLiteral("mm"));
    rc->addWidget(button("CalcRectVentButton", QStringLiteral("Calculate Vent Length")), 2, 0, 1,
                  3);
    outer->addWidget(rect, 2, 0);

    QGroupBox *results = group(QStringLiteral("Results"));
    auto *r = grid(results);
    addField(r, 0, 0, "EVentLength", QStringLiteral("Vent Length"), QStringLiteral("mm"));
    addField(r, 1, 0, "ECalcVentArea", QStringLiteral("Vent Area"));
    addField(r, 2, 0, "ECalcVentInnerVolume", QStringLiteral("Vent Inner Volume"),
             QStringLiteral("liters"));
    addField(r, 3, 0, "ECalcVentOuterVolume", QStringLiteral("Vent Outer Volume"),
             QStringLiteral("liters"));
    r->addWidget(picture(QStringLiteral("VentLengthPicture"), ventLengthPicture(200, 70)), 4, 0, 1,
                 3);
    r->addWidget(label(QStringLiteral("Other Information")), 5, 0, 1, 3);
    r->addWidget(new ListBox(QStringLiteral("LVent")), 6, 0, 1, 3);
    outer->addWidget(results, 0, 1, 3, 1);
    outer->setColumnStretch(1, 1);
    return page;
}

QWidget *Tdrvik::buildCrossoverPage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PG_Crossover"));
    auto *outer = new QGridLayout(page);
    auto *left = new QVBoxLayout;
    left->addWidget(label(QStringLiteral("Crossover dBmag")));
    auto *list = new ListBox(QStringLiteral("ListBox1"));
    list->setMinimumWidth(170);
    left->addWidget(list, 1);
    outer->addLayout(left, 0, 0, 3, 1);

    QGroupBox *designer = group(QStringLiteral("Crossover Designer"));
    auto *d = grid(designer);
    const struct {
        const char *name;
        const char *caption;
        const char *select;
    } designerFields[] = {{"Edit36", "Filter Order", "SelectOrderButton"},
                          {"Edit37", "Pass band cutoff", "SelectCutoffButton"},
                          {"Edit38", "Pass band ripple", "SelectRippleButton"}};
    int row = 0;
    for (const auto &f : designerFields) {
        addField(d, row, 0, f.name, QString::fromLatin1(f.caption));
        d->addWidget(button(f.select, QStringLiteral("Select")), row++, 2);
    }
    d->addWidget(radio(QStringLiteral("RadioButton1"), QStringLiteral("High Pass")), row, 0);
    d->addWidget(radio(QStringLiteral("RadioButton2"), QStringLiteral("Low Pass")), row++, 1);
    d->addWidget(button("DesignerSaveButton", QStringLiteral("Save to File")), row, 0);
    d->addWidget(button("DesignerCalculateButton", QStringLiteral("Calculate")), row, 1);
    d->addWidget(checkBox("ChkCrossEnabled", QStringLiteral("Crossover Enabled")), row, 2);
    d->setColumnStretch(1, 1);
    outer->addWidget(designer, 0, 1);

    QGroupBox *selector = group(QStringLiteral("Crossover Selector"));
    auto *sl = new QVBoxLayout(selector);
    sl->setContentsMargins(6, 4, 6, 4);
    sl->setSpacing(2);
    const struct {
        const char *name;
        const char *caption;
        void (Tdrvik::*handler)();
    } presets[] = {
        {"BUTTONQuorvel100", "Quorvel 100 Hz", &Tdrvik::BUTTONQuorvel100Click},
        {"BUTTONQuorvel80", "Quorvel 80 Hz", &Tdrvik::BUTTONQuorvel80Click},
        {"BUTTONQuorvel70", "Quorvel 70 Hz", &Tdrvik::BUTTONQuorvel70Click},
        {"BUTTONPelmo100_1", "Pelmo 100/1", &Tdrvik::BUTTONPelmo100_1Click},
    };
    for (const auto &p : presets) {
        QPushButton *b = button(p.name, QString::fromLatin1(p.caption));
        connect(b, &QPushButton::clicked, this, p.handler);
        sl->addWidget(b);
    }
    outer->addWidget(selector, 0, 2);

    QGroupBox *builder = group(QStringLiteral("Crossover Builder"));
    auto *b = grid(builder);
    const char *files[] = {"Edit32", "Edit33", "Edit34", "Edit35"};
    const char *selects[] = {"SelectFile1Button", "SelectFile2Button", "SelectFile3Button",
                             "SelectFile4Button"};
    const char *checks[] = {"CrossFile1Check", "CrossFile2Check", "CrossFile3Check",
                            "CrossFile4Check"};
    for (int i = 0; i < 4; ++i) {
        addField(b, i, 0, files[i], QStringLiteral("File ") + QString::number(i + 1));
        b->addWidget(button(selects[i], QStringLiteral("Select")), i, 2);
        b->addWidget(checkBox(checks[i], QStringLiteral("Enabled")), i, 3);
    }
    b->addWidget(button("BuilderSaveButton", QStringLiteral("Save to File")), 4, 0);
    b->addWidget(button("BuilderCalculateButton", QStringLiteral("Calculate")), 4, 1);
    outer->addWidget(builder, 1, 1, 1, 2);

    QGroupBox *preview = group(QStringLiteral("Preview"));
    auto *p = grid(preview);
    auto *area = new QLabel(QStringLiteral("Simulated Frequency Response"));
    area->setObjectName(QStringLiteral("PreviewPicture"));
    area->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    area->setFrameShape(QFrame::StyledPanel);
    area->setMinimumHeight(60);
    p->addWidget(area, 0, 0, 1, 3);
    p->addWidget(label(QStringLiteral("10 Hz")), 1, 0, Qt::AlignLeft);
    p->addWidget(label(QStringLiteral("1 kHz")), 1, 2, Qt::AlignRight);
    p->addWidget(button("PreviewUpdateButton", QStringLiteral("Update")), 2, 1);
    outer->addWidget(preview, 2, 1, 1, 2);
    outer->setColumnStretch(1, 1);
    return page;
}

QWidget *Tdrvik::buildAnalysisPage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PG_Analysis"));
    auto *outer = new QVBoxLayout(page);
    QGroupBox *analyzer = group(QStringLiteral("Box Analyzer"));
    analyzer->setObjectName(QStringLiteral("AnalysisFields"));
    QPalette silver = analyzer->palette();
    silver.setColor(QPalette::Base, QColor(192, 192, 192));
    analyzer->setPalette(silver);
    outer->addWidget(analyzer);
    auto *g = grid(analyzer);
    addField(g, 0, 0, "EAlfa", QStringLiteral("Alfa"));
    addField(g, 1, 0, "Effs", QStringLiteral("ffs"));
    addField(g, 2, 0, "ESd", QStringLiteral("Sd"));
    const char *results[] = {"EPeakSPL", "EPar",    "EPer",          "ESPL",     "ESPL100W",
                             "E3dB",     "ERecPwr", "ERecPwrResult", "EdBmag25", "ESPLRef"};
    int i = 0;
    for (const char *name : results) {
        g->addWidget(field(name), i % 5, 2 + i / 5);
        ++i;
    }
    auto *lists = new QHBoxLayout;
    lists->setSpacing(4);
    for (int k = 1; k <= 5; ++k) {
        auto *list = new ListBox(QStringLiteral("Datapoints") + QString::number(k));
        list->setPalette(palette()); // the lists stay light grey; only the fields are silver
        lists->addWidget(list);
    }
    g->addLayout(lists, 5, 0, 1, 4);
    g->setRowStretch(5, 1);
    return page;
}

QWidget *Tdrvik::buildPartListPage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PG_List"));
    auto *outer = new QGridLayout(page);

    QGroupBox *calc2 = group(QStringLiteral("Enclosure Dimension Calculator 2"));
    auto *c2 = grid(calc2);
    c2->addWidget(label(QStringLiteral("Ratio")), 0, 0);
    c2->addWidget(field("ERatioL"), 0, 1);
    c2->addWidget(field("ERatioW"), 0, 2);
    c2->addWidget(field("ERatioH"), 0, 3);
    addField(c2, 1, 0, "EWoodThickness", QStringLiteral(" Wood Thickness"), QStringLiteral("mm"));
    addField(c2, 2, 0, "EVb2", QStringLiteral("Vb"));
    addField(c2, 3, 0, "ELength", QStringLiteral("Lenght"), QStringLiteral("cm"));
    addField(c2, 4, 0, "EWidth", QStringLiteral(" Width"), QStringLiteral("cm"));
    addField(c2, 5, 0, "EHeight", QStringLiteral("Height"), QStringLiteral("cm"));
    addField(c2, 6, 0, "EEstimatedWeight", QStringLiteral(" Weight"), QStringLiteral("kg"));
    c2->addWidget(button("CalcDimensions2Button", QStringLiteral("Calc Dimensions")), 7, 0, 1, 3);
    outer->addWidget(calc2, 0, 0, 2, 1);

    QGroupBox *calc1 = group(QStringLiteral("Dimension calculator 1"));
    auto *c1 = grid(calc1);
    c1->addWidget(label(QStringLiteral("Front Baffle dimensions (mm)")), 0, 0, 1, 2);
    addField(c1, 1, 0, "EFrontWidth", QStringLiteral(" Width"));
    addField(c1, 2, 0, "EFrontHeight", QStringLiteral("Height"));
    addField(c1, 3, 0, "EBracing", QStringLiteral("% of volume for bracing"), QStringLiteral("%"));
    QPushButton *calc = button("BCalcDimensions1", QStringLiteral("Calculate dimensions"));
    connect(calc, &QPushButton::clicked, this, &Tdrvik::BCalcDimensions1Click);
    c1->addWidget(calc, 4, 0, 1, 3);
    outer->addWidget(calc1, 0, 1);

    QGroupBox *general = group(QStringLiteral("General"));
    auto *g = grid(general);
    addField(g, 0, 0, "EMaterialThickness", QStringLiteral("Material Thickness"),
             QStringLiteral("mm"));
    addField(g, 1, 0, "EMinMaterialThickness",
             QStringLiteral("Recommended minimum material thickness"), QStringLiteral("mm"));
    addField(g, 2, 0, "EFinalVb", QStringLiteral("Box volume"), QStringLiteral("l"));
    outer->addWidget(general, 1, 1);

    QGroupBox *results = group(QStringLiteral("Results"));
    auto *r = grid(results);
    r->addWidget(label(QStringLiteral(" Width")), 0, 1);
    r->addWidget(label(QStringLiteral("Height")), 0, 2);
    r->addWidget(label(QStringLiteral("Quantity")), 0, 3);
    const struct {
        const char *caption;
        const char *w, *h, *qty;
    } panels[] = {{"Front baffle & rear wall (mm)", "ECalcFrontWidth", "ECalcFrontHeight", "EQty1"},
                  {"Top & bottom wall (mm)", "ECalcTBWidth", "ECalcTBHeight", "EQty2"},
                  {"Side walls (mm)", "ECalcSideWidth", "ECalcSideHeight", "EQty3"}};
    int row = 1;
    for (const auto &p : panels) {
        r->addWidget(label(QString::fromLatin1(p.caption)), row, 0);
        r->addWidget(field(p.w), row, 1);
        r->addWidget(field(p.h), row, 2);
        r->addWidget(field(p.qty), row++, 3);
    }
    r->addWidget(label(QStringLiteral(" Width")), row, 1);
    r->addWidget(label(QStringLiteral("Height")), row, 2);
    r->addWidget(label(QStringLiteral("Length")), row++, 3);
    r->addWidget(label(QStringLiteral("Box outer dimensions")), row, 0);
    r->addWidget(field("E_OW"), row, 1);
    r->addWidget(field("E_OH"), row, 2);
    r->addWidget(field("E_OL"), row++, 3);
    r->addWidget(label(QStringLiteral("Part list")), row++, 0);
    r->addWidget(new ListBox(QStringLiteral("ListBox4")), row, 0, 1, 4);
    r->setRowStretch(row, 1);
    outer->addWidget(results, 2, 0, 1, 2);
    outer->setRowStretch(2, 1);
    return page;
}

QWidget *Tdrvik::buildOtherPage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Other"));
    return page;
}

QWidget *Tdrvik::buildAcousticsPage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PG_Acoustics"));
    auto *outer = new QGridLayout(page);
    QGroupBox *room = group(QStringLiteral("Room Acoustics"));
    auto *rl = new QVBoxLayout(room);
    rl->addWidget(
        checkBox("EnableAcoustics", QStringLiteral("Acoustical Environment Simulation Enabled")));
    outer->addWidget(room, 0, 0, 1, 2);

    QGroupBox *envs = group(QStringLiteral("Simulated Acoustical Environments"));
    auto *el = new QVBoxLayout(envs);
    el->setSpacing(1);
    const char *environments[] = {"Car",
                                  "Small Room",
                                  "Medium Room",
                                  "Large Room",
                                  "Small Movie Theater",
                                  "Medium Movie Theater",
                                  "Large Cinema",
                                  "Hall",
                                  "Outdoors"};
    int n = 1;
    for (const char *e : environments) {
        el->addWidget(radio(QStringLiteral("EnvironmentRadio") + QString::number(n),
                            QString::fromLatin1(e), n == 2));
        ++n;
    }
    outer->addWidget(envs, 1, 0, 2, 1);

    QGroupBox *placement = group(QStringLiteral("Subwoofer Placement"));
    auto *pl = grid(placement);
    const char *top[] = {"L", "C", "R"};
    for (int i = 0; i < 9; ++i) {
        const QString caption = i < 3 ? QString::fromLatin1(top[i]) : QString();
        pl->addWidget(
            radio(QStringLiteral("PlacementRadio") + QString::number(i + 1), caption, i == 1),
            i / 3, i % 3);
    }
    outer->addWidget(placement, 1, 1);

    QGroupBox *listening = group(QStringLiteral("Listening position"));
    auto *ll = grid(listening);
    ll->addWidget(radio(QStringLiteral("ListeningRadio1"), QString()), 0, 1);
    for (int i = 0; i < 12; ++i)
        ll->addWidget(
            radio(QStringLiteral("ListeningRadio") + QString::number(i + 2), QString(), i == 4),
            1 + i / 3, i % 3);
    outer->addWidget(listening, 2, 1);

    QGroupBox *roomType = group(QStringLiteral("Room type"));
    roomType->setObjectName(QStringLiteral("RoomTypeGroup"));
    roomType->setMinimumHeight(40);
    outer->addWidget(roomType, 1, 2);
    outer->addWidget(button("UpdatePlotButton", QStringLiteral("Update Plot")), 3, 0);
    outer->setRowStretch(4, 1);
    outer->setColumnStretch(2, 1);
    return page;
}

// ---------------------------------------------------------------- commands

void Tdrvik::runCommand(const std::function<void()> &command) {
    std::optional<QString> report;
    {
        WidgetFieldStore::Batch batch(*store_);
        try {
            command();
        } catch (const DravikError &e) {
            report = reportText(e.message());
        }
    }
    if (report)
        dialogs_.showError(this, *report);
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
    runCommand([this] {
        CalculateFromVbAndFb(*design_);
        showPlot();
        repaintPlot();
    });
}

void Tdrvik::SBB4ButtonClick() {
    runCommand([this] {
        ComputeSBB4Alignment(*design_, [this] { repaintPlot(); });
        showPlot();
    });
}

void Tdrvik::Button26Click() {
    runCommand([this] {
        ComputeSC4Alignment(*design_, [this] { repaintPlot(); });
        showPlot();
    });
}

void Tdrvik::CALCULATEIDEALButtonClick() {
    runCommand([this] {
        ComputeIdealAlignment(*design_, [this] { repaintPlot(); });
        showPlot();
    });
}

void Tdrvik::CALCULATEMAXIMALLYFLATButtonClick() {
    runCommand([this] {
        ComputeFlatAlignment(*design_, [this] { repaintPlot(); });
        showPlot();
    });
}

void Tdrvik::Button25Click() {
    runCommand([this] {
        RunSubwooferOptimizer(*design_);
        showPlot();
    });
}

void Tdrvik::Button2Click() {
    runCommand([this] {
        ComputeClosedBox(*design_);
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
        design_->setText("EPictureFile", path ? *path : QStringLiteral("<no_picture>"));
    });
}

void Tdrvik::saveDesign() {
    runCommand([this] { WriteDesignFile(*store_); });
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

void Tdrvik::LFileClick() {
    runCommand([this] {
        QListWidgetItem *item = fileList_->currentItem();
        const bool selected = item && item->isSelected();
        design_->setText("EDesignFile",
                         selected ? QFileInfo(item->data(Qt::UserRole).toString()).fileName()
                                  : QString());
    });
}

void Tdrvik::LDirClick(QListWidgetItem *item) {
    if (item)
        openDirectory(item->data(Qt::UserRole).toString());
}

void Tdrvik::openDirectory(const QString &path) {
    runCommand([this, path] {
        const QFileInfo info(path);
        if (!info.isDir())
            fail(msg::PathNotFound);
        if (!QDir::setCurrent(info.absoluteFilePath()))
            fail(msg::FileAccessDenied);
        design_->setText("EDesignFilePath", QDir::currentPath());
        refreshFilePage();
    });
}

// The directory list shows the path from the root down to the current
// directory, then its subdirectories; the file list the "*.dgn" files there.
void Tdrvik::refreshFilePage() {
    const QDir current = QDir::current();
    dirList_->clear();
    QStringList ancestors;
    for (QDir d = current;;) {
        ancestors.prepend(d.absolutePath());
        if (!d.cdUp())
            break;
    }
    int depth = 0;
    for (const QString &a : ancestors) {
        const QString name = depth == 0 ? a : QFileInfo(a).fileName();
        auto *item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + name);
        item->setData(Qt::UserRole, a);
        dirList_->addItem(item);
        ++depth;
    }
    for (const QFileInfo &sub :
         current.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto *item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + sub.fileName());
        item->setData(Qt::UserRole, sub.absoluteFilePath());
        dirList_->addItem(item);
    }
    fileList_->clear();
    for (const QFileInfo &f : current.entryInfoList({QStringLiteral("*.dgn")}, QDir::Files,
                                                    QDir::Name | QDir::IgnoreCase)) {
        auto *item = new QListWidgetItem(f.fileName());
        item->setData(Qt::UserRole, f.absoluteFilePath());
        fileList_->addItem(item);
    }
}

void Tdrvik::BUTTONQuorvel100Click() {
    runCommand([this] { ApplyQuorvel100(*store_); });
}
void Tdrvik::Quorvel100Hz1Click() {
    runCommand([this] { ApplyQuorvel100(*store_); });
}
void Tdrvik::BUTTONQuorvel80Click() {
    runCommand([this] { ApplyQuorvel80(*store_); });
}
void Tdrvik::Quorvel80Hz1Click() {
    runCommand([this] { ApplyQuorvel80(*store_); });
}
void Tdrvik::BUTTONQuorvel70Click() {
    runCommand([this] { ApplyQuorvel70(*store_); });
}
void Tdrvik::Quorvel70Hz1Click() {
    runCommand([this] { ApplyQuorvel70(*store_); });
}
void Tdrvik::BUTTONPelmo100_1Click() {
    runCommand([this] { ApplyPelmo100_1(*store_); });
}
void Tdrvik::Pelmo10011Click() {
    runCommand([this] { ApplyPelmo100_1(*store_); });
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

void Tdrvik::closeEvent(QCloseEvent *event) {
    event->accept();
    emit quitRequested();
}

} // namespace dravik
