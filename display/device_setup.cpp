#include "display/device_setup.h"

#include <cstring>

#include "platform/d3d.h"
#include "prep/math.h"

namespace {

constexpr DWORD kDisplayBitDepth = 16;

// Each stage of the bring-up; the results of all calls but the three fatal steps are ignored.

void createDisplayObject(DisplayObjects& display, const DirectDrawCreateFunction& create) {
    create(nullptr, &display.ddraw, nullptr);
    if (display.ddraw == nullptr) return;
    display.ddraw->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&display.ddraw4));
}

void enterFullScreen(DisplayObjects& display, HWND window) {
    display.ddraw4->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
    display.ddraw4->SetDisplayMode(display.screenWidth, display.screenHeight, kDisplayBitDepth, 0,
                                   0);
}

void createFlippingPrimary(DisplayObjects& display) {
    DDSURFACEDESC2 desc = emptySurfaceDesc();
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps =
        DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    desc.dwBackBufferCount = 1;
    display.ddraw4->CreateSurface(&desc, &display.primarySurface, nullptr);
    if (display.primarySurface == nullptr) return;
    DDSCAPS2 caps{};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    display.primarySurface->GetAttachedSurface(&caps, &display.backBuffer);
}

void createRenderTarget(DisplayObjects& display) {
    DDSURFACEDESC2 desc = emptySurfaceDesc();
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
    desc.dwWidth = display.screenWidth;
    desc.dwHeight = display.screenHeight;
    display.ddraw4->CreateSurface(&desc, &display.renderTarget, nullptr);
}

void attachClipper(DisplayObjects& display, HWND window) {
    IDirectDrawClipper* clipper = nullptr;
    display.ddraw4->CreateClipper(0, &clipper, nullptr);
    if (clipper == nullptr) return;
    clipper->SetHWnd(0, window);
    if (display.primarySurface != nullptr) display.primarySurface->SetClipper(clipper);
    clipper->Release();  // the primary keeps its own reference
}

struct ZBufferChoice {
    DDPIXELFORMAT format;
    bool hardwareEnumerationRan;
};

ZBufferChoice chooseZBufferFormat(IDirect3D3* d3d) {
    ZBufferChoice choice;
    std::memset(&choice.format, 0, sizeof choice.format);
    const HRESULT hardware =
        d3d->EnumZBufferFormats(IID_IDirect3DHALDevice, zBufferFormatCallback, &choice.format);
    choice.hardwareEnumerationRan = SUCCEEDED(hardware);
    if (FAILED(hardware)) {
        d3d->EnumZBufferFormats(IID_IDirect3DRGBDevice, zBufferFormatCallback, &choice.format);
    }
    return choice;
}

void createZBuffer(DisplayObjects& display, const ZBufferChoice& choice) {
    DDSURFACEDESC2 desc = emptySurfaceDesc();
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    desc.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | (choice.hardwareEnumerationRan ? DDSCAPS_VIDEOMEMORY
                                                                           : DDSCAPS_SYSTEMMEMORY);
    desc.dwWidth = display.screenWidth;
    desc.dwHeight = display.screenHeight;
    desc.ddpfPixelFormat = choice.format;
    display.ddraw4->CreateSurface(&desc, &display.zBuffer, nullptr);
    if (display.renderTarget != nullptr && display.zBuffer != nullptr) {
        display.renderTarget->AddAttachedSurface(display.zBuffer);
    }
}

void createDevice(DisplayObjects& display) {
    const HRESULT hardware = display.d3d->CreateDevice(IID_IDirect3DHALDevice, display.renderTarget,
                                                       &display.device, nullptr);
    if (FAILED(hardware)) {
        display.device = nullptr;
        display.d3d->CreateDevice(IID_IDirect3DRGBDevice, display.renderTarget, &display.device,
                                  nullptr);
    }
}

void createViewport(DisplayObjects& display) {
    D3DVIEWPORT2 values;
    std::memset(&values, 0, sizeof values);
    values.dwSize = kD3DViewport2Size;
    values.dwWidth = display.screenWidth;
    values.dwHeight = display.screenHeight;
    values.dvClipX = -1.0f;
    values.dvClipY = 1.0f;
    values.dvClipWidth = 2.0f;
    values.dvClipHeight = 2.0f;
    values.dvMinZ = 0.0f;
    values.dvMaxZ = 1.0f;
    display.d3d->CreateViewport(&display.viewport, nullptr);
    if (display.viewport == nullptr || display.device == nullptr) return;
    display.device->AddViewport(display.viewport);
    display.viewport->SetViewport2(&values);
    display.device->SetCurrentViewport(display.viewport);
}

// Fatal steps 2 and 3: the device's own 3D interface must answer and give a material.
bool createSceneMaterial(DisplayObjects& display) {
    IDirect3D3* deviceD3D = nullptr;
    if (display.device == nullptr || FAILED(display.device->GetDirect3D(&deviceD3D))) return false;
    deviceD3D->Release();  // display.d3d holds the interface for the rest of the run
    return SUCCEEDED(deviceD3D->CreateMaterial(&display.sceneMaterial, nullptr)) &&
           display.sceneMaterial != nullptr;
}

void setSceneMaterial(DisplayObjects& display) {
    D3DMATERIAL material;
    std::memset(&material, 0, sizeof material);
    material.dwSize = kD3DMaterialSize;
    material.diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    material.ambient = {1.0f, 1.0f, 1.0f, 0.0f};
    material.emissive = {0.5f, 0.5f, 0.5f, 0.0f};
    display.sceneMaterial->SetMaterial(&material);
    D3DMATERIALHANDLE handle = 0;
    display.sceneMaterial->GetHandle(display.device, &handle);
    display.device->SetLightState(D3DLIGHTSTATE_MATERIAL, handle);
}

