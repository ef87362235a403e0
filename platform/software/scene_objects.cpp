#include "platform/software/scene_objects.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/pixel_format.h"
#include "platform/software/blit.h"
#include "platform/software/device_state.h"

namespace {

std::uint16_t depthValue(D3DVALUE z) {
    const float clamped = std::clamp(z, 0.0f, 1.0f);
    return static_cast<std::uint16_t>(std::lround(clamped * 65535.0f));
}

std::uint16_t colorValue(PixelLayout layout, D3DCOLOR color) {
    return packPixel(layout, static_cast<std::uint8_t>(color >> 16),
                     static_cast<std::uint8_t>(color >> 8), static_cast<std::uint8_t>(color));
}

// The part of a clear rectangle that lies on a width x height surface.
bool clipRect(const D3DRECT& rect, int width, int height, PixelRect& out) {
    const int left = std::max<LONG>(rect.x1, 0);
    const int top = std::max<LONG>(rect.y1, 0);
    const int right = std::min<LONG>(rect.x2, width);
    const int bottom = std::min<LONG>(rect.y2, height);
    if (left >= right || top >= bottom) return false;
    out = {left, top, right - left, bottom - top};
    return true;
}

// Where a mirror keeps the surface elsewhere it fills there. Else a fill of every pixel waits
// until the pixels are used (the backdrop blit that follows a frame's clear replaces them all),
// and a partial one fills memory, after a newer copy elsewhere has come home.
void fill(SoftwareSurface& surface, const PixelRect& area, std::uint16_t value) {
    if (surface.fillElsewhere(area, value)) return;
    const bool whole = area.width == surface.width() && area.height == surface.height();
    if (whole && surface.mirror() == nullptr) {
        surface.fillWhenUsed(value);
        return;
    }
    surface.usePixels(whole ? PixelUse::kReplace : PixelUse::kWrite);
    fillRect({surface.pixels(), surface.pitch()}, area, value);
}

}  // namespace

SoftwareMaterial::SoftwareMaterial(std::shared_ptr<DisplayContext> context)
    : context_(std::move(context)), handle_(context_->nextMaterialHandle++) {
    material_.dwSize = kD3DMaterialSize;
    context_->materials[handle_] = this;
}

SoftwareMaterial::~SoftwareMaterial() {
    context_->materials.erase(handle_);
}

HRESULT SoftwareMaterial::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDirect3DMaterial3) return giveOut(this, object);
    return E_NOINTERFACE;
}

HRESULT SoftwareMaterial::SetMaterial(D3DMATERIAL* material) {
    if (material == nullptr) return DDERR_INVALIDPARAMS;
    material_ = *material;
    return D3D_OK;
}

HRESULT SoftwareMaterial::GetHandle(IDirect3DDevice3* device, D3DMATERIALHANDLE* handle) {
    if (device == nullptr || handle == nullptr) return DDERR_INVALIDPARAMS;
    *handle = handle_;
    return D3D_OK;
}

HRESULT SoftwareLight::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDirect3DLight) return giveOut(this, object);
    return E_NOINTERFACE;
}

HRESULT SoftwareLight::SetLight(D3DLIGHT* light) {
    if (light == nullptr) return DDERR_INVALIDPARAMS;
    light_ = *light;
    set_ = true;
    return D3D_OK;
}

SoftwareViewport::SoftwareViewport() {
    viewport_.dwSize = kD3DViewport2Size;
    viewport_.dwWidth = 640;
    viewport_.dwHeight = 480;
    viewport_.dvClipX = -1;
    viewport_.dvClipY = 1;
    viewport_.dvClipWidth = 2;
    viewport_.dvClipHeight = 2;
    viewport_.dvMaxZ = 1;
}

SoftwareViewport::~SoftwareViewport() {
    for (SoftwareLight* light : lights_) light->Release();
}

HRESULT SoftwareViewport::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDirect3DViewport3) return giveOut(this, object);
    return E_NOINTERFACE;
}

HRESULT SoftwareViewport::SetViewport2(D3DVIEWPORT2* viewport) {
    if (viewport == nullptr || viewport->dwSize != kD3DViewport2Size) return DDERR_INVALIDPARAMS;
    if (viewport->dwWidth == 0 || viewport->dwHeight == 0 || viewport->dvClipWidth == 0 ||
        viewport->dvClipHeight == 0) {
        return DDERR_INVALIDPARAMS;
    }
    viewport_ = *viewport;
    return D3D_OK;
}

HRESULT SoftwareViewport::AddLight(IDirect3DLight* light) {
    auto* ours = dynamic_cast<SoftwareLight*>(light);
    if (ours == nullptr) return DDERR_INVALIDPARAMS;
    ours->AddRef();
    lights_.push_back(ours);
    return D3D_OK;
}

const SoftwareLight* SoftwareViewport::firstLight() const {
    for (const SoftwareLight* light : lights_) {
        if (light->isSet()) return light;
    }
    return nullptr;
}

HRESULT SoftwareViewport::Clear2(DWORD rectCount, D3DRECT* rects, DWORD flags, D3DCOLOR color,
                                 D3DVALUE z, DWORD) {
    if (device_ == nullptr) return D3DERR_VIEWPORTHASNODEVICE;
    if (rectCount > 0 && rects == nullptr) return DDERR_INVALIDPARAMS;
    SoftwareSurface& target = device_->renderTarget();
    SoftwareSurface* depth = target.attachedZBuffer();
    if (target.isBusy() || (depth != nullptr && depth->isBusy())) return DDERR_SURFACEBUSY;
    target.finishDrawing();
    const std::uint16_t pixel = colorValue(target.layout(), color);
    const std::uint16_t depthFill = depthValue(z);
    for (DWORD i = 0; i < rectCount; ++i) {
        PixelRect area;
        if ((flags & D3DCLEAR_TARGET) != 0 &&
            clipRect(rects[i], target.width(), target.height(), area)) {
            fill(target, area, pixel);
        }
        if ((flags & D3DCLEAR_ZBUFFER) != 0 && depth != nullptr &&
            clipRect(rects[i], depth->width(), depth->height(), area)) {
            fill(*depth, area, depthFill);
        }
    }
    return D3D_OK;
}
