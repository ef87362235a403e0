#include <gtest/gtest.h>

#include <vector>

#include "tests/platform/software_fixture.h"

namespace {

std::vector<DDPIXELFORMAT>* collected = nullptr;

HRESULT collectFormat(DDPIXELFORMAT* format, void*) {
    collected->push_back(*format);
    return D3DENUMRET_OK;
}

class SoftwareDevice3D : public SoftwareDisplayTest {
  protected:
    void SetUp() override {
        SoftwareDisplayTest::SetUp();
        target = offscreen(8, 4);
        DDSURFACEDESC2 zDesc =
            describe(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_ZBUFFER, 8, 4);
        ASSERT_EQ(ddraw4->CreateSurface(&zDesc, &zBuffer, nullptr), DD_OK);
        ASSERT_EQ(target->AddAttachedSurface(zBuffer), DD_OK);
        ASSERT_EQ(d3d->CreateDevice(IID_IDirect3DRGBDevice, target, &device, nullptr), D3D_OK);
        ASSERT_EQ(d3d->CreateViewport(&viewport, nullptr), D3D_OK);
        ASSERT_EQ(device->AddViewport(viewport), D3D_OK);
        ASSERT_EQ(device->SetCurrentViewport(viewport), D3D_OK);
    }
    void TearDown() override {
        releaseAndClear(viewport);
        releaseAndClear(device);
        releaseAndClear(zBuffer);
        releaseAndClear(target);
        SoftwareDisplayTest::TearDown();
    }

    IDirectDrawSurface4* target = nullptr;
    IDirectDrawSurface4* zBuffer = nullptr;
    IDirect3DDevice3* device = nullptr;
    IDirect3DViewport3* viewport = nullptr;
};

TEST_F(SoftwareDevice3D, AnswersAsAMachineWithoutThreeDHardware) {
    std::vector<DDPIXELFORMAT> formats;
    collected = &formats;
    EXPECT_TRUE(FAILED(d3d->EnumZBufferFormats(IID_IDirect3DHALDevice, collectFormat, nullptr)));
    EXPECT_TRUE(formats.empty());
    EXPECT_EQ(d3d->EnumZBufferFormats(IID_IDirect3DRGBDevice, collectFormat, nullptr), D3D_OK);
    ASSERT_EQ(formats.size(), 1u);
    EXPECT_EQ(formats[0].dwSize, 32u);
    EXPECT_EQ(formats[0].dwFlags, DDPF_ZBUFFER);
    EXPECT_EQ(formats[0].dwZBufferBitDepth, 16u);

    IDirect3DDevice3* hardware = nullptr;
    EXPECT_TRUE(FAILED(d3d->CreateDevice(IID_IDirect3DHALDevice, target, &hardware, nullptr)));
    EXPECT_EQ(hardware, nullptr);

    D3DDEVICEDESC hal{};
    D3DDEVICEDESC hel{};
    hal.dwSize = hel.dwSize = kD3DDeviceDescSize;
    ASSERT_EQ(device->GetCaps(&hal, &hel), D3D_OK);
    EXPECT_EQ(hal.dwFlags, 0u);
    EXPECT_NE(hel.dwFlags, 0u);
    EXPECT_EQ(hel.dpcTriCaps.dwTextureCaps & (D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY),
              0u);
    hal.dwSize = 100;
    EXPECT_EQ(device->GetCaps(&hal, &hel), DDERR_INVALIDPARAMS);

    formats.clear();
    EXPECT_EQ(device->EnumTextureFormats(collectFormat, nullptr), D3D_OK);
    ASSERT_GE(formats.size(), 1u);
    EXPECT_EQ(formats[0].dwFlags, DDPF_RGB);
    EXPECT_EQ(formats[0].dwRGBBitCount, 16u);
    EXPECT_EQ(formats[0].dwRBitMask, 0x7C00u);
    collected = nullptr;
}

TEST_F(SoftwareDevice3D, Clear2FillsColourAndFarthestDepthInsideTheRectangle) {
    D3DRECT rect{2, 1, 20, 3};  // reaches past the surface's right edge
    ASSERT_EQ(viewport->Clear2(1, &rect, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00FF0000, 1.0f, 0),
              D3D_OK);
    withPixels(target, [](std::uint16_t* p, int pitch) {
        EXPECT_EQ(p[0], 0);
        EXPECT_EQ(p[pitch + 2], 0xF800);
        EXPECT_EQ(p[2 * pitch + 7], 0xF800);
        EXPECT_EQ(p[3 * pitch + 7], 0);
    });
    withPixels(zBuffer, [](std::uint16_t* p, int pitch) {
        EXPECT_EQ(p[pitch + 1], 0);
        EXPECT_EQ(p[pitch + 2], 0xFFFF);
        EXPECT_EQ(p[2 * pitch + 7], 0xFFFF);
    });
    D3DRECT all{0, 0, 8, 4};
    ASSERT_EQ(viewport->Clear2(1, &all, D3DCLEAR_ZBUFFER, 0, 0.0f, 0), D3D_OK);
    withPixels(zBuffer, [](std::uint16_t* p, int pitch) { EXPECT_EQ(p[pitch + 2], 0); });
    withPixels(target, [](std::uint16_t* p, int pitch) { EXPECT_EQ(p[pitch + 2], 0xF800); });
}

// A clear of the whole surface is kept until the pixels are used; whatever uses them next must
// see it, except what replaces every pixel.
TEST_F(SoftwareDevice3D, AWholeClearShowsToEveryUseButAWholeReplacement) {
    D3DRECT all{0, 0, 8, 4};
    const auto clear = [&](D3DCOLOR colour) {
        ASSERT_EQ(viewport->Clear2(1, &all, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0),
                  D3D_OK);
    };
    IDirectDrawSurface4* other = offscreen(8, 4);
    withPixels(other, [](std::uint16_t* p, int pitch) {
        for (int i = 0; i < 4 * pitch; ++i) p[i] = 0x1234;
    });
    clear(0x00FF0000);
    clear(0x0000FF00);  // the later clear wins
    withPixels(target, [](std::uint16_t* p, int pitch) { EXPECT_EQ(p[pitch + 3], 0x07E0); });

    clear(0x00FF0000);
    ASSERT_EQ(target->Blt(nullptr, other, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    withPixels(target, [](std::uint16_t* p, int pitch) { EXPECT_EQ(p[3 * pitch + 7], 0x1234); });
    withPixels(zBuffer, [](std::uint16_t* p, int pitch) { EXPECT_EQ(p[3 * pitch + 7], 0xFFFF); });

    clear(0x00FF0000);
    RECT corner{0, 0, 2, 2};
    ASSERT_EQ(target->Blt(&corner, other, &corner, DDBLT_WAIT, nullptr), DD_OK);
    withPixels(target, [](std::uint16_t* p, int pitch) {
        EXPECT_EQ(p[pitch + 1], 0x1234);
        EXPECT_EQ(p[pitch + 2], 0xF800);
    });

    clear(0x000000FF);  // read as a source, then drawn over through a device context
    ASSERT_EQ(other->BltFast(0, 0, target, nullptr, DDBLTFAST_WAIT), DD_OK);
    withPixels(other, [](std::uint16_t* p, int pitch) { EXPECT_EQ(p[2 * pitch + 5], 0x001F); });
    clear(0x00FF0000);
    HDC dc = nullptr;
    ASSERT_EQ(target->GetDC(&dc), DD_OK);
    SetPixel(dc, 0, 0, RGB(0, 0, 255));
    ASSERT_EQ(target->ReleaseDC(dc), DD_OK);
    withPixels(target, [](std::uint16_t* p, int pitch) {
        EXPECT_EQ(p[0], 0x001F);
        EXPECT_EQ(p[pitch], 0xF800);
    });
    other->Release();
}

TEST_F(SoftwareDevice3D, DrawingNeedsASceneATriangleListAndTheVertexLayout) {
    D3DVERTEX triangle[3] = {{{0, 0, 2}, {0, 0, -1}, 0, 0},
                             {{1, 0, 2}, {0, 0, -1}, 1, 0},
                             {{0, 1, 2}, {0, 0, -1}, 0, 1}};
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, triangle, 3, 0),
              D3DERR_SCENE_NOT_IN_SCENE);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_SCENE_IN_SCENE);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_VERTEX, triangle, 3, 0),
              D3DERR_INVALIDPRIMITIVETYPE);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_XYZ, triangle, 3, 0),
              D3DERR_INVALIDVERTEXTYPE);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, nullptr, 3, 0),
              DDERR_INVALIDPARAMS);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, triangle, 3, 0), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3DERR_SCENE_NOT_IN_SCENE);
}

