#include "platform/raster/draw_context.h"

#include <algorithm>
#include <cmath>

#include "platform/pixel_format.h"
#include "platform/raster/dither.h"
#include "platform/raster/kernels.h"

namespace sw {
namespace {

// Half-size of the guard band beyond the viewport, in pixels. Triangles inside it are only
// scissored; larger ones are clipped geometrically, which keeps the fixed-point edge
// arithmetic well inside its range.
constexpr double kGuardMarginPixels = 4096;
// Viewports beyond this size are refused: the guard band and the edge arithmetic assume less.
constexpr int kMaxViewportSize = 16384;
// Texel coordinates are combined with 16-bit multiplies in the pixel stage.
constexpr int kMaxTextureSize = 32767;

using Matrix = double[4][4];

void toDouble(const D3DMATRIX& m, Matrix out) {
    const float* f = &m._11;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out[r][c] = f[r * 4 + c];
}

void multiply(const Matrix a, const Matrix b, Matrix out) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += a[r][k] * b[k][c];
            out[r][c] = sum;
        }
}

bool isIdentity(const D3DMATRIX& m) {
    const float* f = &m._11;
    for (int i = 0; i < 16; ++i)
        if (f[i] != ((i % 5) == 0 ? 1.0f : 0.0f)) return false;
    return true;
}

// The camera sits at the view-space origin: with row vectors, eye * R + t = 0 where R is the
// upper 3x3 of the view matrix and t its last row, so eye = -t * inverse(R).
void eyeFromView(const D3DMATRIX& view, float eye[3]) {
    Matrix v;
    toDouble(view, v);
    const double c00 = v[1][1] * v[2][2] - v[1][2] * v[2][1];
    const double c01 = v[1][2] * v[2][0] - v[1][0] * v[2][2];
    const double c02 = v[1][0] * v[2][1] - v[1][1] * v[2][0];
    const double det = v[0][0] * c00 + v[0][1] * c01 + v[0][2] * c02;
    if (!std::isfinite(det) || std::fabs(det) < 1e-30) {
        eye[0] = eye[1] = eye[2] = 0;
        return;
    }
    double inv[3][3];
    inv[0][0] = c00 / det;
    inv[1][0] = c01 / det;
    inv[2][0] = c02 / det;
    inv[0][1] = (v[0][2] * v[2][1] - v[0][1] * v[2][2]) / det;
    inv[1][1] = (v[0][0] * v[2][2] - v[0][2] * v[2][0]) / det;
    inv[2][1] = (v[0][1] * v[2][0] - v[0][0] * v[2][1]) / det;
    inv[0][2] = (v[0][1] * v[1][2] - v[0][2] * v[1][1]) / det;
    inv[1][2] = (v[0][2] * v[1][0] - v[0][0] * v[1][2]) / det;
    inv[2][2] = (v[0][0] * v[1][1] - v[0][1] * v[1][0]) / det;
    for (int c = 0; c < 3; ++c)
        eye[c] =
            static_cast<float>(-(v[3][0] * inv[0][c] + v[3][1] * inv[1][c] + v[3][2] * inv[2][c]));
}

bool normalize(double& x, double& y, double& z) {
    const double length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0) || !std::isfinite(length)) return false;
    x /= length;
    y /= length;
    z /= length;
    return true;
}

}  // namespace

void combinedTransform(const RasterState& state, float (&mvp)[4][4]) {
    Matrix world, view, projection, worldView, all;
    toDouble(state.world, world);
    toDouble(state.view, view);
    toDouble(state.projection, projection);
    multiply(world, view, worldView);
    multiply(worldView, projection, all);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) mvp[r][c] = static_cast<float>(all[r][c]);
}

