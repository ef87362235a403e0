// Copies between 16-bit pixel buffers: the nearest-sample scaled copy behind Blt and the plain
// copy behind BltFast. Pure buffer work, no surfaces.
#pragma once

#include <cstdint>
#include <vector>

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct PixelBuffer {
    std::uint16_t* pixels = nullptr;
    int pitch = 0;  // in pixels
};

struct ConstPixelBuffer {
    const std::uint16_t* pixels = nullptr;
    int pitch = 0;  // in pixels
};

// Scales `from` of the source onto `to` of the destination: destination column x takes source
// column floor(x * from.width / to.width), rows likewise, no half-pixel offset. Keeps its column
// map between calls, so repeating a copy of the same sizes allocates nothing. The buffers must not
// overlap.
class ScaledBlitter {
  public:
    void copy(ConstPixelBuffer source, PixelRect from, PixelBuffer dest, PixelRect to);

  private:
    void prepareColumnMap(int sourceWidth, int destWidth);

    std::vector<int> columnMap_;
    int mappedSourceWidth_ = -1;
    int mappedDestWidth_ = -1;
};

// Unscaled copy of `from` to the destination at (x, y); rows may overlap (same surface).
void copyRect(ConstPixelBuffer source, PixelRect from, PixelBuffer dest, int x, int y);

// Fills a rectangle with one value.
void fillRect(PixelBuffer dest, PixelRect rect, std::uint16_t value);
