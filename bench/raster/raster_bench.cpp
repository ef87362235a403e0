// Throughput of the software renderer: fill rate, triangle set-up rate and one whole frame.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "tests/raster/raster_scenes.h"

namespace {

using rastertest::Frame;
using rastertest::Mesh;
using rastertest::vertex;

// Screen-filling quads in perspective (depth 5 at the bottom to 15 at the top), textured and
// lit, drawn over each other at equal depth so that every pixel passes the depth test.
Mesh fullScreenQuads(int layers) {
    Mesh mesh;
    const rastertest::Vec3 n{0, 0.8f, -0.6f};
    for (int i = 0; i < layers; ++i) {
        const D3DVERTEX a = vertex(-4, -2, 5, n, 0, 0), b = vertex(-12, 6, 15, n, 0, 3);
        const D3DVERTEX c = vertex(12, 6, 15, n, 3, 3), d = vertex(4, -2, 5, n, 3, 0);
        mesh.insert(mesh.end(), {a, b, c, a, c, d});
    }
    return mesh;
}

sw::RasterState fillState() {
    sw::RasterState s = rastertest::programState();
    s.view = rastertest::identityMatrix();
    return s;
}

void BM_FillRate(benchmark::State& state) {
    Frame frame(640, 480);
    const rastertest::Texture texture = rastertest::checkerTexture(256, 256);
    const sw::TextureView view = texture.view();
    sw::RasterState s = fillState();
    s.texture = &view;
    const Mesh mesh = fullScreenQuads(8);

    // Count the pixels one pass covers.
    frame.clear(0, 0xFFFF);
    sw::Rasterizer rasterizer;
    rasterizer.drawTriangleList(s, frame.color(), frame.depth(), mesh.data(), 6);
    std::int64_t covered = 0;
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x) covered += frame.pixel(x, y) != 0;

    for (auto _ : state) {
        rasterizer.drawTriangleList(s, frame.color(), frame.depth(), mesh.data(),
                                    static_cast<std::uint32_t>(mesh.size()));
        benchmark::ClobberMemory();
    }
    state.counters["Mpixels/s"] = benchmark::Counter(static_cast<double>(covered * 8) / 1e6,
                                                     benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FillRate)->Unit(benchmark::kMillisecond);

// A screen of small textured, lit triangles facing the camera, all drawn: two per cell of 4 by
// 3 pixels (the projection does not correct the aspect), 6 pixels of area each; 160 by 160
// cells tile the 640 by 480 screen once.
Mesh smallTriangles(int columns, int rows) {
    Mesh mesh;
    const float cell = 4.0f / 320.0f * 10.0f / 2.5f;  // 4 pixels wide, 3 high at view depth 10
    const rastertest::Vec3 n{0, 0.7f, -0.7f};
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const float x = (static_cast<float>(c) - columns / 2.0f) * cell;
            const float y = (static_cast<float>(r) - rows / 2.0f) * cell;
            const D3DVERTEX a = vertex(x, y, 10, n, 0.1f, 0.1f);
            const D3DVERTEX b = vertex(x, y + cell, 10, n, 0.1f, 0.2f);
            const D3DVERTEX d = vertex(x + cell, y, 10, n, 0.2f, 0.1f);
            const D3DVERTEX e = vertex(x + cell, y + cell, 10, n, 0.2f, 0.2f);
            mesh.insert(mesh.end(), {a, b, d, b, e, d});
        }
    return mesh;
}

// On one core with each instruction set (AVX2 only where the processor has it).
void BM_SetupRate(benchmark::State& state, sw::InstructionSet set) {
    if (set == sw::InstructionSet::kAvx2 && sw::widestInstructionSet() != set) {
        state.SkipWithError("this processor has no AVX2");
        return;
    }
    Frame frame(640, 480);
    const rastertest::Texture texture = rastertest::checkerTexture(256, 256);
    const sw::TextureView view = texture.view();
    sw::RasterState s = fillState();
    s.texture = &view;
    const Mesh mesh = smallTriangles(160, 160);
    sw::Rasterizer rasterizer(1, set);
    for (auto _ : state) {
        frame.clear(0, 0xFFFF);
        rasterizer.drawTriangleList(s, frame.color(), frame.depth(), mesh.data(),
                                    static_cast<std::uint32_t>(mesh.size()));
        benchmark::ClobberMemory();
    }
    state.counters["Mtriangles/s"] = benchmark::Counter(
        static_cast<double>(mesh.size() / 3) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK_CAPTURE(BM_SetupRate, sse2, sw::InstructionSet::kSse2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SetupRate, avx2, sw::InstructionSet::kAvx2)->Unit(benchmark::kMillisecond);

// About 10k triangles of spheres and tori seen by the program's fixed camera, with the
// program's state; each iteration clears the frame and draws it all.
Mesh tenThousandTriangleScene() {
    Mesh mesh = rastertest::torus({0, 0, 0}, 110, 30, 64, 32);                  // 4096
    rastertest::append(mesh, rastertest::sphere({0, 0, 0}, 60, 48, 24));        // ~2200
    rastertest::append(mesh, rastertest::torus({0, 80, 0}, 60, 12, 48, 24));    // 2304
    rastertest::append(mesh, rastertest::sphere({120, 60, -120}, 40, 32, 16));  // ~1000
    rastertest::append(mesh, rastertest::sphere({-120, 40, 120}, 30, 24, 12));  // ~550
    return mesh;
}

// Threads as the argument; the frame is finished in every iteration.
void BM_Frame(benchmark::State& state) {
    Frame frame(640, 480);
    const rastertest::Texture texture = rastertest::checkerTexture(256, 256);
    const sw::TextureView view = texture.view();
    sw::RasterState s = rastertest::programState();
    s.texture = &view;
    const Mesh mesh = tenThousandTriangleScene();
    sw::Rasterizer rasterizer(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        frame.clear(0, 0xFFFF);
        rasterizer.drawTriangleList(s, frame.color(), frame.depth(), mesh.data(),
                                    static_cast<std::uint32_t>(mesh.size()));
        rasterizer.finish();
        benchmark::ClobberMemory();
    }
    state.counters["triangles"] = static_cast<double>(mesh.size() / 3);
    state.counters["frames/s"] =
        benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Frame)->Arg(1)->Arg(2)->Arg(4)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
