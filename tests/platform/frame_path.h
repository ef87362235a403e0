// The display work of one frame: clear, stretched backdrop, the given objects (each with its own
// material and texture), copy to the back buffer, frame-rate text, flip. Shared by the display
// tests and the benchmark.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "display/device_setup.h"
#include "platform/headless/headless_presenter.h"
#include "platform/software/software_display.h"

// Pixels of a surface or of the presented frame, row by row.
using SurfacePixels = std::vector<std::uint16_t>;

struct FramePath {
    HeadlessPresenter presenter;
    DisplayObjects display;
    IDirectDrawSurface4* backdrop = nullptr;

    // What is drawn between the backdrop and the end of the scene: one list per object.
    struct Object {
        std::vector<D3DVERTEX> vertices;
        D3DMATERIAL material;
        IDirect3DTexture2* texture = nullptr;  // not owned
    };

    // False when the display cannot be brought up. With `hardware` the set-up finds that device.
    bool bringUp(DWORD backdropWidth, DWORD backdropHeight, int threads = 1,
                 HardwareDeviceMaker* hardware = nullptr) {
        if (FAILED(
                setupDevice(display, nullptr,
                            makeSoftwareDirectDrawCreate({{}, &presenter, threads, hardware})))) {
            return false;
        }
        backdrop = offscreen(backdropWidth, backdropHeight);
        return backdrop != nullptr;
    }
    // A plain surface of the display, or null.
    IDirectDrawSurface4* offscreen(DWORD width, DWORD height) {
        DDSURFACEDESC2 desc;
        std::memset(&desc, 0, sizeof desc);
        desc.dwSize = kDDSurfaceDesc2Size;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        desc.dwWidth = width;
        desc.dwHeight = height;
        IDirectDrawSurface4* surface = nullptr;
        return SUCCEEDED(display.ddraw4->CreateSurface(&desc, &surface, nullptr)) ? surface
                                                                                  : nullptr;
    }
    ~FramePath() { releaseAndClear(backdrop); }
    std::vector<Object> noObjects;

    void frame(std::vector<Object>* objects = nullptr) {
        begin();
        for (Object& object : objects != nullptr ? *objects : noObjects) {
            display.sceneMaterial->SetMaterial(&object.material);
            display.device->SetTexture(0, object.texture);
            display.device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, object.vertices.data(),
                                          static_cast<DWORD>(object.vertices.size()), 0);
        }
        display.device->EndScene();
        present("60");
    }

    // The start of a frame: clear, scene begun, backdrop stretched over the target.
    void begin() {
        D3DRECT all{0, 0, display.screenWidth, display.screenHeight};
        display.viewport->Clear2(1, &all, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        display.device->BeginScene();
        display.renderTarget->Blt(nullptr, backdrop, nullptr, DDBLT_WAIT, nullptr);
    }

    // The end of a frame after its scene: copy to the back buffer, the two-digit text, the flip.
    void present(const char (&text)[3]) {
        display.backBuffer->BltFast(0, 0, display.renderTarget, nullptr, DDBLTFAST_WAIT);
        HDC dc = nullptr;
        if (SUCCEEDED(display.backBuffer->GetDC(&dc))) {
            TextOutA(dc, 10, 10, text, 2);
            display.backBuffer->ReleaseDC(dc);
        }
        display.primarySurface->Flip(nullptr, DDFLIP_WAIT);
    }

    // What the presenter shows, row by row.
    SurfacePixels shown() const {
        SurfacePixels pixels;
        pixels.reserve(static_cast<std::size_t>(display.screenWidth) * display.screenHeight);
        for (int y = 0; y < display.screenHeight; ++y)
            for (int x = 0; x < display.screenWidth; ++x) pixels.push_back(presenter.pixel(x, y));
        return pixels;
    }
};

// For the tests that compare what two ways of drawing leave in surfaces.

// Every pixel row of the surface, pitch included; empty when it cannot be locked.
inline SurfacePixels copyOf(IDirectDrawSurface4* surface) {
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = kDDSurfaceDesc2Size;
    SurfacePixels pixels;
    if (FAILED(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr))) return pixels;
    const auto* p = static_cast<const std::uint16_t*>(desc.lpSurface);
    pixels.assign(p, p + desc.lPitch / 2 * desc.dwHeight);
    surface->Unlock(nullptr);
    return pixels;
}

// Fills the surface with a pattern that differs with the seed; false when it cannot be locked.
inline bool paint(IDirectDrawSurface4* surface, int seed) {
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = kDDSurfaceDesc2Size;
    if (FAILED(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr))) return false;
    auto* p = static_cast<std::uint16_t*>(desc.lpSurface);
    for (DWORD y = 0; y < desc.dwHeight; ++y)
        for (DWORD x = 0; x < desc.dwWidth; ++x)
            p[y * desc.lPitch / 2 + x] = static_cast<std::uint16_t>((x * 37 + y * 11) * seed);
    surface->Unlock(nullptr);
    return true;
}

// A coloured material; shiny ones have a specular highlight, the others a power of zero.
inline D3DMATERIAL testMaterial(float r, float g, float b, bool shiny) {
    D3DMATERIAL m;
    std::memset(&m, 0, sizeof m);
    m.dwSize = kD3DMaterialSize;
    m.diffuse = {r, g, b, 0};
    m.ambient = {r / 4, g / 4, b / 4, 0};
    m.emissive = {0.15f, 0.15f, 0.15f, 0};
    if (shiny) m.specular = {0.9f, 0.9f, 0.9f, 0};
    m.power = shiny ? 12 : 0;
    return m;
}
