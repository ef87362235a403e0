// The stages of the pipeline that run in SIMD lanes, compiled once for each instruction set: the
// front end (vertices to set-up triangles), the set-up itself and the pixel stage. The rest of
// the rasterizer reaches them only through this table.
#pragma once

#include <cstdint>

#include "platform/raster/draw_context.h"

namespace sw {

class TriangleSink;

struct Kernels {
    InstructionSet set;
    // Runs triangles [first, first + count) of `vertices` through transform, lighting, clipping,
    // projection and set-up; what covers pixels goes to the sink in order.
    void (*drawTriangles)(const DrawContext& context, TriangleSink& sink, const D3DVERTEX* vertices,
                          std::uint32_t first, std::uint32_t count);
    // The pixel stage specialised for the draw's texturing, specular and depth settings.
    PixelStage (*selectPixelStage)(const DrawContext& context);
    // Sets up `count` triangles given by their corners, culled by the context's mode: triangle
    // i's set-up goes to out[i] when it covers pixels, and its bit in the result is set.
    std::uint32_t (*setupTriangles)(const DrawContext& context,
                                    const ScreenVertex* const (*corners)[3], int count,
                                    TriangleSetup* out);
};

// The kernels of `set`, or of SSE2 where the processor does not run `set`.
const Kernels& kernelsFor(InstructionSet set);

// Each compilation of the kernels defines its table in its own namespace (see simd.h).
inline namespace sse2 {
const Kernels& kernels();
}
inline namespace avx2 {
const Kernels& kernels();
}

}  // namespace sw
