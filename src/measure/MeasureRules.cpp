#include "MeasureRules.h"

#include "Acoustics.h"
#include "Fp.h"
#include "NumberText.h"

#include <QStringList>

#include <cmath>

namespace dravik {

namespace {

constexpr double Pi = acoustics::PiFull;

// A typed figure, when it is a number above 0.
std::optional<double> positive(const QString &text) {
    const double v = ParseFieldText(text);
    if (v > 0.0 && std::isfinite(v))
        return v;
    return std::nullopt;
}

QString plain(double v, int decimals) {
    return FormatFieldValue(v, decimals);
}

void showClassic(MeasureReport &r, const ClassicEstimate &c) {
    r.fields[QStringLiteral("EClassicRe")] = ResistanceText(c.re);
    r.fields[QStringLiteral("EClassicFs")] = FrequencyText(c.fs);
    r.fields[QStringLiteral("EClassicR0")] = plain(c.r0, 2);
    r.fields[QStringLiteral("EClassicF1")] = FrequencyText(c.f1);
    r.fields[QStringLiteral("EClassicF2")] = FrequencyText(c.f2);
    r.fields[QStringLiteral("EClassicQms")] = QualityText(c.qms);
    r.fields[QStringLiteral("EClassicQes")] = QualityText(c.qes);
    r.fields[QStringLiteral("EClassicQts")] = QualityText(c.qts);
}

void showFit(MeasureReport &r, const FitResult &f) {
    const ElectricalModel &m = f.model;
    r.fields[QStringLiteral("EFitRe")] = ResistanceText(m.re);
    r.fields[QStringLiteral("EFitFs")] = FrequencyText(m.fs);
    r.fields[QStringLiteral("EFitQms")] = QualityText(m.qms);
    r.fields[QStringLiteral("EFitQes")] = QualityText(m.qes);
    r.fields[QStringLiteral("EFitQts")] = QualityText(TotalQ(m.qms, m.qes));
    r.fields[QStringLiteral("EFitLe")] = InductanceText(m.coil.le * 1e3);
    // Each coil model's own figures; the semi-inductance's Le is its own.
    const std::pair<const char *, double> figures[] = {
        {"EFitR2", m.coil.r2},         {"EFitL2", m.coil.l2 * 1e3}, {"EFitKrm", m.coil.krm},
        {"EFitErm", m.coil.erm},       {"EFitKxm", m.coil.kxm},     {"EFitExm", m.coil.exm},
        {"EFitLeb", m.coil.leb * 1e3}, {"EFitRss", m.coil.rss},     {"EFitKe", m.coil.ke}};
    const auto show = [&](std::initializer_list<int> which) {
        for (int i : which)
            r.fields[QLatin1String(figures[i].first)] = plain(figures[i].second, 4);
    };
    switch (m.coil.model) {
    case InductanceModel::Plain:
        break;
    case InductanceModel::Lossy:
        show({0, 1});
        break;
    case InductanceModel::Wright:
        r.fields[QStringLiteral("EFitLe")].clear();
        show({2, 3, 4, 5});
        break;
    case InductanceModel::SemiInductance:
        show({6, 7, 8});
        break;
    }
    r.fields[QStringLiteral("EFitLambda")] = plain(m.creep, 4);
    r.fields[QStringLiteral("EFitModel")] = QLatin1String(InductanceModelName(m.coil.model));
    r.fields[QStringLiteral("EFitResidual")] = plain(f.rmsOhm, 3);
    r.fields[QStringLiteral("EFitResidualPercent")] = plain(f.rmsPercent, 2);
    if (f.chosen < f.tried.size())
        r.fields[QStringLiteral("EFitResonanceResidual")] =
            plain(f.tried[f.chosen].resonance.percent, 2);
    r.fields[QStringLiteral("EFitIterations")] = FormatInteger(f.iterations);
}

void showMechanics(MeasureReport &r, const QString &prefix, const MechanicalEstimate &e) {
    r.fields[prefix + QStringLiteral("Mms")] = plain(e.mmsKg * 1e3, 2);
    r.fields[prefix + QStringLiteral("Bl")] = plain(e.blTm, 2);
    r.fields[prefix + QStringLiteral("Cms")] = plain(e.cmsMPerN * 1e3, 3);
    if (e.vasLitres)
        r.fields[prefix + QStringLiteral("Vas")] = plain(*e.vasLitres, 2);
}

// A figure in a sentence: four significant digits, an exponent only for
// figures far beyond a driver's.
QString roughly(double v) {
    return QString::number(v, 'g', 4);
}

// Why a fit is not a driver's: it misses the curve, or one of its figures
// lies where no driver's does. Empty when it is a driver's.
QString notADriver(const FitResult &fit, const ImpedanceCurve &c) {
    if (const std::optional<FigureOutOfRange> f = ImplausibleFigure(fit.model, c)) {
        const QString unit = *f->unit ? QLatin1Char(' ') + QLatin1String(f->unit) : QString();
        return QStringLiteral("the fit gives %1 = %2%3, outside %4 to %5%3")
            .arg(QLatin1String(f->name), roughly(f->value), unit, roughly(f->low),
                 roughly(f->high));
    }
    if (!(fit.rmsPercent <= MaxDriverResidualPercent))
        return QStringLiteral("the fit misses the curve by %1 % RMS, more than %2 %")
            .arg(roughly(fit.rmsPercent), roughly(MaxDriverResidualPercent));
    return QString();
}

// A curve besides the free-air one, fitted as that one was; the sentence
// names it when it shows no resonance or its fit is not a driver's.
std::optional<FitResult> fitOther(MeasureReport &r, const ImpedanceCurve &c,
                                  const FitOptions &options, const char *which) {
    std::optional<FitResult> fit = FitImpedance(c, options);
    if (!fit) {
        r.status += QStringLiteral(" No resonance in the band of the ") + QLatin1String(which) +
                    QLatin1Char('.');
        return fit;
    }
    if (const QString why = notADriver(*fit, c); !why.isEmpty()) {
        r.status += QStringLiteral(" The %1 is left out: %2.").arg(QLatin1String(which), why);
        fit.reset();
    }
    return fit;
}

// The sentence of a free-air fit that came out; lone points left out are
// told, so that a bad line does not go unseen.
// Every model tried with its residual: "Le 3.12 %, Wright 1.41 % (kept)".
QString modelsTried(const FitResult &fit) {
    QStringList parts;
    for (size_t i = 0; i < fit.tried.size(); ++i)
        parts << QLatin1String(InductanceModelName(fit.tried[i].model.coil.model)) +
                     QLatin1Char(' ') + plain(fit.tried[i].band.percent, 2) + QStringLiteral(" %") +
                     (i == fit.chosen ? QStringLiteral(" (kept)") : QString());
    return parts.join(QStringLiteral(", "));
}

QString fittedSentence(const FitResult &fit) {
    QString s = fit.converged
                    ? QStringLiteral("Fitted in %1 iterations.").arg(fit.iterations)
                    : QStringLiteral("The fit stopped after %1 iterations; its figures may be "
                                     "rough.")
                          .arg(fit.iterations);
    if (fit.setAside == 1)
        s += QStringLiteral(" One point that stood alone was left out.");
    else if (fit.setAside > 1)
        s += QStringLiteral(" %1 points that stood alone were left out.").arg(fit.setAside);
    if (fit.tried.size() > 1)
        s += QStringLiteral(" Residuals: ") + modelsTried(fit) + QLatin1Char('.');
    if (!fit.reTyped)
        s += QStringLiteral(" Re was fitted; a value measured at DC narrows Re and Qes.");
    if (const QString poor = PoorFitSentence(fit); !poor.isEmpty())
        s += QLatin1Char(' ') + poor;
    return s;
}

// One figure as the Driver page gets it.
struct WrittenFigure {
    Field field;
    const char *name; // for the refusal
    double value;
    QString (*text)(double);
};

QString volumeText(double litres) {
    return FormatFieldValue(litres, 2);
}
QString diameterText(double mm) {
    return FormatFieldValue(mm, 1);
}

std::vector<WrittenFigure> writtenFigures(const MeasuredDriver &d) {
    std::vector<WrittenFigure> figures = {
        {Field::EFs, "Fs", d.fs, FrequencyText},  {Field::EQes, "Qes", d.qes, QualityText},
        {Field::EQms, "Qms", d.qms, QualityText}, {Field::EQts, "Qts", d.qts, QualityText},
        {Field::ERe, "Re", d.re, ResistanceText},
    };
    if (d.vasLitres)
        figures.push_back({Field::EVas, "Vas", *d.vasLitres, volumeText});
    if (d.effectiveDiameterMm)
        figures.push_back({Field::EEffPDiam, "the effective piston diameter",
                           *d.effectiveDiameterMm, diameterText});
    return figures;
}

// The text the field gets. The page reads it back as the user's typing, so
// that is what must be a number above 0: 5e-324 is one, its "0.00" is not.
QString writableText(const WrittenFigure &f) {
    const QString text = f.text(f.value);
    const double back = ParseFieldText(text);
    if (!std::isfinite(f.value) || !std::isfinite(back) || !(back > 0.0))
        throw DravikError(QStringLiteral("Use these parameters refuses %1: it would read %2 "
                                         "in the Driver page")
                              .arg(QLatin1String(f.name), text));
    return text;
}

struct Mass {
    const std::optional<ImpedanceCurve> *curve;
    const QString *grams;
    const char *name;    // for the sentence
    const char *fsField; // its resonance
};

} // namespace

const std::vector<ResultField> &ClassicResultFields() {
    static const std::vector<ResultField> fields = {
        {"EClassicRe", "Re (ohm)"}, {"EClassicFs", "Fs (Hz)"}, {"EClassicR0", "r0"},
        {"EClassicF1", "f1 (Hz)"},  {"EClassicF2", "f2 (Hz)"}, {"EClassicQms", "Qms"},
        {"EClassicQes", "Qes"},     {"EClassicQts", "Qts"},
    };
    return fields;
}

const std::vector<ResultField> &FitResultFields() {
    static const std::vector<ResultField> fields = {
        {"EFitRe", "Re (ohm)"},
        {"EFitFs", "Fs (Hz)"},
        {"EFitQms", "Qms"},
        {"EFitQes", "Qes"},
        {"EFitQts", "Qts"},
        {"EFitLe", "Le (mH)"},
        {"EFitR2", "R2 (ohm)"},
        {"EFitL2", "L2 (mH)"},
        {"EFitKrm", "Krm"},
        {"EFitErm", "Erm"},
        {"EFitKxm", "Kxm"},
        {"EFitExm", "Exm"},
        {"EFitLeb", "Leb (mH)"},
        {"EFitRss", "Rss (ohm)"},
        {"EFitKe", "Ke"},
        {"EFitLambda", "Creep lambda"},
        {"EFitModel", "Coil model"},
        {"EFitResidual", "Residual (ohm RMS)"},
        {"EFitResidualPercent", "Residual (%)"},
        {"EFitResonanceResidual", "0.5-2 Fs (%)"},
        {"EFitIterations", "Iterations"},
    };
    return fields;
}

const std::vector<ResultField> &MechanicalResultFields() {
    static const std::vector<ResultField> fields = {
        {"EAddedMass1Fs", "Fs with mass 1 (Hz)"},
        {"EAddedMass2Fs", "Fs with mass 2 (Hz)"},
        {"EMassMms", "Mms (g)"},
        {"EMassBl", "Bl (T m)"},
        {"EMassCms", "Cms (mm/N)"},
        {"EMassVas", "Vas (l)"},
        {"EDualMms", "Dual: Mms (g)"},
        {"EDualBl", "Dual: Bl (T m)"},
        {"EDualCms", "Dual: Cms (mm/N)"},
        {"EDualVas", "Dual: Vas (l)"},
        {"ETestBoxFc", "Fc in the box (Hz)"},
        {"ETestBoxQec", "Qec in the box"},
        {"ETestBoxVas", "Box: Vas (l)"},
    };
    return fields;
}

QString FrequencyText(double hz) {
    return FormatFieldValue(hz, 2);
}
QString QualityText(double q) {
    return FormatFieldValue(q, 3);
}
QString ResistanceText(double ohm) {
    return FormatFieldValue(ohm, 2);
}
QString InductanceText(double mh) {
    return FormatFieldValue(mh, 3);
}

std::optional<double> SdFromInputs(const QString &sdCm2, const QString &effectiveDiameterMm) {
    if (const std::optional<double> sd = positive(sdCm2))
        return *sd * 1e-4;
    if (const std::optional<double> d = positive(effectiveDiameterMm)) {
        using namespace acoustics;
        return PistonArea(MetresFromMillimetres(*d), PiFull, AreaOrder::PiHalfSquare);
    }
    return std::nullopt;
}

MeasureReport FitMeasurements(const MeasureInputs &in) {
    MeasureReport r;
    if (!in.freeAir) {
        r.status = QString::fromLatin1(NoFreeAirSentence);
        return r;
    }
    FitOptions options{in.models, positive(in.dcResistance), in.fitCreep, positive(in.fitFromHz),
                       positive(in.fitToHz)};
    if (options.fromHz && options.toHz && *options.fromHz >= *options.toHz) {
        r.status = QStringLiteral("The band to fit must end above where it starts.");
        return r;
    }
    const std::optional<FitResult> free = FitImpedance(*in.freeAir, options);
    if (!free) {
        r.status = QString::fromLatin1(NoResonanceSentence);
        return r;
    }
    showClassic(r, free->classic);
    showFit(r, *free);
    r.freeAirFit = free->model;
    // The figures stay in sight, so that the user sees what went wrong; they
    // go nowhere.
    if (const QString why = notADriver(*free, *in.freeAir); !why.isEmpty()) {
        r.status = QStringLiteral("No driver's parameters: %1.").arg(why);
        r.refusal = QStringLiteral("Use these parameters refuses this fit: %1").arg(why);
        return r;
    }
    r.status = fittedSentence(*free);

    MeasuredDriver d;
    d.fs = free->model.fs;
    d.qes = free->model.qes;
    d.qms = free->model.qms;
    d.qts = TotalQ(d.qms, d.qes);
    d.re = free->model.re;
    d.leMh = free->model.coil.le * 1e3;
    SetVoiceCoil(d.coilAndCreep, free->model);
    const std::optional<double> sd = SdFromInputs(in.sdCm2, in.effectiveDiameterMm);
    if (sd)
        d.effectiveDiameterMm = 2000.0 * std::sqrt(*sd / Pi);

    // The added masses: each curve's own resonance, the single-mass figures
    // of the first one given, the dual figures where both are.
    const Mass masses[2] = {
        {&in.addedMass1, &in.addedMass1Grams, "measurement with mass 1", "EAddedMass1Fs"},
        {&in.addedMass2, &in.addedMass2Grams, "measurement with mass 2", "EAddedMass2Fs"}};
    std::optional<FitResult> loaded[2];
    std::optional<double> kg[2];
    for (int k = 0; k < 2; ++k) {
        kg[k] = positive(*masses[k].grams);
        if (!*masses[k].curve || !kg[k])
            continue;
        kg[k] = *kg[k] / 1000.0;
        loaded[k] = fitOther(r, **masses[k].curve, options, masses[k].name);
        if (loaded[k])
            r.fields[QLatin1String(masses[k].fsField)] = FrequencyText(loaded[k]->model.fs);
    }
    for (int k = 0; k < 2; ++k) {
        if (!loaded[k])
            continue;
        if (const auto single = AddedMassEstimate(free->model, loaded[k]->model.fs, *kg[k], sd)) {
            showMechanics(r, QStringLiteral("EMass"), *single);
            d.vasLitres = single->vasLitres;
        }
        break;
    }
    if (loaded[0] && loaded[1]) {
        if (const auto dual = DualAddedMassEstimate(free->model, *in.freeAir, *in.addedMass1,
                                                    *kg[0], *in.addedMass2, *kg[1], sd)) {
            showMechanics(r, QStringLiteral("EDual"), *dual);
            d.vasLitres = dual->vasLitres;
        }
    }

    const std::optional<double> vb = positive(in.testBoxLitres);
    if (in.testBox && vb) {
        if (const auto box = fitOther(r, *in.testBox, options, "measurement in the test box")) {
            r.fields[QStringLiteral("ETestBoxFc")] = FrequencyText(box->model.fs);
            r.fields[QStringLiteral("ETestBoxQec")] = QualityText(box->model.qes);
            const double vas = TestBoxVasLitres(*vb, free->model, box->model);
            r.fields[QStringLiteral("ETestBoxVas")] = plain(vas, 2);
            if (!d.vasLitres && vas > 0.0)
                d.vasLitres = vas;
        }
    }
    r.driver = d;
    return r;
}

void CheckDriverFields(const MeasuredDriver &d) {
    for (const WrittenFigure &f : writtenFigures(d))
        writableText(f);
}

void WriteDriverFields(FieldStore &main, const MeasuredDriver &d) {
    // All are checked before the first is written: a refused figure leaves
    // the page as it was.
    const std::vector<WrittenFigure> figures = writtenFigures(d);
    std::vector<QString> texts;
    texts.reserve(figures.size());
    for (const WrittenFigure &f : figures)
        texts.push_back(writableText(f));
    for (size_t i = 0; i < figures.size(); ++i)
        main.setText(figures[i].field, texts[i]);
}

} // namespace dravik
