#include "anim/node_pose.h"

namespace {

bool started(const std::vector<std::int32_t>& times, double tick) {
    return !times.empty() && tick >= times.front();
}

}  // namespace

bool anyTrackStarted(const AnimatedNode& node, double tick) {
    return started(node.position.times, tick) || started(node.rotation.times, tick) ||
           started(node.scale.factors.times, tick);
}

Affine localTransformAt(const AnimatedNode& node, double tick) {
    Vec3 translation = node.restTranslation;
    Quat rotation = node.restRotation;
    Mat3 stretch = node.restStretch;
    if (started(node.position.times, tick)) translation = node.position.at(tick);
    if (started(node.rotation.times, tick)) rotation = node.rotation.at(tick);
    if (started(node.scale.factors.times, tick)) {
        const Mat3 axes = matrixOf(node.scale.axes.at(tick));
        stretch = axes * diagonal(node.mirror * node.scale.factors.at(tick)) * transposed(axes);
    }
    return {matrixOf(rotation) * stretch, translation};
}

void evaluateNodes(const NodeTree& tree, double tick, std::vector<Affine>& world,
                   std::vector<char>& atRest) {
    world.resize(tree.nodes.size());
    atRest.resize(tree.nodes.size());
    for (std::size_t n = 0; n < tree.nodes.size(); ++n) {
        const AnimatedNode& node = tree.nodes[n];
        const bool parentAtRest = node.parent < 0 || atRest[static_cast<std::size_t>(node.parent)];
        const bool started = node.hasTracks && anyTrackStarted(node, tick);
        atRest[n] = parentAtRest && !started;
        if (atRest[n]) {
            world[n] = node.restWorld;  // exactly the rows: no round trip through its parts
            continue;
        }
        const Affine local = started ? localTransformAt(node, tick) : node.restLocal;
        world[n] = node.parent >= 0 ? world[static_cast<std::size_t>(node.parent)] * local : local;
    }
}
