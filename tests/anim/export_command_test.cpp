// --export-obj from a scene file to an OBJ file, through the real reader.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "anim/posing.h"
#include "ase/reader.h"
#include "prep/prepare.h"
#include "shell/commands.h"
#include "tests/support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

// A three-object chain (each object the parent of the next) with position, rotation and scale keys
// on every object, two textured faces each, frames 0 … 20.
const std::string kChainScene = std::string(ASEPLAY_TEST_DATA) + "/chain.ase";

struct ObjFile {
    std::vector<std::string> objects;
    std::vector<float> positions;  // x, y, z of every v line
    std::vector<std::string> faces;
};

ObjFile readObj(const fs::path& path) {
    ObjFile obj;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("o ", 0) == 0) obj.objects.push_back(line.substr(2));
        if (line.rfind("f ", 0) == 0) obj.faces.push_back(line);
        if (line.rfind("v ", 0) == 0) {
            const char* p = line.c_str() + 2;
            for (int k = 0; k < 3; ++k) {
                char* end;
                obj.positions.push_back(std::strtof(p, &end));
                p = end;
            }
        }
    }
    return obj;
}

class ExportCommand : public ::testing::Test {
  protected:
    ObjFile exportAt(int frame) {
        Options options;
        options.scenePath = kChainScene;
        options.exportObjPath = (dir_ / ("frame" + std::to_string(frame) + ".obj")).string();
        options.frame = frame;
        EXPECT_EQ(runExportObj(options), 0);
        return readObj(options.exportObjPath);
    }

    ScratchDir scratch_{"aseplay-export"};
    const fs::path dir_ = scratch_.path();
};

TEST_F(ExportCommand, WritesThePosedSceneReadBackToTheSameFloats) {
    const ObjFile obj = exportAt(10);
    EXPECT_EQ(obj.objects, (std::vector<std::string>{"Object00", "Object01", "Object02"}));
    ASSERT_EQ(obj.positions.size(), 3u * 18);
    ASSERT_EQ(obj.faces.size(), 6u);
    EXPECT_EQ(obj.faces[5], "f 16/16/16 17/17/17 18/18/18");

    Scene scene;
    ASSERT_EQ(readScene(scene, kChainScene.c_str()), 0);
    prepareScene(scene);
    PoseWork work;
    poseScene(scene, 10, work);
    std::size_t n = 0;
    for (const auto& vertices : work.workVertices) {
        for (const D3DVERTEX& v : vertices) {
            EXPECT_EQ(obj.positions[n++], v.x);
            EXPECT_EQ(obj.positions[n++], v.y);
            EXPECT_EQ(obj.positions[n++], v.z);
        }
    }
    // The root's rest pose is not what frame 10 shows: the tracks moved it.
    EXPECT_NE(obj.positions[0], scene.drawObjects[0].vertices[0].x);
}

TEST_F(ExportCommand, FramePastTheLastPosesTheLastFrame) {
    const ObjFile last = exportAt(20);
    const ObjFile beyond = exportAt(500);
    EXPECT_EQ(beyond.positions, last.positions);
    EXPECT_NE(exportAt(5).positions, last.positions);
}

TEST_F(ExportCommand, ExportsOtherExportersFiles) {
    Options options;
    options.scenePath = std::string(ASEPLAY_SOURCE_DIR) + "/tests/ase/data/Rifle2.ase";
    options.exportObjPath = (dir_ / "rifle.obj").string();
    testing::internal::CaptureStderr();
    EXPECT_EQ(runExportObj(options), 0);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(readObj(options.exportObjPath).faces.size(), 572u);
}

}  // namespace
