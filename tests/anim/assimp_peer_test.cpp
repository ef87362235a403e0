// The exact animation model against a peer: assimp's importer reads the same files, and its node
// hierarchy with its animation channels, evaluated at the tracks' key times, must pose every mesh
// where ours does, within a thousandth of the scene's size. assimp keeps the keys' values but not
// their tangents, so the two agree only at key times (and on sampled tracks, between them too).
#include <assimp/cimport.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "anim/posing.h"
#include "ase/reader.h"
#include "prep/prepare.h"
#include "tools/scenegen/scene_writer.h"

namespace {

const std::string kRealScenes = ASEPLAY_SOURCE_DIR "/tests/ase/data/";

// A channel's value at `tick`: its key there, or between keys the straight or spherical blend;
// nullopt before its first key (the node is then at rest for that part).
template <class Key, class Value, class Blend>
std::optional<Value> channelAt(const Key* keys, unsigned count, double tick, Blend blend) {
    if (count == 0 || tick < keys[0].mTime) return std::nullopt;
    if (tick >= keys[count - 1].mTime) return keys[count - 1].mValue;
    unsigned k = 0;
    while (keys[k + 1].mTime <= tick) ++k;
    const double u = (tick - keys[k].mTime) / (keys[k + 1].mTime - keys[k].mTime);
    return blend(keys[k].mValue, keys[k + 1].mValue, static_cast<float>(u));
}

aiMatrix4x4 localAt(const aiNode* node, const aiNodeAnim* channel, double tick) {
    aiVector3D scaling, position;
    aiQuaternion rotation;
    node->mTransformation.Decompose(scaling, rotation, position);
    if (channel == nullptr) return node->mTransformation;
    const auto lerp = [](const aiVector3D& a, const aiVector3D& b, float u) {
        return a + (b - a) * u;
    };
    const auto arc = [](const aiQuaternion& a, const aiQuaternion& b, float u) {
        aiQuaternion out;
        aiQuaternion::Interpolate(out, a, b, u);
        return out;
    };
    position = channelAt<aiVectorKey, aiVector3D>(channel->mPositionKeys, channel->mNumPositionKeys,
                                                  tick, lerp)
                   .value_or(position);
    rotation = channelAt<aiQuatKey, aiQuaternion>(channel->mRotationKeys, channel->mNumRotationKeys,
                                                  tick, arc)
                   .value_or(rotation);
    scaling = channelAt<aiVectorKey, aiVector3D>(channel->mScalingKeys, channel->mNumScalingKeys,
                                                 tick, lerp)
                  .value_or(scaling);
    aiMatrix4x4 t, s;
    aiMatrix4x4::Translation(position, t);
    aiMatrix4x4::Scaling(scaling, s);
    return t * aiMatrix4x4(rotation.GetMatrix()) * s;
}

// assimp's posed vertices per node name, at `tick`.
struct PeerPose {
    const aiScene* scene;
    std::map<std::string, const aiNodeAnim*> channels;
    std::map<std::string, std::vector<aiVector3D>> vertices;

    void walk(const aiNode* node, const aiMatrix4x4& parent, double tick) {
        const auto found = channels.find(node->mName.C_Str());
        const aiMatrix4x4 world =
            parent * localAt(node, found == channels.end() ? nullptr : found->second, tick);
        for (unsigned m = 0; m < node->mNumMeshes; ++m) {
            const aiMesh* mesh = scene->mMeshes[node->mMeshes[m]];
            for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
                vertices[node->mName.C_Str()].push_back(world * mesh->mVertices[v]);
            }
        }
        for (unsigned c = 0; c < node->mNumChildren; ++c) walk(node->mChildren[c], world, tick);
    }

    // The root turns the exporter's Z-up world into assimp's Y-up one; ours stays Z-up.
    void pose(double tick) {
        vertices.clear();
        const aiNode* root = scene->mRootNode;
        for (unsigned c = 0; c < root->mNumChildren; ++c)
            walk(root->mChildren[c], aiMatrix4x4(), tick);
    }
};

double distance(const aiVector3D& p, const D3DVERTEX& v) {
    return std::hypot(double{p.x} - v.x, double{p.y} - v.y, double{p.z} - v.z);
}

double nearest(const aiVector3D& p, const std::vector<D3DVERTEX>& ours) {
    double best = INFINITY;
    for (const D3DVERTEX& v : ours) best = std::min(best, distance(p, v));
    return best;
}

double nearest(const D3DVERTEX& v, const std::vector<aiVector3D>& theirs) {
    double best = INFINITY;
    for (const aiVector3D& p : theirs) best = std::min(best, distance(p, v));
    return best;
}

std::string unquoted(std::string_view name) {
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    return std::string(name);
}

