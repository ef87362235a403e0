// The built-in font of the software device context: bold 8x16 cells, black on opaque white,
// anchored at the top-left corner of the text.
#pragma once

#include <cstdint>

constexpr int kGlyphWidth = 8;
constexpr int kGlyphHeight = 16;

// Rows of one 8x16 cell, top row first; bit 7 of a row is its leftmost pixel.
struct GlyphBitmap {
    std::uint8_t rows[kGlyphHeight];
    bool ink(int x, int y) const { return (rows[y] >> (7 - x) & 1) != 0; }
};

// Digits, capital letters (small ones drawn as capitals), space and common punctuation; any other
// character gets a hollow box, so that unknown text is still visible.
const GlyphBitmap& glyphFor(char c);

struct TextTarget {
    std::uint16_t* pixels = nullptr;
    int pitch = 0;  // in pixels
    int width = 0;
    int height = 0;
};

// Draws `length` characters from (x, y) rightwards, one cell each, clipped to the target.
void drawText(const TextTarget& target, int x, int y, const char* text, int length,
              std::uint16_t ink, std::uint16_t paper);
