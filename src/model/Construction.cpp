#include "Construction.h"

#include "Acoustics.h"
#include "ChartScale.h"
#include "DesignInputs.h"
#include "Enclosures.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace dravik {

namespace {

constexpr double Pi = acoustics::PiFull;

// The keys of the setup file, which the refusals name.
const QString OutsideKey = QStringLiteral("construction.outside_mm");
const QString WallKey = QStringLiteral("construction.wall_mm");
const QString DriversKey = QStringLiteral("construction.driver_displacement_l");
const QString BracingKey = QStringLiteral("construction.bracing_l");

QString Litres(double v) {
    return QLocale::c().toString(v, 'f', 2) + QStringLiteral(" l");
}

QString Fault(const QString &key, const QString &why) {
    return key + QStringLiteral(": ") + why;
}

bool Usable(double v) {
    return std::isfinite(v) && v > 0.0 && v < 1e12;
}

// A box's inside and what it loses to walls and contents, for given outside
// dimensions (all three known).
struct Volumes {
    double gross = 0, net = 0;
};

Volumes VolumesOf(const double outside[3], double wall, double contents, bool divider) {
    const double w = outside[0] - 2.0 * wall, h = outside[1] - 2.0 * wall,
                 d = outside[2] - 2.0 * wall;
    Volumes v;
    v.gross = w * h * d * 1e-6;
    const double dividerLitres = divider ? w * h * wall * 1e-6 : 0.0;
    v.net = v.gross - contents - dividerLitres;
    return v;
}

// A set of slot vents as the design gives them, or why they cannot be cut.
struct SlotVent {
    double widthMm = 0, heightMm = 0;
    int sharedWalls = 0;
    QString fault;
};
std::optional<SlotVent> SlotVentOf(const BoxParameters &box, VentSet set) {
    if (!IsSlot(box, set))
        return std::nullopt;
    const VentSetMembers &m = MembersOf(set);
    SlotVent slot;
    slot.widthMm = *(box.*m.slotWidthMm);
    slot.heightMm = *(box.*m.slotHeightMm);
    const double walls = (box.*m.sharedWalls).value_or(0.0);
    if (!(walls >= 0.0 && walls <= 3.0 && walls == std::floor(walls)))
        slot.fault = QStringLiteral("must be 0, 1, 2 or 3");
    else
        slot.sharedWalls = int(walls);
    return slot;
}

// A vent key of the setup file, as a refusal names it: "enclosure.vent_width_mm".
QString VentKey(BoxKind kind, VentSet set, const char *key) {
    return QStringLiteral("enclosure.") + QLatin1String(VentKeyPrefix(kind, set)) +
           QLatin1String(key);
}

} // namespace

double EndCorrection(const BoxParameters &box, VentSet set) {
    const std::optional<double> &e = box.*EndCorrectionOf(set);
    return e && std::isfinite(*e) && *e >= 0.0 && *e < 100.0
               ? *e
               : acoustics::FlangedAndFreeEndCorrection;
}

VentSection RoundVentSection(double diameterMm) {
    const double outer = diameterMm + 2.0 * RoundVentWallMm;
    return {Pi / 4.0 * diameterMm * diameterMm, diameterMm, Pi / 4.0 * outer * outer};
}

namespace {

// A slot's sides of its own wood: across its width (top and bottom) and
// across its height, for 0 to 3 sides shared with the box.
struct SlotSides {
    int widthSides, heightSides;
};
SlotSides OwnSidesOfSlot(int sharedWalls) {
    static const SlotSides sides[] = {{2, 2}, {1, 2}, {1, 1}, {1, 0}};
    return sides[std::clamp(sharedWalls, 0, 3)];
}

} // namespace

VentSection SlotVentSection(double widthMm, double heightMm, int sharedWalls, double wallMm) {
    const SlotSides own = OwnSidesOfSlot(sharedWalls);
    const double area = widthMm * heightMm;
    return {area, acoustics::EqualAreaDiameter(area),
            (widthMm + own.heightSides * wallMm) * (heightMm + own.widthSides * wallMm)};
}

