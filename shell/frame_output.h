// What happens after each presented frame besides the picture: per-frame snapshots, the frame
// limit, the stop request and the progress line.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "platform/headless/headless_presenter.h"

struct FrameOutputConfig {
    long frameLimit = -1;           // negative: no limit
    std::string snapshotDir;        // empty: no per-frame snapshots
    std::FILE* progress = nullptr;  // where the progress line goes; null: none
};

class FrameOutput {
  public:
    // `frames` keeps the presented frames (needed for snapshots); may be null without them.
    FrameOutput(FrameOutputConfig config, const HeadlessPresenter* frames);

    // Call after each frame; false when the run should end (limit, stop request, write failure).
    bool afterFrame();
    // Ends the progress line.
    void finish();

    long framesDone() const { return framesDone_; }
    bool failed() const { return failed_; }

    // DIR/frame-00042.png for frame index 42.
    static std::string snapshotName(const std::string& dir, long index);

  private:
    bool writeFrameSnapshot();
    void showProgress(bool force);

    FrameOutputConfig config_;
    const HeadlessPresenter* frames_;
    long framesDone_ = 0;
    bool failed_ = false;
    bool progressShown_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastProgress_;
};

// Writes the last presented frame as PNG; false with a message on stderr when it cannot.
bool writeSnapshot(const HeadlessPresenter& frames, const std::string& path);
