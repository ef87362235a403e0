#include "platform/software/device_state.h"

#include <utility>

#include "platform/pixel_format.h"

namespace {

constexpr D3DMATRIX kIdentity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
constexpr DWORD kTextureStages = 8;

D3DCOLORVALUE colorValueOf(D3DCOLOR color) {
    auto channel = [color](int shift) {
        return static_cast<float>(color >> shift & 0xFF) / 255.0f;
    };
    return {channel(16), channel(8), channel(0), channel(24)};
}

// Triangle capabilities of both devices: perspective-correct textures of any size.
void describeDevice(D3DDEVICEDESC& desc) {
    desc = {};
    desc.dwSize = kD3DDeviceDescSize;
    desc.dwFlags = D3DDD_COLORMODEL | D3DDD_DEVCAPS | D3DDD_TRICAPS | D3DDD_DEVICERENDERBITDEPTH |
                   D3DDD_DEVICEZBUFFERBITDEPTH;
    desc.dcmColorModel = D3DCOLOR_RGB;
    desc.dpcTriCaps.dwSize = sizeof(D3DPRIMCAPS);
    desc.dpcTriCaps.dwTextureCaps = D3DPTEXTURECAPS_PERSPECTIVE;
    desc.dpcLineCaps.dwSize = sizeof(D3DPRIMCAPS);
    desc.dwDeviceRenderBitDepth = DDBD_16;
    desc.dwDeviceZBufferBitDepth = DDBD_16;
    desc.dwMaxTextureWidth = kMaxSurfaceSide;
    desc.dwMaxTextureHeight = kMaxSurfaceSide;
    desc.dwMaxVertexCount = 0xFFFF;
    desc.wMaxTextureBlendStages = 1;
    desc.wMaxSimultaneousTextures = 1;
}

}  // namespace

DeviceState::DeviceState(std::shared_ptr<DisplayContext> context, IDirect3D3* d3d,
                         SoftwareSurface* renderTarget, bool hardware)
    : context_(std::move(context)),
      renderTarget_(renderTarget),
      d3d_(d3d),
      hardware_(hardware),
      world_(kIdentity),
      view_(kIdentity),
      projection_(kIdentity) {
    d3d_->AddRef();
    renderTarget_->AddRef();
}

DeviceState::~DeviceState() {
    for (SoftwareViewport* viewport : viewports_) {
        viewport->setDevice(nullptr);
        viewport->Release();
    }
    if (texture_ != nullptr) texture_->Release();
    renderTarget_->Release();
    d3d_->Release();
}

HRESULT DeviceState::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDirect3DDevice3) return giveOut(this, object);
    return E_NOINTERFACE;
}

HRESULT DeviceState::AddViewport(IDirect3DViewport3* viewport) {
    auto* ours = dynamic_cast<SoftwareViewport*>(viewport);
    if (ours == nullptr || ours->device() != nullptr) return DDERR_INVALIDPARAMS;
    ours->AddRef();
    ours->setDevice(this);
    viewports_.push_back(ours);
    return D3D_OK;
}

HRESULT DeviceState::SetCurrentViewport(IDirect3DViewport3* viewport) {
    auto* ours = dynamic_cast<SoftwareViewport*>(viewport);
    if (ours == nullptr || ours->device() != this) return DDERR_INVALIDPARAMS;
    currentViewport_ = ours;
    return D3D_OK;
}

HRESULT DeviceState::GetDirect3D(IDirect3D3** d3d) {
    if (d3d == nullptr) return DDERR_INVALIDPARAMS;
    d3d_->AddRef();
    *d3d = d3d_;
    return D3D_OK;
}

HRESULT DeviceState::SetLightState(D3DLIGHTSTATETYPE state, DWORD value) {
    switch (state) {
        case D3DLIGHTSTATE_MATERIAL:
            materialHandle_ = value;
            return D3D_OK;
        case D3DLIGHTSTATE_AMBIENT:
            ambient_ = value;
            return D3D_OK;
    }
    return DDERR_INVALIDPARAMS;
}

HRESULT DeviceState::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    switch (state) {
        case D3DRENDERSTATE_TEXTUREADDRESS:
            if (value < D3DTADDRESS_WRAP || value > D3DTADDRESS_CLAMP) return DDERR_INVALIDPARAMS;
            textureAddress_ = static_cast<sw::TextureAddress>(value);
            return D3D_OK;
        case D3DRENDERSTATE_CULLMODE:
            if (value < D3DCULL_NONE || value > D3DCULL_CCW) return DDERR_INVALIDPARAMS;
            cull_ = static_cast<sw::CullMode>(value);
            return D3D_OK;
        case D3DRENDERSTATE_SHADEMODE:
            gouraud_ = value != D3DSHADE_FLAT;
            return D3D_OK;
        case D3DRENDERSTATE_TEXTUREPERSPECTIVE:
            perspective_ = value != 0;
            return D3D_OK;
        case D3DRENDERSTATE_ZENABLE:
            zEnable_ = value != 0;
            return D3D_OK;
        case D3DRENDERSTATE_ZWRITEENABLE:
            zWrite_ = value != 0;
            return D3D_OK;
        case D3DRENDERSTATE_DITHERENABLE:
            dither_ = value != 0;
            return D3D_OK;
        case D3DRENDERSTATE_SPECULARENABLE:
            specular_ = value != 0;
            return D3D_OK;
    }
    return DDERR_INVALIDPARAMS;
}

