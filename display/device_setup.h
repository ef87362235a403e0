// The one-time bring-up of the display: full screen, surfaces, Z-buffer, 3D device, viewport,
// material, light, render states and transforms; and the probe of the display's pixel layout.
#pragma once

#include "display/display_objects.h"
#include "platform/ddraw.h"

// Runs the whole set-up into `display` for `window`. Returns DD_OK, or E_FAIL when one of the three
// fatal steps fails (no pure Z-buffer format; no 3D interface from the device; no material).
HRESULT setupDevice(DisplayObjects& display, HWND window,
                    const DirectDrawCreateFunction& DirectDrawCreate);

// EnumZBufferFormats callback: takes the first format that is a Z-buffer and nothing else.
// context is a DDPIXELFORMAT that receives the chosen format.
HRESULT zBufferFormatCallback(DDPIXELFORMAT* format, void* context);

// Writes white at (0, 0) through the surface's device context and reads the pixel back:
// 6 for the 5-6-5 layout, 5 for 5-5-5.
int probePixelFormat(IDirectDrawSurface4* surface);

// Runs the probe on the back buffer and sets exactly one of pixelIs555 / pixelIs565.
void probeDisplayPixelFormat(DisplayObjects& display);

// For the cameras that see the exporter's right-handed world unmirrored: the one light from
// `towardLight` (a direction), and culling that keeps the faces that turn counter-clockwise to
// the eye, as that world's front faces do.
void aimSceneLight(DisplayObjects& display, const D3DVECTOR& towardLight);
void keepCounterClockwiseFaces(DisplayObjects& display);
