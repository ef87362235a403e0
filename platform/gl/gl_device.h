// The hardware 3D device: the same device state as the software device, drawn by OpenGL.
//
// The surfaces stay the software display's surfaces in memory; the device keeps a copy of its
// render target (and Z-buffer) on the GPU. A draw first sends up whatever changed in memory since
// the GPU last saw it (a clear, the backdrop's blit, a lock), then draws there; the surface then
// knows that the GPU holds newer pixels, and anything that uses its memory (a lock, a blit from
// it, its device context, a clear of part of it) has them read back first. So the frame-rate
// text, the flip and the presenters work on memory as before, and every reader sees what the
// software device would have left. The pixel shader writes the finished 16-bit pixels (dithered
// and packed), so what comes back is the surface's own format, not something to convert.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/gl/gl_context.h"
#include "platform/gl/gl_renderer.h"
#include "platform/gl/gl_target.h"
#include "platform/gl/gl_texture.h"
#include "platform/software/device_state.h"
#include "platform/software/software_display.h"

class GlDevice final : public DeviceState, private PixelCopyKeeper {
  public:
    // The device for `renderTarget`; fails (with the reason) when the GL objects cannot be made.
    static HRESULT create(const std::shared_ptr<DisplayContext>& context, IDirect3D3* d3d,
                          SoftwareSurface* renderTarget, std::shared_ptr<GlContext> gl,
                          IDirect3DDevice3** device, std::string& error);

    HRESULT EndScene() override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, void* vertices,
                          DWORD vertexCount, DWORD flags) override;

  private:
    GlDevice(std::shared_ptr<DisplayContext> context, IDirect3D3* d3d,
             SoftwareSurface* renderTarget, std::shared_ptr<GlContext> gl);
    ~GlDevice() override;

    bool makeGlObjects(std::string& error);
    void copyBack(SoftwareSurface& surface) override;
    void sendColorUp();
    void sendDepthUp(SoftwareSurface& depth);

    std::shared_ptr<GlContext> gl_;  // first: the GL objects below go while it is current
    GlTarget target_;
    GlRenderer renderer_;
    GlTextureCache textures_;
    SoftwareSurface* depth_ = nullptr;  // the Z-buffer the GPU copy belongs to (not a reference)
    // The versions of the surfaces' memory that the GPU copies equal.
    std::uint64_t colorVersion_ = 0;
    std::uint64_t depthVersion_ = 0;
    bool colorSent_ = false;
    bool depthSent_ = false;
};

// Makes OpenGL devices on one context for the software display's hardware device kind.
class GlDeviceMaker final : public HardwareDeviceMaker {
  public:
    explicit GlDeviceMaker(std::shared_ptr<GlContext> gl) : gl_(std::move(gl)) {}

    HRESULT makeDevice(const std::shared_ptr<DisplayContext>& context, IDirect3D3* d3d,
                       SoftwareSurface* renderTarget, IDirect3DDevice3** device) override;

    int devicesMade() const { return devicesMade_; }
    // Why the last device could not be made; empty when it was.
    const std::string& lastError() const { return lastError_; }
    const std::string& renderer() const { return gl_->renderer(); }

  private:
    std::shared_ptr<GlContext> gl_;
    int devicesMade_ = 0;
    std::string lastError_;
};
