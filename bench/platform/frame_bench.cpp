// The display's share of a frame: clear, stretched backdrop, copy, text, flip.
#include <benchmark/benchmark.h>

#include "tests/platform/frame_path.h"

namespace {

void displayFrame(benchmark::State& state) {
    FramePath path;
    if (!path.bringUp(static_cast<DWORD>(state.range(0)), static_cast<DWORD>(state.range(1)))) {
        state.SkipWithError("display set-up failed");
        return;
    }
    for (auto _ : state) path.frame();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(displayFrame)
    ->Args({640, 480})
    ->Args({320, 240})
    ->Args({800, 600})
    ->Unit(benchmark::kMicrosecond);

void scaledBlt(benchmark::State& state) {
    FramePath path;
    if (!path.bringUp(static_cast<DWORD>(state.range(0)), static_cast<DWORD>(state.range(1)))) {
        state.SkipWithError("display set-up failed");
        return;
    }
    for (auto _ : state) {
        path.display.renderTarget->Blt(nullptr, path.backdrop, nullptr, DDBLT_WAIT, nullptr);
    }
    state.SetBytesProcessed(state.iterations() * 640 * 480 * 2);
}
BENCHMARK(scaledBlt)
    ->Args({640, 480})
    ->Args({320, 240})
    ->Args({800, 600})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
