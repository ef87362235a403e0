// What colour and depth a covered pixel gets: lighting, specular, texture addressing, depth
// order and the ordered dither.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/raster/texture_address.h"
#include "tests/raster/raster_scenes.h"

namespace {

using rastertest::Frame;
using rastertest::Mesh;
using rastertest::Vec3;

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// Channel values as stored in the pixel (5, 6, 5 bits or 5, 5, 5 bits).
Rgb channels(std::uint16_t pixel, sw::PixelLayout layout) {
    if (layout == sw::PixelLayout::k565) return {pixel >> 11, (pixel >> 5) & 63, pixel & 31};
    return {(pixel >> 10) & 31, (pixel >> 5) & 31, pixel & 31};
}

// Two triangles covering the whole clip square at depth z, all with one normal and one
// texture coordinate pair unless given per corner.
Mesh fullSquare(float z, Vec3 normal = {0, 1, 0}, float u0 = 0, float u1 = 0, float v0 = 0,
                float v1 = 0) {
    using rastertest::vertex;
    const D3DVERTEX a = vertex(-1, 1, z, normal, u0, v0), b = vertex(1, 1, z, normal, u1, v0);
    const D3DVERTEX c = vertex(1, -1, z, normal, u1, v1), d = vertex(-1, -1, z, normal, u0, v1);
    return {a, b, c, a, c, d};
}

Frame render(const sw::RasterState& state, const Mesh& mesh, int width = 16, int height = 16,
             sw::PixelLayout layout = sw::PixelLayout::k565) {
    Frame frame(width, height, layout);
    frame.clear(0);
    rastertest::Rasterizer rasterizer;
    rasterizer.drawTriangleList(state, frame.color(), frame.depth(), mesh.data(),
                                static_cast<std::uint32_t>(mesh.size()));
    return frame;
}

sw::RasterState litState() {
    sw::RasterState state = rastertest::flatState(16, 16);
    state.material.emissive = {0, 0, 0, 0};
    state.material.diffuse = {1, 1, 1, 0};
    state.light.enabled = true;
    state.light.parallelPoint = true;
    state.light.position = {0, 10, 0};
    state.light.color = {1, 1, 1, 0};
    return state;
}

TEST(Lighting, FaceTurnedUpIsFullyLitAndSidewaysGetsOnlyEmissive) {
    sw::RasterState state = litState();
    EXPECT_EQ(render(state, fullSquare(0.5f, {0, 1, 0})).pixel(8, 8), 0xFFFF);
    EXPECT_EQ(render(state, fullSquare(0.5f, {1, 0, 0})).pixel(8, 8), 0x0000);
    EXPECT_EQ(render(state, fullSquare(0.5f, {0, -1, 0})).pixel(8, 8), 0x0000);

    state.material.emissive = {0.5f, 0.5f, 0.5f, 0};  // the program's material
    // Sideways: 0.5 of 31 and 63 rounds to 16 and 32.
    EXPECT_EQ(
        channels(render(state, fullSquare(0.5f, {0, 0, 1})).pixel(8, 8), sw::PixelLayout::k565),
        (Rgb{16, 32, 16}));
    // Up: 0.5 + 1 is clamped to full white.
    EXPECT_EQ(render(state, fullSquare(0.5f, {0, 1, 0})).pixel(8, 8), 0xFFFF);
}

TEST(Lighting, NormalsAreUsedWithoutRenormalising) {
    sw::RasterState state = litState();
    EXPECT_EQ(
        channels(render(state, fullSquare(0.5f, {0, 0.5f, 0})).pixel(8, 8), sw::PixelLayout::k565),
        (Rgb{16, 32, 16}));
}

TEST(Lighting, LightColourAndMaterialDiffuseMultiply) {
    sw::RasterState state = litState();
    state.light.color = {1, 0.5f, 0, 0};
    state.material.diffuse = {0.5f, 1, 1, 0};
    EXPECT_EQ(channels(render(state, fullSquare(0.5f)).pixel(8, 8), sw::PixelLayout::k565),
              (Rgb{16, 32, 0}));
}

TEST(Lighting, GouraudInterpolatesAndFlatTakesTheFirstVertex) {
    sw::RasterState state = litState();
    state.viewport.width = 64;
    state.viewport.height = 8;
    using rastertest::vertex;
    // Lit on the left edge, dark on the right.
    const D3DVERTEX a = vertex(-1, 1, 0.5f, {0, 1, 0}), b = vertex(1, 1, 0.5f, {1, 0, 0});
    const D3DVERTEX c = vertex(1, -1, 0.5f, {1, 0, 0}), d = vertex(-1, -1, 0.5f, {0, 1, 0});
    const Mesh square = {a, b, c, a, c, d};
    const Frame smooth = render(state, square, 64, 8);
    EXPECT_EQ(smooth.pixel(0, 4), 0xFFFF);
    EXPECT_EQ(channels(smooth.pixel(32, 4), sw::PixelLayout::k565), (Rgb{16, 32, 16}));
    EXPECT_EQ(channels(smooth.pixel(63, 4), sw::PixelLayout::k565), (Rgb{0, 1, 0}));  // 1/64 lit
    state.gouraud = false;
    const Frame flat = render(state, square, 64, 8);
    for (int x = 0; x < 64; ++x) ASSERT_EQ(flat.pixel(x, 4), 0xFFFF) << x;  // both start at a
}

// Camera at world (0, 0, -10) looking along +z; a small face at the origin.
sw::RasterState specularState(float power) {
    sw::RasterState state = litState();
    state.view = rastertest::translationMatrix(0, 0, 10);
    state.projection = rastertest::programProjection();
    state.material.diffuse = {0, 0, 0, 0};
    state.material.specular = {1, 1, 1, 0};
    state.material.power = power;
    state.specular = true;
    return state;
}

Mesh smallFaceAtOrigin(Vec3 normal) {
    using rastertest::vertex;
    const D3DVERTEX a = vertex(-0.5f, 0.5f, 0, normal), b = vertex(0.5f, 0.5f, 0, normal);
    const D3DVERTEX c = vertex(0.5f, -0.5f, 0, normal), d = vertex(-0.5f, -0.5f, 0, normal);
    return {a, b, c, a, c, d};
}

TEST(Specular, HighlightWhereTheNormalBisectsEyeAndLight) {
    // H = normalize(normalize(eye - P) + L) = normalize((0, 0, -1) + (0, 1, 0)).
    const float s = std::sqrt(0.5f);
    EXPECT_EQ(render(specularState(1), smallFaceAtOrigin({0, s, -s})).pixel(8, 8), 0xFFFF);
    // Turned up: N.H = 0.707, to the 10th power 0.031: about one step of 31.
    const Rgb dim = channels(render(specularState(10), smallFaceAtOrigin({0, 1, 0})).pixel(8, 8),
                             sw::PixelLayout::k565);
    EXPECT_EQ(dim, (Rgb{1, 2, 1}));
}

TEST(Specular, OffAtPowerZeroWhenDisabledAndOnTheDarkSide) {
    const float s = std::sqrt(0.5f);
    EXPECT_EQ(render(specularState(0), smallFaceAtOrigin({0, s, -s})).pixel(8, 8), 0x0000);
    sw::RasterState disabled = specularState(10);
    disabled.specular = false;
    EXPECT_EQ(render(disabled, smallFaceAtOrigin({0, s, -s})).pixel(8, 8), 0x0000);
    // N.L < 0 but N.H > 0: still no highlight.
    const float n = 1.0f / std::sqrt(1.01f);
    EXPECT_EQ(render(specularState(1), smallFaceAtOrigin({0, -0.1f * n, -n})).pixel(8, 8), 0x0000);
}

TEST(Specular, EyeComesFromTheProgramsLookAtView) {
    sw::RasterState state = specularState(10);
    state.viewport.width = 160;
    state.viewport.height = 120;
    state.view = rastertest::lookAtMatrix({300, 300, 300}, {0, 0, 0});
    const float e = 1.0f / std::sqrt(3.0f);
    Vec3 h{e, e + 1, e};
    const float length = std::sqrt(h.x * h.x + h.y * h.y + h.z * h.z);
    h = {h.x / length, h.y / length, h.z / length};
    // A face at the origin turned towards H, seen from the program's camera.
    using rastertest::vertex;
    const Mesh face = {vertex(-20, -5, 20, h), vertex(20, -5, -20, h), vertex(0, 20, 0, h)};
    state.cull = sw::CullMode::kNone;
    const Frame frame = render(state, face, 160, 120);
    EXPECT_EQ(frame.pixel(80, 58), 0xFFFF);  // just above the origin
    // Seen from the opposite side of the origin the highlight would be gone.
    state.view = rastertest::lookAtMatrix({-300, 300, -300}, {0, 0, 0});
    EXPECT_LT(render(state, face, 160, 120).pixel(80, 58), 0x0841);
}

// A texture of one row whose texel i has red = 6 * i + 1.
rastertest::Texture columnTexture(int width) {
    rastertest::Texture t;
    t.width = width;
    t.height = 1;
    for (int i = 0; i < width; ++i)
        t.texels.push_back(static_cast<std::uint16_t>((6 * i + 1) << 10));
    return t;
}

// Red channel drawn at the centre when every vertex has texture coordinate u.
int columnAt(float u, int width, sw::TextureAddress mode) {
    const rastertest::Texture texture = columnTexture(width);
    const sw::TextureView view = texture.view();
    sw::RasterState state = rastertest::flatState(16, 16);
    state.texture = &view;
    state.textureAddress = mode;
    const Frame frame =
        render(state, fullSquare(0.5f, {0, 1, 0}, u, u, 0.5f, 0.5f), 16, 16, sw::PixelLayout::k555);
    return (channels(frame.pixel(8, 8), sw::PixelLayout::k555).r - 1) / 6;
}

TEST(TextureAddressing, MirrorFlipsEveryOtherRepeat) {
    for (int width : {4, 5}) {  // power of two and not
        SCOPED_TRACE(width);
        const auto mirror = sw::TextureAddress::kMirror;
        EXPECT_EQ(columnAt(0.0f, width, mirror), 0);
        EXPECT_EQ(columnAt(0.9999f, width, mirror), width - 1);
        EXPECT_EQ(columnAt(1.0001f, width, mirror), width - 1);
        EXPECT_EQ(columnAt(1.9999f, width, mirror), 0);
        EXPECT_EQ(columnAt(2.0001f, width, mirror), 0);
        EXPECT_EQ(columnAt(-0.0001f, width, mirror), 0);
        EXPECT_EQ(columnAt(-1.0001f, width, mirror), width - 1);
        EXPECT_EQ(columnAt(-1.9999f, width, mirror), 0);
        EXPECT_EQ(columnAt(1.0001f, width, sw::TextureAddress::kWrap), 0);
        EXPECT_EQ(columnAt(-0.0001f, width, sw::TextureAddress::kWrap), width - 1);
        EXPECT_EQ(columnAt(7.5f, width, sw::TextureAddress::kClamp), width - 1);
        EXPECT_EQ(columnAt(-3.0f, width, sw::TextureAddress::kClamp), 0);
    }
}

TEST(TextureAddressing, MirrorIndexOfAnyInteger) {
    EXPECT_EQ(sw::mirrorTexelIndex(4, 4), 3);
    EXPECT_EQ(sw::mirrorTexelIndex(7, 4), 0);
    EXPECT_EQ(sw::mirrorTexelIndex(8, 4), 0);
    EXPECT_EQ(sw::mirrorTexelIndex(-1, 4), 0);
    EXPECT_EQ(sw::mirrorTexelIndex(-4, 4), 3);
    EXPECT_EQ(sw::mirrorTexelIndex(-5, 4), 3);
    EXPECT_EQ(sw::mirrorTexelIndex(INT32_MIN, 5), sw::mirrorTexelIndex(INT32_MIN % 10 + 10, 5));
    EXPECT_EQ(sw::wrapTexelIndex(INT32_MIN, 3), 1);  // -2147483648 = -715827883 * 3 + 1
}

TEST(TextureAddressing, MirroredRampAcrossTheScreen) {
    // u runs 0 .. 2 over 64 pixels: columns 0, 1, 2, 3, 3, 2, 1, 0, eight pixels each.
    const rastertest::Texture texture = columnTexture(4);
    const sw::TextureView view = texture.view();
    sw::RasterState state = rastertest::flatState(64, 8);
    state.texture = &view;
    state.textureAddress = sw::TextureAddress::kMirror;
    const Frame frame =
        render(state, fullSquare(0.5f, {0, 1, 0}, 0, 2, 0.5f, 0.5f), 64, 8, sw::PixelLayout::k555);
    const int expected[8] = {0, 1, 2, 3, 3, 2, 1, 0};
    for (int x = 0; x < 64; ++x)
        EXPECT_EQ((channels(frame.pixel(x, 4), sw::PixelLayout::k555).r - 1) / 6, expected[x / 8])
            << x;
}

TEST(TextureAddressing, PerspectiveCorrectCoordinates) {
    // A wall receding from z = 2 (left) to z = 6 (right) with u from 0 to 1 on 4 texels:
    // the texel boundary u = 0.5 lies where 1/z is halfway, not at the middle of the screen.
    const rastertest::Texture texture = columnTexture(4);
    const sw::TextureView view = texture.view();
    sw::RasterState state = rastertest::flatState(64, 16);
    state.projection = rastertest::programProjection();
    state.texture = &view;
    using rastertest::vertex;
    // x / z = -0.4 at the left edge and 0.4 at the right edge.
    const D3DVERTEX a = vertex(-0.8f, 1, 2, {0, 1, 0}, 0, 0.5f),
                    b = vertex(2.4f, 3, 6, {0, 1, 0}, 1, 0.5f);
    const D3DVERTEX c = vertex(2.4f, -3, 6, {0, 1, 0}, 1, 0.5f),
                    d = vertex(-0.8f, -1, 2, {0, 1, 0}, 0, 0.5f);
    const Frame frame = render(state, {a, b, c, a, c, d}, 64, 16, sw::PixelLayout::k555);
    // u = (t / 6) / ((1 - t) / 2 + t / 6) at t = x / 64, the pixel centre's place on screen.
    for (int x = 0; x < 64; ++x) {
        const double t = x / 64.0;
        const double u = (t / 6) / ((1 - t) / 2 + t / 6);
        const int expected = static_cast<int>(std::floor(u * 4));
        if (std::fabs(u * 4 - std::round(u * 4)) < 0.05) continue;  // too close to a boundary
        EXPECT_EQ((channels(frame.pixel(x, 8), sw::PixelLayout::k555).r - 1) / 6, expected) << x;
    }
}

TEST(Depth, NearerSurfaceWinsWhateverTheOrderAndTiesGoToTheLater) {
    sw::RasterState red = rastertest::flatState(16, 16), green = red;
    red.material.emissive = {1, 0, 0, 0};
    green.material.emissive = {0, 1, 0, 0};
    const Mesh nearSquare = fullSquare(0.25f), farSquare = fullSquare(0.75f);
    Frame frame(16, 16);
    rastertest::Rasterizer rasterizer;
    const auto draw = [&](const sw::RasterState& s, const Mesh& m) {
        rasterizer.drawTriangleList(s, frame.color(), frame.depth(), m.data(), 6);
    };
    frame.clear(0);
    draw(red, farSquare);
    draw(green, nearSquare);
    EXPECT_EQ(frame.pixel(5, 5), 0x07E0);
    frame.clear(0);
    draw(green, nearSquare);
    draw(red, farSquare);
    EXPECT_EQ(frame.pixel(5, 5), 0x07E0);
    draw(red, nearSquare);  // equal depth passes (less or equal)
    EXPECT_EQ(frame.pixel(5, 5), 0xF800);
    // z / w scaled to 16 bits.
    EXPECT_NEAR(frame.depthAt(5, 5), 0.25 * 65535, 1.0);
}

TEST(Depth, WriteAndTestSwitches) {
    sw::RasterState state = rastertest::flatState(16, 16);
    Frame frame(16, 16);
    rastertest::Rasterizer rasterizer;
    const Mesh square = fullSquare(0.5f);
    frame.clear(0, 0x1000);  // nearer than the square
    rasterizer.drawTriangleList(state, frame.color(), frame.depth(), square.data(), 6);
    EXPECT_EQ(frame.pixel(3, 3), 0);
    state.zEnable = false;
    rasterizer.drawTriangleList(state, frame.color(), frame.depth(), square.data(), 6);
    EXPECT_EQ(frame.pixel(3, 3), 0xFFFF);
    EXPECT_EQ(frame.depthAt(3, 3), 0x1000);
    state.zEnable = true;
    state.zWrite = false;
    frame.clear(0, 0xFFFF);
    rasterizer.drawTriangleList(state, frame.color(), frame.depth(), square.data(), 6);
    EXPECT_EQ(frame.pixel(3, 3), 0xFFFF);
    EXPECT_EQ(frame.depthAt(3, 3), 0xFFFF);
}

TEST(Depth, PerspectiveDepthIsOneMinusReciprocalOfViewDepth) {
    sw::RasterState state = rastertest::flatState(16, 16);
    state.projection = rastertest::programProjection();
    const Frame frame = render(state, fullSquare(4.0f));  // fills the view at z = 4
    EXPECT_NEAR(frame.depthAt(8, 8), 0.75 * 65535, 1.0);
}

// Flat grey of level/31 per channel on a 5-5-5 target.
Frame greyField(float level, bool dither) {
    sw::RasterState state = rastertest::flatState(16, 16);
    state.material.emissive = {level / 31, level / 31, level / 31, 0};
    state.dither = dither;
    return render(state, fullSquare(0.5f), 16, 16, sw::PixelLayout::k555);
}

TEST(Dither, QuarterStepFollowsTheBayerPattern) {
    // 10.25 steps: a quarter of each 4x4 tile rounds up, at the ranks 12 to 15.
    const int up[4][4] = {{0, 0, 0, 0}, {1, 0, 1, 0}, {0, 0, 0, 0}, {1, 0, 1, 0}};
    const Frame frame = greyField(10.25f, true);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(channels(frame.pixel(x, y), sw::PixelLayout::k555),
                      (Rgb{10 + up[y & 3][x & 3], 10 + up[y & 3][x & 3], 10 + up[y & 3][x & 3]}))
                << x << "," << y;
}

TEST(Dither, HalfStepIsACheckerboardAndExtremesStayFlat) {
    const Frame half = greyField(10.5f, true);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(channels(half.pixel(x, y), sw::PixelLayout::k555).g, 10 + ((x + y) & 1))
                << x << "," << y;
    const Frame white = greyField(31, true), black = greyField(0, true), exact = greyField(7, true);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            ASSERT_EQ(white.pixel(x, y), 0x7FFF);
            ASSERT_EQ(black.pixel(x, y), 0x0000);
            ASSERT_EQ(channels(exact.pixel(x, y), sw::PixelLayout::k555), (Rgb{7, 7, 7}));
        }
}

TEST(Dither, OffRoundsToNearest) {
    const Frame frame = greyField(10.25f, false);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(channels(frame.pixel(x, y), sw::PixelLayout::k555), (Rgb{10, 10, 10}));
    EXPECT_EQ(channels(greyField(10.6f, false).pixel(0, 0), sw::PixelLayout::k555).r, 11);
}

TEST(Texturing, TexelModulatesDiffuse) {
    // Texel (16, 31, 0) of 31 times diffuse 0.5: 8, 15.5 (rounds up), 0.
    rastertest::Texture texture;
    texture.width = texture.height = 1;
    texture.texels = {static_cast<std::uint16_t>((16 << 10) | (31 << 5))};
    const sw::TextureView view = texture.view();
    sw::RasterState state = rastertest::flatState(16, 16);
    state.material.emissive = {0.5f, 0.5f, 0, 0};
    state.texture = &view;
    EXPECT_EQ(channels(render(state, fullSquare(0.5f), 16, 16, sw::PixelLayout::k555).pixel(4, 4),
                       sw::PixelLayout::k555),
              (Rgb{8, 16, 0}));
}

}  // namespace
