#include "ChartsPresenter.h"

#include "Acoustics.h"
#include "Construction.h"
#include "CurveFormats.h"
#include "DesignReader.h"
#include "Enclosures.h"
#include "Fp.h"
#include "NumberText.h"

#include <QLocale>

#include <map>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace dravik {

namespace {

// The rows every kind takes from the window besides its own.
bool IsCommonRow(ModelInput input) {
    switch (input) {
    case ModelInput::Creep:
    case ModelInput::Power:
    case ModelInput::Voltage:
    case ModelInput::SourceResistance:
        return true;
    default:
        return false;
    }
}

// Whether the window's field of a row belongs to a design of this kind in
// this listening space, with this voice-coil model.
bool RowOfKind(const InputRow &row, const EnclosureKind &kind, SpaceKind space,
               InductanceModel coil) {
    if (row.page != InputPage::ThisWindow)
        return false;
    if (row.input == ModelInput::Le)
        return HasSeriesLe(coil);
    switch (row.group) {
    case InputGroup::LossyCoil:
    case InputGroup::WrightCoil:
    case InputGroup::SemiInductanceCoil:
        return IsTermOfCoil(row, coil);
    case InputGroup::Amplifier:
    case InputGroup::Construction:
        return true;
    case InputGroup::Cabin:
        return space == SpaceKind::Car;
    case InputGroup::Room:
        return space == SpaceKind::Room;
    case InputGroup::Design:
        break;
    }
    if (IsCommonRow(row.input))
        return true;
    if (row.input == ModelInput::LeakageQ)
        return kind.hasLeak;
    if (row.input == ModelInput::VentQ)
        return kind.hasVentLoss;
    const auto has = [&](const std::vector<ModelInput> &inputs) {
        return std::find(inputs.begin(), inputs.end(), row.input) != inputs.end();
    };
    return has(kind.needs) || has(kind.ventNeeds);
}

double Number(const WindowControls &c, const char *name) {
    return ParseWindowValue(c.text(name)).value_or(std::nan(""));
}

// The air, from its fields as the design holds them (`number`).
AirProperties ReadAir(const WindowControls &c, const std::function<double(const char *)> &number) {
    if (c.airFromConditions)
        return AirFromConditions(
            {number(control::Temperature), number(control::Pressure), number(control::Humidity)});
    AirProperties air;
    air.density = number(control::AirDensity);
    air.soundSpeed = number(control::SoundSpeed);
    return air;
}

// A number converted for show: in US units six significant digits, which
// fit a field and say more than any builder measures; the design keeps its
// own number exactly while the text stands.
QString ConvertedText(double shown, UnitSystem system) {
    // Metric fields show the design's own numbers as they always do.
    return system == UnitSystem::Metric ? WindowValueText(shown) : QString::number(shown, 'g', 6);
}

// Whether a quantity is shown in other units in the US system.
bool ChangesWithUnits(Quantity quantity) {
    return qstrcmp(ShownUnitOf(quantity, UnitSystem::Us).text, UnitsOf(quantity).shown) != 0;
}

// The window's fields whose numbers change with the system of units.
const std::vector<QString> &FieldsWithUnits() {
    static const std::vector<QString> fields = [] {
        std::vector<QString> f;
        for (const InputRow &row : DesignInputRows())
            if (row.page == InputPage::ThisWindow && ChangesWithUnits(row.quantity))
                f.push_back(QLatin1String(row.field));
        f.push_back(QLatin1String(control::Temperature));
        f.push_back(QLatin1String(control::Pressure));
        return f;
    }();
    return fields;
}

int ReadCount(const WindowControls &c) {
    const double n = Number(c, control::DriverCount);
    // A count that is not a whole number from 1 to 8 is no arrangement.
    return n >= 1.0 && n <= MaxDrivers && n == std::floor(n) ? int(n) : 0;
}

QString Figure(double v, int decimals) {
    return QLocale::c().toString(v, 'f', decimals);
}

} // namespace

const std::vector<CoilChoice> &CoilChoices() {
    using G = CoilsGivenFor;
    using J = CoilJoin;
    static const std::vector<CoilChoice> choices = {
        {"ParametersForOneCoilChoice", "One coil", G::OneCoil, std::nullopt, true},
        {"ParametersForSeriesChoice", "Series", G::Series, std::nullopt, false},
        {"ParametersForParallelChoice", "Parallel", G::Parallel, std::nullopt, false},
        {"CoilSeriesChoice", "Series", std::nullopt, J::Series, true},
        {"CoilParallelChoice", "Parallel", std::nullopt, J::Parallel, false},
        {"CoilOneChoice", "One coil", std::nullopt, J::OneCoil, false},
    };
    return choices;
}

