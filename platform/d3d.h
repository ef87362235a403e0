// The 3D interfaces of the display platform: the 3D object, device, viewport, material, light and
// texture, and their records and constants. Narrow: only what the program calls.
#pragma once

#include "platform/d3dtypes.h"
#include "platform/ddraw.h"

struct D3DVIEWPORT2 {
    DWORD dwSize;
    DWORD dwX;
    DWORD dwY;
    DWORD dwWidth;
    DWORD dwHeight;
    D3DVALUE dvClipX;
    D3DVALUE dvClipY;
    D3DVALUE dvClipWidth;
    D3DVALUE dvClipHeight;
    D3DVALUE dvMinZ;
    D3DVALUE dvMaxZ;
};

enum D3DLIGHTTYPE : DWORD {
    D3DLIGHT_POINT = 1,
    D3DLIGHT_SPOT = 2,
    D3DLIGHT_DIRECTIONAL = 3,
    D3DLIGHT_PARALLELPOINT = 4,
};

// The light record without the trailing flags word of its later revision.
struct D3DLIGHT {
    DWORD dwSize;
    D3DLIGHTTYPE dltType;
    D3DCOLORVALUE dcvColor;
    D3DVECTOR dvPosition;
    D3DVECTOR dvDirection;
    D3DVALUE dvRange;
    D3DVALUE dvFalloff;
    D3DVALUE dvAttenuation0;
    D3DVALUE dvAttenuation1;
    D3DVALUE dvAttenuation2;
    D3DVALUE dvTheta;
    D3DVALUE dvPhi;
};

struct D3DRECT {
    LONG x1;
    LONG y1;
    LONG x2;
    LONG y2;
};

struct D3DTRANSFORMCAPS {
    DWORD dwSize;
    DWORD dwCaps;
};

struct D3DLIGHTINGCAPS {
    DWORD dwSize;
    DWORD dwCaps;
    DWORD dwLightingModel;
    DWORD dwNumLights;
};

struct D3DPRIMCAPS {
    DWORD dwSize;
    DWORD dwMiscCaps;
    DWORD dwRasterCaps;
    DWORD dwZCmpCaps;
    DWORD dwSrcBlendCaps;
    DWORD dwDestBlendCaps;
    DWORD dwAlphaCmpCaps;
    DWORD dwShadeCaps;
    DWORD dwTextureCaps;
    DWORD dwTextureFilterCaps;
    DWORD dwTextureBlendCaps;
    DWORD dwTextureAddressCaps;
    DWORD dwStippleWidth;
    DWORD dwStippleHeight;
};

struct D3DDEVICEDESC {
    DWORD dwSize;
    DWORD dwFlags;  // 0 in the hardware description of a machine without 3D hardware
    DWORD dcmColorModel;
    DWORD dwDevCaps;
    D3DTRANSFORMCAPS dtcTransformCaps;
    BOOL bClipping;
    D3DLIGHTINGCAPS dlcLightingCaps;
    D3DPRIMCAPS dpcLineCaps;
    D3DPRIMCAPS dpcTriCaps;
    DWORD dwDeviceRenderBitDepth;
    DWORD dwDeviceZBufferBitDepth;
    DWORD dwMaxBufferSize;
    DWORD dwMaxVertexCount;
    DWORD dwMinTextureWidth;
    DWORD dwMinTextureHeight;
    DWORD dwMaxTextureWidth;
    DWORD dwMaxTextureHeight;
    DWORD dwMinStippleWidth;
    DWORD dwMaxStippleWidth;
    DWORD dwMinStippleHeight;
    DWORD dwMaxStippleHeight;
    DWORD dwMaxTextureRepeat;
    DWORD dwMaxTextureAspectRatio;
    DWORD dwMaxAnisotropy;
    D3DVALUE dvGuardBandLeft;
    D3DVALUE dvGuardBandTop;
    D3DVALUE dvGuardBandRight;
    D3DVALUE dvGuardBandBottom;
    D3DVALUE dvExtentsAdjust;
    DWORD dwStencilCaps;
    DWORD dwFVFCaps;
    DWORD dwTextureOpCaps;
    WORD wMaxTextureBlendStages;
    WORD wMaxSimultaneousTextures;
};

constexpr DWORD kD3DViewport2Size = 44;
constexpr DWORD kD3DMaterialSize = 80;
constexpr DWORD kD3DLightSize = 76;
constexpr DWORD kD3DDeviceDescSize = 252;
static_assert(sizeof(D3DVIEWPORT2) == kD3DViewport2Size);
static_assert(sizeof(D3DLIGHT) == kD3DLightSize);
static_assert(sizeof(D3DDEVICEDESC) == kD3DDeviceDescSize);

enum D3DPRIMITIVETYPE : DWORD {
    D3DPT_POINTLIST = 1,
    D3DPT_LINELIST = 2,
    D3DPT_LINESTRIP = 3,
    D3DPT_TRIANGLELIST = 4,
    D3DPT_TRIANGLESTRIP = 5,
    D3DPT_TRIANGLEFAN = 6,
};

enum D3DTRANSFORMSTATETYPE : DWORD {
    D3DTRANSFORMSTATE_WORLD = 1,
    D3DTRANSFORMSTATE_VIEW = 2,
    D3DTRANSFORMSTATE_PROJECTION = 3,
};

enum D3DLIGHTSTATETYPE : DWORD {
    D3DLIGHTSTATE_MATERIAL = 1,
    D3DLIGHTSTATE_AMBIENT = 2,
};

