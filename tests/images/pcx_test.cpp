#include "images/pcx.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A PCX file: a header that only carries xMax and yMax, then the given picture data.
std::vector<std::uint8_t> pcxFile(int xMax, int yMax, const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> file(kPcxHeaderSize + data.size(), 0);
    file[8] = static_cast<std::uint8_t>(xMax);
    file[9] = static_cast<std::uint8_t>(xMax >> 8);
    file[10] = static_cast<std::uint8_t>(yMax);
    file[11] = static_cast<std::uint8_t>(yMax >> 8);
    for (std::size_t i = 0; i < data.size(); ++i) file[kPcxHeaderSize + i] = data[i];
    return file;
}

RgbImage decodeOk(const std::vector<std::uint8_t>& file) {
    RgbImage image;
    std::string error;
    EXPECT_TRUE(decodePcx(file, image, error)) << error;
    return image;
}

std::vector<std::uint8_t> pixel(const RgbImage& image, int x, int y) {
    const auto* p = &image.rgb[(y * image.width + x) * 3];
    return {p[0], p[1], p[2]};
}

TEST(PcxDecode, EvenWidthLinesHoldThreeUnpaddedPlanes) {
    // 4 x 2: each line is 12 bytes, red plane, green plane, blue plane.
    std::vector<std::uint8_t> data;
    for (int line = 0; line < 2; ++line) {
        for (int i = 0; i < 12; ++i) data.push_back(static_cast<std::uint8_t>(line * 16 + i));
    }
    const RgbImage image = decodeOk(pcxFile(3, 1, data));
    ASSERT_EQ(image.width, 4);
    ASSERT_EQ(image.height, 2);
    EXPECT_EQ(pixel(image, 0, 0), (std::vector<std::uint8_t>{0, 4, 8}));
    EXPECT_EQ(pixel(image, 3, 0), (std::vector<std::uint8_t>{3, 7, 11}));
    EXPECT_EQ(pixel(image, 2, 1), (std::vector<std::uint8_t>{18, 22, 26}));
}

TEST(PcxDecode, OddWidthPlanesArePaddedToEvenLength) {
    // 3 x 1: planes of 4 bytes, the fourth of each being padding.
    const std::vector<std::uint8_t> data = {1, 2, 3, 99, 4, 5, 6, 99, 7, 8, 9, 99};
    const RgbImage image = decodeOk(pcxFile(2, 0, data));
    ASSERT_EQ(image.width, 3);
    EXPECT_EQ(pixel(image, 0, 0), (std::vector<std::uint8_t>{1, 4, 7}));
    EXPECT_EQ(pixel(image, 2, 0), (std::vector<std::uint8_t>{3, 6, 9}));
}

TEST(PcxDecode, RunMarkersAndTheLiteralC0) {
    // 2 x 1, line of 6 bytes: C3 0A gives three 0A (crossing from red into green), C0 is itself,
    // C1 FF gives one FF, then a plain literal.
    const std::vector<std::uint8_t> data = {0xC3, 0x0A, 0xC0, 0xC1, 0xFF, 0x05};
    const RgbImage image = decodeOk(pcxFile(1, 0, data));
    EXPECT_EQ(pixel(image, 0, 0), (std::vector<std::uint8_t>{0x0A, 0x0A, 0xFF}));
    EXPECT_EQ(pixel(image, 1, 0), (std::vector<std::uint8_t>{0x0A, 0xC0, 0x05}));
}

TEST(PcxDecode, ARunPastTheEndOfItsLineStopsTheDecoding) {
    // 2 x 2: the first line is fine, then a run of 7 would cross into the next line.
    const std::vector<std::uint8_t> data = {1, 2, 3, 4, 5, 6, 0xC7, 0x33, 9, 9, 9, 9, 9, 9};
    const RgbImage image = decodeOk(pcxFile(1, 1, data));
    EXPECT_EQ(pixel(image, 1, 0), (std::vector<std::uint8_t>{2, 4, 6}));
    EXPECT_EQ(pixel(image, 0, 1), (std::vector<std::uint8_t>{0, 0, 0}));
    EXPECT_EQ(pixel(image, 1, 1), (std::vector<std::uint8_t>{0, 0, 0}));
}

