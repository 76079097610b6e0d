#include "FieldTable.h"

namespace dravik {

const std::vector<FieldSpec> &mainWindowFields() {
    static const std::vector<FieldSpec> fields = {
        // File page
        {"EDesignFilePath", "EDesignFilePath", false},
        {"EDesignFile", "EDesignFile", false},
        // Driver page, "Thiele-Small Parameters"
        {"EManufacturer", "Fane", false},
        {"EModel", "Colossus 18 XB", false},
        {"EComments", "18 inch high power subwoofer", false},
        {"EDiam", "485", false},
        {"EImpedance", "8", false},
        {"ESens", "100", false},
        {"EEffPDiam", "457", false},
        {"EMaxExcursionBeforeDamage", "?", false},
        {"EMinImpedance", "?", false},
        {"EMagnetW", "3.6", false},
        {"EBl", "41", false},
        {"EVd", "1.4", false},
        {"ERecommendedEnclType", "100-250 l, folded horn bins, tuned reflex or infinite baffle",
         false},
        {"EOtherInformation", "", false},
        {"EFs", "32.9", false},
        {"ERe", "6.5", false},
        {"EQts", "0.38", false},
        {"EQms", "2.28", false},
        {"EQes", "0.46", false},
        {"EVas", "226", false},
        {"EXmax", "14.3", false},
        {"EPEmax", "600", false},
        {"ECms", "1.23", false},
        {"EMms", "190", false},
        {"ERms", "17.18", false},
        {"EWeight", "14.29", false},
        {"EConeMaterial", "Ribbed paper / plasticised cloth", false},
        {"EPictureFile", "<no_picture>", false},
        {"ECalcSens", "ECalcSens", false},
        // Box page
        {"EVb", "240", false},
        {"EFb", "22", false},
        {"ETargetFb", "22", false},
        {"ETargetDbmag", "-9", false},
        {"ENumOfDrivers", "1", false},
        {"ESVb", "220", false},
        {"ESQtot", "0.6", false},
        {"ETargetF3", "30", false},
        {"ESFr", "0", true},
        {"ELastGenerated", "ELastGenerated", true},
        {"EWizard1", "EWizard1", true},
        // Vent page
        {"ENumOfVents", "1", false},
        {"EMinVentArea", "0", true},
        {"EVb_Vent_PG", "0", false},
        {"EVentDiam", "152", false},
        {"EVent_k", "0.79", false},
        {"EVentMaterialThickness", "1", false},
        {"EVentWidth", "150", false},
        {"EVentHeight", "100", false},
        {"EVentLength", "0", true},
        {"ECalcVentArea", "0", true},
        {"ECalcVentInnerVolume", "0", true},
        {"ECalcVentOuterVolume", "0", true},
        // Crossover page (no code reads these)
        {"Edit36", "ECrossoverOrder", false},
        {"Edit37", "EFltCutoffFreq", false},
        {"Edit38", "EFltRipple", false},
        {"Edit32", "ECrossFile1", false},
        {"Edit33", "ECrossFile2", false},
        {"Edit34", "ECrossFile3", false},
        {"Edit35", "ECrossFile4", false},
        // Analysis page, "Box Analyzer"
        {"EAlfa", "EAlfa", false},
        {"Effs", "Effs", false},
        {"ESd", "ESd", false},
        {"EPeakSPL", "EPeakSPL", false},
        {"EPar", "EPar", false},
        {"EPer", "EPer", false},
        {"ESPL", "ESPL", false},
        {"ESPL100W", "ESPL100W", false},
        {"E3dB", "E3dB", false},
        {"ERecPwr", "ERecPwr", false},
        {"ERecPwrResult", "ERecPwrResult", false},
        {"EdBmag25", "EdBmag25", false},
        {"ESPLRef", "ESPLRef", false},
        // Part list page
        {"EFinalVb", "0", false},
        {"EMaterialThickness", "25", false},
        {"EMinMaterialThickness", "19", true},
        {"EFrontWidth", "650", false},
        {"EFrontHeight", "700", false},
        {"EBracing", "10", false},
        {"ECalcFrontWidth", "0", true},
        {"ECalcFrontHeight", "0", true},
        {"ECalcTBWidth", "0", true},
        {"ECalcTBHeight", "0", true},
        {"ECalcSideWidth", "0", true},
        {"ECalcSideHeight", "0", true},
        {"E_OW", "0", true},
        {"E_OH", "0", true},
        {"E_OL", "0", true},
        {"EQty1", "2", false},
        {"EQty2", "2", true},
        {"EQty3", "2", false},
        // Part list page, "Enclosure Dimension Calculator 2"
        {"ERatioL", "1", false},
        {"ERatioW", "0.75", false},
        {"ERatioH", "0.7", false},
        {"EWoodThickness", "25", false},
        {"EVb2", "250", false},
        {"ELength", "0", true},
        {"EWidth", "0", true},
        {"EHeight", "0", true},
        {"EEstimatedWeight", "0.0", true},
    };
    return fields;
}

const std::vector<const char *> &mainWindowLists() {
    static const std::vector<const char *> lists = {
        "ListBox2",    "LVent",       "ListBox1",    "Datapoints1", "Datapoints2",
        "Datapoints3", "Datapoints4", "Datapoints5", "ListBox4",
    };
    return lists;
}

const std::vector<CheckSpec> &mainWindowChecks() {
    static const std::vector<CheckSpec> checks = {
        {"ChkCrossEnabled", true},  {"CrossFile1Check", false}, {"CrossFile2Check", false},
        {"CrossFile3Check", false}, {"CrossFile4Check", false}, {"EnableAcoustics", false},
    };
    return checks;
}

} // namespace dravik
