#include "Overlays.h"

#include <QStringList>

#include <cmath>

namespace dravik {

namespace {

QString Figure(double v) {
    return QString::number(v, 'g', 4);
}

} // namespace

QString DesignSummary(const QString &title, const DriverParameters &driver,
                      const BoxParameters &box) {
    QStringList parts;
    if (!title.trimmed().isEmpty())
        parts << title.trimmed();
    const bool vented = box.kind == BoxKind::Vented;
    parts << (vented ? QStringLiteral("vented") : QStringLiteral("closed"));
    if (box.vbLitres)
        parts << QStringLiteral("Vb ") + Figure(*box.vbLitres) + QStringLiteral(" l");
    if (vented && box.fbHz)
        parts << QStringLiteral("Fb ") + Figure(*box.fbHz) + QStringLiteral(" Hz");
    if (!vented && box.vbLitres && driver.fs && driver.vasLitres)
        parts << QStringLiteral("Fc ") +
                     Figure(*driver.fs * std::sqrt(1.0 + *driver.vasLitres / *box.vbLitres)) +
                     QStringLiteral(" Hz");
    return parts.join(QStringLiteral(", "));
}

QString DesignLabel(const QString &title, const DriverParameters &driver, const BoxParameters &box,
                    double powerW) {
    return DesignSummary(title, driver, box) + QStringLiteral(", ") + Figure(powerW) +
           QStringLiteral(" W");
}

int OverlaySet::freeColour() const {
    for (int c = 0; c < Colours; ++c) {
        bool used = false;
        for (const Overlay &o : overlays_)
            used = used || o.colour == c;
        if (!used)
            return c;
    }
    return 0;
}

std::optional<Overlay> OverlaySet::add(const QString &title, const DriverParameters &driver,
                                       const BoxParameters &box, double powerW,
                                       const std::vector<double> &frequencies) {
    std::optional<Overlay> dropped;
    if (overlays_.size() == MaxOverlays) {
        dropped = overlays_.front();
        overlays_.erase(overlays_.begin());
    }
    if (overlays_.empty())
        power_ = powerW;
    else if (powerW != power_)
        recompute(powerW, frequencies);
    Overlay o;
    o.title = title;
    o.driver = driver;
    o.box = box;
    o.colour = freeColour();
    o.curves = ComputeDesignCurves(driver, box, power_, frequencies);
    overlays_.push_back(std::move(o));
    return dropped;
}

void OverlaySet::recompute(double powerW, const std::vector<double> &frequencies) {
    power_ = powerW;
    for (Overlay &o : overlays_)
        o.curves = ComputeDesignCurves(o.driver, o.box, power_, frequencies);
}

void OverlaySet::remove(size_t index) {
    if (index < overlays_.size())
        overlays_.erase(overlays_.begin() + static_cast<std::ptrdiff_t>(index));
}

void OverlaySet::setVisible(size_t index, bool visible) {
    if (index < overlays_.size())
        overlays_[index].visible = visible;
}

QString OverlaySet::summary(size_t index) const {
    const Overlay &o = overlays_.at(index);
    return DesignSummary(o.title, o.driver, o.box);
}

QString OverlaySet::label(size_t index) const {
    const Overlay &o = overlays_.at(index);
    return DesignLabel(o.title, o.driver, o.box, power_);
}

} // namespace dravik
