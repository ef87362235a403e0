#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/commands.h"
#include "shell/number_options.h"

namespace {

constexpr int kUsageError = 2;

void describeFiles(CLI::App& app, Options& options) {
    app.add_option("-C", options.directory, "Run in DIR (the scene files are read from there)")
        ->option_text("DIR");
    CLI::Option* scene =
        app.add_option("--scene", options.scenePath, "Scene file to read")->capture_default_str();
    app.add_option("SCENE", options.scenePath, "Scene file to read (the same as --scene)")
        ->excludes(scene);
    app.add_option("--background", options.backgroundPath, "Background picture (24-bit PCX)")
        ->capture_default_str();
    app.add_option("--texture", options.texturePath, "Texture picture (.spr)")
        ->capture_default_str();
}

void describeModes(CLI::App& app, Options& options) {
    app.add_flag("--info", options.info, "Read the scene and print what it holds as JSON");
    app.add_option("--export-obj", options.exportObjPath,
                   "Pose the scene at --frame and write it as a Wavefront OBJ file")
        ->option_text("FILE");
    app.add_flag("--window", options.window,
                 "Play in a window of the frame's size instead of full screen");
    app.add_flag("!--no-vsync", options.vsync, "Do not wait for the display's refresh to flip");
    app.add_flag("--headless", options.headless, "Play without any window or display");
    app.add_flag("--bench", options.bench,
                 "Render headless as fast as possible (--frames, default 600) and print frames/s, "
                 "frame-time percentiles and peak memory");
}

bool parseCameraChoice(const std::string& value, CameraChoice& choice) {
    if (value == "fixed" || value == "fit") {
        choice = {value == "fixed" ? CameraKind::fixed : CameraKind::fit, 0};
        return true;
    }
    if (value.rfind("scene", 0) != 0) return false;
    int index = 0;
    if (value.size() > 5) {
        const char* digits = value.c_str() + 6;
        char* end = nullptr;
        const long parsed = value[5] == ':' && *digits != '\0' ? std::strtol(digits, &end, 10) : -1;
        if (end == nullptr || *end != '\0' || parsed < 0 || parsed > 65535) return false;
        index = static_cast<int>(parsed);
    }
    choice = {CameraKind::scene, index};
    return true;
}

void describeViewing(CLI::App& app, Options& options) {
    addWordOption<AnimationModel>(
        app, "--animation", options.animation,
        {{"table", AnimationModel::table}, {"exact", AnimationModel::exact}},
        "How the scene moves: table (per-frame tables of rigid pieces, the default) or exact "
        "(every node's tracks, composed with its parents, as exporters mean them)")
        ->option_text("table|exact");
    app.add_option_function<std::string>(
           "--camera",
           [&options](const std::string& value) {
               if (!parseCameraChoice(value, options.camera)) {
                   throw CLI::ValidationError("--camera", "fixed, fit, scene or scene:N");
               }
           },
           "fixed (the original eye, the default), fit (frames the whole animated scene) or "
           "scene[:N] (the scene's first, or N-th from 0, camera)")
        ->option_text("fixed|fit|scene[:N]");
    addWordOption<MaterialChoice>(
        app, "--materials", options.materials,
        {{"plain", MaterialChoice::plain}, {"authored", MaterialChoice::authored}},
        "plain (each object in the colours of the material at its own position, with the one "
        "texture; the default) or authored (the scene's own materials, sub-materials and "
        "diffuse maps)")
        ->option_text("plain|authored");
    app.add_flag("--authored")
        ->description(
            "The scene as its author made it: --animation exact --camera scene "
            "--materials authored (the scene's camera falling back to fit); options given "
            "beside it win");
}

// --authored fills in what the command line did not say itself.
void applyAuthored(const CLI::App& app, Options& options) {
    if (app.count("--authored") == 0) return;
    if (app.count("--animation") == 0) options.animation = AnimationModel::exact;
    if (app.count("--camera") == 0) options.camera = {CameraKind::scene, 0};
    if (app.count("--materials") == 0) options.materials = MaterialChoice::authored;
}

void describePlayback(CLI::App& app, Options& options) {
    app.add_option("--frame", options.frame, "Frame number to pose, or to start playing at")
        ->check(wholeNumberOf<int>())
        ->capture_default_str();
    app.add_option("--frames", options.frames, "Stop after N frames")
        ->check(wholeNumberOf<long>(1))
        ->option_text("N");
    app.add_option("--snapshot", options.snapshotPath,
                   "At the end, write the last presented frame as PNG")
        ->option_text("FILE.png");
    app.add_option("--snapshots", options.snapshotDir,
                   "Write every presented frame as DIR/frame-00000.png, frame-00001.png, ...")
        ->option_text("DIR");
    app.add_flag("-q,--quiet", options.quiet,
                 "Print no progress messages while reading the scene (errors still print)");
}

// Modes that cannot run together are refused, rather than one of them quietly winning.
void refuseModesTogether(CLI::App& app) {
    CLI::Option* info = app.get_option("--info");
    CLI::Option* exportObj = app.get_option("--export-obj");
    CLI::Option* window = app.get_option("--window");
    CLI::Option* headless = app.get_option("--headless");
    CLI::Option* bench = app.get_option("--bench");
    for (CLI::Option* playing : {window, headless, bench}) {
        info->excludes(playing);
        exportObj->excludes(playing);
    }
    info->excludes(exportObj);
    window->excludes(headless);
    window->excludes(bench);
}

// One line that says what was wrong with the command line.
std::string plainUsageError(const CLI::ParseError& error) {
    std::string text = error.what();
    const std::string::size_type excludes = text.find(" excludes ");
    if (excludes != std::string::npos) text.replace(excludes, 10, " cannot be used with ");
    return text;
}

// "WxH" within the largest frame the software display makes.
std::string parseFrameSize(const std::string& text, Options& options) {
    constexpr int kLargestSide = 16384;
    int width = 0, height = 0;
    char rest = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &rest) != 2 || width < 1 ||
        height < 1 || width > kLargestSide || height > kLargestSide)
        return "expected WxH, each side 1 to 16384, e.g. 1920x1080";
    options.width = width;
    options.height = height;
    return "";
}

