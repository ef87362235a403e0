#include "shell/frame_output.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "images/png_io.h"
#include "shell/stop_signal.h"

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(250);

}  // namespace

bool writeSnapshot(const HeadlessPresenter& frames, const std::string& path) {
    if (!frames.hasFrame()) {
        std::fprintf(stderr, "aseplay: no frame was drawn, so no snapshot %s\n", path.c_str());
        return false;
    }
    std::string error;
    if (!writePng(path, frames.lastFrameRgb(), error)) {
        std::fprintf(stderr, "aseplay: cannot write snapshot %s: %s\n", path.c_str(),
                     error.c_str());
        return false;
    }
    return true;
}

FrameOutput::FrameOutput(FrameOutputConfig config, const HeadlessPresenter* frames)
    : config_(std::move(config)), frames_(frames) {
    start_ = lastProgress_ = std::chrono::steady_clock::now();
    if (!config_.snapshotDir.empty()) {
        std::error_code error;
        std::filesystem::create_directories(config_.snapshotDir, error);
        // A failure shows up, with its reason, when the first snapshot cannot be written.
    }
}

std::string FrameOutput::snapshotName(const std::string& dir, long index) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%05ld.png", index);
    return (std::filesystem::path(dir) / name).string();
}

bool FrameOutput::writeFrameSnapshot() {
    if (config_.snapshotDir.empty()) return true;
    if (frames_ == nullptr) return false;
    return writeSnapshot(*frames_, snapshotName(config_.snapshotDir, framesDone_ - 1));
}

bool FrameOutput::afterFrame() {
    ++framesDone_;
    if (!writeFrameSnapshot()) {
        failed_ = true;
        return false;
    }
    showProgress(false);
    if (config_.frameLimit >= 0 && framesDone_ >= config_.frameLimit) return false;
    return !stopRequested();
}

void FrameOutput::showProgress(bool force) {
    if (config_.progress == nullptr) return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - lastProgress_ < kProgressInterval) return;
    lastProgress_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0 ? framesDone_ / seconds : 0.0;
    if (config_.frameLimit >= 0) {
        std::fprintf(config_.progress, "\raseplay: frame %ld of %ld, %.1f frames/s ", framesDone_,
                     config_.frameLimit, rate);
    } else {
        std::fprintf(config_.progress, "\raseplay: frame %ld, %.1f frames/s ", framesDone_, rate);
    }
    std::fflush(config_.progress);
    progressShown_ = true;
}

void FrameOutput::finish() {
    if (!progressShown_) return;
    showProgress(true);
    std::fputc('\n', config_.progress);
}
