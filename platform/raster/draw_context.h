// Everything the pipeline derives once per drawTriangleList call from the device state, and the
// vertex records that travel between its stages.
#pragma once

#include <cstdint>

#include "platform/raster/raster.h"

namespace sw {

// A vertex in clip space with its lit colours, ready for clipping: every field interpolates
// linearly in clip space.
struct ShadedVertex {
    float x, y, z, w;
    float u, v;
    float diffuse[3];   // clamped to 0..1, then scaled for the pixel stage
    float specular[3];  // likewise
};

// Interpolated per pixel: 1/w and depth linearly, the rest multiplied by 1/w so that the pixel
// stage can divide it out again (perspective-correct interpolation).
enum Attribute : int {
    kAttrQ,  // 1/w
    kAttrZ,  // depth in 16-bit units minus kDepthBias, so that it packs as a signed 16-bit value
    kAttrU,  // u * texture width * q
    kAttrV,  // v * texture height * q
    kAttrDiffuseR,
    kAttrDiffuseG,
    kAttrDiffuseB,
    kAttrSpecularR,
    kAttrSpecularG,
    kAttrSpecularB,
    kAttrCount
};
inline constexpr int kAttrSlots = 12;  // kAttrCount rounded up to whole SIMD vectors
inline constexpr float kDepthBias = 32768.0f;

// A vertex after projection: position snapped to 1/16 pixel.
struct ScreenVertex {
    std::int32_t fx, fy;
    alignas(16) float attr[kAttrSlots];
};

inline constexpr int kSubpixelBits = 4;
inline constexpr int kSubpixelScale = 1 << kSubpixelBits;

// Outcode bits. The first group needs geometric clipping; the second only serves to reject
// triangles that lie wholly outside the viewport (inside the guard band they are scissored).
enum ClipPlane : int {
    kPlaneNearW,  // w >= tiny, keeps the division safe for any projection
    kPlaneNearZ,  // z >= 0
    kPlaneFarZ,   // z <= w
    kPlaneGuardLeft,
    kPlaneGuardRight,
    kPlaneGuardBottom,
    kPlaneGuardTop,
    kClipPlaneCount,
    kPlaneViewLeft = kClipPlaneCount,
    kPlaneViewRight,
    kPlaneViewBottom,
    kPlaneViewTop,
};
inline constexpr unsigned kClipMask = (1u << kClipPlaneCount) - 1;
inline constexpr float kMinClipW = 1e-6f;  // the kPlaneNearW plane: w >= kMinClipW

struct LightingSetup {
    bool lightOn = false;
    float toLight[3] = {0, 0, 0};  // unit vector from the surface towards the light
    float base[3] = {0, 0, 0};     // emissive + global ambient * material ambient
    float diffuse[3] = {0, 0, 0};  // material diffuse * light colour
    bool specularOn = false;
    float specular[3] = {0, 0, 0};  // material specular * light colour
    float power = 0;
    int wholePower = 0;        // the power when it is a small whole number (multiplied out), else 0
    float eye[3] = {0, 0, 0};  // camera position in world space
    bool worldIsIdentity = true;
    float world[4][3] = {};  // world matrix without its last column
};

struct TextureSampler {
    const std::uint16_t* texels = nullptr;
    int pitch = 0;
    int width = 0;
    int height = 0;
    TextureAddress mode = TextureAddress::kWrap;
    bool widthIsPow2 = false;
    bool heightIsPow2 = false;
    // Texture coordinates repeat with this period (in u, v units; 0 for clamp): each triangle
    // is moved by whole periods so that its coordinates are not negative.
    float period = 0;
    int redShift = 10;  // texel layout: red at this bit, green 5 or 6 bits wide at bit 5
    int greenMask = 31;
    float channelMax[3] = {31, 31, 31};
    // Pairs of 16-bit values (low, high) in one 32-bit word, for sampling u and v together.
    std::int32_t sizeLow = 0;    // (width - 1, height - 1)
    std::int32_t sizeBits = 0;   // (width, height)
    std::int32_t periodLow = 0;  // (2 * width - 1, 2 * height - 1)
    std::int32_t pitchPair = 0;  // (1, pitch), for u + v * pitch
};

struct PixelTarget {
    std::uint16_t* color = nullptr;
    int colorPitch = 0;
    std::uint16_t* depth = nullptr;
    int depthPitch = 0;
    bool zWrite = false;
    int redShift = 11;
    float channelMax[3] = {31, 63, 31};
    // Scissor rectangle, inclusive: the viewport clipped to the colour target.
    int minX = 0, minY = 0, maxX = -1, maxY = -1;
    // Row y of the dither pattern at ditherRows[y & 3]; the pattern is stored twice over, so
    // that the rows after any row follow it in memory.
    alignas(32) float ditherRows[8][4] = {};
};

// An inclusive pixel rectangle. Tiles start and end on multiples of 4 (except at the target's
// right and bottom edge), so that the 4x4 blocks of the pixel stage never straddle two tiles.
struct PixelBounds {
    int minX = 0, minY = 0, maxX = -1, maxY = -1;
};

struct TriangleSetup;
struct DrawContext;
struct Kernels;
// Draws the pixels of a set-up triangle that lie inside `clip`. The arithmetic of each pixel does
// not depend on `clip`, so a triangle drawn tile by tile gives the picture it gives in one go.
using RasterizeFn = void (*)(const TriangleSetup&, const DrawContext&, const PixelBounds& clip);
// The same, whole, for the triangles setups[i] of the bits i of `lanes`, in that order: one call
// for a front-end batch, so that the draw's constants are set up once for all of them.
using RasterizeLanesFn = void (*)(const TriangleSetup* setups, int lanes, const DrawContext&);
// The pixel stage chosen for a draw's settings.
struct PixelStage {
    RasterizeFn triangle;
    RasterizeLanesFn lanes;
};

struct DrawContext {
    alignas(16) float mvp[4][4] = {};  // world * view * projection
    LightingSetup lighting;
    bool gouraud = true;
    bool perspective = true;
    bool textured = false;
    CullMode cull = CullMode::kCounterClockwise;
    // Colour scales from 0..1 into the units of the pixel stage: output channel steps, divided
    // by the texel's channel maximum when the colour is to be multiplied by a texel.
    float diffuseScale[3] = {1, 1, 1};
    float specularScale[3] = {1, 1, 1};
    // Viewport mapping: sx = offsetX + scaleX * x/w, sy = offsetY - scaleY * y/w,
    // depth = zOffset + zScale * z/w in 16-bit units.
    float scaleX = 0, offsetX = 0, scaleY = 0, offsetY = 0, zScale = 0, zOffset = 0;
    float centreX = 0, centreY = 0;  // the viewport's centre in pixels
    // Bounds of x/w and y/w for the guard band and for the viewport.
    float guardLeft = 0, guardRight = 0, guardBottom = 0, guardTop = 0;
    float viewLeft = 0, viewRight = 0, viewBottom = 0, viewTop = 0;
    // The same bounds as (left, right, bottom, top), for testing four planes at once.
    alignas(16) float guardBounds[4] = {};
    alignas(16) float viewBounds[4] = {};
    TextureSampler texture;
    PixelTarget target;
    const Kernels* kernels = nullptr;  // the stages compiled for the chosen instruction set
    RasterizeFn rasterize = nullptr;
    RasterizeLanesFn rasterizeLanes = nullptr;
};

// What every device works out alike from the device state, so that the software and OpenGL
// devices place and light each vertex the same way:
// world * view * projection, multiplied in doubles;
void combinedTransform(const RasterState& state, float (&mvp)[4][4]);
// the terms of the lighting formulas and the camera in world space;
void prepareLighting(const RasterState& state, LightingSetup& lighting);
// textures and viewports the pixel arithmetic can address.
bool usableTexture(const TextureView* texture);
bool usableViewport(const ViewportParams& viewport);
// Pixel position of clip (x, y, w): (offsetX + scaleX * x / w, offsetY - scaleY * y / w).
struct ViewportMapping {
    float scaleX, offsetX, scaleY, offsetY;
};
ViewportMapping viewportMapping(const ViewportParams& viewport);

// Fills `context` from the device state, to be drawn with `kernels`; false when nothing can be
// drawn (no pixels, empty viewport).
bool prepareDrawContext(const RasterState& state, const ColorTarget& color,
                        const DepthTarget* depth, const Kernels& kernels, DrawContext& context);

}  // namespace sw
