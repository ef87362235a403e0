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

const std::uint16_t* ScaledBlitter::scaledRow(const std::uint16_t* in, int row, int toWidth,
                                              bool keep) {
    if (!keep) {
        scaleRow(in, toWidth, rowBuffer_.data());
        return rowBuffer_.data();
    }
    std::uint16_t* kept = keptRows_.data() + static_cast<std::size_t>(row) * toWidth;
    if (!rowKept_[static_cast<std::size_t>(row)]) {
        // Through the row buffer: a run's extra copies must not land in the next kept row.
        scaleRow(in, toWidth, rowBuffer_.data());
        std::memcpy(kept, rowBuffer_.data(), static_cast<std::size_t>(toWidth) * sizeof *kept);
        rowKept_[static_cast<std::size_t>(row)] = 1;
    }
    return kept;
}

void ScaledBlitter::copy(ConstPixelBuffer source, PixelRect from, PixelBuffer dest, PixelRect to,
                         std::uint64_t sourceStamp) {
    if (from.width <= 0 || from.height <= 0 || to.width <= 0 || to.height <= 0) return;
    const bool sameWidth = from.width == to.width;
    bool keep = false;
    if (!sameWidth) {
        prepareColumnMap(from.width, to.width);
        const auto rows = static_cast<std::size_t>(from.height);
        keep = sourceStamp != 0 && rows * static_cast<std::size_t>(to.width) <= kMaxKeptPixels;
        const KeptSource now{source.pixels, source.pitch, from, to.width, sourceStamp};
        if (keep && !(now == kept_)) {
            keptRows_.resize(rows * static_cast<std::size_t>(to.width));
            rowKept_.assign(rows, 0);
            kept_ = now;
        }
    }
    const std::size_t rowBytes = static_cast<std::size_t>(to.width) * sizeof(std::uint16_t);
    int previousSourceRow = -1;
    const std::uint16_t* scaled = nullptr;  // previousSourceRow at the destination width
    for (int y = 0; y < to.height; ++y) {
        const int sourceRow = nearestSource(y, from.height, to.height);
        if (sourceRow != previousSourceRow) {
            previousSourceRow = sourceRow;
            const std::uint16_t* in = rowOf(source, from.y + sourceRow) + from.x;
            // Scaled into memory that stays in the cache, then copied out whole: stores to the
            // destination one pixel at a time would first read every line they touch.
            scaled = sameWidth ? in : scaledRow(in, sourceRow, to.width, keep);
        }
        std::memcpy(rowOf(dest, to.y + y) + to.x, scaled, rowBytes);
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
