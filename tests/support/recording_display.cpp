#include "tests/support/recording_display.h"

#include <cstdio>

namespace {

std::string hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

std::string nameOf(IDirectDrawSurface4* surface) {
    return surface == nullptr ? "null" : static_cast<RecordingSurface*>(surface)->name();
}

std::string kindName(REFCLSID kind) {
    if (kind == IID_IDirect3DHALDevice) return "HAL";
    if (kind == IID_IDirect3DRGBDevice) return "RGB";
    return "?";
}

std::string nameFor(const DDSURFACEDESC2& desc) {
    const DWORD caps = desc.ddsCaps.dwCaps;
    if ((caps & DDSCAPS_PRIMARYSURFACE) != 0) return "primary";
    if ((caps & DDSCAPS_ZBUFFER) != 0) return "zbuffer";
    if ((caps & DDSCAPS_3DDEVICE) != 0) return "target";
    return "surface";
}

}  // namespace

DDPIXELFORMAT zFormat(DWORD flags, DWORD bits) {
    DDPIXELFORMAT format{};
    format.dwSize = kDDPixelFormatSize;
    format.dwFlags = flags;
    format.dwZBufferBitDepth = bits;
    return format;
}

// --- surfaces ---

void RecordingSurface::log(const std::string& call) {
    owner_.calls.push_back(name_ + "." + call);
}

HRESULT RecordingSurface::GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface4** attached) {
    log("GetAttachedSurface(" + hex(caps->dwCaps) + ")");
    DDSURFACEDESC2 desc{};
    desc.ddsCaps.dwCaps = DDSCAPS_BACKBUFFER;
    *attached = &owner_.addSurface("back", desc);
    return DD_OK;
}

HRESULT RecordingSurface::AddAttachedSurface(IDirectDrawSurface4* attached) {
    log("AddAttachedSurface(" + nameOf(attached) + ")");
    return DD_OK;
}

HRESULT RecordingSurface::SetClipper(IDirectDrawClipper*) {
    log("SetClipper");
    return DD_OK;
}

HRESULT RecordingSurface::Lock(RECT*, DDSURFACEDESC2*, DWORD, HANDLE) {
    log("Lock");
    return DDERR_GENERIC;
}

HRESULT RecordingSurface::Unlock(RECT*) {
    log("Unlock");
    return DDERR_NOTLOCKED;
}

HRESULT RecordingSurface::Blt(RECT* to, IDirectDrawSurface4* source, RECT* from, DWORD flags,
                              DDBLTFX* effects) {
    log("Blt(" + std::string(to ? "rect" : "null") + ", " + nameOf(source) + ", " +
        (from ? "rect" : "null") + ", " + hex(flags) + ", " + (effects ? "fx" : "null") + ")");
    return source == nullptr ? DDERR_INVALIDPARAMS : DD_OK;
}

HRESULT RecordingSurface::BltFast(DWORD x, DWORD y, IDirectDrawSurface4* source, RECT* from,
                                  DWORD flags) {
    log("BltFast(" + std::to_string(x) + ", " + std::to_string(y) + ", " + nameOf(source) + ", " +
        (from ? "rect" : "null") + ", " + hex(flags) + ")");
    return DD_OK;
}

HRESULT RecordingSurface::Flip(IDirectDrawSurface4* override, DWORD flags) {
    log("Flip(" + nameOf(override) + ", " + hex(flags) + ")");
    return DD_OK;
}

HRESULT RecordingSurface::GetDC(HDC* dc) {
    log("GetDC");
    *dc = static_cast<DeviceContext*>(this);
    return DD_OK;
}

HRESULT RecordingSurface::ReleaseDC(HDC) {
    log("ReleaseDC");
    return DD_OK;
}

HRESULT RecordingSurface::GetSurfaceDesc(DDSURFACEDESC2* desc) {
    log("GetSurfaceDesc");
    *desc = desc_;
    return DD_OK;
}

COLORREF RecordingSurface::setPixel(int, int, COLORREF color) {
    log("SetPixel");
    return color;
}

bool RecordingSurface::textOut(int x, int y, const char* text, int length) {
    const std::string drawn(text, static_cast<std::size_t>(length));
    log("TextOut(" + std::to_string(x) + ", " + std::to_string(y) + ", \"" + drawn + "\")");
    owner_.texts.push_back(drawn);
    return true;
}

