// The software 3D device: hands triangle lists with the device state to the rasterizer.
#pragma once

#include <memory>
#include <vector>

#include "platform/raster/raster.h"
#include "platform/software/device_state.h"

class SoftwareDevice final : public DeviceState, private UnfinishedDrawing {
  public:
    SoftwareDevice(std::shared_ptr<DisplayContext> context, IDirect3D3* d3d,
                   SoftwareSurface* renderTarget);

    HRESULT EndScene() override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, void* vertices,
                          DWORD vertexCount, DWORD flags) override;

  private:
    ~SoftwareDevice() override;

    void finishDrawing() override;
    void keepTextureUntilFinished();

    sw::Rasterizer rasterizer_;
    // Textures that unfinished drawing still reads; each holds a reference until it is finished.
    std::vector<SoftwareSurface*> texturesInUse_;
};
