#include "platform/raster/pixel_stage.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstdint>

#include "platform/raster/texture_address.h"
#include "platform/raster/triangle_setup.h"

namespace sw {
namespace {

constexpr int kAllLanes = 0xF;

// ---- 4-pixel loads and stores of 16-bit values; lanes outside `valid` are never touched ----

inline __m128i loadFour(const std::uint16_t* p, int valid) {
    if (valid == kAllLanes) return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    alignas(16) std::uint16_t lanes[8] = {};
    for (int i = 0; i < 4; ++i)
        if (valid & (1 << i)) lanes[i] = p[i];
    return _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
}

inline void storeFour(std::uint16_t* p, __m128i values, int valid) {
    if (valid == kAllLanes) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), values);
        return;
    }
    alignas(16) std::uint16_t lanes[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), values);
    for (int i = 0; i < 4; ++i)
        if (valid & (1 << i)) p[i] = lanes[i];
}

// Four 32-bit lanes holding 0..0xFFFF to four 16-bit lanes (low half of the result).
inline __m128i packToU16(__m128i v) {
    const __m128i bias = _mm_set1_epi32(0x8000);
    const __m128i packed = _mm_packs_epi32(_mm_sub_epi32(v, bias), _mm_sub_epi32(v, bias));
    return _mm_xor_si128(packed, _mm_set1_epi16(static_cast<short>(0x8000)));
}

inline __m128i select(__m128i mask, __m128i ifSet, __m128i ifClear) {
    return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
}

inline int laneMask(__m128i mask) {
    return _mm_movemask_ps(_mm_castsi128_ps(mask));
}

// ---- texturing ----

// floor() of the texel coordinate; out-of-range and NaN values are pinned first so that the
// conversion is defined and the addressing below sees a plain integer.
inline __m128i floorToInt(__m128 coord) {
    const __m128 limit = _mm_set1_ps(1073741824.0f);
    coord = _mm_max_ps(coord, _mm_sub_ps(_mm_setzero_ps(), limit));  // NaN -> -limit
    coord = _mm_min_ps(coord, limit);
    const __m128i truncated = _mm_cvttps_epi32(coord);
    const __m128 roundedUp = _mm_cmpgt_ps(_mm_cvtepi32_ps(truncated), coord);
    return _mm_add_epi32(truncated, _mm_castps_si128(roundedUp));
}

inline __m128i addressScalar(__m128i index, int size, TextureAddress mode) {
    alignas(16) std::int32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), index);
    for (int& lane : lanes) lane = texelIndex(lane, size, mode);
    return _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
}

inline __m128i addressAxis(__m128i index, int size, bool pow2, TextureAddress mode) {
    if (pow2 && mode == TextureAddress::kMirror) {
        const __m128i m = _mm_and_si128(index, _mm_set1_epi32(2 * size - 1));
        const __m128i vSize = _mm_set1_epi32(size);
        const __m128i flipped = _mm_cmpeq_epi32(_mm_and_si128(m, vSize), vSize);
        return _mm_xor_si128(m, _mm_and_si128(flipped, _mm_set1_epi32(2 * size - 1)));
    }
    if (pow2 && mode == TextureAddress::kWrap)
        return _mm_and_si128(index, _mm_set1_epi32(size - 1));
    const __m128i inRange = _mm_and_si128(_mm_cmplt_epi32(index, _mm_set1_epi32(size)),
                                          _mm_cmpgt_epi32(index, _mm_set1_epi32(-1)));
    if (laneMask(inRange) == kAllLanes) return index;
    return addressScalar(index, size, mode);
}

struct Texel {
    __m128 r, g, b;  // channel values as stored: 0..31, or 0..63 for 6-bit green
};

inline Texel sampleTexture(const TextureSampler& t, __m128 u, __m128 v) {
    const __m128i iu = addressAxis(floorToInt(u), t.width, t.widthIsPow2, t.mode);
    const __m128i iv = addressAxis(floorToInt(v), t.height, t.heightIsPow2, t.mode);
    // u + v * pitch with one 16-bit multiply-add: both fit in 15 bits.
    const __m128i packed = _mm_or_si128(iu, _mm_slli_epi32(iv, 16));
    const __m128i offsets = _mm_madd_epi16(packed, _mm_set1_epi32((t.pitch << 16) | 1));
    alignas(16) std::int32_t at[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(at), offsets);
    const __m128i texels =
        _mm_setr_epi32(t.texels[at[0]], t.texels[at[1]], t.texels[at[2]], t.texels[at[3]]);
    const __m128i five = _mm_set1_epi32(31);
    Texel out;
    out.r =
        _mm_cvtepi32_ps(_mm_and_si128(_mm_srl_epi32(texels, _mm_cvtsi32_si128(t.redShift)), five));
    out.g = _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(texels, 5), _mm_set1_epi32(t.greenMask)));
    out.b = _mm_cvtepi32_ps(_mm_and_si128(texels, five));
    return out;
}

// ---- one row of four pixels ----

struct RowAttributes {
    __m128 value[kAttrCount];
};

