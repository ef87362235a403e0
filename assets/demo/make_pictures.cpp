// Draws the demo's two source pictures procedurally: a dusk backdrop (sky gradient, stars, a
// glowing horizon and a perspective grid floor) and a beach-ball texture (coloured segments with
// white bands). Usage: make_pictures BACKDROP.png TEXTURE.png
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "images/png_io.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Colour {
    double r, g, b;
};

Colour mix(const Colour& a, const Colour& b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

void put(RgbImage& image, int x, int y, const Colour& c) {
    std::uint8_t* p = &image.rgb[(static_cast<std::size_t>(y) * image.width + x) * 3];
    p[0] = static_cast<std::uint8_t>(std::clamp(c.r, 0.0, 1.0) * 255.0 + 0.5);
    p[1] = static_cast<std::uint8_t>(std::clamp(c.g, 0.0, 1.0) * 255.0 + 0.5);
    p[2] = static_cast<std::uint8_t>(std::clamp(c.b, 0.0, 1.0) * 255.0 + 0.5);
}

RgbImage blank(int width, int height) {
    RgbImage image;
    image.width = width;
    image.height = height;
    image.rgb.assign(static_cast<std::size_t>(width) * height * 3, 0);
    return image;
}

// A cheap repeatable hash of a pixel position, in [0, 1).
double hash(int x, int y) {
    std::uint32_t h =
        static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<double>((h ^ (h >> 16)) & 0xFFFFFF) / 16777216.0;
}

Colour skyAt(int x, int y, int horizon) {
    const Colour top{0.02, 0.03, 0.12};
    const Colour middle{0.20, 0.08, 0.35};
    const Colour low{0.95, 0.45, 0.25};
    const double t = static_cast<double>(y) / horizon;
    Colour c = t < 0.6 ? mix(top, middle, t / 0.6) : mix(middle, low, (t - 0.6) / 0.4);
    if (t < 0.7 && hash(x, y) > 0.9965) c = mix(c, {1, 1, 1}, 0.8 - t);  // stars, fading down
    return c;
}

Colour floorAt(int x, int y, int width, int horizon, int height) {
    const double depth =
        static_cast<double>(y - horizon + 1) / (height - horizon);  // 0 far, 1 near
    const Colour far{0.35, 0.12, 0.30};
    const Colour near{0.05, 0.02, 0.10};
    Colour c = mix(far, near, std::sqrt(depth));
    // Grid lines evenly spaced on the floor itself, so they crowd towards the horizon; each about a
    // pixel wide on screen, fading out where they would merge.
    const double z = 1.0 / depth;
    const double across = (x - width / 2.0) * z / 40.0;
    const double along = z * 2.0;
    const double pixelsAcross = 40.0 / z;
    const double pixelsAlong = (height - horizon) / (2.0 * z * z);
    const double lineX = std::abs(across - std::round(across)) * pixelsAcross;
    const double lineZ = std::abs(along - std::round(along)) * pixelsAlong;
    const double ink =
        std::max(std::clamp(1.0 - lineX, 0.0, 1.0), std::clamp(1.0 - lineZ, 0.0, 1.0));
    const double fade = std::clamp((depth - 0.08) * 5.0, 0.0, 1.0);
    c = mix(c, {1.0, 0.35, 0.75}, ink * fade * 0.9);
    return c;
}

RgbImage drawBackdrop(int width, int height) {
    RgbImage image = blank(width, height);
    const int horizon = height * 3 / 5;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Colour c = y < horizon ? skyAt(x, y, horizon) : floorAt(x, y, width, horizon, height);
            // A low sun glowing on the horizon.
            const double dx = (x - width * 0.5) / width;
            const double dy = (y - horizon) / static_cast<double>(height);
            const double glow = std::exp(-(dx * dx * 18 + dy * dy * 60));
            c = mix(c, {1.0, 0.75, 0.35}, glow * 0.6);
            put(image, x, y, c);
        }
    }
    return image;
}

// u runs round the ball (longitude), v from pole to pole: six coloured segments, white bands near
// the poles and at the equator, and a soft shading towards the segment edges.
RgbImage drawTexture(int size) {
    const Colour segments[] = {{0.95, 0.25, 0.25}, {1.0, 0.85, 0.2}, {0.25, 0.75, 0.35},
                               {0.2, 0.55, 0.95},  {0.7, 0.3, 0.9},  {1.0, 0.55, 0.15}};
    RgbImage image = blank(size, size);
    for (int y = 0; y < size; ++y) {
        const double v = (y + 0.5) / size;
        for (int x = 0; x < size; ++x) {
            const double u = (x + 0.5) / size;
            const double segment = u * 6.0;
            const int index = static_cast<int>(segment) % 6;
            const double edge = std::sin((segment - std::floor(segment)) * kPi);
            Colour c = mix(segments[index], {1, 1, 1}, 0.15 * (1 - edge));
            const bool band = v < 0.12 || v > 0.88 || std::abs(v - 0.5) < 0.035;
            if (band) c = {0.97, 0.97, 0.95};
            put(image, x, y, c);
        }
    }
    return image;
}

bool save(const std::string& path, const RgbImage& image) {
    std::string error;
    if (writePng(path, image, error)) return true;
    std::fprintf(stderr, "make_pictures: %s: %s\n", path.c_str(), error.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_pictures BACKDROP.png TEXTURE.png\n");
        return 2;
    }
    const bool ok = save(argv[1], drawBackdrop(640, 480)) && save(argv[2], drawTexture(256));
    return ok ? 0 : 1;
}
