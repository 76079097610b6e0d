#include "SetupFile.h"

#include "Construction.h"
#include "DesignInputs.h"
#include "Enclosures.h"
#include "Fp.h"
#include "Paths.h"
#include "TextFile.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace dravik {

namespace {

using I = ModelInput;

// ---------------------------------------------------------------------------
// Numbers at the file's precision

constexpr int SignificantDigits = 10;

// A number as the file writes it: up to 10 significant digits, C locale,
// and no "-0" (a zero is one number, whatever its sign).
QByteArray numberText(double x) {
    return QByteArray::number(x == 0.0 ? 0.0 : x, 'g', SignificantDigits);
}

// x rounded to 10 significant digits and scaled by 10^shift, as the nearest
// double to that decimal: the scaling moves the decimal exponent of the text,
// so 1640.3 cm^2 becomes exactly the double of 0.16403 m^2. Empty when the
// result is not a finite number (a value just below the largest double
// rounds up beyond it).
std::optional<double> atFilePrecision(double x, int shift) {
    if (!std::isfinite(x))
        return std::nullopt;
    QByteArray text = QByteArray::number(x, 'e', SignificantDigits - 1);
    const qsizetype e = text.indexOf('e');
    const int exponent = text.mid(e + 1).toInt() + shift;
    text = text.left(e) + 'e' + QByteArray::number(exponent);
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value + 0.0; // +0.0 turns -0 into 0
}

// ---------------------------------------------------------------------------
// What a number of the file may be

enum class Range {
    Positive,
    ZeroOrMore,
    WholeFromOne,
    Percent,
    Temperature,
    Any,
    FilterOrder,
    SharedWalls,
    Fraction
};

// The highest order of a high-pass or low-pass filter of any alignment.
constexpr int HighestFilterOrder = 8;

QString rangePhrase(Range range) {
    switch (range) {
    case Range::Positive:
        return QStringLiteral("a positive number");
    case Range::ZeroOrMore:
        return QStringLiteral("a number of 0 or more");
    case Range::WholeFromOne:
        return QStringLiteral("a whole number of 1 or more");
    case Range::Percent:
        return QStringLiteral("a number from 0 to 100");
    case Range::Temperature:
        return QStringLiteral("a number from -100 to 100");
    case Range::Any:
        return QStringLiteral("a number");
    case Range::FilterOrder:
        return QStringLiteral("a whole number from 1 to %1").arg(HighestFilterOrder);
    case Range::SharedWalls:
        return QStringLiteral("0, 1, 2 or 3");
    case Range::Fraction:
        return QStringLiteral("a number from 0 to 1");
    }
    return QString();
}

bool inRange(Range range, double x) {
    switch (range) {
    case Range::Positive:
        return x > 0.0;
    case Range::ZeroOrMore:
        return x >= 0.0;
    case Range::WholeFromOne:
        return x >= 1.0 && x == std::floor(x);
    case Range::Percent:
        return x >= 0.0 && x <= 100.0;
    case Range::Temperature:
        return x >= -100.0 && x <= 100.0;
    case Range::Any:
        return true;
    case Range::FilterOrder:
        return x >= 1.0 && x <= HighestFilterOrder && x == std::floor(x);
    case Range::SharedWalls:
        return x >= 0.0 && x <= 3.0 && x == std::floor(x);
    case Range::Fraction:
        return x >= 0.0 && x <= 1.0;
    }
    return false;
}

// An absent key: an error, a default number, or "not given".
enum class Absent { Refused, Default, NotGiven };

// One number key of the file and the design member it fills, by the row of
// the table of inputs (which also names it in the writer's sentences).
struct NumberKey {
    const char *key;
    ModelInput input;
    Range range;
    bool nullable = false; // null means "not given" (or, for a loss, none)
    Absent absent = Absent::Refused;
    double byDefault = 0.0;
    int shift = 0; // the file's number is the member times 10^shift
};

// The number the file holds for a member's value: at the file's precision,
// scaled by the key's shift, and in the key's range; empty when the file
// cannot hold it. The writer writes only this; the reader takes a number
// only where the member it gives has this very number, so a file that opens
// can always be saved (an sd_cm2 of 5e-324 would give an area of 0 m^2).
std::optional<double> filedNumber(const NumberKey &k, double member) {
    const std::optional<double> inFile = atFilePrecision(member, k.shift);
    if (!inFile || !inRange(k.range, *inFile))
        return std::nullopt;
    return inFile;
}

const std::vector<NumberKey> DriverKeys = {
    {"fs_hz", I::Fs, Range::Positive},
    {"qes", I::Qes, Range::Positive},
    {"qms", I::Qms, Range::Positive, true},
    {"qts", I::Qts, Range::Positive, true},
    {"vas_l", I::Vas, Range::Positive},
    {"re_ohm", I::Re, Range::Positive},
    {"le_mh", I::Le, Range::ZeroOrMore, false, Absent::Default, 0.0},
    {"sd_cm2", I::Sd, Range::Positive, false, Absent::Refused, 0.0, 4},
    {"xmax_mm", I::Xmax, Range::Positive},
    {"pe_max_w", I::PEmax, Range::Positive},
};

// The voice coil's models as the file names them, with each one's own
// terms; a plain Le has none beyond the driver's le_mh. The
// semi-inductance's le_mh is its own parallel Le.
struct CoilModelKeys {
    const char *name;
    InductanceModel model;
    std::vector<NumberKey> keys;
};
const std::vector<CoilModelKeys> CoilModelKeyTable = {
    {"le", InductanceModel::Plain, {}},
    {"le-r2-l2",
     InductanceModel::Lossy,
     {{"r2_ohm", I::CoilR2, Range::Positive}, {"l2_mh", I::CoilL2, Range::Positive}}},
    {"wright",
     InductanceModel::Wright,
     {{"krm", I::CoilKrm, Range::Positive},
      {"erm", I::CoilErm, Range::ZeroOrMore},
      {"kxm", I::CoilKxm, Range::Positive},
      {"exm", I::CoilExm, Range::ZeroOrMore}}},
    {"semi-inductance",
     InductanceModel::SemiInductance,
     {{"leb_mh", I::CoilLeb, Range::Positive},
      {"le_mh", I::CoilSemiLe, Range::Positive},
      {"rss_ohm", I::CoilRss, Range::Positive},
      {"ke", I::CoilKe, Range::Positive}}},
};
const CoilModelKeys &CoilKeysOf(InductanceModel model) {
    return CoilModelKeyTable[static_cast<size_t>(model)];
}
const NumberKey CreepKey = {"creep", I::Creep, Range::Any, false, Absent::Default, 0.0};

// A kind's number in the file as the reader and the writer take it: the
// losses are nullable (null: none) and the leakage defaults to 7; a counts
// is a whole number from one; a radiator's added mass defaults to none and
// its Xmax may be left out; every other figure is a positive number.
NumberKey FileKeyOf(const KindFileKey &k) {
    switch (k.input) {
    case I::LeakageQ:
        return {k.key, k.input, Range::Positive, true, Absent::Default, 7.0};
    case I::VentQ:
        return {k.key, k.input, Range::Positive, true, Absent::NotGiven};
    case I::RadiatorAddedMass:
        return {k.key, k.input, Range::ZeroOrMore, false, Absent::Default, 0.0};
    case I::RadiatorXmax:
        return {k.key, k.input, Range::Positive, true, Absent::NotGiven};
    case I::TlDriverAt:
    case I::ThFrontAt:
        return {k.key, k.input, Range::ZeroOrMore};
    case I::FlhThroatVolume:
        return {k.key, k.input, Range::ZeroOrMore, false, Absent::Default, 0.0};
    default:
        break;
    }
    if (DesignInputRow(k.input).quantity == Quantity::Count)
        return {k.key, k.input, Range::WholeFromOne};
    return {k.key, k.input, Range::Positive};
}

// A kind's keys in one object of the file ("" for the enclosure's own), in
// the order the writer puts them.
std::vector<NumberKey> KindKeys(const EnclosureKind &kind, const char *object) {
    std::vector<NumberKey> keys;
    for (const KindFileKey &k : kind.fileKeys)
        if (qstrcmp(k.object, object) == 0)
            keys.push_back(FileKeyOf(k));
    return keys;
}

constexpr const char *RadiatorObject = "radiator";

// The air keys, typed or as conditions.
constexpr const char *DensityKey = "density_kg_m3";
constexpr const char *SpeedKey = "sound_speed_m_s";
constexpr const char *TemperatureKey = "temperature_c";
constexpr const char *PressureKey = "pressure_pa";
constexpr const char *HumidityKey = "relative_humidity_percent";

struct Choice {
    const char *text;
    int value;
};
const std::vector<Choice> Mountings = {{"normal", int(Mounting::Normal)},
                                       {"isobaric", int(Mounting::Isobaric)}};
const std::vector<Choice> Wirings = {{"parallel", int(Wiring::Parallel)},
                                     {"series", int(Wiring::Series)},
                                     {"series-parallel", int(Wiring::SeriesParallel)}};

// A vent key of a set of vents with the set's prefix ("rear_vent_shape");
// the names live as long as the program, as every key's does.
const char *VentKeyName(BoxKind kind, VentSet set, const char *key) {
    static const std::map<std::string, std::string> names = [] {
        std::map<std::string, std::string> all;
        for (const char *prefix : {"", "rear_", "front_"})
            for (const char *k : {"vent_diameter_mm", "vent_shape", "vent_width_mm",
                                  "vent_height_mm", "vent_shared_walls", "vent_end_correction"})
                all[std::string(prefix) + k] = std::string(prefix) + k;
        return all;
    }();
    return names.at(std::string(VentKeyPrefix(kind, set)) + key).c_str();
}

// The sets of vents of a kind, in the order of its chambers.
std::vector<VentSet> VentSetsOf(const EnclosureKind &kind) {
    std::vector<VentSet> sets;
    for (const KindChamber &c : kind.chambers)
        if (c.vented())
            sets.push_back(c.vents);
    return sets;
}

// The end correction of each set of vents of a kind (version 2), after its
// keys of version 1: "vent_end_correction", or for a kind with rear vents
// "rear_vent_end_correction" and "front_vent_end_correction".
std::vector<NumberKey> EndCorrectionKeys(const EnclosureKind &kind) {
    std::vector<NumberKey> keys;
    for (VentSet set : VentSetsOf(kind))
        keys.push_back({VentKeyName(kind.kind, set, "vent_end_correction"),
                        set == VentSet::Rear ? I::RearVentEndCorrection : I::VentEndCorrection,
                        Range::Positive, false, Absent::Default,
                        acoustics::FlangedAndFreeEndCorrection});
    return keys;
}

// A line's or a horn's path (version 2): its segments, each a flare and its
// numbers, and its mouth. A hyperbolic-exponential segment adds its T, and
// any segment may add its fill.
const std::vector<Choice> Flares = {{"uniform", int(Flare::Uniform)},
                                    {"conical", int(Flare::Conical)},
                                    {"exponential", int(Flare::Exponential)},
                                    {"parabolic", int(Flare::Parabolic)},
                                    {"hyperbolic-exponential", int(Flare::HyperbolicExponential)}};
const std::vector<Choice> Mouths = {{"baffled-piston", int(Mouth::BaffledPiston)},
                                    {"open", int(Mouth::Open)}};
struct SegmentKey {
    NumberKey number; // its input is unused
    double PathSegment::*member;
};
const SegmentKey SegmentNumbers[] = {
    {{"length_cm", I::Count, Range::Positive}, &PathSegment::lengthCm},
    {{"start_area_cm2", I::Count, Range::Positive}, &PathSegment::startAreaCm2},
    {{"end_area_cm2", I::Count, Range::Positive}, &PathSegment::endAreaCm2},
};
const SegmentKey SegmentT = {{"t", I::Count, Range::Fraction}, &PathSegment::t};
const NumberKey FillKey = {"fill_resistivity_pa_s_m2", I::Count, Range::Positive};
constexpr const char *SegmentsKey = "segments";
constexpr const char *MouthKey = "mouth";
// A horn's chambers come before its path; a line's and a tapped horn's taps
// after it.
bool SegmentsBeforeNumbers(const EnclosureKind &kind) {
    return kind.kind != BoxKind::FrontLoadedHorn;
}

// Every vent of a vented kind as a duct (version 2).
constexpr const char *VentsAsDuctsKey = "vents_as_ducts";

// A set of vents' shape (version 2): "round", with the diameter of version
// 1, or "slot", with its width, height and the box walls it shares instead.
const std::vector<Choice> VentShapes = {{"round", 0}, {"slot", 1}};
struct VentShapeKeys {
    VentSet set;
    const char *shape;
    const char *diameter;
    std::vector<NumberKey> slot;
};
std::vector<VentShapeKeys> ShapeKeysOf(const EnclosureKind &kind) {
    std::vector<VentShapeKeys> all;
    for (VentSet set : VentSetsOf(kind)) {
        const VentSetMembers &m = MembersOf(set);
        const auto key = [&](const char *k) { return VentKeyName(kind.kind, set, k); };
        all.push_back({set,
                       key("vent_shape"),
                       key("vent_diameter_mm"),
                       {{key("vent_width_mm"), m.slotWidth, Range::Positive},
                        {key("vent_height_mm"), m.slotHeight, Range::Positive},
                        {key("vent_shared_walls"), m.walls, Range::SharedWalls, false,
                         Absent::Default, 0.0}}});
    }
    return all;
}

// A dual-coil driver's keys (version 2).
const std::vector<Choice> CoilsGivenFors = {{"one-coil", int(CoilsGivenFor::OneCoil)},
                                            {"series", int(CoilsGivenFor::Series)},
                                            {"parallel", int(CoilsGivenFor::Parallel)}};
const std::vector<Choice> CoilJoins = {{"series", int(CoilJoin::Series)},
                                       {"parallel", int(CoilJoin::Parallel)},
                                       {"one-coil", int(CoilJoin::OneCoil)}};
const std::vector<Choice> UnitSystems = {{"metric", int(UnitSystem::Metric)},
                                         {"us", int(UnitSystem::Us)}};
constexpr int FirstVersion = 1;

// The version a design is written in: the first, unless it uses what only
// the second holds, so that every design of the first re-saves byte for byte.
int VersionFor(const DesignSetup &setup) {
    bool ownEndCorrection = false;
    for (const NumberKey &k : EndCorrectionKeys(KindOf(setup.enclosure.kind)))
        ownEndCorrection =
            ownEndCorrection || InputValue(setup, DesignInputRow(k.input)) != k.byDefault;
    bool slotVents = false;
    for (VentSet set : VentSetsOf(KindOf(setup.enclosure.kind)))
        slotVents = slotVents || IsSlot(setup.enclosure, set);
    const bool creeps = setup.driver.creep != CreepKey.byDefault;
    return setup.driver.coils.dual() || setup.units != UnitSystem::Metric ||
                   setup.driver.voiceCoil.model != InductanceModel::Plain || creeps ||
                   setup.construction.given() || ownEndCorrection || slotVents ||
                   setup.enclosure.ventsAsDucts ||
                   KindOf(setup.enclosure.kind).helper == KindHelper::Path
               ? SetupFileVersion
               : FirstVersion;
}

const char *choiceText(const std::vector<Choice> &choices, int value) {
    for (const Choice &c : choices)
        if (c.value == value)
            return c.text;
    return choices.front().text;
}

// "\"a\", \"b\" or \"c\"".
QString choiceList(const QStringList &texts) {
    QStringList quoted;
    for (const QString &t : texts)
        quoted << QLatin1Char('"') + t + QLatin1Char('"');
    if (quoted.size() == 1)
        return quoted.front();
    return QStringList(quoted.mid(0, quoted.size() - 1)).join(QStringLiteral(", ")) +
           QStringLiteral(" or ") + quoted.back();
}

// The choices of an enumeration the model names, in its order:
// FilterTypeName, FilterAlignmentName, SpaceKindName.
template <class Enum> std::vector<Choice> namedChoices(int count, const char *(*name)(Enum)) {
    std::vector<Choice> choices;
    for (int i = 0; i < count; ++i)
        choices.push_back({name(Enum(i)), i});
    return choices;
}
const std::vector<Choice> FilterTypes = namedChoices(FilterTypeCount, &FilterTypeName);
const std::vector<Choice> FilterAlignments =
    namedChoices(FilterAlignmentCount, &FilterAlignmentName);
const std::vector<Choice> SpaceKinds = namedChoices(SpaceKindCount, &SpaceKindName);

// The amplifier's limits: each a positive number, or null (or absent) when
// not given.
const std::vector<NumberKey> AmplifierKeys = {
    {"rated_power_w", I::AmpRatedPower, Range::Positive, true, Absent::NotGiven},
    {"rated_load_ohm", I::AmpRatedLoad, Range::Positive, true, Absent::NotGiven},
    {"current_limit_a", I::AmpCurrentLimit, Range::Positive, true, Absent::NotGiven},
};

// A number of a filter and the member of FilterStage it fills. Filters are
// not rows of the table of inputs: the number is read as any number of its
// range, and FilterFault judges the filter as a whole.
struct FilterKey {
    NumberKey number; // its input is unused
    double FilterStage::*member;
};

FilterKey filterKey(const char *key, double FilterStage::*member, Range range,
                    std::optional<double> byDefault = std::nullopt) {
    return {{key, I::Count, range, false, byDefault ? Absent::Default : Absent::Refused,
             byDefault.value_or(0.0)},
            member};
}

const NumberKey FilterOrderKey = {"order", I::Count, Range::FilterOrder};

bool isPassFilter(FilterType type) {
    return type == FilterType::HighPass || type == FilterType::LowPass;
}

// The numbers a filter of this type (and alignment) has, in the order the
// writer puts them; a high-pass or low-pass filter has its alignment and
// order before them.
std::vector<FilterKey> filterKeys(const FilterStage &f) {
    const FilterKey frequency =
        filterKey("frequency_hz", &FilterStage::frequencyHz, Range::Positive);
    const FilterKey q = filterKey("q", &FilterStage::q, Range::Positive);
    const FilterKey gain = filterKey("gain_db", &FilterStage::gainDb, Range::Any);
    switch (f.type) {
    case FilterType::HighPass:
    case FilterType::LowPass:
        if (f.alignment == FilterAlignment::Q)
            return {frequency, q};
        return {frequency};
    case FilterType::LinkwitzTransform:
        return {filterKey("f0_hz", &FilterStage::frequencyHz, Range::Positive),
                filterKey("q0", &FilterStage::q, Range::Positive),
                filterKey("fp_hz", &FilterStage::fpHz, Range::Positive),
                filterKey("qp", &FilterStage::qp, Range::Positive)};
    case FilterType::Peaking:
        return {frequency, q, gain};
    case FilterType::LowShelf:
    case FilterType::HighShelf:
        return {frequency,
                filterKey("q", &FilterStage::q, Range::Positive, FilterStage::DefaultShelfQ), gain};
    case FilterType::Gain:
        return {gain};
    }
    return {};
}

// A car's cabin: its corner typed, or following from its length; then the
// slope and the most gain.
const NumberKey CabinCornerKey = {"corner_hz", I::CabinCorner, Range::Positive};
const NumberKey CabinLengthKey = {"cabin_length_m", I::CabinLength, Range::Positive};
std::vector<NumberKey> cabinKeys(bool cornerFromLength) {
    return {cornerFromLength ? CabinLengthKey : CabinCornerKey,
            {"slope_db_per_octave", I::CabinSlope, Range::Positive},
            {"max_gain_db", I::CabinMaxGain, Range::Positive, false, Absent::Default,
             CabinParameters::DefaultMaxGainDb}};
}

// A room: its size and reverberation, then the box's and the listener's
// points, each an array [x, y, z].
const std::vector<NumberKey> RoomKeys = {
    {"length_m", I::RoomLength, Range::Positive},
    {"width_m", I::RoomWidth, Range::Positive},
    {"height_m", I::RoomHeight, Range::Positive},
    {"reverberation_s", I::RoomReverberation, Range::Positive},
};
struct PointKey {
    const char *key;
    std::array<ModelInput, 3> inputs;
};
const PointKey RoomPoints[] = {
    {"source_m", {I::SourceX, I::SourceY, I::SourceZ}},
    {"listener_m", {I::ListenerX, I::ListenerY, I::ListenerZ}},
};
NumberKey pointKey(const PointKey &p, size_t axis) {
    return {p.key, p.inputs[axis], Range::ZeroOrMore};
}

// How the box is built (version 2): its outside as [width, height, depth],
// one of them null when solved for the design's volume, then the walls and
// what displaces air inside.
constexpr const char *OutsideKey = "outside_mm";
const std::array<ModelInput, 3> OutsideInputs = {I::OutsideWidth, I::OutsideHeight,
                                                 I::OutsideDepth};
NumberKey outsideKey(size_t axis) {
    return {OutsideKey, OutsideInputs[axis], Range::Positive, true};
}
const std::vector<NumberKey> ConstructionKeys = {
    {"wall_mm", I::WallThickness, Range::Positive},
    {"driver_displacement_l", I::DriverDisplacement, Range::ZeroOrMore, false, Absent::Default},
    {"bracing_l", I::Bracing, Range::ZeroOrMore, false, Absent::Default},
};

// A sentence of the model as the reason of a refusal, in the file's style:
// "The box must stand inside the room." gives "the box must stand inside the
// room".
QString asReason(QString sentence) {
    if (sentence.endsWith(QLatin1Char('.')))
        sentence.chop(1);
    if (!sentence.isEmpty())
        sentence[0] = sentence[0].toLower();
    return sentence;
}

// Why a constraint of the drivers' arrangement fails, empty when it holds.
QString arrangementFault(const DriverArrangement &d) {
    if (d.count < 1 || d.count > MaxDrivers)
        return QStringLiteral("must be a whole number from 1 to 8");
    if (d.mounting == Mounting::Isobaric && d.count % 2 != 0)
        return QStringLiteral("must be even for isobaric mounting");
    if (d.wiring == Wiring::SeriesParallel && (d.count % 2 != 0 || d.count < 4))
        return QStringLiteral("must be even and at least 4 for series-parallel wiring");
    return QString();
}

// Why air conditions give no air, empty when they do.
QString conditionsFault(const AirProperties &air) {
    if (!(std::isfinite(air.density) && air.density > 0.0 && std::isfinite(air.soundSpeed) &&
          air.soundSpeed > 0.0))
        return QStringLiteral("these conditions give no positive air density");
    return QString();
}

// ---------------------------------------------------------------------------
// Reading

// The JSON type of a value, as a refusal says it.
QString typeName(const QJsonValue &v) {
    switch (v.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("a string");
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

// An object of the file and where it is: "enclosure.radiator".
struct Section {
    QString path;
    QJsonObject object;

    QString keyPath(const QString &key) const {
        return path.isEmpty() ? key : path + QLatin1Char('.') + key;
    }
    bool has(const char *key) const { return object.contains(QLatin1String(key)); }
    QJsonValue value(const char *key) const { return object.value(QLatin1String(key)); }
};

// The key path of the first key an object of the document gives twice, or
// nothing. QJsonObject keeps only the last of them, so the text itself is
// scanned; it is valid JSON already, and its nesting is bounded by the
// parser's limit.
std::optional<QString> repeatedKey(const QByteArray &json) {
    struct Level {
        bool object;
        QString path;
        QSet<QString> keys;
        bool expectKey = true; // in an object: the next string is a key
        QString lastKey;
        int index = 0; // in an array: the element now read
    };
    std::vector<Level> levels;
    const auto childPath = [&levels]() {
        if (levels.empty())
            return QString();
        const Level &l = levels.back();
        if (l.object)
            return l.path.isEmpty() ? l.lastKey : l.path + QLatin1Char('.') + l.lastKey;
        return l.path + QLatin1Char('[') + QString::number(l.index) + QLatin1Char(']');
    };
    const qsizetype n = json.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = json[i];
        if (c == '{' || c == '[') {
            levels.push_back({c == '{', childPath(), {}, true, {}, 0});
        } else if (c == '}' || c == ']') {
            levels.pop_back();
        } else if (c == ',' && !levels.empty()) {
            levels.back().expectKey = true;
            ++levels.back().index;
        } else if (c == ':' && !levels.empty()) {
            levels.back().expectKey = false;
        } else if (c == '"') {
            const qsizetype start = i;
            bool escaped = false;
            for (++i; i < n && json[i] != '"'; ++i)
                if (json[i] == '\\') {
                    escaped = true;
                    ++i;
                }
            if (levels.empty() || !levels.back().object || !levels.back().expectKey)
                continue;
            const QByteArray token = json.mid(start, i - start + 1);
            const QString key =
                escaped ? QJsonDocument::fromJson("[" + token + "]").array().at(0).toString()
                        : QString::fromUtf8(token.mid(1, token.size() - 2));
            Level &l = levels.back();
            l.lastKey = key;
            if (l.keys.contains(key))
                return childPath();
            l.keys.insert(key);
        }
    }
    return std::nullopt;
}

class SetupReader {
public:
    explicit SetupReader(QString prefix) : prefix_(std::move(prefix)) {}

    DesignSetup read(const QByteArray &json) const {
        const Section top{QString(), document(json)};
        version_ = checkFormat(top);
        if (const std::optional<QString> twice = repeatedKey(json))
            refuse(*twice, QStringLiteral("is given twice"));
        checkKeys(top, {"format", "version", "label", "air", "driver", "drivers", "enclosure",
                        "drive", "amplifier", "filters", "environment", "units", "construction"});
        checkSecondVersionKey(top, "units");
        checkSecondVersionKey(top, "construction");
        DesignSetup setup;
        setup.label = text(top, "label", true);
        if (top.has("air"))
            setup.air = air(section(top, "air"));
        driver(section(top, "driver", true), setup);
        if (top.has("drivers"))
            setup.drivers = arrangement(section(top, "drivers"), setup.driver.coils);
        enclosure(section(top, "enclosure", true), setup);
        drive(section(top, "drive", true), setup);
        if (top.has("amplifier"))
            amplifier(section(top, "amplifier"), setup);
        if (top.has("filters"))
            setup.filters = filters(top.value("filters"));
        if (top.has("environment"))
            environment(section(top, "environment"), setup);
        setup.units = UnitSystem(choice(top, "units", UnitSystems, int(setup.units)));
        if (top.has("construction"))
            construction(section(top, "construction"), setup);
        return setup;
    }

private:
    [[noreturn]] void refuse(const QString &why) const { throw DravikError(prefix_ + why); }
    [[noreturn]] void refuse(const QString &path, const QString &why) const {
        refuse(path + QStringLiteral(": ") + why);
    }

    QJsonObject document(const QByteArray &json) const {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
        if (error.error != QJsonParseError::NoError)
            refuse(QStringLiteral("it is not valid JSON (") + error.errorString() +
                   QStringLiteral(" at ") + where(json, error.offset) + QLatin1Char(')'));
        if (!doc.isObject())
            refuse(QStringLiteral("it is not one JSON object"));
        return doc.object();
    }

    // "line 3, column 14 (byte 52)" of a byte offset.
    static QString where(const QByteArray &json, qsizetype offset) {
        offset = std::clamp<qsizetype>(offset, 0, json.size());
        const QByteArray before = json.left(offset);
        const qsizetype line = before.count('\n') + 1;
        const qsizetype column = offset - (before.lastIndexOf('\n') + 1) + 1;
        return QStringLiteral("line %1, column %2 (byte %3)").arg(line).arg(column).arg(offset);
    }

    // The file's version, 1 or 2.
    int checkFormat(const Section &top) const {
        const QJsonValue format = top.value("format");
        if (format.isUndefined())
            refuse(QStringLiteral("format"), QStringLiteral("is missing"));
        if (format.toString() != QLatin1String(SetupFileFormat) || !format.isString())
            refuse(QStringLiteral("format"), QStringLiteral("must be \"") +
                                                 QLatin1String(SetupFileFormat) +
                                                 QStringLiteral("\": this is not a design setup"));
        const QJsonValue version = top.value("version");
        if (version.isUndefined())
            refuse(QStringLiteral("version"), QStringLiteral("is missing"));
        if (!version.isDouble())
            refuse(QStringLiteral("version"),
                   QStringLiteral("must be a number, not ") + typeName(version));
        const double v = version.toDouble();
        if (v > SetupFileVersion)
            refuse(QStringLiteral("version"),
                   QStringLiteral("this program reads versions 1 and 2; this file is version ") +
                       QString::number(v, 'g', 12));
        if (v != FirstVersion && v != SetupFileVersion)
            refuse(QStringLiteral("version"), QStringLiteral("must be 1 or 2"));
        return static_cast<int>(v);
    }

    // A key only version 2 knows, in a file of version 1: refused rather
    // than read into a design that would then save as another version.
    void checkSecondVersionKey(const Section &s, const char *key) const {
        if (s.has(key) && version_ < SetupFileVersion)
            refuse(s.keyPath(QLatin1String(key)),
                   QStringLiteral("is a key of version 2; this file is version 1"));
    }

    // Refuses the first key (in sorted order) that is not one of `known`.
    void checkKeys(const Section &s, std::initializer_list<const char *> known,
                   const QString &of = QString()) const {
        std::vector<const char *> list(known);
        checkKeys(s, list, of);
    }
    void checkKeys(const Section &s, const std::vector<const char *> &known,
                   const QString &of = QString()) const {
        for (auto it = s.object.begin(); it != s.object.end(); ++it) {
            bool found = false;
            for (const char *k : known)
                found = found || it.key() == QLatin1String(k);
            if (!found)
                refuse(s.keyPath(it.key()), QStringLiteral("is an unknown key") + of);
        }
    }

    Section section(const Section &parent, const char *key, bool required = false) const {
        const QJsonValue v = parent.value(key);
        const QString path = parent.keyPath(QLatin1String(key));
        if (v.isUndefined() && required)
            refuse(path, QStringLiteral("is missing"));
        if (!v.isObject())
            refuse(path, QStringLiteral("must be an object, not ") + typeName(v));
        return {path, v.toObject()};
    }

    QString text(const Section &s, const char *key, bool optional = false) const {
        const QJsonValue v = s.value(key);
        if (v.isUndefined() && optional)
            return QString();
        if (v.isUndefined())
            refuse(s.keyPath(QLatin1String(key)), QStringLiteral("is missing"));
        if (!v.isString())
            refuse(s.keyPath(QLatin1String(key)),
                   QStringLiteral("must be a string, not ") + typeName(v));
        return v.toString();
    }

    // One of the choices' texts; absent, the default, or refused without one.
    int choice(const Section &s, const char *key, const std::vector<Choice> &choices,
               std::optional<int> byDefault) const {
        const QJsonValue v = s.value(key);
        if (v.isUndefined() && !byDefault)
            refuse(s.keyPath(QLatin1String(key)), QStringLiteral("is missing"));
        if (v.isUndefined())
            return *byDefault;
        QStringList texts;
        for (const Choice &c : choices) {
            if (v.isString() && v.toString() == QLatin1String(c.text))
                return c.value;
            texts << QLatin1String(c.text);
        }
        refuse(s.keyPath(QLatin1String(key)), QStringLiteral("must be ") + choiceList(texts));
    }

    bool flag(const Section &s, const char *key, bool byDefault) const {
        const QJsonValue v = s.value(key);
        if (v.isUndefined())
            return byDefault;
        if (!v.isBool())
            refuse(s.keyPath(QLatin1String(key)),
                   QStringLiteral("must be true or false, not ") + typeName(v));
        return v.toBool();
    }

    std::optional<double> number(const Section &s, const NumberKey &k) const {
        const QJsonValue v = s.value(k.key);
        const QString path = s.keyPath(QLatin1String(k.key));
        if (v.isUndefined()) {
            if (k.absent == Absent::Refused)
                refuse(path, QStringLiteral("is missing"));
            if (k.absent == Absent::NotGiven)
                return std::nullopt;
            return k.byDefault;
        }
        return number(path, v, k);
    }

    // A value that is there, at `path`, as the number key `k` takes it.
    std::optional<double> number(const QString &path, const QJsonValue &v,
                                 const NumberKey &k) const {
        const QString wanted =
            rangePhrase(k.range) + (k.nullable ? QStringLiteral(" or null") : QString());
        if (v.isNull() && k.nullable)
            return std::nullopt;
        if (!v.isDouble())
            refuse(path,
                   QStringLiteral("must be ") + wanted + QStringLiteral(", not ") + typeName(v));
        const std::optional<double> x = atFilePrecision(v.toDouble(), 0);
        if (!x || !inRange(k.range, *x))
            refuse(path, QStringLiteral("must be ") + wanted);
        const std::optional<double> member = atFilePrecision(*x, -k.shift);
        if (!member || filedNumber(k, *member) != x)
            refuse(path, QStringLiteral("must be ") + rangePhrase(k.range) +
                             QStringLiteral(" that keeps its 10 significant digits in the "
                                            "design's own unit"));
        return member;
    }

    void numbers(const Section &s, const std::vector<NumberKey> &keys, DesignSetup &setup) const {
        for (const NumberKey &k : keys)
            DesignInputRow(k.input).member(setup) = number(s, k);
    }

    static std::vector<const char *> keyNames(const std::vector<NumberKey> &keys) {
        std::vector<const char *> names;
        for (const NumberKey &k : keys)
            names.push_back(k.key);
        return names;
    }

    double airNumber(const Section &s, const char *key, Range range) const {
        return *number(s, NumberKey{key, I::Count, range});
    }

    AirProperties air(const Section &s) const {
        checkKeys(s, {DensityKey, SpeedKey, TemperatureKey, PressureKey, HumidityKey});
        const bool typed = s.has(DensityKey) || s.has(SpeedKey);
        const bool conditions = s.has(TemperatureKey) || s.has(PressureKey) || s.has(HumidityKey);
        if (typed && conditions)
            refuse(s.path, QStringLiteral("give either density_kg_m3 and sound_speed_m_s or the "
                                          "conditions, not both"));
        if (!conditions) {
            AirProperties air;
            air.density = airNumber(s, DensityKey, Range::Positive);
            air.soundSpeed = airNumber(s, SpeedKey, Range::Positive);
            return air;
        }
        AirConditions c;
        c.temperatureC = airNumber(s, TemperatureKey, Range::Temperature);
        c.pressurePa = airNumber(s, PressureKey, Range::Positive);
        c.relativeHumidityPercent = airNumber(s, HumidityKey, Range::Percent);
        const AirProperties air = AirFromConditions(c);
        const QString fault = conditionsFault(air);
        if (!fault.isEmpty())
            refuse(s.path, fault);
        return air;
    }

    void driver(const Section &s, DesignSetup &setup) const {
        std::vector<const char *> known = keyNames(DriverKeys);
        known.insert(known.begin(), {"manufacturer", "model"});
        known.insert(known.end(), {"coils", "voice_coil", "creep"});
        checkKeys(s, known);
        for (const char *key : {"coils", "voice_coil", "creep"})
            checkSecondVersionKey(s, key);
        setup.manufacturer = text(s, "manufacturer");
        setup.model = text(s, "model");
        numbers(s, DriverKeys, setup);
        if (!setup.driver.qts && !setup.driver.qms)
            refuse(s.keyPath(QStringLiteral("qms")),
                   QStringLiteral("may be null only when qts is given"));
        if (s.has("coils"))
            setup.driver.coils = coils(section(s, "coils"));
        if (s.has("voice_coil"))
            voiceCoil(section(s, "voice_coil"), setup);
        setup.driver.creep = number(s, CreepKey);
        if (!HasSeriesLe(setup.driver.voiceCoil.model) && setup.driver.leMh != 0.0)
            refuse(s.keyPath(QStringLiteral("le_mh")),
                   QStringLiteral("must be 0 with the \"%1\" voice coil (driver.voice_coil)")
                       .arg(QLatin1String(CoilKeysOf(setup.driver.voiceCoil.model).name)));
    }

    // The coil's model and its own terms.
    void voiceCoil(const Section &s, DesignSetup &setup) const {
        std::vector<Choice> models;
        for (const CoilModelKeys &m : CoilModelKeyTable)
            models.push_back({m.name, int(m.model)});
        const auto model = InductanceModel(choice(s, "model", models, std::nullopt));
        const CoilModelKeys &keys = CoilKeysOf(model);
        std::vector<const char *> known = keyNames(keys.keys);
        known.insert(known.begin(), "model");
        checkKeys(s, known, QStringLiteral(" of the \"%1\" model").arg(QLatin1String(keys.name)));
        setup.driver.voiceCoil.model = model;
        numbers(s, keys.keys, setup);
    }

    // One coil, or two with the wiring the driver's figures are given for.
    VoiceCoils coils(const Section &s) const {
        checkKeys(s, {"count", "parameters_for"});
        VoiceCoils c;
        const QJsonValue count = s.value("count");
        if (!count.isDouble() || (count.toDouble() != 1.0 && count.toDouble() != 2.0))
            refuse(s.keyPath(QStringLiteral("count")), QStringLiteral("must be 1 or 2"));
        c.count = count.toInt();
        const std::optional<int> oneCoil = int(CoilsGivenFor::OneCoil);
        c.givenFor = CoilsGivenFor(
            choice(s, "parameters_for", CoilsGivenFors, c.dual() ? std::nullopt : oneCoil));
        if (!c.dual() && c.givenFor != CoilsGivenFor::OneCoil)
            refuse(s.keyPath(QStringLiteral("parameters_for")),
                   QStringLiteral("must be \"one-coil\" for a driver of one coil"));
        return c;
    }

    DriverArrangement arrangement(const Section &s, const VoiceCoils &coils) const {
        checkKeys(s, {"count", "mounting", "wiring", "coil_wiring"});
        checkSecondVersionKey(s, "coil_wiring");
        if (s.has("coil_wiring") && !coils.dual())
            refuse(s.keyPath(QStringLiteral("coil_wiring")),
                   QStringLiteral("is only for drivers of two coils (driver.coils)"));
        DriverArrangement d;
        const QString countPath = s.keyPath(QStringLiteral("count"));
        const QJsonValue count = s.value("count");
        if (!count.isUndefined()) {
            const double n = count.toDouble(0.0);
            if (!count.isDouble() || !(n >= 1.0 && n <= MaxDrivers && n == std::floor(n)))
                refuse(countPath, QStringLiteral("must be a whole number from 1 to 8"));
            d.count = static_cast<int>(n);
        }
        d.mounting = Mounting(choice(s, "mounting", Mountings, int(d.mounting)));
        d.wiring = Wiring(choice(s, "wiring", Wirings, int(d.wiring)));
        d.coilJoin = CoilJoin(choice(s, "coil_wiring", CoilJoins, int(d.coilJoin)));
        const QString fault = arrangementFault(d);
        if (!fault.isEmpty())
            refuse(countPath, fault);
        return d;
    }

    void enclosure(const Section &s, DesignSetup &setup) const {
        const QJsonValue kindValue = s.value("kind");
        QStringList names;
        const EnclosureKind *kind = nullptr;
        for (const EnclosureKind &k : EnclosureKinds()) {
            names << QLatin1String(k.setupName);
            if (kindValue.isString() && kindValue.toString() == QLatin1String(k.setupName))
                kind = &k;
        }
        if (kindValue.isUndefined())
            refuse(s.keyPath(QStringLiteral("kind")), QStringLiteral("is missing"));
        if (!kind)
            refuse(s.keyPath(QStringLiteral("kind")),
                   QStringLiteral("must be ") + choiceList(names));
        std::vector<NumberKey> keys = KindKeys(*kind, "");
        const std::vector<NumberKey> radiatorKeys = KindKeys(*kind, RadiatorObject);
        const std::vector<NumberKey> endCorrections = EndCorrectionKeys(*kind);
        const std::vector<VentShapeKeys> shapes = ShapeKeysOf(*kind);
        std::vector<const char *> known = keyNames(keys);
        for (const NumberKey &k : endCorrections)
            known.push_back(k.key);
        for (const VentShapeKeys &shape : shapes) {
            known.push_back(shape.shape);
            for (const NumberKey &k : shape.slot)
                known.push_back(k.key);
        }
        known.insert(known.begin(), "kind");
        if (kind->hasVentLoss)
            known.push_back(VentsAsDuctsKey);
        const bool path = kind->helper == KindHelper::Path;
        if (path) {
            if (version_ < SetupFileVersion)
                refuse(s.keyPath(QStringLiteral("kind")),
                       QStringLiteral("\"") + QLatin1String(kind->setupName) +
                           QStringLiteral("\" is a kind of version 2; this file is version 1"));
            known.insert(known.end(), {SegmentsKey, MouthKey});
        }
        const bool radiator = !radiatorKeys.empty();
        if (radiator)
            known.push_back(RadiatorObject);
        const QString of = QStringLiteral(" for a \"") + QLatin1String(kind->setupName) +
                           QStringLiteral("\" enclosure");
        checkKeys(s, known, of);
        setup.enclosure = BoxParameters();
        setup.enclosure.kind = kind->kind;
        for (const NumberKey &k : endCorrections)
            checkSecondVersionKey(s, k.key);
        std::vector<NumberKey> slotKeys;
        for (const VentShapeKeys &shape : shapes) {
            checkSecondVersionKey(s, shape.shape);
            for (const NumberKey &k : shape.slot)
                checkSecondVersionKey(s, k.key);
            if (choice(s, shape.shape, VentShapes, 0) == 0) {
                for (const NumberKey &k : shape.slot)
                    if (s.has(k.key))
                        refuse(s.keyPath(QLatin1String(k.key)),
                               QStringLiteral("is for a slot vent; give ") +
                                   QLatin1String(shape.shape) + QStringLiteral(": \"slot\""));
                continue;
            }
            if (s.has(shape.diameter))
                refuse(s.keyPath(QLatin1String(shape.diameter)),
                       QStringLiteral("is for round vents; a slot takes its width and height"));
            keys.erase(std::remove_if(
                           keys.begin(), keys.end(),
                           [&](const NumberKey &k) { return qstrcmp(k.key, shape.diameter) == 0; }),
                       keys.end());
            slotKeys.insert(slotKeys.end(), shape.slot.begin(), shape.slot.end());
        }
        numbers(s, keys, setup);
        checkSecondVersionKey(s, VentsAsDuctsKey);
        if (version_ >= SetupFileVersion) {
            numbers(s, slotKeys, setup);
            numbers(s, endCorrections, setup);
            setup.enclosure.ventsAsDucts = flag(s, VentsAsDuctsKey, false);
        }
        SetSlotVentDiameters(setup.enclosure);
        if (radiator) {
            const Section r = section(s, RadiatorObject, true);
            checkKeys(r, keyNames(radiatorKeys));
            numbers(r, radiatorKeys, setup);
        }
        if (path) {
            setup.enclosure.segments = segments(s);
            setup.enclosure.mouth = Mouth(choice(s, MouthKey, Mouths, int(Mouth::BaffledPiston)));
            if (const QString fault = PathFault(setup.enclosure); !fault.isEmpty())
                refuse(fault);
        }
    }

    std::vector<PathSegment> segments(const Section &s) const {
        const QString path = s.keyPath(QLatin1String(SegmentsKey));
        const QJsonValue v = s.value(SegmentsKey);
        if (v.isUndefined())
            refuse(path, QStringLiteral("is missing"));
        if (!v.isArray())
            refuse(path, QStringLiteral("must be an array, not ") + typeName(v));
        const QJsonArray list = v.toArray();
        if (list.isEmpty() || list.size() > MostPathSegments)
            refuse(path, QStringLiteral("must hold 1 to %1 segments, not %2")
                             .arg(MostPathSegments)
                             .arg(list.size()));
        std::vector<PathSegment> all;
        for (int i = 0; i < int(list.size()); ++i) {
            const QString at = path + QLatin1Char('[') + QString::number(i) + QLatin1Char(']');
            const QJsonValue item = list.at(i);
            if (!item.isObject())
                refuse(at, QStringLiteral("must be an object, not ") + typeName(item));
            all.push_back(segment({at, item.toObject()}));
        }
        return all;
    }

    PathSegment segment(const Section &s) const {
        PathSegment segment;
        segment.flare = Flare(choice(s, "flare", Flares, std::nullopt));
        const bool hyperbolic = segment.flare == Flare::HyperbolicExponential;
        std::vector<const char *> known = {"flare", FillKey.key};
        for (const SegmentKey &k : SegmentNumbers)
            known.push_back(k.number.key);
        if (hyperbolic)
            known.push_back(SegmentT.number.key);
        checkKeys(s, known,
                  QStringLiteral(" for a \"") + QLatin1String(Flares[size_t(segment.flare)].text) +
                      QStringLiteral("\" segment"));
        for (const SegmentKey &k : SegmentNumbers)
            segment.*k.member = *number(s, k.number);
        if (hyperbolic)
            segment.t = *number(s, SegmentT.number);
        if (s.has(FillKey.key))
            segment.fillResistivity = number(s, FillKey);
        return segment;
    }

    void drive(const Section &s, DesignSetup &setup) const {
        checkKeys(s, {"power_w", "voltage_v", "source_resistance_ohm"});
        const bool power = s.has("power_w");
        const bool voltage = s.has("voltage_v");
        if (power && voltage)
            refuse(s.keyPath(QStringLiteral("voltage_v")),
                   QStringLiteral("cannot be given together with power_w"));
        if (!power && !voltage)
            refuse(s.keyPath(QStringLiteral("power_w")),
                   QStringLiteral("is missing (give power_w or voltage_v)"));
        setup.drive = DriveParameters();
        setup.drive.given = power ? DriveParameters::Given::Power : DriveParameters::Given::Voltage;
        const NumberKey given = power ? NumberKey{"power_w", I::Power, Range::Positive}
                                      : NumberKey{"voltage_v", I::Voltage, Range::Positive};
        numbers(s,
                {given,
                 {"source_resistance_ohm", I::SourceResistance, Range::ZeroOrMore, false,
                  Absent::Default, 0.0}},
                setup);
    }

    void amplifier(const Section &s, DesignSetup &setup) const {
        checkKeys(s, keyNames(AmplifierKeys));
        numbers(s, AmplifierKeys, setup);
        // The rating is a pair: the power alone, or the load alone, says nothing.
        const AmplifierParameters &a = setup.amplifier;
        if (a.ratedPowerW && !a.ratedLoadOhm)
            refuse(s.keyPath(QStringLiteral("rated_load_ohm")),
                   QStringLiteral("must be given with rated_power_w"));
        if (a.ratedLoadOhm && !a.ratedPowerW)
            refuse(s.keyPath(QStringLiteral("rated_power_w")),
                   QStringLiteral("must be given with rated_load_ohm"));
    }

    std::vector<FilterStage> filters(const QJsonValue &v) const {
        const QString path = QStringLiteral("filters");
        if (!v.isArray())
            refuse(path, QStringLiteral("must be an array, not ") + typeName(v));
        const QJsonArray list = v.toArray();
        if (list.size() > MaxFilters)
            refuse(path, QStringLiteral("must hold at most %1 filters, not %2")
                             .arg(MaxFilters)
                             .arg(list.size()));
        std::vector<FilterStage> chain;
        for (int i = 0; i < int(list.size()); ++i) {
            const QString at = path + QLatin1Char('[') + QString::number(i) + QLatin1Char(']');
            const QJsonValue f = list.at(i);
            if (!f.isObject())
                refuse(at, QStringLiteral("must be an object, not ") + typeName(f));
            chain.push_back(filter({at, f.toObject()}, i + 1));
        }
        return chain;
    }

    // The filter at `position` of the chain, counted from 1.
    FilterStage filter(const Section &s, int position) const {
        FilterStage f;
        f.type = FilterType(choice(s, "type", FilterTypes, std::nullopt));
        std::vector<const char *> known = {"type"};
        QString of = QStringLiteral(" for a \"") + QLatin1String(FilterTypeName(f.type)) +
                     QStringLiteral("\" filter");
        const bool pass = isPassFilter(f.type);
        if (pass) {
            f.alignment = FilterAlignment(choice(s, "alignment", FilterAlignments, std::nullopt));
            known.insert(known.end(), {"alignment", FilterOrderKey.key});
            of += QStringLiteral(" of alignment \"") +
                  QLatin1String(FilterAlignmentName(f.alignment)) + QLatin1Char('"');
        }
        const std::vector<FilterKey> keys = filterKeys(f);
        for (const FilterKey &k : keys)
            known.push_back(k.number.key);
        known.push_back("enabled");
        checkKeys(s, known, of);
        if (pass)
            f.order = static_cast<int>(*number(s, FilterOrderKey));
        for (const FilterKey &k : keys)
            f.*k.member = *number(s, k.number);
        f.enabled = flag(s, "enabled", true);
        if (const std::optional<QString> fault = FilterFault(f, position)) {
            // The key path names the filter already.
            QString why = *fault;
            const QString lead = QStringLiteral("Filter %1: ").arg(position);
            if (why.startsWith(lead))
                why.remove(0, lead.size());
            refuse(s.path, asReason(why));
        }
        return f;
    }

    void environment(const Section &s, DesignSetup &setup) const {
        ListeningSpace &space = setup.environment;
        space = ListeningSpace();
        space.kind = SpaceKind(choice(s, "kind", SpaceKinds, std::nullopt));
        const QString of = QStringLiteral(" for a \"") + QLatin1String(SpaceKindName(space.kind)) +
                           QStringLiteral("\" environment");
        if (space.kind == SpaceKind::Car) {
            checkKeys(s,
                      {"kind", CabinCornerKey.key, CabinLengthKey.key, "slope_db_per_octave",
                       "max_gain_db"},
                      of);
            const bool length = s.has(CabinLengthKey.key);
            if (length && s.has(CabinCornerKey.key))
                refuse(s.keyPath(QLatin1String(CabinLengthKey.key)),
                       QStringLiteral("cannot be given together with corner_hz"));
            if (!length && !s.has(CabinCornerKey.key))
                refuse(s.keyPath(QLatin1String(CabinCornerKey.key)),
                       QStringLiteral("is missing (give corner_hz or cabin_length_m)"));
            space.cabin.cornerFromLength = length;
            numbers(s, cabinKeys(length), setup);
        } else if (space.kind == SpaceKind::Room) {
            std::vector<const char *> known = keyNames(RoomKeys);
            known.insert(known.begin(), "kind");
            for (const PointKey &p : RoomPoints)
                known.push_back(p.key);
            checkKeys(s, known, of);
            numbers(s, RoomKeys, setup);
            for (const PointKey &p : RoomPoints)
                point(s, p, setup);
        } else {
            checkKeys(s, {"kind"}, of);
        }
        if (const std::optional<QString> fault = SpaceFault(space))
            refuse(s.path, asReason(*fault));
    }

    // The box as built; refused as the box's own rules refuse it.
    void construction(const Section &s, DesignSetup &setup) const {
        std::vector<const char *> known = keyNames(ConstructionKeys);
        known.insert(known.begin(), OutsideKey);
        checkKeys(s, known);
        const QString path = s.keyPath(QLatin1String(OutsideKey));
        const QJsonValue v = s.value(OutsideKey);
        if (v.isUndefined())
            refuse(path, QStringLiteral("is missing"));
        if (!v.isArray() || v.toArray().size() != 3)
            refuse(path, QStringLiteral("must be an array [width, height, depth]"));
        for (size_t i = 0; i < 3; ++i) {
            const QString at = path + QLatin1Char('[') + QString::number(i) + QLatin1Char(']');
            const NumberKey k = outsideKey(i);
            DesignInputRow(k.input).member(setup) = number(at, v.toArray().at(qsizetype(i)), k);
        }
        numbers(s, ConstructionKeys, setup);
        if (const std::optional<BuiltBox> box = BuildBox(setup); box && !box->fault.isEmpty())
            refuse(box->fault);
    }

    // A point of the room: an array of exactly three numbers, x, y and z.
    void point(const Section &s, const PointKey &p, DesignSetup &setup) const {
        const QString path = s.keyPath(QLatin1String(p.key));
        const QJsonValue v = s.value(p.key);
        if (v.isUndefined())
            refuse(path, QStringLiteral("is missing"));
        if (!v.isArray())
            refuse(path, QStringLiteral("must be an array [x, y, z], not ") + typeName(v));
        const QJsonArray xyz = v.toArray();
        for (qsizetype i = 0; i < std::max<qsizetype>(xyz.size(), 3); ++i) {
            const QString at = path + QLatin1Char('[') + QString::number(i) + QLatin1Char(']');
            if (i >= 3)
                refuse(at, QStringLiteral("is one too many: a point is [x, y, z]"));
            if (i >= xyz.size())
                refuse(at, QStringLiteral("is missing: a point is [x, y, z]"));
            const NumberKey k = pointKey(p, size_t(i));
            DesignInputRow(k.input).member(setup) = number(at, xyz.at(i), k);
        }
    }

    QString prefix_;
    mutable int version_ = FirstVersion; // of the file being read
};

// ---------------------------------------------------------------------------
// Writing

// A JSON string: quotes, backslashes and control characters escaped, and a
// lone surrogate (text that is not valid UTF-16) as \uXXXX, so that it
// reads back as the same text.
QByteArray jsonString(const QString &text) {
    QByteArray out;
    out.reserve(text.size() + 2);
    out += '"';
    const auto escape = [&out](char16_t unit) {
        out += "\\u" + QByteArray::number(unit, 16).rightJustified(4, '0');
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20) {
            escape(c);
        } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                   QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            out += text.mid(i, 2).toUtf8();
            ++i;
        } else if (QChar::isSurrogate(c)) {
            escape(c);
        } else {
            out += QString(QChar(c)).toUtf8();
        }
    }
    out += '"';
    return out;
}

