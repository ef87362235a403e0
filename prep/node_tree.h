// The scene's nodes for the exact animation model: every geometry object, helper, light and camera
// (and each light's or camera's target) with its node transform, linked to its parent by whole
// name whatever kind the parent is, with the curves of its tracks. Built once; evaluated per frame
// by anim/node_pose.
#pragma once

#include <vector>

#include "ase/records.h"
#include "prep/curves.h"
#include "prep/node_math.h"

enum class NodeKind : std::uint8_t { geometry, helper, light, camera };

struct AnimatedNode {
    AseText name;
    NodeKind kind = NodeKind::geometry;
    int object = 0;         // index in the scene's list of its kind
    bool isTarget = false;  // the second node transform of a light or camera
    int parent = -1;        // index in NodeTree::nodes, always lower than this node's own

    // The node transform's rows: the world transform at rest, which the mesh's vertices are in.
    Affine restWorld;
    Affine restWorldInverse;
    // The rest transform relative to the parent's, and its parts: translation * rotation * stretch.
    Affine restLocal;
    Vec3 restTranslation;
    Quat restRotation;
    Mat3 restStretch;
    double mirror = 1;  // -1 when the rest transform mirrors: a scale track keeps the mirror

    VectorCurve position;
    RotationCurve rotation;
    ScaleCurve scale;
    bool hasTracks = false;
};

struct NodeTree {
    std::vector<AnimatedNode> nodes;  // parents before their children
    std::vector<int> geometryNode;    // per geometry object
    std::vector<int> helperNode;
    std::vector<int> lightNode, lightTargetNode;  // -1 where there is none
    std::vector<int> cameraNode, cameraTargetNode;
    std::uint16_t ticksPerFrame = 0;
};

NodeTree buildNodeTree(const Scene& scene);

// The tick of a frame: frame x ticks per frame, not shifted by the scene's first frame.
inline double tickOfFrame(const NodeTree& tree, int frame) {
    return static_cast<double>(frame) * tree.ticksPerFrame;
}
