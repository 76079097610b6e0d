#include "ListeningSpace.h"

#include "Acoustics.h"
#include "DesignModel.h"
#include "NamedValues.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace dravik {

namespace {

constexpr double Pi = acoustics::PiFull;

constexpr NamedValue<SpaceKind> Kinds[] = {
    {SpaceKind::FullSpace, "full-space", "Full space"},
    {SpaceKind::HalfSpace, "half-space", "Half space"},
    {SpaceKind::QuarterSpace, "quarter-space", "Quarter space"},
    {SpaceKind::EighthSpace, "eighth-space", "Eighth space"},
    {SpaceKind::Car, "car", "Car"},
    {SpaceKind::Room, "room", "Room"},
};

// A room's walls: from a hand's breadth to a large hall's, so that its modes
// can be counted in bounded time.
constexpr double SmallestRoomM = 0.1;
constexpr double LargestRoomM = 1000.0;
constexpr double LongestReverberationS = 100.0;
// The cabin's most gain, dB: far beyond any cabin, within finite figures.
constexpr double LargestCabinGainDb = 120.0;
constexpr double SteepestCabinSlope = 48.0; // dB per octave

// T60 is the time the level takes to fall 60 dB: each mode decays at
// delta = 3 ln 10 / T60 = 6.91 / T60.
constexpr double DecayPerT60 = 6.91;

// Weyl's count of a rigid rectangular room's modes below f: 4 pi V f^3 /
// (3 c^3) + pi S f^2 / (4 c^2) + L f / (8 c), with S the walls' whole area
// and L the edges' whole length. It bounds the search for the modes.
double EstimatedModes(double lx, double ly, double lz, double c, double f) {
    const double volume = lx * ly * lz;
    const double surface = 2.0 * (lx * ly + ly * lz + lx * lz);
    const double edges = 4.0 * (lx + ly + lz);
    return 4.0 * Pi * volume * f * f * f / (3.0 * c * c * c) +
           Pi * surface * f * f / (4.0 * c * c) + edges * f / (8.0 * c);
}

QString Metres(double v) {
    return QLocale::c().toString(v, 'g', 6) + QStringLiteral(" m");
}

bool Within(const std::optional<double> &v, double low, double high) {
    return v && std::isfinite(*v) && *v >= low && *v <= high;
}

} // namespace

const char *SpaceKindName(SpaceKind kind) {
    return NameOf(Kinds, kind);
}

const char *SpaceKindCaption(SpaceKind kind) {
    return CaptionOf(Kinds, kind);
}

std::optional<SpaceKind> SpaceKindNamed(const QString &name) {
    return ValueNamed(Kinds, name);
}

double FreeFieldGainDb(SpaceKind kind) {
    switch (kind) {
    case SpaceKind::FullSpace:
        return 20.0 * std::log10(0.5);
    case SpaceKind::QuarterSpace:
        return 20.0 * std::log10(2.0);
    case SpaceKind::EighthSpace:
        return 20.0 * std::log10(4.0);
    default:
        return 0.0;
    }
}

double CabinGainDb(double f, double cornerHz, double slopeDbPerOctave, double maxGainDb) {
    const double x = std::log2(cornerHz / f);
    const double kx = CabinKnee * x;
    // ln(1 + e^kx) without overflow far below the corner, where it is kx.
    const double softPlus = kx > 30.0 ? kx + std::log1p(std::exp(-kx)) : std::log1p(std::exp(kx));
    return std::min(slopeDbPerOctave * softPlus / CabinKnee, maxGainDb);
}

double CabinCornerHz(double lengthM, double soundSpeed) {
    return soundSpeed / (2.0 * lengthM);
}

std::vector<RoomMode> RoomModes(double lx, double ly, double lz, double c, double highestHz,
                                int maxModes) {
    // Past twice the count wanted by Weyl's estimate no mode is needed.
    double fCap = highestHz;
    if (EstimatedModes(lx, ly, lz, c, fCap) > 2.0 * maxModes) {
        double low = 0.0, high = fCap;
        for (int i = 0; i < 60; ++i) {
            const double mid = 0.5 * (low + high);
            (EstimatedModes(lx, ly, lz, c, mid) > 2.0 * maxModes ? high : low) = mid;
        }
        fCap = high;
    }
    const double k2 = (2.0 * fCap / c) * (2.0 * fCap / c); // (n_x/L_x)^2 + ... at most
    std::vector<RoomMode> modes;
    for (int nx = 0; nx / lx * (nx / lx) <= k2; ++nx)
        for (int ny = 0; std::pow(nx / lx, 2) + std::pow(ny / ly, 2) <= k2; ++ny)
            for (int nz = 0;; ++nz) {
                const double sum =
                    std::pow(nx / lx, 2) + std::pow(ny / ly, 2) + std::pow(nz / lz, 2);
                if (sum > k2)
                    break;
                modes.push_back({{nx, ny, nz}, 0.5 * c * std::sqrt(sum)});
            }
    std::sort(modes.begin(), modes.end(), [](const RoomMode &a, const RoomMode &b) {
        return a.hz < b.hz || (a.hz == b.hz && a.index < b.index);
    });
    if (modes.size() > static_cast<size_t>(maxModes))
        modes.resize(static_cast<size_t>(maxModes));
    return modes;
}

