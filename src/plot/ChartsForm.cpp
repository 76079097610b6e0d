#include "ChartsForm.h"

#include "ChartScale.h"
#include "CurveExport.h"
#include "DesignChart.h"
#include "DesignFile.h"
#include "DesignReader.h"
#include "Fp.h"
#include "NumberText.h"

#include <QBuffer>
#include <QButtonGroup>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QSvgGenerator>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace dravik {

namespace {

QLineEdit *NumberField(const char *name, const QString &text, int width) {
    auto *edit = new QLineEdit(text);
    edit->setObjectName(QLatin1String(name));
    edit->setFixedWidth(width);
    return edit;
}

QPushButton *Button(const char *name, const QString &caption) {
    auto *b = new QPushButton(caption);
    b->setObjectName(QLatin1String(name));
    return b;
}

// The charts' frequencies: the export's 48 points an octave.
const std::vector<double> &Frequencies() {
    static const std::vector<double> f = ChartFrequencies(ExportPointsPerOctave);
    return f;
}

constexpr int PictureWidth = 1600;

// Object name prefixes of the charts' own widgets: SplView, SplMessage, ...
const char *const ChartNames[ChartCount] = {"Spl",       "Excursion",  "PortVelocity",
                                            "Impedance", "GroupDelay", "Limits"};

} // namespace

TChartsForm::TChartsForm(const FieldStore &mainFields, Hooks hooks, QWidget *parent)
    : QWidget(parent, Qt::Window), fields_(mainFields), hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("ChartsForm"));
    setWindowTitle(QStringLiteral("Design Charts"));

    auto *controls = new QHBoxLayout;
    controls->addWidget(new QLabel(QStringLiteral("Input power (W):")));
    power_ = NumberField("EPower", QString(), 70);
    controls->addWidget(power_);
    voltage_ = new QLabel;
    voltage_->setObjectName(QStringLiteral("VoltageLabel"));
    voltage_->setMinimumWidth(90);
    controls->addWidget(voltage_);

    auto *kind = new QGroupBox(QStringLiteral("Box"));
    kind->setObjectName(QStringLiteral("BoxKindGroup"));
    auto *kindLayout = new QHBoxLayout(kind);
    vented_ = new QRadioButton(QStringLiteral("Vented"));
    vented_->setObjectName(QStringLiteral("VentedChoice"));
    closed_ = new QRadioButton(QStringLiteral("Closed"));
    closed_->setObjectName(QStringLiteral("ClosedChoice"));
    vented_->setChecked(true);
    kindLayout->addWidget(vented_);
    kindLayout->addWidget(closed_);
    controls->addWidget(kind);

    controls->addWidget(new QLabel(QStringLiteral("Vent warning (m/s):")));
    ventWarning_ = NumberField("EVentWarning", QStringLiteral("17"), 50);
    controls->addWidget(ventWarning_);

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
    controls->addWidget(frd);
    controls->addStretch(1);
    QPushButton *update = Button("UpdateButton", QStringLiteral("Update"));
    QPushButton *reset = Button("ResetViewButton", QStringLiteral("Reset view"));
    QPushButton *exportButton = Button("ExportButton", QStringLiteral("Export..."));
    controls->addWidget(update);
    controls->addWidget(reset);
    controls->addWidget(exportButton);
    connect(update, &QPushButton::clicked, this, &TChartsForm::UpdateButtonClick);
    connect(reset, &QPushButton::clicked, this, &TChartsForm::ResetViewButtonClick);
    connect(exportButton, &QPushButton::clicked, this, &TChartsForm::ExportButtonClick);

    // The overlays: designs kept beside the current one.
    auto *overlayRow = new QHBoxLayout;
    // The list and its caption only while there are overlays to list.
    overlayCaption_ = new QLabel(QStringLiteral("Overlays:"));
    overlayCaption_->setAlignment(Qt::AlignTop);
    overlayCaption_->hide();
    overlayRow->addWidget(overlayCaption_);
    overlayList_ = new QListWidget;
    overlayList_->hide();
    overlayList_->setObjectName(QStringLiteral("OverlayList"));
    overlayList_->setMaximumHeight(90);
    overlayRow->addWidget(overlayList_, 1);
    auto *overlayButtons = new QVBoxLayout;
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
    };
    auto *buttonGrid = new QHBoxLayout;
    for (const auto &c : overlayCommands) {
        QPushButton *b = Button(c.name, QLatin1String(c.caption));
        connect(b, &QPushButton::clicked, this, c.slot);
        buttonGrid->addWidget(b);
    }
    overlayButtons->addLayout(buttonGrid);
    overlayNotice_ = new QLabel;
    overlayNotice_->setObjectName(QStringLiteral("OverlayNotice"));
    overlayNotice_->setWordWrap(true);
    overlayButtons->addWidget(overlayNotice_);
    overlayButtons->addStretch(1);
    overlayRow->addLayout(overlayButtons);
    // A tick in the list shows or hides that overlay.
    connect(overlayList_, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        const auto row = static_cast<size_t>(overlayList_->row(item));
        const bool visible = item->checkState() == Qt::Checked;
        if (row < overlays_.all().size() && overlays_.all()[row].visible != visible) {
            overlays_.setVisible(row, visible);
            overlaysChanged();
        }
    });

    // The SPL chart always on top; the others on tabs below it. The charts
    // themselves are made on first show, so that start-up does not pay for them.
    splSlot_ = new QWidget;
    splSlot_->setObjectName(QStringLiteral("SplSlot"));
    new QVBoxLayout(splSlot_);
    splSlot_->layout()->setContentsMargins(0, 0, 0, 0);
    tabs_ = new QTabWidget;
    tabs_->setObjectName(QStringLiteral("ChartPages"));
    splitter_ = new QSplitter(Qt::Vertical);
    splitter_->addWidget(splSlot_);
    splitter_->addWidget(tabs_);
    splitter_->setChildrenCollapsible(false); // the SPL chart stays at hand

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addLayout(overlayRow);
    layout->addWidget(splitter_, 1);
    resize(900, 900);
}