enum D3DRENDERSTATETYPE : DWORD {
    D3DRENDERSTATE_TEXTUREADDRESS = 3,
    D3DRENDERSTATE_TEXTUREPERSPECTIVE = 4,
    D3DRENDERSTATE_ZENABLE = 7,
    D3DRENDERSTATE_SHADEMODE = 9,
    D3DRENDERSTATE_ZWRITEENABLE = 14,
    D3DRENDERSTATE_CULLMODE = 22,
    D3DRENDERSTATE_DITHERENABLE = 26,
    D3DRENDERSTATE_SPECULARENABLE = 29,
};

constexpr DWORD D3DTADDRESS_WRAP = 1;
constexpr DWORD D3DTADDRESS_MIRROR = 2;
constexpr DWORD D3DTADDRESS_CLAMP = 3;
constexpr DWORD D3DSHADE_FLAT = 1;
constexpr DWORD D3DSHADE_GOURAUD = 2;
constexpr DWORD D3DCULL_NONE = 1;
constexpr DWORD D3DCULL_CW = 2;
constexpr DWORD D3DCULL_CCW = 3;

// Vertex layout of D3DVERTEX: position, normal, one texture coordinate pair.
constexpr DWORD D3DFVF_XYZ = 0x002;
constexpr DWORD D3DFVF_NORMAL = 0x010;
constexpr DWORD D3DFVF_TEX1 = 0x100;
constexpr DWORD D3DFVF_VERTEX = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

constexpr DWORD D3DCLEAR_TARGET = 0x1;
constexpr DWORD D3DCLEAR_ZBUFFER = 0x2;

// Device-description flags and capabilities.
constexpr DWORD D3DDD_COLORMODEL = 0x1;
constexpr DWORD D3DDD_DEVCAPS = 0x2;
constexpr DWORD D3DDD_TRICAPS = 0x10;
constexpr DWORD D3DDD_DEVICERENDERBITDEPTH = 0x80;
constexpr DWORD D3DDD_DEVICEZBUFFERBITDEPTH = 0x100;
constexpr DWORD D3DCOLOR_RGB = 0x2;
constexpr DWORD DDBD_16 = 0x400;
constexpr DWORD D3DPTEXTURECAPS_PERSPECTIVE = 0x1;
constexpr DWORD D3DPTEXTURECAPS_POW2 = 0x2;
constexpr DWORD D3DPTEXTURECAPS_SQUAREONLY = 0x20;

// Enumeration verdicts of the 3D enumerations.
constexpr HRESULT D3DENUMRET_CANCEL = 0;
constexpr HRESULT D3DENUMRET_OK = 1;

using LPD3DENUMPIXELFORMATSCALLBACK = HRESULT (*)(DDPIXELFORMAT* format, void* context);

class IDirect3DDevice3;
class IDirect3DLight;
class IDirect3DMaterial3;
class IDirect3DTexture2;
class IDirect3DViewport3;

class IDirect3D3 : public IUnknown {
  public:
    virtual HRESULT EnumZBufferFormats(REFCLSID deviceKind, LPD3DENUMPIXELFORMATSCALLBACK callback,
                                       void* context) = 0;
    virtual HRESULT CreateDevice(REFCLSID deviceKind, IDirectDrawSurface4* renderTarget,
                                 IDirect3DDevice3** device, IUnknown* outer) = 0;
    virtual HRESULT CreateViewport(IDirect3DViewport3** viewport, IUnknown* outer) = 0;
    virtual HRESULT CreateLight(IDirect3DLight** light, IUnknown* outer) = 0;
    virtual HRESULT CreateMaterial(IDirect3DMaterial3** material, IUnknown* outer) = 0;
};

class IDirect3DDevice3 : public IUnknown {
  public:
    virtual HRESULT AddViewport(IDirect3DViewport3* viewport) = 0;
    virtual HRESULT SetCurrentViewport(IDirect3DViewport3* viewport) = 0;
    virtual HRESULT GetDirect3D(IDirect3D3** d3d) = 0;
    virtual HRESULT SetLightState(D3DLIGHTSTATETYPE state, DWORD value) = 0;
    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    virtual HRESULT SetTexture(DWORD stage, IDirect3DTexture2* texture) = 0;
    virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, void* vertices,
                                  DWORD vertexCount, DWORD flags) = 0;
    virtual HRESULT GetCaps(D3DDEVICEDESC* hardware, D3DDEVICEDESC* software) = 0;
    virtual HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) = 0;
};

class IDirect3DViewport3 : public IUnknown {
  public:
    virtual HRESULT SetViewport2(D3DVIEWPORT2* viewport) = 0;
    virtual HRESULT AddLight(IDirect3DLight* light) = 0;
    virtual HRESULT Clear2(DWORD rectCount, D3DRECT* rects, DWORD flags, D3DCOLOR color, D3DVALUE z,
                           DWORD stencil) = 0;
};

class IDirect3DMaterial3 : public IUnknown {
  public:
    virtual HRESULT SetMaterial(D3DMATERIAL* material) = 0;
    virtual HRESULT GetHandle(IDirect3DDevice3* device, D3DMATERIALHANDLE* handle) = 0;
};

class IDirect3DLight : public IUnknown {
  public:
    virtual HRESULT SetLight(D3DLIGHT* light) = 0;
};

// A surface seen as a texture; it is only handed to SetTexture.
class IDirect3DTexture2 : public IUnknown {};
