#include "Enclosures.h"

#include "Acoustics.h"

#include <cmath>
#include <stdexcept>

namespace dravik {

namespace {

constexpr double Pi = acoustics::PiFull;
using I = ModelInput;

double Value(const std::optional<double> &v, double otherwise = 0.0) {
    return v && std::isfinite(*v) ? *v : otherwise;
}

double ChamberCompliance(double litres, const AirProperties &air) {
    return litres * 1e-3 / (air.density * air.soundSpeed * air.soundSpeed);
}

double CircleArea(double diameterMm) {
    using namespace acoustics;
    return PistonArea(MetresFromMillimetres(diameterMm), Pi, AreaOrder::PiHalfSquare);
}

// A chamber tuned by its vents to `tuningHz`: the vents' acoustic mass
// resonates with the chamber's compliance there. The leak QL / (2 pi f C)
// is taken at the same tuning, and the vents' own loss 2 pi f Mav / Qv is in
// series with their mass. Returns the chamber's node.
AcousticNode AddVentedChamber(BoxCircuit &b, double litres, double tuningHz,
                              const std::optional<double> &count,
                              const std::optional<double> &diameterMm, const BoxParameters &box,
                              const AirProperties &air, VentSet set) {
    const double compliance = ChamberCompliance(litres, air);
    const AcousticNode node = b.addChamber(compliance);
    const double wb = 2.0 * Pi * tuningHz;
    Outlet vents{Outlet::Role::Vents, set};
    vents.mass = 1.0 / (wb * wb * compliance);
    if (box.ventQ)
        vents.resistance = wb * vents.mass / *box.ventQ;
    vents.count = Value(count, 1.0);
    vents.area = CircleArea(Value(diameterMm));
    b.addOutlet(node, vents);
    if (box.leakageQ)
        b.addOutlet(node, {Outlet::Role::Leak, set, *box.leakageQ / (wb * compliance)});
    return node;
}

// The drivers' backs in the box, their fronts to the outside air.
BoxCircuit VentedBox(const BoxParameters &box, const AirProperties &air, const DriverLoad &) {
    BoxCircuit b;
    b.driverRear = AddVentedChamber(b, Value(box.vbLitres), Value(box.fbHz), box.ventCount,
                                    box.ventDiameterMm, box, air, VentSet::Main);
    return b;
}

// The closed box keeps its losses in series with each driver, at the system's
// resonance Fc = Fs sqrt(1 + alpha), alpha the drivers' compliance over the box's.
BoxCircuit ClosedBox(const BoxParameters &box, const AirProperties &air,
                     const DriverLoad &drivers) {
    BoxCircuit b;
    const double compliance = ChamberCompliance(Value(box.vbLitres), air);
    b.driverRear = b.addChamber(compliance);
    const double alpha = drivers.units * drivers.unitCompliance / compliance;
    const double fc = drivers.fs * std::sqrt(1.0 + alpha);
    b.driverLossResistance = ClosedBoxLossFactor * 2.0 * Pi * fc * drivers.movingMass;
    return b;
}

struct RadiatorFigures {
    double count, area, mass, addedMass, compliance, qms; // SI
};

RadiatorFigures Radiators(const BoxParameters &box) {
    return {Value(box.radiatorCount, 1.0),
            Value(box.radiatorAreaCm2) * 1e-4,
            Value(box.radiatorMassG) * 1e-3,
            Value(box.radiatorAddedMassG) * 1e-3,
            Value(box.radiatorComplianceMmPerN) * 1e-3,
            Value(box.radiatorQms)};
}

// Each radiator is (Rmp + j w (Mmp + Madd) + 1 / (j w Cmp)) / Sp^2 in the
// acoustic analogy; its loss Rmp = 2 pi fp0 Mmp / Qmp is set at its own
// resonance without added mass, as a datasheet gives Qmp. The m radiators
// share the flow.
BoxCircuit PassiveRadiatorBox(const BoxParameters &box, const AirProperties &air,
                              const DriverLoad &) {
    BoxCircuit b;
    const double compliance = ChamberCompliance(Value(box.vbLitres), air);
    b.driverRear = b.addChamber(compliance);
    const RadiatorFigures r = Radiators(box);
    const double area2 = r.area * r.area;
    Outlet radiators{Outlet::Role::Radiators};
    radiators.resistance = std::sqrt(r.mass / r.compliance) / r.qms / (r.count * area2);
    radiators.mass = (r.mass + r.addedMass) / (r.count * area2);
    radiators.compliance = r.compliance * r.count * area2;
    radiators.count = r.count;
    radiators.area = r.area;
    b.addOutlet(b.driverRear, radiators);
    if (box.leakageQ) {
        const double wb = 2.0 * Pi * TuningOfRadiators(box, air).fb;
        b.addOutlet(b.driverRear,
                    {Outlet::Role::Leak, VentSet::Main, *box.leakageQ / (wb * compliance)});
    }
    return b;
}

// A sealed rear chamber behind the drivers; their fronts face a chamber that
// its vents tune. Only the front chamber reaches the outside.
BoxCircuit Bandpass4Box(const BoxParameters &box, const AirProperties &air, const DriverLoad &) {
    BoxCircuit b;
    b.driverRear = b.addChamber(ChamberCompliance(Value(box.vbLitres), air));
    b.driverFront = AddVentedChamber(b, Value(box.frontVolumeLitres), Value(box.fbHz),
                                     box.ventCount, box.ventDiameterMm, box, air, VentSet::Main);
    return b;
}

// Both chambers vented to the outside, each at its own tuning.
BoxCircuit Bandpass6Box(const BoxParameters &box, const AirProperties &air, const DriverLoad &) {
    BoxCircuit b;
    b.driverRear =
        AddVentedChamber(b, Value(box.vbLitres), Value(box.rearTuningHz), box.rearVentCount,
                         box.rearVentDiameterMm, box, air, VentSet::Rear);
    b.driverFront = AddVentedChamber(b, Value(box.frontVolumeLitres), Value(box.fbHz),
                                     box.ventCount, box.ventDiameterMm, box, air, VentSet::Main);
    return b;
}

const std::vector<EnclosureKind> &Kinds() {
    static const std::vector<EnclosureKind> kinds = {
        {BoxKind::Vented,
         "vented",
         "Vented",
         "VentedChoice",
         true,
         {I::Vb, I::Fb},
         {I::VentCount, I::VentDiameter},
         false,
         false,
         true,
         true,
         &VentedBox},
        {BoxKind::Closed,
         "closed",
         "Closed",
         "ClosedChoice",
         true,
         {I::Vb},
         {},
         false,
         false,
         false,
         false,
         &ClosedBox},
        {BoxKind::PassiveRadiator,
         "passive-radiator",
         "Passive radiator",
         "PassiveRadiatorChoice",
         false,
         {I::PrVolume, I::RadiatorCount, I::RadiatorArea, I::RadiatorMass, I::RadiatorAddedMass,
          I::RadiatorCompliance, I::RadiatorQms, I::RadiatorXmax},
         {},
         false,
         true,
         true,
         false,
         &PassiveRadiatorBox},
        {BoxKind::Bandpass4,
         "bandpass-4",
         "Bandpass 4th order",
         "Bandpass4Choice",
         false,
         {I::Bp4RearVolume, I::Bp4FrontVolume, I::Bp4Tuning},
         {I::Bp4VentCount, I::Bp4VentDiameter},
         false,
         false,
         true,
         true,
         &Bandpass4Box},
        {BoxKind::Bandpass6,
         "bandpass-6",
         "Bandpass 6th order",
         "Bandpass6Choice",
         false,
         {I::Bp6RearVolume, I::Bp6RearTuning, I::Bp6FrontVolume, I::Bp6FrontTuning},
         {I::Bp6FrontVentCount, I::Bp6FrontVentDiameter, I::Bp6RearVentCount,
          I::Bp6RearVentDiameter},
         true,
         false,
         true,
         true,
         &Bandpass6Box},
    };
    return kinds;
}

} // namespace

const std::vector<EnclosureKind> &EnclosureKinds() {
    return Kinds();
}

const EnclosureKind &KindOf(BoxKind kind) {
    for (const EnclosureKind &k : Kinds())
        if (k.kind == kind)
            return k;
    throw std::logic_error("an enclosure kind without a row");
}

std::optional<BoxKind> KindNamed(const QString &setupName) {
    for (const EnclosureKind &k : Kinds())
        if (setupName == QLatin1String(k.setupName))
            return k.kind;
    return std::nullopt;
}

RadiatorTuning TuningOfRadiators(const BoxParameters &box, const AirProperties &air) {
    const RadiatorFigures r = Radiators(box);
    RadiatorTuning t;
    t.fp = 1.0 / (2.0 * Pi * std::sqrt((r.mass + r.addedMass) * r.compliance));
    const double vap =
        air.density * air.soundSpeed * air.soundSpeed * r.area * r.area * r.compliance; // m^3
    t.delta = r.count * vap / (Value(box.vbLitres) * 1e-3);
    t.fb = t.fp * std::sqrt(1.0 + t.delta);
    return t;
}

std::optional<double> AddedMassForTuning(const BoxParameters &box, const AirProperties &air,
                                         double tuningHz) {
    const RadiatorFigures r = Radiators(box);
    const double delta = TuningOfRadiators(box, air).delta;
    const double w = 2.0 * Pi * tuningHz / std::sqrt(1.0 + delta);
    const double added = 1.0 / (w * w * r.compliance) - r.mass;
    if (!std::isfinite(added) || added < 0.0 || !(tuningHz > 0.0))
        return std::nullopt;
    return added * 1e3;
}

std::optional<BandpassDesign> DesignBandpass4(double fs, double qts, double vasLitres, double s,
                                              double gainDb) {
    BandpassDesign d;
    d.qbp = std::pow(10.0, gainDb / 40.0) / (2.0 * s);
    d.fbHz = d.qbp * fs / qts;
    d.frontLitres = std::pow(2.0 * s * qts, 2) * vasLitres;
    d.rearLitres = vasLitres / (std::pow(d.qbp / qts, 2) - 1.0);
    for (double v : {d.qbp, d.fbHz, d.frontLitres, d.rearLitres})
        if (!std::isfinite(v) || v <= 0.0)
            return std::nullopt;
    return d;
}

} // namespace dravik
