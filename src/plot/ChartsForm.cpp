#include "ChartsForm.h"

#include "ChartScale.h"
#include "Construction.h"
#include "CurveExport.h"
#include "CutSheet.h"
#include "DesignChart.h"
#include "DesignReader.h"
#include "Enclosures.h"
#include "Fp.h"
#include "NumberText.h"
#include "Paths.h"
#include "SidePanel.h"

#include <QBuffer>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStackedWidget>
#include <QSvgGenerator>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace dravik {

namespace {

QPushButton *Button(const char *name, const QString &caption) {
    auto *b = new QPushButton(caption);
    b->setObjectName(QLatin1String(name));
    return b;
}

// Every label of the window shows its text as it is: a driver's name or a
// file's name is never read as markup.
QLabel *PlainLabel(const QString &text) {
    auto *label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel *Readout(const char *name) {
    QLabel *label = PlainLabel(QString());
    label->setObjectName(QLatin1String(name));
    return label;
}

// A sentence about the design, wrapped to the panel's width.
QLabel *Notice(const char *name) {
    QLabel *label = Readout(name);
    label->setWordWrap(true);
    label->hide(); // until it has something to say
    return label;
}

// A notice says its sentence, or takes no room at all while it has none.
void Say(QLabel *label, const QString &text) {
    label->setText(text);
    label->setVisible(!text.isEmpty());
}

// A stack of fields as tall as the page in front, not as its tallest page:
// the panel has no gap under a short one.
void ShowPage(QStackedWidget *stack, int index) {
    for (int i = 0; i < stack->count(); ++i)
        stack->widget(i)->setSizePolicy(QSizePolicy::Preferred,
                                        i == index ? QSizePolicy::Preferred : QSizePolicy::Ignored);
    stack->setCurrentIndex(index);
    stack->updateGeometry();
}

// The window opens at a size that fits a 1366 x 768 laptop with its task
// bar, or the screen it opens on when that is smaller.
QSize OpeningSize(const QScreen *screen) {
    QSize size(1240, 690);
    if (screen)
        size = size.boundedTo(screen->availableGeometry().size());
    return size;
}

// A row of choices in a widget of its own, so that they exclude each other
// and no other radio button of the window.
QWidget *ChoiceGroup(QHBoxLayout *&row) {
    auto *group = new QWidget;
    row = new QHBoxLayout(group);
    row->setContentsMargins(0, 0, 0, 0);
    return group;
}

// What the checked button of a group of choices stands for, or `otherwise`.
template <class Choice>
Choice CheckedChoice(const std::map<Choice, QRadioButton *> &buttons, Choice otherwise) {
    for (const auto &[choice, button] : buttons)
        if (button->isChecked())
            return choice;
    return otherwise;
}

// Where the system of units is remembered between runs, and its values.
constexpr char UnitsKey[] = "charts/units";
constexpr char MetricUnitsText[] = "metric";
constexpr char UsUnitsText[] = "us";

QString Caption(const InputRow &row) {
    return FieldCaption(row, UnitSystem::Metric);
}

constexpr int PictureWidth = 1600;

const char *SpaceChoiceName(SpaceKind kind) {
    switch (kind) {
    case SpaceKind::FullSpace:
        return "FullSpaceChoice";
    case SpaceKind::HalfSpace:
        return "HalfSpaceChoice";
    case SpaceKind::QuarterSpace:
        return "QuarterSpaceChoice";
    case SpaceKind::EighthSpace:
        return "EighthSpaceChoice";
    case SpaceKind::Car:
        return "CarChoice";
    case SpaceKind::Room:
        return "RoomChoice";
    }
    return "";
}

// The placement grid's buttons, front left to back right.
const char *const PlacementNames[9] = {
    "PlaceFrontLeftButton",  "PlaceFrontCentreButton",  "PlaceFrontRightButton",
    "PlaceMiddleLeftButton", "PlaceMiddleCentreButton", "PlaceMiddleRightButton",
    "PlaceBackLeftButton",   "PlaceBackCentreButton",   "PlaceBackRightButton"};

const char *const SetupFilter = "Design setup files (*.dvsetup)|*.dvsetup";
const char *const CutSheetFilter = "CSV (*.csv)|*.csv|SVG (*.svg)|*.svg|PDF (*.pdf)|*.pdf";

} // namespace

TChartsForm::TChartsForm(const FieldStore &mainFields, Hooks hooks, QWidget *parent)
    : QWidget(parent, Qt::Window), fields_(mainFields), hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("ChartsForm"));
    setWindowTitle(QStringLiteral("Design Charts"));

    ventLength_ = Notice("VentLengthLabel");
    qualityNotice_ = Notice("QtsNoticeLabel");
    spaceNotice_ = Notice("SpaceNoticeLabel");
    source_ = Notice("DesignSourceLabel");

    // The SPL chart always on top; the others on tabs below it. The charts
    // themselves are made on first show, so that start-up does not pay for them.
    splSlot_ = new QWidget;
    splSlot_->setObjectName(QStringLiteral("SplSlot"));
    new QVBoxLayout(splSlot_);
    splSlot_->layout()->setContentsMargins(0, 0, 0, 0);
    tabs_ = new QTabWidget;
    tabs_->setObjectName(QStringLiteral("ChartPages"));
    tabs_->setUsesScrollButtons(true);
    splitter_ = new QSplitter(Qt::Vertical);
    splitter_->setObjectName(QStringLiteral("ChartSplitter"));
    splitter_->addWidget(splSlot_);
    splitter_->addWidget(tabs_);
    splitter_->setChildrenCollapsible(false); // the SPL chart stays at hand
    splitter_->setProperty(ChartColumnProperty, true);

    // The controls in a panel of sections beside the charts: the panel
    // scrolls, the charts keep the window's height.
    auto *panel = new SidePanel;
    panel->addSection(buildDriversSection());
    panel->addSection(buildEnclosureSection());
    panel->addSection(buildConstructionSection());
    panel->addSection(buildDriveSection());
    panel->addSection(buildChainSection());
    panel->addSection(buildSpaceSection());
    panel->addSection(buildDesignsSection());
    panel->finish();
    auto *side = new QVBoxLayout;
    side->addLayout(buildCommandRow());
    side->addWidget(panel, 1);
    side->addWidget(source_);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addWidget(splitter_, 1);
    resize(OpeningSize(screen()));
    connect(&presenter_, &ChartsPresenter::fieldTextChanged, this,
            [this](const QString &field, const QString &text) { edits_.at(field)->setText(text); });
    connect(&presenter_, &ChartsPresenter::helperNoticeChanged, this,
            [this](const QString &text) { Say(helperNotice_, text); });
    connect(&presenter_, &ChartsPresenter::overlayNoticeChanged, this,
            [this](const QString &text) { Say(overlayNotice_, text); });
    connect(&presenter_, &ChartsPresenter::overlaysChanged, this, &TChartsForm::overlaysChanged);
    kindChosen();
    spaceChosen();
    if (hooks_.rememberedChoice &&
        hooks_.rememberedChoice(QLatin1String(UnitsKey)) == QLatin1String(UsUnitsText))
        usUnits_->setChecked(true);
}

TChartsForm::~TChartsForm() = default;

QLineEdit *TChartsForm::makeField(const char *name, const QString &text, int width) {
    auto *edit = new QLineEdit(text);
    edit->setObjectName(QLatin1String(name));
    edit->setFixedWidth(width);
    edits_[QLatin1String(name)] = edit;
    return edit;
}

QLineEdit *TChartsForm::makeField(const char *name, int width) {
    return makeField(name, WindowStartText(QLatin1String(name)), width);
}

QLineEdit *TChartsForm::addField(QLayout *row, const char *name, const QString &caption,
                                 int width) {
    return addField(row, name, caption, WindowStartText(QLatin1String(name)), width);
}

QLineEdit *TChartsForm::addField(QLayout *row, const char *name, const QString &caption,
                                 const QString &text, int width) {
    if (!caption.isEmpty())
        row->addWidget(PlainLabel(caption));
    QLineEdit *edit = makeField(name, text, width);
    row->addWidget(edit);
    return edit;
}

