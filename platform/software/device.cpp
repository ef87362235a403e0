#include "platform/software/device.h"

#include <utility>

SoftwareDevice::SoftwareDevice(std::shared_ptr<DisplayContext> context, IDirect3D3* d3d,
                               SoftwareSurface* renderTarget)
    : DeviceState(std::move(context), d3d, renderTarget, false),
      rasterizer_(context_->config.threads) {}

SoftwareDevice::~SoftwareDevice() {
    if (context_->unfinished == static_cast<UnfinishedDrawing*>(this)) context_->finishDrawing();
}

HRESULT SoftwareDevice::EndScene() {
    const HRESULT result = leaveScene();
    if (SUCCEEDED(result)) context_->finishDrawing();
    return result;
}

HRESULT SoftwareDevice::DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, void* vertices,
                                      DWORD vertexCount, DWORD) {
    if (const HRESULT checked = checkDraw(type, vertexFormat, vertices, vertexCount);
        FAILED(checked)) {
        return checked;
    }
    SoftwareSurface* depth = renderTarget_->attachedZBuffer();
    sw::RasterState state;
    sw::TextureView texture;
    gatherState(state, texture);
    const sw::ColorTarget color{renderTarget_->pixels(), renderTarget_->pitch(),
                                renderTarget_->width(), renderTarget_->height(),
                                renderTarget_->layout()};
    sw::DepthTarget depthTarget;
    if (depth != nullptr) {
        depthTarget = {depth->pixels(), depth->pitch(), depth->width(), depth->height()};
    }
    // Another device's triangles go first; this device's own may stay unfinished.
    if (context_->unfinished != static_cast<UnfinishedDrawing*>(this)) context_->finishDrawing();
    // Pixels that another device keeps newer elsewhere come back before these are drawn.
    renderTarget_->usePixels(PixelUse::kWrite);
    if (depth != nullptr) depth->usePixels(PixelUse::kWrite);
    if (texture_ != nullptr) texture_->usePixels(PixelUse::kRead);
    rasterizer_.drawTriangleList(state, color, depth != nullptr ? &depthTarget : nullptr,
                                 static_cast<const D3DVERTEX*>(vertices), vertexCount);
    if (rasterizer_.hasUnfinishedDrawing()) {
        context_->unfinished = this;
        keepTextureUntilFinished();
    }
    return D3D_OK;
}

void SoftwareDevice::keepTextureUntilFinished() {
    if (texture_ == nullptr) return;
    if (!texturesInUse_.empty() && texturesInUse_.back() == texture_) return;
    texturesInUse_.push_back(texture_);
    texture_->AddRef();
}

void SoftwareDevice::finishDrawing() {
    rasterizer_.finish();
    for (SoftwareSurface* texture : texturesInUse_) texture->Release();
    texturesInUse_.clear();
}
