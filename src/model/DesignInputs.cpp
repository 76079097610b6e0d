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

// Pointers to the members, as functions a row can hold.
// The piston area of the effective diameter, in millimetres.
double PistonAreaOfDiameterMm(double diameter) {
    using namespace acoustics;
    return PistonArea(MetresFromMillimetres(diameter), PiFull, AreaOrder::PiHalfSquare);
}

#define DRAVIK_MEMBER(path) [](DesignSetup &s) -> std::optional<double> & { return s.path; }

const std::vector<InputRow> &Rows() {
    static const std::vector<InputRow> rows = {
        {I::Fs, DRAVIK_MEMBER(driver.fs), "Fs", P::Driver, "Hz", "EFs", "", R::Positive},
        {I::Qts, DRAVIK_MEMBER(driver.qts), "Qts", P::Driver, "", "EQts", "", R::Positive},
        {I::Qes, DRAVIK_MEMBER(driver.qes), "Qes", P::Driver, "", "EQes", "", R::Positive},
        {I::Qms, DRAVIK_MEMBER(driver.qms), "Qms", P::Driver, "", "EQms", "", R::Positive},
        {I::Vas, DRAVIK_MEMBER(driver.vasLitres), "Vas", P::Driver, "l", "EVas", "", R::Positive},
        {I::Re, DRAVIK_MEMBER(driver.re), "Re", P::Driver, "ohm", "ERe", "", R::Positive},
        {I::Sd, DRAVIK_MEMBER(driver.sd), "the effective piston diameter", P::Driver, "mm",
         "EEffPDiam", "", R::Positive, &PistonAreaOfDiameterMm},
        {I::Xmax, DRAVIK_MEMBER(driver.xmaxMm), "Xmax", P::Driver, "mm", "EXmax", "", R::Positive},
        {I::PEmax, DRAVIK_MEMBER(driver.peMaxW), "PEmax", P::Driver, "W", "EPEmax", "",
         R::Positive},
        {I::Le, DRAVIK_MEMBER(driver.leMh), "Le", P::ThisWindow, "mH", "ELe", "Le", R::ZeroOrMore},

        {I::Vb, DRAVIK_MEMBER(enclosure.vbLitres), "Vb", P::Box, "l", "EVb", "", R::Positive},
        {I::Fb, DRAVIK_MEMBER(enclosure.fbHz), "Fb", P::Box, "Hz", "EFb", "", R::Positive},
        {I::VentCount, DRAVIK_MEMBER(enclosure.ventCount), "the number of vents", P::Vent, "",
         "ENumOfVents", "", R::Positive},
        {I::VentDiameter, DRAVIK_MEMBER(enclosure.ventDiameterMm), "the vent diameter", P::Vent,
         "mm", "EVentDiam", "", R::Positive},

        {I::PrVolume, DRAVIK_MEMBER(enclosure.vbLitres), "the box volume", P::ThisWindow, "l",
         "EPrVolume", "Box volume", R::Positive},
        {I::RadiatorCount, DRAVIK_MEMBER(enclosure.radiatorCount), "the number of radiators",
         P::ThisWindow, "", "EPrCount", "Radiators", R::Positive},
        {I::RadiatorArea, DRAVIK_MEMBER(enclosure.radiatorAreaCm2), "the radiator's area",
         P::ThisWindow, "cm^2", "EPrArea", "Sd", R::Positive},
        {I::RadiatorMass, DRAVIK_MEMBER(enclosure.radiatorMassG), "the radiator's moving mass",
         P::ThisWindow, "g", "EPrMass", "Mmp", R::Positive},
        {I::RadiatorAddedMass, DRAVIK_MEMBER(enclosure.radiatorAddedMassG),
         "the radiator's added mass", P::ThisWindow, "g", "EPrAddedMass", "Added mass",
         R::ZeroOrMore},
        {I::RadiatorCompliance, DRAVIK_MEMBER(enclosure.radiatorComplianceMmPerN),
         "the radiator's compliance", P::ThisWindow, "mm/N", "EPrCompliance", "Cmp", R::Positive},
        {I::RadiatorQms, DRAVIK_MEMBER(enclosure.radiatorQms), "the radiator's Qms", P::ThisWindow,
         "", "EPrQms", "Qmp", R::Positive},
        {I::RadiatorXmax, DRAVIK_MEMBER(enclosure.radiatorXmaxMm), "the radiator's Xmax",
         P::ThisWindow, "mm", "EPrXmax", "Xmax", R::PositiveOrNone},

        {I::Bp4RearVolume, DRAVIK_MEMBER(enclosure.vbLitres), "the rear chamber's volume",
         P::ThisWindow, "l", "EBp4RearVolume", "Rear chamber (sealed)", R::Positive},
        {I::Bp4FrontVolume, DRAVIK_MEMBER(enclosure.frontVolumeLitres),
         "the front chamber's volume", P::ThisWindow, "l", "EBp4FrontVolume", "Front chamber",
         R::Positive},
        {I::Bp4Tuning, DRAVIK_MEMBER(enclosure.fbHz), "the front chamber's tuning", P::ThisWindow,
         "Hz", "EBp4Tuning", "Tuning", R::Positive},
        {I::Bp4VentCount, DRAVIK_MEMBER(enclosure.ventCount), "the number of vents", P::ThisWindow,
         "", "EBp4VentCount", "Vents", R::Positive},
        {I::Bp4VentDiameter, DRAVIK_MEMBER(enclosure.ventDiameterMm), "the vent diameter",
         P::ThisWindow, "mm", "EBp4VentDiameter", "Vent diameter", R::Positive},

        {I::Bp6RearVolume, DRAVIK_MEMBER(enclosure.vbLitres), "the rear chamber's volume",
         P::ThisWindow, "l", "EBp6RearVolume", "Rear chamber", R::Positive},
        {I::Bp6RearTuning, DRAVIK_MEMBER(enclosure.rearTuningHz), "the rear chamber's tuning",
         P::ThisWindow, "Hz", "EBp6RearTuning", "Rear tuning", R::Positive},
        {I::Bp6RearVentCount, DRAVIK_MEMBER(enclosure.rearVentCount), "the number of rear vents",
         P::ThisWindow, "", "EBp6RearVentCount", "Rear vents", R::Positive},
        {I::Bp6RearVentDiameter, DRAVIK_MEMBER(enclosure.rearVentDiameterMm),
         "the rear vent diameter", P::ThisWindow, "mm", "EBp6RearVentDiameter",
         "Rear vent diameter", R::Positive},
        {I::Bp6FrontVolume, DRAVIK_MEMBER(enclosure.frontVolumeLitres),
         "the front chamber's volume", P::ThisWindow, "l", "EBp6FrontVolume", "Front chamber",
         R::Positive},
        {I::Bp6FrontTuning, DRAVIK_MEMBER(enclosure.fbHz), "the front chamber's tuning",
         P::ThisWindow, "Hz", "EBp6FrontTuning", "Front tuning", R::Positive},
        {I::Bp6FrontVentCount, DRAVIK_MEMBER(enclosure.ventCount), "the number of front vents",
         P::ThisWindow, "", "EBp6FrontVentCount", "Front vents", R::Positive},
        {I::Bp6FrontVentDiameter, DRAVIK_MEMBER(enclosure.ventDiameterMm),
         "the front vent diameter", P::ThisWindow, "mm", "EBp6FrontVentDiameter",
         "Front vent diameter", R::Positive},

        {I::LeakageQ, DRAVIK_MEMBER(enclosure.leakageQ), "the leakage Q", P::ThisWindow, "",
         "ELeakageQ", "Leakage QL", R::PositiveOrNone},
        {I::VentQ, DRAVIK_MEMBER(enclosure.ventQ), "the vent Q", P::ThisWindow, "", "EVentQ",
         "Vent Q", R::PositiveOrNone},
        {I::Power, DRAVIK_MEMBER(drive.powerW), "an input power above 0 W", P::ThisWindow, "W",
         "EPower", "Input power", R::Positive},
        {I::Voltage, DRAVIK_MEMBER(drive.voltageV), "a drive voltage above 0 V", P::ThisWindow, "V",
         "EVoltage", "Voltage", R::Positive},
        {I::SourceResistance, DRAVIK_MEMBER(drive.sourceResistanceOhm), "the source resistance",
         P::ThisWindow, "ohm", "ESourceResistance", "Rs", R::ZeroOrMore},

        {I::AmpRatedPower, DRAVIK_MEMBER(amplifier.ratedPowerW), "the amplifier's rated power",
         P::ThisWindow, "W", "EAmpRatedPower", "Rated power", R::PositiveOrNone, nullptr,
         G::Amplifier},
        {I::AmpRatedLoad, DRAVIK_MEMBER(amplifier.ratedLoadOhm), "the amplifier's rated load",
         P::ThisWindow, "ohm", "EAmpRatedLoad", "into", R::PositiveOrNone, nullptr, G::Amplifier},
        {I::AmpCurrentLimit, DRAVIK_MEMBER(amplifier.currentLimitA),
         "the amplifier's current limit", P::ThisWindow, "A", "EAmpCurrentLimit", "Current limit",
         R::PositiveOrNone, nullptr, G::Amplifier},

        {I::CabinCorner, DRAVIK_MEMBER(environment.cabin.cornerHz), "the cabin's corner frequency",
         P::ThisWindow, "Hz", "ECabinCorner", "Corner", R::Positive, nullptr, G::Cabin},
        {I::CabinLength, DRAVIK_MEMBER(environment.cabin.lengthM), "the cabin's length",
         P::ThisWindow, "m", "ECabinLength", "Cabin length", R::Positive, nullptr, G::Cabin},
        {I::CabinSlope, DRAVIK_MEMBER(environment.cabin.slopeDbPerOctave), "the cabin's slope",
         P::ThisWindow, "dB/oct", "ECabinSlope", "Slope", R::Positive, nullptr, G::Cabin},
        {I::CabinMaxGain, DRAVIK_MEMBER(environment.cabin.maxGainDb), "the cabin's most gain",
         P::ThisWindow, "dB", "ECabinMaxGain", "At most", R::Positive, nullptr, G::Cabin},

        {I::RoomLength, DRAVIK_MEMBER(environment.room.lengthM), "the room's length", P::ThisWindow,
         "m", "ERoomLength", "Room length", R::Positive, nullptr, G::Room},
        {I::RoomWidth, DRAVIK_MEMBER(environment.room.widthM), "the room's width", P::ThisWindow,
         "m", "ERoomWidth", "width", R::Positive, nullptr, G::Room},
        {I::RoomHeight, DRAVIK_MEMBER(environment.room.heightM), "the room's height", P::ThisWindow,
         "m", "ERoomHeight", "height", R::Positive, nullptr, G::Room},
        {I::RoomReverberation, DRAVIK_MEMBER(environment.room.reverberationS),
         "the room's reverberation time", P::ThisWindow, "s", "ERoomT60", "T60", R::Positive,
         nullptr, G::Room},
        {I::SourceX, DRAVIK_MEMBER(environment.room.sourceM[0]), "the box's position",
         P::ThisWindow, "m", "ESourceX", "Box at x", R::ZeroOrMore, nullptr, G::Room},
        {I::SourceY, DRAVIK_MEMBER(environment.room.sourceM[1]), "the box's position",
         P::ThisWindow, "m", "ESourceY", "y", R::ZeroOrMore, nullptr, G::Room},
        {I::SourceZ, DRAVIK_MEMBER(environment.room.sourceM[2]), "the box's position",
         P::ThisWindow, "m", "ESourceZ", "z", R::ZeroOrMore, nullptr, G::Room},
        {I::ListenerX, DRAVIK_MEMBER(environment.room.listenerM[0]), "the listener's position",
         P::ThisWindow, "m", "EListenerX", "Listener at x", R::ZeroOrMore, nullptr, G::Room},
        {I::ListenerY, DRAVIK_MEMBER(environment.room.listenerM[1]), "the listener's position",
         P::ThisWindow, "m", "EListenerY", "y", R::ZeroOrMore, nullptr, G::Room},
        {I::ListenerZ, DRAVIK_MEMBER(environment.room.listenerM[2]), "the listener's position",
         P::ThisWindow, "m", "EListenerZ", "z", R::ZeroOrMore, nullptr, G::Room},
    };
    return rows;
}

#undef DRAVIK_MEMBER

} // namespace

const std::vector<InputRow> &DesignInputRows() {
    return Rows();
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
