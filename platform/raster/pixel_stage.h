// The SIMD pixel stage: walks 4x4 blocks of a set-up triangle's bounding box and shades,
// depth-tests, dithers and writes the covered pixels.
#pragma once

#include "platform/raster/draw_context.h"

namespace sw {

// The kernel specialised for the draw's texturing, specular and depth-test settings.
RasterizeFn selectRasterizer(const DrawContext& context);

}  // namespace sw
