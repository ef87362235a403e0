#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "display/device_setup.h"
#include "images/file_bytes.h"
#include "images/loaders.h"
#include "images/pcx.h"
#include "images/spr.h"
#include "platform/headless/headless_presenter.h"
#include "platform/pixel_format.h"
#include "platform/software/software_display.h"

namespace {

struct SurfaceContents {
    DWORD width = 0;
    DWORD height = 0;
    DDPIXELFORMAT format{};
    std::vector<std::uint16_t> pixels;
};

SurfaceContents readSurface(IDirectDrawSurface4* surface) {
    SurfaceContents contents;
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = kDDSurfaceDesc2Size;
    EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_SURFACEMEMORYPTR, nullptr), DD_OK);
    contents.width = desc.dwWidth;
    contents.height = desc.dwHeight;
    contents.format = desc.ddpfPixelFormat;
    for (DWORD y = 0; y < desc.dwHeight; ++y) {
        const auto* row = reinterpret_cast<const std::uint16_t*>(
            static_cast<const std::uint8_t*>(desc.lpSurface) + y * desc.lPitch);
        contents.pixels.insert(contents.pixels.end(), row, row + desc.dwWidth);
    }
    surface->Unlock(nullptr);
    return contents;
}

class Loaders : public ::testing::Test {
  protected:
    void bringUp(sw::PixelLayout layout) {
        display.releaseAll();
        ASSERT_EQ(setupDevice(display, nullptr, makeSoftwareDirectDrawCreate({layout, &presenter})),
                  DD_OK);
        probeDisplayPixelFormat(display);
    }
    void SetUp() override { bringUp(sw::PixelLayout::k565); }

    std::string writeTemp(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = ::testing::TempDir() + "/loader_test_" + name;
        std::string error;
        EXPECT_TRUE(writeFileBytes(path, bytes, error)) << error;
        return path;
    }

    // What the loaders said, as the program shows it; emptied by each look.
    std::string said() {
        std::string text;
        for (const Message& message : messages.list) text += messageLine(message);
        messages = {};
        return text;
    }

    HeadlessPresenter presenter;
    DisplayObjects display;
    Messages messages;
};

TEST_F(Loaders, PcxBackdropLandsInTheDisplayLayoutAtItsOwnSize) {
    const RgbImage picture{
        3, 2, {255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255, 1, 2, 3, 9, 9, 9}};
    const std::string path = writeTemp("backdrop.pcx", encodePcx(picture));
    for (sw::PixelLayout layout : {sw::PixelLayout::k565, sw::PixelLayout::k555}) {
        bringUp(layout);
        loadPcxBackground(display, path.c_str());
        ASSERT_NE(display.backgroundSurface, nullptr);
        const SurfaceContents contents = readSurface(display.backgroundSurface);
        EXPECT_EQ(contents.width, 3u);
        EXPECT_EQ(contents.height, 2u);
        EXPECT_EQ(contents.pixels, rgbToTexels(picture, layout));
    }
}

TEST_F(Loaders, MissingOrEmptyPcxLeavesNoBackdrop) {
    messages = loadPcxBackground(display, (::testing::TempDir() + "/no-such-file.pcx").c_str());
    EXPECT_EQ(said(), "");
    EXPECT_EQ(display.backgroundSurface, nullptr);

    std::vector<std::uint8_t> noWidth(kPcxHeaderSize, 0);
    noWidth[8] = noWidth[9] = 0xFF;
    const std::string path = writeTemp("nowidth.pcx", noWidth);
    messages = loadPcxBackground(display, path.c_str());
    const std::string message = said();
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_NE(message.find("no pixels"), std::string::npos) << message;
    EXPECT_EQ(display.backgroundSurface, nullptr);
}

