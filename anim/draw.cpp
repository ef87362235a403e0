#include "anim/draw.h"

#include <algorithm>
#include <cstddef>

namespace {

// One DrawPrimitive per run of faces that wear one look; runs are bounded by the posed copy.
void drawRuns(const std::vector<MaterialRun>& runs, std::vector<D3DVERTEX>& posed,
              const AuthoredDrawing& authored, const DrawTargets& targets) {
    for (const MaterialRun& run : runs) {
        if (run.firstVertex >= posed.size() || run.look >= authored.materials->looks.size())
            continue;
        const auto count = std::min<std::size_t>(run.vertexCount, posed.size() - run.firstVertex);
        D3DMATERIAL material = authored.materials->looks[run.look].material;
        targets.sceneMaterial->SetMaterial(&material);
        targets.device->SetTexture(
            0, run.look < authored.textures.size() ? authored.textures[run.look] : nullptr);
        targets.device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX,
                                      posed.data() + run.firstVertex, static_cast<DWORD>(count), 0);
    }
}

}  // namespace

void drawPosedObjects(Scene& scene, PoseWork& work, const DrawTargets& targets) {
    if (targets.device == nullptr || targets.sceneMaterial == nullptr) return;
    const int count =
        static_cast<int>(std::min(scene.drawObjects.size(), work.workVertices.size()));
    if (const AuthoredDrawing* authored = targets.authored;
        authored != nullptr && authored->materials != nullptr) {
        const int withRuns =
            std::min<int>(count, static_cast<int>(authored->materials->runs.size()));
        for (int i = 0; i < withRuns; ++i)
            drawRuns(authored->materials->runs[i], work.workVertices[i], *authored, targets);
        return;
    }
    for (int i = 0; i < count; ++i) {
        std::vector<D3DVERTEX>& posed = work.workVertices[i];
        targets.sceneMaterial->SetMaterial(&scene.drawObjects[i].material);
        targets.device->SetTexture(0, targets.texture);
        targets.device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, posed.data(),
                                      static_cast<DWORD>(posed.size()), 0);
    }
}

void animateAndDrawObjects(Scene& scene, const Animation& animation, int frameCounter,
                           PoseWork& work, const DrawTargets& targets) {
    poseFrame(scene, animation, frameCounter, work);
    drawPosedObjects(scene, work, targets);
}