TChartsForm::~TChartsForm() = default;

void TChartsForm::buildCharts() {
    if (charts_[0])
        return;
    for (int i = 0; i < ChartCount; ++i)
        charts_[i] =
            std::make_unique<DesignChart>(static_cast<Chart>(i), QLatin1String(ChartNames[i]));
    splSlot_->layout()->addWidget(charts_[0]->widget());
    for (int i = 1; i < ChartCount; ++i)
        tabs_->addTab(charts_[i]->widget(), ChartTitle(static_cast<Chart>(i)));
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { drawChartsInView(); });
    std::fill(std::begin(stale_), std::end(stale_), true);
    for (auto &chart : charts_)
        chart->showMessage(curves_);
    // The SPL chart came after the splitter was laid out: half the height each.
    splitter_->setSizes({1000, 1000});
}

BoxKind TChartsForm::boxKind() const {
    return closed_->isChecked() ? BoxKind::Closed : BoxKind::Vented;
}

void TChartsForm::followBoxKind(BoxKind kind) {
    (kind == BoxKind::Closed ? closed_ : vented_)->setChecked(true);
}

void TChartsForm::commandFinished() {
    if (isVisible())
        refresh();
}

void TChartsForm::UpdateButtonClick() {
    shown_.reset(); // "Update" always draws anew
    refresh();
}

void TChartsForm::ResetViewButtonClick() {
    for (auto &chart : charts_)
        if (chart)
            chart->resetView();
}

// The power follows PEmax until the user types one of their own: a text
// other than the one last taken from PEmax.
void TChartsForm::followPEmax(const DriverParameters &driver) {
    if (power_->text() != followedPower_)
        return;
    followedPower_ = driver.peMaxW ? FormatFieldValue(*driver.peMaxW, 0) : QStringLiteral("1");
    power_->setText(followedPower_);
}

// A power no amplifier gives (above a gigawatt), or a denormal one, counts
// as no power, like 0 W or a text that is not a number.
double TChartsForm::inputPower() const {
    const double power = ParseFieldText(power_->text());
    constexpr double MostUsablePowerW = 1e9;
    return chartscale::IsUsablePositive(power) && power <= MostUsablePowerW ? power : 0.0;
}

double TChartsForm::ventWarning() const {
    return ParseFieldText(ventWarning_->text());
}

