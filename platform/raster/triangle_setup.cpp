#include "platform/raster/triangle_setup.h"

#include <utility>

namespace sw {
inline namespace SW_SIMD_ISA {
namespace {

using simd::Double;
using simd::Float;
using simd::Int;

constexpr int kAllSetupLanes = (1 << kSetupLanes) - 1;

// The edge functions of one edge for every lane; c in the low and high half of the lanes.
struct EdgeLanes {
    Int a, b;
    Double cLow, cHigh;
};

// E = dx * (Py - from.y) - dy * (Px - from.x) with P = pixel * kSubpixelScale. Top edges
// (horizontal, interior below) and left edges (interior to the right) own the pixels that lie
// exactly on them, so that two triangles sharing an edge never both draw a pixel on it; the other
// edges lose them by the 1 taken off c. Holds for clockwise triangles in y-down screen space.
// Positions stay below 2^21 and differences below 2^22, so the products in c (below 2^44) are
// exact in doubles.
EdgeLanes setupEdge(Int fromX, Int fromY, Int toX, Int toY) {
    const Int dx = toX - fromX;
    const Int dy = toY - fromY;
    const Int topLeft = (dy < Int::zero()) | ((dy == Int::zero()) & (dx > Int::zero()));
    const Int loses = andNot(topLeft, Int(1));
    EdgeLanes e;
    e.a = (Int::zero() - dy) << kSubpixelBits;
    e.b = dx << kSubpixelBits;
    e.cLow = toDoubleLow(dy) * toDoubleLow(fromX) - toDoubleLow(dx) * toDoubleLow(fromY) -
             toDoubleLow(loses);
    e.cHigh = toDoubleHigh(dy) * toDoubleHigh(fromX) - toDoubleHigh(dx) * toDoubleHigh(fromY) -
              toDoubleHigh(loses);
    return e;
}

// Pixels whose centres lie inside the snapped bounding box, clipped to the scissor rectangle.
// A centre exactly on the right or bottom extreme is left out: it lies on a right or bottom
// edge, which the top-left rule never draws. Returns the lanes whose box is not empty.
int setupBounds(const PixelTarget& target, const ScreenLanes& s,
                TriangleSetup (&out)[kSetupLanes]) {
    constexpr int kRoundUp = kSubpixelScale - 1;
    const Int minFx = min(min(s.fx[0], s.fx[1]), s.fx[2]);
    const Int maxFx = max(max(s.fx[0], s.fx[1]), s.fx[2]);
    const Int minFy = min(min(s.fy[0], s.fy[1]), s.fy[2]);
    const Int maxFy = max(max(s.fy[0], s.fy[1]), s.fy[2]);
    Int bounds[4];
    bounds[0] = max((minFx + Int(kRoundUp)) >> kSubpixelBits, Int(target.minX));
    bounds[1] = max((minFy + Int(kRoundUp)) >> kSubpixelBits, Int(target.minY));
    bounds[2] = min((maxFx - Int(1)) >> kSubpixelBits, Int(target.maxX));
    bounds[3] = min((maxFy - Int(1)) >> kSubpixelBits, Int(target.maxY));
    Float fields[4];
    for (int i = 0; i < 4; ++i) fields[i] = asFloat(bounds[i]);
    float* records[kSetupLanes];
    for (int i = 0; i < kSetupLanes; ++i) records[i] = reinterpret_cast<float*>(&out[i].minX);
    simd::storeFields(fields, 4, records);
    return kAllSetupLanes & ~bits((bounds[0] > bounds[2]) | (bounds[1] > bounds[3]));
}

using Plane = float (TriangleSetup::*)[kAttrSlots];

// Writes slots [first, first + count) of one plane of every lane, count 4 or 8.
void storePlane(const Float* slots, int first, int count, Plane plane,
                TriangleSetup (&out)[kSetupLanes]) {
    float* records[kSetupLanes];
    for (int i = 0; i < kSetupLanes; ++i) records[i] = (out[i].*plane) + first;
    simd::storeFields(slots + first, count, records);
}

}  // namespace

AreaLanes screenAreas(const ScreenLanes& s) {
    const Int dx1 = s.fx[1] - s.fx[0], dy1 = s.fy[1] - s.fy[0];
    const Int dx2 = s.fx[2] - s.fx[0], dy2 = s.fy[2] - s.fy[0];
    // Differences below 2^22, products below 2^44: exact in doubles.
    return {toDoubleLow(dx1) * toDoubleLow(dy2) - toDoubleLow(dy1) * toDoubleLow(dx2),
            toDoubleHigh(dx1) * toDoubleHigh(dy2) - toDoubleHigh(dy1) * toDoubleHigh(dx2)};
}

int keptByCulling(const AreaLanes& area, CullMode mode) {
    // Rounding to float keeps the sign, and gives 0 only for 0 (areas are whole numbers).
    const Float a = toFloat(area.low, area.high);
    if (mode == CullMode::kCounterClockwise) return bits(a > Float::zero());
    if (mode == CullMode::kClockwise) return bits(a < Float::zero());
    return bits(a != Float::zero());
}

int setupTriangles(const DrawContext& context, const ScreenLanes& s, const AreaLanes& area,
                   int kept, TriangleSetup (&out)[kSetupLanes]) {
    const int covering = kept & setupBounds(context.target, s, out);
    if (covering == 0) return 0;

    // Triangles are drawn both ways: the anticlockwise ones are turned clockwise, so that
    // "inside" means E >= 0, by exchanging their second and third corners.
    const Float turn = toFloat(area.low, area.high) < Float::zero();
    const Int turnInt = asInt(turn);
    const Int x0 = s.fx[0], y0 = s.fy[0];
    const Int x1 = select(turnInt, s.fx[2], s.fx[1]), y1 = select(turnInt, s.fy[2], s.fy[1]);
    const Int x2 = select(turnInt, s.fx[1], s.fx[2]), y2 = select(turnInt, s.fy[1], s.fy[2]);

    const EdgeLanes edges[3] = {setupEdge(x0, y0, x1, y1), setupEdge(x1, y1, x2, y2),
                                setupEdge(x2, y2, x0, y0)};
    const Float toPixels(1.0f / kSubpixelScale);
    Float header[8];
    for (int e = 0; e < 3; ++e) {
        header[e] = asFloat(edges[e].a);
        header[3 + e] = asFloat(edges[e].b);
    }
    header[6] = toFloat(x0) * toPixels;  // refX, refY
    header[7] = toFloat(y0) * toPixels;
    float* records[kSetupLanes];
    for (int i = 0; i < kSetupLanes; ++i) records[i] = reinterpret_cast<float*>(out[i].a);
    simd::storeFields(header, 8, records);
    // Across a block the edge function changes by a * (0..3) + b * (0..3).
    Float blockRange[8];
    for (int e = 0; e < 3; ++e) {
        const Int a = edges[e].a, b = edges[e].b;
        const Int most = max(a, Int::zero()) + max(b, Int::zero());
        const Int least = min(a, Int::zero()) + min(b, Int::zero());
        blockRange[e] = asFloat(most + most + most);
        blockRange[3 + e] = asFloat(least + least + least);
    }
    blockRange[6] = blockRange[7] = Float::zero();
    for (int i = 0; i < kSetupLanes; ++i) records[i] = reinterpret_cast<float*>(out[i].blockMax);
    simd::storeFields(blockRange, 8, records);
    alignas(32) std::int64_t c[3][kSetupLanes];
    for (int e = 0; e < 3; ++e) {
        storeWhole(edges[e].cLow, c[e]);
        storeWhole(edges[e].cHigh, c[e] + kSetupLanes / 2);
    }
    for (int i = 0; i < kSetupLanes; ++i)
        for (int e = 0; e < 3; ++e) out[i].c[e] = c[e][i];

    // Plane equations of the attributes through the three snapped corners.
    const Float dx1 = toFloat(x1 - x0) * toPixels, dy1 = toFloat(y1 - y0) * toPixels;
    const Float dx2 = toFloat(x2 - x0) * toPixels, dy2 = toFloat(y2 - y0) * toPixels;
    const Double scale(kSubpixelScale * kSubpixelScale);
    const Float invArea = toFloat(scale / abs(area.low), scale / abs(area.high));
    // Without specular light the last group of slots (specular terms only) goes unread.
    const int slots = context.lighting.specularOn ? kAttrSlots : kAttrSlots - 4;
    Float base[kAttrSlots], ddx[kAttrSlots], ddy[kAttrSlots];
    for (int k = 0; k < slots; ++k) {
        if (k >= kAttrCount) {
            base[k] = ddx[k] = ddy[k] = Float::zero();
            continue;
        }
        const Float a0 = s.attr[0][k];
        const Float d1 = select(turn, s.attr[2][k], s.attr[1][k]) - a0;
        const Float d2 = select(turn, s.attr[1][k], s.attr[2][k]) - a0;
        base[k] = a0;
        ddx[k] = (d1 * dy2 - d2 * dy1) * invArea;
        ddy[k] = (d2 * dx1 - d1 * dx2) * invArea;
    }
    for (const auto& [first, count] : {std::pair{0, 8}, std::pair{8, 4}}) {
        if (first >= slots) break;
        storePlane(base, first, count, &TriangleSetup::base, out);
        storePlane(ddx, first, count, &TriangleSetup::ddx, out);
        storePlane(ddy, first, count, &TriangleSetup::ddy, out);
    }
    return covering;
}

std::uint32_t setupCorners(const DrawContext& context, const ScreenVertex* const (*corners)[3],
                           int count, TriangleSetup* out) {
    std::uint32_t covering = 0;
    for (int first = 0; first < count; first += kSetupLanes) {
        const int lanes = count - first < kSetupLanes ? count - first : kSetupLanes;
        ScreenLanes s;
        for (int k = 0; k < 3; ++k) {
            alignas(32) std::int32_t fx[kSetupLanes], fy[kSetupLanes];
            alignas(32) float extra[kAttrCount - 8][kSetupLanes];
            const float* records[kSetupLanes];
            for (int i = 0; i < kSetupLanes; ++i) {
                // Lanes past the last triangle repeat it.
                const ScreenVertex& v = *corners[first + (i < lanes ? i : lanes - 1)][k];
                fx[i] = v.fx;
                fy[i] = v.fy;
                records[i] = v.attr;
                for (int a = 8; a < kAttrCount; ++a) extra[a - 8][i] = v.attr[a];
            }
            s.fx[k] = Int::load(fx);
            s.fy[k] = Int::load(fy);
            Float fields[8];
            simd::loadFields8(records, fields);
            for (int a = 0; a < 8; ++a) s.attr[k][a] = fields[a];
            for (int a = 8; a < kAttrCount; ++a) s.attr[k][a] = Float::load(extra[a - 8]);
        }
        const AreaLanes area = screenAreas(s);
        const int live = (1 << lanes) - 1;
        TriangleSetup lanesOut[kSetupLanes];
        const int done =
            setupTriangles(context, s, area, live & keptByCulling(area, context.cull), lanesOut);
        for (int i = 0; i < lanes; ++i)
            if (done & (1 << i)) out[first + i] = lanesOut[i];
        covering |= static_cast<std::uint32_t>(done) << first;
    }
    return covering;
}

}  // namespace SW_SIMD_ISA
}  // namespace sw
