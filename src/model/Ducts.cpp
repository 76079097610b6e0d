#include "Ducts.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace dravik {

namespace {

using Complex = std::complex<double>;
constexpr double Pi = acoustics::PiFull;
constexpr Complex J{0.0, 1.0};

// ---- Functions of a value and its slope, each by the chain rule.

DualComplex Exp(const DualComplex &z) {
    const Complex e = std::exp(z.value);
    return {e, e * z.slope};
}
DualComplex Log(const DualComplex &z) {
    return {std::log(z.value), z.slope / z.value};
}
DualComplex Sqrt(const DualComplex &z) {
    const Complex root = std::sqrt(z.value);
    return {root, z.slope / (2.0 * root)};
}
DualComplex Cosh(const DualComplex &z) {
    return {std::cosh(z.value), std::sinh(z.value) * z.slope};
}
DualComplex Sinh(const DualComplex &z) {
    return {std::sinh(z.value), std::cosh(z.value) * z.slope};
}
// z^p for a real p, as e^(p ln z).
DualComplex PowReal(const DualComplex &z, double p) {
    return Exp(DualComplex(p) * Log(z));
}

TransferMatrix Identity() {
    return {1.0, 0.0, 0.0, 1.0};
}

bool Positive(double v) {
    return std::isfinite(v) && v > 0.0;
}

// A uniform segment needs only its start area.
bool Usable(const DuctSegment &seg) {
    return Positive(seg.lengthM) && Positive(seg.startAreaM2) &&
           (seg.flare == Flare::Uniform || Positive(seg.endAreaM2));
}

// T outside 0..1 has no meaning (below 0 the flare narrows first); NaN is 1.
double ClampedT(double t) {
    return t >= 0.0 ? std::min(t, 1.0) : (std::isnan(t) ? 1.0 : 0.0);
}

// ---- The medium: air, or the equivalent fluid of a fill.

// A plane wave in it goes as e^(-gamma x) and has the specific impedance
// zc: in air gamma = s/c and zc = rho c.
struct Medium {
    DualComplex gamma;
    DualComplex zc;
};

// Delany and Bazley's fit for a fibrous fill of flow resistivity sigma,
// with X = rho f / sigma: the wave is slower and decays, and its impedance
// gains a stiffness.
Medium FilledMedium(double sigma, const DuctAir &air, const DualComplex &s) {
    const DualComplex w = s * DualComplex(-J); // s / j
    const DualComplex x = w * DualComplex(air.density / (2.0 * Pi * sigma));
    const DualComplex zRatio = DualComplex(1.0) + DualComplex(0.0571) * PowReal(x, -0.754) -
                               DualComplex(0.087 * J) * PowReal(x, -0.732);
    const DualComplex kRatio = DualComplex(1.0) + DualComplex(0.0978) * PowReal(x, -0.700) -
                               DualComplex(0.189 * J) * PowReal(x, -0.595);
    const DualComplex k = w * DualComplex(1.0 / air.soundSpeed) * kRatio;
    return {DualComplex(J) * k, zRatio * DualComplex(air.density * air.soundSpeed)};
}

Medium MediumOf(const DuctSegment &seg, const DuctAir &air, const DualComplex &s) {
    if (seg.fillResistivity && Positive(*seg.fillResistivity))
        return FilledMedium(*seg.fillResistivity, air, s);
    return {s / DualComplex(air.soundSpeed), DualComplex(air.density * air.soundSpeed)};
}

// ---- The closed form.
//
// Where S = psi^2 with psi'' = mu^2 psi, p = phi / psi turns Webster's
// equation into phi'' = g^2 phi with the constant g^2 = mu^2 + gamma^2, and
// Euler's into U = -(psi phi' - psi' phi) / (s rho). Uniform and conical
// ducts have mu = 0, the exponential mu = m/2, the hyperbolic-exponential
// 1/x0.
struct Profile {
    double psi1, dpsi1; // sqrt(S) and its slope along the duct, at the start
    double psi2, dpsi2; // and at the end
    double muSquared;
    double length;
};

struct CoshPair {
    DualComplex cosh;  // cosh(g L)
    DualComplex sinhc; // sinh(g L) / (g L)
};

// Both are even in g L, so they are functions of u = (g L)^2 and the branch
// of its square root does not matter. Near u = 0 (a flare at its cut-off, a
// short piece at a low frequency) their series avoid 0/0 and the infinite
// slope of the root.
CoshPair CoshOfRoot(const DualComplex &u) {
    if (std::abs(u.value) < 1e-2) {
        const auto term = [&u](double divisor, const DualComplex &rest) {
            return DualComplex(1.0) + u * DualComplex(1.0 / divisor) * rest;
        };
        const DualComplex one(1.0);
        return {term(2, term(12, term(30, term(56, term(90, one))))),
                term(6, term(20, term(42, term(72, term(110, one)))))};
    }
    const DualComplex root = Sqrt(u);
    return {Cosh(root), Sinh(root) / root};
}

// Taking the solution from end 2 back to end 1:
//   phi1 = C phi2 - (Sh) phi2',  phi1' = -g^2 Sh phi2 + C phi2',
// with C = cosh g L and Sh = sinh(g L) / g, and writing phi, phi' by p, U at
// each end gives the four entries. Their determinant is C^2 - g^2 Sh^2 = 1.
TransferMatrix WebsterTransfer(const Profile &f, const Medium &m) {
    const double l = f.length;
    const DualComplex gammaSquared = m.gamma * m.gamma;
    const DualComplex gSquared = DualComplex(f.muSquared) + gammaSquared;
    const CoshPair pair = CoshOfRoot(gSquared * DualComplex(l * l));
    const DualComplex &ch = pair.cosh;
    const DualComplex sh = pair.sinhc * DualComplex(l);
    const DualComplex sRho = m.gamma * m.zc;
    const double psiProduct = f.psi1 * f.psi2;
    // c = (g^2 Sh psi1 psi2 + C (psi1' psi2 - psi1 psi2') - Sh psi1' psi2') / (s rho).
    // With g^2 = mu^2 + gamma^2, the gamma^2 part over s rho is gamma / zc,
    // and what is left vanishes for the uniform and the exponential duct:
    // no difference of large terms at low frequencies.
    const double wronskian = f.dpsi1 * f.psi2 - f.psi1 * f.dpsi2;
    const double flareTerm = f.muSquared * psiProduct - f.dpsi1 * f.dpsi2;
    const DualComplex c = sh * DualComplex(psiProduct) * m.gamma / m.zc +
                          (sh * DualComplex(flareTerm) + ch * DualComplex(wronskian)) / sRho;
    return {(ch * DualComplex(f.psi2) - sh * DualComplex(f.dpsi2)) / DualComplex(f.psi1),
            sh * sRho / DualComplex(psiProduct), c,
            (ch * DualComplex(f.psi1) + sh * DualComplex(f.dpsi1)) / DualComplex(f.psi2)};
}

Profile Mirrored(const Profile &f) {
    return {f.psi2, -f.dpsi2, f.psi1, -f.dpsi1, f.muSquared, f.length};
}

Profile ConicalProfile(double s1, double s2, double length) {
    const double psi1 = std::sqrt(s1), psi2 = std::sqrt(s2);
    const double slope = (psi2 - psi1) / length;
    return {psi1, slope, psi2, slope, 0.0, length};
}

// sqrt(S) = sqrt(S1) e^(m x / 2): psi'/psi = m/2 = mu at every point.
Profile ExponentialProfile(double s1, double s2, double length) {
    const double mu = std::log(s2 / s1) / (2.0 * length);
    const double psi1 = std::sqrt(s1), psi2 = std::sqrt(s2);
    return {psi1, mu * psi1, psi2, mu * psi2, mu * mu, length};
}

// L / x0 for a hyperbolic-exponential flare widening by `ratio` (> 1) in
// area: cosh q + T sinh q = r = sqrt(ratio) is a quadratic in e^q, whose
// root above 1 is (r + sqrt(r^2 - 1 + T^2)) / (1 + T). Written for log1p so
// that a slight flare keeps its digits.
double HyperbolicReach(double ratio, double t) {
    const double r = std::sqrt(ratio);
    const double excess = ratio - 1.0; // r^2 - 1
    const double root = std::sqrt(excess + t * t);
    return std::log1p(((r - 1.0) + excess / (root + t)) / (1.0 + t));
}

// From the narrower end, psi = sqrt(S0)(cosh(x/x0) + T sinh(x/x0)): psi'/psi
// is T / x0 there and (tanh q + T) / (1 + T tanh q) / x0 at the wider end.
// A narrowing segment is the mirror image.
Profile HyperbolicProfile(double s1, double s2, double length, double tRaw) {
    if (s1 == s2)
        return ExponentialProfile(s1, s2, length); // no flare: uniform
    const bool widening = s2 > s1;
    const double throat = widening ? s1 : s2, mouth = widening ? s2 : s1;
    const double t = ClampedT(tRaw);
    const double q = HyperbolicReach(mouth / throat, t);
    const double rate = q / length; // 1 / x0
    const double th = std::tanh(q);
    const double psiThroat = std::sqrt(throat), psiMouth = std::sqrt(mouth);
    const Profile widened{psiThroat,   psiThroat * t * rate,
                          psiMouth,    psiMouth * rate * (th + t) / (1.0 + t * th),
                          rate * rate, length};
    return widening ? widened : Mirrored(widened);
}

Profile ClosedFormProfile(const DuctSegment &seg) {
    const double s1 = seg.startAreaM2, s2 = seg.endAreaM2, l = seg.lengthM;
    switch (seg.flare) {
    case Flare::Conical:
        return ConicalProfile(s1, s2, l);
    case Flare::Exponential:
        return ExponentialProfile(s1, s2, l);
    case Flare::HyperbolicExponential:
        return HyperbolicProfile(s1, s2, l, seg.t);
    case Flare::Uniform:
    case Flare::Parabolic:
        break;
    }
    return ConicalProfile(s1, s1, l);
}

// Where the i-th of n conical pieces ends. A parabolic flare's pieces span
// equal ratios of area, short at the narrow end where sqrt(S) bends most
// (the chord of each piece misses its curve by the same fraction); other
// profiles are cut into equal lengths.
double PieceEnd(const DuctSegment &seg, int i, int n) {
    const double s1 = seg.startAreaM2, s2 = seg.endAreaM2, l = seg.lengthM;
    if (seg.flare != Flare::Parabolic || s1 == s2)
        return l * i / n;
    const double area = s1 * std::pow(s2 / s1, static_cast<double>(i) / n);
    return std::clamp(l * (area - s1) / (s2 - s1), 0.0, l);
}

TransferMatrix CascadeOf(const DuctSegment &seg, const Medium &medium, int pieces) {
    TransferMatrix total = Identity();
    double start = 0.0, startArea = seg.startAreaM2;
    for (int i = 1; i <= pieces; ++i) {
        const double end = i == pieces ? seg.lengthM : PieceEnd(seg, i, pieces);
        const double endArea = i == pieces ? seg.endAreaM2 : SegmentAreaAt(seg, end);
        if (end > start)
            total =
                total * WebsterTransfer(ConicalProfile(startArea, endArea, end - start), medium);
        start = end;
        startArea = endArea;
    }
    return total;
}

// ---- The baffled piston.

// Sums a series from its first term, each next term the last times
// ratio(m), m = 0, 1, ...; with `weight(m)`, also the weighted sum. Stops
// once the terms have passed their peak (near m = x/2) and no longer count.
struct SeriesSums {
    double plain = 0.0, weighted = 0.0;
};
template <class Ratio, class Weight>
SeriesSums SumSeries(double first, Ratio ratio, Weight weight) {
    SeriesSums sums;
    double term = first;
    for (int m = 0; m < 200; ++m) {
        sums.plain += term;
        sums.weighted += weight(m) * term;
        if (std::abs(term) <= 1e-17 * std::abs(sums.plain) && ratio(m) > -1.0)
            break;
        term *= ratio(m);
    }
    return sums;
}

// Below this argument the Struve functions and the piston's terms are
// summed as power series, above it from the Bessel functions and the
// asymptotic series of H - Y. At 20 the power series' largest term is about
// 1e7 times the sum (1e-9 lost to rounding) and the asymptotic series'
// smallest term 3e-10 of the value.
constexpr double PowerSeriesLimit = 20.0;

// H_n(x) - Y_n(x) ~ (2 / pi) x^(n-1) (1 + sum of terms in 1/x^2), summed
// until its terms stop shrinking (an asymptotic series diverges past there).
double StruveMinusNeumann(int n, double x) {
    const double x2 = x * x;
    double sum = 0.0, term = 1.0;
    for (int k = 0; k < 60; ++k) {
        sum += term;
        // H0: -(2k + 1)^2 / x^2; H1: (1 - 4 k^2) / x^2.
        const double next =
            n == 0 ? -term * (2 * k + 1) * (2 * k + 1) / x2 : term * (1.0 - 4.0 * k * k) / x2;
        if (std::abs(next) >= std::abs(term) || std::abs(next) < 1e-17 * std::abs(sum))
            break;
        term = next;
    }
    return 2.0 / Pi * (n == 0 ? sum / x : sum);
}

struct Slope {
    double value, slope;
};

// R(x) = 1 - 2 J1(x) / x and X(x) = 2 H1(x) / x with their derivatives, at
// x = 2 k a. The power series start at x^2 / 8 and 4 x / (3 pi).
struct PistonTerms {
    Slope resistance, reactance;
};

PistonTerms PistonTermsAt(double x) {
    if (x < PowerSeriesLimit) {
        const double y = x / 2.0, y2 = y * y;
        // R = y^2 sum w_m, w_m = (-1)^(m+1) y^(2m-2) / (m! (m+1)!), m >= 1.
        const SeriesSums r = SumSeries(
            0.5, [y2](int i) { return -y2 / ((i + 2.0) * (i + 3.0)); },
            [](int i) { return i + 1.0; });
        // X = y sum u_m, u_m = (-1)^m y^(2m) / (Gamma(m + 3/2) Gamma(m + 5/2)).
        const SeriesSums h = SumSeries(
            8.0 / (3.0 * Pi), [y2](int i) { return -y2 / ((i + 1.5) * (i + 2.5)); },
            [](int i) { return i + 0.5; });
        return {{y2 * r.plain, y * r.weighted}, {y * h.plain, h.weighted}};
    }
    const double j0 = std::cyl_bessel_j(0.0, x), j1 = std::cyl_bessel_j(1.0, x);
    const double h0 = StruveH0(x), h1 = StruveH1(x);
    // (J1/x)' = (J0 - 2 J1/x) / x, and likewise for H1 with H0.
    return {{1.0 - 2.0 * j1 / x, -2.0 * (j0 - 2.0 * j1 / x) / x},
            {2.0 * h1 / x, 2.0 * (h0 - 2.0 * h1 / x) / x}};
}

} // namespace

