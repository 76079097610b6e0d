#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace dravik {

// The fields, list boxes and check boxes that the program's code reads or
// writes, each with the identifier the code names it by. These tables are
// the one place that ties an identifier to the Qt object name of its widget
// and to its start text: the windows build their widgets from them, and a
// misspelt name cannot get past the compiler.

// Every text field of the main window: identifier (= object name), start
// text, whether only code writes it.
#define DRAVIK_MAIN_WINDOW_FIELDS(X)                                                               \
    /* File page */                                                                                \
    X(EDesignFilePath, "EDesignFilePath", false)                                                   \
    X(EDesignFile, "EDesignFile", false)                                                           \
    /* Driver page, "Thiele-Small Parameters" */                                                   \
    X(EManufacturer, "Fane", false)                                                                \
    X(EModel, "Colossus 18 XB", false)                                                             \
    X(EComments, "18 inch high power subwoofer", false)                                            \
    X(EDiam, "485", false)                                                                         \
    X(EImpedance, "8", false)                                                                      \
    X(ESens, "100", false)                                                                         \
    X(EEffPDiam, "457", false)                                                                     \
    X(EMaxExcursionBeforeDamage, "?", false)                                                       \
    X(EMinImpedance, "?", false)                                                                   \
    X(EMagnetW, "3.6", false)                                                                      \
    X(EBl, "41", false)                                                                            \
    X(EVd, "1.4", false)                                                                           \
    X(ERecommendedEnclType, "100-250 l, folded horn bins, tuned reflex or infinite baffle", false) \
    X(EOtherInformation, "", false)                                                                \
    X(EFs, "32.9", false)                                                                          \
    X(ERe, "6.5", false)                                                                           \
    X(EQts, "0.38", false)                                                                         \
    X(EQms, "2.28", false)                                                                         \
    X(EQes, "0.46", false)                                                                         \
    X(EVas, "226", false)                                                                          \
    X(EXmax, "14.3", false)                                                                        \
    X(EPEmax, "600", false)                                                                        \
    X(ECms, "1.23", false)                                                                         \
    X(EMms, "190", false)                                                                          \
    X(ERms, "17.18", false)                                                                        \
    X(EWeight, "14.29", false)                                                                     \
    X(EConeMaterial, "Ribbed paper / plasticised cloth", false)                                    \
    X(EPictureFile, "<no_picture>", false)                                                         \
    X(ECalcSens, "ECalcSens", false)                                                               \
    /* Box page */                                                                                 \
    X(EVb, "240", false)                                                                           \
    X(EFb, "22", false)                                                                            \
    X(ETargetFb, "22", false)                                                                      \
    X(ETargetDbmag, "-9", false)                                                                   \
    X(ENumOfDrivers, "1", false)                                                                   \
    X(ESVb, "220", false)                                                                          \
    X(ESQtot, "0.6", false)                                                                        \
    X(ETargetF3, "30", false)                                                                      \
    X(ESFr, "0", true)                                                                             \
    X(ELastGenerated, "ELastGenerated", true)                                                      \
    X(EWizard1, "EWizard1", true)                                                                  \
    /* Vent page */                                                                                \
    X(ENumOfVents, "1", false)                                                                     \
    X(EMinVentArea, "0", true)                                                                     \
    X(EVb_Vent_PG, "0", false)                                                                     \
    X(EVentDiam, "152", false)                                                                     \
    X(EVent_k, "0.79", false)                                                                      \
    X(EVentMaterialThickness, "1", false)                                                          \
    X(EVentWidth, "150", false)                                                                    \
    X(EVentHeight, "100", false)                                                                   \
    X(EVentLength, "0", true)                                                                      \
    X(ECalcVentArea, "0", true)                                                                    \
    X(ECalcVentInnerVolume, "0", true)                                                             \
    X(ECalcVentOuterVolume, "0", true)                                                             \
    /* Crossover page (no code reads these) */                                                     \
    X(Edit36, "ECrossoverOrder", false)                                                            \
    X(Edit37, "EFltCutoffFreq", false)                                                             \
    X(Edit38, "EFltRipple", false)                                                                 \
    X(Edit32, "ECrossFile1", false)                                                                \
    X(Edit33, "ECrossFile2", false)                                                                \
    X(Edit34, "ECrossFile3", false)                                                                \
    X(Edit35, "ECrossFile4", false)                                                                \
    /* Analysis page, "Box Analyzer" */                                                            \
    X(EAlfa, "EAlfa", false)                                                                       \
    X(Effs, "Effs", false)                                                                         \
    X(ESd, "ESd", false)                                                                           \
    X(EPeakSPL, "EPeakSPL", false)                                                                 \
    X(EPar, "EPar", false)                                                                         \
    X(EPer, "EPer", false)                                                                         \
    X(ESPL, "ESPL", false)                                                                         \
    X(ESPL100W, "ESPL100W", false)                                                                 \
    X(E3dB, "E3dB", false)                                                                         \
    X(ERecPwr, "ERecPwr", false)                                                                   \
    X(ERecPwrResult, "ERecPwrResult", false)                                                       \
    X(EdBmag25, "EdBmag25", false)                                                                 \
    X(ESPLRef, "ESPLRef", false)                                                                   \
    /* Part list page */                                                                           \
    X(EFinalVb, "0", false)                                                                        \
    X(EMaterialThickness, "25", false)                                                             \
    X(EMinMaterialThickness, "19", true)                                                           \
    X(EFrontWidth, "650", false)                                                                   \
    X(EFrontHeight, "700", false)                                                                  \
    X(EBracing, "10", false)                                                                       \
    X(ECalcFrontWidth, "0", true)                                                                  \
    X(ECalcFrontHeight, "0", true)                                                                 \
    X(ECalcTBWidth, "0", true)                                                                     \
    X(ECalcTBHeight, "0", true)                                                                    \
    X(ECalcSideWidth, "0", true)                                                                   \
    X(ECalcSideHeight, "0", true)                                                                  \
    X(E_OW, "0", true)                                                                             \
    X(E_OH, "0", true)                                                                             \
    X(E_OL, "0", true)                                                                             \
    X(EQty1, "2", false)                                                                           \
    X(EQty2, "2", true)                                                                            \
    X(EQty3, "2", false)                                                                           \
    /* Part list page, "Enclosure Dimension Calculator 2" */                                       \
    X(ERatioL, "1", false)                                                                         \
    X(ERatioW, "0.75", false)                                                                      \
    X(ERatioH, "0.7", false)                                                                       \
    X(EWoodThickness, "25", false)                                                                 \
    X(EVb2, "250", false)                                                                          \
    X(ELength, "0", true)                                                                          \
    X(EWidth, "0", true)                                                                           \
    X(EHeight, "0", true)                                                                          \
    X(EEstimatedWeight, "0.0", true)

