// A presenter without a screen: keeps a copy of the last frame, for snapshots and tests.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/presenter.h"
#include "platform/rgb_image.h"

class HeadlessPresenter : public Presenter {
  public:
    // Copies the frame; after the first frame of a given size it allocates nothing.
    void present(const FrameView& frame) override;

    bool hasFrame() const { return framesPresented_ > 0; }
    long framesPresented() const { return framesPresented_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // The last frame widened to 8-bit RGB; empty when nothing was presented.
    RgbImage lastFrameRgb() const;
    // The 16-bit pixel at (x, y) of the last frame (rows packed, no padding).
    std::uint16_t pixel(int x, int y) const { return pixels_[y * width_ + x]; }

  private:
    std::vector<std::uint16_t> pixels_;
    int width_ = 0;
    int height_ = 0;
    sw::PixelLayout layout_ = sw::PixelLayout::k565;
    long framesPresented_ = 0;
};
