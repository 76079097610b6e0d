// Duct segments as two-ports, against closed forms that do not share their
// construction (the uniform pipe, the infinite exponential horn and cone,
// the baffled piston's published values, quarter-wave resonances) and the
// invariants every passive reciprocal duct keeps.
#include "Ducts.h"

#include <QTest>

#include <cmath>
#include <complex>
#include <utility>

using namespace dravik;
using Complex = std::complex<double>;

Q_DECLARE_METATYPE(dravik::DuctSegment)

namespace {

constexpr double Pi = 3.14159265358979323846;
const DuctAir Air;

DualComplex Jw(double hz) {
    return DualComplex::ImaginaryFrequency(2.0 * Pi * hz);
}

DuctSegment Seg(Flare flare, double s1, double s2, double t = 0.5, std::optional<double> fill = {},
                double length = 1.2) {
    return {flare, length, s1, s2, t, fill};
}

// The largest difference of the entries (b and c made dimensionless by the
// pipe's rho c / S), relative to the largest entry or 1.
double Mismatch(const TransferMatrix &x, const TransferMatrix &y, const DuctSegment &s) {
    const double z = Air.density * Air.soundSpeed / std::sqrt(s.startAreaM2 * s.endAreaM2);
    const Complex dx[] = {x.a.value, x.b.value / z, x.c.value * z, x.d.value};
    const Complex dy[] = {y.a.value, y.b.value / z, y.c.value * z, y.d.value};
    double worst = 0.0, size = 1.0;
    for (int i = 0; i < 4; ++i) {
        worst = std::max(worst, std::abs(dx[i] - dy[i]));
        size = std::max(size, std::abs(dx[i]));
    }
    return worst / size;
}

// x / x0 from the narrower end of a hyperbolic-exponential flare, x0 found
// by bisection on its definition.
double FromThroat(const DuctSegment &s, double x) {
    const double ratio =
        std::max(s.startAreaM2, s.endAreaM2) / std::min(s.startAreaM2, s.endAreaM2);
    const auto short_ = [&](double r) {
        return std::pow(std::cosh(r * s.lengthM) + s.t * std::sinh(r * s.lengthM), 2) < ratio;
    };
    double lo = 0.0, hi = 1.0;
    while (short_(hi))
        hi *= 2.0;
    for (int i = 0; i < 200; ++i)
        (short_((lo + hi) / 2.0) ? lo : hi) = (lo + hi) / 2.0;
    return lo * (s.endAreaM2 > s.startAreaM2 ? x : s.lengthM - x);
}

// The area at x from each flare's definition.
double AreaAt(const DuctSegment &s, double x) {
    const double f = x / s.lengthM, s1 = s.startAreaM2, s2 = s.endAreaM2;
    switch (s.flare) {
    case Flare::Uniform:
        return s1;
    case Flare::Conical:
        return std::pow(std::sqrt(s1) * (1.0 - f) + std::sqrt(s2) * f, 2);
    case Flare::Exponential:
        return s1 * std::exp(f * std::log(s2 / s1));
    case Flare::Parabolic:
        return s1 * (1.0 - f) + s2 * f;
    case Flare::HyperbolicExponential:
        break;
    }
    const double u = FromThroat(s, x);
    return std::min(s1, s2) * std::pow(std::cosh(u) + s.t * std::sinh(u), 2);
}

template <class F> double Simpson(F f, double from, double to, int n) {
    const double h = (to - from) / n;
    double sum = f(from) + f(to);
    for (int i = 1; i < n; ++i)
        sum += f(from + i * h) * (i % 2 ? 4.0 : 2.0);
    return sum * h / 3.0;
}

// The uniform pipe [cos kL, j Zc/S sin kL; j S/Zc sin kL, cos kL]: k = w/c
// and Zc = rho c in air, Delany and Bazley's in a fill.
TransferMatrix UniformPipe(const DuctSegment &pipe, double hz) {
    Complex k = 2.0 * Pi * hz / Air.soundSpeed, z = Air.density * Air.soundSpeed / pipe.startAreaM2;
    if (pipe.fillResistivity) {
        const double x = Air.density * hz / *pipe.fillResistivity;
        z *= Complex(1.0 + 0.0571 * std::pow(x, -0.754), -0.087 * std::pow(x, -0.732));
        k *= Complex(1.0 + 0.0978 * std::pow(x, -0.700), -0.189 * std::pow(x, -0.595));
    }
    const Complex cos = std::cos(k * pipe.lengthM),
                  jsin = Complex(0.0, 1.0) * std::sin(k * pipe.lengthM);
    return {cos, z * jsin, jsin / z, cos};
}

const DualComplex TransferMatrix::*const Entries[] = {&TransferMatrix::a, &TransferMatrix::b,
                                                      &TransferMatrix::c, &TransferMatrix::d};

// The segment cut at x into two of the same profile; a hyperbolic piece's T
// is x0 psi'/psi at its narrower end.
std::pair<DuctSegment, DuctSegment> Cut(const DuctSegment &s, double x) {
    DuctSegment first = s, second = s;
    first.lengthM = x;
    second.lengthM = s.lengthM - x;
    first.endAreaM2 = second.startAreaM2 = AreaAt(s, x);
    const double u = s.flare == Flare::HyperbolicExponential ? FromThroat(s, x) : 0.0;
    (s.endAreaM2 > s.startAreaM2 ? second : first).t =
        (std::sinh(u) + s.t * std::cosh(u)) / (std::cosh(u) + s.t * std::sinh(u));
    return {first, second};
}

} // namespace

