#pragma once

#include "CurveFormats.h"
#include "DesignModel.h"
#include "DesignReader.h"
#include "DesignSetup.h"
#include "Enclosures.h"
#include "FieldTable.h"
#include "Overlays.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace dravik {

// What the charts window's own controls hold, as the presenter reads them:
// the texts of its fields by object name, and its choices.
struct WindowControls {
    std::function<QString(const char *objectName)> text;
    BoxKind kind = BoxKind::Vented;
    Mounting mounting = Mounting::Normal;
    Wiring wiring = Wiring::Parallel;
    VoiceCoils coils;
    CoilJoin coilJoin = CoilJoin::Series;
    InductanceModel coilModel = InductanceModel::Plain;
    DriveParameters::Given drive = DriveParameters::Given::Power;
    bool airFromConditions = false;
    SpaceKind space = SpaceKind::HalfSpace;
    bool cabinCornerFromLength = false;
    bool ventsAsDucts = false;
    // A line's or a horn's path as the window's path editor holds it.
    std::vector<PathSegment> segments;
    Mouth mouth = Mouth::BaffledPiston;
    std::vector<FilterStage> filters; // the chain as the window lists it
};

// The window's own fields beyond the table of inputs: the drivers, the air,
// and the helpers' fields, which are no part of the design.
namespace control {
inline constexpr const char *DriverCount = "EDriverCount";
inline constexpr const char *AirDensity = "EAirDensity";
inline constexpr const char *SoundSpeed = "ESoundSpeed";
inline constexpr const char *Temperature = "ETemperature";
inline constexpr const char *Pressure = "EPressure";
inline constexpr const char *Humidity = "EHumidity";
inline constexpr const char *VentWarning = "EVentWarning";
inline constexpr const char *RadiatorTuning = "EPrTuning";
inline constexpr const char *BandpassS = "EBp4S";
inline constexpr const char *BandpassGain = "EBp4Gain";
inline constexpr const char *PlacementLow = "EPlacementLow";
inline constexpr const char *PlacementHigh = "EPlacementHigh";
} // namespace control

// The choices of a dual-coil driver: the wiring of its two coils that its
// figures are given for, and how its coils are joined; each with the one
// the window starts with.
struct CoilChoice {
    const char *objectName;
    const char *caption;
    std::optional<CoilsGivenFor> givenFor; // a choice of the first row
    std::optional<CoilJoin> join;          // or of the second
    bool checkedFirst;
};
const std::vector<CoilChoice> &CoilChoices();
const char *CoilsGivenForChoiceName(CoilsGivenFor givenFor);
const char *CoilJoinChoiceName(CoilJoin join);
const char *WiringChoiceName(Wiring wiring);

// The voice-coil models the window offers, in the order of InductanceModel.
struct CoilModelChoice {
    const char *objectName;
    const char *caption;
    InductanceModel model;
};
const std::vector<CoilModelChoice> &CoilModelChoices();
const char *CoilModelChoiceName(InductanceModel model);

// The texts of the window's fields that a driver's voice coil and creep
// fill, in the design's own units: its model's terms, Le where the model has
// a series Le, and lambda. What "Use these parameters" of a measurement
// writes.
std::vector<std::pair<QString, QString>> VoiceCoilTexts(const DriverParameters &driver);

// The drive voltage the window starts with, V RMS.
inline constexpr double StartingDriveVoltage = 20.0;
// The band the room's placement grid starts with, Hz: where a room's modes
// are heard most.
inline constexpr double StartingPlacementLowHz = 30.0;
inline constexpr double StartingPlacementHighHz = 80.0;

// The text each of the window's own fields starts with, where it has one:
// the program's own design's (its air, one driver, no inductance or source
// resistance), the drive voltage, the vent warning, and the helpers' usual
// figures. Fields of no text here start empty.
QString WindowStartText(const QString &field);

// Where the window's design comes from: the main window's fields, or the
// setup file opened last (until the next command of the main window).
enum class DesignSource { MainWindow, SetupFile };

// The rules of the design charts window, apart from its widgets: what the
// design is, when the power follows the drivers' rating, when the curves
// and the overlays are computed anew, what the overlay commands, the box
// helpers and the room's placement grid do. It tells the window by signals:
// the texts its fields take, its notices, and when the overlays change.
class ChartsPresenter : public QObject {
    Q_OBJECT
public:
    explicit ChartsPresenter(QObject *parent = nullptr) : QObject(parent) {}

    // The frequencies every curve is computed at.
    static const std::vector<double> &Frequencies();

