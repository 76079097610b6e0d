#include "DesignModel.h"

#include "Acoustics.h"
#include "ChartKinds.h"

#include "DualComplex.h"
#include "Enclosures.h"
#include "Paths.h"
#include "VectorState.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>

namespace dravik {

namespace {

using Complex = std::complex<double>;
using namespace acoustics;

constexpr double Pi = PiFull;
constexpr double ReferencePressure = 20e-6; // Pa, 0 dB SPL
constexpr double ListeningDistance = 1.0;   // m

double Degrees(double radians) {
    return radians * 180.0 / Pi;
}

// The design as the circuit's numbers, in SI units.
struct Resolved {
    const EnclosureKind *kind = nullptr;
    AirProperties air;
    // re and bl are one voice coil's: a dual-coil driver's are converted
    // from the wiring its figures are given for. `coil` is the impedance
    // beyond Re of one coil with its driver's other driven coils, which
    // share its former.
    double fs = 0, qes = 0, qms = 0, re = 0, sd = 0, xmax = 0, peMax = 0, rs = 0;
    double cms = 0, mms = 0, rms = 0, bl = 0, creep = 0;
    CoilTerms coil;
    double units = 1;        // drivers or isobaric pairs side by side
    double coilsPerUnit = 1; // 2 for an isobaric pair
    CoilWiring wiring{1, 1};
    double rdc = 0;          // the wired coils' DC resistance
    double eg = 0;           // the drive's open-circuit voltage, RMS
    double radiatorXmax = 0; // m, 0 for no limit
    BoxCircuit box;
    // The signal chain's enabled filters, and the listening space: an ideal
    // solid angle's or a cabin's gain, or a room's modes.
    PreparedChain chain;
    SpaceKind space = SpaceKind::HalfSpace;
    double freeFieldGain = 1.0; // pressure over half space's
    double cabinCornerHz = 0, cabinSlope = 0, cabinMaxGainDb = 0;
    std::optional<RoomResponse> room;
    // The amplifier's clipping voltage and current limit, RMS; 0 for none.
    double ampVoltage = 0, ampCurrent = 0;
};

// The drive's figures at 1 V of open-circuit voltage at one frequency.
struct CircuitPoint {
    DualComplex pressure;      // at 1 m
    Complex coneVelocity;      // of each driver, m/s
    Complex coilVoltage;       // across one voice coil
    Complex terminalImpedance; // of the wired drivers
    Complex amplifierCurrent;  // drawn from the amplifier
    Complex ventFlow[2];       // of each set of vents together, m^3/s
    Complex radiatorFlow;      // of all radiators together
};

// The drivers as one acoustic source: each coil sees the open-circuit
// voltage shared among the coils of its string, behind its own impedance
// and its share of the source resistance. Every driven coil carries the same
// current; a driver's coils share its former, so each coil's inductance is
// that of all its driver's driven coils, and their forces add. Each unit (a driver, or an
// isobaric pair whose cones move together) pushes the volume velocity U from
// the node its back faces to the node its front faces, with the source
// pressure k Bl e / (Ze Sd) behind (k Zm + k Bl^2 / Ze) / Sd^2; the units
// stand side by side. The box's elements close the circuit, and one nodal
// solve gives every pressure and flow.
CircuitPoint Solve(const Resolved &d, CircuitSolver &solver, double f) {
    using D = DualComplex;
    const double w = 2.0 * Pi * f;
    const D jw = D::ImaginaryFrequency(w);
    const double k = d.coilsPerUnit;
    const double km = k * d.wiring.coilsPerDriver; // the driven coils that move one cone
    const D e = D(1.0 / d.wiring.seriesCoils);
    const D coil = D(d.re) + CoilImpedance(d.coil, jw);
    const D coilAndSource = coil + D(d.rs * d.wiring.parallelStrings / d.wiring.seriesCoils);
    const D zm = D(k * (d.rms + d.box.driverLossResistance)) + jw * D(k * d.mms) +
                 SuspensionImpedance(d.cms / k, d.fs, d.creep, jw);
    const D sourcePressure = D(km * d.bl) * e / (coilAndSource * D(d.sd));
    const D unitImpedance = (zm + D(km * d.bl * d.bl) / coilAndSource) / D(d.sd * d.sd);
    const D drivers = D(1.0) / (unitImpedance / D(d.units));

    const CircuitFlows &flows = solver.solve({drivers, sourcePressure}, jw);
    const D u = flows.driverFlow;
    CircuitPoint point;
    point.ventFlow[0] = flows.ventFlow[0];
    point.ventFlow[1] = flows.ventFlow[1];
    point.radiatorFlow = flows.radiatorFlow;
    const D radiated = flows.radiated;
    point.pressure = jw * D(d.air.density / (2.0 * Pi * ListeningDistance)) * radiated;

    point.coneVelocity = u.value / (d.units * d.sd);
    const Complex current = Divide(e.value - d.bl * point.coneVelocity, coilAndSource.value);
    point.coilVoltage = coil.value * current + d.bl * point.coneVelocity;
    point.terminalImpedance =
        d.wiring.seriesCoils / d.wiring.parallelStrings * Divide(point.coilVoltage, current);
    point.amplifierCurrent = d.wiring.parallelStrings * current;
    return point;
}

// The pressure the drivers give far above resonance, without inductance,
// where only their moving mass holds them: rho m Bl e Sd n / (2 pi r Re' Mms),
// m the driven coils of each driver.
double MassControlledPressure(const Resolved &d) {
    const CoilWiring &w = d.wiring;
    const double reSource = d.re + d.rs * w.parallelStrings / w.seriesCoils;
    return d.air.density * (w.coilsPerDriver * d.bl) * d.sd * d.units / w.seriesCoils /
           (2.0 * Pi * ListeningDistance * reSource * d.mms);
}

void Arrange(const DesignSetup &s, Resolved &d) {
    d.coilsPerUnit = CoilsPerUnit(s.drivers);
    d.units = s.drivers.count / d.coilsPerUnit;
    d.wiring = CoilWiringOf(s.drivers, s.driver.coils);
}

double Usable(const DesignSetup &s, ModelInput input, double otherwise = 0.0) {
    const InputRow &row = DesignInputRow(input);
    const std::optional<double> &v = InputValue(s, row);
    return v && IsUsable(row, v) ? *v : otherwise;
}

// The design's voice coil in SI units, as given for its wiring: its model's
// terms, each from its row.
CoilTerms CoilTermsOf(const DesignSetup &s) {
    CoilTerms c;
    c.model = s.driver.voiceCoil.model;
    const ModelInputs terms = CoilModelInputs(c.model);
    for (const InputRow &row : DesignInputRows())
        if (terms.has(row.input))
            c.*row.coilTerm = Usable(s, row.input) * UnitsOf(row.quantity).toSi;
    return c;
}

// Values a chart does not depend on may be missing: the level at a power
// does not depend on Re or Sd (they cancel), so a nominal value stands in.
constexpr double NominalRe = 1.0;
constexpr double NominalSd = 0.1;

// The listening space as the circuit's numbers; a space whose values are
// not usable stays half space (its charts say what it lacks).
void ResolveSpace(const DesignSetup &s, Resolved &d) {
    const ListeningSpace &space = s.environment;
    if (UnusableSpaceInputs(space))
        return;
    d.space = space.kind;
    switch (space.kind) {
    case SpaceKind::FullSpace:
    case SpaceKind::HalfSpace:
    case SpaceKind::QuarterSpace:
    case SpaceKind::EighthSpace:
        d.freeFieldGain = std::pow(10.0, FreeFieldGainDb(space.kind) / 20.0);
        break;
    case SpaceKind::Car:
        d.cabinCornerHz = space.cabin.cornerFromLength
                              ? CabinCornerHz(*space.cabin.lengthM, d.air.soundSpeed)
                              : *space.cabin.cornerHz;
        d.cabinSlope = *space.cabin.slopeDbPerOctave;
        d.cabinMaxGainDb = *space.cabin.maxGainDb;
        break;
    case SpaceKind::Room:
        d.room = MakeRoomResponse(space.room, d.air.soundSpeed, RoomChartHighestHz);
        break;
    }
}

// `chainUsable`: every filter of the chain can be used (the design's
// unusable inputs say so).
Resolved Resolve(const DesignSetup &s, bool chainUsable) {
    using I = ModelInput;
    Resolved d;
    d.kind = &KindOf(s.enclosure.kind);
    d.air = s.air;
    d.fs = Usable(s, I::Fs);
    d.qes = Usable(s, I::Qes);
    d.qms = EffectiveQms(s.driver).value_or(0.0);
    d.re = Usable(s, I::Re, NominalRe);
    d.sd = Usable(s, I::Sd, NominalSd);
    d.xmax = Usable(s, I::Xmax) * 1e-3;
    d.peMax = Usable(s, I::PEmax);
    d.rs = Usable(s, I::SourceResistance);
    d.radiatorXmax = Usable(s, I::RadiatorXmax) * 1e-3;
    const DriverMechanics mechanics = MechanicsOf(d.fs, Usable(s, I::Vas), d.sd, d.air);
    d.cms = mechanics.cms;
    d.mms = mechanics.mms;
    d.rms = 2.0 * Pi * d.fs * d.mms / d.qms;
    d.bl = std::sqrt(2.0 * Pi * d.fs * d.mms * d.re / d.qes);
    const CoilFigures coil = OneCoilOf({d.re, CoilTermsOf(s), d.bl}, s.driver.coils.givenFor);
    d.re = coil.re;
    d.bl = coil.bl;
    d.creep = Usable(s, I::Creep);
    Arrange(s, d);
    d.coil = ScaledCoil(coil.coil, d.wiring.coilsPerDriver);
    d.rdc = WiredResistance(d.wiring, d.re);
    d.eg = s.drive.given == DriveParameters::Given::Voltage
               ? Usable(s, I::Voltage)
               : DriveVoltage(Usable(s, I::Power), d.rdc);
    DriverLoad load;
    load.units = d.units;
    load.unitCompliance = d.cms / d.coilsPerUnit * d.sd * d.sd;
    load.movingMass = d.mms;
    load.fs = d.fs;
    d.box = d.kind->circuit(s.enclosure, d.air, load);
    // A chain with a filter that cannot be used is not applied at all (its
    // charts say so): its arithmetic is only defined for usable values.
    if (chainUsable)
        d.chain = PrepareChain(s.filters);
    ResolveSpace(s, d);
    if (const std::optional<double> v = AmplifierClippingVoltage(s.amplifier))
        d.ampVoltage = *v;
    d.ampCurrent = Usable(s, I::AmpCurrentLimit);
    return d;
}

ModelInputs Bits(const std::vector<ModelInput> &inputs) {
    ModelInputs m = 0;
    for (ModelInput i : inputs)
        m |= Bit(i);
    return m;
}

// The inputs of the design that cannot be used as they stand.
ModelInputs Unusable(const DesignSetup &s) {
    using I = ModelInput;
    ModelInputs m = 0;
    for (const InputRow &row : DesignInputRows())
        if (!IsUsable(row, InputValue(s, row)))
            m |= Bit(row.input);
    if (EffectiveQms(s.driver))
        m &= ~Bit(I::Qms);
    else
        m |= Bit(I::Qms);
    const auto positive = [](double v) { return std::isfinite(v) && v > 0.0 && v < 1e12; };
    if (!positive(s.air.density))
        m |= Bit(I::AirDensity);
    if (!positive(s.air.soundSpeed))
        m |= Bit(I::SoundSpeed);
    if (!IsArrangementPossible(s.drivers))
        m |= Bit(I::DriverCount);
    if (ChainFault(s.filters))
        m |= Bit(I::SignalChain);
    if (KindOf(s.enclosure.kind).helper == KindHelper::Path && !PathFault(s.enclosure).isEmpty())
        m |= Bit(I::Path);
    // The space's values are usable by its own rules only.
    const ModelInputs space = Bit(I::CabinCorner) | Bit(I::CabinLength) | Bit(I::CabinSlope) |
                              Bit(I::CabinMaxGain) | Bit(I::RoomLength) | Bit(I::RoomWidth) |
                              Bit(I::RoomHeight) | Bit(I::RoomReverberation) | Bit(I::SourceX) |
                              Bit(I::SourceY) | Bit(I::SourceZ) | Bit(I::ListenerX) |
                              Bit(I::ListenerY) | Bit(I::ListenerZ);
    m = (m & ~space) | UnusableSpaceInputs(s.environment);
    // A rated power needs its rated load, and the other way round.
    const AmplifierParameters &amp = s.amplifier;
    if (amp.ratedPowerW.has_value() != amp.ratedLoadOhm.has_value())
        m |= Bit(amp.ratedPowerW ? I::AmpRatedLoad : I::AmpRatedPower);
    return m;
}

// What the listening space needs besides the design.
ModelInputs SpaceNeeds(const ListeningSpace &space) {
    using I = ModelInput;
    switch (space.kind) {
    case SpaceKind::Car:
        return Bit(space.cabin.cornerFromLength ? I::CabinLength : I::CabinCorner) |
               Bit(I::CabinSlope) | Bit(I::CabinMaxGain);
    case SpaceKind::Room:
        return Bit(I::RoomLength) | Bit(I::RoomWidth) | Bit(I::RoomHeight) |
               Bit(I::RoomReverberation) | Bit(I::SourceX) | Bit(I::SourceY) | Bit(I::SourceZ) |
               Bit(I::ListenerX) | Bit(I::ListenerY) | Bit(I::ListenerZ);
    default:
        return 0;
    }
}

// Whether a chart applies to the design at all.
bool Applies(Chart chart, const DesignSetup &s) {
    switch (ChartKindOf(chart).applies) {
    case Applicability::Always:
        return true;
    case Applicability::WithVents:
        // A line's or a horn's mouth is its vent.
        return !KindOf(s.enclosure.kind).ventNeeds.empty() ||
               KindOf(s.enclosure.kind).helper == KindHelper::Path;
    case Applicability::InRoom:
        return s.environment.kind == SpaceKind::Room;
    }
    return true;
}

// What each chart needs of a design of its kind: its row's groups of
// inputs, resolved against the design.
ModelInputs Needs(Chart chart, const DesignSetup &s) {
    using I = ModelInput;
    using G = NeedGroup;
    const ChartKind &row = ChartKindOf(chart);
    const EnclosureKind &kind = KindOf(s.enclosure.kind);
    const bool voltage = s.drive.given == DriveParameters::Given::Voltage;
    ModelInputs needs;
    if (row.needsGroup(G::Driver)) {
        const InductanceModel coil = s.driver.voiceCoil.model;
        needs |= Bit(I::Fs) | Bit(I::Qes) | Bit(I::Qms) | Bit(I::Vas) | CoilModelInputs(coil) |
                 Bit(I::Creep) | Bit(I::SourceResistance) | Bit(I::AirDensity) |
                 Bit(I::SoundSpeed) | Bit(I::DriverCount) | Bits(kind.needs);
        if (kind.hasLeak)
            needs |= Bit(I::LeakageQ);
        if (kind.hasVentLoss)
            needs |= Bit(I::VentQ);
        // Vents as ducts shape every curve by their size.
        if (kind.hasVentLoss && s.enclosure.ventsAsDucts)
            needs |= Bits(kind.ventNeeds);
        if (kind.helper == KindHelper::Path)
            needs |= Bit(I::Path);
        // Re matters to the response only through inductance, the source
        // resistance or a drive given as a voltage.
        if (voltage || Usable(s, I::SourceResistance) > 0.0 || coil != InductanceModel::Plain ||
            Usable(s, I::Le) > 0.0)
            needs |= Bit(I::Re);
    }
    if (row.needsGroup(G::Chain))
        needs |= Bit(I::SignalChain);
    if (row.needsGroup(G::Drive))
        needs |= Bit(voltage ? I::Voltage : I::Power);
    if (row.needsGroup(G::Sd))
        needs |= Bit(I::Sd);
    if (row.needsGroup(G::Re))
        needs |= Bit(I::Re);
    if (row.needsGroup(G::Vents))
        needs |= Bits(kind.ventNeeds);
    if (row.needsGroup(G::Space))
        needs |= SpaceNeeds(s.environment);
    if (row.needsGroup(G::Amplifier)) {
        // The amplifier's limits are voltages and currents: the drive's
        // voltage, and so Re, matters to them.
        const AmplifierParameters &amp = s.amplifier;
        needs |= Bit(I::AmpRatedPower) | Bit(I::AmpRatedLoad) | Bit(I::AmpCurrentLimit);
        if (amp.hasRating() || amp.currentLimitA)
            needs |= Bit(I::Re);
    }
    if (row.needsGroup(G::Ratings))
        needs |= Bit(I::Xmax) | Bit(I::PEmax);
    return needs;
}

bool AllFinite(const std::vector<double> &v) {
    return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
}

// The curves a chart computes that no chart before it draws: a chart whose
// figures overflow clears these, and leaves the level of the SPL chart,
// which the limits and the room chart draw too, to the SPL chart.
const std::vector<CurveValues> &OwnCurvesOf(Chart chart) {
    // The same for every design: found once from the rows.
    static const std::array<std::vector<CurveValues>, ChartCount> own = [] {
        std::array<std::vector<CurveValues>, ChartCount> all;
        for (const ChartKind &row : ChartKinds())
            for (CurveValues values : row.computed()) {
                bool earlier = false;
                for (const ChartKind &other : ChartKinds()) {
                    if (other.chart == row.chart)
                        break;
                    for (const ChartCurve &c : other.curves)
                        earlier = earlier || c.values == values;
                }
                if (!earlier)
                    all[static_cast<size_t>(row.chart)].push_back(values);
            }
        return all;
    }();
    return own[static_cast<size_t>(chart)];
}

void Size(DesignCurves &c, std::vector<double> &v, bool present) {
    if (present)
        v.assign(c.frequencies.size(), 0.0);
}

double Magnitude(Complex z) {
    return std::sqrt(std::norm(z)); // as std::abs, without hypot's care for overflow
}

double PeakDisplacement(Complex velocity, double w) {
    return std::sqrt(2.0) * Magnitude(velocity) / w;
}

// The level with each limit reached, from the level at the drive: the most
// power the design takes is set by the lowest of them.
void FillLimits(const Resolved &d, const CircuitPoint &p, double w, double spl, double power,
                double chainGain, bool radiators, size_t i, DesignCurves &c) {
    // The amplifier's output at this frequency: the drive through the chain.
    const double eg = d.eg * chainGain;
    // A driver heats as the power its wired coils take from the voltage
    // across them: s coils in series of p strings of resistance Re s / p.
    const double coilV = Magnitude(p.coilVoltage) * eg;
    const double cone = PeakDisplacement(p.coneVelocity, w) * eg;
    const double joined = d.wiring.seriesInDriver * d.wiring.parallelInDriver;
    const double thermal = power * d.peMax / (joined * (coilV * coilV) / d.re);
    const double excursionRatio = d.xmax / cone;
    const double excursion = power * (excursionRatio * excursionRatio);
    double least = std::min(thermal, excursion);
    LimitKind which = thermal <= excursion ? LimitKind::Thermal : LimitKind::Excursion;
    c.thermalLimitSplDb[i] = spl + 10.0 * std::log10(thermal / power);
    c.excursionLimitSplDb[i] = spl + 10.0 * std::log10(excursion / power);
    double leastSpl = std::min(c.thermalLimitSplDb[i], c.excursionLimitSplDb[i]);
    if (radiators) {
        const Outlet &r = *d.box.firstOutlet(Outlet::Role::Radiators);
        const double travel = PeakDisplacement(p.radiatorFlow, w) * eg / (r.count * r.area);
        const double radiatorRatio = d.radiatorXmax / travel;
        const double radiator = power * (radiatorRatio * radiatorRatio);
        c.radiatorLimitSplDb[i] = spl + 10.0 * std::log10(radiator / power);
        if (radiator < least) {
            least = radiator;
            which = LimitKind::Radiator;
            leastSpl = c.radiatorLimitSplDb[i];
        }
    }
    // The amplifier clips where its output voltage or current reaches its
    // limit: power and level scale with the square of either.
    const auto amplifierLimit = [&](double ratio, LimitKind kind, std::vector<double> &levels) {
        const double limit = power * (ratio * ratio);
        levels[i] = spl + 20.0 * std::log10(ratio);
        if (limit < least) {
            least = limit;
            which = kind;
            leastSpl = levels[i];
        }
    };
    if (d.ampVoltage > 0.0)
        amplifierLimit(d.ampVoltage / eg, LimitKind::AmplifierVoltage,
                       c.amplifierVoltageLimitSplDb);
    if (d.ampCurrent > 0.0)
        amplifierLimit(d.ampCurrent / (Magnitude(p.amplifierCurrent) * eg),
                       LimitKind::AmplifierCurrent, c.amplifierCurrentLimitSplDb);
    c.excursionLimitW[i] = excursion;
    c.maxPowerW[i] = least;
    c.maxSplDb[i] = leastSpl;
    c.limit[i] = which;
}

// The listening space's pressure over half space's at f, with its slope in w.
DualComplex SpaceResponse(const Resolved &d, double f, double w) {
    switch (d.space) {
    case SpaceKind::Car:
        // An average cabin's gain, its phase unknown: a real factor.
        return DualComplex(
            std::pow(10.0, CabinGainDb(f, d.cabinCornerHz, d.cabinSlope, d.cabinMaxGainDb) / 20.0));
    case SpaceKind::Room:
        return d.room->at(w);
    default:
        return DualComplex(d.freeFieldGain);
    }
}

void FillCurves(const Resolved &d, DesignCurves &c, bool radiatorLimit) {
    CircuitSolver solver(d.box);
    const bool spl = c.has(Chart::Spl), excursion = c.has(Chart::Excursion),
               port = c.has(Chart::PortVelocity), impedance = c.has(Chart::Impedance),
               delay = c.has(Chart::GroupDelay), limits = c.has(Chart::Limits),
               chain = c.has(Chart::Chain), space = !c.spaceDb.empty();
    const bool radiators = d.kind->hasRadiators;
    // Levels from |p|^2: one logarithm a point for the level, the response
    // relative to the drivers' mass-controlled pressure as a difference.
    const double reference = MassControlledPressure(d);
    const double reference2 = reference * reference;
    const double referenceLevel = 20.0 * std::log10(reference * d.eg / ReferencePressure);
    const double power = d.eg * d.eg / d.rdc;
    const Outlet *radiatorOutlet = d.box.firstOutlet(Outlet::Role::Radiators);
    const double freeFieldDb = 20.0 * std::log10(d.freeFieldGain);
    for (size_t i = 0; i < c.frequencies.size(); ++i) {
        const double f = c.frequencies[i];
        const double w = 2.0 * Pi * f;
        const CircuitPoint p = Solve(d, solver, f);
        const Complex boxPressure = p.pressure.value;
        const double relative = 10.0 * std::log10(std::norm(boxPressure) / reference2);
        // The chain in front of the amplifier and the space around the
        // listener multiply the box's pressure.
        const DualComplex chainResponse = d.chain.at(w);
        const DualComplex spaceResponse = SpaceResponse(d, f, w);
        const DualComplex heard = d.chain.filters.empty() && d.space == SpaceKind::HalfSpace
                                      ? p.pressure
                                      : p.pressure * chainResponse * spaceResponse;
        const double chainGain = Magnitude(chainResponse.value);
        // No filter, or an ideal space: 0 dB or the same gain at every
        // frequency, without a logarithm a point.
        const double chainDb =
            d.chain.filters.empty() ? 0.0 : 10.0 * std::log10(std::norm(chainResponse.value));
        const double spaceDb = d.space == SpaceKind::Car || d.space == SpaceKind::Room
                                   ? 10.0 * std::log10(std::norm(spaceResponse.value))
                                   : freeFieldDb;
        const double level = relative + referenceLevel + (chainDb + spaceDb);
        if (chain) {
            c.chainDb[i] = chainDb;
            c.chainPhaseDeg[i] = Degrees(std::arg(chainResponse.value));
        }
        if (space)
            c.spaceDb[i] = spaceDb;
        if (spl) {
            c.splDb[i] = level;
            c.splPhaseDeg[i] = Degrees(std::arg(heard.value));
        }
        if (delay) {
            c.responseDb[i] = relative;
            c.groupDelayMs[i] = -1e3 * Divide(heard.slope, heard.value).imag();
        }
        if (impedance) {
            c.impedanceOhm[i] = Magnitude(p.terminalImpedance);
            c.impedancePhaseDeg[i] = Degrees(std::arg(p.terminalImpedance));
        }
        if (excursion) {
            c.excursionMm[i] = 1e3 * PeakDisplacement(p.coneVelocity, w) * d.eg * chainGain;
            if (radiators)
                c.radiatorExcursionMm[i] = 1e3 * PeakDisplacement(p.radiatorFlow, w) * d.eg *
                                           chainGain /
                                           (radiatorOutlet->count * radiatorOutlet->area);
        }
        if (port) {
            c.portVelocity[i] = std::sqrt(2.0) * Magnitude(p.ventFlow[0]) * d.eg * chainGain /
                                d.box.ventArea(VentSet::Main);
            if (d.kind->hasRearVents)
                c.rearPortVelocity[i] = std::sqrt(2.0) * Magnitude(p.ventFlow[1]) * d.eg *
                                        chainGain / d.box.ventArea(VentSet::Rear);
        }
        if (limits)
            FillLimits(d, p, w, level, power, chainGain, radiatorLimit, i, c);
    }
}

// A phase that runs on past a half turn instead of jumping back by a whole
// one: a steep chain turns through several, and its chart draws no jump.
// Whole turns are then taken off so that it lies within a half turn of 0
// where the gain is greatest: a high-pass reads 0 above its corner, a
// low-pass below.
void UnwrapDegrees(std::vector<double> &phase, const std::vector<double> &gainDb) {
    for (size_t i = 1; i < phase.size(); ++i) {
        const double step = phase[i] - phase[i - 1];
        if (std::isfinite(step))
            phase[i] -= 360.0 * std::round(step / 360.0);
    }
    if (phase.empty() || gainDb.size() != phase.size())
        return;
    const size_t top = size_t(std::max_element(gainDb.begin(), gainDb.end()) - gainDb.begin());
    if (!std::isfinite(phase[top]))
        return;
    const double turns = 360.0 * std::round(phase[top] / 360.0);
    for (double &p : phase)
        p -= turns;
}

} // namespace

DriverMechanics MechanicsOf(double fs, double vasLitres, double sd, const AirProperties &air) {
    DriverMechanics m;
    m.cms = vasLitres * 1e-3 / (air.density * air.soundSpeed * air.soundSpeed * sd * sd);
    m.mms = 1.0 / (std::pow(2.0 * Pi * fs, 2) * m.cms);
    return m;
}

double CoilsPerUnit(const DriverArrangement &drivers) {
    return drivers.mounting == Mounting::Isobaric ? 2.0 : 1.0;
}

namespace {

// The drivers wired together, each as one pair of terminals.
CoilWiring DriversWiring(const DriverArrangement &drivers) {
    const double n = drivers.count;
    switch (drivers.wiring) {
    case Wiring::Parallel:
        return {1.0, n};
    case Wiring::Series:
        return {n, 1.0};
    case Wiring::SeriesParallel:
        return {2.0, n / 2.0};
    }
    return {1.0, 1.0};
}

} // namespace

CoilWiring CoilWiringOf(const DriverArrangement &drivers, const VoiceCoils &coils) {
    CoilWiring w = DriversWiring(drivers);
    if (!coils.dual())
        return w;
    switch (drivers.coilJoin) {
    case CoilJoin::Series:
        w.seriesInDriver = 2.0;
        break;
    case CoilJoin::Parallel:
        w.parallelInDriver = 2.0;
        break;
    case CoilJoin::OneCoil:
        return w;
    }
    w.coilsPerDriver = 2.0;
    w.seriesCoils *= w.seriesInDriver;
    w.parallelStrings *= w.parallelInDriver;
    return w;
}

double OneCoilResistance(double re, CoilsGivenFor givenFor) {
    switch (givenFor) {
    case CoilsGivenFor::Series:
        return re / 2.0;
    case CoilsGivenFor::Parallel:
        return 2.0 * re;
    case CoilsGivenFor::OneCoil:
        break;
    }
    return re;
}

CoilFigures OneCoilOf(const CoilFigures &given, CoilsGivenFor givenFor) {
    CoilFigures one = given;
    one.re = OneCoilResistance(given.re, givenFor);
    if (givenFor == CoilsGivenFor::Series) {
        one.coil = ScaledCoil(given.coil, 0.25);
        one.bl = given.bl / 2.0;
    }
    return one;
}

double WiredResistance(const CoilWiring &wiring, double oneCoilRe) {
    return oneCoilRe * wiring.seriesCoils / wiring.parallelStrings;
}

bool IsArrangementPossible(const DriverArrangement &drivers) {
    const int n = drivers.count;
    if (n < 1 || n > MaxDrivers)
        return false;
    if (drivers.mounting == Mounting::Isobaric && n % 2 != 0)
        return false;
    return drivers.wiring != Wiring::SeriesParallel || (n % 2 == 0 && n >= 4);
}

std::optional<double> EffectiveQms(const DriverParameters &driver) {
    const InputRow &qmsRow = DesignInputRow(ModelInput::Qms);
    if (IsUsable(qmsRow, driver.qms))
        return driver.qms;
    const InputRow &qtsRow = DesignInputRow(ModelInput::Qts);
    const InputRow &qesRow = DesignInputRow(ModelInput::Qes);
    if (!IsUsable(qtsRow, driver.qts) || !IsUsable(qesRow, driver.qes) ||
        *driver.qes <= *driver.qts)
        return std::nullopt;
    const double qms = *driver.qts * *driver.qes / (*driver.qes - *driver.qts);
    if (!IsUsable(qmsRow, qms))
        return std::nullopt;
    return qms;
}

std::optional<QString> QualityFactorNotice(const DriverParameters &driver) {
    const auto usable = [](ModelInput input, const std::optional<double> &v) {
        return IsUsable(DesignInputRow(input), v);
    };
    if (!usable(ModelInput::Qts, driver.qts) || !usable(ModelInput::Qes, driver.qes) ||
        !usable(ModelInput::Qms, driver.qms))
        return std::nullopt;
    const double total = TotalQ(*driver.qms, *driver.qes);
    if (std::fabs(*driver.qts - total) <= 0.01 * total)
        return std::nullopt;
    return QStringLiteral("Qts %1 differs from Qes and Qms (%2); the charts use Qes and Qms.")
        .arg(QString::number(*driver.qts, 'g', 3), QString::number(total, 'g', 3));
}

std::vector<double> ChartFrequencies(int pointsPerOctave) {
    const double octaves = std::log2(ChartHighestHz / ChartLowestHz);
    const int steps = static_cast<int>(std::ceil(octaves * pointsPerOctave));
    std::vector<double> f(static_cast<size_t>(steps) + 1);
    for (int i = 0; i <= steps; ++i)
        f[static_cast<size_t>(i)] =
            ChartLowestHz * std::pow(ChartHighestHz / ChartLowestHz, double(i) / steps);
    f.back() = ChartHighestHz;
    return f;
}

DesignCurves ComputeDesignCurves(const DesignSetup &setup, const std::vector<double> &frequencies) {
    ClearUpperVectorState();
    DesignCurves c;
    c.frequencies = frequencies;
    const ModelInputs unusable = Unusable(setup);
    for (int i = 0; i < ChartCount; ++i) {
        const auto chart = static_cast<Chart>(i);
        c.missing[i] = Applies(chart, setup) ? ChartLack::Of(unusable & Needs(chart, setup))
                                             : ChartLack::Because(ChartReason::NotApplicable);
    }
    const Resolved d = Resolve(setup, !(unusable & Bit(ModelInput::SignalChain)));
    if (!(unusable & (Bit(ModelInput::Re) | Bit(ModelInput::DriverCount)))) {
        c.dcResistanceOhm = d.rdc;
    }
    const bool radiators = d.kind->hasRadiators;
    const bool radiatorLimit = radiators && d.radiatorXmax > 0.0;
    Size(c, c.responseDb, c.has(Chart::GroupDelay));
    Size(c, c.groupDelayMs, c.has(Chart::GroupDelay));
    Size(c, c.splDb, c.has(Chart::Spl));
    Size(c, c.splPhaseDeg, c.has(Chart::Spl));
    Size(c, c.excursionMm, c.has(Chart::Excursion));
    Size(c, c.radiatorExcursionMm, c.has(Chart::Excursion) && radiators);
    Size(c, c.portVelocity, c.has(Chart::PortVelocity));
    Size(c, c.rearPortVelocity, c.has(Chart::PortVelocity) && d.kind->hasRearVents);
    Size(c, c.impedanceOhm, c.has(Chart::Impedance));
    Size(c, c.impedancePhaseDeg, c.has(Chart::Impedance));
    const bool limits = c.has(Chart::Limits);
    for (auto *v : {&c.excursionLimitW, &c.maxPowerW, &c.maxSplDb, &c.thermalLimitSplDb,
                    &c.excursionLimitSplDb})
        Size(c, *v, limits);
    Size(c, c.radiatorLimitSplDb, limits && radiatorLimit);
    Size(c, c.amplifierVoltageLimitSplDb, limits && d.ampVoltage > 0.0);
    Size(c, c.amplifierCurrentLimitSplDb, limits && d.ampCurrent > 0.0);
    Size(c, c.chainDb, c.has(Chart::Chain));
    Size(c, c.chainPhaseDeg, c.has(Chart::Chain));
    Size(c, c.spaceDb, !(unusable & (SpaceNeeds(setup.environment) | Bit(ModelInput::SoundSpeed))));
    if (d.room) {
        c.schroederHz = d.room->schroederHz;
        if (d.room->truncated)
            c.modesCutAtHz = d.room->highestModeHz;
    }
    if (limits)
        c.limit.assign(frequencies.size(), LimitKind::Thermal);
    // A power means a voltage only through the coils' resistance.
    const bool voltageKnown =
        setup.drive.given == DriveParameters::Given::Voltage || c.dcResistanceOhm.has_value();
    c.drivePowerW = d.eg * d.eg / d.rdc;
    c.driveVoltageV = voltageKnown ? d.eg : std::numeric_limits<double>::quiet_NaN();
    FillCurves(d, c, radiatorLimit);
    UnwrapDegrees(c.chainPhaseDeg, c.chainDb);

    // Values usable one by one may still overflow together: such a chart
    // says so rather than draw what is not a number.
    for (int i = 0; i < ChartCount; ++i) {
        const auto chart = static_cast<Chart>(i);
        if (!c.has(chart))
            continue;
        const std::vector<CurveValues> &own = OwnCurvesOf(chart);
        for (auto member : own)
            if (!AllFinite(c.*member)) {
                c.missing[i] = ChartLack::Because(ChartReason::NotComputable);
                for (auto clear : own)
                    (c.*clear).clear();
                if (chart == Chart::Limits)
                    c.limit.clear();
                break;
            }
    }
    if (c.has(Chart::Impedance)) {
        double least = std::numeric_limits<double>::infinity();
        for (size_t i = 0; i < frequencies.size(); ++i)
            if (frequencies[i] >= ResponseFirstHz && frequencies[i] <= ResponseLastHz)
                least = std::min(least, c.impedanceOhm[i]);
        if (std::isfinite(least))
            c.minimumImpedanceOhm = least;
    }
    return c;
}

DesignCurves ComputeDesignCurves(const DriverParameters &driver, const BoxParameters &box,
                                 double powerW, const std::vector<double> &frequencies) {
    DesignSetup setup;
    setup.driver = driver;
    setup.enclosure = box;
    setup.drive.powerW = powerW;
    return ComputeDesignCurves(setup, frequencies);
}

QString ChartTitle(Chart chart) {
    return QLatin1String(ChartKindOf(chart).title);
}

namespace {

// The inputs that are not numbers of a row: what the sentences call them.
struct OtherInput {
    ModelInput input;
    const char *name;
    InputPage page;
};
const OtherInput OtherInputs[] = {
    {ModelInput::AirDensity, "the air density", InputPage::ThisWindow},
    {ModelInput::SoundSpeed, "the speed of sound", InputPage::ThisWindow},
    {ModelInput::DriverCount, "a count of drivers that can be mounted and wired so",
     InputPage::ThisWindow},
    {ModelInput::SignalChain, "a signal chain of usable filters", InputPage::ThisWindow},
    {ModelInput::Path, "a path of usable segments", InputPage::ThisWindow},
};

QString JoinedWithAnd(const QStringList &list) {
    if (list.size() <= 1)
        return list.join(QString());
    return QStringList(list.mid(0, list.size() - 1)).join(QStringLiteral(", ")) +
           QStringLiteral(" and ") + list.back();
}

} // namespace

QString MissingInputsSentence(Chart chart, const ChartLack &lack) {
    switch (lack.reason) {
    case ChartReason::NotApplicable:
        return ChartTitle(chart) +
               (ChartKindOf(chart).applies == Applicability::InRoom
                    ? QStringLiteral(" applies to a room: choose Room as the listening space.")
                    : QStringLiteral(" applies to a vented box."));
    case ChartReason::NotComputable:
        return ChartTitle(chart) + QStringLiteral(" cannot be computed from these values.");
    case ChartReason::None:
    case ChartReason::MissingInputs:
        break;
    }
    return MissingInputsSentence(chart, lack.inputs);
}

QString MissingInputsSentence(Chart chart, const ModelInputs &missing) {
    // Names grouped by page, pages in the order they first come.
    QStringList pages;
    QList<QStringList> names;
    const auto add = [&](const char *name, InputPage page) {
        const QString pageName = QLatin1String(PageName(page));
        qsizetype at = pages.indexOf(pageName);
        if (at < 0) {
            pages << pageName;
            names.append(QStringList());
            at = pages.size() - 1;
        }
        const QString n = QLatin1String(name);
        if (!names[at].contains(n))
            names[at] << n;
    };
    for (const InputRow &row : DesignInputRows())
        if (missing & Bit(row.input))
            add(row.name, row.page);
    for (const OtherInput &o : OtherInputs)
        if (missing & Bit(o.input))
            add(o.name, o.page);
    QStringList parts;
    for (qsizetype i = 0; i < pages.size(); ++i)
        parts << JoinedWithAnd(names[i]) + QStringLiteral(" (") + pages[i] + QLatin1Char(')');
    return ChartTitle(chart) + QStringLiteral(" needs ") + JoinedWithAnd(parts) + QLatin1Char('.');
}

double DriveVoltage(double powerW, double resistance) {
    return std::sqrt(powerW * resistance);
}

std::optional<double> AmplifierClippingVoltage(const AmplifierParameters &amplifier) {
    if (!IsUsable(ModelInput::AmpRatedPower, amplifier.ratedPowerW) ||
        !IsUsable(ModelInput::AmpRatedLoad, amplifier.ratedLoadOhm) || !amplifier.ratedPowerW ||
        !amplifier.ratedLoadOhm)
        return std::nullopt;
    return DriveVoltage(*amplifier.ratedPowerW, *amplifier.ratedLoadOhm);
}

DesignCurves ComputeDesignCurvesAt(const DesignSetup &setup, const std::array<double, 3> &sourceM,
                                   const std::vector<double> &frequencies) {
    DesignSetup moved = setup;
    for (size_t i = 0; i < 3; ++i)
        moved.environment.room.sourceM[i] = sourceM[i];
    return ComputeDesignCurves(moved, frequencies);
}

std::optional<double> LevelVariationDb(const DesignCurves &curves, double lowHz, double highHz) {
    double least = std::numeric_limits<double>::infinity();
    double most = -least;
    for (size_t i = 0; i < curves.frequencies.size() && i < curves.splDb.size(); ++i) {
        const double f = curves.frequencies[i];
        if (f < lowHz || f > highHz || !std::isfinite(curves.splDb[i]))
            continue;
        least = std::min(least, curves.splDb[i]);
        most = std::max(most, curves.splDb[i]);
    }
    if (!std::isfinite(least))
        return std::nullopt;
    return most - least;
}

} // namespace dravik
