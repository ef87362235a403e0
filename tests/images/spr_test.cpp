#include "images/spr.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::uint8_t> sprFile(std::uint8_t encoding, int width, int height,
                                  const std::vector<std::uint16_t>& words) {
    std::vector<std::uint8_t> file = {
        encoding, static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(width >> 8),
        static_cast<std::uint8_t>(height), static_cast<std::uint8_t>(height >> 8)};
    for (std::uint16_t word : words) {
        file.push_back(static_cast<std::uint8_t>(word));
        file.push_back(static_cast<std::uint8_t>(word >> 8));
    }
    return file;
}

std::vector<std::uint16_t> decodeOk(const std::vector<std::uint8_t>& file) {
    SprImage image;
    std::string error;
    EXPECT_TRUE(decodeSpr(file, image, error)) << error;
    return sprPixelsTo555(image);
}

std::string decodeError(const std::vector<std::uint8_t>& file) {
    SprImage image;
    std::string error;
    EXPECT_FALSE(decodeSpr(file, image, error));
    EXPECT_TRUE(image.pixels.empty());
    return error;
}

TEST(SprDecode, RawWordsAreConvertedTo555) {
    EXPECT_EQ(decodeOk(sprFile(0, 2, 1, {0xFFFF, 0xF800})),
              (std::vector<std::uint16_t>{0x7FFF, 0x7C00}));
    // Green's lowest bit is dropped, blue is kept.
    EXPECT_EQ(sprWordTo555(0x07E0), 0x03E0);
    EXPECT_EQ(sprWordTo555(0x0020), 0x0000);
    EXPECT_EQ(sprWordTo555(0x001F), 0x001F);
}

TEST(SprDecode, RunLengthRowsOfLiteralAndBlackPackets) {
    // Width 4: (2, two pixels) then (0, 2); second row: (0, 1), (3, three pixels).
    const auto pixels =
        decodeOk(sprFile(1, 4, 2, {2, 0xFFFF, 0xF800, 0, 2, 0, 1, 3, 0x001F, 0x07E0, 0xFFFF}));
    EXPECT_EQ(pixels,
              (std::vector<std::uint16_t>{0x7FFF, 0x7C00, 0, 0, 0, 0x001F, 0x03E0, 0x7FFF}));
}

TEST(SprDecode, RunsPastTheEndOfTheirRowAreCut) {
    // Width 2: a literal run of 3 (its third word is read and dropped), then a black run of 5.
    const auto pixels = decodeOk(sprFile(1, 2, 2, {3, 0xFFFF, 0xFFFF, 0x1234, 0, 5}));
    EXPECT_EQ(pixels, (std::vector<std::uint16_t>{0x7FFF, 0x7FFF, 0, 0}));
}

TEST(SprDecode, EmptyPacketsAdvanceNothing) {
    const auto pixels = decodeOk(sprFile(1, 1, 1, {0, 0, 1, 0xF800}));
    EXPECT_EQ(pixels, (std::vector<std::uint16_t>{0x7C00}));
}

TEST(SprDecode, FaultyFilesAreRefusedWithTheirReason) {
    EXPECT_NE(decodeError({0, 1, 0}).find("header"), std::string::npos);
    EXPECT_NE(decodeError(sprFile(2, 1, 1, {0xFFFF})).find("encoding byte 2"), std::string::npos);
    EXPECT_NE(decodeError(sprFile(0, 2, 2, {1, 2, 3})).find("short"), std::string::npos);
    EXPECT_NE(decodeError(sprFile(1, 4, 1, {2, 0xFFFF})).find("row 0"), std::string::npos);
    EXPECT_NE(decodeError(sprFile(1, 4, 2, {0, 4, 3, 1})).find("row 1"), std::string::npos);
    EXPECT_NE(decodeError(sprFile(0, 0, 5, {})).find("no pixels"), std::string::npos);
}

TEST(SprDecode, HeadersAreCheckedAgainstTheFileBeforeAllocating) {
    // 65535 x 65535 would be 8 GB; a run-length file needs at least one packet per row.
    EXPECT_NE(decodeError(sprFile(0, 65535, 65535, {})).find("too large"), std::string::npos);
    EXPECT_NE(decodeError(sprFile(1, 1000, 4000, {0, 1000})).find("too short"), std::string::npos);
    EXPECT_NE(decodeError(sprFile(0, 4096, 4096, {1})).find("short"), std::string::npos);
    EXPECT_NE(decodeError(sprFile(0, 8192, 8192, {1})).find("short"), std::string::npos);
    EXPECT_NE(decodeError(sprFile(0, 8192, 8193, {1})).find("too large"), std::string::npos);
    EXPECT_NE(decodeError(sprFile(0, 2, 1, {1})).find("needs 4 bytes, has 2"), std::string::npos);
}

TEST(SprEncode, BothEncodingsDecodeBackToTheSameWords) {
    SprImage image{5, 3, {0, 0, 0xF800, 0, 0x1234, 0xFFFF, 0, 0, 0, 0, 1, 2, 3, 0, 0}};
    for (SprEncoding encoding : {SprEncoding::kRaw, SprEncoding::kRunLength}) {
        const std::vector<std::uint8_t> file = encodeSpr(image, encoding);
        EXPECT_EQ(file[0], static_cast<std::uint8_t>(encoding));
        SprImage back;
        std::string error;
        ASSERT_TRUE(decodeSpr(file, back, error)) << error;
        EXPECT_EQ(back.width, 5);
        EXPECT_EQ(back.height, 3);
        EXPECT_EQ(back.pixels, image.pixels);
    }
    // Mostly black rows shrink to one black packet each.
    const SprImage dark{64, 4, std::vector<std::uint16_t>(64 * 4, 0)};
    EXPECT_EQ(encodeSpr(dark, SprEncoding::kRunLength).size(), kSprHeaderSize + 4 * 4);
}

}  // namespace
