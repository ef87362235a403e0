// Replays every kept input of tests/regressions/TARGET/ and the fuzzers' seeds through the entry
// point of that target. A fault shows as a crash or a sanitizer report.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/entries.h"

namespace {

namespace fs = std::filesystem;
using Entry = int (*)(const std::uint8_t*, std::size_t);

std::vector<std::uint8_t> readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Returns how many files were replayed.
int replayFolder(const fs::path& folder, Entry entry) {
    if (!fs::is_directory(folder)) return 0;
    int count = 0;
    for (const auto& item : fs::directory_iterator(folder)) {
        if (!item.is_regular_file()) continue;
        SCOPED_TRACE(item.path().string());
        const std::vector<std::uint8_t> bytes = readAll(item.path());
        EXPECT_EQ(entry(bytes.data(), bytes.size()), 0);
        ++count;
    }
    return count;
}

struct Target {
    const char* name;
    Entry entry;
};

class Replay : public testing::TestWithParam<Target> {};

TEST_P(Replay, KeptInputsAndSeedsRunCleanly) {
    const Target& t = GetParam();
    const int replayed = replayFolder(fs::path(ASEPLAY_REGRESSIONS) / t.name, t.entry) +
                         replayFolder(fs::path(ASEPLAY_FUZZ_SEEDS) / t.name, t.entry);
    EXPECT_GT(replayed, 0) << "no inputs for " << t.name;
}

TEST_P(Replay, EmptyAndOneByteInputs) {
    const Target& t = GetParam();
    EXPECT_EQ(t.entry(nullptr, 0), 0);
    for (int b = 0; b < 256; b += 17) {
        const std::uint8_t byte = static_cast<std::uint8_t>(b);
        EXPECT_EQ(t.entry(&byte, 1), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, Replay,
                         testing::Values(Target{"scene", fuzz::runSceneFile},
                                         Target{"pcx", fuzz::runPcxFile},
                                         Target{"spr", fuzz::runSprFile},
                                         Target{"triangles", fuzz::runTriangles}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