HRESULT DeviceState::SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    if (matrix == nullptr) return DDERR_INVALIDPARAMS;
    switch (state) {
        case D3DTRANSFORMSTATE_WORLD:
            world_ = *matrix;
            return D3D_OK;
        case D3DTRANSFORMSTATE_VIEW:
            view_ = *matrix;
            return D3D_OK;
        case D3DTRANSFORMSTATE_PROJECTION:
            projection_ = *matrix;
            return D3D_OK;
    }
    return DDERR_INVALIDPARAMS;
}

HRESULT DeviceState::BeginScene() {
    if (inScene_) return D3DERR_SCENE_IN_SCENE;
    inScene_ = true;
    return D3D_OK;
}

HRESULT DeviceState::leaveScene() {
    if (!inScene_) return D3DERR_SCENE_NOT_IN_SCENE;
    inScene_ = false;
    return D3D_OK;
}

HRESULT DeviceState::SetTexture(DWORD stage, IDirect3DTexture2* texture) {
    if (stage >= kTextureStages) return DDERR_INVALIDPARAMS;
    SoftwareSurface* surface = asSoftwareSurface(texture);
    if (texture != nullptr && (surface == nullptr || surface->isZBuffer())) {
        return DDERR_INVALIDPARAMS;
    }
    // Only stage 0 is drawn with; the others are accepted and ignored.
    if (stage != 0) return D3D_OK;
    if (surface != nullptr) surface->AddRef();
    if (texture_ != nullptr) texture_->Release();
    texture_ = surface;
    return D3D_OK;
}

HRESULT DeviceState::checkDraw(D3DPRIMITIVETYPE type, DWORD vertexFormat, const void* vertices,
                               DWORD vertexCount) const {
    if (!inScene_) return D3DERR_SCENE_NOT_IN_SCENE;
    if (type != D3DPT_TRIANGLELIST) return D3DERR_INVALIDPRIMITIVETYPE;
    if (vertexFormat != D3DFVF_VERTEX) return D3DERR_INVALIDVERTEXTYPE;
    if (vertices == nullptr && vertexCount > 0) return DDERR_INVALIDPARAMS;
    if (currentViewport_ == nullptr) return D3DERR_VIEWPORTHASNODEVICE;
    const SoftwareSurface* depth = renderTarget_->attachedZBuffer();
    if (renderTarget_->isBusy() || (depth != nullptr && depth->isBusy()) ||
        (texture_ != nullptr && texture_->isBusy())) {
        return DDERR_SURFACEBUSY;
    }
    return D3D_OK;
}

void DeviceState::gatherMaterial(sw::RasterState& state) const {
    const auto found = context_->materials.find(materialHandle_);
    if (found != context_->materials.end()) {
        state.material = found->second->values();
    } else {
        state.material = {};
        state.material.diffuse = {1, 1, 1, 1};
    }
}

void DeviceState::gatherLight(sw::RasterState& state) const {
    state.ambient = colorValueOf(ambient_);
    const SoftwareLight* light = currentViewport_->firstLight();
    if (light == nullptr) {
        state.light.enabled = false;
        return;
    }
    const D3DLIGHT& values = light->values();
    state.light.enabled = true;
    state.light.parallelPoint = values.dltType != D3DLIGHT_DIRECTIONAL;
    state.light.position = values.dvPosition;
    state.light.direction = values.dvDirection;
    state.light.color = values.dcvColor;
}

void DeviceState::gatherState(sw::RasterState& state, sw::TextureView& texture) const {
    state.world = world_;
    state.view = view_;
    state.projection = projection_;
    const D3DVIEWPORT2& viewport = currentViewport_->values();
    state.viewport = {static_cast<int>(viewport.dwX),
                      static_cast<int>(viewport.dwY),
                      static_cast<int>(viewport.dwWidth),
                      static_cast<int>(viewport.dwHeight),
                      viewport.dvClipX,
                      viewport.dvClipY,
                      viewport.dvClipWidth,
                      viewport.dvClipHeight,
                      viewport.dvMinZ,
                      viewport.dvMaxZ};
    gatherMaterial(state);
    gatherLight(state);
    state.texture = nullptr;
    if (texture_ != nullptr) {
        texture = {texture_->pixels(), texture_->pitch(), texture_->width(), texture_->height(),
                   texture_->layout()};
        state.texture = &texture;
    }
    state.textureAddress = textureAddress_;
    state.cull = cull_;
    state.zEnable = zEnable_;
    state.zWrite = zWrite_;
    state.gouraud = gouraud_;
    state.perspective = perspective_;
    state.dither = dither_;
    state.specular = specular_;
}

HRESULT DeviceState::GetCaps(D3DDEVICEDESC* hardware, D3DDEVICEDESC* software) {
    if (hardware == nullptr || software == nullptr || hardware->dwSize != kD3DDeviceDescSize ||
        software->dwSize != kD3DDeviceDescSize) {
        return DDERR_INVALIDPARAMS;
    }
    // A software device answers as a machine without 3D hardware: its hardware description stays
    // empty.
    *hardware = {};
    hardware->dwSize = kD3DDeviceDescSize;
    if (hardware_) describeDevice(*hardware);
    describeDevice(*software);
    return D3D_OK;
}

HRESULT DeviceState::EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) {
    if (callback == nullptr) return DDERR_INVALIDPARAMS;
    // 5-5-5 first: the texture loader's pixels are 5-5-5 and it takes the first plain format.
    for (PixelLayout layout : {PixelLayout::k555, PixelLayout::k565}) {
        DDPIXELFORMAT format = rgbPixelFormat(layout);
        if (callback(&format, context) == D3DENUMRET_CANCEL) break;
    }
    return D3D_OK;
}
