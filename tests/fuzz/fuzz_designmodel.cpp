// Fuzz target: the design charts' model, its reader and the window's rules.
//
// The input is the design's field texts, one a line, in the order of
// InputFields below, then the input power's text, then the texts of the
// charts window's own fields (its rows of the table of inputs, in table
// order, then the driver count), then the listening space (a number taken
// modulo the six kinds; a second line non-empty for a cabin given by its
// length), then up to eight filters, one a line: type, alignment, order,
// frequency, Q, gain, fp, Qp and "on" as numbers separated by blanks; among
// them, a line "s flare length start end t fill" is a segment of a line's
// or a horn's path, and "open" opens its mouth. Every box kind is
// computed. Checked:
// - a chart is either computed, every one of its curves holding a value per
//   frequency, or it lacks inputs, and then only inputs whose text is not a
//   usable number are named as lacking, and its sentence says so (or that
//   the values together are not computable);
// - an input whose text is a usable number is never named as lacking,
//   unless the listening space's own rules refuse it (a listener outside
//   the room);
// - a chain with an unusable filter is named by every chart it reaches and
//   by no other, a usable one never;
// - the CSV export has its comment, its header and fourteen cells on every
//   line, and never writes "nan" or "inf";
// - in a room, the placement view gives nine positions.

#include "ChartsPresenter.h"
#include "CurveFormats.h"
#include "DesignModel.h"
#include "DesignReader.h"
#include "Enclosures.h"
#include "FuzzSupport.h"
#include "MemoryFieldStore.h"
#include "NumberText.h"
#include "WiringOptions.h"

#include <algorithm>
#include <cmath>
#include <map>

using namespace dravik;
using dravik::fuzz::show;

