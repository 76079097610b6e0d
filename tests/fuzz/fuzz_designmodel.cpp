// Fuzz target: the design charts' model and its reader.
//
// The input is the design's field texts, one a line, in the order of
// InputFields below, then the input power's text. Both box kinds are
// computed. Checked:
// - a chart is either computed, every one of its curves holding a value per
//   frequency, or it lacks inputs, and then only inputs whose text is not a
//   positive number are named as lacking, and its sentence says so;
// - an input whose text is a positive number is never named as lacking;
// - the CSV export has its header and nine cells on every line, and never
//   writes "nan" or "inf".

#include "CurveFormats.h"
#include "DesignModel.h"
#include "DesignReader.h"
#include "FuzzSupport.h"
#include "MemoryFieldStore.h"
#include "NumberText.h"

#include <cmath>

using namespace dravik;
using dravik::fuzz::show;

namespace {

struct InputField {
    const char *name;
    ModelInput input;
    bool ventedOnly;
};
const InputField InputFields[] = {
    {"EFs", ModelInput::Fs, false},
    {"EQts", ModelInput::Qts, false},
    {"EQes", ModelInput::Qes, false},
    {"EQms", ModelInput::Qms, false},
    {"EVas", ModelInput::Vas, false},
    {"ERe", ModelInput::Re, false},
    {"EEffPDiam", ModelInput::Sd, false},
    {"EXmax", ModelInput::Xmax, false},
    {"EPEmax", ModelInput::PEmax, false},
    {"EVb", ModelInput::Vb, false},
    {"EFb", ModelInput::Fb, true},
    {"ENumOfVents", ModelInput::VentCount, true},
    {"EVentDiam", ModelInput::VentDiameter, true},
};

bool usable(const QString &text) {
    const double v = ParseFieldText(text);
    return std::isfinite(v) && v > 0.0;
}

std::vector<double> DesignCurves::*const AllCurves[] = {
    &DesignCurves::responseDb,         &DesignCurves::splDb,
    &DesignCurves::splPhaseDeg,        &DesignCurves::excursionMm,
    &DesignCurves::portVelocity,       &DesignCurves::impedanceOhm,
    &DesignCurves::impedancePhaseDeg,  &DesignCurves::groupDelayMs,
    &DesignCurves::excursionLimitW,    &DesignCurves::maxPowerW,
    &DesignCurves::maxSplDb,           &DesignCurves::thermalLimitSplDb,
    &DesignCurves::excursionLimitSplDb};

void checkKind(const test::MemoryFieldStore &store, BoxKind kind, const QString &powerText,
               const std::vector<double> &frequencies) {
    ModelInputs usableInputs = 0;
    for (const InputField &f : InputFields) {
        const QString text = store.text(QLatin1String(f.name));
        // A diameter whose area is beyond a double (or below it) is as good as none.
        const double v = ParseFieldText(text);
        const bool area = f.input != ModelInput::Sd || (v > 1e-150 && v < 1e150);
        if (usable(text) && area)
            usableInputs |= static_cast<ModelInputs>(f.input);
    }
    const double power = ParseFieldText(powerText);
    if (std::isfinite(power) && power > 0.0)
        usableInputs |= static_cast<ModelInputs>(ModelInput::Power);

    const DesignCurves c = ComputeDesignCurves(ReadDriverParameters(store),
                                               ReadBoxParameters(store, kind), power, frequencies);
    FUZZ_CHECK(c.frequencies == frequencies, "frequencies");
    for (int i = 0; i < ChartCount; ++i) {
        const auto chart = static_cast<Chart>(i);
        const ModelInputs lacks = c.lacks(chart);
        if (kind == BoxKind::Closed && chart == Chart::PortVelocity) {
            FUZZ_CHECK(lacks == static_cast<ModelInputs>(ModelInput::VentedBox), "closed vent");
            continue;
        }
        FUZZ_CHECK((lacks & usableInputs) == 0, "a usable input named as lacking");
        if (lacks != 0) {
            const QString sentence = MissingInputsSentence(chart, lacks);
            FUZZ_CHECK(sentence.startsWith(ChartTitle(chart) + QStringLiteral(" needs ")) &&
                           sentence.endsWith(QLatin1Char('.')),
                       show(sentence));
        }
    }
    for (auto curve : AllCurves) {
        const size_t n = (c.*curve).size();
        FUZZ_CHECK(n == 0 || n == frequencies.size(), "a curve of the wrong length");
    }
    const QStringList lines = ExportLines(ExportFormat::Csv, c, QString());
    FUZZ_CHECK(lines.size() == static_cast<qsizetype>(frequencies.size()) + 1, "CSV rows");
    for (const QString &line : lines) {
        FUZZ_CHECK(line.count(QLatin1Char(',')) == 8, show(line));
        FUZZ_CHECK(!line.contains(QLatin1String("nan")) && !line.contains(QLatin1String("inf")),
                   show(line));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::vector<QString> lines = fuzz::textLines(
        std::string_view(reinterpret_cast<const char *>(data), size), std::size(InputFields) + 1);
    test::MemoryFieldStore store;
    for (size_t i = 0; i < std::size(InputFields); ++i)
        if (i < lines.size())
            store.setText(QLatin1String(InputFields[i].name), lines[i]);
    const QString power = fuzz::lineOrEmpty(lines, std::size(InputFields));
    static const std::vector<double> frequencies = ChartFrequencies(ExportPointsPerOctave);
    checkKind(store, BoxKind::Vented, power, frequencies);
    checkKind(store, BoxKind::Closed, power, frequencies);
    return 0;
}