// Scales a 0..max channel to its integer with the row's dither thresholds; NaN gives 0.
inline __m128i quantize(__m128 channel, float max, __m128 threshold) {
    channel = _mm_min_ps(_mm_max_ps(channel, _mm_setzero_ps()), _mm_set1_ps(max));
    return _mm_cvttps_epi32(_mm_add_ps(channel, threshold));
}

template <bool kTextured, bool kSpecular>
inline __m128i shadeColour(const DrawContext& c, const RowAttributes& a, __m128 threshold) {
    const __m128 w = _mm_div_ps(_mm_set1_ps(1.0f), a.value[kAttrQ]);
    __m128 r = _mm_mul_ps(a.value[kAttrDiffuseR], w);
    __m128 g = _mm_mul_ps(a.value[kAttrDiffuseG], w);
    __m128 b = _mm_mul_ps(a.value[kAttrDiffuseB], w);
    if constexpr (kTextured) {
        const Texel t = sampleTexture(c.texture, _mm_mul_ps(a.value[kAttrU], w),
                                      _mm_mul_ps(a.value[kAttrV], w));
        r = _mm_mul_ps(r, t.r);
        g = _mm_mul_ps(g, t.g);
        b = _mm_mul_ps(b, t.b);
    }
    if constexpr (kSpecular) {
        r = _mm_add_ps(r, _mm_mul_ps(a.value[kAttrSpecularR], w));
        g = _mm_add_ps(g, _mm_mul_ps(a.value[kAttrSpecularG], w));
        b = _mm_add_ps(b, _mm_mul_ps(a.value[kAttrSpecularB], w));
    }
    const PixelTarget& target = c.target;
    const __m128i ri = quantize(r, target.channelMax[0], threshold);
    const __m128i gi = quantize(g, target.channelMax[1], threshold);
    const __m128i bi = quantize(b, target.channelMax[2], threshold);
    const __m128i pixel = _mm_or_si128(
        _mm_or_si128(_mm_sll_epi32(ri, _mm_cvtsi32_si128(target.redShift)), _mm_slli_epi32(gi, 5)),
        bi);
    return packToU16(pixel);
}

// Depth test (less or equal) and write; returns the surviving lanes.
inline __m128i testDepth(const PixelTarget& target, __m128 z, __m128i cover, int valid,
                         std::uint16_t* depthRow) {
    z = _mm_min_ps(_mm_max_ps(z, _mm_setzero_ps()), _mm_set1_ps(65535.0f));
    const __m128i depth = packToU16(_mm_cvtps_epi32(z));
    const __m128i stored = loadFour(depthRow, valid);
    const __m128i pass16 = _mm_cmpeq_epi16(_mm_subs_epu16(depth, stored), _mm_setzero_si128());
    const __m128i pass = _mm_and_si128(cover, _mm_unpacklo_epi16(pass16, pass16));
    if (target.zWrite && laneMask(pass) != 0)
        storeFour(depthRow, select(_mm_packs_epi32(pass, pass), depth, stored), valid);
    return pass;
}

template <bool kTextured, bool kSpecular, bool kDepth>
inline void shadeRow(const DrawContext& c, const RowAttributes& a, __m128i cover, int valid,
                     std::uint16_t* colorRow, std::uint16_t* depthRow, __m128 threshold) {
    if constexpr (kDepth) {
        cover = testDepth(c.target, a.value[kAttrZ], cover, valid, depthRow);
        if (laneMask(cover) == 0) return;
    }
    const __m128i colour = shadeColour<kTextured, kSpecular>(c, a, threshold);
    const int lanes = laneMask(cover);
    if (lanes == kAllLanes && valid == kAllLanes) {
        storeFour(colorRow, colour, valid);
        return;
    }
    const __m128i stored = loadFour(colorRow, valid);
    storeFour(colorRow, select(_mm_packs_epi32(cover, cover), colour, stored), valid);
}

// ---- block traversal ----

// Per-triangle constants of the walk, held in SIMD form.
struct WalkConstants {
    __m128i edgeLanes[3];                   // a * (0, 1, 2, 3)
    __m128i edgeRow[3];                     // b
    std::int64_t blockMax[3], blockMin[3];  // largest and smallest change of E inside a block
    __m128 attrLanes[kAttrCount];           // ddx * (0, 1, 2, 3)
    __m128 attrRow[kAttrCount];             // ddy
};

inline void prepareWalk(const TriangleSetup& t, WalkConstants& w) {
    for (int e = 0; e < 3; ++e) {
        const auto a = static_cast<std::int32_t>(t.a[e]);
        w.edgeLanes[e] = _mm_setr_epi32(0, a, 2 * a, 3 * a);
        w.edgeRow[e] = _mm_set1_epi32(static_cast<std::int32_t>(t.b[e]));
        w.blockMax[e] =
            3 * std::max<std::int64_t>(t.a[e], 0) + 3 * std::max<std::int64_t>(t.b[e], 0);
        w.blockMin[e] =
            3 * std::min<std::int64_t>(t.a[e], 0) + 3 * std::min<std::int64_t>(t.b[e], 0);
    }
    const __m128 lanes = _mm_setr_ps(0, 1, 2, 3);
    for (int k = 0; k < kAttrCount; ++k) {
        w.attrLanes[k] = _mm_mul_ps(_mm_set1_ps(t.ddx[k]), lanes);
        w.attrRow[k] = _mm_set1_ps(t.ddy[k]);
    }
}

