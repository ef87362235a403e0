// The OpenGL device's render target: a framebuffer of 16-bit integer pixels (the surface's own
// 5-6-5 or 5-5-5 values, which the pixel shader writes already dithered and packed) and a 16-bit
// depth buffer. Pixels go up from memory and come back to it unchanged, rows in the same order.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>

class GlTarget {
  public:
    GlTarget() = default;
    ~GlTarget();
    GlTarget(const GlTarget&) = delete;
    GlTarget& operator=(const GlTarget&) = delete;

    // Makes (or remakes, at another size) the framebuffer; false when the driver cannot.
    bool resize(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }
    GLuint framebuffer() const { return framebuffer_; }

    // The pixels of the target's top-left `width` x `height` (at most the target's size), rows
    // `pitch` values apart in memory.
    struct Memory {
        std::uint16_t* pixels;
        int pitch;
        int width;
        int height;
    };
    void uploadColor(const Memory& from);
    void uploadDepth(const Memory& from);
    void readColor(const Memory& into);
    void readDepth(const Memory& into);

  private:
    void release();

    GLuint framebuffer_ = 0;
    GLuint color_ = 0;
    GLuint depth_ = 0;
    int width_ = 0;
    int height_ = 0;
};

// 16-bit rows of any width and any pitch.
void setRowLayout(GLenum rowLengthName, GLenum alignmentName, int pitch);
