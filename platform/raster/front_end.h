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
    // A set-up triangle that covers pixels; `order` is its source triangle's place in the
    // submission (the triangles of a clipped polygon share it). Triangles arrive in order.
    virtual void add(const TriangleSetup& setup, std::uint32_t order) = 0;
    // The set-up triangles setups[i] of the bits i of `lanes`, of orders order + i.
    virtual void addLanes(const TriangleSetup* setups, int lanes, std::uint32_t order) {
        for (; lanes != 0; lanes &= lanes - 1) {
            const int i = std::countr_zero(static_cast<unsigned>(lanes));
            add(setups[i], order + static_cast<std::uint32_t>(i));
        }
    }

  protected:
    ~TriangleSink() = default;
};

inline namespace SW_SIMD_ISA {

// Runs triangles [first, first + count) of `vertices` through the front end; the order of
// triangle i is orderBase + i.
void drawTriangles(const DrawContext& context, TriangleSink& sink, const D3DVERTEX* vertices,
                   std::uint32_t first, std::uint32_t count, std::uint32_t orderBase);

}  // namespace SW_SIMD_ISA
}  // namespace sw
