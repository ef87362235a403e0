// The per-triangle work before the pixels: transform, outcodes, culling, lighting, clipping,
// projection and set-up. Each triangle that covers pixels goes to a sink, which draws it at once
// or keeps it for the tiles.
#pragma once

#include <cstdint>

#include "platform/raster/draw_context.h"
#include "platform/raster/triangle_setup.h"

namespace sw {

class TriangleSink {
  public:
    // Where the next triangle's set-up is built.
    virtual TriangleSetup& slot() = 0;
    // The slot holds a triangle that covers pixels; `order` is its source triangle's place in
    // the submission (the triangles of a clipped polygon share it).
    virtual void commit(std::uint32_t order) = 0;

  protected:
    ~TriangleSink() = default;
};

// Runs triangles [first, first + count) of `vertices` through the front end; the order of
// triangle i is orderBase + i.
void drawTriangles(const DrawContext& context, TriangleSink& sink, const D3DVERTEX* vertices,
                   std::uint32_t first, std::uint32_t count, std::uint32_t orderBase);

}  // namespace sw
