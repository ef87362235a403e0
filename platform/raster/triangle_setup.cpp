#include "platform/raster/triangle_setup.h"

#include <algorithm>
#include <utility>

#include "platform/raster/simd.h"

namespace sw {
namespace {

// Top edges (horizontal, interior below) and left edges (interior to the right) own the
// pixels that lie exactly on them, so that two triangles sharing an edge never both draw
// a pixel on it. Holds for clockwise (positive-area) triangles in y-down screen space.
bool isTopLeft(std::int64_t dx, std::int64_t dy) {
    return dy < 0 || (dy == 0 && dx > 0);
}

void setupEdge(const ScreenVertex& from, const ScreenVertex& to, int index, TriangleSetup& s) {
    const std::int64_t dx = static_cast<std::int64_t>(to.fx) - from.fx;
    const std::int64_t dy = static_cast<std::int64_t>(to.fy) - from.fy;
    // E = dx * (Py - from.y) - dy * (Px - from.x) with P = pixel * kSubpixelScale.
    s.a[index] = -dy * kSubpixelScale;
    s.b[index] = dx * kSubpixelScale;
    s.c[index] = dy * from.fx - dx * from.fy - (isTopLeft(dx, dy) ? 0 : 1);
}

// Pixels whose centres lie inside the snapped bounding box, clipped to the scissor rectangle.
// A centre exactly on the right or bottom extreme is left out: it lies on a right or bottom
// edge, which the top-left rule never draws.
bool setupBounds(const PixelTarget& target, const ScreenVertex& v0, const ScreenVertex& v1,
                 const ScreenVertex& v2, TriangleSetup& s) {
    constexpr int kRoundUp = kSubpixelScale - 1;
    const std::int32_t minFx = std::min({v0.fx, v1.fx, v2.fx});
    const std::int32_t maxFx = std::max({v0.fx, v1.fx, v2.fx});
    const std::int32_t minFy = std::min({v0.fy, v1.fy, v2.fy});
    const std::int32_t maxFy = std::max({v0.fy, v1.fy, v2.fy});
    s.minX = std::max((minFx + kRoundUp) >> kSubpixelBits, target.minX);
    s.maxX = std::min((maxFx - 1) >> kSubpixelBits, target.maxX);
    s.minY = std::max((minFy + kRoundUp) >> kSubpixelBits, target.minY);
    s.maxY = std::min((maxFy - 1) >> kSubpixelBits, target.maxY);
    return s.minX <= s.maxX && s.minY <= s.maxY;
}

// Plane equations of the attributes through the three snapped vertices.
void setupGradients(const ScreenVertex& v0, const ScreenVertex& v1, const ScreenVertex& v2,
                    std::int64_t area, int slots, TriangleSetup& s) {
    constexpr float kToPixels = 1.0f / kSubpixelScale;
    const float dx1 = static_cast<float>(v1.fx - v0.fx) * kToPixels;
    const float dy1 = static_cast<float>(v1.fy - v0.fy) * kToPixels;
    const float dx2 = static_cast<float>(v2.fx - v0.fx) * kToPixels;
    const float dy2 = static_cast<float>(v2.fy - v0.fy) * kToPixels;
    const float invArea = static_cast<float>(static_cast<double>(kSubpixelScale * kSubpixelScale) /
                                             static_cast<double>(area));
    s.refX = static_cast<float>(v0.fx) * kToPixels;
    s.refY = static_cast<float>(v0.fy) * kToPixels;

    using simd::F4;
    for (int i = 0; i < slots; i += 4) {
        const F4 a0 = F4::load(v0.attr + i);
        const F4 d1 = F4::load(v1.attr + i) - a0;
        const F4 d2 = F4::load(v2.attr + i) - a0;
        a0.store(s.base + i);
        ((d1 * F4(dy2) - d2 * F4(dy1)) * F4(invArea)).store(s.ddx + i);
        ((d2 * F4(dx1) - d1 * F4(dx2)) * F4(invArea)).store(s.ddy + i);
    }
}

}  // namespace

bool setupTriangle(const DrawContext& context, const ScreenVertex& v0, const ScreenVertex& v1,
                   const ScreenVertex& v2, TriangleSetup& setup) {
    std::int64_t area = screenArea(v0, v1, v2);
    if (area == 0) return false;
    if (!setupBounds(context.target, v0, v1, v2, setup)) return false;
    const ScreenVertex* second = &v1;
    const ScreenVertex* third = &v2;
    if (area < 0) {  // drawn both ways: turn it clockwise so that "inside" means E >= 0
        std::swap(second, third);
        area = -area;
    }
    setupEdge(v0, *second, 0, setup);
    setupEdge(*second, *third, 1, setup);
    setupEdge(*third, v0, 2, setup);
    // Without specular light the last group of slots (specular terms only) goes unread.
    const int slots = context.lighting.specularOn ? kAttrSlots : kAttrSlots - 4;
    setupGradients(v0, *second, *third, area, slots, setup);
    return true;
}

}  // namespace sw