// A JSON document written key by key in the order given, two spaces an
// indent level.
class OrderedWriter {
public:
    // Without a key: an object or array in an array.
    void beginObject(const char *key = nullptr) { open(key, '{'); }
    void endObject() { close('}'); }
    void beginArray(const char *key = nullptr) { open(key, '['); }
    void endArray() { close(']'); }
    void emptyArray(const char *key) {
        member(key);
        out_ += "[]";
    }
    void value(const char *key, const QByteArray &json) {
        member(key);
        out_ += json;
    }
    QByteArray finish() { return out_ + '\n'; }

private:
    void member(const char *key) {
        if (!first_)
            out_ += ',';
        first_ = false;
        out_ += '\n' + QByteArray(2 * depth_, ' ');
        if (key)
            out_ += jsonString(QLatin1String(key)) + ": ";
    }
    void open(const char *key, char bracket) {
        if (depth_ > 0)
            member(key);
        out_ += bracket;
        ++depth_;
        first_ = true;
    }
    void close(char bracket) {
        --depth_;
        if (!first_)
            out_ += '\n' + QByteArray(2 * depth_, ' ');
        out_ += bracket;
        first_ = false;
    }

    QByteArray out_;
    int depth_ = 0;
    bool first_ = true;
};

class SetupWriter {
public:
    explicit SetupWriter(QString prefix) : prefix_(std::move(prefix)) {}

