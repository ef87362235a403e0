#include "tests/display/recording_display.h"

#include <cstdio>

namespace {

std::string hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
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

void RecordingSurface::log(const std::string& call) {
    owner_.calls.push_back(name_ + "." + call);
}

HRESULT RecordingSurface::GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface4** attached) {
    log("GetAttachedSurface(" + hex(caps->dwCaps) + ")");
    DDSURFACEDESC2 desc{};
    desc.ddsCaps.dwCaps = DDSCAPS_BACKBUFFER;
    owner_.surfaces.push_back(std::make_unique<RecordingSurface>(owner_, "back", desc));
    *attached = owner_.surfaces.back().get();
    return DD_OK;
}

HRESULT RecordingSurface::AddAttachedSurface(IDirectDrawSurface4* attached) {
    log("AddAttachedSurface(" + static_cast<RecordingSurface*>(attached)->name() + ")");
    return DD_OK;
}

HRESULT RecordingSurface::SetClipper(IDirectDrawClipper*) {
    log("SetClipper");
    return DD_OK;
}

HRESULT RecordingSurface::Lock(RECT*, DDSURFACEDESC2*, DWORD, HANDLE) {
    return DDERR_GENERIC;
}
HRESULT RecordingSurface::Unlock(RECT*) {
    return DDERR_NOTLOCKED;
}
HRESULT RecordingSurface::Blt(RECT*, IDirectDrawSurface4*, RECT*, DWORD, DDBLTFX*) {
    return DD_OK;
}
HRESULT RecordingSurface::BltFast(DWORD, DWORD, IDirectDrawSurface4*, RECT*, DWORD) {
    return DD_OK;
}
HRESULT RecordingSurface::Flip(IDirectDrawSurface4*, DWORD) {
    return DD_OK;
}
HRESULT RecordingSurface::GetDC(HDC*) {
    return DDERR_GENERIC;
}
HRESULT RecordingSurface::ReleaseDC(HDC) {
    return DDERR_NODC;
}
HRESULT RecordingSurface::GetSurfaceDesc(DDSURFACEDESC2* desc) {
    *desc = desc_;
    return DD_OK;
}

RecordingSurface* RecordingDisplay::surfaceNamed(const std::string& name) const {
    for (const auto& surface : surfaces) {
        if (surface->name() == name) return surface.get();
    }
    return nullptr;
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
    surfaces.push_back(std::make_unique<RecordingSurface>(*this, nameFor(*desc), *desc));
    *surface = surfaces.back().get();
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
                                       IDirect3DDevice3** device, IUnknown*) {
    calls.push_back("CreateDevice(" + kindName(kind) + "," +
                    static_cast<RecordingSurface*>(target)->name() + ")");
    if (kind == IID_IDirect3DHALDevice && hardwareDeviceFails) return DDERR_NODIRECTDRAWHW;
    ++references;
    *device = this;
    return D3D_OK;
}

HRESULT RecordingDisplay::CreateViewport(IDirect3DViewport3** viewport, IUnknown*) {
    calls.push_back("CreateViewport");
    ++references;
    *viewport = this;
    return D3D_OK;
}

HRESULT RecordingDisplay::CreateLight(IDirect3DLight** light, IUnknown*) {
    calls.push_back("CreateLight");
    ++references;
    *light = this;
    return D3D_OK;
}

HRESULT RecordingDisplay::CreateMaterial(IDirect3DMaterial3** material, IUnknown*) {
    calls.push_back("CreateMaterial");
    if (createMaterialFails) return DDERR_GENERIC;
    ++references;
    *material = this;
    return D3D_OK;
}

HRESULT RecordingDisplay::AddViewport(IDirect3DViewport3*) {
    calls.push_back("AddViewport");
    return D3D_OK;
}

HRESULT RecordingDisplay::SetCurrentViewport(IDirect3DViewport3*) {
    calls.push_back("SetCurrentViewport");
    return D3D_OK;
}

HRESULT RecordingDisplay::GetDirect3D(IDirect3D3** d3d) {
    calls.push_back("GetDirect3D");
    if (getDirect3DFails) return DDERR_GENERIC;
    ++references;
    *d3d = this;
    return D3D_OK;
}

HRESULT RecordingDisplay::SetLightState(D3DLIGHTSTATETYPE state, DWORD value) {
    calls.push_back("SetLightState(" + std::to_string(state) + "," + std::to_string(value) + ")");
    return D3D_OK;
}

HRESULT RecordingDisplay::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    calls.push_back("SetRenderState(" + std::to_string(state) + "," + std::to_string(value) + ")");
    return D3D_OK;
}

HRESULT RecordingDisplay::SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    calls.push_back("SetTransform(" + std::to_string(state) + ")");
    transforms.push_back(*matrix);
    return D3D_OK;
}

HRESULT RecordingDisplay::SetViewport2(D3DVIEWPORT2* viewport) {
    calls.push_back("SetViewport2");
    viewportValues = *viewport;
    return D3D_OK;
}

HRESULT RecordingDisplay::AddLight(IDirect3DLight*) {
    calls.push_back("AddLight");
    return D3D_OK;
}

HRESULT RecordingDisplay::SetMaterial(D3DMATERIAL* material) {
    calls.push_back("SetMaterial");
    materialValues = *material;
    return D3D_OK;
}

HRESULT RecordingDisplay::GetHandle(IDirect3DDevice3*, D3DMATERIALHANDLE* handle) {
    calls.push_back("GetHandle");
    *handle = 42;
    return D3D_OK;
}

HRESULT RecordingDisplay::SetLight(D3DLIGHT* light) {
    calls.push_back("SetLight");
    lightValues = *light;
    return D3D_OK;
}