// Poses both at up to `samples` key times of the file's channels and returns the largest distance
// from a vertex of one to the nearest of the other, per mesh, relative to the scene's size.
double largestRelativeDifference(const std::string& path, int samples) {
    const aiScene* peer = aiImportFile(path.c_str(), 0);
    EXPECT_NE(peer, nullptr) << aiGetErrorString();
    if (peer == nullptr) return INFINITY;
    PeerPose pose{peer, {}, {}};
    std::set<double> keyTimes{0.0};
    for (unsigned a = 0; a < peer->mNumAnimations; ++a) {
        for (unsigned c = 0; c < peer->mAnimations[a]->mNumChannels; ++c) {
            const aiNodeAnim* channel = peer->mAnimations[a]->mChannels[c];
            pose.channels[channel->mNodeName.C_Str()] = channel;
            for (unsigned k = 0; k < channel->mNumPositionKeys; ++k)
                keyTimes.insert(channel->mPositionKeys[k].mTime);
            for (unsigned k = 0; k < channel->mNumRotationKeys; ++k)
                keyTimes.insert(channel->mRotationKeys[k].mTime);
        }
    }

    Scene scene;
    EXPECT_EQ(readScene(scene, path.c_str(), nullptr, ReadMode::tolerant), 0);
    prepareScene(scene);
    const Animation animation = prepareAnimation(scene, AnimationModel::exact);
    PoseWork work;

    double lo = INFINITY, hi = -INFINITY;
    for (const DrawObject& draw : scene.drawObjects) {
        for (const D3DVERTEX& v : draw.vertices) {
            lo = std::min(
                {lo, static_cast<double>(v.x), static_cast<double>(v.y), static_cast<double>(v.z)});
            hi = std::max(
                {hi, static_cast<double>(v.x), static_cast<double>(v.y), static_cast<double>(v.z)});
        }
    }
    const double size = std::max(1e-6, (hi - lo) * std::sqrt(3.0));

    const std::vector<double> times(keyTimes.begin(), keyTimes.end());
    const int ticksPerFrame = std::max<int>(1, scene.sceneInfo.ticksPerFrame);
    double worst = 0;
    for (int s = 0; s < samples; ++s) {
        const double tick =
            times[times.size() * static_cast<std::size_t>(s) / static_cast<std::size_t>(samples)];
        if (std::fmod(tick, ticksPerFrame) != 0) continue;  // we pose whole frames
        pose.pose(tick);
        poseFrame(scene, animation, static_cast<int>(tick / ticksPerFrame), work);
        for (std::size_t i = 0; i < scene.geomObjects.size(); ++i) {
            const auto& theirs = pose.vertices[unquoted(scene.geomObjects[i].name.view())];
            const auto& ours = work.workVertices[i];
            EXPECT_EQ(theirs.empty(), ours.empty()) << scene.geomObjects[i].name.view();
            if (theirs.empty() || ours.empty()) continue;
            for (const aiVector3D& p : theirs) worst = std::max(worst, nearest(p, ours) / size);
            for (const D3DVERTEX& v : ours) worst = std::max(worst, nearest(v, theirs) / size);
        }
    }
    aiReleaseImport(peer);
    return worst;
}

TEST(ExactAnimationAgainstAssimp, RealScenesAtTheirKeyTimes) {
    for (const char* file :
         {"MotionCaptureROM.ase", "anim2.ASE", "CameraRollAnimWithChildObject.ase",
          "TargetCameraAnim.ase", "Rifle2.ase"}) {
        EXPECT_LT(largestRelativeDifference(kRealScenes + file, 12), 1e-3) << file;
    }
}

// assimp does not read linear key tracks (*CONTROL_POS_LINEAR ...): they are left out here.
TEST(ExactAnimationAgainstAssimp, GeneratedHierarchiesAtTheirKeyTimes) {
    for (const TrackStyle style : {TrackStyle::Bezier, TrackStyle::Tcb, TrackStyle::Sampled}) {
        SceneGenOptions options;
        options.objects = 5;
        options.facesPerObject = 24;
        options.hierarchy = Hierarchy::Random;
        options.posTrack = style;
        options.rotTrack = style == TrackStyle::Bezier ? TrackStyle::Tcb : style;
        options.keys = 5;
        options.layout.helpers = 2;
        char path[] = "/tmp/aseplay-peer-XXXXXX";
        std::FILE* out = fdopen(mkstemp(path), "w");
        ASSERT_TRUE(writeScene(options, out));
        std::fclose(out);
        EXPECT_LT(largestRelativeDifference(path, 5), 1e-3) << static_cast<int>(style);
        std::remove(path);
    }
}

}  // namespace
