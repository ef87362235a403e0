// The ".spr" texture pictures: a byte of encoding (0 raw, 1 run-length), width and height, then
// 5-6-5 pixel words row by row. Decoding, the conversion to 5-5-5, and encoding (for the asset
// tool). Pure data work.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

constexpr std::size_t kSprHeaderSize = 5;

enum class SprEncoding : std::uint8_t { kRaw = 0, kRunLength = 1 };

struct SprImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint16_t> pixels;  // the file's 5-6-5 words, row-major, top row first
};

// Decodes a whole ".spr" file. Run-length packets: a count word n; n > 0 is followed by n pixel
// words, n = 0 by a word m that gives m black pixels. Runs that pass the end of their row are cut.
// Returns false (with the reason in `error`) for a short file, an unknown encoding byte, a width
// or height of 0, or an absurd size; then `image` is empty.
bool decodeSpr(std::span<const std::uint8_t> file, SprImage& image, std::string& error);

// 5-6-5 to 5-5-5: red and the top five green bits move down one place, the lowest green bit goes.
constexpr std::uint16_t sprWordTo555(std::uint16_t p) {
    return static_cast<std::uint16_t>(((p & 0xFFC0) >> 1) + (p & 0x1F));
}

std::vector<std::uint16_t> sprPixelsTo555(const SprImage& image);

std::vector<std::uint8_t> encodeSpr(const SprImage& image, SprEncoding encoding);
