// Scenes, states and helpers shared by the rasterizer tests and benchmarks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "images/png_io.h"
#include "platform/raster/raster.h"
#ifdef ASEPLAY_RASTER_TESTS_ON_GL
#include "tests/gl/gl_rasterizer.h"
#endif

namespace rastertest {

struct Vec3 {
    float x, y, z;
};

D3DMATRIX identityMatrix();
D3DMATRIX translationMatrix(float x, float y, float z);
// Left-handed look-at with world Y up.
D3DMATRIX lookAtMatrix(Vec3 eye, Vec3 at);
// The program's projection: w = view z, depth 1 - 1/z (near plane at z = 1).
D3DMATRIX programProjection();

// The program's fixed device state for a viewport of the given size: view from (300, 300, 300)
// to the origin, one white parallel-point light at (0, 10, 0), the set-up material, mirror
// addressing, dithering, specular and perspective on.
sw::RasterState programState(int width = 640, int height = 480);

// An orthographic state: identity transforms, so clip x, y in [-1, 1] cover the viewport and
// w = 1. Unlit-looking: emissive 1, light off, no dither.
sw::RasterState flatState(int width, int height);

// A 16-bit frame with a depth buffer, surrounded by guard pixels so that a write outside the
// target shows up (the target's pixels start inside a larger allocation).
struct Frame {
    Frame(int width, int height, sw::PixelLayout layout = sw::PixelLayout::k565, int guard = 8);
    sw::ColorTarget color() { return color_; }
    sw::DepthTarget* depth() { return &depth_; }
    std::uint16_t& pixel(int x, int y) { return colorStore[index(x, y)]; }
    std::uint16_t pixel(int x, int y) const { return colorStore[index(x, y)]; }
    std::uint16_t& depthAt(int x, int y) { return depthStore[index(x, y)]; }
    std::uint16_t depthAt(int x, int y) const { return depthStore[index(x, y)]; }
    void clear(std::uint16_t colour, std::uint16_t depthValue = 0xFFFF);
    bool guardsIntact(std::uint16_t colourSentinel, std::uint16_t depthSentinel) const;
    RgbImage toRgb() const;

    int width, height, guard, pitch;
    std::vector<std::uint16_t> colorStore, depthStore;

  private:
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y + guard) * pitch + static_cast<std::size_t>(x + guard);
    }
    sw::ColorTarget color_;
    sw::DepthTarget depth_;
};

struct Texture {
    int width = 0, height = 0;
    std::vector<std::uint16_t> texels;
    sw::TextureView view() const;
};

// Coloured checks with a gradient, 5-5-5.
Texture checkerTexture(int width, int height);

using Mesh = std::vector<D3DVERTEX>;

// Triangle lists with outward normals, wound so that their front faces are kept by the
// default counter-clockwise culling.
Mesh sphere(Vec3 centre, float radius, int slices, int stacks);
Mesh torus(Vec3 centre, float major, float minor, int rings, int sides);
void append(Mesh& to, const Mesh& from);

D3DVERTEX vertex(float x, float y, float z, Vec3 normal = {0, 1, 0}, float u = 0, float v = 0);

// The rasterizer the tests draw with: as many threads as ASEPLAY_RASTER_THREADS says (1 when
// unset, so the suite also runs at other thread counts) and SSE2 when ASEPLAY_RASTER_ISA is
// "sse2" (else the widest set the processor has), each list finished before the call returns so
// that the test can look at the pixels. Built with ASEPLAY_RASTER_TESTS_ON_GL, the tests draw
// with the OpenGL device's drawing instead.
int testThreads();
sw::InstructionSet testInstructionSet();
#ifdef ASEPLAY_RASTER_TESTS_ON_GL
using Rasterizer = gltest::Rasterizer;
#else
class Rasterizer : public sw::Rasterizer {
  public:
    explicit Rasterizer(int threads = testThreads())
        : sw::Rasterizer(threads, testInstructionSet()) {}
    void drawTriangleList(const sw::RasterState& state, const sw::ColorTarget& color,
                          const sw::DepthTarget* depth, const D3DVERTEX* vertices,
                          std::uint32_t vertexCount) {
        sw::Rasterizer::drawTriangleList(state, color, depth, vertices, vertexCount);
        finish();
    }
};
#endif

// 5-5-5 or 5-6-5 to 8-bit channels.
void decodePixel(std::uint16_t pixel, sw::PixelLayout layout, int& r, int& g, int& b);

}  // namespace rastertest
