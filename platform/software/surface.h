// A software surface: 16-bit pixels in memory, usable as colour surface, Z-buffer or texture,
// with the flip chain, the blits and a GDI-style device context.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/d3d.h"
#include "platform/ddraw.h"
#include "platform/gdi.h"
#include "platform/pixel_format.h"
#include "platform/software/blit.h"
#include "platform/software/com_object.h"
#include "platform/software/display_context.h"

class SoftwareSurface;

// Keeps a copy of a surface's pixels elsewhere (a GPU's memory). The copy can be newer than the
// surface's memory, and the mirror may do fills there instead of in memory.
class PixelMirror {
  public:
    // Brings the newer copy into the surface's memory.
    virtual void copyBack(SoftwareSurface& surface) = 0;
    // Fills `rect` with `value` in the copy, which then is the newer one; false: memory does it.
    virtual bool fillElsewhere(SoftwareSurface& surface, const PixelRect& rect,
                               std::uint16_t value) = 0;

  protected:
    ~PixelMirror() = default;
};

// How an operation uses the pixels in memory: it reads them, changes some, or replaces them all.
enum class PixelUse { kRead, kWrite, kReplace };

class SoftwareSurface final : public ComObject<IDirectDrawSurface4, IDirect3DTexture2>,
                              private DeviceContext {
  public:
    // Checks the description and makes the surface (and, for a flipping primary, its back buffer).
    static HRESULT create(const std::shared_ptr<DisplayContext>& context,
                          const DDSURFACEDESC2& desc, SoftwareSurface** surface);

    HRESULT QueryInterface(REFIID riid, void** object) override;

    HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface4** attached) override;
    HRESULT AddAttachedSurface(IDirectDrawSurface4* attached) override;
    HRESULT SetClipper(IDirectDrawClipper* clipper) override;
    HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE event) override;
    HRESULT Unlock(RECT* rect) override;
    HRESULT Blt(RECT* destRect, IDirectDrawSurface4* source, RECT* sourceRect, DWORD flags,
                DDBLTFX* effects) override;
    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface4* source, RECT* sourceRect,
                    DWORD transferFlags) override;
    HRESULT Flip(IDirectDrawSurface4* override, DWORD flags) override;
    HRESULT GetDC(HDC* dc) override;
    HRESULT ReleaseDC(HDC dc) override;
    HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc) override;

    // For the 3D device.
    int width() const { return width_; }
    int height() const { return height_; }
    int pitch() const { return width_; }  // in pixels
    std::uint16_t* pixels() { return pixels_.data(); }
    bool isZBuffer() const { return (caps_.dwCaps & DDSCAPS_ZBUFFER) != 0; }
    bool isBusy() const { return locks_ > 0 || dcOut_; }
    PixelLayout layout() const { return layout_; }
    // Brings the display's unfinished drawing into its surfaces.
    void finishDrawing() { context_->finishDrawing(); }

    // Called before the pixels in memory are used: a newer copy kept elsewhere is brought back
    // first (unless every pixel is about to be replaced), and a change counts towards version().
    void usePixels(PixelUse use);
    // Fills every pixel with `value` when the pixels are next used, unless what uses them first
    // replaces them all: a clear followed by a blit over the whole surface writes it once.
    void fillWhenUsed(std::uint16_t value);
    // Names the pixels in memory as they stand: a stamp no surface had before, taken anew whenever
    // they may have changed, so that equal stamps mean the same pixels.
    std::uint64_t version() const { return version_; }
    // The mirror that keeps a copy of the pixels elsewhere, or null. A mirror that goes away
    // brings its newer pixels home and sets null.
    PixelMirror* mirror() const { return mirror_; }
    void setMirror(PixelMirror* mirror) { mirror_ = mirror; }
    // From now on the mirror's copy is newer than memory, until usePixels brings it back.
    void markNewerElsewhere() { newerElsewhere_ = mirror_ != nullptr; }
    bool newerElsewhere() const { return newerElsewhere_; }
    // Fills `rect` in the mirror's copy when the mirror takes it; false: fill memory.
    bool fillElsewhere(const PixelRect& rect, std::uint16_t value) {
        return mirror_ != nullptr && mirror_->fillElsewhere(*this, rect, value);
    }

    // The attached Z-buffer, if any (not a new reference).
    SoftwareSurface* attachedZBuffer() const;

  private:
    SoftwareSurface(std::shared_ptr<DisplayContext> context, int width, int height,
                    const DDSCAPS2& caps, const DDPIXELFORMAT& format);
    ~SoftwareSurface() override;

    COLORREF setPixel(int x, int y, COLORREF color) override;
    bool textOut(int x, int y, const char* text, int length) override;

    bool rectFromRECT(const RECT* rect, PixelRect& out) const;
    bool coversAll(const PixelRect& rect) const {
        return rect.x == 0 && rect.y == 0 && rect.width == width_ && rect.height == height_;
    }
    PixelBuffer buffer() { return {pixels_.data(), width_}; }
    ConstPixelBuffer constBuffer() const { return {pixels_.data(), width_}; }
    void describe(DDSURFACEDESC2& desc) const;
    HRESULT bltFrom(SoftwareSurface& source, PixelRect from, PixelRect to);
    HRESULT colorFill(PixelRect to, const DDBLTFX* effects);
    void present();

    std::shared_ptr<DisplayContext> context_;
    int width_;
    int height_;
    DDSCAPS2 caps_;
    DDPIXELFORMAT format_;
    PixelLayout layout_ = PixelLayout::k565;
    std::vector<std::uint16_t> pixels_;
    std::vector<std::uint16_t> scratch_;  // a copy of the source when a blit scales within itself
    ScaledBlitter blitter_;
    std::vector<SoftwareSurface*> attached_;  // each holds a reference
    IDirectDrawClipper* clipper_ = nullptr;   // holds a reference
    int locks_ = 0;
    bool dcOut_ = false;
    std::uint64_t version_;
    PixelMirror* mirror_ = nullptr;  // not owned
    bool newerElsewhere_ = false;
    std::optional<std::uint16_t> pendingFill_;  // see fillWhenUsed
};

// The software surface behind an interface, or null when it is someone else's object.
SoftwareSurface* asSoftwareSurface(IDirectDrawSurface4* surface);
SoftwareSurface* asSoftwareSurface(IDirect3DTexture2* texture);
