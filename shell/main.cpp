#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "shell/commands.h"

namespace {

constexpr int kUsageError = 2;

void describeOptions(CLI::App& app, Options& options) {
    app.add_option("-C", options.directory, "Run in DIR (the scene files are read from there)")
        ->option_text("DIR");
    app.add_option("--scene", options.scenePath, "Scene file to read")->capture_default_str();
    app.add_flag("--info", options.info, "Read the scene and print what it holds as JSON");
    app.add_option("--export-obj", options.exportObjPath,
                   "Pose the scene at --frame and write it as a Wavefront OBJ file")
        ->option_text("FILE");
    app.add_option("--frame", options.frame, "Frame number to pose")->capture_default_str();
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"aseplay: plays one animated 3D scene read from an ASE text file"};
    Options options;
    describeOptions(app, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kUsageError;
    }

    if (!options.directory.empty() && ::chdir(options.directory.c_str()) != 0) {
        std::fprintf(stderr, "aseplay: cannot enter directory %s: %s\n", options.directory.c_str(),
                     std::strerror(errno));
        return kUsageError;
    }
    if (options.info) return runInfo(options);
    if (!options.exportObjPath.empty()) return runExportObj(options);

    std::fprintf(stderr, "aseplay: nothing to do (try --info or --help)\n");
    return kUsageError;
}
