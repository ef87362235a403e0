#include "prep/node_tree.h"

#include <string_view>
#include <unordered_map>

namespace {

constexpr std::string_view kNoParent = "*NONEPARENT";

// The node transform's rows are the images of the axes and the position (row vectors); as a
// column-vector transform they are its columns.
Affine affineOf(const NodeTransform& tm) {
    const D3DVECTOR axes[3] = {tm.row0, tm.row1, tm.row2};
    Affine a;
    for (int c = 0; c < 3; ++c) {
        a.linear.m[0][c] = axes[c].x;
        a.linear.m[1][c] = axes[c].y;
        a.linear.m[2][c] = axes[c].z;
    }
    a.translation = {tm.row3.x, tm.row3.y, tm.row3.z};
    return a;
}

// A node as collected, before it is linked and ordered.
struct Collected {
    AnimatedNode node;
    std::string_view parentName;  // empty: none
    const NodeTransform* tm = nullptr;
    const NodeTracks* tracks = nullptr;
};

// A light's or camera's animation blocks go to the node transform of the same name; a block named
// after none goes to the node transform in its own position, when that one has no block yet.
std::vector<const NodeTracks*> tracksPerTransform(const std::vector<NodeTransform>& tms,
                                                  const std::vector<NodeTracks>& blocks) {
    std::vector<const NodeTracks*> matched(tms.size(), nullptr);
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        std::size_t target = tms.size();
        for (std::size_t t = 0; t < tms.size(); ++t) {
            if (tms[t].name == blocks[b].nodeName) {
                target = t;
                break;
            }
        }
        if (target == tms.size() && b < tms.size() && matched[b] == nullptr) target = b;
        if (target < tms.size()) matched[target] = &blocks[b];
    }
    return matched;
}

template <class Object>
void collectWithTargets(std::vector<Collected>& out, const std::vector<Object>& objects,
                        NodeKind kind) {
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const Object& object = objects[i];
        const auto tracks = tracksPerTransform(object.nodeTms, object.tracks);
        for (std::size_t t = 0; t < object.nodeTms.size(); ++t) {
            Collected c;
            c.node.name = t == 0 ? object.name : object.nodeTms[t].name;
            c.node.kind = kind;
            c.node.object = static_cast<int>(i);
            c.node.isTarget = t > 0;
            c.parentName = t == 0 ? object.parentName.view() : std::string_view{};
            c.tm = &object.nodeTms[t];
            c.tracks = tracks[t];
            out.push_back(c);
        }
    }
}

std::vector<Collected> collectNodes(const Scene& scene) {
    std::vector<Collected> out;
    const int objects = static_cast<int>(scene.geomObjects.size());
    for (int i = 0; i < objects; ++i) {
        const GeomObject& object = scene.geomObjects[static_cast<std::size_t>(i)];
        Collected c;
        c.node.name = object.name;
        c.node.kind = NodeKind::geometry;
        c.node.object = i;
        c.parentName = object.parentName.view();
        c.tm = &object.nodeTm;
        c.tracks = &object.tracks;
        out.push_back(c);
    }
    for (std::size_t i = 0; i < scene.helpers.size(); ++i) {
        const HelperObject& helper = scene.helpers[i];
        Collected c;
        c.node.name = helper.name;
        c.node.kind = NodeKind::helper;
        c.node.object = static_cast<int>(i);
        c.parentName = helper.parentName.view();
        c.tm = &helper.nodeTm;
        c.tracks = &helper.tracks;
        out.push_back(c);
    }
    collectWithTargets(out, scene.lights, NodeKind::light);
    collectWithTargets(out, scene.cameras, NodeKind::camera);
    return out;
}

// Each node's parent by name: the first node of that name, in the order collected (geometry
// objects first). A missing parent, or one that names the node itself, makes a root.
std::vector<int> linkParents(const std::vector<Collected>& nodes) {
    std::unordered_map<std::string_view, int> byName;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        byName.emplace(nodes[i].node.name.view(), static_cast<int>(i));
    }
    std::vector<int> parents(nodes.size(), -1);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const std::string_view name = nodes[i].parentName;
        if (name.empty() || name == kNoParent) continue;
        const auto found = byName.find(name);
        if (found != byName.end() && found->second != static_cast<int>(i)) {
            parents[i] = found->second;
        }
    }
    return parents;
}

