#include "platform/software/surface.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <utility>

#include "platform/software/bitmap_font.h"

namespace {

bool validDescSize(DWORD size) {
    return size == kDDSurfaceDesc2Size || size == sizeof(DDSURFACEDESC2);
}

bool sizeAcceptable(long long width, long long height) {
    return width > 0 && height > 0 && width <= kMaxSurfaceSide && height <= kMaxSurfaceSide &&
           width * height <= kMaxSurfacePixels;
}

bool isPure16BitZ(const DDPIXELFORMAT& format) {
    return format.dwFlags == DDPF_ZBUFFER && format.dwZBufferBitDepth == 16;
}

// The pixel format a new surface gets: the one asked for, else the display's (or 16-bit Z).
HRESULT chooseFormat(const DisplayContext& context, const DDSURFACEDESC2& desc,
                     DDPIXELFORMAT& format) {
    const bool zBuffer = (desc.ddsCaps.dwCaps & DDSCAPS_ZBUFFER) != 0;
    if ((desc.dwFlags & DDSD_PIXELFORMAT) == 0) {
        format = zBuffer ? zBufferPixelFormat16() : rgbPixelFormat(context.config.layout);
        return DD_OK;
    }
    format = desc.ddpfPixelFormat;
    format.dwSize = kDDPixelFormatSize;
    PixelLayout layout;
    const bool acceptable = zBuffer ? isPure16BitZ(format) : layoutOfPixelFormat(format, layout);
    return acceptable ? DD_OK : DDERR_INVALIDPIXELFORMAT;
}

bool wantsBackBuffer(const DDSURFACEDESC2& desc) {
    return (desc.dwFlags & DDSD_BACKBUFFERCOUNT) != 0 && desc.dwBackBufferCount > 0;
}

// Version stamps are shared by every surface, so that no two pixel states get the same one.
std::uint64_t newStamp() {
    static std::atomic<std::uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

SoftwareSurface* asSoftwareSurface(IDirectDrawSurface4* surface) {
    return dynamic_cast<SoftwareSurface*>(surface);
}

SoftwareSurface* asSoftwareSurface(IDirect3DTexture2* texture) {
    return dynamic_cast<SoftwareSurface*>(texture);
}

HRESULT SoftwareSurface::create(const std::shared_ptr<DisplayContext>& context,
                                const DDSURFACEDESC2& desc, SoftwareSurface** surface) {
    if (!validDescSize(desc.dwSize) || (desc.dwFlags & DDSD_CAPS) == 0) return DDERR_INVALIDPARAMS;
    const DWORD caps = desc.ddsCaps.dwCaps;
    const bool primary = (caps & DDSCAPS_PRIMARYSURFACE) != 0;
    long long width = context->displayWidth;
    long long height = context->displayHeight;
    if (!primary) {
        if ((desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT)) {
            return DDERR_INVALIDPARAMS;
        }
        width = desc.dwWidth;
        height = desc.dwHeight;
    }
    if (!sizeAcceptable(width, height)) return DDERR_INVALIDPARAMS;
    if (wantsBackBuffer(desc)) {
        // One back buffer on a flipping primary is all this display offers.
        const DWORD flipping = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        if ((caps & flipping) != flipping || desc.dwBackBufferCount != 1) return DDERR_UNSUPPORTED;
    }
    DDPIXELFORMAT format;
    if (const HRESULT chosen = chooseFormat(*context, desc, format); FAILED(chosen)) return chosen;

    DDSCAPS2 surfaceCaps = desc.ddsCaps;
    if (primary) surfaceCaps.dwCaps |= DDSCAPS_FRONTBUFFER;
    SoftwareSurface* made = nullptr;
    try {
        made = new SoftwareSurface(context, static_cast<int>(width), static_cast<int>(height),
                                   surfaceCaps, format);
        if (wantsBackBuffer(desc)) {
            DDSCAPS2 backCaps = desc.ddsCaps;
            backCaps.dwCaps = (backCaps.dwCaps & ~(DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER)) |
                              DDSCAPS_BACKBUFFER;
            made->attached_.push_back(new SoftwareSurface(
                context, static_cast<int>(width), static_cast<int>(height), backCaps, format));
        }
    } catch (const std::bad_alloc&) {
        if (made != nullptr) made->Release();
        return DDERR_OUTOFMEMORY;
    }
    *surface = made;
    return DD_OK;
}

SoftwareSurface::SoftwareSurface(std::shared_ptr<DisplayContext> context, int width, int height,
                                 const DDSCAPS2& caps, const DDPIXELFORMAT& format)
    : context_(std::move(context)),
      width_(width),
      height_(height),
      caps_(caps),
      format_(format),
      pixels_(static_cast<std::size_t>(width) * height, 0),
      version_(newStamp()) {
    layoutOfPixelFormat(format_, layout_);
}

SoftwareSurface::~SoftwareSurface() {
    for (SoftwareSurface* surface : attached_) surface->Release();
    releaseAndClear(clipper_);
}

HRESULT SoftwareSurface::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDirectDrawSurface4) {
        return giveOut(static_cast<IDirectDrawSurface4*>(this), object);
    }
    if (riid == IID_IDirect3DTexture2)
        return giveOut(static_cast<IDirect3DTexture2*>(this), object);
    return E_NOINTERFACE;
}

