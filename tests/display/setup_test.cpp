#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "display/device_setup.h"
#include "platform/headless/headless_presenter.h"
#include "platform/software/software_display.h"
#include "tests/support/recording_display.h"

namespace {

HWND const kWindow = reinterpret_cast<HWND>(0x1234);

class DeviceSetup : public ::testing::Test {
  protected:
    DeviceSetup() { fake.hardwareZFormats = {zFormat(DDPF_ZBUFFER, 16)}; }

    HRESULT runSetup() { return setupDevice(display, kWindow, fake.creator()); }

    RecordingDisplay fake;  // outlives the display objects that point into it
    DisplayObjects display;
};

TEST_F(DeviceSetup, CallsThePlatformInTheFixedOrder) {
    ASSERT_EQ(runSetup(), DD_OK);
    const std::vector<std::string> expected = {
        "DirectDrawCreate",
        "QueryInterface(IDirectDraw4)",
        "SetCooperativeLevel(0x11)",
        "SetDisplayMode(640,480,16,0,0)",
        "CreateSurface(primary,0x21,0x2218)",
        "primary.GetAttachedSurface(0x4)",
        "CreateSurface(target,0x7,0x2040)",
        "CreateClipper",
        "SetHWnd",
        "primary.SetClipper",
        "QueryInterface(IDirect3D3)",
        "EnumZBufferFormats(HAL)",
        "CreateSurface(zbuffer,0x1007,0x24000)",
        "target.AddAttachedSurface(zbuffer)",
        "CreateDevice(HAL,target)",
        "CreateViewport",
        "device.AddViewport",
        "viewport.SetViewport2",
        "device.SetCurrentViewport",
        "device.GetDirect3D",
        "CreateMaterial",
        "material.SetMaterial",
        "material.GetHandle",
        "device.SetLightState(1,42)",
        "CreateLight",
        "light.SetLight",
        "viewport.AddLight",
        "device.SetRenderState(7,1)",
        "device.SetRenderState(4,1)",
        "device.SetRenderState(3,2)",
        "device.SetRenderState(26,1)",
        "device.SetRenderState(29,1)",
        "device.SetRenderState(9,2)",
        "device.SetTransform(1)",
        "device.SetTransform(3)",
        "device.SetTransform(2)",
    };
    EXPECT_EQ(fake.calls, expected);
    EXPECT_NE(display.backBuffer, nullptr);
    EXPECT_NE(display.zBuffer, nullptr);
    EXPECT_NE(display.sceneLight, nullptr);
}

TEST_F(DeviceSetup, FillsTheRecordsWithTheFixedValues) {
    ASSERT_EQ(runSetup(), DD_OK);
    const D3DVIEWPORT2& v = fake.device.viewportValues;
    EXPECT_EQ(v.dwSize, 44u);
    EXPECT_EQ(v.dwWidth, 640u);
    EXPECT_EQ(v.dwHeight, 480u);
    EXPECT_EQ(v.dvClipX, -1.0f);
    EXPECT_EQ(v.dvClipY, 1.0f);
    EXPECT_EQ(v.dvClipWidth, 2.0f);
    EXPECT_EQ(v.dvClipHeight, 2.0f);
    EXPECT_EQ(v.dvMaxZ, 1.0f);

    ASSERT_EQ(fake.device.materials.size(), 1u);
    const D3DMATERIAL& m = fake.device.materials[0];
    EXPECT_EQ(m.dwSize, 80u);
    EXPECT_EQ(m.diffuse.r, 1.0f);
    EXPECT_EQ(m.diffuse.a, 0.0f);
    EXPECT_EQ(m.ambient.g, 1.0f);
    EXPECT_EQ(m.specular.b, 0.0f);
    EXPECT_EQ(m.emissive.r, 0.5f);

    const D3DLIGHT& l = fake.device.lightValues;
    EXPECT_EQ(l.dwSize, 76u);
    EXPECT_EQ(l.dltType, D3DLIGHT_PARALLELPOINT);
    EXPECT_EQ(l.dvPosition.y, 10.0f);
    EXPECT_EQ(l.dvAttenuation0, 1.0f);

    ASSERT_EQ(fake.device.transforms.size(), 3u);
    const D3DMATRIX& projection = fake.device.transforms[1];
    EXPECT_EQ(projection._11, 2.5f);
    EXPECT_EQ(projection._22, 2.5f);
    EXPECT_EQ(projection._33, 1.0f);
    EXPECT_EQ(projection._34, 1.0f);
    EXPECT_EQ(projection._43, -1.0f);
    EXPECT_EQ(projection._44, 0.0f);
    // The view looks from (300, 300, 300) at the origin: the origin lands on the view's z axis.
    const D3DMATRIX& view = fake.device.transforms[2];
    EXPECT_NEAR(view._41, 0.0f, 1e-3f);
    EXPECT_NEAR(view._42, 0.0f, 1e-3f);
    EXPECT_NEAR(view._43, std::sqrt(3.0f) * 300.0f, 1e-2f);
    EXPECT_EQ(display.eyePoint.x, 300.0f);
    EXPECT_EQ(display.upVector.y, 0.0f);

    const DDPIXELFORMAT& z = fake.surfaceNamed("zbuffer")->desc().ddpfPixelFormat;
    EXPECT_EQ(z.dwSize, 32u);
    EXPECT_EQ(z.dwZBufferBitDepth, 16u);
}

TEST_F(DeviceSetup, OnlyStencilZFormatsFailTheSetUp) {
    fake.hardwareZFormats = {zFormat(DDPF_ZBUFFER | DDPF_STENCILBUFFER, 16),
                             zFormat(DDPF_ZBUFFER | DDPF_STENCILBUFFER, 32)};
    fake.softwareZFormats = {zFormat(DDPF_ZBUFFER, 16)};
    EXPECT_EQ(runSetup(), E_FAIL);
    // A hardware enumeration that ran does not lead to the software one.
    EXPECT_EQ(fake.calls.back(), "EnumZBufferFormats(HAL)");
    EXPECT_EQ(fake.surfaceNamed("zbuffer"), nullptr);
}

TEST_F(DeviceSetup, TheFirstPureFormatWinsOverEarlierStencilOnes) {
    fake.hardwareZFormats = {zFormat(DDPF_ZBUFFER | DDPF_STENCILBUFFER, 32),
                             zFormat(DDPF_ZBUFFER, 24), zFormat(DDPF_ZBUFFER, 16)};
    ASSERT_EQ(runSetup(), DD_OK);
    EXPECT_EQ(fake.surfaceNamed("zbuffer")->desc().ddpfPixelFormat.dwZBufferBitDepth, 24u);
}

TEST_F(DeviceSetup, HardwareZWithoutAHardwareDeviceGivesVideoMemoryZAndTheSoftwareDevice) {
    fake.hardwareDeviceFails = true;
    ASSERT_EQ(runSetup(), DD_OK);
    EXPECT_EQ(fake.surfaceNamed("zbuffer")->desc().ddsCaps.dwCaps,
              DDSCAPS_ZBUFFER | DDSCAPS_VIDEOMEMORY);
    const auto hal = std::find(fake.calls.begin(), fake.calls.end(), "CreateDevice(HAL,target)");
    ASSERT_NE(hal, fake.calls.end());
    EXPECT_EQ(*(hal + 1), "CreateDevice(RGB,target)");
    EXPECT_NE(display.device, nullptr);
}

TEST_F(DeviceSetup, WithoutHardwareZTheSoftwareFormatGoesToSystemMemory) {
    fake.hardwareZEnumerationFails = true;
    fake.softwareZFormats = {zFormat(DDPF_ZBUFFER, 16)};
    ASSERT_EQ(runSetup(), DD_OK);
    const auto hal = std::find(fake.calls.begin(), fake.calls.end(), "EnumZBufferFormats(HAL)");
    ASSERT_NE(hal, fake.calls.end());
    EXPECT_EQ(*(hal + 1), "EnumZBufferFormats(RGB)");
    EXPECT_EQ(fake.surfaceNamed("zbuffer")->desc().ddsCaps.dwCaps,
              DDSCAPS_ZBUFFER | DDSCAPS_SYSTEMMEMORY);
}

TEST_F(DeviceSetup, NoThreeDInterfaceOrNoMaterialFailsTheSetUp) {
    fake.getDirect3DFails = true;
    EXPECT_EQ(runSetup(), E_FAIL);
    EXPECT_EQ(fake.calls.back(), "device.GetDirect3D");

    RecordingDisplay noMaterial;
    noMaterial.hardwareZFormats = {zFormat(DDPF_ZBUFFER, 16)};
    noMaterial.createMaterialFails = true;
    {
        DisplayObjects other;
        EXPECT_EQ(setupDevice(other, kWindow, noMaterial.creator()), E_FAIL);
        EXPECT_EQ(noMaterial.calls.back(), "CreateMaterial");
    }
}

TEST_F(DeviceSetup, TheReferenceFromGetDirect3DIsGivenBack) {
    ASSERT_EQ(runSetup(), DD_OK);
    // Seven interfaces are held (display, 2D, 3D, device, viewport, material, light); the clipper's
    // and GetDirect3D's references were given back during the set-up.
    EXPECT_EQ(fake.references, 1 + 7);
    display.releaseAll();
    EXPECT_EQ(fake.references, 1);
}

TEST(ZBufferFormatCallback, TakesOnlyAPureZBufferFormat) {
    DDPIXELFORMAT chosen{};
    DDPIXELFORMAT stencil = zFormat(DDPF_ZBUFFER | DDPF_STENCILBUFFER, 16);
    EXPECT_EQ(zBufferFormatCallback(&stencil, &chosen), D3DENUMRET_OK);
    EXPECT_EQ(chosen.dwSize, 0u);
    DDPIXELFORMAT rgb = zFormat(DDPF_RGB, 16);
    EXPECT_EQ(zBufferFormatCallback(&rgb, &chosen), D3DENUMRET_OK);
    DDPIXELFORMAT pure = zFormat(DDPF_ZBUFFER, 16);
    pure.dwZBitMask = 0xFFFF;
    EXPECT_EQ(zBufferFormatCallback(&pure, &chosen), D3DENUMRET_CANCEL);
    EXPECT_EQ(std::memcmp(&chosen, &pure, sizeof pure), 0);
}

TEST(SoftwareSetUp, BringsUpTheSoftwareDisplayAndProbesItsLayout) {
    for (sw::PixelLayout layout : {sw::PixelLayout::k565, sw::PixelLayout::k555}) {
        HeadlessPresenter presenter;
        DisplayObjects display;
        ASSERT_EQ(setupDevice(display, kWindow, makeSoftwareDirectDrawCreate({layout, &presenter})),
                  DD_OK);
        const bool is565 = layout == sw::PixelLayout::k565;
        EXPECT_EQ(probePixelFormat(display.backBuffer), is565 ? 6 : 5);
        probeDisplayPixelFormat(display);
        EXPECT_EQ(display.pixelIs565, is565);
        EXPECT_EQ(display.pixelIs555, !is565);
        ASSERT_NE(display.zBuffer, nullptr);
        DDSURFACEDESC2 desc{};
        desc.dwSize = kDDSurfaceDesc2Size;
        ASSERT_EQ(display.zBuffer->GetSurfaceDesc(&desc), DD_OK);
        EXPECT_EQ(desc.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY, DDSCAPS_SYSTEMMEMORY);
    }
}

TEST(SoftwareSetUp, OneFrameFlowsFromClearToThePresenter) {
    HeadlessPresenter presenter;
    DisplayObjects display;
    ASSERT_EQ(setupDevice(display, kWindow, makeSoftwareDirectDrawCreate({{}, &presenter})), DD_OK);
    D3DRECT all{0, 0, 640, 480};
    ASSERT_EQ(
        display.viewport->Clear2(1, &all, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x0000FF00, 1.0f, 0),
        D3D_OK);
    ASSERT_EQ(display.device->BeginScene(), D3D_OK);
    ASSERT_EQ(display.device->EndScene(), D3D_OK);
    ASSERT_EQ(display.backBuffer->BltFast(0, 0, display.renderTarget, nullptr, DDBLTFAST_WAIT),
              DD_OK);
    HDC dc = nullptr;
    ASSERT_EQ(display.backBuffer->GetDC(&dc), DD_OK);
    TextOutA(dc, 10, 10, "1", 1);
    display.backBuffer->ReleaseDC(dc);
    ASSERT_EQ(display.primarySurface->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    ASSERT_TRUE(presenter.hasFrame());
    EXPECT_EQ(presenter.pixel(0, 0), 0x07E0);
    EXPECT_EQ(presenter.pixel(10, 10), 0xFFFF);  // the text cell's paper
}

}  // namespace

namespace {

TEST(SoftwareSetUp, DrawsThroughTheRasterizerWithTheSetUpState) {
    DisplayObjects display;
    ASSERT_EQ(setupDevice(display, kWindow, makeSoftwareDirectDrawCreate({})), DD_OK);
    D3DRECT all{0, 0, 640, 480};
    display.viewport->Clear2(1, &all, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    display.device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    // A triangle around the origin, square to the line of sight from (300, 300, 300).
    const D3DVECTOR normal{0.577f, 0.577f, 0.577f};
    D3DVERTEX triangle[3] = {{{100, -100, 0}, normal, 0, 0},
                             {{0, 100, -100}, normal, 1, 0},
                             {{-100, 0, 100}, normal, 0, 1}};
    ASSERT_EQ(display.device->BeginScene(), D3D_OK);
    ASSERT_EQ(display.device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, triangle, 3, 0),
              D3D_OK);
    ASSERT_EQ(display.device->EndScene(), D3D_OK);
    auto centre = [](IDirectDrawSurface4* surface) {
        DDSURFACEDESC2 desc{};
        desc.dwSize = kDDSurfaceDesc2Size;
        EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_SURFACEMEMORYPTR, nullptr), DD_OK);
        const auto* row = reinterpret_cast<const std::uint16_t*>(
            static_cast<const std::uint8_t*>(desc.lpSurface) + 240 * desc.lPitch);
        const std::uint16_t value = row[320];
        surface->Unlock(nullptr);
        return value;
    };
    EXPECT_NE(centre(display.renderTarget), 0);  // lit, or at least emissive grey
    EXPECT_LT(centre(display.zBuffer), 0xFFFF);
}

}  // namespace
