// A software display with a headless presenter, and helpers to make its surfaces.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "platform/d3d.h"
#include "platform/headless/headless_presenter.h"
#include "platform/software/software_display.h"

class SoftwareDisplayTest : public ::testing::Test {
  protected:
    void makeDisplay(sw::PixelLayout layout) {
        releaseDisplay();
        IDirectDraw* ddraw = nullptr;
        ASSERT_EQ(softwareDirectDrawCreate({layout, &presenter}, nullptr, &ddraw, nullptr), DD_OK);
        ASSERT_EQ(ddraw->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&ddraw4)),
                  DD_OK);
        ASSERT_EQ(ddraw->QueryInterface(IID_IDirect3D3, reinterpret_cast<void**>(&d3d)), DD_OK);
        ddraw->Release();
    }
    void SetUp() override { makeDisplay(sw::PixelLayout::k565); }
    void TearDown() override { releaseDisplay(); }
    void releaseDisplay() {
        releaseAndClear(d3d);
        releaseAndClear(ddraw4);
    }

    static DDSURFACEDESC2 describe(DWORD flags, DWORD caps, DWORD width = 0, DWORD height = 0) {
        DDSURFACEDESC2 desc;
        std::memset(&desc, 0, sizeof desc);
        desc.dwSize = kDDSurfaceDesc2Size;
        desc.dwFlags = flags;
        desc.ddsCaps.dwCaps = caps;
        desc.dwWidth = width;
        desc.dwHeight = height;
        return desc;
    }

    IDirectDrawSurface4* offscreen(DWORD width, DWORD height) {
        DDSURFACEDESC2 desc =
            describe(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_OFFSCREENPLAIN, width, height);
        IDirectDrawSurface4* surface = nullptr;
        EXPECT_EQ(ddraw4->CreateSurface(&desc, &surface, nullptr), DD_OK);
        return surface;
    }

    IDirectDrawSurface4* flippingPrimary() {
        DDSURFACEDESC2 desc =
            describe(DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                     DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE);
        desc.dwBackBufferCount = 1;
        IDirectDrawSurface4* surface = nullptr;
        EXPECT_EQ(ddraw4->CreateSurface(&desc, &surface, nullptr), DD_OK);
        return surface;
    }

    // Locks the whole surface, hands its pixels to `use`, unlocks.
    template <class Use>
    static void withPixels(IDirectDrawSurface4* surface, Use use) {
        DDSURFACEDESC2 desc;
        std::memset(&desc, 0, sizeof desc);
        desc.dwSize = kDDSurfaceDesc2Size;
        ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_SURFACEMEMORYPTR, nullptr), DD_OK);
        use(static_cast<std::uint16_t*>(desc.lpSurface), static_cast<int>(desc.lPitch / 2));
        ASSERT_EQ(surface->Unlock(nullptr), DD_OK);
    }

    HeadlessPresenter presenter;
    IDirectDraw4* ddraw4 = nullptr;
    IDirect3D3* d3d = nullptr;
};
