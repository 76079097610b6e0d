#include "DesignFile.h"

#include "CrossoverArrays.h"
#include "Fp.h"
#include "NumberText.h"
#include "Product.h"
#include "ResponseArrays.h"
#include "TextFile.h"

#include <array>

namespace dravik {

namespace {

constexpr size_t SectionPairs = 1001; // 0 to 1000 Hz

enum class Kind { Text, Field, CrossoverSection, ResponseSection, NoticeLine };

struct Line {
    Kind kind;
    const char *text; // the line itself, or the field's name
};

constexpr Line T(const char *text) {
    return {Kind::Text, text};
}
constexpr Line F(const char *field) {
    return {Kind::Field, field};
}

// The file from top to bottom; a section stands for its 1001 pairs of lines.
constexpr std::array Layout = {
    T("$ Dravik subwoofer design file"),
    Line{Kind::NoticeLine, nullptr},
    T("<begin_dgn_file>"),
    T("$$$$$$$$$$$$$$$$"),
    T("<begin_file_page>"),
    F("EDesignFilePath"),
    F("EDesignFile"),
    T("<end_file_page>"),
    T("<begin_element>"),
    T("/* Element data */"),
    F("EManufacturer"),
    F("EModel"),
    F("EComments"),
    T("/* Elements Thiele-Small parameters */"),
    T("/* Most common parameters */"),
    T("$"),
    T("/* Qts */"),
    F("EQts"),
    T("/* Qms */"),
    F("EQms"),
    T("/* Qes */"),
    F("EQes"),
    T("/* Vas */"),
    F("EVas"),
    T("/* Fs */"),
    F("EFs"),
    T("/* Xmax */"),
    F("EXmax"),
    T("/* Diameter */"),
    F("EDiam"),
    T("/* Power rating */"),
    F("EPEmax"),
    F("ERe"),
    F("ESens"),
    T("/* Impedance */"),
    F("EImpedance"),
    T("/* Extra parameters */"),
    F("EEffPDiam"),
    F("EMaxExcursionBeforeDamage"),
    F("EMinImpedance"),
    F("EMagnetW"),
    T("/* BL */"),
    F("EBl"),
    F("EVd"),
    F("ECms"),
    F("EMms"),
    F("ERms"),
    F("EWeight"),
    T("/* Other information and recommendations */"),
    T("/* Cone material */"),
    F("EConeMaterial"),
    T("/* Recommended enclosure type and size */"),
    F("ERecommendedEnclType"),
    F("EPictureFile"),
    F("EOtherInformation"),
    T("/* Calculated reference sensitivity */"),
    F("ECalcSens"),
    T("<end_element>"),
    T("<begin_box>"),
    T("/* Number of drivers */"),
    F("ENumOfDrivers"),
    T("/* Vented box parameters */"),
    T("// Vb"),
    F("EVb"),
    T("// Fb"),
    F("EFb"),
    T("/* Sealed box parameters */"),
    F("ESVb"),
    F("ESQtot"),
    F("ETargetF3"),
    F("ESFr"),
    T("/* Last generated info box */"),
    F("ELastGenerated"),
    T(" <begin_vent>"),
    T("// Number of vents"),
    F("ENumOfVents"),
    F("EMinVentArea"),
    T("/* Tubular vent(s) */"),
    T("// Vent diameter"),
    F("EVentDiam"),
    F("EVent_k"),
    T("/* Rectangular vent(s) */"),
    F("EVentWidth"),
    F("EVentHeight"),
    T("/* Calculated vent length */"),
    F("EVentLength"),
    T(" <end_vent>"),
    T("<end_box>"),
    T("<begin_others>"),
    T(" <begin_crossover>"),
    T(" $"),
    T(" /* Crossovers frequency response (long) */"),
    T(" <%BEGIN_CROSSOVER_FREQUENCY_RESPONSE%>"),
    Line{Kind::CrossoverSection, nullptr},
    T(" <%END_CROSSOVER_FREQUENCY_RESPONSE%>"),
    T(" $"),
    T(" <end_crossover>"),
    T(" <begin_analysis>"),
    F("EAlfa"),
    F("Effs"),
    T("/* Sd */"),
    F("ESd"),
    F("EPeakSPL"),
    F("EPar"),
    F("EPer"),
    F("ESPL"),
    T("/* SPL 100 W */"),
    F("ESPL100W"),
    T("/* -3 dB point */"),
    F("E3dB"),
    T("/* Recommended maximum power */"),
    F("ERecPwr"),
    T("/* Recommended power results (dB) */"),
    F("ERecPwrResult"),
    T("/* dBmag 25 Hz */"),
    F("EdBmag25"),
    T("/* Reference SPL Sensitivity */"),
    F("ESPLRef"),
    T("  $"),
    T("  /* Frequency response plot (long) */"),
    T("  <%BEGIN_FREQUENCY_RESPONSE_PLOT%>"),
    Line{Kind::ResponseSection, nullptr},
    T("  <%END_FREQUENCY_RESPONSE_PLOT%>"),
    T("  $"),
    T(" <end_analysis>"),
    T(" <begin_part_list>"),
    T(" /* Box Dimensions */"),
    T(" <end_part_list>"),
    T(" <begin_other>"),
    T(" <end_other>"),
    T(" <begin_room_acoustics>"),
    T(" <end_room_acoustics>"),
    T("<end_others>"),
    T("<end_dgn_file>"),
    T("/* END OF FILE */"),
};

// "F:<hertz>" and the level with two decimals, for 0 to 1000 Hz.
template <typename Levels> void writeSection(TextWriter &out, const Levels &levels) {
    for (size_t j = 0; j < SectionPairs; ++j) {
        out.writeLine(QStringLiteral("F:") + FormatInteger(static_cast<long long>(j)));
        out.writeLine(FormatFieldValue(levels[j]));
    }
}

void writeLine(TextWriter &out, const Line &line, const FieldStore &main) {
    switch (line.kind) {
    case Kind::Text:
        out.writeLine(line.text);
        break;
    case Kind::Field:
        out.writeLine(oneLine(main.text(QLatin1String(line.text))));
        break;
    case Kind::NoticeLine:
        out.writeLine(QStringLiteral("$ DRAVIK ") + QString::fromLatin1(ProductNotice));
        break;
    case Kind::CrossoverSection:
        writeSection(out, CrossoverResponse);
        break;
    case Kind::ResponseSection:
        writeSection(out, SystemResponse);
        break;
    }
}

} // namespace

void WriteDesignFile(const FieldStore &main) {
    const QString fileName = main.text(QStringLiteral("EDesignFile"));
    if (fileName.isEmpty())
        fail(EmptyDesignFileName);
    TextWriter out(fileName);
    for (const Line &line : Layout)
        writeLine(out, line, main);
    out.commit();
}

} // namespace dravik
