// The largest picture the readers accept: far above any backdrop or texture the program uses, and
// low enough that a damaged header cannot ask for gigabytes.
#pragma once

constexpr long long kMaxImageSide = 16384;
constexpr long long kMaxImagePixels = 4096LL * 4096LL;

constexpr bool imageSizeAcceptable(long long width, long long height) {
    return width <= kMaxImageSide && height <= kMaxImageSide && width * height <= kMaxImagePixels;
}
