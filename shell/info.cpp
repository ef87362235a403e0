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

const char* styleName(KeyStyle style) {
    switch (style) {
        case KeyStyle::linear:
            return "linear keys";
        case KeyStyle::bezier:
            return "Bezier keys";
        case KeyStyle::tcb:
            return "TCB keys";
        case KeyStyle::none:
            break;
    }
    return "keys";
}

// One entry per track: what it holds and which animation models it feeds. The per-frame tables
// take a geometry object's key tracks, but not its Bezier rotations nor any sampled track.
Json describeTracks(const NodeTracks& tracks, bool geometry) {
    struct Part {
        const char* name;
        KeyStyle style;
        std::size_t keys;
        std::size_t samples;
    };
    const Part parts[] = {
        {"position", tracks.posStyle, tracks.posKeys.size(), tracks.posSamples.size()},
        {"rotation", tracks.rotStyle, tracks.rotKeys.size(), tracks.rotSamples.size()},
        {"scale", tracks.scaleStyle, tracks.scaleKeys.size(), tracks.scaleSamples.size()}};
    Json list = Json::array();
    for (const Part& part : parts) {
        if (part.keys == 0 && part.samples == 0) continue;
        const bool sampled = part.samples > 0;
        const bool table =
            geometry && !sampled &&
            !(part.style == KeyStyle::bezier && part.name == std::string("rotation"));
        list.push_back(
            {{"part", part.name},
             {"holds", sampled ? "samples" : styleName(part.style)},
             {"count", sampled ? part.samples : part.keys},
             {"models", table ? Json::array({"table", "exact"}) : Json::array({"exact"})}});
    }
    return list;
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
    if (!object.tracks.posSamples.empty() || !object.tracks.rotSamples.empty() ||
        !object.tracks.scaleSamples.empty()) {
        described["samples"] = {{"pos", object.tracks.posSamples.size()},
                                {"rot", object.tracks.rotSamples.size()},
                                {"scale", object.tracks.scaleSamples.size()}};
    }
    Json tracks = describeTracks(object.tracks, true);
    if (!tracks.empty()) described["tracks"] = tracks;
    return described;
}

Json describeHelpers(const std::vector<HelperObject>& helpers) {
    Json list = Json::array();
    for (const HelperObject& helper : helpers) {
        list.push_back({{"name", text(helper.name)},
                        {"parentName", text(helper.parentName)},
                        {"helperClass", text(helper.helperClass)},
                        {"tracks", describeTracks(helper.tracks, false)}});
    }
    return list;
}

// Every node the exact model evaluates: objects, helpers, and each light's and camera's node
// transforms (a target is a node of its own).
std::size_t nodeCount(const Scene& scene) {
    std::size_t count = scene.geomObjects.size() + scene.helpers.size();
    for (const LightObject& light : scene.lights) count += light.nodeTms.size();
    for (const CameraObject& camera : scene.cameras) count += camera.nodeTms.size();
    return count;
}

Json describeNodeTracks(const std::vector<NodeTracks>& blocks) {
    Json list = Json::array();
    for (const NodeTracks& tracks : blocks) {
        list.push_back(
            {{"nodeName", text(tracks.nodeName)}, {"tracks", describeTracks(tracks, false)}});
    }
    return list;
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
        Json described = {{"name", text(light.name)},
                          {"lightType", text(light.lightType)},
                          {"nodeTms", light.nodeTms.size()}};
        if (!light.tracks.empty()) described["animations"] = describeNodeTracks(light.tracks);
        lights.push_back(described);
    }
    Json cameras = Json::array();
    for (const CameraObject& camera : scene.cameras) {
        Json described = {{"name", text(camera.name)},
                          {"cameraType", text(camera.cameraType)},
                          {"nodeTms", camera.nodeTms.size()},
                          {"animations", camera.animations.size()}};
        if (!camera.tracks.empty()) described["tracks"] = describeNodeTracks(camera.tracks);
        cameras.push_back(described);
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
            {"helpers", describeHelpers(scene.helpers)},
            {"nodes", nodeCount(scene)},
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
    readScene(scene, options.scenePath.c_str(), &report, ReadMode::tolerant);
    showMessages(report.messages, progressMessages(options, stderr));
    const bool complete = report.complete;
    // Tokens are raw bytes of the file: invalid UTF-8 is replaced rather than failing the dump.
    const std::string document =
        describeScene(scene, report)
            .dump(2, ' ', false, nlohmann::detail::error_handler_t::replace);
    std::fputs(document.c_str(), stdout);
    std::fputc('\n', stdout);
    return complete ? 0 : 1;
}
