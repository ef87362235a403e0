// aseplay-scenegen: writes a synthetic ASE scene in the exporter's layout.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <map>
#include <string>

#include "tools/scenegen/scene_writer.h"

namespace {

// Layouts of other exporters; linear and sampled tracks are chosen with the track options.
void describeLayoutOptions(CLI::App& app, LayoutOptions& layout) {
    const char* group = "Other exporters' layouts";
    app.add_flag("--color-vertices", layout.colorVertices, "Colour vertex and colour face lists")
        ->group(group);
    app.add_flag("--no-color-count", layout.noColorCount, "Leave out the colour vertex count line")
        ->group(group);
    app.add_flag("--no-normals", layout.noNormals, "Leave out the normals blocks")->group(group);
    app.add_flag("--mapping-channel", layout.mappingChannel,
                 "A second texture channel in every mesh")
        ->group(group);
    app.add_flag("--sub-materials", layout.subMaterials, "Nested sub-materials in every material")
        ->group(group);
    app.add_flag("--all-maps", layout.allMaps,
                 "Maps of every kind beside the diffuse map (needs --diffuse-map)")
        ->group(group);
    app.add_flag("--loose-materials", layout.looseMaterials,
                 "Material lines in another order, some missing, maps first")
        ->group(group);
    app.add_flag("--mesh-animation-first", layout.meshAnimationFirst,
                 "The mesh animation right after the mesh")
        ->group(group);
    app.add_option("--helpers", layout.helpers,
                   "Helper objects (a chain) written first; root objects hang under the first")
        ->check(CLI::NonNegativeNumber)
        ->group(group);
    app.add_flag("--shapes", layout.shapes, "A shape object")->group(group);
    app.add_flag("--group", layout.group, "The geometry objects inside a group block")
        ->group(group);
    app.add_flag("--space-header", layout.spaceHeader,
                 "Header with a space instead of a tab and no comment line")
        ->group(group);
    app.add_flag("--no-scene", layout.noSceneBlock, "Leave out the scene block")->group(group);
}

void describeOptions(CLI::App& app, SceneGenOptions& options, std::string& output,
                     bool& noTexture) {
    const std::map<std::string, TrackStyle> styles{{"none", TrackStyle::None},
                                                   {"bezier", TrackStyle::Bezier},
                                                   {"tcb", TrackStyle::Tcb},
                                                   {"linear", TrackStyle::Linear},
                                                   {"sampled", TrackStyle::Sampled}};
    const std::map<std::string, TrackStyle> rotationStyles{{"none", TrackStyle::None},
                                                           {"tcb", TrackStyle::Tcb},
                                                           {"linear", TrackStyle::Linear},
                                                           {"sampled", TrackStyle::Sampled}};
    const std::map<std::string, Hierarchy> hierarchies{{"none", Hierarchy::None},
                                                       {"chain", Hierarchy::Chain},
                                                       {"star", Hierarchy::Star},
                                                       {"random", Hierarchy::Random}};
    app.add_option("-o,--output", output, "Write the scene to FILE (default: standard output)")
        ->option_text("FILE");
    app.add_option("--objects", options.objects, "Number of geometry objects")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();
    app.add_option("--faces", options.facesPerObject, "Faces per object (1 to 65535)")
        ->check(CLI::Range(1, 65535))
        ->capture_default_str();
    const std::map<std::string, Shape> shapes{{"ball", Shape::Ball}, {"grid", Shape::Grid}};
    app.add_option("--shape", options.shape,
                   "Mesh of every object: ball, or grid (a rippled strip; side by side they form "
                   "a ground)")
        ->transform(CLI::CheckedTransformer(shapes, CLI::ignore_case))
        ->option_text("KIND");
    app.add_option("--hierarchy", options.hierarchy,
                   "Parent links: none, chain (each object under the one before), star (all under "
                   "the first) or random")
        ->transform(CLI::CheckedTransformer(hierarchies, CLI::ignore_case))
        ->option_text("KIND");
    app.add_option("--pos-track", options.posTrack,
                   "Position keys of every object: none, bezier, tcb, linear or sampled")
        ->transform(CLI::CheckedTransformer(styles, CLI::ignore_case))
        ->option_text("STYLE");
    app.add_option("--rot-track", options.rotTrack,
                   "Rotation keys of every object: none, tcb, linear or sampled")
        ->transform(CLI::CheckedTransformer(rotationStyles, CLI::ignore_case))
        ->option_text("STYLE");
    app.add_option("--scale-track", options.scaleTrack,
                   "Scale keys of every object: none, bezier, tcb, linear or sampled")
        ->transform(CLI::CheckedTransformer(styles, CLI::ignore_case))
        ->option_text("STYLE");
    app.add_option("--keys", options.keys, "Keys per track (and samples per camera track)")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();
    app.add_option("--lights", options.lights, "Number of lights, alternately Omni and Target")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();
    app.add_option("--cameras", options.cameras,
                   "Number of target cameras with sampled position and rotation tracks")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();
    app.add_option("--mesh-frames", options.meshFrames, "Frames of mesh animation per object")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();
    app.add_option("--materials", options.materials, "Number of materials (object i uses i mod N)")
        ->check(CLI::Range(0, 65535))
        ->capture_default_str();
    app.add_option("--diffuse-map", options.diffuseMap,
                   "Give every material a diffuse map naming this bitmap (default: no map)")
        ->option_text("BITMAP");
    app.add_flag("--no-texture", noTexture, "Leave out texture vertices and faces");
    app.add_option("--last-frame", options.lastFrame, "Last frame of the scene")
        ->check(CLI::Range(0, 32767))
        ->capture_default_str();
    app.add_option("--seed", options.seed, "Seed of the random colours, offsets and parents")
        ->capture_default_str();
    describeLayoutOptions(app, options.layout);
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "aseplay-scenegen: writes a synthetic ASE scene (exporter layout, CR LF line ends): "
        "ball-shaped meshes with normals and texture coordinates, materials, key tracks, lights, "
        "cameras and mesh animation"};
    SceneGenOptions options;
    std::string output;
    bool noTexture = false;
    describeOptions(app, options, output, noTexture);
    CLI11_PARSE(app, argc, argv);
    options.textured = !noTexture;

    std::FILE* out = output.empty() ? stdout : std::fopen(output.c_str(), "wb");
    if (out == nullptr) {
        std::perror(output.c_str());
        return 1;
    }
    const bool written = writeScene(options, out);
    const bool closed = out == stdout ? std::fflush(out) == 0 : std::fclose(out) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "aseplay-scenegen: writing the scene failed\n");
        return 1;
    }
    return 0;
}
