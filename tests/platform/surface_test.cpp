#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/pixel_format.h"
#include "platform/software/bitmap_font.h"
#include "tests/platform/software_fixture.h"

namespace {

using Surfaces = SoftwareDisplayTest;

TEST_F(Surfaces, CreationRefusesMissingFieldsAndAbsurdSizes) {
    IDirectDrawSurface4* surface = nullptr;
    DDSURFACEDESC2 noCaps = describe(DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_OFFSCREENPLAIN, 4, 4);
    EXPECT_EQ(ddraw4->CreateSurface(&noCaps, &surface, nullptr), DDERR_INVALIDPARAMS);
    DDSURFACEDESC2 noSize = describe(DDSD_CAPS, DDSCAPS_OFFSCREENPLAIN, 4, 4);
    EXPECT_EQ(ddraw4->CreateSurface(&noSize, &surface, nullptr), DDERR_INVALIDPARAMS);
    DDSURFACEDESC2 zeroWide =
        describe(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_OFFSCREENPLAIN, 0, 4);
    EXPECT_EQ(ddraw4->CreateSurface(&zeroWide, &surface, nullptr), DDERR_INVALIDPARAMS);
    DDSURFACEDESC2 huge =
        describe(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_OFFSCREENPLAIN, 65535, 65535);
    EXPECT_EQ(ddraw4->CreateSurface(&huge, &surface, nullptr), DDERR_INVALIDPARAMS);
    DDSURFACEDESC2 stencilZ =
        describe(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT, DDSCAPS_ZBUFFER, 4, 4);
    stencilZ.ddpfPixelFormat.dwFlags = DDPF_ZBUFFER | DDPF_STENCILBUFFER;
    stencilZ.ddpfPixelFormat.dwZBufferBitDepth = 16;
    EXPECT_EQ(ddraw4->CreateSurface(&stencilZ, &surface, nullptr), DDERR_INVALIDPIXELFORMAT);
    EXPECT_EQ(surface, nullptr);
}

TEST_F(Surfaces, LockGivesAddressPitchAndFormatOfTheDisplay) {
    IDirectDrawSurface4* surface = offscreen(5, 3);
    RECT corner{2, 1, 5, 3};
    DDSURFACEDESC2 whole = describe(0, 0);
    DDSURFACEDESC2 part = describe(0, 0);
    ASSERT_EQ(surface->Lock(nullptr, &whole, DDLOCK_SURFACEMEMORYPTR, nullptr), DD_OK);
    ASSERT_EQ(surface->Lock(&corner, &part, DDLOCK_SURFACEMEMORYPTR, nullptr), DD_OK);
    EXPECT_EQ(whole.dwWidth, 5u);
    EXPECT_EQ(whole.dwHeight, 3u);
    EXPECT_GE(whole.lPitch, 10);
    EXPECT_EQ(whole.ddpfPixelFormat.dwRBitMask, 0xF800u);
    EXPECT_EQ(static_cast<std::uint8_t*>(part.lpSurface),
              static_cast<std::uint8_t*>(whole.lpSurface) + whole.lPitch + 2 * 2);
    HDC dc = nullptr;
    EXPECT_EQ(surface->GetDC(&dc), DDERR_SURFACEBUSY);
    EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
    EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
    EXPECT_EQ(surface->Unlock(nullptr), DDERR_NOTLOCKED);
    surface->Release();
}

TEST_F(Surfaces, SetPixelWritesTheDisplayLayout) {
    for (sw::PixelLayout layout : {sw::PixelLayout::k565, sw::PixelLayout::k555}) {
        makeDisplay(layout);
        IDirectDrawSurface4* surface = offscreen(2, 1);
        HDC dc = nullptr;
        ASSERT_EQ(surface->GetDC(&dc), DD_OK);
        EXPECT_EQ(SetPixel(dc, 0, 0, 0xFFFFFF), 0xFFFFFFu);
        EXPECT_EQ(SetPixel(dc, 1, 0, RGB(255, 0, 0)), RGB(255, 0, 0));
        EXPECT_EQ(SetPixel(dc, 2, 0, 0), CLR_INVALID);
        ASSERT_EQ(surface->ReleaseDC(dc), DD_OK);
        const bool is555 = layout == sw::PixelLayout::k555;
        withPixels(surface, [&](std::uint16_t* p, int) {
            EXPECT_EQ(p[0], is555 ? 0x7FFF : 0xFFFF);
            EXPECT_EQ(p[1], is555 ? 0x7C00 : 0xF800);
        });
        surface->Release();
    }
}

TEST_F(Surfaces, TextIsBlackOnWhiteCellsAnchoredTopLeft) {
    IDirectDrawSurface4* surface = offscreen(64, 40);
    HDC dc = nullptr;
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    ASSERT_EQ(TextOutA(dc, 10, 10, "18", 2), 1);
    ASSERT_EQ(surface->ReleaseDC(dc), DD_OK);
    withPixels(surface, [](std::uint16_t* p, int pitch) {
        int ink = 0;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 64; ++x) {
                const std::uint16_t v = p[y * pitch + x];
                const bool inCells =
                    x >= 10 && x < 10 + 2 * kGlyphWidth && y >= 10 && y < 10 + kGlyphHeight;
                if (!inCells) {
                    ASSERT_EQ(v, 0) << "outside the text cells at " << x << "," << y;
                    continue;
                }
                ASSERT_TRUE(v == 0xFFFF || v == 0x0000) << x << "," << y;
                const int cell = (x - 10) / kGlyphWidth;
                const bool expectInk = glyphFor("18"[cell]).ink((x - 10) % kGlyphWidth, y - 10);
                EXPECT_EQ(v == 0, expectInk) << x << "," << y;
                ink += v == 0;
            }
        }
        EXPECT_GT(ink, 20);
    });
    surface->Release();
}

