#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "scene_text.h"
#include "shell/commands.h"

namespace {

struct InfoRun {
    int exitCode;
    nlohmann::json document;
    std::string errors;
};

InfoRun runInfoOn(const std::string& path) {
    Options options;
    options.scenePath = path;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int exitCode = runInfo(options);
    const std::string errors = testing::internal::GetCapturedStderr();
    const std::string output = testing::internal::GetCapturedStdout();
    return {exitCode, nlohmann::json::parse(output), errors};
}

TEST(Info, DescribesTheWorkedExample) {
    const InfoRun run = runInfoOn(ASEPLAY_TEST_DATA "/worked_example.ase");
    EXPECT_EQ(run.exitCode, 0);
    // progress goes to stderr
    EXPECT_EQ(run.errors, "1 Object Compelete!!\nRead ASE Complete!!\n");
    const nlohmann::json& doc = run.document;
    EXPECT_EQ(doc["version"], 200);
    EXPECT_EQ(doc["comment"], "\"WorkedExample\"");
    EXPECT_EQ(doc["scene"]["lastFrame"], 100);
    EXPECT_EQ(doc["scene"]["ticksPerFrame"], 160);
    EXPECT_EQ(doc["materialCount"], 1);
    EXPECT_EQ(doc["materials"][0]["name"], "\"Red\"");
    EXPECT_TRUE(doc["materials"][0]["diffuseMap"].is_null());
    EXPECT_EQ(doc["objectCount"], 1);
    const nlohmann::json& object = doc["objects"][0];
    EXPECT_EQ(object["parentName"], "*NONEPARENT");
    EXPECT_EQ(object["faceCount"], 1);
    EXPECT_EQ(object["posKeys"], 0);
    EXPECT_EQ(object["tmPos"], nlohmann::json::array({5.0, 6.0, 7.0}));
    EXPECT_TRUE(doc["lights"].empty());
    EXPECT_TRUE(doc["cameras"].empty());
    EXPECT_EQ(doc["complete"], true);
}

TEST(Info, FloatsReadBackToTheSameFloat) {
    const InfoRun run = runInfoOn(ASEPLAY_TEST_DATA "/worked_example.ase");
    for (int channel = 0; channel < 3; ++channel) {
        const double printed = run.document["materials"][0]["diffuse"][channel].get<double>();
        const float stored = channel == 0 ? 0.5f : 0.2f;
        EXPECT_EQ(static_cast<float>(printed), stored);
    }
    EXPECT_EQ(static_cast<float>(run.document["scene"]["ambientColor"][0].get<double>()), 0.1f);
}

TEST(Info, StoppedReadShowsWhatWasReadAndExitsWithOne) {
    Lines lines = workedExample();
    lines[findLine(lines, "*MESH_NORMALS")] = "\t\t*NORMALS {";
    const std::string path = writeTempFile(joinLines(lines));
    const InfoRun run = runInfoOn(path);
    std::remove(path.c_str());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.document["complete"], false);
    EXPECT_EQ(run.document["objectCount"], 0);
    ASSERT_EQ(run.document["objects"].size(), 1u);
    EXPECT_EQ(run.document["objects"][0]["vertexCount"], 3);
    EXPECT_NE(run.errors.find("expected \"*MESH_NORMALS\""), std::string::npos) << run.errors;
}

TEST(Info, MissingFileExitsWithOne) {
    const InfoRun run = runInfoOn("/nonexistent/zz.ase");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.document["complete"], false);
    EXPECT_TRUE(run.document["objects"].empty());
}

TEST(Info, InvalidUtf8InATokenDoesNotBreakTheDocument) {
    Lines lines = workedExample();
    lines[findLine(lines, "*COMMENT")] = "*COMMENT \"caf\xe9\"";
    const std::string path = writeTempFile(joinLines(lines));
    const InfoRun run = runInfoOn(path);
    std::remove(path.c_str());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.document["comment"], "\"caf\xef\xbf\xbd\"");
}

}  // namespace
