// One frame: view, clear, backdrop, the posed scene, copy to the back buffer, frame-rate text,
// flip, next frame number.
#pragma once

#include <cstdint>

#include "anim/draw.h"
#include "anim/posing.h"
#include "ase/records.h"
#include "display/display_objects.h"
#include "shell/frame_state.h"
#include "view/viewer.h"

// Everything one frame reads and writes; one instance for the program, a fresh one per test.
struct FrameWorld {
    Scene& scene;
    DisplayObjects& display;
    FrameState& frame;
    PoseWork& pose;
    const Animation& animation;
    Viewer& viewer;
    const AuthoredDrawing& authored;  // materials null: the plain materials
};

// Draws one complete frame and advances the frame number. Always returns 1.
int renderFrame(FrameWorld& world);

// Counts the frame, renews the text when more than 1000 ms have passed since the last renewal,
// and writes the text at (10, 10) through the surface's device context.
void drawFrameRate(FrameState& frame, IDirectDrawSurface4* surface);

// The frame number after `frameCounter`: one more, or 0 after `lastFrame` (taken as unsigned).
int nextFrameNumber(int frameCounter, std::uint16_t lastFrame);
