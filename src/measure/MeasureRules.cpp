#include "MeasureRules.h"

#include "Acoustics.h"
#include "NumberText.h"

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
    r.fields[QStringLiteral("EFitLe")] = InductanceText(m.le * 1e3);
    if (m.inductance == InductanceModel::Lossy) {
        r.fields[QStringLiteral("EFitR2")] = ResistanceText(m.r2);
        r.fields[QStringLiteral("EFitL2")] = InductanceText(m.l2 * 1e3);
    }
    r.fields[QStringLiteral("EFitResidual")] = plain(f.rmsOhm, 3);
    r.fields[QStringLiteral("EFitResidualPercent")] = plain(f.rmsPercent, 2);
    r.fields[QStringLiteral("EFitIterations")] = FormatInteger(f.iterations);
}

void showMechanics(MeasureReport &r, const QString &prefix, const MechanicalEstimate &e) {
    r.fields[prefix + QStringLiteral("Mms")] = plain(e.mmsKg * 1e3, 2);
    r.fields[prefix + QStringLiteral("Bl")] = plain(e.blTm, 2);
    r.fields[prefix + QStringLiteral("Cms")] = plain(e.cmsMPerN * 1e3, 3);
    if (e.vasLitres)
        r.fields[prefix + QStringLiteral("Vas")] = plain(*e.vasLitres, 2);
}

// A curve besides the free-air one, fitted as that one was; the sentence
// names it when it shows no resonance.
std::optional<FitResult> fitOther(MeasureReport &r, const ImpedanceCurve &c,
                                  const FitOptions &options, const char *which) {
    std::optional<FitResult> fit = FitImpedance(c, options);
    if (!fit)
        r.status += QStringLiteral(" No resonance in the band of the ") + QLatin1String(which) +
                    QLatin1Char('.');
    return fit;
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
        {"EFitResidual", "Residual (ohm RMS)"},
        {"EFitResidualPercent", "Residual (%)"},
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
    const FitOptions options{in.inductance, positive(in.dcResistance)};
    const std::optional<FitResult> free = FitImpedance(*in.freeAir, options);
    if (!free) {
        r.status = QString::fromLatin1(NoResonanceSentence);
        return r;
    }
    showClassic(r, free->classic);
    showFit(r, *free);
    r.freeAirFit = free->model;
    r.status = free->converged
                   ? QStringLiteral("Fitted in %1 iterations.").arg(free->iterations)
                   : QStringLiteral("The fit stopped after %1 iterations; its figures may be "
                                    "rough.")
                         .arg(free->iterations);

    MeasuredDriver d;
    d.fs = free->model.fs;
    d.qes = free->model.qes;
    d.qms = free->model.qms;
    d.qts = TotalQ(d.qms, d.qes);
    d.re = free->model.re;
    d.leMh = free->model.le * 1e3;
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

void WriteDriverFields(FieldStore &main, const MeasuredDriver &d) {
    main.setText(Field::EFs, FrequencyText(d.fs));
    main.setText(Field::EQes, QualityText(d.qes));
    main.setText(Field::EQms, QualityText(d.qms));
    main.setText(Field::EQts, QualityText(d.qts));
    main.setText(Field::ERe, ResistanceText(d.re));
    if (d.vasLitres)
        main.setText(Field::EVas, FormatFieldValue(*d.vasLitres, 2));
    if (d.effectiveDiameterMm)
        main.setText(Field::EEffPDiam, FormatFieldValue(*d.effectiveDiameterMm, 1));
}

} // namespace dravik