QRadioButton *TChartsForm::addChoice(QLayout *row, const char *name, const QString &caption) {
    auto *b = new QRadioButton(caption);
    b->setObjectName(QLatin1String(name));
    row->addWidget(b);
    return b;
}

// The fields of inputs from the table, a line each; a caption that goes on
// from the one before ("into", "y") stays on its line.
void TChartsForm::addInputLines(QGridLayout *grid, const std::vector<ModelInput> &inputs, int width,
                                const QString &tip) {
    QHBoxLayout *line = nullptr;
    for (ModelInput input : inputs) {
        const InputRow &r = DesignInputRow(input);
        const QString caption = Caption(r);
        const bool continues = line && caption.at(0).isLower();
        QLabel *label = PlainLabel(caption);
        captions_.emplace_back(label, &r);
        if (!continues) {
            auto *host = new QWidget;
            line = new QHBoxLayout(host);
            line->setContentsMargins(0, 0, 0, 0);
            const int row = grid->rowCount();
            grid->addWidget(label, row, 0);
            grid->addWidget(host, row, 1, 1, -1, Qt::AlignLeft);
            QLineEdit *e = makeField(r.field, QString(), width);
            line->addWidget(e);
            if (!tip.isEmpty())
                e->setToolTip(tip);
            continue;
        }
        line->addWidget(label);
        QLineEdit *e = makeField(r.field, QString(), width);
        line->addWidget(e);
        if (!tip.isEmpty())
            e->setToolTip(tip);
    }
}

QLayout *TChartsForm::buildCommandRow() {
    auto *row = new QHBoxLayout;
    QPushButton *update = Button("UpdateButton", QStringLiteral("Update"));
    QPushButton *reset = Button("ResetViewButton", QStringLiteral("Reset view"));
    QPushButton *exportButton = Button("ExportButton", QStringLiteral("Export..."));
    row->addWidget(update);
    row->addWidget(reset);
    row->addWidget(exportButton);
    row->addStretch(1);
    // One system of units for every field and read-out of the window.
    QHBoxLayout *units = nullptr;
    QWidget *unitsGroup = ChoiceGroup(units);
    addChoice(units, "MetricUnitsChoice", QStringLiteral("Metric"))->setChecked(true);
    usUnits_ = addChoice(units, "UsUnitsChoice", QStringLiteral("US units"));
    unitsGroup->setToolTip(QStringLiteral(
        "Litres and millimetres, or cubic feet and inches: the design stays the same"));
    row->addWidget(unitsGroup);
    connect(usUnits_, &QRadioButton::toggled, this, [this] { unitsChosen(); });
    connect(update, &QPushButton::clicked, this, &TChartsForm::UpdateButtonClick);
    connect(reset, &QPushButton::clicked, this, &TChartsForm::ResetViewButtonClick);
    connect(exportButton, &QPushButton::clicked, this, &TChartsForm::ExportButtonClick);
    return row;
}

// The filters in front of the amplifier; their chart is on its tab.
CollapsibleSection *TChartsForm::buildChainSection() {
    auto *section =
        new CollapsibleSection(QStringLiteral("ChainSection"), QStringLiteral("Signal chain"));
    chainEditor_ = new TChainEditor(
        [this](const std::function<void()> &edit) { runOwnCommand(edit); }, [this] { refresh(); });
    section->addWide(chainEditor_);
    return section;
}

// The drive: a power or a voltage, the source's resistance, the vent's
// warning line, and the amplifier's rating and current limit.
CollapsibleSection *TChartsForm::buildDriveSection() {
    auto *section = new CollapsibleSection(QStringLiteral("DriveSection"),
                                           QStringLiteral("Drive and amplifier"));
    auto *group = new QWidget;
    auto *choices = new QGridLayout(group);
    choices->setContentsMargins(0, 0, 0, 0);
    auto *powerChoice = new QRadioButton(QStringLiteral("Power (W):"));
    powerChoice->setObjectName(QStringLiteral("PowerChoice"));
    powerChoice->setChecked(true);
    choices->addWidget(powerChoice, 0, 0);
    power_ = makeField(FieldOf(ModelInput::Power), 70);
    choices->addWidget(power_, 0, 1);
    voltage_ = Readout("VoltageLabel");
    voltage_->setMinimumWidth(90);
    choices->addWidget(voltage_, 0, 2);
    byVoltage_ = new QRadioButton(QStringLiteral("Voltage (V RMS):"));
    byVoltage_->setObjectName(QStringLiteral("VoltageChoice"));
    choices->addWidget(byVoltage_, 1, 0);
    choices->addWidget(makeField(FieldOf(ModelInput::Voltage), 70), 1, 1);
    choices->setColumnStretch(3, 1);
    section->addWide(group);
    section->addRow(QStringLiteral("Rs (ohm):"),
                    makeField(FieldOf(ModelInput::SourceResistance), 50));
    ventWarning_ = makeField(control::VentWarning, 50);
    section->addRow(QStringLiteral("Vent warning (m/s):"), ventWarning_);
    auto *amplifier = PlainLabel(QStringLiteral("Amplifier"));
    QFont bold = amplifier->font();
    bold.setItalic(true);
    amplifier->setFont(bold);
    section->addWide(amplifier);
    addInputLines(
        section->grid(),
        {ModelInput::AmpRatedPower, ModelInput::AmpRatedLoad, ModelInput::AmpCurrentLimit}, 50,
        QStringLiteral("Empty: no amplifier limit."));
    amplifierLimit_ = Readout("AmplifierLimitLabel");
    amplifierLimit_->setWordWrap(true);
    section->addWide(amplifierLimit_);
    return section;
}

// How the box is built: its outside, walls and what stands in it; the
// gross and net volume, and the cut sheet.
CollapsibleSection *TChartsForm::buildConstructionSection() {
    auto *section = new CollapsibleSection(QStringLiteral("ConstructionSection"),
                                           QStringLiteral("Construction"));
    addInputLines(section->grid(),
                  {ModelInput::OutsideWidth, ModelInput::OutsideHeight, ModelInput::OutsideDepth,
                   ModelInput::WallThickness, ModelInput::DriverDisplacement, ModelInput::Bracing},
                  50,
                  QStringLiteral("Leave one outside dimension empty to have it solved for the "
                                 "design's volume."));
    addInputLines(section->grid(),
                  {ModelInput::VentEndCorrection, ModelInput::RearVentEndCorrection}, 50,
                  QStringLiteral("In vent diameters: 0.732 for one flanged and one free end, "
                                 "0.614 for two free ends, 0.85 for two flanged ends."));
    addInputLines(section->grid(),
                  {ModelInput::VentSlotWidth, ModelInput::VentSlotHeight,
                   ModelInput::VentSharedWalls, ModelInput::RearVentSlotWidth,
                   ModelInput::RearVentSlotHeight, ModelInput::RearVentSharedWalls},
                  50,
                  QStringLiteral("Give a slot's width and height for slot vents, empty for round "
                                 "ones; the box walls it shares are 0 to 3."));
    for (ModelInput input : {ModelInput::VentEndCorrection, ModelInput::RearVentEndCorrection,
                             ModelInput::VentSharedWalls, ModelInput::RearVentSharedWalls})
        edits_.at(QLatin1String(FieldOf(input)))
            ->setText(WindowStartText(QLatin1String(FieldOf(input))));
    grossVolume_ = Readout("GrossVolumeLabel");
    section->addWide(grossVolume_);
    netVolume_ = Readout("NetVolumeLabel");
    netVolume_->setWordWrap(true);
    section->addWide(netVolume_);
    auto *buttons = new QWidget;
    auto *row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    QPushButton *use = Button("UseNetVolumeButton", QStringLiteral("Use net volume"));
    QPushButton *cut = Button("CutSheetButton", QStringLiteral("Cut sheet..."));
    row->addWidget(use);
    row->addWidget(cut);
    row->addStretch(1);
    connect(use, &QPushButton::clicked, this, &TChartsForm::UseNetVolumeButtonClick);
    connect(cut, &QPushButton::clicked, this, &TChartsForm::CutSheetButtonClick);
    section->addWide(buttons);
    return section;
}

