// Input that must neither crash nor write outside the target: non-finite and huge
// coordinates, degenerate and sliver triangles, short vertex lists, bad textures.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "tests/raster/raster_scenes.h"

namespace {

using rastertest::Frame;
using rastertest::Mesh;
using rastertest::vertex;

constexpr std::uint16_t kSentinel = 0x1234;
constexpr std::uint16_t kDepthSentinel = 0x4321;

// Renders `mesh` with the program's perspective state, textured, into a target with guard
// pixels; returns the number of pixels changed inside it.
int drawAndCheckGuards(const Mesh& mesh, int width = 40, int height = 30, bool perspective = true) {
    Frame frame(width, height);
    frame.clear(kSentinel, kDepthSentinel);
    // The target's own depth starts far away so that everything passes.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) frame.depthAt(x, y) = 0xFFFF;
    const rastertest::Texture texture = rastertest::checkerTexture(8, 8);
    const sw::TextureView view = texture.view();
    sw::RasterState state = perspective ? rastertest::programState(width, height)
                                        : rastertest::flatState(width, height);
    state.texture = &view;
    state.cull = sw::CullMode::kNone;
    // An exact-size copy, so that reading past the end is caught by the address sanitizer.
    const std::vector<D3DVERTEX> exact(mesh.begin(), mesh.end());
    rastertest::Rasterizer rasterizer;
    rasterizer.drawTriangleList(state, frame.color(), frame.depth(), exact.data(),
                                static_cast<std::uint32_t>(exact.size()));
    EXPECT_TRUE(frame.guardsIntact(kSentinel, kDepthSentinel));
    int changed = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) changed += frame.pixel(x, y) != kSentinel;
    return changed;
}

TEST(Robustness, NonFinitePositionsDropTheTriangle) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float bad : {nan, inf, -inf}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(drawAndCheckGuards({vertex(bad, 0, 0), vertex(50, 0, 0), vertex(0, 50, 0)}), 0);
        EXPECT_EQ(drawAndCheckGuards({vertex(0, 0, 0), vertex(50, bad, 0), vertex(0, 50, 0)}), 0);
        EXPECT_EQ(drawAndCheckGuards({vertex(0, 0, 0), vertex(50, 0, 0), vertex(0, 50, bad)}), 0);
        EXPECT_EQ(drawAndCheckGuards(
                      {vertex(bad, bad, bad), vertex(bad, bad, bad), vertex(bad, bad, bad)}),
                  0);
    }
}

TEST(Robustness, NonFiniteNormalsAndTextureCoordinatesStillDraw) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Mesh mesh = {vertex(-60, 0, -60, {nan, 1, 0}, nan, inf),
                       vertex(60, 0, -60, {0, inf, 0}, -inf, 0),
                       vertex(0, 0, 80, {0, 1, nan}, 1e30f, -1e30f)};
    EXPECT_GT(drawAndCheckGuards(mesh), 0);
}

TEST(Robustness, HugeCoordinatesAreClippedNotWrapped) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> exponent(0, 38);
    std::uniform_int_distribution<int> sign(0, 1);
    const auto huge = [&] { return (sign(random) ? 1 : -1) * std::pow(10.0f, exponent(random)); };
    Mesh mesh;
    for (int i = 0; i < 300; ++i) mesh.push_back(vertex(huge(), huge(), huge()));
    drawAndCheckGuards(mesh);
    drawAndCheckGuards(mesh, 37, 23, false);
    // Crossing the near plane at a grazing angle from very far away.
    drawAndCheckGuards(
        {vertex(-1e20f, -1, -1e20f), vertex(1e20f, -1, -1e20f), vertex(0, -1, 1e20f)});
}

TEST(Robustness, DegenerateTrianglesDrawNothing) {
    EXPECT_EQ(drawAndCheckGuards({vertex(10, 10, 10), vertex(10, 10, 10), vertex(10, 10, 10)}), 0);
    // On one line with the eye at (300, 300, 300): all project onto the same point.
    EXPECT_EQ(drawAndCheckGuards({vertex(0, 0, 0), vertex(10, 10, 10), vertex(30, 30, 30)}), 0);
    // Smaller than the sub-pixel grid.
    EXPECT_EQ(drawAndCheckGuards({vertex(0, 0, 0), vertex(1e-4f, 0, 0), vertex(0, 1e-4f, 0)}), 0);
}

TEST(Robustness, SliversTouchFewPixels) {
    Mesh mesh;
    for (int i = 0; i < 50; ++i) {
        const float x = -0.9f + 0.036f * i;
        // Long, a thousandth of a pixel wide, at all sorts of angles.
        mesh.insert(mesh.end(), {vertex(x, -0.9f, 0.5f), vertex(-x, 0.9f, 0.5f),
                                 vertex(-x + 1e-5f, 0.9f, 0.5f)});
    }
    EXPECT_LT(drawAndCheckGuards(mesh, 40, 30, false), 200);
    // Thin slivers far outside the viewport but inside the guard band.
    drawAndCheckGuards(
        {vertex(-400, -0.5f, 0.5f), vertex(400, -0.5f, 0.5f), vertex(400, -0.49999f, 0.5f)}, 40, 30,
        false);
}

