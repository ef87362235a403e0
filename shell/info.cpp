// --info: reads the scene and prints what the records hold as one JSON document.
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "ase/reader.h"
#include "shell/commands.h"

namespace {

// Floats are stored as float so that they print in their shortest form that reads back the same.
using Json = nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool,
                                  std::int64_t, std::uint64_t, float>;

Json text(const AseText& value) {
    return std::string(value.view());
}

Json triple(const D3DVECTOR& v) {
    return Json::array({v.x, v.y, v.z});
}

Json describeSceneInfo(const SceneInfo& info) {
    return {{"fileName", text(info.sceneFileName)},
            {"firstFrame", info.firstFrame},
            {"lastFrame", info.lastFrame},
            {"frameSpeed", info.frameSpeed},
            {"ticksPerFrame", info.ticksPerFrame},
            {"backgroundColor", triple(info.backgroundColor)},
            {"ambientColor", triple(info.ambientColor)}};
}

Json describeMaterial(const AseMaterial& material) {
    Json map = nullptr;
    if (material.hasDiffuseMap) map = Json{{"bitmap", text(material.diffuseMap.bitmap)}};
    Json described = {{"index", material.index},
                      {"name", text(material.name)},
                      {"className", text(material.className)},
                      {"diffuse", triple(material.diffuse)},
                      {"specular", triple(material.specular)},
                      {"diffuseMap", map}};
    if (!material.subMaterials.empty()) {
        Json subMaterials = Json::array();
        for (const AseMaterial& sub : material.subMaterials)
            subMaterials.push_back(describeMaterial(sub));
        described["subMaterials"] = subMaterials;
    }
    return described;
}

Json describeObject(const GeomObject& object, const DrawObject& draw) {
    Json described = {{"name", text(object.name)},
                      {"parentName", text(object.parentName)},
                      {"tmPos", triple(object.nodeTm.tmPos)},
                      {"vertexCount", object.vertexCount},
                      {"faceCount", object.faceCount},
                      {"texVertexCount", object.texVertexCount},
                      {"texFaceCount", object.texFaceCount},
                      {"posKeys", object.posKeys.size()},
                      {"rotKeys", object.rotKeys.size()},
                      {"scaleKeys", object.scaleKeys.size()},
                      {"meshFrameCount", draw.meshFrameCount},
                      {"materialRef", object.materialRef}};
    // Sampled tracks exist only beyond the exporter's layout; files in it keep their old document.
    if (!object.posSamples.empty() || !object.rotSamples.empty() || !object.scaleSamples.empty()) {
        described["samples"] = {{"pos", object.posSamples.size()},
                                {"rot", object.rotSamples.size()},
                                {"scale", object.scaleSamples.size()}};
    }
    return described;
}

Json describeExtensions(const std::vector<ReadExtension>& extensions) {
    Json list = Json::array();
    for (const ReadExtension& extension : extensions) {
        list.push_back({{"kind", extension.kind}, {"line", extension.line}});
    }
    return list;
}

Json describeScene(const Scene& scene, const ReadReport& report) {
    Json materials = Json::array();
    for (const AseMaterial& material : scene.materials)
        materials.push_back(describeMaterial(material));
    Json objects = Json::array();
    for (std::size_t i = 0; i < scene.geomObjects.size(); ++i) {
        objects.push_back(describeObject(scene.geomObjects[i], scene.drawObjects[i]));
    }
    Json lights = Json::array();
    for (const LightObject& light : scene.lights) {
        lights.push_back({{"name", text(light.name)},
                          {"lightType", text(light.lightType)},
                          {"nodeTms", light.nodeTms.size()}});
    }
    Json cameras = Json::array();
    for (const CameraObject& camera : scene.cameras) {
        cameras.push_back({{"name", text(camera.name)},
                           {"cameraType", text(camera.cameraType)},
                           {"nodeTms", camera.nodeTms.size()},
                           {"animations", camera.animations.size()}});
    }
    return {{"version", scene.sceneInfo.version},
            {"comment", text(scene.sceneInfo.comment)},
            {"scene", describeSceneInfo(scene.sceneInfo)},
            {"materialCount", scene.materialCount},
            {"materials", materials},
            {"objectCount", scene.objectCount},
            {"objects", objects},
            {"lights", lights},
            {"cameras", cameras},
            {"complete", report.complete},
            {"strict", report.strict},
            {"extensions", describeExtensions(report.extensions)}};
}

}  // namespace

// Exit code 0 for a complete read, 1 when the file is missing or the read stopped; the document
// is printed either way and shows what was read, and what the tolerant reading left out.
int runInfo(const Options& options) {
    Scene scene;
    ReadReport report;
    readScene(scene, options.scenePath.c_str(), progressMessages(options, stderr), &report,
              ReadMode::tolerant);
    const bool complete = report.complete;
    // Tokens are raw bytes of the file: invalid UTF-8 is replaced rather than failing the dump.
    const std::string document =
        describeScene(scene, report)
            .dump(2, ' ', false, nlohmann::detail::error_handler_t::replace);
    std::fputs(document.c_str(), stdout);
    std::fputc('\n', stdout);
    return complete ? 0 : 1;
}