void TChartsForm::UseNetVolumeButtonClick() {
    runOwnCommand([this] {
        const std::optional<std::pair<QString, QString>> main =
            presenter_.useNetVolume(currentDesign());
        if (main && hooks_.setMainField)
            hooks_.setMainField(main->first, main->second);
        refresh();
    });
}

// The cut sheet, by the file name's extension: CSV, SVG or PDF.
void TChartsForm::CutSheetButtonClick() {
    runOwnCommand([this] {
        const std::optional<QString> path = hooks_.chooseSaveFile(QLatin1String(CutSheetFilter));
        if (!path)
            return;
        const QString suffix = QFileInfo(*path).suffix().toLower();
        if (suffix != QLatin1String("csv") && suffix != QLatin1String("svg") &&
            suffix != QLatin1String("pdf"))
            throw DravikError(
                QStringLiteral("Choose a file name that ends in .csv, .svg or .pdf."));
        refresh();
        const DesignSetup &shown = *presenter_.shown();
        const std::optional<BuiltBox> box = BuildBox(shown);
        if (!box)
            throw DravikError(QStringLiteral("Give the box's outside and its walls first."));
        if (!box->fault.isEmpty())
            throw DravikError(QStringLiteral("The box cannot be built: ") + box->fault);
        const QString title = DesignExportTitle(ExportName(shown), shown);
        if (suffix == QLatin1String("csv")) {
            WriteLinesFile(*path, CutSheetCsvLines(*box, title));
            return;
        }
        WritePictureFile(*path,
                         CutSheetPicture(*box, title, shown.units,
                                         suffix == QLatin1String("pdf") ? CutSheetFormat::Pdf
                                                                        : CutSheetFormat::Svg));
    });
}

// The enclosure: its kind, its own values and helpers, its losses, and what
// the design says of its vents and its driver.
CollapsibleSection *TChartsForm::buildEnclosureSection() {
    auto *section =
        new CollapsibleSection(QStringLiteral("EnclosureSection"), QStringLiteral("Enclosure"));
    auto *kind = new QGroupBox(QStringLiteral("Box"));
    kind->setObjectName(QStringLiteral("BoxKindGroup"));
    auto *kindLayout = new QGridLayout(kind);
    int index = 0;
    for (const EnclosureKind &k : EnclosureKinds()) {
        auto *b = new QRadioButton(QLatin1String(k.caption));
        b->setObjectName(QLatin1String(k.choiceName));
        kindLayout->addWidget(b, index / 2, index % 2);
        ++index;
        kinds_[k.kind] = b;
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                kindChosen();
        });
    }
    {
        const QSignalBlocker quiet(kinds_[BoxKind::Vented]);
        kinds_[BoxKind::Vented]->setChecked(true);
    }
    section->addWide(kind);
    section->addWide(buildKindFields());
    // One path editor serves the kinds that have a path; each keeps its own.
    pathEditor_ = new TPathEditor(
        [this](const std::function<void()> &edit) { runOwnCommand(edit); }, [this] { refresh(); });
    pathEditor_->setVisible(false);
    section->addWide(pathEditor_);
    for (ModelInput input : {ModelInput::LeakageQ, ModelInput::VentQ}) {
        const InputRow &r = DesignInputRow(input);
        QLineEdit *e = makeField(r.field, WindowValueText(InputValue(DesignSetup(), r)), 50);
        e->setToolTip(QStringLiteral("Empty: no such loss."));
        section->addRow(Caption(r), e);
    }
    // The vents as pipes rather than lumped masses: their resonances show.
    ventsAsDucts_ = new QCheckBox(QStringLiteral("Vents as ducts (their pipe resonances show)"));
    ventsAsDucts_->setObjectName(QStringLiteral("VentsAsDuctsCheck"));
    section->addWide(ventsAsDucts_);
    helperNotice_ = Notice("HelperNoticeLabel");
    section->addWide(helperNotice_);
    section->addWide(ventLength_);
    section->addWide(qualityNotice_);
    return section;
}

QWidget *TChartsForm::buildKindFields() {
    kindFields_ = new QStackedWidget;
    kindFields_->setObjectName(QStringLiteral("BoxFields"));
    for (const EnclosureKind &k : EnclosureKinds()) {
        auto *page = new QWidget;
        auto *grid = new QGridLayout(page);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setVerticalSpacing(3);
        if (k.followsMainWindow) {
            grid->addWidget(
                PlainLabel(k.ventNeeds.empty()
                               ? QStringLiteral("Vb of the main window.")
                               : QStringLiteral("Vb, Fb and the vents of the main window.")),
                0, 0, 1, -1);
        } else {
            std::vector<ModelInput> inputs = k.needs;
            inputs.insert(inputs.end(), k.ventNeeds.begin(), k.ventNeeds.end());
            addInputLines(grid, inputs, 55, QString());
        }
        // A helper: a value to aim at and the button that works out the
        // fields from it.
        const auto helper = [this, grid](const QString &caption, QWidget *fields) {
            const int row = grid->rowCount();
            grid->addWidget(PlainLabel(caption), row, 0);
            grid->addWidget(fields, row, 1, 1, -1, Qt::AlignLeft);
        };
        if (k.helper == KindHelper::RadiatorTuning) {
            auto *host = new QWidget;
            auto *line = new QHBoxLayout(host);
            line->setContentsMargins(0, 0, 0, 0);
            line->addWidget(makeField(control::RadiatorTuning, 50));
            QPushButton *tune = Button("PrTuneButton", QStringLiteral("Added mass"));
            connect(tune, &QPushButton::clicked, this, &TChartsForm::PrTuneButtonClick);
            line->addWidget(tune);
            helper(QStringLiteral("Tune to (Hz):"), host);
        } else if (k.helper == KindHelper::BandpassDesign) {
            auto *host = new QWidget;
            auto *line = new QHBoxLayout(host);
            line->setContentsMargins(0, 0, 0, 0);
            line->addWidget(makeField(control::BandpassS, 40));
            addField(line, control::BandpassGain, QStringLiteral("Gain (dB):"), 40);
            QPushButton *design = Button("Bp4DesignButton", QStringLiteral("Design"));
            connect(design, &QPushButton::clicked, this, &TChartsForm::Bp4DesignButtonClick);
            line->addWidget(design);
            helper(QStringLiteral("S:"), host);
        }
        grid->setColumnStretch(1, 1);
        kindFields_->addWidget(page);
    }
    return kindFields_;
}

// The drivers, their mounting and wiring, the voice coil, and the air.
CollapsibleSection *TChartsForm::buildDriversSection() {
    auto *section =
        new CollapsibleSection(QStringLiteral("DriversSection"), QStringLiteral("Drivers and air"));
    section->addRow(QStringLiteral("Drivers:"), makeField(control::DriverCount, 30));
    QHBoxLayout *mounting = nullptr;
    QWidget *mountingGroup = ChoiceGroup(mounting);
    addChoice(mounting, "NormalMountingChoice", QStringLiteral("Normal"))->setChecked(true);
    isobaric_ = addChoice(mounting, "IsobaricMountingChoice", QStringLiteral("Isobaric pairs"));
    section->addRow(QStringLiteral("Mounted:"), mountingGroup);
    QHBoxLayout *wiring = nullptr;
    QWidget *wiringGroup = ChoiceGroup(wiring);
    addChoice(wiring, WiringChoiceName(Wiring::Parallel), QStringLiteral("Parallel"))
        ->setChecked(true);
    series_ = addChoice(wiring, WiringChoiceName(Wiring::Series), QStringLiteral("Series"));
    seriesParallel_ = addChoice(wiring, WiringChoiceName(Wiring::SeriesParallel),
                                QStringLiteral("Series-parallel"));
    section->addRow(QStringLiteral("Wired:"), wiringGroup);
    addCoilChoices(section);
    addCoilModel(section);
    amplifierLoad_ = Readout("AmplifierLoadLabel");
    amplifierLoad_->setWordWrap(true);
    section->addWide(amplifierLoad_);
    wiringList_ = new QListWidget;
    wiringList_->setObjectName(QStringLiteral("WiringList"));
    wiringList_->setToolTip(
        QStringLiteral("Every way to wire these drivers, by the load the amplifier sees; "
                       "choose one to use it."));
    connect(wiringList_, &QListWidget::currentRowChanged, this,
            [this](int row) { wiringChosen(row); });
    section->addWide(wiringList_);

    auto *group = new QWidget;
    auto *air = new QGridLayout(group);
    air->setContentsMargins(0, 0, 0, 0);
    const auto unit = [](const char *text) { return PlainLabel(QLatin1String(text)); };
    auto *typed = new QRadioButton(QStringLiteral("Air:"));
    typed->setObjectName(QStringLiteral("AirTypedChoice"));
    typed->setChecked(true);
    air->addWidget(typed, 0, 0);
    air->addWidget(makeField(control::AirDensity, 50), 0, 1);
    air->addWidget(unit("kg/m^3"), 0, 2);
    air->addWidget(makeField(control::SoundSpeed, 50), 0, 3);
    air->addWidget(unit("m/s"), 0, 4);
    fromConditions_ = new QRadioButton(QStringLiteral("From:"));
    fromConditions_->setObjectName(QStringLiteral("AirConditionsChoice"));
    air->addWidget(fromConditions_, 1, 0);
    air->addWidget(makeField(control::Temperature, 50), 1, 1);
    temperatureUnit_ = unit("C");
    air->addWidget(temperatureUnit_, 1, 2);
    air->addWidget(makeField(control::Pressure, 60), 1, 3);
    pressureUnit_ = unit("Pa");
    air->addWidget(pressureUnit_, 1, 4);
    air->addWidget(makeField(control::Humidity, 50), 2, 1);
    air->addWidget(unit("% humidity"), 2, 2, 1, 3);
    air->setColumnStretch(5, 1);
    section->addWide(group);
    air_ = Readout("AirLabel");
    air_->setWordWrap(true);
    section->addWide(air_);
    return section;
}

