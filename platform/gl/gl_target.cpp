#include "platform/gl/gl_target.h"

#include <algorithm>

namespace {

GLuint makeTexture(GLenum internalFormat, GLenum format, GLenum type, int width, int height) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(internalFormat), width, height, 0, format,
                 type, nullptr);
    return name;
}

}  // namespace

void setRowLayout(GLenum rowLengthName, GLenum alignmentName, int pitch) {
    glPixelStorei(rowLengthName, pitch);
    glPixelStorei(alignmentName, 2);
}

GlTarget::~GlTarget() {
    release();
}

void GlTarget::release() {
    if (framebuffer_ != 0) glDeleteFramebuffers(1, &framebuffer_);
    if (color_ != 0) glDeleteTextures(1, &color_);
    if (depth_ != 0) glDeleteTextures(1, &depth_);
    framebuffer_ = color_ = depth_ = 0;
    width_ = height_ = 0;
}

bool GlTarget::resize(int width, int height) {
    if (framebuffer_ != 0 && width == width_ && height == height_) return true;
    release();
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (width <= 0 || height <= 0 || width > largest || height > largest) return false;
    color_ = makeTexture(GL_R16UI, GL_RED_INTEGER, GL_UNSIGNED_SHORT, width, height);
    depth_ =
        makeTexture(GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, width, height);
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color_, 0);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depth_, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE ||
        glGetError() != GL_NO_ERROR) {
        release();
        return false;
    }
    width_ = width;
    height_ = height;
    return true;
}

void GlTarget::uploadColor(const Memory& from) {
    setRowLayout(GL_UNPACK_ROW_LENGTH, GL_UNPACK_ALIGNMENT, from.pitch);
    glBindTexture(GL_TEXTURE_2D, color_);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, std::min(from.width, width_),
                    std::min(from.height, height_), GL_RED_INTEGER, GL_UNSIGNED_SHORT, from.pixels);
}

void GlTarget::uploadDepth(const Memory& from) {
    setRowLayout(GL_UNPACK_ROW_LENGTH, GL_UNPACK_ALIGNMENT, from.pitch);
    glBindTexture(GL_TEXTURE_2D, depth_);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, std::min(from.width, width_),
                    std::min(from.height, height_), GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT,
                    from.pixels);
}

void GlTarget::readColor(const Memory& into) {
    setRowLayout(GL_PACK_ROW_LENGTH, GL_PACK_ALIGNMENT, into.pitch);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glReadPixels(0, 0, std::min(into.width, width_), std::min(into.height, height_), GL_RED_INTEGER,
                 GL_UNSIGNED_SHORT, into.pixels);
}

void GlTarget::readDepth(const Memory& into) {
    setRowLayout(GL_PACK_ROW_LENGTH, GL_PACK_ALIGNMENT, into.pitch);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glReadPixels(0, 0, std::min(into.width, width_), std::min(into.height, height_),
                 GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, into.pixels);
}
