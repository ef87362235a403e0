#include "platform/headless/headless_presenter.h"

#include <cstddef>
#include <cstring>

#include "platform/pixel_format.h"

void HeadlessPresenter::present(const FrameView& frame) {
    width_ = frame.width;
    height_ = frame.height;
    layout_ = frame.layout;
    pixels_.resize(static_cast<std::size_t>(width_) * height_);
    for (int y = 0; y < height_; ++y) {
        std::memcpy(&pixels_[static_cast<std::size_t>(y) * width_],
                    frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch,
                    static_cast<std::size_t>(width_) * sizeof(std::uint16_t));
    }
    ++framesPresented_;
}

RgbImage HeadlessPresenter::lastFrameRgb() const {
    RgbImage image;
    if (!hasFrame()) return image;
    image.width = width_;
    image.height = height_;
    image.rgb.resize(pixels_.size() * 3);
    for (std::size_t i = 0; i < pixels_.size(); ++i) {
        const Rgb8 c = unpackPixel(layout_, pixels_[i]);
        image.rgb[i * 3] = c.r;
        image.rgb[i * 3 + 1] = c.g;
        image.rgb[i * 3 + 2] = c.b;
    }
    return image;
}
