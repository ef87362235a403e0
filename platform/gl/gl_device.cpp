#include "platform/gl/gl_device.h"

#include <algorithm>
#include <new>
#include <utility>

namespace {

GlTarget::Memory memoryOf(SoftwareSurface& surface) {
    return {surface.pixels(), surface.pitch(), surface.width(), surface.height()};
}

bool coversAll(const SoftwareSurface& surface, const PixelRect& rect) {
    return rect.x == 0 && rect.y == 0 && rect.width == surface.width() &&
           rect.height == surface.height();
}

}  // namespace

GlDevice::GlDevice(std::shared_ptr<DisplayContext> context, IDirect3D3* d3d,
                   SoftwareSurface* renderTarget, std::shared_ptr<GlContext> gl)
    : DeviceState(std::move(context), d3d, renderTarget, true), gl_(std::move(gl)) {}

GlDevice::~GlDevice() {
    gl_->makeCurrent();
    letGo(color_);
    letGo(depth_);
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
    made->mirror(*renderTarget, made->color_);
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

// Becomes the surface's mirror; pixels another mirror holds newer come home first.
void GlDevice::mirror(SoftwareSurface& surface, Mirrored& record) {
    if (record.surface == &surface && surface.mirror() == this) return;
    letGo(record);
    surface.usePixels(PixelUse::kRead);
    surface.setMirror(this);
    record = {&surface, false, 0};
}

// Stops mirroring the surface; what only the GPU holds comes home first.
void GlDevice::letGo(Mirrored& record) {
    if (record.surface != nullptr && record.surface->mirror() == this) {
        record.surface->usePixels(PixelUse::kRead);
        record.surface->setMirror(nullptr);
    }
    record = {};
}

GlDevice::Mirrored* GlDevice::recordOf(const SoftwareSurface& surface) {
    if (&surface == color_.surface) return &color_;
    if (&surface == depth_.surface) return &depth_;
    return nullptr;
}

// The GPU's depth buffer has the target's size; a larger Z-buffer is mirrored only in that part,
// so its fills stay in memory.
bool GlDevice::zBufferFits(const SoftwareSurface& depth) const {
    return depth.width() == target_.width() && depth.height() == target_.height();
}

// Sends the memory's pixels up when they changed since the GPU copy was made or last equalled
// them; nothing when the GPU copy is the newer one.
void GlDevice::sendUp(Mirrored& record, bool depth) {
    SoftwareSurface& surface = *record.surface;
    if (surface.newerElsewhere()) return;
    if (record.sent && record.version == surface.version()) return;
    if (depth)
        target_.uploadDepth(memoryOf(surface));
    else
        target_.uploadColor(memoryOf(surface));
    record.sent = true;
    record.version = surface.version();
}

void GlDevice::copyBack(SoftwareSurface& surface) {
    Mirrored* record = recordOf(surface);
    if (record == nullptr || !gl_->makeCurrent()) return;
    if (record == &color_)
        target_.readColor(memoryOf(surface));
    else
        target_.readDepth(memoryOf(surface));
    record->version = surface.version();
}

bool GlDevice::fillElsewhere(SoftwareSurface& surface, const PixelRect& rect, std::uint16_t value) {
    Mirrored* record = recordOf(surface);
    const bool depth = record == &depth_;
    if (record == nullptr || (depth && !zBufferFits(surface)) || !gl_->makeCurrent()) {
        return false;
    }
    context_->finishDrawing();
    if (!coversAll(surface, rect)) sendUp(*record, depth);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target_.framebuffer());
    if (coversAll(surface, rect)) {
        glDisable(GL_SCISSOR_TEST);  // a whole clear may take the driver's fast path
    } else {
        glEnable(GL_SCISSOR_TEST);
        glScissor(rect.x, rect.y, rect.width, rect.height);
    }
    if (depth) {
        const GLfloat far = static_cast<GLfloat>(value) / 65535.0f;  // comes back as `value`
        glDepthMask(GL_TRUE);
        glClearBufferfv(GL_DEPTH, 0, &far);
    } else {
        const GLuint pixel = value;
        glClearBufferuiv(GL_COLOR, 0, &pixel);
    }
    record->sent = true;
    surface.markNewerElsewhere();
    return true;
}

HRESULT GlDevice::EndScene() {
    const HRESULT result = leaveScene();
    if (FAILED(result)) return result;
    if (gl_->makeCurrent()) {
        renderer_.endFrame();
        glFlush();  // the GPU starts on the frame while the CPU goes on
        textures_.dropUnused();
    }
    return D3D_OK;
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
    mirror(*renderTarget_, color_);
    sendUp(color_, false);
    if (constants.depthTest) {
        mirror(*depth, depth_);
        sendUp(depth_, true);
    }
    const GLuint texture =
        constants.textured && texture_ != nullptr ? textures_.textureOf(*texture_) : 0;
    if (!renderer_.draw(constants, target_, texture, static_cast<const D3DVERTEX*>(vertices),
                        vertexCount)) {
        return D3DERR_INVALID_DEVICE;
    }
    renderTarget_->markNewerElsewhere();
    if (constants.depthWrite) depth->markNewerElsewhere();
    return D3D_OK;
}

HRESULT GlDeviceMaker::makeDevice(const std::shared_ptr<DisplayContext>& context, IDirect3D3* d3d,
                                  SoftwareSurface* renderTarget, IDirect3DDevice3** device) {
    lastError_.clear();
    const HRESULT result = GlDevice::create(context, d3d, renderTarget, gl_, device, lastError_);
    if (SUCCEEDED(result)) ++devicesMade_;
    return result;
}
