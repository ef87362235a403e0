#include "ase/scene_finish.h"

#include <algorithm>

namespace {

void fillDeviceMaterial(D3DMATERIAL& target, const AseMaterial& source) {
    target = D3DMATERIAL{};
    target.dwSize = sizeof(D3DMATERIAL);
    target.diffuse = {source.diffuse.x, source.diffuse.y, source.diffuse.z, 0.0f};
    target.specular = {source.specular.x, source.specular.y, source.specular.z, 0.0f};
    target.emissive = {kPlainEmissive, kPlainEmissive, kPlainEmissive, 0.0f};
    target.power = kSpecularPower;
}

}  // namespace

void finishScene(Scene& scene) {
    scene.objectCount = static_cast<std::int32_t>(scene.geomObjects.size());
    for (std::size_t i = 0; i < scene.geomObjects.size(); ++i) {
        scene.drawObjects[i].vertices.resize(3 * std::size_t{scene.geomObjects[i].faceCount});
    }
    // Materials pair with objects by position; extra materials have no object to go to.
    const std::size_t paired = std::min(scene.materials.size(), scene.drawObjects.size());
    for (std::size_t i = 0; i < paired; ++i) {
        fillDeviceMaterial(scene.drawObjects[i].material, scene.materials[i]);
    }
}
