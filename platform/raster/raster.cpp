#include "platform/raster/raster.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "platform/raster/draw_context.h"
#include "platform/raster/front_end.h"
#include "platform/raster/kernels.h"
#include "platform/raster/tile_bins.h"
#include "platform/raster/worker_pool.h"

namespace sw {
namespace {

constexpr int kMaxThreads = 64;
// Triangles per piece of front-end work; lists shorter than two pieces stay on the calling
// thread, where waking the helpers would cost more than it saves.
constexpr std::uint32_t kTrianglesPerPiece = 512;

// Draws each triangle as soon as it is set up.
class ImmediateSink final : public TriangleSink {
  public:
    void bind(const DrawContext& context) { context_ = &context; }
    void add(const TriangleSetup& setup) override {
        context_->rasterize(setup, *context_, kWholeTarget);
    }
    void addLanes(const TriangleSetup* setups, int lanes) override {
        context_->rasterizeLanes(setups, lanes, *context_);
    }

  private:
    static constexpr PixelBounds kWholeTarget{0, 0, INT_MAX, INT_MAX};
    const DrawContext* context_ = nullptr;
};

// The memory a frame draws into; drawing into other memory finishes the frame first.
struct TargetIdentity {
    const void* color = nullptr;
    const void* depth = nullptr;
    int width = 0, height = 0, colorPitch = 0, depthPitch = 0;
    bool operator==(const TargetIdentity&) const = default;
};

TargetIdentity identify(const ColorTarget& color, const DepthTarget* depth) {
    TargetIdentity id{color.pixels, nullptr, color.width, color.height, color.pitch, 0};
    if (depth != nullptr) {
        id.depth = depth->depth;
        id.depthPitch = depth->pitch;
    }
    return id;
}

}  // namespace

struct Rasterizer::Impl {
    Impl(int threads, InstructionSet set)
        : pool(std::clamp(threads, 1, kMaxThreads)), kernels(kernelsFor(set)) {}

    void drawNow(const RasterState& state, const ColorTarget& color, const DepthTarget* depth,
                 const D3DVERTEX* vertices, std::uint32_t triangles);
    void drawIntoTiles(const RasterState& state, const ColorTarget& color, const DepthTarget* depth,
                       const D3DVERTEX* vertices, std::uint32_t triangles);
    void startFrame(const ColorTarget& color, const DepthTarget* depth);
    // `count` fresh pieces for this frame; the number of the first.
    std::uint32_t takePieces(std::uint32_t count);
    void drawTile(int tile) const;
    void finish();

