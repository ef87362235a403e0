// The display work of one frame: clear, stretched backdrop, the given objects (each with its own
// material and texture), copy to the back buffer, frame-rate text, flip. Shared by the display
// tests and the benchmark.
#pragma once

#include <cstring>
#include <vector>

#include "display/device_setup.h"
#include "platform/headless/headless_presenter.h"
#include "platform/software/software_display.h"

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
        if (FAILED(setupDevice(display, nullptr,
                               makeSoftwareDirectDrawCreate({{}, &presenter, threads, hardware})))) {
            return false;
        }
        DDSURFACEDESC2 desc;
        std::memset(&desc, 0, sizeof desc);
        desc.dwSize = kDDSurfaceDesc2Size;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        desc.dwWidth = backdropWidth;
        desc.dwHeight = backdropHeight;
        return SUCCEEDED(display.ddraw4->CreateSurface(&desc, &backdrop, nullptr));
    }
    ~FramePath() { releaseAndClear(backdrop); }
    std::vector<Object> noObjects;

    void frame(std::vector<Object>* objects = nullptr) {
        D3DRECT all{0, 0, display.screenWidth, display.screenHeight};
        display.viewport->Clear2(1, &all, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        display.device->BeginScene();
        display.renderTarget->Blt(nullptr, backdrop, nullptr, DDBLT_WAIT, nullptr);
        for (Object& object : objects != nullptr ? *objects : noObjects) {
            display.sceneMaterial->SetMaterial(&object.material);
            display.device->SetTexture(0, object.texture);
            display.device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, object.vertices.data(),
                                          static_cast<DWORD>(object.vertices.size()), 0);
        }
        display.device->EndScene();
        display.backBuffer->BltFast(0, 0, display.renderTarget, nullptr, DDBLTFAST_WAIT);
        HDC dc = nullptr;
        if (SUCCEEDED(display.backBuffer->GetDC(&dc))) {
            TextOutA(dc, 10, 10, "60", 2);
            display.backBuffer->ReleaseDC(dc);
        }
        display.primarySurface->Flip(nullptr, DDFLIP_WAIT);
    }
};