// The listening space: its kind, a car's or a room's values with their
// presets, and why they cannot be used when they cannot.
CollapsibleSection *TChartsForm::buildSpaceSection() {
    auto *section =
        new CollapsibleSection(QStringLiteral("SpaceSection"), QStringLiteral("Listening space"));
    auto *space = new QGroupBox;
    space->setObjectName(QStringLiteral("SpaceGroup"));
    auto *spaceLayout = new QGridLayout(space);
    for (int i = 0; i < SpaceKindCount; ++i) {
        const auto kind = static_cast<SpaceKind>(i);
        auto *b = new QRadioButton(QLatin1String(SpaceKindCaption(kind)));
        b->setObjectName(QLatin1String(SpaceChoiceName(kind)));
        spaceLayout->addWidget(b, i / 3, i % 3);
        spaces_[kind] = b;
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                spaceChosen();
        });
    }
    {
        const QSignalBlocker quiet(spaces_[SpaceKind::HalfSpace]);
        spaces_[SpaceKind::HalfSpace]->setChecked(true);
    }
    section->addWide(space);
    section->addWide(buildSpaceFields());
    section->addWide(spaceNotice_);
    return section;
}

// A driver's one or two voice coils, the wiring its figures are given
// for, and how its two coils are joined; the last two only for two coils.
void TChartsForm::addCoilChoices(CollapsibleSection *section) {
    QHBoxLayout *count = nullptr;
    QWidget *countGroup = ChoiceGroup(count);
    addChoice(count, "OneCoilChoice", QStringLiteral("One"))->setChecked(true);
    dualCoils_ = addChoice(count, "TwoCoilsChoice", QStringLiteral("Two (dual voice coil)"));
    section->addRow(QStringLiteral("Voice coils:"), countGroup);
    QHBoxLayout *givenFor = nullptr;
    QWidget *givenForGroup = ChoiceGroup(givenFor);
    QHBoxLayout *join = nullptr;
    QWidget *joinGroup = ChoiceGroup(join);
    for (const CoilChoice &c : CoilChoices()) {
        QRadioButton *b =
            addChoice(c.givenFor ? givenFor : join, c.objectName, QLatin1String(c.caption));
        b->setChecked(c.checkedFirst);
    }
    givenForGroup->setToolTip(
        QStringLiteral("The wiring of the two coils that the driver's Re, Le and Qes are for"));
    section->addRow(QStringLiteral("Figures for:"), givenForGroup);
    section->addRow(QStringLiteral("Coils wired:"), joinGroup);
    const auto followCount = [givenForGroup, joinGroup](bool dual) {
        givenForGroup->setEnabled(dual);
        joinGroup->setEnabled(dual);
    };
    followCount(false);
    connect(dualCoils_, &QRadioButton::toggled, this, followCount);
}

// The voice coil's model with its terms, Le among them, and the creep of
// the suspension: the driver's figures the charts window holds.
void TChartsForm::addCoilModel(CollapsibleSection *section) {
    QHBoxLayout *models = nullptr;
    QWidget *modelGroup = ChoiceGroup(models);
    for (const CoilModelChoice &c : CoilModelChoices()) {
        QRadioButton *b = addChoice(models, c.objectName, QLatin1String(c.caption));
        b->setToolTip(QLatin1String(InductanceModelName(c.model)));
        coilModels_[c.model] = b;
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                coilModelChosen();
        });
    }
    {
        const QSignalBlocker quiet(coilModels_.at(InductanceModel::Plain));
        coilModels_.at(InductanceModel::Plain)->setChecked(true);
    }
    modelGroup->setToolTip(QStringLiteral("The voice coil's impedance besides Re"));
    section->addRow(QStringLiteral("Coil model:"), modelGroup);
    const InputRow &le = DesignInputRow(ModelInput::Le);
    section->addRow(Caption(le), makeField(le.field, 50));
    // Each model's own terms on a page of their own; a plain Le has none.
    coilTerms_ = new QStackedWidget;
    coilTerms_->setObjectName(QStringLiteral("CoilTerms"));
    for (InductanceModel model : AllInductanceModels) {
        auto *page = new QWidget;
        auto *grid = new QGridLayout(page);
        grid->setContentsMargins(0, 0, 0, 0);
        std::vector<ModelInput> terms;
        for (const InputRow &r : DesignInputRows())
            if (IsTermOfCoil(r, model))
                terms.push_back(r.input);
        addInputLines(grid, terms, 60, QString());
        grid->setColumnStretch(1, 1);
        coilTerms_->addWidget(page);
    }
    section->addWide(coilTerms_);
    const InputRow &creep = DesignInputRow(ModelInput::Creep);
    QLineEdit *creepField = makeField(creep.field, 50);
    creepField->setToolTip(
        QStringLiteral("The suspension's compliance rises by lambda per decade below Fs"));
    section->addRow(Caption(creep), creepField);
    coilModelChosen();
}

InductanceModel TChartsForm::coilModel() const {
    return CheckedChoice(coilModels_, InductanceModel::Plain);
}

// A model shows its own terms; Le is a field only of the models with a series Le.
void TChartsForm::coilModelChosen() {
    const InductanceModel model = coilModel();
    ShowPage(coilTerms_, static_cast<int>(model));
    edits_.at(QLatin1String(FieldOf(ModelInput::Le)))->setEnabled(HasSeriesLe(model));
    if (isVisible() && !settingControls_)
        refresh();
}

// The system of units chosen: every field, caption and read-out follows,
// and the choice is remembered for the next run.
void TChartsForm::unitsChosen() {
    const UnitSystem system = usUnits_->isChecked() ? UnitSystem::Us : UnitSystem::Metric;
    presenter_.setUnits(system, [this](const char *name) {
        const auto it = edits_.find(QLatin1String(name));
        return it == edits_.end() ? QString() : it->second->text();
    });
    for (const auto &[label, row] : captions_)
        label->setText(FieldCaption(*row, system));
    temperatureUnit_->setText(QLatin1String(ShownUnitOf(Quantity::Temperature, system).text));
    pressureUnit_->setText(QLatin1String(ShownUnitOf(Quantity::Pressure, system).text));
    pathEditor_->setUnits(system);
    if (hooks_.rememberChoice)
        hooks_.rememberChoice(QLatin1String(UnitsKey), system == UnitSystem::Us
                                                           ? QLatin1String(UsUnitsText)
                                                           : QLatin1String(MetricUnitsText));
    if (isVisible() && !settingControls_)
        refresh();
}

