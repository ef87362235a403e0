// The largest picture the readers accept: what a display surface can hold (a large backdrop is
// shown, not refused). Memory stays bounded because the readers also refuse a header that claims
// more pixels than its file's data can fill.
#pragma once

constexpr long long kMaxImageSide = 16384;
constexpr long long kMaxImagePixels = 8192LL * 8192LL;

constexpr bool imageSizeAcceptable(long long width, long long height) {
    return width <= kMaxImageSide && height <= kMaxImageSide && width * height <= kMaxImagePixels;
}
