// Files that are no scene text at all get one error that names the file, in both readings, and
// never a complete read.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ase/reader.h"

namespace {

class NonSceneFile : public testing::TestWithParam<const char*> {};

TEST_P(NonSceneFile, IsRefusedWithAnErrorNamingIt) {
    const std::string path = std::string(ASEPLAY_REGRESSIONS) + "/scene/" + GetParam();
    for (ReadMode mode : {ReadMode::strict, ReadMode::tolerant}) {
        Scene scene;
        ReadReport report;
        EXPECT_NE(readScene(scene, path.c_str(), &report, mode), 0);
        EXPECT_FALSE(report.complete);
        EXPECT_NE(report.error.find(path), std::string::npos) << report.error;
        EXPECT_EQ(scene.objectCount, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, NonSceneFile,
                         testing::Values("empty.ase", "binary.ase", "utf16_bom.ase",
                                         "header_only.ase"),
                         [](const auto& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

}  // namespace
