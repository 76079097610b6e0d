#include "Alignments.h"

#include "AlignmentTables.h"
#include "Analysis.h"
#include "Fp.h"
#include "NumberText.h"
#include "ResponseArrays.h"
#include "Simulation.h"
#include "Vent.h"

namespace dravik {

namespace {

using fp::div;
using fp::mul;

constexpr int FirstHz = 10;
constexpr int LastHz = 250;
constexpr double BoxLoss = 7.0;

void Repaint(const PlotRepaint &repaint) {
    if (repaint)
        repaint();
}

// The box of the maximally flat fall-back tuned to Fs, simulated.
void FallBackToFlat(DesignParameters &dp, const PlotRepaint &repaint, const QString &failure,
                    double qts, double fs) {
    dp.addLine("ListBox2", failure);
    dp.addLine("ListBox2", QStringLiteral("Qts:") + FormatFieldValue(qts));
    ComputeFlatAlignment(dp, repaint);
    dp.SetFb(fs);
    SimulateVentedResponse(dp);
    dp.addLine("ListBox2", QStringLiteral("Flat alignment calculated."));
}

// SBB4 and SC4: the box from the table row, or the flat fall-back. SBB4 has no
// tuning column and is tuned to Fs.
void ComputeTableAlignment(DesignParameters &dp, const PlotRepaint &repaint,
                           const AlignmentTable &table, bool tunedToFs, const QString &failure) {
    const double qts = dp.GetQts();
    const double fs = dp.GetFs();
    const double vas = dp.GetVas();
    dp.clearLines("ListBox2");

    double alfa = 0.0;
    double h = 1.0;
    double ffs = 0.0;
    if (const std::optional<int> row = FindAlignmentRow(table, qts)) {
        alfa = table.alfa[*row];
        h = tunedToFs ? 1.0 : table.h[*row];
        ffs = table.ffs[*row];
        dp.addLine("ListBox2", QStringLiteral("alfa:") + FormatFieldValue(alfa));
    }
    if (alfa == 0.0) {
        FallBackToFlat(dp, repaint, failure, qts, fs);
        return;
    }

    const double vb = div(vas, alfa);
    const double fb = tunedToFs ? fs : mul(h, fs);
    const double f3 = mul(ffs, fs);
    dp.SetVb(vb);
    dp.SetFb(fb);
    dp.Set3dB(f3);
    dp.SetAlfa(alfa);
    dp.SetFfs(ffs);
    // Clears ListBox2 and rewrites alfa and ffs from its own results; Vb, Fb
    // and E3dB keep the alignment's values.
    SimulateVentedResponse(dp);
}

// The box figures of a formula alignment.
struct FormulaBox {
    double qts, vas, fs;
    double vb, fb, f3, dbPeak;
};

// dBpeak of both formula alignments: 20 log((Vas/Vb)^0.3 x Qts x 2.5).
double DbPeak(double vas, double vb, double qts) {
    return mul(20.0, fp::log10(mul(mul(fp::pow(div(vas, vb), 0.3), qts), 2.5)));
}

FormulaBox FlatBox(const DesignParameters &dp) {
    FormulaBox b{};
    b.qts = dp.GetQts();
    b.vas = dp.GetVas();
    b.fs = dp.GetFs();
    b.vb = mul(mul(20.0, fp::pow(b.qts, 3.3)), b.vas);
    b.fb = mul(fp::pow(div(b.vas, b.vb), 0.31), b.fs);
    b.f3 = mul(fp::pow(div(b.vas, b.vb), 0.44), b.fs);
    b.dbPeak = DbPeak(b.vas, b.vb, b.qts);
    return b;
}

FormulaBox IdealBox(const DesignParameters &dp) {
    FormulaBox b{};
    b.qts = dp.GetQts();
    b.vas = dp.GetVas();
    b.fs = dp.GetFs();
    b.vb = mul(mul(15.0, fp::pow(b.qts, 2.87)), b.vas);
    b.fb = mul(mul(0.42, b.fs), fp::pow(b.qts, -0.9));
    b.f3 = mul(mul(0.26, b.fs), fp::pow(b.qts, -1.4));
    b.dbPeak = DbPeak(b.vas, b.vb, b.qts);
    return b;
}

void ListFormulaBox(DesignParameters &dp, const FormulaBox &b) {
    dp.clearLines("ListBox2");
    dp.addLine("ListBox2", QStringLiteral("dBpeak: ") + FormatFieldValue(b.dbPeak));
    dp.addLine("ListBox2", QStringLiteral("Vb: ") + FormatFieldValue(b.vb));
    dp.addLine("ListBox2", QStringLiteral("Fb: ") + FormatFieldValue(b.fb));
    dp.addLine("ListBox2", QStringLiteral("F3dB: ") + FormatFieldValue(b.f3));
}

// What both formula alignments do once the box is known.
void WriteFormulaBox(DesignParameters &dp, const PlotRepaint &repaint, const FormulaBox &b) {
    ListFormulaBox(dp, b);
    dp.SetVb(b.vb);
    dp.SetFb(b.fb);
    ComputeVentedModelResponse(b.fs, b.fb, b.qts, b.vas, b.vb);
    dp.SetAlfa(div(b.vas, b.vb));
    dp.SetFfs(div(b.f3, b.fs));
    ComputePowerFigures(dp);
    Repaint(repaint);
    ComputeVent(dp);
}

// Clears QuietSimulation when the search ends, however it ends.
class QuietSearch {
public:
    QuietSearch() { QuietSimulation = true; }
    ~QuietSearch() { QuietSimulation = false; }
    QuietSearch(const QuietSearch &) = delete;
    QuietSearch &operator=(const QuietSearch &) = delete;
};

} // namespace

void ComputeSBB4Alignment(DesignParameters &dp, const PlotRepaint &repaint) {
    ComputeTableAlignment(dp, repaint, SBB4Table, true,
                          QStringLiteral("Can't calculate SBB4 alignment"));
}

// The fall-back names the alignment that could not be computed, SC4 here.
void ComputeSC4Alignment(DesignParameters &dp, const PlotRepaint &repaint) {
    ComputeTableAlignment(dp, repaint, SC4Table, false,
                          QStringLiteral("Can't calculate SC4 alignment"));
}

void ComputeFlatAlignment(DesignParameters &dp, const PlotRepaint &repaint) {
    const FormulaBox b = FlatBox(dp);
    dp.Set3dB(b.f3);
    WriteFormulaBox(dp, repaint, b);
}

void ComputeIdealAlignment(DesignParameters &dp, const PlotRepaint &repaint) {
    // E3dB keeps the F3 of whatever wrote it last, and so do the power figures.
    WriteFormulaBox(dp, repaint, IdealBox(dp));
}

void ComputeVentedModelResponse(double fs, double fb, double qts, double vas, double vb) {
    using fp::add;
    using fp::sub;
    const double h = div(fb, fs);
    const double alfa = div(vas, vb);
    const double h2 = fp::ipow(h, 2);
    const double c1 = add(div(h2, qts), div(h, BoxLoss));
    const double c2 = add(add(add(1.0, h2), alfa), div(h, mul(BoxLoss, qts)));
    const double c3 = add(div(1.0, qts), div(h, BoxLoss));
    double f = FirstHz;
    for (int hz = FirstHz; hz <= LastHz; ++hz, f += 1.0) {
        const double x = div(f, fs);
        const double x2 = fp::ipow(x, 2);
        const double real = add(sub(fp::ipow(x, 4), mul(c2, x2)), h2);
        const double imag = sub(mul(c3, x2), c1);
        const double magnitude = add(fp::ipow(real, 2), mul(x2, fp::ipow(imag, 2)));
        SystemResponse[hz] = mul(10.0, fp::log10(div(fp::ipow(x, 8), magnitude)));
    }
}

void OptimizeForSubwoofer(DesignParameters &dp) {
    dp.clearLines("ListBox2");
    const double targetFb = dp.number("ETargetFb");
    const double targetLevel = dp.number("ETargetDbmag");
    dp.SetFb(targetFb);
    // The smallest whole-litre box whose level at 20 Hz reaches the target;
    // without one the search ends at 300 litres.
    for (int vb = 10; vb <= 300; ++vb) {
        dp.SetVb(vb);
        SimulateVentedResponse(dp);
        if (SystemResponse[20] >= targetLevel)
            break;
    }
}

void RunSubwooferOptimizer(DesignParameters &dp) {
    {
        const QuietSearch quiet;
        OptimizeForSubwoofer(dp);
    }
    SimulateVentedResponse(dp);
}

} // namespace dravik
