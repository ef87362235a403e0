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
    // Only touched lists hold entries, whatever grid they were made for.
    for (int tile : touched_) tiles_[tile].clear();
    touched_.clear();
    grid_ = grid;
    used_ = 0;
    if (tiles_.size() < static_cast<std::size_t>(grid.count())) tiles_.resize(grid.count());
}

void TriangleBins::add(const TriangleSetup& setup) {
    if (used_ == triangles_.size()) triangles_.resize(std::max<std::size_t>(64, 2 * used_));
    BinnedTriangle& binned = triangles_[used_];
    binned.setup = setup;
    binned.draw = draw_;
    const auto index = static_cast<std::uint32_t>(used_++);
    // The set-up's bounds lie inside the target, so they name existing tiles. They are read from
    // the source: read back from the copy they would wait for it.
    const int lastColumn = setup.maxX / kTileSize;
    const int lastRow = setup.maxY / kTileSize;
    for (int row = setup.minY / kTileSize; row <= lastRow; ++row)
        for (int column = setup.minX / kTileSize; column <= lastColumn; ++column) {
            const int tile = row * grid_.columns + column;
            if (tiles_[tile].empty()) touched_.push_back(tile);
            tiles_[tile].push_back(index);
        }
}

void TilePieces::reset(const TileGrid& grid) {
    if (pieces_.size() < static_cast<std::size_t>(grid.count())) pieces_.resize(grid.count());
    for (std::vector<std::uint32_t>& tile : pieces_) tile.clear();
}

void TilePieces::addPiece(const TriangleBins& bins, std::uint32_t piece) {
    for (int tile : bins.touchedTiles()) pieces_[tile].push_back(piece);
}

}  // namespace sw
