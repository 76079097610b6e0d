#include "ImpedanceFit.h"

#include "Acoustics.h"

#include <QStringList>

#include <gsl/gsl_blas.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_multifit_nlinear.h>
#include <gsl/gsl_vector.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <iterator>
#include <memory>
#include <numeric>

namespace dravik {

namespace {

constexpr double Pi = acoustics::PiFull;
constexpr double TwoPi = 2.0 * Pi;

// A resonance must lift the curve by a tenth above Re to be one.
constexpr double MinimumPeakRatio = 1.1;
// The top of the peak, for the lines and the parabola of the classic
// estimate: the points within this share of the highest resistance.
constexpr double PeakRegionShare = 0.9;

double lerp(double x0, double y0, double x1, double y1, double x) {
    return y0 + (y1 - y0) * (x - x0) / (x1 - x0);
}

// The frequency between points i and i + 1 where `value` crosses `level`.
template <class Value>
double crossing(const ImpedanceCurve &c, size_t i, double level, Value value) {
    return lerp(value(i), c.hz[i], value(i + 1), c.hz[i + 1], level);
}

// ---------------------------------------------------------------- classic

size_t resistancePeak(const ImpedanceCurve &c) {
    size_t peak = 0;
    for (size_t i = 1; i < c.size(); ++i)
        if (c.z[i].real() > c.z[peak].real())
            peak = i;
    return peak;
}

// The phase's zero crossing from above to below next to the peak, or the
// peak itself where the phase does not cross there.
double refinedResonance(const ImpedanceCurve &c, size_t peak) {
    const auto phase = [&](size_t i) { return std::arg(c.z[i]); };
    const size_t from = peak > 0 ? peak - 1 : 0;
    for (size_t i = from; i <= peak && i + 1 < c.size(); ++i)
        if (phase(i) >= 0.0 && phase(i + 1) < 0.0)
            return crossing(c, i, 0.0, phase);
    return c.hz[peak];
}

double magnitudeAt(const ImpedanceCurve &c, double hz) {
    const auto upper = std::lower_bound(c.hz.begin(), c.hz.end(), hz);
    if (upper == c.hz.begin())
        return std::abs(c.z.front());
    if (upper == c.hz.end())
        return std::abs(c.z.back());
    const size_t i = size_t(upper - c.hz.begin());
    return lerp(c.hz[i - 1], std::abs(c.z[i - 1]), c.hz[i], std::abs(c.z[i]), hz);
}

} // namespace

namespace {

// A straight line y = a + b ln f by least squares over the points lo..hi:
// a measurement's noise, which a single point carries in full, averages out.
struct Line {
    double a = 0, b = 0;
    bool valid = false;
};

template <class Value> Line lineOver(const ImpedanceCurve &c, size_t lo, size_t hi, Value value) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    const double n = double(hi - lo + 1);
    for (size_t i = lo; i <= hi; ++i) {
        const double x = std::log(c.hz[i]), y = value(i);
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    Line l;
    const double det = n * sxx - sx * sx;
    if (hi <= lo || !(det > 0.0))
        return l;
    l.b = (n * sxy - sx * sy) / det;
    l.a = (sy - l.b * sx) / n;
    l.valid = std::isfinite(l.a) && std::isfinite(l.b);
    return l;
}

// Where the line reaches `level`, when it does so inside [low, high] Hz.
std::optional<double> lineCrossing(const Line &l, double level, double low, double high) {
    if (!l.valid || l.b == 0.0)
        return std::nullopt;
    const double f = std::exp((level - l.a) / l.b);
    if (!(f >= low && f <= high))
        return std::nullopt;
    return f;
}

// The points around the peak within `share` of its resistance, and at least
// one on either side.
std::pair<size_t, size_t> peakRegion(const ImpedanceCurve &c, size_t peak, double share) {
    const double top = c.z[peak].real();
    size_t lo = peak, hi = peak;
    while (lo > 0 && c.z[lo - 1].real() >= share * top)
        --lo;
    while (hi + 1 < c.size() && c.z[hi + 1].real() >= share * top)
        ++hi;
    return {std::min(lo, peak - 1), std::max(hi, peak + 1)};
}

// Fs: the zero of the phase, by a straight line over the top of the peak.
double resonanceOfPeak(const ImpedanceCurve &c, size_t peak) {
    const auto [lo, hi] = peakRegion(c, peak, PeakRegionShare);
    const Line phase = lineOver(c, lo, hi, [&](size_t i) { return std::arg(c.z[i]); });
    if (phase.valid && phase.b < 0.0)
        if (const auto f = lineCrossing(phase, 0.0, c.hz[lo], c.hz[hi]))
            return *f;
    return refinedResonance(c, peak);
}

// Zmax: |Z| at Fs, from a parabola in ln f over the top of the peak.
double peakMagnitude(const ImpedanceCurve &c, size_t peak, double fs) {
    const double fallback = std::max(std::abs(c.z[peak]), magnitudeAt(c, fs));
    const auto [lo, hi] = peakRegion(c, peak, PeakRegionShare);
    if (hi - lo < 2)
        return fallback;
    // y = a + b u + q u^2 with u = ln(f / Fs): the normal equations.
    double s[5] = {}, t[3] = {};
    for (size_t i = lo; i <= hi; ++i) {
        const double u = std::log(c.hz[i] / fs), y = std::abs(c.z[i]);
        double p = 1.0;
        for (int k = 0; k < 5; ++k, p *= u)
            s[k] += p;
        t[0] += y;
        t[1] += y * u;
        t[2] += y * u * u;
    }
    const double m[3][3] = {{s[0], s[1], s[2]}, {s[1], s[2], s[3]}, {s[2], s[3], s[4]}};
    const auto det3 = [](const double(&a)[3][3]) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
               a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    };
    const double det = det3(m);
    double first[3][3];
    for (int r = 0; r < 3; ++r) {
        first[r][0] = t[r];
        first[r][1] = m[r][1];
        first[r][2] = m[r][2];
    }
    const double a = det3(first) / det; // the parabola at u = 0, that is at Fs
    if (!std::isfinite(a) || !(a > 0.0))
        return fallback;
    return a;
}

// f1 or f2: where |Z| crosses `level` between points i and i + 1, by a
// straight line over the two points on either side on the same flank.
double flankCrossing(const ImpedanceCurve &c, size_t i, size_t flankLo, size_t flankHi,
                     double level) {
    const auto magnitude = [&](size_t k) { return std::abs(c.z[k]); };
    const size_t lo = std::max(flankLo, i > 0 ? i - 1 : 0);
    const size_t hi = std::min(flankHi, i + 2);
    const Line l = lineOver(c, lo, hi, magnitude);
    if (const auto f = lineCrossing(l, level, c.hz[lo], c.hz[hi]))
        return *f;
    return crossing(c, i, level, magnitude);
}

// One pass of the estimate with Re given.
std::optional<ClassicEstimate> estimateWithResistance(const ImpedanceCurve &c, size_t peak,
                                                      double re) {
    ClassicEstimate e;
    e.re = re;
    e.fs = resonanceOfPeak(c, peak);
    e.zmax = peakMagnitude(c, peak, e.fs);
    if (!(e.re > 0.0) || e.zmax < MinimumPeakRatio * e.re)
        return std::nullopt;
    e.r0 = e.zmax / e.re;
    const double level = std::sqrt(e.re * e.zmax);
    const auto magnitude = [&](size_t i) { return std::abs(c.z[i]); };
    std::optional<double> f1, f2;
    for (size_t i = peak; i > 0 && !f1; --i)
        if (magnitude(i - 1) < level && magnitude(i) >= level)
            f1 = flankCrossing(c, i - 1, 0, peak, level);
    for (size_t i = peak; i + 1 < c.size() && !f2; ++i)
        if (magnitude(i) >= level && magnitude(i + 1) < level)
            f2 = flankCrossing(c, i, peak, c.size() - 1, level);
    if (!f1 || !f2 || !(*f2 > *f1))
        return std::nullopt;
    e.f1 = *f1;
    e.f2 = *f2;
    e.qms = e.fs * std::sqrt(e.r0) / (e.f2 - e.f1);
    e.qes = e.qms / (e.r0 - 1.0);
    e.qts = TotalQ(e.qms, e.qes);
    return e;
}

double median(std::vector<double> v) {
    const auto middle = v.begin() + std::ptrdiff_t(v.size() / 2);
    std::nth_element(v.begin(), middle, v.end());
    return *middle;
}

// Far below resonance what is left of the resistance, with the motional
// part of the estimate taken off, may still rise in proportion to f: a
// creeping suspension loses energy there. A straight line in f through the
// points below this share of Fs, taken to 0 Hz, leaves that loss out; the
// line needs a few points to average the noise.
constexpr double DcLineShare = 0.5;
constexpr double MinDcLinePoints = 8;

std::optional<double> resistanceAtDc(const ImpedanceCurve &c, const ElectricalModel &motion) {
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (size_t i = 0; i < c.size() && c.hz[i] < DcLineShare * motion.fs; ++i) {
        const double x = c.hz[i], y = (c.z[i] - MotionalImpedance(motion, x)).real();
        n += 1;
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    const double spread = sxx - sx * sx / n;
    if (n < MinDcLinePoints || !(spread > 0.0))
        return std::nullopt;
    const double slope = (sxy - sx * sy / n) / spread, atDc = (sy - slope * sx) / n;
    if (!(atDc > 0.0))
        return std::nullopt;
    return atDc;
}

// Re from the points below resonance, where the coil's losses have not yet
// begun: the line above, or else the median of |Z| there, with the motional
// part that `e` predicts taken off each point. Only the points within half
// as much again as the lowest |Z| below resonance count, so the noisy flanks
// of the peak do not.
double resistanceBelowResonance(const ImpedanceCurve &c, size_t peak, const ClassicEstimate &e) {
    ElectricalModel motion;
    motion.re = e.re;
    motion.fs = e.fs;
    motion.qms = e.qms;
    motion.qes = e.qes;
    if (const std::optional<double> atDc = resistanceAtDc(c, motion))
        return *atDc;
    double lowest = std::abs(c.z[0]);
    for (size_t i = 0; i < peak; ++i)
        lowest = std::min(lowest, std::abs(c.z[i]));
    std::vector<double> coil;
    for (size_t i = 0; i < peak; ++i)
        if (std::abs(c.z[i]) <= 1.5 * lowest)
            coil.push_back(std::abs(c.z[i] - MotionalImpedance(motion, c.hz[i])));
    return median(coil);
}

// The first estimate takes the lowest |Z| below resonance for Re; the
// motional part it predicts there is then taken off and the estimate made
// again, a few times, so that a band that starts close to Fs still gives Re.
constexpr int ResistanceRefinements = 4;

} // namespace

namespace {

// ---------------------------------------------------------------- lone points

// A point is a lone spike when its |Z| is more than this many times that of
// both its neighbours, or less than their share by as much.
constexpr double SpikeRatio = 2.0;
// More lone points than one in this many is noise, not a few bad lines.
constexpr size_t LonePointShare = 20;

// A resonance lifts its neighbours with it and turns the phase from above
// zero to below; a bad line of a file does neither. The first and the last
// point have one neighbour only and are not judged.
bool loneSpike(const ImpedanceCurve &c, size_t i) {
    const double here = std::abs(c.z[i]);
    const double before = std::abs(c.z[i - 1]), after = std::abs(c.z[i + 1]);
    const bool above = here > SpikeRatio * before && here > SpikeRatio * after;
    const bool below = SpikeRatio * here < before && SpikeRatio * here < after;
    const bool phaseTurns = std::arg(c.z[i - 1]) > 0.0 && std::arg(c.z[i + 1]) < 0.0;
    return below || (above && !phaseTurns);
}

// The lone points to leave out, none when there are too many to be bad lines.
std::vector<size_t> fewOrNone(std::vector<size_t> lone, size_t count) {
    if (lone.size() * LonePointShare > count)
        lone.clear();
    return lone;
}

std::vector<size_t> loneSpikes(const ImpedanceCurve &c) {
    std::vector<size_t> lone;
    for (size_t i = 1; i + 1 < c.size(); ++i)
        if (loneSpike(c, i))
            lone.push_back(i);
    return fewOrNone(std::move(lone), c.size());
}

// The curve without the points at `drop` (rising indices).
ImpedanceCurve without(const ImpedanceCurve &c, const std::vector<size_t> &drop) {
    ImpedanceCurve kept;
    kept.hz.reserve(c.size());
    kept.z.reserve(c.size());
    size_t next = 0;
    for (size_t i = 0; i < c.size(); ++i) {
        if (next < drop.size() && drop[next] == i) {
            ++next;
            continue;
        }
        kept.hz.push_back(c.hz[i]);
        kept.z.push_back(c.z[i]);
    }
    return kept;
}

// A point the model misses by this share of |Z| or more, and by this many
// times the median miss, while it follows both neighbours within half as
// much, is a bad line the spike test did not see: a phase that is off, or a
// spike on the flank of the resonance. Noise of a few percent misses by a
// few percent everywhere and stays.
constexpr double LoneMissFloor = 0.25;
constexpr double LoneMissSpread = 8.0;

std::vector<size_t> loneMisses(const ImpedanceCurve &c, const ElectricalModel &m) {
    std::vector<double> miss(c.size());
    for (size_t i = 0; i < c.size(); ++i)
        miss[i] = std::abs(ModelImpedance(m, c.hz[i]) - c.z[i]) / std::abs(c.z[i]);
    const double limit = std::max(LoneMissFloor, LoneMissSpread * median(miss));
    std::vector<size_t> lone;
    if (!std::isfinite(limit))
        return lone;
    for (size_t i = 1; i + 1 < c.size(); ++i)
        if (miss[i] > limit && miss[i - 1] < 0.5 * limit && miss[i + 1] < 0.5 * limit)
            lone.push_back(i);
    return fewOrNone(std::move(lone), c.size());
}

std::optional<ClassicEstimate> estimateClassic(const ImpedanceCurve &c,
                                               std::optional<double> dcResistance) {
    if (c.size() < 3)
        return std::nullopt;
    const size_t peak = resistancePeak(c);
    if (peak == 0 || peak + 1 == c.size())
        return std::nullopt;
    if (dcResistance)
        return estimateWithResistance(c, peak, *dcResistance);
    double re = std::abs(c.z[0]);
    for (size_t i = 0; i < peak; ++i)
        re = std::min(re, std::abs(c.z[i]));
    std::optional<ClassicEstimate> e = estimateWithResistance(c, peak, re);
    for (int k = 0; e && k < ResistanceRefinements; ++k) {
        const std::optional<ClassicEstimate> next =
            estimateWithResistance(c, peak, resistanceBelowResonance(c, peak, *e));
        if (!next)
            break; // keep the last estimate that had a resonance
        e = next;
    }
    return e;
}

} // namespace

std::optional<ClassicEstimate> EstimateClassic(const ImpedanceCurve &c,
                                               std::optional<double> dcResistance) {
    if (c.size() < 3)
        return std::nullopt;
    return estimateClassic(without(c, loneSpikes(c)), dcResistance);
}

// ---------------------------------------------------------------- fit

namespace {

// The parameters the solver may move. Wright's model is fitted as its
// resistance and reactance at ReferenceW, Rr = Krm w0^Erm and
// Xr = Kxm w0^Exm, which a change of exponent leaves nearly where they
// were: Krm and its exponent alone move together and slow the solver.
enum Parameter {
    PRe,
    PFs,
    PQms,
    PQes,
    PLe,
    PR2,
    PL2,
    PRr,
    PErm,
    PXr,
    PExm,
    PLeb,
    PRss,
    PKe,
    PCreep,
    ParameterCount
};

using Values = std::array<double, ParameterCount>;
using Derivatives = std::array<Impedance, ParameterCount>;

constexpr double ReferenceW = TwoPi * 1000.0;
constexpr double Ln10 = 2.302585092994045684;

// Costs this close, relative to each other, are one minimum.
constexpr double SameMinimum = 1e-6;

// Far beyond any driver, so that exp() of a wild step stays finite.
constexpr double LogLimit = 40.0;
// Wright's exponents and lambda stay where the models still mean something.
constexpr double MinExponent = 0.01, MaxExponent = 2.0;
constexpr double MaxFitCreep = 0.5;

// Where the solver may take a parameter: its logarithm's range, or for
// lambda, which may be 0, its own.
struct Range {
    double low, high;
    bool logarithmic;
};

Range rangeOf(Parameter k) {
    if (k == PErm || k == PExm)
        return {std::log(MinExponent), std::log(MaxExponent), true};
    if (k == PCreep)
        return {-MaxFitCreep, MaxFitCreep, false};
    return {-LogLimit, LogLimit, true};
}

Values valuesOf(const ElectricalModel &m) {
    Values v{};
    v[PRe] = m.re;
    v[PFs] = m.fs;
    v[PQms] = m.qms;
    v[PQes] = m.qes;
    v[PLe] = m.coil.le;
    v[PR2] = m.coil.r2;
    v[PL2] = m.coil.l2;
    v[PRr] = m.coil.krm * std::pow(ReferenceW, m.coil.erm);
    v[PErm] = m.coil.erm;
    v[PXr] = m.coil.kxm * std::pow(ReferenceW, m.coil.exm);
    v[PExm] = m.coil.exm;
    v[PLeb] = m.coil.leb;
    v[PRss] = m.coil.rss;
    v[PKe] = m.coil.ke;
    v[PCreep] = m.creep;
    return v;
}

// The model of `kind` from the values; the figures of other coil models stay 0.
ElectricalModel modelOf(const Values &v, InductanceModel kind) {
    ElectricalModel m;
    m.coil.model = kind;
    m.re = v[PRe];
    m.fs = v[PFs];
    m.qms = v[PQms];
    m.qes = v[PQes];
    m.creep = v[PCreep];
    switch (kind) {
    case InductanceModel::Lossy:
        m.coil.r2 = v[PR2];
        m.coil.l2 = v[PL2];
        [[fallthrough]];
    case InductanceModel::Plain:
        m.coil.le = v[PLe];
        break;
    case InductanceModel::Wright:
        m.coil.erm = v[PErm];
        m.coil.krm = v[PRr] / std::pow(ReferenceW, m.coil.erm);
        m.coil.exm = v[PExm];
        m.coil.kxm = v[PXr] / std::pow(ReferenceW, m.coil.exm);
        break;
    case InductanceModel::SemiInductance:
        m.coil.leb = v[PLeb];
        m.coil.le = v[PLe];
        m.coil.rss = v[PRss];
        m.coil.ke = v[PKe];
        break;
    }
    return m;
}

// 1 / z written out. The library's complex division guards against
// overflow and underflow at a cost that thousands of points an iteration
// feel; the impedances here are far from either.
Impedance reciprocal(Impedance z) {
    const double n = z.real() * z.real() + z.imag() * z.imag();
    return {z.real() / n, -z.imag() / n};
}

// What the model needs of one frequency, worked out once.
struct Point {
    double f = 0, w = 0, lnF = 0;
    double lnRatio = 0; // ln(w / ReferenceW)
    Impedance sqrtS;    // sqrt(j w)
    double weight = 0;  // the residual's: sqrt(octave weight) / |Z|
};

std::vector<Point> pointsOf(const ImpedanceCurve &c) {
    const std::vector<double> octave = OctaveWeights(c.hz);
    std::vector<Point> points(c.size());
    for (size_t i = 0; i < c.size(); ++i) {
        Point &p = points[i];
        p.f = c.hz[i];
        p.w = TwoPi * p.f;
        p.lnF = std::log(p.f);
        p.lnRatio = std::log(p.w / ReferenceW);
        p.sqrtS = std::polar(std::sqrt(p.w), Pi / 4.0);
        p.weight = std::sqrt(octave[i]) / std::abs(c.z[i]);
    }
    return points;
}

// The voice coil's inductance at one point, without Re, and where asked
// for, its derivatives by the logarithm of each of its parameters x, that
// is x dZ/dx. With Zp the parallel part of the lossy or semi-inductance
// model, d(1/Zp) by a branch's log is minus its admittance, so dZp = Zp^2 Y.
using CoilFunction = Impedance (*)(const Values &, const Point &, Derivatives *);

Impedance plainCoil(const Values &v, const Point &p, Derivatives *d) {
    const Impedance jwle(0.0, p.w * v[PLe]);
    if (d)
        (*d)[PLe] = jwle;
    return jwle;
}

Impedance lossyCoil(const Values &v, const Point &p, Derivatives *d) {
    const Impedance jwle(0.0, p.w * v[PLe]), jwl2(0.0, p.w * v[PL2]);
    const Impedance inverseBranch = reciprocal(v[PR2] + jwl2);
    const Impedance branch = v[PR2] * jwl2 * inverseBranch;
    if (d) {
        (*d)[PLe] = jwle;
        (*d)[PR2] = branch * jwl2 * inverseBranch;
        (*d)[PL2] = branch * v[PR2] * inverseBranch;
    }
    return jwle + branch;
}

// Rr (w/w0)^Erm + j Xr (w/w0)^Exm; by ln Erm: Erm ln(w/w0) times the term.
Impedance wrightCoil(const Values &v, const Point &p, Derivatives *d) {
    const double r = v[PRr] * std::exp(v[PErm] * p.lnRatio);
    const double x = v[PXr] * std::exp(v[PExm] * p.lnRatio);
    if (d) {
        (*d)[PRr] = r;
        (*d)[PErm] = v[PErm] * p.lnRatio * r;
        (*d)[PXr] = Impedance(0.0, x);
        (*d)[PExm] = Impedance(0.0, v[PExm] * p.lnRatio * x);
    }
    return {r, x};
}

Impedance semiCoil(const Values &v, const Point &p, Derivatives *d) {
    const Impedance jwleb(0.0, p.w * v[PLeb]);
    const Impedance yLe = reciprocal(Impedance(0.0, p.w * v[PLe]));
    const Impedance yKe = reciprocal(v[PKe] * p.sqrtS);
    const Impedance parallel = reciprocal(1.0 / v[PRss] + yLe + yKe);
    if (d) {
        const Impedance squared = parallel * parallel;
        (*d)[PLeb] = jwleb;
        (*d)[PLe] = squared * yLe;
        (*d)[PRss] = squared / v[PRss];
        (*d)[PKe] = squared * yKe;
    }
    return jwleb + parallel;
}

// Each coil model's function and the parameters the solver moves for it,
// in the order of InductanceModel.
struct CoilRow {
    CoilFunction impedance;
    size_t count;
    std::array<Parameter, 4> parameters;
};

const CoilRow CoilRows[] = {
    {plainCoil, 1, {PLe}},
    {lossyCoil, 3, {PLe, PR2, PL2}},
    {wrightCoil, 4, {PRr, PErm, PXr, PExm}},
    {semiCoil, 4, {PLeb, PLe, PRss, PKe}},
};

const CoilRow &coilRow(InductanceModel m) {
    return CoilRows[size_t(m)];
}

// The motional part at one point and what its derivatives share.
struct Motion {
    Impedance z;          // Zmot = Res / D
    Impedance inverseDen; // 1 / D, D = 1 + Qms d (1/u - 1) + j Qms (u - v)
    double u = 0, v = 0;  // f / Fs and Fs / (f c)
    double c = 1, log10Ratio = 0;
    bool held = false; // c held at MinCreepFactor
};

Motion motionAt(const Values &v, const Point &p, double lnFs, double peak) {
    Motion m;
    m.log10Ratio = (p.lnF - lnFs) / Ln10;
    m.c = 1.0 - v[PCreep] * m.log10Ratio;
    if (m.c < MinCreepFactor) {
        m.c = MinCreepFactor;
        m.held = true;
    }
    m.u = p.f / v[PFs];
    m.v = v[PFs] / (p.f * m.c);
    const double loss = v[PQms] * v[PCreep] * CreepLossPerLambda * (v[PFs] / p.f - 1.0);
    m.inverseDen = reciprocal(Impedance(1.0 + loss, v[PQms] * (m.u - m.v)));
    m.z = peak * m.inverseDen;
    return m;
}

// The derivatives of the motional part and of Re, by the logarithms of Re,
// Fs, Qms and Qes, and by lambda itself, with u = f/Fs, v = 1 / (u c),
// c = 1 - lambda log10(f/Fs), d = k lambda, k = pi / (2 ln 10); all of D
// but its 1 goes with Qms:
//   Re:  Re + Zmot          Qes: -Zmot        Qms: Zmot / D
//   Fs:  Zmot Qms (j (u + v (1 - lambda / (c ln 10))) - d / u) / D
//   lambda: Zmot Qms (j v log10(f/Fs) / c - k (1/u - 1)) / D
void motionDerivatives(const Values &v, const Motion &m, Derivatives &d) {
    const Impedance slope = m.z * m.inverseDen * v[PQms];
    const double creeps = m.held ? 0.0 : 1.0;
    const double loss = v[PCreep] * CreepLossPerLambda;
    d[PRe] = v[PRe] + m.z;
    d[PQes] = -m.z;
    d[PQms] = m.z * m.inverseDen;
    d[PFs] = slope * Impedance(-loss / m.u, m.u + m.v * (1.0 - creeps * v[PCreep] / (Ln10 * m.c)));
    d[PCreep] = slope * Impedance(-CreepLossPerLambda * (1.0 / m.u - 1.0),
                                  creeps * m.v * m.log10Ratio / m.c);
}

struct Problem {
    const ImpedanceCurve *curve = nullptr;
    const std::vector<Point> *points = nullptr;
    InductanceModel inductance = InductanceModel::Plain;
    Values fixed{};              // the start, and the parameters the solver leaves
    std::vector<Parameter> free; // the solver's parameters, by position

