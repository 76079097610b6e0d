#include "DesignInputs.h"

#include "Acoustics.h"

#include <cmath>
#include <stdexcept>

namespace dravik {

namespace {

using I = ModelInput;
using P = InputPage;
using R = InputRange;
using G = InputGroup;
using Q = Quantity;

// Pointers to the members, as functions a row can hold.
// The piston area of the effective diameter, in millimetres.
double PistonAreaOfDiameterMm(double diameter) {
    using namespace acoustics;
    return PistonArea(MetresFromMillimetres(diameter), PiFull, AreaOrder::PiHalfSquare);
}

#define DRAVIK_MEMBER(path) [](DesignSetup &s) -> std::optional<double> & { return s.path; }

const std::vector<InputRow> &Rows() {
    static const std::vector<InputRow> rows = {
        {I::Fs, DRAVIK_MEMBER(driver.fs), "Fs", P::Driver, Q::Frequency, "EFs", "", R::Positive},
        {I::Qts, DRAVIK_MEMBER(driver.qts), "Qts", P::Driver, Q::None, "EQts", "", R::Positive},
        {I::Qes, DRAVIK_MEMBER(driver.qes), "Qes", P::Driver, Q::None, "EQes", "", R::Positive},
        {I::Qms, DRAVIK_MEMBER(driver.qms), "Qms", P::Driver, Q::None, "EQms", "", R::Positive},
        {I::Vas, DRAVIK_MEMBER(driver.vasLitres), "Vas", P::Driver, Q::Volume, "EVas", "",
         R::Positive},
        {I::Re, DRAVIK_MEMBER(driver.re), "Re", P::Driver, Q::Resistance, "ERe", "", R::Positive},
        {I::Sd, DRAVIK_MEMBER(driver.sd), "the effective piston diameter", P::Driver, Q::Length,
         "EEffPDiam", "", R::Positive, &PistonAreaOfDiameterMm},
        {I::Xmax, DRAVIK_MEMBER(driver.xmaxMm), "Xmax", P::Driver, Q::Length, "EXmax", "",
         R::Positive},
        {I::PEmax, DRAVIK_MEMBER(driver.peMaxW), "PEmax", P::Driver, Q::Power, "EPEmax", "",
         R::Positive},
        {I::Le, DRAVIK_MEMBER(driver.leMh), "Le", P::ThisWindow, Q::Inductance, "ELe", "Le",
         R::ZeroOrMore, nullptr, G::Design, &CoilTerms::le},
        {I::CoilR2, DRAVIK_MEMBER(driver.voiceCoil.r2Ohm), "R2", P::ThisWindow, Q::Resistance,
         "ECoilR2", "R2", R::Positive, nullptr, G::LossyCoil, &CoilTerms::r2},
        {I::CoilL2, DRAVIK_MEMBER(driver.voiceCoil.l2Mh), "L2", P::ThisWindow, Q::Inductance,
         "ECoilL2", "L2", R::Positive, nullptr, G::LossyCoil, &CoilTerms::l2},
        {I::CoilKrm, DRAVIK_MEMBER(driver.voiceCoil.krm), "Krm", P::ThisWindow, Q::None, "ECoilKrm",
         "Krm", R::Positive, nullptr, G::WrightCoil, &CoilTerms::krm},
        {I::CoilErm, DRAVIK_MEMBER(driver.voiceCoil.erm), "Erm", P::ThisWindow, Q::None, "ECoilErm",
         "Erm", R::ZeroOrMore, nullptr, G::WrightCoil, &CoilTerms::erm},
        {I::CoilKxm, DRAVIK_MEMBER(driver.voiceCoil.kxm), "Kxm", P::ThisWindow, Q::None, "ECoilKxm",
         "Kxm", R::Positive, nullptr, G::WrightCoil, &CoilTerms::kxm},
        {I::CoilExm, DRAVIK_MEMBER(driver.voiceCoil.exm), "Exm", P::ThisWindow, Q::None, "ECoilExm",
         "Exm", R::ZeroOrMore, nullptr, G::WrightCoil, &CoilTerms::exm},
        {I::CoilLeb, DRAVIK_MEMBER(driver.voiceCoil.lebMh), "Leb", P::ThisWindow, Q::Inductance,
         "ECoilLeb", "Leb", R::Positive, nullptr, G::SemiInductanceCoil, &CoilTerms::leb},
        {I::CoilSemiLe, DRAVIK_MEMBER(driver.voiceCoil.semiLeMh), "the semi-inductance's Le",
         P::ThisWindow, Q::Inductance, "ECoilSemiLe", "Le (parallel)", R::Positive, nullptr,
         G::SemiInductanceCoil, &CoilTerms::le},
        {I::CoilRss, DRAVIK_MEMBER(driver.voiceCoil.rssOhm), "Rss", P::ThisWindow, Q::Resistance,
         "ECoilRss", "Rss", R::Positive, nullptr, G::SemiInductanceCoil, &CoilTerms::rss},
        {I::CoilKe, DRAVIK_MEMBER(driver.voiceCoil.ke), "Ke", P::ThisWindow, Q::None, "ECoilKe",
         "Ke", R::Positive, nullptr, G::SemiInductanceCoil, &CoilTerms::ke},
        {I::Creep, DRAVIK_MEMBER(driver.creep), "the creep", P::ThisWindow, Q::None, "ECreep",
         "Creep lambda", R::Any},

        {I::Vb, DRAVIK_MEMBER(enclosure.vbLitres), "Vb", P::Box, Q::Volume, "EVb", "", R::Positive},
        {I::Fb, DRAVIK_MEMBER(enclosure.fbHz), "Fb", P::Box, Q::Frequency, "EFb", "", R::Positive},
        {I::VentCount, DRAVIK_MEMBER(enclosure.ventCount), "the number of vents", P::Vent, Q::Count,
         "ENumOfVents", "", R::Positive},
        {I::VentDiameter, DRAVIK_MEMBER(enclosure.ventDiameterMm), "the vent diameter", P::Vent,
         Q::Length, "EVentDiam", "", R::Positive},

        {I::PrVolume, DRAVIK_MEMBER(enclosure.vbLitres), "the box volume", P::ThisWindow, Q::Volume,
         "EPrVolume", "Box volume", R::Positive},
        {I::RadiatorCount, DRAVIK_MEMBER(enclosure.radiatorCount), "the number of radiators",
         P::ThisWindow, Q::Count, "EPrCount", "Radiators", R::Positive},
        {I::RadiatorArea, DRAVIK_MEMBER(enclosure.radiatorAreaCm2), "the radiator's area",
         P::ThisWindow, Q::Area, "EPrArea", "Sd", R::Positive},
        {I::RadiatorMass, DRAVIK_MEMBER(enclosure.radiatorMassG), "the radiator's moving mass",
         P::ThisWindow, Q::Mass, "EPrMass", "Mmp", R::Positive},
        {I::RadiatorAddedMass, DRAVIK_MEMBER(enclosure.radiatorAddedMassG),
         "the radiator's added mass", P::ThisWindow, Q::Mass, "EPrAddedMass", "Added mass",
         R::ZeroOrMore},
        {I::RadiatorCompliance, DRAVIK_MEMBER(enclosure.radiatorComplianceMmPerN),
         "the radiator's compliance", P::ThisWindow, Q::Compliance, "EPrCompliance", "Cmp",
         R::Positive},
        {I::RadiatorQms, DRAVIK_MEMBER(enclosure.radiatorQms), "the radiator's Qms", P::ThisWindow,
         Q::None, "EPrQms", "Qmp", R::Positive},
        {I::RadiatorXmax, DRAVIK_MEMBER(enclosure.radiatorXmaxMm), "the radiator's Xmax",
         P::ThisWindow, Q::Length, "EPrXmax", "Xmax", R::PositiveOrNone},

        {I::Bp4RearVolume, DRAVIK_MEMBER(enclosure.vbLitres), "the rear chamber's volume",
         P::ThisWindow, Q::Volume, "EBp4RearVolume", "Rear chamber (sealed)", R::Positive},
        {I::Bp4FrontVolume, DRAVIK_MEMBER(enclosure.frontVolumeLitres),
         "the front chamber's volume", P::ThisWindow, Q::Volume, "EBp4FrontVolume", "Front chamber",
         R::Positive},
        {I::Bp4Tuning, DRAVIK_MEMBER(enclosure.fbHz), "the front chamber's tuning", P::ThisWindow,
         Q::Frequency, "EBp4Tuning", "Tuning", R::Positive},
        {I::Bp4VentCount, DRAVIK_MEMBER(enclosure.ventCount), "the number of vents", P::ThisWindow,
         Q::Count, "EBp4VentCount", "Vents", R::Positive},
        {I::Bp4VentDiameter, DRAVIK_MEMBER(enclosure.ventDiameterMm), "the vent diameter",
         P::ThisWindow, Q::Length, "EBp4VentDiameter", "Vent diameter", R::Positive},

        {I::Bp6RearVolume, DRAVIK_MEMBER(enclosure.vbLitres), "the rear chamber's volume",
         P::ThisWindow, Q::Volume, "EBp6RearVolume", "Rear chamber", R::Positive},
        {I::Bp6RearTuning, DRAVIK_MEMBER(enclosure.rearTuningHz), "the rear chamber's tuning",
         P::ThisWindow, Q::Frequency, "EBp6RearTuning", "Rear tuning", R::Positive},
        {I::Bp6RearVentCount, DRAVIK_MEMBER(enclosure.rearVentCount), "the number of rear vents",
         P::ThisWindow, Q::Count, "EBp6RearVentCount", "Rear vents", R::Positive},
        {I::Bp6RearVentDiameter, DRAVIK_MEMBER(enclosure.rearVentDiameterMm),
         "the rear vent diameter", P::ThisWindow, Q::Length, "EBp6RearVentDiameter",
         "Rear vent diameter", R::Positive},
        {I::Bp6FrontVolume, DRAVIK_MEMBER(enclosure.frontVolumeLitres),
         "the front chamber's volume", P::ThisWindow, Q::Volume, "EBp6FrontVolume", "Front chamber",
         R::Positive},
        {I::Bp6FrontTuning, DRAVIK_MEMBER(enclosure.fbHz), "the front chamber's tuning",
         P::ThisWindow, Q::Frequency, "EBp6FrontTuning", "Front tuning", R::Positive},
        {I::Bp6FrontVentCount, DRAVIK_MEMBER(enclosure.ventCount), "the number of front vents",
         P::ThisWindow, Q::Count, "EBp6FrontVentCount", "Front vents", R::Positive},
        {I::Bp6FrontVentDiameter, DRAVIK_MEMBER(enclosure.ventDiameterMm),
         "the front vent diameter", P::ThisWindow, Q::Length, "EBp6FrontVentDiameter",
         "Front vent diameter", R::Positive},

        {I::TlDriverAt, DRAVIK_MEMBER(enclosure.driverAtCm), "where the driver feeds the line",
         P::ThisWindow, Q::PathLength, "ETlDriverAt", "Driver at", R::ZeroOrMore},
        {I::ThFrontAt, DRAVIK_MEMBER(enclosure.frontAtCm), "where the cone's front feeds the path",
         P::ThisWindow, Q::PathLength, "EThFrontAt", "Cone's front at", R::ZeroOrMore},
        {I::ThRearAt, DRAVIK_MEMBER(enclosure.rearAtCm), "where the cone's rear feeds the path",
         P::ThisWindow, Q::PathLength, "EThRearAt", "Cone's rear at", R::Positive},
        {I::FlhRearVolume, DRAVIK_MEMBER(enclosure.vbLitres), "the rear chamber's volume",
         P::ThisWindow, Q::Volume, "EFlhRearVolume", "Rear chamber (sealed)", R::Positive},
        {I::FlhThroatVolume, DRAVIK_MEMBER(enclosure.throatVolumeLitres),
         "the throat chamber's volume", P::ThisWindow, Q::Volume, "EFlhThroatVolume",
         "Throat chamber", R::ZeroOrMore},

        {I::LeakageQ, DRAVIK_MEMBER(enclosure.leakageQ), "the leakage Q", P::ThisWindow, Q::None,
         "ELeakageQ", "Leakage QL", R::PositiveOrNone},
        {I::VentQ, DRAVIK_MEMBER(enclosure.ventQ), "the vent Q", P::ThisWindow, Q::None, "EVentQ",
         "Vent Q", R::PositiveOrNone},
        {I::Power, DRAVIK_MEMBER(drive.powerW), "an input power above 0 W", P::ThisWindow, Q::Power,
         "EPower", "Input power", R::Positive},
        {I::Voltage, DRAVIK_MEMBER(drive.voltageV), "a drive voltage above 0 V", P::ThisWindow,
         Q::Voltage, "EVoltage", "Voltage", R::Positive},
        {I::SourceResistance, DRAVIK_MEMBER(drive.sourceResistanceOhm), "the source resistance",
         P::ThisWindow, Q::Resistance, "ESourceResistance", "Rs", R::ZeroOrMore},

        {I::AmpRatedPower, DRAVIK_MEMBER(amplifier.ratedPowerW), "the amplifier's rated power",
         P::ThisWindow, Q::Power, "EAmpRatedPower", "Rated power", R::PositiveOrNone, nullptr,
         G::Amplifier},
        {I::AmpRatedLoad, DRAVIK_MEMBER(amplifier.ratedLoadOhm), "the amplifier's rated load",
         P::ThisWindow, Q::Resistance, "EAmpRatedLoad", "into", R::PositiveOrNone, nullptr,
         G::Amplifier},
        {I::AmpCurrentLimit, DRAVIK_MEMBER(amplifier.currentLimitA),
         "the amplifier's current limit", P::ThisWindow, Q::Current, "EAmpCurrentLimit",
         "Current limit", R::PositiveOrNone, nullptr, G::Amplifier},

        {I::CabinCorner, DRAVIK_MEMBER(environment.cabin.cornerHz), "the cabin's corner frequency",
         P::ThisWindow, Q::Frequency, "ECabinCorner", "Corner", R::Positive, nullptr, G::Cabin},
        {I::CabinLength, DRAVIK_MEMBER(environment.cabin.lengthM), "the cabin's length",
         P::ThisWindow, Q::Distance, "ECabinLength", "Cabin length", R::Positive, nullptr,
         G::Cabin},
        {I::CabinSlope, DRAVIK_MEMBER(environment.cabin.slopeDbPerOctave), "the cabin's slope",
         P::ThisWindow, Q::LevelSlope, "ECabinSlope", "Slope", R::Positive, nullptr, G::Cabin},
        {I::CabinMaxGain, DRAVIK_MEMBER(environment.cabin.maxGainDb), "the cabin's most gain",
         P::ThisWindow, Q::Level, "ECabinMaxGain", "At most", R::Positive, nullptr, G::Cabin},

        {I::RoomLength, DRAVIK_MEMBER(environment.room.lengthM), "the room's length", P::ThisWindow,
         Q::Distance, "ERoomLength", "Room length", R::Positive, nullptr, G::Room},
        {I::RoomWidth, DRAVIK_MEMBER(environment.room.widthM), "the room's width", P::ThisWindow,
         Q::Distance, "ERoomWidth", "width", R::Positive, nullptr, G::Room},
        {I::RoomHeight, DRAVIK_MEMBER(environment.room.heightM), "the room's height", P::ThisWindow,
         Q::Distance, "ERoomHeight", "height", R::Positive, nullptr, G::Room},
        {I::RoomReverberation, DRAVIK_MEMBER(environment.room.reverberationS),
         "the room's reverberation time", P::ThisWindow, Q::Time, "ERoomT60", "T60", R::Positive,
         nullptr, G::Room},
        {I::SourceX, DRAVIK_MEMBER(environment.room.sourceM[0]), "the box's position",
         P::ThisWindow, Q::Distance, "ESourceX", "Box at x", R::ZeroOrMore, nullptr, G::Room},
        {I::SourceY, DRAVIK_MEMBER(environment.room.sourceM[1]), "the box's position",
         P::ThisWindow, Q::Distance, "ESourceY", "y", R::ZeroOrMore, nullptr, G::Room},
        {I::SourceZ, DRAVIK_MEMBER(environment.room.sourceM[2]), "the box's position",
         P::ThisWindow, Q::Distance, "ESourceZ", "z", R::ZeroOrMore, nullptr, G::Room},
        {I::ListenerX, DRAVIK_MEMBER(environment.room.listenerM[0]), "the listener's position",
         P::ThisWindow, Q::Distance, "EListenerX", "Listener at x", R::ZeroOrMore, nullptr,
         G::Room},
        {I::ListenerY, DRAVIK_MEMBER(environment.room.listenerM[1]), "the listener's position",
         P::ThisWindow, Q::Distance, "EListenerY", "y", R::ZeroOrMore, nullptr, G::Room},
        {I::ListenerZ, DRAVIK_MEMBER(environment.room.listenerM[2]), "the listener's position",
         P::ThisWindow, Q::Distance, "EListenerZ", "z", R::ZeroOrMore, nullptr, G::Room},

        {I::OutsideWidth, DRAVIK_MEMBER(construction.outsideMm[0]), "the box's outside width",
         P::ThisWindow, Q::Length, "EOutsideWidth", "Outside width", R::PositiveOrNone, nullptr,
         G::Construction},
        {I::OutsideHeight, DRAVIK_MEMBER(construction.outsideMm[1]), "the box's outside height",
         P::ThisWindow, Q::Length, "EOutsideHeight", "Outside height", R::PositiveOrNone, nullptr,
         G::Construction},
        {I::OutsideDepth, DRAVIK_MEMBER(construction.outsideMm[2]), "the box's outside depth",
         P::ThisWindow, Q::Length, "EOutsideDepth", "Outside depth", R::PositiveOrNone, nullptr,
         G::Construction},
        {I::WallThickness, DRAVIK_MEMBER(construction.wallMm), "the walls' thickness",
         P::ThisWindow, Q::Length, "EWallThickness", "Walls", R::PositiveOrNone, nullptr,
         G::Construction},
        {I::DriverDisplacement, DRAVIK_MEMBER(construction.driverDisplacementLitres),
         "each driver's displacement", P::ThisWindow, Q::Volume, "EDriverDisplacement",
         "Each driver displaces", R::ZeroOrMore, nullptr, G::Construction},
        {I::VentEndCorrection, DRAVIK_MEMBER(enclosure.ventEndCorrection),
         "the vents' end correction", P::ThisWindow, Q::None, "EVentEndCorrection",
         "End correction (diameters)", R::Positive, nullptr, G::Construction},
        {I::RearVentEndCorrection, DRAVIK_MEMBER(enclosure.rearVentEndCorrection),
         "the rear vents' end correction", P::ThisWindow, Q::None, "ERearVentEndCorrection",
         "Rear vents' end correction", R::Positive, nullptr, G::Construction},
        {I::VentSlotWidth, DRAVIK_MEMBER(enclosure.ventSlotWidthMm), "the slot vent's width",
         P::ThisWindow, Q::Length, "EVentSlotWidth", "Slot vent width", R::PositiveOrNone, nullptr,
         G::Construction},
        {I::VentSlotHeight, DRAVIK_MEMBER(enclosure.ventSlotHeightMm), "the slot vent's height",
         P::ThisWindow, Q::Length, "EVentSlotHeight", "height", R::PositiveOrNone, nullptr,
         G::Construction},
        {I::VentSharedWalls, DRAVIK_MEMBER(enclosure.ventSharedWalls),
         "the slot's walls shared with the box", P::ThisWindow, Q::Count, "EVentSharedWalls",
         "Box walls it shares", R::ZeroOrMore, nullptr, G::Construction},
        {I::RearVentSlotWidth, DRAVIK_MEMBER(enclosure.rearVentSlotWidthMm),
         "the rear slot vent's width", P::ThisWindow, Q::Length, "ERearVentSlotWidth",
         "Rear slot vent width", R::PositiveOrNone, nullptr, G::Construction},
        {I::RearVentSlotHeight, DRAVIK_MEMBER(enclosure.rearVentSlotHeightMm),
         "the rear slot vent's height", P::ThisWindow, Q::Length, "ERearVentSlotHeight", "height",
         R::PositiveOrNone, nullptr, G::Construction},
        {I::RearVentSharedWalls, DRAVIK_MEMBER(enclosure.rearVentSharedWalls),
         "the rear slot's walls shared with the box", P::ThisWindow, Q::Count,
         "ERearVentSharedWalls", "Box walls it shares", R::ZeroOrMore, nullptr, G::Construction},
        {I::Bracing, DRAVIK_MEMBER(construction.bracingLitres), "the bracing's displacement",
         P::ThisWindow, Q::Volume, "EBracing", "Bracing", R::ZeroOrMore, nullptr, G::Construction},
    };
    return rows;
}

#undef DRAVIK_MEMBER

} // namespace

const QuantityUnits &UnitsOf(Quantity quantity) {
    static const QuantityUnits units[] = {
        {Q::None, "", "", 1.0},
        {Q::Count, "", "", 1.0},
        {Q::Frequency, "Hz", "Hz", 1.0},
        {Q::Volume, "l", "m^3", 1e-3},
        {Q::Resistance, "ohm", "ohm", 1.0},
        {Q::Length, "mm", "m", 1e-3},
        {Q::PathLength, "cm", "m", 1e-2},
        {Q::Distance, "m", "m", 1.0},
        {Q::Power, "W", "W", 1.0},
        {Q::Inductance, "mH", "H", 1e-3},
        {Q::Area, "cm^2", "m^2", 1e-4},
        {Q::Mass, "g", "kg", 1e-3},
        {Q::Compliance, "mm/N", "m/N", 1e-3},
        {Q::Voltage, "V", "V", 1.0},
        {Q::Current, "A", "A", 1.0},
        {Q::Time, "s", "s", 1.0},
        {Q::Level, "dB", "dB", 1.0},
        {Q::LevelSlope, "dB/oct", "dB/oct", 1.0},
        {Q::Temperature, "C", "K", 1.0}, // an offset, not a factor: never scaled to SI here
        {Q::Pressure, "Pa", "Pa", 1.0},
    };
    for (const QuantityUnits &u : units)
        if (u.quantity == quantity)
            return u;
    throw std::logic_error("a quantity without units");
}

ShownUnit ShownUnitOf(Quantity quantity, UnitSystem system) {
    // The US units, exact by their definitions: the inch is 25.4 mm, the
    // foot 12 inches, the cubic foot 28.316846592 l; an inch of mercury is
    // 3386.389 Pa (at 0 degrees C); F = C x 9/5 + 32.
    struct UsUnit {
        Quantity quantity;
        ShownUnit unit;
    };
    static const UsUnit us[] = {
        {Q::Volume, {"ft^3", 28.316846592}}, {Q::Length, {"in", 25.4}},
        {Q::PathLength, {"in", 2.54}},       {Q::Distance, {"ft", 0.3048}},
        {Q::Area, {"in^2", 6.4516}},         {Q::Temperature, {"F", 5.0 / 9.0, -160.0 / 9.0}},
        {Q::Pressure, {"inHg", 3386.389}},
    };
    if (system == UnitSystem::Us)
        for (const UsUnit &u : us)
            if (u.quantity == quantity)
                return u.unit;
    return {UnitsOf(quantity).shown};
}

double FromShownUnit(double shown, Quantity quantity, UnitSystem system) {
    const ShownUnit u = ShownUnitOf(quantity, system);
    return u.offset == 0.0 ? shown * u.scale : shown * u.scale + u.offset;
}

double ToShownUnit(double own, Quantity quantity, UnitSystem system) {
    const ShownUnit u = ShownUnitOf(quantity, system);
    return u.offset == 0.0 ? own / u.scale : (own - u.offset) / u.scale;
}

const std::vector<InputRow> &DesignInputRows() {
    return Rows();
}

bool IsCoilTerm(const InputRow &row) {
    return row.group == G::LossyCoil || row.group == G::WrightCoil ||
           row.group == G::SemiInductanceCoil;
}

bool IsTermOfCoil(const InputRow &row, InductanceModel model) {
    switch (model) {
    case InductanceModel::Plain:
        return false;
    case InductanceModel::Lossy:
        return row.group == G::LossyCoil;
    case InductanceModel::Wright:
        return row.group == G::WrightCoil;
    case InductanceModel::SemiInductance:
        return row.group == G::SemiInductanceCoil;
    }
    return false;
}

ModelInputs CoilModelInputs(InductanceModel model) {
    ModelInputs inputs = HasSeriesLe(model) ? Bit(I::Le) : ModelInputs();
    for (const InputRow &row : Rows())
        if (IsTermOfCoil(row, model))
            inputs |= Bit(row.input);
    return inputs;
}

const InputRow &DesignInputRow(ModelInput input) {
    for (const InputRow &row : Rows())
        if (row.input == input)
            return row;
    throw std::logic_error("a design input without a row");
}

const std::optional<double> &InputValue(const DesignSetup &setup, const InputRow &row) {
    // The rows hand out references into a design; reading one changes nothing.
    return row.member(const_cast<DesignSetup &>(setup));
}

bool IsUsable(const InputRow &row, const std::optional<double> &value) {
    if (!value)
        return row.range == InputRange::PositiveOrNone;
    constexpr double Smallest = 1e-12, Largest = 1e12;
    const double v = *value;
    if (row.range == InputRange::Any)
        return std::isfinite(v) && std::abs(v) <= Largest;
    if (row.range == InputRange::ZeroOrMore && v == 0.0)
        return true;
    return std::isfinite(v) && v >= Smallest && v <= Largest;
}

bool IsUsable(ModelInput input, const std::optional<double> &value) {
    return IsUsable(DesignInputRow(input), value);
}

const char *PageName(InputPage page) {
    switch (page) {
    case InputPage::Driver:
        return "Driver page";
    case InputPage::Box:
        return "Box page";
    case InputPage::Vent:
        return "Vent page";
    case InputPage::ThisWindow:
        return "this window";
    }
    return "";
}

} // namespace dravik
