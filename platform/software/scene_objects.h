// The small 3D objects of the software display: viewport, material and light.
#pragma once

#include <memory>
#include <vector>

#include "platform/d3d.h"
#include "platform/software/com_object.h"
#include "platform/software/display_context.h"

class DeviceState;

class SoftwareMaterial final : public ComObject<IDirect3DMaterial3> {
  public:
    explicit SoftwareMaterial(std::shared_ptr<DisplayContext> context);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT SetMaterial(D3DMATERIAL* material) override;
    HRESULT GetHandle(IDirect3DDevice3* device, D3DMATERIALHANDLE* handle) override;

    const D3DMATERIAL& values() const { return material_; }

  private:
    ~SoftwareMaterial() override;

    std::shared_ptr<DisplayContext> context_;
    D3DMATERIAL material_{};
    D3DMATERIALHANDLE handle_;
};

class SoftwareLight final : public ComObject<IDirect3DLight> {
  public:
    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT SetLight(D3DLIGHT* light) override;

    const D3DLIGHT& values() const { return light_; }
    bool isSet() const { return set_; }

  private:
    ~SoftwareLight() override = default;

    D3DLIGHT light_{};
    bool set_ = false;
};

class SoftwareViewport final : public ComObject<IDirect3DViewport3> {
  public:
    SoftwareViewport();

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT SetViewport2(D3DVIEWPORT2* viewport) override;
    HRESULT AddLight(IDirect3DLight* light) override;
    HRESULT Clear2(DWORD rectCount, D3DRECT* rects, DWORD flags, D3DCOLOR color, D3DVALUE z,
                   DWORD stencil) override;

    const D3DVIEWPORT2& values() const { return viewport_; }
    // The first light that has been given its values, or null.
    const SoftwareLight* firstLight() const;

    // The device this viewport was added to; it clears the device's target. Not a reference:
    // the device holds the viewport and clears this when it goes.
    DeviceState* device() const { return device_; }
    void setDevice(DeviceState* device) { device_ = device; }

  private:
    ~SoftwareViewport() override;

    D3DVIEWPORT2 viewport_{};
    std::vector<SoftwareLight*> lights_;  // each holds a reference
    DeviceState* device_ = nullptr;
};