// Edge values can be far larger than 32 bits allow away from the triangle, but inside one
// block they change by less than 2^29 (the guard band bounds the edge slopes). A value
// pinned to +-2^30 therefore keeps its sign over the whole block.
inline std::int32_t pinEdge(std::int64_t e) {
    constexpr std::int64_t kLimit = std::int64_t{1} << 30;
    return static_cast<std::int32_t>(std::clamp(e, -kLimit, kLimit));
}

inline int scissorLanes(const PixelTarget& target, int bx) {
    int valid = 0;
    for (int i = 0; i < 4; ++i)
        if (bx + i >= target.minX && bx + i <= target.maxX) valid |= 1 << i;
    return valid;
}

template <bool kTextured, bool kSpecular, bool kDepth>
void rasterizeTriangle(const TriangleSetup& t, const DrawContext& c) {
    const PixelTarget& target = c.target;
    WalkConstants w;
    prepareWalk(t, w);

    for (int by = t.minY & ~3; by <= t.maxY; by += 4) {
        const int firstRow = std::max(by, t.minY);
        const int lastRow = std::min(by + 3, t.maxY);
        for (int bx = t.minX & ~3; bx <= t.maxX; bx += 4) {
            std::int64_t e[3];
            bool inside = true;
            bool outside = false;
            for (int k = 0; k < 3; ++k) {
                e[k] = t.a[k] * bx + t.b[k] * firstRow + t.c[k];
                outside = outside || e[k] + w.blockMax[k] < 0;
                inside = inside && e[k] + w.blockMin[k] >= 0;
            }
            if (outside) continue;

            __m128i edge[3];
            for (int k = 0; k < 3; ++k)
                edge[k] = _mm_add_epi32(_mm_set1_epi32(pinEdge(e[k])), w.edgeLanes[k]);

            alignas(16) float start[kAttrSlots];
            const __m128 offX = _mm_set1_ps(static_cast<float>(bx) - t.refX);
            const __m128 offY = _mm_set1_ps(static_cast<float>(firstRow) - t.refY);
            for (int i = 0; i < kAttrSlots; i += 4) {
                const __m128 v = _mm_add_ps(_mm_load_ps(t.base + i),
                                            _mm_add_ps(_mm_mul_ps(_mm_load_ps(t.ddx + i), offX),
                                                       _mm_mul_ps(_mm_load_ps(t.ddy + i), offY)));
                _mm_store_ps(start + i, v);
            }
            RowAttributes attrs;
            for (int k = 0; k < kAttrCount; ++k)
                attrs.value[k] = _mm_add_ps(_mm_set1_ps(start[k]), w.attrLanes[k]);

            const int valid = scissorLanes(target, bx);
            const __m128i validMask = _mm_setr_epi32(valid & 1 ? -1 : 0, valid & 2 ? -1 : 0,
                                                     valid & 4 ? -1 : 0, valid & 8 ? -1 : 0);
            for (int y = firstRow; y <= lastRow; ++y) {
                __m128i cover = validMask;
                if (!inside) {
                    const __m128i any = _mm_or_si128(_mm_or_si128(edge[0], edge[1]), edge[2]);
                    cover = _mm_andnot_si128(_mm_srai_epi32(any, 31), cover);
                }
                if (laneMask(cover) != 0) {
                    std::uint16_t* colorRow =
                        target.color + static_cast<std::ptrdiff_t>(y) * target.colorPitch + bx;
                    std::uint16_t* depthRow =
                        kDepth
                            ? target.depth + static_cast<std::ptrdiff_t>(y) * target.depthPitch + bx
                            : nullptr;
                    shadeRow<kTextured, kSpecular, kDepth>(c, attrs, cover, valid, colorRow,
                                                           depthRow,
                                                           _mm_load_ps(target.ditherRows[y & 3]));
                }
                for (int k = 0; k < 3; ++k) edge[k] = _mm_add_epi32(edge[k], w.edgeRow[k]);
                for (int k = 0; k < kAttrCount; ++k)
                    attrs.value[k] = _mm_add_ps(attrs.value[k], w.attrRow[k]);
            }
        }
    }
}

}  // namespace

RasterizeFn selectRasterizer(bool textured, bool specular, bool depthTest) {
    static constexpr RasterizeFn kKernels[8] = {
        rasterizeTriangle<false, false, false>, rasterizeTriangle<false, false, true>,
        rasterizeTriangle<false, true, false>,  rasterizeTriangle<false, true, true>,
        rasterizeTriangle<true, false, false>,  rasterizeTriangle<true, false, true>,
        rasterizeTriangle<true, true, false>,   rasterizeTriangle<true, true, true>,
    };
    return kKernels[(textured ? 4 : 0) | (specular ? 2 : 0) | (depthTest ? 1 : 0)];
}

}  // namespace sw
