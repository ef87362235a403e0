// Tells a user whose own scene the fixed camera cannot show what to try instead.
#pragma once

#include "shell/frame_driver.h"

// The share of the frame that the scene's triangles cover, read from the depth buffer after a
// frame (cleared to the far value everywhere nothing was drawn); negative when it cannot be read.
double coveredShareOfFrame(DisplayObjects& display);

// Call after the first frame: with the fixed camera, one line on stderr when no object of the scene
// is in view or the scene covers less than a thousandth of the frame.
void warnIfSceneOutOfView(FrameWorld& world);
