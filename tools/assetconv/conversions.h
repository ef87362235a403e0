// The picture conversions of the asset tool, between 8-bit RGB and the program's two formats.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "images/png_io.h"
#include "images/spr.h"

// RGB to a ".spr" file of 5-6-5 words; false (with `error`) when the picture cannot be stored.
bool rgbToSprFile(const RgbImage& image, SprEncoding encoding, std::vector<std::uint8_t>& file,
                  std::string& error);
// RGB to a 24-bit three-plane run-length PCX file.
bool rgbToPcxFile(const RgbImage& image, std::vector<std::uint8_t>& file, std::string& error);
// A ".spr" or PCX file (told apart by the file name's extension) back to RGB.
bool pictureFileToRgb(const std::string& name, const std::vector<std::uint8_t>& file,
                      RgbImage& image, std::string& error);
