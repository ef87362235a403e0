#include "platform/raster/pixel_stage.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstdint>

#include "platform/raster/texture_sample.h"
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

inline __m128i select(__m128i mask, __m128i ifSet, __m128i ifClear) {
    return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
}

inline int laneMask(__m128i mask) {
    return _mm_movemask_ps(_mm_castsi128_ps(mask));
}

// ---- one row of four pixels ----

struct RowAttributes {
    __m128 q, z, u, v, r, g, b, sr, sg, sb;
};

// Channel (0..max) plus the dither threshold, truncated. Without specular the interpolated
// colour cannot exceed max by more than rounding, which the threshold (< 1) absorbs, so only
// the lower bound (which also turns NaN into 0) is needed.
template <bool kClampHigh>
inline __m128i quantize(__m128 channel, __m128 max, __m128 threshold) {
    channel = _mm_max_ps(channel, _mm_setzero_ps());
    if constexpr (kClampHigh) channel = _mm_min_ps(channel, max);
    return _mm_cvttps_epi32(_mm_add_ps(channel, threshold));
}

template <TexturePath kTex, bool kSpecular>
inline __m128i shadeColour(const PixelConstants& k, const RowAttributes& a, __m128 threshold) {
    const __m128 w = _mm_div_ps(_mm_set1_ps(1.0f), a.q);
    __m128 r = _mm_mul_ps(a.r, w);
    __m128 g = _mm_mul_ps(a.g, w);
    __m128 b = _mm_mul_ps(a.b, w);
    if constexpr (kTex != TexturePath::kNone) {
        const Texel t = sampleTexture<kTex>(k.texture, _mm_mul_ps(a.u, w), _mm_mul_ps(a.v, w));
        r = _mm_mul_ps(r, t.r);
        g = _mm_mul_ps(g, t.g);
        b = _mm_mul_ps(b, t.b);
    }
    if constexpr (kSpecular) {
        r = _mm_add_ps(r, _mm_mul_ps(a.sr, w));
        g = _mm_add_ps(g, _mm_mul_ps(a.sg, w));
        b = _mm_add_ps(b, _mm_mul_ps(a.sb, w));
    }
    const __m128i ri = quantize<kSpecular>(r, k.channelMax[0], threshold);
    const __m128i gi = quantize<kSpecular>(g, k.channelMax[1], threshold);
    const __m128i bi = quantize<kSpecular>(b, k.channelMax[2], threshold);
    const __m128i pixel =
        _mm_or_si128(_mm_or_si128(_mm_sll_epi32(ri, k.outRedShift), _mm_slli_epi32(gi, 5)), bi);
    // 0..0xFFFF in 32-bit lanes to 16-bit lanes: shift into signed range, pack, shift back.
    const __m128i bias = _mm_set1_epi32(0x8000);
    const __m128i packed = _mm_packs_epi32(_mm_sub_epi32(pixel, bias), _mm_sub_epi32(pixel, bias));
    return _mm_xor_si128(packed, _mm_set1_epi16(static_cast<short>(0x8000)));
}

// Depth test (less or equal) and write; returns the surviving lanes. Depth travels biased by
// -32768 so that the saturating signed pack clamps it and signed compares order it.
inline __m128i testDepth(bool zWrite, __m128 z, __m128i cover, int valid, std::uint16_t* depthRow) {
    const __m128i flipTop = _mm_set1_epi16(static_cast<short>(0x8000));
    const __m128i depth = _mm_packs_epi32(_mm_cvtps_epi32(z), _mm_cvtps_epi32(z));
    const __m128i stored = _mm_xor_si128(loadFour(depthRow, valid), flipTop);
    const __m128i fail16 = _mm_cmpgt_epi16(depth, stored);
    const __m128i pass = _mm_andnot_si128(_mm_unpacklo_epi16(fail16, fail16), cover);
    if (zWrite && laneMask(pass) != 0) {
        const __m128i written = select(_mm_packs_epi32(pass, pass), depth, stored);
        storeFour(depthRow, _mm_xor_si128(written, flipTop), valid);
    }
    return pass;
}