// A line of the wiring list chosen: its wiring is used.
void TChartsForm::wiringChosen(int row) {
    if (row < 0 || static_cast<size_t>(row) >= wiringOptions_.size())
        return;
    const WiringOption &option = wiringOptions_[static_cast<size_t>(row)];
    if (option.inUse)
        return;
    checkChoice(WiringChoiceName(option.wiring));
    checkChoice(CoilJoinChoiceName(option.coilJoin));
    refresh();
}

void TChartsForm::checkChoice(const char *objectName) {
    findChild<QRadioButton *>(QLatin1String(objectName))->setChecked(true);
}

void TChartsForm::listWirings(const DesignSetup &design) {
    wiringOptions_ = WiringOptions(design, ChartsPresenter::Frequencies(), &curves());
    QStringList lines;
    int inUse = -1;
    for (const WiringOption &o : wiringOptions_) {
        if (o.inUse)
            inUse = static_cast<int>(lines.size());
        lines << WiringOptionText(o, design);
    }
    const QSignalBlocker quiet(wiringList_);
    wiringList_->clear();
    wiringList_->addItems(lines);
    wiringList_->setCurrentRow(inUse);
    // As high as its lines, up to six: one driver has a line or two.
    const int rows = std::clamp(wiringList_->count(), 1, 6);
    const int line =
        wiringList_->count() ? wiringList_->sizeHintForRow(0) : wiringList_->fontMetrics().height();
    wiringList_->setFixedHeight(rows * line + 2 * wiringList_->frameWidth());
}

// The car's and the room's own values, with their presets.
QWidget *TChartsForm::buildSpaceFields() {
    auto *panel = new QWidget;
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    spacePresets_ = new QListWidget;
    spacePresets_->setObjectName(QStringLiteral("SpacePresetList"));
    spacePresets_->setMaximumHeight(72);
    connect(spacePresets_, &QListWidget::currentRowChanged, this,
            [this](int r) { presetChosen(r); });
    column->addWidget(spacePresets_);
    spaceFields_ = new QStackedWidget;
    spaceFields_->setObjectName(QStringLiteral("SpaceFields"));
    // Free field: nothing to give.
    auto *ideal = PlainLabel(QStringLiteral(
        "An ideal space: the level at 1 m, -6.02, 0, +6.02 or +12.04 dB over half space."));
    ideal->setWordWrap(true);
    spaceFields_->addWidget(ideal);
    auto *car = new QWidget;
    auto *carGrid = new QGridLayout(car);
    carGrid->setContentsMargins(0, 0, 0, 0);
    auto *cornerGroup = new QWidget;
    auto *corner = new QGridLayout(cornerGroup);
    corner->setContentsMargins(0, 0, 0, 0);
    const auto cabinField = [&](ModelInput input) {
        const InputRow &r = DesignInputRow(input);
        return makeField(r.field, WindowValueText(InputValue(DesignSetup(), r)), 45);
    };
    auto *byCorner = new QRadioButton(QStringLiteral("Corner (Hz):"));
    byCorner->setObjectName(QStringLiteral("CabinCornerChoice"));
    byCorner->setChecked(true);
    corner->addWidget(byCorner, 0, 0);
    corner->addWidget(cabinField(ModelInput::CabinCorner), 0, 1, Qt::AlignLeft);
    cabinFromLength_ = new QRadioButton(QStringLiteral("or c / 2L, cabin length (m):"));
    cabinFromLength_->setObjectName(QStringLiteral("CabinLengthChoice"));
    corner->addWidget(cabinFromLength_, 1, 0);
    corner->addWidget(cabinField(ModelInput::CabinLength), 1, 1, Qt::AlignLeft);
    carGrid->addWidget(cornerGroup, 0, 0, 1, -1);
    carGrid->addWidget(PlainLabel(QStringLiteral("Slope (dB/oct):")), 1, 0);
    carGrid->addWidget(cabinField(ModelInput::CabinSlope), 1, 1, Qt::AlignLeft);
    carGrid->addWidget(PlainLabel(QStringLiteral("At most (dB):")), 2, 0);
    carGrid->addWidget(cabinField(ModelInput::CabinMaxGain), 2, 1, Qt::AlignLeft);
    carGrid->setColumnStretch(1, 1);
    spaceFields_->addWidget(car);
    auto *room = new QWidget;
    auto *roomGrid = new QGridLayout(room);
    roomGrid->setContentsMargins(0, 0, 0, 0);
    std::vector<ModelInput> roomInputs;
    for (const InputRow &r : DesignInputRows())
        if (r.group == InputGroup::Room)
            roomInputs.push_back(r.input);
    addInputLines(roomGrid, roomInputs, 38, QString());
    roomGrid->setColumnStretch(1, 1);
    spaceFields_->addWidget(room);
    column->addWidget(spaceFields_);
    return panel;
}

// The designs beside the current one, the setup files, and the level of an
// FRD export.
CollapsibleSection *TChartsForm::buildDesignsSection() {
    auto *section = new CollapsibleSection(QStringLiteral("DesignsSection"),
                                           QStringLiteral("Overlays, setups and FRD"));
    // The list and its caption only while there are overlays to list.
    overlayCaption_ = PlainLabel(QStringLiteral("Overlays:"));
    overlayCaption_->hide();
    section->addWide(overlayCaption_);
    overlayList_ = new QListWidget;
    overlayList_->hide();
    overlayList_->setObjectName(QStringLiteral("OverlayList"));
    overlayList_->setMaximumHeight(90);
    section->addWide(overlayList_);
    const struct {
        const char *name;
        const char *caption;
        void (TChartsForm::*slot)();
    } overlayCommands[] = {
        {"PinButton", "Pin", &TChartsForm::PinButtonClick},
        {"AddDesignButton", "Add design...", &TChartsForm::AddDesignButtonClick},
        {"HideOverlayButton", "Hide / show", &TChartsForm::HideOverlayButtonClick},
        {"RemoveOverlayButton", "Remove", &TChartsForm::RemoveOverlayButtonClick},
        {"ClearButton", "Clear", &TChartsForm::ClearButtonClick},
        {"OpenSetupButton", "Open setup...", &TChartsForm::OpenSetupButtonClick},
        {"SaveSetupButton", "Save setup...", &TChartsForm::SaveSetupButtonClick},
    };
    auto *buttons = new QWidget;
    auto *buttonGrid = new QGridLayout(buttons);
    buttonGrid->setContentsMargins(0, 0, 0, 0);
    int index = 0;
    for (const auto &c : overlayCommands) {
        QPushButton *b = Button(c.name, QLatin1String(c.caption));
        connect(b, &QPushButton::clicked, this, c.slot);
        buttonGrid->addWidget(b, index / 3, index % 3);
        ++index;
    }
    section->addWide(buttons);
    overlayNotice_ = Notice("OverlayNotice");
    section->addWide(overlayNotice_);
    // A tick in the list shows or hides that overlay.
    connect(overlayList_, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        const int row = overlayList_->row(item);
        presenter_.setOverlayVisible(row, item->checkState() == Qt::Checked);
    });
    // The level an FRD export is written at: what crossover programs expect
    // (2.83 V or 1 W into Re), or the charts' own power.
    auto *frd = new QGroupBox(QStringLiteral("FRD level"));
    frd->setObjectName(QStringLiteral("FrdLevelChoice"));
    auto *frdLayout = new QHBoxLayout(frd);
    const auto frdChoice = [frdLayout](const char *name, const char *caption) {
        auto *b = new QRadioButton(QLatin1String(caption));
        b->setObjectName(QLatin1String(name));
        frdLayout->addWidget(b);
        return b;
    };
    frdAt283V_ = frdChoice("FrdAt283VChoice", "2.83 V");
    frdAt1W_ = frdChoice("FrdAt1WChoice", "1 W");
    frdAtChartPower_ = frdChoice("FrdAtChartPowerChoice", "Chart power");
    frdAt283V_->setChecked(true);
    // The box's own response (1 m, half space, no filters) unless the
    // system's is asked for.
    frdSystem_ = new QCheckBox(QStringLiteral("System"));
    frdSystem_->setObjectName(QStringLiteral("FrdSystemCheck"));
    frdSystem_->setToolTip(
        QStringLiteral("The response with the signal chain, at the listener in the space."));
    frdLayout->addWidget(frdSystem_);
    section->addWide(frd);
    return section;
}

