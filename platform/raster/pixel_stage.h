// The SIMD pixel stage: walks 4x4 blocks of a set-up triangle's bounding box and shades,
// depth-tests, dithers and writes the covered pixels.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "platform/raster/draw_context.h"
#include "platform/raster/texture_sample.h"

namespace sw {

// The draw's constants in SIMD form, built once per draw.
struct PixelConstants {
    PixelConstants() = default;
    explicit PixelConstants(const DrawContext& context);

    TextureConstants texture;
    // output
    __m128i outRedShift;
    __m128 channelMax[3];
};

// The kernel specialised for the draw's texturing, specular and depth-test settings.
RasterizeFn selectRasterizer(const DrawContext& context);

}  // namespace sw