    Values values(const gsl_vector *x) const {
        Values v = fixed;
        for (size_t k = 0; k < free.size(); ++k) {
            const Range r = rangeOf(free[k]);
            const double y = std::clamp(gsl_vector_get(x, k), r.low, r.high);
            v[free[k]] = r.logarithmic ? std::exp(y) : y;
        }
        return v;
    }
};

int residuals(const gsl_vector *x, void *data, gsl_vector *f) {
    const Problem &p = *static_cast<const Problem *>(data);
    const Values v = p.values(x);
    const double lnFs = std::log(v[PFs]), peak = v[PRe] * v[PQms] / v[PQes];
    const CoilFunction coil = coilRow(p.inductance).impedance;
    const std::vector<Point> &points = *p.points;
    for (size_t i = 0; i < points.size(); ++i) {
        const Point &point = points[i];
        const Impedance z = v[PRe] + coil(v, point, nullptr) + motionAt(v, point, lnFs, peak).z;
        const Impedance r = (z - p.curve->z[i]) * point.weight;
        f->data[2 * i * f->stride] = r.real();
        f->data[(2 * i + 1) * f->stride] = r.imag();
    }
    return GSL_SUCCESS;
}

int jacobian(const gsl_vector *x, void *data, gsl_matrix *J) {
    const Problem &p = *static_cast<const Problem *>(data);
    const Values v = p.values(x);
    const double lnFs = std::log(v[PFs]), peak = v[PRe] * v[PQms] / v[PQes];
    const CoilFunction coil = coilRow(p.inductance).impedance;
    const std::vector<Point> &points = *p.points;
    Derivatives d{};
    for (size_t i = 0; i < points.size(); ++i) {
        const Point &point = points[i];
        motionDerivatives(v, motionAt(v, point, lnFs, peak), d);
        coil(v, point, &d);
        double *re = J->data + 2 * i * J->tda;
        double *im = re + J->tda;
        for (size_t k = 0; k < p.free.size(); ++k) {
            const Impedance dz = d[p.free[k]] * point.weight;
            re[k] = dz.real();
            im[k] = dz.imag();
        }
    }
    return GSL_SUCCESS;
}

struct WorkspaceDeleter {
    void operator()(gsl_multifit_nlinear_workspace *w) const { gsl_multifit_nlinear_free(w); }
};
struct VectorDeleter {
    void operator()(gsl_vector *v) const { gsl_vector_free(v); }
};

struct Solution {
    ElectricalModel model;
    double cost = HUGE_VAL; // the sum of the squared weighted residuals
    int iterations = 0;
    bool converged = false;
};

void setStart(const Problem &p, gsl_vector *x) {
    for (size_t k = 0; k < p.free.size(); ++k) {
        const Range r = rangeOf(p.free[k]);
        const double v = p.fixed[p.free[k]];
        const double y = r.logarithmic ? std::log(std::max(v, DBL_MIN)) : v;
        gsl_vector_set(x, k, std::clamp(y, r.low, r.high));
    }
}

bool finiteModel(const ElectricalModel &m) {
    for (double v :
         {m.re, m.fs, m.qms, m.qes, m.coil.le, m.coil.r2, m.coil.l2, m.coil.krm, m.coil.erm,
          m.coil.kxm, m.coil.exm, m.coil.leb, m.coil.rss, m.coil.ke, m.creep})
        if (!std::isfinite(v))
            return false;
    return true;
}

double costOf(gsl_multifit_nlinear_workspace *w) {
    double cost = 0.0;
    gsl_blas_ddot(gsl_multifit_nlinear_residual(w), gsl_multifit_nlinear_residual(w), &cost);
    return cost;
}

// The solver stops at GSL's tests of its step, gradient and cost, or when
// the cost has stopped falling: a model with more freedom than the curve
// asks for (an R2-L2 branch on a plain coil) slides along a valley of one
// cost, its steps changing nothing that shows. A start that finds no step
// at all has not converged.
constexpr double StepTolerance = 1e-12, GradientTolerance = 1e-12, CostTolerance = 1e-14;
constexpr double FlatCost = 1e-9;
constexpr int FlatSteps = 5;

int iterate(gsl_multifit_nlinear_workspace *w) {
    double cost = costOf(w);
    int flat = 0, info = 0, status = GSL_CONTINUE;
    for (int step = 0; status == GSL_CONTINUE && step < MaxIterationsPerStart; ++step) {
        if (gsl_multifit_nlinear_iterate(w) == GSL_ENOPROG && step == 0)
            return GSL_ENOPROG;
        status =
            gsl_multifit_nlinear_test(StepTolerance, GradientTolerance, CostTolerance, &info, w);
        const double next = costOf(w);
        flat = next >= (1.0 - FlatCost) * cost ? flat + 1 : 0;
        cost = next;
        if (status == GSL_CONTINUE && flat >= FlatSteps)
            status = GSL_SUCCESS;
    }
    return status == GSL_CONTINUE ? GSL_EMAXITER : status;
}

// One run of GSL's trust-region Levenberg-Marquardt from the problem's start.
Solution solve(Problem &p) {
    // GSL's own handler aborts the process; its status codes say enough.
    gsl_set_error_handler_off();
    const size_t n = 2 * p.curve->size();
    const size_t count = p.free.size();
    gsl_multifit_nlinear_fdf fdf{};
    fdf.f = residuals;
    fdf.df = jacobian;
    fdf.fvv = nullptr;
    fdf.n = n;
    fdf.p = count;
    fdf.params = &p;
    gsl_multifit_nlinear_parameters settings = gsl_multifit_nlinear_default_parameters();
    settings.trs = gsl_multifit_nlinear_trs_lm;
    settings.scale = gsl_multifit_nlinear_scale_more;
    settings.solver = gsl_multifit_nlinear_solver_cholesky;
    std::unique_ptr<gsl_multifit_nlinear_workspace, WorkspaceDeleter> w(
        gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &settings, n, count));
    std::unique_ptr<gsl_vector, VectorDeleter> x(gsl_vector_alloc(count));
    if (!w || !x)
        throw std::bad_alloc();
    setStart(p, x.get());
    Solution s;
    int status = gsl_multifit_nlinear_init(x.get(), &fdf, w.get());
    if (status == GSL_SUCCESS)
        status = iterate(w.get());
    s.model = modelOf(p.values(gsl_multifit_nlinear_position(w.get())), p.inductance);
    s.iterations = int(gsl_multifit_nlinear_niter(w.get()));
    s.converged = status == GSL_SUCCESS;
    const double cost = costOf(w.get());
    s.cost = std::isfinite(cost) ? cost : HUGE_VAL;
    // A solver that lost itself in a curve the model cannot follow gives
    // back where it started rather than figures that are not numbers.
    if (!finiteModel(s.model)) {
        s.model = modelOf(p.fixed, p.inductance);
        s.converged = false;
        s.cost = HUGE_VAL;
    }
    return s;
}

// The coil's inductance from the top of the band, where the motional part
// of the classic estimate has faded: what is left of the reactance.
double inductanceFromTop(const ImpedanceCurve &c, const ElectricalModel &m) {
    const double f = c.hz.back();
    const double x = (c.z.back() - MotionalImpedance(m, f)).imag();
    const double le = x / (TwoPi * f);
    // A band that ends low shows little of the coil; start small but positive.
    return std::max(le, 1e-6);
}

// Starts of the lossy model around the plain fit: the plain inductance
// shared between Le and L2 in different proportions, R2 a few times Re.
std::vector<ElectricalModel> lossyStarts(const ElectricalModel &plain) {
    const double shares[LossyFitStarts][2] = {{0.5, 1.0}, {0.2, 2.0}, {0.8, 0.5}, {0.35, 4.0}};
    const double r2Factors[LossyFitStarts] = {1.0, 2.0, 0.5, 4.0};
    std::vector<ElectricalModel> starts;
    for (int k = 0; k < LossyFitStarts; ++k) {
        ElectricalModel m = plain;
        m.coil.model = InductanceModel::Lossy;
        m.coil.le = plain.coil.le * shares[k][0];
        m.coil.l2 = plain.coil.le * shares[k][1];
        m.coil.r2 = plain.re * r2Factors[k];
        starts.push_back(m);
    }
    return starts;
}

// y = a + e ln(w / w0) by least squares in log-log, each point weighted by
// the span of log f it stands for.
struct PowerLaw {
    double atReference = 0, exponent = 0; // exp(a) and e
    bool valid = false;
};

PowerLaw powerLawOver(const std::vector<Point> &points, const std::vector<double> &octave,
                      const std::vector<double> &y) {
    double s = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    int count = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        if (!(y[i] > 0.0))
            continue;
        const double w = octave[i], x = points[i].lnRatio, ly = std::log(y[i]);
        s += w;
        sx += w * x;
        sy += w * ly;
        sxx += w * x * x;
        sxy += w * x * ly;
        ++count;
    }
    PowerLaw law;
    const double det = s * sxx - sx * sx;
    if (count < 3 || !(det > 0.0))
        return law;
    law.exponent = (s * sxy - sx * sy) / det;
    law.atReference = std::exp((sy - law.exponent * sx) / s);
    law.valid = std::isfinite(law.exponent) && std::isfinite(law.atReference);
    return law;
}

