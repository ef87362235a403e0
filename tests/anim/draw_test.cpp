#include "anim/draw.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "prep/hierarchy.h"
#include "tests/prep/scene_builder.h"
#include "tests/support/recording_display.h"

namespace {

using testscene::addObject;
using testscene::setRestTriangle;

// The drawing calls go to a recording fake's device and material.
struct Recorder {
    RecordingDisplay fake;
    std::vector<std::string>& calls = fake.calls;
    RecordingDevice& device = fake.device;

    DrawTargets targets(IDirect3DTexture2* texture) { return {&device, &device, texture}; }
};

IDirect3DTexture2* const kTexture = reinterpret_cast<IDirect3DTexture2*>(0x1234);

// Object i: one rest triangle at x = 10 i, material colours (i, 0, 0), pivot (10 i, 0, 0).
Scene sceneOf(const std::vector<std::pair<std::string, std::string>>& objects) {
    Scene scene;
    for (const auto& [name, parent] : objects) {
        const int i = addObject(scene, name, parent);
        scene.geomObjects[i].faceCount = 1;
        DrawObject& draw = scene.drawObjects[i];
        draw.material.diffuse.r = static_cast<float>(i + 1);
        draw.basePivot = D3DVECTOR(i * 10.0f, 0, 0);
        setRestTriangle(draw, D3DVECTOR(i * 10.0f + 1, 0, 0), D3DVECTOR(i * 10.0f, 1, 0),
                        D3DVECTOR(i * 10.0f, 0, 1));
    }
    linkHierarchy(scene);
    return scene;
}

TEST(DrawingPass, EachObjectGetsMaterialTextureAndOneTriangleListInIndexOrder) {
    Scene scene = sceneOf({{"\"A\"", "*NONEPARENT"}, {"\"B\"", "\"A\""}, {"\"C\"", "*NONEPARENT"}});
    Recorder recorder;
    PoseWork work;
    animateAndDrawObjects(scene, Animation{}, 0, work, recorder.targets(kTexture));

    const std::vector<std::string> perObject{"material.SetMaterial", "device.SetTexture(0, other)",
                                             "device.DrawPrimitive(4, 0x112, 3, 0)"};
    std::vector<std::string> expected;
    for (int i = 0; i < 3; ++i) expected.insert(expected.end(), perObject.begin(), perObject.end());
    EXPECT_EQ(recorder.calls, expected);
    ASSERT_EQ(recorder.device.draws.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(recorder.device.materials[i].diffuse.r, static_cast<float>(i + 1));
        EXPECT_EQ(recorder.device.textures[i], kTexture);
        EXPECT_EQ(recorder.device.draws[i].type, D3DPT_TRIANGLELIST);
        EXPECT_EQ(recorder.device.draws[i].format, 0x112u);
        EXPECT_EQ(recorder.device.draws[i].flags, 0u);
        EXPECT_EQ(recorder.device.draws[i].vertices[0].x, i * 10.0f + 1);
    }
}

TEST(DrawingPass, DrawsThePosedCopyNotTheRestPose) {
    Scene scene = sceneOf({{"\"P\"", "*NONEPARENT"}, {"\"C\"", "\"P\""}, {"\"O\"", "*NONEPARENT"}});
    scene.drawObjects[0].trackKinds = kTrackPosition;
    scene.drawObjects[0].posFrames = {D3DVECTOR(0, 0, 0), D3DVECTOR(1, 0, 0)};
    Recorder recorder;
    PoseWork work;
    animateAndDrawObjects(scene, Animation{}, 1, work, recorder.targets(kTexture));
    ASSERT_EQ(recorder.device.draws.size(), 3u);
    EXPECT_EQ(recorder.device.draws[0].vertices[0].x, 2.0f);   // moved itself
    EXPECT_EQ(recorder.device.draws[1].vertices[0].x, 12.0f);  // carried its child
    EXPECT_EQ(recorder.device.draws[2].vertices[0].x, 21.0f);  // left the other alone
    EXPECT_EQ(scene.drawObjects[0].vertices[0].x, 1.0f);
}

TEST(DrawingPass, EmptySceneMakesNoCall) {
    Scene scene;
    Recorder recorder;
    PoseWork work;
    animateAndDrawObjects(scene, Animation{}, 0, work, recorder.targets(kTexture));
    EXPECT_TRUE(recorder.calls.empty());
}

TEST(DrawingPass, ObjectWithoutFacesIsDrawnWithZeroVertices) {
    Scene scene = sceneOf({{"\"A\"", "*NONEPARENT"}});
    scene.geomObjects[0].faceCount = 0;
    scene.drawObjects[0].vertices.clear();
    Recorder recorder;
    PoseWork work;
    animateAndDrawObjects(scene, Animation{}, 0, work, recorder.targets(nullptr));
    EXPECT_EQ(recorder.calls,
              (std::vector<std::string>{"material.SetMaterial", "device.SetTexture(0, null)",
                                        "device.DrawPrimitive(4, 0x112, 0, 0)"}));
}

// A face count larger than the triangle list must not send the device past the working copy.
TEST(DrawingPass, VertexCountIsBoundedByTheTriangleList) {
    Scene scene = sceneOf({{"\"A\"", "*NONEPARENT"}});
    scene.geomObjects[0].faceCount = 5;
    Recorder recorder;
    PoseWork work;
    animateAndDrawObjects(scene, Animation{}, 0, work, recorder.targets(kTexture));
    ASSERT_EQ(recorder.device.draws.size(), 1u);
    EXPECT_EQ(recorder.device.draws[0].vertices.size(), 3u);
}

}  // namespace
