// --bench: the frame driver as fast as it goes, headless, with nothing shown.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>
#include <vector>

#include "platform/headless/headless_presenter.h"
#include "platform/software/software_display.h"
#include "shell/commands.h"
#include "shell/device_choice.h"
#include "shell/frame_output.h"
#include "shell/player.h"
#include "shell/stop_signal.h"
#include "shell/view_check.h"

namespace {

constexpr long kDefaultBenchFrames = 600;

double percentile(const std::vector<double>& sorted, double fraction) {
    if (sorted.empty()) return 0.0;
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1));
    return sorted[index];
}

double peakResidentMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB on Linux
}

void printReport(const Options& options, const DeviceChoice& device, std::vector<double> frameMs,
                 double totalSeconds) {
    std::sort(frameMs.begin(), frameMs.end());
    const double rate = totalSeconds > 0 ? static_cast<double>(frameMs.size()) / totalSeconds : 0;
    if (device.hardwareDraws()) {
        std::printf("device: %s, size: %dx%d\n", device.shortName().c_str(), options.width,
                    options.height);
    } else {
        std::printf("device: software, threads: %d, size: %dx%d\n", drawingThreads(options),
                    options.width, options.height);
    }
    std::printf("frames: %zu in %.3f s, %.1f frames/s\n", frameMs.size(), totalSeconds, rate);
    std::printf("frame time ms: p50 %.3f  p90 %.3f  p99 %.3f  max %.3f\n",
                percentile(frameMs, 0.50), percentile(frameMs, 0.90), percentile(frameMs, 0.99),
                frameMs.empty() ? 0.0 : frameMs.back());
    std::printf("peak RSS: %.1f MiB\n", peakResidentMiB());
}

}  // namespace

int runBench(const Options& options) {
    using Clock = std::chrono::steady_clock;
    installStopSignals();
    DeviceChoice device;  // before the player, whose devices use its OpenGL context
    Player player;
    if (!loadScene(player.scene, options.scenePath, progressMessages(options, stdout))) {
        return kRunFailed;
    }
    HeadlessPresenter copies;
    const bool keepFrames = !options.snapshotPath.empty();
    std::string error;
    if (!device.prepare(options.device, nullptr, error)) {
        std::fprintf(stderr, "aseplay: cannot set up the display: %s (try --device software)\n",
                     error.c_str());
        return kDisplaySetupFailed;
    }
    if (FAILED(startUp(
            player, nullptr,
            makeSoftwareDirectDrawCreate({sw::PixelLayout::k565, keepFrames ? &copies : nullptr,
                                          drawingThreads(options), device.hardware()}),
            options))) {
        std::fprintf(stderr,
                     "aseplay: cannot set up the display: the 3D device could not be "
                     "brought up\n");
        return kDisplaySetupFailed;
    }
    if (!device.confirm(error)) {
        std::fprintf(stderr, "aseplay: cannot set up the display: %s (try --device software)\n",
                     error.c_str());
        return kDisplaySetupFailed;
    }
    player.frame.frameCounter = firstFrameToPlay(options.frame, player.scene.sceneInfo.lastFrame);
    const long count = options.frames >= 0 ? options.frames : kDefaultBenchFrames;
    std::vector<double> frameMs;
    frameMs.reserve(static_cast<std::size_t>(count));
    FrameWorld world = player.world();
    const auto start = Clock::now();
    for (long i = 0; i < count && !stopRequested(); ++i) {
        const auto before = Clock::now();
        renderFrame(world);
        frameMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - before).count());
        if (i == 0) warnIfSceneOutOfView(world);
    }
    const double total = std::chrono::duration<double>(Clock::now() - start).count();
    printReport(options, device, std::move(frameMs), total);
    if (keepFrames && !writeSnapshot(copies, options.snapshotPath)) return kRunFailed;
    return 0;
}
