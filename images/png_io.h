// PNG files of 8-bit RGB pictures, through libpng: snapshots, reference images, asset conversion.
#pragma once

#include <string>

#include "platform/rgb_image.h"

// Writes to a temporary name beside `path` and renames it, so a failure leaves no half file.
// On failure returns false and puts the reason in `error`.
bool writePng(const std::string& path, const RgbImage& image, std::string& error);

// Reads any PNG (palette, grey, alpha and 16-bit pictures are converted to 8-bit RGB).
bool readPng(const std::string& path, RgbImage& image, std::string& error);
