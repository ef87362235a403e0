// Drawing on several threads: the same bits as on one, for whole scenes of several draws with
// their own states, and for many tiny frames while threads start, stop and hand work over.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "tests/raster/raster_scenes.h"

namespace {

using rastertest::Frame;
using rastertest::Mesh;
using rastertest::vertex;

struct Draw {
    sw::RasterState state;
    Mesh mesh;
};

// A large floor reaching behind a low camera (near-plane clipping), mirrored texture.
Draw clippedFloor(int width, int height, const sw::TextureView* texture) {
    Draw d{rastertest::programState(width, height), {}};
    for (int i = -4; i < 4; ++i)
        for (int j = -4; j < 4; ++j) {
            const float x0 = i * 60.0f, z0 = j * 60.0f, x1 = x0 + 60, z1 = z0 + 60;
            const auto v = [](float x, float z) {
                return vertex(x, -20, z, {0, 1, 0}, x / 60.0f, z / 60.0f);
            };
            d.mesh.insert(d.mesh.end(),
                          {v(x0, z0), v(x0, z1), v(x1, z1), v(x0, z0), v(x1, z1), v(x1, z0)});
        }
    rastertest::append(d.mesh, rastertest::torus({0, 10, 60}, 40, 12, 24, 12));
    d.state.view = rastertest::lookAtMatrix({-30, 0, -40}, {0, -10, 60});
    d.state.texture = texture;
    d.state.cull = sw::CullMode::kNone;
    return d;
}

// Thousands of triangles crossing tile edges everywhere, textured with a highlight.
Draw specularObjects(int width, int height, const sw::TextureView* texture) {
    Draw d{rastertest::programState(width, height), rastertest::torus({0, 0, 0}, 110, 30, 64, 32)};
    rastertest::append(d.mesh, rastertest::sphere({40, 90, -40}, 35, 20, 10));
    d.state.texture = texture;
    d.state.material.specular = {0.8f, 0.8f, 0.6f, 0};
    d.state.material.power = 10;
    return d;
}

// Long slivers across the whole target, a few pixels wide at most, flat shaded and dithered.
Draw slivers(int width, int height) {
    Draw d{rastertest::flatState(width, height), {}};
    d.state.gouraud = false;
    d.state.dither = true;
    for (int i = 0; i < 40; ++i) {
        const float t = static_cast<float>(i) / 40.0f;
        const float z = 0.2f + 0.015f * static_cast<float>(i);
        D3DVERTEX a = vertex(-1.2f + t, -1.0f, z), b = vertex(1.0f, 1.1f - t, z);
        D3DVERTEX c = vertex(1.0f, 1.1f - t + 0.004f, z);
        a.tu = t;
        d.mesh.insert(d.mesh.end(), {a, b, c});
    }
    d.state.material.emissive = {0.9f, 0.3f, 0.6f, 0};
    return d;
}

// A viewport that starts off the 4-pixel grid, drawn over the rest without writing depth.
Draw offsetViewport(int width, int height) {
    Draw d{rastertest::programState(width, height), rastertest::sphere({0, 30, 0}, 90, 32, 16)};
    d.state.viewport = {3, 5, width - 10, height - 9};
    d.state.zWrite = false;
    d.state.cull = sw::CullMode::kClockwise;
    return d;
}

struct Picture {
    std::vector<std::uint16_t> color, depth;
};

Picture render(int threads, int width, int height, const std::vector<Draw>& draws) {
    Frame frame(width, height);
    frame.clear(0x1234, 0xFFFF);
    sw::Rasterizer rasterizer(threads, rastertest::testInstructionSet());
    for (const Draw& d : draws)
        rasterizer.drawTriangleList(d.state, frame.color(), frame.depth(), d.mesh.data(),
                                    static_cast<std::uint32_t>(d.mesh.size()));
    rasterizer.finish();
    EXPECT_FALSE(rasterizer.hasUnfinishedDrawing());
    EXPECT_TRUE(frame.guardsIntact(0x1234, 0xFFFF)) << threads << " threads";
    return {frame.colorStore, frame.depthStore};
}

TEST(Threads, ScenesOfSeveralDrawsAreTheSameBitForBitAtAnyThreadCount) {
    const rastertest::Texture small = rastertest::checkerTexture(16, 16);
    const rastertest::Texture large = rastertest::checkerTexture(32, 32);
    const sw::TextureView smallView = small.view(), largeView = large.view();
    for (auto [width, height] : {std::pair{640, 480}, std::pair{1920, 1080}}) {
        // Short draws in a row, at equal depth in two colours, so that their order shows.
        Draw tinted = slivers(width, height);
        tinted.state.material.emissive = {0.2f, 0.9f, 0.3f, 0};
        const std::vector<Draw> draws = {clippedFloor(width, height, &smallView),
                                         tinted,
                                         slivers(width, height),
                                         specularObjects(width, height, &largeView),
                                         tinted,
                                         offsetViewport(width, height),
                                         slivers(width, height)};
        const Picture one = render(1, width, height, draws);
        int drawn = 0;
        for (std::uint16_t p : one.color) drawn += p != 0x1234 && p != 0;
        ASSERT_GT(drawn, width * height / 4) << "the scene should cover much of the frame";
        for (int threads : {2, 3, 8}) {
            const Picture many = render(threads, width, height, draws);
            EXPECT_TRUE(many.color == one.color) << width << "x" << height << ", " << threads;
            EXPECT_TRUE(many.depth == one.depth) << width << "x" << height << ", " << threads;
        }
    }
}

// Small triangles in perspective around the tile corners, a few pixels across: in tiles the walk
// of each is cut at the tile edges (one column of blocks at a time where a triangle straddles a
// vertical edge), on one thread it is not. Depth-tested, textured, lit and dithered, in a
// viewport off the 4-pixel grid, so that the scissor cuts blocks too.
Draw trianglesAroundTileCorners(int width, int height, const sw::TextureView* texture) {
    Draw d{rastertest::programState(width, height), {}};
    d.state.view = rastertest::identityMatrix();
    d.state.viewport = {3, 5, width - 10, height - 9};
    d.state.texture = texture;
    d.state.cull = sw::CullMode::kNone;
    const float halfWidth = static_cast<float>(d.state.viewport.width) / 2.0f;
    const float halfHeight = static_cast<float>(d.state.viewport.height) / 2.0f;
    // The point at depth z that the viewport shows at pixel (x, y): the projection scales by 2.5.
    const auto at = [&](float x, float y, float z, float u, float v) {
        const float clipX = (x - 3.0f - halfWidth) / halfWidth;
        const float clipY = (halfHeight - (y - 5.0f)) / halfHeight;
        return vertex(clipX * z / 2.5f, clipY * z / 2.5f, z, {0.3f, 0.8f, -0.5f}, u, v);
    };
    std::mt19937 random(7);
    std::uniform_real_distribution<float> offset(-6.0f, 6.0f), depth(2.0f, 12.0f),
        coordinate(-2.0f, 2.0f);
    for (int y = 0; y <= height; y += 64)
        for (int x = 0; x <= width; x += 64)
            for (int i = 0; i < 40; ++i) {
                const float cx = static_cast<float>(x) + offset(random);
                const float cy = static_cast<float>(y) + offset(random);
                const float size = i % 2 == 0 ? 0.5f : 1.0f;  // at most 6 or 12 pixels across
                for (int k = 0; k < 3; ++k)
                    d.mesh.push_back(at(cx + offset(random) * size, cy + offset(random) * size,
                                        depth(random), coordinate(random), coordinate(random)));
            }
    return d;
}

TEST(Threads, SmallTrianglesCutAtTileEdgesAreTheSameBitForBit) {
    const rastertest::Texture texture = rastertest::checkerTexture(16, 16);
    const sw::TextureView view = texture.view();
    const int width = 200, height = 136;
    const std::vector<Draw> draws = {trianglesAroundTileCorners(width, height, &view)};
    const Picture one = render(1, width, height, draws);
    int drawn = 0;
    for (std::uint16_t p : one.color) drawn += p != 0x1234;
    ASSERT_GT(drawn, 500) << "the triangles should cover pixels at every tile corner";
    for (int threads : {2, 3}) {
        const Picture many = render(threads, width, height, draws);
        EXPECT_TRUE(many.color == one.color) << threads << " threads";
        EXPECT_TRUE(many.depth == one.depth) << threads << " threads";
    }
}

// Tiny frames of changing size and content: every one equals the one-thread picture, while
// rasterizers come and go, targets change between draws and some frames draw nothing at all.
TEST(Threads, ManyTinyFramesHandOverCleanly) {
    const rastertest::Texture texture = rastertest::checkerTexture(8, 8);
    const sw::TextureView view = texture.view();
    rastertest::Rasterizer one(1);
    std::unique_ptr<sw::Rasterizer> many;
    for (int frame = 0; frame < 400; ++frame) {
        if (frame % 50 == 0)
            many = std::make_unique<sw::Rasterizer>(2 + frame / 50 % 4,
                                                    rastertest::testInstructionSet());
        const int width = 1 + frame % 37, height = 1 + frame % 23;
        sw::RasterState state = rastertest::programState(width, height);
        state.texture = frame % 3 == 0 ? nullptr : &view;
        // Every seventh frame a list long enough to be spread over the threads.
        const Mesh mesh = frame % 7 == 0 ? rastertest::torus({0, 0, 0}, 110, 30, 48, 24)
                                         : rastertest::sphere({0, 0, 0}, 40.0f + frame % 60,
                                                              3 + frame % 9, 2 + frame % 5);
        const auto count = static_cast<std::uint32_t>(frame % 11 == 0 ? 0 : mesh.size());
        Frame expected(width, height), actual(width, height);
        expected.clear(0, 0xFFFF);
        actual.clear(0, 0xFFFF);
        one.drawTriangleList(state, expected.color(), expected.depth(), mesh.data(), count);
        many->drawTriangleList(state, actual.color(), actual.depth(), mesh.data(), count);
        if (frame % 5 == 0) {
            // A second target in the same frame: the first one's drawing is finished first.
            Frame other(width + 3, height);
            other.clear(0, 0xFFFF);
            sw::RasterState otherState = rastertest::programState(width + 3, height);
            many->drawTriangleList(otherState, other.color(), other.depth(), mesh.data(), count);
            many->finish();
        }
        many->finish();
        ASSERT_TRUE(actual.colorStore == expected.colorStore) << "frame " << frame;
        ASSERT_TRUE(actual.depthStore == expected.depthStore) << "frame " << frame;
    }
    // Unfinished drawing is dropped when the rasterizer goes.
    Frame last(16, 16);
    const Mesh mesh = rastertest::sphere({0, 0, 0}, 60, 8, 4);
    many->drawTriangleList(rastertest::programState(16, 16), last.color(), last.depth(),
                           mesh.data(), static_cast<std::uint32_t>(mesh.size()));
    EXPECT_TRUE(many->hasUnfinishedDrawing());
    many.reset();
}

}  // namespace
