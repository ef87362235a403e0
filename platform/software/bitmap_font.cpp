#include "platform/software/bitmap_font.h"

#include <array>
#include <cstddef>

namespace {

// Each glyph is drawn on a 3x5 grid and doubled both ways, which gives strokes two pixels thick
// (the bold look) inside a 6x10 box; the box sits one column in and three rows down in its cell.
struct SmallGlyph {
    char character;
    const char* rows[5];
};

constexpr SmallGlyph kSmallGlyphs[] = {
    {'0', {"###", "#.#", "#.#", "#.#", "###"}},  {'1', {".#.", "##.", ".#.", ".#.", "###"}},
    {'2', {"###", "..#", "###", "#..", "###"}},  {'3', {"###", "..#", ".##", "..#", "###"}},
    {'4', {"#.#", "#.#", "###", "..#", "..#"}},  {'5', {"###", "#..", "###", "..#", "###"}},
    {'6', {"###", "#..", "###", "#.#", "###"}},  {'7', {"###", "..#", ".#.", ".#.", ".#."}},
    {'8', {"###", "#.#", "###", "#.#", "###"}},  {'9', {"###", "#.#", "###", "..#", "###"}},
    {'A', {".#.", "#.#", "###", "#.#", "#.#"}},  {'B', {"##.", "#.#", "##.", "#.#", "##."}},
    {'C', {".##", "#..", "#..", "#..", ".##"}},  {'D', {"##.", "#.#", "#.#", "#.#", "##."}},
    {'E', {"###", "#..", "##.", "#..", "###"}},  {'F', {"###", "#..", "##.", "#..", "#.."}},
    {'G', {".##", "#..", "#.#", "#.#", ".##"}},  {'H', {"#.#", "#.#", "###", "#.#", "#.#"}},
    {'I', {"###", ".#.", ".#.", ".#.", "###"}},  {'J', {"..#", "..#", "..#", "#.#", ".#."}},
    {'K', {"#.#", "#.#", "##.", "#.#", "#.#"}},  {'L', {"#..", "#..", "#..", "#..", "###"}},
    {'M', {"#.#", "###", "###", "#.#", "#.#"}},  {'N', {"##.", "#.#", "#.#", "#.#", "#.#"}},
    {'O', {".#.", "#.#", "#.#", "#.#", ".#."}},  {'P', {"##.", "#.#", "##.", "#..", "#.."}},
    {'Q', {".#.", "#.#", "#.#", "##.", ".##"}},  {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
    {'S', {".##", "#..", ".#.", "..#", "##."}},  {'T', {"###", ".#.", ".#.", ".#.", ".#."}},
    {'U', {"#.#", "#.#", "#.#", "#.#", "###"}},  {'V', {"#.#", "#.#", "#.#", "#.#", ".#."}},
    {'W', {"#.#", "#.#", "###", "###", "#.#"}},  {'X', {"#.#", "#.#", ".#.", "#.#", "#.#"}},
    {'Y', {"#.#", "#.#", ".#.", ".#.", ".#."}},  {'Z', {"###", "..#", ".#.", "#..", "###"}},
    {' ', {"...", "...", "...", "...", "..."}},  {'.', {"...", "...", "...", "...", ".#."}},
    {',', {"...", "...", "...", ".#.", "#.."}},  {':', {"...", ".#.", "...", ".#.", "..."}},
    {'-', {"...", "...", "###", "...", "..."}},  {'+', {"...", ".#.", "###", ".#.", "..."}},
    {'=', {"...", "###", "...", "###", "..."}},  {'/', {"..#", "..#", ".#.", "#..", "#.."}},
    {'%', {"#.#", "..#", ".#.", "#..", "#.#"}},  {'(', {".#.", "#..", "#..", "#..", ".#."}},
    {')', {".#.", "..#", "..#", "..#", ".#."}},  {'!', {".#.", ".#.", ".#.", "...", ".#."}},
    {'?', {"##.", "..#", ".#.", "...", ".#."}},  {'_', {"...", "...", "...", "...", "###"}},
    {'\'', {".#.", ".#.", "...", "...", "..."}},
};

constexpr int kInkLeft = 1;
constexpr int kInkTop = 3;

constexpr GlyphBitmap doubled(const SmallGlyph& small) {
    GlyphBitmap glyph{};
    for (int row = 0; row < 5; ++row) {
        std::uint8_t bits = 0;
        for (int column = 0; column < 3; ++column) {
            if (small.rows[row][column] == '#') {
                bits |= static_cast<std::uint8_t>(0xC0 >> (kInkLeft + 2 * column));
            }
        }
        glyph.rows[kInkTop + 2 * row] = bits;
        glyph.rows[kInkTop + 2 * row + 1] = bits;
    }
    return glyph;
}

constexpr GlyphBitmap hollowBox() {
    GlyphBitmap glyph{};
    for (int y = kInkTop; y < kInkTop + 10; ++y) glyph.rows[y] = 0x42;
    glyph.rows[kInkTop] = 0x7E;
    glyph.rows[kInkTop + 9] = 0x7E;
    return glyph;
}

struct FontTable {
    std::array<GlyphBitmap, 128> glyphs;
    constexpr FontTable() : glyphs{} {
        for (auto& glyph : glyphs) glyph = hollowBox();
        for (const SmallGlyph& small : kSmallGlyphs) {
            glyphs[static_cast<std::size_t>(small.character)] = doubled(small);
        }
    }
};

constexpr FontTable kFont;
constexpr GlyphBitmap kUnknownGlyph = hollowBox();

void drawGlyph(const TextTarget& target, int left, int top, const GlyphBitmap& glyph,
               std::uint16_t ink, std::uint16_t paper) {
    for (int y = 0; y < kGlyphHeight; ++y) {
        const int py = top + y;
        if (py < 0 || py >= target.height) continue;
        std::uint16_t* row = target.pixels + static_cast<std::ptrdiff_t>(py) * target.pitch;
        for (int x = 0; x < kGlyphWidth; ++x) {
            const int px = left + x;
            if (px >= 0 && px < target.width) row[px] = glyph.ink(x, y) ? ink : paper;
        }
    }
}

}  // namespace

const GlyphBitmap& glyphFor(char c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    const auto code = static_cast<unsigned char>(c);
    return code < kFont.glyphs.size() ? kFont.glyphs[code] : kUnknownGlyph;
}

void drawText(const TextTarget& target, int x, int y, const char* text, int length,
              std::uint16_t ink, std::uint16_t paper) {
    for (int i = 0; i < length; ++i) {
        drawGlyph(target, x + i * kGlyphWidth, y, glyphFor(text[i]), ink, paper);
    }
}
