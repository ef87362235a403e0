// The scene's own materials and the viewer's cameras, through the real start-up: map look-up,
// sub-material selection, a reference picture, and the real scenes framed whole.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "images/material_maps.h"
#include "images/png_io.h"
#include "platform/file_input.h"
#include "platform/software/software_display.h"
#include "prep/material_runs.h"
#include "shell/commands.h"
#include "shell/player.h"
#include "shell/view_check.h"
#include "tests/support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

const fs::path kAuthored = fs::path(ASEPLAY_SOURCE_DIR) / "tests" / "shell" / "data" / "authored";
const fs::path kRealScenes = fs::path(ASEPLAY_SOURCE_DIR) / "tests" / "ase" / "data";

Options authoredOptions(const fs::path& scene) {
    Options options;
    options.scenePath = scene.string();
    options.backgroundPath = "/nonexistent/12.pcx";
    options.headless = true;
    options.quiet = true;
    options.animation = AnimationModel::exact;
    options.camera = {CameraKind::fit, 0};
    options.materials = MaterialChoice::authored;
    return options;
}

TEST(MaterialMaps, FoundBesideTheSceneByFileNameInAnyLetterCase) {
    EXPECT_EQ(mapFileName("\"C:\\Art\\Maps\\Checker.BMP\""), "Checker.BMP");
    EXPECT_EQ(mapFileName("\"/home/art/wall.tga\""), "wall.tga");
    EXPECT_EQ(findBesideScene(kAuthored.string(), "Checker.BMP"),
              (kAuthored / "checker.bmp").string());
    EXPECT_EQ(findBesideScene(kAuthored.string(), "missing.bmp"), "");

    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_EQ(readFileBytes((kAuthored / "checker.bmp").string(), bytes, error),
              FileReadResult::kOk);
    RgbImage picture;
    ASSERT_TRUE(decodePicture("checker.bmp", bytes, picture, error)) << error;
    EXPECT_EQ(picture.width, 16);
    EXPECT_EQ(picture.rgb[0], 240);  // the top-left square is yellow
    EXPECT_EQ(picture.rgb[2], 0);
    EXPECT_FALSE(decodePicture("four.bmp", {1, 2, 3, 4}, picture, error));
}

TEST(AuthoredMaterials, FacesWearTheirSubMaterialAndUnmaterialedObjectsTheirWireColour) {
    Scene scene;
    ASSERT_TRUE(loadScene(scene, (kAuthored / "scene.ase").string(), nullptr));
    const AuthoredMaterials materials = buildAuthoredMaterials(scene);
    // Face ids 0 0 0 0 1 1 2 2 3 3 0 0 over two sub-materials: 2 wears the first, 3 the second.
    const auto& box = materials.runs[0];
    ASSERT_EQ(box.size(), 5u);
    const std::uint32_t firsts[] = {0, 12, 18, 24, 30};
    for (std::size_t r = 0; r < box.size(); ++r) {
        EXPECT_EQ(box[r].firstVertex, firsts[r]);
        EXPECT_EQ(box[r].look, box[r % 2].look);
    }
    const SurfaceLook& checkered = materials.looks[box[0].look];
    const SurfaceLook& red = materials.looks[box[1].look];
    EXPECT_EQ(checkered.map, "Checker.BMP");
    EXPECT_EQ(checkered.material.diffuse.r, 1.0f);  // the map shows as it is
    EXPECT_EQ(red.map, "");
    EXPECT_EQ(red.material.diffuse.r, 0.9f);
    ASSERT_EQ(materials.runs[1].size(), 1u);
    const SurfaceLook& wire = materials.looks[materials.runs[1][0].look];
    EXPECT_EQ(wire.material.diffuse.g, 0.8f);  // the pyramid names no material
}

class AuthoredRun : public ::testing::Test {
  protected:
    ScratchDir scratch_{"aseplay-authored"};
    const fs::path dir_ = scratch_.path();
};

