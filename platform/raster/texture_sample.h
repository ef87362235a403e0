// Texel addressing and sampling for the pixel stage: a vector of pixels' texture coordinates to
// texel offsets (wrap, mirror or clamp), the texels fetched and split into their channels.
#pragma once

#include <cstdint>

#include "platform/raster/draw_context.h"
#include "platform/raster/simd.h"
#include "platform/raster/texture_address.h"

namespace sw {
inline namespace SW_SIMD_ISA {

// How texel coordinates are brought onto the texture; the power-of-two cases work on u and v
// together in 16-bit lanes.
enum class TexturePath { kNone, kMirrorPow2, kWrapPow2, kGeneral };

// The draw's texture in the form the sampling needs.
struct TextureConstants {
    explicit TextureConstants(const TextureSampler& t)
        : texels(t.texels),
          width(t.width),
          height(t.height),
          mode(t.mode),
          sizeLow(t.sizeLow),
          sizeBits(t.sizeBits),
          periodLow(t.periodLow),
          pitchPairs(t.pitchPair),
          redShift(_mm_cvtsi32_si128(t.redShift)),
          greenMax(t.greenMask),
          lastTexel(t.texels != nullptr ? t.pitch * (t.height - 1) + t.width - 1 : 0),
          lastTexelValue(t.texels != nullptr ? t.texels[lastTexel] : 0) {}

    const std::uint16_t* texels;
    int width, height;
    TextureAddress mode;
    simd::Int sizeLow;     // (width - 1, height - 1) in the low and high 16 bits of each lane
    simd::Int sizeBits;    // (width, height)
    simd::Int periodLow;   // (2 * width - 1, 2 * height - 1)
    simd::Int pitchPairs;  // (1, pitch), for u + v * pitch
    simd::I4 redShift;     // the texel layout's red position, as a shift count
    simd::Int greenMax;
    int lastTexel;             // the offset of the last texel in memory
    simd::Int lastTexelValue;  // and its value
};

// The texels at `offsets`, which all lie on the texture.
inline simd::Int fetchTexels(const TextureConstants& k, simd::Int offsets) {
#if defined(__AVX2__)
    return simd::gather16Pairs(k.texels, offsets, simd::Int(k.lastTexel), k.lastTexelValue);
#else
    return simd::gather16(k.texels, offsets);
#endif
}

// floor() as int32. Out-of-range and NaN inputs give some int32 (the conversion's
// 0x80000000), which every addressing path below maps onto the texture.
inline simd::Int floorToInt(simd::Float coord) {
    const simd::Int truncated = simd::truncateToInt(coord);
    return truncated + simd::asInt(simd::toFloat(truncated) > coord);  // -1 where rounded up
}

inline simd::Int addressEachLane(simd::Int index, int size, TextureAddress mode) {
    alignas(32) std::int32_t lanes[simd::Int::kLanes];
    index.store(lanes);
    for (std::int32_t& lane : lanes) lane = texelIndex(lane, size, mode);
    return simd::Int::load(lanes);
}

// Indices already on the texture pass unchanged; the rest go through the addressing mode.
inline simd::Int addressGeneral(simd::Int index, int size, TextureAddress mode) {
    const simd::Int inRange = (index < simd::Int(size)) & (index > simd::Int(-1));
    if (simd::bits(inRange) == (1 << simd::Int::kLanes) - 1) return index;
    return addressEachLane(index, size, mode);
}

// Texel offsets (u + v * pitch) for the lanes.
template <TexturePath kTex>
inline simd::Int texelOffsets(const TextureConstants& k, simd::Float u, simd::Float v) {
    using simd::Int;
    Int uv;
    if constexpr (kTex == TexturePath::kGeneral) {
        uv = addressGeneral(floorToInt(u), k.width, k.mode) |
             (addressGeneral(floorToInt(v), k.height, k.mode) << 16);
    } else {
        // Coordinates were moved to >= 0 by whole periods, so truncation is floor; a value
        // that rounding left just below 0 truncates to texel 0, where mirroring puts -1 too.
        // With power-of-two sizes the low 16 bits of the index decide the texel.
        uv = (simd::truncateToInt(u) & Int(0xFFFF)) | (simd::truncateToInt(v) << 16);
        if constexpr (kTex == TexturePath::kMirrorPow2) {
            const Int m = uv & k.periodLow;
            const Int flip = simd::equal16(m & k.sizeBits, k.sizeBits);  // odd periods
            uv = m ^ (flip & k.periodLow);
        } else {
            uv = uv & k.sizeLow;
        }
    }
    return simd::multiplyAddPairs16(uv, k.pitchPairs);  // u * 1 + v * pitch
}

struct Texel {
    simd::Float r, g, b;  // channel values as stored: 0..31, or 0..63 for 6-bit green
};

// The texels at (u, v), in texel units.
template <TexturePath kTex>
inline Texel sampleTexture(const TextureConstants& k, simd::Float u, simd::Float v) {
    using simd::Int;
    const Int texels = fetchTexels(k, texelOffsets<kTex>(k, u, v));
    const Int fiveBits(31);
    return {simd::toFloat(simd::shiftRightLogical(texels, k.redShift) & fiveBits),
            simd::toFloat((texels >> 5) & k.greenMax),  // texels are 16-bit: no sign to extend
            simd::toFloat(texels & fiveBits)};
}

}  // namespace SW_SIMD_ISA
}  // namespace sw