// Parents before children. A chain of parents that comes back on itself is cut where it closes.
std::vector<int> evaluationOrder(std::vector<int>& parents) {
    enum : char { kUnseen, kOnChain, kPlaced };
    std::vector<char> state(parents.size(), kUnseen);
    std::vector<int> order;
    std::vector<int> chain;
    for (std::size_t start = 0; start < parents.size(); ++start) {
        chain.clear();
        int j = static_cast<int>(start);
        while (j >= 0 && state[static_cast<std::size_t>(j)] == kUnseen) {
            state[static_cast<std::size_t>(j)] = kOnChain;
            chain.push_back(j);
            j = parents[static_cast<std::size_t>(j)];
        }
        if (j >= 0 && state[static_cast<std::size_t>(j)] == kOnChain) {
            parents[static_cast<std::size_t>(chain.back())] = -1;
        }
        for (auto k = chain.rbegin(); k != chain.rend(); ++k) {
            state[static_cast<std::size_t>(*k)] = kPlaced;
            order.push_back(*k);
        }
    }
    return order;
}

void prepareNode(AnimatedNode& node, const NodeTransform& tm, const NodeTracks* tracks,
                 const AnimatedNode* parent) {
    node.restWorld = affineOf(tm);
    node.restWorldInverse = inverse(node.restWorld);
    node.restLocal = parent != nullptr ? parent->restWorldInverse * node.restWorld : node.restWorld;
    const PolarParts parts = polarDecomposition(node.restLocal.linear);
    node.restTranslation = node.restLocal.translation;
    node.restRotation = parts.rotation;
    node.restStretch = parts.stretch;
    node.mirror = determinant(node.restLocal.linear) < 0 ? -1.0 : 1.0;
    if (tracks != nullptr) {
        node.position = positionCurve(*tracks);
        node.rotation = rotationCurve(*tracks);
        node.scale = scaleCurve(*tracks);
    }
    node.hasTracks = !node.position.empty() || !node.rotation.empty() || !node.scale.empty();
}

void indexByKind(NodeTree& tree, const Scene& scene) {
    tree.geometryNode.assign(scene.geomObjects.size(), -1);
    tree.helperNode.assign(scene.helpers.size(), -1);
    tree.lightNode.assign(scene.lights.size(), -1);
    tree.lightTargetNode.assign(scene.lights.size(), -1);
    tree.cameraNode.assign(scene.cameras.size(), -1);
    tree.cameraTargetNode.assign(scene.cameras.size(), -1);
    for (std::size_t n = 0; n < tree.nodes.size(); ++n) {
        const AnimatedNode& node = tree.nodes[n];
        const auto object = static_cast<std::size_t>(node.object);
        const int index = static_cast<int>(n);
        switch (node.kind) {
            case NodeKind::geometry:
                tree.geometryNode[object] = index;
                break;
            case NodeKind::helper:
                tree.helperNode[object] = index;
                break;
            case NodeKind::light:
                // Only the first target counts; further node transforms are kept as nodes only.
                if (!node.isTarget)
                    tree.lightNode[object] = index;
                else if (tree.lightTargetNode[object] < 0)
                    tree.lightTargetNode[object] = index;
                break;
            case NodeKind::camera:
                if (!node.isTarget)
                    tree.cameraNode[object] = index;
                else if (tree.cameraTargetNode[object] < 0)
                    tree.cameraTargetNode[object] = index;
                break;
        }
    }
}

}  // namespace

NodeTree buildNodeTree(const Scene& scene) {
    std::vector<Collected> collected = collectNodes(scene);
    std::vector<int> parents = linkParents(collected);
    const std::vector<int> order = evaluationOrder(parents);
    std::vector<int> position(collected.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        position[static_cast<std::size_t>(order[i])] = static_cast<int>(i);

    NodeTree tree;
    tree.ticksPerFrame = scene.sceneInfo.ticksPerFrame;
    tree.nodes.reserve(order.size());
    for (const int original : order) {
        Collected& c = collected[static_cast<std::size_t>(original)];
        const int parent = parents[static_cast<std::size_t>(original)];
        AnimatedNode& node = tree.nodes.emplace_back(std::move(c.node));
        node.parent = parent >= 0 ? position[static_cast<std::size_t>(parent)] : -1;
        const AnimatedNode* parentNode =
            node.parent >= 0 ? &tree.nodes[static_cast<std::size_t>(node.parent)] : nullptr;
        prepareNode(node, *c.tm, c.tracks, parentNode);
    }
    indexByKind(tree, scene);
    return tree;
}
