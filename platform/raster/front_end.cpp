#include "platform/raster/front_end.h"

#include <algorithm>

#include "platform/raster/clipper.h"
#include "platform/raster/vertex_stage.h"

namespace sw {
inline namespace SW_SIMD_ISA {
namespace {

using simd::Float;
using simd::Int;

constexpr int kLanes = Float::kLanes;

alignas(32) constexpr std::int32_t kLaneBit[8] = {1, 2, 4, 8, 16, 32, 64, 128};

// The lanes named by the bits of `lanes`, as a mask.
Float laneMask(int lanes) {
    const Int bit = Int::load(kLaneBit);
    return asFloat((Int(lanes) & bit) == bit);
}

class FrontEnd {
  public:
    FrontEnd(const DrawContext& context, TriangleSink& sink) : context_(context), sink_(sink) {}

    // Triangles [0, count) of `in`, count <= kLanes, one per lane; the first one's order is
    // `order`.
    void drawBatch(const D3DVERTEX* in, int count);

  private:
    void drawClipped(const ShadedVertex (&v)[3], unsigned planes);

    const DrawContext& context_;
    TriangleSink& sink_;
    TriangleSetup setups_[kSetupLanes];
};

// The lit corners of every lane as ShadedVertex records.
void storeShaded(const CornerLanes (&corners)[3], ShadedVertex (&out)[kLanes][3]) {
    for (int k = 0; k < 3; ++k) {
        const CornerLanes& v = corners[k];
        const Float fields[12] = {v.x,          v.y,           v.z,           v.w,
                                  v.u,          v.v,           v.diffuse[0],  v.diffuse[1],
                                  v.diffuse[2], v.specular[0], v.specular[1], v.specular[2]};
        float* records[kLanes];
        for (int i = 0; i < kLanes; ++i) records[i] = &out[i][k].x;
        simd::storeFields(fields, 8, records);
        for (float*& record : records) record += 8;
        simd::storeFields(fields + 8, 4, records);
    }
}

void FrontEnd::drawBatch(const D3DVERTEX* in, int count) {
    const DrawContext& c = context_;
    // Lanes past the last triangle repeat it and are never drawn.
    VertexFields fields[3];
    CornerLanes corners[3];
    Int codes[3];
    Float finite[3];
    const D3DVERTEX* triangles[kLanes];
    for (int i = 0; i < kLanes; ++i) triangles[i] = in + 3 * std::min(i, count - 1);
    for (int k = 0; k < 3; ++k) {
        const float* records[kLanes];
        for (int i = 0; i < kLanes; ++i) records[i] = &triangles[i][k].x;
        simd::loadFields8(records, fields[k]);
        codes[k] = transformToClip(c, fields[k], corners[k], finite[k]);
    }
    const Int outsideAll = codes[0] & codes[1] & codes[2];
    const Int outsideAny = codes[0] | codes[1] | codes[2];
    // Triangles with a non-finite corner, or wholly outside one plane, are dropped.
    const int live = ((1 << count) - 1) & bits(finite[0] & finite[1] & finite[2]) &
                     bits(outsideAll == Int::zero());
    // Those crossing the near plane or the guard band are clipped, one at a time.
    const int clipped = live & ~bits((outsideAny & Int(kClipMask)) == Int::zero());
    int whole = live & ~clipped;

    // The rest are culled on their snapped positions before lighting is paid for.
    ScreenLanes screen;
    Float invW[3] = {};
    AreaLanes area{};
    if (whole != 0) {
        for (int k = 0; k < 3; ++k)
            whole &= projectPositions(c, corners[k], invW[k], screen.fx[k], screen.fy[k]);
        area = screenAreas(screen);
        whole &= keptByCulling(area, c.cull);
    }
    if ((whole | clipped) == 0) return;

    for (int k = 0; k < 3; ++k) lightVertices(c, fields[k], corners[k]);
    if (!c.gouraud) {
        copyColours(corners[0], corners[1]);
        copyColours(corners[0], corners[2]);
    }

    ShadedVertex shaded[kLanes][3];
    alignas(32) std::int32_t planes[kLanes];
    if (clipped != 0) {
        storeShaded(corners, shaded);
        (outsideAny & Int(kClipMask)).store(planes);
    }
    int covering = 0;
    if (whole != 0) {
        shiftTexturePeriods(c, corners, laneMask(whole));
        for (int k = 0; k < 3; ++k) projectAttributes(c, corners[k], invW[k], screen.attr[k]);
        covering = setupTriangles(c, screen, area, whole, setups_);
    }
    if (clipped == 0) {  // the usual case: one call for all
        if (covering != 0) sink_.addLanes(setups_, covering);
        return;
    }
    for (int i = 0; i < count; ++i) {
        if (clipped & (1 << i))
            drawClipped(shaded[i], static_cast<unsigned>(planes[i]));
        else if (covering & (1 << i))
            sink_.add(setups_[i]);
    }
}

// Clips against the planes in `planes`, then draws the polygon as a fan. Every fan triangle
// keeps the orientation of the original, so each is culled on its own.
void FrontEnd::drawClipped(const ShadedVertex (&v)[3], unsigned planes) {
    ShadedVertex polygon[kMaxClippedVertices];
    const int count = clipTriangle(context_, v, planes, polygon);
    if (count == 0) return;
    shiftTexturePeriods(context_, polygon, count);
    ScreenVertex s[kMaxClippedVertices];
    for (int i = 0; i < count; ++i) {
        float invW;
        if (!isFinitePosition(polygon[i]) || !projectPosition(context_, polygon[i], s[i], invW))
            return;
        projectAttributes(context_, polygon[i], invW, s[i]);
    }
    const int triangles = count - 2;
    const ScreenVertex* fan[kMaxClippedVertices - 2][3];
    for (int i = 0; i < triangles; ++i) {
        fan[i][0] = &s[0];
        fan[i][1] = &s[i + 1];
        fan[i][2] = &s[i + 2];
    }
    TriangleSetup fanSetups[kMaxClippedVertices - 2];
    const std::uint32_t covering = setupCorners(context_, fan, triangles, fanSetups);
    for (int i = 0; i < triangles; ++i)
        if (covering & (1u << i)) sink_.add(fanSetups[i]);
}

}  // namespace

void drawTriangles(const DrawContext& context, TriangleSink& sink, const D3DVERTEX* vertices,
                   std::uint32_t first, std::uint32_t count) {
    FrontEnd frontEnd(context, sink);
    const std::uint32_t end = first + count;
    for (std::uint32_t t = first; t < end; t += kLanes) {
        const int batch = static_cast<int>(std::min<std::uint32_t>(kLanes, end - t));
        frontEnd.drawBatch(vertices + 3 * static_cast<std::size_t>(t), batch);
    }
}

}  // namespace SW_SIMD_ISA
}  // namespace sw
