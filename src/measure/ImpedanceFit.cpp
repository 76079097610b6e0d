#include "ImpedanceFit.h"

#include "Acoustics.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_multifit_nlinear.h>
#include <gsl/gsl_vector.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

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

// Re from the points below resonance, where the coil's losses have not yet
// begun: the median of |Z| there, with the motional part that `e` predicts
// taken off each point. Only the points within half as much again as the
// lowest |Z| below resonance count, so the noisy flanks of the peak do not.
double resistanceBelowResonance(const ImpedanceCurve &c, size_t peak, const ClassicEstimate &e) {
    ElectricalModel motion;
    motion.re = e.re;
    motion.fs = e.fs;
    motion.qms = e.qms;
    motion.qes = e.qes;
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

// The parameters the solver moves, as logarithms, in this order; Re leaves
// the list when it was measured at DC, R2 and L2 with the plain model.
enum Parameter { PRe, PFs, PQms, PQes, PLe, PR2, PL2, ParameterCount };

// Costs this close, relative to each other, are one minimum.
constexpr double SameMinimum = 1e-6;

// Far beyond any driver, so that exp() of a wild step stays finite.
constexpr double LogLimit = 40.0;

struct Problem {
    const ImpedanceCurve *curve = nullptr;
    InductanceModel inductance = InductanceModel::Plain;
    double fixedRe = 0;
    std::vector<Parameter> free; // the solver's parameters, by position
    std::vector<double> weight;  // 1 / |Z| per point

    ElectricalModel model(const gsl_vector *x) const {
        std::array<double, ParameterCount> v{};
        v[PRe] = fixedRe;
        for (size_t k = 0; k < free.size(); ++k)
            v[free[k]] = std::exp(std::clamp(gsl_vector_get(x, k), -LogLimit, LogLimit));
        ElectricalModel m;
        m.inductance = inductance;
        m.re = v[PRe];
        m.fs = v[PFs];
        m.qms = v[PQms];
        m.qes = v[PQes];
        m.le = v[PLe];
        m.r2 = v[PR2];
        m.l2 = v[PL2];
        return m;
    }
};

// 1 / z written out. The library's complex division guards against
// overflow and underflow at a cost that thousands of points an iteration
// feel; the impedances here are far from either.
Impedance reciprocal(Impedance z) {
    const double n = z.real() * z.real() + z.imag() * z.imag();
    return {z.real() / n, -z.imag() / n};
}

// The parts of the model at one frequency that the residual and its
// derivatives share.
struct PointModel {
    double w = 0;
    Impedance inverseDen;    // 1 / D, D = 1 + j Qms (f/Fs - Fs/f)
    Impedance motional;      // Zmot = Re Qms / Qes / D
    Impedance jwl2;          // j w L2
    Impedance inverseBranch; // 1 / (R2 + j w L2)
    Impedance branch;        // Zp = R2 j w L2 / (R2 + j w L2)
    Impedance z;             // the whole impedance

    PointModel(const ElectricalModel &m, double f) : w(TwoPi * f) {
        inverseDen = reciprocal(Impedance(1.0, m.qms * (f / m.fs - m.fs / f)));
        motional = MotionalPeak(m) * inverseDen;
        z = Impedance(m.re, w * m.le) + motional;
        if (m.inductance == InductanceModel::Lossy) {
            jwl2 = Impedance(0.0, w * m.l2);
            inverseBranch = reciprocal(m.r2 + jwl2);
            branch = m.r2 * jwl2 * inverseBranch;
            z += branch;
        }
    }
};

int residuals(const gsl_vector *x, void *data, gsl_vector *f) {
    const Problem &p = *static_cast<const Problem *>(data);
    const ElectricalModel m = p.model(x);
    const ImpedanceCurve &c = *p.curve;
    for (size_t i = 0; i < c.size(); ++i) {
        const Impedance r = (PointModel(m, c.hz[i]).z - c.z[i]) * p.weight[i];
        f->data[2 * i * f->stride] = r.real();
        f->data[(2 * i + 1) * f->stride] = r.imag();
    }
    return GSL_SUCCESS;
}

// The derivatives of Z by the logarithm of each parameter x, that is x dZ/dx:
//   Re:  Re + Zmot          Qes: -Zmot        Qms: Zmot / D
//   Fs:  Zmot j Qms (f/Fs + Fs/f) / D         with D = 1 + j Qms (f/Fs - Fs/f)
//   Le:  j w Le             R2:  Zp j w L2 / (R2 + j w L2)
//   L2:  Zp R2 / (R2 + j w L2)                with Zp = R2 j w L2 / (R2 + j w L2)
int jacobian(const gsl_vector *x, void *data, gsl_matrix *J) {
    const Problem &p = *static_cast<const Problem *>(data);
    const ElectricalModel m = p.model(x);
    const ImpedanceCurve &c = *p.curve;
    std::array<Impedance, ParameterCount> d;
    for (size_t i = 0; i < c.size(); ++i) {
        const double f = c.hz[i];
        const PointModel point(m, f);
        const Impedance zmot = point.motional;
        d[PRe] = m.re + zmot;
        d[PQes] = -zmot;
        d[PQms] = zmot * point.inverseDen;
        d[PFs] = zmot * point.inverseDen * Impedance(0.0, m.qms * (f / m.fs + m.fs / f));
        d[PLe] = Impedance(0.0, point.w * m.le);
        if (m.inductance == InductanceModel::Lossy) {
            d[PR2] = point.branch * point.jwl2 * point.inverseBranch;
            d[PL2] = point.branch * m.r2 * point.inverseBranch;
        }
        double *re = J->data + 2 * i * J->tda;
        double *im = re + J->tda;
        for (size_t k = 0; k < p.free.size(); ++k) {
            const Impedance dz = d[p.free[k]] * p.weight[i];
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
    double cost = 0; // the sum of the squared weighted residuals
    int iterations = 0;
    bool converged = false;
};

void setStart(Problem &p, gsl_vector *x, const ElectricalModel &start) {
    const std::array<double, ParameterCount> v = {start.re, start.fs, start.qms, start.qes,
                                                  start.le, start.r2, start.l2};
    for (size_t k = 0; k < p.free.size(); ++k)
        gsl_vector_set(x, k, std::log(v[p.free[k]]));
}

bool finiteModel(const ElectricalModel &m) {
    for (double v : {m.re, m.fs, m.qms, m.qes, m.le, m.r2, m.l2})
        if (!std::isfinite(v))
            return false;
    return true;
}

// One run of GSL's trust-region Levenberg-Marquardt from `start`.
Solution solve(Problem &p, const ElectricalModel &start) {
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
    setStart(p, x.get(), start);
    Solution s;
    int info = 0;
    int status = gsl_multifit_nlinear_init(x.get(), &fdf, w.get());
    if (status == GSL_SUCCESS)
        status = gsl_multifit_nlinear_driver(MaxIterationsPerStart, 1e-12, 1e-12, 1e-14, nullptr,
                                             nullptr, &info, w.get());
    const gsl_vector *best = gsl_multifit_nlinear_position(w.get());
    s.model = p.model(best);
    s.iterations = int(gsl_multifit_nlinear_niter(w.get()));
    s.converged = status == GSL_SUCCESS;
    double cost = 0.0;
    gsl_blas_ddot(gsl_multifit_nlinear_residual(w.get()), gsl_multifit_nlinear_residual(w.get()),
                  &cost);
    s.cost = std::isfinite(cost) ? cost : HUGE_VAL;
    // A solver that lost itself in a curve the model cannot follow gives
    // back where it started rather than figures that are not numbers.
    if (!finiteModel(s.model)) {
        s.model = start;
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
        m.inductance = InductanceModel::Lossy;
        m.le = plain.le * shares[k][0];
        m.l2 = plain.le * shares[k][1];
        m.r2 = plain.re * r2Factors[k];
        starts.push_back(m);
    }
    return starts;
}

Problem makeProblem(const ImpedanceCurve &c, InductanceModel inductance,
                    std::optional<double> dcResistance) {
    Problem p;
    p.curve = &c;
    p.inductance = inductance;
    if (dcResistance)
        p.fixedRe = *dcResistance;
    else
        p.free.push_back(PRe);
    for (Parameter k : {PFs, PQms, PQes, PLe})
        p.free.push_back(k);
    if (inductance == InductanceModel::Lossy) {
        p.free.push_back(PR2);
        p.free.push_back(PL2);
    }
    p.weight.reserve(c.size());
    for (const Impedance &z : c.z)
        p.weight.push_back(1.0 / std::abs(z));
    return p;
}

} // namespace

Residual FitResidual(const ElectricalModel &m, const ImpedanceCurve &c) {
    double absolute = 0.0, relative = 0.0;
    for (size_t i = 0; i < c.size(); ++i) {
        const double e = std::norm(ModelImpedance(m, c.hz[i]) - c.z[i]);
        absolute += e;
        relative += e / std::norm(c.z[i]);
    }
    const double n = double(c.size());
    return {std::sqrt(absolute / n), 100.0 * std::sqrt(relative / n)};
}

std::optional<FitResult> FitImpedance(const ImpedanceCurve &measured, const FitOptions &options) {
    if (measured.size() < 3)
        return std::nullopt;
    const std::vector<size_t> spikes = loneSpikes(measured);
    ImpedanceCurve c = without(measured, spikes);
    int setAside = int(spikes.size());
    const std::optional<ClassicEstimate> classic = estimateClassic(c, options.dcResistance);
    if (!classic)
        return std::nullopt;
    ElectricalModel start;
    start.re = classic->re;
    start.fs = classic->fs;
    start.qms = classic->qms;
    start.qes = classic->qes;
    start.le = inductanceFromTop(c, start);

    Problem plain = makeProblem(c, InductanceModel::Plain, options.dcResistance);
    Solution best = solve(plain, start);
    int iterations = best.iterations;
    if (const std::vector<size_t> misses = loneMisses(c, best.model); !misses.empty()) {
        c = without(c, misses);
        setAside += int(misses.size());
        plain = makeProblem(c, InductanceModel::Plain, options.dcResistance);
        best = solve(plain, best.model);
        iterations += best.iterations;
    }
    if (options.inductance == InductanceModel::Lossy) {
        Problem lossy = makeProblem(c, InductanceModel::Lossy, options.dcResistance);
        std::optional<Solution> lossyBest;
        for (const ElectricalModel &s : lossyStarts(best.model)) {
            Solution candidate = solve(lossy, s);
            iterations += candidate.iterations;
            // Two starts that end at the same least cost have found the
            // minimum the others would find again.
            const bool confirmed =
                lossyBest && candidate.converged && lossyBest->converged &&
                std::fabs(candidate.cost - lossyBest->cost) <= SameMinimum * lossyBest->cost;
            if (!lossyBest || candidate.cost < lossyBest->cost)
                lossyBest = candidate;
            if (confirmed)
                break;
        }
        best = *lossyBest;
    }
    FitResult r;
    r.model = best.model;
    r.classic = *classic;
    const Residual residual = FitResidual(best.model, c);
    r.rmsOhm = residual.ohm;
    r.rmsPercent = residual.percent;
    r.iterations = iterations;
    r.converged = best.converged;
    r.setAside = setAside;
    return r;
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
        {"Le", "H", m.le, 0.0, MaxDriverLe},
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
    const double mms = addedKg / (ratio * ratio - 1.0);
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

// Least squares of v = a w + b / w over the pairs (w, v): Mms and -1/Cms.
struct LineFit {
    double swW = 0, swInv = 0, sInvInv = 0, svW = 0, svInv = 0;
    int count = 0;

    void add(double w, double v) {
        swW += w * w;
        swInv += 1.0; // w * (1 / w)
        sInvInv += 1.0 / (w * w);
        svW += v * w;
        svInv += v / w;
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
            line.add(w, (bl2 * admittance(c.z[i], c.hz[i])).imag() - w * kg);
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
    return vbLitres * (inBox.fs * inBox.qes / (freeAir.fs * freeAir.qes) - 1.0);
}

} // namespace dravik
