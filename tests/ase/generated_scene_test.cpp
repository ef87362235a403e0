// Scenes from the generator read back completely and hold what the generator was asked for.
#include <gtest/gtest.h>

#include <cmath>

#include "scene_text.h"
#include "tools/scenegen/scene_writer.h"

namespace {

std::string generate(const SceneGenOptions& options) {
    std::FILE* file = std::tmpfile();
    EXPECT_TRUE(writeScene(options, file));
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    EXPECT_EQ(std::fread(text.data(), 1, text.size(), file), text.size());
    std::fclose(file);
    return text;
}

TEST(GeneratedScene, EveryFeatureReadsBackCompletely) {
    for (const TrackStyle style : {TrackStyle::Bezier, TrackStyle::Tcb}) {
        SceneGenOptions options;
        options.objects = 4;
        options.facesPerObject = 50;
        options.hierarchy = Hierarchy::Chain;
        options.posTrack = style;
        options.rotTrack = TrackStyle::Tcb;
        options.scaleTrack = style;
        options.keys = 3;
        options.lights = 2;
        options.cameras = 1;
        options.meshFrames = 2;
        options.materials = 2;
        options.diffuseMap = "0.spr";
        const std::string text = generate(options);
        EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);  // CR LF line ends

        Scene scene;
        std::string messages;
        ASSERT_EQ(readText(text, scene, nullptr, &messages), 0);
        ASSERT_EQ(scene.objectCount, 4);
        EXPECT_EQ(scene.materialCount, 2);
        ASSERT_EQ(scene.materials.size(), 2u);  // materials[1] is read below
        EXPECT_EQ(scene.materials[1].diffuseMap.bitmap, "\"0.spr\"");
        for (int i = 0; i < 4; ++i) {
            const GeomObject& object = scene.geomObjects[static_cast<std::size_t>(i)];
            EXPECT_EQ(object.faceCount, 50);
            EXPECT_EQ(object.faces.size(), 50u);
            EXPECT_EQ(object.texFaces.size(), 50u);
            EXPECT_EQ(object.vertexNormals.size(), 150u);
            for (const MeshFace& face : object.faces) ASSERT_LT(face.c, object.vertexCount);
            ASSERT_EQ(object.posKeys.size(), 3u);  // posKeys[2] is read below
            EXPECT_EQ(object.rotKeys.size(), 3u);
            EXPECT_EQ(object.scaleKeys.size(), 3u);
            EXPECT_EQ(object.posKeys[2].time, 100 * 160);
            EXPECT_EQ(object.materialRef, i % 2);
            EXPECT_EQ(scene.drawObjects[static_cast<std::size_t>(i)].meshFrameCount, 2);
            EXPECT_EQ(object.parentName, i == 0 ? std::string("*NONEPARENT")
                                                : "\"Object0" + std::to_string(i - 1) + "\"");
        }
        ASSERT_EQ(scene.lights.size(), 2u);
        EXPECT_EQ(scene.lights[1].hotspot, 43.0f);
        ASSERT_EQ(scene.cameras.size(), 1u);
        EXPECT_EQ(scene.cameras[0].animations.at(0).posSamples.size(), 4u);
        EXPECT_TRUE(
            messages.ends_with("2 Light Compelete!!\n1 Camera Compelete!!\nRead ASE Complete!!\n"))
            << messages;
    }
}

TEST(GeneratedScene, LargeMeshKeepsEveryVertexOnItsBall) {
    // Five-digit vertex and face numbers must stay separate tokens from their labels.
    SceneGenOptions options;
    options.facesPerObject = 25000;
    Scene scene;
    ASSERT_EQ(readText(generate(options), scene), 0);
    const GeomObject& object = scene.geomObjects.at(0);
    ASSERT_GT(object.vertexCount, 10000);
    const D3DVECTOR centre = object.nodeTm.tmPos;
    for (const D3DVECTOR& v : object.vertices) {
        const double dx = v.x - centre.x, dy = v.y - centre.y, dz = v.z - centre.z;
        ASSERT_NEAR(std::sqrt(dx * dx + dy * dy + dz * dz), 20.0, 1e-3);
    }
    EXPECT_EQ(object.faces.back().c, object.texFaces.back().c);
    EXPECT_EQ(object.vertexNormals.back().vertexIndex, object.faces.back().c);
}

TEST(GeneratedScene, SameSeedSameText) {
    SceneGenOptions options;
    options.objects = 3;
    options.hierarchy = Hierarchy::Random;
    options.posTrack = TrackStyle::Bezier;
    EXPECT_EQ(generate(options), generate(options));
    SceneGenOptions other = options;
    other.seed = 2;
    EXPECT_NE(generate(options), generate(other));
}

}  // namespace
