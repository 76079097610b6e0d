#pragma once

#include "FieldStore.h"
#include "ImpedanceFit.h"

#include <QString>

#include <map>
#include <optional>
#include <vector>

namespace dravik {

// The rules of the Measure Driver window, without the window: what "Fit"
// makes of the loaded measurements and the typed figures, and what "Use
// these parameters" writes into the Driver page.

struct MeasureInputs {
    std::optional<ImpedanceCurve> freeAir, addedMass1, addedMass2, testBox;
    // As typed: grams, grams, litres, ohms, cm^2 and mm. An empty field, or
    // one that is not a number above 0, is not given.
    QString addedMass1Grams, addedMass2Grams, testBoxLitres, dcResistance, sdCm2,
        effectiveDiameterMm;
    // The coil models tried (the best kept), the creep fitted or held at 0,
    // and the band fitted in Hz (empty: the whole file).
    CoilModels models = CoilModels::Auto();
    bool fitCreep = true;
    QString fitFromHz, fitToHz;
};

// One read-only field of the results, in the order the window shows them.
struct ResultField {
    const char *name;    // object name
    const char *caption; // with its unit
};
const std::vector<ResultField> &ClassicResultFields();
const std::vector<ResultField> &FitResultFields();
const std::vector<ResultField> &MechanicalResultFields();

// What "Use these parameters" writes: the figures of the free-air fit, Vas
// where Sd and an added mass or a test box gave it, Sd where it was typed.
struct MeasuredDriver {
    double fs = 0, qes = 0, qms = 0, qts = 0, re = 0, leMh = 0;
    std::optional<double> vasLitres, effectiveDiameterMm;
    // The fitted coil model with its terms, Le, and the creep, as the
    // design charts take them.
    DriverParameters coilAndCreep;
};

struct MeasureReport {
    QString status;                       // one or two sentences
    std::map<QString, QString> fields;    // result texts by object name; others empty
    std::optional<MeasuredDriver> driver; // nothing when no parameters came out
    std::optional<ElectricalModel> freeAirFit;
    // Why "Use these parameters" refuses the figures shown: a fit that does
    // not describe a driver. Empty when nothing was refused.
    QString refusal;
};

inline const char *const NoFreeAirSentence = "Open the free-air measurement first.";
inline const char *const NothingToUseSentence = "Fit the measurements first.";

// Sd in m^2 from the typed cm^2, or else from the typed effective diameter.
std::optional<double> SdFromInputs(const QString &sdCm2, const QString &effectiveDiameterMm);

MeasureReport FitMeasurements(const MeasureInputs &inputs);

// Raises DravikError naming the first figure the Driver page cannot take:
// one that is not a number, or not above 0 as its field shows it (1e300 l
// of Vas reads INF, 5e-324 reads 0.00). Every written figure goes through it.
void CheckDriverFields(const MeasuredDriver &driver);

// Writes the measured figures into the Driver page's fields, as typing
// would: Fs, Qes, Qms, Qts, Re, and Vas and the effective piston diameter
// where they are known. Nothing else changes; nothing at all when
// CheckDriverFields refuses a figure.
void WriteDriverFields(FieldStore &main, const MeasuredDriver &driver);

// The texts the fields get, as the rest of the program writes its figures.
QString FrequencyText(double hz);
QString QualityText(double q);
QString ResistanceText(double ohm);
QString InductanceText(double mh);

} // namespace dravik
