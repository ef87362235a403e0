// Texel addressing and sampling for the pixel stage: four pixels' texture coordinates to texel
// offsets (wrap, mirror or clamp), the four texels fetched and split into their channels.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "platform/raster/draw_context.h"
#include "platform/raster/simd.h"
#include "platform/raster/texture_address.h"

namespace sw {

// How texel coordinates are brought onto the texture; the power-of-two cases work on u and v
// together in 16-bit lanes.
enum class TexturePath { kNone, kMirrorPow2, kWrapPow2, kGeneral };

// The draw's texture in the form the sampling needs, built once per draw.
struct TextureConstants {
    TextureConstants() = default;
    explicit TextureConstants(const TextureSampler& t);

    const std::uint16_t* texels = nullptr;
    int width = 0, height = 0;
    TextureAddress mode = TextureAddress::kWrap;
    simd::I4 sizeLow;     // (width - 1, height - 1) in the low and high 16 bits of each lane
    simd::I4 sizeBits;    // (width, height)
    simd::I4 periodLow;   // (2 * width - 1, 2 * height - 1)
    simd::I4 pitchPairs;  // (1, pitch), for u + v * pitch
    simd::I4 redShift;    // the texel layout's red position, as a shift count
    simd::I4 greenMax;
};

// One 32-bit lane of two 16-bit values: `low` below, `high` above.
inline simd::I4 pairs(int low, int high) {
    return simd::I4(static_cast<std::int32_t>((static_cast<std::uint32_t>(high) << 16) |
                                              (static_cast<std::uint32_t>(low) & 0xFFFF)));
}

inline TextureConstants::TextureConstants(const TextureSampler& t)
    : texels(t.texels),
      width(t.width),
      height(t.height),
      mode(t.mode),
      sizeLow(pairs(t.width - 1, t.height - 1)),
      sizeBits(pairs(t.width, t.height)),
      periodLow(pairs(2 * t.width - 1, 2 * t.height - 1)),
      pitchPairs(pairs(1, t.pitch)),
      redShift(_mm_cvtsi32_si128(t.redShift)),
      greenMax(t.greenMask) {}

// floor() as int32. Out-of-range and NaN inputs give some int32 (the conversion's
// 0x80000000), which every addressing path below maps onto the texture.
inline simd::I4 floorToInt(simd::F4 coord) {
    const simd::I4 truncated = simd::truncateToInt(coord);
    return truncated + simd::asInt(simd::toFloat(truncated) > coord);  // -1 where rounded up
}

inline simd::I4 addressEachLane(simd::I4 index, int size, TextureAddress mode) {
    alignas(16) std::int32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), index);
    for (int& lane : lanes) lane = texelIndex(lane, size, mode);
    return _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
}

// Indices already on the texture pass unchanged; the rest go through the addressing mode.
inline simd::I4 addressGeneral(simd::I4 index, int size, TextureAddress mode) {
    const simd::I4 inRange = (index < simd::I4(size)) & (index > simd::I4(-1));
    if (simd::bits(inRange) == 0xF) return index;
    return addressEachLane(index, size, mode);
}

// Texel offsets (u + v * pitch) for four pixels.
template <TexturePath kTex>
inline simd::I4 texelOffsets(const TextureConstants& k, simd::F4 u, simd::F4 v) {
    using simd::I4;
    I4 uv;
    if constexpr (kTex == TexturePath::kGeneral) {
        uv = addressGeneral(floorToInt(u), k.width, k.mode) |
             (addressGeneral(floorToInt(v), k.height, k.mode) << 16);
    } else {
        // Coordinates were moved to >= 0 by whole periods, so truncation is floor; a value
        // that rounding left just below 0 truncates to texel 0, where mirroring puts -1 too.
        // With power-of-two sizes the low 16 bits of the index decide the texel.
        uv = (simd::truncateToInt(u) & I4(0xFFFF)) | (simd::truncateToInt(v) << 16);
        if constexpr (kTex == TexturePath::kMirrorPow2) {
            const I4 m = uv & k.periodLow;
            const I4 flip = _mm_cmpeq_epi16(m & k.sizeBits, k.sizeBits);  // odd periods
            uv = m ^ (flip & k.periodLow);
        } else {
            uv = uv & k.sizeLow;
        }
    }
    return _mm_madd_epi16(uv, k.pitchPairs);  // u * 1 + v * pitch
}

struct Texel {
    simd::F4 r, g, b;  // channel values as stored: 0..31, or 0..63 for 6-bit green
};

template <TexturePath kTex>
inline Texel sampleTexture(const TextureConstants& k, simd::F4 u, simd::F4 v) {
    using simd::I4;
    alignas(16) std::int32_t at[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(at), texelOffsets<kTex>(k, u, v));
    __m128i gathered = _mm_cvtsi32_si128(k.texels[at[0]]);
    gathered = _mm_insert_epi16(gathered, k.texels[at[1]], 1);
    gathered = _mm_insert_epi16(gathered, k.texels[at[2]], 2);
    gathered = _mm_insert_epi16(gathered, k.texels[at[3]], 3);
    const I4 texels = _mm_unpacklo_epi16(gathered, _mm_setzero_si128());
    const I4 fiveBits(31);
    return {simd::toFloat(simd::shiftRightLogical(texels, k.redShift) & fiveBits),
            simd::toFloat((texels >> 5) & k.greenMax),  // texels are 16-bit: no sign to extend
            simd::toFloat(texels & fiveBits)};
}

}  // namespace sw