template <TexturePath kTex, bool kSpecular, bool kDepth>
inline void shadeRow(const PixelConstants& k, bool zWrite, const RowAttributes& a, __m128i cover,
                     int valid, std::uint16_t* colorRow, std::uint16_t* depthRow,
                     __m128 threshold) {
    if constexpr (kDepth) {
        cover = testDepth(zWrite, a.z, cover, valid, depthRow);
        if (laneMask(cover) == 0) return;
    }
    const __m128i colour = shadeColour<kTex, kSpecular>(k, a, threshold);
    if (laneMask(cover) == kAllLanes && valid == kAllLanes) {
        storeFour(colorRow, colour, valid);
        return;
    }
    const __m128i stored = loadFour(colorRow, valid);
    storeFour(colorRow, select(_mm_packs_epi32(cover, cover), colour, stored), valid);
}

// ---- block traversal ----

// Per-triangle constants of the walk.
struct WalkConstants {
    __m128i edgeLanes[3];                   // a * (0, 1, 2, 3)
    __m128i edgeRow[3];                     // b
    std::int64_t edgeBlock[3];              // a * 4: the step from one block to the next
    std::int64_t blockMax[3], blockMin[3];  // largest and smallest change of E inside a block
    RowAttributes lanes;                    // ddx * (0, 1, 2, 3)
    RowAttributes block;                    // ddx * 4
    RowAttributes row;                      // ddy
};

// values[attribute] * scale for the attributes that this kernel reads; the rest stay 0.
template <TexturePath kTex, bool kSpecular, bool kDepth>
inline RowAttributes broadcast(const float* values, __m128 scale) {
    const auto at = [&](int i) { return _mm_mul_ps(_mm_set1_ps(values[i]), scale); };
    RowAttributes a{};
    a.q = at(kAttrQ);
    if constexpr (kDepth) a.z = at(kAttrZ);
    if constexpr (kTex != TexturePath::kNone) {
        a.u = at(kAttrU);
        a.v = at(kAttrV);
    }
    a.r = at(kAttrDiffuseR);
    a.g = at(kAttrDiffuseG);
    a.b = at(kAttrDiffuseB);
    if constexpr (kSpecular) {
        a.sr = at(kAttrSpecularR);
        a.sg = at(kAttrSpecularG);
        a.sb = at(kAttrSpecularB);
    }
    return a;
}

template <TexturePath kTex, bool kSpecular, bool kDepth>
inline void prepareWalk(const TriangleSetup& t, WalkConstants& w) {
    for (int e = 0; e < 3; ++e) {
        const auto a = static_cast<std::int32_t>(t.a[e]);
        w.edgeLanes[e] = _mm_setr_epi32(0, a, 2 * a, 3 * a);
        w.edgeRow[e] = _mm_set1_epi32(static_cast<std::int32_t>(t.b[e]));
        w.edgeBlock[e] = 4 * t.a[e];
        w.blockMax[e] =
            3 * std::max<std::int64_t>(t.a[e], 0) + 3 * std::max<std::int64_t>(t.b[e], 0);
        w.blockMin[e] =
            3 * std::min<std::int64_t>(t.a[e], 0) + 3 * std::min<std::int64_t>(t.b[e], 0);
    }
    w.lanes = broadcast<kTex, kSpecular, kDepth>(t.ddx, _mm_setr_ps(0, 1, 2, 3));
    w.block = broadcast<kTex, kSpecular, kDepth>(t.ddx, _mm_set1_ps(4));
    w.row = broadcast<kTex, kSpecular, kDepth>(t.ddy, _mm_set1_ps(1));
}

// Applies `op` to each attribute that this kernel reads.
template <TexturePath kTex, bool kSpecular, bool kDepth, typename Op>
inline void forUsed(RowAttributes& a, const RowAttributes& b, Op op) {
    a.q = op(a.q, b.q);
    if constexpr (kDepth) a.z = op(a.z, b.z);
    if constexpr (kTex != TexturePath::kNone) {
        a.u = op(a.u, b.u);
        a.v = op(a.v, b.v);
    }
    a.r = op(a.r, b.r);
    a.g = op(a.g, b.g);
    a.b = op(a.b, b.b);
    if constexpr (kSpecular) {
        a.sr = op(a.sr, b.sr);
        a.sg = op(a.sg, b.sg);
        a.sb = op(a.sb, b.sb);
    }
}

