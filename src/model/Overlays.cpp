#include "Overlays.h"

#include "Enclosures.h"

#include <QStringList>

#include <cmath>

namespace dravik {

namespace {

QString Figure(double v) {
    return QString::number(v, 'g', 4);
}

} // namespace

namespace {

QString Litres(const char *name, const std::optional<double> &v) {
    return QLatin1String(name) + QLatin1Char(' ') + Figure(*v) + QStringLiteral(" l");
}
QString Hertz(const char *name, double v) {
    return QLatin1String(name) + QLatin1Char(' ') + Figure(v) + QStringLiteral(" Hz");
}

// The box's volumes and tunings, as far as the design gives them.
void DescribeBox(const DesignSetup &s, QStringList &parts) {
    const BoxParameters &b = s.enclosure;
    const DriverParameters &d = s.driver;
    switch (b.kind) {
    case BoxKind::Vented:
    case BoxKind::Closed:
        if (b.vbLitres)
            parts << Litres("Vb", b.vbLitres);
        if (b.kind == BoxKind::Vented && b.fbHz)
            parts << Hertz("Fb", *b.fbHz);
        if (b.kind == BoxKind::Closed && b.vbLitres && d.fs && d.vasLitres) {
            // The drivers' compliance is theirs together: an isobaric pair
            // has half a driver's.
            const double units = s.drivers.mounting == Mounting::Isobaric ? s.drivers.count / 4.0
                                                                          : double(s.drivers.count);
            parts << Hertz("Fc", *d.fs * std::sqrt(1.0 + units * *d.vasLitres / *b.vbLitres));
        }
        break;
    case BoxKind::PassiveRadiator:
        if (b.vbLitres)
            parts << Litres("Vb", b.vbLitres);
        if (const double fb = TuningOfRadiators(b, s.air).fb; std::isfinite(fb) && fb > 0.0)
            parts << Hertz("fB", fb);
        break;
    case BoxKind::Bandpass4:
        if (b.vbLitres)
            parts << Litres("Vr", b.vbLitres);
        if (b.frontVolumeLitres)
            parts << Litres("Vf", b.frontVolumeLitres);
        if (b.fbHz)
            parts << Hertz("Fb", *b.fbHz);
        break;
    case BoxKind::Bandpass6:
        if (b.vbLitres)
            parts << Litres("Vr", b.vbLitres);
        if (b.rearTuningHz)
            parts << Hertz("Fr", *b.rearTuningHz);
        if (b.frontVolumeLitres)
            parts << Litres("Vf", b.frontVolumeLitres);
        if (b.fbHz)
            parts << Hertz("Ff", *b.fbHz);
        break;
    }
}

QString WiringText(Wiring wiring) {
    switch (wiring) {
    case Wiring::Parallel:
        return QStringLiteral("parallel");
    case Wiring::Series:
        return QStringLiteral("series");
    case Wiring::SeriesParallel:
        return QStringLiteral("series-parallel");
    }
    return {};
}

// An overlay is driven at the level the charts show, through its own
// source resistance: the amplifier and cable belong to the design.
void TakeLevel(DriveParameters &own, const DriveParameters &level) {
    own.given = level.given;
    own.powerW = level.powerW;
    own.voltageV = level.voltageV;
}

bool SameLevel(const DriveParameters &a, const DriveParameters &b) {
    return a.given == b.given && a.powerW == b.powerW && a.voltageV == b.voltageV;
}

QString DriversText(const DriverArrangement &a) {
    return QString::number(a.count) +
           (a.count == 1 ? QStringLiteral(" driver") : QStringLiteral(" drivers")) +
           (a.mounting == Mounting::Isobaric ? QStringLiteral(" isobaric") : QString()) +
           (a.count == 1 ? QString() : QStringLiteral(" in ") + WiringText(a.wiring));
}

bool SaysDrivers(const DriverArrangement &a) {
    return a.count != 1 || a.mounting != Mounting::Normal;
}

} // namespace

QString DesignSummary(const QString &title, const DesignSetup &setup) {
    QStringList parts;
    if (!title.trimmed().isEmpty())
        parts << title.trimmed();
    parts << QString::fromLatin1(KindOf(setup.enclosure.kind).caption).toLower();
    DescribeBox(setup, parts);
    if (SaysDrivers(setup.drivers))
        parts << DriversText(setup.drivers);
    if (setup.driver.leMh && *setup.driver.leMh > 0.0)
        parts << QStringLiteral("Le ") + Figure(*setup.driver.leMh) + QStringLiteral(" mH");
    if (const auto &rs = setup.drive.sourceResistanceOhm; rs && *rs > 0.0)
        parts << QStringLiteral("Rs ") + Figure(*rs) + QStringLiteral(" ohm");
    return parts.join(QStringLiteral(", "));
}

QString DriveText(const DriveParameters &drive) {
    if (drive.given == DriveParameters::Given::Voltage)
        return drive.voltageV ? Figure(*drive.voltageV) + QStringLiteral(" V") : QString();
    return drive.powerW ? Figure(*drive.powerW) + QStringLiteral(" W") : QString();
}

QString DesignExportTitle(const QString &title, const DesignSetup &setup) {
    QString text = DesignSummary(title, setup);
    if (!SaysDrivers(setup.drivers))
        text += QStringLiteral(", ") + DriversText(setup.drivers);
    const QString drive = DriveText(setup.drive);
    return text + (drive.isEmpty() ? QString() : QStringLiteral(", ") + drive);
}

QString DesignLabel(const QString &title, const DesignSetup &setup) {
    const QString drive = DriveText(setup.drive);
    return DesignSummary(title, setup) +
           (drive.isEmpty() ? QString() : QStringLiteral(", ") + drive);
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

std::optional<Overlay> OverlaySet::add(const QString &title, const DesignSetup &setup,
                                       const DriveParameters &drive,
                                       const std::vector<double> &frequencies) {
    std::optional<Overlay> dropped;
    if (overlays_.size() == MaxOverlays) {
        dropped = overlays_.front();
        TakeLevel(dropped->setup.drive, drive_);
        overlays_.erase(overlays_.begin());
    }
    if (overlays_.empty())
        drive_ = drive;
    else if (!SameLevel(drive, drive_))
        recompute(drive, frequencies);
    Overlay o;
    o.title = title;
    o.setup = setup;
    TakeLevel(o.setup.drive, drive_);
    o.colour = freeColour();
    o.curves = ComputeDesignCurves(o.setup, frequencies);
    overlays_.push_back(std::move(o));
    return dropped;
}

void OverlaySet::recompute(const DriveParameters &drive, const std::vector<double> &frequencies) {
    drive_ = drive;
    for (Overlay &o : overlays_) {
        TakeLevel(o.setup.drive, drive_);
        o.curves = ComputeDesignCurves(o.setup, frequencies);
    }
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
    return DesignSummary(o.title, o.setup);
}

QString OverlaySet::label(size_t index) const {
    const Overlay &o = overlays_.at(index);
    return DesignLabel(o.title, o.setup);
}

} // namespace dravik