// The coil's share of |Z| above this many times Fs, where the motional
// part has faded, shows the powers of Wright's model; a resistance below
// a tenth of Re there is too close to Re's own uncertainty to tell them.
constexpr double CoilRegion = 10.0;
constexpr double CoilResistanceFloor = 0.1;
constexpr double StartExponent = 0.7;

// Wright's starts from the plain fit: the straight lines in log-log that
// the coil's resistance and reactance follow at the top of the band; and
// the plain Le itself (an exponent of 1) with a small rising resistance.
std::vector<ElectricalModel> wrightStarts(const ImpedanceCurve &c, const std::vector<Point> &points,
                                          const ElectricalModel &plain) {
    const std::vector<double> octave = OctaveWeights(c.hz);
    std::vector<double> r(c.size(), 0.0), x(c.size(), 0.0);
    for (size_t i = 0; i < c.size(); ++i) {
        if (c.hz[i] < CoilRegion * plain.fs)
            continue;
        const Impedance coil = c.z[i] - plain.re - MotionalImpedance(plain, c.hz[i]);
        if (coil.real() > CoilResistanceFloor * plain.re)
            r[i] = coil.real();
        x[i] = coil.imag();
    }
    ElectricalModel nested = plain;
    nested.coil.model = InductanceModel::Wright;
    nested.coil.le = 0.0;
    nested.coil.exm = 1.0;
    nested.coil.kxm = plain.coil.le;
    nested.coil.erm = StartExponent;
    nested.coil.krm = CoilResistanceFloor * plain.re / std::pow(ReferenceW, StartExponent);
    ElectricalModel slopes = nested;
    const auto clampExponent = [](double e) { return std::clamp(e, 0.3, 1.2); };
    if (const PowerLaw law = powerLawOver(points, octave, r); law.valid) {
        slopes.coil.erm = clampExponent(law.exponent);
        slopes.coil.krm = law.atReference / std::pow(ReferenceW, slopes.coil.erm);
    }
    if (const PowerLaw law = powerLawOver(points, octave, x); law.valid) {
        slopes.coil.exm = clampExponent(law.exponent);
        slopes.coil.kxm = law.atReference / std::pow(ReferenceW, slopes.coil.exm);
    }
    return {slopes, nested};
}

