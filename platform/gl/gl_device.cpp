#include "platform/gl/gl_device.h"

#include <algorithm>
#include <new>
#include <utility>

namespace {

GlTarget::Memory memoryOf(SoftwareSurface& surface) {
    return {surface.pixels(), surface.pitch(), surface.width(), surface.height()};
}

}  // namespace

GlDevice::GlDevice(std::shared_ptr<DisplayContext> context, IDirect3D3* d3d,
                   SoftwareSurface* renderTarget, std::shared_ptr<GlContext> gl)
    : DeviceState(std::move(context), d3d, renderTarget, true), gl_(std::move(gl)) {}

GlDevice::~GlDevice() {
    gl_->makeCurrent();
    // What only the GPU holds comes home before the GPU copies go.
    for (SoftwareSurface* surface : {renderTarget_, depth_}) {
        if (surface == nullptr || !surface->hasNewerCopyIn(this)) continue;
        surface->usePixels(PixelUse::kRead);
    }
}

HRESULT GlDevice::create(const std::shared_ptr<DisplayContext>& context, IDirect3D3* d3d,
                         SoftwareSurface* renderTarget, std::shared_ptr<GlContext> gl,
                         IDirect3DDevice3** device, std::string& error) {
    if (device == nullptr || renderTarget == nullptr) return DDERR_INVALIDPARAMS;
    *device = nullptr;
    if (!gl->makeCurrent()) {
        error = "the OpenGL context cannot be made current";
        return DDERR_GENERIC;
    }
    GlDevice* made = nullptr;
    try {
        made = new GlDevice(context, d3d, renderTarget, std::move(gl));
    } catch (const std::bad_alloc&) {
        return DDERR_OUTOFMEMORY;
    }
    if (!made->makeGlObjects(error)) {
        made->Release();
        return DDERR_GENERIC;
    }
    *device = made;
    return D3D_OK;
}

bool GlDevice::makeGlObjects(std::string& error) {
    if (!renderer_.init(error)) return false;
    const int width = renderTarget_->width(), height = renderTarget_->height();
    if (std::max(width, height) > renderer_.largestTarget() || !target_.resize(width, height)) {
        error = "OpenGL cannot make a " + std::to_string(width) + "x" + std::to_string(height) +
                " render target";
        return false;
    }
    return true;
}

HRESULT GlDevice::EndScene() {
    const HRESULT result = leaveScene();
    if (FAILED(result)) return result;
    if (gl_->makeCurrent()) {
        glFlush();  // the GPU starts on the frame while the CPU goes on
        textures_.dropUnused();
    }
    return D3D_OK;
}

void GlDevice::sendColorUp() {
    if (renderTarget_->hasNewerCopyIn(this)) return;
    renderTarget_->usePixels(PixelUse::kRead);  // another keeper's newer pixels come home first
    if (colorSent_ && colorVersion_ == renderTarget_->version()) return;
    target_.uploadColor(memoryOf(*renderTarget_));
    colorVersion_ = renderTarget_->version();
    colorSent_ = true;
}

void GlDevice::sendDepthUp(SoftwareSurface& depth) {
    if (&depth != depth_) {
        depth_ = &depth;
        depthSent_ = false;
    }
    if (depth.hasNewerCopyIn(this)) return;
    depth.usePixels(PixelUse::kRead);
    if (depthSent_ && depthVersion_ == depth.version()) return;
    target_.uploadDepth(memoryOf(depth));
    depthVersion_ = depth.version();
    depthSent_ = true;
}

void GlDevice::copyBack(SoftwareSurface& surface) {
    if (!gl_->makeCurrent()) return;
    if (&surface == renderTarget_) {
        target_.readColor(memoryOf(surface));
        colorVersion_ = surface.version();
    } else if (&surface == depth_) {
        target_.readDepth(memoryOf(surface));
        depthVersion_ = surface.version();
    }
}

HRESULT GlDevice::DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, void* vertices,
                                DWORD vertexCount, DWORD) {
    if (const HRESULT checked = checkDraw(type, vertexFormat, vertices, vertexCount);
        FAILED(checked)) {
        return checked;
    }
    if (vertexCount < 3) return D3D_OK;
    if (!gl_->makeCurrent()) return D3DERR_INVALID_DEVICE;
    SoftwareSurface* depth = renderTarget_->attachedZBuffer();
    sw::RasterState state;
    sw::TextureView texels;
    gatherState(state, texels);
    GlTargetSize size{target_.width(), target_.height(), 0, 0};
    if (depth != nullptr)
        size = {target_.width(), target_.height(), depth->width(), depth->height()};
    GlDrawConstants constants;
    if (!computeDrawConstants(state, size, renderTarget_->layout(), constants)) return D3D_OK;
    context_->finishDrawing();  // another device's unfinished triangles go first
    sendColorUp();
    if (constants.depthTest) sendDepthUp(*depth);
    const GLuint texture =
        constants.textured && texture_ != nullptr ? textures_.textureOf(*texture_) : 0;
    if (!renderer_.draw(constants, target_, texture, static_cast<const D3DVERTEX*>(vertices),
                        vertexCount)) {
        return D3DERR_INVALID_DEVICE;
    }
    renderTarget_->keepNewerCopyIn(this);
    if (constants.depthWrite) depth->keepNewerCopyIn(this);
    return D3D_OK;
}

HRESULT GlDeviceMaker::makeDevice(const std::shared_ptr<DisplayContext>& context, IDirect3D3* d3d,
                                  SoftwareSurface* renderTarget, IDirect3DDevice3** device) {
    lastError_.clear();
    const HRESULT result = GlDevice::create(context, d3d, renderTarget, gl_, device, lastError_);
    if (SUCCEEDED(result)) ++devicesMade_;
    return result;
}
