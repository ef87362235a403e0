// Per-vertex work: transform to clip space, outcodes, lighting in world space and projection
// to the snapped screen position. Inline: it runs for every vertex of every frame.
#pragma once

#include <xmmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/raster/draw_context.h"

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

// Clamps to 0..1; NaN becomes 0.
inline float saturate(float x) {
    return x > 0 ? (x < 1 ? x : 1) : 0;
}

inline float finiteOrZero(float x) {
    return std::isfinite(x) ? x : 0.0f;
}

// Specular term of the local-viewer model: (N.H)^power with H = normalize(normalize(eye - P) + L).
inline float specularFactor(const LightingSetup& l, const float position[3],
                            const float normal[3]) {
    float view[3] = {l.eye[0] - position[0], l.eye[1] - position[1], l.eye[2] - position[2]};
    const float viewLength = std::sqrt(view[0] * view[0] + view[1] * view[1] + view[2] * view[2]);
    if (!(viewLength > 0)) return 0;
    float half[3];
    for (int i = 0; i < 3; ++i) half[i] = view[i] / viewLength + l.toLight[i];
    const float halfLength = std::sqrt(half[0] * half[0] + half[1] * half[1] + half[2] * half[2]);
    if (!(halfLength > 0)) return 0;
    const float nDotH =
        (normal[0] * half[0] + normal[1] * half[1] + normal[2] * half[2]) / halfLength;
    if (!(nDotH > 0)) return 0;
    return std::pow(nDotH, l.power);
}

// Lights the vertex (colours land pre-scaled for the pixel stage) and copies its texture
// coordinates. Normals are used as given, without renormalising.
inline void lightVertex(const DrawContext& c, const D3DVERTEX& in, ShadedVertex& out) {
    const LightingSetup& l = c.lighting;
    float normal[3] = {in.nx, in.ny, in.nz};
    float position[3] = {in.x, in.y, in.z};
    if (!l.worldIsIdentity) {
        const float(&w)[4][3] = l.world;
        for (int i = 0; i < 3; ++i) {
            normal[i] = in.nx * w[0][i] + in.ny * w[1][i] + in.nz * w[2][i];
            position[i] = in.x * w[0][i] + in.y * w[1][i] + in.z * w[2][i] + w[3][i];
        }
    }
    float nDotL = 0;
    if (l.lightOn)
        nDotL = normal[0] * l.toLight[0] + normal[1] * l.toLight[1] + normal[2] * l.toLight[2];
    const float lambert = nDotL > 0 ? nDotL : 0.0f;
    const float specular = (l.specularOn && nDotL > 0) ? specularFactor(l, position, normal) : 0.0f;
    for (int i = 0; i < 3; ++i) {
        out.diffuse[i] = saturate(l.base[i] + l.diffuse[i] * lambert) * c.diffuseScale[i];
        out.specular[i] = saturate(l.specular[i] * specular) * c.specularScale[i];
    }
    out.u = finiteOrZero(in.tu);
    out.v = finiteOrZero(in.tv);
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