class TestDucts : public QObject {
    Q_OBJECT

private slots:
    void invariants_data() {
        QTest::addColumn<DuctSegment>("segment");
        const char *names[] = {"uniform", "conical", "exponential", "parabolic", "hyperbolic"};
        for (int flare = 0; flare < 5; ++flare)
            for (bool filled : {false, true})
                for (double s1 : {0.01, 0.08}) {
                    const double s2 = flare == int(Flare::Uniform) ? s1 : 0.09 - s1;
                    QTest::addRow("%s %s %s", names[flare], filled ? "filled" : "empty",
                                  s1 < s2 ? "widening" : "narrowing")
                        << Seg(Flare(flare), s1, s2, 0.5,
                               filled ? std::optional(12000.0) : std::nullopt, filled ? 0.5 : 1.2);
                }
    }
    // det T = 1 (reciprocity); the slopes are the derivatives; turned end for
    // end the matrix is [d b; c a]; two pieces cut on the profile make the
    // whole; the closed forms match a fine staircase of cones; of equal end
    // areas, every flare is the uniform pipe; the volume is Simpson's over
    // the profile; through the cut-off each step is the trapezoid of the
    // slopes at its ends.
    void invariants() {
        QFETCH(DuctSegment, segment);
        DuctSegment reversed = segment, level = segment;
        std::swap(reversed.startAreaM2, reversed.endAreaM2);
        level.endAreaM2 = level.startAreaM2;
        const auto [first, second] = Cut(segment, 0.3 * segment.lengthM);
        const double cutTolerance = segment.flare == Flare::Parabolic ? 1e-4 : 1e-9;
        const std::optional<double> cutoff = SegmentCutoffHz(segment, Air.soundSpeed);
        for (double hz : {5.0, cutoff.value_or(47.6), 400.0, 1000.0}) {
            const double w = 2.0 * Pi * hz, h = 1e-5 * w;
            const TransferMatrix t = SegmentTransfer(segment, Air, Jw(hz));
            const Complex det = (t.a * t.d - t.b * t.c).value;
            QVERIFY(std::abs(det - 1.0) < 1e-9 * std::max(1.0, std::abs(t.a.value * t.d.value)));
            const auto at = [&](double rad) {
                return SegmentTransfer(segment, Air, DualComplex::ImaginaryFrequency(rad));
            };
            const TransferMatrix up = at(w + h), down = at(w - h);
            for (auto e : Entries) {
                const Complex difference = ((up.*e).value - (down.*e).value) / (2.0 * h);
                const double scale = std::abs(difference) + std::abs((t.*e).value) / w;
                QVERIFY(std::abs((t.*e).slope - difference) < 1e-6 * scale);
            }
            const TransferMatrix r = SegmentTransfer(reversed, Air, Jw(hz));
            QVERIFY(Mismatch(r, {t.d, t.b, t.c, t.a}, segment) < 1e-9);
            const TransferMatrix parts =
                SegmentTransfer(first, Air, Jw(hz)) * SegmentTransfer(second, Air, Jw(hz));
            QVERIFY(Mismatch(parts, t, segment) < cutTolerance);
            QVERIFY(Mismatch(ConicalCascade(segment, Air, Jw(hz), 3000), t, segment) < 1e-4);
            QVERIFY(Mismatch(SegmentTransfer(level, Air, Jw(hz)), UniformPipe(level, hz), level) <
                    1e-12);
        }
        const double volume =
            Simpson([&](double x) { return AreaAt(segment, x); }, 0.0, segment.lengthM, 2000);
        QVERIFY(std::abs(SegmentVolumeM3(segment) - volume) < 1e-9 * volume);
        const double fc = cutoff.value_or(0.0), df = 2e-4 * fc;
        for (double f = 0.98 * fc; f < 1.02 * fc; f += df) {
            const TransferMatrix t0 = SegmentTransfer(segment, Air, Jw(f)),
                                 t1 = SegmentTransfer(segment, Air, Jw(f + df));
            for (auto e : Entries)
                QVERIFY(std::abs((t1.*e).value - (t0.*e).value -
                                 Pi * df * ((t0.*e).slope + (t1.*e).slope)) <
                        1e-9 * std::abs((t1.*e).value));
        }
    }