// The semi-inductance holds the lossy model as Ke grows: Leb the lossy Le,
// Le the lossy L2 and Rss the lossy R2. Its starts take the lossy fit with
// Ke sqrt(w) at the R2-L2 corner Rss / Le this many times Rss, from a
// branch that barely shows to one that carries much of the current.
std::vector<ElectricalModel> semiStarts(const ElectricalModel &lossy) {
    const double keShares[SemiFitStarts] = {3.0, 1.0, 0.3};
    std::vector<ElectricalModel> starts;
    for (double share : keShares) {
        ElectricalModel m = lossy;
        m.coil.model = InductanceModel::SemiInductance;
        m.coil.leb = lossy.coil.le;
        m.coil.le = lossy.coil.l2;
        m.coil.rss = lossy.coil.r2;
        m.coil.r2 = m.coil.l2 = 0.0;
        m.coil.ke = share * m.coil.rss / std::sqrt(m.coil.rss / m.coil.le);
        starts.push_back(m);
    }
    return starts;
}

// The fits of one curve: the points worked out once, the iterations of
// every start counted together.
class Fitter {
public:
    Fitter(const ImpedanceCurve &c, std::optional<double> dcResistance, int iterations = 0)
        : curve_(&c), points_(pointsOf(c)), dcResistance_(dcResistance), iterations_(iterations) {}

