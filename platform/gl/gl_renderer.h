// Draws triangle lists of D3DVERTEX with OpenGL: what the software rasterizer does for a draw,
// on the GPU. Vertices stream into one buffer, made once and grown while the frames grow.
#pragma once

#include <epoxy/gl.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/d3dtypes.h"
#include "platform/gl/draw_constants.h"
#include "platform/gl/gl_program.h"
#include "platform/gl/gl_target.h"

class GlRenderer {
  public:
    GlRenderer() = default;
    ~GlRenderer();
    GlRenderer(const GlRenderer&) = delete;
    GlRenderer& operator=(const GlRenderer&) = delete;

    // Makes the vertex buffer and the usual program; false with the reason when it cannot.
    bool init(std::string& error);

    // The largest target side it draws into (after init).
    int largestTarget() const { return largestViewport_; }

    // Marks the end of a frame's draws (the vertex buffer is sized by the frames).
    void endFrame();

    // Draws vertexCount / 3 triangles into `target` with `texture` (0: untextured).
    bool draw(const GlDrawConstants& constants, GlTarget& target, GLuint texture,
              const D3DVERTEX* vertices, std::uint32_t vertexCount);

  private:
    const GlProgram* programFor(bool gouraud, bool perspective);
    GLint streamVertices(const D3DVERTEX* vertices, std::uint32_t count);
    static void waitForQueuedDraws();
    GlViewport viewportAround(const GlTarget& target) const;
    static void setPipelineState(const GlDrawConstants& constants, const GlTarget& target,
                                 const GlViewport& window);

    std::array<std::unique_ptr<GlProgram>, 4> programs_;
    std::array<bool, 4> failed_{};
    GLuint vertexArray_ = 0;
    GLuint buffer_ = 0;
    std::size_t capacity_ = 0;  // in vertices
    std::size_t used_ = 0;
    std::size_t frameVertices_ = 0;   // streamed since the last endFrame
    std::size_t wantedCapacity_ = 0;  // two of the largest frame so far
    int largestViewport_ = 0;         // the largest power of two GL's viewport may span
};
