#include "prep/tracks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "prep/math.h"
#include "tests/prep/scene_builder.h"

namespace {

using testscene::addObject;
using testscene::bitsOf;
using testscene::fromBits;
using testscene::posKey;
using testscene::rotKey;
using testscene::scaleKey;

Scene sceneWithFrames(int first, int last, int ticksPerFrame) {
    Scene scene;
    scene.sceneInfo.firstFrame = static_cast<std::uint16_t>(first);
    scene.sceneInfo.lastFrame = static_cast<std::uint16_t>(last);
    scene.sceneInfo.ticksPerFrame = static_cast<std::uint16_t>(ticksPerFrame);
    addObject(scene, "\"A\"");
    scene.geomObjects[0].nodeTm.tmPos = D3DVECTOR(4, 5, 6);
    return scene;
}

// The warnings of one table build, as the program shows them.
std::string buildCapturingWarnings(Scene& scene) {
    std::string text;
    for (const Message& message : buildTrackFrames(scene).list) text += messageLine(message);
    return text;
}

TEST(TrackTables, ObjectWithoutKeysGetsPivotsOnly) {
    Scene scene = sceneWithFrames(0, 100, 160);
    buildTrackFrames(scene);
    const DrawObject& draw = scene.drawObjects[0];
    EXPECT_EQ(draw.trackKinds, 0);
    EXPECT_TRUE(draw.posFrames.empty() && draw.rotFrames.empty() && draw.scaleFrames.empty());
    EXPECT_EQ(draw.pivot.y, 5.0f);
    EXPECT_EQ(draw.basePivot.z, 6.0f);
}

TEST(TrackTables, PositionTableRunsOneStepAheadOfTheKeys) {
    Scene scene = sceneWithFrames(0, 100, 160);
    scene.geomObjects[0].posKeys = {posKey(0, 5, 0, 0), posKey(1600, 15, -10, 0)};
    buildTrackFrames(scene);
    const auto& table = scene.drawObjects[0].posFrames;
    ASSERT_EQ(table.size(), 101u);
    EXPECT_EQ(scene.drawObjects[0].trackKinds, kTrackPosition);
    for (int f = 0; f <= 10; ++f) {
        EXPECT_EQ(table[f].x, f + 1.0f) << f;
        EXPECT_EQ(table[f].y, -(f + 1.0f)) << f;
        EXPECT_EQ(table[f].z, 0.0f);
    }
    for (int f = 11; f <= 100; ++f) EXPECT_EQ(table[f].x, 11.0f) << f;
}

TEST(TrackTables, NextPairOverwritesTheSharedFrame) {
    Scene scene = sceneWithFrames(0, 30, 1);
    scene.geomObjects[0].posKeys = {posKey(0, 0, 0, 0), posKey(10, 10, 0, 0), posKey(20, 10, 0, 0)};
    buildTrackFrames(scene);
    const auto& table = scene.drawObjects[0].posFrames;
    EXPECT_EQ(table[9].x, 10.0f);
    EXPECT_EQ(table[10].x, 10.0f);  // frame 10 takes the second pair's zero step
    EXPECT_EQ(table[30].x, 10.0f);
}

TEST(TrackTables, KeyFramesTruncateTowardZero) {
    Scene scene = sceneWithFrames(0, 20, 160);
    // 250 / 160 is frame 1; -250 / 160 is frame -1 (not -2); 1440 / 160 is frame 9.
    scene.geomObjects[0].posKeys = {posKey(250, 0, 0, 0), posKey(1600, 9, 0, 0)};
    scene.geomObjects[0].scaleKeys = {scaleKey(-250, 1, 1, 1), scaleKey(1440, 12, 1, 1)};
    buildTrackFrames(scene);
    const DrawObject& draw = scene.drawObjects[0];
    EXPECT_EQ(draw.posFrames[0].x, 0.0f);
    EXPECT_EQ(draw.posFrames[1].x, 1.0f);
    EXPECT_EQ(draw.scaleFrames[0].x, 1.0f + 11.0f / 10.0f);
}

TEST(TrackTables, RotationQuarterTurnOverTenFrames) {
    Scene scene = sceneWithFrames(0, 20, 160);
    scene.geomObjects[0].rotKeys = {rotKey(0, 1, 1, 1, 3.0f), rotKey(1600, 0, 0, 1, 1.5707963f)};
    buildTrackFrames(scene);
    const auto& table = scene.drawObjects[0].rotFrames;
    ASSERT_EQ(table.size(), 21u);
    EXPECT_EQ(scene.drawObjects[0].trackKinds, kTrackRotation);
    for (int f = 0; f <= 10; ++f) {
        EXPECT_NEAR(table[f].z, 9.0f * (f + 1), 1e-4) << f;
        EXPECT_EQ(bitsOf(table[f].x), 0u);  // a zero axis component contributes exactly 0
        EXPECT_EQ(bitsOf(table[f].y), 0u);
    }
    EXPECT_EQ(table[20].z, table[10].z);
}

TEST(TrackTables, RotationStepIsSinglePrecisionLeftToRight) {
    // component × angle ÷ kDegToRad ÷ frames; expected bits worked out independently. Dividing by
    // kDegToRad × frames, or working in double, gives other bits.
    struct Case {
        std::uint32_t component, angle;
        int frames;
        std::uint32_t step;
    };
    for (const Case c : {Case{0xbeea302b, 0x3ff0a5ff, 17, 0xc0397d96},
                         Case{0x3f25a1a1, 0xc0dca34c, 38, 0xc0d73d4a},
                         Case{0x3f333333, 0x3fa66666, 7, 0x40ee59b9}}) {
        Scene scene = sceneWithFrames(0, 40, 1);
        scene.geomObjects[0].rotKeys = {
            rotKey(0, 0, 0, 0, 0),
            rotKey(c.frames, fromBits(c.component), 0, 0, fromBits(c.angle))};
        buildTrackFrames(scene);
        EXPECT_EQ(bitsOf(scene.drawObjects[0].rotFrames[0].x), c.step) << c.frames;
    }
}

TEST(TrackTables, OnlyTheSecondKeyOfAPairTurns) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Scene scene = sceneWithFrames(0, 10, 1);
    scene.geomObjects[0].rotKeys = {rotKey(0, 1, 1, 1, 2.0f), rotKey(10, nan, 1, 0, 0.0f)};
    buildTrackFrames(scene);
    for (const RotFrame& r : scene.drawObjects[0].rotFrames) {
        EXPECT_EQ(bitsOf(r.x), 0u);  // not-a-number counts as a zero axis component
        EXPECT_EQ(r.y, 0.0f);        // the angle of the second key is 0
        EXPECT_EQ(bitsOf(r.z), 0u);
    }
}