    QByteArray write(const DesignSetup &setup) const {
        OrderedWriter out;
        out.beginObject();
        out.value("format", jsonString(QLatin1String(SetupFileFormat)));
        out.value("version", QByteArray::number(VersionFor(setup)));
        out.value("label", jsonString(setup.label));
        air(out, setup.air);
        driver(out, setup);
        drivers(out, setup);
        enclosure(out, setup);
        drive(out, setup);
        amplifier(out, setup);
        filters(out, setup.filters);
        environment(out, setup);
        if (VersionFor(setup) == SetupFileVersion)
            out.value("units",
                      jsonString(QLatin1String(choiceText(UnitSystems, int(setup.units)))));
        construction(out, setup);
        out.endObject();
        return out.finish();
    }

private:
    [[noreturn]] void refuse(const QString &why) const { throw DravikError(prefix_ + why); }

    // A value of the table of inputs named as the charts name it: "Fs
    // (Driver page)".
    static QString inputName(ModelInput input) {
        const InputRow &row = DesignInputRow(input);
        return QLatin1String(row.name) + QStringLiteral(" (") + QLatin1String(PageName(row.page)) +
               QLatin1Char(')');
    }

    // The number's text in the file, after checking that the reader takes
    // it back as this very value's file precision.
    QByteArray numberFor(const std::optional<double> &x, const NumberKey &k,
                         const QString &name) const {
        if (!x) {
            if (k.nullable)
                return "null";
            refuse(QStringLiteral("it needs ") + name);
        }
        const std::optional<double> inFile = filedNumber(k, *x);
        if (!inFile)
            refuse(name + QStringLiteral(" must be ") + rangePhrase(k.range));
        return numberText(*inFile);
    }

