// The SIMD pixel stage: walks 4x4 blocks of a set-up triangle's bounding box and shades,
// depth-tests, dithers and writes the covered pixels.
#pragma once

#include "platform/raster/draw_context.h"

namespace sw {

// The kernel specialised for the draw's texture, specular and depth-test switches.
RasterizeFn selectRasterizer(bool textured, bool specular, bool depthTest);

}  // namespace sw
