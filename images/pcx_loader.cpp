// The backdrop loader: "12.pcx" into backgroundSurface, in the display's 16-bit layout.
#include <cstring>
#include <optional>
#include <string>

#include "images/file_bytes.h"
#include "images/loaders.h"
#include "images/pcx.h"
#include "images/surface_fill.h"

namespace {

std::optional<PixelLayout> displayLayout(const DisplayObjects& display) {
    if (display.pixelIs555) return PixelLayout::k555;
    if (display.pixelIs565) return PixelLayout::k565;
    return std::nullopt;
}

IDirectDrawSurface4* createOffscreenSurface(IDirectDraw4* ddraw4, int width, int height) {
    DDSURFACEDESC2 desc = emptySurfaceDesc();
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    IDirectDrawSurface4* surface = nullptr;
    if (FAILED(ddraw4->CreateSurface(&desc, &surface, nullptr))) return nullptr;
    return surface;
}

}  // namespace

Messages loadPcxBackground(DisplayObjects& display, const char* fileName) {
    Messages messages;
    std::vector<std::uint8_t> file;
    std::string error;
    // Without a backdrop the scene plays over black: a missing one is no error, an unreadable
    // one (a directory, a pipe, ...) is worth a line.
    const FileReadResult read = readFileBytes(fileName, file, error);
    if (read == FileReadResult::kUnreadable) messages.warning(fileName, error);
    if (read != FileReadResult::kOk) return messages;
    RgbImage picture;
    if (!decodePcx(file, picture, error)) {
        messages.warning(fileName, error);
        return messages;
    }
    file = {};  // the encoded data is no longer needed
    const std::vector<std::uint16_t> texels = rgbToTexels(picture, displayLayout(display));
    if (display.ddraw4 == nullptr) return messages;
    IDirectDrawSurface4* surface =
        createOffscreenSurface(display.ddraw4, picture.width, picture.height);
    if (surface == nullptr) {
        messages.warning(fileName, "the display cannot make a surface of this size");
        return messages;
    }
    copyTexelsToSurface(surface, texels, picture.width, picture.height);
    releaseAndClear(display.backgroundSurface);
    display.backgroundSurface = surface;
    return messages;
}