TransferMatrix operator*(const TransferMatrix &l, const TransferMatrix &r) {
    return {l.a * r.a + l.b * r.c, l.a * r.b + l.b * r.d, l.c * r.a + l.d * r.c,
            l.c * r.b + l.d * r.d};
}

TransferMatrix SegmentTransfer(const DuctSegment &seg, const DuctAir &air, const DualComplex &s) {
    if (!Usable(seg))
        return Identity();
    if (seg.flare == Flare::Parabolic)
        return ConicalCascade(seg, air, s, ConicalPieceCount(seg, air));
    return WebsterTransfer(ClosedFormProfile(seg), MediumOf(seg, air, s));
}

TransferMatrix PathTransfer(const std::vector<DuctSegment> &segments, size_t from, size_t to,
                            const DuctAir &air, const DualComplex &s) {
    TransferMatrix total = Identity();
    for (size_t i = from; i < std::min(to, segments.size()); ++i)
        total = total * SegmentTransfer(segments[i], air, s);
    return total;
}

TransferMatrix SeriesImpedance(const DualComplex &z) {
    return {1.0, z, 0.0, 1.0};
}

TwoPortAdmittance AdmittanceOf(const TransferMatrix &t) {
    const DualComplex det = t.a * t.d - t.b * t.c;
    return {t.d / t.b, -det / t.b, -DualComplex(1.0) / t.b, t.a / t.b};
}

