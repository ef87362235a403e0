// The two 16-bit pixel layouts of the display: packing 8-bit channels, unpacking for output,
// and the matching DDPIXELFORMAT records.
#pragma once

#include <cstdint>

#include "platform/ddraw.h"
#include "platform/raster/raster.h"

using sw::PixelLayout;

// Where the channels sit in a 16-bit pixel: blue in the low 5 bits, green above it (5 or 6 bits
// wide), red above green.
struct ChannelLayout {
    int redShift;
    int greenShift;
    int greenMax;  // 31 or 63
    int redMax;
    int blueMax;
};
constexpr ChannelLayout channelLayout(PixelLayout layout) {
    return layout == PixelLayout::k555 ? ChannelLayout{10, 5, 31, 31, 31}
                                       : ChannelLayout{11, 5, 63, 31, 31};
}

// Keeps the top bits of each channel, as the picture loaders do.
constexpr std::uint16_t pack565(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<std::uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}
constexpr std::uint16_t pack555(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<std::uint16_t>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
}
constexpr std::uint16_t packPixel(PixelLayout layout, std::uint8_t r, std::uint8_t g,
                                  std::uint8_t b) {
    return layout == PixelLayout::k555 ? pack555(r, g, b) : pack565(r, g, b);
}

struct Rgb8 {
    std::uint8_t r, g, b;
    friend constexpr bool operator==(const Rgb8&, const Rgb8&) = default;
};

// Widens a 5- or 6-bit channel to 8 bits by repeating its top bits, so full scale stays 255.
constexpr std::uint8_t widen5(unsigned v) {
    return static_cast<std::uint8_t>(v << 3 | v >> 2);
}
constexpr std::uint8_t widen6(unsigned v) {
    return static_cast<std::uint8_t>(v << 2 | v >> 4);
}

constexpr Rgb8 unpack565(std::uint16_t p) {
    return {widen5(p >> 11 & 0x1F), widen6(p >> 5 & 0x3F), widen5(p & 0x1F)};
}
constexpr Rgb8 unpack555(std::uint16_t p) {
    return {widen5(p >> 10 & 0x1F), widen5(p >> 5 & 0x1F), widen5(p & 0x1F)};
}
constexpr Rgb8 unpackPixel(PixelLayout layout, std::uint16_t p) {
    return layout == PixelLayout::k555 ? unpack555(p) : unpack565(p);
}

DDPIXELFORMAT rgbPixelFormat(PixelLayout layout);
DDPIXELFORMAT zBufferPixelFormat16();
// The layout a 16-bit RGB format describes; false for anything else (Z, other depths, FourCC).
bool layoutOfPixelFormat(const DDPIXELFORMAT& format, PixelLayout& layout);