TEST_F(Loaders, SprTextureKeepsTheImageSizeIn555) {
    const SprImage image{3, 2, {0xFFFF, 0xF800, 0x07E0, 0x001F, 0, 0x8410}};
    const std::string path = writeTemp("texture.spr", encodeSpr(image, SprEncoding::kRunLength));
    ASSERT_EQ(loadSprTexture(display, path.c_str(), 3, messages), 1);
    ASSERT_NE(display.textureSurfaces[3], nullptr);
    ASSERT_NE(display.textures[3], nullptr);
    EXPECT_EQ(display.textures[0], nullptr);
    const SurfaceContents contents = readSurface(display.textureSurfaces[3]);
    EXPECT_EQ(contents.width, 3u);
    EXPECT_EQ(contents.height, 2u);
    EXPECT_EQ(contents.format.dwRBitMask, 0x7C00u);
    EXPECT_EQ(contents.pixels, sprPixelsTo555(image));
}

TEST_F(Loaders, FaultySprFilesAreReportedAndLeaveTheSlotEmpty) {
    const std::string missing = ::testing::TempDir() + "/no-such-texture.spr";
    const std::string badEncoding = writeTemp("bad.spr", {7, 1, 0, 1, 0, 0, 0});
    const std::string shortRaw = writeTemp("short.spr", {0, 4, 0, 4, 0, 1, 2, 3});
    for (const std::string& path : {missing, badEncoding, shortRaw}) {
        EXPECT_EQ(loadSprTexture(display, path.c_str(), 0, messages), 0);
        const std::string message = said();
        EXPECT_NE(message.find(path), std::string::npos) << message;
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
        EXPECT_EQ(display.textures[0], nullptr);
        EXPECT_EQ(display.textureSurfaces[0], nullptr);
    }
    const std::string good = writeTemp("good.spr", encodeSpr({1, 1, {0}}, SprEncoding::kRaw));
    EXPECT_EQ(loadSprTexture(display, good.c_str(), 8, messages), 0);
    EXPECT_EQ(loadSprTexture(display, good.c_str(), -1, messages), 0);
    EXPECT_NE(said().find("slot"), std::string::npos);
}

// A device that demands power-of-two (and, when asked, square) textures, in front of the
// software display's surfaces.
class PowerOfTwoDevice : public IDirect3DDevice3 {
  public:
    DWORD textureCaps = D3DPTEXTURECAPS_POW2;
    bool capsFail = false;

    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT AddViewport(IDirect3DViewport3*) override { return D3D_OK; }
    HRESULT SetCurrentViewport(IDirect3DViewport3*) override { return D3D_OK; }
    HRESULT GetDirect3D(IDirect3D3**) override { return DDERR_GENERIC; }
    HRESULT SetLightState(D3DLIGHTSTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return D3D_OK; }
    HRESULT BeginScene() override { return D3D_OK; }
    HRESULT EndScene() override { return D3D_OK; }
    HRESULT SetTexture(DWORD, IDirect3DTexture2*) override { return D3D_OK; }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE, DWORD, void*, DWORD, DWORD) override { return D3D_OK; }
    HRESULT GetCaps(D3DDEVICEDESC* hardware, D3DDEVICEDESC* software) override {
        if (capsFail) return DDERR_GENERIC;
        hardware->dwFlags = D3DDD_TRICAPS;
        hardware->dpcTriCaps.dwTextureCaps = textureCaps;
        software->dpcTriCaps.dwTextureCaps = 0;
        return D3D_OK;
    }
    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) override {
        DDPIXELFORMAT withAlpha = rgbPixelFormat(PixelLayout::k555);
        withAlpha.dwFlags |= DDPF_ALPHAPIXELS;
        withAlpha.dwRGBAlphaBitMask = 0x8000;
        DDPIXELFORMAT plain565 = rgbPixelFormat(PixelLayout::k565);
        if (callback(&withAlpha, context) == D3DENUMRET_CANCEL) return D3D_OK;
        callback(&plain565, context);
        return D3D_OK;
    }
};

class PowerOfTwoLoaders : public Loaders {
  protected:
    void SetUp() override {
        Loaders::SetUp();
        softwareDevice = display.device;
        display.device = &fakeDevice;
    }
    void TearDown() override { display.device = softwareDevice; }

    PowerOfTwoDevice fakeDevice;
    IDirect3DDevice3* softwareDevice = nullptr;
};

