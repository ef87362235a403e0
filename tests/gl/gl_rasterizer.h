// The OpenGL device's drawing behind the rasterizer tests' interface: each list goes up with the
// target's pixels and depths, is drawn on the GPU, and comes back before the call returns. One
// context for the whole test program; without one every test is skipped, saying why.
#pragma once

#include <cstdint>

#include "platform/raster/raster.h"

namespace gltest {

class Rasterizer {
  public:
    explicit Rasterizer(int threads = 1);
    void drawTriangleList(const sw::RasterState& state, const sw::ColorTarget& color,
                          const sw::DepthTarget* depth, const D3DVERTEX* vertices,
                          std::uint32_t vertexCount);
    void finish() {}
};

}  // namespace gltest
