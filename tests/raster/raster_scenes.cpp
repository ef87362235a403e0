#include "tests/raster/raster_scenes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace rastertest {
namespace {

constexpr float kPi = 3.14159265358979f;

Vec3 sub(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 normalized(Vec3 a) {
    const float l = std::sqrt(dot(a, a));
    return {a.x / l, a.y / l, a.z / l};
}
Vec3 position(const D3DVERTEX& v) {
    return {v.x, v.y, v.z};
}

// Adds the triangle so that it is front-facing seen from the side its normals point to.
void addOriented(Mesh& mesh, D3DVERTEX a, D3DVERTEX b, D3DVERTEX c) {
    const Vec3 face = cross(sub(position(b), position(a)), sub(position(c), position(a)));
    const Vec3 normal{a.nx + b.nx + c.nx, a.ny + b.ny + c.ny, a.nz + b.nz + c.nz};
    if (dot(face, normal) < 0) std::swap(b, c);
    mesh.push_back(a);
    mesh.push_back(b);
    mesh.push_back(c);
}

void addGridQuads(Mesh& mesh, const std::vector<D3DVERTEX>& grid, int columns, int rows) {
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const D3DVERTEX& v00 = grid[r * (columns + 1) + c];
            const D3DVERTEX& v01 = grid[r * (columns + 1) + c + 1];
            const D3DVERTEX& v10 = grid[(r + 1) * (columns + 1) + c];
            const D3DVERTEX& v11 = grid[(r + 1) * (columns + 1) + c + 1];
            addOriented(mesh, v00, v01, v11);
            addOriented(mesh, v00, v11, v10);
        }
}

}  // namespace

int testThreads() {
    const char* value = std::getenv("ASEPLAY_RASTER_THREADS");
    const int threads = value != nullptr ? std::atoi(value) : 1;
    return threads > 0 ? threads : 1;
}

sw::InstructionSet testInstructionSet() {
    const char* value = std::getenv("ASEPLAY_RASTER_ISA");
    if (value != nullptr && std::string(value) == "sse2") return sw::InstructionSet::kSse2;
    return sw::widestInstructionSet();
}

D3DMATRIX identityMatrix() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1;
    return m;
}

D3DMATRIX translationMatrix(float x, float y, float z) {
    D3DMATRIX m = identityMatrix();
    m._41 = x;
    m._42 = y;
    m._43 = z;
    return m;
}

D3DMATRIX lookAtMatrix(Vec3 eye, Vec3 at) {
    const Vec3 zAxis = normalized(sub(at, eye));
    const Vec3 xAxis = normalized(cross({0, 1, 0}, zAxis));
    const Vec3 yAxis = cross(zAxis, xAxis);
    D3DMATRIX m = identityMatrix();
    m._11 = xAxis.x, m._12 = yAxis.x, m._13 = zAxis.x;
    m._21 = xAxis.y, m._22 = yAxis.y, m._23 = zAxis.y;
    m._31 = xAxis.z, m._32 = yAxis.z, m._33 = zAxis.z;
    m._41 = -dot(xAxis, eye), m._42 = -dot(yAxis, eye), m._43 = -dot(zAxis, eye);
    return m;
}

D3DMATRIX programProjection() {
    D3DMATRIX m = identityMatrix();
    m._11 = 2.5f;
    m._22 = 2.5f;
    m._34 = 1.0f;
    m._43 = -1.0f;
    m._44 = 0.0f;
    return m;
}

sw::RasterState programState(int width, int height) {
    sw::RasterState s;
    s.world = identityMatrix();
    s.view = lookAtMatrix({300, 300, 300}, {0, 0, 0});
    s.projection = programProjection();
    s.viewport.width = width;
    s.viewport.height = height;
    s.material = D3DMATERIAL{};
    s.material.dwSize = sizeof(D3DMATERIAL);
    s.material.diffuse = {1, 1, 1, 0};
    s.material.ambient = {1, 1, 1, 0};
    s.material.emissive = {0.5f, 0.5f, 0.5f, 0};
    s.light.enabled = true;
    s.light.parallelPoint = true;
    s.light.position = {0, 10, 0};
    s.light.color = {1, 1, 1, 0};
    s.textureAddress = sw::TextureAddress::kMirror;
    s.dither = true;
    s.specular = true;
    return s;
}

sw::RasterState flatState(int width, int height) {
    sw::RasterState s;
    s.world = s.view = s.projection = identityMatrix();
    s.viewport.width = width;
    s.viewport.height = height;
    s.material = D3DMATERIAL{};
    s.material.emissive = {1, 1, 1, 0};
    s.light.enabled = false;
    s.cull = sw::CullMode::kNone;
    s.dither = false;
    return s;
}

Frame::Frame(int w, int h, sw::PixelLayout layout, int g)
    : width(w), height(h), guard(g), pitch(w + 2 * g) {
    const std::size_t size = static_cast<std::size_t>(pitch) * (h + 2 * g);
    colorStore.assign(size, 0);
    depthStore.assign(size, 0);
    color_.pixels = colorStore.data() + index(0, 0);
    color_.pitch = pitch;
    color_.width = w;
    color_.height = h;
    color_.layout = layout;
    depth_.depth = depthStore.data() + index(0, 0);
    depth_.pitch = pitch;
}