SpaceKind TChartsForm::spaceKind() const {
    return CheckedChoice(spaces_, SpaceKind::HalfSpace);
}

// The fields and presets of the space chosen; a car or a room chosen for the
// first time starts from its first preset.
void TChartsForm::spaceChosen() {
    const SpaceKind kind = spaceKind();
    const int page = kind == SpaceKind::Car ? 1 : kind == SpaceKind::Room ? 2 : 0;
    ShowPage(spaceFields_, page);
    const QSignalBlocker quiet(spacePresets_);
    spacePresets_->clear();
    if (kind == SpaceKind::Car)
        for (const CabinPreset &p : CabinPresets())
            spacePresets_->addItem(QLatin1String(p.name));
    if (kind == SpaceKind::Room)
        for (const RoomPreset &p : RoomPresets())
            spacePresets_->addItem(QLatin1String(p.name));
    spacePresets_->setVisible(page != 0);
    const char *first =
        kind == SpaceKind::Car ? FieldOf(ModelInput::CabinSlope) : FieldOf(ModelInput::RoomLength);
    if (page != 0 && edits_.at(QLatin1String(first))->text().isEmpty())
        presetChosen(0);
}

void TChartsForm::presetChosen(int row) {
    if (row < 0)
        return;
    std::vector<std::pair<QString, QString>> texts;
    const auto r = static_cast<size_t>(row);
    if (spaceKind() == SpaceKind::Car && r < CabinPresets().size()) {
        texts = CabinPresetTexts(CabinPresets()[r]);
        cabinFromLength_->setChecked(true);
    } else if (spaceKind() == SpaceKind::Room && r < RoomPresets().size()) {
        texts = RoomPresetTexts(RoomPresets()[r]);
    }
    for (const auto &[name, text] : presenter_.inShownUnits(texts))
        edits_.at(name)->setText(text);
}

// The room's tab: the level at the listener, and beside it the variation
// over a band for the box at each of nine places, as a plan of the room
// seen from above with the front wall at the top.
QWidget *TChartsForm::buildRoomPage() {
    // The chart spans the page, so its frequency scale lines up with the
    // SPL chart's; the places lie below it.
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(charts_[static_cast<int>(Chart::Room)]->widget(), 1);
    auto *row = new QHBoxLayout;
    layout->addLayout(row);
    auto *side = new QVBoxLayout;
    auto *band = new QHBoxLayout;
    addField(band, control::PlacementLow, QStringLiteral("Band (Hz):"), 40);
    addField(band, control::PlacementHigh, QStringLiteral("to"), 40);
    band->addStretch(1);
    side->addLayout(band);
    auto *grid = new QGridLayout;
    for (int i = 0; i < 9; ++i) {
        placements_[i] = new QPushButton;
        placements_[i]->setObjectName(QLatin1String(PlacementNames[i]));
        placements_[i]->setMinimumWidth(110);
        connect(placements_[i], &QPushButton::clicked, this,
                [this, i] { PlacementButtonClick(i); });
        grid->addWidget(placements_[i], i / 3, i % 3);
    }
    placementNote_ = Readout("PlacementLabel");
    placementNote_->setWordWrap(true);
    side->addWidget(placementNote_);
    side->addStretch(1);
    row->addLayout(side, 1);
    row->addLayout(grid);
    return page;
}

void TChartsForm::showPlacement() {
    const PlacementView view =
        PlacementViewOf(presenter_.shown(), edits_.at(control::PlacementLow)->text(),
                        edits_.at(control::PlacementHigh)->text());
    for (int i = 0; i < 9; ++i) {
        const bool has = static_cast<size_t>(i) < view.figures.size();
        placements_[i]->setText(has ? PlacementText(view.figures[static_cast<size_t>(i)])
                                    : QString());
        placements_[i]->setEnabled(has);
        QFont font = placements_[i]->font();
        font.setBold(i == view.best);
        placements_[i]->setFont(font);
    }
    placementNote_->setText(view.note);
}

void TChartsForm::PlacementButtonClick(int position) {
    if (presenter_.placeBox(position))
        refresh();
}

void TChartsForm::buildCharts() {
    if (charts_[0])
        return;
    for (int i = 0; i < ChartCount; ++i)
        charts_[i] = std::make_unique<DesignChart>(static_cast<Chart>(i));
    splSlot_->layout()->addWidget(charts_[0]->widget());
    for (int i = 1; i < ChartCount; ++i)
        pages_[i] = charts_[i]->widget();
    auto *chain = new QWidget;
    auto *chainLayout = new QVBoxLayout(chain);
    chainLayout->setContentsMargins(0, 0, 0, 0);
    chainLayout->addWidget(charts_[static_cast<int>(Chart::Chain)]->widget(), 1);
    pages_[static_cast<int>(Chart::Chain)] = chain;
    pages_[static_cast<int>(Chart::Room)] = buildRoomPage();
    for (int i = 1; i < ChartCount; ++i) {
        if (const char *panel = ChartKindOf(static_cast<Chart>(i)).panelName; *panel)
            pages_[i]->setObjectName(QLatin1String(panel));
        tabs_->addTab(pages_[i], ChartTitle(static_cast<Chart>(i)));
    }
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { drawChartsInView(); });
    std::fill(std::begin(stale_), std::end(stale_), true);
    for (auto &chart : charts_)
        chart->showMessage(curves());
    // The SPL chart came after the splitter was laid out: half the height each.
    splitter_->setSizes({1000, 1000});
}

BoxKind TChartsForm::boxKind() const {
    return CheckedChoice(kinds_, BoxKind::Vented);
}

WindowControls TChartsForm::controls() const {
    WindowControls c;
    c.text = [this](const char *name) {
        const auto it = edits_.find(QLatin1String(name));
        return it == edits_.end() ? QString() : it->second->text();
    };
    c.kind = boxKind();
    c.mounting = isobaric_->isChecked() ? Mounting::Isobaric : Mounting::Normal;
    c.wiring = series_->isChecked()           ? Wiring::Series
               : seriesParallel_->isChecked() ? Wiring::SeriesParallel
                                              : Wiring::Parallel;
    c.coils.count = dualCoils_->isChecked() ? 2 : 1;
    c.coilModel = coilModel();
    for (const CoilChoice &choice : CoilChoices()) {
        if (!findChild<QRadioButton *>(QLatin1String(choice.objectName))->isChecked())
            continue;
        if (choice.givenFor)
            c.coils.givenFor = *choice.givenFor;
        else
            c.coilJoin = *choice.join;
    }
    c.drive =
        byVoltage_->isChecked() ? DriveParameters::Given::Voltage : DriveParameters::Given::Power;
    c.airFromConditions = fromConditions_->isChecked();
    c.space = spaceKind();
    c.cabinCornerFromLength = cabinFromLength_->isChecked();
    c.ventsAsDucts = ventsAsDucts_->isChecked();
    c.segments = pathEditor_->segments();
    c.mouth = pathEditor_->mouth();
    c.filters = chainEditor_->filters();
    return c;
}

DesignSetup TChartsForm::currentDesign() const {
    return presenter_.design([this](Field field) { return fields_.text(field); }, controls());
}

void TChartsForm::followBoxKind(BoxKind kind) {
    kinds_.at(kind)->setChecked(true);
}

// A kind chosen for the first time starts from the current design.
void TChartsForm::kindChosen() {
    const BoxKind kind = boxKind();
    ShowPage(kindFields_, static_cast<int>(kind));
    showPath(kind);
    if (helperNotice_)
        Say(helperNotice_, QString()); // it spoke of another kind's helper
    showLossFields(KindOf(kind));
    if (!started_[kind]) {
        started_[kind] = true;
        startKindFields(kind);
    }
}

// A box without a leak or without vents has no use for their Q: the field
// stays, greyed, with its value, and says why.
void TChartsForm::showLossFields(const EnclosureKind &kind) {
    const std::pair<ModelInput, bool> losses[] = {{ModelInput::LeakageQ, kind.hasLeak},
                                                  {ModelInput::VentQ, kind.hasVentLoss}};
    for (const auto &[input, used] : losses) {
        QLineEdit *edit = edits_.at(QLatin1String(DesignInputRow(input).field));
        edit->setEnabled(used);
        edit->setToolTip(used ? QStringLiteral("Empty: no such loss.")
                              : QStringLiteral("Not used by a box of this kind."));
    }
    ventsAsDucts_->setEnabled(kind.hasVentLoss);
}