TEST(TrackTables, ScaleEntriesAreOnePlusTheSum) {
    Scene scene = sceneWithFrames(0, 20, 1);
    scene.geomObjects[0].scaleKeys = {scaleKey(0, 1, 1, 1), scaleKey(10, 2, 2, 2)};
    scene.geomObjects[0].posKeys = {posKey(0, 5, 5, 5)};
    scene.geomObjects[0].rotKeys = {rotKey(0, 0, 0, 1, 1)};
    buildTrackFrames(scene);
    const DrawObject& draw = scene.drawObjects[0];
    EXPECT_EQ(draw.trackKinds, kTrackPosition | kTrackRotation | kTrackScale);
    for (int f = 0; f <= 10; ++f)
        EXPECT_NEAR(draw.scaleFrames[f].x, 1.0f + 0.1f * (f + 1), 1e-6) << f;
    EXPECT_EQ(draw.scaleFrames[20].y, draw.scaleFrames[10].y);
    // A single key: a table of rest values.
    ASSERT_EQ(draw.posFrames.size(), 21u);
    ASSERT_EQ(draw.rotFrames.size(), 21u);
    for (int f = 0; f <= 20; ++f) {
        EXPECT_EQ(draw.posFrames[f].x, 0.0f);
        EXPECT_EQ(draw.rotFrames[f].z, 0.0f);
    }
}

TEST(TrackTables, TablesAreRelativeToTheFirstKey) {
    Scene scene = sceneWithFrames(0, 10, 1);
    scene.geomObjects[0].scaleKeys = {scaleKey(0, 2, 2, 2), scaleKey(10, 2, 2, 2)};
    buildTrackFrames(scene);
    for (const D3DVECTOR& s : scene.drawObjects[0].scaleFrames) EXPECT_EQ(s.x, 1.0f);
}