// The list boxes of the main window (all start empty).
#define DRAVIK_MAIN_WINDOW_LISTS(X)                                                                \
    X(ListBox2)                                                                                    \
    X(LVent)                                                                                       \
    X(ListBox1)                                                                                    \
    X(Datapoints1) X(Datapoints2) X(Datapoints3) X(Datapoints4) X(Datapoints5) X(ListBox4)

// The check boxes of the main window with their start state.
#define DRAVIK_MAIN_WINDOW_CHECKS(X)                                                               \
    X(ChkCrossEnabled, true)                                                                       \
    X(CrossFile1Check, false)                                                                      \
    X(CrossFile2Check, false)                                                                      \
    X(CrossFile3Check, false)                                                                      \
    X(CrossFile4Check, false)                                                                      \
    X(EnableAcoustics, false)

// The text fields the code names. After those of the main window, the
// database dialog's index field (object "Edit1" of "GETDRIVERForm").
enum class Field {
#define DRAVIK_FIELD_ID(name, text, readOnly) name,
    DRAVIK_MAIN_WINDOW_FIELDS(DRAVIK_FIELD_ID)
#undef DRAVIK_FIELD_ID
        DatabaseIndex,
    Count
};

// The list boxes: the main window's, then the database dialog's list of
// drivers ("ListBox1") and their comments ("ListBox2").
enum class List {
#define DRAVIK_LIST_ID(name) name,
    DRAVIK_MAIN_WINDOW_LISTS(DRAVIK_LIST_ID)
#undef DRAVIK_LIST_ID
        DriverEntries,
    DriverComments,
    Count
};

enum class Check {
#define DRAVIK_CHECK_ID(name, checked) name,
    DRAVIK_MAIN_WINDOW_CHECKS(DRAVIK_CHECK_ID)
#undef DRAVIK_CHECK_ID
        Count
};

// The windows whose fields the code reaches.
enum class Window { Main, Database };

struct FieldSpec {
    Field id;
    const char *name; // the widget's object name
    const char *defaultText;
    bool readOnly;
    Window window;
};
struct ListSpec {
    List id;
    const char *name;
    Window window;
};
struct CheckSpec {
    Check id;
    const char *name;
    bool checked;
};

const FieldSpec &tableEntry(Field field);
const ListSpec &tableEntry(List list);
const CheckSpec &tableEntry(Check check);

// Every text field of the main window with its start text, in table order.
const std::vector<FieldSpec> &mainWindowFields();
// The main window's field of a widget's object name ("EVb"), if it has one.
std::optional<Field> mainWindowField(const QString &objectName);
// The list boxes of the main window.
const std::vector<ListSpec> &mainWindowLists();
// The check boxes of the main window with their start state.
const std::vector<CheckSpec> &mainWindowChecks();

} // namespace dravik
