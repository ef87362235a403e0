#include "platform/software/blit.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

const std::uint16_t* rowOf(ConstPixelBuffer buffer, int y) {
    return buffer.pixels + static_cast<std::ptrdiff_t>(y) * buffer.pitch;
}

std::uint16_t* rowOf(PixelBuffer buffer, int y) {
    return buffer.pixels + static_cast<std::ptrdiff_t>(y) * buffer.pitch;
}

// floor(i * sourceSize / destSize) without overflow for any 32-bit sizes.
int nearestSource(int i, int sourceSize, int destSize) {
    return static_cast<int>(static_cast<std::int64_t>(i) * sourceSize / destSize);
}

}  // namespace

void ScaledBlitter::prepareColumnMap(int sourceWidth, int destWidth) {
    if (sourceWidth == mappedSourceWidth_ && destWidth == mappedDestWidth_) return;
    columnMap_.resize(static_cast<std::size_t>(destWidth));
    for (int x = 0; x < destWidth; ++x) columnMap_[x] = nearestSource(x, sourceWidth, destWidth);
    mappedSourceWidth_ = sourceWidth;
    mappedDestWidth_ = destWidth;
}

void ScaledBlitter::copy(ConstPixelBuffer source, PixelRect from, PixelBuffer dest, PixelRect to) {
    if (from.width <= 0 || from.height <= 0 || to.width <= 0 || to.height <= 0) return;
    const bool sameWidth = from.width == to.width;
    if (!sameWidth) prepareColumnMap(from.width, to.width);
    const std::size_t rowBytes = static_cast<std::size_t>(to.width) * sizeof(std::uint16_t);
    int previousSourceRow = -1;
    for (int y = 0; y < to.height; ++y) {
        const int sourceRow = nearestSource(y, from.height, to.height);
        std::uint16_t* out = rowOf(dest, to.y + y) + to.x;
        if (sourceRow == previousSourceRow) {
            // Enlarging repeats rows: the row above already holds this one.
            std::memcpy(out, rowOf(dest, to.y + y - 1) + to.x, rowBytes);
            continue;
        }
        previousSourceRow = sourceRow;
        const std::uint16_t* in = rowOf(source, from.y + sourceRow) + from.x;
        if (sameWidth) {
            std::memcpy(out, in, rowBytes);
        } else {
            const int* map = columnMap_.data();
            for (int x = 0; x < to.width; ++x) out[x] = in[map[x]];
        }
    }
}

void copyRect(ConstPixelBuffer source, PixelRect from, PixelBuffer dest, int x, int y) {
    const std::size_t rowBytes = static_cast<std::size_t>(from.width) * sizeof(std::uint16_t);
    const bool downwards = source.pixels == dest.pixels && y > from.y;
    for (int i = 0; i < from.height; ++i) {
        const int row = downwards ? from.height - 1 - i : i;
        std::memmove(rowOf(dest, y + row) + x, rowOf(source, from.y + row) + from.x, rowBytes);
    }
}

void fillRect(PixelBuffer dest, PixelRect rect, std::uint16_t value) {
    if (rect.width <= 0 || rect.height <= 0) return;
    // One row by value, the others copied from it: a row copy is far faster than a word loop.
    std::uint16_t* first = rowOf(dest, rect.y) + rect.x;
    std::fill(first, first + rect.width, value);
    const std::size_t rowBytes = static_cast<std::size_t>(rect.width) * sizeof(std::uint16_t);
    for (int y = 1; y < rect.height; ++y)
        std::memcpy(rowOf(dest, rect.y + y) + rect.x, first, rowBytes);
}
