// The display's per-frame path must not touch the heap once the first frame has run.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/platform/frame_path.h"
#include "tests/raster/raster_scenes.h"
#include "tests/support/counting_new.h"

namespace {

TEST(FramePath, AllocatesNothingAfterTheFirstFrame) {
    for (auto size : {std::pair<DWORD, DWORD>{320, 240}, {640, 480}, {1024, 300}}) {
        FramePath path;
        ASSERT_TRUE(path.bringUp(size.first, size.second));
        path.frame();
        const long before = allocationsSoFar();
        for (int i = 0; i < 5; ++i) path.frame();
        EXPECT_EQ(allocationsSoFar(), before) << size.first << "x" << size.second;
        EXPECT_EQ(path.presenter.framesPresented(), 6);
    }
}

// Which thread sets up which triangles must not matter either: the split is the same every
// frame, so a repeated frame needs no more room than the one before.
TEST(FramePath, AllocatesNothingAfterTheFirstFramesWhenDrawingOnSeveralThreads) {
    FramePath path;
    ASSERT_TRUE(path.bringUp(640, 480, 3));
    D3DMATERIAL material{};
    material.dwSize = kD3DMaterialSize;
    material.diffuse = {1, 1, 1, 0};
    std::vector<FramePath::Object> objects = {
        {rastertest::torus({0, 0, 0}, 110, 30, 64, 32), material, nullptr},
        {rastertest::sphere({0, 0, 0}, 60, 24, 12), material, nullptr}};
    for (int i = 0; i < 3; ++i) path.frame(&objects);
    const long before = allocationsSoFar();
    for (int i = 0; i < 5; ++i) path.frame(&objects);
    EXPECT_EQ(allocationsSoFar(), before);
}

}  // namespace
