// The hardware 3D device: the same device state as the software device, drawn by OpenGL.
//
// The surfaces stay the software display's surfaces in memory; the device mirrors its render
// target and Z-buffer on the GPU. Clears of them happen on the GPU (the Z-buffer then never
// travels); other changes in memory, such as the backdrop's scaled copy onto the target, go up
// before the next draw. A draw leaves the GPU's copy the newer one, and anything that uses the
// surface's memory (a lock, a copy from it, its device context) has it read back first. So the
// frame-rate text, the flip and the presenters work on memory as before, and every reader sees
// what the software device would have left. The pixel shader writes the finished 16-bit pixels
// (dithered and packed) into an integer target, so what comes back is the surface's own format.
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

class GlDevice final : public DeviceState, private PixelMirror {
  public:
    // The device for `renderTarget`; fails (with the reason) when the GL objects cannot be made.
    static HRESULT create(const std::shared_ptr<DisplayContext>& context, IDirect3D3* d3d,
                          SoftwareSurface* renderTarget, std::shared_ptr<GlContext> gl,
                          IDirect3DDevice3** device, std::string& error);

    HRESULT EndScene() override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, void* vertices,
                          DWORD vertexCount, DWORD flags) override;

  private:
    // What the device knows about one mirrored surface's GPU copy.
    struct Mirrored {
        SoftwareSurface* surface = nullptr;  // not a reference: the target holds the Z-buffer
        bool sent = false;                   // the GPU copy has been made at all
        std::uint64_t version = 0;           // the memory version the GPU copy equals
    };

    GlDevice(std::shared_ptr<DisplayContext> context, IDirect3D3* d3d,
             SoftwareSurface* renderTarget, std::shared_ptr<GlContext> gl);
    ~GlDevice() override;

    bool makeGlObjects(std::string& error);
    void mirror(SoftwareSurface& surface, Mirrored& record);
    void letGo(Mirrored& record);
    Mirrored* recordOf(const SoftwareSurface& surface);
    void sendUp(Mirrored& record, bool depth);
    bool zBufferFits(const SoftwareSurface& depth) const;

    void copyBack(SoftwareSurface& surface) override;
    bool fillElsewhere(SoftwareSurface& surface, const PixelRect& rect,
                       std::uint16_t value) override;

    std::shared_ptr<GlContext> gl_;  // first: the GL objects below go while it is current
    GlTarget target_;
    GlRenderer renderer_;
    GlTextureCache textures_;
    Mirrored color_;
    Mirrored depth_;
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
