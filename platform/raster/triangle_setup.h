// Triangle set-up: snapped edge functions with the top-left rule, culling and the screen-space
// gradients of the interpolated attributes.
#pragma once

#include <cstdint>

#include "platform/raster/draw_context.h"

namespace sw {

struct TriangleSetup {
    // Edge functions over pixel-centre coordinates: E(px, py) = a * px + b * py + c, in 1/256
    // pixel units; a pixel is covered when all three are >= 0 (the top-left rule is folded
    // into c).
    std::int64_t a[3], b[3], c[3];
    int minX, minY, maxX, maxY;  // covered pixels lie inside, scissor applied
    float refX, refY;            // where `base` holds, in pixels (the first vertex)
    alignas(16) float base[kAttrSlots];
    alignas(16) float ddx[kAttrSlots];
    alignas(16) float ddy[kAttrSlots];
};

// Twice the signed area in 1/256 pixel units; positive for triangles that run clockwise on
// screen (y grows downwards).
inline std::int64_t screenArea(const ScreenVertex& v0, const ScreenVertex& v1,
                               const ScreenVertex& v2) {
    return (static_cast<std::int64_t>(v1.fx) - v0.fx) * (static_cast<std::int64_t>(v2.fy) - v0.fy) -
           (static_cast<std::int64_t>(v1.fy) - v0.fy) * (static_cast<std::int64_t>(v2.fx) - v0.fx);
}

// Degenerate triangles count as culled: they cover no pixel.
inline bool isCulled(std::int64_t area, CullMode mode) {
    if (area == 0) return true;
    if (mode == CullMode::kCounterClockwise) return area < 0;
    if (mode == CullMode::kClockwise) return area > 0;
    return false;
}

// Builds the set-up of a triangle that passed culling; false when it covers no pixel of the
// scissor rectangle.
bool setupTriangle(const DrawContext& context, const ScreenVertex& v0, const ScreenVertex& v1,
                   const ScreenVertex& v2, TriangleSetup& setup);

}  // namespace sw