    const std::vector<Point> &points() const { return points_; }
    int iterations() const { return iterations_; }

    Solution solveFrom(const ElectricalModel &start, bool creep) {
        Problem p = problem(start, creep);
        const Solution s = solve(p);
        iterations_ += s.iterations;
        return s;
    }

    // The best of several starts, with the iterations of them all. Two
    // starts that end at the same least cost have found the minimum the
    // others would find again.
    Solution bestOf(const std::vector<ElectricalModel> &starts, bool creep) {
        std::optional<Solution> best;
        int iterations = 0;
        for (const ElectricalModel &start : starts) {
            const Solution candidate = solveFrom(start, creep);
            iterations += candidate.iterations;
            const bool confirmed =
                best && candidate.converged && best->converged &&
                std::fabs(candidate.cost - best->cost) <= SameMinimum * best->cost;
            if (!best || candidate.cost < best->cost)
                best = candidate;
            if (confirmed)
                break;
        }
        best->iterations = iterations;
        return *best;
    }

private:
    Problem problem(const ElectricalModel &start, bool creep) const {
        Problem p;
        p.curve = curve_;
        p.points = &points_;
        p.inductance = start.coil.model;
        p.fixed = valuesOf(start);
        if (dcResistance_)
            p.fixed[PRe] = *dcResistance_;
        else
            p.free.push_back(PRe);
        for (Parameter k : {PFs, PQms, PQes})
            p.free.push_back(k);
        const CoilRow &row = coilRow(start.coil.model);
        p.free.insert(p.free.end(), row.parameters.begin(), row.parameters.begin() + row.count);
        if (creep)
            p.free.push_back(PCreep);
        else
            p.fixed[PCreep] = 0.0;
        return p;
    }

