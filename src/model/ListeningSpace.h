#pragma once

#include "DualComplex.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace dravik {

// Where the listener hears the box. The charts' levels are at 1 m in half
// space; the listening space multiplies that pressure.
//   full, half, quarter, eighth space   an ideal solid angle: -6.02, 0,
//                                       +6.02, +12.04 dB
//   car                                 a cabin's gain rising below its
//                                       corner frequency
//   room                                a closed rectangular room's modes,
//                                       from the box at one point to the
//                                       listener at another
enum class SpaceKind : std::uint8_t { FullSpace, HalfSpace, QuarterSpace, EighthSpace, Car, Room };
inline constexpr int SpaceKindCount = 6;

// A car's cabin: a gain of S dB per octave below the corner fc with a soft
// knee, S ln(1 + e^(k x)) / k with x = log2(fc / f) and k = 3, at most
// maxGainDb. The corner is typed, or follows from the cabin's longest inside
// dimension L as c / (2 L).
struct CabinParameters {
    bool cornerFromLength = false;
    std::optional<double> cornerHz;
    std::optional<double> lengthM;
    std::optional<double> slopeDbPerOctave;
    std::optional<double> maxGainDb = DefaultMaxGainDb;

    static constexpr double DefaultMaxGainDb = 40.0;
};

// A closed rectangular room with rigid walls and one reverberation time,
// the box and the listener at points of it (metres from one corner, along
// its length, width and height).
struct RoomParameters {
    std::optional<double> lengthM, widthM, heightM;
    std::optional<double> reverberationS; // T60
    std::array<std::optional<double>, 3> sourceM;
    std::array<std::optional<double>, 3> listenerM;
};

struct ListeningSpace {
    SpaceKind kind = SpaceKind::HalfSpace;
    CabinParameters cabin;
    RoomParameters room;
};

bool operator==(const ListeningSpace &a, const ListeningSpace &b);
inline bool operator!=(const ListeningSpace &a, const ListeningSpace &b) {
    return !(a == b);
}

const char *SpaceKindName(SpaceKind kind);    // "quarter-space", as the setup file has it
const char *SpaceKindCaption(SpaceKind kind); // "Quarter space", as the window shows it
std::optional<SpaceKind> SpaceKindNamed(const QString &name);

// The gain of an ideal solid angle over half space, dB: 20 log10 of 1/2,
// 1, 2 or 4.
double FreeFieldGainDb(SpaceKind kind);

// The cabin's gain at f, dB, for a corner, slope and most gain.
double CabinGainDb(double f, double cornerHz, double slopeDbPerOctave, double maxGainDb);
// The cabin's corner from its longest inside dimension: c / (2 L).
double CabinCornerHz(double lengthM, double soundSpeed);
inline constexpr double CabinKnee = 3.0; // k of the soft knee

// A room's mode: its indices along length, width and height, and its
// frequency c/2 sqrt(sum (n_i / L_i)^2).
struct RoomMode {
    std::array<int, 3> index;
    double hz;
};
// The room's modes up to `highestHz`, lowest first, at most `maxModes` of
// them (the lowest), so a large room costs no more than a bound.
std::vector<RoomMode> RoomModes(double lengthM, double widthM, double heightM, double soundSpeed,
                                double highestHz, int maxModes);
inline constexpr int MaxRoomModes = 4000;
// Modes are taken up to twice the highest frequency of the room's chart,
// or this, whichever is lower.
inline constexpr double RoomModesUpToHz = 500.0;
// The room chart's highest frequency: the room's field is modal well below it.
inline constexpr double RoomChartHighestHz = 250.0;

// The Schroeder frequency 2000 sqrt(T60 / V), above which the room's field
// is statistical rather than modal.
double SchroederHz(double reverberationS, double volumeM3);

// The room as the model sums it: its modes with each one's weight at the
// source and listener, ready to be evaluated at many frequencies.
struct RoomResponse {
    // w_n^2 and psi_n(source) psi_n(listener) / Lambda_n of each mode, as
    // plain arrays, padded to an even length with modes of no weight.
    std::vector<double> wn2, weight;
    size_t modes = 0;
    double damping = 0.0; // 2 delta = 2 x 6.91 / T60, the same for every mode
    double factor = 0.0;  // 2 pi (1 m) c^2 / V: the room's pressure over half space's
    double schroederHz = 0.0;
    double highestModeHz = 0.0;
    bool truncated = false; // the count bound took modes off below the wanted frequency

    // The room's pressure over that of half space at 1 m for the same
    // volume velocity, with its slope in w.
    DualComplex at(double w) const;
    // The same without the slope, for a level alone.
    std::complex<double> valueAt(double w) const;
};
RoomResponse MakeRoomResponse(const RoomParameters &room, double soundSpeed, double chartHighestHz,
                              int maxModes = MaxRoomModes);
// The modes that sums, and the response of the same room for other places
// of the box or the listener: the modes depend on the walls alone.
std::vector<RoomMode> SummedRoomModes(const RoomParameters &room, double soundSpeed,
                                      double chartHighestHz, int maxModes = MaxRoomModes);
RoomResponse MakeRoomResponse(const RoomParameters &room, double soundSpeed,
                              const std::vector<RoomMode> &modes, double chartHighestHz,
                              int maxModes = MaxRoomModes);

// Why the space cannot be used, or empty: a wall of zero length, the box or
// the listener outside the room, a reverberation time not above zero, a
// car's slope or corner that is no number.
std::optional<QString> SpaceFault(const ListeningSpace &space);

// The positions a user may put the box at: a 3 x 3 grid over the floor plan
// (front, middle, back by left, centre, right), each a little off the walls,
// at the given height.
struct GridPosition {
    QString name; // "front left"
    std::array<double, 3> m;
};
std::vector<GridPosition> PlacementGrid(const RoomParameters &room);

// Starting points a user picks from and then edits as numbers.
//
// Cabins: the corner from a typical longest inside dimension as c / (2 L)
// (2.5 m saloon, 3.1 m SUV, 2.2 m hatchback, at 345 m/s), the slope within
// the 9 to 13.5 dB per octave that measured cabins show.
struct CabinPreset {
    const char *name;
    double lengthM;
    double slopeDbPerOctave;
};
const std::vector<CabinPreset> &CabinPresets();

// Rooms: dimensions and T60 of typical rooms and halls; the listener seated
// (ears 1.1 m up) on the room's long axis, 38 % of its length from the back
// wall; the box at the front left, 0.3 m off both walls and the floor.
struct RoomPreset {
    const char *name;
    double lengthM, widthM, heightM, reverberationS;
};
const std::vector<RoomPreset> &RoomPresets();
RoomParameters RoomOfPreset(const RoomPreset &preset);

} // namespace dravik
