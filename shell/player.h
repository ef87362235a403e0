// The program's one instance of everything it plays, and the start-up that fills it.
#pragma once

#include <cstdio>
#include <string>

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
    Animation animation;
    Viewer viewer;
    AuthoredMaterials materials;  // --materials authored only
    AuthoredDrawing authored;

    FrameWorld world() { return {scene, display, frame, pose, animation, viewer, authored}; }
};

// Reads and prepares the scene, before any display is brought up, with the reader's progress on
// `messages` (none when null). False when the file yields nothing to play: it cannot be opened,
// is not an ASE file, or its read stopped (the reader has said why on stderr). A file that reads
// to its end plays even without a geometry object.
bool loadScene(Scene& scene, const std::string& path, std::FILE* messages);

// After the scene is loaded and the window exists, in this order (the frame size comes from the
// options): device set-up, pixel-layout probe, backdrop, texture, then the animation model and the
// camera. Returns E_FAIL, before either picture is opened, when the device set-up fails; the
// loaders' own results are not examined (a missing picture leaves its slot empty).
HRESULT startUp(Player& player, HWND window, const DirectDrawCreateFunction& directDrawCreate,
                const Options& files);

// The software display's drawing threads the options ask for (every core unless told).
int drawingThreads(const Options& options);

// The frame number to start at: `requested` within the scene's cycle 0 … lastFrame.
int firstFrameToPlay(int requested, std::uint16_t lastFrame);