    // The units the window shows its fields and read-outs in. Switching
    // shows every field in the new units; the design keeps its numbers
    // exactly, so a switch back shows what was typed.
    UnitSystem units() const { return units_; }
    void setUnits(UnitSystem system, const std::function<QString(const char *field)> &text);
    // A field's number as the design holds it: typed in the units shown.
    std::optional<double> ownValue(const QString &field, const QString &text) const;
    // Texts of fields in the design's own units (a setup's, a helper's
    // answer, a starting box) as the window shows them.
    std::vector<std::pair<QString, QString>>
    inShownUnits(std::vector<std::pair<QString, QString>> ownTexts);
    QString shownText(const QString &field, const QString &ownText);

    // The design the window shows: its base (the main window's fields, or
    // the setup file) with the window's own fields on top.
    DesignSetup design(const std::function<QString(Field)> &mainFields,
                       const WindowControls &controls) const;

    // A main window command has finished: the design is the main window's.
    void mainWindowCommandFinished() { file_.reset(); }
    // A setup file becomes the window's design.
    void openSetup(const DesignSetup &setup, const QString &fileName);
    DesignSource source() const {
        return file_ ? DesignSource::SetupFile : DesignSource::MainWindow;
    }
    // One line that says where the design comes from.
    QString sourceText() const;

    // The power follows the drivers' rated power (n x PEmax) until the user
    // types one of their own: a text other than the one last followed.
    // Returns the text the power field is to show.
    QString followRatedPower(const QString &shown, const DesignSetup &design);

    // Computes the curves when the design or the warning differs from what
    // was computed last (or after forget()); true when it did. Everything on
    // the charts is at the drive shown: the overlays follow it.
    bool update(const DesignSetup &design, const QString &warningText);
    void forget() { shown_.reset(); }
    const DesignCurves &curves() const { return curves_; }
    const std::optional<DesignSetup> &shown() const { return shown_; }

    const OverlaySet &overlays() const { return overlays_; }
    int overlayGeneration() const { return overlayGeneration_; }
    // Adds a design to the overlays at the drive shown; the sentence of the
    // overlay that had to go, if one did, is the overlay notice.
    QString addOverlay(const QString &title, const DesignSetup &setup);
    // A setup file's design, titled by the file and its label or driver.
    void addSetupOverlay(const QString &fileName, const DesignSetup &setup);
    // A design file's fields (the main window's: a vented or a closed box
    // of one driver), in the kind shown when it is one of those two.
    void addDesignOverlay(const QString &fileName, const FieldText &fields, BoxKind shownKind);
    void removeOverlay(int row);
    void setOverlayVisible(int row, bool visible);
    void toggleOverlay(int row);
    void clearOverlays();

    // The passive radiator's helper: the added mass that tunes the box to
    // the tuning typed, into its field, with a word where the answer is
    // odd; a tuning out of reach is refused, naming the highest one.
    void tuneRadiators(const DesignSetup &design, const QString &tuningText);
    // The 4th-order bandpass helper: the box of the closed forms for the S
    // and the gain typed, into its fields.
    void designBandpass(const DesignSetup &design, const QString &sText, const QString &gainText);
    // "Use net volume": the net volume of the box as built becomes the
    // design's box volume (for a bandpass box the rear chamber takes what
    // the front one leaves). A window field takes it by fieldTextChanged; a
    // setup file's design takes it in place; the main window's Vb is
    // returned as the field and text to write there. Refused when the box
    // cannot be built.
    std::optional<std::pair<QString, QString>> useNetVolume(const DesignSetup &design);
    // Puts the box of the design shown at a place of its room's grid (0
    // front left to 8 back right); false where there is no room to place
    // it in.
    bool placeBox(int position);

signals:
    // A field of the window takes a text.
    void fieldTextChanged(const QString &field, const QString &text);
    void helperNoticeChanged(const QString &text);
    void overlayNoticeChanged(const QString &text);
    // The overlays were added to, removed, shown or hidden.
    void overlaysChanged();

private:
    void changeOverlays(const QString &notice);
    // A field's text as last shown by a switch of units or a conversion,
    // with the design's number it stands for: a text left as it was keeps
    // that number exactly, without the rounding of its digits.
    struct ShownValue {
        QString text;
        double own;
    };
    UnitSystem units_ = UnitSystem::Metric;
    std::map<QString, ShownValue> shownValues_;
    std::optional<std::pair<DesignSetup, QString>> file_;
    std::optional<DesignSetup> shown_;
    QString shownWarning_;
    QString followedPower_;
    DesignCurves curves_;
    OverlaySet overlays_;
    int overlayGeneration_ = 0;
};

// What a field of the window measures, where its number has a unit that
// differs between the systems of units; Quantity::None for the others.
Quantity FieldQuantity(const QString &field);
// A caption of the table's rows in a system of units: "Box volume (ft^3):".
QString FieldCaption(const InputRow &row, UnitSystem system);

