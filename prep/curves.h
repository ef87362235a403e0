// The curves of a node's tracks, built once from the keys or samples the file gives and evaluated
// at any tick. Each segment between two keys runs over its own parameter u from 0 to 1, eased at
// its ends where TCB keys ask for it.
//
// What the file's numbers mean (worked out from exported scenes and the exporter's documentation):
// - Times are ticks. Key lines give the value first: position x y z; rotation axis x y z and
//   angle in radians; scale factors x y z, then the scale axis x y z and its angle.
// - Bezier keys then give the in and out tangents as slopes in units per tick, forward in time;
//   the curve's handles lie a third of the segment away from each key.
// - TCB keys then give tension, continuity, bias (-1 … 1, 0 neutral; values beyond that range are
//   read on the 0 … 50 scale with 25 neutral) and ease in and out (0 … 50, read as fractions of the
//   segment after dividing by 50).
// - A rotation's angle turns clockwise about its axis seen from its tip (the exporter's quaternions
//   are left-handed): the rotation is fromAxisAngle(axis, -angle), as the node transform's rows
//   show. Each rotation sample or key is relative to the one before it, the first to the identity:
//   in column-vector terms the accumulated rotation is R_k = D_k * R_k-1. (In the exporter's own
//   row-vector terms: each new one applied first, in the node's own frame, then the accumulated
//   one.) A target camera's axis staying on its target, and a motion-capture figure coming back to
//   its rest pose at its last frame, pin both down.
// - The scale axis is absolute on every key, not accumulated.
#pragma once

#include <cstdint>
#include <vector>

#include "ase/records.h"
#include "prep/node_math.h"

// How a segment's parameter is slowed at its ends: the fractions of it spent speeding up from the
// first key and slowing down into the second.
struct Ease {
    double from = 0;
    double to = 0;
};
double eased(double u, const Ease& ease);

struct VectorCurve {
    std::vector<std::int32_t> times;  // in increasing order
    std::vector<Vec3> values;         // one per key
    std::vector<Vec3> handles;        // two per segment; empty for straight segments
    std::vector<Ease> eases;          // one per segment; empty when no key eases

    bool empty() const { return times.empty(); }
    // The value at `tick`, which must lie within the keys' times; the last value after them.
    Vec3 at(double tick) const;
};

struct RotationCurve {
    std::vector<std::int32_t> times;
    std::vector<Quat> values;  // accumulated, each on the same side of the sphere as the one before
    std::vector<Quat> handles;  // two per segment for a spherical spline; empty: arcs (slerp)
    std::vector<Ease> eases;

    bool empty() const { return times.empty(); }
    Quat at(double tick) const;
};

// The factors along the axes of a rotated frame: S = A * diag(factors) * A^T.
struct ScaleCurve {
    VectorCurve factors;
    RotationCurve axes;  // absolute, interpolated along arcs

    bool empty() const { return factors.empty(); }
};

VectorCurve positionCurve(const NodeTracks& tracks);
RotationCurve rotationCurve(const NodeTracks& tracks);
ScaleCurve scaleCurve(const NodeTracks& tracks);

// The segment that holds `tick`: the index of its first key (0 … size - 2), with the position
// within it in `u`. Needs at least two times.
std::size_t segmentAt(const std::vector<std::int32_t>& times, double tick, double& u);
