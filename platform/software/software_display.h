// The software implementation of the display platform: how the program makes its display object.
#pragma once

#include "platform/ddraw.h"
#include "platform/presenter.h"
#include "platform/raster/raster.h"

struct SoftwareDisplayConfig {
    sw::PixelLayout layout = sw::PixelLayout::k565;  // the display's 16-bit layout
    Presenter* presenter = nullptr;                  // gets every flipped frame; may be null
    int threads = 1;  // drawing threads of each 3D device (1: all on the calling thread)
};

// The software DirectDrawCreate: a display object whose surfaces use config's layout and whose
// primary surface hands each flipped frame to config's presenter (which must outlive it).
HRESULT softwareDirectDrawCreate(const SoftwareDisplayConfig& config, GUID* driver,
                                 IDirectDraw** ddraw, IUnknown* outer);

// The same, bound to a configuration, for callers that take a DirectDrawCreateFunction.
DirectDrawCreateFunction makeSoftwareDirectDrawCreate(SoftwareDisplayConfig config);

// The default entry: 5-6-5 layout, no presenter.
HRESULT DirectDrawCreate(GUID* driver, IDirectDraw** ddraw, IUnknown* outer);