void TChartsForm::showVoltage(const DriverParameters &driver, double power) {
    const double volts = driver.re && chartscale::IsUsablePositive(*driver.re)
                             ? DriveVoltage(power, *driver.re)
                             : 0.0;
    if (chartscale::IsUsablePositive(power) && chartscale::IsUsablePositive(volts))
        voltage_->setText(QStringLiteral("= ") + QString::number(volts, 'f', 2) +
                          QStringLiteral(" V RMS"));
    else
        voltage_->clear();
}

void TChartsForm::refresh() {
    const DriverParameters driver = ReadDriverParameters(fields_);
    const BoxParameters box = ReadBoxParameters(fields_, boxKind());
    followPEmax(driver);
    const Inputs inputs{driver, box, power_->text(), ventWarning_->text()};
    const bool same = shown_ && shown_->driver == driver && shown_->box == box &&
                      shown_->power == inputs.power && shown_->warning == inputs.warning;
    if (!same) {
        shown_ = inputs;
        const double power = inputPower();
        showVoltage(driver, power);
        curves_ = ComputeDesignCurves(driver, box, power, Frequencies());
        // Everything on screen is at the power shown: the overlays too.
        if (!overlays_.all().empty() && power != overlays_.power()) {
            overlays_.recompute(power, Frequencies());
            ++overlayGeneration_;
            listOverlays();
        }
        std::fill(std::begin(stale_), std::end(stale_), true);
        if (charts_[0])
            for (auto &chart : charts_)
                chart->showMessage(curves_);
    }
    drawChartsInView();
}

ChartMarks TChartsForm::marks() const {
    ChartMarks m;
    m.xmaxMm = shown_ ? shown_->driver.xmaxMm : std::nullopt;
    m.portVelocityWarning = ventWarning();
    if (shown_) {
        m.designLabel =
            DesignLabel(ReadDriverName(fields_), shown_->driver, shown_->box, inputPower());
        m.peMaxW = shown_->driver.peMaxW;
        if (shown_->box.kind == BoxKind::Vented)
            m.fbHz = shown_->box.fbHz;
    }
    return m;
}

// Only the charts on screen are drawn: the SPL chart and the tab in front.
// The others are drawn when their tab comes to the front.
void TChartsForm::drawChartsInView() {
    if (!charts_[0])
        return;
    std::vector<ChartOverlay> shownOverlays;
    for (size_t i = 0; i < overlays_.all().size(); ++i)
        if (overlays_.all()[i].visible)
            shownOverlays.push_back({overlays_.label(i), OverlayColour(overlays_.all()[i].colour),
                                     &overlays_.all()[i].curves});
    for (int i = 0; i < ChartCount; ++i) {
        const bool inView = i == 0 || tabs_->currentWidget() == charts_[i]->widget();
        if (inView && stale_[i]) {
            charts_[i]->show(curves_, marks(), shownOverlays, overlayGeneration_);
            stale_[i] = false;
        }
    }
}

void TChartsForm::listOverlays() {
    const QSignalBlocker quiet(overlayList_);
    overlayList_->clear();
    for (size_t i = 0; i < overlays_.all().size(); ++i) {
        const Overlay &o = overlays_.all()[i];
        auto *item = new QListWidgetItem(overlays_.label(i) +
                                         (o.visible ? QString() : QStringLiteral(" (hidden)")));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(o.visible ? Qt::Checked : Qt::Unchecked);
        item->setForeground(OverlayColour(o.colour));
        overlayList_->addItem(item);
    }
    overlayCaption_->setVisible(!overlays_.all().empty());
    overlayList_->setVisible(!overlays_.all().empty());
}

void TChartsForm::overlaysChanged() {
    ++overlayGeneration_;
    listOverlays();
    std::fill(std::begin(stale_), std::end(stale_), true);
    drawChartsInView();
}

void TChartsForm::addOverlay(const QString &title, const DriverParameters &driver,
                             const BoxParameters &box) {
    const std::optional<Overlay> dropped =
        overlays_.add(title, driver, box, inputPower(), Frequencies());
    overlayNotice_->setText(
        dropped ? QStringLiteral("The charts keep %1 overlays: the oldest, %2, was removed.")
                      .arg(OverlaySet::MaxOverlays)
                      .arg(DesignLabel(dropped->title, dropped->driver, dropped->box,
                                       overlays_.power()))
                : QString());
    overlaysChanged();
}

