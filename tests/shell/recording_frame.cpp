#include "tests/shell/recording_frame.h"

#include <cstdio>

namespace {

std::string nameOf(IDirectDrawSurface4* surface) {
    return surface == nullptr ? "null" : static_cast<LoggingSurface*>(surface)->name();
}

std::string hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

}  // namespace

HRESULT LoggingSurface::GetAttachedSurface(DDSCAPS2*, IDirectDrawSurface4**) {
    log_.add(name_ + ".GetAttachedSurface");
    return DDERR_GENERIC;
}
HRESULT LoggingSurface::AddAttachedSurface(IDirectDrawSurface4*) {
    log_.add(name_ + ".AddAttachedSurface");
    return DDERR_GENERIC;
}
HRESULT LoggingSurface::SetClipper(IDirectDrawClipper*) {
    log_.add(name_ + ".SetClipper");
    return DDERR_GENERIC;
}
HRESULT LoggingSurface::Lock(RECT*, DDSURFACEDESC2*, DWORD, HANDLE) {
    log_.add(name_ + ".Lock");
    return DDERR_GENERIC;
}
HRESULT LoggingSurface::Unlock(RECT*) {
    log_.add(name_ + ".Unlock");
    return DDERR_NOTLOCKED;
}
HRESULT LoggingSurface::GetSurfaceDesc(DDSURFACEDESC2*) {
    log_.add(name_ + ".GetSurfaceDesc");
    return DDERR_GENERIC;
}

HRESULT LoggingSurface::Blt(RECT* to, IDirectDrawSurface4* source, RECT* from, DWORD flags,
                            DDBLTFX* effects) {
    log_.add(name_ + ".Blt(" + (to ? "rect" : "null") + ", " + nameOf(source) + ", " +
             (from ? "rect" : "null") + ", " + hex(flags) + ", " + (effects ? "fx" : "null") + ")");
    return source == nullptr ? DDERR_INVALIDPARAMS : DD_OK;
}

HRESULT LoggingSurface::BltFast(DWORD x, DWORD y, IDirectDrawSurface4* source, RECT* from,
                                DWORD flags) {
    log_.add(name_ + ".BltFast(" + std::to_string(x) + ", " + std::to_string(y) + ", " +
             nameOf(source) + ", " + (from ? "rect" : "null") + ", " + hex(flags) + ")");
    return DD_OK;
}

HRESULT LoggingSurface::Flip(IDirectDrawSurface4* override, DWORD flags) {
    log_.add(name_ + ".Flip(" + nameOf(override) + ", " + hex(flags) + ")");
    return DD_OK;
}

HRESULT LoggingSurface::GetDC(HDC* dc) {
    log_.add(name_ + ".GetDC");
    *dc = static_cast<DeviceContext*>(this);
    return DD_OK;
}

HRESULT LoggingSurface::ReleaseDC(HDC) {
    log_.add(name_ + ".ReleaseDC");
    return DD_OK;
}

COLORREF LoggingSurface::setPixel(int, int, COLORREF color) {
    log_.add(name_ + ".SetPixel");
    return color;
}

bool LoggingSurface::textOut(int x, int y, const char* text, int length) {
    const std::string drawn(text, static_cast<std::size_t>(length));
    log_.add(name_ + ".TextOut(" + std::to_string(x) + ", " + std::to_string(y) + ", \"" + drawn +
             "\")");
    log_.texts.push_back(drawn);
    return true;
}

HRESULT LoggingDevice::SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    log_.add("device.SetTransform(" + std::to_string(state) + ")");
    if (state == D3DTRANSFORMSTATE_VIEW) lastView = *matrix;
    return D3D_OK;
}

HRESULT LoggingDevice::SetTexture(DWORD stage, IDirect3DTexture2* texture) {
    log_.add("device.SetTexture(" + std::to_string(stage) + ", " +
             (texture == static_cast<IDirect3DTexture2*>(this) ? "texture0" : "other") + ")");
    return D3D_OK;
}

HRESULT LoggingDevice::DrawPrimitive(D3DPRIMITIVETYPE type, DWORD format, void*, DWORD count,
                                     DWORD flags) {
    log_.add("device.DrawPrimitive(" + std::to_string(type) + ", " + hex(format) + ", " +
             std::to_string(count) + ", " + std::to_string(flags) + ")");
    return D3D_OK;
}

HRESULT LoggingDevice::Clear2(DWORD count, D3DRECT* rects, DWORD flags, D3DCOLOR color, D3DVALUE z,
                              DWORD stencil) {
    std::string text = "viewport.Clear2(" + std::to_string(count) + ", ";
    if (count > 0) {
        text += std::to_string(rects[0].x1) + " " + std::to_string(rects[0].y1) + " " +
                std::to_string(rects[0].x2) + " " + std::to_string(rects[0].y2);
    }
    char rest[64];
    std::snprintf(rest, sizeof rest, ", %s, %u, %.1f, %u)", hex(flags).c_str(), color, z, stencil);
    log_.add(text + rest);
    return D3D_OK;
}

LoggingDisplay::LoggingDisplay(bool withBackground) {
    display.primarySurface = &primary;
    display.backBuffer = &back;
    display.renderTarget = &target;
    display.backgroundSurface = withBackground ? &background : nullptr;
    display.device = &device;
    display.viewport = &device;
    display.sceneMaterial = &device;
    display.textures[0] = &device;
    display.eyePoint = {300.0f, 300.0f, 300.0f};
}

void LoggingDisplay::forget() {
    display.primarySurface = display.backBuffer = display.renderTarget = nullptr;
    display.backgroundSurface = nullptr;
    display.device = nullptr;
    display.viewport = nullptr;
    display.sceneMaterial = nullptr;
    display.textures[0] = nullptr;
}
