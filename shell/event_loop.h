// The message loop: every waiting event is handled before a frame is drawn; while the program is
// inactive the loop blocks until the next event instead of drawing.
#pragma once

#include <functional>

#include "platform/sdl/window_events.h"

struct LoopState {
    bool appActive = true;  // a shown window starts active
    bool closing = false;   // Esc, F12 or a close request ended the loop
};

// Applies one event: Esc and F12 close, other keys change nothing, activation gates frames.
void handleWindowEvent(LoopState& state, const WindowEvent& event);

// Runs until the window closes or `produceFrame` returns false (frame limit, stop signal).
// Returns the exit code: 0, or 1 when waiting for events failed.
int runMessageLoop(WindowEventSource& events, LoopState& state,
                   const std::function<bool()>& produceFrame);