DualComplex BaffledPistonImpedance(double areaM2, const DuctAir &air, const DualComplex &s) {
    if (!Positive(areaM2))
        return {};
    const double radius = std::sqrt(areaM2 / Pi);
    // x = 2 k a, with k = w / c and w = s / j.
    const double dxdw = 2.0 * radius / air.soundSpeed;
    const PistonTerms p = PistonTermsAt(dxdw * s.value.imag());
    const double scale = air.density * air.soundSpeed / areaM2;
    const double slope = scale * dxdw * s.slope.imag();
    return {{scale * p.resistance.value, scale * p.reactance.value},
            {slope * p.resistance.slope, slope * p.reactance.slope}};
}

double SegmentVolumeM3(const DuctSegment &seg) {
    if (!Usable(seg))
        return 0.0;
    const double s1 = seg.startAreaM2, s2 = seg.endAreaM2, l = seg.lengthM;
    switch (seg.flare) {
    case Flare::Uniform:
        break;
    case Flare::Conical:
        return l / 3.0 * (s1 + std::sqrt(s1 * s2) + s2);
    case Flare::Exponential: {
        // (S2 - S1) L / ln(S2/S1), as S1 L (e^g - 1) / g with g = ln(S2/S1).
        const double g = std::log(s2 / s1);
        return g == 0.0 ? s1 * l : s1 * l * std::expm1(g) / g;
    }
    case Flare::Parabolic:
        return l * (s1 + s2) / 2.0;
    case Flare::HyperbolicExponential: {
        if (s1 == s2)
            break;
        // The integral of (cosh u + T sinh u)^2 over 0..q is
        // (1 - T^2) q/2 + (1 + T^2) sinh(2q)/4 + T sinh(q)^2, times x0 = L/q.
        const double throat = std::min(s1, s2), t = ClampedT(seg.t);
        const double q = HyperbolicReach(std::max(s1, s2) / throat, t);
        const double sh = std::sinh(q);
        return throat * l *
               ((1.0 - t * t) / 2.0 + (1.0 + t * t) * std::sinh(2.0 * q) / (4.0 * q) +
                t * sh * sh / q);
    }
    }
    return s1 * l;
}