const std::vector<CoilModelChoice> &CoilModelChoices() {
    using M = InductanceModel;
    static const std::vector<CoilModelChoice> choices = {
        {"CoilLeChoice", "Le", M::Plain},
        {"CoilLossyChoice", "R2-L2", M::Lossy},
        {"CoilWrightChoice", "Wright", M::Wright},
        {"CoilSemiInductanceChoice", "Semi-L", M::SemiInductance},
    };
    return choices;
}

const char *CoilModelChoiceName(InductanceModel model) {
    return CoilModelChoices()[static_cast<size_t>(model)].objectName;
}

std::vector<std::pair<QString, QString>> VoiceCoilTexts(const DriverParameters &driver) {
    DesignSetup s;
    s.driver = driver;
    const InductanceModel model = driver.voiceCoil.model;
    std::vector<std::pair<QString, QString>> texts;
    for (const InputRow &row : DesignInputRows())
        if (IsTermOfCoil(row, model) || row.input == ModelInput::Creep ||
            (row.input == ModelInput::Le && HasSeriesLe(model)))
            texts.emplace_back(QLatin1String(row.field), WindowValueText(InputValue(s, row)));
    return texts;
}

const char *CoilsGivenForChoiceName(CoilsGivenFor givenFor) {
    for (const CoilChoice &c : CoilChoices())
        if (c.givenFor == givenFor)
            return c.objectName;
    return CoilChoices().front().objectName;
}

const char *CoilJoinChoiceName(CoilJoin join) {
    for (const CoilChoice &c : CoilChoices())
        if (c.join == join)
            return c.objectName;
    return CoilChoices().back().objectName;
}

const char *WiringChoiceName(Wiring wiring) {
    switch (wiring) {
    case Wiring::Series:
        return "SeriesWiringChoice";
    case Wiring::SeriesParallel:
        return "SeriesParallelWiringChoice";
    case Wiring::Parallel:
        break;
    }
    return "ParallelWiringChoice";
}

QString WindowStartText(const QString &field) {
    static const std::map<QString, QString> texts = [] {
        const DesignSetup design;
        const AirConditions conditions;
        return std::map<QString, QString>{
            {FieldOf(ModelInput::Voltage), WindowValueText(StartingDriveVoltage)},
            {FieldOf(ModelInput::SourceResistance),
             WindowValueText(design.drive.sourceResistanceOhm)},
            {FieldOf(ModelInput::Le), WindowValueText(design.driver.leMh)},
            {FieldOf(ModelInput::Creep), WindowValueText(design.driver.creep)},
            {FieldOf(ModelInput::VentEndCorrection),
             WindowValueText(design.enclosure.ventEndCorrection)},
            {FieldOf(ModelInput::RearVentEndCorrection),
             WindowValueText(design.enclosure.rearVentEndCorrection)},
            {FieldOf(ModelInput::VentSharedWalls),
             WindowValueText(design.enclosure.ventSharedWalls)},
            {FieldOf(ModelInput::RearVentSharedWalls),
             WindowValueText(design.enclosure.rearVentSharedWalls)},
            {control::VentWarning, WindowValueText(DefaultPortVelocityWarning)},
            {control::BandpassS, WindowValueText(BandpassStartingS)},
            {control::BandpassGain, WindowValueText(BandpassStartingGainDb)},
            {control::DriverCount, QString::number(design.drivers.count)},
            {control::AirDensity, WindowValueText(design.air.density)},
            {control::SoundSpeed, WindowValueText(design.air.soundSpeed)},
            {control::Temperature, WindowValueText(conditions.temperatureC)},
            {control::Pressure, WindowValueText(conditions.pressurePa)},
            {control::Humidity, WindowValueText(conditions.relativeHumidityPercent)},
            {control::PlacementLow, WindowValueText(StartingPlacementLowHz)},
            {control::PlacementHigh, WindowValueText(StartingPlacementHighHz)},
        };
    }();
    const auto it = texts.find(field);
    return it == texts.end() ? QString() : it->second;
}

Quantity FieldQuantity(const QString &field) {
    if (field == QLatin1String(control::Temperature))
        return Quantity::Temperature;
    if (field == QLatin1String(control::Pressure))
        return Quantity::Pressure;
    for (const InputRow &row : DesignInputRows())
        if (row.page == InputPage::ThisWindow && field == QLatin1String(row.field))
            return row.quantity;
    return Quantity::None;
}

QString FieldCaption(const InputRow &row, UnitSystem system) {
    QString caption = QLatin1String(row.caption);
    if (const char *unit = ShownUnitOf(row.quantity, system).text; *unit)
        caption += QStringLiteral(" (") + QLatin1String(unit) + QLatin1Char(')');
    return caption + QLatin1Char(':');
}

std::optional<double> ChartsPresenter::ownValue(const QString &field, const QString &text) const {
    if (const auto it = shownValues_.find(field);
        it != shownValues_.end() && it->second.text == text)
        return it->second.own;
    const std::optional<double> v = ParseWindowValue(text);
    if (!v || units_ == UnitSystem::Metric)
        return v;
    return FromShownUnit(*v, FieldQuantity(field), units_);
}