    const ImpedanceCurve *curve_;
    std::vector<Point> points_;
    std::optional<double> dcResistance_;
    int iterations_ = 0;
};

// Every model the options ask for, each from its starts; the lossy fit is
// also the semi-inductance's start when only that is asked for.
std::vector<Solution> fitModels(Fitter &fitter, const ImpedanceCurve &c, const Solution &plainFit,
                                const FitOptions &options) {
    const ElectricalModel &plain = plainFit.model;
    const bool creep = options.fitCreep;
    const auto wants = [&](InductanceModel m) { return options.models.contains(m); };
    std::vector<Solution> fits(std::size(AllInductanceModels));
    if (wants(InductanceModel::Plain)) {
        Solution &s = fits[size_t(InductanceModel::Plain)];
        s = creep ? fitter.solveFrom(plain, true) : plainFit;
    }
    if (wants(InductanceModel::Lossy) || wants(InductanceModel::SemiInductance))
        fits[size_t(InductanceModel::Lossy)] = fitter.bestOf(lossyStarts(plain), creep);
    if (wants(InductanceModel::Wright))
        fits[size_t(InductanceModel::Wright)] =
            fitter.bestOf(wrightStarts(c, fitter.points(), plain), creep);
    if (wants(InductanceModel::SemiInductance))
        fits[size_t(InductanceModel::SemiInductance)] =
            fitter.bestOf(semiStarts(fits[size_t(InductanceModel::Lossy)].model), creep);
    return fits;
}

CoilFit coilFitOf(const Solution &s, const ImpedanceCurve &c) {
    CoilFit f;
    f.model = s.model;
    f.band = FitResidual(s.model, c);
    f.resonance = FitResidual(s.model, c, 0.5 * s.model.fs, 2.0 * s.model.fs);
    f.coil = FitResidual(s.model, c, 2.0 * s.model.fs, HUGE_VAL);
    f.iterations = s.iterations;
    f.converged = s.converged;
    f.plausible = !ImplausibleFigure(s.model, c);
    return f;
}

// Two coil models whose residuals over the band differ by less than this
// ratio describe the curve about equally well there.
constexpr double ComparableResidualRatio = 1.1;

// Of the models whose figures are a driver's (of all when none are), those
// that miss the curve over the band about as little as the best; of them the
// one that misses least from Fs/2 to 2 Fs, where the driver's figures come
// from (a coil model that follows the top of a long band a little better
// may still pull Re and Qes away from the resonance); on a tie, the simpler.
size_t chosenFit(const std::vector<CoilFit> &tried, const std::vector<double> &costs) {
    const bool anyPlausible =
        std::any_of(tried.begin(), tried.end(), [](const CoilFit &f) { return f.plausible; });
    const auto eligible = [&](size_t k) { return tried[k].plausible || !anyPlausible; };
    double least = HUGE_VAL;
    for (size_t k = 0; k < tried.size(); ++k)
        if (eligible(k))
            least = std::min(least, costs[k]);
    // The costs are sums of squares: the ratio of residuals squared.
    const double comparable = least * ComparableResidualRatio * ComparableResidualRatio;
    std::optional<size_t> best;
    for (size_t k = 0; k < tried.size(); ++k)
        if (eligible(k) && costs[k] <= comparable &&
            (!best || tried[k].resonance.percent < tried[*best].resonance.percent))
            best = k;
    return best.value_or(0);
}

// The points of the curve inside the band of the options.
ImpedanceCurve inBand(const ImpedanceCurve &c, const FitOptions &options) {
    const double from = options.fromHz.value_or(-HUGE_VAL);
    const double to = options.toHz.value_or(HUGE_VAL);
    ImpedanceCurve kept;
    for (size_t i = 0; i < c.size(); ++i)
        if (c.hz[i] >= from && c.hz[i] <= to) {
            kept.hz.push_back(c.hz[i]);
            kept.z.push_back(c.z[i]);
        }
    return kept;
}

