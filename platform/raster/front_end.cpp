#include "platform/raster/front_end.h"

#include "platform/raster/clipper.h"
#include "platform/raster/vertex_stage.h"

namespace sw {
namespace {

class FrontEnd {
  public:
    FrontEnd(const DrawContext& context, TriangleSink& sink) : context_(context), sink_(sink) {}

    void drawTriangle(const D3DVERTEX* in, std::uint32_t order);

  private:
    void drawUnclipped(const D3DVERTEX* in, ShadedVertex (&v)[3]);
    void drawClipped(const D3DVERTEX* in, ShadedVertex (&v)[3], unsigned planes);
    void lightTriangle(const D3DVERTEX* in, ShadedVertex (&v)[3]) const;
    void emit(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c);

    const DrawContext& context_;
    TriangleSink& sink_;
    std::uint32_t order_ = 0;
};

void FrontEnd::lightTriangle(const D3DVERTEX* in, ShadedVertex (&v)[3]) const {
    lightCorners(context_, in, v);
    if (!context_.gouraud) {
        copyColours(v[0], v[1]);
        copyColours(v[0], v[2]);
    }
}

void FrontEnd::emit(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
    if (setupTriangle(context_, a, b, c, sink_.slot())) sink_.commit(order_);
}

// Wholly inside the guard band: cull on the snapped positions before paying for lighting.
void FrontEnd::drawUnclipped(const D3DVERTEX* in, ShadedVertex (&v)[3]) {
    ScreenVertex s[3];
    float invW[3];
    for (int i = 0; i < 3; ++i)
        if (!projectPosition(context_, v[i], s[i], invW[i])) return;
    if (isCulled(screenArea(s[0], s[1], s[2]), context_.cull)) return;
    lightTriangle(in, v);
    shiftTexturePeriods(context_, v, 3);
    for (int i = 0; i < 3; ++i) projectAttributes(context_, v[i], invW[i], s[i]);
    emit(s[0], s[1], s[2]);
}

// Crosses the near plane or the guard band: clip, then draw the polygon as a fan. Every fan
// triangle keeps the orientation of the original, so each is culled on its own.
void FrontEnd::drawClipped(const D3DVERTEX* in, ShadedVertex (&v)[3], unsigned planes) {
    lightTriangle(in, v);
    ShadedVertex polygon[kMaxClippedVertices];
    const int count = clipTriangle(context_, v, planes, polygon);
    if (count > 0) shiftTexturePeriods(context_, polygon, count);
    ScreenVertex s[kMaxClippedVertices];
    for (int i = 0; i < count; ++i) {
        float invW;
        if (!isFinitePosition(polygon[i]) || !projectPosition(context_, polygon[i], s[i], invW))
            return;
        projectAttributes(context_, polygon[i], invW, s[i]);
    }
    for (int i = 1; i + 1 < count; ++i) {
        if (isCulled(screenArea(s[0], s[i], s[i + 1]), context_.cull)) continue;
        emit(s[0], s[i], s[i + 1]);
    }
}

void FrontEnd::drawTriangle(const D3DVERTEX* in, std::uint32_t order) {
    ShadedVertex v[3];
    unsigned all = ~0u;
    unsigned any = 0;
    for (int i = 0; i < 3; ++i) {
        unsigned code;
        if (!transformToClip(context_, in[i], v[i], code)) return;
        all &= code;
        any |= code;
    }
    if (all != 0) return;  // wholly outside one plane
    order_ = order;
    if ((any & kClipMask) == 0)
        drawUnclipped(in, v);
    else
        drawClipped(in, v, any & kClipMask);
}

}  // namespace

void drawTriangles(const DrawContext& context, TriangleSink& sink, const D3DVERTEX* vertices,
                   std::uint32_t first, std::uint32_t count, std::uint32_t orderBase) {
    FrontEnd frontEnd(context, sink);
    for (std::uint32_t t = first; t < first + count; ++t)
        frontEnd.drawTriangle(vertices + 3 * static_cast<std::size_t>(t), orderBase + t);
}

}  // namespace sw
