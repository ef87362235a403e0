#include "shell/playback_controls.h"

#include "shell/frame_driver.h"

namespace {

int previousFrameNumber(int frameCounter, std::uint16_t lastFrame) {
    return frameCounter <= 0 ? static_cast<int>(lastFrame) : frameCounter - 1;
}

}  // namespace

void applyPlaybackControl(const WindowEvent& event, FrameState& frame, Viewer& viewer,
                          std::uint16_t lastFrame) {
    switch (event.kind) {
        case WindowEventKind::kKeyDown:
            if (event.virtualKey == VK_SPACE) {
                frame.paused = !frame.paused;
            } else if (event.virtualKey == VK_HOME) {
                frame.frameCounter = 0;
            } else if (frame.paused && event.virtualKey == VK_RIGHT) {
                frame.frameCounter = nextFrameNumber(frame.frameCounter, lastFrame);
            } else if (frame.paused && event.virtualKey == VK_LEFT) {
                frame.frameCounter = previousFrameNumber(frame.frameCounter, lastFrame);
            }
            break;
        case WindowEventKind::kDrag:
            if (viewer.kind() == CameraKind::fit) viewer.orbit(event.dx, event.dy);
            break;
        case WindowEventKind::kWheel:
            if (viewer.kind() == CameraKind::fit) viewer.zoom(event.wheel);
            break;
        default:
            break;
    }
}
