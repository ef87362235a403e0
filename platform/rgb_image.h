// A picture of 8-bit red, green and blue: what presenters hand out as frames and what the picture
// files are decoded into.
#pragma once

#include <cstdint>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // row-major, top row first, 3 bytes a pixel
};
