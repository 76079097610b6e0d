#include "MeasureForm.h"

#include "Fp.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace dravik {

namespace {

QPushButton *Button(const char *name, const QString &caption) {
    auto *b = new QPushButton(caption);
    b->setObjectName(QLatin1String(name));
    return b;
}

QLineEdit *TypedField(const char *name, int width) {
    auto *edit = new QLineEdit;
    edit->setObjectName(QLatin1String(name));
    edit->setFixedWidth(width);
    return edit;
}

QLineEdit *ShownField(const char *name, int width) {
    QLineEdit *edit = TypedField(name, width);
    edit->setReadOnly(true);
    return edit;
}

// The curve's magnitude as the points of a chart series.
QList<QPointF> MagnitudePoints(const std::vector<double> &hz, const std::vector<Impedance> &z) {
    QList<QPointF> points;
    points.reserve(qsizetype(hz.size()));
    for (size_t i = 0; i < hz.size(); ++i)
        points.append(QPointF(hz[i], std::abs(z[i])));
    return points;
}

// The curve's phase, in degrees.
QList<QPointF> PhasePoints(const std::vector<double> &hz, const std::vector<Impedance> &z) {
    QList<QPointF> points;
    points.reserve(qsizetype(hz.size()));
    for (size_t i = 0; i < hz.size(); ++i)
        points.append(QPointF(hz[i], std::arg(z[i]) * 180.0 / 3.14159265358979323846));
    return points;
}

QLogValueAxis *LogAxis(const QString &title) {
    auto *axis = new QLogValueAxis;
    axis->setTitleText(title);
    axis->setLabelFormat(QStringLiteral("%g"));
    axis->setBase(10.0);
    axis->setMinorTickCount(8);
    return axis;
}

// A curve shows, with its entry in the legend, only while it has points.
void ShowSeries(QChart *chart, QLineSeries *series, const QList<QPointF> &points) {
    series->replace(points);
    series->setVisible(!points.isEmpty());
    for (QLegendMarker *marker : chart->legend()->markers(series))
        marker->setVisible(!points.isEmpty());
}

} // namespace

TMeasureForm::TMeasureForm(Hooks hooks, QWidget *parent)
    : QWidget(parent, Qt::Window), hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("MeasureForm"));
    setWindowTitle(QStringLiteral("Measure Driver"));

    buildChart();
    chartView_ = new QChartView(chart_);
    chartView_->setObjectName(QStringLiteral("ImpedanceView"));
    chartView_->setMinimumSize(420, 320);

    auto *body = new QHBoxLayout;
    body->addWidget(buildInputs());
    body->addWidget(buildResults());
    body->addWidget(chartView_, 1);

    status_ = ShownField("EFitStatus", 600);
    status_->setMinimumWidth(0);
    status_->setMaximumWidth(QWIDGETSIZE_MAX);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(status_);
    resize(1180, 560);
    drawCurves();
}

TMeasureForm::~TMeasureForm() = default;

