#pragma once

#include "DesignModel.h"

#include <QString>

#include <optional>
#include <vector>

namespace dravik {

// A design kept on the charts beside the current one: a pinned design or a
// saved design file, with its own colour (an index into the charts' palette).
struct Overlay {
    QString title;     // "Fane Colossus 18 XB", or the file name and the driver
    DesignSetup setup; // the whole design; its drive is the set's
    int colour = 0;
    bool visible = true;
    DesignCurves curves; // at the power of the set
};

// What a design's curves say it is: its title, box kind, volumes and
// tunings (Fc of a closed box), the drivers when there are several, Le and
// Rs when they are not zero, and the drive:
// "Fane Colossus 18 XB, vented, Vb 240 l, Fb 22 Hz, 600 W".
QString DesignLabel(const QString &title, const DesignSetup &setup);
// The same without the drive, for the charts' legends (every curve on the
// charts is at the drive shown).
QString DesignSummary(const QString &title, const DesignSetup &setup);
// What every export names, so that two exports can be told apart: the
// label with the drivers always said ("1 driver") and the drive:
// "Fane Colossus 18 XB, vented, Vb 240 l, Fb 22 Hz, 1 driver, 600 W".
QString DesignExportTitle(const QString &title, const DesignSetup &setup);
// The signal chain, the amplifier and the listening space in full, one line
// each, for the comment lines of an export of the system's response:
// "Signal chain: High-pass Butterworth 4th order 18 Hz", "Listening space:
// car, corner 69 Hz, 9 dB per octave, at most 40 dB".
QStringList SystemNotes(const DesignSetup &setup);
// How the drivers are wired, as the labels say it: "series-parallel".
QString WiringText(Wiring wiring);
// How a dual-coil driver's coils are joined: "coils in parallel".
QString CoilJoinText(CoilJoin join);
// The drive as the labels give it: "600 W" or "28.3 V".
QString DriveText(const DriveParameters &drive);

// The overlays on the charts, oldest first, all computed at one power.
class OverlaySet {
public:
    static constexpr int MaxOverlays = 8;
    // The longest title an overlay keeps, in characters.
    static constexpr int MaxTitleLength = 200;
    static constexpr int Colours = MaxOverlays;

    // Adds a design computed at the set's drive, or at its own when the set
    // is empty. When the set is full, the oldest goes to make room, and is
    // returned.
    std::optional<Overlay> add(const QString &title, const DesignSetup &setup,
                               const DriveParameters &drive,
                               const std::vector<double> &frequencies);
    // Computes every overlay again at another drive.
    void recompute(const DriveParameters &drive, const std::vector<double> &frequencies);
    void remove(size_t index);
    void clear() { overlays_.clear(); }
    void setVisible(size_t index, bool visible);

    const std::vector<Overlay> &all() const { return overlays_; }
    const DriveParameters &drive() const { return drive_; }
    QString label(size_t index) const;
    QString summary(size_t index) const;

private:
    int freeColour() const;

    std::vector<Overlay> overlays_;
    DriveParameters drive_;
};

} // namespace dravik
