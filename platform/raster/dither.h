// The 4x4 ordered (Bayer) dither used when a colour channel is cut down to 5 or 6 bits.
#pragma once

namespace sw {

// Rank of each position of a 4x4 tile; a pixel at (x, y) uses kBayer4x4[y & 3][x & 3].
inline constexpr int kBayer4x4[4][4] = {
    {0, 8, 2, 10},
    {12, 4, 14, 6},
    {3, 11, 1, 9},
    {15, 7, 13, 5},
};

// Added to a channel already scaled to 0..max before truncation: values in (0, 1) spread the
// rounding over the tile; 0.5 without dithering is plain rounding.
inline constexpr float ditherThreshold(int x, int y) {
    return (static_cast<float>(kBayer4x4[y & 3][x & 3]) + 0.5f) / 16.0f;
}

inline constexpr float kRoundingThreshold = 0.5f;

}  // namespace sw
