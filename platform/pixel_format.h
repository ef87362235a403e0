// The two 16-bit pixel layouts of the display: packing 8-bit channels, unpacking for output,
// and the matching DDPIXELFORMAT records.
#pragma once

#include <cstdint>

#include "platform/ddraw.h"
#include "platform/raster/raster.h"

using sw::PixelLayout;

// Where the channels sit in a 16-bit pixel: blue in the low 5 bits, green above it (5 or 6 bits
// wide), red above green. Every other fact of the two layouts (masks, packing, unpacking and the
// DDPIXELFORMAT records) is worked out from these.
struct ChannelLayout {
    int redShift;
    int greenShift;
    int greenMax;  // 31 or 63
    int redMax;
    int blueMax;

    constexpr int greenBits() const { return greenMax == 63 ? 6 : 5; }
    // The largest value of each channel, red, green, blue, as floats for the colour arithmetic.
    void maxima(float (&out)[3]) const {
        out[0] = static_cast<float>(redMax);
        out[1] = static_cast<float>(greenMax);
        out[2] = static_cast<float>(blueMax);
    }
    constexpr std::uint16_t redMask() const {
        return static_cast<std::uint16_t>(redMax << redShift);
    }
    constexpr std::uint16_t greenMask() const {
        return static_cast<std::uint16_t>(greenMax << greenShift);
    }
    constexpr std::uint16_t blueMask() const { return static_cast<std::uint16_t>(blueMax); }
};
constexpr ChannelLayout channelLayout(PixelLayout layout) {
    return layout == PixelLayout::k555 ? ChannelLayout{10, 5, 31, 31, 31}
                                       : ChannelLayout{11, 5, 63, 31, 31};
}

// Keeps the top bits of each channel, as the picture loaders do.
constexpr std::uint16_t packPixel(PixelLayout layout, std::uint8_t r, std::uint8_t g,
                                  std::uint8_t b) {
    const ChannelLayout c = channelLayout(layout);
    return static_cast<std::uint16_t>((r >> 3) << c.redShift |
                                      (g >> (8 - c.greenBits())) << c.greenShift | (b >> 3));
}
constexpr std::uint16_t pack565(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return packPixel(PixelLayout::k565, r, g, b);
}
constexpr std::uint16_t pack555(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return packPixel(PixelLayout::k555, r, g, b);
}

struct Rgb8 {
    std::uint8_t r, g, b;
    friend constexpr bool operator==(const Rgb8&, const Rgb8&) = default;
};

// Widens a channel of 5 or 6 bits to 8 by repeating its top bits, so full scale stays 255.
constexpr std::uint8_t widen(unsigned v, int bits) {
    return static_cast<std::uint8_t>(v << (8 - bits) | v >> (2 * bits - 8));
}

constexpr Rgb8 unpackPixel(PixelLayout layout, std::uint16_t p) {
    const ChannelLayout c = channelLayout(layout);
    return {widen(p >> c.redShift & c.redMax, 5),
            widen(p >> c.greenShift & c.greenMax, c.greenBits()), widen(p & c.blueMax, 5)};
}
constexpr Rgb8 unpack565(std::uint16_t p) {
    return unpackPixel(PixelLayout::k565, p);
}

DDPIXELFORMAT rgbPixelFormat(PixelLayout layout);
DDPIXELFORMAT zBufferPixelFormat16();
// The layout a 16-bit RGB format describes; false for anything else (Z, other depths, FourCC).
bool layoutOfPixelFormat(const DDPIXELFORMAT& format, PixelLayout& layout);