    void infiniteHorns_data() {
        QTest::addColumn<bool>("exponential");
        QTest::addColumn<double>("ratio"); // f / fc, or k x0
        QTest::addColumn<Complex>("expected");
        QTest::newRow("exponential below cut-off")
            << true << 0.5 << Complex(0.0, 2.0 - std::sqrt(3.0));
        QTest::newRow("exponential at 2 fc") << true << 2.0 << Complex(0.8660254, 0.5);
        QTest::newRow("cone at k x0 1") << false << 1.0 << Complex(0.5, 0.5);
        QTest::newRow("cone at k x0 2") << false << 2.0 << Complex(0.8, 0.4);
    }
    // A 40 m horn ending in its own outgoing-wave impedance shows the
    // infinite horn's at its throat, in rho c / S: j k / (m/2 + g), g the
    // outgoing root of (m/2)^2 - k^2; and for the cone j k x / (1 + j k x).
    void infiniteHorns() {
        QFETCH(bool, exponential);
        QFETCH(double, ratio);
        QFETCH(Complex, expected);
        const double s1 = 0.01, length = 40.0, mu = 0.1, x0 = 0.5,
                     k = exponential ? ratio * mu : ratio / x0;
        const double s2 =
            exponential ? s1 * std::exp(2.0 * mu * length) : s1 * std::pow((x0 + length) / x0, 2);
        const auto normalised = [&](double x) {
            if (!exponential)
                return Complex(0.0, k * x) / Complex(1.0, k * x);
            const double g2 = mu * mu - k * k;
            return Complex(0.0, k) /
                   (mu + (g2 > 0.0 ? Complex(std::sqrt(g2)) : Complex(0.0, std::sqrt(-g2))));
        };
        const DuctSegment horn =
            Seg(exponential ? Flare::Exponential : Flare::Conical, s1, s2, 1.0, {}, length);
        const TransferMatrix t = SegmentTransfer(horn, Air, Jw(k * Air.soundSpeed / (2.0 * Pi)));
        const double rhoC = Air.density * Air.soundSpeed;
        const Complex load = rhoC / s2 * normalised(x0 + length);
        const Complex throat =
            (t.a.value * load + t.b.value) / (t.c.value * load + t.d.value) / (rhoC / s1);
        QVERIFY(std::abs(throat - normalised(x0)) < 1e-9);
        QVERIFY(std::abs(throat - expected) < 1e-6);
    }