std::vector<Panel> SlotWallPanels(double widthMm, double heightMm, int sharedWalls, double wallMm,
                                  double lengthMm, int count, const QString &which) {
    const SlotSides own = OwnSidesOfSlot(sharedWalls);
    std::vector<Panel> panels{{which + QStringLiteral("slot vent wall"), own.widthSides * count,
                               widthMm + own.heightSides * wallMm, lengthMm, wallMm}};
    if (own.heightSides > 0)
        panels.push_back({which + QStringLiteral("slot vent side"), own.heightSides * count,
                          heightMm, lengthMm, wallMm});
    return panels;
}

CutVent CutVentOf(double count, const VentSection &section, double litres, double tuningHz,
                  double c, double endCorrection) {
    CutVent v;
    v.count = count;
    v.section = section;
    const double effective =
        acoustics::TuningVentLengthM(count, section.areaMm2 * 1e-6, litres * 1e-3, tuningHz, c);
    v.effectiveMm = effective * 1e3;
    v.physicalMm = v.effectiveMm - endCorrection * section.diameterMm;
    v.pipeResonanceHz = c / (2.0 * effective);
    v.displacementLitres =
        v.physicalMm > 0.0 ? count * section.outerAreaMm2 * v.physicalMm * 1e-6 : 0.0;
    return v;
}

std::optional<double> DesignVolumeLitres(const DesignSetup &setup) {
    if (KindOf(setup.enclosure.kind).chambers.empty())
        return std::nullopt; // a line's or a horn's air is its path's
    double total = 0.0;
    for (const KindChamber &chamber : KindOf(setup.enclosure.kind).chambers) {
        const std::optional<double> &v = setup.enclosure.*chamber.volume;
        if (!v || !Usable(*v))
            return std::nullopt;
        total += *v;
    }
    return total;
}

