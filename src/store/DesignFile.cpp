#include "DesignFile.h"

#include "CrossoverArrays.h"
#include "Fp.h"
#include "NumberText.h"
#include "Product.h"
#include "ResponseArrays.h"
#include "TextFile.h"

#include <QFileInfo>

#include <array>
#include <vector>

namespace dravik {

namespace {

constexpr size_t SectionPairs = 1001; // 0 to 1000 Hz

enum class Kind { Text, Field, CrossoverSection, ResponseSection, NoticeLine };

struct Line {
    Kind kind;
    const char *text = nullptr; // a line of its own
    Field field = Field::EVb;   // a field's text
};

constexpr Line T(const char *text) {
    return {Kind::Text, text, Field::EVb};
}
constexpr Line F(Field field) {
    return {Kind::Field, nullptr, field};
}

// The file from top to bottom; a section stands for its 1001 pairs of lines.
constexpr std::array Layout = {
    T("$ Dravik subwoofer design file"),
    Line{Kind::NoticeLine},
    T("<begin_dgn_file>"),
    T("$$$$$$$$$$$$$$$$"),
    T("<begin_file_page>"),
    F(Field::EDesignFilePath),
    F(Field::EDesignFile),
    T("<end_file_page>"),
    T("<begin_element>"),
    T("/* Element data */"),
    F(Field::EManufacturer),
    F(Field::EModel),
    F(Field::EComments),
    T("/* Elements Thiele-Small parameters */"),
    T("/* Most common parameters */"),
    T("$"),
    T("/* Qts */"),
    F(Field::EQts),
    T("/* Qms */"),
    F(Field::EQms),
    T("/* Qes */"),
    F(Field::EQes),
    T("/* Vas */"),
    F(Field::EVas),
    T("/* Fs */"),
    F(Field::EFs),
    T("/* Xmax */"),
    F(Field::EXmax),
    T("/* Diameter */"),
    F(Field::EDiam),
    T("/* Power rating */"),
    F(Field::EPEmax),
    F(Field::ERe),
    F(Field::ESens),
    T("/* Impedance */"),
    F(Field::EImpedance),
    T("/* Extra parameters */"),
    F(Field::EEffPDiam),
    F(Field::EMaxExcursionBeforeDamage),
    F(Field::EMinImpedance),
    F(Field::EMagnetW),
    T("/* BL */"),
    F(Field::EBl),
    F(Field::EVd),
    F(Field::ECms),
    F(Field::EMms),
    F(Field::ERms),
    F(Field::EWeight),
    T("/* Other information and recommendations */"),
    T("/* Cone material */"),
    F(Field::EConeMaterial),
    T("/* Recommended enclosure type and size */"),
    F(Field::ERecommendedEnclType),
    F(Field::EPictureFile),
    F(Field::EOtherInformation),
    T("/* Calculated reference sensitivity */"),
    F(Field::ECalcSens),
    T("<end_element>"),
    T("<begin_box>"),
    T("/* Number of drivers */"),
    F(Field::ENumOfDrivers),
    T("/* Vented box parameters */"),
    T("// Vb"),
    F(Field::EVb),
    T("// Fb"),
    F(Field::EFb),
    T("/* Sealed box parameters */"),
    F(Field::ESVb),
    F(Field::ESQtot),
    F(Field::ETargetF3),
    F(Field::ESFr),
    T("/* Last generated info box */"),
    F(Field::ELastGenerated),
    T(" <begin_vent>"),
    T("// Number of vents"),
    F(Field::ENumOfVents),
    F(Field::EMinVentArea),
    T("/* Tubular vent(s) */"),
    T("// Vent diameter"),
    F(Field::EVentDiam),
    F(Field::EVent_k),
    T("/* Rectangular vent(s) */"),
    F(Field::EVentWidth),
    F(Field::EVentHeight),
    T("/* Calculated vent length */"),
    F(Field::EVentLength),
    T(" <end_vent>"),
    T("<end_box>"),
    T("<begin_others>"),
    T(" <begin_crossover>"),
    T(" $"),
    T(" /* Crossovers frequency response (long) */"),
    T(" <%BEGIN_CROSSOVER_FREQUENCY_RESPONSE%>"),
    Line{Kind::CrossoverSection},
    T(" <%END_CROSSOVER_FREQUENCY_RESPONSE%>"),
    T(" $"),
    T(" <end_crossover>"),
    T(" <begin_analysis>"),
    F(Field::EAlfa),
    F(Field::Effs),
    T("/* Sd */"),
    F(Field::ESd),
    F(Field::EPeakSPL),
    F(Field::EPar),
    F(Field::EPer),
    F(Field::ESPL),
    T("/* SPL 100 W */"),
    F(Field::ESPL100W),
    T("/* -3 dB point */"),
    F(Field::E3dB),
    T("/* Recommended maximum power */"),
    F(Field::ERecPwr),
    T("/* Recommended power results (dB) */"),
    F(Field::ERecPwrResult),
    T("/* dBmag 25 Hz */"),
    F(Field::EdBmag25),
    T("/* Reference SPL Sensitivity */"),
    F(Field::ESPLRef),
    T("  $"),
    T("  /* Frequency response plot (long) */"),
    T("  <%BEGIN_FREQUENCY_RESPONSE_PLOT%>"),
    Line{Kind::ResponseSection},
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

void writeLine(TextWriter &out, const Line &line, const FieldStore &main, const Responses &r,
               const Crossover &crossover) {
    switch (line.kind) {
    case Kind::Text:
        out.writeLine(line.text);
        break;
    case Kind::Field:
        out.writeLine(oneLine(main.text(line.field)));
        break;
    case Kind::NoticeLine:
        out.writeLine(QStringLiteral("$ DRAVIK ") + QString::fromLatin1(ProductNotice));
        break;
    case Kind::CrossoverSection:
        writeSection(out, crossover.CrossoverResponse);
        break;
    case Kind::ResponseSection:
        writeSection(out, r.SystemResponse);
        break;
    }
}

// What a line of a design file holds: the line itself, or the line a field's
// text went into. `number` counts from 1.
struct ReadLine {
    int number;
    QString text;
};

[[noreturn]] void refuse(const QString &why) {
    throw DravikError(QStringLiteral("This is not a Dravik design file: ") + why +
                      QLatin1Char('.'));
}

QString lineNumber(int number) {
    return FormatInteger(number);
}

// Checks one fixed line of the layout against the file.
void expectLine(const ReadLine &line, const QString &wanted) {
    if (line.text != wanted)
        refuse(QStringLiteral("line ") + lineNumber(line.number) +
               QStringLiteral(" should read \"") + wanted + QLatin1Char('"'));
}

} // namespace

SavedDesign ReadDesignFile(const QString &path) {
    checkFileName(path);
    TextReader in(path, DesignFileMaxLineBytes, DesignFileMaxBytes,
                  TextReader::LongLines::EndReading);
    if (QFileInfo(path).size() > DesignFileMaxBytes)
        refuse(QStringLiteral("it is larger than 16 MB"));

    // First the lines: their count and length, so that a file of another
    // kind is named for what it is before its contents are looked at.
    std::vector<QString> lines;
    lines.reserve(DesignFileLines);
    QString line;
    while (in.readLine(line)) {
        if (in.lineWasCut())
            refuse(QStringLiteral("line ") + lineNumber(int(lines.size()) + 1) +
                   QStringLiteral(" is longer than 128 KiB"));
        if (lines.size() == DesignFileLines)
            refuse(QStringLiteral("it has more than 4137 lines"));
        lines.push_back(line);
    }
    if (lines.size() != DesignFileLines)
        refuse(QStringLiteral("it has ") + FormatInteger(static_cast<long long>(lines.size())) +
               QStringLiteral(" lines, not 4137"));

    SavedDesign design;
    design.fileName = QFileInfo(path).fileName();
    size_t at = 0;
    const auto next = [&] {
        const int number = static_cast<int>(at) + 1;
        return ReadLine{number, lines[at++]};
    };
    for (const Line &l : Layout) {
        switch (l.kind) {
        case Kind::Text:
            expectLine(next(), QLatin1String(l.text));
            break;
        case Kind::Field: {
            const ReadLine r = next();
            design.texts[l.field] = r.text;
            break;
        }
        case Kind::NoticeLine: {
            const ReadLine r = next();
            if (!r.text.startsWith(QLatin1String("$ DRAVIK ")))
                refuse(QStringLiteral("line 2 should begin with \"$ DRAVIK\""));
            break;
        }
        case Kind::CrossoverSection:
        case Kind::ResponseSection:
            for (size_t j = 0; j < SectionPairs; ++j) {
                expectLine(next(), QStringLiteral("F:") + FormatInteger(static_cast<long long>(j)));
                next(); // the level, not needed
            }
            break;
        }
    }
    return design;
}

QString SavedDesign::text(Field field) const {
    const auto found = texts.find(field);
    return found == texts.end() ? QString() : found->second;
}

void WriteDesignFile(const FieldStore &main, const Responses &responses,
                     const Crossover &crossover) {
    const QString fileName = main.text(Field::EDesignFile);
    if (fileName.isEmpty())
        fail(EmptyDesignFileName);
    // Older versions wrote design files over in place where nothing could be
    // made beside them; users keep designs in such folders.
    TextWriter out(fileName, TextWriter::Mode::Safe, TextWriter::InPlace::Allowed);
    for (const Line &line : Layout)
        writeLine(out, line, main, responses, crossover);
    out.commit();
}

} // namespace dravik
