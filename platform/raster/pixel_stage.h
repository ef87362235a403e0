// The SIMD pixel stage: walks 4x4 blocks of a set-up triangle's bounding box and shades,
// depth-tests, dithers and writes the covered pixels, a row of a block per 128 bits of vector
// (one row with SSE2, two with AVX2).
#pragma once

#include "platform/raster/draw_context.h"
#include "platform/raster/simd.h"

namespace sw {
inline namespace SW_SIMD_ISA {

// The kernel specialised for the draw's texturing, specular and depth-test settings.
PixelStage selectPixelStage(const DrawContext& context);

}  // namespace SW_SIMD_ISA
}  // namespace sw
