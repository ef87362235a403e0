// A count line alone must not make the reader allocate beyond what the file itself holds, and a
// scene cannot hold more objects than 16-bit object numbers can name.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "scene_text.h"

namespace {

std::string readFile(const std::string& path) {
    std::string text;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
            text.append(buffer, n);
        }
        std::fclose(file);
    }
    return text;
}

// The worked example with its material count raised: the list still holds one material.
TEST(ResourceBounds, MaterialCountBeyondTheListAllocatesOnlyWhatIsRead) {
    Lines lines = workedExample();
    lines[findLine(lines, "*MATERIAL_COUNT")] = "\t*MATERIAL_COUNT 65535";
    Scene scene;
    std::string errors;
    EXPECT_NE(readText(joinLines(lines), scene, nullptr, nullptr, &errors), 0);
    EXPECT_EQ(scene.materialCount, 65535);
    EXPECT_LT(scene.materials.capacity(), 64u);  // 65535 records would be about 200 MB
    EXPECT_NE(errors.find("the end of the file"), std::string::npos) << errors;
}

// Mesh-animation frames that promise 65535 vertices and faces but list two and one.
TEST(ResourceBounds, MeshFrameCountsBeyondTheirListsAllocateOnlyWhatIsListed) {
    std::string text =
        readFile(ASEPLAY_SOURCE_DIR "/tests/regressions/scene/mesh_animation_counts.ase");
    ASSERT_FALSE(text.empty());
    Scene scene;
    std::string messages;
    ASSERT_EQ(readText(text, scene, nullptr, &messages), 0);
    std::size_t frames = 0;
    for (const GeomObject& object : scene.geomObjects) {
        for (const MeshFrame& frame : object.meshFrames) {
            ++frames;
            EXPECT_EQ(frame.vertexCount, frame.vertices.size());  // the count meets its list
            EXPECT_LE(frame.vertices.capacity(), 64u);
            EXPECT_LE(frame.faces.capacity(), 64u);
            EXPECT_LE(frame.vertexNormals.capacity(), 3u * 64);
            EXPECT_FALSE(frame.vertices.empty());
        }
    }
    EXPECT_GT(frames, 0u);
}

TEST(ResourceBounds, MoreObjectsThanSixteenBitNumbersIsAClearError) {
    std::string text = "*3DSMAX_ASCIIEXPORT\t200\r\n*COMMENT \"many\"\r\n";
    for (int i = 0; i <= 65535; ++i) text += "*GEOMOBJECT {\r\n}\r\n";
    Scene scene;
    ReadReport report;
    const std::string path = writeTempFile(text);
    EXPECT_NE(readScene(scene, path.c_str(), &report, ReadMode::tolerant), 0);
    std::remove(path.c_str());
    EXPECT_FALSE(report.complete);
    EXPECT_NE(report.error.find("more than 65535 geometry objects"), std::string::npos)
        << report.error;
    EXPECT_EQ(scene.objectCount, 0);
}

TEST(ResourceBounds, DeeplyNestedSubMaterialsAreAClearErrorNotAStackOverflow) {
    std::string text =
        "*3DSMAX_ASCIIEXPORT\t200\r\n*COMMENT \"x\"\r\n*MATERIAL_LIST {\r\n*MATERIAL_COUNT 1\r\n"
        "*MATERIAL 0 {\r\n";
    for (int i = 0; i < 20000; ++i) text += "*SUBMATERIAL 0 {\r\n";
    Scene scene;
    ReadReport report;
    const std::string path = writeTempFile(text);
    EXPECT_NE(readScene(scene, path.c_str(), &report, ReadMode::tolerant), 0);
    std::remove(path.c_str());
    EXPECT_NE(report.error.find("nested more than"), std::string::npos) << report.error;
}

}  // namespace