QWidget *TMeasureForm::buildInputs() {
    auto *box = new QGroupBox(QStringLiteral("Measurements"));
    auto *grid = new QGridLayout(box);
    int row = 0;
    const auto fileRow = [&](Slot slot, const char *button, const QString &caption,
                             const char *field, void (TMeasureForm::*click)()) {
        QPushButton *b = Button(button, caption);
        connect(b, &QPushButton::clicked, this, click);
        fileFields_[slot] = ShownField(field, 150);
        grid->addWidget(b, row, 0);
        grid->addWidget(fileFields_[slot], row, 1);
        ++row;
    };
    const auto typedRow = [&](const QString &caption, QLineEdit *edit) {
        grid->addWidget(new QLabel(caption), row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    };
    fileRow(FreeAir, "FreeAirButton", QStringLiteral("Free air..."), "EFreeAirFile",
            &TMeasureForm::FreeAirButtonClick);
    fileRow(AddedMass1, "AddedMass1Button", QStringLiteral("Added mass 1..."), "EAddedMass1File",
            &TMeasureForm::AddedMass1ButtonClick);
    addedMass1_ = TypedField("EAddedMass1", 70);
    typedRow(QStringLiteral("Mass 1 (g):"), addedMass1_);
    fileRow(AddedMass2, "AddedMass2Button", QStringLiteral("Added mass 2..."), "EAddedMass2File",
            &TMeasureForm::AddedMass2ButtonClick);
    addedMass2_ = TypedField("EAddedMass2", 70);
    typedRow(QStringLiteral("Mass 2 (g):"), addedMass2_);
    fileRow(TestBox, "TestBoxButton", QStringLiteral("Test box..."), "ETestBoxFile",
            &TMeasureForm::TestBoxButtonClick);
    testBoxVolume_ = TypedField("ETestBoxVolume", 70);
    typedRow(QStringLiteral("Test box (l):"), testBoxVolume_);
    dcResistance_ = TypedField("EDcResistance", 70);
    typedRow(QStringLiteral("Re at DC (ohm):"), dcResistance_);
    sd_ = TypedField("ESd", 70);
    typedRow(QStringLiteral("Sd (cm^2):"), sd_);
    effectiveDiameter_ = TypedField("EEffDiameter", 70);
    typedRow(QStringLiteral("or diameter (mm):"), effectiveDiameter_);

    // The coil models the fit tries: one, or all of them with the best kept.
    const struct {
        const char *name;
        const char *caption;
        std::optional<InductanceModel> model; // none: every model
    } modelChoices[] = {
        {"AutoModelChoice", "Auto (best)", std::nullopt},
        {"PlainLeChoice", "Le", InductanceModel::Plain},
        {"LossyLeChoice", "Le with R2-L2", InductanceModel::Lossy},
        {"WrightChoice", "Wright", InductanceModel::Wright},
        {"SemiInductanceChoice", "Semi-inductance", InductanceModel::SemiInductance},
    };
    int column = 0;
    for (const auto &c : modelChoices) {
        auto *b = new QRadioButton(QLatin1String(c.caption));
        b->setObjectName(QLatin1String(c.name));
        b->setChecked(!c.model);
        modelChoices_.emplace_back(b, c.model);
        grid->addWidget(b, row, column);
        column = 1 - column;
        row += column == 0 ? 1 : 0;
    }
    row += column;
    creep_ = new QCheckBox(QStringLiteral("Fit the creep"));
    creep_->setObjectName(QStringLiteral("CreepCheck"));
    creep_->setChecked(true);
    grid->addWidget(creep_, row, 0, 1, 2);
    ++row;
    fitFrom_ = TypedField("EFitFrom", 70);
    fitFrom_->setToolTip(QStringLiteral("Empty: from the file's first frequency."));
    typedRow(QStringLiteral("Fit from (Hz):"), fitFrom_);
    fitTo_ = TypedField("EFitTo", 70);
    fitTo_->setToolTip(QStringLiteral("Empty: to the file's last frequency."));
    typedRow(QStringLiteral("Fit to (Hz):"), fitTo_);

    QPushButton *fit = Button("FitButton", QStringLiteral("Fit"));
    connect(fit, &QPushButton::clicked, this, &TMeasureForm::FitButtonClick);
    QPushButton *use = Button("UseButton", QStringLiteral("Use these parameters"));
    connect(use, &QPushButton::clicked, this, &TMeasureForm::UseButtonClick);
    grid->addWidget(fit, row, 0);
    grid->addWidget(use, row, 1);
    grid->setRowStretch(row + 1, 1);
    return box;
}

QWidget *TMeasureForm::buildResults() {
    auto *box = new QGroupBox(QStringLiteral("Parameters"));
    auto *grid = new QGridLayout(box);
    const auto column = [&](const QString &title, const std::vector<ResultField> &fields, int at) {
        grid->addWidget(new QLabel(title), 0, at, 1, 2);
        int row = 1;
        for (const ResultField &f : fields) {
            QLineEdit *edit = ShownField(f.name, 70);
            results_[QLatin1String(f.name)] = edit;
            grid->addWidget(new QLabel(QLatin1String(f.caption)), row, at);
            grid->addWidget(edit, row, at + 1);
            ++row;
        }
    };
    column(QStringLiteral("Classic estimate"), ClassicResultFields(), 0);
    column(QStringLiteral("Least-squares fit"), FitResultFields(), 2);
    column(QStringLiteral("Mass and Vas"), MechanicalResultFields(), 4);
    grid->setRowStretch(int(MechanicalResultFields().size()) + 1, 1);
    return box;
}

void TMeasureForm::openCurve(Slot slot) {
    hooks_.runCommand([&] {
        const std::optional<QString> path =
            hooks_.chooseOpenFile(QString::fromLatin1(ImpedanceFileFilter));
        if (!path)
            return;
        // A refused file leaves the curve that was there.
        curves_[slot] = ReadImpedanceFile(*path);
        showFileName(slot, *path);
        // The figures shown were made from other curves.
        report_.reset();
        showReport();
    });
}

// A field shows the end of a text longer than itself unless told otherwise:
// the start of the name is what tells measurements apart ("free_air_...",
// "mass_10g_..."), so it stays in sight, and the whole path is one pause of
// the mouse away.
void TMeasureForm::showFileName(Slot slot, const QString &path) {
    QLineEdit *field = fileFields_[slot];
    field->setText(QFileInfo(path).fileName());
    field->setCursorPosition(0);
    field->setToolTip(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

void TMeasureForm::FreeAirButtonClick() {
    openCurve(FreeAir);
}
void TMeasureForm::AddedMass1ButtonClick() {
    openCurve(AddedMass1);
}
void TMeasureForm::AddedMass2ButtonClick() {
    openCurve(AddedMass2);
}
void TMeasureForm::TestBoxButtonClick() {
    openCurve(TestBox);
}

MeasureInputs TMeasureForm::inputs() const {
    MeasureInputs in;
    in.freeAir = curves_[FreeAir];
    in.addedMass1 = curves_[AddedMass1];
    in.addedMass2 = curves_[AddedMass2];
    in.testBox = curves_[TestBox];
    in.addedMass1Grams = addedMass1_->text();
    in.addedMass2Grams = addedMass2_->text();
    in.testBoxLitres = testBoxVolume_->text();
    in.dcResistance = dcResistance_->text();
    in.sdCm2 = sd_->text();
    in.effectiveDiameterMm = effectiveDiameter_->text();
    for (const auto &[button, model] : modelChoices_)
        if (button->isChecked())
            in.models = model ? CoilModels(*model) : CoilModels::Auto();
    in.fitCreep = creep_->isChecked();
    in.fitFromHz = fitFrom_->text();
    in.fitToHz = fitTo_->text();
    return in;
}

void TMeasureForm::FitButtonClick() {
    hooks_.runCommand([&] {
        report_ = FitMeasurements(inputs());
        showReport();
    });
}

void TMeasureForm::UseButtonClick() {
    hooks_.runCommand([&] {
        if (report_ && !report_->refusal.isEmpty())
            throw DravikError(report_->refusal);
        if (!report_ || !report_->driver) {
            status_->setText(QString::fromLatin1(NothingToUseSentence));
            return;
        }
        CheckDriverFields(*report_->driver);
        hooks_.useParameters(*report_->driver);
    });
}

void TMeasureForm::showReport() {
    for (auto &[name, edit] : results_) {
        QString text;
        if (report_) {
            const auto it = report_->fields.find(name);
            if (it != report_->fields.end())
                text = it->second;
        }
        edit->setText(text);
    }
    status_->setText(report_ ? report_->status : QString());
    drawCurves();
}

void TMeasureForm::buildChart() {
    chart_ = new QChart;
    chart_->legend()->setAlignment(Qt::AlignBottom);
    xAxis_ = LogAxis(QStringLiteral("Frequency (Hz)"));
    // The resonance and the coil's rise at the top of the band differ by
    // orders of magnitude: a logarithmic axis shows both.
    yAxis_ = LogAxis(QStringLiteral("|Z| (ohm)"));
    chart_->addAxis(xAxis_, Qt::AlignBottom);
    chart_->addAxis(yAxis_, Qt::AlignLeft);
    // The phase on its own scale at the right: a coil model that misses
    // shows there first, as the fitted phase leaving the measured one.
    phaseAxis_ = new QValueAxis;
    phaseAxis_->setTitleText(QStringLiteral("Phase (degrees)"));
    phaseAxis_->setRange(-90.0, 90.0);
    phaseAxis_->setTickCount(7);
    phaseAxis_->setLabelFormat(QStringLiteral("%d"));
    chart_->addAxis(phaseAxis_, Qt::AlignRight);
    const auto series = [this](const QString &name, QAbstractAxis *y, const QColor &colour,
                               Qt::PenStyle style) {
        auto *s = new QLineSeries;
        s->setName(name);
        chart_->addSeries(s);
        s->attachAxis(xAxis_);
        s->attachAxis(y);
        s->setPen(QPen(colour, 2.0, style));
        return s;
    };
    const QColor measuredColour(32, 96, 176), fittedColour(208, 64, 32);
    measured_ = series(QStringLiteral("Measured"), yAxis_, measuredColour, Qt::SolidLine);
    fitted_ = series(QStringLiteral("Fitted"), yAxis_, fittedColour, Qt::SolidLine);
    measuredPhase_ =
        series(QStringLiteral("Measured phase"), phaseAxis_, measuredColour, Qt::DashLine);
    fittedPhase_ = series(QStringLiteral("Fitted phase"), phaseAxis_, fittedColour, Qt::DashLine);
}

// The chart's own pieces are reused: an axis taken out of a chart and
// deleted leaves its drawing behind in the chart's scene, so axes made anew
// each time pile up, drawn over each other, and every drawing costs more
// than the last.
void TMeasureForm::drawCurves() {
    const std::optional<ImpedanceCurve> &free = curves_[FreeAir];
    if (!free) {
        for (QLineSeries *s : {measured_, fitted_, measuredPhase_, fittedPhase_})
            ShowSeries(chart_, s, {});
        xAxis_->setRange(10.0, 1000.0);
        yAxis_->setRange(1.0, 100.0);
        return;
    }
    ShowSeries(chart_, measured_, MagnitudePoints(free->hz, free->z));
    ShowSeries(chart_, measuredPhase_, PhasePoints(free->hz, free->z));
    double bottom = std::abs(free->z.front()), top = bottom;
    for (const Impedance &z : free->z) {
        bottom = std::min(bottom, std::abs(z));
        top = std::max(top, std::abs(z));
    }
    QList<QPointF> fitted, fittedPhase;
    if (report_ && report_->freeAirFit) {
        const std::vector<Impedance> z = ModelImpedances(*report_->freeAirFit, free->hz);
        fitted = MagnitudePoints(free->hz, z);
        fittedPhase = PhasePoints(free->hz, z);
    }
    ShowSeries(chart_, fitted_, fitted);
    ShowSeries(chart_, fittedPhase_, fittedPhase);
    xAxis_->setRange(free->hz.front(), free->hz.back());
    yAxis_->setRange(bottom / 1.25, top * 1.25);
}

} // namespace dravik