// --- the 3D side ---

HRESULT RecordingDevice::log(const std::string& call) {
    owner_.calls.push_back(call);
    return D3D_OK;
}

ULONG RecordingDevice::AddRef() {
    return ++owner_.references;
}

ULONG RecordingDevice::Release() {
    return --owner_.references;
}

HRESULT RecordingDevice::GetDirect3D(IDirect3D3** d3d) {
    log("device.GetDirect3D");
    if (owner_.getDirect3DFails) return DDERR_GENERIC;
    ++owner_.references;
    *d3d = &owner_;
    return D3D_OK;
}

HRESULT RecordingDevice::SetLightState(D3DLIGHTSTATETYPE state, DWORD value) {
    return log("device.SetLightState(" + std::to_string(state) + "," + std::to_string(value) + ")");
}

HRESULT RecordingDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    return log("device.SetRenderState(" + std::to_string(state) + "," + std::to_string(value) +
               ")");
}

HRESULT RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    transforms.push_back(*matrix);
    if (state == D3DTRANSFORMSTATE_VIEW) lastView = *matrix;
    return log("device.SetTransform(" + std::to_string(state) + ")");
}

HRESULT RecordingDevice::SetTexture(DWORD stage, IDirect3DTexture2* texture) {
    textures.push_back(texture);
    const char* which = texture == nullptr                                 ? "null"
                        : texture == static_cast<IDirect3DTexture2*>(this) ? "texture0"
                                                                           : "other";
    return log("device.SetTexture(" + std::to_string(stage) + ", " + which + ")");
}

HRESULT RecordingDevice::DrawPrimitive(D3DPRIMITIVETYPE type, DWORD format, void* vertices,
                                       DWORD count, DWORD flags) {
    const auto* first = static_cast<const D3DVERTEX*>(vertices);
    draws.push_back({type, format, std::vector<D3DVERTEX>(first, first + count), flags});
    return log("device.DrawPrimitive(" + std::to_string(type) + ", " + hex(format) + ", " +
               std::to_string(count) + ", " + std::to_string(flags) + ")");
}

HRESULT RecordingDevice::SetViewport2(D3DVIEWPORT2* viewport) {
    viewportValues = *viewport;
    return log("viewport.SetViewport2");
}

HRESULT RecordingDevice::Clear2(DWORD count, D3DRECT* rects, DWORD flags, D3DCOLOR color,
                                D3DVALUE z, DWORD stencil) {
    std::string text = "viewport.Clear2(" + std::to_string(count) + ", ";
    if (count > 0) {
        text += std::to_string(rects[0].x1) + " " + std::to_string(rects[0].y1) + " " +
                std::to_string(rects[0].x2) + " " + std::to_string(rects[0].y2);
    }
    char rest[64];
    std::snprintf(rest, sizeof rest, ", %s, %u, %.1f, %u)", hex(flags).c_str(), color, z, stencil);
    return log(text + rest);
}

HRESULT RecordingDevice::SetMaterial(D3DMATERIAL* material) {
    materials.push_back(*material);
    return log("material.SetMaterial");
}

HRESULT RecordingDevice::GetHandle(IDirect3DDevice3*, D3DMATERIALHANDLE* handle) {
    *handle = 42;
    return log("material.GetHandle");
}

HRESULT RecordingDevice::SetLight(D3DLIGHT* light) {
    lightValues = *light;
    return log("light.SetLight");
}

// --- the display ---

DirectDrawCreateFunction RecordingDisplay::creator() {
    return [this](GUID*, IDirectDraw** ddraw, IUnknown*) {
        calls.push_back("DirectDrawCreate");
        ++references;
        *ddraw = static_cast<IDirectDraw*>(this);
        return DD_OK;
    };
}

RecordingSurface* RecordingDisplay::surfaceNamed(const std::string& name) const {
    for (const auto& surface : surfaces) {
        if (surface->name() == name) return surface.get();
    }
    return nullptr;
}

RecordingSurface& RecordingDisplay::addSurface(const std::string& name,
                                               const DDSURFACEDESC2& desc) {
    surfaces.push_back(std::make_unique<RecordingSurface>(*this, name, desc));
    return *surfaces.back();
}

