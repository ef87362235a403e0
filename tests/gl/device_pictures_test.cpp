// The OpenGL device against the software device, whole frames through the program's own frame
// driver: the demo, generated scenes (hierarchies, many small triangles, the framing camera that
// culls the other way and re-aims the light every frame), a scene of authored materials and the
// real scenes as --authored plays them, at several sizes.
// Pixels must agree within one 5-6-5 step on at least 99% of each frame, the pixels the scene
// covers must agree nearly as well (the backdrop alone could not pass), and both devices must
// cover the same pixels. Each frame's figures are printed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/gl/gl_device.h"
#include "platform/headless/headless_presenter.h"
#include "shell/player.h"
#include "tests/gl/test_context.h"
#include "tests/support/scratch_dir.h"
#include "tools/scenegen/scene_writer.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSource = ASEPLAY_SOURCE_DIR;
const fs::path kDemo = kSource / "assets" / "demo";

// What one frame leaves: the presented picture and the Z-buffer.
struct Seen {
    int width = 0, height = 0;
    std::vector<std::uint16_t> pixels, depth;
};

Options sceneOptions(const fs::path& scene, int width, int height) {
    Options options;
    options.scenePath = scene.string();
    options.backgroundPath = (kDemo / "12.pcx").string();
    options.texturePath = (kDemo / "0.spr").string();
    options.width = width;
    options.height = height;
    return options;
}

std::vector<std::uint16_t> lockedCopy(IDirectDrawSurface4* surface) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = kDDSurfaceDesc2Size;
    std::vector<std::uint16_t> copy;
    if (FAILED(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr))) return copy;
    const auto* p = static_cast<const std::uint16_t*>(desc.lpSurface);
    for (DWORD y = 0; y < desc.dwHeight; ++y)
        copy.insert(copy.end(), p + y * (desc.lPitch / 2),
                    p + y * (desc.lPitch / 2) + desc.dwWidth);
    surface->Unlock(nullptr);
    return copy;
}

// Plays the given frames of the scene on the software device, or with the OpenGL device offered
// as the hardware device (the set-up must then take it).
std::vector<Seen> play(const Options& options, const std::vector<int>& frames, bool hardware) {
    std::string why;
    GlDeviceMaker maker(gltest::testContext(why));
    HeadlessPresenter presenter;
    Player player;
    std::vector<Seen> seen;
    if (!loadScene(player.scene, options.scenePath, nullptr)) {
        ADD_FAILURE() << "cannot read " << options.scenePath;
        return seen;
    }
    const HRESULT started = startUp(player, nullptr,
                                    makeSoftwareDirectDrawCreate({sw::PixelLayout::k565, &presenter,
                                                                  1, hardware ? &maker : nullptr}),
                                    options);
    if (FAILED(started) || maker.devicesMade() != (hardware ? 1 : 0)) {
        ADD_FAILURE() << "set-up: " << maker.lastError();
        return seen;
    }
    const ScopedTimeSource still([] { return DWORD{0}; });  // the same frame-rate text on both
    FrameWorld world = player.world();
    for (int frame : frames) {
        player.frame.frameCounter = firstFrameToPlay(frame, player.scene.sceneInfo.lastFrame);
        renderFrame(world);
        Seen s{presenter.width(), presenter.height(), {}, lockedCopy(player.display.zBuffer)};
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x) s.pixels.push_back(presenter.pixel(x, y));
        seen.push_back(std::move(s));
    }
    return seen;
}

bool withinOneStep(std::uint16_t a, std::uint16_t b) {
    const auto near = [](int x, int y) { return x - y <= 1 && y - x <= 1; };
    return near(a >> 11, b >> 11) && near(a >> 5 & 63, b >> 5 & 63) && near(a & 31, b & 31);
}

struct Agreement {
    double exact = 0;     // share of pixels that are the same
    double all = 0;       // share of pixels within one step
    double covered = 0;   // the same among the pixels the software device drew the scene on
    double scene = 0;     // share of pixels the scene covers (depth written)
    double coverage = 0;  // share of pixels that both devices cover, or both leave
};

Agreement compare(const Seen& software, const Seen& hardware) {
    const std::size_t n = software.pixels.size();
    std::size_t exact = 0, agree = 0, covered = 0, coveredAgree = 0, sameCoverage = 0;
    for (std::size_t i = 0; i < n; ++i) {
        exact += software.pixels[i] == hardware.pixels[i];
        const bool ok = withinOneStep(software.pixels[i], hardware.pixels[i]);
        const bool drawn = software.depth[i] != 0xFFFF;
        agree += ok;
        covered += drawn;
        coveredAgree += drawn && ok;
        sameCoverage += drawn == (hardware.depth[i] != 0xFFFF);
    }
    const auto share = [](std::size_t part, std::size_t whole) {
        return whole > 0 ? static_cast<double>(part) / static_cast<double>(whole) : 0.0;
    };
    return {share(exact, n), share(agree, n), share(coveredAgree, covered), share(covered, n),
            share(sameCoverage, n)};
}

