// Triangle set-up: snapped edge functions with the top-left rule, culling and the screen-space
// gradients of the interpolated attributes, for as many triangles at once as a vector has lanes.
#pragma once

#include <cstdint>

#include "platform/raster/draw_context.h"
#include "platform/raster/simd.h"

namespace sw {

struct TriangleSetup {
    // Edge functions over pixel-centre coordinates: E(px, py) = a * px + b * py + c, in 1/256
    // pixel units; a pixel is covered when all three are >= 0 (the top-left rule is folded
    // into c). |a| and |b| stay below 2^26: vertices lie within 2^16 pixels of the viewport.
    std::int32_t a[3], b[3];
    float refX, refY;            // where `base` holds, in pixels (the first vertex)
    int minX, minY, maxX, maxY;  // covered pixels lie inside, scissor applied
    // The largest and the smallest change of each edge function across a 4x4 block of pixels
    // (and two words that round the group up to eight).
    std::int32_t blockMax[3], blockMin[3], unused[2];
    std::int64_t c[3];
    alignas(16) float base[kAttrSlots];
    alignas(16) float ddx[kAttrSlots];
    alignas(16) float ddy[kAttrSlots];
};

inline namespace SW_SIMD_ISA {

inline constexpr int kSetupLanes = simd::Float::kLanes;

// Triangles after projection, one per lane: each corner's snapped position and attributes.
struct ScreenLanes {
    simd::Int fx[3], fy[3];
    simd::Float attr[3][kAttrCount];
};

// Twice the signed area of each lane's triangle in 1/256 pixel units, exactly; positive for
// triangles that run clockwise on screen (y grows downwards). Low and high half of the lanes.
struct AreaLanes {
    simd::Double low, high;
};

AreaLanes screenAreas(const ScreenLanes& s);

// The lanes (as bits) whose triangles pass culling; degenerate triangles never do.
int keptByCulling(const AreaLanes& area, CullMode mode);

// Sets up the triangles of the lanes in `kept` (which passed culling), lane i's into out[i];
// returns the lanes whose triangles cover pixels of the scissor rectangle.
int setupTriangles(const DrawContext& context, const ScreenLanes& s, const AreaLanes& area,
                   int kept, TriangleSetup (&out)[kSetupLanes]);

// The same for triangles given by their corners: culls them and sets up `count` (at most 32),
// triangle i's into out[i]; returns the triangles that cover pixels as bits.
std::uint32_t setupCorners(const DrawContext& context, const ScreenVertex* const (*corners)[3],
                           int count, TriangleSetup* out);

}  // namespace SW_SIMD_ISA
}  // namespace sw
