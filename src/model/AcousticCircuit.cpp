#include "AcousticCircuit.h"

#include <utility>

namespace dravik {

namespace {

DualComplex BranchImpedance(const Outlet &o, const DualComplex &jw) {
    using D = DualComplex;
    D z = D(o.resistance) + jw * D(o.mass);
    if (o.compliance > 0.0)
        z = z + D(1.0) / (jw * D(o.compliance));
    return z;
}

} // namespace

AcousticNode BoxCircuit::addChamber(double chamberCompliance) {
    const AcousticNode node = addNode();
    CircuitElement air;
    air.type = CircuitElement::Type::Compliance;
    air.a = node;
    air.compliance = chamberCompliance;
    elements.push_back(air);
    return node;
}

void BoxCircuit::addOutlet(AcousticNode node, const Outlet &outlet) {
    CircuitElement opening;
    opening.type = CircuitElement::Type::Branch;
    opening.a = node;
    opening.branch = outlet;
    elements.push_back(opening);
}

void BoxCircuit::addTwoPort(AcousticNode a, AcousticNode b,
                            std::function<TwoPortAdmittance(const DualComplex &jw)> admittance) {
    CircuitElement duct;
    duct.type = CircuitElement::Type::TwoPort;
    duct.a = a;
    duct.b = b;
    duct.twoPort = std::move(admittance);
    elements.push_back(std::move(duct));
}

void BoxCircuit::addDuctOutlet(AcousticNode a, AcousticNode b, VentSet set, double outletArea,
                               std::function<TwoPortAdmittance(const DualComplex &jw)> admittance) {
    addTwoPort(a, b, std::move(admittance));
    elements.back().outletSet = set;
    elements.back().outletArea = outletArea;
}

const Outlet *BoxCircuit::firstOutlet(Outlet::Role role) const {
    for (const CircuitElement &e : elements)
        if (e.type == CircuitElement::Type::Branch && e.branch.role == role)
            return &e.branch;
    return nullptr;
}

double BoxCircuit::ventArea(VentSet set) const {
    for (const CircuitElement &e : elements) {
        if (e.type == CircuitElement::Type::Branch && e.branch.role == Outlet::Role::Vents &&
            e.branch.set == set)
            return e.branch.count * e.branch.area;
        if (e.type == CircuitElement::Type::TwoPort && e.outletArea > 0.0 && e.outletSet == set)
            return e.outletArea;
    }
    return 0.0;
}

CircuitSolver::CircuitSolver(const BoxCircuit &box)
    : box_(box), n_(static_cast<size_t>(box.nodes)), y_(n_ * n_), q_(n_),
      admittances_(box.elements.size()), twoPorts_(box.elements.size()) {
    flows_.pressures.resize(n_ + 1);
}

// The pressures of Y p = q by Gaussian elimination with partial pivoting;
// the outside air's is 0. Elimination carries the slopes along, so the group
// delay comes from the same solve.
void CircuitSolver::eliminate() {
    for (size_t k = 0; k < n_; ++k) {
        size_t pivot = k;
        for (size_t r = k + 1; r < n_; ++r)
            if (std::norm(y_[r * n_ + k].value) > std::norm(y_[pivot * n_ + k].value))
                pivot = r;
        if (pivot != k) {
            for (size_t c = 0; c < n_; ++c)
                std::swap(y_[k * n_ + c], y_[pivot * n_ + c]);
            std::swap(q_[k], q_[pivot]);
        }
        for (size_t r = k + 1; r < n_; ++r) {
            const DualComplex factor = y_[r * n_ + k] / y_[k * n_ + k];
            for (size_t c = k + 1; c < n_; ++c)
                y_[r * n_ + c] = y_[r * n_ + c] - factor * y_[k * n_ + c];
            q_[r] = q_[r] - factor * q_[k];
        }
    }
    std::vector<DualComplex> &p = flows_.pressures;
    p[0] = DualComplex();
    for (size_t k = n_; k-- > 0;) {
        DualComplex sum = q_[k];
        for (size_t c = k + 1; c < n_; ++c)
            sum = sum - y_[k * n_ + c] * p[c + 1];
        p[k + 1] = sum / y_[k * n_ + k];
    }
}

const CircuitFlows &CircuitSolver::solve(const DriverSource &drivers, const DualComplex &jw) {
    using D = DualComplex;
    using Type = CircuitElement::Type;
    std::fill(y_.begin(), y_.end(), D());
    std::fill(q_.begin(), q_.end(), D());
    const std::vector<CircuitElement> &elements = box_.elements;
    for (size_t i = 0; i < elements.size(); ++i) {
        const CircuitElement &el = elements[i];
        switch (el.type) {
        case Type::Compliance:
            connect(el.a, el.b, admittances_[i] = jw * D(el.compliance));
            break;
        case Type::Branch:
            connect(el.a, el.b, admittances_[i] = D(1.0) / BranchImpedance(el.branch, jw));
            break;
        case Type::TwoPort: {
            const TwoPortAdmittance &y = twoPorts_[i] = el.twoPort(jw);
            add(el.a, el.a, y.y11);
            add(el.a, el.b, y.y12);
            add(el.b, el.a, y.y21);
            add(el.b, el.b, y.y22);
            break;
        }
        }
    }
    connect(box_.driverRear, box_.driverFront, drivers.admittance);
    inject(box_.driverRear, -drivers.admittance * drivers.pressure);
    inject(box_.driverFront, drivers.admittance * drivers.pressure);
    eliminate();

    // What flows into the outside air radiates: through the openings and
    // the ducts that end there, and from the cones that face it.
    CircuitFlows &out = flows_;
    const std::vector<D> &p = out.pressures;
    out.radiated = D();
    out.ventFlow[0] = out.ventFlow[1] = out.radiatorFlow = std::complex<double>();
    out.driverFlow = drivers.admittance *
                     (drivers.pressure - p[size_t(box_.driverFront)] + p[size_t(box_.driverRear)]);
    if (box_.driverFront == OutsideAir)
        out.radiated = out.radiated + out.driverFlow;
    if (box_.driverRear == OutsideAir)
        out.radiated = out.radiated - out.driverFlow;
    for (size_t i = 0; i < elements.size(); ++i) {
        const CircuitElement &el = elements[i];
        const D pa = p[size_t(el.a)], pb = p[size_t(el.b)];
        if (el.type == Type::Branch) {
            const D flow = admittances_[i] * (pa - pb);
            if (el.b == OutsideAir)
                out.radiated = out.radiated + flow;
            if (el.branch.role == Outlet::Role::Vents)
                out.ventFlow[static_cast<int>(el.branch.set)] += flow.value;
            else if (el.branch.role == Outlet::Role::Radiators)
                out.radiatorFlow += flow.value;
        } else if (el.type == Type::TwoPort) {
            // The flow out of a duct's end into the outside air is the flow
            // into that port, reversed.
            const TwoPortAdmittance &y = twoPorts_[i];
            const D outOfB = -(y.y21 * pa + y.y22 * pb);
            if (el.b == OutsideAir)
                out.radiated = out.radiated + outOfB;
            if (el.a == OutsideAir)
                out.radiated = out.radiated - (y.y11 * pa + y.y12 * pb);
            if (el.outletArea > 0.0)
                out.ventFlow[static_cast<int>(el.outletSet)] += outOfB.value;
        }
    }
    return out;
}

CircuitFlows SolveCircuit(const BoxCircuit &box, const DriverSource &drivers,
                          const DualComplex &jw) {
    CircuitSolver solver(box);
    return solver.solve(drivers, jw);
}

} // namespace dravik
