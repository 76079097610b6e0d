#include "Overlays.h"

#include "CurveFormats.h"
#include "Enclosures.h"
#include "Paths.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace dravik {

namespace {

QString Figure(double v) {
    return QString::number(v, 'g', 4);
}

} // namespace

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

QString CoilJoinText(CoilJoin join) {
    switch (join) {
    case CoilJoin::Series:
        return QStringLiteral("coils in series");
    case CoilJoin::Parallel:
        return QStringLiteral("coils in parallel");
    case CoilJoin::OneCoil:
        return QStringLiteral("one coil");
    }
    return {};
}

namespace {

// "Vb 240 l", or in US units "Vb 8.476 ft^3".
QString Volume(const char *name, double litres, UnitSystem units) {
    return QLatin1String(name) + QLatin1Char(' ') +
           Figure(ToShownUnit(litres, Quantity::Volume, units)) + QLatin1Char(' ') +
           QLatin1String(ShownUnitOf(Quantity::Volume, units).text);
}
QString Hertz(const char *name, double v) {
    return QLatin1String(name) + QLatin1Char(' ') + Figure(v) + QStringLiteral(" Hz");
}

// The box's volumes and tunings, as far as the design gives them: each
// chamber's volume and tuning, then the box's own resonance.
void DescribeBox(const DesignSetup &s, QStringList &parts) {
    const BoxParameters &b = s.enclosure;
    const EnclosureKind &kind = KindOf(b.kind);
    for (const KindChamber &chamber : kind.chambers) {
        if (b.*chamber.volume)
            parts << Volume(chamber.volumeName, *(b.*chamber.volume), s.units);
        if (chamber.vented() && b.*chamber.tuning)
            parts << Hertz(chamber.tuningName, *(b.*chamber.tuning));
    }
    if (kind.resonance)
        if (const std::optional<double> f = kind.resonance->of(s))
            parts << Hertz(kind.resonance->name, *f);
    if (kind.helper == KindHelper::Path && PathFault(b).isEmpty())
        parts << Volume("path", PathVolumeLitres(b), s.units);
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

// "2 drivers isobaric in series", and how a dual-coil driver's coils are
// joined: "1 driver, coils in parallel".
QString DriversText(const DesignSetup &s) {
    const DriverArrangement &a = s.drivers;
    return QString::number(a.count) +
           (a.count == 1 ? QStringLiteral(" driver") : QStringLiteral(" drivers")) +
           (a.mounting == Mounting::Isobaric ? QStringLiteral(" isobaric") : QString()) +
           (a.count == 1 ? QString() : QStringLiteral(" in ") + WiringText(a.wiring)) +
           (s.driver.coils.dual() ? QStringLiteral(", ") + CoilJoinText(a.coilJoin) : QString());
}

bool SaysDrivers(const DesignSetup &s) {
    return s.drivers.count != 1 || s.drivers.mounting != Mounting::Normal || s.driver.coils.dual();
}

// The signal chain, the amplifier and the listening space, where they are
// not the plain ones (no filter, no limit, half space).
void DescribeSystem(const DesignSetup &s, QStringList &parts) {
    const auto enabled = std::count_if(s.filters.begin(), s.filters.end(),
                                       [](const FilterStage &f) { return f.enabled; });
    if (enabled == 1)
        parts << QStringLiteral("1 filter");
    else if (enabled > 1)
        parts << QString::number(enabled) + QStringLiteral(" filters");
    const AmplifierParameters &a = s.amplifier;
    if (a.ratedPowerW && a.ratedLoadOhm)
        parts << QStringLiteral("amplifier ") + Figure(*a.ratedPowerW) +
                     QStringLiteral(" W into ") + Figure(*a.ratedLoadOhm) + QStringLiteral(" ohm");
    if (a.currentLimitA)
        parts << QStringLiteral("current limit ") + Figure(*a.currentLimitA) + QStringLiteral(" A");
    const ListeningSpace &e = s.environment;
    switch (e.kind) {
    case SpaceKind::HalfSpace:
        break;
    case SpaceKind::Car:
        parts << QStringLiteral("car") +
                     (e.cabin.cornerFromLength && e.cabin.lengthM
                          ? QStringLiteral(" ") + Figure(*e.cabin.lengthM) + QStringLiteral(" m")
                      : e.cabin.cornerHz
                          ? QStringLiteral(" ") + Figure(*e.cabin.cornerHz) + QStringLiteral(" Hz")
                          : QString());
        break;
    case SpaceKind::Room:
        parts << QStringLiteral("room") +
                     (e.room.lengthM && e.room.widthM && e.room.heightM
                          ? QStringLiteral(" ") + Figure(*e.room.lengthM) + QStringLiteral(" x ") +
                                Figure(*e.room.widthM) + QStringLiteral(" x ") +
                                Figure(*e.room.heightM) + QStringLiteral(" m")
                          : QString());
        // Two places of the box in one room tell apart.
        if (e.room.sourceM[0] && e.room.sourceM[1])
            parts << QStringLiteral("box at ") + Figure(*e.room.sourceM[0]) + QStringLiteral(", ") +
                         Figure(*e.room.sourceM[1]) + QStringLiteral(" m");
        break;
    default:
        parts << QString::fromLatin1(SpaceKindCaption(e.kind)).toLower();
        break;
    }
}

} // namespace

QString DesignSummary(const QString &title, const DesignSetup &setup) {
    QStringList parts;
    if (!title.trimmed().isEmpty())
        parts << title.trimmed();
    parts << QString::fromLatin1(KindOf(setup.enclosure.kind).caption).toLower();
    DescribeBox(setup, parts);
    if (SaysDrivers(setup))
        parts << DriversText(setup);
    if (setup.driver.leMh && *setup.driver.leMh > 0.0)
        parts << QStringLiteral("Le ") + Figure(*setup.driver.leMh) + QStringLiteral(" mH");
    if (const auto &rs = setup.drive.sourceResistanceOhm; rs && *rs > 0.0)
        parts << QStringLiteral("Rs ") + Figure(*rs) + QStringLiteral(" ohm");
    DescribeSystem(setup, parts);
    return parts.join(QStringLiteral(", "));
}

QStringList SystemNotes(const DesignSetup &s) {
    QStringList chain;
    for (const FilterStage &f : s.filters)
        chain << FilterText(f) + (f.enabled ? QString() : QStringLiteral(" (off)"));
    QStringList notes;
    notes << QStringLiteral("Signal chain: ") +
                 (chain.isEmpty() ? QStringLiteral("none") : chain.join(QStringLiteral("; ")));
    const ListeningSpace &e = s.environment;
    QString space = QStringLiteral("Listening space: ") +
                    QString::fromLatin1(SpaceKindCaption(e.kind)).toLower();
    const auto figure = [](const std::optional<double> &v) {
        return v ? Figure(*v) : QStringLiteral("?");
    };
    if (e.kind == SpaceKind::Car)
        space +=
            (e.cabin.cornerFromLength
                 ? QStringLiteral(", cabin ") + figure(e.cabin.lengthM) + QStringLiteral(" m long")
                 : QStringLiteral(", corner ") + figure(e.cabin.cornerHz) + QStringLiteral(" Hz")) +
            QStringLiteral(", ") + figure(e.cabin.slopeDbPerOctave) +
            QStringLiteral(" dB per octave, at most ") + figure(e.cabin.maxGainDb) +
            QStringLiteral(" dB");
    if (e.kind == SpaceKind::Room) {
        const RoomParameters &r = e.room;
        space += QStringLiteral(" ") + figure(r.lengthM) + QStringLiteral(" x ") +
                 figure(r.widthM) + QStringLiteral(" x ") + figure(r.heightM) +
                 QStringLiteral(" m, T60 ") + figure(r.reverberationS) +
                 QStringLiteral(" s, box at (") + figure(r.sourceM[0]) + QStringLiteral(", ") +
                 figure(r.sourceM[1]) + QStringLiteral(", ") + figure(r.sourceM[2]) +
                 QStringLiteral(") m, listener at (") + figure(r.listenerM[0]) +
                 QStringLiteral(", ") + figure(r.listenerM[1]) + QStringLiteral(", ") +
                 figure(r.listenerM[2]) + QStringLiteral(") m");
    }
    notes << space;
    return notes;
}

QString DriveText(const DriveParameters &drive) {
    if (drive.given == DriveParameters::Given::Voltage)
        return drive.voltageV ? Figure(*drive.voltageV) + QStringLiteral(" V") : QString();
    return drive.powerW ? Figure(*drive.powerW) + QStringLiteral(" W") : QString();
}

QString DesignExportTitle(const QString &title, const DesignSetup &setup) {
    QString text = DesignSummary(title, setup);
    if (!SaysDrivers(setup))
        text += QStringLiteral(", ") + DriversText(setup);
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
    // A title from a file may be a megabyte long: cut before any list,
    // notice or legend lays it out.
    o.title = ShownText(title, MaxTitleLength);
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
