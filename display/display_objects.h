// The display objects the program shares: made by the device set-up and the picture loaders,
// used by the frame driver and the drawing. One instance for the program; each test makes its own.
#pragma once

#include <vector>

#include "platform/d3d.h"
#include "platform/ddraw.h"

constexpr int kTextureSlots = 8;

struct DisplayObjects {
    int screenWidth = 640;
    int screenHeight = 480;
    int screenBitDepth = 16;

    IDirectDraw* ddraw = nullptr;
    IDirectDraw4* ddraw4 = nullptr;
    IDirectDrawSurface4* primarySurface = nullptr;
    IDirectDrawSurface4* backBuffer = nullptr;
    IDirectDrawSurface4* renderTarget = nullptr;
    IDirectDrawSurface4* zBuffer = nullptr;
    IDirect3D3* d3d = nullptr;
    IDirect3DDevice3* device = nullptr;
    IDirect3DViewport3* viewport = nullptr;
    IDirect3DMaterial3* sceneMaterial = nullptr;
    IDirect3DLight* sceneLight = nullptr;

    D3DVECTOR eyePoint{0, 0, 0};
    D3DVECTOR lookAtPoint{0, 0, 0};
    D3DVECTOR upVector{0, 0, 0};

    bool pixelIs555 = false;
    bool pixelIs565 = false;

    IDirectDrawSurface4* backgroundSurface = nullptr;
    IDirectDrawSurface4* textureSurfaces[kTextureSlots] = {};
    IDirect3DTexture2* textures[kTextureSlots] = {};
    // The scene's own diffuse maps, when its materials are drawn as authored.
    std::vector<IDirectDrawSurface4*> mapSurfaces;
    std::vector<IDirect3DTexture2*> mapTextures;

    DisplayObjects() = default;
    DisplayObjects(const DisplayObjects&) = delete;
    DisplayObjects& operator=(const DisplayObjects&) = delete;
    ~DisplayObjects() { releaseAll(); }

    // Releases every held object, newest first, and clears the pointers.
    void releaseAll();
};