double SchroederHz(double reverberationS, double volumeM3) {
    return 2000.0 * std::sqrt(reverberationS / volumeM3);
}

double RoomModesWantedHz(double chartHighestHz) {
    return std::min(2.0 * chartHighestHz, RoomModesUpToHz);
}

std::vector<RoomMode> SummedRoomModes(const RoomParameters &room, double c, double chartHighestHz,
                                      int maxModes) {
    return RoomModes(*room.lengthM, *room.widthM, *room.heightM, c,
                     RoomModesWantedHz(chartHighestHz), maxModes);
}

RoomResponse MakeRoomResponse(const RoomParameters &room, double c,
                              const std::vector<RoomMode> &modes, double chartHighestHz,
                              int maxModes) {
    RoomResponse r;
    const double lx = *room.lengthM, ly = *room.widthM, lz = *room.heightM;
    const double volume = lx * ly * lz;
    // Each mode's shape is a product of one cosine an axis: the factors
    // 2 cos(n pi x_s / L) cos(n pi x_l / L) (psi at the source and the
    // listener over Lambda's 1/2), worked out once for every index in use.
    const double length[3] = {lx, ly, lz};
    std::vector<double> factors[3];
    for (size_t i = 0; i < 3; ++i) {
        int highest = 0;
        for (const RoomMode &m : modes)
            highest = std::max(highest, m.index[i]);
        factors[i].assign(static_cast<size_t>(highest) + 1, 1.0);
        for (int n = 1; n <= highest; ++n) {
            const double k = n * Pi / length[i];
            factors[i][static_cast<size_t>(n)] =
                2.0 * std::cos(k * *room.sourceM[i]) * std::cos(k * *room.listenerM[i]);
        }
    }
    r.wn2.reserve(modes.size() + 1);
    r.weight.reserve(modes.size() + 1);
    for (const RoomMode &m : modes) {
        const double wn = 2.0 * Pi * m.hz;
        r.wn2.push_back(wn * wn);
        r.weight.push_back(factors[0][static_cast<size_t>(m.index[0])] *
                           factors[1][static_cast<size_t>(m.index[1])] *
                           factors[2][static_cast<size_t>(m.index[2])]);
    }
    r.modes = modes.size();
    if (r.wn2.size() % 2 != 0) {
        r.wn2.push_back(0.0);
        r.weight.push_back(0.0);
    }
    r.damping = 2.0 * DecayPerT60 / *room.reverberationS;
    r.factor = 2.0 * Pi * c * c / volume;
    r.schroederHz = SchroederHz(*room.reverberationS, volume);
    r.highestModeHz = modes.empty() ? 0.0 : modes.back().hz;
    r.truncated = modes.size() == static_cast<size_t>(maxModes) &&
                  r.highestModeHz < RoomModesWantedHz(chartHighestHz);
    return r;
}

RoomResponse MakeRoomResponse(const RoomParameters &room, double c, double chartHighestHz,
                              int maxModes) {
    return MakeRoomResponse(room, c, SummedRoomModes(room, c, chartHighestHz, maxModes),
                            chartHighestHz, maxModes);
}

namespace {

// Two doubles worked on together: the compiler's vector extension, SSE2 on
// x86-64, plain pairs elsewhere. Each lane sums every other mode, in the
// same order whatever the machine.
typedef double Pair __attribute__((vector_size(16)));

} // namespace

