// The shader programs of the OpenGL device: transform and lighting per vertex, and per pixel the
// texel, the specular sum, the ordered dither and the packed 16-bit pixel, all as the software
// rasterizer computes them. One program per way of interpolating (Gouraud or flat colours,
// perspective-correct or affine), compiled when first used.
#pragma once

#include <epoxy/gl.h>

#include <array>
#include <string>

#include "platform/gl/draw_constants.h"

// GL's viewport: `size` pixels square (a power of two), the target's pixel (0, 0) at
// (originX, originY) within it.
struct GlViewport {
    int originX = 0, originY = 0, size = 0;
};

class GlProgram {
  public:
    // Compiles and links the variant; false with the driver's log in `error` when it cannot.
    bool build(bool gouraud, bool perspective, std::string& error);
    ~GlProgram();

    // Makes the program current and loads the draw's constants into it.
    void use(const GlDrawConstants& constants, const GlViewport& window) const;

    static constexpr GLuint kPositionAttribute = 0;
    static constexpr GLuint kNormalAttribute = 1;
    static constexpr GLuint kTexCoordAttribute = 2;
    static constexpr GLint kTextureUnit = 0;

  private:
    enum Uniform {
        kMvp,
        kWorld,
        kLightOn,
        kToLight,
        kBase,
        kDiffuse,
        kSpecularOn,
        kSpecular,
        kPower,
        kWholePower,
        kEye,
        kToWindow,
        kGlWindow,
        kOutputRedShift,
        kOutputMax,
        kDiffuseScale,
        kDither,
        kTextured,
        kTextureRedShift,
        kTextureGreenMask,
        kAddress,
        kPicture,
        kTextureExtent,
        kUniformCount
    };
    GLuint program_ = 0;
    std::array<GLint, kUniformCount> at_{};
};
