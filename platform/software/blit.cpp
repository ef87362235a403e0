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
    rowBuffer_.resize(static_cast<std::size_t>(destWidth) + kRunWidth - 1);
    for (int x = 0; x < destWidth; ++x) columnMap_[x] = nearestSource(x, sourceWidth, destWidth);
    // Enlarging maps each source column to a run of neighbouring destination columns.
    runs_.clear();
    if (destWidth >= sourceWidth) {
        runs_.assign(static_cast<std::size_t>(sourceWidth), 0);
        for (int x = 0; x < destWidth; ++x) ++runs_[static_cast<std::size_t>(columnMap_[x])];
    }
    mappedSourceWidth_ = sourceWidth;
    mappedDestWidth_ = destWidth;
}

void ScaledBlitter::scaleRow(const std::uint16_t* in, int destWidth, std::uint16_t* out) const {
    if (runs_.empty()) {
        const int* map = columnMap_.data();
        for (int x = 0; x < destWidth; ++x) out[x] = in[map[x]];
        return;
    }
    // Each run written kRunWidth copies at a time, the next run starting where it ends.
    static_assert(kRunWidth == 4);
    for (const int run : runs_) {
        const std::uint64_t copies = *in++ * std::uint64_t{0x0001000100010001};
        std::memcpy(out, &copies, sizeof copies);
        for (int written = kRunWidth; written < run; written += kRunWidth)  // longer runs
            std::memcpy(out + written, &copies, sizeof copies);
        out += run;
    }
}

void ScaledBlitter::copy(ConstPixelBuffer source, PixelRect from, PixelBuffer dest, PixelRect to) {
    if (from.width <= 0 || from.height <= 0 || to.width <= 0 || to.height <= 0) return;
    const bool sameWidth = from.width == to.width;
    if (!sameWidth) prepareColumnMap(from.width, to.width);
    const std::size_t rowBytes = static_cast<std::size_t>(to.width) * sizeof(std::uint16_t);
    int previousSourceRow = -1;
    const std::uint16_t* scaledRow = nullptr;  // previousSourceRow at the destination width
    for (int y = 0; y < to.height; ++y) {
        const int sourceRow = nearestSource(y, from.height, to.height);
        if (sourceRow != previousSourceRow) {
            previousSourceRow = sourceRow;
            const std::uint16_t* in = rowOf(source, from.y + sourceRow) + from.x;
            if (sameWidth) {
                scaledRow = in;
            } else {
                // Scaled into a row that stays in the cache, then copied out whole: stores to
                // the destination one pixel at a time would first read every line they touch.
                scaleRow(in, to.width, rowBuffer_.data());
                scaledRow = rowBuffer_.data();
            }
        }
        std::memcpy(rowOf(dest, to.y + y) + to.x, scaledRow, rowBytes);
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