    WorkerPool pool;
    const Kernels& kernels;
    // One thread: the draw's state and the sink that rasterizes at once.
    DrawContext now;
    ImmediateSink immediate;
    // More threads: the state of every draw of the frame, and the set-up triangles of each piece
    // of the frame's submission.
    std::vector<DrawContext> draws;
    std::size_t drawCount = 0;
    std::vector<TriangleBins> bins;
    std::uint32_t piecesUsed = 0;
    int openPiece = -1;  // the piece short lists go on into; -1 when a new one must start
    TilePieces tilePieces;
    TileGrid grid;
    TargetIdentity target;
};

void Rasterizer::Impl::drawNow(const RasterState& state, const ColorTarget& color,
                               const DepthTarget* depth, const D3DVERTEX* vertices,
                               std::uint32_t triangles) {
    if (!prepareDrawContext(state, color, depth, kernels, now)) return;
    immediate.bind(now);
    kernels.drawTriangles(now, immediate, vertices, 0, triangles);
}

void Rasterizer::Impl::startFrame(const ColorTarget& color, const DepthTarget* depth) {
    target = identify(color, depth);
    grid = TileGrid(color.width, color.height);
    piecesUsed = 0;
    openPiece = -1;
}

std::uint32_t Rasterizer::Impl::takePieces(std::uint32_t count) {
    const std::uint32_t first = piecesUsed;
    piecesUsed += count;
    if (bins.size() < piecesUsed) bins.resize(piecesUsed);
    for (std::uint32_t piece = first; piece < piecesUsed; ++piece) bins[piece].reset(grid);
    return first;
}

void Rasterizer::Impl::drawIntoTiles(const RasterState& state, const ColorTarget& color,
                                     const DepthTarget* depth, const D3DVERTEX* vertices,
                                     std::uint32_t triangles) {
    if (drawCount > 0 && !(identify(color, depth) == target)) finish();
    if (drawCount == draws.size()) draws.resize(draws.size() + 16);
    DrawContext& record = draws[drawCount];
    if (!prepareDrawContext(state, color, depth, kernels, record)) return;
    if (drawCount == 0) startFrame(color, depth);
    const auto draw = static_cast<std::uint32_t>(drawCount++);

    const std::uint32_t pieces = (triangles + kTrianglesPerPiece - 1) / kTrianglesPerPiece;
    if (pieces < 2) {
        // Short lists are set up on the calling thread, one after another into one piece.
        if (openPiece < 0) openPiece = static_cast<int>(takePieces(1));
        TriangleBins& sink = bins[static_cast<std::size_t>(openPiece)];
        sink.setDraw(draw);
        kernels.drawTriangles(record, sink, vertices, 0, triangles);
        return;
    }
    openPiece = -1;
    const std::uint32_t firstPiece = takePieces(pieces);
    auto piece = [&](int index, int) {
        TriangleBins& sink = bins[firstPiece + static_cast<std::uint32_t>(index)];
        sink.setDraw(draw);
        const std::uint32_t first = static_cast<std::uint32_t>(index) * kTrianglesPerPiece;
        kernels.drawTriangles(record, sink, vertices, first,
                              std::min(kTrianglesPerPiece, triangles - first));
    };
    // Whoever is free takes the next piece, so a thread the system holds back delays no one.
    pool.forEach(static_cast<int>(pieces), piece);
}

// The pieces are in submission order, and so are the triangles of each piece.
void Rasterizer::Impl::drawTile(int tile) const {
    const PixelBounds clip = grid.bounds(tile);
    for (std::uint32_t piece : tilePieces.pieces(tile)) {
        const TriangleBins& from = bins[piece];
        for (std::uint32_t index : from.tile(tile)) {
            const BinnedTriangle& t = from.triangle(index);
            const DrawContext& context = draws[t.draw];
            context.rasterize(t.setup, context, clip);
        }
    }
}

void Rasterizer::Impl::finish() {
    if (drawCount == 0) return;
    tilePieces.reset(grid);
    for (std::uint32_t piece = 0; piece < piecesUsed; ++piece)
        tilePieces.addPiece(bins[piece], piece);
    auto tileTask = [this](int tile, int) { drawTile(tile); };
    pool.forEach(grid.count(), tileTask);
    drawCount = 0;
}

Rasterizer::Rasterizer(int threads, InstructionSet set)
    : impl_(std::make_unique<Impl>(threads, set)) {}
Rasterizer::~Rasterizer() = default;

int Rasterizer::threads() const {
    return impl_->pool.threads();
}

InstructionSet Rasterizer::instructionSet() const {
    return impl_->kernels.set;
}

void Rasterizer::drawTriangleList(const RasterState& state, const ColorTarget& color,
                                  const DepthTarget* depth, const D3DVERTEX* vertices,
                                  std::uint32_t vertexCount) {
    if (vertices == nullptr || vertexCount < 3) return;
    const std::uint32_t triangles = vertexCount / 3;
    if (impl_->pool.threads() == 1)
        impl_->drawNow(state, color, depth, vertices, triangles);
    else
        impl_->drawIntoTiles(state, color, depth, vertices, triangles);
}

void Rasterizer::finish() {
    impl_->finish();
}

bool Rasterizer::hasUnfinishedDrawing() const {
    return impl_->drawCount > 0;
}

int everyCore() {
    return coreCount();
}

}  // namespace sw