// The curve's scatter from point to point. Where the curve is smooth on the
// scale of the grid, the second difference z[i-1] - 2 z[i] + z[i+1] over
// |z[i]| is the noise alone: for independent noise of RMS share s in each of
// the real and imaginary parts, its square is 6 s^2 times a chi-square of
// two degrees, whose median is 2 ln 2. The median leaves out the few points
// where the resonance bends the curve. A fit that misses only the noise
// shows a residual of sqrt(2) s.
double scatterPercent(const ImpedanceCurve &c) {
    if (c.size() < 3)
        return 0.0;
    std::vector<double> squares;
    squares.reserve(c.size() - 2);
    for (size_t i = 1; i + 1 < c.size(); ++i)
        squares.push_back(std::norm(c.z[i - 1] - 2.0 * c.z[i] + c.z[i + 1]) / std::norm(c.z[i]));
    const double s = std::sqrt(median(squares) / (12.0 * std::log(2.0)));
    return 100.0 * std::sqrt(2.0) * s;
}

} // namespace

std::vector<double> OctaveWeights(const std::vector<double> &hz) {
    const size_t n = hz.size();
    std::vector<double> span(n, 1.0);
    if (n < 2)
        return span;
    const auto gap = [&](size_t i) { return std::log(hz[i + 1] / hz[i]); };
    span[0] = gap(0);
    span[n - 1] = gap(n - 2);
    for (size_t i = 1; i + 1 < n; ++i)
        span[i] = 0.5 * (gap(i - 1) + gap(i));
    const double total = std::accumulate(span.begin(), span.end(), 0.0);
    if (!(total > 0.0) || !std::isfinite(total))
        return std::vector<double>(n, 1.0);
    for (double &s : span)
        s *= double(n) / total;
    return span;
}

Residual FitResidual(const ElectricalModel &m, const ImpedanceCurve &c) {
    return FitResidual(m, c, -HUGE_VAL, HUGE_VAL);
}

Residual FitResidual(const ElectricalModel &m, const ImpedanceCurve &c, double fromHz,
                     double toHz) {
    const std::vector<double> weight = OctaveWeights(c.hz);
    double absolute = 0.0, relative = 0.0, total = 0.0;
    for (size_t i = 0; i < c.size(); ++i) {
        if (!(c.hz[i] >= fromHz && c.hz[i] <= toHz))
            continue;
        const double e = weight[i] * std::norm(ModelImpedance(m, c.hz[i]) - c.z[i]);
        absolute += e;
        relative += e / std::norm(c.z[i]);
        total += weight[i];
    }
    if (!(total > 0.0))
        return {};
    return {std::sqrt(absolute / total), 100.0 * std::sqrt(relative / total)};
}

std::optional<FitResult> FitImpedance(const ImpedanceCurve &measured, const FitOptions &options) {
    ImpedanceCurve c = inBand(measured, options);
    if (c.size() < 3)
        return std::nullopt;
    const std::vector<size_t> spikes = loneSpikes(c);
    c = without(c, spikes);
    int setAside = int(spikes.size());
    const std::optional<ClassicEstimate> classic = estimateClassic(c, options.dcResistance);
    if (!classic)
        return std::nullopt;
    ElectricalModel start;
    start.re = classic->re;
    start.fs = classic->fs;
    start.qms = classic->qms;
    start.qes = classic->qes;
    start.coil.le = inductanceFromTop(c, start);

    // The plain model without creep first: its misses tell the bad lines.
    Fitter fitter(c, options.dcResistance);
    Solution plain = fitter.solveFrom(start, false);
    if (const std::vector<size_t> misses = loneMisses(c, plain.model); !misses.empty()) {
        c = without(c, misses);
        setAside += int(misses.size());
        fitter = Fitter(c, options.dcResistance, fitter.iterations());
        plain = fitter.solveFrom(plain.model, false);
    }
    const std::vector<Solution> fits = fitModels(fitter, c, plain, options);

    FitResult r;
    std::vector<double> costs;
    for (InductanceModel m : AllInductanceModels)
        if (options.models.contains(m)) {
            const Solution &s = fits[size_t(m)];
            r.tried.push_back(coilFitOf(s, c));
            costs.push_back(s.cost);
        }
    r.chosen = chosenFit(r.tried, costs);
    const CoilFit &chosen = r.tried[r.chosen];
    r.model = chosen.model;
    r.classic = *classic;
    r.rmsOhm = chosen.band.ohm;
    r.rmsPercent = chosen.band.percent;
    r.scatterPercent = scatterPercent(c);
    r.fromHz = c.hz.front();
    r.toHz = c.hz.back();
    r.reTyped = options.dcResistance.has_value();
    r.creepFitted = options.fitCreep;
    r.iterations = fitter.iterations();
    r.converged = chosen.converged;
    r.setAside = setAside;
    return r;
}

// ---------------------------------------------------------------- advice

namespace {

// A residual within this many times the curve's own scatter is the scatter.
constexpr double ScatterShare = 1.5;
// A band shows the whole resonance from Fs / 2 to this many times Fs.
constexpr double BandAboveFs = 4.0;

const CoilFit &chosenOf(const FitResult &f) {
    return f.tried[std::min(f.chosen, f.tried.size() - 1)];
}

// The larger of the residuals over the band and over the resonance.
double worstPercent(const CoilFit &c) {
    return std::max(c.band.percent, c.resonance.percent);
}

// Which part the fit misses most: the resonance, or the coil above it.
bool resonanceMissed(const CoilFit &c) {
    return c.resonance.percent > PoorFitPercent && c.resonance.percent >= c.coil.percent;
}
bool coilMissed(const CoilFit &c) {
    return c.coil.percent > PoorFitPercent && c.coil.percent > c.resonance.percent;
}

// What to try when the fit misses, each when its figure says so; a misfit
// that is the curve's own scatter needs a quieter measurement and nothing else.
struct Advice {
    bool (*applies)(const FitResult &, const CoilFit &);
    const char *text;
    bool alone;
};

const Advice Advices[] = {
    {[](const FitResult &f, const CoilFit &c) {
         return worstPercent(c) <= ScatterShare * f.scatterPercent;
     },
     "a quieter measurement", true},
    {[](const FitResult &f, const CoilFit &c) {
         return f.fromHz > 0.5 * c.model.fs || f.toHz < BandAboveFs * c.model.fs;
     },
     "a wider band (from below Fs/2 to above 4 Fs)", false},
    {[](const FitResult &f, const CoilFit &c) { return resonanceMissed(c) && !f.creepFitted; },
     "creep on", false},
    {[](const FitResult &f, const CoilFit &c) { return resonanceMissed(c) && !f.reTyped; },
     "Re typed (measured at DC)", false},
    {[](const FitResult &f, const CoilFit &c) {
         return coilMissed(c) && f.tried.size() < std::size(AllInductanceModels);
     },
     "another voice-coil model", false},
    {[](const FitResult &f, const CoilFit &c) {
         return coilMissed(c) && f.tried.size() == std::size(AllInductanceModels);
     },
     "a narrower band ending lower", false},
};

QString percentText(double v) {
    return QString::number(v, 'f', 1) + QStringLiteral(" %");
}

// "a", "a or b", "a, b or c".
QString alternatives(const QStringList &items) {
    if (items.size() < 2)
        return items.join(QString());
    return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" or ") +
           items.back();
}

QStringList advicesFor(const FitResult &fit, const CoilFit &chosen) {
    QStringList tries;
    for (const Advice &a : Advices)
        if (a.applies(fit, chosen)) {
            if (a.alone)
                return {QLatin1String(a.text)};
            tries << QLatin1String(a.text);
        }
    if (tries.isEmpty())
        tries << QStringLiteral("a quieter measurement") << QStringLiteral("a narrower band");
    return tries;
}

} // namespace

