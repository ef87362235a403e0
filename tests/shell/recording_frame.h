// A display whose surfaces, device, viewport and material log the calls one frame makes, in
// order, as "object.Call(arguments)"; the fake behind the frame driver tests.
#pragma once

#include <string>
#include <vector>

#include "display/display_objects.h"
#include "platform/d3d.h"
#include "platform/ddraw.h"

class FrameLog {
  public:
    void add(std::string call) { calls.push_back(std::move(call)); }
    std::vector<std::string> calls;
    std::vector<std::string> texts;  // every text drawn, as drawn
};

class LoggingSurface final : public IDirectDrawSurface4, private DeviceContext {
  public:
    LoggingSurface(FrameLog& log, std::string name) : log_(log), name_(std::move(name)) {}

    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT GetAttachedSurface(DDSCAPS2*, IDirectDrawSurface4**) override;
    HRESULT AddAttachedSurface(IDirectDrawSurface4*) override;
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
    HRESULT GetSurfaceDesc(DDSURFACEDESC2*) override;

    const std::string& name() const { return name_; }

  private:
    COLORREF setPixel(int x, int y, COLORREF color) override;
    bool textOut(int x, int y, const char* text, int length) override;

    FrameLog& log_;
    std::string name_;
};

class LoggingDevice final : public IDirect3DDevice3,
                            public IDirect3DViewport3,
                            public IDirect3DMaterial3,
                            public IDirect3DTexture2 {
  public:
    explicit LoggingDevice(FrameLog& log) : log_(log) {}

    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }

    HRESULT AddViewport(IDirect3DViewport3*) override { return other("AddViewport"); }
    HRESULT SetCurrentViewport(IDirect3DViewport3*) override { return other("SetCurrentViewport"); }
    HRESULT GetDirect3D(IDirect3D3**) override { return other("GetDirect3D"); }
    HRESULT SetLightState(D3DLIGHTSTATETYPE, DWORD) override { return other("SetLightState"); }
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return other("SetRenderState"); }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT BeginScene() override { return other("BeginScene"); }
    HRESULT EndScene() override { return other("EndScene"); }
    HRESULT SetTexture(DWORD stage, IDirect3DTexture2* texture) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD format, void*, DWORD count,
                          DWORD flags) override;
    HRESULT GetCaps(D3DDEVICEDESC*, D3DDEVICEDESC*) override { return other("GetCaps"); }
    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK, void*) override {
        return other("EnumTextureFormats");
    }

    HRESULT SetViewport2(D3DVIEWPORT2*) override { return other("SetViewport2"); }
    HRESULT AddLight(IDirect3DLight*) override { return other("AddLight"); }
    HRESULT Clear2(DWORD count, D3DRECT* rects, DWORD flags, D3DCOLOR color, D3DVALUE z,
                   DWORD stencil) override;

    HRESULT SetMaterial(D3DMATERIAL*) override { return other("SetMaterial"); }
    HRESULT GetHandle(IDirect3DDevice3*, D3DMATERIALHANDLE*) override { return other("GetHandle"); }

    D3DMATRIX lastView{};

  private:
    HRESULT other(const char* call) {
        log_.add(std::string("device.") + call);
        return D3D_OK;
    }
    FrameLog& log_;
};

// Every object the frame driver uses, wired into a DisplayObjects as the set-up would leave it.
struct LoggingDisplay {
    FrameLog log;
    LoggingSurface primary{log, "primary"};
    LoggingSurface back{log, "back"};
    LoggingSurface target{log, "target"};
    LoggingSurface background{log, "background"};
    LoggingDevice device{log};
    DisplayObjects display;

    explicit LoggingDisplay(bool withBackground = true);
    ~LoggingDisplay() { forget(); }

  private:
    void forget();  // the fakes are members; the display objects must not release them
};