std::optional<double> SegmentCutoffHz(const DuctSegment &seg, double soundSpeed) {
    if (!Usable(seg))
        return std::nullopt;
    const double s1 = seg.startAreaM2, s2 = seg.endAreaM2, l = seg.lengthM;
    if (seg.flare == Flare::Exponential)
        return soundSpeed * std::abs(std::log(s2 / s1)) / (4.0 * Pi * l);
    if (seg.flare == Flare::HyperbolicExponential) {
        const double ratio = std::max(s1, s2) / std::min(s1, s2);
        const double q = ratio == 1.0 ? 0.0 : HyperbolicReach(ratio, ClampedT(seg.t));
        return soundSpeed * q / (2.0 * Pi * l);
    }
    return std::nullopt;
}

double SegmentAreaAt(const DuctSegment &seg, double xM) {
    if (!Usable(seg))
        return 0.0;
    const double s1 = seg.startAreaM2, s2 = seg.endAreaM2;
    const double f = std::clamp(xM / seg.lengthM, 0.0, 1.0); // fraction of the length
    switch (seg.flare) {
    case Flare::Uniform:
        break;
    case Flare::Conical: {
        const double psi = std::sqrt(s1) + (std::sqrt(s2) - std::sqrt(s1)) * f;
        return psi * psi;
    }
    case Flare::Exponential:
        return s1 * std::pow(s2 / s1, f);
    case Flare::Parabolic:
        return s1 + (s2 - s1) * f;
    case Flare::HyperbolicExponential: {
        if (s1 == s2)
            break;
        const double t = ClampedT(seg.t);
        const double throat = std::min(s1, s2);
        const double q = HyperbolicReach(std::max(s1, s2) / throat, t);
        const double u = q * (s2 > s1 ? f : 1.0 - f); // from the narrower end, in x0
        const double psi = std::cosh(u) + t * std::sinh(u);
        return throat * psi * psi;
    }
    }
    return s1;
}

