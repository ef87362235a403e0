#include "platform/gl/gl_renderer.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

constexpr std::size_t kInitialVertices = 1 << 16;

int programIndex(bool gouraud, bool perspective) {
    return (gouraud ? 2 : 0) + (perspective ? 1 : 0);
}

void setCulling(sw::CullMode cull) {
    // Row j of the GL target is the surface's row j, so a triangle that turns clockwise on the
    // surface (y down) turns counter-clockwise in GL's window coordinates.
    if (cull == sw::CullMode::kNone) {
        glDisable(GL_CULL_FACE);
        return;
    }
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(cull == sw::CullMode::kCounterClockwise ? GL_CCW : GL_CW);
}

}  // namespace

GlRenderer::~GlRenderer() {
    if (buffer_ != 0) glDeleteBuffers(1, &buffer_);
    if (vertexArray_ != 0) glDeleteVertexArrays(1, &vertexArray_);
}

bool GlRenderer::init(std::string& error) {
    glGenVertexArrays(1, &vertexArray_);
    glBindVertexArray(vertexArray_);
    glGenBuffers(1, &buffer_);
    glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    capacity_ = kInitialVertices;
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(capacity_ * sizeof(D3DVERTEX)), nullptr,
                 GL_STREAM_DRAW);
    const auto attribute = [](GLuint index, GLint size, std::size_t offset) {
        glEnableVertexAttribArray(index);
        glVertexAttribPointer(index, size, GL_FLOAT, GL_FALSE, sizeof(D3DVERTEX),
                              reinterpret_cast<const void*>(offset));
    };
    attribute(GlProgram::kPositionAttribute, 3, offsetof(D3DVERTEX, x));
    attribute(GlProgram::kNormalAttribute, 3, offsetof(D3DVERTEX, nx));
    attribute(GlProgram::kTexCoordAttribute, 2, offsetof(D3DVERTEX, tu));
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);  // flat shading takes the first vertex
    GLint largest[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, largest);
    largestViewport_ = 1;
    while (largestViewport_ * 2 <= std::min(largest[0], largest[1])) largestViewport_ *= 2;
    glDepthFunc(GL_LEQUAL);
    auto& usual = programs_[programIndex(true, true)];
    usual = std::make_unique<GlProgram>();
    if (!usual->build(true, true, error)) return false;
    if (glGetError() != GL_NO_ERROR) {
        error = "the vertex buffer cannot be made";
        return false;
    }
    return true;
}

const GlProgram* GlRenderer::programFor(bool gouraud, bool perspective) {
    const int index = programIndex(gouraud, perspective);
    if (programs_[index] == nullptr && !failed_[index]) {
        auto program = std::make_unique<GlProgram>();
        std::string error;
        if (program->build(gouraud, perspective, error))
            programs_[index] = std::move(program);
        else
            failed_[index] = true;
    }
    return programs_[index].get();
}

// Appends the vertices to the stream buffer, into a part that no queued draw reads, so it is
// written without waiting. When the buffer is full it starts again from the front once the queued
// draws are done; it is made large enough for two frames of vertices (see endFrame), so that this
// wait comes at most every other frame (and each frame's read-back waits for the draws anyway).
GLint GlRenderer::streamVertices(const D3DVERTEX* vertices, std::uint32_t count) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    if (count > capacity_ || wantedCapacity_ > capacity_) {
        capacity_ = std::max<std::size_t>(capacity_, wantedCapacity_);
        while (capacity_ < count) capacity_ *= 2;
        // New storage: the driver keeps the old one for the draws still reading it.
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(capacity_ * sizeof(D3DVERTEX)),
                     nullptr, GL_STREAM_DRAW);
        used_ = 0;
    } else if (used_ + count > capacity_) {
        waitForQueuedDraws();
        used_ = 0;
    }
    const auto first = static_cast<GLint>(used_);
    const auto bytes = static_cast<GLsizeiptr>(count * sizeof(D3DVERTEX));
    const auto offset = static_cast<GLintptr>(used_ * sizeof(D3DVERTEX));
    void* place = glMapBufferRange(GL_ARRAY_BUFFER, offset, bytes,
                                   GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
    if (place != nullptr) {
        std::memcpy(place, vertices, static_cast<std::size_t>(bytes));
        glUnmapBuffer(GL_ARRAY_BUFFER);
    } else {
        glBufferSubData(GL_ARRAY_BUFFER, offset, bytes, vertices);
    }
    used_ += count;
    frameVertices_ += count;
    return first;
}

void GlRenderer::waitForQueuedDraws() {
    GLsync fence = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    if (fence == nullptr) {
        glFinish();
        return;
    }
    constexpr GLuint64 kSecond = 1000000000;
    while (glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, kSecond) == GL_TIMEOUT_EXPIRED) {
    }
    glDeleteSync(fence);
}

void GlRenderer::endFrame() {
    wantedCapacity_ = std::max(wantedCapacity_, 2 * frameVertices_);
    frameVertices_ = 0;
}

GlViewport GlRenderer::viewportAround(const GlTarget& target) const {
    GlViewport window;
    window.size = largestViewport_;
    window.originX = (window.size - target.width()) / 2;
    window.originY = (window.size - target.height()) / 2;
    return window;
}

void GlRenderer::setPipelineState(const GlDrawConstants& k, const GlTarget& target,
                                  const GlViewport& window) {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target.framebuffer());
    glViewport(-window.originX, -window.originY, window.size, window.size);
    glEnable(GL_SCISSOR_TEST);
    glScissor(k.scissor.x, k.scissor.y, k.scissor.width, k.scissor.height);
    if (k.depthTest) {
        glEnable(GL_DEPTH_TEST);
        glDepthMask(k.depthWrite ? GL_TRUE : GL_FALSE);
        glDepthRange(k.minZ, k.maxZ);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    setCulling(k.cull);
}

bool GlRenderer::draw(const GlDrawConstants& k, GlTarget& target, GLuint texture,
                      const D3DVERTEX* vertices, std::uint32_t vertexCount) {
    const std::uint32_t count = vertexCount - vertexCount % 3;
    if (count == 0) return true;
    const GlProgram* program = programFor(k.gouraud, k.perspective);
    if (program == nullptr) return false;
    GlDrawConstants constants = k;
    constants.textured = k.textured && texture != 0;
    if (!constants.textured) std::copy(k.outputMax, k.outputMax + 3, constants.diffuseScale);
    const GlViewport window = viewportAround(target);
    setPipelineState(constants, target, window);
    program->use(constants, window);
    glActiveTexture(GL_TEXTURE0 + GlProgram::kTextureUnit);
    glBindTexture(GL_TEXTURE_2D, constants.textured ? texture : 0);
    glBindVertexArray(vertexArray_);
    const GLint first = streamVertices(vertices, count);
    glDrawArrays(GL_TRIANGLES, first, static_cast<GLsizei>(count));
    return true;
}
