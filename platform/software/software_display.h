// The software implementation of the display platform: how the program makes its display object.
#pragma once

#include <memory>

#include "platform/d3d.h"
#include "platform/ddraw.h"
#include "platform/presenter.h"
#include "platform/raster/raster.h"

struct DisplayContext;
class SoftwareSurface;

// Makes the display's hardware 3D device (IID_IDirect3DHALDevice) over one of its surfaces.
class HardwareDeviceMaker {
  public:
    // A failure makes the device set-up fall back to the software device.
    virtual HRESULT makeDevice(const std::shared_ptr<DisplayContext>& context, IDirect3D3* d3d,
                               SoftwareSurface* renderTarget, IDirect3DDevice3** device) = 0;

  protected:
    ~HardwareDeviceMaker() = default;
};

struct SoftwareDisplayConfig {
    sw::PixelLayout layout = sw::PixelLayout::k565;  // the display's 16-bit layout
    Presenter* presenter = nullptr;                  // gets every flipped frame; may be null
    int threads = 1;  // drawing threads of each 3D device (1: all on the calling thread)
    // Null: the display answers as a machine without 3D hardware. Must outlive the display.
    HardwareDeviceMaker* hardware = nullptr;
};

// The software DirectDrawCreate: a display object whose surfaces use config's layout and whose
// primary surface hands each flipped frame to config's presenter (which must outlive it).
HRESULT softwareDirectDrawCreate(const SoftwareDisplayConfig& config, GUID* driver,
                                 IDirectDraw** ddraw, IUnknown* outer);

// The same, bound to a configuration, for callers that take a DirectDrawCreateFunction.
DirectDrawCreateFunction makeSoftwareDirectDrawCreate(SoftwareDisplayConfig config);

// The default entry: 5-6-5 layout, no presenter.
HRESULT DirectDrawCreate(GUID* driver, IDirectDraw** ddraw, IUnknown* outer);