TEST_F(PowerOfTwoLoaders, TexturesShrinkToAboutHalfSizeInPowersOfTwo) {
    const std::string path = writeTemp(
        "big.spr",
        encodeSpr({256, 256, std::vector<std::uint16_t>(256 * 256, 0xFFFF)}, SprEncoding::kRaw));
    ASSERT_EQ(loadSprTexture(display, path.c_str(), 1, messages), 1);
    const SurfaceContents contents = readSurface(display.textureSurfaces[1]);
    EXPECT_EQ(contents.width, 128u);
    EXPECT_EQ(contents.height, 128u);
    // The first plain 16-bit format the device lists: 5-6-5 after the one with alpha.
    EXPECT_EQ(contents.format.dwRBitMask, 0xF800u);
    EXPECT_EQ(contents.pixels[127 * 128 + 127], sprWordTo555(0xFFFF));
}

TEST_F(PowerOfTwoLoaders, SquareOnlyTexturesTakeTheLargerSide) {
    fakeDevice.textureCaps = D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY;
    SprImage image{200, 100, std::vector<std::uint16_t>(200 * 100, 0x0001)};
    const std::string path = writeTemp("wide.spr", encodeSpr(image, SprEncoding::kRaw));
    ASSERT_EQ(loadSprTexture(display, path.c_str(), 2, messages), 1);
    const SurfaceContents contents = readSurface(display.textureSurfaces[2]);
    EXPECT_EQ(contents.width, 128u);
    EXPECT_EQ(contents.height, 128u);
    EXPECT_EQ(contents.pixels[63 * 128 + 127], 1);  // the image fills 128 x 64
    EXPECT_EQ(contents.pixels[64 * 128], 0);
}

TEST_F(PowerOfTwoLoaders, ADeviceThatCannotDescribeItselfGetsNoTexture) {
    fakeDevice.capsFail = true;
    const std::string path = writeTemp("small.spr", encodeSpr({1, 1, {5}}, SprEncoding::kRaw));
    EXPECT_EQ(loadSprTexture(display, path.c_str(), 0, messages), 0);
    EXPECT_EQ(display.textureSurfaces[0], nullptr);
}

TEST(TextureFormatCallback, TakesTheFirstPlainFormatOfTheWantedDepth) {
    DDPIXELFORMAT chosen{};
    TextureSearch search{16, false, &chosen};
    DDPIXELFORMAT luminance = rgbPixelFormat(PixelLayout::k565);
    luminance.dwFlags |= DDPF_LUMINANCE;
    DDPIXELFORMAT eightBit = rgbPixelFormat(PixelLayout::k565);
    eightBit.dwRGBBitCount = 8;
    DDPIXELFORMAT fourCC = rgbPixelFormat(PixelLayout::k565);
    fourCC.dwFourCC = 0x31545844;
    DDPIXELFORMAT alpha = rgbPixelFormat(PixelLayout::k555);
    alpha.dwFlags |= DDPF_ALPHAPIXELS;
    DDPIXELFORMAT deep = rgbPixelFormat(PixelLayout::k565);
    deep.dwRGBBitCount = 32;
    for (DDPIXELFORMAT* format : {&luminance, &eightBit, &fourCC, &alpha, &deep}) {
        EXPECT_EQ(textureFormatCallback(format, &search), DDENUMRET_OK);
    }
    EXPECT_EQ(chosen.dwSize, 0u);
    EXPECT_EQ(textureFormatCallback(nullptr, &search), DDENUMRET_OK);
    DDPIXELFORMAT plain = rgbPixelFormat(PixelLayout::k555);
    EXPECT_EQ(textureFormatCallback(&plain, nullptr), DDENUMRET_OK);
    EXPECT_EQ(textureFormatCallback(&plain, &search), DDENUMRET_CANCEL);
    EXPECT_EQ(std::memcmp(&chosen, &plain, sizeof plain), 0);

    TextureSearch withAlpha{16, true, &chosen};
    EXPECT_EQ(textureFormatCallback(&plain, &withAlpha), DDENUMRET_OK);
    EXPECT_EQ(textureFormatCallback(&alpha, &withAlpha), DDENUMRET_CANCEL);
}

}  // namespace
