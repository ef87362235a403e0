// The per-triangle work before the pixels: transform, outcodes, culling, lighting, clipping,
// projection and set-up, for as many triangles at once as a vector has lanes. Each triangle that
// covers pixels goes to a sink, which draws it at once or keeps it for the tiles.
#pragma once

#include <bit>
#include <cstdint>

#include "platform/raster/draw_context.h"
#include "platform/raster/triangle_setup.h"

namespace sw {

class TriangleSink {
  public:
    // A set-up triangle that covers pixels. Triangles arrive in submission order (the triangles
    // of a clipped polygon one after another).
    virtual void add(const TriangleSetup& setup) = 0;
    // The set-up triangles setups[i] of the bits i of `lanes`, in that order.
    virtual void addLanes(const TriangleSetup* setups, int lanes) {
        for (; lanes != 0; lanes &= lanes - 1)
            add(setups[std::countr_zero(static_cast<unsigned>(lanes))]);
    }

  protected:
    ~TriangleSink() = default;
};

inline namespace SW_SIMD_ISA {

// Runs triangles [first, first + count) of `vertices` through the front end, in order.
void drawTriangles(const DrawContext& context, TriangleSink& sink, const D3DVERTEX* vertices,
                   std::uint32_t first, std::uint32_t count);

}  // namespace SW_SIMD_ISA
}  // namespace sw
