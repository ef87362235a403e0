// What all objects of one software display share: its configuration, its display mode and the
// table that turns material handles back into materials.
#pragma once

#include <map>

#include "platform/software/software_display.h"

class SoftwareMaterial;

struct DisplayContext {
    SoftwareDisplayConfig config;
    int displayWidth = 640;
    int displayHeight = 480;

    std::map<D3DMATERIALHANDLE, SoftwareMaterial*> materials;  // not owned
    D3DMATERIALHANDLE nextMaterialHandle = 1;
};

// The largest surface side and area the software display accepts; larger requests are refused
// with an error instead of an allocation failure.
constexpr int kMaxSurfaceSide = 16384;
constexpr long long kMaxSurfacePixels = 8192LL * 8192LL;
