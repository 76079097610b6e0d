#include "Enclosures.h"

#include "Acoustics.h"
#include "DesignModel.h"
#include "Ducts.h"
#include "Paths.h"

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

// The vents as one uniform duct of their whole area and of the length that
// tunes the lumped vents, k S c^2 / ((2 pi Fb)^2 V), open to the outside air
// at zero pressure (no radiation load, as every vent): at low frequencies
// its air is the lumped vents' mass, and above, its pipe resonances show.
// A vent Q's resistance sits in series at its box end.
void AddVentDuct(BoxCircuit &b, AcousticNode node, const Outlet &vents, double litres,
                 double tuningHz, const AirProperties &air) {
    const double area = vents.count * vents.area;
    DuctSegment duct;
    duct.lengthM = acoustics::TuningVentLengthM(vents.count, vents.area, litres * 1e-3, tuningHz,
                                                air.soundSpeed);
    duct.startAreaM2 = duct.endAreaM2 = area;
    const DuctAir ductAir{air.density, air.soundSpeed};
    const double resistance = vents.resistance;
    b.addDuctOutlet(node, OutsideAir, vents.set, area, [=](const DualComplex &jw) {
        return AdmittanceOf(SeriesImpedance(resistance) * SegmentTransfer(duct, ductAir, jw));
    });
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
    if (box.ventsAsDucts)
        AddVentDuct(b, node, vents, litres, tuningHz, air);
    else
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
    const double fc = ResonanceWithBox(drivers.fs, alpha);
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

// A path that cannot be solved builds a still box: its charts say what is
// wrong with it instead of showing curves.
BoxCircuit UnsolvablePath() {
    BoxCircuit b;
    b.driverRear = b.addChamber(1e-9);
    return b;
}

DuctAir DuctAirOf(const AirProperties &air) {
    return {air.density, air.soundSpeed};
}

// The node of a path closed at its start where the cone first feeds it: the
// closed end itself, or the boundary `tap` with the closed piece before it.
AcousticNode FirstTapOfClosedPath(BoxCircuit &b, const std::vector<DuctSegment> &segments,
                                  size_t tap, const AirProperties &air) {
    const AcousticNode closedEnd = b.addNode();
    if (tap == 0)
        return closedEnd;
    const AcousticNode node = b.addNode();
    AddPathPiece(b, closedEnd, node, segments, 0, tap, DuctAirOf(air));
    return node;
}

// The cone's rear feeds the line where the driver sits (at its closed end,
// or further along: an offset driver); its front radiates directly.
BoxCircuit TransmissionLineBox(const BoxParameters &box, const AirProperties &air,
                               const DriverLoad &) {
    if (!PathFault(box).isEmpty())
        return UnsolvablePath();
    const std::vector<DuctSegment> segments = DuctSegmentsOf(box);
    const size_t tap = *TapAt(box, *box.driverAtCm);
    BoxCircuit b;
    b.driverRear = FirstTapOfClosedPath(b, segments, tap, air);
    AddPathToMouth(b, b.driverRear, segments, tap, box.mouth, DuctAirOf(air));
    return b;
}

// The path closed at its start; the cone's front feeds it at one tap and its
// rear at a tap further along; only the mouth radiates.
BoxCircuit TappedHornBox(const BoxParameters &box, const AirProperties &air, const DriverLoad &) {
    if (!PathFault(box).isEmpty())
        return UnsolvablePath();
    const std::vector<DuctSegment> segments = DuctSegmentsOf(box);
    const size_t front = *TapAt(box, *box.frontAtCm), rear = *TapAt(box, *box.rearAtCm);
    BoxCircuit b;
    b.driverFront = FirstTapOfClosedPath(b, segments, front, air);
    b.driverRear = b.addNode();
    AddPathPiece(b, b.driverFront, b.driverRear, segments, front, rear, DuctAirOf(air));
    AddPathToMouth(b, b.driverRear, segments, rear, box.mouth, DuctAirOf(air));
    return b;
}

// The cone's rear in a sealed chamber; its front into a throat chamber (or
// none) that feeds the horn's throat; only the mouth radiates.
BoxCircuit FrontLoadedHornBox(const BoxParameters &box, const AirProperties &air,
                              const DriverLoad &) {
    if (!PathFault(box).isEmpty())
        return UnsolvablePath();
    BoxCircuit b;
    b.driverRear = b.addChamber(ChamberCompliance(Value(box.vbLitres), air));
    const double throat = Value(box.throatVolumeLitres);
    b.driverFront = throat > 0.0 ? b.addChamber(ChamberCompliance(throat, air)) : b.addNode();
    AddPathToMouth(b, b.driverFront, DuctSegmentsOf(box), 0, box.mouth, DuctAirOf(air));
    return b;
}

// A figure of the current design, or a sensible one where it has none.
double Given(const std::optional<double> &v, double otherwise) {
    return v && std::isfinite(*v) && *v > 0.0 ? *v : otherwise;
}

// The closed box's resonance with the drivers' compliance together: an
// isobaric pair has half a driver's.
std::optional<double> ClosedBoxFc(const DesignSetup &s) {
    const BoxParameters &b = s.enclosure;
    const DriverParameters &d = s.driver;
    if (!b.vbLitres || !d.fs || !d.vasLitres)
        return std::nullopt;
    return ResonanceWithBox(*d.fs, DriversVasShare(s.drivers) * *d.vasLitres / *b.vbLitres);
}

std::optional<double> RadiatorsFb(const DesignSetup &s) {
    const double fb = TuningOfRadiators(s.enclosure, s.air).fb;
    return std::isfinite(fb) && fb > 0.0 ? std::optional<double>(fb) : std::nullopt;
}

// A radiator of the driver's size and suspension, weighted to tune the box
// to the main window's Fb.
std::optional<BoxParameters> StartingRadiatorBox(const DesignSetup &current) {
    const DriverParameters &d = current.driver;
    BoxParameters b;
    b.kind = BoxKind::PassiveRadiator;
    b.vbLitres = Given(current.enclosure.vbLitres, 100.0);
    b.radiatorCount = 1.0;
    const double sd = Given(d.sd, 0.05);
    const DriverMechanics driver =
        MechanicsOf(Given(d.fs, 30.0), Given(d.vasLitres, 100.0), sd, current.air);
    b.radiatorAreaCm2 = std::round(sd * 1e4);
    b.radiatorMassG = std::round(driver.mms * 1e3);
    b.radiatorComplianceMmPerN = driver.cms * 1e3;
    b.radiatorQms = 5.0;
    b.radiatorAddedMassG = std::round(
        AddedMassForTuning(b, current.air, Given(current.enclosure.fbHz, 30.0)).value_or(0.0));
    b.radiatorXmaxMm = 2.0 * Given(d.xmaxMm, 10.0);
    return b;
}

// The closed forms' 4th-order bandpass box (S 0.7, 3 dB of gain), or the
// main window's box halved where the driver gives none.
std::optional<BoxParameters> StartingBandpass4(const DesignSetup &current) {
    const DriverParameters &d = current.driver;
    const double vb = Given(current.enclosure.vbLitres, 100.0);
    const std::optional<BandpassDesign> bp =
        DesignBandpass4(Given(d.fs, 30.0), Given(d.qts, 0.4), Given(d.vasLitres, 100.0),
                        BandpassStartingS, BandpassStartingGainDb);
    BoxParameters b;
    b.kind = BoxKind::Bandpass4;
    b.vbLitres = bp ? bp->rearLitres : vb / 2.0;
    b.frontVolumeLitres = bp ? bp->frontLitres : vb / 2.0;
    b.fbHz = bp ? bp->fbHz : 2.0 * Given(current.enclosure.fbHz, 30.0);
    b.ventCount = 1.0;
    b.ventDiameterMm = Given(current.enclosure.ventDiameterMm, 100.0);
    return b;
}

// The main window's box behind the drivers, tuned as it is, and half of it
// in front tuned an octave higher.
std::optional<BoxParameters> StartingBandpass6(const DesignSetup &current) {
    const double vb = Given(current.enclosure.vbLitres, 100.0);
    const double fb = Given(current.enclosure.fbHz, 30.0);
    const double vent = Given(current.enclosure.ventDiameterMm, 100.0);
    BoxParameters b;
    b.kind = BoxKind::Bandpass6;
    b.vbLitres = vb;
    b.rearTuningHz = fb;
    b.rearVentCount = 1.0;
    b.rearVentDiameterMm = vent;
    b.frontVolumeLitres = vb / 2.0;
    b.fbHz = 2.0 * fb;
    b.ventCount = 1.0;
    b.ventDiameterMm = vent;
    return b;
}

using B = BoxParameters;

const KindChamber BoxChamber{"Vb", &B::vbLitres};
const KindChamber VentedBoxChamber{"Vb",          &B::vbLitres,       "Fb", &B::fbHz,
                                   &B::ventCount, &B::ventDiameterMm, "",   VentSet::Main};
// A path's segment of a flare between two areas (cm^2) over a length (cm).
PathSegment Segment(Flare flare, double lengthCm, double startCm2, double endCm2) {
    PathSegment s;
    s.flare = flare;
    s.lengthCm = std::round(lengthCm * 10.0) / 10.0;
    s.startAreaCm2 = std::round(startCm2);
    s.endAreaCm2 = std::round(endCm2);
    return s;
}

double QuarterWaveCm(double hz, const AirProperties &air) {
    return air.soundSpeed / (4.0 * hz) * 100.0;
}

// A quarter-wave line of the cone's area, tuned near the driver's Fs, the
// driver at its closed end, its mouth on the baffle.
std::optional<BoxParameters> StartingLine(const DesignSetup &current) {
    const DriverParameters &d = current.driver;
    BoxParameters b;
    b.kind = BoxKind::TransmissionLine;
    const double area = Given(d.sd, 0.05) * 1e4;
    b.segments = {
        Segment(Flare::Uniform, QuarterWaveCm(Given(d.fs, 30.0), current.air), area, area)};
    b.segments.front().endAreaCm2 = b.segments.front().startAreaCm2;
    b.driverAtCm = 0.0;
    return b;
}

// A tapped horn a quarter wave long at the driver's Fs, widening from half
// the cone's area to six times it; the cone's front at the closed end and
// its rear a third of the way along.
std::optional<BoxParameters> StartingTappedHorn(const DesignSetup &current) {
    const DriverParameters &d = current.driver;
    BoxParameters b;
    b.kind = BoxKind::TappedHorn;
    const double area = Given(d.sd, 0.05) * 1e4;
    const double length = QuarterWaveCm(Given(d.fs, 30.0), current.air);
    b.segments = {Segment(Flare::Conical, length / 3.0, area / 2.0, 2.0 * area),
                  Segment(Flare::Conical, 2.0 * length / 3.0, 2.0 * area, 6.0 * area)};
    b.segments[1].startAreaCm2 = b.segments[0].endAreaCm2;
    b.frontAtCm = 0.0;
    b.rearAtCm = b.segments[0].lengthCm;
    return b;
}

// An exponential horn whose cut-off is the driver's Fs, its throat half the
// cone's area, its mouth's circumference a wavelength at the cut-off; the
// driver's Vas sealed behind it and no throat chamber.
std::optional<BoxParameters> StartingHorn(const DesignSetup &current) {
    const DriverParameters &d = current.driver;
    BoxParameters b;
    b.kind = BoxKind::FrontLoadedHorn;
    const double fc = Given(d.fs, 30.0), c = current.air.soundSpeed;
    const double throat = Given(d.sd, 0.05) * 1e4 / 2.0;
    const double circumference = c / fc * 100.0; // cm
    const double mouth = std::max(circumference * circumference / (4.0 * Pi), 2.0 * throat);
    const double m = 4.0 * Pi * fc / c / 100.0; // flare constant, 1/cm
    b.segments = {Segment(Flare::Exponential, std::log(mouth / throat) / m, throat, mouth)};
    b.vbLitres = std::round(Given(d.vasLitres, 100.0));
    b.throatVolumeLitres = 0.0;
    return b;
}

const std::vector<EnclosureKind> &Kinds() {
    const KindFileKey leakage{"", "leakage_q", I::LeakageQ}, ventQ{"", "vent_q", I::VentQ};
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
         &VentedBox,
         {VentedBoxChamber},
         std::nullopt,
         nullptr,
         {{"", "volume_l", I::Vb},
          {"", "tuning_hz", I::Fb},
          {"", "vent_count", I::VentCount},
          {"", "vent_diameter_mm", I::VentDiameter},
          leakage,
          ventQ},
         KindHelper::None},
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
         &ClosedBox,
         {BoxChamber},
         KindResonance{"Fc", &ClosedBoxFc, false},
         nullptr,
         {{"", "volume_l", I::Vb}},
         KindHelper::None},
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
         &PassiveRadiatorBox,
         {BoxChamber},
         KindResonance{"fB", &RadiatorsFb, true},
         &StartingRadiatorBox,
         {{"", "volume_l", I::PrVolume},
          leakage,
          {"radiator", "count", I::RadiatorCount},
          {"radiator", "sd_cm2", I::RadiatorArea},
          {"radiator", "mass_g", I::RadiatorMass},
          {"radiator", "added_mass_g", I::RadiatorAddedMass},
          {"radiator", "compliance_mm_per_n", I::RadiatorCompliance},
          {"radiator", "qms", I::RadiatorQms},
          {"radiator", "xmax_mm", I::RadiatorXmax}},
         KindHelper::RadiatorTuning},
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
         &Bandpass4Box,
         {{"Vr", &B::vbLitres},
          {"Vf", &B::frontVolumeLitres, "Fb", &B::fbHz, &B::ventCount, &B::ventDiameterMm,
           "Front chamber: ", VentSet::Main}},
         std::nullopt,
         &StartingBandpass4,
         {{"", "rear_volume_l", I::Bp4RearVolume},
          {"", "front_volume_l", I::Bp4FrontVolume},
          {"", "tuning_hz", I::Bp4Tuning},
          {"", "vent_count", I::Bp4VentCount},
          {"", "vent_diameter_mm", I::Bp4VentDiameter},
          leakage,
          ventQ},
         KindHelper::BandpassDesign},
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
         &Bandpass6Box,
         {{"Vr", &B::vbLitres, "Fr", &B::rearTuningHz, &B::rearVentCount, &B::rearVentDiameterMm,
           "Rear chamber: ", VentSet::Rear},
          {"Vf", &B::frontVolumeLitres, "Ff", &B::fbHz, &B::ventCount, &B::ventDiameterMm,
           "Front chamber: ", VentSet::Main}},
         std::nullopt,
         &StartingBandpass6,
         {{"", "rear_volume_l", I::Bp6RearVolume},
          {"", "rear_tuning_hz", I::Bp6RearTuning},
          {"", "rear_vent_count", I::Bp6RearVentCount},
          {"", "rear_vent_diameter_mm", I::Bp6RearVentDiameter},
          {"", "front_volume_l", I::Bp6FrontVolume},
          {"", "front_tuning_hz", I::Bp6FrontTuning},
          {"", "front_vent_count", I::Bp6FrontVentCount},
          {"", "front_vent_diameter_mm", I::Bp6FrontVentDiameter},
          leakage,
          ventQ},
         KindHelper::None},
        {BoxKind::TransmissionLine,
         "transmission-line",
         "Transmission line",
         "TransmissionLineChoice",
         false,
         {I::TlDriverAt},
         {},
         false,
         false,
         false,
         false,
         &TransmissionLineBox,
         {},
         std::nullopt,
         &StartingLine,
         {{"", "driver_at_cm", I::TlDriverAt}},
         KindHelper::Path},
        {BoxKind::TappedHorn,
         "tapped-horn",
         "Tapped horn",
         "TappedHornChoice",
         false,
         {I::ThFrontAt, I::ThRearAt},
         {},
         false,
         false,
         false,
         false,
         &TappedHornBox,
         {},
         std::nullopt,
         &StartingTappedHorn,
         {{"", "front_at_cm", I::ThFrontAt}, {"", "rear_at_cm", I::ThRearAt}},
         KindHelper::Path},
        {BoxKind::FrontLoadedHorn,
         "front-loaded-horn",
         "Front-loaded horn",
         "FrontLoadedHornChoice",
         false,
         {I::FlhRearVolume, I::FlhThroatVolume},
         {},
         false,
         false,
         false,
         false,
         &FrontLoadedHornBox,
         {{"Vr", &B::vbLitres}},
         std::nullopt,
         &StartingHorn,
         {{"", "rear_volume_l", I::FlhRearVolume}, {"", "throat_volume_l", I::FlhThroatVolume}},
         KindHelper::Path},
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