TEST(Robustness, VertexCountsNotAMultipleOfThreeIgnoreTheRest) {
    const Mesh one = {vertex(-1, -1, 0.5f), vertex(-1, 1, 0.5f), vertex(1, 1, 0.5f)};
    const int full = drawAndCheckGuards(one, 40, 30, false);
    EXPECT_GT(full, 0);
    Mesh withTail = one;
    withTail.push_back(vertex(1, -1, 0.5f));
    EXPECT_EQ(drawAndCheckGuards(withTail, 40, 30, false), full);
    withTail.push_back(vertex(-1, -1, 0.5f));
    EXPECT_EQ(drawAndCheckGuards(withTail, 40, 30, false), full);
    EXPECT_EQ(drawAndCheckGuards({one[0], one[1]}, 40, 30, false), 0);
    EXPECT_EQ(drawAndCheckGuards({one[0]}, 40, 30, false), 0);
    EXPECT_EQ(drawAndCheckGuards({}, 40, 30, false), 0);
}

TEST(Robustness, NullOrEmptyTextureDrawsUntextured) {
    const Mesh square = {vertex(-1, -1, 0.5f, {0, 1, 0}, 0, 0),
                         vertex(-1, 1, 0.5f, {0, 1, 0}, 0, 1), vertex(1, 1, 0.5f, {0, 1, 0}, 1, 1)};
    const auto draw = [&](const sw::TextureView* texture) {
        Frame frame(16, 16);
        frame.clear(kSentinel, kDepthSentinel);
        sw::RasterState state = rastertest::flatState(16, 16);
        state.texture = texture;
        rastertest::Rasterizer rasterizer;
        rasterizer.drawTriangleList(state, frame.color(), frame.depth(), square.data(), 3);
        EXPECT_TRUE(frame.guardsIntact(kSentinel, kDepthSentinel));
        return frame.colorStore;
    };
    const auto untextured = draw(nullptr);
    sw::TextureView noTexels;
    noTexels.width = noTexels.height = noTexels.pitch = 8;
    EXPECT_EQ(draw(&noTexels), untextured);
    const std::uint16_t texel = 0;
    sw::TextureView empty;
    empty.texels = &texel;
    EXPECT_EQ(draw(&empty), untextured);
}

TEST(Robustness, UnusableTargetsAndViewportsDrawNothing) {
    const Mesh square = {vertex(-1, -1, 0.5f), vertex(-1, 1, 0.5f), vertex(1, 1, 0.5f)};
    rastertest::Rasterizer rasterizer;
    Frame frame(16, 16);
    frame.clear(kSentinel, kDepthSentinel);
    sw::ColorTarget noPixels = frame.color();
    noPixels.pixels = nullptr;
    rasterizer.drawTriangleList(rastertest::flatState(16, 16), noPixels, frame.depth(),
                                square.data(), 3);
    sw::RasterState state = rastertest::flatState(16, 16);
    state.viewport.width = 0;
    rasterizer.drawTriangleList(state, frame.color(), frame.depth(), square.data(), 3);
    state = rastertest::flatState(16, 16);
    state.viewport.x = 100;  // entirely beside the target
    rasterizer.drawTriangleList(state, frame.color(), frame.depth(), square.data(), 3);
    state = rastertest::flatState(16, 16);
    state.viewport.clipWidth = std::numeric_limits<float>::quiet_NaN();
    rasterizer.drawTriangleList(state, frame.color(), frame.depth(), square.data(), 3);
    rasterizer.drawTriangleList(rastertest::flatState(16, 16), frame.color(), frame.depth(),
                                nullptr, 3);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(frame.pixel(x, y), kSentinel);
    EXPECT_TRUE(frame.guardsIntact(kSentinel, kDepthSentinel));
}

TEST(Robustness, SmallerDepthTargetLimitsDrawing) {
    Frame frame(16, 16);
    frame.clear(kSentinel, kDepthSentinel);
    std::vector<std::uint16_t> depth(10 * 6, 0xFFFF);  // exact size: overruns are caught
    sw::DepthTarget small{depth.data(), 10, 10, 6};
    const Mesh square = {vertex(-1, 1, 0.5f), vertex(1, 1, 0.5f),  vertex(1, -1, 0.5f),
                         vertex(-1, 1, 0.5f), vertex(1, -1, 0.5f), vertex(-1, -1, 0.5f)};
    rastertest::Rasterizer rasterizer;
    rasterizer.drawTriangleList(rastertest::flatState(16, 16), frame.color(), &small, square.data(),
                                6);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(frame.pixel(x, y) != kSentinel, x < 10 && y < 6) << x << "," << y;
    EXPECT_EQ(depth[5 * 10 + 9], 32768);
}

TEST(Robustness, NoDepthTargetDrawsWithoutDepthTest) {
    Frame frame(16, 16);
    frame.clear(0, kDepthSentinel);
    const Mesh square = {vertex(-1, -1, 0.5f), vertex(-1, 1, 0.5f), vertex(1, 1, 0.5f)};
    rastertest::Rasterizer rasterizer;
    rasterizer.drawTriangleList(rastertest::flatState(16, 16), frame.color(), nullptr,
                                square.data(), 3);
    EXPECT_EQ(frame.pixel(2, 2), 0xFFFF);
    EXPECT_EQ(frame.depthAt(2, 2), kDepthSentinel);
}

}  // namespace
