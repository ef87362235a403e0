// The SIMD pixel stage: walks 4x4 blocks of a set-up triangle's bounding box and shades,
// depth-tests, dithers and writes the covered pixels.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "platform/raster/draw_context.h"

namespace sw {

// The draw's constants in SIMD form, built once per draw.
struct PixelConstants {
    PixelConstants() = default;
    explicit PixelConstants(const DrawContext& context);

    // texturing
    const std::uint16_t* texels = nullptr;
    int width = 0, height = 0;
    TextureAddress mode = TextureAddress::kWrap;
    __m128i sizeLow;     // (width - 1, height - 1) in the low and high 16 bits of each lane
    __m128i sizeBits;    // (width, height)
    __m128i periodLow;   // (2 * width - 1, 2 * height - 1)
    __m128i pitchPairs;  // (1, pitch), for u + v * pitch
    __m128i texRedShift, texGreenMask, fiveBits;
    // output
    __m128i outRedShift;
    __m128 channelMax[3];
};

// The kernel specialised for the draw's texturing, specular and depth-test settings.
RasterizeFn selectRasterizer(const DrawContext& context);

}  // namespace sw
