#include "platform/gl/draw_constants.h"

#include <algorithm>
#include <cmath>

#include "platform/pixel_format.h"

namespace {

constexpr int kMaxViewportSize = 16384;
constexpr int kMaxTextureSize = 32767;
constexpr float kLargestWholePower = 64;

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

void combineTransforms(const sw::RasterState& state, GlDrawConstants& out) {
    Matrix world, view, projection, worldView, all;
    toDouble(state.world, world);
    toDouble(state.view, view);
    toDouble(state.projection, projection);
    multiply(world, view, worldView);
    multiply(worldView, projection, all);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out.mvp[r * 4 + c] = static_cast<float>(all[r][c]);
    std::copy(&state.world._11, &state.world._11 + 16, out.world);
}

// The camera sits at the view-space origin: eye * R + t = 0 for the view's rotation R and
// translation t, so eye = -t * inverse(R).
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

void workOutLighting(const sw::RasterState& state, GlDrawConstants& out) {
    const D3DMATERIAL& m = state.material;
    const sw::LightParams& light = state.light;
    double dx = light.position.x, dy = light.position.y, dz = light.position.z;
    if (!light.parallelPoint)
        dx = -light.direction.x, dy = -light.direction.y, dz = -light.direction.z;
    out.lightOn = light.enabled && normalize(dx, dy, dz);
    out.toLight[0] = static_cast<float>(dx);
    out.toLight[1] = static_cast<float>(dy);
    out.toLight[2] = static_cast<float>(dz);

    const float ambient[3] = {state.ambient.r, state.ambient.g, state.ambient.b};
    const float emissive[3] = {m.emissive.r, m.emissive.g, m.emissive.b};
    const float matAmbient[3] = {m.ambient.r, m.ambient.g, m.ambient.b};
    const float matDiffuse[3] = {m.diffuse.r, m.diffuse.g, m.diffuse.b};
    const float matSpecular[3] = {m.specular.r, m.specular.g, m.specular.b};
    const float lightColor[3] = {light.color.r, light.color.g, light.color.b};
    bool anySpecular = false;
    for (int c = 0; c < 3; ++c) {
        out.base[c] = emissive[c] + ambient[c] * matAmbient[c];
        out.diffuse[c] = out.lightOn ? matDiffuse[c] * lightColor[c] : 0.0f;
        out.specular[c] = matSpecular[c] * lightColor[c];
        anySpecular = anySpecular || out.specular[c] > 0;
    }
    out.power = m.power;
    out.wholePower = m.power >= 1 && m.power <= kLargestWholePower && m.power == std::floor(m.power)
                         ? static_cast<int>(m.power)
                         : 0;
    out.specularOn = state.specular && out.lightOn && m.power > 0 && anySpecular;
    eyeFromView(state.view, out.eye);
}

bool finiteViewport(const sw::ViewportParams& vp) {
    return std::isfinite(vp.clipX) && std::isfinite(vp.clipY) && std::isfinite(vp.clipWidth) &&
           std::isfinite(vp.clipHeight) && std::isfinite(vp.minZ) && std::isfinite(vp.maxZ);
}

// The viewport mapping, and the scissor: the viewport within the colour target and, when depth
// is tested, the depth target.
bool workOutViewport(const sw::RasterState& state, const GlTargetSize& target,
                     GlDrawConstants& out) {
    const sw::ViewportParams& vp = state.viewport;
    if (vp.width <= 0 || vp.height <= 0 || vp.width > kMaxViewportSize ||
        vp.height > kMaxViewportSize || !(vp.clipWidth > 0) || !(vp.clipHeight > 0) ||
        !finiteViewport(vp))
        return false;
    long long right =
        std::min<long long>(static_cast<long long>(vp.x) + vp.width, target.colorWidth);
    long long bottom =
        std::min<long long>(static_cast<long long>(vp.y) + vp.height, target.colorHeight);
    out.depthTest = state.zEnable && target.depthWidth > 0 && target.depthHeight > 0;
    out.depthWrite = out.depthTest && state.zWrite;
    if (out.depthTest) {
        right = std::min<long long>(right, target.depthWidth);
        bottom = std::min<long long>(bottom, target.depthHeight);
    }
    const long long left = std::max(vp.x, 0), top = std::max(vp.y, 0);
    if (left >= right || top >= bottom) return false;
    out.scissor = {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                   static_cast<int>(bottom - top)};

    const double scaleX = vp.width / static_cast<double>(vp.clipWidth);
    const double scaleY = vp.height / static_cast<double>(vp.clipHeight);
    out.scaleX = static_cast<float>(scaleX);
    out.scaleY = static_cast<float>(scaleY);
    out.offsetX = static_cast<float>(vp.x - vp.clipX * scaleX);
    out.offsetY = static_cast<float>(vp.y + vp.clipY * scaleY);
    out.minZ = vp.minZ;
    out.maxZ = vp.maxZ;
    return true;
}

void setMaxima(const ChannelLayout& channels, float (&maxima)[3]) {
    maxima[0] = static_cast<float>(channels.redMax);
    maxima[1] = static_cast<float>(channels.greenMax);
    maxima[2] = static_cast<float>(channels.blueMax);
}

void workOutOutput(const sw::RasterState& state, sw::PixelLayout targetLayout,
                   GlDrawConstants& out) {
    const ChannelLayout output = channelLayout(targetLayout);
    out.outputRedShift = output.redShift;
    setMaxima(output, out.outputMax);
    std::copy(out.outputMax, out.outputMax + 3, out.diffuseScale);
    out.dither = state.dither;
    out.textured = usableTexture(state.texture);
    if (!out.textured) return;
    out.textureWidth = state.texture->width;
    out.textureHeight = state.texture->height;
    const ChannelLayout texels = channelLayout(state.texture->layout);
    out.textureRedShift = texels.redShift;
    out.textureGreenMask = texels.greenMax;
    float texelMax[3];
    setMaxima(texels, texelMax);
    for (int c = 0; c < 3; ++c) out.diffuseScale[c] = out.outputMax[c] / texelMax[c];
    out.address = state.textureAddress;
}

}  // namespace

bool usableTexture(const sw::TextureView* t) {
    return t != nullptr && t->texels != nullptr && t->width > 0 && t->height > 0 &&
           t->pitch >= t->width && t->width <= kMaxTextureSize && t->height <= kMaxTextureSize &&
           t->pitch <= kMaxTextureSize;
}

bool computeDrawConstants(const sw::RasterState& state, const GlTargetSize& target,
                          sw::PixelLayout targetLayout, GlDrawConstants& out) {
    out = GlDrawConstants{};
    if (target.colorWidth <= 0 || target.colorHeight <= 0) return false;
    if (!workOutViewport(state, target, out)) return false;
    combineTransforms(state, out);
    workOutLighting(state, out);
    workOutOutput(state, targetLayout, out);
    out.cull = state.cull;
    out.gouraud = state.gouraud;
    out.perspective = state.perspective;
    return true;
}
