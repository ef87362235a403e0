// The fit and scene cameras: where the scene lands in the picture.
#include "view/viewer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "anim/node_pose.h"
#include "ase/reader.h"
#include "prep/prepare.h"
#include "tools/scenegen/scene_writer.h"

namespace {

struct Ndc {
    double x, y, z;
};

// A world point through the view and projection (row vectors), after the division by w.
Ndc project(const CameraView& view, double x, double y, double z) {
    const D3DMATRIX& v = view.view;
    const double vx = x * v._11 + y * v._21 + z * v._31 + v._41;
    const double vy = x * v._12 + y * v._22 + z * v._32 + v._42;
    const double vz = x * v._13 + y * v._23 + z * v._33 + v._43;
    const D3DMATRIX& p = view.projection;
    const double cx = vx * p._11 + vy * p._21 + vz * p._31 + p._41;
    const double cy = vx * p._12 + vy * p._22 + vz * p._32 + p._42;
    const double cz = vx * p._13 + vy * p._23 + vz * p._33 + p._43;
    const double cw = vx * p._14 + vy * p._24 + vz * p._34 + p._44;
    return {cx / cw, cy / cw, cz / cw};
}

Scene readQuietly(const std::string& path) {
    Scene scene;
    EXPECT_EQ(readScene(scene, path.c_str(), nullptr, ReadMode::tolerant), 0) << path;
    prepareScene(scene);
    return scene;
}

Scene generatedScene(const SceneGenOptions& options) {
    const std::string path = "/tmp/aseplay-view-" + std::to_string(::getpid()) + ".ase";
    std::FILE* out = std::fopen(path.c_str(), "w");
    EXPECT_TRUE(writeScene(options, out));
    std::fclose(out);
    Scene scene = readQuietly(path);
    std::remove(path.c_str());
    return scene;
}

TEST(FitCamera, EveryFrameOfTheAnimatedSceneStaysInsideTheFrame) {
    Scene scene = readQuietly(ASEPLAY_SOURCE_DIR "/tests/ase/data/MotionCaptureROM.ase");
    const Animation animation = prepareAnimation(scene, AnimationModel::exact);
    for (const auto& [width, height] :
         {std::pair{640, 480}, std::pair{1920, 1080}, std::pair{400, 900}}) {
        std::string note;
        Viewer viewer = Viewer::make(scene, animation, {CameraKind::fit, 0}, width, height, note);
        ASSERT_EQ(viewer.kind(), CameraKind::fit);
        const CameraView view = viewer.frameView(0);
        double widest = 0;
        PoseWork work;
        for (int frame = 0; frame <= scene.sceneInfo.lastFrame; frame += 23) {
            poseFrame(scene, animation, frame, work);
            for (const auto& vertices : work.workVertices) {
                for (const D3DVERTEX& v : vertices) {
                    const Ndc p = project(view, v.x, v.y, v.z);
                    ASSERT_LT(std::fabs(p.x), 1.0) << width << "x" << height << " frame " << frame;
                    ASSERT_LT(std::fabs(p.y), 1.0) << width << "x" << height << " frame " << frame;
                    ASSERT_GT(p.z, 0.0);
                    ASSERT_LT(p.z, 1.0);
                    widest = std::max({widest, std::fabs(p.x), std::fabs(p.y)});
                }
            }
        }
        EXPECT_GT(widest, 0.5);  // and it is not lost in the middle
    }
}

// A tall thin column along Z, as a standing figure is: upright in the picture, top above bottom.
TEST(FitCamera, AColumnAlongZStandsUpright) {
    SceneGenOptions options;
    options.objects = 1;
    options.facesPerObject = 96;
    Scene scene = generatedScene(options);
    for (D3DVERTEX& v : scene.drawObjects[0].vertices) v.z *= 10;  // stretch the ball into a column
    const Animation animation = prepareAnimation(scene, AnimationModel::table);
    std::string note;
    Viewer viewer = Viewer::make(scene, animation, {CameraKind::fit, 0}, 640, 480, note);
    const CameraView view = viewer.frameView(0);
    double lowX = 1, highX = -1, lowY = 1, highY = -1;
    Ndc top{0, -1, 0}, bottom{0, 1, 0};
    double topZ = -1e30, bottomZ = 1e30;
    for (const D3DVERTEX& v : scene.drawObjects[0].vertices) {
        const Ndc p = project(view, v.x, v.y, v.z);
        lowX = std::min(lowX, p.x), highX = std::max(highX, p.x);
        lowY = std::min(lowY, p.y), highY = std::max(highY, p.y);
        if (v.z > topZ) topZ = v.z, top = p;
        if (v.z < bottomZ) bottomZ = v.z, bottom = p;
    }
    EXPECT_GT((highY - lowY) * 480, 2.5 * (highX - lowX) * 640);  // tall in the picture
    EXPECT_GT(top.y, bottom.y + 1.0);                             // and the right way up
}

TEST(SceneCamera, TargetAtTheCentreAndTheFieldOfViewAcrossTheFrame) {
    SceneGenOptions options;
    options.objects = 2;
    options.cameras = 1;
    Scene scene = generatedScene(options);
    ASSERT_EQ(scene.cameras.size(), 1u);
    scene.cameras[0].fov = 1.2f;
    const Animation animation = prepareAnimation(scene, AnimationModel::exact);
    std::string note;
    Viewer viewer = Viewer::make(scene, animation, {CameraKind::scene, 0}, 800, 400, note);
    ASSERT_EQ(viewer.kind(), CameraKind::scene);
    EXPECT_EQ(note, "");
    const NodeTree tree = buildNodeTree(scene);
    std::vector<Affine> world;
    std::vector<char> atRest;
    for (int frame : {0, 37, 100}) {
        evaluateNodes(tree, tickOfFrame(tree, frame), world, atRest);
        const Affine& camera = world[static_cast<std::size_t>(tree.cameraNode[0])];
        const Vec3 eye = camera.translation;
        const Vec3 cameraUp{camera.linear.m[0][1], camera.linear.m[1][1], camera.linear.m[2][1]};
        const Vec3 target = world[static_cast<std::size_t>(tree.cameraTargetNode[0])].translation;
        const CameraView view = viewer.frameView(frame);
        const Ndc centre = project(view, target.x, target.y, target.z);
        EXPECT_NEAR(centre.x, 0, 1e-4) << frame;
        EXPECT_NEAR(centre.y, 0, 1e-4) << frame;
        // Half the horizontal field of view off the axis lies on the frame's side edge; the
        // vertical one follows from the 2:1 frame, whose pixels stay square.
        const CameraAxes axes = axesOf({eye, target - eye, cameraUp});  // the camera's own roll
        const double d = length(target - eye);
        const Vec3 side = target + (d * std::tan(0.6)) * axes.right;
        EXPECT_NEAR(std::fabs(project(view, side.x, side.y, side.z).x), 1.0, 1e-3) << frame;
        const Vec3 above = target + (d * std::tan(0.6) / 2) * axes.up;
        EXPECT_NEAR(std::fabs(project(view, above.x, above.y, above.z).y), 1.0, 1e-3) << frame;
    }
}

TEST(SceneCamera, AMissingCameraFallsBackToFitAndSaysSo) {
    Scene scene = readQuietly(ASEPLAY_SOURCE_DIR "/tests/ase/data/MotionCaptureROM.ase");
    std::string note;
    Viewer viewer = Viewer::make(scene, Animation{}, {CameraKind::scene, 0}, 640, 480, note);
    EXPECT_EQ(viewer.kind(), CameraKind::fit);
    EXPECT_EQ(note, "the scene has no camera: showing it with --camera fit");
    Scene withOne = readQuietly(ASEPLAY_SOURCE_DIR "/tests/ase/data/anim2.ASE");
    viewer = Viewer::make(withOne, Animation{}, {CameraKind::scene, 3}, 640, 480, note);
    EXPECT_EQ(viewer.kind(), CameraKind::fit);
    EXPECT_EQ(note,
              "the scene has no camera 3 (it has 1, counted from 0): showing it with --camera fit");
}

}  // namespace
