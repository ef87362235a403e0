#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "shell/commands.h"

namespace {

constexpr int kUsageError = 2;

void describeFiles(CLI::App& app, Options& options) {
    app.add_option("-C", options.directory, "Run in DIR (the scene files are read from there)")
        ->option_text("DIR");
    app.add_option("--scene", options.scenePath, "Scene file to read")->capture_default_str();
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

void describePlayback(CLI::App& app, Options& options) {
    app.add_option("--frame", options.frame, "Frame number to pose, or to start playing at")
        ->capture_default_str();
    app.add_option("--frames", options.frames, "Stop after N frames")
        ->check(CLI::PositiveNumber)
        ->option_text("N");
    app.add_option("--snapshot", options.snapshotPath,
                   "At the end, write the last presented frame as PNG")
        ->option_text("FILE.png");
    app.add_option("--snapshots", options.snapshotDir,
                   "Write every presented frame as DIR/frame-00000.png, frame-00001.png, ...")
        ->option_text("DIR");
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
    app.add_option("--threads", options.threads,
                   "Drawing threads (default: every core; 1 draws on the main thread alone)")
        ->check(CLI::Range(1, 64))
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
    describeDrawing(app, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kUsageError;
    }

    if (!enterDirectory(options.directory)) return kUsageError;
    if (options.info) return runInfo(options);
    if (!options.exportObjPath.empty()) return runExportObj(options);
    if (options.bench) return runBench(options);
    return runPlayer(options);
}