// The texts the window's own fields take for a design: its kind's fields,
// the losses, the drive, Le, the drivers and the air.
std::vector<std::pair<QString, QString>> ControlTexts(const DesignSetup &setup);

// Sensible starting values of a kind's own fields for the current design:
// a radiator like the driver tuned to the main window's Fb, a bandpass box
// from the closed forms, and so on.
std::vector<std::pair<QString, QString>> StartingTexts(BoxKind kind, const DesignSetup &current);
// A line's or a horn's starting path for the current driver; none for a
// kind without one.
std::optional<BoxParameters> StartingBox(BoxKind kind, const DesignSetup &current);

// The window's read-outs.
// "= 62.45 V RMS": the drive voltage, or empty when it is not a number.
QString DriveVoltageText(const DesignCurves &curves);
// "DC 3.25 ohm, least 4.1 ohm (10-250 Hz)", what an amplifier is matched to.
QString AmplifierLoadText(const DesignCurves &curves);
// The length to cut each vent to, so that it tunes the chamber as the
// charts' circuit does in the design's air (less the end correction of one
// flanged and one free end), with a warning when a vent is longer than its
// chamber is deep (the edge of a cube of its volume) or would need a
// negative length: "Vent 36.0 cm long." or empty.
QString VentLengthText(const DesignSetup &setup);
// The helpers of the passive radiator and the bandpass box. Each answer
// that no builder would want comes with a sentence saying why, and a
// refusal says what can be had instead.
//   The added mass that tunes the radiators to `tuningHz`, in grams, or a
//   refusal naming the highest tuning the radiators reach without any.
struct AddedMassAnswer {
    std::optional<double> grams;
    QString sentence; // the refusal, or a warning beside the figure
};
AddedMassAnswer AddedMassFor(const BoxParameters &box, const AirProperties &air, double tuningHz);
//   A warning when a 4th-order bandpass box's chambers are far larger than
//   the driver's Vas (more than three times), or empty.
QString BandpassSizeNotice(const BandpassDesign &design, double qts, double vasLitres,
                           UnitSystem units = UnitSystem::Metric);

// The air as the charts take it: "Air 1.2010 kg/m^3, 343.68 m/s".
QString AirText(const AirProperties &air);
// The amplifier's limits as the design takes them: "Clips at 63.25 V RMS,
// at most 20 A." or empty without an amplifier.
QString AmplifierLimitText(const DesignSetup &design);

// The box at each position of the room's 3 x 3 grid: how much the level at
// the listener varies over a band (most less least, dB).
struct PlacementFigure {
    QString name;
    std::array<double, 3> m;
    std::optional<double> variationDb;
};
std::vector<PlacementFigure> PlacementFigures(const DesignSetup &design, double lowHz,
                                              double highHz);
// The position of least variation, or -1 when none has a figure.
int BestPlacement(const std::vector<PlacementFigure> &figures);
// "front left: 6.3 dB", or "front left: -" without a figure.
QString PlacementText(const PlacementFigure &figure);

// The room's placement grid for a band typed as two texts: the figures of
// its nine places, the best of them, and the sentence under the grid.
struct PlacementView {
    std::vector<PlacementFigure> figures;
    int best = -1;
    QString note;
};
PlacementView PlacementViewOf(const std::optional<DesignSetup> &shown, const QString &lowText,
                              const QString &highText);

// What an FRD file is written from: the design at the level chosen (its
// own box alone, or the whole system), the notes that say so, and whether
// the curves shown are already those.
struct FrdPlan {
    DesignSetup design;
    QStringList notes;
    FrdResponse response;
    bool asShown;
};
FrdPlan PlanFrd(const DesignSetup &shown, const DesignCurves &curves, FrdLevel level, bool system);

// The name a design goes by in exports: its label, or its driver's.
QString ExportName(const DesignSetup &design);
// The title line of an export: "Dravik: " and the design.
QString ExportTitle(const QString &name, const DesignSetup &design);
// A design as saved in a setup file: an unlabelled one named by its
// driver, the box, the drive and the rest being in the file.
DesignSetup SetupToSave(DesignSetup design);
// Whether a path names a setup file rather than a main window's design.
bool IsSetupFile(const QString &path);

// The texts of the fields of a preset of the listening space: a cabin's
// length and slope, or a room's walls, T60, box and listener.
std::vector<std::pair<QString, QString>> CabinPresetTexts(const CabinPreset &preset);
std::vector<std::pair<QString, QString>> RoomPresetTexts(const RoomPreset &preset);

} // namespace dravik
