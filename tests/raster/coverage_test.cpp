// Which pixels a triangle covers: the top-left fill rule on shared edges, culling, the
// near-plane clip and the guard band; and which triangle a pixel shows when several cover it.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "tests/raster/raster_scenes.h"

namespace {

using rastertest::Frame;
using rastertest::Mesh;

constexpr std::uint16_t kBackground = 0x0000;

// A vertex of the orthographic flat state placed at screen position (sx, sy) in pixels.
D3DVERTEX at(const Frame& frame, float sx, float sy, float z = 0.5f) {
    const float halfW = frame.width / 2.0f, halfH = frame.height / 2.0f;
    return rastertest::vertex((sx - halfW) / halfW, (halfH - sy) / halfH, z);
}

// Number of times each pixel is written when every triangle is drawn on its own.
std::vector<int> writeCounts(const Mesh& mesh, int width, int height, bool reverseWinding) {
    Frame frame(width, height);
    const sw::RasterState state = rastertest::flatState(width, height);
    rastertest::Rasterizer rasterizer;
    std::vector<int> counts(static_cast<std::size_t>(width) * height, 0);
    for (std::size_t t = 0; t + 2 < mesh.size(); t += 3) {
        D3DVERTEX tri[3] = {mesh[t], mesh[t + 1], mesh[t + 2]};
        if (reverseWinding) std::swap(tri[1], tri[2]);
        frame.clear(kBackground);
        rasterizer.drawTriangleList(state, frame.color(), frame.depth(), tri, 3);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                counts[y * width + x] += frame.pixel(x, y) != kBackground;
    }
    return counts;
}

// A grid of quads over [x0, x1] x [y0, y1] split into triangles along alternating diagonals.
// Interior vertices are moved at random (by whole sixteenths or freely); border vertices only
// slide along the border, so the union stays the rectangle. Moves up to 0.2 of a cell keep
// every quad convex, so its two triangles never fold over each other.
Mesh jitteredGrid(const Frame& frame, float x0, float y0, float x1, float y1, int cells,
                  float jitter, bool snapToSixteenths, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> offset(-jitter, jitter);
    const float cw = (x1 - x0) / cells, ch = (y1 - y0) / cells;
    std::vector<std::vector<std::pair<float, float>>> p(
        cells + 1, std::vector<std::pair<float, float>>(cells + 1));
    for (int j = 0; j <= cells; ++j)
        for (int i = 0; i <= cells; ++i) {
            float x = x0 + i * cw, y = y0 + j * ch;
            if (i > 0 && i < cells) x += offset(random) * cw;
            if (j > 0 && j < cells) y += offset(random) * ch;
            if (snapToSixteenths) {
                x = std::round(x * 16) / 16;
                y = std::round(y * 16) / 16;
            }
            p[j][i] = {x, y};
        }
    Mesh mesh;
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i) {
            const auto v = [&](int dj, int di) {
                return at(frame, p[j + dj][i + di].first, p[j + dj][i + di].second);
            };
            if ((i + j) % 2 == 0)
                mesh.insert(mesh.end(), {v(0, 0), v(0, 1), v(1, 1), v(0, 0), v(1, 1), v(1, 0)});
            else
                mesh.insert(mesh.end(), {v(0, 0), v(0, 1), v(1, 0), v(0, 1), v(1, 1), v(1, 0)});
        }
    return mesh;
}

void expectRectangleCoveredOnce(const std::vector<int>& counts, int width, float x0, float y0,
                                float x1, float y1) {
    const int height = static_cast<int>(counts.size()) / width;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int n = counts[y * width + x];
            const bool inside = x > x0 && x < x1 && y > y0 && y < y1;
            const bool outside = x < x0 || x > x1 || y < y0 || y > y1;
            if (inside) {
                ASSERT_EQ(n, 1) << "pixel " << x << "," << y;
            }
            if (outside) {
                ASSERT_EQ(n, 0) << "pixel " << x << "," << y;
            }
            ASSERT_LE(n, 1) << "pixel " << x << "," << y;
        }
}

TEST(FillRule, SharedEdgesThroughPixelCentresAreDrawnOnce) {
    // Cells of 4 pixels: every edge, horizontal, vertical and diagonal, runs through pixel
    // centres, so only the tie-breaking rule decides who owns them.
    const Frame frame(64, 64);
    const Mesh mesh = jitteredGrid(frame, 8, 8, 56, 56, 12, 0, false, 1);
    for (bool reverse : {false, true}) {
        const auto counts = writeCounts(mesh, 64, 64, reverse);
        expectRectangleCoveredOnce(counts, 64, 8, 8, 56, 56);
        // Top-left rule: the rectangle's top and left borders are in, bottom and right out.
        EXPECT_EQ(counts[8 * 64 + 20], 1);
        EXPECT_EQ(counts[20 * 64 + 8], 1);
        EXPECT_EQ(counts[56 * 64 + 20], 0);
        EXPECT_EQ(counts[20 * 64 + 56], 0);
    }
}