    void numbers(OrderedWriter &out, const std::vector<NumberKey> &keys,
                 const DesignSetup &setup) const {
        for (const NumberKey &k : keys) {
            const InputRow &row = DesignInputRow(k.input);
            out.value(k.key, numberFor(InputValue(setup, row), k, inputName(k.input)));
        }
    }

    QByteArray airNumber(double x, const char *key, Range range, const char *name) const {
        return numberFor(x, NumberKey{key, I::Count, range},
                         QLatin1String(name) + QStringLiteral(" (this window)"));
    }

    void air(OrderedWriter &out, const AirProperties &air) const {
        out.beginObject("air");
        if (air.conditions) {
            const AirConditions &c = *air.conditions;
            out.value(TemperatureKey, airNumber(c.temperatureC, TemperatureKey, Range::Temperature,
                                                "the air temperature"));
            out.value(PressureKey,
                      airNumber(c.pressurePa, PressureKey, Range::Positive, "the air pressure"));
            out.value(HumidityKey, airNumber(c.relativeHumidityPercent, HumidityKey, Range::Percent,
                                             "the relative humidity"));
            if (!conditionsFault(AirFromConditions(c)).isEmpty())
                refuse(QStringLiteral("the air conditions give no positive air density"));
        } else {
            out.value(DensityKey,
                      airNumber(air.density, DensityKey, Range::Positive, "the air density"));
            out.value(SpeedKey,
                      airNumber(air.soundSpeed, SpeedKey, Range::Positive, "the speed of sound"));
        }
        out.endObject();
    }

