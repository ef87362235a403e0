// The texture loader: a ".spr" picture into one texture slot, through a staging surface.
#include <algorithm>
#include <cstring>
#include <string>

#include "images/file_bytes.h"
#include "images/loaders.h"
#include "images/spr.h"
#include "images/surface_fill.h"
#include "platform/d3d.h"

namespace {

constexpr DWORD kTextureDescFlags =
    DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT | DDSD_TEXTURESTAGE;

DDSURFACEDESC2 emptyTextureDesc() {
    DDSURFACEDESC2 desc = emptySurfaceDesc();
    desc.ddpfPixelFormat.dwSize = kDDPixelFormatSize;
    return desc;
}

// The smallest power of two not below half the image side (1 for sides of 1).
DWORD halfSizePowerOfTwo(int side) {
    DWORD size = 1;
    while (static_cast<DWORD>(side / 2) > size) size *= 2;
    return size;
}

bool readTextureCaps(IDirect3DDevice3* device, DWORD& textureCaps) {
    D3DDEVICEDESC hardware;
    D3DDEVICEDESC software;
    std::memset(&hardware, 0, sizeof hardware);
    std::memset(&software, 0, sizeof software);
    hardware.dwSize = kD3DDeviceDescSize;
    software.dwSize = kD3DDeviceDescSize;
    if (FAILED(device->GetCaps(&hardware, &software))) return false;
    textureCaps = hardware.dwFlags != 0 ? hardware.dpcTriCaps.dwTextureCaps
                                        : software.dpcTriCaps.dwTextureCaps;
    return true;
}

struct TextureSize {
    DWORD width;
    DWORD height;
};

// The size the texture is made at; a device that takes any size gets the image's own.
TextureSize textureSizeFor(DWORD textureCaps, int width, int height, DDSURFACEDESC2& desc) {
    TextureSize size{static_cast<DWORD>(width), static_cast<DWORD>(height)};
    if ((textureCaps & D3DPTEXTURECAPS_POW2) != 0) {
        size = {halfSizePowerOfTwo(width), halfSizePowerOfTwo(height)};
    }
    desc.dwWidth = size.width;
    desc.dwHeight = size.height;
    if ((textureCaps & D3DPTEXTURECAPS_SQUAREONLY) != 0) {
        desc.dwWidth = desc.dwHeight = std::max(size.width, size.height);
    }
    return size;
}

IDirectDrawSurface4* createStagingSurface(IDirectDraw4* ddraw4, IDirectDrawSurface4* texture,
                                          int width, int height) {
    DDSURFACEDESC2 desc = emptyTextureDesc();
    texture->GetSurfaceDesc(&desc);
    desc.dwFlags = kTextureDescFlags;
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
    desc.ddsCaps.dwCaps2 = 0;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    IDirectDrawSurface4* staging = nullptr;
    if (FAILED(ddraw4->CreateSurface(&desc, &staging, nullptr))) return nullptr;
    return staging;
}

// Makes the texture surface and its texture view in the slot; false leaves the slot empty.
bool createTexture(DisplayObjects& display, int slot, DWORD textureCaps, const SprImage& image,
                   TextureSize& size) {
    DDSURFACEDESC2 desc = emptyTextureDesc();
    desc.dwFlags = kTextureDescFlags;
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    desc.ddsCaps.dwCaps2 = DDSCAPS2_TEXTUREMANAGE;
    desc.dwTextureStage = static_cast<DWORD>(slot);
    size = textureSizeFor(textureCaps, image.width, image.height, desc);
    TextureSearch search{16, false, &desc.ddpfPixelFormat};
    display.device->EnumTextureFormats(textureFormatCallback, &search);

    IDirectDrawSurface4* surface = nullptr;
    if (FAILED(display.ddraw4->CreateSurface(&desc, &surface, nullptr))) return false;
    IDirect3DTexture2* texture = nullptr;
    if (FAILED(
            surface->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&texture)))) {
        surface->Release();
        return false;
    }
    releaseAndClear(display.textures[slot]);
    releaseAndClear(display.textureSurfaces[slot]);
    display.textureSurfaces[slot] = surface;
    display.textures[slot] = texture;
    return true;
}

// Brings the pixels into the texture through a staging surface of the image's own size.
void fillTexture(DisplayObjects& display, int slot, const SprImage& image, TextureSize size) {
    IDirectDrawSurface4* texture = display.textureSurfaces[slot];
    IDirectDrawSurface4* staging =
        createStagingSurface(display.ddraw4, texture, image.width, image.height);
    if (staging == nullptr) return;
    copyTexelsToSurface(staging, sprPixelsTo555(image), image.width, image.height);
    RECT to{0, 0, static_cast<LONG>(size.width), static_cast<LONG>(size.height)};
    RECT from{0, 0, image.width, image.height};
    texture->Blt(&to, staging, &from, DDBLT_WAIT, nullptr);
    staging->Release();
}

}  // namespace

HRESULT textureFormatCallback(DDPIXELFORMAT* format, void* context) {
    auto* search = static_cast<TextureSearch*>(context);
    if (format == nullptr || search == nullptr) return DDENUMRET_OK;
    if ((format->dwFlags & (DDPF_LUMINANCE | DDPF_BUMPLUMINANCE | DDPF_BUMPDUDV)) != 0) {
        return DDENUMRET_OK;
    }
    if (format->dwRGBBitCount < 16 || format->dwFourCC != 0) return DDENUMRET_OK;
    const bool hasAlpha = (format->dwFlags & DDPF_ALPHAPIXELS) != 0;
    if (hasAlpha != search->wantAlpha) return DDENUMRET_OK;
    if (format->dwRGBBitCount != search->bitCount) return DDENUMRET_OK;
    std::memcpy(search->pixelFormat, format, sizeof(DDPIXELFORMAT));
    return DDENUMRET_CANCEL;
}

int loadSprTexture(DisplayObjects& display, const char* fileName, int slot, Messages& messages) {
    if (slot < 0 || slot >= kTextureSlots) {
        messages.warning(fileName, "texture slot " + std::to_string(slot) + " does not exist");
        return 0;
    }
    std::vector<std::uint8_t> file;
    std::string error;
    SprImage image;
    if (readFileBytes(fileName, file, error) != FileReadResult::kOk ||
        !decodeSpr(file, image, error)) {
        messages.warning(fileName, error);
        return 0;
    }
    file = {};
    DWORD textureCaps = 0;
    if (display.device == nullptr || display.ddraw4 == nullptr ||
        !readTextureCaps(display.device, textureCaps)) {
        return 0;
    }
    TextureSize size;
    if (!createTexture(display, slot, textureCaps, image, size)) {
        messages.warning(fileName, "the display cannot make the texture");
        return 0;
    }
    fillTexture(display, slot, image, size);
    return 1;
}
