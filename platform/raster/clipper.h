// Clips a triangle in homogeneous clip space against the planes named in an outcode mask,
// interpolating every vertex field.
#pragma once

#include "platform/raster/draw_context.h"

namespace sw {

// Each plane can add at most one vertex to a convex polygon.
inline constexpr int kMaxClippedVertices = 3 + kClipPlaneCount;

// Clips the triangle `in` against every plane whose bit is set in `planes`. Writes the convex
// polygon to `out` and returns its vertex count (0 when nothing is left).
int clipTriangle(const DrawContext& context, const ShadedVertex (&in)[3], unsigned planes,
                 ShadedVertex (&out)[kMaxClippedVertices]);

}  // namespace sw
