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
    void add(const TriangleSetup& setup, std::uint32_t) override {
        context_->rasterize(setup, *context_, kWholeTarget);
    }
    void addLanes(const TriangleSetup* setups, int lanes, std::uint32_t) override {
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
        : pool(std::clamp(threads, 1, kMaxThreads)), kernels(kernelsFor(set)) {
        bins.resize(static_cast<std::size_t>(pool.threads()));
    }

    void drawNow(const RasterState& state, const ColorTarget& color, const DepthTarget* depth,
                 const D3DVERTEX* vertices, std::uint32_t triangles);
    void drawIntoTiles(const RasterState& state, const ColorTarget& color, const DepthTarget* depth,
                       const D3DVERTEX* vertices, std::uint32_t triangles);
    void startFrame(const ColorTarget& color, const DepthTarget* depth);
    void drawTile(int tile) const;
    void finish();

    WorkerPool pool;
    const Kernels& kernels;
    // One thread: the draw's state and the sink that rasterizes at once.
    DrawContext now;
    ImmediateSink immediate;
    // More threads: the state of every draw of the frame, and each worker's bins.
    std::vector<DrawContext> draws;
    std::size_t drawCount = 0;
    std::vector<TriangleBins> bins;
    TileGrid grid;
    TargetIdentity target;
    std::uint32_t nextOrder = 0;
};

void Rasterizer::Impl::drawNow(const RasterState& state, const ColorTarget& color,
                               const DepthTarget* depth, const D3DVERTEX* vertices,
                               std::uint32_t triangles) {
    if (!prepareDrawContext(state, color, depth, kernels, now)) return;
    immediate.bind(now);
    kernels.drawTriangles(now, immediate, vertices, 0, triangles, 0);
}

void Rasterizer::Impl::startFrame(const ColorTarget& color, const DepthTarget* depth) {
    target = identify(color, depth);
    grid = TileGrid(color.width, color.height);
    for (TriangleBins& b : bins) b.reset(grid);
    nextOrder = 0;
}

void Rasterizer::Impl::drawIntoTiles(const RasterState& state, const ColorTarget& color,
                                     const DepthTarget* depth, const D3DVERTEX* vertices,
                                     std::uint32_t triangles) {
    if (drawCount > 0 &&
        (!(identify(color, depth) == target) || nextOrder > UINT32_MAX - triangles))
        finish();
    if (drawCount == draws.size()) draws.resize(draws.size() + 16);
    DrawContext& record = draws[drawCount];
    if (!prepareDrawContext(state, color, depth, kernels, record)) return;
    if (drawCount == 0) startFrame(color, depth);
    const auto draw = static_cast<std::uint32_t>(drawCount++);
    const std::uint32_t orderBase = nextOrder;
    nextOrder += triangles;

    const std::uint32_t pieces = (triangles + kTrianglesPerPiece - 1) / kTrianglesPerPiece;
    auto piece = [&](int index, int worker) {
        TriangleBins& sink = bins[static_cast<std::size_t>(worker)];
        sink.setDraw(draw);
        const std::uint32_t first = static_cast<std::uint32_t>(index) * kTrianglesPerPiece;
        kernels.drawTriangles(record, sink, vertices, first,
                              std::min(kTrianglesPerPiece, triangles - first), orderBase);
    };
    if (pieces < 2) {
        for (std::uint32_t i = 0; i < pieces; ++i) piece(static_cast<int>(i), 0);
    } else {
        // A fixed split: a repeated frame then fills each worker's storage as before.
        pool.forEach(static_cast<int>(pieces), piece, WorkerPool::Split::kInterleaved);
    }
}

// Merges the workers' entries of the tile by submission order: each worker's list is already
// in that order, and the triangles of one source triangle are all in one list.
void Rasterizer::Impl::drawTile(int tile) const {
    const PixelBounds clip = grid.bounds(tile);
    const int workers = static_cast<int>(bins.size());
    std::size_t at[kMaxThreads] = {};
    for (;;) {
        int from = -1;
        std::uint32_t lowest = 0;
        for (int w = 0; w < workers; ++w) {
            const std::vector<BinEntry>& list = bins[w].tile(tile);
            if (at[w] < list.size() && (from < 0 || list[at[w]].order < lowest)) {
                from = w;
                lowest = list[at[w]].order;
            }
        }
        if (from < 0) return;
        const BinEntry entry = bins[from].tile(tile)[at[from]++];
        const BinnedTriangle& t = bins[from].triangle(entry.triangle);
        const DrawContext& context = draws[t.draw];
        context.rasterize(t.setup, context, clip);
    }
}

void Rasterizer::Impl::finish() {
    if (drawCount == 0) return;
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