void ChartsPresenter::setUnits(UnitSystem system,
                               const std::function<QString(const char *field)> &text) {
    if (system == units_)
        return;
    std::vector<std::pair<QString, double>> owns;
    for (const QString &field : FieldsWithUnits())
        // A field empty or not a number stays as typed.
        if (const std::optional<double> own = ownValue(field, text(field.toLatin1().constData()));
            own && std::isfinite(*own))
            owns.emplace_back(field, *own);
    units_ = system;
    shownValues_.clear();
    for (const auto &[field, own] : owns) {
        const QString shown = ConvertedText(ToShownUnit(own, FieldQuantity(field), system), system);
        shownValues_[field] = {shown, own};
        emit fieldTextChanged(field, shown);
    }
}

QString ChartsPresenter::shownText(const QString &field, const QString &ownText) {
    const Quantity quantity = FieldQuantity(field);
    const std::optional<double> own = ParseWindowValue(ownText);
    if (units_ == UnitSystem::Metric || !own || !std::isfinite(*own) ||
        !ChangesWithUnits(quantity)) {
        shownValues_.erase(field);
        return ownText;
    }
    const QString shown = ConvertedText(ToShownUnit(*own, quantity, units_), units_);
    shownValues_[field] = {shown, *own};
    return shown;
}

std::vector<std::pair<QString, QString>>
ChartsPresenter::inShownUnits(std::vector<std::pair<QString, QString>> ownTexts) {
    for (auto &[field, text] : ownTexts)
        text = shownText(field, text);
    return ownTexts;
}

const std::vector<double> &ChartsPresenter::Frequencies() {
    static const std::vector<double> f = ChartFrequencies(ExportPointsPerOctave);
    return f;
}

DesignSetup ChartsPresenter::design(const std::function<QString(Field)> &mainFields,
                                    const WindowControls &controls) const {
    DesignSetup s;
    if (file_)
        s = file_->first;
    s.enclosure.kind = controls.kind;
    if (!file_) {
        s.label.clear();
        ReadMainWindowDesign(mainFields, s);
    }
    const EnclosureKind &kind = KindOf(controls.kind);
    s.driver.voiceCoil.model = controls.coilModel;
    for (const InputRow &row : DesignInputRows())
        if (RowOfKind(row, kind, controls.space, controls.coilModel))
            row.member(s) = ownValue(QLatin1String(row.field), controls.text(row.field));
        else if (IsCoilTerm(row))
            row.member(s).reset(); // another model's term
    if (!HasSeriesLe(controls.coilModel))
        s.driver.leMh = 0.0;
    SetSlotVentDiameters(s.enclosure);
    s.enclosure.ventsAsDucts = controls.ventsAsDucts && kind.hasVentLoss;
    if (kind.helper == KindHelper::Path) {
        s.enclosure.segments = controls.segments;
        s.enclosure.mouth = controls.mouth;
    }
    s.drivers = {ReadCount(controls), controls.mounting, controls.wiring, controls.coilJoin};
    s.driver.coils = controls.coils;
    if (!s.driver.coils.dual())
        s.driver.coils.givenFor = CoilsGivenFor::OneCoil; // one coil is given for itself
    s.filters = controls.filters;
    s.environment.kind = controls.space;
    s.environment.cabin.cornerFromLength = controls.cabinCornerFromLength;
    s.drive.given = controls.drive;
    s.air = ReadAir(controls, [&](const char *field) {
        return ownValue(QLatin1String(field), controls.text(field)).value_or(std::nan(""));
    });
    s.units = units_;
    return s;
}

void ChartsPresenter::openSetup(const DesignSetup &setup, const QString &fileName) {
    file_.emplace(setup, fileName);
}

QString ChartsPresenter::sourceText() const {
    if (!file_)
        return QStringLiteral("The design of the main window.");
    return QStringLiteral("The design of %1, until the next command of the main window.")
        .arg(file_->second);
}

QString ChartsPresenter::followRatedPower(const QString &shown, const DesignSetup &design) {
    if (shown != followedPower_)
        return shown;
    const std::optional<double> &pe = design.driver.peMaxW;
    const bool usable = IsUsable(DesignInputRow(ModelInput::PEmax), pe);
    followedPower_ =
        usable ? FormatFieldValue(*pe * std::max(design.drivers.count, 1), 0) : QStringLiteral("1");
    return followedPower_;
}

