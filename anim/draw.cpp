#include "anim/draw.h"

#include <algorithm>
#include <cstddef>

#include "prep/prepare.h"

namespace {

// Three vertices per face, bounded by the working copy so that a hand-built scene whose face
// count and triangle list disagree cannot make the device read past the copy.
DWORD vertexCountToDraw(const GeomObject& object, const std::vector<D3DVERTEX>& posed) {
    const std::size_t wanted = 3 * static_cast<std::size_t>(object.faceCount);
    return static_cast<DWORD>(std::min(wanted, posed.size()));
}

}  // namespace

void drawPosedObjects(Scene& scene, PoseWork& work, const DrawTargets& targets) {
    if (targets.device == nullptr || targets.sceneMaterial == nullptr) return;
    const int count = std::min<int>(usableObjectCount(scene), work.workVertices.size());
    for (int i = 0; i < count; ++i) {
        std::vector<D3DVERTEX>& posed = work.workVertices[i];
        targets.sceneMaterial->SetMaterial(&scene.drawObjects[i].material);
        targets.device->SetTexture(0, targets.texture);
        targets.device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, posed.data(),
                                      vertexCountToDraw(scene.geomObjects[i], posed), 0);
    }
}

void animateAndDrawObjects(Scene& scene, const Animation& animation, int frameCounter,
                           PoseWork& work, const DrawTargets& targets) {
    poseFrame(scene, animation, frameCounter, work);
    drawPosedObjects(scene, work, targets);
}