QString PoorFitSentence(const FitResult &fit) {
    if (fit.tried.empty() || !(worstPercent(chosenOf(fit)) > PoorFitPercent))
        return {};
    const CoilFit &chosen = chosenOf(fit);
    return QStringLiteral("The model does not describe this measurement well: it misses the curve "
                          "by %1 RMS (%2 from Fs/2 to 2 Fs, %3 above). Try %4.")
        .arg(percentText(chosen.band.percent), percentText(chosen.resonance.percent),
             percentText(chosen.coil.percent), alternatives(advicesFor(fit, chosen)));
}

std::optional<FigureOutOfRange> ImplausibleFigure(const ElectricalModel &m,
                                                  const ImpedanceCurve &curve) {
    const double lowFs = curve.size() ? std::max(MinDriverFs, curve.hz.front()) : MinDriverFs;
    const double highFs = curve.size() ? std::min(MaxDriverFs, curve.hz.back()) : MaxDriverFs;
    const FigureOutOfRange figures[] = {
        {"Fs", "Hz", m.fs, lowFs, highFs},
        {"Qms", "", m.qms, MinDriverQ, MaxDriverQ},
        {"Qes", "", m.qes, MinDriverQ, MaxDriverQ},
        {"Qts", "", TotalQ(m.qms, m.qes), MinDriverQ, MaxDriverQ},
        {"Re", "ohm", m.re, MinDriverRe, MaxDriverRe},
        {"Le", "H", m.coil.le, 0.0, MaxDriverLe},
    };
    for (const FigureOutOfRange &f : figures)
        if (!std::isfinite(f.value) || !(f.value >= f.low && f.value <= f.high))
            return f;
    return std::nullopt;
}

// ---------------------------------------------------------------- mechanics

double VasLitresFromCompliance(double cmsMPerN, double sdM2) {
    using namespace acoustics;
    return AirDensity * SoundSpeed * SoundSpeed * sdM2 * sdM2 * cmsMPerN * 1000.0;
}

namespace {

MechanicalEstimate fromMassAndBl(double mms, double bl, double fs, std::optional<double> sd) {
    MechanicalEstimate e;
    e.mmsKg = mms;
    e.blTm = bl;
    const double ws = TwoPi * fs;
    e.cmsMPerN = 1.0 / (ws * ws * mms);
    if (sd)
        e.vasLitres = VasLitresFromCompliance(e.cmsMPerN, *sd);
    return e;
}

} // namespace

std::optional<MechanicalEstimate> AddedMassEstimate(const ElectricalModel &freeAir, double loadedFs,
                                                    double addedKg, std::optional<double> sdM2) {
    const double ratio = freeAir.fs / loadedFs;
    if (!(ratio > 1.0) || !(addedKg > 0.0))
        return std::nullopt;
    const double rise = ratio * ratio / CreepFactor(freeAir, loadedFs) - 1.0;
    if (!(rise > 0.0))
        return std::nullopt;
    const double mms = addedKg / rise;
    const double bl = std::sqrt(TwoPi * freeAir.fs * mms * freeAir.re / freeAir.qes);
    return fromMassAndBl(mms, bl, freeAir.fs, sdM2);
}

namespace {

// The complex impedance of `c` at `hz` by straight-line interpolation;
// nothing outside its band.
std::optional<Impedance> interpolate(const ImpedanceCurve &c, double hz) {
    if (hz < c.hz.front() || hz > c.hz.back())
        return std::nullopt;
    const auto upper = std::lower_bound(c.hz.begin(), c.hz.end(), hz);
    const size_t i = size_t(upper - c.hz.begin());
    if (c.hz[i] == hz)
        return c.z[i];
    const double t = (hz - c.hz[i - 1]) / (c.hz[i] - c.hz[i - 1]);
    return c.z[i - 1] + (c.z[i] - c.z[i - 1]) * t;
}

bool nearResonance(double hz, double fs) {
    return hz >= 0.8 * fs && hz <= 1.2 * fs;
}

// Least squares of v = a w + b / (w c) over the points (w, c, v): Mms and
// -1/Cms, c the creep.
struct LineFit {
    double swW = 0, swInv = 0, sInvInv = 0, svW = 0, svInv = 0;
    int count = 0;

    void add(double w, double c, double v) {
        const double inverse = 1.0 / (w * c);
        swW += w * w;
        swInv += w * inverse;
        sInvInv += inverse * inverse;
        svW += v * w;
        svInv += v * inverse;
        ++count;
    }
};

} // namespace

std::optional<MechanicalEstimate> DualAddedMassEstimate(const ElectricalModel &freeAir,
                                                        const ImpedanceCurve &free,
                                                        const ImpedanceCurve &loaded1, double kg1,
                                                        const ImpedanceCurve &loaded2, double kg2,
                                                        std::optional<double> sdM2) {
    if (!(kg1 > 0.0) || !(kg2 > 0.0) || kg1 == kg2)
        return std::nullopt;
    const auto admittance = [&](Impedance z, double hz) {
        return 1.0 / (z - VoiceCoilImpedance(freeAir, hz));
    };
    // 1 / Bl^2 by least squares over Im(Y2 - Y1) = w (M2 - M1) / Bl^2.
    double sab = 0.0, saa = 0.0;
    for (size_t i = 0; i < loaded1.size(); ++i) {
        const double hz = loaded1.hz[i];
        if (!nearResonance(hz, freeAir.fs))
            continue;
        const std::optional<Impedance> z2 = interpolate(loaded2, hz);
        if (!z2)
            continue;
        const double a = TwoPi * hz * (kg2 - kg1);
        sab += a * (admittance(*z2, hz) - admittance(loaded1.z[i], hz)).imag();
        saa += a * a;
    }
    if (!(saa > 0.0) || !(sab > 0.0))
        return std::nullopt;
    const double bl2 = saa / sab;

    LineFit line;
    const auto addCurve = [&](const ImpedanceCurve &c, double kg) {
        for (size_t i = 0; i < c.size(); ++i) {
            if (!nearResonance(c.hz[i], freeAir.fs))
                continue;
            const double w = TwoPi * c.hz[i];
            line.add(w, CreepFactor(freeAir, c.hz[i]),
                     (bl2 * admittance(c.z[i], c.hz[i])).imag() - w * kg);
        }
    };
    addCurve(free, 0.0);
    addCurve(loaded1, kg1);
    addCurve(loaded2, kg2);
    const double det = line.swW * line.sInvInv - line.swInv * line.swInv;
    if (line.count < 3 || !(det > 0.0))
        return std::nullopt;
    const double mms = (line.svW * line.sInvInv - line.svInv * line.swInv) / det;
    const double minusStiffness = (line.swW * line.svInv - line.swInv * line.svW) / det;
    if (!(mms > 0.0) || !(minusStiffness < 0.0))
        return std::nullopt;
    MechanicalEstimate e;
    e.mmsKg = mms;
    e.blTm = std::sqrt(bl2);
    e.cmsMPerN = -1.0 / minusStiffness;
    if (sdM2)
        e.vasLitres = VasLitresFromCompliance(e.cmsMPerN, *sdM2);
    return e;
}

double TestBoxVasLitres(double vbLitres, const ElectricalModel &freeAir,
                        const ElectricalModel &inBox) {
    return vbLitres * (inBox.fs * inBox.qes / (freeAir.fs * freeAir.qes) -
                       1.0 / CreepFactor(freeAir, inBox.fs));
}

} // namespace dravik
