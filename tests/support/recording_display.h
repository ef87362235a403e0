// A display platform that records every call made on it, in order, keeps what it was handed and
// answers as configured: the fake behind the device set-up, frame driver and drawing tests. Calls
// on the display itself are logged as "Call(arguments)", calls on the other objects as
// "object.Call(arguments)" (a surface by its name; device, viewport, material, light).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "display/display_objects.h"
#include "platform/d3d.h"
#include "platform/ddraw.h"

class RecordingDisplay;

// Lives as long as its display. Its device context logs the text and pixels drawn through it.
class RecordingSurface final : public IDirectDrawSurface4, private DeviceContext {
  public:
    RecordingSurface(RecordingDisplay& owner, std::string name, const DDSURFACEDESC2& desc)
        : owner_(owner), name_(std::move(name)), desc_(desc) {}

    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface4** attached) override;
    HRESULT AddAttachedSurface(IDirectDrawSurface4* attached) override;
    HRESULT SetClipper(IDirectDrawClipper*) override;
    HRESULT Lock(RECT*, DDSURFACEDESC2*, DWORD, HANDLE) override;
    HRESULT Unlock(RECT*) override;
    HRESULT Blt(RECT* to, IDirectDrawSurface4* source, RECT* from, DWORD flags,
                DDBLTFX* effects) override;
    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface4* source, RECT* from,
                    DWORD flags) override;
    HRESULT Flip(IDirectDrawSurface4* override, DWORD flags) override;
    HRESULT GetDC(HDC* dc) override;
    HRESULT ReleaseDC(HDC dc) override;
    HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc) override;

    const std::string& name() const { return name_; }
    const DDSURFACEDESC2& desc() const { return desc_; }
    long references = 1;  // counted per surface

  private:
    COLORREF setPixel(int x, int y, COLORREF color) override;
    bool textOut(int x, int y, const char* text, int length) override;
    void log(const std::string& call);

    RecordingDisplay& owner_;
    std::string name_;
    DDSURFACEDESC2 desc_;
};

// The 3D side in one object: device, viewport, material, light, and the texture of slot 0.
class RecordingDevice final : public IDirect3DDevice3,
                              public IDirect3DViewport3,
                              public IDirect3DMaterial3,
                              public IDirect3DLight,
                              public IDirect3DTexture2 {
  public:
    explicit RecordingDevice(RecordingDisplay& owner) : owner_(owner) {}

    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT AddViewport(IDirect3DViewport3*) override { return log("device.AddViewport"); }
    HRESULT SetCurrentViewport(IDirect3DViewport3*) override {
        return log("device.SetCurrentViewport");
    }
    HRESULT GetDirect3D(IDirect3D3** d3d) override;
    HRESULT SetLightState(D3DLIGHTSTATETYPE state, DWORD value) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT BeginScene() override { return log("device.BeginScene"); }
    HRESULT EndScene() override { return log("device.EndScene"); }
    HRESULT SetTexture(DWORD stage, IDirect3DTexture2* texture) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD format, void* vertices, DWORD count,
                          DWORD flags) override;
    HRESULT GetCaps(D3DDEVICEDESC*, D3DDEVICEDESC*) override { return log("device.GetCaps"); }
    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK, void*) override {
        return log("device.EnumTextureFormats");
    }

    HRESULT SetViewport2(D3DVIEWPORT2* viewport) override;
    HRESULT AddLight(IDirect3DLight*) override { return log("viewport.AddLight"); }
    HRESULT Clear2(DWORD count, D3DRECT* rects, DWORD flags, D3DCOLOR color, D3DVALUE z,
                   DWORD stencil) override;

    HRESULT SetMaterial(D3DMATERIAL* material) override;
    HRESULT GetHandle(IDirect3DDevice3*, D3DMATERIALHANDLE* handle) override;
    HRESULT SetLight(D3DLIGHT* light) override;

    // What it was handed.
    struct Draw {
        D3DPRIMITIVETYPE type;
        DWORD format;
        std::vector<D3DVERTEX> vertices;
        DWORD flags;
    };
    std::vector<D3DMATRIX> transforms;
    D3DMATRIX lastView{};
    D3DVIEWPORT2 viewportValues{};
    std::vector<D3DMATERIAL> materials;  // every material set, in order
    D3DLIGHT lightValues{};
    std::vector<IDirect3DTexture2*> textures;  // every texture set, in order
    std::vector<Draw> draws;

  private:
    HRESULT log(const std::string& call);

    RecordingDisplay& owner_;
};

class RecordingDisplay final : public IDirectDraw,
                               public IDirectDraw4,
                               public IDirectDrawClipper,
                               public IDirect3D3 {
  public:
    // What the fake answers.
    std::vector<DDPIXELFORMAT> hardwareZFormats;
    std::vector<DDPIXELFORMAT> softwareZFormats;
    bool hardwareZEnumerationFails = false;
    bool hardwareDeviceFails = false;
    bool getDirect3DFails = false;
    bool createMaterialFails = false;

    // What it saw.
    std::vector<std::string> calls;
    std::vector<std::string> texts;  // every text drawn, as drawn
    std::vector<std::unique_ptr<RecordingSurface>> surfaces;
    RecordingDevice device{*this};
    long references = 1;  // counted over every object of the fake

    DirectDrawCreateFunction creator();
    RecordingSurface* surfaceNamed(const std::string& name) const;
    RecordingSurface& addSurface(const std::string& name, const DDSURFACEDESC2& desc = {});

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }

    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bits, DWORD refresh,
                           DWORD flags) override;
    HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown*) override;
    HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface4** surface, IUnknown*) override;
    HRESULT SetHWnd(DWORD flags, HWND window) override;

    HRESULT EnumZBufferFormats(REFCLSID kind, LPD3DENUMPIXELFORMATSCALLBACK callback,
                               void* context) override;
    HRESULT CreateDevice(REFCLSID kind, IDirectDrawSurface4* target, IDirect3DDevice3** device,
                         IUnknown*) override;
    HRESULT CreateViewport(IDirect3DViewport3** viewport, IUnknown*) override;
    HRESULT CreateLight(IDirect3DLight** light, IUnknown*) override;
    HRESULT CreateMaterial(IDirect3DMaterial3** material, IUnknown*) override;
};

// The display objects as the set-up leaves them, pointing into a recording fake: primary, back
// buffer, render target, backdrop (unless left out), device, viewport, material and texture 0.
struct WiredDisplay {
    RecordingDisplay platform;  // outlives the display objects that point into it
    DisplayObjects display;

    explicit WiredDisplay(bool withBackground = true);
};

DDPIXELFORMAT zFormat(DWORD flags, DWORD bits);
