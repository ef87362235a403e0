// What the keys and the pointer do in the window besides closing it: Space pauses and resumes,
// Left and Right step one frame while paused, Home goes back to the first frame; with the fit
// camera a drag turns around the scene and the wheel moves closer or further.
#pragma once

#include <cstdint>

#include "platform/window_events.h"
#include "shell/frame_state.h"
#include "view/viewer.h"

void applyPlaybackControl(const WindowEvent& event, FrameState& frame, Viewer& viewer,
                          std::uint16_t lastFrame);
