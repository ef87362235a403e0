#include "images/pcx.h"

#include <algorithm>
#include <cstring>

#include "images/image_limits.h"

namespace {

constexpr std::uint8_t kRunMarker = 0xC0;  // bytes above this start a run of (byte - 0xC0)
constexpr int kLongestRun = 0xFF - kRunMarker;

int readWord(std::span<const std::uint8_t> file, std::size_t offset) {
    return file[offset] | file[offset + 1] << 8;
}

std::size_t bytesPerPlane(int width) {
    return static_cast<std::size_t>(width + (width & 1));
}

// The most decoded bytes `dataSize` bytes can give: every pair a longest run.
std::size_t mostDecodedBytes(std::size_t dataSize) {
    return dataSize / 2 * kLongestRun + dataSize % 2;
}

void storeScanLine(const std::vector<std::uint8_t>& line, int width, int row, RgbImage& image) {
    const std::size_t plane = bytesPerPlane(width);
    std::uint8_t* out = &image.rgb[static_cast<std::size_t>(row) * width * 3];
    for (int x = 0; x < width; ++x) {
        out[x * 3] = line[x];
        out[x * 3 + 1] = line[plane + x];
        out[x * 3 + 2] = line[2 * plane + x];
    }
}

void decodeScanLines(std::span<const std::uint8_t> data, RgbImage& image) {
    const std::size_t lineLength = 3 * bytesPerPlane(image.width);
    std::vector<std::uint8_t> line(lineLength);
    std::size_t s = 0;
    std::size_t d = 0;
    int row = 0;
    while (row < image.height && s < data.size()) {
        const std::uint8_t m = data[s];
        if (m > kRunMarker) {
            const std::size_t count = m - kRunMarker;
            if (s + 1 >= data.size() || d + count > lineLength) return;
            std::memset(&line[d], data[s + 1], count);
            d += count;
            s += 2;
        } else {
            line[d++] = m;  // 0xC0 itself is a literal
            ++s;
        }
        if (d == lineLength) {
            storeScanLine(line, image.width, row, image);
            d = 0;
            ++row;
        }
    }
}

void putWord(std::vector<std::uint8_t>& out, std::size_t offset, int value) {
    out[offset] = static_cast<std::uint8_t>(value);
    out[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::vector<std::uint8_t> pcxHeader(const RgbImage& image) {
    std::vector<std::uint8_t> header(kPcxHeaderSize, 0);
    header[0] = 10;  // manufacturer
    header[1] = 5;   // version
    header[2] = 1;   // run-length encoding
    header[3] = 8;   // bits per pixel and plane
    putWord(header, 8, image.width - 1);
    putWord(header, 10, image.height - 1);
    putWord(header, 12, 72);
    putWord(header, 14, 72);
    header[65] = 3;  // planes
    putWord(header, 66, static_cast<int>(bytesPerPlane(image.width)));
    putWord(header, 68, 1);  // colour
    return header;
}

void encodeScanLine(const std::vector<std::uint8_t>& line, std::vector<std::uint8_t>& out) {
    std::size_t i = 0;
    while (i < line.size()) {
        const std::uint8_t value = line[i];
        std::size_t run = 1;
        while (i + run < line.size() && line[i + run] == value && run < kLongestRun) ++run;
        if (run > 1 || value >= kRunMarker) {
            out.push_back(static_cast<std::uint8_t>(kRunMarker + run));
        }
        out.push_back(value);
        i += run;
    }
}

}  // namespace

bool decodePcx(std::span<const std::uint8_t> file, RgbImage& image, std::string& error) {
    image = {};
    if (file.size() < kPcxHeaderSize) {
        error = "too short for a PCX header (" + std::to_string(file.size()) + " bytes)";
        return false;
    }
    // The header's 16-bit fields: a maximum of 0xFFFF wraps to a size of 0.
    const int width = (readWord(file, 8) + 1) & 0xFFFF;
    const int height = (readWord(file, 10) + 1) & 0xFFFF;
    if (width == 0 || height == 0) {
        error = "picture has no pixels (width " + std::to_string(width) + ", height " +
                std::to_string(height) + ")";
        return false;
    }
    if (!imageSizeAcceptable(width, height)) {
        error = "picture size " + std::to_string(width) + "x" + std::to_string(height) +
                " is too large";
        return false;
    }
    // Data that ends early leaves rows black, but a header alone may not ask for a picture that
    // its data could never fill: that would let a few bytes claim tens of megabytes.
    const std::size_t dataSize = file.size() - kPcxHeaderSize;
    const std::size_t lineBytes = 3 * bytesPerPlane(width);
    if (lineBytes * static_cast<std::size_t>(height) > mostDecodedBytes(dataSize)) {
        error = "picture data of " + std::to_string(dataSize) + " bytes cannot fill a " +
                std::to_string(width) + "x" + std::to_string(height) + " picture";
        return false;
    }
    image.width = width;
    image.height = height;
    image.rgb.assign(static_cast<std::size_t>(width) * height * 3, 0);
    decodeScanLines(file.subspan(kPcxHeaderSize), image);
    return true;
}

std::vector<std::uint16_t> rgbToTexels(const RgbImage& image, std::optional<PixelLayout> layout) {
    std::vector<std::uint16_t> texels(static_cast<std::size_t>(image.width) * image.height, 0);
    if (!layout) return texels;
    for (std::size_t i = 0; i < texels.size(); ++i) {
        texels[i] =
            packPixel(*layout, image.rgb[i * 3], image.rgb[i * 3 + 1], image.rgb[i * 3 + 2]);
    }
    return texels;
}

std::vector<std::uint8_t> encodePcx(const RgbImage& image) {
    std::vector<std::uint8_t> out = pcxHeader(image);
    const std::size_t plane = bytesPerPlane(image.width);
    std::vector<std::uint8_t> line(3 * plane);
    for (int y = 0; y < image.height; ++y) {
        std::fill(line.begin(), line.end(), 0);
        const std::uint8_t* in = &image.rgb[static_cast<std::size_t>(y) * image.width * 3];
        for (int x = 0; x < image.width; ++x) {
            line[x] = in[x * 3];
            line[plane + x] = in[x * 3 + 1];
            line[2 * plane + x] = in[x * 3 + 2];
        }
        encodeScanLine(line, out);
    }
    return out;
}
