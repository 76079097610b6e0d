#include "Alignments.h"

#include "Acoustics.h"
#include "AlignmentTables.h"
#include "Analysis.h"
#include "Fp.h"
#include "NumberText.h"
#include "ResponseArrays.h"
#include "Simulation.h"
#include "Vent.h"

namespace dravik {

namespace {

void Repaint(const PlotRepaint &repaint) {
    if (repaint)
        repaint();
}

// The box of the maximally flat fall-back tuned to Fs, simulated.
void FallBackToFlat(DesignParameters &dp, Responses &r, const PlotRepaint &repaint,
                    const QString &failure, Real qts, Real fs) {
    dp.addLine(List::ListBox2, failure);
    dp.addLine(List::ListBox2, QStringLiteral("Qts:") + FormatFieldValue(qts));
    ComputeFlatAlignment(dp, r, repaint);
    dp.SetFb(fs);
    SimulateVentedResponse(dp, r);
    dp.addLine(List::ListBox2, QStringLiteral("Flat alignment calculated."));
}

// SBB4 and SC4: the box from the table row, or the flat fall-back. SBB4 has no
// tuning column and is tuned to Fs.
void ComputeTableAlignment(DesignParameters &dp, Responses &r, const PlotRepaint &repaint,
                           const AlignmentTable &table, bool tunedToFs, const QString &failure) {
    const Real qts = dp.GetQts();
    const Real fs = dp.GetFs();
    const Real vas = dp.GetVas();
    dp.clearLines(List::ListBox2);

    Real alfa = 0.0;
    Real h = 1.0;
    Real ffs = 0.0;
    if (const std::optional<int> row = FindAlignmentRow(table, qts.value())) {
        alfa = table.alfa[*row];
        h = tunedToFs ? 1.0 : table.h[*row];
        ffs = table.ffs[*row];
        dp.addLine(List::ListBox2, QStringLiteral("alfa:") + FormatFieldValue(alfa));
    }
    if (alfa == 0.0) {
        FallBackToFlat(dp, r, repaint, failure, qts, fs);
        return;
    }

    const Real vb = vas / alfa;
    const Real fb = tunedToFs ? fs : h * fs;
    const Real f3 = ffs * fs;
    dp.SetVb(vb);
    dp.SetFb(fb);
    dp.Set3dB(f3);
    dp.SetAlfa(alfa);
    dp.SetFfs(ffs);
    // Clears ListBox2 and rewrites alfa and ffs from its own results; Vb, Fb
    // and E3dB keep the alignment's values.
    SimulateVentedResponse(dp, r);
}

// The box figures of a formula alignment.
struct FormulaBox {
    Real qts, vas, fs;
    Real vb, fb, f3, dbPeak;
};

// dBpeak of both formula alignments: 20 log((Vas/Vb)^0.3 x Qts x 2.5).
Real DbPeak(Real vas, Real vb, Real qts) {
    return 20.0 * log10(pow(vas / vb, 0.3) * qts * 2.5);
}

FormulaBox FlatBox(const DesignParameters &dp) {
    FormulaBox b{};
    b.qts = dp.GetQts();
    b.vas = dp.GetVas();
    b.fs = dp.GetFs();
    b.vb = 20.0 * pow(b.qts, 3.3) * b.vas;
    b.fb = pow(b.vas / b.vb, 0.31) * b.fs;
    b.f3 = pow(b.vas / b.vb, 0.44) * b.fs;
    b.dbPeak = DbPeak(b.vas, b.vb, b.qts);
    return b;
}

FormulaBox IdealBox(const DesignParameters &dp) {
    FormulaBox b{};
    b.qts = dp.GetQts();
    b.vas = dp.GetVas();
    b.fs = dp.GetFs();
    b.vb = 15.0 * pow(b.qts, 2.87) * b.vas;
    b.fb = 0.42 * b.fs * pow(b.qts, -0.9);
    b.f3 = 0.26 * b.fs * pow(b.qts, -1.4);
    b.dbPeak = DbPeak(b.vas, b.vb, b.qts);
    return b;
}

void ListFormulaBox(DesignParameters &dp, const FormulaBox &b) {
    dp.clearLines(List::ListBox2);
    dp.addLine(List::ListBox2, QStringLiteral("dBpeak: ") + FormatFieldValue(b.dbPeak));
    dp.addLine(List::ListBox2, QStringLiteral("Vb: ") + FormatFieldValue(b.vb));
    dp.addLine(List::ListBox2, QStringLiteral("Fb: ") + FormatFieldValue(b.fb));
    dp.addLine(List::ListBox2, QStringLiteral("F3dB: ") + FormatFieldValue(b.f3));
}

// What both formula alignments do once the box is known.
void WriteFormulaBox(DesignParameters &dp, Responses &r, const PlotRepaint &repaint,
                     const FormulaBox &b) {
    ListFormulaBox(dp, b);
    dp.SetVb(b.vb);
    dp.SetFb(b.fb);
    ComputeVentedModelResponse(r.SystemResponse, b.fs, b.fb, b.qts, b.vas, b.vb);
    dp.SetAlfa(b.vas / b.vb);
    dp.SetFfs(b.f3 / b.fs);
    ComputePowerFigures(dp, r);
    Repaint(repaint);
    ComputeVent(dp);
}

// Clears the quiet flag when the search ends, however it ends.
class QuietSearch {
public:
    explicit QuietSearch(Responses &r) : r_(r) { r_.QuietSimulation = true; }
    ~QuietSearch() { r_.QuietSimulation = false; }
    QuietSearch(const QuietSearch &) = delete;
    QuietSearch &operator=(const QuietSearch &) = delete;

private:
    Responses &r_;
};

} // namespace

void ComputeSBB4Alignment(DesignParameters &dp, Responses &r, const AlignmentTables &tables,
                          const PlotRepaint &repaint) {
    ComputeTableAlignment(dp, r, repaint, tables.SBB4Table, true,
                          QStringLiteral("Can't calculate SBB4 alignment"));
}

// The fall-back names the alignment that could not be computed, SC4 here.
void ComputeSC4Alignment(DesignParameters &dp, Responses &r, const AlignmentTables &tables,
                         const PlotRepaint &repaint) {
    ComputeTableAlignment(dp, r, repaint, tables.SC4Table, false,
                          QStringLiteral("Can't calculate SC4 alignment"));
}

void ComputeFlatAlignment(DesignParameters &dp, Responses &r, const PlotRepaint &repaint) {
    const FormulaBox b = FlatBox(dp);
    dp.Set3dB(b.f3);
    WriteFormulaBox(dp, r, repaint, b);
}

void ComputeIdealAlignment(DesignParameters &dp, Responses &r, const PlotRepaint &repaint) {
    // E3dB keeps the F3 of whatever wrote it last, and so do the power figures.
    WriteFormulaBox(dp, r, repaint, IdealBox(dp));
}

void ComputeVentedModelResponse(ResponseArray &system, Real fs, Real fb, Real qts, Real vas,
                                Real vb) {
    const Real h = fb / fs;
    const Real alfa = vas / vb;
    const acoustics::VentedPolynomial<Real> k = acoustics::VentedPolynomialFromRatio(h, alfa, qts);
    double f = acoustics::ResponseFirstHz;
    for (int hz = acoustics::ResponseFirstHz; hz <= acoustics::ResponseLastHz; ++hz, f += 1.0) {
        const Real x = f / fs;
        const Real x2 = ipow(x, 2);
        const Real magnitude = acoustics::VentedDenominatorSquared(k, x2, ipow(x, 4));
        system[hz] = (10.0 * log10(ipow(x, 8) / magnitude)).value();
    }
}

void OptimizeForSubwoofer(DesignParameters &dp, Responses &r) {
    dp.clearLines(List::ListBox2);
    const Real targetFb = dp.number(Field::ETargetFb);
    const Real targetLevel = dp.number(Field::ETargetDbmag);
    dp.SetFb(targetFb);
    // The smallest whole-litre box whose level at 20 Hz reaches the target;
    // without one the search ends at 300 litres.
    for (int vb = 10; vb <= 300; ++vb) {
        dp.SetVb(vb);
        SimulateVentedResponse(dp, r);
        if (r.SystemResponse[20] >= targetLevel.value())
            break;
    }
}

void RunSubwooferOptimizer(DesignParameters &dp, Responses &r) {
    {
        const QuietSearch quiet(r);
        OptimizeForSubwoofer(dp, r);
    }
    SimulateVentedResponse(dp, r);
}

} // namespace dravik