// Run with ASEPLAY_REGENERATE_REFERENCES=1 to rewrite the picture after an intended change (and
// look at it before committing).
TEST_F(AuthoredRun, PictureOfAMultiMaterialTexturedSceneMatchesItsReference) {
    Options options = authoredOptions(kAuthored / "scene.ase");
    options.frames = 1;
    options.snapshotPath = (dir_ / "frame.png").string();
    ASSERT_EQ(runPlayer(options), 0);
    RgbImage actual, expected;
    std::string error;
    ASSERT_TRUE(readPng(options.snapshotPath, actual, error)) << error;
    const std::string reference = (kAuthored.parent_path() / "authored_scene.png").string();
    const char* regenerate = std::getenv("ASEPLAY_REGENERATE_REFERENCES");
    if (regenerate != nullptr && std::strcmp(regenerate, "1") == 0) {
        ASSERT_TRUE(writePng(reference, actual, error)) << error;
    }
    ASSERT_TRUE(readPng(reference, expected, error)) << error;
    ASSERT_EQ(actual.rgb.size(), expected.rgb.size());
    int worst = 0;
    for (std::size_t i = 0; i < actual.rgb.size(); ++i) {
        worst = std::max(worst, std::abs((actual.rgb[i] >> 3) - (expected.rgb[i] >> 3)));
    }
    EXPECT_LE(worst, 1);  // one 5-bit step: rounding on another machine
}

TEST_F(AuthoredRun, AMissingMapLeavesItsColoursWithOneLine) {
    fs::copy_file(kAuthored / "scene.ase", dir_ / "scene.ase");
    Options options = authoredOptions(dir_ / "scene.ase");
    options.frames = 2;
    testing::internal::CaptureStderr();
    EXPECT_EQ(runPlayer(options), 0);
    EXPECT_EQ(
        testing::internal::GetCapturedStderr(),
        "aseplay: Checker.BMP: map not found beside the scene; its material keeps its colours\n");
}

// Whether the depth buffer holds a drawn pixel on any edge of the frame.
bool touchesAnEdge(DisplayObjects& display) {
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = kDDSurfaceDesc2Size;
    EXPECT_EQ(display.zBuffer->Lock(nullptr, &desc, DDLOCK_SURFACEMEMORYPTR, nullptr), DD_OK);
    const auto depth = [&](DWORD x, DWORD y) {
        return reinterpret_cast<const std::uint16_t*>(
            static_cast<const std::uint8_t*>(desc.lpSurface) +
            static_cast<std::ptrdiff_t>(y) * desc.lPitch)[x];
    };
    bool touches = false;
    for (DWORD x = 0; x < desc.dwWidth; ++x)
        touches |= depth(x, 0) != 0xFFFF || depth(x, desc.dwHeight - 1) != 0xFFFF;
    for (DWORD y = 0; y < desc.dwHeight; ++y)
        touches |= depth(0, y) != 0xFFFF || depth(desc.dwWidth - 1, y) != 0xFFFF;
    display.zBuffer->Unlock(nullptr);
    return touches;
}

// Each real scene, framed by the fit camera in its own materials, lights at least a quarter of a
// percent of the frame at its first and middle frames and touches none of its edges.
TEST(RealScenes, FitAndAuthoredShowEachSceneWholeAndVisible) {
    for (const char* file :
         {"MotionCaptureROM.ase", "anim2.ASE", "CameraRollAnimWithChildObject.ase",
          "TargetCameraAnim.ase", "Rifle2.ase"}) {
        const Options options = authoredOptions(kRealScenes / file);
        Player player;
        ASSERT_TRUE(loadScene(player.scene, options.scenePath, nullptr)) << file;
        testing::internal::CaptureStderr();  // the rifle's map is not beside it
        ASSERT_EQ(startUp(player, nullptr, makeSoftwareDirectDrawCreate({}), options), DD_OK);
        testing::internal::GetCapturedStderr();
        FrameWorld world = player.world();
        for (const int frame : {0, player.scene.sceneInfo.lastFrame / 2}) {
            player.frame.frameCounter = frame;
            renderFrame(world);
            EXPECT_GE(coveredShareOfFrame(player.display), 0.0025) << file << " frame " << frame;
            EXPECT_FALSE(touchesAnEdge(player.display)) << file << " frame " << frame;
        }
    }
}

}  // namespace
