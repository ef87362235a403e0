// Start-up order and whole headless runs through the real device, loaders and reader.
#include "shell/player.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "images/png_io.h"
#include "platform/software/software_display.h"
#include "shell/commands.h"
#include "shell/frame_output.h"
#include "shell/stop_signal.h"
#include "tests/support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

const fs::path kDemo = fs::path(ASEPLAY_SOURCE_DIR) / "assets" / "demo";

Options demoOptions() {
    Options options;
    options.scenePath = (kDemo / "zz.ase").string();
    options.backgroundPath = (kDemo / "12.pcx").string();
    options.texturePath = (kDemo / "0.spr").string();
    options.headless = true;
    return options;
}

class PlayerRun : public ::testing::Test {
  protected:
    void SetUp() override { setStopRequested(false); }
    void TearDown() override { setStopRequested(false); }

    static RgbImage readBack(const fs::path& path) {
        RgbImage image;
        std::string error;
        EXPECT_TRUE(readPng(path.string(), image, error)) << error;
        return image;
    }

    ScratchDir scratch_{"aseplay-player"};
    const fs::path dir_ = scratch_.path();
};

TEST(StartUp, FailedDeviceSetUpOpensNoPicture) {
    Player player;
    const DirectDrawCreateFunction failing = [](GUID*, IDirectDraw** ddraw, IUnknown*) {
        *ddraw = nullptr;
        return DDERR_NODIRECTDRAWHW;
    };
    Options options = demoOptions();
    options.backgroundPath = kDemo.string();  // a directory: a loader that ran would say so
    options.texturePath = kDemo.string();
    testing::internal::CaptureStderr();
    EXPECT_EQ(startUp(player, nullptr, failing, options), E_FAIL);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(StartUp, MissingPicturesDoNotStopIt) {
    Player player;
    Options options;
    options.backgroundPath = "/nonexistent/12.pcx";
    options.texturePath = "/nonexistent/0.spr";
    testing::internal::CaptureStderr();
    EXPECT_EQ(startUp(player, nullptr, makeSoftwareDirectDrawCreate({}), options), DD_OK);
    testing::internal::GetCapturedStderr();
    EXPECT_NE(player.display.device, nullptr);
    EXPECT_TRUE(player.display.pixelIs565);
    EXPECT_FALSE(player.display.pixelIs555);
    EXPECT_EQ(player.display.backgroundSurface, nullptr);
    EXPECT_EQ(player.display.textures[0], nullptr);
}

TEST(StartUp, ReadsAndPreparesTheScene) {
    Player player;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(loadScene(player.scene, demoOptions().scenePath, stdout));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Read ASE Complete!!\n"),
              std::string::npos);
    ASSERT_GT(player.scene.objectCount, 0);
    EXPECT_FALSE(player.scene.drawObjects[0].vertices.empty());
    EXPECT_GT(player.scene.drawObjects[0].subtreeCount, 0);
}

// A real exported scene that leaves the strict layout (colour vertex lists, flags without
// arguments) is still read whole, so it can be played.
TEST(StartUp, PlaysOtherExportersFiles) {
    Player player;
    Options options = demoOptions();
    options.scenePath = std::string(ASEPLAY_SOURCE_DIR) + "/tests/ase/data/Rifle2.ase";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    ASSERT_TRUE(loadScene(player.scene, options.scenePath, stdout));
    testing::internal::GetCapturedStderr();
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Read ASE Complete!!"),
              std::string::npos);
    ASSERT_GT(player.scene.objectCount, 0);
    std::size_t faces = 0;
    for (const GeomObject& object : player.scene.geomObjects) faces += object.faceCount;
    EXPECT_EQ(faces, 572u);  // what the file's face lists hold
}

TEST(FirstFrame, StaysWithinTheCycle) {
    EXPECT_EQ(firstFrameToPlay(0, 100), 0);
    EXPECT_EQ(firstFrameToPlay(100, 100), 100);
    EXPECT_EQ(firstFrameToPlay(101, 100), 0);
    EXPECT_EQ(firstFrameToPlay(-1, 100), 100);
    EXPECT_EQ(firstFrameToPlay(7, 0), 0);
}