DualComplex RoomResponse::at(double w) const {
    // Each mode adds weight / den, den = a + j b with a = wn^2 - w^2 and
    // b = 2 delta w; with 1 / den = (a - j b) / |den|^2 that is
    //   sum = sum(weight a / |den|^2) - j b sum(weight / |den|^2).
    // Its slope in w is -den' sum(weight / den^2), den' = -2 w + j 2 delta
    // the same for every mode, and 1 / den^2 = (a^2 - b^2 - 2 j a b) / |den|^4:
    //   slope = -den' (sum(weight (a^2 - b^2) / |den|^4) - 2 j b sum(weight a / |den|^4)).
    const double w2 = w * w;
    const double b = damping * w;
    const Pair w2s = {w2, w2};
    const Pair b2s = {b * b, b * b};
    const Pair ones = {1.0, 1.0};
    Pair realSum = {0.0, 0.0}, weightSum = {0.0, 0.0}, squareSum = {0.0, 0.0},
         slopeSum = {0.0, 0.0};
    for (size_t i = 0; i < wn2.size(); i += 2) {
        const Pair n2 = {wn2[i], wn2[i + 1]};
        const Pair g = {weight[i], weight[i + 1]};
        const Pair a = n2 - w2s;
        const Pair a2 = a * a;
        const Pair inverse = ones / (a2 + b2s);
        const Pair gi = g * inverse;
        realSum += gi * a;
        weightSum += gi;
        const Pair gi2 = gi * inverse;
        squareSum += gi2 * (a2 - b2s);
        slopeSum += gi2 * a;
    }
    const std::complex<double> sum(realSum[0] + realSum[1], -b * (weightSum[0] + weightSum[1]));
    const std::complex<double> squares(squareSum[0] + squareSum[1],
                                       -2.0 * b * (slopeSum[0] + slopeSum[1]));
    const std::complex<double> denSlope(-2.0 * w, damping);
    // The room's pressure over half space's: j w rho c^2 Q / V over
    // j w rho Q / (2 pi r): the j w rho cancel.
    return {factor * sum, -factor * Multiply(denSlope, squares)};
}

std::complex<double> RoomResponse::valueAt(double w) const {
    // The sums of at() that give the value, in the same order, without
    // those of its slope.
    const double w2 = w * w;
    const double b = damping * w;
    const Pair w2s = {w2, w2};
    const Pair b2s = {b * b, b * b};
    const Pair ones = {1.0, 1.0};
    Pair realSum = {0.0, 0.0}, weightSum = {0.0, 0.0};
    for (size_t i = 0; i < wn2.size(); i += 2) {
        const Pair n2 = {wn2[i], wn2[i + 1]};
        const Pair g = {weight[i], weight[i + 1]};
        const Pair a = n2 - w2s;
        const Pair inverse = ones / (a * a + b2s);
        const Pair gi = g * inverse;
        realSum += gi * a;
        weightSum += gi;
    }
    return factor *
           std::complex<double>(realSum[0] + realSum[1], -b * (weightSum[0] + weightSum[1]));
}

namespace {

struct SpaceValueFault {
    ModelInput input;
    QString sentence;
};

// Every value of the space that cannot be used, in the order the window
// shows them.
std::vector<SpaceValueFault> SpaceFaults(const ListeningSpace &space) {
    using I = ModelInput;
    std::vector<SpaceValueFault> faults;
    if (space.kind == SpaceKind::Car) {
        const CabinParameters &c = space.cabin;
        if (c.cornerFromLength && !Within(c.lengthM, SmallestRoomM, LargestRoomM))
            faults.push_back(
                {I::CabinLength, QStringLiteral("The cabin's length must be from %1 to %2.")
                                     .arg(Metres(SmallestRoomM), Metres(LargestRoomM))});
        if (!c.cornerFromLength && !Within(c.cornerHz, 1.0, 1000.0))
            faults.push_back(
                {I::CabinCorner,
                 QStringLiteral("The cabin's corner frequency must be from 1 to 1000 Hz.")});
        // Above 0, as the setup file takes them: a cabin that adds nothing
        // is half space.
        if (!Within(c.slopeDbPerOctave, 0.0, SteepestCabinSlope) || *c.slopeDbPerOctave <= 0.0)
            faults.push_back(
                {I::CabinSlope,
                 QStringLiteral("The cabin's slope must be above 0 and at most %1 dB per octave.")
                     .arg(SteepestCabinSlope)});
        if (!Within(c.maxGainDb, 0.0, LargestCabinGainDb) || *c.maxGainDb <= 0.0)
            faults.push_back({I::CabinMaxGain,
                              QStringLiteral("The cabin's most gain must be above 0 and at most "
                                             "%1 dB.")
                                  .arg(LargestCabinGainDb)});
    }
    if (space.kind == SpaceKind::Room) {
        const RoomParameters &r = space.room;
        const std::optional<double> walls[3] = {r.lengthM, r.widthM, r.heightM};
        const char *wallNames[3] = {"length", "width", "height"};
        const ModelInput wallInputs[3] = {I::RoomLength, I::RoomWidth, I::RoomHeight};
        bool wallsUsable = true;
        for (int i = 0; i < 3; ++i)
            if (!Within(walls[i], SmallestRoomM, LargestRoomM)) {
                wallsUsable = false;
                faults.push_back(
                    {wallInputs[i], QStringLiteral("The room's %1 must be from %2 to %3.")
                                        .arg(QLatin1String(wallNames[i]), Metres(SmallestRoomM),
                                             Metres(LargestRoomM))});
            }
        if (!Within(r.reverberationS, 1e-3, LongestReverberationS))
            faults.push_back({I::RoomReverberation,
                              QStringLiteral("The room's reverberation time T60 must be above 0 s "
                                             "and at most %1 s.")
                                  .arg(LongestReverberationS)});
        const ModelInput sourceInputs[3] = {I::SourceX, I::SourceY, I::SourceZ};
        const ModelInput listenerInputs[3] = {I::ListenerX, I::ListenerY, I::ListenerZ};
        for (int i = 0; i < 3; ++i) {
            const double wall = wallsUsable ? *walls[i] : LargestRoomM;
            if (!Within(r.sourceM[static_cast<size_t>(i)], 0.0, wall))
                faults.push_back(
                    {sourceInputs[i], QStringLiteral("The box must stand inside the room.")});
        }
        for (int i = 0; i < 3; ++i) {
            const double wall = wallsUsable ? *walls[i] : LargestRoomM;
            if (!Within(r.listenerM[static_cast<size_t>(i)], 0.0, wall))
                faults.push_back(
                    {listenerInputs[i], QStringLiteral("The listener must be inside the room.")});
        }
    }
    return faults;
}

} // namespace

