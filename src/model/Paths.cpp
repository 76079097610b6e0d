#include "Paths.h"

#include <QLocale>

#include <cmath>

namespace dravik {

namespace {

DuctSegment DuctSegmentOf(const PathSegment &s) {
    DuctSegment d;
    d.flare = s.flare;
    d.lengthM = s.lengthCm * 1e-2;
    d.startAreaM2 = s.startAreaCm2 * 1e-4;
    d.endAreaM2 = s.endAreaCm2 * 1e-4;
    d.t = s.t;
    d.fillResistivity = s.fillResistivity;
    return d;
}

bool Usable(double v) {
    return std::isfinite(v) && v > 0.0 && v < 1e9;
}

// A place along the path matches a boundary to a millionth of the path: the
// file's and the window's figures carry far fewer digits than that.
bool SamePlace(double a, double b, double length) {
    return std::fabs(a - b) <= 1e-6 * length;
}

QString SegmentKey(size_t index, const char *key) {
    return QStringLiteral("enclosure.segments[%1].%2").arg(index).arg(QLatin1String(key));
}

QString Centimetres(double cm) {
    return QLocale::c().toString(cm, 'g', 10) + QStringLiteral(" cm");
}

// Why a segment's own figures cannot be solved, or empty.
QString SegmentFault(const PathSegment &s, size_t i, const PathSegment *before) {
    if (!Usable(s.lengthCm))
        return SegmentKey(i, "length_cm") + QStringLiteral(": must be a positive number");
    if (!Usable(s.startAreaCm2))
        return SegmentKey(i, "start_area_cm2") + QStringLiteral(": must be a positive number");
    if (!Usable(s.endAreaCm2))
        return SegmentKey(i, "end_area_cm2") + QStringLiteral(": must be a positive number");
    if (before && s.startAreaCm2 != before->endAreaCm2)
        return SegmentKey(i, "start_area_cm2") +
               QStringLiteral(": must be the area the segment before ends with");
    if (s.flare == Flare::Uniform && s.startAreaCm2 != s.endAreaCm2)
        return SegmentKey(i, "end_area_cm2") +
               QStringLiteral(": must be the start area for a uniform segment");
    if (s.flare == Flare::HyperbolicExponential && !(s.t >= 0.0 && s.t <= 1.0))
        return SegmentKey(i, "t") + QStringLiteral(": must be from 0 to 1");
    if (s.fillResistivity && !Usable(*s.fillResistivity))
        return SegmentKey(i, "fill_resistivity_pa_s_m2") +
               QStringLiteral(": must be a positive number");
    return QString();
}

// Why a tap cannot feed the path: off a boundary, or at the mouth.
QString TapFault(const BoxParameters &box, const std::optional<double> &cm, const char *key) {
    const QString path = QStringLiteral("enclosure.") + QLatin1String(key);
    if (!cm || !std::isfinite(*cm) || *cm < 0.0)
        return path + QStringLiteral(": must be a number of 0 or more");
    if (!TapAt(box, *cm)) {
        QStringList places;
        const std::vector<double> at = SegmentBoundariesCm(box);
        for (size_t i = 0; i + 1 < at.size(); ++i)
            places << Centimetres(at[i]);
        return path + QStringLiteral(": must be at the path's start or between two segments (") +
               places.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    return QString();
}

} // namespace

std::vector<DuctSegment> DuctSegmentsOf(const BoxParameters &box) {
    std::vector<DuctSegment> segments;
    segments.reserve(box.segments.size());
    for (const PathSegment &s : box.segments)
        segments.push_back(DuctSegmentOf(s));
    return segments;
}

double PathLengthCm(const BoxParameters &box) {
    double length = 0.0;
    for (const PathSegment &s : box.segments)
        length += s.lengthCm;
    return length;
}

double PathVolumeLitres(const BoxParameters &box) {
    double m3 = 0.0;
    for (const PathSegment &s : box.segments)
        m3 += SegmentVolumeM3(DuctSegmentOf(s));
    return m3 * 1e3;
}

std::vector<double> SegmentBoundariesCm(const BoxParameters &box) {
    std::vector<double> at{0.0};
    for (const PathSegment &s : box.segments)
        at.push_back(at.back() + s.lengthCm);
    return at;
}

std::optional<size_t> TapAt(const BoxParameters &box, double cm) {
    const std::vector<double> at = SegmentBoundariesCm(box);
    for (size_t i = 0; i + 1 < at.size(); ++i)
        if (SamePlace(cm, at[i], at.back()))
            return i;
    return std::nullopt;
}

QString PathFault(const BoxParameters &box) {
    if (box.segments.empty())
        return QStringLiteral("enclosure.segments: give at least one segment");
    if (box.segments.size() > size_t(MostPathSegments))
        return QStringLiteral("enclosure.segments: at most %1 segments").arg(MostPathSegments);
    for (size_t i = 0; i < box.segments.size(); ++i) {
        const QString fault =
            SegmentFault(box.segments[i], i, i > 0 ? &box.segments[i - 1] : nullptr);
        if (!fault.isEmpty())
            return fault;
    }
    switch (box.kind) {
    case BoxKind::TransmissionLine:
        return TapFault(box, box.driverAtCm, "driver_at_cm");
    case BoxKind::TappedHorn: {
        const QString front = TapFault(box, box.frontAtCm, "front_at_cm");
        if (!front.isEmpty())
            return front;
        const QString rear = TapFault(box, box.rearAtCm, "rear_at_cm");
        if (!rear.isEmpty())
            return rear;
        if (!(*box.rearAtCm > *box.frontAtCm))
            return QStringLiteral("enclosure.rear_at_cm: must lie further along the path than "
                                  "front_at_cm");
        return QString();
    }
    default:
        return QString();
    }
}

void AddPathPiece(BoxCircuit &circuit, AcousticNode a, AcousticNode b,
                  const std::vector<DuctSegment> &segments, size_t from, size_t to,
                  const DuctAir &air) {
    circuit.addTwoPort(a, b, [segments, from, to, air](const DualComplex &jw) {
        return AdmittanceOf(PathTransfer(segments, from, to, air, jw));
    });
}

void AddPathToMouth(BoxCircuit &circuit, AcousticNode a, const std::vector<DuctSegment> &segments,
                    size_t from, Mouth mouth, const DuctAir &air) {
    const double mouthArea = segments.back().endAreaM2;
    circuit.addDuctOutlet(
        a, OutsideAir, VentSet::Main, mouthArea,
        [segments, from, mouth, mouthArea, air](const DualComplex &jw) {
            const TransferMatrix path = PathTransfer(segments, from, segments.size(), air, jw);
            if (mouth == Mouth::Open)
                return AdmittanceOf(path);
            return AdmittanceOf(path * SeriesImpedance(BaffledPistonImpedance(mouthArea, air, jw)));
        });
}

std::vector<std::pair<double, QString>> PathTaps(const BoxParameters &box) {
    const auto at = [](const std::optional<double> &cm, const char *name) {
        return std::make_pair(cm.value_or(0.0), QLatin1String(name));
    };
    switch (box.kind) {
    case BoxKind::TransmissionLine:
        return {at(box.driverAtCm, "driver")};
    case BoxKind::TappedHorn:
        return {at(box.frontAtCm, "front"), at(box.rearAtCm, "rear")};
    case BoxKind::FrontLoadedHorn:
        return {at(0.0, "throat")};
    default:
        return {};
    }
}

std::optional<double> PathSegmentCutoffHz(const PathSegment &segment, double soundSpeed) {
    return SegmentCutoffHz(DuctSegmentOf(segment), soundSpeed);
}

} // namespace dravik
