#include <cstdlib>
#include <span>
#include <string>

#include "fuzz/entries.h"
#include "images/pcx.h"

namespace fuzz {
namespace {

// Whatever the decoder accepted, the asset tool's encoder must write back so that it decodes to
// the same picture.
void checkRoundTrip(const RgbImage& image) {
    const std::vector<std::uint8_t> encoded = encodePcx(image);
    RgbImage again;
    std::string error;
    if (!decodePcx(encoded, again, error) || again.width != image.width ||
        again.height != image.height || again.rgb != image.rgb) {
        std::abort();
    }
}

}  // namespace

int runPcxFile(const std::uint8_t* data, std::size_t size) {
    RgbImage image;
    std::string error;
    if (!decodePcx(std::span<const std::uint8_t>(data, size), image, error)) return 0;
    rgbToTexels(image, PixelLayout::k555);
    rgbToTexels(image, PixelLayout::k565);
    checkRoundTrip(image);
    return 0;
}

}  // namespace fuzz