    void baffledPiston_data() {
        QTest::addColumn<double>("ka");
        QTest::addColumn<Complex>("expected"); // in rho c / S
        QTest::addColumn<double>("tolerance");
        QTest::newRow("0") << 0.0 << Complex(0.0, 0.0) << 0.0;
        QTest::newRow("1e-4: (ka)^2/2, 8 ka / (3 pi)")
            << 1e-4 << Complex(0.5e-8, 8e-4 / (3.0 * Pi)) << 1e-12;
        QTest::newRow("0.1") << 0.1 << Complex(0.00499, 0.08466) << 5e-5;
        QTest::newRow("1") << 1.0 << Complex(0.42328, 0.64676) << 5e-5;
        QTest::newRow("15") << 15.0 << Complex(1.00792, 0.04812) << 5e-5;
    }
    // The value, and the slope against a difference.
    void baffledPiston() {
        QFETCH(double, ka);
        QFETCH(Complex, expected);
        QFETCH(double, tolerance);
        const double area = 0.05, w = ka * Air.soundSpeed / std::sqrt(area / Pi), h = 1e-3;
        const auto z = [area](double rad) {
            return BaffledPistonImpedance(area, Air, DualComplex::ImaginaryFrequency(rad));
        };
        QVERIFY(std::abs(z(w).value / (Air.density * Air.soundSpeed / area) - expected) <=
                tolerance);
        const double below = std::max(w - h, 0.0);
        const Complex difference = (z(w + h).value - z(below).value) / (w + h - below);
        QVERIFY(std::abs(z(w).slope - difference) < 1e-6 * std::abs(difference));
    }

    void struveAgainstIntegrals_data() {
        QTest::addColumn<double>("x");
        for (double x : {0.5, 3.0, 19.999999, 20.000001, 35.0, 60.0})
            QTest::addRow("%g", x) << x;
    }
    // H0 = (2/pi) int sin(x cos t), H1 = (2x/pi) int cos^2 t sin(x sin t), over 0..pi/2.
    void struveAgainstIntegrals() {
        QFETCH(double, x);
        const double h0 =
            2.0 / Pi *
            Simpson([x](double t) { return std::sin(x * std::cos(t)); }, 0.0, Pi / 2.0, 20000);
        const double h1 =
            2.0 * x / Pi *
            Simpson([x](double t) { return std::pow(std::cos(t), 2) * std::sin(x * std::sin(t)); },
                    0.0, Pi / 2.0, 20000);
        QVERIFY(std::abs(StruveH0(x) - h0) < 1e-8);
        QVERIFY(std::abs(StruveH1(x) - h1) < 1e-8 * h1);
    }

    void closedPipeResonances_data() {
        QTest::addColumn<int>("n");
        for (int n = 1; n <= 3; ++n)
            QTest::addRow("%d", n) << n;
    }
    // Closed at its far end, the input impedance a/c vanishes where the pipe
    // is an odd number of quarter waves long; its reactance rises through
    // each zero (Foster).
    void closedPipeResonances() {
        QFETCH(int, n);
        const DuctSegment pipe = Seg(Flare::Uniform, 0.005, 0.005, 1.0, {}, 1.0);
        const auto reactance = [&](double hz) {
            const TransferMatrix t = SegmentTransfer(pipe, Air, Jw(hz));
            return (t.a / t.c).value.imag();
        };
        double lo = 5.0;
        for (int found = 0; lo < 2000.0; lo += 1.0)
            if (reactance(lo) < 0.0 && reactance(lo + 1.0) > 0.0 && ++found == n)
                break;
        double hi = lo + 1.0;
        for (int i = 0; i < 60; ++i)
            (reactance((lo + hi) / 2.0) < 0.0 ? lo : hi) = (lo + hi) / 2.0;
        QVERIFY(std::abs(lo - (2 * n - 1) * Air.soundSpeed / 4.0) < 1e-9 * lo);
        const TransferMatrix t = SegmentTransfer(pipe, Air, Jw(lo));
        QVERIFY((t.a / t.c).slope.imag() > 0.0);
    }

