#pragma once

#include "DualComplex.h"

#include <complex>
#include <functional>
#include <vector>

namespace dravik {

// The enclosures in the acoustic analogy: pressures are voltages, volume
// velocities currents. The circuit is a list of elements between its nodes,
// the points whose pressure one nodal solve finds; the outside air, at zero
// pressure, is node 0. Each chamber is a node with a compliance V / (rho
// c^2) to the outside air; each opening of a chamber to the outside (vents,
// a leak, passive radiators) is a branch whose flow radiates; a duct between
// any two nodes is a two-port. The drivers push their flow from the node
// their backs face to the node their fronts face (the outside air, or a
// front chamber).

// The two sets of vents a box may have: the box's (or the front chamber's)
// and, in a bandpass box vented on both sides, the rear chamber's.
enum class VentSet { Main, Rear };

struct Outlet {
    enum class Role { Vents, Leak, Radiators };
    Role role;
    VentSet set = VentSet::Main;
    // Acoustic resistance (Pa s/m^3), mass (kg/m^4) and compliance (m^5/N,
    // 0 for none) of the branch, all vents or radiators of it together.
    double resistance = 0.0;
    double mass = 0.0;
    double compliance = 0.0;
    double count = 1.0; // vents or radiators sharing the flow
    double area = 0.0;  // of one, m^2
};

using AcousticNode = int;
inline constexpr AcousticNode OutsideAir = 0;

// A two-port's admittance matrix at one frequency: the flows into its two
// ends from the pressures at them, q1 = y11 p1 + y12 p2, q2 = y21 p1 + y22 p2.
struct TwoPortAdmittance {
    DualComplex y11, y12, y21, y22;
};

// One element of the circuit, between nodes a and b:
//   the air of a chamber, a compliance to b: admittance j w C;
//   an opening, a branch R + j w M (+ 1 / (j w C) where C > 0), whose flow
//     into the outside air radiates;
//   a duct, a two-port given by its admittance matrix at each frequency.
struct CircuitElement {
    enum class Type { Compliance, Branch, TwoPort };
    Type type = Type::Branch;
    AcousticNode a = 0, b = OutsideAir;
    double compliance = 0.0; // a compliance's, m^5/N
    Outlet branch{Outlet::Role::Vents};
    std::function<TwoPortAdmittance(const DualComplex &jw)> twoPort;
    // A duct that is a set of vents, or a horn's or a line's path to its
    // mouth: the flow out of its end b is that set's, through `outletArea`
    // (m^2, all of it). No area: a duct of no vents.
    VentSet outletSet = VentSet::Main;
    double outletArea = 0.0;
};

struct BoxCircuit {
    int nodes = 0; // besides the outside air, numbered from 1
    std::vector<CircuitElement> elements;
    // The nodes the drivers' backs and fronts face.
    AcousticNode driverRear = OutsideAir, driverFront = OutsideAir;
    // A mechanical resistance in series with each driver (N s/m): the closed
    // box's losses.
    double driverLossResistance = 0.0;

    AcousticNode addNode() { return ++nodes; }
    // A chamber of this compliance at a new node.
    AcousticNode addChamber(double compliance);
    void addOutlet(AcousticNode node, const Outlet &outlet);
    void addTwoPort(AcousticNode a, AcousticNode b,
                    std::function<TwoPortAdmittance(const DualComplex &jw)> admittance);
    // A duct whose end b is a set of vents' outlet of this area (m^2).
    void addDuctOutlet(AcousticNode a, AcousticNode b, VentSet set, double outletArea,
                       std::function<TwoPortAdmittance(const DualComplex &jw)> admittance);
    // The first opening of a role, or none.
    const Outlet *firstOutlet(Outlet::Role role) const;
    // The area of a set of vents, all of them together (m^2).
    double ventArea(VentSet set) const;
};

// The drivers as the circuit sees them: a source pressure behind an
// admittance, pushing their flow from the node their backs face to the node
// their fronts face.
struct DriverSource {
    DualComplex admittance;
    DualComplex pressure;
};

// Everything one solve gives at one frequency.
struct CircuitFlows {
    std::vector<DualComplex> pressures; // by node, the outside air's (0) first
    DualComplex driverFlow;             // of all the drivers together
    DualComplex radiated;               // into the outside air, all of it
    std::complex<double> ventFlow[2];   // of each set of vents together
    std::complex<double> radiatorFlow;  // of all radiators together
};

// A circuit solved at one frequency after another: its nodal equations
// built from its elements and the drivers, solved by Gaussian elimination
// with partial pivoting, slopes carried along. What flows into the outside
// air radiates: through the openings and the ducts that end there, and from
// the cones that face it. Its buffers are kept from one frequency to the
// next: a curve is hundreds of solves.
class CircuitSolver {
public:
    explicit CircuitSolver(const BoxCircuit &box);
    const CircuitFlows &solve(const DriverSource &drivers, const DualComplex &jw);

private:
    // Y's entry of two nodes, the outside air's none: the solve adds into
    // it hundreds of times a curve.
    void add(AcousticNode row, AcousticNode column, const DualComplex &y) {
        if (row != OutsideAir && column != OutsideAir) {
            DualComplex &at = y_[size_t(row - 1) * n_ + size_t(column - 1)];
            at = at + y;
        }
    }
    // An admittance between two nodes.
    void connect(AcousticNode a, AcousticNode b, const DualComplex &y) {
        add(a, a, y);
        add(b, b, y);
        add(a, b, -y);
        add(b, a, -y);
    }
    // A flow put into a node from outside the circuit.
    void inject(AcousticNode node, const DualComplex &flow) {
        if (node != OutsideAir)
            q_[size_t(node - 1)] = q_[size_t(node - 1)] + flow;
    }
    void eliminate();

    const BoxCircuit &box_;
    size_t n_;
    std::vector<DualComplex> y_, q_; // Y row by row, node k + 1 at k; the flows put in
    std::vector<DualComplex> admittances_;
    std::vector<TwoPortAdmittance> twoPorts_;
    CircuitFlows flows_;
};

// The circuit solved once at j w: the nodal equations of its elements and the
// drivers, by Gaussian elimination with partial pivoting, slopes carried
// along. What flows into the outside air radiates: through the openings and
// the ducts that end there, and from the cones that face it.
CircuitFlows SolveCircuit(const BoxCircuit &box, const DriverSource &drivers,
                          const DualComplex &jw);

} // namespace dravik