HRESULT RecordingDisplay::QueryInterface(REFIID riid, void** object) {
    if (riid == IID_IDirectDraw4) {
        calls.push_back("QueryInterface(IDirectDraw4)");
        *object = static_cast<IDirectDraw4*>(this);
    } else if (riid == IID_IDirect3D3) {
        calls.push_back("QueryInterface(IDirect3D3)");
        *object = static_cast<IDirect3D3*>(this);
    } else {
        return E_NOINTERFACE;
    }
    ++references;
    return S_OK;
}

HRESULT RecordingDisplay::SetCooperativeLevel(HWND, DWORD flags) {
    calls.push_back("SetCooperativeLevel(" + hex(flags) + ")");
    return DD_OK;
}

HRESULT RecordingDisplay::SetDisplayMode(DWORD width, DWORD height, DWORD bits, DWORD refresh,
                                         DWORD flags) {
    calls.push_back("SetDisplayMode(" + std::to_string(width) + "," + std::to_string(height) + "," +
                    std::to_string(bits) + "," + std::to_string(refresh) + "," +
                    std::to_string(flags) + ")");
    return DD_OK;
}

HRESULT RecordingDisplay::CreateClipper(DWORD, IDirectDrawClipper** clipper, IUnknown*) {
    calls.push_back("CreateClipper");
    ++references;
    *clipper = this;
    return DD_OK;
}

HRESULT RecordingDisplay::CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface4** surface,
                                        IUnknown*) {
    calls.push_back("CreateSurface(" + nameFor(*desc) + "," + hex(desc->dwFlags) + "," +
                    hex(desc->ddsCaps.dwCaps) + ")");
    *surface = &addSurface(nameFor(*desc), *desc);
    return DD_OK;
}

HRESULT RecordingDisplay::SetHWnd(DWORD, HWND) {
    calls.push_back("SetHWnd");
    return DD_OK;
}

HRESULT RecordingDisplay::EnumZBufferFormats(REFCLSID kind, LPD3DENUMPIXELFORMATSCALLBACK callback,
                                             void* context) {
    calls.push_back("EnumZBufferFormats(" + kindName(kind) + ")");
    const bool hardware = kind == IID_IDirect3DHALDevice;
    if (hardware && hardwareZEnumerationFails) return DDERR_NODIRECTDRAWHW;
    for (DDPIXELFORMAT format : hardware ? hardwareZFormats : softwareZFormats) {
        if (callback(&format, context) == D3DENUMRET_CANCEL) break;
    }
    return D3D_OK;
}

HRESULT RecordingDisplay::CreateDevice(REFCLSID kind, IDirectDrawSurface4* target,
                                       IDirect3DDevice3** created, IUnknown*) {
    calls.push_back("CreateDevice(" + kindName(kind) + "," + nameOf(target) + ")");
    if (kind == IID_IDirect3DHALDevice && hardwareDeviceFails) return DDERR_NODIRECTDRAWHW;
    ++references;
    *created = &device;
    return D3D_OK;
}

HRESULT RecordingDisplay::CreateViewport(IDirect3DViewport3** viewport, IUnknown*) {
    calls.push_back("CreateViewport");
    ++references;
    *viewport = &device;
    return D3D_OK;
}

HRESULT RecordingDisplay::CreateLight(IDirect3DLight** light, IUnknown*) {
    calls.push_back("CreateLight");
    ++references;
    *light = &device;
    return D3D_OK;
}

HRESULT RecordingDisplay::CreateMaterial(IDirect3DMaterial3** material, IUnknown*) {
    calls.push_back("CreateMaterial");
    if (createMaterialFails) return DDERR_GENERIC;
    ++references;
    *material = &device;
    return D3D_OK;
}

WiredDisplay::WiredDisplay(bool withBackground) {
    display.primarySurface = &platform.addSurface("primary");
    display.backBuffer = &platform.addSurface("back");
    display.renderTarget = &platform.addSurface("target");
    display.backgroundSurface = withBackground ? &platform.addSurface("background") : nullptr;
    display.device = &platform.device;
    display.viewport = &platform.device;
    display.sceneMaterial = &platform.device;
    display.textures[0] = &platform.device;
    display.eyePoint = {300.0f, 300.0f, 300.0f};
}
