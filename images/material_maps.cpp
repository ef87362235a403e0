#include "images/material_maps.h"

#include <SDL_image.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>

#include "images/image_limits.h"
#include "images/loaders.h"
#include "images/pcx.h"
#include "images/spr.h"
#include "images/surface_fill.h"
#include "platform/d3d.h"
#include "platform/file_input.h"
#include "platform/pixel_format.h"

namespace {

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

struct SdlSurfaceFree {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SdlSurfaceFree>;

// The device's first plain 16-bit texture format, and whether it is 5-6-5.
bool textureFormat(IDirect3DDevice3* device, DDPIXELFORMAT& format, PixelLayout& layout) {
    std::memset(&format, 0, sizeof format);
    format.dwSize = kDDPixelFormatSize;
    TextureSearch search{16, false, &format};
    device->EnumTextureFormats(textureFormatCallback, &search);
    if (format.dwRGBBitCount != 16) return false;
    const bool is565 = format.dwGBitMask == channelLayout(PixelLayout::k565).greenMask();
    layout = is565 ? PixelLayout::k565 : PixelLayout::k555;
    return true;
}

IDirectDrawSurface4* createMapTexture(DisplayObjects& display, const RgbImage& picture,
                                      IDirect3DTexture2*& texture) {
    DDSURFACEDESC2 desc = emptySurfaceDesc();
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    desc.dwWidth = static_cast<DWORD>(picture.width);
    desc.dwHeight = static_cast<DWORD>(picture.height);
    PixelLayout layout = PixelLayout::k555;
    if (!textureFormat(display.device, desc.ddpfPixelFormat, layout)) return nullptr;

    IDirectDrawSurface4* surface = nullptr;
    if (FAILED(display.ddraw4->CreateSurface(&desc, &surface, nullptr)) || surface == nullptr) {
        return nullptr;
    }
    if (FAILED(
            surface->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&texture)))) {
        surface->Release();
        return nullptr;
    }
    std::vector<std::uint16_t> texels(static_cast<std::size_t>(picture.width) * picture.height);
    for (std::size_t i = 0; i < texels.size(); ++i) {
        texels[i] =
            packPixel(layout, picture.rgb[3 * i], picture.rgb[3 * i + 1], picture.rgb[3 * i + 2]);
    }
    copyTexelsToSurface(surface, texels, picture.width, picture.height);
    return surface;
}

// Null (with a warning) when the map cannot be found or read.
IDirect3DTexture2* loadMap(DisplayObjects& display, const std::string& folder,
                           const std::string& fileName, Messages& messages) {
    const std::string path = findBesideScene(folder, fileName);
    if (path.empty()) {
        messages.warning(fileName,
                         "map not found beside the scene; its material keeps its colours");
        return nullptr;
    }
    std::vector<std::uint8_t> bytes;
    std::string error;
    RgbImage picture;
    if (readFileBytes(path, bytes, error) != FileReadResult::kOk ||
        !decodePicture(path, bytes, picture, error)) {
        messages.warning(path, error);
        return nullptr;
    }
    IDirect3DTexture2* texture = nullptr;
    IDirectDrawSurface4* surface = createMapTexture(display, picture, texture);
    if (surface == nullptr) {
        messages.warning(path, "the display cannot make the texture");
        return nullptr;
    }
    display.mapSurfaces.push_back(surface);
    display.mapTextures.push_back(texture);
    return texture;
}

}  // namespace

std::string findBesideScene(const std::string& folder, const std::string& fileName) {
    if (fileName.empty()) return {};
    namespace fs = std::filesystem;
    const fs::path base = folder.empty() ? fs::path(".") : fs::path(folder);
    std::error_code error;
    if (fs::is_regular_file(base / fileName, error)) return (base / fileName).string();
    const std::string wanted = lowered(fileName);
    std::string found;
    for (fs::directory_iterator it(base, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        // The first match in name order, so that the choice does not depend on the directory.
        if (lowered(name) == wanted &&
            (found.empty() || name < fs::path(found).filename().string())) {
            found = it->path().string();
        }
    }
    return found;
}

namespace {

bool endsWith(const std::string& name, const char* ending) {
    const std::string lower = lowered(name);
    const std::size_t n = std::strlen(ending);
    return lower.size() >= n && lower.compare(lower.size() - n, n, ending) == 0;
}

// The ".spr" picture's 5-6-5 words widened to 8-bit channels.
bool decodeSprPicture(const std::vector<std::uint8_t>& bytes, RgbImage& picture,
                      std::string& error) {
    SprImage image;
    if (!decodeSpr(bytes, image, error)) return false;
    picture.width = image.width;
    picture.height = image.height;
    picture.rgb.clear();
    picture.rgb.reserve(image.pixels.size() * 3);
    for (const std::uint16_t p : image.pixels) {
        const Rgb8 c = unpack565(p);
        picture.rgb.push_back(c.r);
        picture.rgb.push_back(c.g);
        picture.rgb.push_back(c.b);
    }
    return true;
}

bool decodeThroughSdlImage(const std::vector<std::uint8_t>& bytes, RgbImage& picture,
                           std::string& error) {
    SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    SurfacePtr decoded(stream != nullptr ? IMG_Load_RW(stream, 1) : nullptr);
    if (!decoded) {
        error = std::string("not a picture that can be read: ") + IMG_GetError();
        return false;
    }
    if (!imageSizeAcceptable(decoded->w, decoded->h) || decoded->w <= 0 || decoded->h <= 0) {
        error = "picture of " + std::to_string(decoded->w) + " x " + std::to_string(decoded->h) +
                " pixels is larger than the " + std::to_string(kMaxImagePixels) + " pixels taken";
        return false;
    }
    SurfacePtr rgb(SDL_ConvertSurfaceFormat(decoded.get(), SDL_PIXELFORMAT_RGB24, 0));
    if (!rgb) {
        error = std::string("cannot convert the picture: ") + SDL_GetError();
        return false;
    }
    picture.width = rgb->w;
    picture.height = rgb->h;
    picture.rgb.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
    for (int row = 0; row < picture.height; ++row) {
        std::memcpy(&picture.rgb[static_cast<std::size_t>(row) * picture.width * 3],
                    static_cast<const std::uint8_t*>(rgb->pixels) +
                        static_cast<std::ptrdiff_t>(row) * rgb->pitch,
                    static_cast<std::size_t>(picture.width) * 3);
    }
    return true;
}

}  // namespace

bool decodePicture(const std::string& fileName, const std::vector<std::uint8_t>& bytes,
                   RgbImage& picture, std::string& error) {
    if (endsWith(fileName, ".spr")) return decodeSprPicture(bytes, picture, error);
    if (endsWith(fileName, ".pcx")) return decodePcx(bytes, picture, error);
    return decodeThroughSdlImage(bytes, picture, error);
}

std::vector<IDirect3DTexture2*> loadMaterialMaps(DisplayObjects& display,
                                                 const AuthoredMaterials& materials,
                                                 const std::string& sceneFolder,
                                                 Messages& messages) {
    std::vector<IDirect3DTexture2*> textures(materials.looks.size(), nullptr);
    if (display.device == nullptr || display.ddraw4 == nullptr) return textures;
    std::map<std::string, IDirect3DTexture2*> byFile;  // each file once, however many looks use it
    for (std::size_t i = 0; i < materials.looks.size(); ++i) {
        const std::string& file = materials.looks[i].map;
        if (file.empty()) continue;
        auto [entry, isNew] = byFile.try_emplace(file, nullptr);
        if (isNew) entry->second = loadMap(display, sceneFolder, file, messages);
        textures[i] = entry->second;
    }
    return textures;
}
