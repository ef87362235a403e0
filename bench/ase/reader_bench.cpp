// Reading speed of the scene reader on a generated scene of more than 100 MB (seven objects of
// 45,000 faces with normals and texture coordinates), of the tolerant reading on the same scene in
// another exporter's layout (colour lists and a second texture channel), and of its number
// conversion alone.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ase/fields.h"
#include "ase/reader.h"
#include "tools/scenegen/scene_writer.h"

namespace {

// Written once per run into the temporary directory and removed at exit.
class LargeScene {
  public:
    explicit LargeScene(bool otherLayout) {
        path_ = (std::filesystem::temp_directory_path() /
                 ("aseplay-bench-" + std::to_string(::getpid()) + (otherLayout ? "-other" : "") +
                  ".ase"))
                    .string();
        SceneGenOptions options;
        options.layout.colorVertices = otherLayout;
        options.layout.mappingChannel = otherLayout;
        options.objects = 7;
        options.facesPerObject = 45000;
        options.materials = 7;
        options.posTrack = TrackStyle::Bezier;
        options.rotTrack = TrackStyle::Tcb;
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        if (file == nullptr || !writeScene(options, file)) std::abort();
        std::fclose(file);
        size_ = static_cast<std::int64_t>(std::filesystem::file_size(path_));
    }
    ~LargeScene() { std::filesystem::remove(path_); }

    const std::string& path() const { return path_; }
    std::int64_t size() const { return size_; }

  private:
    std::string path_;
    std::int64_t size_ = 0;
};

const LargeScene& largeScene() {
    static const LargeScene scene(false);
    return scene;
}

const LargeScene& largeSceneInOtherLayout() {
    static const LargeScene scene(true);
    return scene;
}

void BM_ReadLargeScene(benchmark::State& state) {
    const LargeScene& file = largeScene();
    for (auto _ : state) {
        Scene scene;
        if (readScene(scene, file.path().c_str()) != 0) state.SkipWithError("read stopped");
        benchmark::DoNotOptimize(scene.objectCount);
    }
    state.SetBytesProcessed(state.iterations() * file.size());
    state.counters["fileMB"] = static_cast<double>(file.size()) / 1e6;
}
BENCHMARK(BM_ReadLargeScene)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadLargeSceneTolerant(benchmark::State& state) {
    const LargeScene& file = largeSceneInOtherLayout();
    for (auto _ : state) {
        Scene scene;
        ReadReport report;
        if (readScene(scene, file.path().c_str(), &report, ReadMode::tolerant) != 0 ||
            report.strict) {
            state.SkipWithError("not read by keywords");
        }
        benchmark::DoNotOptimize(scene.objectCount);
    }
    state.SetBytesProcessed(state.iterations() * file.size());
    state.counters["fileMB"] = static_cast<double>(file.size()) / 1e6;
}
BENCHMARK(BM_ReadLargeSceneTolerant)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ParseVertexNormalLine(benchmark::State& state) {
    const char* line = "\t\t\t\t*MESH_VERTEXNORMAL 1234\t-0.5774\t0.5774\t0.5774";
    VertexNormal normal{};
    for (auto _ : state) {
        parseVertexNormal(normal, line);
        benchmark::DoNotOptimize(normal);
    }
}
BENCHMARK(BM_ParseVertexNormalLine);

}  // namespace
