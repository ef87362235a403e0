#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <vector>

#include "fuzz/byte_source.h"
#include "fuzz/entries.h"
#include "platform/raster/raster.h"

namespace fuzz {
namespace {

constexpr int kMaxTargetWidth = 400;
constexpr int kMaxTargetHeight = 300;
constexpr int kMaxTextureSide = 32767;
constexpr long kMaxTextureTexels = 1L << 16;  // keeps one run's memory small

// A short code for the values geometry code gets wrong most often; other codes are plain
// fixed-point numbers, so that most triangles land on screen.
float compactFloat(std::int16_t code, float scale) {
    switch (code) {
        case 32767:
            return std::numeric_limits<float>::infinity();
        case 32766:
            return -std::numeric_limits<float>::infinity();
        case -32768:
            return std::numeric_limits<float>::quiet_NaN();
        case 32765:
            return FLT_MAX;
        case 32764:
            return -FLT_MAX;
        case 32763:
            return 1e30f;
        case 32762:
            return 1e-30f;
        case 32761:
            return std::numeric_limits<float>::denorm_min();
        case 32760:
            return -0.0f;
        default:
            return code * scale;
    }
}

float takeFloat(ByteSource& in, bool raw, float scale) {
    return raw ? in.take<float>() : compactFloat(in.take<std::int16_t>(), scale);
}

D3DMATRIX takeMatrix(ByteSource& in, bool raw) {
    D3DMATRIX m;
    float* f = &m._11;
    for (int i = 0; i < 16; ++i) f[i] = takeFloat(in, raw, 1.0f / 1024);
    return m;
}

D3DMATRIX identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1;
    return m;
}

// A camera a little way back along z, and a perspective projection with near 1 and far 1000.
void setCamera(sw::RasterState& state, ByteSource& in) {
    state.world = identity();
    state.view = identity();
    state.view._43 = 200 + in.take<std::int16_t>() / 64.0f;
    state.projection = D3DMATRIX{};
    state.projection._11 = 1.3f;
    state.projection._22 = 1.7f;
    state.projection._33 = 1000.0f / 999.0f;
    state.projection._34 = 1;
    state.projection._43 = -1000.0f / 999.0f;
}

void setViewport(sw::RasterState& state, ByteSource& in, int width, int height) {
    sw::ViewportParams& vp = state.viewport;
    vp = sw::ViewportParams{};
    vp.width = width;
    vp.height = height;
    if (!in.takeBit()) return;
    vp.x = in.take<std::int16_t>();
    vp.y = in.take<std::int16_t>();
    vp.width = in.take<std::int16_t>();
    vp.height = in.take<std::int16_t>();
    vp.clipX = takeFloat(in, false, 1.0f / 4096);
    vp.clipY = takeFloat(in, false, 1.0f / 4096);
    vp.clipWidth = takeFloat(in, false, 1.0f / 4096);
    vp.clipHeight = takeFloat(in, false, 1.0f / 4096);
    vp.minZ = takeFloat(in, false, 1.0f / 16384);
    vp.maxZ = takeFloat(in, false, 1.0f / 16384);
}

void takeColour(ByteSource& in, D3DCOLORVALUE& c) {
    c.r = takeFloat(in, false, 1.0f / 8192);
    c.g = takeFloat(in, false, 1.0f / 8192);
    c.b = takeFloat(in, false, 1.0f / 8192);
    c.a = takeFloat(in, false, 1.0f / 8192);
}

void setMaterialAndLight(sw::RasterState& state, ByteSource& in) {
    state.material = D3DMATERIAL{};
    takeColour(in, state.material.diffuse);
    takeColour(in, state.material.ambient);
    takeColour(in, state.material.specular);
    takeColour(in, state.material.emissive);
    state.material.power = takeFloat(in, false, 1.0f / 64);
    state.light.enabled = in.takeBit();
    state.light.parallelPoint = in.takeBit();
    state.light.position =
        D3DVECTOR(takeFloat(in, false, 1), takeFloat(in, false, 1), takeFloat(in, false, 1));
    state.light.direction =
        D3DVECTOR(takeFloat(in, false, 1.0f / 256), takeFloat(in, false, 1.0f / 256),
                  takeFloat(in, false, 1.0f / 256));
    takeColour(in, state.light.color);
    takeColour(in, state.ambient);
}

void setSwitches(sw::RasterState& state, ByteSource& in) {
    const auto bits = in.take<std::uint16_t>();
    state.zEnable = bits & 1;
    state.zWrite = bits & 2;
    state.gouraud = bits & 4;
    state.perspective = bits & 8;
    state.dither = bits & 16;
    state.specular = bits & 32;
    state.cull = static_cast<sw::CullMode>(1 + in.takeBelow(3));
    state.textureAddress = static_cast<sw::TextureAddress>(1 + in.takeBelow(3));
}

int takeTextureSide(ByteSource& in) {
    if (in.takeBit()) return 1 << in.takeBelow(15);
    return static_cast<int>(in.takeBelow(kMaxTextureSide + 2));  // 0 and past the limit too
}

// Texels from a running pattern: their values matter little, their addressing a lot.
void makeTexture(ByteSource& in, std::vector<std::uint16_t>& texels, sw::TextureView& view) {
    view.width = takeTextureSide(in);
    view.height = takeTextureSide(in);
    view.pitch = view.width + static_cast<int>(in.takeBelow(4));
    if (view.pitch > 0 && static_cast<long>(view.pitch) * view.height > kMaxTextureTexels)
        view.height = std::max(1L, kMaxTextureTexels / view.pitch);
    if (static_cast<long>(view.pitch) > kMaxTextureTexels) view.width = view.pitch = 1;
    view.layout = in.takeBit() ? sw::PixelLayout::k555 : sw::PixelLayout::k565;
    texels.resize(static_cast<std::size_t>(view.pitch) * view.height);
    std::uint16_t value = in.take<std::uint16_t>();
    for (std::uint16_t& t : texels) t = value = static_cast<std::uint16_t>(value * 31 + 7);
    view.texels = texels.data();
}

D3DVERTEX takeVertex(ByteSource& in) {
    const bool raw = (in.take<std::uint8_t>() & 7) == 0;
    D3DVERTEX v;
    v.x = takeFloat(in, raw, 1.0f / 64);
    v.y = takeFloat(in, raw, 1.0f / 64);
    v.z = takeFloat(in, raw, 1.0f / 64);
    v.nx = takeFloat(in, raw, 1.0f / 16384);
    v.ny = takeFloat(in, raw, 1.0f / 16384);
    v.nz = takeFloat(in, raw, 1.0f / 16384);
    v.tu = takeFloat(in, raw, 1.0f / 1024);
    v.tv = takeFloat(in, raw, 1.0f / 1024);
    return v;
}

struct Targets {
    std::vector<std::uint16_t> colour;
    std::vector<std::uint16_t> depth;
    sw::ColorTarget colourView;
    sw::DepthTarget depthView;
};

// The colour target of any size up to 400 x 300 (the viewport, not the target, drives clipping and
// the guard band; small targets keep runs fast); the depth target the same size, or (its size
// given) smaller or larger than the colour target.
void makeTargets(ByteSource& in, Targets& t) {
    sw::ColorTarget& c = t.colourView;
    c.width = 1 + static_cast<int>(in.takeBelow(kMaxTargetWidth));
    c.height = 1 + static_cast<int>(in.takeBelow(kMaxTargetHeight));
    c.pitch = c.width + static_cast<int>(in.takeBelow(8));
    c.layout = in.takeBit() ? sw::PixelLayout::k555 : sw::PixelLayout::k565;
    t.colour.assign(static_cast<std::size_t>(c.pitch) * c.height, 0x1234);
    c.pixels = t.colour.data();

    sw::DepthTarget& d = t.depthView;
    if (in.takeBit()) {
        d.width = 1 + static_cast<int>(in.takeBelow(kMaxTargetWidth));
        d.height = 1 + static_cast<int>(in.takeBelow(kMaxTargetHeight));
    }
    d.pitch = (d.width > 0 ? d.width : c.width) + static_cast<int>(in.takeBelow(4));
    t.depth.assign(static_cast<std::size_t>(d.pitch) * (d.height > 0 ? d.height : c.height),
                   0xFFFF);
    d.depth = t.depth.data();
}

}  // namespace

