#pragma once

#include "AcousticCircuit.h"
#include "DesignSetup.h"
#include "Ducts.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace dravik {

// A transmission line's or a horn's path as the circuit takes it: its
// segments in SI units, where the cone feeds it, and its mouth. Each piece
// between two taps is one two-port of the nodal solve; the last piece ends
// in the outside air through its mouth.

// The path's segments in metres and square metres.
std::vector<DuctSegment> DuctSegmentsOf(const BoxParameters &box);

// The path's length (cm) and the air in it (l).
double PathLengthCm(const BoxParameters &box);
double PathVolumeLitres(const BoxParameters &box);

// Where along the path (cm) each segment boundary lies: 0, then the end of
// each segment.
std::vector<double> SegmentBoundariesCm(const BoxParameters &box);

// The boundary at a place along the path: 0 at its start, k after the k-th
// segment; none where the place is no boundary or is the mouth.
std::optional<size_t> TapAt(const BoxParameters &box, double cm);

// Why the path of a design cannot be solved, naming the setup file's key:
// "enclosure.segments[2].t: must be from 0 to 1"; empty when it can. The
// segments' own figures, their count (1 to 16), each starting with the area
// the one before ends with, and the kind's taps at boundaries.
QString PathFault(const BoxParameters &box);

// The two-port of the segments [from, to) from node a to node b.
void AddPathPiece(BoxCircuit &circuit, AcousticNode a, AcousticNode b,
                  const std::vector<DuctSegment> &segments, size_t from, size_t to,
                  const DuctAir &air);
// The last piece, segments [from, end), from node a through the mouth
// into the outside air: its flow is the mouth's, through the mouth's area.
void AddPathToMouth(BoxCircuit &circuit, AcousticNode a, const std::vector<DuctSegment> &segments,
                    size_t from, Mouth mouth, const DuctAir &air);

// Where the cone feeds a kind's path, as its drawing names the places:
// a line's driver, a tapped horn's cone front and rear, a horn's throat.
std::vector<std::pair<double, QString>> PathTaps(const BoxParameters &box);

// A segment's cut-off frequency (Hz) where its flare has one.
std::optional<double> PathSegmentCutoffHz(const PathSegment &segment, double soundSpeed);

} // namespace dravik