// The one white parallel-point light: its position gives the direction towards it.
D3DLIGHT sceneLightRecord(const D3DVECTOR& position) {
    D3DLIGHT light;
    std::memset(&light, 0, sizeof light);
    light.dwSize = kD3DLightSize;
    light.dltType = D3DLIGHT_PARALLELPOINT;
    light.dcvColor = {1.0f, 1.0f, 1.0f, 0.0f};
    light.dvPosition = position;
    light.dvDirection = {0.0f, 0.0f, 0.0f};
    light.dvAttenuation0 = 1.0f;
    return light;
}

void createSceneLight(DisplayObjects& display) {
    D3DLIGHT light = sceneLightRecord({0.0f, 10.0f, 0.0f});
    display.d3d->CreateLight(&display.sceneLight, nullptr);
    if (display.sceneLight == nullptr) return;
    display.sceneLight->SetLight(&light);
    if (display.viewport != nullptr) display.viewport->AddLight(display.sceneLight);
}

void setRenderStates(IDirect3DDevice3* device) {
    device->SetRenderState(D3DRENDERSTATE_ZENABLE, 1);
    device->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, 1);
    device->SetRenderState(D3DRENDERSTATE_TEXTUREADDRESS, D3DTADDRESS_MIRROR);
    device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, 1);
    device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, 1);
    device->SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD);
}

D3DMATRIX identityMatrix() {
    D3DMATRIX m;
    std::memset(&m, 0, sizeof m);
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

// A near plane at view depth 1 and no far plane; the field of view's half-angle tangent is 0.4.
D3DMATRIX projectionMatrix() {
    D3DMATRIX m = identityMatrix();
    m._11 = 2.5f;
    m._22 = 2.5f;
    m._34 = 1.0f;
    m._43 = -1.0f;
    m._44 = 0.0f;
    return m;
}

void setTransforms(DisplayObjects& display) {
    D3DMATRIX world = identityMatrix();
    display.device->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
    D3DMATRIX projection = projectionMatrix();
    display.device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
    display.eyePoint = {300.0f, 300.0f, 300.0f};
    display.lookAtPoint = {0.0f, 0.0f, 0.0f};
    display.upVector = {0.0f, 0.0f, 0.0f};
    D3DMATRIX view = identityMatrix();
    buildViewMatrix(view, display.eyePoint, display.lookAtPoint, display.upVector);
    display.device->SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
}

}  // namespace

HRESULT zBufferFormatCallback(DDPIXELFORMAT* format, void* context) {
    if (format == nullptr || context == nullptr) return D3DENUMRET_OK;
    if (format->dwFlags != DDPF_ZBUFFER) return D3DENUMRET_OK;  // stencil or other parts
    std::memcpy(context, format, sizeof(DDPIXELFORMAT));
    return D3DENUMRET_CANCEL;
}

HRESULT setupDevice(DisplayObjects& display, HWND window,
                    const DirectDrawCreateFunction& DirectDrawCreate) {
    // The calls are made whether or not earlier ones succeeded, as long as the object they are
    // made on exists; a missing display or 3D object ends the set-up, as nothing else could run.
    createDisplayObject(display, DirectDrawCreate);
    if (display.ddraw4 == nullptr) return E_FAIL;
    enterFullScreen(display, window);
    createFlippingPrimary(display);
    createRenderTarget(display);
    attachClipper(display, window);
    display.ddraw4->QueryInterface(IID_IDirect3D3, reinterpret_cast<void**>(&display.d3d));
    if (display.d3d == nullptr) return E_FAIL;

    const ZBufferChoice zChoice = chooseZBufferFormat(display.d3d);
    if (zChoice.format.dwSize != kDDPixelFormatSize) return E_FAIL;  // fatal step 1
    createZBuffer(display, zChoice);
    createDevice(display);
    createViewport(display);
    if (!createSceneMaterial(display)) return E_FAIL;  // fatal steps 2 and 3
    setSceneMaterial(display);
    createSceneLight(display);
    setRenderStates(display.device);
    setTransforms(display);
    return DD_OK;
}

int probePixelFormat(IDirectDrawSurface4* surface) {
    HDC dc = nullptr;
    if (SUCCEEDED(surface->GetDC(&dc))) {
        SetPixel(dc, 0, 0, 0xFFFFFF);
        surface->ReleaseDC(dc);
    }
    DDSURFACEDESC2 desc = emptySurfaceDesc();
    std::uint16_t first = 0;
    if (SUCCEEDED(surface->Lock(nullptr, &desc, DDLOCK_SURFACEMEMORYPTR, nullptr))) {
        first = *static_cast<const std::uint16_t*>(desc.lpSurface);
        surface->Unlock(nullptr);
    }
    return first == 0xFFFF ? 6 : 5;
}

void probeDisplayPixelFormat(DisplayObjects& display) {
    display.pixelIs555 = false;
    display.pixelIs565 = false;
    if (display.backBuffer == nullptr) return;
    if (probePixelFormat(display.backBuffer) == 6) {
        display.pixelIs565 = true;
    } else {
        display.pixelIs555 = true;
    }
}

void aimSceneLight(DisplayObjects& display, const D3DVECTOR& towardLight) {
    if (display.sceneLight == nullptr) return;
    D3DLIGHT light = sceneLightRecord(towardLight);
    display.sceneLight->SetLight(&light);
}

void keepCounterClockwiseFaces(DisplayObjects& display) {
    if (display.device != nullptr)
        display.device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CW);
}
