#include "platform/gl/gl_texture.h"

#include "platform/gl/draw_constants.h"
#include "platform/gl/gl_target.h"
#include "platform/software/surface.h"

GlTexture::~GlTexture() {
    if (name_ != 0) glDeleteTextures(1, &name_);
}

namespace {

// Gives the bound texture `width` x `height` 16-bit texels, nearest-sampled (rows as set by
// setRowLayout).
void makeTexelStorage(int width, int height, const std::uint16_t* texels) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R16, width, height, 0, GL_RED, GL_UNSIGNED_SHORT, texels);
}

}  // namespace

bool GlTexture::upload(const sw::TextureView& texels) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (!sw::usableTexture(&texels) || texels.width > largest || texels.height > largest)
        return false;
    if (name_ == 0) glGenTextures(1, &name_);
    glBindTexture(GL_TEXTURE_2D, name_);
    setRowLayout(GL_UNPACK_ROW_LENGTH, GL_UNPACK_ALIGNMENT, texels.pitch);
    if (texels.width != width_ || texels.height != height_) {
        makeTexelStorage(texels.width, texels.height, texels.texels);
        width_ = texels.width;
        height_ = texels.height;
    } else {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width_, height_, GL_RED, GL_UNSIGNED_SHORT,
                        texels.texels);
    }
    return true;
}

GlTextureCache::~GlTextureCache() {
    for (auto& [surface, entry] : entries_) surface->Release();
}

GLuint GlTextureCache::textureOf(SoftwareSurface& surface) {
    auto found = entries_.find(&surface);
    if (found == entries_.end()) {
        surface.AddRef();
        found = entries_.try_emplace(&surface).first;
    } else if (found->second.version == surface.version() && !surface.newerElsewhere()) {
        return found->second.usable ? found->second.texture.name() : 0;
    }
    Entry& entry = found->second;
    surface.usePixels(PixelUse::kRead);
    entry.usable = entry.texture.upload(
        {surface.pixels(), surface.pitch(), surface.width(), surface.height(), surface.layout()});
    entry.version = surface.version();
    return entry.usable ? entry.texture.name() : 0;
}

void GlTextureCache::dropUnused() {
    for (auto at = entries_.begin(); at != entries_.end();) {
        SoftwareSurface* surface = at->first;
        surface->AddRef();
        const bool onlyOurs = surface->Release() == 1;
        if (!onlyOurs) {
            ++at;
            continue;
        }
        at = entries_.erase(at);  // deletes the GL texture
        surface->Release();
    }
}
