#include "platform/raster/tile_bins.h"

#include <algorithm>

namespace sw {

TileGrid::TileGrid(int targetWidth, int targetHeight)
    : width(targetWidth),
      height(targetHeight),
      columns((targetWidth + kTileSize - 1) / kTileSize),
      rows((targetHeight + kTileSize - 1) / kTileSize) {}

PixelBounds TileGrid::bounds(int tile) const {
    const int x = tile % columns * kTileSize;
    const int y = tile / columns * kTileSize;
    return {x, y, std::min(x + kTileSize, width) - 1, std::min(y + kTileSize, height) - 1};
}

void TriangleBins::reset(const TileGrid& grid) {
    grid_ = grid;
    used_ = 0;
    if (tiles_.size() < static_cast<std::size_t>(grid.count())) tiles_.resize(grid.count());
    for (std::vector<BinEntry>& tile : tiles_) tile.clear();
}

void TriangleBins::add(const TriangleSetup& setup, std::uint32_t order) {
    if (used_ == triangles_.size()) triangles_.resize(std::max<std::size_t>(1024, 2 * used_));
    BinnedTriangle& binned = triangles_[used_];
    binned.setup = setup;
    binned.draw = draw_;
    // The bounds are read from the source: read back from the copy they would wait for it.
    const TriangleSetup& s = setup;
    const auto index = static_cast<std::uint32_t>(used_++);
    // The set-up's bounds lie inside the target, so they name existing tiles.
    const int lastColumn = s.maxX / kTileSize;
    const int lastRow = s.maxY / kTileSize;
    for (int row = s.minY / kTileSize; row <= lastRow; ++row)
        for (int column = s.minX / kTileSize; column <= lastColumn; ++column)
            tiles_[row * grid_.columns + column].push_back({order, index});
}

}  // namespace sw