void describeDrawing(CLI::App& app, Options& options) {
    app.add_option_function<std::string>(
           "--size", [&options](const std::string& text) { parseFrameSize(text, options); },
           "Frame size in pixels (default 640x480)")
        ->check([&options](const std::string& text) {
            Options probe;
            return parseFrameSize(text, probe);
        })
        ->option_text("WxH");
    addWordOption<DeviceRequest>(
        app, "--device", options.device,
        {{"auto", DeviceRequest::automatic},
         {"hardware", DeviceRequest::hardware},
         {"software", DeviceRequest::software}},
        "Which 3D device draws: auto (the GPU through OpenGL when there is a real one, the "
        "default), hardware (OpenGL whatever its renderer) or software")
        ->option_text("auto|hardware|software");
    app.add_option("--threads", options.threads,
                   "Drawing threads (default: every core; 1 draws on the main thread alone)")
        ->check(wholeNumber(1, 64))
        ->option_text("N");
}

bool enterDirectory(const std::string& directory) {
    if (directory.empty() || ::chdir(directory.c_str()) == 0) return true;
    std::fprintf(stderr, "aseplay: cannot enter directory %s: %s\n", directory.c_str(),
                 std::strerror(errno));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"aseplay: plays one animated 3D scene read from an ASE text file"};
    Options options;
    describeFiles(app, options);
    describeModes(app, options);
    describePlayback(app, options);
    describeViewing(app, options);
    describeDrawing(app, options);
    refuseModesTogether(app);
    app.set_version_flag("--version", "aseplay " ASEPLAY_VERSION);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {  // --help, --version
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "aseplay: %s (see --help)\n", plainUsageError(e).c_str());
        return kUsageError;
    }

    applyAuthored(app, options);
    if (!enterDirectory(options.directory)) return kUsageError;
    if (options.info) return runInfo(options);
    if (!options.exportObjPath.empty()) return runExportObj(options);
    if (options.bench) return runBench(options);
    return runPlayer(options);
}
