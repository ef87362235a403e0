// The message loop: every waiting event is handled before a frame is drawn; while the program is
// inactive the loop blocks until the next event instead of drawing.
#pragma once

#include <functional>

#include "platform/window_events.h"

struct LoopState {
    bool appActive = true;  // a shown window starts active
    bool closing = false;   // Esc, F12 or a close request ended the loop
};

// Applies one event: Esc and F12 close, activation gates frames, and every key, drag or wheel event
// goes on to `control` when there is one (playback and camera controls); otherwise other keys
// change nothing.
void handleWindowEvent(LoopState& state, const WindowEvent& event,
                       const std::function<void(const WindowEvent&)>& control = {});

// Runs until the window closes or `produceFrame` returns false (frame limit, stop signal).
// Returns the exit code: 0, or 1 when waiting for events failed.
int runMessageLoop(WindowEventSource& events, LoopState& state,
                   const std::function<bool()>& produceFrame,
                   const std::function<void(const WindowEvent&)>& control = {});