std::optional<QString> SpaceFault(const ListeningSpace &space) {
    const std::vector<SpaceValueFault> faults = SpaceFaults(space);
    if (faults.empty())
        return std::nullopt;
    return faults.front().sentence;
}

ModelInputs UnusableSpaceInputs(const ListeningSpace &space) {
    ModelInputs m = 0;
    for (const SpaceValueFault &f : SpaceFaults(space))
        m |= Bit(f.input);
    return m;
}

std::vector<GridPosition> PlacementGrid(const RoomParameters &room) {
    const double lx = room.lengthM.value_or(0.0), ly = room.widthM.value_or(0.0);
    const double z = room.sourceM[2].value_or(0.0);
    // A box stands a little off the walls: 0.3 m, or a quarter of a short room.
    const auto offWall = [](double length) { return std::min(0.3, length / 4.0); };
    const double xs[3] = {offWall(lx), lx / 2.0, lx - offWall(lx)};
    const double ys[3] = {offWall(ly), ly / 2.0, ly - offWall(ly)};
    const char *rows[3] = {"front", "middle", "back"};
    const char *columns[3] = {"left", "centre", "right"};
    std::vector<GridPosition> grid;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            grid.push_back({QLatin1String(rows[i]) + QLatin1Char(' ') + QLatin1String(columns[j]),
                            {xs[i], ys[j], z}});
    return grid;
}

const std::vector<CabinPreset> &CabinPresets() {
    static const std::vector<CabinPreset> presets = {
        {"Saloon", 2.5, 9.0},
        {"SUV", 3.1, 10.0},
        {"Hatchback", 2.2, 12.0},
    };
    return presets;
}

const std::vector<RoomPreset> &RoomPresets() {
    static const std::vector<RoomPreset> presets = {
        {"Small room", 4.0, 3.2, 2.4, 0.35},     {"Medium room", 6.0, 4.5, 2.6, 0.45},
        {"Large room", 8.5, 6.0, 2.8, 0.55},     {"Small cinema", 12.0, 8.0, 4.5, 0.6},
        {"Medium cinema", 20.0, 14.0, 7.0, 0.8}, {"Large cinema", 30.0, 20.0, 10.0, 1.0},
        {"Hall", 45.0, 28.0, 15.0, 1.8},
    };
    return presets;
}

RoomParameters RoomOfPreset(const RoomPreset &preset) {
    constexpr double FromWalls = 0.3;
    constexpr double EarHeight = 1.1;
    constexpr double ListenerFromBack = 0.38;
    RoomParameters r;
    r.lengthM = preset.lengthM;
    r.widthM = preset.widthM;
    r.heightM = preset.heightM;
    r.reverberationS = preset.reverberationS;
    r.sourceM = {FromWalls, FromWalls, FromWalls};
    // To the centimetre, as a user would type it.
    const auto centimetres = [](double m) { return std::round(m * 100.0) / 100.0; };
    r.listenerM = {centimetres(preset.lengthM * (1.0 - ListenerFromBack)),
                   centimetres(preset.widthM / 2.0), EarHeight};
    return r;
}

} // namespace dravik
