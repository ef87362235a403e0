#include "platform/raster/clipper.h"

#include <algorithm>

namespace sw {
namespace {

// Signed distance to the plane, >= 0 inside.
float planeDistance(const DrawContext& c, int plane, const ShadedVertex& v) {
    switch (plane) {
        case kPlaneNearW:
            return v.w - kMinClipW;
        case kPlaneNearZ:
            return v.z;
        case kPlaneFarZ:
            return v.w - v.z;
        case kPlaneGuardLeft:
            return v.x - c.guardLeft * v.w;
        case kPlaneGuardRight:
            return c.guardRight * v.w - v.x;
        case kPlaneGuardBottom:
            return v.y - c.guardBottom * v.w;
        case kPlaneGuardTop:
        default:
            return c.guardTop * v.w - v.y;
    }
}

ShadedVertex lerp(const ShadedVertex& a, const ShadedVertex& b, float t) {
    constexpr int kFields = sizeof(ShadedVertex) / sizeof(float);
    static_assert(sizeof(ShadedVertex) == kFields * sizeof(float));
    ShadedVertex result;
    const float* fa = &a.x;
    const float* fb = &b.x;
    float* fr = &result.x;
    for (int i = 0; i < kFields; ++i) fr[i] = fa[i] + (fb[i] - fa[i]) * t;
    return result;
}

// One Sutherland-Hodgman pass; the intersection is always computed from the inside vertex
// towards the outside one, so that a shared edge is cut at the same point from both sides.
int clipAgainstPlane(const DrawContext& c, int plane, const ShadedVertex* in, int count,
                     ShadedVertex* out) {
    int written = 0;
    for (int i = 0; i < count; ++i) {
        const ShadedVertex& a = in[i];
        const ShadedVertex& b = in[(i + 1) % count];
        const float da = planeDistance(c, plane, a);
        const float db = planeDistance(c, plane, b);
        const bool aInside = da >= 0;
        const bool bInside = db >= 0;
        if (aInside) out[written++] = a;
        if (aInside != bInside) {
            const ShadedVertex& from = aInside ? a : b;
            const ShadedVertex& to = aInside ? b : a;
            const float dFrom = aInside ? da : db;
            const float dTo = aInside ? db : da;
            const float t = dFrom / (dFrom - dTo);
            out[written++] = lerp(from, to, std::clamp(t, 0.0f, 1.0f));
        }
    }
    return written;
}

}  // namespace

int clipTriangle(const DrawContext& context, const ShadedVertex (&in)[3], unsigned planes,
                 ShadedVertex (&out)[kMaxClippedVertices]) {
    ShadedVertex scratch[kMaxClippedVertices];
    std::copy(in, in + 3, out);
    int count = 3;
    for (int plane = 0; plane < kClipPlaneCount && count >= 3; ++plane) {
        if ((planes & (1u << plane)) == 0) continue;
        count = clipAgainstPlane(context, plane, out, count, scratch);
        std::copy(scratch, scratch + count, out);
    }
    return count >= 3 ? count : 0;
}

}  // namespace sw
