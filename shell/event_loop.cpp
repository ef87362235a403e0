#include "shell/event_loop.h"

namespace {

bool closesWindow(int virtualKey) {
    return virtualKey == VK_ESCAPE || virtualKey == VK_F12;
}

}  // namespace

void handleWindowEvent(LoopState& state, const WindowEvent& event,
                       const std::function<void(const WindowEvent&)>& control) {
    switch (event.kind) {
        case WindowEventKind::kKeyDown:
            if (closesWindow(event.virtualKey)) {
                state.closing = true;
            } else if (control) {
                control(event);
            }
            break;
        case WindowEventKind::kDrag:
        case WindowEventKind::kWheel:
            if (control) control(event);
            break;
        case WindowEventKind::kCloseRequest:
            state.closing = true;
            break;
        case WindowEventKind::kActivated:
            state.appActive = true;
            break;
        case WindowEventKind::kDeactivated:
            state.appActive = false;
            break;
        case WindowEventKind::kOther:
            break;
    }
}

int runMessageLoop(WindowEventSource& events, LoopState& state,
                   const std::function<bool()>& produceFrame,
                   const std::function<void(const WindowEvent&)>& control) {
    constexpr int kNormalExit = 0;
    constexpr int kEventsFailed = 1;
    while (!state.closing) {
        WindowEvent event;
        if (events.poll(event)) {
            handleWindowEvent(state, event, control);
        } else if (state.appActive) {
            if (!produceFrame()) break;
        } else if (events.wait(event)) {
            handleWindowEvent(state, event, control);
        } else {
            return kEventsFailed;  // nothing could ever wake the loop again
        }
    }
    return kNormalExit;
}