void SoftwareSurface::usePixels(PixelUse use) {
    if (newerElsewhere_) {
        newerElsewhere_ = false;
        if (use != PixelUse::kReplace) mirror_->copyBack(*this);
    }
    if (pendingFill_) {
        const std::uint16_t value = *pendingFill_;
        pendingFill_.reset();
        if (use != PixelUse::kReplace) fillRect(buffer(), {0, 0, width_, height_}, value);
    }
    if (use != PixelUse::kRead) version_ = newStamp();
}

void SoftwareSurface::fillWhenUsed(std::uint16_t value) {
    usePixels(PixelUse::kReplace);
    pendingFill_ = value;
}

SoftwareSurface* SoftwareSurface::attachedZBuffer() const {
    for (SoftwareSurface* surface : attached_) {
        if (surface->isZBuffer()) return surface;
    }
    return nullptr;
}

HRESULT SoftwareSurface::GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface4** attached) {
    if (caps == nullptr || attached == nullptr) return DDERR_INVALIDPARAMS;
    *attached = nullptr;
    for (SoftwareSurface* surface : attached_) {
        if ((surface->caps_.dwCaps & caps->dwCaps) == caps->dwCaps) {
            surface->AddRef();
            *attached = surface;
            return DD_OK;
        }
    }
    return DDERR_NOTFOUND;
}

HRESULT SoftwareSurface::AddAttachedSurface(IDirectDrawSurface4* attached) {
    SoftwareSurface* surface = asSoftwareSurface(attached);
    if (surface == nullptr || surface == this) return DDERR_INVALIDPARAMS;
    if (std::find(attached_.begin(), attached_.end(), surface) != attached_.end()) {
        return DDERR_INVALIDPARAMS;
    }
    // A Z-buffer must cover the surface it serves, or depth tests would read past its end.
    if (surface->isZBuffer() && (surface->width_ < width_ || surface->height_ < height_)) {
        return DDERR_INVALIDPARAMS;
    }
    surface->AddRef();
    attached_.push_back(surface);
    return DD_OK;
}

HRESULT SoftwareSurface::SetClipper(IDirectDrawClipper* clipper) {
    if (clipper != nullptr) clipper->AddRef();
    releaseAndClear(clipper_);
    clipper_ = clipper;
    return DD_OK;
}

void SoftwareSurface::describe(DDSURFACEDESC2& desc) const {
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc.dwWidth = static_cast<DWORD>(width_);
    desc.dwHeight = static_cast<DWORD>(height_);
    desc.lPitch = static_cast<LONG>(width_ * sizeof(std::uint16_t));
    desc.ddpfPixelFormat = format_;
    desc.ddsCaps = caps_;
}