bool ChartsPresenter::update(const DesignSetup &design, const QString &warningText) {
    if (shown_ && *shown_ == design && shownWarning_ == warningText)
        return false;
    shown_ = design;
    shownWarning_ = warningText;
    curves_ = ComputeDesignCurves(design, Frequencies());
    if (!overlays_.all().empty()) {
        const DriveParameters &at = overlays_.drive();
        if (at.given != design.drive.given || at.powerW != design.drive.powerW ||
            at.voltageV != design.drive.voltageV) {
            overlays_.recompute(design.drive, Frequencies());
            ++overlayGeneration_;
        }
    }
    return true;
}

QString ChartsPresenter::addOverlay(const QString &title, const DesignSetup &setup) {
    const std::optional<Overlay> dropped =
        overlays_.add(title, setup, shown_ ? shown_->drive : setup.drive, Frequencies());
    const QString notice =
        dropped ? QStringLiteral("The charts keep %1 overlays: the oldest, %2, was removed.")
                      .arg(OverlaySet::MaxOverlays)
                      .arg(DesignLabel(dropped->title, dropped->setup))
                : QString();
    changeOverlays(notice);
    return notice;
}

namespace {

// An overlay's title: the file it came from, and the name of its design.
QString OverlayTitle(const QString &fileName, const QString &name) {
    return fileName + (name.isEmpty() ? QString() : QStringLiteral(": ") + name);
}

} // namespace

void ChartsPresenter::addSetupOverlay(const QString &fileName, const DesignSetup &setup) {
    addOverlay(OverlayTitle(fileName, ExportName(setup)), setup);
}

void ChartsPresenter::addDesignOverlay(const QString &fileName, const FieldText &fields,
                                       BoxKind shownKind) {
    DesignSetup setup;
    setup.enclosure.kind = KindOf(shownKind).followsMainWindow ? shownKind : BoxKind::Vented;
    ReadMainWindowDesign(fields, setup);
    addOverlay(OverlayTitle(fileName, DriverName(setup)), setup);
}

void ChartsPresenter::removeOverlay(int row) {
    if (row < 0 || static_cast<size_t>(row) >= overlays_.all().size())
        return;
    overlays_.remove(static_cast<size_t>(row));
    changeOverlays(QString());
}

void ChartsPresenter::setOverlayVisible(int row, bool visible) {
    const auto index = static_cast<size_t>(row);
    if (row < 0 || index >= overlays_.all().size() || overlays_.all()[index].visible == visible)
        return;
    overlays_.setVisible(index, visible);
    ++overlayGeneration_;
    emit overlaysChanged();
}

void ChartsPresenter::toggleOverlay(int row) {
    if (row >= 0 && static_cast<size_t>(row) < overlays_.all().size())
        setOverlayVisible(row, !overlays_.all()[static_cast<size_t>(row)].visible);
}

void ChartsPresenter::clearOverlays() {
    overlays_.clear();
    changeOverlays(QString());
}

void ChartsPresenter::changeOverlays(const QString &notice) {
    ++overlayGeneration_;
    emit overlayNoticeChanged(notice);
    emit overlaysChanged();
}

void ChartsPresenter::tuneRadiators(const DesignSetup &design, const QString &tuningText) {
    emit helperNoticeChanged(QString());
    const AddedMassAnswer added = AddedMassFor(design.enclosure, design.air,
                                               ParseWindowValue(tuningText).value_or(std::nan("")));
    if (!added.grams)
        throw DravikError(added.sentence);
    const QString field = QLatin1String(FieldOf(ModelInput::RadiatorAddedMass));
    emit fieldTextChanged(field, shownText(field, QString::number(*added.grams, 'f', 2)));
    emit helperNoticeChanged(added.sentence);
}

void ChartsPresenter::designBandpass(const DesignSetup &design, const QString &sText,
                                     const QString &gainText) {
    const DriverParameters &d = design.driver;
    const std::optional<double> s = ParseWindowValue(sText);
    const std::optional<double> gain = ParseWindowValue(gainText);
    const std::optional<double> qms = EffectiveQms(d);
    std::optional<BandpassDesign> bp;
    if (s && gain && d.fs && d.qes && qms && d.vasLitres)
        bp = DesignBandpass4(*d.fs, TotalQ(*qms, *d.qes), *d.vasLitres, *s, *gain);
    if (!bp)
        throw DravikError(
            QStringLiteral("A 4th-order bandpass box needs Fs, Qes, Qms and Vas, an S above 0 "
                           "and a gain that puts Qbp above Qts"));
    emit helperNoticeChanged(
        BandpassSizeNotice(*bp, TotalQ(*qms, *d.qes), *d.vasLitres, design.units));
    using I = ModelInput;
    const auto show = [this](ModelInput input, double v) {
        const QString field = QLatin1String(FieldOf(input));
        emit fieldTextChanged(field, shownText(field, QString::number(v, 'f', 2)));
    };
    show(I::Bp4RearVolume, bp->rearLitres);
    show(I::Bp4FrontVolume, bp->frontLitres);
    show(I::Bp4Tuning, bp->fbHz);
}