    void driver(OrderedWriter &out, const DesignSetup &setup) const {
        if (!setup.driver.qts && !setup.driver.qms)
            refuse(QStringLiteral("it needs Qts or Qms (Driver page)"));
        out.beginObject("driver");
        out.value("manufacturer", jsonString(setup.manufacturer));
        out.value("model", jsonString(setup.model));
        numbers(out, DriverKeys, setup);
        if (VersionFor(setup) == SetupFileVersion) {
            const VoiceCoils &c = setup.driver.coils;
            out.beginObject("coils");
            out.value("count", QByteArray::number(c.count));
            out.value("parameters_for",
                      jsonString(QLatin1String(choiceText(CoilsGivenFors, int(c.givenFor)))));
            out.endObject();
            voiceCoil(out, setup);
            out.value(CreepKey.key, numberFor(setup.driver.creep, CreepKey, inputName(I::Creep)));
        }
        out.endObject();
    }

    void voiceCoil(OrderedWriter &out, const DesignSetup &setup) const {
        const CoilModelKeys &keys = CoilKeysOf(setup.driver.voiceCoil.model);
        if (!HasSeriesLe(keys.model) && setup.driver.leMh != 0.0)
            refuse(QStringLiteral("Le must be 0 with the %1 voice coil")
                       .arg(QLatin1String(InductanceModelName(keys.model))));
        out.beginObject("voice_coil");
        out.value("model", jsonString(QLatin1String(keys.name)));
        numbers(out, keys.keys, setup);
        out.endObject();
    }

