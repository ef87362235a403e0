// A texture of the OpenGL device: the surface's 16-bit texels as they are (the pixel shader
// splits the channels and does the addressing, as the software rasterizer does), and the cache
// that keeps one such texture per surface, renewed when the surface's pixels change. The texels
// are kept as 16-bit normalised values, which every driver samples quickly (integer textures are
// slow on some); k / 65535 comes back exactly, and times 65535 rounds back to k.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <map>

#include "platform/raster/raster.h"

class SoftwareSurface;

class GlTexture {
  public:
    GlTexture() = default;
    ~GlTexture();
    GlTexture(const GlTexture&) = delete;
    GlTexture& operator=(const GlTexture&) = delete;

    // Uploads the texels; false when the driver cannot hold a texture of that size.
    bool upload(const sw::TextureView& texels);
    GLuint name() const { return name_; }

  private:
    GLuint name_ = 0;
    int width_ = 0;
    int height_ = 0;
};

class GlTextureCache {
  public:
    GlTextureCache() = default;
    ~GlTextureCache();
    GlTextureCache(const GlTextureCache&) = delete;
    GlTextureCache& operator=(const GlTextureCache&) = delete;

    // The texture of `surface`, uploaded when its pixels changed since the last time; 0 when it
    // cannot be made (the draw is then untextured).
    GLuint textureOf(SoftwareSurface& surface);
    // Drops the textures of surfaces that nobody but the cache holds any more.
    void dropUnused();

  private:
    struct Entry {
        GlTexture texture;
        std::uint64_t version = 0;
        bool usable = false;
    };
    std::map<SoftwareSurface*, Entry> entries_;  // each key holds a reference
};
