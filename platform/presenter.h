// Where a finished frame goes when the primary surface flips: a window, or a headless sink.
#pragma once

#include <cstdint>

#include "platform/raster/raster.h"

struct FrameView {
    const std::uint16_t* pixels = nullptr;
    int pitch = 0;  // in pixels
    int width = 0;
    int height = 0;
    sw::PixelLayout layout = sw::PixelLayout::k565;
};

class Presenter {
  public:
    virtual ~Presenter() = default;
    // The frame is valid only during the call; keep a copy to use it later.
    virtual void present(const FrameView& frame) = 0;
};
