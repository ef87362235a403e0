// Posing speed: a generated scene of about 100k vertices in a three-level hierarchy (one root, four
// children, sixteen grandchildren) whose objects carry every combination of track kinds.
#include <benchmark/benchmark.h>

#include <bit>
#include <cstdio>
#include <string>

#include "anim/posing.h"
#include "ase/reader.h"
#include "prep/prepare.h"

namespace {

constexpr int kFacesPerObject = 1588;  // 21 objects × 3 × 1588 ≈ 100k vertices
constexpr int kFrames = 100;
constexpr int kTicksPerFrame = 160;

void addMesh(GeomObject& object, float offset) {
    object.vertexCount = 3 * kFacesPerObject;
    object.faceCount = kFacesPerObject;
    for (int v = 0; v < object.vertexCount; ++v) {
        object.vertices.push_back(
            D3DVECTOR(offset + v % 17, static_cast<float>(v % 29), v * 0.01f));
    }
    for (int f = 0; f < kFacesPerObject; ++f) {
        const auto first = static_cast<std::uint16_t>(3 * f);
        object.faces.push_back(MeshFace{first, static_cast<std::uint16_t>(first + 1),
                                        static_cast<std::uint16_t>(first + 2), 1, 1, 1, 0});
        for (int k = 0; k < 3; ++k) object.vertexNormals.push_back(VertexNormal{0, 0, 0, 1});
    }
}

void addTableKeys(GeomObject& object, int kinds, float amount) {
    const int end = kFrames * kTicksPerFrame;
    if (kinds & kTrackPosition) {
        object.posKeys = {PosKey{0, {0, 0, 0}, 0}, PosKey{end, {amount, -amount, 2 * amount}, 0}};
    }
    if (kinds & kTrackRotation) {
        object.rotKeys = {RotKey{0, {0, 0, 1, 0}}, RotKey{end, {0.3f, 0.5f, 0.8f, amount * 0.1f}}};
    }
    if (kinds & kTrackScale) {
        object.scaleKeys = {ScaleKey{0, {1, 1, 1}, 0}, ScaleKey{end, {1.5f, 0.75f, 2.0f}, 0}};
    }
}

// Keys at the first and last frame for every track that `kinds` names, for both models: the key
// arrays the tables take and the node tracks the exact model evaluates (as a file read would).
void addKeys(GeomObject& object, int kinds, float amount) {
    addTableKeys(object, kinds, amount);
    object.tracks.posKeys = object.posKeys;
    object.tracks.rotKeys = object.rotKeys;
    object.tracks.scaleKeys = object.scaleKeys;
    object.tracks.posStyle = object.tracks.rotStyle = object.tracks.scaleStyle = KeyStyle::linear;
}

Scene generatedScene() {
    Scene scene;
    scene.sceneInfo.lastFrame = kFrames;
    scene.sceneInfo.ticksPerFrame = kTicksPerFrame;
    auto add = [&](const std::string& name, const std::string& parent, int kinds) {
        scene.geomObjects.emplace_back();
        scene.drawObjects.emplace_back();
        GeomObject& object = scene.geomObjects.back();
        object.name.assign(name);
        object.parentName.assign(parent);
        const int index = static_cast<int>(scene.geomObjects.size()) - 1;
        object.nodeTm.tmPos = D3DVECTOR(index * 3.0f, 0, 0);
        addMesh(object, index * 3.0f);
        addKeys(object, kinds, 1.0f + index);
    };
    add("\"Root\"", "*NONEPARENT", 7);
    int kinds = 0;
    for (int c = 0; c < 4; ++c) {
        const std::string child = "\"Child" + std::to_string(c) + "\"";
        add(child, "*NONEPARENT", 1);  // parent set below, after the root
        scene.geomObjects.back().parentName.assign("\"Root\"");
        scene.geomObjects.back().posKeys.clear();
        scene.geomObjects.back().tracks = NodeTracks{};
        addKeys(scene.geomObjects.back(), 1 + c % 7, 2.0f);
        for (int g = 0; g < 4; ++g) {
            add("\"Grand" + std::to_string(c) + "_" + std::to_string(g) + "\"", child, kinds);
            kinds = (kinds + 1) % 8;  // 0 … 7: every combination, and still objects
        }
    }
    scene.objectCount = static_cast<std::int32_t>(scene.geomObjects.size());
    prepareScene(scene);
    return scene;
}

// Vertex operations per frame: each step of an animated object over every vertex of its subtree.
long long vertexOperations(const Scene& scene) {
    long long operations = 0;
    for (const DrawObject& animated : scene.drawObjects) {
        const int steps = std::popcount(static_cast<unsigned>(animated.trackKinds & 7));
        for (std::uint16_t q : animated.subtree) {
            operations += steps * static_cast<long long>(scene.drawObjects[q].vertices.size());
        }
    }
    return operations;
}

void BM_PoseScene(benchmark::State& state) {
    Scene scene = generatedScene();
    PoseWork work;
    int frame = 0;
    for (auto _ : state) {
        poseScene(scene, frame, work);
        benchmark::DoNotOptimize(work.workVertices.data());
        frame = (frame + 1) % (kFrames + 1);
    }
    long long vertices = 0;
    for (const DrawObject& draw : scene.drawObjects) vertices += draw.vertices.size();
    state.SetItemsProcessed(state.iterations() * vertexOperations(scene));
    state.counters["vertices"] = static_cast<double>(vertices);
    state.counters["vertex_ops_per_frame"] = static_cast<double>(vertexOperations(scene));
}
BENCHMARK(BM_PoseScene)->Unit(benchmark::kMillisecond);

// The same scene by the exact model: every node evaluated, every moving vertex transformed.
void BM_PoseSceneExact(benchmark::State& state) {
    Scene scene = generatedScene();
    const Animation animation = prepareAnimation(scene, AnimationModel::exact);
    PoseWork work;
    int frame = 1;
    for (auto _ : state) {
        poseFrame(scene, animation, frame, work);
        benchmark::DoNotOptimize(work.workVertices.data());
        frame = frame % kFrames + 1;  // 1 … kFrames: every track has begun
    }
}
BENCHMARK(BM_PoseSceneExact)->Unit(benchmark::kMillisecond);

// A real motion-capture figure: 31 nodes in an 11-deep hierarchy, about 7,500 samples.
void BM_PoseMotionCaptureExact(benchmark::State& state) {
    Scene scene;
    const std::string path = ASEPLAY_SOURCE_DIR "/tests/ase/data/MotionCaptureROM.ase";
    if (readScene(scene, path.c_str(), nullptr, ReadMode::tolerant) != 0) {
        state.SkipWithError("cannot read the motion-capture scene");
    }
    prepareScene(scene);
    const Animation animation = prepareAnimation(scene, AnimationModel::exact);
    PoseWork work;
    int frame = 0;
    for (auto _ : state) {
        poseFrame(scene, animation, frame, work);
        benchmark::DoNotOptimize(work.workVertices.data());
        frame = (frame + 1) % (scene.sceneInfo.lastFrame + 1);
    }
    state.SetItemsProcessed(state.iterations());  // frames
}
BENCHMARK(BM_PoseMotionCaptureExact);

}  // namespace
