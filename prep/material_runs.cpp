#include "prep/material_runs.h"

#include <algorithm>
#include <map>

namespace {

// Lit sides show the colour, the sides away from the light a quarter of it; a mapped material
// shows its map (the map takes the place of the diffuse colour).
constexpr float kShadowShare = 0.25f;
constexpr float kPower = 10.0f;

D3DMATERIAL lookOf(const D3DVECTOR& diffuse, const D3DVECTOR& specular) {
    D3DMATERIAL m{};
    m.dwSize = sizeof(D3DMATERIAL);
    m.diffuse = {diffuse.x, diffuse.y, diffuse.z, 0.0f};
    m.ambient = m.diffuse;
    m.emissive = {kShadowShare * diffuse.x, kShadowShare * diffuse.y, kShadowShare * diffuse.z,
                  0.0f};
    m.specular = {specular.x, specular.y, specular.z, 0.0f};
    m.power = kPower;
    return m;
}

SurfaceLook materialLook(const AseMaterial& material) {
    SurfaceLook look;
    if (material.hasDiffuseMap) look.map = mapFileName(material.diffuseMap.bitmap.view());
    const float strength = std::clamp(material.shineStrength, 0.0f, 1.0f);
    const D3DVECTOR specular{material.specular.x * strength, material.specular.y * strength,
                             material.specular.z * strength};
    const D3DVECTOR white{1.0f, 1.0f, 1.0f};
    look.material = lookOf(look.map.empty() ? material.diffuse : white, specular);
    return look;
}

// Looks made once each, by the record they come from.
class LookTable {
  public:
    explicit LookTable(AuthoredMaterials& out) : out_(out) {}

    std::uint16_t forMaterial(const AseMaterial& material) {
        return add(&material, [&] { return materialLook(material); });
    }
    std::uint16_t forWireframe(const GeomObject& object) {
        return add(&object, [&] {
            return SurfaceLook{lookOf(object.wireframeColor, D3DVECTOR{0, 0, 0}), {}};
        });
    }

  private:
    template <class Make>
    std::uint16_t add(const void* source, Make make) {
        const auto found = index_.find(source);
        if (found != index_.end()) return found->second;
        const auto look =
            static_cast<std::uint16_t>(std::min<std::size_t>(out_.looks.size(), 65535));
        out_.looks.push_back(make());
        index_.emplace(source, look);
        return look;
    }

    AuthoredMaterials& out_;
    std::map<const void*, std::uint16_t> index_;
};

// A face wears the sub-material its id selects (the id taken modulo their number), or the
// material itself when it has none; an object that names no material wears its wireframe colour.
std::uint16_t lookOfFace(const Scene& scene, const GeomObject& object, std::size_t face,
                         LookTable& table) {
    if (!object.hasMaterialRef || object.materialRef < 0 ||
        static_cast<std::size_t>(object.materialRef) >= scene.materials.size()) {
        return table.forWireframe(object);
    }
    const AseMaterial& material = scene.materials[static_cast<std::size_t>(object.materialRef)];
    if (material.subMaterials.empty() || face >= object.faces.size()) {
        return table.forMaterial(material);
    }
    const std::size_t sub = object.faces[face].materialId % material.subMaterials.size();
    return table.forMaterial(material.subMaterials[sub]);
}

}  // namespace

std::string mapFileName(std::string_view bitmap) {
    if (bitmap.size() >= 2 && bitmap.front() == '"' && bitmap.back() == '"') {
        bitmap = bitmap.substr(1, bitmap.size() - 2);
    }
    const std::size_t slash = bitmap.find_last_of("/\\");
    if (slash != std::string_view::npos) bitmap.remove_prefix(slash + 1);
    return std::string(bitmap);
}

AuthoredMaterials buildAuthoredMaterials(const Scene& scene) {
    AuthoredMaterials out;
    LookTable table(out);
    const int count = static_cast<int>(scene.geomObjects.size());
    out.runs.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const GeomObject& object = scene.geomObjects[static_cast<std::size_t>(i)];
        const std::size_t faces =
            scene.drawObjects[static_cast<std::size_t>(i)].vertices.size() / 3;
        std::vector<MaterialRun>& runs = out.runs[static_cast<std::size_t>(i)];
        for (std::size_t f = 0; f < faces; ++f) {
            const std::uint16_t look = lookOfFace(scene, object, f, table);
            if (runs.empty() || runs.back().look != look) {
                runs.push_back({static_cast<std::uint32_t>(3 * f), 0, look});
            }
            runs.back().vertexCount += 3;
        }
    }
    return out;
}

void turnTextureCoordinatesUpright(Scene& scene) {
    for (DrawObject& draw : scene.drawObjects) {
        for (D3DVERTEX& v : draw.vertices) v.tv = 1.0f - v.tv;
    }
}
