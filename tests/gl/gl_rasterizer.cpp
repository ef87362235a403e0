#include "tests/gl/gl_rasterizer.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/gl/gl_renderer.h"
#include "platform/gl/gl_texture.h"
#include "tests/gl/test_context.h"

namespace gltest {
namespace {

// The drawing objects on the test program's context, made once.
struct Drawing {
    std::unique_ptr<GlRenderer> renderer;
    std::unique_ptr<GlTarget> target;
    std::unique_ptr<GlTexture> texture;
    std::string why;
};

Drawing& drawing() {
    static Drawing made = [] {
        Drawing d;
        if (testContext(d.why) == nullptr) return d;
        auto renderer = std::make_unique<GlRenderer>();
        if (!renderer->init(d.why)) return d;
        d.renderer = std::move(renderer);
        d.target = std::make_unique<GlTarget>();
        d.texture = std::make_unique<GlTexture>();
        return d;
    }();
    return made;
}

}  // namespace

Rasterizer::Rasterizer(int) {}

void Rasterizer::drawTriangleList(const sw::RasterState& state, const sw::ColorTarget& color,
                                  const sw::DepthTarget* depth, const D3DVERTEX* vertices,
                                  std::uint32_t vertexCount) {
    Drawing& g = drawing();
    ASSERT_NE(g.renderer, nullptr) << g.why;
    ASSERT_TRUE(g.target->resize(color.width, color.height));
    const GlTarget::Memory colorMemory{color.pixels, color.pitch, color.width, color.height};
    GlTargetSize size{color.width, color.height, 0, 0};
    GlTarget::Memory depthMemory{};
    if (depth != nullptr && depth->depth != nullptr) {
        const int width = depth->width > 0 ? depth->width : color.width;
        const int height = depth->height > 0 ? depth->height : color.height;
        depthMemory = {depth->depth, depth->pitch, width, height};
        size.depthWidth = width;
        size.depthHeight = height;
    }
    GlDrawConstants constants;
    if (!computeDrawConstants(state, size, color.layout, constants)) return;
    g.target->uploadColor(colorMemory);
    if (constants.depthTest) g.target->uploadDepth(depthMemory);
    const GLuint texture =
        constants.textured && g.texture->upload(*state.texture) ? g.texture->name() : 0;
    ASSERT_TRUE(g.renderer->draw(constants, *g.target, texture, vertices, vertexCount));
    g.target->readColor(colorMemory);
    if (constants.depthTest) g.target->readDepth(depthMemory);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace gltest