TEST(TrackTables, KeyFramesOutsideTheTableAreNotWritten) {
    // firstFrame 5, lastFrame 15: 11 entries, frames 0 … 10. The pair spans frames -10 … 20, so its
    // step is a thirtieth and only frames 0 … 10 receive it.
    Scene scene = sceneWithFrames(5, 15, 1);
    scene.geomObjects[0].posKeys = {posKey(-10, 0, 0, 0), posKey(20, 30, 0, 0)};
    buildTrackFrames(scene);
    const auto& table = scene.drawObjects[0].posFrames;
    ASSERT_EQ(table.size(), 11u);
    EXPECT_EQ(table[0].x, 1.0f);
    EXPECT_EQ(table[10].x, 11.0f);
}

TEST(TrackTables, DegeneratePairsWriteNothing) {
    Scene scene = sceneWithFrames(0, 20, 1);
    // Same frame twice (an infinite step), a pair running backwards, then a sound pair over frames
    // -10 … 10 that steps by 0.5.
    scene.geomObjects[0].posKeys = {posKey(0, 0, 0, 0), posKey(0, 5, 0, 0), posKey(-10, 0, 0, 0),
                                    posKey(10, 10, 0, 0)};
    buildTrackFrames(scene);
    const auto& table = scene.drawObjects[0].posFrames;
    for (int f = 0; f <= 10; ++f) EXPECT_EQ(table[f].x, (f + 1) * 0.5f) << f;
    for (const D3DVECTOR& p : table) EXPECT_TRUE(std::isfinite(p.x));
}

TEST(TrackTables, ReversedFrameRangeGivesNoTables) {
    Scene scene = sceneWithFrames(10, 5, 1);
    scene.geomObjects[0].posKeys = {posKey(0, 0, 0, 0), posKey(10, 10, 0, 0)};
    buildTrackFrames(scene);
    EXPECT_EQ(scene.drawObjects[0].trackKinds, 0);
    EXPECT_TRUE(scene.drawObjects[0].posFrames.empty());
    EXPECT_EQ(scene.drawObjects[0].pivot.x, 4.0f);
}

TEST(TrackTables, ZeroTicksPerFrameAnimatesNothingWithOneWarning) {
    Scene scene = sceneWithFrames(0, 10, 0);
    addObject(scene, "\"B\"");
    scene.geomObjects[0].posKeys = {posKey(0, 0, 0, 0), posKey(10, 10, 0, 0)};
    scene.geomObjects[1].rotKeys = {rotKey(0, 0, 0, 1, 1), rotKey(10, 0, 0, 1, 1)};
    const std::string warnings = buildCapturingWarnings(scene);
    for (const DrawObject& draw : scene.drawObjects) {
        EXPECT_EQ(draw.trackKinds, 0);
        EXPECT_TRUE(draw.posFrames.empty() && draw.rotFrames.empty());
    }
    EXPECT_NE(warnings.find("ticks per frame"), std::string::npos);
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 1);

    Scene still = sceneWithFrames(0, 10, 0);  // nothing to animate: nothing to warn about
    EXPECT_EQ(buildCapturingWarnings(still), "");
}

TEST(TrackTables, TablesPastTheMemoryBudgetAreRefusedWithOneWarning) {
    // 700 one-key position tracks over 65536 frames would take 550 MB of tables.
    Scene scene = sceneWithFrames(0, 65535, 160);
    for (int i = 1; i < 700; ++i) addObject(scene, "\"O\"");
    for (GeomObject& object : scene.geomObjects) object.posKeys = {posKey(0, 1, 2, 3)};
    const std::string warnings = buildCapturingWarnings(scene);
    for (const DrawObject& draw : scene.drawObjects) {
        EXPECT_EQ(draw.trackKinds, 0);
        EXPECT_TRUE(draw.posFrames.empty());
    }
    EXPECT_EQ(scene.drawObjects[0].pivot.x, 4.0f);  // pivots are still set
    EXPECT_NE(warnings.find("nothing is animated"), std::string::npos) << warnings;
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 1);
}

}  // namespace
