// The 2D surface interfaces of the display platform: the display object, surfaces, clipper, and
// their records and flags. Narrow: only what the program calls, with the platform's names.
#pragma once

#include <cstring>
#include <functional>

#include "platform/com.h"
#include "platform/gdi.h"

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct DDPIXELFORMAT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwFourCC;
    union {
        DWORD dwRGBBitCount;
        DWORD dwZBufferBitDepth;
    };
    union {
        DWORD dwRBitMask;
        DWORD dwStencilBitDepth;
    };
    union {
        DWORD dwGBitMask;
        DWORD dwZBitMask;
    };
    union {
        DWORD dwBBitMask;
        DWORD dwStencilBitMask;
    };
    DWORD dwRGBAlphaBitMask;
};

struct DDSCAPS2 {
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwCaps3;
    DWORD dwCaps4;
};

struct DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
};

// The platform's record is 124 bytes with 32-bit pointers; callers set dwSize to
// kDDSurfaceDesc2Size, the platform's figure, whatever this build's sizeof is.
struct DDSURFACEDESC2 {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    LONG lPitch;  // bytes from one row to the next
    DWORD dwBackBufferCount;
    DWORD dwRefreshRate;
    DWORD dwAlphaBitDepth;
    DWORD dwReserved;
    void* lpSurface;
    DDCOLORKEY ddckCKDestOverlay;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS2 ddsCaps;
    DWORD dwTextureStage;
};

// Only the fill colour of the platform's blit-effects record is used.
struct DDBLTFX {
    DWORD dwSize;
    DWORD dwDDFX;
    DWORD dwFillColor;
};

constexpr DWORD kDDSurfaceDesc2Size = 124;
constexpr DWORD kDDPixelFormatSize = 32;
static_assert(sizeof(DDPIXELFORMAT) == kDDPixelFormatSize);
static_assert(sizeof(DDSCAPS2) == 16);

// A zeroed surface description with its size set, as every call that takes one expects.
inline DDSURFACEDESC2 emptySurfaceDesc() {
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = kDDSurfaceDesc2Size;
    return desc;
}

// Cooperative levels.
constexpr DWORD DDSCL_FULLSCREEN = 0x1;
constexpr DWORD DDSCL_NORMAL = 0x8;
constexpr DWORD DDSCL_EXCLUSIVE = 0x10;

// Which fields of a DDSURFACEDESC2 are valid.
constexpr DWORD DDSD_CAPS = 0x1;
constexpr DWORD DDSD_HEIGHT = 0x2;
constexpr DWORD DDSD_WIDTH = 0x4;
constexpr DWORD DDSD_PITCH = 0x8;
constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x20;
constexpr DWORD DDSD_LPSURFACE = 0x800;
constexpr DWORD DDSD_PIXELFORMAT = 0x1000;
constexpr DWORD DDSD_TEXTURESTAGE = 0x100000;

// Surface capabilities.
constexpr DWORD DDSCAPS_BACKBUFFER = 0x4;
constexpr DWORD DDSCAPS_COMPLEX = 0x8;
constexpr DWORD DDSCAPS_FLIP = 0x10;
constexpr DWORD DDSCAPS_FRONTBUFFER = 0x20;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x40;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x200;
constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x800;
constexpr DWORD DDSCAPS_TEXTURE = 0x1000;
constexpr DWORD DDSCAPS_3DDEVICE = 0x2000;
constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x4000;
constexpr DWORD DDSCAPS_ZBUFFER = 0x20000;
constexpr DWORD DDSCAPS2_TEXTUREMANAGE = 0x10;

// Pixel-format flags.
constexpr DWORD DDPF_ALPHAPIXELS = 0x1;
constexpr DWORD DDPF_FOURCC = 0x4;
constexpr DWORD DDPF_RGB = 0x40;
constexpr DWORD DDPF_ZBUFFER = 0x400;
constexpr DWORD DDPF_STENCILBUFFER = 0x4000;
constexpr DWORD DDPF_LUMINANCE = 0x20000;
constexpr DWORD DDPF_BUMPLUMINANCE = 0x40000;
constexpr DWORD DDPF_BUMPDUDV = 0x80000;

// Lock, blit and flip flags.
constexpr DWORD DDLOCK_SURFACEMEMORYPTR = 0x0;
constexpr DWORD DDLOCK_WAIT = 0x1;
constexpr DWORD DDBLT_COLORFILL = 0x400;
constexpr DWORD DDBLT_WAIT = 0x1000000;
constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x0;
constexpr DWORD DDBLTFAST_WAIT = 0x10;
constexpr DWORD DDFLIP_WAIT = 0x1;

// Enumeration verdicts of the 2D enumerations.
constexpr HRESULT DDENUMRET_CANCEL = 0;
constexpr HRESULT DDENUMRET_OK = 1;

class IDirectDrawClipper;
class IDirectDrawSurface4;

// The object DirectDrawCreate returns; the program only asks it for IDirectDraw4.
class IDirectDraw : public IUnknown {};

class IDirectDraw4 : public IUnknown {
  public:
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate,
                                   DWORD flags) = 0;
    virtual HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) = 0;
    virtual HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface4** surface,
                                  IUnknown* outer) = 0;
};

class IDirectDrawClipper : public IUnknown {
  public:
    virtual HRESULT SetHWnd(DWORD flags, HWND window) = 0;
};

class IDirectDrawSurface4 : public IUnknown {
  public:
    virtual HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface4** attached) = 0;
    virtual HRESULT AddAttachedSurface(IDirectDrawSurface4* attached) = 0;
    virtual HRESULT SetClipper(IDirectDrawClipper* clipper) = 0;
    // rect null: the whole surface. Fills desc with the address and the row pitch in bytes.
    virtual HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE event) = 0;
    virtual HRESULT Unlock(RECT* rect) = 0;
    // Scales the source rectangle onto the destination rectangle; null rectangles mean whole
    // surfaces.
    virtual HRESULT Blt(RECT* destRect, IDirectDrawSurface4* source, RECT* sourceRect, DWORD flags,
                        DDBLTFX* effects) = 0;
    virtual HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface4* source, RECT* sourceRect,
                            DWORD transferFlags) = 0;
    virtual HRESULT Flip(IDirectDrawSurface4* override, DWORD flags) = 0;
    virtual HRESULT GetDC(HDC* dc) = 0;
    virtual HRESULT ReleaseDC(HDC dc) = 0;
    virtual HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc) = 0;
};

// The entry that makes the display object; injectable so that the set-up can run on fakes.
using DirectDrawCreateFunction =
    std::function<HRESULT(GUID* driver, IDirectDraw** ddraw, IUnknown* outer)>;
