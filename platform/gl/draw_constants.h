// What one draw of the OpenGL device needs from the device state, worked out on the CPU the way
// the software rasterizer works it out (the same double-precision products, the same lighting
// terms), so that both devices light and place every vertex alike.
#pragma once

#include "platform/raster/draw_context.h"

struct GlScissor {
    int x = 0, y = 0, width = 0, height = 0;
};

struct GlDrawConstants {
    float mvp[16] = {};    // world * view * projection, row-major like the platform's matrices
    float world[16] = {};  // the world matrix, for lighting in world space

    // Lighting at the vertices: base + diffuse * max(N.L, 0), plus the local-viewer specular.
    sw::LightingSetup lighting;

    // Pixel position of clip (x, y, w): (offsetX + scaleX * x / w, offsetY - scaleY * y / w),
    // sampled at whole pixel coordinates. Depth is minZ + (maxZ - minZ) * z / w.
    float scaleX = 0, offsetX = 0, scaleY = 0, offsetY = 0;
    float minZ = 0, maxZ = 1;
    GlScissor scissor;  // the viewport within the colour (and depth) target

    // Output: 5-5-5 or 5-6-5 channels, 0..outputMax each.
    int outputRedShift = 11;
    float outputMax[3] = {31, 63, 31};
    float diffuseScale[3] = {31, 63, 31};  // per texel step when textured
    bool dither = false;

    bool textured = false;
    int textureWidth = 1, textureHeight = 1;
    int textureRedShift = 10;
    int textureGreenMask = 31;
    sw::TextureAddress address = sw::TextureAddress::kWrap;

    bool depthTest = false;
    bool depthWrite = false;
    sw::CullMode cull = sw::CullMode::kCounterClockwise;
    bool gouraud = true;
    bool perspective = true;
};

struct GlTargetSize {
    int colorWidth = 0, colorHeight = 0;
    int depthWidth = 0, depthHeight = 0;  // 0: no depth buffer
};

// Fills `out`; false when the draw can touch no pixel (an empty or unusable viewport).
bool computeDrawConstants(const sw::RasterState& state, const GlTargetSize& target,
                          sw::PixelLayout targetLayout, GlDrawConstants& out);