void expectAgreement(const std::string& name, const Options& options,
                     const std::vector<int>& frames) {
    const std::vector<Seen> software = play(options, frames, false);
    const std::vector<Seen> hardware = play(options, frames, true);
    ASSERT_EQ(software.size(), frames.size());
    ASSERT_EQ(hardware.size(), frames.size());
    for (std::size_t f = 0; f < frames.size(); ++f) {
        ASSERT_EQ(hardware[f].pixels.size(), software[f].pixels.size());
        ASSERT_EQ(hardware[f].depth.size(), software[f].depth.size());
        const Agreement a = compare(software[f], hardware[f]);
        std::printf(
            "%s %dx%d frame %d: %.3f%% of pixels within one step, %.3f%% the same; %.3f%% "
            "of the %.1f%% the scene covers within one step; coverage %.3f%% the same\n",
            name.c_str(), options.width, options.height, frames[f], 100 * a.all, 100 * a.exact,
            100 * a.covered, 100 * a.scene, 100 * a.coverage);
        EXPECT_GE(a.all, 0.99) << name << " frame " << frames[f];
        // Not in the bargain, but what the same arithmetic gives; a wrong dither would not pass.
        EXPECT_GE(a.exact, 0.95) << name << " frame " << frames[f];
        EXPECT_GE(a.scene, 0.005) << name << " frame " << frames[f] << ": the scene hardly shows";
        EXPECT_GE(a.covered, 0.97) << name << " frame " << frames[f];
        EXPECT_GE(a.coverage, 0.99) << name << " frame " << frames[f];
    }
}

class GeneratedScene : public ::testing::Test {
  protected:
    fs::path write(const SceneGenOptions& options) {
        const fs::path path = dir_ / ("scene" + std::to_string(++written_) + ".ase");
        std::FILE* file = std::fopen(path.string().c_str(), "wb");
        EXPECT_NE(file, nullptr);
        if (file == nullptr) return path;
        EXPECT_TRUE(writeScene(options, file));
        std::fclose(file);
        return path;
    }

    ScratchDir scratch_{"aseplay-gl"};
    const fs::path dir_ = scratch_.path();
    int written_ = 0;
};

TEST(DevicePictures, DemoAtTwoSizes) {
    expectAgreement("demo", sceneOptions(kDemo / "zz.ase", 640, 480), {0, 40, 125});
    expectAgreement("demo", sceneOptions(kDemo / "zz.ase", 1920, 1080), {70});
}

TEST_F(GeneratedScene, AnimatedHierarchyOfTexturedBalls) {
    SceneGenOptions balls;
    balls.objects = 8;
    balls.facesPerObject = 400;
    balls.hierarchy = Hierarchy::Star;
    balls.posTrack = TrackStyle::Bezier;
    balls.rotTrack = TrackStyle::Tcb;
    balls.scaleTrack = TrackStyle::Tcb;
    balls.materials = 8;
    balls.diffuseMap = "0.spr";
    balls.lights = 1;
    balls.lastFrame = 359;
    balls.seed = 7;
    expectAgreement("balls", sceneOptions(write(balls), 1280, 720), {0, 90, 200});
}

TEST_F(GeneratedScene, HundredThousandSmallTriangles) {
    SceneGenOptions grid;
    grid.objects = 4;
    grid.facesPerObject = 25000;
    grid.shape = Shape::Grid;
    grid.materials = 4;
    grid.diffuseMap = "0.spr";
    expectAgreement("grid", sceneOptions(write(grid), 640, 480), {0, 50});
}

// The framing camera culls the other way, sets view and projection and re-aims the light each
// frame.
TEST_F(GeneratedScene, FramingCamera) {
    SceneGenOptions balls;
    balls.objects = 5;
    balls.facesPerObject = 200;
    balls.hierarchy = Hierarchy::Chain;
    balls.posTrack = TrackStyle::Tcb;
    balls.rotTrack = TrackStyle::Tcb;
    balls.materials = 3;
    balls.diffuseMap = "0.spr";
    Options options = sceneOptions(write(balls), 800, 600);
    options.camera = {CameraKind::fit, 0};
    expectAgreement("fit", options, {0, 33, 66});
}

// As --authored plays them: exact animation, the scene's camera (else the framing one) and the
// scene's own materials, several draws per object with maps of their own sizes or none.
Options authored(const fs::path& scene, int width, int height) {
    Options options = sceneOptions(scene, width, height);
    options.animation = AnimationModel::exact;
    options.camera = {CameraKind::scene, 0};
    options.materials = MaterialChoice::authored;
    return options;
}

TEST(DevicePictures, AuthoredMaterialsWithMapsOfTheirOwn) {
    const fs::path scene = kSource / "tests" / "shell" / "data" / "authored" / "scene.ase";
    expectAgreement("authored", authored(scene, 640, 480), {0, 20});
}

class RealScene : public ::testing::TestWithParam<const char*> {};

TEST_P(RealScene, AsTheirAuthorsMadeThem) {
    const fs::path scene = kSource / "tests" / "ase" / "data" / GetParam();
    expectAgreement(GetParam(), authored(scene, 640, 480), {0, 60});
}

INSTANTIATE_TEST_SUITE_P(DevicePictures, RealScene,
                         ::testing::Values("CameraRollAnimWithChildObject.ase",
                                           "MotionCaptureROM.ase", "TargetCameraAnim.ase",
                                           "anim2.ASE", "Rifle2.ase"),
                         [](const auto& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

}  // namespace
