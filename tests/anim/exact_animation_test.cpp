// The exact animation model on real exported scenes and generated ones: what any correct model
// shows (cameras stay on their targets, rigid pieces stay rigid and joined, a motion-capture figure
// comes back to its rest pose), the rest pose where every track holds its rest value, and mesh
// animation frames.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "anim/posing.h"
#include "ase/reader.h"
#include "prep/prepare.h"
#include "tools/scenegen/scene_writer.h"

namespace {

const std::string kRealScenes = ASEPLAY_SOURCE_DIR "/tests/ase/data/";

struct Played {
    Scene scene;
    Animation animation;
    PoseWork work;

    void pose(int frame) { poseFrame(scene, animation, frame, work); }
    Vec3 nodePosition(int node) const {
        return work.nodeWorld[static_cast<std::size_t>(node)].translation;
    }
};

std::unique_ptr<Played> play(const std::string& path) {
    auto played = std::make_unique<Played>();
    EXPECT_EQ(readScene(played->scene, path.c_str(), nullptr, ReadMode::tolerant), 0) << path;
    prepareScene(played->scene);
    played->animation = prepareAnimation(played->scene, AnimationModel::exact);
    return played;
}

std::string generatedFile(const SceneGenOptions& options) {
    char path[] = "/tmp/aseplay-exact-XXXXXX";
    const int fd = mkstemp(path);
    std::FILE* out = fdopen(fd, "w");
    EXPECT_TRUE(writeScene(options, out));
    std::fclose(out);
    return path;
}

double distance(const D3DVERTEX& a, const D3DVERTEX& b) {
    return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z);
}

// Over the frames given, every object's vertices keep their distances to its first vertex, and
// every node that has no position track of its own keeps its distance to its parent, within
// `tolerance` of each distance: node transforms written with four decimals are orthonormal only to
// about 1e-4, and a child turning inside its parent's rest frame shows that much.
void expectRigidAndJoined(Played& played, const std::vector<int>& frames, double tolerance) {
    played.pose(frames.front());
    const auto restVertices = played.work.workVertices;
    const NodeTree& tree = played.animation.nodes;
    std::vector<double> restLinks;
    for (const AnimatedNode& node : tree.nodes) {
        const int parent = node.parent;
        restLinks.push_back(parent < 0 ? 0.0
                                       : length(played.nodePosition(&node - tree.nodes.data()) -
                                                played.nodePosition(parent)));
    }
    for (int frame : frames) {
        played.pose(frame);
        for (std::size_t i = 0; i < restVertices.size(); ++i) {
            const auto& rest = restVertices[i];
            const auto& posed = played.work.workVertices[i];
            for (std::size_t v = 1; v < rest.size(); v += 7) {
                const double d = distance(rest[v], rest[0]);
                ASSERT_NEAR(distance(posed[v], posed[0]), d, tolerance * (1 + d))
                    << "object " << i << " frame " << frame;
            }
        }
        for (std::size_t n = 0; n < tree.nodes.size(); ++n) {
            const int parent = tree.nodes[n].parent;
            if (parent < 0 || !tree.nodes[n].position.empty()) continue;
            ASSERT_NEAR(
                length(played.nodePosition(static_cast<int>(n)) - played.nodePosition(parent)),
                restLinks[n], tolerance * (1 + restLinks[n]))
                << "node " << tree.nodes[n].name.view() << " frame " << frame;
        }
    }
}

TEST(ExactAnimation, TargetCamerasLookAtTheirTargetsAtEveryFrame) {
    for (const char* file :
         {"TargetCameraAnim.ase", "anim2.ASE", "CameraRollAnimWithChildObject.ase"}) {
        auto played = play(kRealScenes + file);
        const NodeTree& tree = played->animation.nodes;
        ASSERT_GE(tree.cameraTargetNode.at(0), 0) << file;
        double worst = 0;
        for (int frame = 0; frame <= played->scene.sceneInfo.lastFrame; ++frame) {
            played->pose(frame);
            const Affine& camera =
                played->work.nodeWorld[static_cast<std::size_t>(tree.cameraNode[0])];
            const Vec3 toTarget =
                played->nodePosition(tree.cameraTargetNode[0]) - camera.translation;
            const Vec3 viewAxis{-camera.linear.m[0][2], -camera.linear.m[1][2],
                                -camera.linear.m[2][2]};
            const double cosine = dot(viewAxis, toTarget) / (length(viewAxis) * length(toTarget));
            worst = std::max(worst, std::acos(std::min(1.0, cosine)) * 180 / M_PI);
        }
        EXPECT_LT(worst, 0.5) << file;  // the file's four decimals allow about a tenth of a degree
    }
}

TEST(ExactAnimation, MotionCaptureFigureStaysWholeMovesAndComesBackToItsRestPose) {
    auto played = play(kRealScenes + "MotionCaptureROM.ase");
    const int last = played->scene.sceneInfo.lastFrame;
    std::vector<int> frames;
    for (int frame = 0; frame <= last; frame += 97) frames.push_back(frame);
    frames.push_back(last);
    expectRigidAndJoined(*played, frames, 5e-4);

    // Relative to the root, where each node stands at a frame.
    const auto shape = [&](int frame) {
        played->pose(frame);
        std::vector<Vec3> relative;
        for (std::size_t n = 0; n < played->animation.nodes.nodes.size(); ++n) {
            relative.push_back(played->nodePosition(static_cast<int>(n)) - played->nodePosition(0));
        }
        return relative;
    };
    const auto largestChange = [](const std::vector<Vec3>& a, const std::vector<Vec3>& b) {
        double largest = 0;
        for (std::size_t n = 0; n < a.size(); ++n) largest = std::max(largest, length(a[n] - b[n]));
        return largest;
    };
    const auto rest = shape(0);
    EXPECT_GT(largestChange(rest, shape(700)), 30.0);  // the limbs swing far
    EXPECT_LT(largestChange(rest, shape(last)), 3.0);  // and end where they began
}

