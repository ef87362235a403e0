// What all objects of one software display share: its configuration, its display mode and the
// table that turns material handles back into materials.
#pragma once

#include <map>

#include "platform/software/software_display.h"

class SoftwareMaterial;

// A device whose triangles may not all have reached its targets yet (drawing on several threads).
class UnfinishedDrawing {
  public:
    virtual void finishDrawing() = 0;

  protected:
    ~UnfinishedDrawing() = default;
};

struct DisplayContext {
    SoftwareDisplayConfig config;
    int displayWidth = 640;
    int displayHeight = 480;

    // Every operation that reads or writes pixels calls finishDrawing() first, so that it sees
    // (and changes) the picture as if each triangle had been drawn when it was submitted.
    UnfinishedDrawing* unfinished = nullptr;
    void finishDrawing() {
        if (unfinished == nullptr) return;
        UnfinishedDrawing* drawing = unfinished;
        unfinished = nullptr;
        drawing->finishDrawing();
    }

    std::map<D3DMATERIALHANDLE, SoftwareMaterial*> materials;  // not owned
    D3DMATERIALHANDLE nextMaterialHandle = 1;
};

// The largest surface side and area the software display accepts; larger requests are refused
// with an error instead of an allocation failure.
constexpr int kMaxSurfaceSide = 16384;
constexpr long long kMaxSurfacePixels = 8192LL * 8192LL;