void TChartsForm::PinButtonClick() {
    refresh();
    addOverlay(ReadDriverName(fields_), shown_->driver, shown_->box);
}

void TChartsForm::AddDesignButtonClick() {
    hooks_.runCommand([this] {
        const std::optional<QString> path =
            hooks_.chooseOpenFile(QStringLiteral("Design files (*.dgn)|*.dgn"));
        if (!path)
            return;
        const SavedDesign saved = ReadDesignFile(*path);
        const FieldText text = [&saved](Field field) { return saved.text(field); };
        const QString driver = ReadDriverName(text);
        refresh(); // the power of the overlays is the one shown
        addOverlay(saved.fileName + (driver.isEmpty() ? QString() : QStringLiteral(": ") + driver),
                   ReadDriverParameters(text), ReadBoxParameters(text, boxKind()));
    });
}

void TChartsForm::RemoveOverlayButtonClick() {
    const int row = overlayList_->currentRow();
    if (row < 0)
        return;
    overlays_.remove(static_cast<size_t>(row));
    overlayNotice_->clear();
    overlaysChanged();
}

void TChartsForm::HideOverlayButtonClick() {
    const int row = overlayList_->currentRow();
    if (row < 0)
        return;
    const auto index = static_cast<size_t>(row);
    overlays_.setVisible(index, !overlays_.all()[index].visible);
    overlaysChanged();
    overlayList_->setCurrentRow(row);
}

void TChartsForm::ClearButtonClick() {
    overlays_.clear();
    overlayNotice_->clear();
    overlaysChanged();
}

void TChartsForm::ExportButtonClick() {
    hooks_.runCommand([this] {
        const std::optional<QString> path = hooks_.chooseSaveFile(ExportFilter());
        if (!path)
            return;
        const ExportFormat format = ExportFormatOrRefuse(*path);
        refresh();
        if (IsPicture(format))
            exportPicture(*path, format);
        else if (format == ExportFormat::Frd)
            exportFrd(*path);
        else
            WriteCurvesFile(*path, curves_,
                            QStringLiteral("Dravik: ") + DesignLabel(ReadDriverName(fields_),
                                                                     shown_->driver, shown_->box,
                                                                     inputPower()));
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
void TChartsForm::exportFrd(const QString &path) {
    const FrdLevel level = frdLevel();
    const std::optional<double> power = FrdPower(level, shown_->driver.re, inputPower());
    if (!power)
        throw DravikError(QStringLiteral("An FRD file at 2.83 V needs Re (Driver page)."));
    const DesignCurves atLevel =
        level == FrdLevel::AtChartPower
            ? curves_
            : ComputeDesignCurves(shown_->driver, shown_->box, *power, Frequencies());
    WriteCurvesFile(path, atLevel,
                    QStringLiteral("Dravik: ") +
                        DesignSummary(ReadDriverName(fields_), shown_->driver, shown_->box),
                    {FrdLevelNote(level, *power, shown_->driver.re)});
}

// The two charts on screen, the SPL chart above the tab in front, with their
// overlays and legends, 1600 pixels wide: large enough for a print, small
// enough for a forum post. The charts are laid out for the picture, one
// frequency scale for both, whether or not the window was ever shown.
void TChartsForm::exportPicture(const QString &path, ExportFormat format) {
    buildCharts();
    drawChartsInView();
    DesignChart *shown[] = {charts_[0].get(), nullptr};
    for (int i = 1; i < ChartCount; ++i)
        if (tabs_->currentWidget() == charts_[i]->widget())
            shown[1] = charts_[i].get();
    constexpr double width = 1000.0; // device-independent pixels, scaled to PictureWidth
    const double top = shown[0]->pictureHeight(width), bottom = shown[1]->pictureHeight(width);
    const double scale = PictureWidth / width;
    const QSize size(PictureWidth, int(std::ceil((top + bottom) * scale)));
    const auto paint = [&](QPainter &painter) {
        painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
        painter.scale(scale, scale);
        shown[0]->paint(painter, QRectF(0, 0, width, top));
        shown[1]->paint(painter, QRectF(0, top, width, bottom));
    };
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (format == ExportFormat::Svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QStringLiteral("Dravik design charts"));
        QPainter painter(&svg);
        paint(painter);
    } else {
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        paint(painter);
        painter.end();
        image.save(&buffer, "PNG");
    }
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
