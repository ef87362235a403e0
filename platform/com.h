// The base pieces shared by every platform interface: status codes, interface identifiers and the
// reference-counted IUnknown root.
#pragma once

#include <cstdint>

#include "platform/d3dtypes.h"

using ULONG = std::uint32_t;
using LONG = std::int32_t;
using WORD = std::uint16_t;
using BOOL = std::int32_t;
using HANDLE = void*;
using HWND = void*;

// Status codes. Failure codes have the top bit set; only the sign is meaningful to most callers.
constexpr HRESULT makeFailure(std::uint32_t code) {
    return static_cast<HRESULT>(code);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT DD_OK = 0;
constexpr HRESULT D3D_OK = 0;
constexpr HRESULT E_NOTIMPL = makeFailure(0x80004001u);
constexpr HRESULT E_NOINTERFACE = makeFailure(0x80004002u);
constexpr HRESULT E_POINTER = makeFailure(0x80004003u);
constexpr HRESULT E_FAIL = makeFailure(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = makeFailure(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = makeFailure(0x80070057u);

constexpr HRESULT DDERR_GENERIC = E_FAIL;
constexpr HRESULT DDERR_UNSUPPORTED = E_NOTIMPL;
constexpr HRESULT DDERR_INVALIDPARAMS = E_INVALIDARG;
constexpr HRESULT DDERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DDERR_INVALIDRECT = makeFailure(0x88760096u);
constexpr HRESULT DDERR_NOTFOUND = makeFailure(0x887600FFu);
constexpr HRESULT DDERR_NODIRECTDRAWHW = makeFailure(0x8876016Du);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = makeFailure(0x88760091u);
constexpr HRESULT DDERR_SURFACEBUSY = makeFailure(0x887601AEu);
constexpr HRESULT DDERR_NOTFLIPPABLE = makeFailure(0x88760246u);
constexpr HRESULT DDERR_NOTLOCKED = makeFailure(0x88760248u);
constexpr HRESULT DDERR_CANTCREATEDC = makeFailure(0x8876025Du);
constexpr HRESULT DDERR_NODC = makeFailure(0x88760263u);
constexpr HRESULT D3DERR_INVALID_DEVICE = makeFailure(0x887602BDu);
constexpr HRESULT D3DERR_INVALIDPRIMITIVETYPE = makeFailure(0x887602C2u);
constexpr HRESULT D3DERR_INVALIDVERTEXTYPE = makeFailure(0x887602C3u);
constexpr HRESULT D3DERR_SCENE_IN_SCENE = makeFailure(0x88760302u);
constexpr HRESULT D3DERR_SCENE_NOT_IN_SCENE = makeFailure(0x88760303u);
constexpr HRESULT D3DERR_VIEWPORTHASNODEVICE = makeFailure(0x887602F9u);

constexpr bool SUCCEEDED(HRESULT result) {
    return result >= 0;
}
constexpr bool FAILED(HRESULT result) {
    return result < 0;
}

struct GUID {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
    friend constexpr bool operator==(const GUID& a, const GUID& b) {
        if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
        for (int i = 0; i < 8; ++i) {
            if (a.data4[i] != b.data4[i]) return false;
        }
        return true;
    }
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

// Identifiers of this platform's own; only their distinctness matters.
constexpr IID IID_IUnknown{0x00000000, 0xA5E1, 0x0001, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr IID IID_IDirectDraw{0x00000001, 0xA5E1, 0x0001, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr IID IID_IDirectDraw4{0x00000004, 0xA5E1, 0x0001, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr IID IID_IDirectDrawSurface4{0x00000014, 0xA5E1, 0x0001, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr IID IID_IDirectDrawClipper{0x00000020, 0xA5E1, 0x0001, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr IID IID_IDirect3D3{0x00000033, 0xA5E1, 0x0002, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr IID IID_IDirect3DDevice3{0x00000043, 0xA5E1, 0x0002, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr IID IID_IDirect3DViewport3{0x00000053, 0xA5E1, 0x0002, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr IID IID_IDirect3DMaterial3{0x00000063, 0xA5E1, 0x0002, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr IID IID_IDirect3DLight{0x00000071, 0xA5E1, 0x0002, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr IID IID_IDirect3DTexture2{0x00000082, 0xA5E1, 0x0002, {0, 0, 0, 0, 0, 0, 0, 0}};
// Device kinds: hardware-accelerated and the software RGB rasterizer.
constexpr CLSID IID_IDirect3DHALDevice{0x00000100, 0xA5E1, 0x0003, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr CLSID IID_IDirect3DRGBDevice{0x00000101, 0xA5E1, 0x0003, {0, 0, 0, 0, 0, 0, 0, 0}};

// The root of every interface: lifetime by reference count, other interfaces by query.
// Objects are destroyed by their last Release, never by delete through an interface.
class IUnknown {
  public:
    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

  protected:
    virtual ~IUnknown() = default;
};

// Releases a held interface and clears the pointer; safe on null.
template <class Interface>
void releaseAndClear(Interface*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}