inline __m128 addVectors(__m128 a, __m128 b) {
    return _mm_add_ps(a, b);
}

// The attributes at lanes x = bx .. bx + 3 of row y.
template <TexturePath kTex, bool kSpecular, bool kDepth>
inline RowAttributes rowStart(const TriangleSetup& t, const WalkConstants& w, int bx, int y) {
    alignas(16) float start[kAttrSlots];
    const __m128 offX = _mm_set1_ps(static_cast<float>(bx) - t.refX);
    const __m128 offY = _mm_set1_ps(static_cast<float>(y) - t.refY);
    // The last group of slots holds only specular terms.
    constexpr int kSlotsUsed = kSpecular ? kAttrSlots : kAttrSlots - 4;
    for (int i = 0; i < kSlotsUsed; i += 4) {
        const __m128 v = _mm_add_ps(_mm_load_ps(t.base + i),
                                    _mm_add_ps(_mm_mul_ps(_mm_load_ps(t.ddx + i), offX),
                                               _mm_mul_ps(_mm_load_ps(t.ddy + i), offY)));
        _mm_store_ps(start + i, v);
    }
    RowAttributes a = broadcast<kTex, kSpecular, kDepth>(start, _mm_set1_ps(1));
    forUsed<kTex, kSpecular, kDepth>(a, w.lanes, addVectors);
    return a;
}

// Edge values can be far larger than 32 bits allow away from the triangle, but inside one
// block they change by less than 2^28 (projection keeps vertices within 2^16 pixels of the
// viewport, so |a| and |b| stay below 2^25). A value pinned to +-2^30 therefore keeps its
// sign over the whole block.
inline std::int32_t pinEdge(std::int64_t e) {
    constexpr std::int64_t kLimit = std::int64_t{1} << 30;
    return static_cast<std::int32_t>(std::clamp(e, -kLimit, kLimit));
}

inline __m128i laneMaskVector(int lanes) {
    return _mm_setr_epi32(lanes & 1 ? -1 : 0, lanes & 2 ? -1 : 0, lanes & 4 ? -1 : 0,
                          lanes & 8 ? -1 : 0);
}

// Lanes of the block starting at bx that lie inside the scissor rectangle.
inline int scissorLanes(const PixelTarget& target, int bx) {
    if (bx >= target.minX && bx + 3 <= target.maxX) return kAllLanes;
    int valid = 0;
    for (int i = 0; i < 4; ++i)
        if (bx + i >= target.minX && bx + i <= target.maxX) valid |= 1 << i;
    return valid;
}