void prepareLighting(const RasterState& state, LightingSetup& l) {
    const D3DMATERIAL& m = state.material;
    const LightParams& light = state.light;

    double dx, dy, dz;
    if (light.parallelPoint) {
        dx = light.position.x, dy = light.position.y, dz = light.position.z;
    } else {
        dx = -light.direction.x, dy = -light.direction.y, dz = -light.direction.z;
    }
    l.lightOn = light.enabled && normalize(dx, dy, dz);
    l.toLight[0] = static_cast<float>(dx);
    l.toLight[1] = static_cast<float>(dy);
    l.toLight[2] = static_cast<float>(dz);

    const float ambient[3] = {state.ambient.r, state.ambient.g, state.ambient.b};
    const float emissive[3] = {m.emissive.r, m.emissive.g, m.emissive.b};
    const float matAmbient[3] = {m.ambient.r, m.ambient.g, m.ambient.b};
    const float matDiffuse[3] = {m.diffuse.r, m.diffuse.g, m.diffuse.b};
    const float matSpecular[3] = {m.specular.r, m.specular.g, m.specular.b};
    const float lightColor[3] = {light.color.r, light.color.g, light.color.b};
    bool anySpecular = false;
    for (int c = 0; c < 3; ++c) {
        l.base[c] = emissive[c] + ambient[c] * matAmbient[c];
        l.diffuse[c] = l.lightOn ? matDiffuse[c] * lightColor[c] : 0.0f;
        l.specular[c] = matSpecular[c] * lightColor[c];
        anySpecular = anySpecular || l.specular[c] > 0;
    }
    l.power = m.power;
    constexpr float kLargestWholePower = 64;
    if (m.power >= 1 && m.power <= kLargestWholePower && m.power == std::floor(m.power))
        l.wholePower = static_cast<int>(m.power);
    l.specularOn = state.specular && l.lightOn && m.power > 0 && anySpecular;

    eyeFromView(state.view, l.eye);
    l.worldIsIdentity = isIdentity(state.world);
    const float* w = &state.world._11;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) l.world[r][c] = w[r * 4 + c];
}

bool usableTexture(const TextureView* t) {
    return t != nullptr && t->texels != nullptr && t->width > 0 && t->height > 0 &&
           t->pitch >= t->width && t->width <= kMaxTextureSize && t->height <= kMaxTextureSize &&
           t->pitch <= kMaxTextureSize;
}

ViewportMapping viewportMapping(const ViewportParams& vp) {
    const double scaleX = vp.width / static_cast<double>(vp.clipWidth);
    const double scaleY = vp.height / static_cast<double>(vp.clipHeight);
    return {static_cast<float>(scaleX), static_cast<float>(vp.x - vp.clipX * scaleX),
            static_cast<float>(scaleY), static_cast<float>(vp.y + vp.clipY * scaleY)};
}

bool usableViewport(const ViewportParams& vp) {
    return vp.width > 0 && vp.height > 0 && vp.width <= kMaxViewportSize &&
           vp.height <= kMaxViewportSize && vp.clipWidth > 0 && vp.clipHeight > 0 &&
           std::isfinite(vp.clipX) && std::isfinite(vp.clipY) && std::isfinite(vp.clipWidth) &&
           std::isfinite(vp.clipHeight) && std::isfinite(vp.minZ) && std::isfinite(vp.maxZ);
}

namespace {

// `low` in the low 16 bits, `high` above.
std::int32_t pairOf16(int low, int high) {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(high) << 16) |
                                     (static_cast<std::uint32_t>(low) & 0xFFFF));
}

bool isPowerOfTwo(int n) {
    return n > 0 && (n & (n - 1)) == 0;
}

void prepareTexture(const RasterState& state, DrawContext& context) {
    const TextureView* t = state.texture;
    context.textured = usableTexture(t);
    if (!context.textured) return;
    TextureSampler& s = context.texture;
    s.texels = t->texels;
    s.pitch = t->pitch;
    s.width = t->width;
    s.height = t->height;
    s.mode = state.textureAddress;
    s.widthIsPow2 = isPowerOfTwo(t->width);
    s.heightIsPow2 = isPowerOfTwo(t->height);
    s.period =
        s.mode == TextureAddress::kMirror ? 2.0f : (s.mode == TextureAddress::kWrap ? 1.0f : 0.0f);
    const ChannelLayout channels = channelLayout(t->layout);
    s.redShift = channels.redShift;
    s.greenMask = channels.greenMax;
    channels.maxima(s.channelMax);
    s.sizeLow = pairOf16(t->width - 1, t->height - 1);
    s.sizeBits = pairOf16(t->width, t->height);
    s.periodLow = pairOf16(2 * t->width - 1, 2 * t->height - 1);
    s.pitchPair = pairOf16(1, t->pitch);
}

void prepareColourScales(const ColorTarget& color, DrawContext& context) {
    PixelTarget& t = context.target;
    const ChannelLayout channels = channelLayout(color.layout);
    t.redShift = channels.redShift;
    channels.maxima(t.channelMax);
    for (int c = 0; c < 3; ++c) {
        context.specularScale[c] = t.channelMax[c];
        context.diffuseScale[c] =
            context.textured ? t.channelMax[c] / context.texture.channelMax[c] : t.channelMax[c];
    }
}