TEST(PcxDecode, DataThatEndsEarlyLeavesTheRestBlack) {
    // 2 x 3 with one and a half lines of data, the last byte a run marker without its value.
    const std::vector<std::uint8_t> data = {1, 2, 3, 4, 5, 6, 7, 8, 0xC2};
    const RgbImage image = decodeOk(pcxFile(1, 2, data));
    ASSERT_EQ(image.rgb.size(), 18u);
    EXPECT_EQ(pixel(image, 0, 0), (std::vector<std::uint8_t>{1, 3, 5}));
    for (std::size_t i = 6; i < image.rgb.size(); ++i) EXPECT_EQ(image.rgb[i], 0) << i;
}

TEST(PcxDecode, RefusesNoPixelsShortHeadersAndAbsurdSizes) {
    RgbImage image;
    std::string error;
    EXPECT_FALSE(decodePcx(pcxFile(0xFFFF, 0, {}), image, error));  // width wraps to 0
    EXPECT_NE(error.find("no pixels"), std::string::npos) << error;
    EXPECT_FALSE(decodePcx(pcxFile(0, 0xFFFF, {}), image, error));
    EXPECT_FALSE(decodePcx(pcxFile(0xFFFE, 0xFFFE, {0xC1, 0}), image, error));
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
    EXPECT_FALSE(decodePcx(pcxFile(8192, 8191, {0xC1, 0}), image, error));  // 8193 x 8192
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
    // Up to 8192 x 8192 a size is taken; only the data decides (here it cannot fill the picture).
    EXPECT_FALSE(decodePcx(pcxFile(8191, 8191, {0xC1, 0}), image, error));
    EXPECT_NE(error.find("cannot fill"), std::string::npos) << error;
    const std::vector<std::uint8_t> stub(100, 0);
    EXPECT_FALSE(decodePcx(stub, image, error));
    EXPECT_NE(error.find("header"), std::string::npos) << error;
    EXPECT_TRUE(image.rgb.empty());
}

TEST(PcxDecode, RefusesAPictureItsDataCouldNeverFill) {
    // 42 x 1: a line of 126 bytes; two longest runs (C0 + 63 each) fill it exactly.
    const RgbImage image = decodeOk(pcxFile(41, 0, {0xFF, 7, 0xFF, 9}));
    EXPECT_EQ(pixel(image, 0, 0), (std::vector<std::uint8_t>{7, 7, 9}));  // green 0 is byte 42
    EXPECT_EQ(pixel(image, 41, 0), (std::vector<std::uint8_t>{7, 9, 9}));
    RgbImage refused;
    std::string error;
    EXPECT_FALSE(decodePcx(pcxFile(41, 0, {0xFF, 7, 0xFF}), refused, error));
    EXPECT_NE(error.find("cannot fill"), std::string::npos) << error;
    EXPECT_FALSE(decodePcx(pcxFile(639, 479, {0xFF, 0}), refused, error));
    EXPECT_TRUE(refused.rgb.empty());
}

TEST(PcxTexels, BothLayoutsKeepTheTopBitsOfEachChannel) {
    const RgbImage image{3, 1, {255, 255, 255, 255, 0, 0, 0, 255, 0}};
    EXPECT_EQ(rgbToTexels(image, PixelLayout::k555),
              (std::vector<std::uint16_t>{0x7FFF, 0x7C00, 0x03E0}));
    EXPECT_EQ(rgbToTexels(image, PixelLayout::k565),
              (std::vector<std::uint16_t>{0xFFFF, 0xF800, 0x07E0}));
    EXPECT_EQ(rgbToTexels(image, std::nullopt), (std::vector<std::uint16_t>{0, 0, 0}));
    const RgbImage grey{1, 1, {0x87, 0x87, 0x87}};
    EXPECT_EQ(rgbToTexels(grey, PixelLayout::k565)[0], (0x10 << 11) | (0x21 << 5) | 0x10);
}

TEST(PcxEncode, DecodesBackExactlyWithRunsOfEveryKind) {
    RgbImage image{5, 3, {}};
    for (int i = 0; i < 5 * 3 * 3; ++i) {
        // Long equal stretches, bytes at and above 0xC0, and plain values.
        image.rgb.push_back(static_cast<std::uint8_t>(i < 20 ? 0xC0 : (i < 30 ? 0xFE : i * 37)));
    }
    const std::vector<std::uint8_t> file = encodePcx(image);
    const RgbImage back = decodeOk(file);
    EXPECT_EQ(back.width, 5);
    EXPECT_EQ(back.height, 3);
    EXPECT_EQ(back.rgb, image.rgb);

    RgbImage wide{200, 1, std::vector<std::uint8_t>(600, 7)};  // runs longer than 63
    EXPECT_EQ(decodeOk(encodePcx(wide)).rgb, wide.rgb);
}

}  // namespace
