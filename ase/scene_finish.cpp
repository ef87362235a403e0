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

void fitMeshCounts(GeomObject& object, DrawObject& draw) {
    fitCount(object.vertexCount, object.vertices);
    fitCount(object.faceCount, object.faces);
    fitCount(object.texVertexCount, object.texVertices);
    fitCount(object.texFaceCount, object.texFaces);
    object.faceNormals.resize(object.faces.size());
    object.vertexNormals.resize(3 * object.faces.size());
    for (MeshFrame& frame : object.meshFrames) {
        fitCount(frame.vertexCount, frame.vertices);
        fitCount(frame.faceCount, frame.faces);
    }
    fitCount(draw.meshFrameCount, object.meshFrames);
}

}  // namespace

void fitCountsToRecords(Scene& scene) {
    const std::size_t objects = std::min(scene.geomObjects.size(), scene.drawObjects.size());
    const auto counted =
        std::clamp<long long>(scene.objectCount, 0, static_cast<long long>(objects));
    scene.objectCount = static_cast<std::int32_t>(counted);
    scene.geomObjects.resize(static_cast<std::size_t>(counted));
    scene.drawObjects.resize(static_cast<std::size_t>(counted));
    fitCount(scene.materialCount, scene.materials);
    for (std::size_t i = 0; i < scene.geomObjects.size(); ++i) {
        fitMeshCounts(scene.geomObjects[i], scene.drawObjects[i]);
    }
}

void finishScene(Scene& scene) {
    scene.objectCount = static_cast<std::int32_t>(scene.geomObjects.size());
    fitCountsToRecords(scene);
    for (std::size_t i = 0; i < scene.geomObjects.size(); ++i) {
        scene.drawObjects[i].vertices.resize(3 * std::size_t{scene.geomObjects[i].faceCount});
    }
    // Materials pair with objects by position; extra materials have no object to go to.
    const std::size_t paired = std::min(scene.materials.size(), scene.drawObjects.size());
    for (std::size_t i = 0; i < paired; ++i) {
        fillDeviceMaterial(scene.drawObjects[i].material, scene.materials[i]);
    }
}