TEST_F(SoftwareDevice3D, StateObjectsAreKeptAliveByWhatHoldsThem) {
    IDirect3DMaterial3* material = nullptr;
    IDirect3DLight* light = nullptr;
    ASSERT_EQ(d3d->CreateMaterial(&material, nullptr), D3D_OK);
    ASSERT_EQ(d3d->CreateLight(&light, nullptr), D3D_OK);
    D3DMATERIALHANDLE handle = 0;
    ASSERT_EQ(material->GetHandle(device, &handle), D3D_OK);
    EXPECT_NE(handle, 0u);
    EXPECT_EQ(device->SetLightState(D3DLIGHTSTATE_MATERIAL, handle), D3D_OK);
    ASSERT_EQ(viewport->AddLight(light), D3D_OK);
    light->Release();  // the viewport keeps it

    IDirectDrawSurface4* texture = offscreen(2, 2);
    IDirect3DTexture2* view = nullptr;
    ASSERT_EQ(texture->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&view)),
              DD_OK);
    ASSERT_EQ(device->SetTexture(0, view), D3D_OK);
    view->Release();
    texture->Release();  // the device keeps the texture

    IDirect3D3* again = nullptr;
    ASSERT_EQ(device->GetDirect3D(&again), D3D_OK);
    EXPECT_EQ(again, d3d);
    again->Release();

    ASSERT_EQ(device->BeginScene(), D3D_OK);
    D3DVERTEX triangle[3] = {{{0, 0, 2}, {0, 0, -1}, 0, 0},
                             {{1, 0, 2}, {0, 0, -1}, 1, 0},
                             {{0, 1, 2}, {0, 0, -1}, 0, 1}};
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, triangle, 3, 0), D3D_OK);
    material->Release();  // a handle to a released material draws with the default one
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, triangle, 3, 0), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->SetTexture(0, nullptr), D3D_OK);
}

TEST_F(SoftwareDevice3D, AZBufferSmallerThanItsTargetIsRefused) {
    IDirectDrawSurface4* other = offscreen(8, 4);
    IDirectDrawSurface4* small = nullptr;
    DDSURFACEDESC2 zDesc = describe(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_ZBUFFER, 4, 4);
    ASSERT_EQ(ddraw4->CreateSurface(&zDesc, &small, nullptr), DD_OK);
    EXPECT_EQ(other->AddAttachedSurface(small), DDERR_INVALIDPARAMS);
    small->Release();
    other->Release();
}

}  // namespace