bool SoftwareSurface::rectFromRECT(const RECT* rect, PixelRect& out) const {
    if (rect == nullptr) {
        out = {0, 0, width_, height_};
        return true;
    }
    if (rect->left < 0 || rect->top < 0 || rect->right > width_ || rect->bottom > height_ ||
        rect->left >= rect->right || rect->top >= rect->bottom) {
        return false;
    }
    out = {rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top};
    return true;
}

HRESULT SoftwareSurface::Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD, HANDLE) {
    if (desc == nullptr || !validDescSize(desc->dwSize)) return DDERR_INVALIDPARAMS;
    PixelRect area;
    if (!rectFromRECT(rect, area)) return DDERR_INVALIDRECT;
    if (dcOut_) return DDERR_SURFACEBUSY;
    context_->finishDrawing();
    usePixels(PixelUse::kWrite);
    describe(*desc);
    desc->dwFlags |= DDSD_LPSURFACE;
    desc->lpSurface = pixels_.data() + static_cast<std::size_t>(area.y) * width_ + area.x;
    ++locks_;
    return DD_OK;
}

HRESULT SoftwareSurface::Unlock(RECT*) {
    if (locks_ == 0) return DDERR_NOTLOCKED;
    --locks_;
    version_ = newStamp();  // the pixels may have been written while locked
    return DD_OK;
}

HRESULT SoftwareSurface::GetSurfaceDesc(DDSURFACEDESC2* desc) {
    if (desc == nullptr || !validDescSize(desc->dwSize)) return DDERR_INVALIDPARAMS;
    describe(*desc);
    return DD_OK;
}

HRESULT SoftwareSurface::Blt(RECT* destRect, IDirectDrawSurface4* source, RECT* sourceRect,
                             DWORD flags, DDBLTFX* effects) {
    PixelRect to;
    if (!rectFromRECT(destRect, to)) return DDERR_INVALIDRECT;
    if (isBusy()) return DDERR_SURFACEBUSY;
    context_->finishDrawing();
    if ((flags & DDBLT_COLORFILL) != 0) {
        if (effects == nullptr) return DDERR_INVALIDPARAMS;
        const auto value = static_cast<std::uint16_t>(effects->dwFillColor);
        if (fillElsewhere(to, value)) return DD_OK;
        usePixels(coversAll(to) ? PixelUse::kReplace : PixelUse::kWrite);
        return colorFill(to, effects);
    }
    SoftwareSurface* from = asSoftwareSurface(source);
    if (from == nullptr) return DDERR_INVALIDPARAMS;
    PixelRect area;
    if (!from->rectFromRECT(sourceRect, area)) return DDERR_INVALIDRECT;
    if (from->isBusy()) return DDERR_SURFACEBUSY;
    from->usePixels(PixelUse::kRead);
    usePixels(from != this && coversAll(to) ? PixelUse::kReplace : PixelUse::kWrite);
    return bltFrom(*from, area, to);
}

HRESULT SoftwareSurface::bltFrom(SoftwareSurface& source, PixelRect from, PixelRect to) {
    if (&source != this) {
        blitter_.copy(source.constBuffer(), from, buffer(), to, source.version());
        return DD_OK;
    }
    if (from.width == to.width && from.height == to.height) {
        copyRect(constBuffer(), from, buffer(), to.x, to.y);
        return DD_OK;
    }
    // Scaling within one surface: read from a copy so no source pixel is overwritten first.
    try {
        scratch_.resize(static_cast<std::size_t>(from.width) * from.height);
    } catch (const std::bad_alloc&) {
        return DDERR_OUTOFMEMORY;
    }
    copyRect(constBuffer(), from, {scratch_.data(), from.width}, 0, 0);
    blitter_.copy({scratch_.data(), from.width}, {0, 0, from.width, from.height}, buffer(), to);
    return DD_OK;
}

HRESULT SoftwareSurface::colorFill(PixelRect to, const DDBLTFX* effects) {
    fillRect(buffer(), to, static_cast<std::uint16_t>(effects->dwFillColor));
    return DD_OK;
}

