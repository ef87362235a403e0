#include "platform/raster/raster.h"

#include "platform/raster/clipper.h"
#include "platform/raster/draw_context.h"
#include "platform/raster/pixel_stage.h"
#include "platform/raster/triangle_setup.h"
#include "platform/raster/vertex_stage.h"

namespace sw {

// Per-draw state and per-triangle scratch; nothing here allocates while drawing.
struct Rasterizer::Impl {
    DrawContext context;
    PixelConstants pixel;
    TriangleSetup setup;

    void drawTriangle(const D3DVERTEX* in);
    void drawUnclipped(const D3DVERTEX* in, ShadedVertex (&v)[3]);
    void drawClipped(const D3DVERTEX* in, ShadedVertex (&v)[3], unsigned planes);
    void lightTriangle(const D3DVERTEX* in, ShadedVertex (&v)[3]) const;
    void rasterize(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c);
};

void Rasterizer::Impl::lightTriangle(const D3DVERTEX* in, ShadedVertex (&v)[3]) const {
    for (int i = 0; i < 3; ++i) lightVertex(context, in[i], v[i]);
    if (!context.gouraud) {
        copyColours(v[0], v[1]);
        copyColours(v[0], v[2]);
    }
}

void Rasterizer::Impl::rasterize(const ScreenVertex& a, const ScreenVertex& b,
                                 const ScreenVertex& c) {
    if (setupTriangle(context, a, b, c, setup)) context.rasterize(setup, context, pixel);
}

// Wholly inside the guard band: cull on the snapped positions before paying for lighting.
void Rasterizer::Impl::drawUnclipped(const D3DVERTEX* in, ShadedVertex (&v)[3]) {
    ScreenVertex s[3];
    float invW[3];
    for (int i = 0; i < 3; ++i)
        if (!projectPosition(context, v[i], s[i], invW[i])) return;
    if (isCulled(screenArea(s[0], s[1], s[2]), context.cull)) return;
    lightTriangle(in, v);
    shiftTexturePeriods(context, v, 3);
    for (int i = 0; i < 3; ++i) projectAttributes(context, v[i], invW[i], s[i]);
    rasterize(s[0], s[1], s[2]);
}

// Crosses the near plane or the guard band: clip, then draw the polygon as a fan. Every fan
// triangle keeps the orientation of the original, so each is culled on its own.
void Rasterizer::Impl::drawClipped(const D3DVERTEX* in, ShadedVertex (&v)[3], unsigned planes) {
    lightTriangle(in, v);
    ShadedVertex polygon[kMaxClippedVertices];
    const int count = clipTriangle(context, v, planes, polygon);
    if (count > 0) shiftTexturePeriods(context, polygon, count);
    ScreenVertex s[kMaxClippedVertices];
    for (int i = 0; i < count; ++i) {
        float invW;
        if (!isFinitePosition(polygon[i]) || !projectPosition(context, polygon[i], s[i], invW))
            return;
        projectAttributes(context, polygon[i], invW, s[i]);
    }
    for (int i = 1; i + 1 < count; ++i) {
        if (isCulled(screenArea(s[0], s[i], s[i + 1]), context.cull)) continue;
        rasterize(s[0], s[i], s[i + 1]);
    }
}

void Rasterizer::Impl::drawTriangle(const D3DVERTEX* in) {
    ShadedVertex v[3];
    unsigned all = ~0u;
    unsigned any = 0;
    for (int i = 0; i < 3; ++i) {
        unsigned code;
        if (!transformToClip(context, in[i], v[i], code)) return;
        all &= code;
        any |= code;
    }
    if (all != 0) return;  // wholly outside one plane
    if ((any & kClipMask) == 0)
        drawUnclipped(in, v);
    else
        drawClipped(in, v, any & kClipMask);
}

Rasterizer::Rasterizer() : impl_(std::make_unique<Impl>()) {}
Rasterizer::~Rasterizer() = default;

void Rasterizer::drawTriangleList(const RasterState& state, const ColorTarget& color,
                                  const DepthTarget* depth, const D3DVERTEX* vertices,
                                  std::uint32_t vertexCount) {
    if (vertices == nullptr || vertexCount < 3) return;
    if (!prepareDrawContext(state, color, depth, impl_->context)) return;
    impl_->pixel = PixelConstants(impl_->context);
    const std::uint32_t triangles = vertexCount / 3;
    for (std::uint32_t t = 0; t < triangles; ++t) impl_->drawTriangle(vertices + 3 * t);
}

}  // namespace sw