template <TexturePath kTex, bool kSpecular, bool kDepth>
void rasterizeTriangle(const TriangleSetup& t, const DrawContext& c, const PixelConstants& k,
                       const PixelBounds& clip) {
    const PixelTarget& target = c.target;
    WalkConstants w;
    prepareWalk<kTex, kSpecular, kDepth>(t, w);
    // The walk's origin is the triangle's own first block, whatever part `clip` keeps: every
    // block's values come out of the same operations in any tile.
    const int firstBlockX = t.minX & ~3;
    const int startX = std::max(firstBlockX, clip.minX & ~3);
    const int endX = std::min(t.maxX, clip.maxX);
    const int startY = std::max(t.minY & ~3, clip.minY & ~3);
    const int endY = std::min(t.maxY, clip.maxY);
    const __m128i allLanes = _mm_set1_epi32(-1);

    for (int by = startY; by <= endY; by += 4) {
        const int firstRow = std::max(by, t.minY);
        const int lastRow = std::min(by + 3, t.maxY);
        // Exact 64-bit edge values at the first block, stepped exactly from block to block;
        // the attributes of every block come from this row start by one multiply-add.
        std::int64_t e[3];
        for (int i = 0; i < 3; ++i) e[i] = t.a[i] * startX + t.b[i] * firstRow + t.c[i];
        const RowAttributes start = rowStart<kTex, kSpecular, kDepth>(t, w, firstBlockX, firstRow);
        const std::ptrdiff_t colorOffset =
            static_cast<std::ptrdiff_t>(firstRow) * target.colorPitch + firstBlockX;
        const std::ptrdiff_t depthOffset =
            static_cast<std::ptrdiff_t>(firstRow) * target.depthPitch + firstBlockX;

        const int firstN = (startX - firstBlockX) >> 2;
        for (int bx = startX, n = firstN; bx <= endX; bx += 4, ++n) {
            if (n > firstN)
                for (int i = 0; i < 3; ++i) e[i] += w.edgeBlock[i];
            if (e[0] + w.blockMax[0] < 0 || e[1] + w.blockMax[1] < 0 || e[2] + w.blockMax[2] < 0)
                continue;
            const bool inside =
                e[0] + w.blockMin[0] >= 0 && e[1] + w.blockMin[1] >= 0 && e[2] + w.blockMin[2] >= 0;
            __m128i edge[3] = {};  // only read when the block is not wholly inside
            if (!inside)
                for (int i = 0; i < 3; ++i)
                    edge[i] = _mm_add_epi32(_mm_set1_epi32(pinEdge(e[i])), w.edgeLanes[i]);

            RowAttributes attrs = start;
            const __m128 blocks = _mm_set1_ps(static_cast<float>(n));
            forUsed<kTex, kSpecular, kDepth>(attrs, w.block, [blocks](__m128 a, __m128 step) {
                return _mm_add_ps(a, _mm_mul_ps(step, blocks));
            });

            const int valid = scissorLanes(target, bx);
            const __m128i validMask = valid == kAllLanes ? allLanes : laneMaskVector(valid);
            std::uint16_t* colorRow = target.color + colorOffset + 4 * n;
            std::uint16_t* depthRow = kDepth ? target.depth + depthOffset + 4 * n : nullptr;
            for (int y = firstRow; y <= lastRow; ++y) {
                __m128i cover = validMask;
                if (!inside) {
                    const __m128i any = _mm_or_si128(_mm_or_si128(edge[0], edge[1]), edge[2]);
                    cover = _mm_andnot_si128(_mm_srai_epi32(any, 31), cover);
                    for (int i = 0; i < 3; ++i) edge[i] = _mm_add_epi32(edge[i], w.edgeRow[i]);
                }
                if (laneMask(cover) != 0)
                    shadeRow<kTex, kSpecular, kDepth>(k, target.zWrite, attrs, cover, valid,
                                                      colorRow, depthRow,
                                                      _mm_load_ps(target.ditherRows[y & 3]));
                forUsed<kTex, kSpecular, kDepth>(attrs, w.row, addVectors);
                colorRow += target.colorPitch;
                if constexpr (kDepth) depthRow += target.depthPitch;
            }
        }
    }
}

template <TexturePath kTex>
RasterizeFn selectForTexture(bool specular, bool depthTest) {
    if (specular)
        return depthTest ? rasterizeTriangle<kTex, true, true>
                         : rasterizeTriangle<kTex, true, false>;
    return depthTest ? rasterizeTriangle<kTex, false, true> : rasterizeTriangle<kTex, false, false>;
}

}  // namespace

PixelConstants::PixelConstants(const DrawContext& c) : texture(c.texture) {
    outRedShift = _mm_cvtsi32_si128(c.target.redShift);
    for (int i = 0; i < 3; ++i) channelMax[i] = _mm_set1_ps(c.target.channelMax[i]);
}

RasterizeFn selectRasterizer(const DrawContext& c) {
    const bool specular = c.lighting.specularOn;
    const bool depthTest = c.target.depth != nullptr;
    if (!c.textured) return selectForTexture<TexturePath::kNone>(specular, depthTest);
    const TextureSampler& t = c.texture;
    const bool pow2 = t.widthIsPow2 && t.heightIsPow2;
    if (pow2 && t.mode == TextureAddress::kMirror)
        return selectForTexture<TexturePath::kMirrorPow2>(specular, depthTest);
    if (pow2 && t.mode == TextureAddress::kWrap)
        return selectForTexture<TexturePath::kWrapPow2>(specular, depthTest);
    return selectForTexture<TexturePath::kGeneral>(specular, depthTest);
}

}  // namespace sw
