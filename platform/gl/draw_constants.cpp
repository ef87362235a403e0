#include "platform/gl/draw_constants.h"

#include <algorithm>

#include "platform/pixel_format.h"
#include "platform/raster/draw_context.h"

namespace {

void combineTransforms(const sw::RasterState& state, GlDrawConstants& out) {
    float mvp[4][4];
    sw::combinedTransform(state, mvp);
    std::copy(&mvp[0][0], &mvp[0][0] + 16, out.mvp);
    std::copy(&state.world._11, &state.world._11 + 16, out.world);
}

// The viewport mapping, and the scissor: the viewport within the colour target and, when depth
// is tested, the depth target.
bool workOutViewport(const sw::RasterState& state, const GlTargetSize& target,
                     GlDrawConstants& out) {
    const sw::ViewportParams& vp = state.viewport;
    if (!sw::usableViewport(vp)) return false;
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

    const sw::ViewportMapping mapping = sw::viewportMapping(vp);
    out.scaleX = mapping.scaleX;
    out.scaleY = mapping.scaleY;
    out.offsetX = mapping.offsetX;
    out.offsetY = mapping.offsetY;
    out.minZ = vp.minZ;
    out.maxZ = vp.maxZ;
    return true;
}

void workOutOutput(const sw::RasterState& state, sw::PixelLayout targetLayout,
                   GlDrawConstants& out) {
    const ChannelLayout output = channelLayout(targetLayout);
    out.outputRedShift = output.redShift;
    output.maxima(out.outputMax);
    std::copy(out.outputMax, out.outputMax + 3, out.diffuseScale);
    out.dither = state.dither;
    out.textured = sw::usableTexture(state.texture);
    if (!out.textured) return;
    out.textureWidth = state.texture->width;
    out.textureHeight = state.texture->height;
    const ChannelLayout texels = channelLayout(state.texture->layout);
    out.textureRedShift = texels.redShift;
    out.textureGreenMask = texels.greenMax;
    float texelMax[3];
    texels.maxima(texelMax);
    for (int c = 0; c < 3; ++c) out.diffuseScale[c] = out.outputMax[c] / texelMax[c];
    out.address = state.textureAddress;
}

}  // namespace

bool computeDrawConstants(const sw::RasterState& state, const GlTargetSize& target,
                          sw::PixelLayout targetLayout, GlDrawConstants& out) {
    out = GlDrawConstants{};
    if (target.colorWidth <= 0 || target.colorHeight <= 0) return false;
    if (!workOutViewport(state, target, out)) return false;
    combineTransforms(state, out);
    sw::prepareLighting(state, out.lighting);
    workOutOutput(state, targetLayout, out);
    out.cull = state.cull;
    out.gouraud = state.gouraud;
    out.perspective = state.perspective;
    return true;
}
