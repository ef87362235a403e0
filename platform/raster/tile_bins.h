// Binning for the threaded pixel stage: the target is cut into tiles, and the triangles set up
// from one piece of the submission are kept together, with a list for every tile they touch.
// Pieces are numbered in submission order, so a tile draws its triangles in order by walking the
// pieces that touched it in turn: any thread may set up any piece, and nothing is merged.
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

// The triangles of one piece of a frame, in submission order. Keeps its storage from frame to
// frame, so that a warm frame allocates nothing.
class TriangleBins final : public TriangleSink {
  public:
    // Forgets the triangles; the tiles are those of `grid` from now on.
    void reset(const TileGrid& grid);
    void setDraw(std::uint32_t draw) { draw_ = draw; }

    void add(const TriangleSetup& setup) override;

    // The tiles that hold triangles of this piece, each once, in the order first touched.
    const std::vector<int>& touchedTiles() const { return touched_; }
    // The piece's triangles that touch the tile, in submission order.
    const std::vector<std::uint32_t>& tile(int index) const { return tiles_[index]; }
    const BinnedTriangle& triangle(std::uint32_t index) const { return triangles_[index]; }

  private:
    TileGrid grid_;
    std::vector<BinnedTriangle> triangles_;  // the first used_ are this frame's
    std::size_t used_ = 0;
    std::vector<std::vector<std::uint32_t>> tiles_;
    std::vector<int> touched_;
    std::uint32_t draw_ = 0;
};

// For every tile, the pieces that touched it, in piece order: the tiles' work list of a frame.
class TilePieces {
  public:
    void reset(const TileGrid& grid);
    // Adds the tiles `bins`, piece number `piece`, touched; pieces must come in increasing order.
    void addPiece(const TriangleBins& bins, std::uint32_t piece);
    const std::vector<std::uint32_t>& pieces(int tile) const { return pieces_[tile]; }

  private:
    std::vector<std::vector<std::uint32_t>> pieces_;
};

}  // namespace sw
