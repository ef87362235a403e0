// Playing: the window (or none), the start-up, the message loop and what is written at the end.
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/headless/headless_presenter.h"
#include "platform/sdl/sdl_window.h"
#include "platform/software/software_display.h"
#include "shell/commands.h"
#include "shell/device_choice.h"
#include "shell/event_loop.h"
#include "shell/frame_output.h"
#include "shell/playback_controls.h"
#include "shell/player.h"
#include "shell/stop_signal.h"
#include "shell/view_check.h"

namespace {

constexpr sw::PixelLayout kDisplayLayout = sw::PixelLayout::k565;

// Hands each flipped frame to the screen and, when snapshots are wanted, to a keeper of copies.
class FramePresenters final : public Presenter {
  public:
    FramePresenters(Presenter* screen, Presenter* copies) : screen_(screen), copies_(copies) {}
    void present(const FrameView& frame) override {
        if (screen_ != nullptr) screen_->present(frame);
        if (copies_ != nullptr) copies_->present(frame);
    }

  private:
    Presenter* screen_;
    Presenter* copies_;
};

// Without a window nothing arrives and nothing deactivates the run: the loop never waits.
class NoWindowEvents final : public WindowEventSource {
  public:
    bool poll(WindowEvent&) override { return false; }
    bool wait(WindowEvent&) override { return false; }
};

void reportSetupFailure(const std::string& why) {
    std::fprintf(stderr, "aseplay: cannot set up the display: %s (try --headless)\n", why.c_str());
}

void reportDeviceFailure(const std::string& why) {
    std::fprintf(stderr, "aseplay: cannot set up the display: %s (try --device software)\n",
                 why.c_str());
}

// --device auto says which device it chose, where the reader's progress messages go.
void announceDevice(const DeviceChoice& device, const Options& options) {
    if (options.device != DeviceRequest::automatic || options.quiet) return;
    std::printf("aseplay: drawing with %s\n", device.describe().c_str());
    std::fflush(stdout);
}

bool wantsSnapshots(const Options& options) {
    return !options.snapshotPath.empty() || !options.snapshotDir.empty();
}

SdlWindowConfig windowConfigFor(const Options& options) {
    SdlWindowConfig config;
    config.openGl = options.device != DeviceRequest::software;
    config.fullScreen = !options.window;
    config.vsync = options.vsync;
    config.layout = kDisplayLayout;
    config.frameWidth = options.width;
    config.frameHeight = options.height;
    return config;
}

// Progress only where somebody watches it: a headless run with stderr on a terminal.
std::FILE* progressStream(const Options& options) {
    return options.headless && ::isatty(STDERR_FILENO) ? stderr : nullptr;
}

int play(Player& player, WindowEventSource& events, const HeadlessPresenter& copies,
         const Options& options) {
    player.frame.frameCounter = firstFrameToPlay(options.frame, player.scene.sceneInfo.lastFrame);
    FrameOutput output({options.frames, options.snapshotDir, progressStream(options)}, &copies);
    FrameWorld world = player.world();
    LoopState loop;
    bool first = true;
    int code = runMessageLoop(
        events, loop,
        [&] {
            renderFrame(world);
            if (first) warnIfSceneOutOfView(world);
            first = false;
            return output.afterFrame();
        },
        [&](const WindowEvent& event) {
            applyPlaybackControl(event, player.frame, player.viewer,
                                 player.scene.sceneInfo.lastFrame);
        });
    output.finish();
    if (output.failed()) code = kRunFailed;
    if (!options.snapshotPath.empty() && !writeSnapshot(copies, options.snapshotPath)) {
        code = kRunFailed;
    }
    return code;
}

}  // namespace

int runPlayer(const Options& options) {
    // Declared before the player: its devices go first, while their OpenGL context and its
    // window still exist.
    std::unique_ptr<SdlWindow> window;
    DeviceChoice device;
    Player player;
    if (!loadScene(player.scene, options.scenePath, progressMessages(options, stdout))) {
        return kRunFailed;
    }
    HeadlessPresenter copies;
    NoWindowEvents noWindow;
    WindowEventSource* events = &noWindow;
    Presenter* screen = nullptr;
    if (options.headless) {
        installStopSignals();
    } else {
        std::string error;
        window = SdlWindow::open(windowConfigFor(options), error);
        if (window == nullptr) {
            reportSetupFailure(error);
            return kDisplaySetupFailed;
        }
        events = window.get();
        screen = window.get();
    }
    FramePresenters presenters(screen, wantsSnapshots(options) ? &copies : nullptr);

    const HWND handle = window != nullptr ? window->handle() : nullptr;
    std::string error;
    if (!device.prepare(options.device, handle, error)) {
        reportDeviceFailure(error);
        return kDisplaySetupFailed;
    }
    if (FAILED(startUp(player, handle,
                       makeSoftwareDirectDrawCreate({kDisplayLayout, &presenters,
                                                     drawingThreads(options), device.hardware()}),
                       options))) {
        reportSetupFailure("the 3D device could not be brought up");
        return kDisplaySetupFailed;
    }
    if (!device.confirm(error)) {
        reportDeviceFailure(error);
        return kDisplaySetupFailed;
    }
    announceDevice(device, options);
    return play(player, *events, copies, options);
}
