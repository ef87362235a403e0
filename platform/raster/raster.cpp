#include "platform/raster/raster.h"

namespace sw {

struct Rasterizer::Impl {};

Rasterizer::Rasterizer() : impl_(std::make_unique<Impl>()) {}
Rasterizer::~Rasterizer() = default;

void Rasterizer::drawTriangleList(const RasterState&, const ColorTarget&, const DepthTarget*,
                                  const D3DVERTEX*, std::uint32_t) {}

}  // namespace sw