int runTriangles(const std::uint8_t* data, std::size_t size) {
    ByteSource in(data, size);
    sw::RasterState state;
    const auto modes = in.take<std::uint8_t>();
    Targets targets;
    makeTargets(in, targets);
    setCamera(state, in);
    if (modes & 1) {
        const bool raw = (modes & 8) != 0;
        state.world = takeMatrix(in, raw);
        state.view = takeMatrix(in, raw);
        state.projection = takeMatrix(in, raw);
    }
    setViewport(state, in, targets.colourView.width, targets.colourView.height);
    setMaterialAndLight(state, in);
    setSwitches(state, in);
    std::vector<std::uint16_t> texels;
    sw::TextureView texture;
    if (modes & 2) {
        makeTexture(in, texels, texture);
        state.texture = &texture;
    }

    std::vector<D3DVERTEX> vertices;
    while (in.remaining() > 0) vertices.push_back(takeVertex(in));
    const sw::DepthTarget* depth = (modes & 4) ? nullptr : &targets.depthView;
    static sw::Rasterizer rasterizer;  // kept, as the device keeps it, so scratch is reused
    rasterizer.drawTriangleList(state, targets.colourView, depth, vertices.data(),
                                static_cast<std::uint32_t>(vertices.size()));
    return 0;
}

}  // namespace fuzz
