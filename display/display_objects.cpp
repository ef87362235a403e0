#include "display/display_objects.h"

void DisplayObjects::releaseAll() {
    while (!mapTextures.empty()) {
        releaseAndClear(mapTextures.back());
        mapTextures.pop_back();
    }
    while (!mapSurfaces.empty()) {
        releaseAndClear(mapSurfaces.back());
        mapSurfaces.pop_back();
    }
    for (int slot = kTextureSlots - 1; slot >= 0; --slot) {
        releaseAndClear(textures[slot]);
        releaseAndClear(textureSurfaces[slot]);
    }
    releaseAndClear(backgroundSurface);
    releaseAndClear(sceneLight);
    releaseAndClear(sceneMaterial);
    releaseAndClear(viewport);
    releaseAndClear(device);
    releaseAndClear(d3d);
    releaseAndClear(zBuffer);
    releaseAndClear(renderTarget);
    releaseAndClear(backBuffer);
    releaseAndClear(primarySurface);
    releaseAndClear(ddraw4);
    releaseAndClear(ddraw);
}
