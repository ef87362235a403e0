// Round trips through the asset tool: PNG to .spr or PCX and back to PNG.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "images/png_io.h"
#include "platform/pixel_format.h"

namespace {

RgbImage testPicture() {
    RgbImage image{7, 5, {}};
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const bool black = x < 3 && y == 2;  // a black stretch for the run-length packets
            image.rgb.push_back(black ? 0 : static_cast<std::uint8_t>(x * 40 + y));
            image.rgb.push_back(black ? 0 : static_cast<std::uint8_t>(255 - y * 50));
            image.rgb.push_back(black ? 0 : static_cast<std::uint8_t>(x * y * 9 + 0xC0));
        }
    }
    return image;
}

int runTool(const std::string& arguments) {
    const std::string command = std::string(ASEPLAY_ASSETCONV) + " " + arguments + " 2>/dev/null";
    return std::system(command.c_str());
}

class AssetTool : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(writePng(dir + "source.png", picture, error)) << error;
    }
    RgbImage readBack(const std::string& name) {
        RgbImage image;
        std::string error;
        EXPECT_TRUE(readPng(dir + name, image, error)) << error;
        return image;
    }

    const std::string dir = ::testing::TempDir() + "/assetconv_";
    const RgbImage picture = testPicture();
};

TEST_F(AssetTool, PcxRoundTripIsExact) {
    ASSERT_EQ(runTool("to-pcx " + dir + "source.png " + dir + "picture.pcx"), 0);
    ASSERT_EQ(runTool("to-png " + dir + "picture.pcx " + dir + "from_pcx.png"), 0);
    const RgbImage back = readBack("from_pcx.png");
    EXPECT_EQ(back.width, picture.width);
    EXPECT_EQ(back.height, picture.height);
    EXPECT_EQ(back.rgb, picture.rgb);
}

TEST_F(AssetTool, SprRoundTripKeeps565Precision) {
    for (const std::string flags : {"", " --rle"}) {
        ASSERT_EQ(runTool("to-spr" + flags + " " + dir + "source.png " + dir + "picture.spr"), 0);
        ASSERT_EQ(runTool("to-png " + dir + "picture.spr " + dir + "from_spr.png"), 0);
        const RgbImage back = readBack("from_spr.png");
        ASSERT_EQ(back.width, picture.width);
        ASSERT_EQ(back.height, picture.height);
        for (std::size_t i = 0; i < picture.rgb.size(); i += 3) {
            const auto& p = picture.rgb;
            const auto& b = back.rgb;
            EXPECT_EQ(pack565(b[i], b[i + 1], b[i + 2]), pack565(p[i], p[i + 1], p[i + 2]))
                << "pixel " << i / 3 << flags;
        }
    }
}

TEST_F(AssetTool, UnreadableInputsFailWithoutWritingOutput) {
    EXPECT_NE(runTool("to-png " + dir + "missing.spr " + dir + "never.png"), 0);
    EXPECT_NE(runTool("to-png " + dir + "source.png " + dir + "never.png"), 0);  // not spr/pcx
    EXPECT_NE(runTool("to-spr " + dir + "missing.png " + dir + "never.spr"), 0);
    EXPECT_NE(runTool("bogus"), 0);
    EXPECT_NE(std::system(("test -e " + dir + "never.png").c_str()), 0);
}

}  // namespace
