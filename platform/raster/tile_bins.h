// Binning for the threaded pixel stage: the target is cut into tiles, and each worker of the
// front end keeps the set-up triangles it made with, for every tile they touch, an entry that
// names the triangle and its place in the submission.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/raster/front_end.h"

namespace sw {

// Tiles are square, a multiple of the pixel stage's 4x4 blocks.
inline constexpr int kTileSize = 64;

struct TileGrid {
    int width = 0, height = 0;
    int columns = 0, rows = 0;

    TileGrid() = default;
    TileGrid(int targetWidth, int targetHeight);
    int count() const { return columns * rows; }
    PixelBounds bounds(int tile) const;
};

struct BinnedTriangle {
    TriangleSetup setup;
    std::uint32_t draw;  // the draw call whose state it is drawn with
};

struct BinEntry {
    std::uint32_t order;     // the source triangle's place in the submission
    std::uint32_t triangle;  // index into the worker's triangles
};

// One worker's triangles of the frame. Keeps its storage from frame to frame, so that a warm
// frame allocates nothing.
class TriangleBins final : public TriangleSink {
  public:
    void reset(const TileGrid& grid);
    void setDraw(std::uint32_t draw) { draw_ = draw; }

    void add(const TriangleSetup& setup, std::uint32_t order) override;

    const std::vector<BinEntry>& tile(int index) const { return tiles_[index]; }
    const BinnedTriangle& triangle(std::uint32_t index) const { return triangles_[index]; }

  private:
    TileGrid grid_;
    std::vector<BinnedTriangle> triangles_;  // the first used_ are this frame's
    std::size_t used_ = 0;
    std::vector<std::vector<BinEntry>> tiles_;
    std::uint32_t draw_ = 0;
};

}  // namespace sw