bool prepareViewport(const ViewportParams& vp, const ColorTarget& color, DrawContext& context) {
    if (!usableViewport(vp)) return false;

    PixelTarget& t = context.target;
    t.minX = static_cast<int>(std::max<long long>(vp.x, 0));
    t.minY = static_cast<int>(std::max<long long>(vp.y, 0));
    t.maxX = static_cast<int>(
        std::min<long long>(static_cast<long long>(vp.x) + vp.width, color.width) - 1);
    t.maxY = static_cast<int>(
        std::min<long long>(static_cast<long long>(vp.y) + vp.height, color.height) - 1);
    if (t.minX > t.maxX || t.minY > t.maxY) return false;

    const ViewportMapping mapping = viewportMapping(vp);
    // The guard band wants the scales unrounded.
    const double scaleX = vp.width / static_cast<double>(vp.clipWidth);
    const double scaleY = vp.height / static_cast<double>(vp.clipHeight);
    context.scaleX = mapping.scaleX;
    context.scaleY = mapping.scaleY;
    context.offsetX = mapping.offsetX;
    context.offsetY = mapping.offsetY;
    context.centreX = static_cast<float>(vp.x + vp.width / 2.0);
    context.centreY = static_cast<float>(vp.y + vp.height / 2.0);
    context.zScale = static_cast<float>((static_cast<double>(vp.maxZ) - vp.minZ) * 65535.0);
    context.zOffset = static_cast<float>(vp.minZ * 65535.0);

    context.viewLeft = vp.clipX;
    context.viewRight = vp.clipX + vp.clipWidth;
    context.viewTop = vp.clipY;
    context.viewBottom = vp.clipY - vp.clipHeight;
    const double centreX = vp.clipX + vp.clipWidth / 2.0;
    const double centreY = vp.clipY - vp.clipHeight / 2.0;
    const double guardX = (vp.width / 2.0 + kGuardMarginPixels) / scaleX;
    const double guardY = (vp.height / 2.0 + kGuardMarginPixels) / scaleY;
    context.guardLeft = static_cast<float>(centreX - guardX);
    context.guardRight = static_cast<float>(centreX + guardX);
    context.guardBottom = static_cast<float>(centreY - guardY);
    context.guardTop = static_cast<float>(centreY + guardY);
    const float guard[4] = {context.guardLeft, context.guardRight, context.guardBottom,
                            context.guardTop};
    const float view[4] = {context.viewLeft, context.viewRight, context.viewBottom,
                           context.viewTop};
    std::copy(guard, guard + 4, context.guardBounds);
    std::copy(view, view + 4, context.viewBounds);
    return true;
}

// Returns false when the depth target leaves no pixel to draw.
bool prepareTarget(const RasterState& state, const ColorTarget& color, const DepthTarget* depth,
                   DrawContext& context) {
    PixelTarget& t = context.target;
    t.color = color.pixels;
    t.colorPitch = color.pitch;
    if (state.zEnable && depth != nullptr && depth->depth != nullptr) {
        const int width = depth->width > 0 ? depth->width : color.width;
        const int height = depth->height > 0 ? depth->height : color.height;
        if (depth->pitch < width) return false;
        t.maxX = std::min(t.maxX, width - 1);
        t.maxY = std::min(t.maxY, height - 1);
        if (t.minX > t.maxX || t.minY > t.maxY) return false;
        t.depth = depth->depth;
        t.depthPitch = depth->pitch;
        t.zWrite = state.zWrite;
    }
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 4; ++x)
            t.ditherRows[y][x] = state.dither ? ditherThreshold(x, y) : kRoundingThreshold;
    return true;
}

}  // namespace

bool prepareDrawContext(const RasterState& state, const ColorTarget& color,
                        const DepthTarget* depth, const Kernels& kernels, DrawContext& context) {
    context = DrawContext{};
    if (color.pixels == nullptr || color.width <= 0 || color.height <= 0 ||
        color.pitch < color.width)
        return false;
    if (!prepareViewport(state.viewport, color, context)) return false;
    combinedTransform(state, context.mvp);
    prepareLighting(state, context.lighting);
    prepareTexture(state, context);
    prepareColourScales(color, context);
    if (!prepareTarget(state, color, depth, context)) return false;
    context.gouraud = state.gouraud;
    context.perspective = state.perspective;
    context.cull = state.cull;
    context.kernels = &kernels;
    const PixelStage stage = kernels.selectPixelStage(context);
    context.rasterize = stage.triangle;
    context.rasterizeLanes = stage.lanes;
    return true;
}

}  // namespace sw