double DriversVasShare(const DriverArrangement &drivers) {
    const double k = CoilsPerUnit(drivers);
    return drivers.count / (k * k);
}

BoxFigure EndCorrectionOf(VentSet set) {
    return set == VentSet::Rear ? &BoxParameters::rearVentEndCorrection
                                : &BoxParameters::ventEndCorrection;
}

const char *VentKeyPrefix(BoxKind kind, VentSet set) {
    if (!KindOf(kind).hasRearVents)
        return "";
    return set == VentSet::Rear ? "rear_" : "front_";
}

const VentSetMembers &MembersOf(VentSet set) {
    static const VentSetMembers main{&B::ventDiameterMm,  &B::ventSlotWidthMm, &B::ventSlotHeightMm,
                                     &B::ventSharedWalls, I::VentSlotWidth,    I::VentSlotHeight,
                                     I::VentSharedWalls};
    static const VentSetMembers rear{&B::rearVentDiameterMm,   &B::rearVentSlotWidthMm,
                                     &B::rearVentSlotHeightMm, &B::rearVentSharedWalls,
                                     I::RearVentSlotWidth,     I::RearVentSlotHeight,
                                     I::RearVentSharedWalls};
    return set == VentSet::Rear ? rear : main;
}

bool IsSlot(const BoxParameters &box, VentSet set) {
    const VentSetMembers &m = MembersOf(set);
    return IsUsable(m.slotWidth, box.*m.slotWidthMm) && box.*m.slotWidthMm &&
           IsUsable(m.slotHeight, box.*m.slotHeightMm) && box.*m.slotHeightMm;
}

void SetSlotVentDiameters(BoxParameters &box) {
    for (VentSet set : {VentSet::Main, VentSet::Rear})
        if (IsSlot(box, set)) {
            const VentSetMembers &m = MembersOf(set);
            box.*m.diameterMm =
                acoustics::EqualAreaDiameter(*(box.*m.slotWidthMm) * *(box.*m.slotHeightMm));
        }
}

TuningMarks TuningMarksOf(const DesignSetup &setup) {
    const EnclosureKind &kind = KindOf(setup.enclosure.kind);
    TuningMarks marks;
    for (const KindChamber &chamber : kind.chambers)
        if (chamber.vented())
            (chamber.vents == VentSet::Rear ? marks.rearFbHz : marks.fbHz) =
                setup.enclosure.*chamber.tuning;
    if (kind.resonance && kind.resonance->marked)
        marks.fbHz = kind.resonance->of(setup);
    return marks;
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
