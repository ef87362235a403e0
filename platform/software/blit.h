// Copies between 16-bit pixel buffers: the nearest-sample scaled copy behind Blt and the plain
// copy behind BltFast. Pure buffer work, no surfaces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
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
    // `sourceStamp`, unless 0, names the source's pixels as they stand: a later copy from the same
    // pixels under the same stamp, of the same rectangle to the same width, takes the rows scaled
    // then instead of scaling them again (a backdrop blitted every frame is scaled once).
    void copy(ConstPixelBuffer source, PixelRect from, PixelBuffer dest, PixelRect to,
              std::uint64_t sourceStamp = 0);

  private:
    // Scaled rows are kept up to this many pixels.
    static constexpr std::size_t kMaxKeptPixels = std::size_t{8} << 20;

    // What the kept rows were scaled from.
    struct KeptSource {
        const std::uint16_t* pixels = nullptr;
        int pitch = 0;
        PixelRect from;
        int toWidth = 0;
        std::uint64_t stamp = 0;
        bool operator==(const KeptSource&) const = default;
    };
    // The scaled pixels of source row `row`, kept if `keep`.
    const std::uint16_t* scaledRow(const std::uint16_t* in, int row, int toWidth, bool keep);

    // Enlargements write each source pixel's run this many copies at a time.
    static constexpr int kRunWidth = 4;

    void prepareColumnMap(int sourceWidth, int destWidth);
    void scaleRow(const std::uint16_t* in, int destWidth, std::uint16_t* out) const;

    std::vector<int> columnMap_;
    std::vector<int> runs_;                 // per source column when enlarging, else empty
    std::vector<std::uint16_t> rowBuffer_;  // one scaled row, and room for a run's extra copies
    int mappedSourceWidth_ = -1;
    int mappedDestWidth_ = -1;
    KeptSource kept_;
    std::vector<std::uint16_t> keptRows_;  // from.height rows of toWidth pixels
    std::vector<char> rowKept_;            // per source row
};

// Unscaled copy of `from` to the destination at (x, y); rows may overlap (same surface).
void copyRect(ConstPixelBuffer source, PixelRect from, PixelBuffer dest, int x, int y);

// Fills a rectangle with one value.
void fillRect(PixelBuffer dest, PixelRect rect, std::uint16_t value);