// The pieces' chords make the error; it falls as the square of the log of
// the area ratio each piece spans, and 25 pieces per unit of |ln(S2/S1)|
// keep the whole within 1e-4 of the limit. No piece is longer than a sixth
// of the wavelength at 1 kHz, so that the small reflections at the joints
// cannot add up in phase (as in a grating) below 3 kHz. Under equal ratios
// the longest piece, at the wide end, is |ln(S2/S1)| max(S1, S2) / |S2 - S1|
// times the mean. Capped at 1000 pieces for very long ducts.
int ConicalPieceCount(const DuctSegment &seg, const DuctAir &air) {
    if (!Usable(seg) || !Positive(air.soundSpeed))
        return 8;
    const double s1 = seg.startAreaM2, s2 = seg.endAreaM2;
    const double logRatio = std::abs(std::log(s2 / s1));
    const double stretch = s1 == s2 ? 1.0 : logRatio * std::max(s1, s2) / std::abs(s2 - s1);
    const double longest = air.soundSpeed / 1000.0 / 6.0;
    const double pieces = std::max(25.0 * logRatio, seg.lengthM * stretch / longest);
    return static_cast<int>(std::clamp(std::ceil(pieces), 8.0, 1000.0));
}

TransferMatrix ConicalCascade(const DuctSegment &seg, const DuctAir &air, const DualComplex &s,
                              int pieces) {
    if (!Usable(seg))
        return Identity();
    return CascadeOf(seg, MediumOf(seg, air, s), std::max(pieces, 1));
}

double StruveH0(double x) {
    if (x < PowerSeriesLimit) {
        // sum (-1)^m (x/2)^(2m+1) / Gamma(m + 3/2)^2
        const double y = x / 2.0;
        return SumSeries(
                   4.0 * y / Pi, [y](int m) { return -y * y / ((m + 1.5) * (m + 1.5)); },
                   [](int) { return 0.0; })
            .plain;
    }
    return std::cyl_neumann(0.0, x) + StruveMinusNeumann(0, x);
}

double StruveH1(double x) {
    if (x < PowerSeriesLimit) {
        // sum (-1)^m (x/2)^(2m+2) / (Gamma(m + 3/2) Gamma(m + 5/2))
        const double y = x / 2.0;
        return SumSeries(
                   8.0 * y * y / (3.0 * Pi),
                   [y](int m) { return -y * y / ((m + 1.5) * (m + 2.5)); }, [](int) { return 0.0; })
            .plain;
    }
    return std::cyl_neumann(1.0, x) + StruveMinusNeumann(1, x);
}

} // namespace dravik
