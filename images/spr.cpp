#include "images/spr.h"

#include <algorithm>

#include "images/image_limits.h"

namespace {

constexpr std::size_t kRunLengthRowMinimum = 4;  // one packet: count word and a word after it

// Reads little-endian words from the file, refusing to run past its end.
class WordReader {
  public:
    WordReader(std::span<const std::uint8_t> data, std::size_t offset)
        : data_(data), offset_(offset) {}

    bool read(std::uint16_t& word) {
        if (data_.size() - offset_ < 2) return false;
        word = static_cast<std::uint16_t>(data_[offset_] | data_[offset_ + 1] << 8);
        offset_ += 2;
        return true;
    }
    std::size_t remaining() const { return data_.size() - offset_; }

  private:
    std::span<const std::uint8_t> data_;
    std::size_t offset_;
};

// The header check has made sure the data holds every pixel word.
bool decodeRaw(WordReader& reader, SprImage& image, std::string&) {
    for (std::uint16_t& pixel : image.pixels) reader.read(pixel);
    return true;
}

bool decodeRunLengthRow(WordReader& reader, std::uint16_t* row, int width) {
    int x = 0;
    while (x < width) {
        std::uint16_t count;
        if (!reader.read(count)) return false;
        if (count == 0) {
            std::uint16_t zeros;
            if (!reader.read(zeros)) return false;
            const int stored = std::min<int>(zeros, width - x);
            std::fill(row + x, row + x + stored, 0);
            x += stored;
            continue;
        }
        for (int i = 0; i < count; ++i) {
            std::uint16_t pixel;
            if (!reader.read(pixel)) return false;
            if (x < width) row[x++] = pixel;  // words past the row's end are read and dropped
        }
    }
    return true;
}

bool decodeRunLength(WordReader& reader, SprImage& image, std::string& error) {
    for (int y = 0; y < image.height; ++y) {
        if (!decodeRunLengthRow(reader, &image.pixels[static_cast<std::size_t>(y) * image.width],
                                image.width)) {
            error = "run-length data ends in row " + std::to_string(y) + " of " +
                    std::to_string(image.height);
            return false;
        }
    }
    return true;
}

bool checkHeader(std::span<const std::uint8_t> file, SprImage& image, std::string& error) {
    if (file.size() < kSprHeaderSize) {
        error = "too short for a header (" + std::to_string(file.size()) + " bytes)";
        return false;
    }
    if (file[0] > 1) {
        error = "unknown encoding byte " + std::to_string(file[0]) + " (expected 0 or 1)";
        return false;
    }
    image.width = file[1] | file[2] << 8;
    image.height = file[3] | file[4] << 8;
    if (image.width == 0 || image.height == 0) {
        error = "picture has no pixels (width " + std::to_string(image.width) + ", height " +
                std::to_string(image.height) + ")";
        return false;
    }
    if (!imageSizeAcceptable(image.width, image.height)) {
        error = "picture size " + std::to_string(image.width) + "x" + std::to_string(image.height) +
                " is too large";
        return false;
    }
    // Checked here, before the pixel buffer exists, so that a header alone cannot ask for more
    // memory than its file fills.
    const std::size_t data = file.size() - kSprHeaderSize;
    if (file[0] == 1 && data < kRunLengthRowMinimum * image.height) {
        error = "run-length data is too short for " + std::to_string(image.height) + " rows";
        return false;
    }
    const std::size_t rawNeeded = static_cast<std::size_t>(image.width) * image.height * 2;
    if (file[0] == 0 && data < rawNeeded) {
        error = "raw pixel data is short: needs " + std::to_string(rawNeeded) + " bytes, has " +
                std::to_string(data);
        return false;
    }
    return true;
}

void appendWord(std::vector<std::uint8_t>& out, std::uint16_t word) {
    out.push_back(static_cast<std::uint8_t>(word));
    out.push_back(static_cast<std::uint8_t>(word >> 8));
}

void encodeRunLengthRow(const std::uint16_t* row, int width, std::vector<std::uint8_t>& out) {
    int x = 0;
    while (x < width) {
        int zeros = 0;
        while (x + zeros < width && row[x + zeros] == 0 && zeros < 0xFFFF) ++zeros;
        if (zeros >= 2) {
            appendWord(out, 0);
            appendWord(out, static_cast<std::uint16_t>(zeros));
            x += zeros;
            continue;
        }
        // A literal run up to the next pair of black pixels.
        int end = x + 1;
        while (end < width && end - x < 0xFFFF &&
               !(row[end] == 0 && end + 1 < width && row[end + 1] == 0)) {
            ++end;
        }
        appendWord(out, static_cast<std::uint16_t>(end - x));
        for (int i = x; i < end; ++i) appendWord(out, row[i]);
        x = end;
    }
}

}  // namespace

bool decodeSpr(std::span<const std::uint8_t> file, SprImage& image, std::string& error) {
    image = {};
    if (!checkHeader(file, image, error)) {
        image = {};
        return false;
    }
    image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, 0);
    WordReader reader(file, kSprHeaderSize);
    const bool decoded =
        file[0] == 0 ? decodeRaw(reader, image, error) : decodeRunLength(reader, image, error);
    if (!decoded) image = {};
    return decoded;
}

std::vector<std::uint16_t> sprPixelsTo555(const SprImage& image) {
    std::vector<std::uint16_t> pixels(image.pixels.size());
    std::transform(image.pixels.begin(), image.pixels.end(), pixels.begin(), sprWordTo555);
    return pixels;
}

std::vector<std::uint8_t> encodeSpr(const SprImage& image, SprEncoding encoding) {
    std::vector<std::uint8_t> out;
    out.push_back(static_cast<std::uint8_t>(encoding));
    appendWord(out, static_cast<std::uint16_t>(image.width));
    appendWord(out, static_cast<std::uint16_t>(image.height));
    if (encoding == SprEncoding::kRaw) {
        for (std::uint16_t pixel : image.pixels) appendWord(out, pixel);
        return out;
    }
    for (int y = 0; y < image.height; ++y) {
        encodeRunLengthRow(&image.pixels[static_cast<std::size_t>(y) * image.width], image.width,
                           out);
    }
    return out;
}
