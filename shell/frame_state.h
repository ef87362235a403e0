// The frame driver's own state: the animation frame to draw next and the frame-rate text.
#pragma once

#include "platform/d3dtypes.h"

struct FrameState {
    int frameCounter = 0;      // 0 … sceneInfo.lastFrame
    bool paused = false;       // the frame number stays (Space in the window)
    char fpsText[16] = {};     // the number shown in the corner
    int fpsFrames = 0;         // frames since the text was last renewed
    DWORD fpsLastUpdate = 0;   // clock reading at the last renewal
    D3DCOLOR clearColour = 0;  // black, or the scene's background colour where it shows
};
