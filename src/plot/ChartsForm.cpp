#include "ChartsForm.h"

#include "CurveExport.h"
#include "DesignChart.h"
#include "DesignReader.h"
#include "NumberText.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
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

    // The SPL chart always on top; the others on tabs below it. The charts
    // themselves are made on first show, so that start-up does not pay for them.
    splSlot_ = new QWidget;
    splSlot_->setObjectName(QStringLiteral("SplSlot"));
    new QVBoxLayout(splSlot_);
    splSlot_->layout()->setContentsMargins(0, 0, 0, 0);
    tabs_ = new QTabWidget;
    tabs_->setObjectName(QStringLiteral("ChartPages"));
    auto *splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(splSlot_);
    splitter->addWidget(tabs_);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(splitter, 1);
    resize(900, 820);
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

double TChartsForm::inputPower() const {
    return ParseFieldText(power_->text());
}

double TChartsForm::ventWarning() const {
    return ParseFieldText(ventWarning_->text());
}

void TChartsForm::showVoltage(const DriverParameters &driver, double power) {
    if (driver.re && power > 0.0 && std::isfinite(power))
        voltage_->setText(QStringLiteral("= ") +
                          QString::number(DriveVoltage(power, *driver.re), 'f', 2) +
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
        static const std::vector<double> frequencies = ChartFrequencies(ExportPointsPerOctave);
        curves_ = ComputeDesignCurves(driver, box, power, frequencies);
        std::fill(std::begin(stale_), std::end(stale_), true);
    }
    drawChartsInView();
}

ChartMarks TChartsForm::marks() const {
    ChartMarks m;
    m.xmaxMm = shown_ ? shown_->driver.xmaxMm : std::nullopt;
    m.portVelocityWarning = ventWarning();
    return m;
}

// Only the charts on screen are drawn: the SPL chart and the tab in front.
// The others are drawn when their tab comes to the front.
void TChartsForm::drawChartsInView() {
    if (!charts_[0])
        return;
    for (int i = 0; i < ChartCount; ++i) {
        const bool inView = i == 0 || tabs_->currentWidget() == charts_[i]->widget();
        if (inView && stale_[i]) {
            charts_[i]->show(curves_, marks());
            stale_[i] = false;
        }
    }
}

void TChartsForm::ExportButtonClick() {
    hooks_.runCommand([this] {
        const std::optional<QString> path = hooks_.chooseSaveFile(ExportFilter());
        if (!path)
            return;
        refresh();
        WriteCurvesFile(*path, curves_);
    });
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
