// Per-vertex work: transform to clip space, outcodes, lighting in world space and projection
// to the snapped screen position. Inline: it runs for every vertex of every frame.
#pragma once

#include <xmmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/raster/draw_context.h"
#include "platform/raster/simd.h"

namespace sw {

inline bool isFinitePosition(const ShadedVertex& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.w);
}

// Bits of the planes among (left, right, bottom, top) that clip position p lies outside of:
// x - left * w < 0, right * w - x < 0, and so on.
inline unsigned outsideOfBounds(__m128 p, __m128 w, const float* bounds) {
    const __m128 xxyy = _mm_shuffle_ps(p, p, _MM_SHUFFLE(1, 1, 0, 0));
    const __m128 distance =
        _mm_mul_ps(_mm_sub_ps(xxyy, _mm_mul_ps(_mm_load_ps(bounds), w)), _mm_setr_ps(1, -1, 1, -1));
    return static_cast<unsigned>(_mm_movemask_ps(_mm_cmplt_ps(distance, _mm_setzero_ps())));
}

// Transforms to clip space (row vector times world * view * projection) and sets the
// outcode: a bit per plane (see ClipPlane) that the vertex lies outside of. Returns false
// when the position is not finite.
inline bool transformToClip(const DrawContext& c, const D3DVERTEX& in, ShadedVertex& out,
                            unsigned& code) {
    const __m128 p =
        _mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(in.x), _mm_load_ps(c.mvp[0])),
                                         _mm_mul_ps(_mm_set1_ps(in.y), _mm_load_ps(c.mvp[1]))),
                              _mm_mul_ps(_mm_set1_ps(in.z), _mm_load_ps(c.mvp[2]))),
                   _mm_load_ps(c.mvp[3]));
    alignas(16) float xyzw[4];
    _mm_store_ps(xyzw, p);
    out.x = xyzw[0];
    out.y = xyzw[1];
    out.z = xyzw[2];
    out.w = xyzw[3];
    // p - p is 0 in every lane only when all four are finite.
    if (_mm_movemask_ps(_mm_cmpunord_ps(_mm_sub_ps(p, p), _mm_setzero_ps())) != 0) return false;
    const __m128 w = _mm_shuffle_ps(p, p, _MM_SHUFFLE(3, 3, 3, 3));
    code = static_cast<unsigned>(out.w < kMinClipW) << kPlaneNearW |
           static_cast<unsigned>(out.z < 0) << kPlaneNearZ |
           static_cast<unsigned>(out.z > out.w) << kPlaneFarZ |
           outsideOfBounds(p, w, c.guardBounds) << kPlaneGuardLeft |
           outsideOfBounds(p, w, c.viewBounds) << kPlaneViewLeft;
    return true;
}

inline float finiteOrZero(float x) {
    return std::isfinite(x) ? x : 0.0f;
}

// Clamps to 0..1; NaN becomes 0.
inline simd::F4 saturate(simd::F4 x) {
    return simd::min(simd::max(x, simd::F4::zero()), simd::F4(1.0f));
}

// x to a whole power by repeated squaring: x^10 = x^2 * x^8.
inline simd::F4 wholePower(simd::F4 x, int power) {
    simd::F4 result(1.0f);
    for (simd::F4 square = x; power > 0; power >>= 1, square *= square)
        if (power & 1) result *= square;
    return result;
}

inline simd::F4 power(simd::F4 x, const LightingSetup& l) {
    if (l.wholePower > 0) return wholePower(x, l.wholePower);
    alignas(16) float lanes[4];
    x.store(lanes);
    for (float& lane : lanes) lane = std::pow(lane, l.power);
    return simd::F4::load(lanes);
}

// Four vertices in lanes: world-space positions and normals.
struct VertexLanes {
    simd::F4 p[3], n[3];
};

// Specular term of the local-viewer model: (N.H)^power with H = normalize(normalize(eye - P) + L);
// 0 where a length or N.H is not positive.
inline simd::F4 specularFactors(const LightingSetup& l, const VertexLanes& v) {
    using simd::F4;
    F4 view[3];
    for (int i = 0; i < 3; ++i) view[i] = F4(l.eye[i]) - v.p[i];
    const F4 viewLength = simd::sqrt(view[0] * view[0] + view[1] * view[1] + view[2] * view[2]);
    F4 half[3];
    for (int i = 0; i < 3; ++i) half[i] = view[i] / viewLength + F4(l.toLight[i]);
    const F4 halfLength = simd::sqrt(half[0] * half[0] + half[1] * half[1] + half[2] * half[2]);
    const F4 nDotH = (v.n[0] * half[0] + v.n[1] * half[1] + v.n[2] * half[2]) / halfLength;
    const F4 usable = (viewLength > F4::zero()) & (halfLength > F4::zero()) & (nDotH > F4::zero());
    return power(nDotH, l) & usable;
}