    void construction(OrderedWriter &out, const DesignSetup &setup) const {
        if (!setup.construction.given())
            return;
        if (const std::optional<BuiltBox> box = BuildBox(setup); box && !box->fault.isEmpty())
            refuse(box->fault);
        out.beginObject("construction");
        QByteArray outside = "[";
        for (size_t i = 0; i < 3; ++i) {
            const NumberKey k = outsideKey(i);
            outside += (i > 0 ? ", " : "") +
                       numberFor(InputValue(setup, DesignInputRow(k.input)), k, inputName(k.input));
        }
        out.value(OutsideKey, outside + ']');
        DesignSetup filled = setup; // what displaces nothing is written as 0
        for (const NumberKey &k : ConstructionKeys)
            if (k.absent == Absent::Default && !InputValue(filled, DesignInputRow(k.input)))
                DesignInputRow(k.input).member(filled) = k.byDefault;
        numbers(out, ConstructionKeys, filled);
        out.endObject();
    }

    void drivers(OrderedWriter &out, const DesignSetup &setup) const {
        const DriverArrangement &d = setup.drivers;
        const QString fault = arrangementFault(d);
        if (!fault.isEmpty())
            refuse(QStringLiteral("the number of drivers ") + fault);
        out.beginObject("drivers");
        out.value("count", QByteArray::number(d.count));
        out.value("mounting", jsonString(QLatin1String(choiceText(Mountings, int(d.mounting)))));
        out.value("wiring", jsonString(QLatin1String(choiceText(Wirings, int(d.wiring)))));
        if (setup.driver.coils.dual())
            out.value("coil_wiring",
                      jsonString(QLatin1String(choiceText(CoilJoins, int(d.coilJoin)))));
        out.endObject();
    }

