// The 24-bit three-plane run-length PCX pictures of the backdrop: decoding, conversion to the
// display's 16-bit layout, and encoding (for the asset tool). Pure data work.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "images/png_io.h"
#include "platform/pixel_format.h"

constexpr std::size_t kPcxHeaderSize = 128;

// Decodes a whole PCX file into 8-bit RGB. The width and height come from the header (xMax + 1,
// yMax + 1); every scan line holds the red, green and blue planes, each padded to an even length.
// Data that ends early, or a run that would pass the end of its scan line, stops the decoding:
// the rows not finished stay black. Returns false (with the reason in `error`) for a file shorter
// than its header, a width or height of 0, or an absurd size.
bool decodePcx(std::span<const std::uint8_t> file, RgbImage& image, std::string& error);

// The picture in a 16-bit layout, keeping the top bits of each channel; without a layout every
// texel is 0.
std::vector<std::uint16_t> rgbToTexels(const RgbImage& image, std::optional<PixelLayout> layout);

// Encodes an RGB picture as a PCX file that decodePcx reads back exactly (runs stay inside their
// scan line).
std::vector<std::uint8_t> encodePcx(const RgbImage& image);
