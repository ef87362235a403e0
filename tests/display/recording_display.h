// A display platform that records every call made on it and answers as configured: the fake
// behind the device set-up tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/d3d.h"
#include "platform/ddraw.h"

class RecordingDisplay;

// Objects live as long as the RecordingDisplay; their reference counts are only counted.
class RecordingSurface : public IDirectDrawSurface4 {
  public:
    RecordingSurface(RecordingDisplay& owner, std::string name, DDSURFACEDESC2 desc)
        : owner_(owner), name_(std::move(name)), desc_(desc) {}

    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface4** attached) override;
    HRESULT AddAttachedSurface(IDirectDrawSurface4* attached) override;
    HRESULT SetClipper(IDirectDrawClipper* clipper) override;
    HRESULT Lock(RECT*, DDSURFACEDESC2*, DWORD, HANDLE) override;
    HRESULT Unlock(RECT*) override;
    HRESULT Blt(RECT*, IDirectDrawSurface4*, RECT*, DWORD, DDBLTFX*) override;
    HRESULT BltFast(DWORD, DWORD, IDirectDrawSurface4*, RECT*, DWORD) override;
    HRESULT Flip(IDirectDrawSurface4*, DWORD) override;
    HRESULT GetDC(HDC*) override;
    HRESULT ReleaseDC(HDC) override;
    HRESULT GetSurfaceDesc(DDSURFACEDESC2*) override;

    const std::string& name() const { return name_; }
    const DDSURFACEDESC2& desc() const { return desc_; }
    long references = 1;

  private:
    void log(const std::string& call);

    RecordingDisplay& owner_;
    std::string name_;
    DDSURFACEDESC2 desc_;
};

class RecordingDisplay : public IDirectDraw,
                         public IDirectDraw4,
                         public IDirectDrawClipper,
                         public IDirect3D3,
                         public IDirect3DDevice3,
                         public IDirect3DViewport3,
                         public IDirect3DMaterial3,
                         public IDirect3DLight {
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
    std::vector<std::unique_ptr<RecordingSurface>> surfaces;
    D3DVIEWPORT2 viewportValues{};
    D3DMATERIAL materialValues{};
    D3DLIGHT lightValues{};
    std::vector<D3DMATRIX> transforms;
    long references = 1;

    DirectDrawCreateFunction creator() {
        return [this](GUID*, IDirectDraw** ddraw, IUnknown*) {
            calls.push_back("DirectDrawCreate");
            ++references;
            *ddraw = static_cast<IDirectDraw*>(this);
            return DD_OK;
        };
    }
    RecordingSurface* surfaceNamed(const std::string& name) const;

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

    HRESULT AddViewport(IDirect3DViewport3*) override;
    HRESULT SetCurrentViewport(IDirect3DViewport3*) override;
    HRESULT GetDirect3D(IDirect3D3** d3d) override;
    HRESULT SetLightState(D3DLIGHTSTATETYPE state, DWORD value) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT BeginScene() override { return D3D_OK; }
    HRESULT EndScene() override { return D3D_OK; }
    HRESULT SetTexture(DWORD, IDirect3DTexture2*) override { return D3D_OK; }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE, DWORD, void*, DWORD, DWORD) override { return D3D_OK; }
    HRESULT GetCaps(D3DDEVICEDESC*, D3DDEVICEDESC*) override { return D3D_OK; }
    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK, void*) override { return D3D_OK; }

    HRESULT SetViewport2(D3DVIEWPORT2* viewport) override;
    HRESULT AddLight(IDirect3DLight*) override;
    HRESULT Clear2(DWORD, D3DRECT*, DWORD, D3DCOLOR, D3DVALUE, DWORD) override { return D3D_OK; }
    HRESULT SetMaterial(D3DMATERIAL* material) override;
    HRESULT GetHandle(IDirect3DDevice3*, D3DMATERIALHANDLE* handle) override;
    HRESULT SetLight(D3DLIGHT* light) override;
};

DDPIXELFORMAT zFormat(DWORD flags, DWORD bits);