TEST_F(PlayerRun, HeadlessRunWritesEveryFrameAndTheLastOne) {
    Options options = demoOptions();
    options.frames = 3;
    options.snapshotDir = (dir_ / "frames").string();
    options.snapshotPath = (dir_ / "last.png").string();
    testing::internal::CaptureStdout();
    EXPECT_EQ(runPlayer(options), 0);
    testing::internal::GetCapturedStdout();

    std::set<std::string> written;
    for (const auto& entry : fs::directory_iterator(dir_ / "frames"))
        written.insert(entry.path().filename().string());
    EXPECT_EQ(written,
              (std::set<std::string>{"frame-00000.png", "frame-00001.png", "frame-00002.png"}));

    const RgbImage last = readBack(dir_ / "last.png");
    ASSERT_EQ(last.width, 640);
    ASSERT_EQ(last.height, 480);
    EXPECT_EQ(last.rgb, readBack(dir_ / "frames" / "frame-00002.png").rgb);
    // The frame-rate text is part of the picture: its opaque white cell at (10, 10).
    const std::size_t corner = (10 * 640 + 10) * 3;
    EXPECT_EQ(last.rgb[corner], 255);
    EXPECT_EQ(last.rgb[corner + 1], 255);
    EXPECT_EQ(last.rgb[corner + 2], 255);
    std::set<std::uint32_t> colours;
    for (std::size_t i = 0; i < last.rgb.size(); i += 3)
        colours.insert(last.rgb[i] << 16 | last.rgb[i + 1] << 8 | last.rgb[i + 2]);
    EXPECT_GT(colours.size(), 50u);  // a scene, not a cleared screen
}

TEST_F(PlayerRun, StartFrameDecidesWhatIsDrawn) {
    Options options = demoOptions();
    options.frames = 1;
    options.snapshotPath = (dir_ / "a.png").string();
    options.frame = 0;
    testing::internal::CaptureStdout();
    ASSERT_EQ(runPlayer(options), 0);
    options.snapshotPath = (dir_ / "b.png").string();
    options.frame = 40;
    ASSERT_EQ(runPlayer(options), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_NE(readBack(dir_ / "a.png").rgb, readBack(dir_ / "b.png").rgb);
}

// A stop signal ends an endless headless run after the frame in progress; the snapshot of that
// frame is still written.
TEST_F(PlayerRun, StopRequestEndsAHeadlessRunCleanly) {
    Options options = demoOptions();
    options.snapshotPath = (dir_ / "stopped.png").string();
    setStopRequested(true);
    testing::internal::CaptureStdout();
    EXPECT_EQ(runPlayer(options), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(fs::exists(dir_ / "stopped.png"));
}

TEST_F(PlayerRun, UnwritableSnapshotIsAFailure) {
    Options options = demoOptions();
    options.frames = 1;
    options.snapshotPath = (dir_ / "no-such-dir" / "x.png").string();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(runPlayer(options), kRunFailed);
    testing::internal::GetCapturedStdout();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("x.png"), std::string::npos);
}

// No usable display: the display set-up fails with E_FAIL's low byte and says why, once.
TEST_F(PlayerRun, NoDisplayExitsWithFiveAndSuggestsHeadless) {
    Options options = demoOptions();
    options.headless = false;
    options.window = true;
    ::setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int code = runPlayer(options);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    ::unsetenv("SDL_VIDEODRIVER");
    EXPECT_EQ(code, kDisplaySetupFailed);
    EXPECT_EQ(code, static_cast<int>(static_cast<std::uint32_t>(E_FAIL) & 0xFF));
    EXPECT_NE(out.find("Read ASE Complete!!\n"), std::string::npos);  // read before the display
    EXPECT_NE(err.find("--headless"), std::string::npos);
    EXPECT_EQ(err.find('\n'), err.size() - 1);  // one line
}

TEST(SnapshotNames, AreNumberedWithFiveDigits) {
    EXPECT_EQ(FrameOutput::snapshotName("out", 0), "out/frame-00000.png");
    EXPECT_EQ(FrameOutput::snapshotName("out", 123456), "out/frame-123456.png");
}

}  // namespace