std::optional<BuiltBox> BuildBox(const DesignSetup &setup) {
    const Construction &c = setup.construction;
    if (!c.given())
        return std::nullopt;
    BuiltBox box;
    const auto refuse = [&box](const QString &key, const QString &why) {
        box.fault = Fault(key, why);
        return box;
    };
    if (!c.wallMm || !Usable(*c.wallMm))
        return refuse(WallKey, QStringLiteral("must be a positive number"));
    const double wall = *c.wallMm;
    int missing = 0;
    for (int i = 0; i < 3; ++i) {
        if (!c.outsideMm[i]) {
            ++missing;
            box.solved = i;
            continue;
        }
        if (!Usable(*c.outsideMm[i]))
            return refuse(OutsideKey, QStringLiteral("must be positive numbers, one of them "
                                                     "may be null"));
        box.outsideMm[i] = *c.outsideMm[i];
        if (wall >= *c.outsideMm[i] / 2.0)
            return refuse(WallKey,
                          QStringLiteral("must be less than half of every outside dimension"));
    }
    if (missing > 1)
        return refuse(OutsideKey,
                      QStringLiteral("give at least two of the width, height and depth"));
    const auto nonNegative = [](const std::optional<double> &v) {
        return !v || (std::isfinite(*v) && *v >= 0.0 && *v < 1e12);
    };
    if (!nonNegative(c.driverDisplacementLitres))
        return refuse(DriversKey, QStringLiteral("must be zero or more"));
    if (!nonNegative(c.bracingLitres))
        return refuse(BracingKey, QStringLiteral("must be zero or more"));

    // The vents of each vented chamber, cut for the design's volume and air.
    const BoxParameters &b = setup.enclosure;
    double ventsLitres = 0.0;
    struct CutSlot {
        SlotVent slot;
        VentSet set;
        CutVent cut;
    };
    std::vector<CutSlot> cutSlots;
    for (const KindChamber &chamber : KindOf(b.kind).chambers) {
        if (!chamber.vented())
            continue;
        const std::optional<double> &count = b.*chamber.ventCount;
        const std::optional<double> &diameter = b.*chamber.ventDiameterMm;
        const std::optional<double> &litres = b.*chamber.volume;
        const std::optional<double> &tuning = b.*chamber.tuning;
        const std::optional<SlotVent> slot = SlotVentOf(b, chamber.vents);
        if (slot && !slot->fault.isEmpty())
            return refuse(VentKey(b.kind, chamber.vents, "vent_shared_walls"), slot->fault);
        if (!count || !litres || !tuning || !Usable(*count) || !Usable(*litres) ||
            !Usable(*tuning) || (!slot && (!diameter || !Usable(*diameter))))
            continue;
        const VentSection section =
            slot ? SlotVentSection(slot->widthMm, slot->heightMm, slot->sharedWalls, wall)
                 : RoundVentSection(*diameter);
        box.vents.push_back(CutVentOf(*count, section, *litres, *tuning, setup.air.soundSpeed,
                                      EndCorrection(b, chamber.vents)));
        ventsLitres += box.vents.back().displacementLitres;
        if (slot)
            cutSlots.push_back({*slot, chamber.vents, box.vents.back()});
    }
    const double drivers = setup.drivers.count * c.driverDisplacementLitres.value_or(0.0);
    const double bracing = c.bracingLitres.value_or(0.0);
    const double contents = drivers + ventsLitres + bracing;
    const bool divider = KindOf(b.kind).chambers.size() > 1;

    if (box.solved >= 0) {
        // The net volume is linear in any one outside dimension: two boxes
        // give the line, and the line the dimension of the design's volume.
        const std::optional<double> target = DesignVolumeLitres(setup);
        if (!target)
            return refuse(OutsideKey, QStringLiteral("a dimension left out is solved for the "
                                                     "design's volume, which it does not give"));
        double probe[3] = {box.outsideMm[0], box.outsideMm[1], box.outsideMm[2]};
        probe[box.solved] = 1000.0;
        const double at1 = VolumesOf(probe, wall, contents, divider).net;
        probe[box.solved] = 2000.0;
        const double at2 = VolumesOf(probe, wall, contents, divider).net;
        const double slope = (at2 - at1) / 1000.0;
        const double solved = 1000.0 + (*target - at1) / slope;
        if (!(slope > 0.0) || !Usable(solved) || solved <= 2.0 * wall)
            return refuse(OutsideKey, QStringLiteral("no box of the other two dimensions holds "
                                                     "the design's ") +
                                          Litres(*target));
        box.outsideMm[box.solved] = solved;
    }
    const Volumes v = VolumesOf(box.outsideMm, wall, contents, divider);
    box.grossLitres = v.gross;
    box.netLitres = v.net;
    if (!(v.net > 0.0)) {
        const QString &key = drivers >= bracing && drivers >= ventsLitres ? DriversKey
                             : bracing >= ventsLitres                     ? BracingKey
                                                                          : OutsideKey;
        return refuse(key, QStringLiteral("the drivers, the vents and the bracing take ") +
                               Litres(contents) + QStringLiteral(", more than the ") +
                               Litres(v.gross) + QStringLiteral(" inside"));
    }

    // The panels: the front and back whole, the top and bottom between
    // them, the sides between all four; a bandpass box's divider inside.
    const double w = box.outsideMm[0], h = box.outsideMm[1], d = box.outsideMm[2];
    box.panels = {
        {QStringLiteral("front/back"), 2, w, h, wall},
        {QStringLiteral("top/bottom"), 2, w, d - 2.0 * wall, wall},
        {QStringLiteral("sides"), 2, h - 2.0 * wall, d - 2.0 * wall, wall},
    };
    if (divider)
        box.panels.push_back({QStringLiteral("divider"), 1, w - 2.0 * wall, h - 2.0 * wall, wall});

    // Slots run along the inside's width and are cut from the box's panels.
    for (const CutSlot &s : cutSlots) {
        if (s.slot.widthMm > w - 2.0 * wall) {
            box.panels.clear();
            return refuse(VentKey(b.kind, s.set, "vent_width_mm"),
                          QStringLiteral("a slot wider than the box's inside (") +
                              QLocale::c().toString(w - 2.0 * wall, 'f', 2) +
                              QStringLiteral(" mm) does not fit"));
        }
        if (s.cut.physicalMm <= 0.0)
            continue;
        const QString which = QString::fromLatin1(VentKeyPrefix(b.kind, s.set)).replace('_', ' ');
        for (Panel &p : SlotWallPanels(s.slot.widthMm, s.slot.heightMm, s.slot.sharedWalls, wall,
                                       s.cut.physicalMm, int(std::lround(s.cut.count)), which))
            box.panels.push_back(std::move(p));
    }
    return box;
}