void Frame::clear(std::uint16_t colour, std::uint16_t depthValue) {
    std::fill(colorStore.begin(), colorStore.end(), colour);
    std::fill(depthStore.begin(), depthStore.end(), depthValue);
}

bool Frame::guardsIntact(std::uint16_t colourSentinel, std::uint16_t depthSentinel) const {
    for (int y = -guard; y < height + guard; ++y)
        for (int x = -guard; x < pitch - guard; ++x) {
            if (x >= 0 && x < width && y >= 0 && y < height) continue;
            if (colorStore[index(x, y)] != colourSentinel) return false;
            if (depthStore[index(x, y)] != depthSentinel) return false;
        }
    return true;
}

RgbImage Frame::toRgb() const {
    RgbImage image;
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int r, g, b;
            decodePixel(colorStore[index(x, y)], color_.layout, r, g, b);
            std::uint8_t* out = &image.rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            out[0] = static_cast<std::uint8_t>(r);
            out[1] = static_cast<std::uint8_t>(g);
            out[2] = static_cast<std::uint8_t>(b);
        }
    return image;
}

sw::TextureView Texture::view() const {
    sw::TextureView v;
    v.texels = texels.data();
    v.pitch = width;
    v.width = width;
    v.height = height;
    v.layout = sw::PixelLayout::k555;
    return v;
}

Texture checkerTexture(int width, int height) {
    Texture t;
    t.width = width;
    t.height = height;
    t.texels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool dark = ((x * 8 / width) + (y * 8 / height)) % 2 != 0;
            const int r = dark ? 8 : 31;
            const int g = 31 * x / std::max(1, width - 1);
            const int b = dark ? 31 * y / std::max(1, height - 1) : 20;
            t.texels[static_cast<std::size_t>(y) * width + x] =
                static_cast<std::uint16_t>((r << 10) | (g << 5) | b);
        }
    return t;
}

Mesh sphere(Vec3 centre, float radius, int slices, int stacks) {
    std::vector<D3DVERTEX> grid;
    for (int i = 0; i <= stacks; ++i) {
        const float theta = kPi * static_cast<float>(i) / static_cast<float>(stacks);
        for (int j = 0; j <= slices; ++j) {
            const float phi = 2 * kPi * static_cast<float>(j) / static_cast<float>(slices);
            const Vec3 n{std::sin(theta) * std::cos(phi), std::cos(theta),
                         std::sin(theta) * std::sin(phi)};
            grid.push_back(D3DVERTEX(
                {centre.x + radius * n.x, centre.y + radius * n.y, centre.z + radius * n.z},
                {n.x, n.y, n.z}, 2.0f * j / slices, 1.0f * i / stacks));
        }
    }
    Mesh mesh;
    addGridQuads(mesh, grid, slices, stacks);
    // Drop the zero-area triangles at the poles.
    Mesh kept;
    for (std::size_t t = 0; t + 2 < mesh.size(); t += 3) {
        const Vec3 face = cross(sub(position(mesh[t + 1]), position(mesh[t])),
                                sub(position(mesh[t + 2]), position(mesh[t])));
        if (dot(face, face) > 1e-12f)
            kept.insert(kept.end(), mesh.begin() + t, mesh.begin() + t + 3);
    }
    return kept;
}

Mesh torus(Vec3 centre, float major, float minor, int rings, int sides) {
    std::vector<D3DVERTEX> grid;
    for (int i = 0; i <= rings; ++i) {
        const float a = 2 * kPi * static_cast<float>(i) / static_cast<float>(rings);
        for (int j = 0; j <= sides; ++j) {
            const float b = 2 * kPi * static_cast<float>(j) / static_cast<float>(sides);
            const Vec3 n{std::cos(b) * std::cos(a), std::sin(b), std::cos(b) * std::sin(a)};
            const Vec3 p{centre.x + (major + minor * std::cos(b)) * std::cos(a),
                         centre.y + minor * std::sin(b),
                         centre.z + (major + minor * std::cos(b)) * std::sin(a)};
            grid.push_back(D3DVERTEX({p.x, p.y, p.z}, {n.x, n.y, n.z}, 3.0f * i / rings,
                                     1.5f * j / sides - 0.25f));
        }
    }
    Mesh mesh;
    addGridQuads(mesh, grid, sides, rings);
    return mesh;
}

void append(Mesh& to, const Mesh& from) {
    to.insert(to.end(), from.begin(), from.end());
}

D3DVERTEX vertex(float x, float y, float z, Vec3 normal, float u, float v) {
    return D3DVERTEX({x, y, z}, {normal.x, normal.y, normal.z}, u, v);
}

void decodePixel(std::uint16_t pixel, sw::PixelLayout layout, int& r, int& g, int& b) {
    const auto expand5 = [](int v) { return (v << 3) | (v >> 2); };
    if (layout == sw::PixelLayout::k565) {
        r = expand5((pixel >> 11) & 31);
        g = (((pixel >> 5) & 63) << 2) | (((pixel >> 5) & 63) >> 4);
        b = expand5(pixel & 31);
    } else {
        r = expand5((pixel >> 10) & 31);
        g = expand5((pixel >> 5) & 31);
        b = expand5(pixel & 31);
    }
}

}  // namespace rastertest