TEST(BitmapFont, DigitsAreDistinctBoldAndInsideTheirCell) {
    for (char a = '0'; a <= '9'; ++a) {
        const GlyphBitmap& glyph = glyphFor(a);
        for (int y = 0; y < kGlyphHeight; ++y) {
            EXPECT_EQ(glyph.rows[y] & 0x01, 0) << a << ": the last column separates cells";
            for (int x = 0; x + 1 < kGlyphWidth; ++x) {
                // Bold: no stroke is a single pixel wide.
                if (glyph.ink(x, y) && (x == 0 || !glyph.ink(x - 1, y))) {
                    EXPECT_TRUE(glyph.ink(x + 1, y)) << a << " at " << x << "," << y;
                }
            }
        }
        for (char b = a + 1; b <= '9'; ++b) {
            EXPECT_NE(0, std::memcmp(glyph.rows, glyphFor(b).rows, kGlyphHeight)) << a << b;
        }
    }
    EXPECT_EQ(0, std::memcmp(glyphFor('a').rows, glyphFor('A').rows, kGlyphHeight));
}

TEST_F(Surfaces, FlipShowsTheBackBufferAndHandsItToThePresenter) {
    IDirectDrawSurface4* primary = flippingPrimary();
    DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
    IDirectDrawSurface4* back = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    withPixels(back, [](std::uint16_t* p, int pitch) { p[479 * pitch + 639] = 0x1234; });
    EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    ASSERT_EQ(presenter.framesPresented(), 1);
    EXPECT_EQ(presenter.width(), 640);
    EXPECT_EQ(presenter.height(), 480);
    EXPECT_EQ(presenter.pixel(639, 479), 0x1234);
    withPixels(primary,
               [](std::uint16_t* p, int pitch) { EXPECT_EQ(p[479 * pitch + 639], 0x1234); });
    withPixels(back, [](std::uint16_t* p, int pitch) { EXPECT_EQ(p[479 * pitch + 639], 0); });
    // The back buffer outlives the primary while a reference to it is held.
    primary->Release();
    withPixels(back, [](std::uint16_t* p, int) { p[0] = 1; });
    back->Release();
}

TEST_F(Surfaces, ADisplayModeSizesThePrimaryAndOnlySixteenBitsAreOffered) {
    EXPECT_EQ(ddraw4->SetDisplayMode(640, 480, 32, 0, 0), DDERR_UNSUPPORTED);
    ASSERT_EQ(ddraw4->SetDisplayMode(320, 200, 16, 0, 0), DD_OK);
    IDirectDrawSurface4* primary = flippingPrimary();
    DDSURFACEDESC2 desc = describe(0, 0);
    ASSERT_EQ(primary->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.dwWidth, 320u);
    EXPECT_EQ(desc.dwHeight, 200u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
    primary->Release();
}

TEST(HeadlessPresenter, WidensBothLayoutsToFullScaleRgb) {
    HeadlessPresenter presenter;
    EXPECT_TRUE(presenter.lastFrameRgb().rgb.empty());
    const std::uint16_t frame565[] = {0xFFFF, 0xF800, 0x07E0, 0x0000};
    presenter.present({frame565, 2, 2, 2, sw::PixelLayout::k565});
    RgbImage image = presenter.lastFrameRgb();
    ASSERT_EQ(image.width, 2);
    EXPECT_EQ(std::vector<std::uint8_t>(image.rgb.begin(), image.rgb.end()),
              (std::vector<std::uint8_t>{255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 0}));
    const std::uint16_t frame555[] = {0x7FFF, 0x001F, 0, 0};
    presenter.present({frame555, 4, 2, 1, sw::PixelLayout::k555});
    image = presenter.lastFrameRgb();
    EXPECT_EQ(image.height, 1);
    EXPECT_EQ(image.rgb, (std::vector<std::uint8_t>{255, 255, 255, 0, 0, 255}));
    EXPECT_EQ(presenter.framesPresented(), 2);
}

TEST(Clock, AScopedSourceDrivesTimeAndIsUndoneAtItsEnd) {
    DWORD now = 0xFFFFFFF0u;
    {
        ScopedTimeSource fake([&now] { return now; });
        EXPECT_EQ(timeGetTime(), 0xFFFFFFF0u);
        now += 0x20;
        EXPECT_EQ(timeGetTime(), 0x10u);
    }
    const DWORD first = timeGetTime();
    EXPECT_LE(timeGetTime() - first, 1000u);
}

}  // namespace
