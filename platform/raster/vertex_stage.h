// Per-vertex work: transform to clip space, outcodes, lighting in world space and projection to
// the snapped screen position. The lanes of a vector hold the same corner of several triangles;
// the vertices that clipping makes are projected one at a time, by the same arithmetic. Inline:
// it runs for every vertex of every frame.
#pragma once

#include <cstdint>

#include "platform/raster/draw_context.h"
#include "platform/raster/simd.h"

namespace sw {
inline namespace SW_SIMD_ISA {

// Scalar maths by the compiler's builtins rather than <cmath>'s inline functions: in a build
// without optimisation those are emitted out of line, and the copy compiled for AVX2 could then
// stand in for everyone's at link time.
inline bool finite(float x) {
    return __builtin_isfinite(x);
}

// The fields of a D3DVERTEX, one vector each: x, y, z, nx, ny, nz, tu, tv.
using VertexFields = simd::Float[8];
static_assert(sizeof(D3DVERTEX) == 8 * sizeof(float));

// The fields of ShadedVertex, one vector each.
struct CornerLanes {
    simd::Float x, y, z, w;
    simd::Float u, v;
    simd::Float diffuse[3], specular[3];
};
static_assert(sizeof(ShadedVertex) == 12 * sizeof(float));

// The outcode bits of the planes among (left, right, bottom, top), the first at bit `first`,
// that clip position (x, y, w) lies outside of: x - left * w < 0, right * w - x < 0, and so on.
inline simd::Int outsideOf(simd::Float x, simd::Float y, simd::Float w, const float* bounds,
                           int first) {
    using simd::Float;
    const Float outside[4] = {
        (x - Float(bounds[0]) * w) < Float::zero(), (x - Float(bounds[1]) * w) > Float::zero(),
        (y - Float(bounds[2]) * w) < Float::zero(), (y - Float(bounds[3]) * w) > Float::zero()};
    simd::Int code = simd::Int::zero();
    for (int i = 0; i < 4; ++i) code |= asInt(outside[i]) & simd::Int(1 << (first + i));
    return code;
}

// Transforms to clip space (row vector times world * view * projection) and returns the
// outcodes: a bit per plane (see ClipPlane) that the vertex lies outside of. `finite` is set
// in the lanes whose position is finite; the outcodes of the others mean nothing.
inline simd::Int transformToClip(const DrawContext& c, const VertexFields& in, CornerLanes& out,
                                 simd::Float& finite) {
    using simd::Float;
    Float p[4];
    for (int j = 0; j < 4; ++j)
        p[j] = in[0] * Float(c.mvp[0][j]) + in[1] * Float(c.mvp[1][j]) +
               in[2] * Float(c.mvp[2][j]) + Float(c.mvp[3][j]);
    out.x = p[0];
    out.y = p[1];
    out.z = p[2];
    out.w = p[3];
    finite = isFinite(p[0]) & isFinite(p[1]) & isFinite(p[2]) & isFinite(p[3]);
    const auto bit = [](Float mask, int plane) { return asInt(mask) & simd::Int(1 << plane); };
    return bit(out.w < Float(kMinClipW), kPlaneNearW) | bit(out.z < Float::zero(), kPlaneNearZ) |
           bit(out.z > out.w, kPlaneFarZ) |
           outsideOf(out.x, out.y, out.w, c.guardBounds, kPlaneGuardLeft) |
           outsideOf(out.x, out.y, out.w, c.viewBounds, kPlaneViewLeft);
}

// Clamps to 0..1; NaN becomes 0.
inline simd::Float saturate(simd::Float x) {
    return simd::min(simd::max(x, simd::Float::zero()), simd::Float(1.0f));
}

// x to a whole power by repeated squaring: x^10 = x^2 * x^8.
inline simd::Float wholePower(simd::Float x, int power) {
    simd::Float result(1.0f);
    for (simd::Float square = x; power > 0; power >>= 1, square *= square)
        if (power & 1) result *= square;
    return result;
}

inline simd::Float power(simd::Float x, const LightingSetup& l) {
    if (l.wholePower > 0) return wholePower(x, l.wholePower);
    alignas(32) float lanes[simd::Float::kLanes];
    x.store(lanes);
    for (float& lane : lanes) lane = __builtin_powf(lane, l.power);
    return simd::Float::load(lanes);
}

// World-space positions and normals.
struct WorldLanes {
    simd::Float p[3], n[3];
};

// Specular term of the local-viewer model: (N.H)^power with H = normalize(normalize(eye - P) + L);
// 0 where a length or N.H is not positive.
inline simd::Float specularFactors(const LightingSetup& l, const WorldLanes& v) {
    using simd::Float;
    Float view[3];
    for (int i = 0; i < 3; ++i) view[i] = Float(l.eye[i]) - v.p[i];
    const Float viewLength = sqrt(view[0] * view[0] + view[1] * view[1] + view[2] * view[2]);
    Float half[3];
    for (int i = 0; i < 3; ++i) half[i] = view[i] / viewLength + Float(l.toLight[i]);
    const Float halfLength = sqrt(half[0] * half[0] + half[1] * half[1] + half[2] * half[2]);
    const Float nDotH = (v.n[0] * half[0] + v.n[1] * half[1] + v.n[2] * half[2]) / halfLength;
    const Float usable =
        (viewLength > Float::zero()) & (halfLength > Float::zero()) & (nDotH > Float::zero());
    return power(nDotH, l) & usable;
}

inline WorldLanes toWorld(const LightingSetup& l, const VertexFields& in) {
    using simd::Float;
    const WorldLanes v{{in[0], in[1], in[2]}, {in[3], in[4], in[5]}};
    if (l.worldIsIdentity) return v;
    const float(&w)[4][3] = l.world;
    WorldLanes out;
    for (int i = 0; i < 3; ++i) {
        out.n[i] = v.n[0] * Float(w[0][i]) + v.n[1] * Float(w[1][i]) + v.n[2] * Float(w[2][i]);
        out.p[i] = v.p[0] * Float(w[0][i]) + v.p[1] * Float(w[1][i]) + v.p[2] * Float(w[2][i]) +
                   Float(w[3][i]);
    }
    return out;
}

// Lights the vertices (colours land pre-scaled for the pixel stage) and copies their texture
// coordinates, non-finite ones as 0. Normals are used as given, without renormalising.
inline void lightVertices(const DrawContext& c, const VertexFields& in, CornerLanes& out) {
    using simd::Float;
    const LightingSetup& l = c.lighting;
    const WorldLanes v = toWorld(l, in);
    Float nDotL = Float::zero();
    if (l.lightOn)
        nDotL = v.n[0] * Float(l.toLight[0]) + v.n[1] * Float(l.toLight[1]) +
                v.n[2] * Float(l.toLight[2]);
    const Float lit = nDotL > Float::zero();
    const Float lambert = nDotL & lit;
    Float specular = Float::zero();
    if (l.specularOn && bits(lit) != 0) specular = specularFactors(l, v) & lit;
    for (int i = 0; i < 3; ++i)
        out.diffuse[i] =
            saturate(Float(l.base[i]) + Float(l.diffuse[i]) * lambert) * Float(c.diffuseScale[i]);
    // Without specular light the terms come out as +0 (the scales are positive): no need to
    // work them out.
    for (int i = 0; i < 3; ++i)
        out.specular[i] =
            l.specularOn ? saturate(Float(l.specular[i]) * specular) * Float(c.specularScale[i])
                         : Float::zero();
    out.u = in[6] & isFinite(in[6]);
    out.v = in[7] & isFinite(in[7]);
}

// Flat shading takes the colours of the triangle's first corner.
inline void copyColours(const CornerLanes& from, CornerLanes& to) {
    for (int i = 0; i < 3; ++i) {
        to.diffuse[i] = from.diffuse[i];
        to.specular[i] = from.specular[i];
    }
}

// Moves u (or v) of each triangle in the lanes of `live` by a whole number of texture periods so
// that none of its corners is negative. The picture is unchanged, and the pixel stage may
// truncate instead of flooring.
inline void shiftToNonNegative(float period, simd::Float CornerLanes::*coordinate,
                               CornerLanes (&v)[3], simd::Float live) {
    using simd::Float;
    Float lowest = v[0].*coordinate;
    for (int i = 1; i < 3; ++i)
        lowest = select(v[i].*coordinate < lowest, v[i].*coordinate, lowest);
    const Float moved = live & (lowest < Float::zero()) & (lowest > Float(-1e30f));
    if (bits(moved) == 0) return;
    Float shift = floor(lowest / Float(period)) * Float(period);
    shift = select(lowest - shift < Float::zero(), shift - Float(period), shift);
    for (CornerLanes& corner : v)
        corner.*coordinate = select(moved, corner.*coordinate - shift, corner.*coordinate);
}

inline void shiftTexturePeriods(const DrawContext& c, CornerLanes (&v)[3], simd::Float live) {
    if (!c.textured || c.texture.period == 0) return;
    shiftToNonNegative(c.texture.period, &CornerLanes::u, v, live);
    shiftToNonNegative(c.texture.period, &CornerLanes::v, v, live);
}

// Projects and snaps the positions; returns the lanes where the result is usable (the caller
// drops the triangles of the others). Clipped vertices lie inside the guard band; the limit
// only catches what no clipped vertex can reach, and keeps the edge slopes small enough for the
// pixel stage's 32-bit arithmetic inside a block.
inline constexpr float kMaxOffset = 1 << 16;  // pixels from the viewport's centre

inline int projectPositions(const DrawContext& c, const CornerLanes& v, simd::Float& invW,
                            simd::Int& fx, simd::Int& fy) {
    using simd::Float;
    invW = Float(1.0f) / v.w;
    const Float sx = Float(c.offsetX) + Float(c.scaleX) * (v.x * invW);
    const Float sy = Float(c.offsetY) - Float(c.scaleY) * (v.y * invW);
    const Float usable = (abs(sx - Float(c.centreX)) < Float(kMaxOffset)) &
                         (abs(sy - Float(c.centreY)) < Float(kMaxOffset));
    fx = roundToInt(sx * Float(kSubpixelScale));
    fy = roundToInt(sy * Float(kSubpixelScale));
    return bits(usable);
}

// The interpolated attributes (see Attribute).
inline void projectAttributes(const DrawContext& c, const CornerLanes& v, simd::Float invW,
                              simd::Float (&attr)[kAttrCount]) {
    using simd::Float;
    const Float q = c.perspective ? invW : Float(1.0f);
    const Float depth = Float(c.zOffset) + Float(c.zScale) * (v.z * invW);
    attr[kAttrQ] = q;
    attr[kAttrZ] = select(depth > Float::zero(),
                          select(depth < Float(65535.0f), depth, Float(65535.0f)), Float::zero()) -
                   Float(kDepthBias);
    attr[kAttrU] = v.u * Float(static_cast<float>(c.texture.width)) * q;
    attr[kAttrV] = v.v * Float(static_cast<float>(c.texture.height)) * q;
    for (int i = 0; i < 3; ++i) {
        attr[kAttrDiffuseR + i] = v.diffuse[i] * q;
        attr[kAttrSpecularR + i] = v.specular[i] * q;
    }
}

// ---- the same for the single vertices of clipped polygons ----

inline bool isFinitePosition(const ShadedVertex& v) {
    return finite(v.x) && finite(v.y) && finite(v.z) && finite(v.w);
}

inline void shiftToNonNegative(float period, float ShadedVertex::*coordinate, ShadedVertex* v,
                               int count) {
    float lowest = v[0].*coordinate;
    for (int i = 1; i < count; ++i) lowest = v[i].*coordinate < lowest ? v[i].*coordinate : lowest;
    if (lowest >= 0 || !(lowest > -1e30f)) return;
    float shift = __builtin_floorf(lowest / period) * period;
    if (lowest - shift < 0) shift -= period;
    for (int i = 0; i < count; ++i) v[i].*coordinate -= shift;
}

inline void shiftTexturePeriods(const DrawContext& c, ShadedVertex* v, int count) {
    if (!c.textured || c.texture.period == 0) return;
    shiftToNonNegative(c.texture.period, &ShadedVertex::u, v, count);
    shiftToNonNegative(c.texture.period, &ShadedVertex::v, v, count);
}

inline bool projectPosition(const DrawContext& c, const ShadedVertex& v, ScreenVertex& out,
                            float& invW) {
    invW = 1.0f / v.w;
    const float sx = c.offsetX + c.scaleX * (v.x * invW);
    const float sy = c.offsetY - c.scaleY * (v.y * invW);
    if (!(__builtin_fabsf(sx - c.centreX) < kMaxOffset) ||
        !(__builtin_fabsf(sy - c.centreY) < kMaxOffset))
        return false;
    // Round to nearest with the SSE conversion (lrint would be a library call).
    out.fx = _mm_cvtss_si32(_mm_set_ss(sx * kSubpixelScale));
    out.fy = _mm_cvtss_si32(_mm_set_ss(sy * kSubpixelScale));
    return true;
}

inline void projectAttributes(const DrawContext& c, const ShadedVertex& v, float invW,
                              ScreenVertex& out) {
    const float q = c.perspective ? invW : 1.0f;
    const float depth = c.zOffset + c.zScale * (v.z * invW);
    out.attr[kAttrQ] = q;
    out.attr[kAttrZ] = (depth > 0 ? (depth < 65535.0f ? depth : 65535.0f) : 0.0f) - kDepthBias;
    out.attr[kAttrU] = v.u * static_cast<float>(c.texture.width) * q;
    out.attr[kAttrV] = v.v * static_cast<float>(c.texture.height) * q;
    for (int i = 0; i < 3; ++i) {
        out.attr[kAttrDiffuseR + i] = v.diffuse[i] * q;
        out.attr[kAttrSpecularR + i] = v.specular[i] * q;
    }
    for (int i = kAttrCount; i < kAttrSlots; ++i) out.attr[i] = 0;
}

}  // namespace SW_SIMD_ISA
}  // namespace sw
