// Reading speed of the scene reader on a generated scene of more than 100 MB (seven objects of
// 45,000 faces with normals and texture coordinates), and of its number conversion alone.
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
    LargeScene() {
        path_ = (std::filesystem::temp_directory_path() /
                 ("aseplay-bench-" + std::to_string(::getpid()) + ".ase"))
                    .string();
        SceneGenOptions options;
        options.objects = 7;
        options.facesPerObject = 45000;
        options.materials = 7;
        options.posTrack = KeyStyle::Bezier;
        options.rotTrack = KeyStyle::Tcb;
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
    static const LargeScene scene;
    return scene;
}

void BM_ReadLargeScene(benchmark::State& state) {
    const LargeScene& file = largeScene();
    std::FILE* quiet = std::fopen("/dev/null", "w");
    for (auto _ : state) {
        Scene scene;
        if (readScene(scene, file.path().c_str(), quiet) != 0) state.SkipWithError("read stopped");
        benchmark::DoNotOptimize(scene.objectCount);
    }
    std::fclose(quiet);
    state.SetBytesProcessed(state.iterations() * file.size());
    state.counters["fileMB"] = static_cast<double>(file.size()) / 1e6;
}
BENCHMARK(BM_ReadLargeScene)->Unit(benchmark::kMillisecond)->UseRealTime();

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
