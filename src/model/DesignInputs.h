#pragma once

#include "DesignSetup.h"

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace dravik {

// Every number of a design the charts may need, as one row each: where it
// lives in the design, what it is called in a sentence, where the user types
// it, its unit, and the box kinds it belongs to. The reader, the sentences a
// chart shows in place of its curves, equality of designs and the window's
// own fields are all driven by these rows, so a new parameter is one row.
enum class ModelInput : std::uint8_t {
    // The driver, on the main window's Driver page.
    Fs,
    Qts,
    Qes,
    Qms,
    Vas,
    Re,
    Sd,
    Xmax,
    PEmax,
    Le,
    // The voice coil's models beyond a plain Le, and the suspension's creep,
    // in the charts window.
    CoilR2,
    CoilL2,
    CoilKrm,
    CoilErm,
    CoilKxm,
    CoilExm,
    CoilLeb,
    CoilSemiLe,
    CoilRss,
    CoilKe,
    Creep,
    // The vented and closed box, from the main window.
    Vb,
    Fb,
    VentCount,
    VentDiameter,
    // The kinds whose fields the charts window keeps.
    PrVolume,
    RadiatorCount,
    RadiatorArea,
    RadiatorMass,
    RadiatorAddedMass,
    RadiatorCompliance,
    RadiatorQms,
    RadiatorXmax,
    Bp4RearVolume,
    Bp4FrontVolume,
    Bp4Tuning,
    Bp4VentCount,
    Bp4VentDiameter,
    Bp6RearVolume,
    Bp6RearTuning,
    Bp6RearVentCount,
    Bp6RearVentDiameter,
    Bp6FrontVolume,
    Bp6FrontTuning,
    Bp6FrontVentCount,
    Bp6FrontVentDiameter,
    // The losses, the drive and the drivers, in the charts window.
    LeakageQ,
    VentQ,
    Power,
    Voltage,
    SourceResistance,
    AirDensity,
    SoundSpeed,
    DriverCount,
    // The amplifier's limits.
    AmpRatedPower,
    AmpRatedLoad,
    AmpCurrentLimit,
    // A car's cabin.
    CabinCorner,
    CabinLength,
    CabinSlope,
    CabinMaxGain,
    // A room, the box and the listener in it.
    RoomLength,
    RoomWidth,
    RoomHeight,
    RoomReverberation,
    SourceX,
    SourceY,
    SourceZ,
    ListenerX,
    ListenerY,
    ListenerZ,
    // How the box is built.
    OutsideWidth,
    OutsideHeight,
    OutsideDepth,
    WallThickness,
    DriverDisplacement,
    Bracing,
    VentEndCorrection,
    RearVentEndCorrection,
    VentSlotWidth,
    VentSlotHeight,
    VentSharedWalls,
    RearVentSlotWidth,
    RearVentSlotHeight,
    RearVentSharedWalls,
    // A transmission line's and a horn's own values besides their path.
    TlDriverAt,
    ThFrontAt,
    ThRearAt,
    FlhRearVolume,
    FlhThroatVolume,
    // Not a number: the path's segments usable.
    Path,
    // Not a number: every filter of the signal chain usable.
    SignalChain,
    Count
};
// A set of inputs, as many as the table has: a chart's needs, what a design
// lacks. Grows with the table; no fixed width to outgrow.
class ModelInputs {
public:
    ModelInputs() = default;
    ModelInputs(std::nullptr_t) {} // "0": the empty set
    static ModelInputs of(ModelInput input) {
        ModelInputs m;
        m.bits_.set(static_cast<size_t>(input));
        return m;
    }
    bool has(ModelInput input) const { return bits_.test(static_cast<size_t>(input)); }
    explicit operator bool() const { return bits_.any(); }
    ModelInputs &operator|=(const ModelInputs &o) {
        bits_ |= o.bits_;
        return *this;
    }
    ModelInputs &operator&=(const ModelInputs &o) {
        bits_ &= o.bits_;
        return *this;
    }
    ModelInputs operator~() const {
        ModelInputs m = *this;
        m.bits_.flip();
        return m;
    }
    friend ModelInputs operator|(ModelInputs a, const ModelInputs &b) { return a |= b; }
    friend ModelInputs operator&(ModelInputs a, const ModelInputs &b) { return a &= b; }
    friend bool operator==(const ModelInputs &a, const ModelInputs &b) {
        return a.bits_ == b.bits_;
    }
    friend bool operator!=(const ModelInputs &a, const ModelInputs &b) { return !(a == b); }

private:
    std::bitset<static_cast<size_t>(ModelInput::Count)> bits_;
};

inline ModelInputs Bit(ModelInput input) {
    return ModelInputs::of(input);
}

// What a value may be: a positive number; a number of zero or more; or, for
// optional values (a loss, a radiator's Xmax), also left out; or any number
// (the creep, which may run either way).
enum class InputRange { Positive, ZeroOrMore, PositiveOrNone, Any };

// What an input measures. Each quantity has the unit the window shows it in
// and its SI unit with the factor between them; captions, sentences and any
// other system of units come from this one place.
enum class Quantity {
    None,  // a ratio
    Count, // of drivers, vents, radiators: a whole number
    Frequency,
    Volume,
    Resistance,
    Length,     // a driver's or a vent's, in millimetres
    PathLength, // along a transmission line's or a horn's path, in centimetres
    Distance,   // a room's or a cabin's, in metres
    Power,
    Inductance,
    Area,
    Mass,
    Compliance,
    Voltage,
    Current,
    Time,
    Level,
    LevelSlope,
    Temperature, // of the air, in degrees Celsius
    Pressure,    // of the air, in pascals
};

struct QuantityUnits {
    Quantity quantity;
    const char *shown; // as a caption shows it: "l", "Hz", "" for none
    const char *si;    // "m^3", "Hz"
    double toSi;       // one shown unit in SI units: 1e-3 for litres
};
const QuantityUnits &UnitsOf(Quantity quantity);

// A quantity's unit in a system: its caption, and how a shown number
// becomes one of the design's own unit: own = shown x scale + offset.
struct ShownUnit {
    const char *text; // "ft^3"; the design's own caption in metric
    double scale = 1.0;
    double offset = 0.0;
};
ShownUnit ShownUnitOf(Quantity quantity, UnitSystem system);
// A number shown in a system as the design's own, and back.
double FromShownUnit(double shown, Quantity quantity, UnitSystem system);
double ToShownUnit(double own, Quantity quantity, UnitSystem system);

// Where the user types a value.
enum class InputPage { Driver, Box, Vent, ThisWindow };

// Which part of the window's own fields a row belongs to beyond the box;
// the three coil groups are the terms of one voice-coil model each.
enum class InputGroup {
    Design,
    Amplifier,
    Cabin,
    Room,
    Construction,
    LossyCoil,
    WrightCoil,
    SemiInductanceCoil
};

struct InputRow {
    ModelInput input;
    std::optional<double> &(*member)(DesignSetup &);
    const char *name; // in a sentence: "Vb", "the vent diameter"
    InputPage page;
    Quantity quantity; // its unit in captions and sentences comes from it
    // The field: a main window field's object name for the Driver, Box and
    // Vent pages; the charts window's own control otherwise.
    const char *field;
    const char *caption; // the window's label for its own fields
    InputRange range;
    // How the field's number becomes the member's, where they differ: the
    // effective piston diameter (mm) gives the area (m^2).
    double (*fromField)(double) = nullptr;
    InputGroup group = InputGroup::Design;
    // For a term of a voice-coil model, the circuit's term it gives (in SI
    // units, from the row's quantity).
    double CoilTerms::*coilTerm = nullptr;
};

const std::vector<InputRow> &DesignInputRows();
// Whether a row is a term of a voice-coil model, and if so whether of this one.
bool IsCoilTerm(const InputRow &row);
bool IsTermOfCoil(const InputRow &row, InductanceModel model);
// The inputs a voice-coil model takes: the driver's Le where it has a
// series Le, and its own terms.
ModelInputs CoilModelInputs(InductanceModel model);
const InputRow &DesignInputRow(ModelInput input);
// The object name of the field the user types an input in.
inline const char *FieldOf(ModelInput input) {
    return DesignInputRow(input).field;
}

// The value of a row in a design (const access).
const std::optional<double> &InputValue(const DesignSetup &setup, const InputRow &row);

// Whether the value is one the row allows: finite, of the row's range, and
// within 1e-12 to 1e12 of its unit (no real loudspeaker lies outside, and
// the arithmetic of the charts stays finite inside).
bool IsUsable(const InputRow &row, const std::optional<double> &value);
// The same for a row of the table.
bool IsUsable(ModelInput input, const std::optional<double> &value);

// The page's name as sentences say it: "Driver page", "this window".
const char *PageName(InputPage page);

} // namespace dravik
