#include "DesignSetup.h"

#include "DesignInputs.h"

#include <cmath>
#include <tuple>

namespace dravik {

namespace {

// Every number of two designs that the table of inputs names.
bool NumbersEqual(const DesignSetup &a, const DesignSetup &b) {
    for (const InputRow &row : DesignInputRows())
        if (InputValue(a, row) != InputValue(b, row))
            return false;
    return true;
}

template <class Part>
bool EqualAsPartOfSetup(const Part &a, const Part &b, Part DesignSetup::*part) {
    DesignSetup x, y;
    x.*part = a;
    y.*part = b;
    return NumbersEqual(x, y);
}

} // namespace

AirProperties AirFromConditions(const AirConditions &air) {
    // Dry air 287.058 J/(kg K), water vapour 461.495 J/(kg K), and the
    // saturation pressure of water over temperature in degrees Celsius.
    constexpr double DryAirGasConstant = 287.058;
    constexpr double VapourGasConstant = 461.495;
    constexpr double AdiabaticIndex = 1.4;
    const double t = air.temperatureC;
    const double kelvin = t + 273.15;
    const double saturation = 610.78 * std::exp(17.2694 * t / (t + 238.3));
    const double vapour = air.relativeHumidityPercent / 100.0 * saturation;
    AirProperties out;
    out.density = (air.pressurePa - vapour) / (DryAirGasConstant * kelvin) +
                  vapour / (VapourGasConstant * kelvin);
    out.soundSpeed = std::sqrt(AdiabaticIndex * air.pressurePa / out.density);
    out.conditions = air;
    return out;
}

bool operator==(const AirProperties &a, const AirProperties &b) {
    const auto conditions = [](const AirProperties &x) {
        return x.conditions
                   ? std::make_tuple(true, x.conditions->temperatureC, x.conditions->pressurePa,
                                     x.conditions->relativeHumidityPercent)
                   : std::make_tuple(false, 0.0, 0.0, 0.0);
    };
    return a.density == b.density && a.soundSpeed == b.soundSpeed && conditions(a) == conditions(b);
}

bool operator==(const VoiceCoils &a, const VoiceCoils &b) {
    return a.count == b.count && a.givenFor == b.givenFor;
}

bool operator==(const DriverParameters &a, const DriverParameters &b) {
    return a.coils == b.coils && a.voiceCoil.model == b.voiceCoil.model &&
           EqualAsPartOfSetup(a, b, &DesignSetup::driver);
}

bool operator==(const DriverArrangement &a, const DriverArrangement &b) {
    return std::tie(a.count, a.mounting, a.wiring, a.coilJoin) ==
           std::tie(b.count, b.mounting, b.wiring, b.coilJoin);
}

bool operator==(const PathSegment &a, const PathSegment &b) {
    return std::tie(a.flare, a.lengthCm, a.startAreaCm2, a.endAreaCm2, a.t, a.fillResistivity) ==
           std::tie(b.flare, b.lengthCm, b.startAreaCm2, b.endAreaCm2, b.t, b.fillResistivity);
}

bool operator==(const BoxParameters &a, const BoxParameters &b) {
    return a.kind == b.kind && a.ventsAsDucts == b.ventsAsDucts && a.segments == b.segments &&
           a.mouth == b.mouth && EqualAsPartOfSetup(a, b, &DesignSetup::enclosure);
}

bool operator==(const DriveParameters &a, const DriveParameters &b) {
    return a.given == b.given && EqualAsPartOfSetup(a, b, &DesignSetup::drive);
}

bool operator==(const AmplifierParameters &a, const AmplifierParameters &b) {
    return EqualAsPartOfSetup(a, b, &DesignSetup::amplifier);
}

bool operator==(const ListeningSpace &a, const ListeningSpace &b) {
    return a.kind == b.kind && a.cabin.cornerFromLength == b.cabin.cornerFromLength &&
           EqualAsPartOfSetup(a, b, &DesignSetup::environment);
}

bool operator==(const DesignSetup &a, const DesignSetup &b) {
    return a.label == b.label && a.manufacturer == b.manufacturer && a.model == b.model &&
           a.air == b.air && a.driver.coils == b.driver.coils && a.drivers == b.drivers &&
           a.enclosure.kind == b.enclosure.kind &&
           a.enclosure.ventsAsDucts == b.enclosure.ventsAsDucts &&
           a.enclosure.segments == b.enclosure.segments && a.enclosure.mouth == b.enclosure.mouth &&
           a.drive.given == b.drive.given && a.filters == b.filters &&
           a.environment.kind == b.environment.kind && a.units == b.units &&
           a.environment.cabin.cornerFromLength == b.environment.cabin.cornerFromLength &&
           NumbersEqual(a, b);
}

QString DriverName(const DesignSetup &setup) {
    return (setup.manufacturer.trimmed() + QLatin1Char(' ') + setup.model.trimmed()).trimmed();
}

} // namespace dravik
