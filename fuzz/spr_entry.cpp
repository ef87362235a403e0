#include <cstdlib>
#include <span>
#include <string>

#include "fuzz/entries.h"
#include "images/spr.h"

namespace fuzz {
namespace {

// Whatever the decoder accepted, both encodings of the asset tool must decode to the same picture.
void checkRoundTrip(const SprImage& image, SprEncoding encoding) {
    const std::vector<std::uint8_t> encoded = encodeSpr(image, encoding);
    SprImage again;
    std::string error;
    if (!decodeSpr(encoded, again, error) || again.width != image.width ||
        again.height != image.height || again.pixels != image.pixels) {
        std::abort();
    }
}

}  // namespace

int runSprFile(const std::uint8_t* data, std::size_t size) {
    SprImage image;
    std::string error;
    if (!decodeSpr(std::span<const std::uint8_t>(data, size), image, error)) return 0;
    sprPixelsTo555(image);
    checkRoundTrip(image, SprEncoding::kRaw);
    checkRoundTrip(image, SprEncoding::kRunLength);
    return 0;
}

}  // namespace fuzz