    void cutoff_data() {
        QTest::addColumn<DuctSegment>("segment");
        QTest::addColumn<double>("expected"); // Hz, 0 for none
        const auto horn = [](Flare f, double s1, double s2, double t) {
            return Seg(f, s1, s2, t, {}, 0.75);
        };
        QTest::newRow("exponential") << horn(Flare::Exponential, 0.035, 0.24, 1.0) << 70.27;
        QTest::newRow("exponential narrowing")
            << horn(Flare::Exponential, 0.24, 0.035, 1.0) << 70.27;
        QTest::newRow("hyperbolic T 1")
            << horn(Flare::HyperbolicExponential, 0.035, 0.24, 1.0) << 70.27;
        const DuctSegment hyperbolic = horn(Flare::HyperbolicExponential, 0.24, 0.035, 0.3);
        // From the wide end u = L / x0.
        QTest::newRow("hyperbolic T 0.3: c / (2 pi x0)")
            << hyperbolic << 344.0 * FromThroat(hyperbolic, 0.0) / (2.0 * Pi * 0.75);
        QTest::newRow("conical") << horn(Flare::Conical, 0.035, 0.24, 1.0) << 0.0;
        QTest::newRow("parabolic") << horn(Flare::Parabolic, 0.035, 0.24, 1.0) << 0.0;
    }
    void cutoff() {
        QFETCH(DuctSegment, segment);
        QFETCH(double, expected);
        const std::optional<double> fc = SegmentCutoffHz(segment, 344.0);
        QCOMPARE(fc.has_value(), expected > 0.0);
        QVERIFY(!fc || std::abs(*fc - expected) < 0.01);
    }

    void parabolicConverges_data() {
        QTest::addColumn<DuctSegment>("segment");
        for (double length : {0.05, 2.0, 6.0})
            for (double ratio : {1.2, 20.0, 0.01})
                QTest::addRow("%g m, %g", length, ratio)
                    << Seg(Flare::Parabolic, 0.004, 0.004 * ratio, 1.0, {}, length);
    }
    // Twice the pieces move no entry by 1e-4, from 5 Hz to 1 kHz.
    void parabolicConverges() {
        QFETCH(DuctSegment, segment);
        const int pieces = ConicalPieceCount(segment, Air);
        for (double hz = 5.0; hz < 1000.0; hz *= 1.1)
            QVERIFY(Mismatch(ConicalCascade(segment, Air, Jw(hz), pieces),
                             ConicalCascade(segment, Air, Jw(hz), 2 * pieces), segment) < 1e-4);
    }

    void invalidSegments_data() {
        QTest::addColumn<DuctSegment>("segment");
        QTest::newRow("no length") << Seg(Flare::Parabolic, 0.01, 0.02, 0.5, {}, 0.0);
        QTest::newRow("negative area") << Seg(Flare::Exponential, -0.01, 0.02);
        QTest::newRow("no end area") << Seg(Flare::HyperbolicExponential, 0.01, 0.0);
        QTest::newRow("not a number") << Seg(Flare::Conical, 0.01, std::nan(""));
        QTest::newRow("endless") << Seg(Flare::Parabolic, 0.01, 0.02, 0.5, {}, INFINITY);
    }
    // Pass pressure and flow unchanged, hold no air, have no cut-off.
    void invalidSegments() {
        QFETCH(DuctSegment, segment);
        const TransferMatrix t = SegmentTransfer(segment, Air, Jw(50.0));
        QVERIFY(t.a.value == 1.0 && t.b.value == 0.0 && t.c.value == 0.0 && t.d.value == 1.0);
        QCOMPARE(SegmentVolumeM3(segment), 0.0);
        QVERIFY(!SegmentCutoffHz(segment, 345.0));
    }
};

QTEST_GUILESS_MAIN(TestDucts)
#include "tst_ducts.moc"