std::optional<std::pair<QString, QString>>
ChartsPresenter::useNetVolume(const DesignSetup &design) {
    std::optional<BuiltBox> box = BuildBox(design);
    if (!box)
        throw DravikError(QStringLiteral("Give the box's outside and its walls first"));
    if (!box->fault.isEmpty())
        throw DravikError(QStringLiteral("The box cannot be built: ") + box->fault);
    // The first chamber takes the net volume less the other chambers'. Its
    // vents are cut for its volume, so a new volume moves the net one a
    // little: the volume is taken again until the two agree.
    const EnclosureKind &kind = KindOf(design.enclosure.kind);
    if (kind.chambers.empty())
        throw DravikError(QStringLiteral("The air of a line or a horn is its path's: its segments "
                                         "set it"));
    double others = 0.0;
    for (size_t i = 1; i < kind.chambers.size(); ++i)
        others += (design.enclosure.*kind.chambers[i].volume).value_or(0.0);
    DesignSetup trial = design;
    std::optional<double> &first = trial.enclosure.*kind.chambers.front().volume;
    double litres = box->netLitres - others;
    for (int i = 0; i < 50 && litres > 0.0; ++i) {
        first = litres;
        box = BuildBox(trial);
        if (!box || !box->fault.isEmpty())
            break;
        const double next = box->netLitres - others;
        if (std::fabs(next - litres) <= 1e-9 * litres) {
            litres = next;
            break;
        }
        litres = next;
    }
    if (!(litres > 0.0) || !box || !box->fault.isEmpty())
        throw DravikError(QStringLiteral("The other chambers alone take more than the net volume"));
    // The row of the table that holds the first chamber's volume.
    DesignSetup probe;
    const std::optional<double> *firstOfProbe = &(probe.enclosure.*kind.chambers.front().volume);
    std::vector<ModelInput> inputs = kind.needs;
    inputs.push_back(ModelInput::Vb);
    for (ModelInput input : inputs) {
        const InputRow &row = DesignInputRow(input);
        if (&row.member(probe) != firstOfProbe)
            continue;
        const QString field = QLatin1String(row.field);
        if (row.page == InputPage::ThisWindow) {
            emit fieldTextChanged(field, shownText(field, WindowValueText(litres)));
            return std::nullopt;
        }
        if (file_) {
            file_->first.enclosure.*kind.chambers.front().volume = litres;
            return std::nullopt;
        }
        return std::make_pair(field, WindowValueText(litres));
    }
    throw std::logic_error("a kind's first chamber without a field");
}

bool ChartsPresenter::placeBox(int position) {
    if (!shown_ || shown_->environment.kind != SpaceKind::Room || position < 0 || position >= 9)
        return false;
    const std::vector<GridPosition> grid = PlacementGrid(shown_->environment.room);
    const GridPosition &p = grid[static_cast<size_t>(position)];
    for (ModelInput input : {ModelInput::SourceX, ModelInput::SourceY}) {
        const QString field = QLatin1String(FieldOf(input));
        const size_t axis = input == ModelInput::SourceX ? 0 : 1;
        emit fieldTextChanged(field, shownText(field, WindowValueText(p.m[axis])));
    }
    return true;
}

PlacementView PlacementViewOf(const std::optional<DesignSetup> &shown, const QString &lowText,
                              const QString &highText) {
    const double low = ParseFieldText(lowText);
    const double high = ParseFieldText(highText);
    PlacementView v;
    if (shown && std::isfinite(low) && std::isfinite(high) && low > 0.0 && high > low)
        v.figures = PlacementFigures(*shown, low, high);
    v.best = BestPlacement(v.figures);
    v.note = v.figures.empty()
                 ? QStringLiteral("Choose Room as the listening space and a band from low to high.")
                 : QStringLiteral("How much the level at the listener varies from %1 to %2 Hz with "
                                  "the box at each place (front wall at the top); the least is in "
                                  "bold, %3. Click a place to put the box there.")
                       .arg(QString::number(low, 'g', 4), QString::number(high, 'g', 4),
                            v.best >= 0 ? v.figures[static_cast<size_t>(v.best)].name
                                        : QStringLiteral("-"));
    return v;
}

FrdPlan PlanFrd(const DesignSetup &shown, const DesignCurves &curves, FrdLevel level, bool system) {
    const std::optional<double> rdc = curves.dcResistanceOhm;
    const std::optional<double> power = FrdPower(level, rdc, curves.drivePowerW);
    if (!power)
        throw DravikError(QStringLiteral("An FRD file at 2.83 V needs Re (Driver page)."));
    FrdPlan plan{shown,
                 {FrdLevelNote(level, *power, rdc)},
                 system ? FrdResponse::System : FrdResponse::Box,
                 false};
    plan.design.drive.given = DriveParameters::Given::Power;
    plan.design.drive.powerW = power;
    if (system) {
        plan.notes << SystemNotes(plan.design);
    } else {
        // The box's own response: the chain, the amplifier and the space
        // stay out of it.
        plan.design.filters.clear();
        plan.design.amplifier = AmplifierParameters();
        plan.design.environment = ListeningSpace();
    }
    plan.asShown = level == FrdLevel::AtChartPower && (system || shown == plan.design);
    return plan;
}