namespace {

// A number of the shown unit to its hundredth, and the unit after it.
QString Shown(double own, Quantity quantity, UnitSystem units) {
    return QLocale::c().toString(ToShownUnit(own, quantity, units), 'f', 2) + QLatin1Char(' ') +
           QLatin1String(ShownUnitOf(quantity, units).text);
}

const char *const DimensionNames[] = {"width", "height", "depth"};

} // namespace

QString GrossVolumeText(const std::optional<BuiltBox> &box, UnitSystem units) {
    if (!box || !box->fault.isEmpty())
        return QString();
    return QStringLiteral("Gross volume ") + Shown(box->grossLitres, Quantity::Volume, units);
}

QString NetVolumeText(const std::optional<BuiltBox> &box, UnitSystem units) {
    if (!box)
        return QString();
    if (!box->fault.isEmpty())
        return QStringLiteral("The box cannot be built: ") + box->fault + QLatin1Char('.');
    QString text = QStringLiteral("Net volume ") + Shown(box->netLitres, Quantity::Volume, units);
    if (box->solved >= 0)
        text += QStringLiteral(", the ") + QLatin1String(DimensionNames[box->solved]) +
                QStringLiteral(" solved: ") +
                Shown(box->outsideMm[box->solved], Quantity::Length, units);
    return text + QLatin1Char('.');
}

QString CutDimensionText(double mm, UnitSystem units) {
    if (units == UnitSystem::Metric)
        return QLocale::c().toString(mm, 'f', 1) + QStringLiteral(" mm");
    const long long sixteenths = std::llround(ToShownUnit(mm, Quantity::Length, units) * 16.0);
    const long long whole = sixteenths / 16;
    long long part = sixteenths % 16, of = 16;
    while (part != 0 && part % 2 == 0) {
        part /= 2;
        of /= 2;
    }
    QString text = whole != 0 || part == 0 ? QString::number(whole) : QString();
    if (part != 0)
        text += (whole != 0 ? QStringLiteral(" ") : QString()) + QString::number(part) +
                QLatin1Char('/') + QString::number(of);
    return text + QStringLiteral(" in");
}

QStringList CutSheetCsvLines(const BuiltBox &box, const QString &title) {
    // To the hundredth of a millimetre: a 3/4-inch wall is 19.05 mm.
    const auto number = [](double v) { return QString::number(v, 'f', 2); };
    QStringList lines;
    // One line each: no control byte of a name may start a row of its own.
    lines << QStringLiteral("# Dravik cut sheet: ") + chartscale::DisplayLabel(title, 400);
    lines << QStringLiteral("# Gross volume ") + QLocale::c().toString(box.grossLitres, 'f', 2) +
                 QStringLiteral(" l, net volume ") + QLocale::c().toString(box.netLitres, 'f', 2) +
                 QStringLiteral(" l");
    lines << QStringLiteral("panel,count,width_mm,height_mm,thickness_mm");
    for (const Panel &p : box.panels)
        lines << p.name + QLatin1Char(',') + QString::number(p.count) + QLatin1Char(',') +
                     number(p.widthMm) + QLatin1Char(',') + number(p.heightMm) + QLatin1Char(',') +
                     number(p.thicknessMm);
    return lines;
}

} // namespace dravik
