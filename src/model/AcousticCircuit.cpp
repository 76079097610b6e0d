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

// The nodal equations Y p = q of a circuit at one frequency: the pressures
// of its nodes from the flows put into them. Row and column k stand for
// node k + 1; the outside air, at zero pressure, has none.
class NodalEquations {
public:
    explicit NodalEquations(int nodes) : n_(static_cast<size_t>(nodes)), y_(n_ * n_), q_(n_) {}
    // An admittance between two nodes.
    void connect(AcousticNode a, AcousticNode b, const DualComplex &y) {
        add(a, a, y);
        add(b, b, y);
        add(a, b, -y);
        add(b, a, -y);
    }
    void add(AcousticNode row, AcousticNode column, const DualComplex &y) {
        if (row != OutsideAir && column != OutsideAir)
            at(row, column) = at(row, column) + y;
    }
    // A flow put into a node from outside the circuit.
    void inject(AcousticNode node, const DualComplex &flow) {
        if (node != OutsideAir)
            q_[size_t(node - 1)] = q_[size_t(node - 1)] + flow;
    }
    // The pressures, by Gaussian elimination with partial pivoting; the
    // outside air's is 0. Elimination carries the slopes along, so the group
    // delay comes from the same solve.
    std::vector<DualComplex> solve() {
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
        std::vector<DualComplex> p(n_ + 1);
        for (size_t k = n_; k-- > 0;) {
            DualComplex sum = q_[k];
            for (size_t c = k + 1; c < n_; ++c)
                sum = sum - y_[k * n_ + c] * p[c + 1];
            p[k + 1] = sum / y_[k * n_ + k];
        }
        return p;
    }

private:
    DualComplex &at(AcousticNode row, AcousticNode column) {
        return y_[size_t(row - 1) * n_ + size_t(column - 1)];
    }
    size_t n_;
    std::vector<DualComplex> y_;
    std::vector<DualComplex> q_;
};

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

const Outlet *BoxCircuit::firstOutlet(Outlet::Role role) const {
    for (const CircuitElement &e : elements)
        if (e.type == CircuitElement::Type::Branch && e.branch.role == role)
            return &e.branch;
    return nullptr;
}

double BoxCircuit::ventArea(VentSet set) const {
    for (const CircuitElement &e : elements)
        if (e.type == CircuitElement::Type::Branch && e.branch.role == Outlet::Role::Vents &&
            e.branch.set == set)
            return e.branch.count * e.branch.area;
    return 0.0;
}

CircuitFlows SolveCircuit(const BoxCircuit &box, const DriverSource &drivers,
                          const DualComplex &jw) {
    using D = DualComplex;
    using Type = CircuitElement::Type;
    NodalEquations equations(box.nodes);
    std::vector<D> admittances(box.elements.size());
    std::vector<TwoPortAdmittance> twoPorts(box.elements.size());
    for (size_t i = 0; i < box.elements.size(); ++i) {
        const CircuitElement &el = box.elements[i];
        switch (el.type) {
        case Type::Compliance:
            equations.connect(el.a, el.b, admittances[i] = jw * D(el.compliance));
            break;
        case Type::Branch:
            equations.connect(el.a, el.b, admittances[i] = D(1.0) / BranchImpedance(el.branch, jw));
            break;
        case Type::TwoPort: {
            const TwoPortAdmittance &y = twoPorts[i] = el.twoPort(jw);
            equations.add(el.a, el.a, y.y11);
            equations.add(el.a, el.b, y.y12);
            equations.add(el.b, el.a, y.y21);
            equations.add(el.b, el.b, y.y22);
            break;
        }
        }
    }
    equations.connect(box.driverRear, box.driverFront, drivers.admittance);
    equations.inject(box.driverRear, -drivers.admittance * drivers.pressure);
    equations.inject(box.driverFront, drivers.admittance * drivers.pressure);

    CircuitFlows out;
    out.pressures = equations.solve();
    const std::vector<D> &p = out.pressures;
    out.driverFlow = drivers.admittance *
                     (drivers.pressure - p[size_t(box.driverFront)] + p[size_t(box.driverRear)]);
    if (box.driverFront == OutsideAir)
        out.radiated = out.radiated + out.driverFlow;
    if (box.driverRear == OutsideAir)
        out.radiated = out.radiated - out.driverFlow;
    for (size_t i = 0; i < box.elements.size(); ++i) {
        const CircuitElement &el = box.elements[i];
        const D pa = p[size_t(el.a)], pb = p[size_t(el.b)];
        if (el.type == Type::Branch) {
            const D flow = admittances[i] * (pa - pb);
            if (el.b == OutsideAir)
                out.radiated = out.radiated + flow;
            if (el.branch.role == Outlet::Role::Vents)
                out.ventFlow[static_cast<int>(el.branch.set)] += flow.value;
            else if (el.branch.role == Outlet::Role::Radiators)
                out.radiatorFlow += flow.value;
        } else if (el.type == Type::TwoPort) {
            // The flow out of a duct's end into the outside air is the flow
            // into that port, reversed.
            const TwoPortAdmittance &y = twoPorts[i];
            if (el.b == OutsideAir)
                out.radiated = out.radiated - (y.y21 * pa + y.y22 * pb);
            if (el.a == OutsideAir)
                out.radiated = out.radiated - (y.y11 * pa + y.y12 * pb);
        }
    }
    return out;
}

} // namespace dravik
