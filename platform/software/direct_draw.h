// The software display object: the 2D display (modes, surfaces, clippers) and the 3D object
// (Z formats, devices, viewports, lights, materials) in one, as queried from DirectDrawCreate.
#pragma once

#include <memory>

#include "platform/d3d.h"
#include "platform/ddraw.h"
#include "platform/software/com_object.h"
#include "platform/software/display_context.h"

class SoftwareClipper final : public ComObject<IDirectDrawClipper> {
  public:
    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT SetHWnd(DWORD flags, HWND window) override;

  private:
    ~SoftwareClipper() override = default;
    HWND window_ = nullptr;
};

class SoftwareDirectDraw final : public ComObject<IDirectDraw, IDirectDraw4, IDirect3D3> {
  public:
    explicit SoftwareDirectDraw(const SoftwareDisplayConfig& config);

    HRESULT QueryInterface(REFIID riid, void** object) override;

    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate,
                           DWORD flags) override;
    HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) override;
    HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface4** surface,
                          IUnknown* outer) override;

    HRESULT EnumZBufferFormats(REFCLSID deviceKind, LPD3DENUMPIXELFORMATSCALLBACK callback,
                               void* context) override;
    HRESULT CreateDevice(REFCLSID deviceKind, IDirectDrawSurface4* renderTarget,
                         IDirect3DDevice3** device, IUnknown* outer) override;
    HRESULT CreateViewport(IDirect3DViewport3** viewport, IUnknown* outer) override;
    HRESULT CreateLight(IDirect3DLight** light, IUnknown* outer) override;
    HRESULT CreateMaterial(IDirect3DMaterial3** material, IUnknown* outer) override;

  private:
    ~SoftwareDirectDraw() override = default;

    std::shared_ptr<DisplayContext> context_;
};