    void enclosure(OrderedWriter &out, const DesignSetup &setup) const {
        const EnclosureKind &kind = KindOf(setup.enclosure.kind);
        out.beginObject("enclosure");
        out.value("kind", jsonString(QLatin1String(kind.setupName)));
        const bool path = kind.helper == KindHelper::Path;
        if (path) {
            if (const QString fault = PathFault(setup.enclosure); !fault.isEmpty())
                refuse(fault);
            if (SegmentsBeforeNumbers(kind))
                segments(out, setup.enclosure.segments);
        }
        const std::vector<VentShapeKeys> shapes = ShapeKeysOf(kind);
        std::vector<NumberKey> keys = KindKeys(kind, "");
        for (const VentShapeKeys &shape : shapes)
            if (IsSlot(setup.enclosure, shape.set))
                keys.erase(std::remove_if(keys.begin(), keys.end(),
                                          [&](const NumberKey &k) {
                                              return qstrcmp(k.key, shape.diameter) == 0;
                                          }),
                           keys.end());
        numbers(out, keys, setup);
        if (path) {
            if (!SegmentsBeforeNumbers(kind))
                segments(out, setup.enclosure.segments);
            out.value(MouthKey,
                      jsonString(QLatin1String(Mouths[size_t(setup.enclosure.mouth)].text)));
        }
        if (const std::vector<NumberKey> radiator = KindKeys(kind, RadiatorObject);
            !radiator.empty()) {
            out.beginObject(RadiatorObject);
            numbers(out, radiator, setup);
            out.endObject();
        }
        if (VersionFor(setup) == SetupFileVersion) {
            // A number of a default left out is the usual one: an end
            // correction, a slot's shared walls.
            DesignSetup filled = setup;
            std::vector<NumberKey> defaulted = EndCorrectionKeys(kind);
            for (const VentShapeKeys &shape : shapes)
                defaulted.push_back(shape.slot.back());
            for (const NumberKey &k : defaulted)
                if (!InputValue(filled, DesignInputRow(k.input)))
                    DesignInputRow(k.input).member(filled) = k.byDefault;
            for (const VentShapeKeys &shape : shapes) {
                const bool slot = IsSlot(setup.enclosure, shape.set);
                out.value(shape.shape, jsonString(QLatin1String(VentShapes[slot].text)));
                if (slot)
                    numbers(out, shape.slot, filled);
            }
            numbers(out, EndCorrectionKeys(kind), filled);
            if (kind.hasVentLoss)
                out.value(VentsAsDuctsKey, setup.enclosure.ventsAsDucts ? "true" : "false");
        }
        out.endObject();
    }

