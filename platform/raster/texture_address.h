// Texel addressing: maps an integer texel coordinate (floor(u * size)) onto the texture for
// the wrap, mirror and clamp modes. Any int32 is accepted, including the ones that come out of
// NaN or out-of-range conversions.
#pragma once

#include <cstdint>

#include "platform/raster/raster.h"
#include "platform/raster/simd.h"

namespace sw {
inline namespace SW_SIMD_ISA {  // compiled into each set's kernels

// Mirror repeats with period 2 * size: [0, size) as stored, [size, 2 * size) flipped, and so
// on in both directions, so index -1 maps to 0 and index size maps to size - 1.
inline int mirrorTexelIndex(std::int32_t index, int size) {
    const std::int64_t period = 2 * static_cast<std::int64_t>(size);
    std::int64_t m = static_cast<std::int64_t>(index) % period;
    if (m < 0) m += period;
    return static_cast<int>(m < size ? m : period - 1 - m);
}

inline int wrapTexelIndex(std::int32_t index, int size) {
    std::int64_t m = static_cast<std::int64_t>(index) % size;
    if (m < 0) m += size;
    return static_cast<int>(m);
}

inline int clampTexelIndex(std::int32_t index, int size) {
    return index < 0 ? 0 : (index >= size ? size - 1 : index);
}

inline int texelIndex(std::int32_t index, int size, TextureAddress mode) {
    switch (mode) {
        case TextureAddress::kMirror:
            return mirrorTexelIndex(index, size);
        case TextureAddress::kClamp:
            return clampTexelIndex(index, size);
        case TextureAddress::kWrap:
        default:
            return wrapTexelIndex(index, size);
    }
}

}  // namespace SW_SIMD_ISA
}  // namespace sw