// The triangle's corners in lanes 0 to 2, moved into world space.
inline VertexLanes worldCorners(const LightingSetup& l, const D3DVERTEX* in) {
    using simd::F4;
    VertexLanes v;
    v.p[0] = F4::lanes(in[0].x, in[1].x, in[2].x, 0);
    v.p[1] = F4::lanes(in[0].y, in[1].y, in[2].y, 0);
    v.p[2] = F4::lanes(in[0].z, in[1].z, in[2].z, 0);
    v.n[0] = F4::lanes(in[0].nx, in[1].nx, in[2].nx, 0);
    v.n[1] = F4::lanes(in[0].ny, in[1].ny, in[2].ny, 0);
    v.n[2] = F4::lanes(in[0].nz, in[1].nz, in[2].nz, 0);
    if (l.worldIsIdentity) return v;
    const float(&w)[4][3] = l.world;
    VertexLanes out;
    for (int i = 0; i < 3; ++i) {
        out.n[i] = v.n[0] * F4(w[0][i]) + v.n[1] * F4(w[1][i]) + v.n[2] * F4(w[2][i]);
        out.p[i] = v.p[0] * F4(w[0][i]) + v.p[1] * F4(w[1][i]) + v.p[2] * F4(w[2][i]) + F4(w[3][i]);
    }
    return out;
}

// Lights the triangle's three corners together (colours land pre-scaled for the pixel stage)
// and copies their texture coordinates. Normals are used as given, without renormalising.
inline void lightCorners(const DrawContext& c, const D3DVERTEX* in, ShadedVertex (&out)[3]) {
    using simd::F4;
    const LightingSetup& l = c.lighting;
    const VertexLanes v = worldCorners(l, in);
    F4 nDotL = F4::zero();
    if (l.lightOn)
        nDotL = v.n[0] * F4(l.toLight[0]) + v.n[1] * F4(l.toLight[1]) + v.n[2] * F4(l.toLight[2]);
    const F4 lit = nDotL > F4::zero();
    const F4 lambert = nDotL & lit;
    F4 specular = F4::zero();
    if (l.specularOn && (simd::bits(lit) & 7) != 0) specular = specularFactors(l, v) & lit;
    for (int i = 0; i < 3; ++i) {
        alignas(16) float diffuse[4], highlight[4];
        (saturate(F4(l.base[i]) + F4(l.diffuse[i]) * lambert) * F4(c.diffuseScale[i]))
            .store(diffuse);
        (saturate(F4(l.specular[i]) * specular) * F4(c.specularScale[i])).store(highlight);
        for (int k = 0; k < 3; ++k) {
            out[k].diffuse[i] = diffuse[k];
            out[k].specular[i] = highlight[k];
        }
    }
    for (int k = 0; k < 3; ++k) {
        out[k].u = finiteOrZero(in[k].tu);
        out[k].v = finiteOrZero(in[k].tv);
    }
}

// Flat shading takes the colours of the triangle's first vertex.
inline void copyColours(const ShadedVertex& from, ShadedVertex& to) {
    for (int i = 0; i < 3; ++i) {
        to.diffuse[i] = from.diffuse[i];
        to.specular[i] = from.specular[i];
    }
}

// Moves u (or v) of the vertices by a whole number of texture periods so that none is
// negative. The picture is unchanged, and the pixel stage may truncate instead of flooring.
inline void shiftToNonNegative(float period, float ShadedVertex::*coordinate, ShadedVertex* v,
                               int count) {
    float lowest = v[0].*coordinate;
    for (int i = 1; i < count; ++i) lowest = std::min(lowest, v[i].*coordinate);
    if (lowest >= 0 || !(lowest > -1e30f)) return;
    float shift = std::floor(lowest / period) * period;
    if (lowest - shift < 0) shift -= period;
    for (int i = 0; i < count; ++i) v[i].*coordinate -= shift;
}

inline void shiftTexturePeriods(const DrawContext& c, ShadedVertex* v, int count) {
    if (!c.textured || c.texture.period == 0) return;
    shiftToNonNegative(c.texture.period, &ShadedVertex::u, v, count);
    shiftToNonNegative(c.texture.period, &ShadedVertex::v, v, count);
}

// Projects and snaps the position; false when the result is unusable (the caller drops the
// triangle). Clipped vertices lie inside the guard band; the limit only catches what no
// clipped vertex can reach, and keeps the edge slopes small enough for the pixel stage's
// 32-bit arithmetic inside a block.
inline bool projectPosition(const DrawContext& c, const ShadedVertex& v, ScreenVertex& out,
                            float& invW) {
    constexpr float kMaxOffset = 1 << 16;  // pixels from the viewport's centre
    invW = 1.0f / v.w;
    const float sx = c.offsetX + c.scaleX * (v.x * invW);
    const float sy = c.offsetY - c.scaleY * (v.y * invW);
    if (!(std::fabs(sx - c.centreX) < kMaxOffset) || !(std::fabs(sy - c.centreY) < kMaxOffset))
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

}  // namespace sw
