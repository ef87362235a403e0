// Small scenes rendered headless and compared with stored pictures. Run with
// ASEPLAY_REGENERATE_REFERENCES=1 to rewrite the pictures after an intended change (and look
// at them before committing).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/raster/raster_scenes.h"

namespace {

using rastertest::Frame;
using rastertest::Mesh;

bool regenerating() {
    const char* flag = std::getenv("ASEPLAY_REGENERATE_REFERENCES");
    return flag != nullptr && std::strcmp(flag, "1") == 0;
}

// Pictures may differ by one 5-bit step per channel (rounding on another machine, a dither
// threshold crossed): compare at 5-bit precision with a tolerance of 1.
void expectMatchesReference(const Frame& frame, const std::string& name) {
    const std::string path = std::string(ASEPLAY_TEST_DATA) + "/" + name + ".png";
    const RgbImage actual = frame.toRgb();
    std::string error;
    if (regenerating()) {
        ASSERT_TRUE(writePng(path, actual, error)) << error;
        return;
    }
    RgbImage expected;
    ASSERT_TRUE(readPng(path, expected, error)) << error;
    ASSERT_EQ(expected.width, actual.width);
    ASSERT_EQ(expected.height, actual.height);
    int worst = 0;
    std::size_t worstAt = 0;
    for (std::size_t i = 0; i < actual.rgb.size(); ++i) {
        const int difference = std::abs((actual.rgb[i] >> 3) - (expected.rgb[i] >> 3));
        if (difference > worst) worst = difference, worstAt = i;
    }
    const std::size_t pixel = worstAt / 3;
    EXPECT_LE(worst, 1) << name << ": pixel " << pixel % actual.width << ","
                        << pixel / actual.width;
}

Frame renderScene(const sw::RasterState& state, const Mesh& mesh, sw::PixelLayout layout,
                  std::uint16_t background) {
    Frame frame(state.viewport.width, state.viewport.height, layout);
    frame.clear(background);
    rastertest::Rasterizer rasterizer;
    rasterizer.drawTriangleList(state, frame.color(), frame.depth(), mesh.data(),
                                static_cast<std::uint32_t>(mesh.size()));
    return frame;
}

TEST(ReferencePictures, LitUntexturedObjects565) {
    Mesh mesh = rastertest::sphere({0, 0, 0}, 60, 24, 12);
    rastertest::append(mesh, rastertest::torus({0, 0, 0}, 110, 30, 32, 16));
    const sw::RasterState state = rastertest::programState(160, 120);
    expectMatchesReference(renderScene(state, mesh, sw::PixelLayout::k565, 0x0010),
                           "lit_objects_565");
}

TEST(ReferencePictures, TexturedSpecularObjects555) {
    Mesh mesh = rastertest::torus({0, 0, 0}, 110, 30, 32, 16);
    rastertest::append(mesh, rastertest::sphere({40, 90, -40}, 35, 20, 10));
    const rastertest::Texture texture = rastertest::checkerTexture(32, 32);
    const sw::TextureView view = texture.view();
    sw::RasterState state = rastertest::programState(160, 120);
    state.texture = &view;
    state.material.specular = {0.8f, 0.8f, 0.6f, 0};
    state.material.power = 12;
    expectMatchesReference(renderScene(state, mesh, sw::PixelLayout::k555, 0x0000),
                           "textured_specular_555");
}

TEST(ReferencePictures, FloorThroughTheNearPlaneWithMirroredTexture) {
    // The camera stands low over a large textured floor that reaches behind it.
    const float n[3] = {0, 1, 0};
    Mesh mesh;
    for (int i = -4; i < 4; ++i)
        for (int j = -4; j < 4; ++j) {
            const float x0 = i * 60.0f, z0 = j * 60.0f, x1 = x0 + 60, z1 = z0 + 60;
            const auto v = [&](float x, float z) {
                return rastertest::vertex(x, -20, z, {n[0], n[1], n[2]}, x / 60.0f, z / 60.0f);
            };
            mesh.insert(mesh.end(),
                        {v(x0, z0), v(x0, z1), v(x1, z1), v(x0, z0), v(x1, z1), v(x1, z0)});
        }
    rastertest::append(mesh, rastertest::torus({0, 10, 60}, 40, 12, 24, 12));
    const rastertest::Texture texture = rastertest::checkerTexture(16, 16);
    const sw::TextureView view = texture.view();
    sw::RasterState state = rastertest::programState(160, 120);
    state.view = rastertest::lookAtMatrix({-30, 0, -40}, {0, -10, 60});
    state.texture = &view;
    state.cull = sw::CullMode::kNone;
    expectMatchesReference(renderScene(state, mesh, sw::PixelLayout::k565, 0x001F),
                           "near_plane_floor");
}

}  // namespace