TEST(FillRule, JitteredMeshesCoverEachPixelExactlyOnce) {
    const Frame frame(64, 64);
    for (unsigned seed = 1; seed <= 4; ++seed) {
        for (bool snap : {true, false}) {
            const Mesh mesh = jitteredGrid(frame, 3.3f, 5.7f, 60.2f, 58.9f, 9, 0.2f, snap, seed);
            expectRectangleCoveredOnce(writeCounts(mesh, 64, 64, seed % 2 == 0), 64, 3.3f, 5.7f,
                                       60.2f, 58.9f);
        }
    }
}

TEST(FillRule, FanAroundOneVertexHasNoCracksOrOverlaps) {
    const Frame frame(48, 48);
    const float cx = 23.5f, cy = 24.0f;  // the centre vertex sits on a pixel-centre column
    Mesh mesh;
    const int spokes = 23;
    for (int i = 0; i < spokes; ++i) {
        const float a0 = 2 * 3.14159265f * i / spokes, a1 = 2 * 3.14159265f * (i + 1) / spokes;
        mesh.insert(mesh.end(),
                    {at(frame, cx, cy), at(frame, cx + 20 * std::cos(a0), cy + 20 * std::sin(a0)),
                     at(frame, cx + 20 * std::cos(a1), cy + 20 * std::sin(a1))});
    }
    const auto counts = writeCounts(mesh, 48, 48, false);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) {
            ASSERT_LE(counts[y * 48 + x], 1);
            if (std::hypot(x - cx, y - cy) < 18) {
                ASSERT_EQ(counts[y * 48 + x], 1) << x << "," << y;
            }
        }
}

TEST(FillRule, DrawingTheMeshInOneCallCoversTheSamePixels) {
    Frame frame(64, 64);
    const Mesh mesh = jitteredGrid(frame, 3.3f, 5.7f, 60.2f, 58.9f, 7, 0.2f, false, 9);
    const auto counts = writeCounts(mesh, 64, 64, false);
    frame.clear(kBackground);
    rastertest::Rasterizer rasterizer;
    rasterizer.drawTriangleList(rastertest::flatState(64, 64), frame.color(), frame.depth(),
                                mesh.data(), static_cast<std::uint32_t>(mesh.size()));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(frame.pixel(x, y) != kBackground, counts[y * 64 + x] == 1) << x << "," << y;
}

// Pixels written by one triangle given in screen coordinates.
int drawnPixels(sw::CullMode cull, float x0, float y0, float x1, float y1, float x2, float y2) {
    Frame frame(32, 32);
    frame.clear(kBackground);
    sw::RasterState state = rastertest::flatState(32, 32);
    state.cull = cull;
    const D3DVERTEX tri[3] = {at(frame, x0, y0), at(frame, x1, y1), at(frame, x2, y2)};
    rastertest::Rasterizer rasterizer;
    rasterizer.drawTriangleList(state, frame.color(), frame.depth(), tri, 3);
    int n = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) n += frame.pixel(x, y) != kBackground;
    return n;
}

TEST(Culling, CounterClockwiseOnScreenIsCulledByDefault) {
    // (4, 4) -> (28, 4) -> (4, 28) turns clockwise on a screen whose y grows downwards.
    const int clockwise = drawnPixels(sw::CullMode::kCounterClockwise, 4, 4, 28, 4, 4, 28);
    EXPECT_GT(clockwise, 250);
    EXPECT_EQ(drawnPixels(sw::CullMode::kCounterClockwise, 4, 4, 4, 28, 28, 4), 0);
    EXPECT_EQ(drawnPixels(sw::CullMode::kClockwise, 4, 4, 28, 4, 4, 28), 0);
    EXPECT_EQ(drawnPixels(sw::CullMode::kClockwise, 4, 4, 4, 28, 28, 4), clockwise);
    EXPECT_EQ(drawnPixels(sw::CullMode::kNone, 4, 4, 4, 28, 28, 4), clockwise);
}

