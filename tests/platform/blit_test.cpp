#include "platform/software/blit.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "tests/platform/software_fixture.h"

namespace {

TEST(ScaledBlitter, ColumnsAndRowsTakeFloorOfScaledIndex) {
    // 3 source columns onto 7: x * 3 / 7 rounded down, no half-pixel offset.
    std::vector<std::uint16_t> source = {10, 11, 12, 20, 21, 22};
    std::vector<std::uint16_t> dest(7 * 5, 0xDEAD);
    ScaledBlitter blitter;
    blitter.copy({source.data(), 3}, {0, 0, 3, 2}, {dest.data(), 7}, {0, 0, 7, 5});
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
            const int sourceRow = y * 2 / 5;
            const int sourceColumn = x * 3 / 7;
            EXPECT_EQ(dest[y * 7 + x], source[sourceRow * 3 + sourceColumn]) << x << "," << y;
        }
    }
}

// Every pair of widths (enlarging a little or a lot, which writes runs, shrinking, equal)
// onto a rectangle inside a larger buffer: the floor rule inside, nothing touched outside, and
// the same again from the blitter's kept column map.
TEST(ScaledBlitter, AnyWidthsFollowTheFloorRuleInsideTheRectangleOnly) {
    for (const auto& [fromWidth, toWidth] :
         {std::pair{5, 17}, {4, 16}, {3, 13}, {2, 11}, {9, 4}, {6, 6}, {1, 3}, {2, 600}}) {
        std::vector<std::uint16_t> source(static_cast<std::size_t>(fromWidth) * 3);
        std::iota(source.begin(), source.end(), 100);
        const int pitch = toWidth + 4;
        std::vector<std::uint16_t> dest(static_cast<std::size_t>(pitch) * 6, 0xBEEF);
        ScaledBlitter blitter;
        for (int round = 0; round < 2; ++round) {
            blitter.copy({source.data(), fromWidth}, {0, 0, fromWidth, 3}, {dest.data(), pitch},
                         {1, 1, toWidth, 4});
            for (int y = 0; y < 6; ++y)
                for (int x = 0; x < pitch; ++x) {
                    const bool inside = x >= 1 && x <= toWidth && y >= 1 && y <= 4;
                    const std::uint16_t expected =
                        inside
                            ? source[((y - 1) * 3 / 4) * fromWidth + (x - 1) * fromWidth / toWidth]
                            : 0xBEEF;
                    ASSERT_EQ(dest[y * pitch + x], expected)
                        << fromWidth << " onto " << toWidth << " at " << x << "," << y;
                }
        }
    }
}

TEST(ScaledBlitter, ShrinksAndStaysInsideTheDestinationRectangle) {
    std::vector<std::uint16_t> source(8 * 8);
    std::iota(source.begin(), source.end(), 0);
    std::vector<std::uint16_t> dest(6 * 6, 0xBEEF);
    ScaledBlitter blitter;
    blitter.copy({source.data(), 8}, {0, 0, 8, 8}, {dest.data(), 6}, {1, 1, 3, 3});
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x < 4 && y >= 1 && y < 4;
            const std::uint16_t expected =
                inside ? source[((y - 1) * 8 / 3) * 8 + (x - 1) * 8 / 3] : 0xBEEF;
            EXPECT_EQ(dest[y * 6 + x], expected) << x << "," << y;
        }
    }
}

TEST(CopyRect, OverlappingRowsWithinOneBufferMoveIntact) {
    std::vector<std::uint16_t> buffer(4 * 4);
    std::iota(buffer.begin(), buffer.end(), 0);
    const std::vector<std::uint16_t> before = buffer;
    copyRect({buffer.data(), 4}, {0, 0, 4, 3}, {buffer.data(), 4}, 0, 1);
    for (int y = 1; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) EXPECT_EQ(buffer[y * 4 + x], before[(y - 1) * 4 + x]);
    }
}

using SurfaceBlt = SoftwareDisplayTest;

