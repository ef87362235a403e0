// Triangle set-up in SIMD lanes: on random triangles (small ones, slivers, degenerate ones and
// ones reaching the limit of the guard band) the SSE2 and AVX2 kernels give the same set-up bit
// for bit, and both give the edge functions, bounds and culling of plain 64-bit arithmetic.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "platform/raster/kernels.h"
#include "platform/raster/triangle_setup.h"
#include "tests/raster/raster_scenes.h"

namespace {

using Triangle = std::array<sw::ScreenVertex, 3>;

constexpr int kWidth = 1920, kHeight = 1080;
// Projection keeps vertices within 2^16 pixels of the viewport's centre, in 1/16 pixels here.
constexpr int kReach = (1 << 16) * sw::kSubpixelScale - 1;

std::vector<Triangle> randomTriangles(int count, unsigned seed) {
    std::mt19937 random(seed);
    const int centreX = kWidth / 2 * sw::kSubpixelScale, centreY = kHeight / 2 * sw::kSubpixelScale;
    std::uniform_int_distribution<int> nearScreen(-64 * 16, (kWidth + 64) * 16);
    std::uniform_int_distribution<int> farOut(-kReach, kReach);
    std::uniform_int_distribution<int> small(-40, 40);
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_real_distribution<float> attribute(-300.0f, 300.0f);
    std::vector<Triangle> triangles(count);
    for (Triangle& t : triangles) {
        const int k = kind(random);
        for (int i = 0; i < 3; ++i) {
            sw::ScreenVertex& v = t[i];
            if (k == 3) {  // near the guard band's limit
                v.fx = centreX + farOut(random);
                v.fy = centreY + farOut(random);
            } else if (k == 0 || i == 0 || (k == 2 && i == 1)) {
                v.fx = nearScreen(random);
                v.fy = nearScreen(random) * kHeight / kWidth;
            } else {  // a few pixels from the first corner
                v.fx = t[0].fx + small(random);
                v.fy = t[0].fy + small(random);
            }
            for (float& a : v.attr) a = attribute(random);
        }
        if (k == 2) {  // a long sliver or a degenerate triangle: the third corner on or by the line
            t[2].fx = t[0].fx + 2 * (t[1].fx - t[0].fx) + small(random) % 2;
            t[2].fy = t[0].fy + 2 * (t[1].fy - t[0].fy) + small(random) % 2;
        }
    }
    return triangles;
}

// Sets up every triangle with `set`; the result's entries are empty where nothing is covered.
std::vector<std::vector<sw::TriangleSetup>> setUp(sw::InstructionSet set,
                                                  const sw::DrawContext& context,
                                                  const std::vector<Triangle>& triangles) {
    std::vector<std::vector<sw::TriangleSetup>> out;
    for (std::size_t first = 0; first < triangles.size(); first += 32) {
        const int count = static_cast<int>(std::min<std::size_t>(32, triangles.size() - first));
        const sw::ScreenVertex* corners[32][3];
        for (int i = 0; i < count; ++i)
            for (int k = 0; k < 3; ++k) corners[i][k] = &triangles[first + i][k];
        sw::TriangleSetup setups[32];
        const std::uint32_t covering =
            sw::kernelsFor(set).setupTriangles(context, corners, count, setups);
        for (int i = 0; i < count; ++i) {
            out.emplace_back();
            if (covering & (1u << i)) out.back().push_back(setups[i]);
        }
    }
    return out;
}

struct Context {
    explicit Context(sw::CullMode cull) : frame(kWidth, kHeight) {
        sw::RasterState state = rastertest::programState(kWidth, kHeight);
        state.cull = cull;
        state.material.specular = {1, 1, 1, 0};  // every attribute slot in use
        state.material.power = 10;
        const sw::Kernels& kernels = sw::kernelsFor(sw::InstructionSet::kSse2);
        EXPECT_TRUE(sw::prepareDrawContext(state, frame.color(), frame.depth(), kernels, context));
        EXPECT_TRUE(context.lighting.specularOn);
    }
    rastertest::Frame frame;
    sw::DrawContext context;
};

bool sameBits(const sw::TriangleSetup& a, const sw::TriangleSetup& b) {
    const auto same = [](const auto& x, const auto& y) {
        return std::memcmp(&x, &y, sizeof x) == 0;
    };
    const auto samePlane = [](const float* x, const float* y) {
        return std::memcmp(x, y, sw::kAttrCount * sizeof(float)) == 0;
    };
    return same(a.a, b.a) && same(a.b, b.b) && same(a.c, b.c) && same(a.refX, b.refX) &&
           same(a.refY, b.refY) && a.minX == b.minX && a.minY == b.minY && a.maxX == b.maxX &&
           a.maxY == b.maxY && same(a.blockMax, b.blockMax) && same(a.blockMin, b.blockMin) &&
           samePlane(a.base, b.base) && samePlane(a.ddx, b.ddx) && samePlane(a.ddy, b.ddy);
}

TEST(Setup, Sse2AndAvx2GiveTheSameBits) {
    if (sw::widestInstructionSet() != sw::InstructionSet::kAvx2) GTEST_SKIP() << "no AVX2 here";
    for (sw::CullMode cull : {sw::CullMode::kNone, sw::CullMode::kCounterClockwise}) {
        const Context c(cull);
        const std::vector<Triangle> triangles = randomTriangles(4000, 7);
        const auto sse2 = setUp(sw::InstructionSet::kSse2, c.context, triangles);
        const auto avx2 = setUp(sw::InstructionSet::kAvx2, c.context, triangles);
        int covering = 0;
        for (std::size_t i = 0; i < triangles.size(); ++i) {
            ASSERT_EQ(sse2[i].size(), avx2[i].size()) << "triangle " << i;
            if (sse2[i].empty()) continue;
            ++covering;
            EXPECT_TRUE(sameBits(sse2[i][0], avx2[i][0])) << "triangle " << i;
        }
        EXPECT_GT(covering, 1000);
    }
}

// The edge functions, bounds and culling as 64-bit integers, one triangle at a time.
TEST(Setup, EdgeFunctionsAreThoseOf64BitArithmetic) {
    const Context c(sw::CullMode::kCounterClockwise);
    const sw::PixelTarget& target = c.context.target;
    const std::vector<Triangle> triangles = randomTriangles(4000, 11);
    int covering = 0, culled = 0;
    for (sw::InstructionSet set : {sw::InstructionSet::kSse2, sw::InstructionSet::kAvx2}) {
        const auto setups = setUp(set, c.context, triangles);
        for (std::size_t i = 0; i < triangles.size(); ++i) {
            Triangle t = triangles[i];
            const auto x = [&](int k) { return std::int64_t{t[k].fx}; };
            const auto y = [&](int k) { return std::int64_t{t[k].fy}; };
            const std::int64_t area = (x(1) - x(0)) * (y(2) - y(0)) - (y(1) - y(0)) * (x(2) - x(0));
            const int minX = std::max<int>((std::min({x(0), x(1), x(2)}) + 15) >> 4, target.minX);
            const int maxX = std::min<int>((std::max({x(0), x(1), x(2)}) - 1) >> 4, target.maxX);
            const int minY = std::max<int>((std::min({y(0), y(1), y(2)}) + 15) >> 4, target.minY);
            const int maxY = std::min<int>((std::max({y(0), y(1), y(2)}) - 1) >> 4, target.maxY);
            const bool expected = area > 0 && minX <= maxX && minY <= maxY;
            ASSERT_EQ(setups[i].size(), expected ? 1u : 0u)
                << "triangle " << i << ", area " << area;
            culled += area < 0;
            if (!expected) continue;
            ++covering;
            const sw::TriangleSetup& s = setups[i][0];
            EXPECT_EQ(s.minX, minX);
            EXPECT_EQ(s.maxX, maxX);
            EXPECT_EQ(s.minY, minY);
            EXPECT_EQ(s.maxY, maxY);
            for (int e = 0; e < 3; ++e) {
                const int to = (e + 1) % 3;
                const std::int64_t dx = x(to) - x(e), dy = y(to) - y(e);
                const bool topLeft = dy < 0 || (dy == 0 && dx > 0);
                EXPECT_EQ(s.a[e], -dy * 16) << "triangle " << i << ", edge " << e;
                EXPECT_EQ(s.b[e], dx * 16) << "triangle " << i << ", edge " << e;
                EXPECT_EQ(s.c[e], dy * x(e) - dx * y(e) - (topLeft ? 0 : 1)) << "triangle " << i;
                EXPECT_EQ(s.blockMax[e], 3 * std::max(s.a[e], 0) + 3 * std::max(s.b[e], 0));
                EXPECT_EQ(s.blockMin[e], 3 * std::min(s.a[e], 0) + 3 * std::min(s.b[e], 0));
            }
        }
    }
    EXPECT_GT(covering, 1000);
    EXPECT_GT(culled, 1000);
}

}  // namespace
