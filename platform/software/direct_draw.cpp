#include "platform/software/direct_draw.h"

#include <new>
#include <utility>

#include "platform/pixel_format.h"
#include "platform/software/device.h"
#include "platform/software/scene_objects.h"
#include "platform/software/surface.h"

namespace {

// Makes a new object for an out-pointer, turning an allocation failure into a status code.
template <class Object, class Interface, class... Args>
HRESULT makeObject(Interface** out, Args&&... args) {
    if (out == nullptr) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    try {
        *out = new Object(std::forward<Args>(args)...);
    } catch (const std::bad_alloc&) {
        return DDERR_OUTOFMEMORY;
    }
    return DD_OK;
}

}  // namespace

HRESULT SoftwareClipper::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDirectDrawClipper) return giveOut(this, object);
    return E_NOINTERFACE;
}

HRESULT SoftwareClipper::SetHWnd(DWORD, HWND window) {
    window_ = window;
    return DD_OK;
}

SoftwareDirectDraw::SoftwareDirectDraw(const SoftwareDisplayConfig& config)
    : context_(std::make_shared<DisplayContext>()) {
    context_->config = config;
}

HRESULT SoftwareDirectDraw::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDirectDraw) {
        return giveOut(static_cast<IDirectDraw*>(this), object);
    }
    if (riid == IID_IDirectDraw4) return giveOut(static_cast<IDirectDraw4*>(this), object);
    if (riid == IID_IDirect3D3) return giveOut(static_cast<IDirect3D3*>(this), object);
    return E_NOINTERFACE;
}

HRESULT SoftwareDirectDraw::SetCooperativeLevel(HWND, DWORD) {
    return DD_OK;
}

HRESULT SoftwareDirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD,
                                           DWORD) {
    if (bitsPerPixel != 16) return DDERR_UNSUPPORTED;
    if (width == 0 || height == 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide ||
        static_cast<long long>(width) * height > kMaxSurfacePixels) {
        return DDERR_INVALIDPARAMS;
    }
    context_->displayWidth = static_cast<int>(width);
    context_->displayHeight = static_cast<int>(height);
    return DD_OK;
}

HRESULT SoftwareDirectDraw::CreateClipper(DWORD, IDirectDrawClipper** clipper, IUnknown*) {
    return makeObject<SoftwareClipper>(clipper);
}

HRESULT SoftwareDirectDraw::CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface4** surface,
                                          IUnknown*) {
    if (desc == nullptr || surface == nullptr) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    SoftwareSurface* made = nullptr;
    const HRESULT result = SoftwareSurface::create(context_, *desc, &made);
    if (SUCCEEDED(result)) *surface = made;
    return result;
}

HRESULT SoftwareDirectDraw::EnumZBufferFormats(REFCLSID deviceKind,
                                               LPD3DENUMPIXELFORMATSCALLBACK callback,
                                               void* context) {
    if (callback == nullptr) return DDERR_INVALIDPARAMS;
    if (deviceKind == IID_IDirect3DHALDevice && context_->config.hardware == nullptr) {
        return DDERR_NODIRECTDRAWHW;
    }
    if (!(deviceKind == IID_IDirect3DRGBDevice) && !(deviceKind == IID_IDirect3DHALDevice)) {
        return DDERR_INVALIDPARAMS;
    }
    DDPIXELFORMAT format = zBufferPixelFormat16();
    callback(&format, context);
    return D3D_OK;
}

HRESULT SoftwareDirectDraw::CreateDevice(REFCLSID deviceKind, IDirectDrawSurface4* renderTarget,
                                         IDirect3DDevice3** device, IUnknown*) {
    if (device == nullptr) return DDERR_INVALIDPARAMS;
    *device = nullptr;
    const bool hardware = deviceKind == IID_IDirect3DHALDevice;
    if (hardware && context_->config.hardware == nullptr) return DDERR_NODIRECTDRAWHW;
    if (!hardware && !(deviceKind == IID_IDirect3DRGBDevice)) return DDERR_INVALIDPARAMS;
    SoftwareSurface* target = asSoftwareSurface(renderTarget);
    if (target == nullptr || target->isZBuffer()) return DDERR_INVALIDPARAMS;
    if (hardware) {
        return context_->config.hardware->makeDevice(context_, static_cast<IDirect3D3*>(this),
                                                     target, device);
    }
    return makeObject<SoftwareDevice>(device, context_, static_cast<IDirect3D3*>(this), target);
}

HRESULT SoftwareDirectDraw::CreateViewport(IDirect3DViewport3** viewport, IUnknown*) {
    return makeObject<SoftwareViewport>(viewport);
}

HRESULT SoftwareDirectDraw::CreateLight(IDirect3DLight** light, IUnknown*) {
    return makeObject<SoftwareLight>(light);
}

HRESULT SoftwareDirectDraw::CreateMaterial(IDirect3DMaterial3** material, IUnknown*) {
    return makeObject<SoftwareMaterial>(material, context_);
}

HRESULT softwareDirectDrawCreate(const SoftwareDisplayConfig& config, GUID* driver,
                                 IDirectDraw** ddraw, IUnknown*) {
    if (ddraw == nullptr) return DDERR_INVALIDPARAMS;
    *ddraw = nullptr;
    if (driver != nullptr) return DDERR_INVALIDPARAMS;  // only the primary display exists
    return makeObject<SoftwareDirectDraw>(ddraw, config);
}

DirectDrawCreateFunction makeSoftwareDirectDrawCreate(SoftwareDisplayConfig config) {
    return [config](GUID* driver, IDirectDraw** ddraw, IUnknown* outer) {
        return softwareDirectDrawCreate(config, driver, ddraw, outer);
    };
}

HRESULT DirectDrawCreate(GUID* driver, IDirectDraw** ddraw, IUnknown* outer) {
    return softwareDirectDrawCreate(SoftwareDisplayConfig{}, driver, ddraw, outer);
}
