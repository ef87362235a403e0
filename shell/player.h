// The program's one instance of everything it plays, and the start-up that fills it.
#pragma once

#include "anim/posing.h"
#include "ase/records.h"
#include "display/display_objects.h"
#include "platform/ddraw.h"
#include "shell/frame_driver.h"
#include "shell/frame_state.h"
#include "shell/options.h"

struct Player {
    Scene scene;
    DisplayObjects display;
    FrameState frame;
    PoseWork pose;

    FrameWorld world() { return {scene, display, frame, pose}; }
};

// After the window exists, in this order (the frame size comes from the options): device set-up,
// pixel-layout probe, backdrop, texture, scene file, scene preparation. Returns E_FAIL, before any
// file is opened, when the device set-up fails; the loaders' own results are not examined (missing
// files do not stop start-up).
HRESULT startUp(Player& player, HWND window, const DirectDrawCreateFunction& directDrawCreate,
                const Options& files);

// The software display's drawing threads the options ask for (every core unless told).
int drawingThreads(const Options& options);

// The frame number to start at: `requested` within the scene's cycle 0 … lastFrame.
int firstFrameToPlay(int requested, std::uint16_t lastFrame);