TEST(Culling, DefaultStateKeepsTheFacesTurnedTowardsTheCamera) {
    // Split the mesh by geometry: faces whose outward side looks at the eye (300, 300, 300).
    const Mesh ball = rastertest::sphere({0, 0, 0}, 80, 16, 8);
    Mesh front, back;
    for (std::size_t t = 0; t < ball.size(); t += 3) {
        const D3DVERTEX &a = ball[t], &b = ball[t + 1], &c = ball[t + 2];
        const float e1[3] = {b.x - a.x, b.y - a.y, b.z - a.z},
                    e2[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
        const float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                            e1[0] * e2[1] - e1[1] * e2[0]};
        const float toEye = n[0] * (300 - a.x) + n[1] * (300 - a.y) + n[2] * (300 - a.z);
        Mesh& side = toEye > 0 ? front : back;
        side.insert(side.end(), {a, b, c});
    }
    ASSERT_FALSE(front.empty());
    ASSERT_FALSE(back.empty());
    const auto render = [](const Mesh& mesh, sw::CullMode cull) {
        Frame frame(64, 48);
        frame.clear(kBackground);
        sw::RasterState state = rastertest::programState(64, 48);
        state.cull = cull;
        rastertest::Rasterizer rasterizer;
        rasterizer.drawTriangleList(state, frame.color(), nullptr, mesh.data(),
                                    static_cast<std::uint32_t>(mesh.size()));
        return frame.colorStore;
    };
    EXPECT_EQ(render(ball, sw::CullMode::kCounterClockwise), render(front, sw::CullMode::kNone));
    EXPECT_EQ(render(ball, sw::CullMode::kClockwise), render(back, sw::CullMode::kNone));
    EXPECT_NE(render(front, sw::CullMode::kNone), render(back, sw::CullMode::kNone));
}

// Perspective state looking down +z from the origin: w is the view depth, depth is 1 - 1/z.
sw::RasterState perspectiveState(int width, int height) {
    sw::RasterState state = rastertest::flatState(width, height);
    state.projection = rastertest::programProjection();
    return state;
}

TEST(NearPlane, FloorRunningBehindTheCameraIsClippedAtDepthZero) {
    const int w = 64, h = 48;
    Frame frame(w, h);
    frame.clear(kBackground);
    // A floor one unit below the eye from behind the camera (z = -10) to far ahead (z = 60).
    const D3DVERTEX floor[3] = {rastertest::vertex(-50, -1, -10), rastertest::vertex(50, -1, -10),
                                rastertest::vertex(0, -1, 60)};
    rastertest::Rasterizer rasterizer;
    rasterizer.drawTriangleList(perspectiveState(w, h), frame.color(), frame.depth(), floor, 3);

    for (int y = 0; y < h; ++y) {
        // The floor at depth z appears at y_ndc = -2.5 / z: only below the horizon.
        const float yNdc = (h / 2.0f - static_cast<float>(y)) / (h / 2.0f);
        const bool below = yNdc < -2.5f / 60.0f - 0.05f;
        const bool above = yNdc > 0;
        if (above) {
            EXPECT_EQ(frame.pixel(w / 2, y), kBackground) << y;
        }
        if (!below) continue;
        EXPECT_NE(frame.pixel(w / 2, y), kBackground) << y;
        const double z = -2.5 / yNdc;
        EXPECT_NEAR(frame.depthAt(w / 2, y), 65535.0 * (1.0 - 1.0 / z), 3.0) << y;
    }
}

TEST(NearPlane, TrianglesBehindOrAtTheEyeDrawNothing) {
    Frame frame(32, 32);
    frame.clear(kBackground);
    const Mesh behind = {rastertest::vertex(-5, -5, -1), rastertest::vertex(5, -5, -1),
                         rastertest::vertex(0, 5, -1),
                         // between the eye and the near plane
                         rastertest::vertex(-5, -5, 0.5f), rastertest::vertex(5, -5, 0.5f),
                         rastertest::vertex(0, 5, 0.5f),
                         // one vertex exactly at the eye
                         rastertest::vertex(0, 0, 0), rastertest::vertex(5, -5, 0.2f),
                         rastertest::vertex(-5, -5, 0.2f)};
    rastertest::Rasterizer rasterizer;
    rasterizer.drawTriangleList(perspectiveState(32, 32), frame.color(), frame.depth(),
                                behind.data(), static_cast<std::uint32_t>(behind.size()));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) ASSERT_EQ(frame.pixel(x, y), kBackground);
    EXPECT_TRUE(frame.guardsIntact(kBackground, 0xFFFF));
}

TEST(GuardBand, TriangleFarBeyondTheScreenFillsItExactly) {
    Frame frame(37, 29);  // odd sizes: the last block of each row is partly off the target
    frame.clear(kBackground);
    const Mesh huge = {rastertest::vertex(-1e7f, -1e7f, 0.5f), rastertest::vertex(0, 1e7f, 0.5f),
                       rastertest::vertex(1e7f, -1e7f, 0.5f)};
    rastertest::Rasterizer rasterizer;
    rasterizer.drawTriangleList(rastertest::flatState(37, 29), frame.color(), frame.depth(),
                                huge.data(), 3);
    for (int y = 0; y < 29; ++y)
        for (int x = 0; x < 37; ++x) ASSERT_NE(frame.pixel(x, y), kBackground) << x << "," << y;
    EXPECT_TRUE(frame.guardsIntact(kBackground, 0xFFFF));
}