TEST(ExactAnimation, GeneratedHierarchiesStayRigidAndJoined) {
    for (const Hierarchy hierarchy : {Hierarchy::Chain, Hierarchy::Random}) {
        for (const TrackStyle style : {TrackStyle::Bezier, TrackStyle::Tcb, TrackStyle::Sampled}) {
            SceneGenOptions options;
            options.objects = 6;
            options.facesPerObject = 48;
            options.hierarchy = hierarchy;
            options.posTrack = style;
            options.rotTrack = style == TrackStyle::Bezier ? TrackStyle::Tcb : style;
            options.keys = 6;
            options.layout.helpers = 2;
            const std::string path = generatedFile(options);
            auto played = play(path);
            std::remove(path.c_str());
            expectRigidAndJoined(*played, {0, 7, 33, 50, 81, 100, 140}, 2e-5);
        }
    }
}

// A parent turns and comes back, its child moves out and comes back: where both tracks are back at
// their rest values the rest pose returns, and before any track starts it is the file's own.
TEST(ExactAnimation, RestPoseWhereEveryTrackHoldsItsRestValue) {
    auto played = play(kRealScenes + "../../anim/data/chain.ase");
    Scene& scene = played->scene;
    ASSERT_GE(scene.geomObjects.size(), 2u);
    GeomObject& parent = scene.geomObjects[0];
    GeomObject& child = scene.geomObjects[1];
    const D3DVECTOR childAt = child.nodeTm.row3;
    const D3DVECTOR parentAt = parent.nodeTm.row3;
    parent.tracks = NodeTracks{};
    child.tracks = NodeTracks{};
    const auto sample = [](std::int32_t time, std::initializer_list<float> values) {
        SampleKey s{};
        s.time = time;
        std::copy(values.begin(), values.end(), s.values);
        return s;
    };
    // Rest rotation (identity in this file), a turn, and the turn undone.
    parent.tracks.rotSamples = {sample(1600, {0, 0, 1, 0}), sample(3200, {0.6f, 0, 0.8f, 0.9f}),
                                sample(4800, {0.6f, 0, 0.8f, -0.9f})};
    const D3DVECTOR local{childAt.x - parentAt.x, childAt.y - parentAt.y, childAt.z - parentAt.z};
    child.tracks.posSamples = {sample(1600, {local.x, local.y, local.z}),
                               sample(3200, {local.x + 5, local.y, local.z - 2}),
                               sample(4800, {local.x, local.y, local.z})};
    scene.sceneInfo.ticksPerFrame = 160;
    played->animation = prepareAnimation(scene, AnimationModel::exact);

    played->pose(3);  // before the first sample: the rest pose exactly
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(
            std::memcmp(played->work.workVertices[i].data(), scene.drawObjects[i].vertices.data(),
                        scene.drawObjects[i].vertices.size() * sizeof(D3DVERTEX)),
            0);
    }
    played->pose(20);
    bool moved = false;
    for (std::size_t i = 0; i < 2; ++i) {
        for (std::size_t v = 0; v < scene.drawObjects[i].vertices.size(); ++v) {
            moved = moved || distance(played->work.workVertices[i][v],
                                      scene.drawObjects[i].vertices[v]) > 0.5;
        }
    }
    EXPECT_TRUE(moved);
    for (int frame : {30, 31, 90}) {  // back at rest, and held after the last sample
        played->pose(frame);
        for (std::size_t i = 0; i < 2; ++i) {
            for (std::size_t v = 0; v < scene.drawObjects[i].vertices.size(); ++v) {
                EXPECT_LT(
                    distance(played->work.workVertices[i][v], scene.drawObjects[i].vertices[v]),
                    1e-4)
                    << "frame " << frame;
            }
        }
    }
}

TEST(ExactAnimation, MeshAnimationFramesReplaceAndBlendTheVertices) {
    SceneGenOptions options;
    options.objects = 1;
    options.facesPerObject = 24;
    options.meshFrames = 4;
    const std::string path = generatedFile(options);
    auto played = play(path);
    std::remove(path.c_str());
    const GeomObject& object = played->scene.geomObjects[0];
    ASSERT_EQ(object.meshFrames.size(), 4u);
    const MeshFrame& first = object.meshFrames[1];
    const MeshFrame& second = object.meshFrames[2];
    const int firstFrame = first.time / 160;
    const int secondFrame = second.time / 160;
    const std::size_t corner = 3 * 5 + 1;  // face 5, corner b
    const std::uint16_t vertex = object.faces[5].b;

    played->pose(firstFrame);
    EXPECT_FLOAT_EQ(played->work.workVertices[0][corner].x, first.vertices[vertex].x);
    played->pose((firstFrame + secondFrame) / 2);
    const double w =
        ((firstFrame + secondFrame) / 2 * 160.0 - first.time) / (second.time - first.time);
    EXPECT_NEAR(
        played->work.workVertices[0][corner].y,
        first.vertices[vertex].y + w * (second.vertices[vertex].y - first.vertices[vertex].y),
        1e-4);
}

}  // namespace
