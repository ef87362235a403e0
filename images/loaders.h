// The two picture loaders: the backdrop into backgroundSurface, the texture into a texture slot.
#pragma once

#include <cstdint>

#include "display/display_objects.h"
#include "platform/ddraw.h"
#include "platform/messages.h"

// Reads a 24-bit three-plane run-length PCX picture into display.backgroundSurface in the
// display's 16-bit layout (display.pixelIs555 / pixelIs565). A missing file leaves the surface
// empty without a message; an unusable one leaves it empty and returns a warning that says why.
Messages loadPcxBackground(DisplayObjects& display, const char* fileName);

// The context of the texture-format enumeration.
struct TextureSearch {
    DWORD bitCount;              // wanted RGB bits per pixel
    bool wantAlpha;              // whether the format must have an alpha channel
    DDPIXELFORMAT* pixelFormat;  // receives the chosen format
};

// EnumTextureFormats callback: takes the first plain RGB format of the wanted depth and alpha.
HRESULT textureFormatCallback(DDPIXELFORMAT* format, void* context);

// Reads a ".spr" picture into texture slot `slot` (textureSurfaces and textures). Returns 1 on
// success; 0 when the file is unusable or the slot is out of range (with a warning in `messages`),
// or the device cannot describe itself. On failure the slot stays empty.
int loadSprTexture(DisplayObjects& display, const char* fileName, int slot, Messages& messages);
