#include "view/bounds.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

std::vector<int> framesToPose(int lastFrame, int maxFrames) {
    std::vector<int> frames;
    const int count = std::max(1, std::min(lastFrame + 1, maxFrames));
    for (int i = 0; i < count; ++i) {
        frames.push_back(
            count == 1 ? 0 : static_cast<int>(static_cast<long long>(lastFrame) * i / (count - 1)));
    }
    return frames;
}

template <class Visit>
void forEachPosedVertex(Scene& scene, const Animation& animation, const std::vector<int>& frames,
                        Visit visit) {
    PoseWork work;
    for (const int frame : frames) {
        poseFrame(scene, animation, frame, work);
        for (const auto& vertices : work.workVertices) {
            for (const D3DVERTEX& v : vertices) {
                if (std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z)) visit(v);
            }
        }
    }
}

}  // namespace

SceneBounds posedSceneBounds(Scene& scene, const Animation& animation, int maxFrames) {
    const std::vector<int> frames = framesToPose(scene.sceneInfo.lastFrame, maxFrames);
    Vec3 low{INFINITY, INFINITY, INFINITY};
    Vec3 high{-INFINITY, -INFINITY, -INFINITY};
    forEachPosedVertex(scene, animation, frames, [&](const D3DVERTEX& v) {
        low = {std::min<double>(low.x, v.x), std::min<double>(low.y, v.y),
               std::min<double>(low.z, v.z)};
        high = {std::max<double>(high.x, v.x), std::max<double>(high.y, v.y),
                std::max<double>(high.z, v.z)};
    });
    SceneBounds bounds;
    if (!(low.x <= high.x)) return bounds;
    bounds.empty = false;
    bounds.centre = 0.5 * (low + high);
    double farthest = 0;
    forEachPosedVertex(scene, animation, frames, [&](const D3DVERTEX& v) {
        farthest = std::max(farthest, dot(Vec3{v.x, v.y, v.z} - bounds.centre,
                                          Vec3{v.x, v.y, v.z} - bounds.centre));
    });
    bounds.radius = std::sqrt(farthest);
    return bounds;
}
