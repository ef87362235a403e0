#include "anim/posing.h"

#include <algorithm>
#include <cstddef>

#include "anim/exact_posing.h"
#include "anim/transforms.h"

namespace {

struct Steps {
    bool translate = false;
    bool rotate = false;
    bool scale = false;
};

// Kinds outside 1 … 7 choose nothing; inside, the bits name translation, rotation and scaling.
Steps stepsFor(std::int8_t kinds) {
    Steps steps;
    if (kinds < 1 || kinds > 7) return steps;
    steps.translate = (kinds & kTrackPosition) != 0;
    steps.rotate = (kinds & kTrackRotation) != 0;
    steps.scale = (kinds & kTrackScale) != 0;
    return steps;
}

// The entry of a table for the frame, bounded to the table; null for an empty table.
template <typename T>
const T* entryFor(const std::vector<T>& table, int frame) {
    if (table.empty()) return nullptr;
    const std::size_t last = table.size() - 1;
    const std::size_t index = frame < 0 ? 0 : std::min(static_cast<std::size_t>(frame), last);
    return &table[index];
}

void resetPivots(Scene& scene, int count) {
    for (int i = 0; i < count; ++i) scene.drawObjects[i].pivot = scene.drawObjects[i].basePivot;
}

// Every object's working copy starts at its rest pose; a copy still at rest is kept for an
// object the frame does not move.
void copyRestPoses(const Scene& scene, int count, PoseWork& work) {
    work.workVertices.resize(count);
    work.restCopied.resize(static_cast<std::size_t>(count), nullptr);
    for (int i = 0; i < count; ++i) {
        const auto& rest = scene.drawObjects[i].vertices;
        std::vector<D3DVERTEX>& copy = work.workVertices[i];
        const bool moves = work.movesNow[i] != 0;
        if (!moves && work.restCopied[i] == rest.data() && copy.size() == rest.size() &&
            !rest.empty())
            continue;
        copy.assign(rest.begin(), rest.end());
        work.restCopied[i] = moves ? nullptr : rest.data();
    }
}

// The frame's values of one animated object, looked up once for its whole subtree.
struct FrameMotion {
    const D3DVECTOR* offset = nullptr;
    bool rotate = false;
    RotationSteps rotation{};
    const D3DVECTOR* factors = nullptr;
};

FrameMotion motionFor(const DrawObject& object, int frame) {
    const Steps steps = stepsFor(object.trackKinds);
    FrameMotion motion;
    if (steps.translate) motion.offset = entryFor(object.posFrames, frame);
    if (steps.rotate) {
        if (const RotFrame* r = entryFor(object.rotFrames, frame)) {
            motion.rotate = true;
            motion.rotation = prepareRotation(r->x, r->y, r->z);
        }
    }
    if (steps.scale) motion.factors = entryFor(object.scaleFrames, frame);
    return motion;
}

bool moves(const FrameMotion& motion) {
    return motion.offset != nullptr || motion.rotate || motion.factors != nullptr;
}

// One subtree entry: each step does the vertices first, then the pivot. The centre is the animated
// object's pivot as it stands at that moment (its own translation has already moved it).
void moveObject(std::vector<D3DVERTEX>& vertices, D3DVECTOR& pivot, const D3DVECTOR& animatedPivot,
                const FrameMotion& motion) {
    if (const D3DVECTOR* t = motion.offset) {
        for (D3DVERTEX& v : vertices) v = translateVertex(v, t->x, t->y, t->z);
        translatePoint(pivot, t->x, t->y, t->z);
    }
    if (motion.rotate) {
        const D3DVECTOR centre = animatedPivot;
        for (D3DVERTEX& v : vertices) v = rotateVertex(v, centre, motion.rotation);
        rotatePoint(pivot, animatedPivot, motion.rotation);
    }
    if (const D3DVECTOR* s = motion.factors) {
        const D3DVECTOR centre = animatedPivot;
        for (D3DVERTEX& v : vertices) v = scaleVertex(v, centre, s->x, s->y, s->z);
        scalePoint(pivot, animatedPivot, s->x, s->y, s->z);
    }
}

// Which objects some animated object's steps move this frame.
void markMoved(const Scene& scene, int frame, PoseWork& work) {
    const std::size_t count = scene.drawObjects.size();
    work.movesNow.assign(count, 0);
    for (const DrawObject& animated : scene.drawObjects) {
        if (!moves(motionFor(animated, frame))) continue;
        for (const int q : animated.subtree)
            if (q >= 0 && static_cast<std::size_t>(q) < count) work.movesNow[q] = 1;
    }
}

void animate(Scene& scene, int count, int frame, PoseWork& work) {
    for (int p = 0; p < count; ++p) {
        DrawObject& animated = scene.drawObjects[p];
        const FrameMotion motion = motionFor(animated, frame);
        if (!moves(motion)) continue;
        for (const int q : animated.subtree) {
            if (q >= count) continue;
            moveObject(work.workVertices[q], scene.drawObjects[q].pivot, animated.pivot, motion);
        }
    }
}

}  // namespace

void poseScene(Scene& scene, int frameCounter, PoseWork& work) {
    const int count = static_cast<int>(scene.drawObjects.size());
    resetPivots(scene, count);
    markMoved(scene, frameCounter, work);
    copyRestPoses(scene, count, work);
    animate(scene, count, frameCounter, work);
}

void releasePoseWork(PoseWork& work) {
    work.workVertices.clear();
    work.workVertices.shrink_to_fit();
    work.restCopied.clear();
}

Animation prepareAnimation(const Scene& scene, AnimationModel model) {
    Animation animation;
    animation.model = model;
    if (model == AnimationModel::exact) animation.nodes = buildNodeTree(scene);
    return animation;
}

void poseFrame(Scene& scene, const Animation& animation, int frame, PoseWork& work) {
    if (animation.model == AnimationModel::exact) {
        poseSceneExact(scene, animation.nodes, frame, work);
    } else {
        poseScene(scene, frame, work);
    }
}
