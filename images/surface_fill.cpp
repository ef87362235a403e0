#include "images/surface_fill.h"

#include <cstring>

bool copyTexelsToSurface(IDirectDrawSurface4* surface, const std::vector<std::uint16_t>& texels,
                         int width, int height) {
    DDSURFACEDESC2 desc = emptySurfaceDesc();
    if (FAILED(surface->Lock(nullptr, &desc, DDLOCK_SURFACEMEMORYPTR, nullptr))) return false;
    const bool fits = desc.lpSurface != nullptr && desc.dwWidth >= static_cast<DWORD>(width) &&
                      desc.dwHeight >= static_cast<DWORD>(height) &&
                      desc.lPitch >= static_cast<LONG>(width * sizeof(std::uint16_t));
    if (fits) {
        auto* base = static_cast<std::uint8_t*>(desc.lpSurface);
        for (int row = 0; row < height; ++row) {
            std::memcpy(base + static_cast<std::ptrdiff_t>(row) * desc.lPitch,
                        &texels[static_cast<std::size_t>(row) * width],
                        static_cast<std::size_t>(width) * sizeof(std::uint16_t));
        }
    }
    surface->Unlock(nullptr);
    return fits;
}