QString ExportName(const DesignSetup &design) {
    return design.label.isEmpty() ? DriverName(design) : design.label;
}

QString ExportTitle(const QString &name, const DesignSetup &design) {
    return QStringLiteral("Dravik: ") + DesignExportTitle(name, design);
}

DesignSetup SetupToSave(DesignSetup design) {
    if (design.label.isEmpty())
        design.label = DriverName(design);
    return design;
}

bool IsSetupFile(const QString &path) {
    return path.endsWith(QStringLiteral(".dvsetup"), Qt::CaseInsensitive);
}

std::vector<std::pair<QString, QString>> ControlTexts(const DesignSetup &setup) {
    std::vector<std::pair<QString, QString>> texts;
    const EnclosureKind &kind = KindOf(setup.enclosure.kind);
    for (const InputRow &row : DesignInputRows())
        if (RowOfKind(row, kind, setup.environment.kind, setup.driver.voiceCoil.model))
            texts.emplace_back(QLatin1String(row.field), WindowValueText(InputValue(setup, row)));
    texts.emplace_back(QLatin1String(control::DriverCount), QString::number(setup.drivers.count));
    texts.emplace_back(QLatin1String(control::AirDensity), WindowValueText(setup.air.density));
    texts.emplace_back(QLatin1String(control::SoundSpeed), WindowValueText(setup.air.soundSpeed));
    if (const auto &c = setup.air.conditions) {
        texts.emplace_back(QLatin1String(control::Temperature), WindowValueText(c->temperatureC));
        texts.emplace_back(QLatin1String(control::Pressure), WindowValueText(c->pressurePa));
        texts.emplace_back(QLatin1String(control::Humidity),
                           WindowValueText(c->relativeHumidityPercent));
    }
    return texts;
}

std::optional<BoxParameters> StartingBox(BoxKind kind, const DesignSetup &current) {
    const EnclosureKind &row = KindOf(kind);
    return row.startingBox ? row.startingBox(current) : std::nullopt;
}

std::vector<std::pair<QString, QString>> StartingTexts(BoxKind kind, const DesignSetup &current) {
    const EnclosureKind &row = KindOf(kind);
    std::vector<std::pair<QString, QString>> texts;
    if (!row.startingBox)
        return texts;
    const std::optional<BoxParameters> box = row.startingBox(current);
    if (!box)
        return texts;
    DesignSetup start = current;
    start.enclosure = *box;
    std::vector<ModelInput> inputs = row.needs;
    inputs.insert(inputs.end(), row.ventNeeds.begin(), row.ventNeeds.end());
    for (ModelInput input : inputs) {
        const std::optional<double> &v = InputValue(start, DesignInputRow(input));
        texts.emplace_back(FieldOf(input), v ? QString::number(*v, 'g', 4) : QString());
    }
    return texts;
}

QString DriveVoltageText(const DesignCurves &curves) {
    const double v = curves.driveVoltageV;
    if (!std::isfinite(v) || v <= 0.0 || !std::isfinite(curves.drivePowerW))
        return QString();
    return QStringLiteral("= ") + Figure(v, 2) + QStringLiteral(" V RMS");
}

QString AmplifierLoadText(const DesignCurves &curves) {
    if (!curves.dcResistanceOhm)
        return QString();
    QString text =
        QStringLiteral("DC ") + Figure(*curves.dcResistanceOhm, 2) + QStringLiteral(" ohm");
    if (curves.minimumImpedanceOhm)
        text += QStringLiteral(", least ") + Figure(*curves.minimumImpedanceOhm, 2) +
                QStringLiteral(" ohm (%1-%2 Hz)")
                    .arg(acoustics::ResponseFirstHz)
                    .arg(acoustics::ResponseLastHz);
    return text;
}

