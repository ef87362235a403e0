// The SDL2 window: shows each flipped frame scaled to the window (aspect kept), with no cursor over
// it, and turns SDL's events into window events.
#pragma once

#include <memory>
#include <string>

#include "platform/presenter.h"
#include "platform/window_events.h"

struct SdlWindowConfig {
    int frameWidth = 640;
    int frameHeight = 480;
    bool fullScreen = true;  // the desktop's full screen; else a frame-sized window
    bool vsync = true;       // the presentation waits for the display's refresh
    sw::PixelLayout layout = sw::PixelLayout::k565;
    const char* title = "Render Objects";
    bool openGl = false;  // the window can hold an OpenGL context (when the system allows)
};

class SdlWindow final : public Presenter, public WindowEventSource {
  public:
    // Starts SDL's video and opens the window; null with the reason in `error` when it cannot,
    // also when SDL found no display and fell back to a driver that shows nothing (unless the
    // user named that driver in SDL_VIDEODRIVER).
    static std::unique_ptr<SdlWindow> open(const SdlWindowConfig& config, std::string& error);
    ~SdlWindow() override;
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    void present(const FrameView& frame) override;
    bool poll(WindowEvent& event) override;
    bool wait(WindowEvent& event) override;

    // The native handle handed to the device set-up as its window.
    void* handle() const;

  private:
    struct Parts;
    explicit SdlWindow(std::unique_ptr<Parts> parts);
    std::unique_ptr<Parts> parts_;
};
