#include "anim/obj_export.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "shell/commands.h"
#include "tests/prep/scene_builder.h"
#include "tests/support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using testscene::addObject;
using testscene::setRestTriangle;

// A fresh directory for one test, removed afterwards.

std::string readAll(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Two objects with one triangle each, posed as they rest.
Scene twoTriangles(PoseWork& work) {
    Scene scene;
    addObject(scene, "\"Box01\"");
    addObject(scene, "\"Two");  // a two-word name keeps only its opening quote
    setRestTriangle(scene.drawObjects[0], D3DVECTOR(1, 2, 3), D3DVECTOR(0.1f, 0, 0),
                    D3DVECTOR(0, 0, -1));
    setRestTriangle(scene.drawObjects[1], D3DVECTOR(4, 5, 6), D3DVECTOR(7, 8, 9),
                    D3DVECTOR(1e-7f, 0, 0));
    work.workVertices = {scene.drawObjects[0].vertices, scene.drawObjects[1].vertices};
    return scene;
}

TEST(ObjExport, WritesObjectsVerticesAndFacesNumberedOverTheFile) {
    PoseWork work;
    const Scene scene = twoTriangles(work);
    std::FILE* out = std::tmpfile();
    ASSERT_TRUE(writeObj(out, scene, work));
    std::rewind(out);
    std::string text;
    for (int c; (c = std::fgetc(out)) != EOF;) text.push_back(static_cast<char>(c));
    std::fclose(out);

    const std::string expectedStart =
        "o Box01\n"
        "v 1 2 3\nvt 0.100000001 0.200000003\nvn 0 0 1\n"
        "v 0.100000001 0 0\nvt 0.300000012 0.400000006\nvn 0 0 1\n"
        "v 0 0 -1\nvt 0.5 0.600000024\nvn 0 0 1\n"
        "f 1/1/1 2/2/2 3/3/3\n"
        "o Two\n";
    EXPECT_EQ(text.substr(0, expectedStart.size()), expectedStart);
    EXPECT_NE(text.find("v 1.00000001e-07 0 0\n"), std::string::npos);
    EXPECT_NE(text.find("f 4/4/4 5/5/5 6/6/6\n"), std::string::npos);
}

TEST(ObjExport, FileAppearsWholeOrNotAtAll) {
    PoseWork work;
    const Scene scene = twoTriangles(work);
    ScratchDir dir("aseplay-obj");
    const fs::path target = dir.path() / "pose.obj";
    Messages messages;
    ASSERT_TRUE(writeObjFile(target.string(), scene, work, messages));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(readAll(target).rfind("o Box01\n", 0), 0u);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir.path())) files += entry.is_regular_file();
    EXPECT_EQ(files, 1);  // no temporary left behind

    const std::string missing = (dir.path() / "missing" / "pose.obj").string();
    EXPECT_FALSE(writeObjFile(missing, scene, work, messages));
    ASSERT_EQ(messages.list.size(), 1u);
    EXPECT_EQ(messages.list[0].text.rfind("cannot create " + missing + ".", 0), 0u)
        << messages.list[0].text;
    EXPECT_FALSE(fs::exists(dir.path() / "missing"));
}

TEST(ExportObjCommand, UnreadableSceneFailsWithoutWriting) {
    ScratchDir dir("aseplay-obj");
    Options options;
    options.scenePath = (dir.path() / "absent.ase").string();
    options.exportObjPath = (dir.path() / "out.obj").string();
    EXPECT_EQ(runExportObj(options), 1);
    EXPECT_FALSE(fs::exists(options.exportObjPath));
}

}  // namespace