HRESULT SoftwareSurface::BltFast(DWORD x, DWORD y, IDirectDrawSurface4* source, RECT* sourceRect,
                                 DWORD) {
    SoftwareSurface* from = asSoftwareSurface(source);
    if (from == nullptr) return DDERR_INVALIDPARAMS;
    PixelRect area;
    if (!from->rectFromRECT(sourceRect, area)) return DDERR_INVALIDRECT;
    if (x > static_cast<DWORD>(width_) || y > static_cast<DWORD>(height_) ||
        static_cast<int>(x) + area.width > width_ || static_cast<int>(y) + area.height > height_) {
        return DDERR_INVALIDRECT;
    }
    if (isBusy() || from->isBusy()) return DDERR_SURFACEBUSY;
    context_->finishDrawing();
    from->usePixels(PixelUse::kRead);
    usePixels(from != this &&
                      coversAll({static_cast<int>(x), static_cast<int>(y), area.width, area.height})
                  ? PixelUse::kReplace
                  : PixelUse::kWrite);
    copyRect(from->constBuffer(), area, buffer(), static_cast<int>(x), static_cast<int>(y));
    return DD_OK;
}

HRESULT SoftwareSurface::Flip(IDirectDrawSurface4* override, DWORD) {
    if ((caps_.dwCaps & DDSCAPS_FLIP) == 0 || (caps_.dwCaps & DDSCAPS_FRONTBUFFER) == 0) {
        return DDERR_NOTFLIPPABLE;
    }
    SoftwareSurface* back = nullptr;
    for (SoftwareSurface* surface : attached_) {
        if ((surface->caps_.dwCaps & DDSCAPS_BACKBUFFER) != 0) back = surface;
    }
    if (back == nullptr) return DDERR_NOTFLIPPABLE;
    if (override != nullptr && asSoftwareSurface(override) != back) return DDERR_INVALIDPARAMS;
    if (isBusy() || back->isBusy()) return DDERR_SURFACEBUSY;
    context_->finishDrawing();
    usePixels(PixelUse::kWrite);
    back->usePixels(PixelUse::kWrite);
    // Swapping the stores is the flip: the finished frame becomes the visible one.
    pixels_.swap(back->pixels_);
    present();
    return DD_OK;
}

void SoftwareSurface::present() {
    Presenter* presenter = context_->config.presenter;
    if (presenter == nullptr) return;
    presenter->present({pixels_.data(), width_, width_, height_, layout_});
}

HRESULT SoftwareSurface::GetDC(HDC* dc) {
    if (dc == nullptr) return DDERR_INVALIDPARAMS;
    *dc = nullptr;
    if (isZBuffer()) return DDERR_CANTCREATEDC;
    if (isBusy()) return DDERR_SURFACEBUSY;
    context_->finishDrawing();
    usePixels(PixelUse::kWrite);
    dcOut_ = true;
    *dc = static_cast<DeviceContext*>(this);
    return DD_OK;
}

HRESULT SoftwareSurface::ReleaseDC(HDC dc) {
    if (!dcOut_ || dc != static_cast<DeviceContext*>(this)) return DDERR_NODC;
    dcOut_ = false;
    version_ = newStamp();  // text or pixels may have been written through the context
    return DD_OK;
}

COLORREF SoftwareSurface::setPixel(int x, int y, COLORREF color) {
    if (!dcOut_ || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    const std::uint16_t value =
        packPixel(layout_, GetRValue(color), GetGValue(color), GetBValue(color));
    pixels_[static_cast<std::size_t>(y) * width_ + x] = value;
    const Rgb8 set = unpackPixel(layout_, value);
    return RGB(set.r, set.g, set.b);
}

bool SoftwareSurface::textOut(int x, int y, const char* text, int length) {
    if (!dcOut_ || length < 0 || (text == nullptr && length > 0)) return false;
    // The default context: black ink on opaque white paper.
    const std::uint16_t ink = packPixel(layout_, 0, 0, 0);
    const std::uint16_t paper = packPixel(layout_, 255, 255, 255);
    drawText({pixels_.data(), width_, width_, height_}, x, y, text, length, ink, paper);
    return true;
}
