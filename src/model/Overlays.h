#pragma once

#include "DesignModel.h"

#include <QString>

#include <optional>
#include <vector>

namespace dravik {

// A design kept on the charts beside the current one: a pinned design or a
// saved design file, with its own colour (an index into the charts' palette).
struct Overlay {
    QString title; // "Fane Colossus 18 XB", or the file name and the driver
    DriverParameters driver;
    BoxParameters box;
    int colour = 0;
    bool visible = true;
    DesignCurves curves; // at the power of the set
};

// What a design's curves say it is: its title, box kind, Vb, Fb (vented) or
// Fc (closed), and the power: "Fane Colossus 18 XB, vented, Vb 240 l, Fb 22 Hz, 600 W".
QString DesignLabel(const QString &title, const DriverParameters &driver, const BoxParameters &box,
                    double powerW);
// The same without the power, for the charts' legends (every curve on the
// charts is at the power shown).
QString DesignSummary(const QString &title, const DriverParameters &driver,
                      const BoxParameters &box);

// The overlays on the charts, oldest first, all computed at one power.
class OverlaySet {
public:
    static constexpr int MaxOverlays = 8;
    static constexpr int Colours = MaxOverlays;

    // Adds a design computed at powerW. When the set is full, the oldest
    // goes to make room, and is returned.
    std::optional<Overlay> add(const QString &title, const DriverParameters &driver,
                               const BoxParameters &box, double powerW,
                               const std::vector<double> &frequencies);
    // Computes every overlay again at another power.
    void recompute(double powerW, const std::vector<double> &frequencies);
    void remove(size_t index);
    void clear() { overlays_.clear(); }
    void setVisible(size_t index, bool visible);

    const std::vector<Overlay> &all() const { return overlays_; }
    double power() const { return power_; }
    QString label(size_t index) const;
    QString summary(size_t index) const;

private:
    int freeColour() const;

    std::vector<Overlay> overlays_;
    double power_ = 0.0;
};

} // namespace dravik