// The path editor shows the path of the kind chosen, and keeps the one it
// showed for the kind before.
void TChartsForm::showPath(BoxKind kind) {
    if (pathKind_)
        paths_[*pathKind_] = {pathEditor_->segments(), pathEditor_->mouth()};
    const bool path = KindOf(kind).helper == KindHelper::Path;
    pathKind_ = path ? std::optional<BoxKind>(kind) : std::nullopt;
    pathEditor_->setVisible(path);
    if (path) {
        const auto &[segments, mouth] = paths_[kind];
        pathEditor_->setPath(segments, mouth);
    }
}

void TChartsForm::startKindFields(BoxKind kind) {
    DesignSetup main = currentDesign();
    ReadMainWindowDesign([this](Field field) { return fields_.text(field); }, main);
    const BoxParameters vented = ReadBoxParameters(fields_, BoxKind::Vented);
    main.enclosure.vbLitres = vented.vbLitres;
    main.enclosure.fbHz = vented.fbHz;
    main.enclosure.ventDiameterMm = vented.ventDiameterMm;
    for (const auto &[name, text] : presenter_.inShownUnits(StartingTexts(kind, main)))
        if (const auto it = edits_.find(name); it != edits_.end() && it->second->text().isEmpty())
            it->second->setText(text);
    if (KindOf(kind).helper == KindHelper::Path)
        if (const std::optional<BoxParameters> start = StartingBox(kind, main))
            pathEditor_->setPath(start->segments, start->mouth);
}

void TChartsForm::setVoiceCoil(const DriverParameters &driver) {
    settingControls_ = true;
    coilModels_.at(driver.voiceCoil.model)->setChecked(true);
    settingControls_ = false;
    for (const auto &[name, text] : presenter_.inShownUnits(VoiceCoilTexts(driver)))
        edits_.at(name)->setText(text);
}

void TChartsForm::commandFinished() {
    if (!ownCommand_)
        presenter_.mainWindowCommandFinished();
    if (isVisible())
        refresh();
}

void TChartsForm::runOwnCommand(const std::function<void()> &command) {
    ownCommand_ = true;
    hooks_.runCommand(command);
    ownCommand_ = false;
}

void TChartsForm::UpdateButtonClick() {
    presenter_.forget(); // "Update" always draws anew
    refresh();
}

void TChartsForm::ResetViewButtonClick() {
    for (auto &chart : charts_)
        if (chart)
            chart->resetView();
}

double TChartsForm::ventWarning() const {
    return ParseFieldText(ventWarning_->text());
}

void TChartsForm::showReadouts(const DesignSetup &design) {
    const DesignCurves &c = curves();
    voltage_->setText(design.drive.given == DriveParameters::Given::Power ? DriveVoltageText(c)
                                                                          : QString());
    amplifierLoad_->setText(AmplifierLoadText(c));
    listWirings(design);
    Say(ventLength_, VentLengthText(design));
    pathEditor_->setSoundSpeed(design.air.soundSpeed);
    pathEditor_->setTaps(PathTaps(design.enclosure));
    const std::optional<BuiltBox> box = BuildBox(design);
    grossVolume_->setText(GrossVolumeText(box, design.units));
    netVolume_->setText(NetVolumeText(box, design.units));
    Say(qualityNotice_, QualityFactorNotice(design.driver).value_or(QString()));
    air_->setText(AirText(design.air));
    Say(amplifierLimit_, AmplifierLimitText(design));
    Say(spaceNotice_, SpaceFault(design.environment).value_or(QString()));
    source_->setText(presenter_.sourceText());
}

void TChartsForm::refresh() {
    DesignSetup design = currentDesign();
    if (design.drive.given == DriveParameters::Given::Power) {
        const QString followed = presenter_.followRatedPower(power_->text(), design);
        if (followed != power_->text()) {
            power_->setText(followed);
            design = currentDesign();
        }
    }
    const int generation = presenter_.overlayGeneration();
    if (presenter_.update(design, ventWarning_->text())) {
        showReadouts(design);
        if (generation != presenter_.overlayGeneration())
            listOverlays();
        std::fill(std::begin(stale_), std::end(stale_), true);
        if (charts_[0])
            for (auto &chart : charts_)
                chart->showMessage(curves());
    }
    drawChartsInView();
}

ChartMarks TChartsForm::marks() const {
    ChartMarks m;
    if (const std::optional<DesignSetup> &shown = presenter_.shown()) {
        m.xmaxMm = shown->driver.xmaxMm;
        if (KindOf(shown->enclosure.kind).hasRadiators)
            m.radiatorXmaxMm = shown->enclosure.radiatorXmaxMm;
    }
    m.portVelocityWarning = ventWarning();
    if (const std::optional<DesignSetup> &shown = presenter_.shown()) {
        m.designLabel = DesignLabel(DriverName(*shown), *shown);
        m.peMaxW = shown->driver.peMaxW;
        m.driverCount = shown->drivers.count;
        m.amplifierVoltage = AmplifierClippingVoltage(shown->amplifier);
        m.amplifierCurrent = shown->amplifier.currentLimitA;
        m.atListener =
            shown->environment.kind == SpaceKind::Car || shown->environment.kind == SpaceKind::Room;
        const TuningMarks tunings = TuningMarksOf(*shown);
        m.fbHz = tunings.fbHz;
        m.rearFbHz = tunings.rearFbHz;
    }
    return m;
}

// Only the charts on screen are drawn: the SPL chart and the tab in front.
// The others are drawn when their tab comes to the front.
void TChartsForm::drawChartsInView() {
    if (!charts_[0])
        return;
    const OverlaySet &set = presenter_.overlays();
    // In other units than the design's own the charts draw converted copies,
    // kept as long as what they copy: a chart reads them again on a zoom.
    const UnitSystem units = presenter_.units();
    const bool converted = units != UnitSystem::Metric;
    const int generation = presenter_.overlayGeneration() * 2 + (converted ? 1 : 0);
    if (converted) {
        shownCurves_ = curves();
        ToShownUnits(shownCurves_, units);
        if (generation != shownOverlaysGeneration_) {
            shownOverlayCurves_.clear();
            for (const Overlay &o : set.all()) {
                shownOverlayCurves_.push_back(o.curves);
                ToShownUnits(shownOverlayCurves_.back(), units);
            }
            shownOverlaysGeneration_ = generation;
        }
    }
    std::vector<ChartOverlay> shownOverlays;
    for (size_t i = 0; i < set.all().size(); ++i)
        if (set.all()[i].visible)
            shownOverlays.push_back({set.label(i), OverlayColour(set.all()[i].colour),
                                     converted ? &shownOverlayCurves_[i] : &set.all()[i].curves});
    ChartMarks chartMarks = marks();
    chartMarks.units = units;
    ToShownUnits(chartMarks);
    for (int i = 0; i < ChartCount; ++i) {
        const bool inView = i == 0 || tabs_->currentWidget() == pages_[i];
        if (inView && stale_[i]) {
            charts_[i]->setUnits(units);
            charts_[i]->show(converted ? shownCurves_ : curves(), chartMarks, shownOverlays,
                             generation);
            stale_[i] = false;
            if (static_cast<Chart>(i) == Chart::Room)
                showPlacement();
        }
    }
}

void TChartsForm::listOverlays() {
    const QSignalBlocker quiet(overlayList_);
    overlayList_->clear();
    const OverlaySet &set = presenter_.overlays();
    for (size_t i = 0; i < set.all().size(); ++i) {
        const Overlay &o = set.all()[i];
        auto *item = new QListWidgetItem(set.label(i) +
                                         (o.visible ? QString() : QStringLiteral(" (hidden)")));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(o.visible ? Qt::Checked : Qt::Unchecked);
        item->setForeground(OverlayColour(o.colour));
        overlayList_->addItem(item);
    }
    overlayCaption_->setVisible(!set.all().empty());
    overlayList_->setVisible(!set.all().empty());
}