// A viewport a few pixels wide leaves one column of blocks of a triangle reaching far beyond it:
// edge values there are far too large for 32 bits, yet every pixel of the viewport is drawn.
TEST(GuardBand, NarrowViewportUnderHugeTrianglesIsFilledExactly) {
    // Corners far out at angles 110, 110 and 140 degrees apart: the triangle holds the origin.
    const auto corner = [](float angle) {
        return rastertest::vertex(1e7f * std::cos(angle), 1e7f * std::sin(angle), 0.5f);
    };
    for (const float turn : {0.0f, 0.4f, 0.9f, 1.7f, 2.5f, 3.1f})
        for (const int left : {4, 13, 22}) {
            Frame frame(37, 29);
            frame.clear(kBackground);
            sw::RasterState state = rastertest::flatState(37, 29);
            state.viewport = {left, 2, 3, 25};
            const Mesh huge = {corner(turn + 3.49f), corner(turn + 1.57f), corner(turn - 0.35f)};
            rastertest::Rasterizer rasterizer;
            rasterizer.drawTriangleList(state, frame.color(), frame.depth(), huge.data(), 3);
            for (int y = 0; y < 29; ++y)
                for (int x = 0; x < 37; ++x) {
                    const bool inViewport = x >= left && x < left + 3 && y >= 2 && y < 27;
                    ASSERT_EQ(frame.pixel(x, y) != kBackground, inViewport)
                        << x << "," << y << " turned by " << turn;
                }
        }
}

TEST(GuardBand, ViewportSmallerThanTheTargetIsAScissor) {
    Frame frame(32, 32);
    frame.clear(kBackground);
    sw::RasterState state = rastertest::flatState(32, 32);
    state.viewport = {5, 7, 13, 11};  // the clip rectangle -1, 1, 2, 2 maps onto it
    const Mesh cover = {rastertest::vertex(-3, -3, 0.5f), rastertest::vertex(0, 3, 0.5f),
                        rastertest::vertex(3, -3, 0.5f)};
    rastertest::Rasterizer rasterizer;
    rasterizer.drawTriangleList(state, frame.color(), frame.depth(), cover.data(), 3);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool inViewport = x >= 5 && x < 18 && y >= 7 && y < 18;
            ASSERT_EQ(frame.pixel(x, y) != kBackground, inViewport) << x << "," << y;
        }
}

}  // namespace

namespace {

// Triangles go through the front end several at a time, the ones that need clipping one by one:
// drawn in one call, overlapping triangles at one depth (the later wins) must come out as when
// drawn one call each. Each triangle shows its own part of a texture; some cross the near plane
// or reach far beyond the guard band, some face away, and the count is no multiple of 8.
TEST(Order, OneCallDrawsTrianglesInTheirOrderWhateverTheirPath) {
    std::mt19937 random(5);
    std::uniform_real_distribution<float> near(-1.5f, 1.5f), far(-400.0f, 400.0f), uv(0, 1);
    Mesh mesh;
    for (int t = 0; t < 61; ++t)
        for (int k = 0; k < 3; ++k) {
            const bool huge = t % 7 == 3 && k == 1;
            D3DVERTEX v = rastertest::vertex(huge ? far(random) : near(random),
                                             huge ? far(random) : near(random),
                                             t % 5 == 2 && k == 2 ? -0.5f : 0.5f);
            v.tu = uv(random);
            v.tv = uv(random);
            mesh.push_back(v);
        }
    const rastertest::Texture texture = rastertest::checkerTexture(16, 16);
    const sw::TextureView view = texture.view();
    sw::RasterState state = rastertest::flatState(48, 40);
    state.texture = &view;
    state.cull = sw::CullMode::kCounterClockwise;
    const auto draw = [&](bool oneCall) {
        Frame frame(48, 40);
        frame.clear(kBackground);
        rastertest::Rasterizer rasterizer;
        for (std::size_t first = 0; first < mesh.size(); first += oneCall ? mesh.size() : 3)
            rasterizer.drawTriangleList(state, frame.color(), frame.depth(), mesh.data() + first,
                                        static_cast<std::uint32_t>(oneCall ? mesh.size() : 3));
        return frame.colorStore;
    };
    const std::vector<std::uint16_t> together = draw(true);
    int drawn = 0;
    for (std::uint16_t p : together) drawn += p != kBackground;
    ASSERT_GT(drawn, 48 * 40 / 2);
    EXPECT_TRUE(together == draw(false));
}

}  // namespace
