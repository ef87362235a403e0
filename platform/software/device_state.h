// What every 3D device of the display keeps between draws: transforms, render and light states,
// viewports, the texture of stage 0, the scene bracket. The devices differ only in how they draw.
#pragma once

#include <memory>
#include <vector>

#include "platform/d3d.h"
#include "platform/raster/raster.h"
#include "platform/software/com_object.h"
#include "platform/software/display_context.h"
#include "platform/software/scene_objects.h"
#include "platform/software/surface.h"

class DeviceState : public ComObject<IDirect3DDevice3> {
  public:
    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT AddViewport(IDirect3DViewport3* viewport) override;
    HRESULT SetCurrentViewport(IDirect3DViewport3* viewport) override;
    HRESULT GetDirect3D(IDirect3D3** d3d) override;
    HRESULT SetLightState(D3DLIGHTSTATETYPE state, DWORD value) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT BeginScene() override;
    HRESULT SetTexture(DWORD stage, IDirect3DTexture2* texture) override;
    HRESULT GetCaps(D3DDEVICEDESC* hardware, D3DDEVICEDESC* software) override;
    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) override;

    SoftwareSurface& renderTarget() { return *renderTarget_; }

  protected:
    DeviceState(std::shared_ptr<DisplayContext> context, IDirect3D3* d3d,
                SoftwareSurface* renderTarget, bool hardware);
    ~DeviceState() override;

    // The checks DrawPrimitive makes before anything is drawn; D3D_OK when drawing may go on.
    HRESULT checkDraw(D3DPRIMITIVETYPE type, DWORD vertexFormat, const void* vertices,
                      DWORD vertexCount) const;
    // Ends the scene bracket; D3DERR_SCENE_NOT_IN_SCENE outside one.
    HRESULT leaveScene();
    void gatherState(sw::RasterState& state, sw::TextureView& texture) const;

    std::shared_ptr<DisplayContext> context_;
    SoftwareSurface* renderTarget_;       // holds a reference
    SoftwareSurface* texture_ = nullptr;  // stage 0; holds a reference

  private:
    void gatherMaterial(sw::RasterState& state) const;
    void gatherLight(sw::RasterState& state) const;

    IDirect3D3* d3d_;                           // holds a reference
    std::vector<SoftwareViewport*> viewports_;  // each holds a reference
    SoftwareViewport* currentViewport_ = nullptr;
    bool hardware_;
    D3DMATRIX world_;
    D3DMATRIX view_;
    D3DMATRIX projection_;
    D3DMATERIALHANDLE materialHandle_ = 0;
    D3DCOLOR ambient_ = 0;
    sw::TextureAddress textureAddress_ = sw::TextureAddress::kWrap;
    sw::CullMode cull_ = sw::CullMode::kCounterClockwise;
    bool zEnable_ = true;
    bool zWrite_ = true;
    bool gouraud_ = true;
    bool perspective_ = true;
    bool dither_ = false;
    bool specular_ = false;
    bool inScene_ = false;
};
