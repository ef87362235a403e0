#include "shell/frame_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/clock.h"
#include "prep/math.h"
#include "tests/prep/scene_builder.h"
#include "tests/support/recording_display.h"

namespace {

const Animation kTableModel;
Viewer fixedCamera;
const AuthoredDrawing kPlainMaterials;

// Two objects with one rest triangle each, lastFrame as given.
Scene twoObjectScene(std::uint16_t lastFrame) {
    Scene scene;
    for (int i = 0; i < 2; ++i) {
        const int index = testscene::addObject(scene, i == 0 ? "\"A\"" : "\"B\"");
        scene.geomObjects[index].faceCount = 1;
        testscene::setRestTriangle(scene.drawObjects[index], D3DVECTOR(1, 0, 0), D3DVECTOR(0, 1, 0),
                                   D3DVECTOR(0, 0, 1));
    }
    scene.sceneInfo.lastFrame = lastFrame;
    return scene;
}

class FrameDriver : public ::testing::Test {
  protected:
    std::vector<int> framesDrawn(int frames) {
        std::vector<int> drawn;
        FrameWorld world{scene,       fake.display, state,          pose,
                         kTableModel, fixedCamera,  kPlainMaterials};
        for (int i = 0; i < frames; ++i) {
            drawn.push_back(state.frameCounter);
            renderFrame(world);
        }
        return drawn;
    }

    DWORD now = 5000;
    ScopedTimeSource clock{[this] { return now; }};
    WiredDisplay fake;
    Scene scene = twoObjectScene(3);
    FrameState state;
    PoseWork pose;
};

TEST_F(FrameDriver, CallsThePlatformInTheFramesOrder) {
    FrameWorld world{scene, fake.display, state, pose, kTableModel, fixedCamera, kPlainMaterials};
    EXPECT_EQ(renderFrame(world), 1);
    const std::vector<std::string> expected{
        "device.SetTransform(2)",
        "viewport.Clear2(1, 0 0 640 480, 0x3, 0, 1.0, 0)",
        "device.BeginScene",
        "target.Blt(null, background, null, 0x1000000, null)",
        "device.SetTexture(0, texture0)",
        "material.SetMaterial",
        "device.SetTexture(0, texture0)",
        "device.DrawPrimitive(4, 0x112, 3, 0)",
        "material.SetMaterial",
        "device.SetTexture(0, texture0)",
        "device.DrawPrimitive(4, 0x112, 3, 0)",
        "device.EndScene",
        "back.BltFast(0, 0, target, null, 0x10)",
        "back.GetDC",
        "back.TextOut(10, 10, \"1\")",
        "back.ReleaseDC",
        "primary.Flip(null, 0x1)",
    };
    EXPECT_EQ(fake.platform.calls, expected);
}

TEST_F(FrameDriver, SetsTheLookAtViewEveryFrame) {
    D3DMATRIX expected{};
    ASSERT_TRUE(buildViewMatrix(expected, D3DVECTOR(300, 300, 300), D3DVECTOR(0, 0, 0),
                                D3DVECTOR(0, 0, 0)));
    framesDrawn(2);
    EXPECT_EQ(std::memcmp(&fake.platform.device.lastView, &expected, sizeof expected), 0);
}

// Without a backdrop the blit has no source and fails; the frame goes on regardless.
TEST_F(FrameDriver, MissingBackgroundStillDrawsTheFrame) {
    WiredDisplay bare(false);
    FrameWorld world{scene, bare.display, state, pose, kTableModel, fixedCamera, kPlainMaterials};
    renderFrame(world);
    EXPECT_EQ(bare.platform.calls[3], "target.Blt(null, null, null, 0x1000000, null)");
    EXPECT_EQ(bare.platform.calls.back(), "primary.Flip(null, 0x1)");
    EXPECT_EQ(state.frameCounter, 1);
}

TEST_F(FrameDriver, CounterRunsToTheLastFrameThenWraps) {
    EXPECT_EQ(framesDrawn(9), (std::vector<int>{0, 1, 2, 3, 0, 1, 2, 3, 0}));
}

TEST_F(FrameDriver, LastFrameZeroAlwaysDrawsFrameZero) {
    scene.sceneInfo.lastFrame = 0;
    EXPECT_EQ(framesDrawn(3), (std::vector<int>{0, 0, 0}));
}

TEST(FrameNumbers, LastFrameIsTakenAsUnsigned) {
    EXPECT_EQ(nextFrameNumber(40000, 65535), 40001);
    EXPECT_EQ(nextFrameNumber(65535, 65535), 0);
    EXPECT_EQ(nextFrameNumber(7, 3), 0);  // a start past the end comes back to 0
}

class FrameRate : public ::testing::Test {
  protected:
    void frameAt(DWORD time) {
        now = time;
        drawFrameRate(state, fake.display.backBuffer);
    }
    DWORD now = 0;
    ScopedTimeSource clock{[this] { return now; }};
    WiredDisplay fake;
    FrameState state;
};

// The clock may read 0 on the first frame (it counts from the program's start).
TEST_F(FrameRate, FirstFrameShowsOneEvenAtClockZero) {
    frameAt(0);
    EXPECT_EQ(fake.platform.texts, (std::vector<std::string>{"1"}));
}

TEST_F(FrameRate, RenewsOnlyAfterMoreThanOneSecond) {
    frameAt(100);                                         // "1"
    for (DWORD t = 200; t <= 1100; t += 100) frameAt(t);  // exactly 1000 ms later: no renewal
    EXPECT_EQ(fake.platform.texts.back(), "1");
    frameAt(1101);  // 11 frames since the last renewal, this one included
    EXPECT_EQ(fake.platform.texts.back(), "11");
    EXPECT_EQ(fake.platform.texts.size(), 12u);  // drawn every frame, also between renewals
}

TEST_F(FrameRate, ShorterNumberLeavesNoStaleDigits) {
    frameAt(10);
    for (int i = 0; i < 120; ++i) frameAt(20 + i);
    frameAt(1011);
    ASSERT_EQ(fake.platform.texts.back(), "121");
    frameAt(2012);
    EXPECT_EQ(fake.platform.texts.back(), "1");
    EXPECT_EQ(fake.platform.calls.back(), "back.ReleaseDC");
    EXPECT_EQ(fake.platform.calls[fake.platform.calls.size() - 2], "back.TextOut(10, 10, \"1\")");
}

TEST_F(FrameRate, ClockWrapAroundCountsAsShortElapsedTime) {
    frameAt(0xFFFFFF00u);
    frameAt(0x00000010u);  // 272 ms later, across the wrap
    EXPECT_EQ(fake.platform.texts.back(), "1");
    frameAt(0x00000400u);  // 1280 ms after the renewal
    EXPECT_EQ(fake.platform.texts.back(), "2");
}

}  // namespace
