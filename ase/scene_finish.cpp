#include "ase/scene_finish.h"

#include <algorithm>

#include "ase/fields.h"

namespace {

constexpr float kEmissive = 0.3f;
constexpr float kPower = 10.0f;

void fillDeviceMaterial(D3DMATERIAL& target, const AseMaterial& source) {
    target = D3DMATERIAL{};
    target.dwSize = sizeof(D3DMATERIAL);
    target.diffuse = {source.diffuse.x, source.diffuse.y, source.diffuse.z, 0.0f};
    target.specular = {source.specular.x, source.specular.y, source.specular.z, 0.0f};
    target.emissive = {kEmissive, kEmissive, kEmissive, 0.0f};
    target.power = kPower;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

void finishScene(Scene& scene) {
    scene.objectCount = static_cast<std::int32_t>(scene.geomObjects.size());
    for (std::size_t i = 0; i < scene.geomObjects.size(); ++i) {
        scene.drawObjects[i].vertices.resize(3 * std::size_t{scene.geomObjects[i].faceCount});
    }
    // Materials pair with objects by position; extra materials have no object to go to.
    const std::size_t paired = std::min<std::size_t>(scene.materialCount, scene.drawObjects.size());
    for (std::size_t i = 0; i < paired; ++i) {
        fillDeviceMaterial(scene.drawObjects[i].material, scene.materials[i]);
    }
}

bool isAseHeaderLine(std::string_view firstLine) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (firstLine.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        firstLine.remove_prefix(kByteOrderMark.size());
    }
    while (!firstLine.empty() && isSpace(firstLine.front())) firstLine.remove_prefix(1);
    return firstLine.size() > 1 && firstLine[0] == '*' && !isSpace(firstLine[1]);
}

bool opensBlock(std::string_view line) {
    while (!line.empty() && isSpace(line.back())) line.remove_suffix(1);
    return !line.empty() && line.back() == '{';
}