namespace {

// One chamber's vents: how long to cut each, to 0.1 mm, and whether it
// fits. The length is the one the charts' circuit tunes the chamber with,
// in the design's air, less the end correction of a vent with one flanged
// and one free end; a straight vent resonates as a pipe at c / (2 Leff).
QString VentLine(const char *which, double litres, double tuning,
                 const std::optional<double> &count, const std::optional<double> &diameterMm,
                 double endCorrection, const AirProperties &air, UnitSystem units) {
    const auto usable = [](const std::optional<double> &v) {
        return v && std::isfinite(*v) && *v > 0.0 && *v < 1e12;
    };
    if (!(litres > 0.0 && litres < 1e12 && tuning > 0.0 && tuning < 1e12 && usable(count) &&
          usable(diameterMm) && std::isfinite(air.soundSpeed) && air.soundSpeed > 0.0))
        return QString();
    const CutVent vent = CutVentOf(*count, RoundVentSection(*diameterMm), litres, tuning,
                                   air.soundSpeed, endCorrection);
    const double length = vent.physicalMm / 10.0; // cm
    if (!std::isfinite(length) || !std::isfinite(vent.pipeResonanceHz))
        return QString();
    QString vents = *count == 1.0 ? QStringLiteral("vent") : QStringLiteral("each vent");
    if (*which == '\0')
        vents[0] = vents[0].toUpper();
    // Centimetres, or inches, to the hundredth.
    const auto shown = [units](double cm, int decimals) {
        if (units == UnitSystem::Metric)
            return Figure(cm, decimals) + QStringLiteral(" cm");
        return Figure(ToShownUnit(cm * 10.0, Quantity::Length, units), decimals) +
               QStringLiteral(" in");
    };
    QString line = QString::fromLatin1(which) + vents + QStringLiteral(" ") + shown(length, 2) +
                   QStringLiteral(" long (first pipe resonance ") +
                   Figure(vent.pipeResonanceHz, 1) + QStringLiteral(" Hz)");
    const double depth = std::cbrt(litres * 1000.0); // cm, a cube of the chamber's volume
    if (length <= 0.0)
        line += QStringLiteral(": a vent this narrow cannot tune so high; choose a wider one");
    else if (length > depth)
        line += QStringLiteral(": longer than the chamber is deep (") +
                shown(depth, units == UnitSystem::Metric ? 0 : 1) +
                QStringLiteral(" for a cube); it does not fit");
    return line + QLatin1Char('.');
}

} // namespace

QString VentLengthText(const DesignSetup &s) {
    const BoxParameters &b = s.enclosure;
    const auto value = [](const std::optional<double> &v) { return v.value_or(0.0); };
    QStringList lines;
    for (const KindChamber &c : KindOf(b.kind).chambers)
        if (c.vented())
            lines << VentLine(c.ventLine, value(b.*c.volume), value(b.*c.tuning), b.*c.ventCount,
                              b.*c.ventDiameterMm, EndCorrection(b, c.vents), s.air, s.units);
    // A lossless duct's pipe resonances are far narrower than the charts'
    // steps: say so rather than let a peak pass for its true height.
    if (b.ventsAsDucts && !lines.join(QString()).trimmed().isEmpty())
        lines << QStringLiteral("As ducts, the vents' pipe resonances are narrower than the "
                                "charts' steps: their peaks are cut.");
    return lines.join(QLatin1Char(' ')).trimmed();
}

AddedMassAnswer AddedMassFor(const BoxParameters &box, const AirProperties &air, double tuningHz) {
    AddedMassAnswer a;
    a.grams = AddedMassForTuning(box, air, tuningHz);
    const double ownGrams = box.radiatorMassG.value_or(0.0);
    if (!a.grams) {
        BoxParameters bare = box;
        bare.radiatorAddedMassG = 0.0;
        const double highest = TuningOfRadiators(bare, air).fb;
        a.sentence =
            std::isfinite(highest) && highest > 0.0 && std::isfinite(tuningHz) && tuningHz > highest
                ? QStringLiteral("The radiators cannot tune the box to %1 Hz: without "
                                 "added mass they tune it to %2 Hz, the highest they "
                                 "reach. A smaller box or stiffer radiators tune higher.")
                      .arg(Figure(tuningHz, 1), Figure(highest, 1))
                : QStringLiteral("The radiators cannot tune the box there: a value of the "
                                 "radiators or the tuning is not a usable number");
        return a;
    }
    // More than twice its own mass on a radiator: it swings far and its
    // tuning drifts with its suspension; more or larger radiators suit.
    if (ownGrams > 0.0 && *a.grams > 2.0 * ownGrams)
        a.sentence =
            QStringLiteral("%1 g on a radiator of %2 g, %3 times its own mass: it will "
                           "swing far to reach so low a tuning. A larger or a second "
                           "radiator, or a larger box, needs less.")
                .arg(Figure(*a.grams, 1), Figure(ownGrams, 1), Figure(*a.grams / ownGrams, 1));
    return a;
}

QString BandpassSizeNotice(const BandpassDesign &design, double qts, double vasLitres,
                           UnitSystem units) {
    const double largest = std::max(design.rearLitres, design.frontLitres);
    if (!(vasLitres > 0.0) || largest <= 3.0 * vasLitres)
        return QString();
    // Litres to the litre; cubic feet, some thirty times larger, to the hundredth.
    const QString volume =
        Figure(ToShownUnit(largest, Quantity::Volume, units), units == UnitSystem::Metric ? 0 : 2) +
        QLatin1Char(' ') + QLatin1String(ShownUnitOf(Quantity::Volume, units).text);
    return QStringLiteral("A chamber of %1 is %2 times Vas: a driver of Qts %3 makes this "
                          "bandpass box far larger than it suits (a Qts below about 0.4 does). "
                          "A smaller S or a higher gain makes it smaller.")
        .arg(volume, Figure(largest / vasLitres, 1), Figure(qts, 2));
}