namespace {

struct InputField {
    const char *name;
    ModelInput input;
    bool ventedOnly;
};
const InputField InputFields[] = {
    {"EFs", ModelInput::Fs, false},
    {"EQts", ModelInput::Qts, false},
    {"EQes", ModelInput::Qes, false},
    {"EQms", ModelInput::Qms, false},
    {"EVas", ModelInput::Vas, false},
    {"ERe", ModelInput::Re, false},
    {"EEffPDiam", ModelInput::Sd, false},
    {"EXmax", ModelInput::Xmax, false},
    {"EPEmax", ModelInput::PEmax, false},
    {"EVb", ModelInput::Vb, false},
    {"EFb", ModelInput::Fb, true},
    {"ENumOfVents", ModelInput::VentCount, true},
    {"EVentDiam", ModelInput::VentDiameter, true},
};

// As the table of inputs takes a positive number: within 1e-12 to 1e12.
bool InRange(double v) {
    return std::isfinite(v) && v >= 1e-12 && v <= 1e12;
}

bool usable(const QString &text) {
    return InRange(ParseFieldText(text));
}

// The charts window's own fields that the input gives, by object name.
struct WindowTexts {
    std::map<QString, QString> texts;
    SpaceKind space = SpaceKind::HalfSpace;
    bool cabinFromLength = false;
    std::vector<FilterStage> filters;
    VoiceCoils coils;
    CoilJoin coilJoin = CoilJoin::Series;
    InductanceModel coilModel = InductanceModel::Plain;
    std::vector<PathSegment> segments;
    Mouth mouth = Mouth::BaffledPiston;
};

// A line's or a horn's segment from a line "s flare length start end t
// fill": the flare taken modulo the five, a fill where its number is given.
PathSegment SegmentOfLine(const QString &line) {
    const QStringList parts = line.mid(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto number = [&](int i) {
        return i < parts.size() ? ParseFieldText(parts[i]) : std::nan("");
    };
    PathSegment s;
    const double flare = number(0);
    s.flare = std::isfinite(flare) ? static_cast<Flare>(std::fmod(std::fabs(flare), 5.0))
                                   : Flare::Uniform;
    s.lengthCm = number(1);
    s.startAreaCm2 = number(2);
    s.endAreaCm2 = number(3);
    s.t = number(4);
    if (parts.size() > 5)
        s.fillResistivity = number(5);
    return s;
}

// A filter from a line of numbers; what is missing keeps its default.
FilterStage FilterOfLine(const QString &line) {
    const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto number = [&](int i, double otherwise) {
        return i < parts.size() ? ParseFieldText(parts[i]) : otherwise;
    };
    const auto index = [&](int i, int count) {
        const double v = number(i, 0.0);
        return std::isfinite(v) ? static_cast<int>(std::fmod(std::fabs(v), count)) : 0;
    };
    FilterStage f;
    f.type = static_cast<FilterType>(index(0, FilterTypeCount));
    f.alignment = static_cast<FilterAlignment>(index(1, FilterAlignmentCount));
    const double order = number(2, 2.0);
    f.order = std::isfinite(order) && std::fabs(order) < 100.0 ? static_cast<int>(order) : 99;
    f.frequencyHz = number(3, f.frequencyHz);
    f.q = number(4, f.q);
    f.gainDb = number(5, f.gainDb);
    f.fpHz = number(6, f.fpHz);
    f.qp = number(7, f.qp);
    f.enabled = number(8, 1.0) != 0.0;
    return f;
}

std::vector<double> DesignCurves::*const AllCurves[] = {
    &DesignCurves::responseDb,         &DesignCurves::splDb,
    &DesignCurves::splPhaseDeg,        &DesignCurves::excursionMm,
    &DesignCurves::portVelocity,       &DesignCurves::impedanceOhm,
    &DesignCurves::impedancePhaseDeg,  &DesignCurves::groupDelayMs,
    &DesignCurves::excursionLimitW,    &DesignCurves::maxPowerW,
    &DesignCurves::maxSplDb,           &DesignCurves::thermalLimitSplDb,
    &DesignCurves::excursionLimitSplDb};

void checkKind(const test::MemoryFieldStore &store, BoxKind kind, const QString &powerText,
               const WindowTexts &window, const std::vector<double> &frequencies) {
    ModelInputs usableInputs = 0;
    for (const InputField &f : InputFields) {
        const QString text = store.text(QLatin1String(f.name));
        // A diameter is usable when the area it gives is.
        const double v = ParseFieldText(text);
        const double r = v * 1e-3 / 2.0;
        const bool area = f.input != ModelInput::Sd || InRange(3.14159265358979 * r * r * 0.999999);
        if (usable(text) && area)
            usableInputs |= Bit(f.input);
    }
    // Near the ends of the range a rounding may tip the area over: no claim.
    for (const InputField &f : InputFields)
        if (f.input == ModelInput::Sd) {
            const double v = ParseFieldText(store.text(QLatin1String(f.name)));
            const double area = 3.14159265358979 * std::pow(v * 1e-3 / 2.0, 2);
            if (!(area > 2e-12 && area < 0.5e12))
                usableInputs &= ~Bit(ModelInput::Sd);
        }
    WindowControls controls;
    controls.kind = kind;
    controls.space = window.space;
    controls.cabinCornerFromLength = window.cabinFromLength;
    controls.filters = window.filters;
    controls.coils = window.coils;
    controls.coilJoin = window.coilJoin;
    controls.coilModel = window.coilModel;
    controls.segments = window.segments;
    controls.mouth = window.mouth;
    controls.text = [&](const char *name) {
        if (QLatin1String(name) == QLatin1String("EPower"))
            return powerText;
        const auto it = window.texts.find(QLatin1String(name));
        return it == window.texts.end() ? QString() : it->second;
    };
    for (const InputRow &row : DesignInputRows()) {
        if (row.page != InputPage::ThisWindow)
            continue;
        const std::optional<double> v = ParseWindowValue(controls.text(row.field));
        if (v && InRange(*v))
            usableInputs |= Bit(row.input);
    }
    ChartsPresenter presenter;
    const DesignSetup setup =
        presenter.design([&store](Field field) { return store.text(field); }, controls);
    const DesignCurves c = ComputeDesignCurves(setup, frequencies);
    FUZZ_CHECK(c.frequencies == frequencies, "frequencies");
    // Every wiring the list offers is a load, one of them the one in use,
    // which is the load the charts show.
    if (c.dcResistanceOhm && c.minimumImpedanceOhm) {
        const std::vector<WiringOption> options = WiringOptions(setup, frequencies);
        const auto used = std::count_if(options.begin(), options.end(),
                                        [](const WiringOption &o) { return o.inUse; });
        FUZZ_CHECK(used == 1, "one wiring in use");
        for (const WiringOption &o : options)
            FUZZ_CHECK(o.dcResistanceOhm > 0.0 && std::isfinite(o.dcResistanceOhm) &&
                           (!o.inUse || o.dcResistanceOhm == *c.dcResistanceOhm),
                       "a wiring's load");
    }
    // A room's or a cabin's values usable one by one may still not fit
    // together: the space's own rules name those.
    usableInputs &= ~UnusableSpaceInputs(setup.environment);
    const bool chainFault = ChainFault(setup.filters).has_value();
    // A line's or a horn's mouth is its vent.
    const bool vents = !KindOf(kind).ventNeeds.empty() || KindOf(kind).helper == KindHelper::Path;
    for (int i = 0; i < ChartCount; ++i) {
        const auto chart = static_cast<Chart>(i);
        const ChartLack &lack = c.lacks(chart);
        const ModelInputs &lacks = lack.inputs;
        if (!vents && chart == Chart::PortVelocity) {
            FUZZ_CHECK(lack.reason == ChartReason::NotApplicable && !lacks, "no vents");
            continue;
        }
        if (chart == Chart::Room && setup.environment.kind != SpaceKind::Room) {
            FUZZ_CHECK(lack.reason == ChartReason::NotApplicable && !lacks, "no room");
            continue;
        }
        FUZZ_CHECK(lack.reason != ChartReason::NotApplicable, "an applicable chart refused");
        FUZZ_CHECK((lacks & usableInputs) == 0, "a usable input named as lacking");
        FUZZ_CHECK((lack.reason == ChartReason::MissingInputs) == bool(lacks),
                   "inputs named without lacking them");
        // Everything but the impedance follows the chain.
        const bool reachesChain = chart != Chart::Impedance;
        if (!chainFault || !reachesChain)
            FUZZ_CHECK(!(lacks & Bit(ModelInput::SignalChain)), "a usable chain named as lacking");
        else
            FUZZ_CHECK(lacks & Bit(ModelInput::SignalChain), "an unusable chain not named");
        if (lack) {
            const QString sentence = MissingInputsSentence(chart, lack);
            const bool named = sentence.startsWith(ChartTitle(chart) + QStringLiteral(" needs ")) ||
                               lack.reason == ChartReason::NotComputable;
            FUZZ_CHECK(named && sentence.endsWith(QLatin1Char('.')), show(sentence));
        }
    }
    for (auto curve : AllCurves) {
        const size_t n = (c.*curve).size();
        FUZZ_CHECK(n == 0 || n == frequencies.size(), "a curve of the wrong length");
    }
    if (setup.environment.kind == SpaceKind::Room && c.has(Chart::Room) && kind == BoxKind::Vented)
        FUZZ_CHECK(PlacementFigures(setup, 30.0, 80.0).size() == 9, "nine places");
    QStringList lines = ExportLines(ExportFormat::Csv, c, QString());
    FUZZ_CHECK(lines.size() == static_cast<qsizetype>(frequencies.size()) + 2, "CSV rows");
    FUZZ_CHECK(lines.takeFirst().startsWith(QLatin1Char('#')), "CSV comment");
    for (const QString &line : lines) {
        FUZZ_CHECK(line.count(QLatin1Char(',')) == 13, show(line));
        FUZZ_CHECK(!line.contains(QLatin1String("nan")) && !line.contains(QLatin1String("inf")),
                   show(line));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // The window's own fields after the power: every row of the table kept
    // in the window (the power's row is the power line above), then the count.
    std::vector<const char *> windowFields;
    for (const InputRow &row : DesignInputRows())
        if (row.page == InputPage::ThisWindow && row.input != ModelInput::Power)
            windowFields.push_back(row.field);
    windowFields.push_back(control::DriverCount);
    const size_t mainLines = std::size(InputFields) + 1;
    const size_t systemLines = 2 + MaxFilters + MostPathSegments + 2; // a 17th segment, "open"
    const std::vector<QString> lines =
        fuzz::textLines(std::string_view(reinterpret_cast<const char *>(data), size),
                        mainLines + windowFields.size() + systemLines);
    test::MemoryFieldStore store;
    for (size_t i = 0; i < std::size(InputFields); ++i)
        if (i < lines.size())
            store.setText(QLatin1String(InputFields[i].name), lines[i]);
    const QString power = fuzz::lineOrEmpty(lines, std::size(InputFields));
    // Fields the input leaves out keep the window's start texts.
    WindowTexts window;
    window.texts = {{"EDriverCount", "1"}, {"EAirDensity", "1.18"},    {"ESoundSpeed", "345"},
                    {"ELe", "0"},          {"ESourceResistance", "0"}, {"ELeakageQ", "7"},
                    {"ECreep", "0"}};
    for (size_t i = 0; i < windowFields.size(); ++i)
        if (mainLines + i < lines.size())
            window.texts[QLatin1String(windowFields[i])] = lines[mainLines + i];
    const size_t system = mainLines + windowFields.size();
    if (system < lines.size()) {
        const double kind = ParseFieldText(lines[system]);
        if (std::isfinite(kind))
            window.space = static_cast<SpaceKind>(std::fmod(std::fabs(kind), SpaceKindCount));
        // The same line's higher digits: one coil, or two given for and
        // joined every way.
        if (std::isfinite(kind)) {
            const int coils = int(std::fmod(std::floor(std::fabs(kind) / SpaceKindCount), 10.0));
            if (coils > 0) {
                window.coils = {2, static_cast<CoilsGivenFor>((coils - 1) / 3)};
                window.coilJoin = static_cast<CoilJoin>((coils - 1) % 3);
            }
            // And the next: the voice coil's model.
            const double model = std::floor(std::fabs(kind) / (SpaceKindCount * 10.0));
            window.coilModel = static_cast<InductanceModel>(std::fmod(model, 4.0));
        }
    }
    window.cabinFromLength = !fuzz::lineOrEmpty(lines, system + 1).isEmpty();
    for (size_t i = system + 2; i < lines.size(); ++i) {
        if (lines[i].startsWith(QLatin1Char('s')))
            window.segments.push_back(SegmentOfLine(lines[i]));
        else if (lines[i] == QLatin1String("open"))
            window.mouth = Mouth::Open;
        else
            window.filters.push_back(FilterOfLine(lines[i]));
    }
    // Without segments of its own, a path of every flare's kind between the
    // taps the window starts with, so that lines and horns are solved too.
    if (window.segments.empty())
        for (const char *line : {"s1 40 300 600", "s2 100 600 1200", "s4 80 1200 2400 0.5 4000"})
            window.segments.push_back(SegmentOfLine(QLatin1String(line)));
    static const std::vector<double> frequencies = ChartFrequencies(ExportPointsPerOctave);
    for (const EnclosureKind &k : EnclosureKinds())
        checkKind(store, k.kind, power, window, frequencies);
    return 0;
}