    void segments(OrderedWriter &out, const std::vector<PathSegment> &all) const {
        out.beginArray(SegmentsKey);
        for (size_t i = 0; i < all.size(); ++i) {
            const PathSegment &segment = all[i];
            const auto write = [&](const NumberKey &k, double v) {
                out.value(
                    k.key,
                    numberFor(
                        v, k,
                        QStringLiteral("%1 of segment %2").arg(QLatin1String(k.key)).arg(i + 1)));
            };
            out.beginObject();
            out.value("flare", jsonString(QLatin1String(Flares[size_t(segment.flare)].text)));
            for (const SegmentKey &k : SegmentNumbers)
                write(k.number, segment.*k.member);
            if (segment.flare == Flare::HyperbolicExponential)
                write(SegmentT.number, segment.t);
            if (segment.fillResistivity)
                write(FillKey, *segment.fillResistivity);
            out.endObject();
        }
        out.endArray();
    }

    void drive(OrderedWriter &out, const DesignSetup &setup) const {
        const bool power = setup.drive.given == DriveParameters::Given::Power;
        out.beginObject("drive");
        numbers(out,
                {power ? NumberKey{"power_w", I::Power, Range::Positive}
                       : NumberKey{"voltage_v", I::Voltage, Range::Positive},
                 {"source_resistance_ohm", I::SourceResistance, Range::ZeroOrMore}},
                setup);
        out.endObject();
    }

    void amplifier(OrderedWriter &out, const DesignSetup &setup) const {
        const AmplifierParameters &a = setup.amplifier;
        if (a.ratedPowerW.has_value() != a.ratedLoadOhm.has_value()) {
            const ModelInput given = a.ratedPowerW ? I::AmpRatedPower : I::AmpRatedLoad;
            const ModelInput missing = a.ratedPowerW ? I::AmpRatedLoad : I::AmpRatedPower;
            refuse(QStringLiteral("it needs ") + inputName(missing) + QStringLiteral(" with ") +
                   QLatin1String(DesignInputRow(given).name));
        }
        out.beginObject("amplifier");
        numbers(out, AmplifierKeys, setup);
        out.endObject();
    }

    void filters(OrderedWriter &out, const std::vector<FilterStage> &chain) const {
        if (const std::optional<QString> fault = ChainFault(chain))
            refuse(asReason(*fault));
        if (chain.empty()) {
            out.emptyArray("filters");
            return;
        }
        out.beginArray("filters");
        for (size_t i = 0; i < chain.size(); ++i)
            filter(out, chain[i], int(i) + 1);
        out.endArray();
    }

    // The filter at `position` of the chain, counted from 1.
    void filter(OrderedWriter &out, const FilterStage &f, int position) const {
        out.beginObject();
        out.value("type", jsonString(QLatin1String(FilterTypeName(f.type))));
        if (isPassFilter(f.type)) {
            out.value("alignment", jsonString(QLatin1String(FilterAlignmentName(f.alignment))));
            out.value(FilterOrderKey.key, QByteArray::number(f.order));
        }
        // The filter as the reader takes it back: its numbers at the file's
        // precision must still make a usable filter.
        FilterStage filed = f;
        for (const FilterKey &k : filterKeys(f)) {
            const QString name =
                QStringLiteral("%1 of filter %2").arg(QLatin1String(k.number.key)).arg(position);
            out.value(k.number.key, numberFor(f.*k.member, k.number, name));
            filed.*k.member = *atFilePrecision(f.*k.member, 0);
        }
        if (const std::optional<QString> fault = FilterFault(filed, position))
            refuse(asReason(*fault));
        out.value("enabled", f.enabled ? "true" : "false");
        out.endObject();
    }

    void environment(OrderedWriter &out, const DesignSetup &setup) const {
        const ListeningSpace &space = setup.environment;
        if (const std::optional<QString> fault = SpaceFault(space))
            refuse(asReason(*fault));
        out.beginObject("environment");
        out.value("kind", jsonString(QLatin1String(SpaceKindName(space.kind))));
        if (space.kind == SpaceKind::Car) {
            numbers(out, cabinKeys(space.cabin.cornerFromLength), setup);
        } else if (space.kind == SpaceKind::Room) {
            numbers(out, RoomKeys, setup);
            // A point on one line: "[2.5, 1, 0.4]".
            for (const PointKey &p : RoomPoints) {
                QByteArray xyz = "[";
                for (size_t i = 0; i < p.inputs.size(); ++i) {
                    const NumberKey k = pointKey(p, i);
                    xyz +=
                        (i > 0 ? ", " : "") + numberFor(InputValue(setup, DesignInputRow(k.input)),
                                                        k, inputName(k.input));
                }
                out.value(p.key, xyz + ']');
            }
        }
        out.endObject();
    }

    QString prefix_;
};

QString fileName(const QString &path) {
    return QFileInfo(path).fileName();
}

} // namespace

DesignSetup ParseDesignSetup(const QByteArray &json) {
    return SetupReader(QStringLiteral("The design setup was not read: ")).read(json);
}

QByteArray SerializeDesignSetup(const DesignSetup &setup) {
    return SetupWriter(QStringLiteral("The design setup was not written: ")).write(setup);
}

DesignSetup ReadSetupFile(const QString &path) {
    checkFileName(path);
    const QString prefix =
        QStringLiteral("The setup file ") + fileName(path) + QStringLiteral(" was not read: ");
    const std::optional<QByteArray> bytes = readSmallFile(path, SetupFileMaxBytes);
    if (!bytes)
        throw DravikError(prefix + QStringLiteral("it is larger than 1 MiB"));
    return SetupReader(prefix).read(*bytes);
}

void WriteSetupFile(const QString &path, const DesignSetup &setup) {
    checkFileName(path);
    const QString prefix =
        QStringLiteral("The setup file ") + fileName(path) + QStringLiteral(" was not written: ");
    const QByteArray bytes = SetupWriter(prefix).write(setup);
    // Never over the old file in place: a full disk would leave it cut short.
    try {
        TextWriter out(path);
        out.writeBytes(bytes);
        out.commit();
    } catch (const InPlaceRefused &) {
        throw DravikError(prefix + QStringLiteral("no temporary file can be made beside it, and it "
                                                  "is not written over in place"));
    }
}

} // namespace dravik