void TChartsForm::overlaysChanged() {
    listOverlays();
    std::fill(std::begin(stale_), std::end(stale_), true);
    drawChartsInView();
}

void TChartsForm::PinButtonClick() {
    refresh();
    const DesignSetup &shown = *presenter_.shown();
    presenter_.addOverlay(DriverName(shown), shown);
}

void TChartsForm::AddDesignButtonClick() {
    runOwnCommand([this] {
        const std::optional<QString> path =
            hooks_.chooseOpenFile(QStringLiteral("Design files (*.dgn;*.dvsetup)|*.dgn;*.dvsetup"));
        if (!path)
            return;
        if (IsSetupFile(*path)) {
            const DesignSetup setup = hooks_.readSetup(*path);
            refresh(); // the drive of the overlays is the one shown
            presenter_.addSetupOverlay(QFileInfo(*path).fileName(), setup);
        } else {
            const SavedFields saved = hooks_.readDesign(*path);
            refresh();
            presenter_.addDesignOverlay(saved.fileName, saved.text, boxKind());
        }
    });
}

void TChartsForm::RemoveOverlayButtonClick() {
    presenter_.removeOverlay(overlayList_->currentRow());
}

void TChartsForm::HideOverlayButtonClick() {
    const int row = overlayList_->currentRow();
    presenter_.toggleOverlay(row);
    if (row >= 0)
        overlayList_->setCurrentRow(row);
}

void TChartsForm::ClearButtonClick() {
    presenter_.clearOverlays();
}

// Puts a design's values into the window's controls.
void TChartsForm::setControls(const DesignSetup &setup) {
    started_[setup.enclosure.kind] = true; // the file's values, not the starting ones
    kinds_.at(setup.enclosure.kind)->setChecked(true);
    kindChosen();
    if (KindOf(setup.enclosure.kind).helper == KindHelper::Path)
        pathEditor_->setPath(setup.enclosure.segments, setup.enclosure.mouth);
    const auto choose = [this](const char *name) { checkChoice(name); };
    choose(setup.drivers.mounting == Mounting::Isobaric ? "IsobaricMountingChoice"
                                                        : "NormalMountingChoice");
    choose(WiringChoiceName(setup.drivers.wiring));
    choose(setup.driver.coils.dual() ? "TwoCoilsChoice" : "OneCoilChoice");
    choose(CoilsGivenForChoiceName(setup.driver.coils.givenFor));
    choose(CoilJoinChoiceName(setup.drivers.coilJoin));
    choose(CoilModelChoiceName(setup.driver.voiceCoil.model));
    choose(setup.drive.given == DriveParameters::Given::Voltage ? "VoltageChoice" : "PowerChoice");
    choose(setup.air.conditions ? "AirConditionsChoice" : "AirTypedChoice");
    spaces_.at(setup.environment.kind)->setChecked(true);
    spaceChosen();
    choose(setup.environment.cabin.cornerFromLength ? "CabinLengthChoice" : "CabinCornerChoice");
    ventsAsDucts_->setChecked(setup.enclosure.ventsAsDucts);
    chainEditor_->setFilters(setup.filters);
    settingControls_ = true;
    checkChoice(setup.units == UnitSystem::Us ? "UsUnitsChoice" : "MetricUnitsChoice");
    settingControls_ = false;
    for (const auto &[name, text] : presenter_.inShownUnits(ControlTexts(setup)))
        if (const auto it = edits_.find(name); it != edits_.end())
            it->second->setText(text);
}

void TChartsForm::OpenSetupButtonClick() {
    runOwnCommand([this] {
        const std::optional<QString> path = hooks_.chooseOpenFile(QLatin1String(SetupFilter));
        if (!path)
            return;
        const DesignSetup setup = hooks_.readSetup(*path);
        presenter_.openSetup(setup, QFileInfo(*path).fileName());
        setControls(setup);
        presenter_.forget();
        refresh();
    });
}

void TChartsForm::SaveSetupButtonClick() {
    runOwnCommand([this] {
        const std::optional<QString> path = hooks_.chooseSaveFile(QLatin1String(SetupFilter));
        if (!path)
            return;
        hooks_.writeSetup(*path, SetupToSave(currentDesign()));
    });
}

void TChartsForm::PrTuneButtonClick() {
    runOwnCommand([this] {
        presenter_.tuneRadiators(currentDesign(), edits_.at(control::RadiatorTuning)->text());
    });
}

void TChartsForm::Bp4DesignButtonClick() {
    runOwnCommand([this] {
        presenter_.designBandpass(currentDesign(), edits_.at(control::BandpassS)->text(),
                                  edits_.at(control::BandpassGain)->text());
    });
}

void TChartsForm::ExportButtonClick() {
    runOwnCommand([this] {
        const std::optional<QString> path = hooks_.chooseSaveFile(ExportFilter());
        if (!path)
            return;
        const ExportFormat format = ExportFormatOrRefuse(*path);
        refresh();
        const DesignSetup &shown = *presenter_.shown();
        const QString name = ExportName(shown);
        const QString title = ExportTitle(name, shown);
        if (IsPicture(format))
            exportPicture(*path, format, title);
        else if (format == ExportFormat::Frd)
            exportFrd(*path, name);
        else
            WriteCurvesFile(*path, curves(), title);
    });
}

FrdLevel TChartsForm::frdLevel() const {
    if (frdAt1W_->isChecked())
        return FrdLevel::At1W;
    if (frdAtChartPower_->isChecked())
        return FrdLevel::AtChartPower;
    return FrdLevel::At283V;
}

// The FRD file at the level chosen, computed for it: a crossover program
// reads the driver's sensitivity from it.
void TChartsForm::exportFrd(const QString &path, const QString &name) {
    const FrdPlan plan =
        PlanFrd(*presenter_.shown(), curves(), frdLevel(), frdSystem_->isChecked());
    const DesignCurves atLevel =
        plan.asShown ? curves() : ComputeDesignCurves(plan.design, ChartsPresenter::Frequencies());
    // The file names the design at the level it is written at.
    WriteCurvesFile(path, atLevel, ExportTitle(name, plan.design), plan.notes, plan.response);
}

// The two charts on screen, the SPL chart above the tab in front, with their
// overlays and legends, 1600 pixels wide: large enough for a print, small
// enough for a forum post. The charts are laid out for the picture, one
// frequency scale for both, whether or not the window was ever shown; a
// caption above them names the design, so that two pictures can be told
// apart.
void TChartsForm::exportPicture(const QString &path, ExportFormat format, const QString &label) {
    // No control byte reaches the SVG's XML, and no label outgrows the caption.
    const QString title = chartscale::DisplayLabel(label, 160);
    buildCharts();
    drawChartsInView();
    DesignChart *shown[] = {charts_[0].get(), nullptr};
    for (int i = 1; i < ChartCount; ++i)
        if (tabs_->currentWidget() == pages_[i])
            shown[1] = charts_[i].get();
    constexpr double width = 1000.0; // device-independent pixels, scaled to PictureWidth
    const double top = shown[0]->pictureHeight(width), bottom = shown[1]->pictureHeight(width);
    const double scale = PictureWidth / width;
    constexpr int CaptionHeight = 40;
    const QSize size(PictureWidth, CaptionHeight + int(std::ceil((top + bottom) * scale)));
    const auto paint = [&](QPainter &painter) {
        painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
        QFont font = painter.font();
        font.setPixelSize(18);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QRect(16, 0, PictureWidth - 32, CaptionHeight),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title);
        painter.translate(0, CaptionHeight);
        painter.scale(scale, scale);
        shown[0]->paint(painter, QRectF(0, 0, width, top));
        shown[1]->paint(painter, QRectF(0, top, width, bottom));
    };
    if (format == ExportFormat::Svg) {
        WritePictureFile(path, SvgPicture(size, title, paint));
        return;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    paint(painter);
    painter.end();
    image.save(&buffer, "PNG");
    WritePictureFile(path, bytes);
}

void TChartsForm::showEvent(QShowEvent *event) {
    buildCharts();
    refresh();
    QWidget::showEvent(event);
}

void TChartsForm::changeEvent(QEvent *event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        refresh();
    QWidget::changeEvent(event);
}

} // namespace dravik
