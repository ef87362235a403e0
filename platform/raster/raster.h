// The software triangle renderer behind IDirect3DDevice3::DrawPrimitive: transform, per-vertex
// lighting, clipping and rasterization of D3DVERTEX triangle lists into a 16-bit colour target
// with a 16-bit depth buffer. It knows nothing of the COM-style interfaces: the device object
// gathers its state and hands it over here.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/d3dtypes.h"

namespace sw {

enum class PixelLayout : std::uint8_t { k565, k555 };

struct ColorTarget {
    std::uint16_t* pixels = nullptr;
    int pitch = 0;  // in pixels
    int width = 0;
    int height = 0;
    PixelLayout layout = PixelLayout::k565;
};

struct DepthTarget {
    std::uint16_t* depth = nullptr;  // 0 nearest .. 0xFFFF farthest
    int pitch = 0;                   // in entries
    // Size in entries; 0 means the colour target's size. Drawing stays inside both targets.
    int width = 0;
    int height = 0;
};

struct TextureView {
    const std::uint16_t* texels = nullptr;
    int pitch = 0;  // in texels
    int width = 0;
    int height = 0;
    PixelLayout layout = PixelLayout::k555;
};

enum class TextureAddress : std::uint8_t { kWrap = 1, kMirror = 2, kClamp = 3 };
enum class CullMode : std::uint8_t { kNone = 1, kClockwise = 2, kCounterClockwise = 3 };

struct LightParams {
    bool enabled = false;
    bool parallelPoint = true;  // direction towards the light is normalize(position - origin)
    D3DVECTOR position{0, 0, 0};
    D3DVECTOR direction{0, 0, 0};  // used by a directional light
    D3DCOLORVALUE color{1, 1, 1, 0};
};

struct ViewportParams {
    int x = 0, y = 0, width = 640, height = 480;
    float clipX = -1, clipY = 1, clipWidth = 2, clipHeight = 2;
    float minZ = 0, maxZ = 1;
};

struct RasterState {
    D3DMATRIX world;
    D3DMATRIX view;
    D3DMATRIX projection;
    ViewportParams viewport;
    D3DMATERIAL material;
    LightParams light;
    D3DCOLORVALUE ambient{0, 0, 0, 0};
    const TextureView* texture = nullptr;  // null: untextured
    TextureAddress textureAddress = TextureAddress::kWrap;
    CullMode cull = CullMode::kCounterClockwise;
    bool zEnable = true;
    bool zWrite = true;
    bool gouraud = true;
    bool perspective = true;
    bool dither = false;
    bool specular = false;
};

// The vector instructions the pipeline runs on. Pictures are the same bit for bit with either;
// AVX2 works on eight lanes where SSE2 works on four.
enum class InstructionSet : std::uint8_t { kSse2, kAvx2 };

// The widest set this processor (and its operating system) runs.
InstructionSet widestInstructionSet();

// Holds the scratch storage of the pipeline, so that drawing allocates nothing once warmed up.
//
// With one thread every triangle is drawn on the calling thread before drawTriangleList returns.
// With more, drawTriangleList runs the vertex work (spread over the threads for large lists) and
// sorts the triangles into tiles of the colour target; finish() then draws the tiles in parallel,
// each in submission order, so the picture is the same bit for bit at any thread count. The
// vertices are not needed after drawTriangleList returns; the targets and textures must stay
// until finish(). A set the processor does not run falls back to SSE2.
class Rasterizer {
  public:
    explicit Rasterizer(int threads = 1, InstructionSet set = widestInstructionSet());
    ~Rasterizer();  // drops drawing that was not finished
    Rasterizer(const Rasterizer&) = delete;
    Rasterizer& operator=(const Rasterizer&) = delete;

    int threads() const;
    InstructionSet instructionSet() const;

    // Draws vertexCount / 3 triangles; a trailing partial triangle is ignored. depth may be null
    // (no depth test or write).
    void drawTriangleList(const RasterState& state, const ColorTarget& color,
                          const DepthTarget* depth, const D3DVERTEX* vertices,
                          std::uint32_t vertexCount);

    // Brings every triangle drawn so far into the targets.
    void finish();
    bool hasUnfinishedDrawing() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The thread count that stands for every core of the machine.
int everyCore();

}  // namespace sw
