#pragma once

#include "AcousticCircuit.h"
#include "DesignSetup.h"

#include <QString>

#include <optional>
#include <vector>

namespace dravik {

// What the walls of a box of these outside dimensions hold, and the box
// that holds the design's volume: the inside (gross) volume, less what
// stands in it (net), each vent's length to cut, and the panels to cut.
// Lengths in millimetres and volumes in litres, as the design holds them.

// The wall of a round vent tube, mm: its outer diameter is 6 mm more.
inline constexpr double RoundVentWallMm = 3.0;

// The end correction a set of vents is cut with: the design's, or 0.732
// where it gives no usable one.
double EndCorrection(const BoxParameters &box, VentSet set);

// A vent's cross-section: the area its air moves through, the diameter its
// end correction is taken in (a slot's is that of a circle of its area),
// and the area it takes of the box by its outside.
struct VentSection {
    double areaMm2 = 0;
    double diameterMm = 0;
    double outerAreaMm2 = 0;
};
// A round tube of this inner diameter, its wall RoundVentWallMm thick.
VentSection RoundVentSection(double diameterMm);
// A slot of inside width w and height h whose own walls are cut from the
// box's panels (t thick), `sharedWalls` of its sides (0 to 3) being the
// box's walls: outside (w+2t)(h+2t), (w+2t)(h+t), (w+t)(h+t) or w(h+t).
VentSection SlotVentSection(double widthMm, double heightMm, int sharedWalls, double wallMm);

// One chamber's vents as they are cut: how many, their section, the length
// that tunes the chamber (effective) and the length to cut (physical: the
// effective less the end correction), and the first pipe resonance
// c / (2 Leff).
struct CutVent {
    double count = 0;
    VentSection section;
    double effectiveMm = 0;
    double physicalMm = 0;
    double pipeResonanceHz = 0;
    double displacementLitres = 0; // all of them, by their outer size
};
// The vents of a chamber of `litres` tuned to `tuningHz` in air of sound
// speed c: Leff = k S c^2 / ((2 pi Fb)^2 V), physical Leff - e D with the
// end correction e (0.732 for one flanged and one free end).
CutVent CutVentOf(double count, const VentSection &section, double litres, double tuningHz,
                  double c, double endCorrection = acoustics::FlangedAndFreeEndCorrection);

// A panel of the cut sheet.
struct Panel {
    QString name;
    int count = 0;
    double widthMm = 0, heightMm = 0, thicknessMm = 0;
};

// The walls a slot vent's own panels make, each as long as the vent is cut:
// of the sides across its width, two, one, one or one panel w + n t wide
// for 0, 1, 2 or 3 sides shared with the box, and of the sides across its
// height two, two, one or none h wide (n of them), for each of `count`
// vents. `which` starts the panels' names: "", "rear ".
std::vector<Panel> SlotWallPanels(double widthMm, double heightMm, int sharedWalls, double wallMm,
                                  double lengthMm, int count, const QString &which);

// The box as built, or why it cannot be.
struct BuiltBox {
    double outsideMm[3] = {}; // width, height, depth, a solved one included
    int solved = -1;          // the dimension solved for the design's volume, or -1
    double grossLitres = 0;   // inside: (W - 2t)(H - 2t)(D - 2t)
    double netLitres = 0;     // gross less the drivers, the vents, the bracing, a divider
    std::vector<CutVent> vents;
    std::vector<Panel> panels;
    QString fault; // empty when the box can be built
};

// The design's box as its construction builds it: the outside and walls
// given (one outside dimension may be left out and is then solved so that
// the net volume is the design's volume), the drivers' displacement (each),
// the bracing, the vents of each chamber, and for a bandpass box a divider
// parallel to the front baffle. Empty without a construction. A fault
// names the key path of what is wrong: "construction.wall_mm: ...".
std::optional<BuiltBox> BuildBox(const DesignSetup &setup);

// The design's volume the net volume is held against: the box's, or both
// chambers' of a bandpass box.
std::optional<double> DesignVolumeLitres(const DesignSetup &setup);

// The read-outs of a built box, in the units shown, each with its volume
// as its first number: "Gross volume 101.06 l", "Net volume 95.33 l, the
// depth solved: 457.20 mm"; the net one says the fault of a box that cannot
// be built. Empty without a construction.
QString GrossVolumeText(const std::optional<BuiltBox> &box, UnitSystem units);
QString NetVolumeText(const std::optional<BuiltBox> &box, UnitSystem units);

// A cut dimension as the window's units give it: "825.5 mm", or inches to
// the nearest sixteenth as a saw's rule reads them: "32 1/2 in".
QString CutDimensionText(double mm, UnitSystem units);

// The cut sheet as CSV: comment lines naming the design and its volumes,
// then "panel,count,width_mm,height_mm,thickness_mm" and a line per panel.
QStringList CutSheetCsvLines(const BuiltBox &box, const QString &title);

} // namespace dravik
