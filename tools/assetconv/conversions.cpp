#include "tools/assetconv/conversions.h"

#include <algorithm>
#include <cctype>

#include "images/image_limits.h"
#include "images/pcx.h"
#include "platform/pixel_format.h"

namespace {

bool checkSize(const RgbImage& image, std::string& error) {
    if (image.width <= 0 || image.height <= 0 || !imageSizeAcceptable(image.width, image.height)) {
        error = "picture size " + std::to_string(image.width) + "x" + std::to_string(image.height) +
                " cannot be stored";
        return false;
    }
    return true;
}

std::string lowerExtension(const std::string& name) {
    const auto dot = name.rfind('.');
    std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

RgbImage sprToRgb(const SprImage& spr) {
    RgbImage image{spr.width, spr.height, std::vector<std::uint8_t>(spr.pixels.size() * 3)};
    for (std::size_t i = 0; i < spr.pixels.size(); ++i) {
        const Rgb8 c = unpack565(spr.pixels[i]);
        image.rgb[i * 3] = c.r;
        image.rgb[i * 3 + 1] = c.g;
        image.rgb[i * 3 + 2] = c.b;
    }
    return image;
}

}  // namespace

bool rgbToSprFile(const RgbImage& image, SprEncoding encoding, std::vector<std::uint8_t>& file,
                  std::string& error) {
    if (!checkSize(image, error)) return false;
    SprImage spr{image.width, image.height,
                 std::vector<std::uint16_t>(static_cast<std::size_t>(image.width) * image.height)};
    for (std::size_t i = 0; i < spr.pixels.size(); ++i) {
        spr.pixels[i] = pack565(image.rgb[i * 3], image.rgb[i * 3 + 1], image.rgb[i * 3 + 2]);
    }
    file = encodeSpr(spr, encoding);
    return true;
}

bool rgbToPcxFile(const RgbImage& image, std::vector<std::uint8_t>& file, std::string& error) {
    if (!checkSize(image, error)) return false;
    file = encodePcx(image);
    return true;
}

bool pictureFileToRgb(const std::string& name, const std::vector<std::uint8_t>& file,
                      RgbImage& image, std::string& error) {
    const std::string extension = lowerExtension(name);
    if (extension == "pcx") return decodePcx(file, image, error);
    if (extension == "spr") {
        SprImage spr;
        if (!decodeSpr(file, spr, error)) return false;
        image = sprToRgb(spr);
        return true;
    }
    error = "unknown picture type (expected .spr or .pcx)";
    return false;
}