QString AirText(const AirProperties &air) {
    if (!(std::isfinite(air.density) && std::isfinite(air.soundSpeed)))
        return QStringLiteral("The air needs numbers.");
    return QStringLiteral("Air ") + Figure(air.density, 4) + QStringLiteral(" kg/m^3, ") +
           Figure(air.soundSpeed, 2) + QStringLiteral(" m/s");
}

QString AmplifierLimitText(const DesignSetup &design) {
    const std::optional<double> clip = AmplifierClippingVoltage(design.amplifier);
    const std::optional<double> &current = design.amplifier.currentLimitA;
    const bool currentUsable = current && IsUsable(ModelInput::AmpCurrentLimit, current);
    if (!clip && !currentUsable)
        return QString();
    QStringList parts;
    if (clip)
        parts << QStringLiteral("Clips at ") + Figure(*clip, 2) + QStringLiteral(" V RMS");
    if (currentUsable)
        parts << (clip ? QStringLiteral("at most ") : QStringLiteral("At most ")) +
                     Figure(*current, 1) + QStringLiteral(" A");
    return parts.join(QStringLiteral(", ")) + QLatin1Char('.');
}

std::vector<PlacementFigure> PlacementFigures(const DesignSetup &design, double lowHz,
                                              double highHz) {
    std::vector<PlacementFigure> figures;
    if (design.environment.kind != SpaceKind::Room || UnusableSpaceInputs(design.environment))
        return figures;
    // Only the band's frequencies are computed. The box, the drive and the
    // chain are the same at every place: the design is computed once in
    // half space, and each place adds the room's gain from the same modes.
    std::vector<double> band;
    for (double f : ChartsPresenter::Frequencies())
        if (f >= lowHz && f <= highHz)
            band.push_back(f);
    DesignSetup halfSpace = design;
    halfSpace.environment.kind = SpaceKind::HalfSpace;
    const DesignCurves free = ComputeDesignCurves(halfSpace, band);
    const RoomParameters &room = design.environment.room;
    const double c = design.air.soundSpeed;
    const std::vector<RoomMode> modes = SummedRoomModes(room, c, RoomChartHighestHz);
    for (const GridPosition &p : PlacementGrid(room)) {
        RoomParameters here = room;
        for (size_t i = 0; i < 3; ++i)
            here.sourceM[i] = p.m[i];
        const RoomResponse response = MakeRoomResponse(here, c, modes, RoomChartHighestHz);
        DesignCurves heard;
        heard.frequencies = band;
        heard.splDb = free.splDb;
        for (size_t i = 0; i < heard.splDb.size(); ++i)
            heard.splDb[i] +=
                10.0 * std::log10(std::norm(response.valueAt(2.0 * acoustics::PiFull * band[i])));
        figures.push_back({p.name, p.m, LevelVariationDb(heard, lowHz, highHz)});
    }
    return figures;
}

int BestPlacement(const std::vector<PlacementFigure> &figures) {
    int best = -1;
    for (size_t i = 0; i < figures.size(); ++i)
        if (figures[i].variationDb &&
            (best < 0 || *figures[i].variationDb < *figures[static_cast<size_t>(best)].variationDb))
            best = static_cast<int>(i);
    return best;
}

QString PlacementText(const PlacementFigure &figure) {
    return figure.name + QStringLiteral(": ") +
           (figure.variationDb ? Figure(*figure.variationDb, 1) + QStringLiteral(" dB")
                               : QStringLiteral("-"));
}

std::vector<std::pair<QString, QString>> CabinPresetTexts(const CabinPreset &preset) {
    return {
        {FieldOf(ModelInput::CabinLength), WindowValueText(preset.lengthM)},
        {FieldOf(ModelInput::CabinSlope), WindowValueText(preset.slopeDbPerOctave)},
        {FieldOf(ModelInput::CabinMaxGain), WindowValueText(CabinParameters::DefaultMaxGainDb)}};
}

std::vector<std::pair<QString, QString>> RoomPresetTexts(const RoomPreset &preset) {
    DesignSetup s;
    s.environment.kind = SpaceKind::Room;
    s.environment.room = RoomOfPreset(preset);
    std::vector<std::pair<QString, QString>> texts;
    for (const InputRow &row : DesignInputRows())
        if (row.group == InputGroup::Room)
            texts.emplace_back(QLatin1String(row.field), WindowValueText(InputValue(s, row)));
    return texts;
}

} // namespace dravik
