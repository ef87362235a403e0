#include "platform/raster/pixel_stage.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>

#include "platform/raster/texture_sample.h"
#include "platform/raster/triangle_setup.h"

namespace sw {
inline namespace SW_SIMD_ISA {
namespace {

using simd::Float;
using simd::Int;

constexpr int kAllLanes = 0xF;
// Rows of a block shaded together: one per 128 bits of vector.
constexpr int kRows = Float::kLanes / 4;

// Per lane of a vector of kRows rows of four pixels: its column and row, as masks and numbers.
alignas(32) constexpr std::int32_t kColumn[8] = {0, 1, 2, 3, 0, 1, 2, 3};
alignas(32) constexpr float kColumnValue[8] = {0, 1, 2, 3, 0, 1, 2, 3};
alignas(32) constexpr std::int32_t kColumnBit[8] = {1, 2, 4, 8, 1, 2, 4, 8};
alignas(32) constexpr std::int32_t kSecondRow[8] = {0, 0, 0, 0, -1, -1, -1, -1};
// 0x8000 in every 16-bit lane.
constexpr auto kFlip16 = static_cast<std::int32_t>(0x80008000u);

// The lanes of the columns in `columns` (bits), in every row.
Int columnMask(int columns) {
    const Int bit = Int::load(kColumnBit);
    return (Int(columns) & bit) == bit;
}

// a * column + b * row for every lane.
Int edgeOffsets(std::int32_t a, std::int32_t b) {
    return Int(a) * Int::load(kColumn) + (Int(b) & Int::load(kSecondRow));
}

// ---- 16-bit pixels of kRows rows; lanes outside `valid` are never touched ----

// Blocks cut by the scissor rectangle are rare: their loads and stores stay out of line.
[[gnu::noinline]] Int loadSomePixels(const std::uint16_t* p, std::ptrdiff_t pitch, int rows,
                                     int valid) {
    alignas(32) std::uint16_t lanes[8 * kRows] = {};
    for (int r = 0; r < rows; ++r)
        for (int i = 0; i < 4; ++i)
            if (valid & (1 << i)) lanes[8 * r + i] = p[r * pitch + i];
    return Int::load(reinterpret_cast<const std::int32_t*>(lanes));
}

[[gnu::noinline]] void storeSomePixels(std::uint16_t* p, std::ptrdiff_t pitch, int rows, int valid,
                                       Int values) {
    alignas(32) std::uint16_t lanes[8 * kRows];
    values.store(reinterpret_cast<std::int32_t*>(lanes));
    for (int r = 0; r < rows; ++r)
        for (int i = 0; i < 4; ++i)
            if (valid & (1 << i)) p[r * pitch + i] = lanes[8 * r + i];
}

[[gnu::always_inline]] inline Int loadPixels(const std::uint16_t* p, std::ptrdiff_t pitch, int rows,
                                             int valid) {
    if (valid == kAllLanes) return simd::loadRows16(Int(), p, rows > 1 ? pitch : 0);
    return loadSomePixels(p, pitch, rows, valid);
}

[[gnu::always_inline]] inline void storePixels(std::uint16_t* p, std::ptrdiff_t pitch, int rows,
                                               int valid, Int values) {
    if (valid == kAllLanes)
        simd::storeRows16(values, p, pitch, rows);
    else
        storeSomePixels(p, pitch, rows, valid, values);
}

// ---- shading ----

// The draw's constants in vector form.
struct PixelConstants {
    explicit PixelConstants(const DrawContext& c)
        : texture(c.texture),
          outRedShift(_mm_cvtsi32_si128(c.target.redShift)),
          channelMax{Float(c.target.channelMax[0]), Float(c.target.channelMax[1]),
                     Float(c.target.channelMax[2])} {}

    TextureConstants texture;
    simd::I4 outRedShift;
    Float channelMax[3];
};

// What a kernel is specialised for: the texture path, specular light and the depth test.
template <TexturePath kTexture, bool kSpecularOn, bool kDepthOn>
struct Kernel {
    static constexpr TexturePath kTex = kTexture;
    static constexpr bool kSpecular = kSpecularOn;
    static constexpr bool kDepth = kDepthOn;

    // Whether the kernel reads the attribute in `slot` (see Attribute).
    static constexpr bool reads(int slot) {
        if (slot == kAttrZ) return kDepth;
        if (slot == kAttrU || slot == kAttrV) return kTex != TexturePath::kNone;
        if (slot >= kAttrSpecularR) return kSpecular && slot < kAttrCount;
        return true;
    }
    // Where an attribute it reads is kept: its place among those it reads.
    static constexpr int position(int slot) {
        int place = 0;
        for (int s = 0; s < slot; ++s) place += reads(s) ? 1 : 0;
        return place;
    }
    static constexpr int attributes() { return position(kAttrCount); }
};

// The attributes a kernel reads, by slot; the others take no room and no work.
template <class K>
struct Attributes {
    Float value[K::attributes()];

    Float operator[](int slot) const { return value[K::position(slot)]; }
};

// Channel (0..max) plus the dither threshold, truncated. Without specular the interpolated
// colour cannot exceed max by more than rounding, which the threshold (< 1) absorbs, so only
// the lower bound (which also turns NaN into 0) is needed.
template <bool kClampHigh>
[[gnu::always_inline]] inline Int quantize(Float channel, Float max, Float threshold) {
    channel = simd::max(channel, Float::zero());
    if constexpr (kClampHigh) channel = simd::min(channel, max);
    return truncateToInt(channel + threshold);
}

// The pixels' colours, packed to 16 bits (see simd::packSigned16).
template <class K>
[[gnu::always_inline]] inline Int shadeColour(const PixelConstants& k, const Attributes<K>& a,
                                              Float threshold) {
    const Float w = Float(1.0f) / a[kAttrQ];
    Float r = a[kAttrDiffuseR] * w;
    Float g = a[kAttrDiffuseG] * w;
    Float b = a[kAttrDiffuseB] * w;
    if constexpr (K::kTex != TexturePath::kNone) {
        const Texel t = sampleTexture<K::kTex>(k.texture, a[kAttrU] * w, a[kAttrV] * w);
        r = r * t.r;
        g = g * t.g;
        b = b * t.b;
    }
    if constexpr (K::kSpecular) {
        r = r + a[kAttrSpecularR] * w;
        g = g + a[kAttrSpecularG] * w;
        b = b + a[kAttrSpecularB] * w;
    }
    constexpr bool kClampHigh = K::kSpecular;
    const Int pixel =
        shiftLeft(quantize<kClampHigh>(r, k.channelMax[0], threshold), k.outRedShift) |
        (quantize<kClampHigh>(g, k.channelMax[1], threshold) << 5) |
        quantize<kClampHigh>(b, k.channelMax[2], threshold);
    // 0..0xFFFF in 32-bit lanes to 16-bit lanes: shift into signed range, pack, shift back.
    return simd::packSigned16(pixel - Int(0x8000)) ^ Int(kFlip16);
}

// Depth test (less or equal) and write; returns the surviving lanes. Depth travels biased by
// -32768 so that the saturating signed pack clamps it and signed compares order it.
[[gnu::always_inline]] inline Int testDepth(bool zWrite, Float z, Int cover, int rows, int valid,
                                            std::uint16_t* depthRow, std::ptrdiff_t pitch) {
    const Int depth = simd::packSigned16(roundToInt(z));
    const Int stored = loadPixels(depthRow, pitch, rows, valid) ^ Int(kFlip16);
    const Int pass = andNot(simd::widenMask16(simd::greater16(depth, stored)), cover);
    if (zWrite && bits(pass) != 0)
        storePixels(depthRow, pitch, rows, valid,
                    select(simd::packSigned16(pass), depth, stored) ^ Int(kFlip16));
    return pass;
}

// Where the pixels of a group of rows go.
struct RowTarget {
    std::uint16_t* color;
    std::uint16_t* depth;
    std::ptrdiff_t colorPitch, depthPitch;
    int rows;   // of the kRows, the first `rows` lie inside the triangle's box
    int valid;  // lanes (columns) inside the scissor rectangle
};

template <class K>
[[gnu::always_inline]] inline void shadeRows(const PixelConstants& k, bool zWrite,
                                             const Attributes<K>& a, Int cover, const RowTarget& to,
                                             Float threshold) {
    if constexpr (K::kDepth) {
        cover = testDepth(zWrite, a[kAttrZ], cover, to.rows, to.valid, to.depth, to.depthPitch);
        if (bits(cover) == 0) return;
    }
    const Int colour = shadeColour<K>(k, a, threshold);
    if (bits(cover) == (1 << Float::kLanes) - 1) {  // every lane: nothing of the old to keep
        simd::storeRows16(colour, to.color, to.colorPitch, kRows);
        return;
    }
    const Int stored = loadPixels(to.color, to.colorPitch, to.rows, to.valid);
    storePixels(to.color, to.colorPitch, to.rows, to.valid,
                select(simd::packSigned16(cover), colour, stored));
}

// ---- block traversal ----

// Per-triangle constants of the walk's edge functions.
struct EdgeConstants {
    Int lanes[3];           // a * column + b * row
    Int rows[3];            // b * kRows: from one group of rows to the next
    std::int64_t block[3];  // a * 4: from one block to the next
};

EdgeConstants edgeConstants(const TriangleSetup& t) {
    EdgeConstants w;
    for (int e = 0; e < 3; ++e) {
        w.lanes[e] = edgeOffsets(t.a[e], t.b[e]);
        w.rows[e] = Int(kRows * t.b[e]);
        w.block[e] = 4 * std::int64_t{t.a[e]};
    }
    return w;
}

// Slots [0, kSlots) of value(slot) for every slot a kernel reads, worked out a vector of slots
// at a time (the same arithmetic slot by slot) and stored.
template <class K, typename Value>
[[gnu::always_inline]] inline void forSlots(float (&out)[kAttrSlots], Value value) {
    constexpr int kSlots = K::kSpecular ? kAttrSlots : kAttrSlots - 4;
    int slot = 0;
    for (; slot + Float::kLanes <= kSlots; slot += Float::kLanes)
        value(Float(), slot).store(out + slot);
    for (; slot < kSlots; slot += 4) value(simd::F4(), slot).store(out + slot);
}

// The start of row y at column bx for every slot: base + (ddx * (bx - refX) + ddy * (y - refY)).
template <class K>
[[gnu::always_inline]] inline void rowStart(const TriangleSetup& t, int bx, int y,
                                            float (&start)[kAttrSlots]) {
    const float offX = static_cast<float>(bx) - t.refX;
    const float offY = static_cast<float>(y) - t.refY;
    forSlots<K>(start, [&](auto v, int slot) {
        using V = decltype(v);
        return V::load(t.base + slot) +
               (V::load(t.ddx + slot) * V(offX) + V::load(t.ddy + slot) * V(offY));
    });
}

// The value of `slot` at the pixels of block n of a row of blocks: (row start + ddx * column) +
// ddx * 4 * n, and in the second row of a group ddy more (-0 in the first: x + -0 is x).
Float pixelSlot(const TriangleSetup& t, const float (&rowStart)[kAttrSlots], int n, int slot) {
    const float step = t.ddx[slot] * 4.0f * static_cast<float>(n);
    const Float v =
        Float(rowStart[slot]) + Float(t.ddx[slot]) * Float::load(kColumnValue) + Float(step);
    if constexpr (kRows == 1) return v;
    return v + select(asFloat(Int::load(kSecondRow)), Float(t.ddy[slot]), Float(-0.0f));
}

// The same for slots 0..7 with eight lanes (lane = column + 4 * row), by the same operations:
// each pixel's slots are worked out together, a vector of slots per pixel, and one transpose
// turns them into a vector of pixels per slot, far fewer operations than broadcasts per slot.
// With four lanes the broadcasts cost less than two transposes.
template <typename V>
void pixelSlots(const TriangleSetup& t, const float (&rowStart)[kAttrSlots], int n, V (&out)[8]) {
    static_assert(V::kLanes == 8);
    const V ddx = V::load(t.ddx);
    const V step = ddx * V(4.0f) * V(static_cast<float>(n));
    for (int column = 0; column < 4; ++column) {
        out[column] = V::load(rowStart) + ddx * V(static_cast<float>(column)) + step;
        out[4 + column] = out[column] + V::load(t.ddy);
    }
    simd::transpose(out);
}

// The attributes of block n of a row of blocks.
template <class K>
[[gnu::always_inline]] inline Attributes<K> blockStart(const TriangleSetup& t,
                                                       const float (&rowStart)[kAttrSlots], int n) {
    constexpr bool kTranspose = Float::kLanes == 8;
    Float slots[8];
    if constexpr (kTranspose) pixelSlots(t, rowStart, n, slots);
    Attributes<K> a;
    for (int slot = 0, i = 0; slot < kAttrCount; ++slot)
        if (K::reads(slot))
            a.value[i++] = kTranspose && slot < 8 ? slots[slot] : pixelSlot(t, rowStart, n, slot);
    return a;
}

// Each attribute moved down by kRows rows: ddy added kRows times, as row by row.
template <class K>
void nextRows(const TriangleSetup& t, Attributes<K>& a) {
    for (int slot = 0, i = 0; slot < kAttrCount; ++slot) {
        if (!K::reads(slot)) continue;
        const Float ddy(t.ddy[slot]);
        for (int r = 0; r < kRows; ++r) a.value[i] = a.value[i] + ddy;
        ++i;
    }
}

// Edge values can be far larger than 32 bits allow away from the triangle, but inside one
// block they change by less than 2^28 (projection keeps vertices within 2^16 pixels of the
// viewport, so |a| and |b| stay below 2^25). A value pinned to +-2^30 therefore keeps its
// sign over the whole block.
std::int32_t pinEdge(std::int64_t e) {
    constexpr std::int64_t kLimit = std::int64_t{1} << 30;
    return static_cast<std::int32_t>(std::clamp(e, -kLimit, kLimit));
}

// Whether the edge values of the walk of `t` fit in 32 bits as they are, so that they need
// neither 64-bit arithmetic nor pinning: true for triangles under 64 pixels across (|a| + |b|
// below 2^14 on every edge, from blockMax - blockMin = 3 * (|a| + |b|)), whose edge values at
// the pixels of their blocks stay below 2^22.
bool edgesFit32(const TriangleSetup& t) {
    constexpr std::int32_t kLimit = 3 << 14;
    return t.blockMax[0] - t.blockMin[0] < kLimit && t.blockMax[1] - t.blockMin[1] < kLimit &&
           t.blockMax[2] - t.blockMin[2] < kLimit;
}

// Lanes of the block starting at bx that lie inside the scissor rectangle.
int scissorLanes(const PixelTarget& target, int bx) {
    if (bx >= target.minX && bx + 3 <= target.maxX) return kAllLanes;
    int valid = 0;
    for (int i = 0; i < 4; ++i)
        if (bx + i >= target.minX && bx + i <= target.maxX) valid |= 1 << i;
    return valid;
}

// Rows [firstRow, lastRow] of one block, kRows rows at a time, from the attributes of its first
// group. `edge` holds the edge functions at the first group's lanes; it is neither read nor
// stepped when the block lies wholly inside the triangle.
template <class K>
[[gnu::always_inline]] inline void shadeBlockRows(const TriangleSetup& t, const PixelConstants& k,
                                                  const PixelTarget& target, const EdgeConstants& w,
                                                  bool inside, Int (&edge)[3], Attributes<K>& attrs,
                                                  Int validLanes, RowTarget to, int firstRow,
                                                  int lastRow) {
    const Int secondRow = Int::load(kSecondRow);
    for (int y = firstRow; y <= lastRow; y += kRows) {
        to.rows = std::min(kRows, lastRow - y + 1);
        Int cover = to.rows == kRows ? validLanes : andNot(secondRow, validLanes);
        if (!inside) {
            cover = andNot((edge[0] | edge[1] | edge[2]) >> 31, cover);
            for (int i = 0; i < 3; ++i) edge[i] += w.rows[i];
        }
        if (bits(cover) != 0)
            shadeRows(k, target.zWrite, attrs, cover, to, Float::load(target.ditherRows[y & 3]));
        if (y + kRows > lastRow) break;  // the block's last group: no rows follow
        nextRows(t, attrs);
        to.color += kRows * target.colorPitch;
        if constexpr (K::kDepth) to.depth += kRows * target.depthPitch;
    }
}

// Where the rows of a block starting at column bx and row y go.
template <class K>
RowTarget rowTarget(const PixelTarget& target, int bx, int y, int valid) {
    return {target.color + static_cast<std::ptrdiff_t>(y) * target.colorPitch + bx,
            K::kDepth ? target.depth + static_cast<std::ptrdiff_t>(y) * target.depthPitch + bx
                      : nullptr,
            target.colorPitch,
            target.depthPitch,
            kRows,
            valid};
}

// The walk of a triangle whose blocks lie in one column, block n of its rows (most small
// triangles): the scissor lanes are worked out once, and the block tests, which seldom spare
// such a block anything, are left out; the edge tests of its rows give the same coverage.
template <class K>
[[gnu::always_inline]] inline void rasterizeColumn(const TriangleSetup& t, const DrawContext& c,
                                                   const PixelConstants& k, int bx, int startY,
                                                   int endY) {
    const PixelTarget& target = c.target;
    const EdgeConstants w = edgeConstants(t);
    const int firstBlockX = t.minX & ~3;
    const int n = (bx - firstBlockX) >> 2;
    const int valid = scissorLanes(target, bx);
    const Int validLanes = columnMask(valid);
    const bool fits32 = edgesFit32(t);
    std::uint32_t atColumn[3];  // a * bx + c, wrapped to 32 bits
    for (int i = 0; i < 3; ++i)
        atColumn[i] = static_cast<std::uint32_t>(t.a[i]) * static_cast<std::uint32_t>(bx) +
                      static_cast<std::uint32_t>(t.c[i]);
    for (int by = startY; by <= endY; by += 4) {
        const int firstRow = std::max(by, t.minY);
        const int lastRow = std::min(by + 3, t.maxY);
        Int edge[3];
        for (int i = 0; i < 3; ++i) {
            const std::int32_t e =
                fits32
                    ? static_cast<std::int32_t>(atColumn[i] +
                                                static_cast<std::uint32_t>(t.b[i]) *
                                                    static_cast<std::uint32_t>(firstRow))
                    : pinEdge(std::int64_t{t.a[i]} * bx + std::int64_t{t.b[i]} * firstRow + t.c[i]);
            edge[i] = Int(e) + w.lanes[i];
        }
        alignas(32) float start[kAttrSlots];
        rowStart<K>(t, firstBlockX, firstRow, start);
        Attributes<K> attrs = blockStart<K>(t, start, n);
        shadeBlockRows(t, k, target, w, false, edge, attrs, validLanes,
                       rowTarget<K>(target, bx, firstRow, valid), firstRow, lastRow);
    }
}

// The general walk: every block of the box, with the block tests.
template <class K>
[[gnu::noinline]] void rasterizeBlocks(const TriangleSetup& t, const DrawContext& c,
                                       const PixelConstants& k, int startX, int endX, int startY,
                                       int endY) {
    const PixelTarget& target = c.target;
    const EdgeConstants w = edgeConstants(t);
    const int firstBlockX = t.minX & ~3;
    for (int by = startY; by <= endY; by += 4) {
        const int firstRow = std::max(by, t.minY);
        const int lastRow = std::min(by + 3, t.maxY);
        // Exact 64-bit edge values at the first block, stepped exactly from block to block;
        // the attributes of every block come from this row start by one multiply-add.
        std::int64_t e[3];
        for (int i = 0; i < 3; ++i)
            e[i] = std::int64_t{t.a[i]} * startX + std::int64_t{t.b[i]} * firstRow + t.c[i];
        alignas(32) float start[kAttrSlots];
        rowStart<K>(t, firstBlockX, firstRow, start);

        const int firstN = (startX - firstBlockX) >> 2;
        for (int bx = startX, n = firstN; bx <= endX; bx += 4, ++n) {
            if (n > firstN)
                for (int i = 0; i < 3; ++i) e[i] += w.block[i];
            if (e[0] + t.blockMax[0] < 0 || e[1] + t.blockMax[1] < 0 || e[2] + t.blockMax[2] < 0)
                continue;
            const bool inside =
                e[0] + t.blockMin[0] >= 0 && e[1] + t.blockMin[1] >= 0 && e[2] + t.blockMin[2] >= 0;
            Int edge[3] = {};  // only read when the block is not wholly inside
            if (!inside)
                for (int i = 0; i < 3; ++i) edge[i] = Int(pinEdge(e[i])) + w.lanes[i];
            Attributes<K> attrs = blockStart<K>(t, start, n);
            const int valid = scissorLanes(target, bx);
            shadeBlockRows(t, k, target, w, inside, edge, attrs, columnMask(valid),
                           rowTarget<K>(target, bx, firstRow, valid), firstRow, lastRow);
        }
    }
}

// The blocks of `t` inside `clip`, by the column walk where they lie in one column.
template <class K>
[[gnu::always_inline]] inline void walkTriangle(const TriangleSetup& t, const DrawContext& c,
                                                const PixelConstants& k, const PixelBounds& clip) {
    // The walk's origin is the triangle's own first block, whatever part `clip` keeps: every
    // block's values come out of the same operations in any tile.
    const int firstBlockX = t.minX & ~3;
    const int startX = std::max(firstBlockX, clip.minX & ~3);
    const int endX = std::min(t.maxX, clip.maxX);
    const int startY = std::max(t.minY & ~3, clip.minY & ~3);
    const int endY = std::min(t.maxY, clip.maxY);
    if (endX < startX + 4) {
        if (startX <= endX) rasterizeColumn<K>(t, c, k, startX, startY, endY);
        return;
    }
    rasterizeBlocks<K>(t, c, k, startX, endX, startY, endY);
}

template <class K>
void rasterizeTriangle(const TriangleSetup& t, const DrawContext& c, const PixelBounds& clip) {
    walkTriangle<K>(t, c, PixelConstants(c), clip);
}

template <class K>
void rasterizeLanes(const TriangleSetup* setups, int lanes, const DrawContext& c) {
    // No limits, known here: the walk starts at the triangle's own first block.
    constexpr PixelBounds kWhole{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    const PixelConstants k(c);
    for (; lanes != 0; lanes &= lanes - 1)
        walkTriangle<K>(setups[std::countr_zero(static_cast<unsigned>(lanes))], c, k, kWhole);
}

template <class K>
constexpr PixelStage kStage{rasterizeTriangle<K>, rasterizeLanes<K>};

template <TexturePath kTex>
PixelStage selectForTexture(bool specular, bool depthTest) {
    if (specular)
        return depthTest ? kStage<Kernel<kTex, true, true>> : kStage<Kernel<kTex, true, false>>;
    return depthTest ? kStage<Kernel<kTex, false, true>> : kStage<Kernel<kTex, false, false>>;
}

}  // namespace

PixelStage selectPixelStage(const DrawContext& c) {
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

}  // namespace SW_SIMD_ISA
}  // namespace sw
