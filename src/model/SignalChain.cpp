#include "SignalChain.h"

#include "Acoustics.h"
#include "NamedValues.h"

#include <QLocale>

#include <array>
#include <cmath>
#include <tuple>

namespace dravik {

namespace {

using Complex = std::complex<double>;
constexpr double Pi = acoustics::PiFull;

constexpr double LowestFilterHz = 1e-3;
constexpr double HighestFilterHz = 1e5;
constexpr double HighestQ = 1000.0;

using Coefficients = std::vector<double>; // lowest power first

constexpr NamedValue<FilterType> Types[] = {
    {FilterType::HighPass, "high-pass", "High-pass"},
    {FilterType::LowPass, "low-pass", "Low-pass"},
    {FilterType::LinkwitzTransform, "linkwitz-transform", "Linkwitz transform"},
    {FilterType::Peaking, "peaking", "Peaking"},
    {FilterType::LowShelf, "low-shelf", "Low shelf"},
    {FilterType::HighShelf, "high-shelf", "High shelf"},
    {FilterType::Gain, "gain", "Gain"},
};

constexpr NamedValue<FilterAlignment> Alignments[] = {
    {FilterAlignment::Butterworth, "butterworth", "Butterworth"},
    {FilterAlignment::LinkwitzRiley, "linkwitz-riley", "Linkwitz-Riley"},
    {FilterAlignment::Bessel, "bessel", "Bessel"},
    {FilterAlignment::Q, "q", "Q"},
};

// The reverse Bessel polynomial of order n, lowest power first:
// c_k = (2n - k)! / (2^(n - k) k! (n - k)!).
Coefficients BesselPolynomial(int n) {
    std::vector<double> c(static_cast<size_t>(n) + 1);
    for (int k = 0; k <= n; ++k) {
        double v = 1.0;
        // (2n - k)! / (n - k)! = (n - k + 1) ... (2n - k)
        for (int i = n - k + 1; i <= 2 * n - k; ++i)
            v *= i;
        for (int i = 2; i <= k; ++i)
            v /= i;
        c[static_cast<size_t>(k)] = v / std::pow(2.0, n - k);
    }
    return c;
}

double PhaseOf(const Coefficients &c, double y) {
    Complex sum(c.back());
    for (size_t k = c.size() - 1; k-- > 0;)
        sum = Complex(-sum.imag() * y, sum.real() * y) + c[k];
    return std::arg(sum);
}

// The scale of the Bessel polynomial that puts its phase at the corner at
// half its whole shift: arg theta_n(j a) = n pi / 4, found by following the
// phase up from 0 (it rises steadily to n pi / 2) and halving the last step.
double BesselCornerScale(const Coefficients &c) {
    const int n = static_cast<int>(c.size()) - 1;
    const double wanted = n * Pi / 4.0;
    const auto phaseStep = [&c](double from, double to) {
        return std::remainder(PhaseOf(c, to) - PhaseOf(c, from), 2.0 * Pi);
    };
    double x = 0.0, phase = 0.0;
    constexpr double Step = 1e-2;
    while (phase + phaseStep(x, x + Step) < wanted) {
        phase += phaseStep(x, x + Step);
        x += Step;
    }
    double low = x, high = x + Step;
    for (int i = 0; i < 60; ++i) {
        const double mid = 0.5 * (low + high);
        if (phase + phaseStep(x, mid) < wanted)
            low = mid;
        else
            high = mid;
    }
    return 0.5 * (low + high);
}

struct BesselTable {
    std::array<Coefficients, 9> polynomial; // theta(a x) / theta(0)
    BesselTable() {
        for (int n = 2; n <= 8; ++n) {
            Coefficients c = BesselPolynomial(n);
            const double a = BesselCornerScale(c);
            const double c0 = c.front();
            double scale = 1.0;
            for (double &ck : c) {
                ck *= scale / c0;
                scale *= a;
            }
            polynomial[static_cast<size_t>(n)] = c;
        }
    }
};

const Coefficients &BesselDenominator(int order) {
    static const BesselTable table;
    return table.polynomial[static_cast<size_t>(order)];
}

Coefficients Product(const Coefficients &a, const Coefficients &b) {
    Coefficients p(a.size() + b.size() - 1, 0.0);
    for (size_t i = 0; i < a.size(); ++i)
        for (size_t j = 0; j < b.size(); ++j)
            p[i + j] += a[i] * b[j];
    return p;
}

// The Butterworth denominator of order n: sections x^2 + 2 sin((2k - 1) pi
// / 2n) x + 1, and x + 1 for an odd order.
Coefficients Butterworth(int order) {
    Coefficients d = {1.0};
    for (int k = 1; k <= order / 2; ++k)
        d = Product(d, {1.0, 2.0 * std::sin((2 * k - 1) * Pi / (2.0 * order)), 1.0});
    if (order % 2 != 0)
        d = Product(d, {1.0, 1.0});
    return d;
}

// The low-pass denominator of a high-pass or low-pass filter.
Coefficients PassDenominator(const FilterStage &f) {
    switch (f.alignment) {
    case FilterAlignment::Butterworth:
        return Butterworth(f.order);
    case FilterAlignment::LinkwitzRiley: {
        const Coefficients half = Butterworth(f.order / 2);
        return Product(half, half);
    }
    case FilterAlignment::Bessel:
        return BesselDenominator(f.order);
    case FilterAlignment::Q:
        return {1.0, 1.0 / f.q, 1.0};
    }
    return {1.0};
}

// The even and odd parts of a polynomial at x = j y: P(j y) = E(y^2) + j y
// O(y^2), with E's coefficients c0, -c2, c4, ... and O's c1, -c3, c5, ...
void SplitAtImaginary(const Coefficients &c, Coefficients &even, Coefficients &odd) {
    even.clear();
    odd.clear();
    for (size_t k = 0; k < c.size(); ++k) {
        const double sign = (k / 2) % 2 == 0 ? 1.0 : -1.0;
        (k % 2 == 0 ? even : odd).push_back(sign * c[k]);
    }
    if (odd.empty())
        odd.push_back(0.0);
}

// A real polynomial and its derivative at t, by Horner's rule.
void Horner(const Coefficients &c, double t, double &p, double &dp) {
    p = c.back();
    dp = 0.0;
    for (size_t k = c.size() - 1; k-- > 0;) {
        dp = dp * t + p;
        p = p * t + c[k];
    }
}

// P(j y) and dP/dy from its even and odd parts:
// d/dy [E(y^2) + j y O(y^2)] = 2 y E'(y^2) + j (O(y^2) + 2 y^2 O'(y^2)).
void Evaluate(const Coefficients &even, const Coefficients &odd, double y, Complex &p,
              Complex &dp) {
    const double t = y * y;
    double e, de, o, dO;
    Horner(even, t, e, de);
    Horner(odd, t, o, dO);
    p = Complex(e, y * o);
    dp = Complex(2.0 * y * de, o + 2.0 * t * dO);
}

double GainFactor(double db) {
    return std::pow(10.0, db / 20.0);
}

QString Number(double v) {
    return QLocale::c().toString(v, 'g', 6);
}

QString SignedDb(double db) {
    return (db > 0 ? QStringLiteral("+") : QString()) + Number(db) + QStringLiteral(" dB");
}

QString Ordinal(int n) {
    const char *suffix = n == 1 ? "st" : n == 2 ? "nd" : n == 3 ? "rd" : "th";
    return QString::number(n) + QLatin1String(suffix) + QStringLiteral(" order");
}

bool FrequencyUsable(double hz) {
    return std::isfinite(hz) && hz >= LowestFilterHz && hz <= HighestFilterHz;
}

bool QUsable(double q) {
    return std::isfinite(q) && q > 0.0 && q <= HighestQ;
}

bool GainUsable(double db) {
    return std::isfinite(db) && std::fabs(db) <= MaxFilterGainDb;
}

std::optional<QString> OrderFault(const FilterStage &f) {
    const int n = f.order;
    switch (f.alignment) {
    case FilterAlignment::Butterworth:
        if (n < 1 || n > 8)
            return QStringLiteral("a Butterworth filter's order must be 1 to 8");
        break;
    case FilterAlignment::LinkwitzRiley:
        if (n < 2 || n > 8 || n % 2 != 0)
            return QStringLiteral("a Linkwitz-Riley filter's order must be 2, 4, 6 or 8");
        break;
    case FilterAlignment::Bessel:
        if (n < 2 || n > 8)
            return QStringLiteral("a Bessel filter's order must be 2 to 8");
        break;
    case FilterAlignment::Q:
        if (n != 2)
            return QStringLiteral("a filter of chosen Q must be of order 2");
        break;
    }
    return std::nullopt;
}

// The ranges as the sentences give them, made only for a filter refused:
// every design is checked before every computation.
QString FrequencyRange() {
    return QStringLiteral(" must be above 0 Hz and at most ") + Number(HighestFilterHz) +
           QStringLiteral(" Hz");
}

QString QRange() {
    return QStringLiteral(" must be above 0 and at most ") + Number(HighestQ);
}

QString GainRange() {
    return QStringLiteral("the gain must be from -") + Number(MaxFilterGainDb) +
           QStringLiteral(" to ") + Number(MaxFilterGainDb) + QStringLiteral(" dB");
}

std::optional<QString> ValuesFault(const FilterStage &f) {
    switch (f.type) {
    case FilterType::HighPass:
    case FilterType::LowPass:
        if (const auto fault = OrderFault(f))
            return fault;
        if (!FrequencyUsable(f.frequencyHz))
            return QStringLiteral("the corner frequency") + FrequencyRange();
        if (f.alignment == FilterAlignment::Q && !QUsable(f.q))
            return QStringLiteral("the Q") + QRange();
        break;
    case FilterType::LinkwitzTransform:
        if (!FrequencyUsable(f.frequencyHz))
            return QStringLiteral("f0") + FrequencyRange();
        if (!QUsable(f.q))
            return QStringLiteral("Q0") + QRange();
        if (!FrequencyUsable(f.fpHz))
            return QStringLiteral("fp") + FrequencyRange();
        if (!QUsable(f.qp))
            return QStringLiteral("Qp") + QRange();
        // The transform's gain towards DC, (f0 / fp)^2, within the gain range.
        if (!GainUsable(40.0 * std::log10(f.frequencyHz / f.fpHz)))
            return QStringLiteral("its gain towards DC, (f0 / fp)^2, must be within ") +
                   Number(MaxFilterGainDb) + QStringLiteral(" dB");
        break;
    case FilterType::Peaking:
    case FilterType::LowShelf:
    case FilterType::HighShelf:
        if (!FrequencyUsable(f.frequencyHz))
            return QStringLiteral("the frequency") + FrequencyRange();
        if (!QUsable(f.q))
            return QStringLiteral("the Q") + QRange();
        if (!GainUsable(f.gainDb))
            return GainRange();
        break;
    case FilterType::Gain:
        if (!GainUsable(f.gainDb))
            return GainRange();
        break;
    }
    return std::nullopt;
}

} // namespace

bool operator==(const FilterStage &a, const FilterStage &b) {
    return std::tie(a.type, a.alignment, a.order, a.frequencyHz, a.q, a.gainDb, a.fpHz, a.qp,
                    a.enabled) == std::tie(b.type, b.alignment, b.order, b.frequencyHz, b.q,
                                           b.gainDb, b.fpHz, b.qp, b.enabled);
}

std::optional<QString> FilterFault(const FilterStage &stage, int position) {
    const std::optional<QString> fault = ValuesFault(stage);
    if (!fault)
        return std::nullopt;
    return QStringLiteral("Filter %1: %2.").arg(position).arg(*fault);
}

std::optional<QString> ChainFault(const std::vector<FilterStage> &chain) {
    if (chain.size() > static_cast<size_t>(MaxFilters))
        return QStringLiteral("The signal chain holds at most %1 filters.").arg(MaxFilters);
    for (size_t i = 0; i < chain.size(); ++i)
        if (const auto fault = FilterFault(chain[i], static_cast<int>(i) + 1))
            return fault;
    return std::nullopt;
}

PreparedFilter PrepareFilter(const FilterStage &f) {
    PreparedFilter p;
    p.w0 = 2.0 * Pi * f.frequencyHz;
    const double a = std::pow(10.0, f.gainDb / 40.0);
    switch (f.type) {
    case FilterType::LowPass:
        p.numerator = {1.0};
        p.denominator = PassDenominator(f);
        break;
    case FilterType::HighPass: {
        // 1 / D(1 / x) = x^n / (D's coefficients reversed).
        const Coefficients d = PassDenominator(f);
        p.numerator.assign(d.size(), 0.0);
        p.numerator.back() = 1.0;
        p.denominator.assign(d.rbegin(), d.rend());
        break;
    }
    case FilterType::LinkwitzTransform: {
        // (s^2 + (w0 / Q0) s + w0^2) / (s^2 + (wp / Qp) s + wp^2) over w0^2.
        const double r = f.fpHz / f.frequencyHz;
        p.numerator = {1.0, 1.0 / f.q, 1.0};
        p.denominator = {r * r, r / f.qp, 1.0};
        break;
    }
    case FilterType::Peaking:
        // (s^2 + s (A / Q) w0 + w0^2) / (s^2 + s w0 / (A Q) + w0^2).
        p.numerator = {1.0, a / f.q, 1.0};
        p.denominator = {1.0, 1.0 / (a * f.q), 1.0};
        break;
    case FilterType::LowShelf:
        // A (s^2 + (sqrt A / Q) w0 s + A w0^2) / (A s^2 + (sqrt A / Q) w0 s + w0^2).
        p.numerator = {a * a, a * std::sqrt(a) / f.q, a};
        p.denominator = {1.0, std::sqrt(a) / f.q, a};
        break;
    case FilterType::HighShelf:
        // A (A s^2 + (sqrt A / Q) w0 s + w0^2) / (s^2 + (sqrt A / Q) w0 s + A w0^2).
        p.numerator = {a, a * std::sqrt(a) / f.q, a * a};
        p.denominator = {a, std::sqrt(a) / f.q, 1.0};
        break;
    case FilterType::Gain:
        p.w0 = 1.0;
        p.numerator = {GainFactor(f.gainDb)};
        p.denominator = {1.0};
        break;
    }
    SplitAtImaginary(p.numerator, p.numeratorEven, p.numeratorOdd);
    SplitAtImaginary(p.denominator, p.denominatorEven, p.denominatorOdd);
    return p;
}

PreparedChain PrepareChain(const std::vector<FilterStage> &chain) {
    PreparedChain prepared;
    for (const FilterStage &f : chain)
        if (f.enabled)
            prepared.filters.push_back(PrepareFilter(f));
    return prepared;
}

DualComplex PreparedChain::at(double w) const {
    DualComplex h(1.0);
    for (const PreparedFilter &f : filters) {
        // H = N / D at x = j y, y = w / w0; dH/dw = (dN/dy - H dD/dy) / D / w0.
        const double y = w / f.w0;
        Complex n, dn, d, dd;
        Evaluate(f.numeratorEven, f.numeratorOdd, y, n, dn);
        Evaluate(f.denominatorEven, f.denominatorOdd, y, d, dd);
        const Complex q = Divide(n, d);
        const Complex dq = Divide(dn - Multiply(q, dd), d);
        h = h * DualComplex(q, dq / f.w0);
    }
    return h;
}

DualComplex ChainResponse(const std::vector<FilterStage> &chain, double w) {
    return PrepareChain(chain).at(w);
}

const char *FilterTypeName(FilterType type) {
    return NameOf(Types, type);
}

const char *FilterTypeCaption(FilterType type) {
    return CaptionOf(Types, type);
}

const char *FilterAlignmentName(FilterAlignment a) {
    return NameOf(Alignments, a);
}

const char *FilterAlignmentCaption(FilterAlignment a) {
    return CaptionOf(Alignments, a);
}

std::optional<FilterType> FilterTypeNamed(const QString &name) {
    return ValueNamed(Types, name);
}

std::optional<FilterAlignment> FilterAlignmentNamed(const QString &name) {
    return ValueNamed(Alignments, name);
}

QString FilterText(const FilterStage &f) {
    const QString type = QLatin1String(FilterTypeCaption(f.type));
    const QString hz = QStringLiteral(" Hz");
    switch (f.type) {
    case FilterType::HighPass:
    case FilterType::LowPass: {
        QString text = type + QLatin1Char(' ') + QLatin1String(FilterAlignmentCaption(f.alignment));
        if (f.alignment == FilterAlignment::Q)
            text += QLatin1Char(' ') + Number(f.q);
        return text + QLatin1Char(' ') + Ordinal(f.order) + QLatin1Char(' ') +
               Number(f.frequencyHz) + hz;
    }
    case FilterType::LinkwitzTransform:
        return type + QLatin1Char(' ') + Number(f.frequencyHz) + QStringLiteral(" Hz Q ") +
               Number(f.q) + QStringLiteral(" to ") + Number(f.fpHz) + QStringLiteral(" Hz Q ") +
               Number(f.qp);
    case FilterType::Peaking:
    case FilterType::LowShelf:
    case FilterType::HighShelf:
        return type + QLatin1Char(' ') + Number(f.frequencyHz) + QStringLiteral(" Hz Q ") +
               Number(f.q) + QLatin1Char(' ') + SignedDb(f.gainDb);
    case FilterType::Gain:
        return type + QLatin1Char(' ') + SignedDb(f.gainDb);
    }
    return type;
}

} // namespace dravik