TEST_F(SurfaceBlt, TwoByTwoSourceFillsQuadrantsOfTheFullScreen) {
    IDirectDrawSurface4* source = offscreen(2, 2);
    IDirectDrawSurface4* dest = offscreen(640, 480);
    withPixels(source, [](std::uint16_t* p, int pitch) {
        p[0] = 1;
        p[1] = 2;
        p[pitch] = 3;
        p[pitch + 1] = 4;
    });
    ASSERT_EQ(dest->Blt(nullptr, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    withPixels(dest, [](std::uint16_t* p, int pitch) {
        EXPECT_EQ(p[0], 1);
        EXPECT_EQ(p[319], 1);
        EXPECT_EQ(p[320], 2);
        EXPECT_EQ(p[639], 2);
        EXPECT_EQ(p[239 * pitch + 319], 1);
        EXPECT_EQ(p[240 * pitch], 3);
        EXPECT_EQ(p[479 * pitch + 639], 4);
    });
    source->Release();
    dest->Release();
}

// Scaled rows are kept between blits of an unchanged source: every way of changing the source,
// and another source in its place, must show in the next blit.
TEST_F(SurfaceBlt, ARepeatedScaledBlitSeesEveryChangeToItsSource) {
    IDirectDrawSurface4* dest = offscreen(64, 48);
    const auto blitShows = [&](IDirectDrawSurface4* source, std::uint16_t corner) {
        ASSERT_EQ(dest->Blt(nullptr, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
        withPixels(dest, [&](std::uint16_t* p, int pitch) {
            EXPECT_EQ(p[0], corner);
            EXPECT_EQ(p[47 * pitch + 63], 4);
        });
    };
    IDirectDrawSurface4* source = offscreen(2, 2);
    withPixels(source, [](std::uint16_t* p, int pitch) {
        p[0] = 1;
        p[pitch + 1] = 4;
    });
    blitShows(source, 1);
    blitShows(source, 1);
    withPixels(source, [](std::uint16_t* p, int) { p[0] = 2; });  // through a lock
    blitShows(source, 2);
    HDC dc = nullptr;
    ASSERT_EQ(source->GetDC(&dc), DD_OK);
    SetPixel(dc, 0, 0, RGB(0, 0, 255));  // through a device context
    ASSERT_EQ(source->ReleaseDC(dc), DD_OK);
    blitShows(source, 0x001F);
    source->Release();
    for (std::uint16_t corner : {5, 6}) {  // new sources, perhaps where the old one was
        IDirectDrawSurface4* other = offscreen(2, 2);
        withPixels(other, [&](std::uint16_t* p, int pitch) {
            p[0] = corner;
            p[pitch + 1] = 4;
        });
        blitShows(other, corner);
        other->Release();
    }
    dest->Release();
}

TEST_F(SurfaceBlt, SameSizeCopiesExactlyAndOntoItself) {
    IDirectDrawSurface4* source = offscreen(640, 480);
    IDirectDrawSurface4* dest = offscreen(640, 480);
    std::vector<std::uint16_t> pattern(640 * 480);
    for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<std::uint16_t>(i * 7);
    withPixels(source, [&](std::uint16_t* p, int pitch) {
        for (int y = 0; y < 480; ++y) std::copy_n(&pattern[y * 640], 640, p + y * pitch);
    });
    ASSERT_EQ(dest->Blt(nullptr, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    ASSERT_EQ(source->Blt(nullptr, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    for (IDirectDrawSurface4* surface : {source, dest}) {
        withPixels(surface, [&](std::uint16_t* p, int pitch) {
            for (int y = 0; y < 480; ++y) {
                ASSERT_TRUE(std::equal(p + y * pitch, p + y * pitch + 640, &pattern[y * 640]));
            }
        });
    }
    source->Release();
    dest->Release();
}

TEST_F(SurfaceBlt, ScalingWithinOneSurfaceReadsTheOriginalPixels) {
    IDirectDrawSurface4* surface = offscreen(4, 1);
    withPixels(surface, [](std::uint16_t* p, int) {
        for (int x = 0; x < 4; ++x) p[x] = static_cast<std::uint16_t>(x + 1);
    });
    RECT from{0, 0, 2, 1};
    ASSERT_EQ(surface->Blt(nullptr, surface, &from, DDBLT_WAIT, nullptr), DD_OK);
    withPixels(surface, [](std::uint16_t* p, int) {
        EXPECT_EQ(p[0], 1);
        EXPECT_EQ(p[1], 1);
        EXPECT_EQ(p[2], 2);
        EXPECT_EQ(p[3], 2);
    });
    surface->Release();
}

TEST_F(SurfaceBlt, RectanglesOutsideEitherSurfaceAreRefused) {
    IDirectDrawSurface4* source = offscreen(4, 4);
    IDirectDrawSurface4* dest = offscreen(8, 8);
    RECT outside{0, 0, 9, 8};
    RECT empty{2, 2, 2, 4};
    EXPECT_EQ(dest->Blt(&outside, source, nullptr, 0, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(dest->Blt(nullptr, source, &outside, 0, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(dest->Blt(&empty, source, nullptr, 0, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(dest->BltFast(5, 0, source, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    EXPECT_EQ(dest->BltFast(4, 4, source, nullptr, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(dest->Blt(nullptr, nullptr, nullptr, 0, nullptr), DDERR_INVALIDPARAMS);
    source->Release();
    dest->Release();
}

TEST_F(SurfaceBlt, BltFastCopiesUnscaledAtThePosition) {
    IDirectDrawSurface4* source = offscreen(2, 2);
    IDirectDrawSurface4* dest = offscreen(4, 4);
    withPixels(source, [](std::uint16_t* p, int pitch) {
        p[0] = 5;
        p[1] = 6;
        p[pitch] = 7;
        p[pitch + 1] = 8;
    });
    ASSERT_EQ(dest->BltFast(1, 2, source, nullptr, DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    withPixels(dest, [](std::uint16_t* p, int pitch) {
        EXPECT_EQ(p[2 * pitch + 1], 5);
        EXPECT_EQ(p[2 * pitch + 2], 6);
        EXPECT_EQ(p[3 * pitch + 1], 7);
        EXPECT_EQ(p[3 * pitch + 2], 8);
        EXPECT_EQ(p[0], 0);
        EXPECT_EQ(p[3 * pitch + 3], 0);
    });
    source->Release();
    dest->Release();
}

}  // namespace
