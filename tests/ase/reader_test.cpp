// The worked example, the file-level paths (scene block, material list, main loop, end of file)
// and the stops.
#include <gtest/gtest.h>

#include <algorithm>

#include "scene_text.h"

namespace {

void expectWorkedExample(const Scene& scene) {
    EXPECT_EQ(scene.sceneInfo.version, 200);
    EXPECT_EQ(scene.sceneInfo.comment, "\"WorkedExample\"");
    EXPECT_EQ(scene.sceneInfo.sceneFileName, "\"example.max\"");
    EXPECT_EQ(scene.sceneInfo.lastFrame, 100);
    EXPECT_EQ(scene.sceneInfo.frameSpeed, 30);
    EXPECT_EQ(scene.sceneInfo.ticksPerFrame, 160);
    EXPECT_EQ(scene.sceneInfo.ambientColor.y, 0.1f);

    ASSERT_EQ(scene.materialCount, 1);
    ASSERT_EQ(scene.materials.size(), 1u);
    const AseMaterial& material = scene.materials[0];
    EXPECT_EQ(material.name, "\"Red\"");
    EXPECT_EQ(material.diffuse.x, 0.5f);
    EXPECT_EQ(material.shineStrength, 0.05f);
    EXPECT_EQ(material.falloff, "In");
    EXPECT_EQ(material.xpType, "Filter");
    EXPECT_FALSE(material.hasDiffuseMap);

    ASSERT_EQ(scene.objectCount, 1);
    ASSERT_EQ(scene.geomObjects.size(), 1u);
    const GeomObject& object = scene.geomObjects[0];
    EXPECT_EQ(object.name, "\"Tri\"");
    EXPECT_EQ(object.parentName, "*NONEPARENT");
    EXPECT_EQ(object.nodeTm.inheritScale[2], 1);
    EXPECT_EQ(object.nodeTm.tmPos.z, 7.0f);
    EXPECT_EQ(object.nodeTm.rotAxis.z, 1.0f);
    ASSERT_EQ(object.vertices.size(), 3u);
    EXPECT_EQ(object.vertices[1].x, 10.0f);
    EXPECT_EQ(object.vertices[2].y, 10.0f);
    ASSERT_EQ(object.faces.size(), 1u);
    EXPECT_EQ(object.faces[0].c, 2);
    EXPECT_EQ(object.faces[0].ca, 1);
    EXPECT_EQ(object.texVertexCount, 0);
    EXPECT_TRUE(object.texVertices.empty());
    ASSERT_EQ(object.faceNormals.size(), 1u);
    ASSERT_EQ(object.vertexNormals.size(), 3u);
    EXPECT_EQ(object.vertexNormals[2].vertexIndex, 2);
    EXPECT_EQ(object.vertexNormals[2].z, 1.0f);
    EXPECT_EQ(object.castShadow, 1);
    EXPECT_EQ(object.materialRef, 0);
    EXPECT_TRUE(object.posKeys.empty() && object.rotKeys.empty() && object.scaleKeys.empty());

    const DrawObject& draw = scene.drawObjects.at(0);
    EXPECT_EQ(draw.vertices.size(), 3u);
    EXPECT_EQ(draw.meshFrameCount, 0);
    EXPECT_EQ(draw.material.dwSize, 80u);
    EXPECT_EQ(draw.material.diffuse.r, 0.5f);
    EXPECT_EQ(draw.material.diffuse.g, 0.2f);
    EXPECT_EQ(draw.material.specular.b, 0.9f);
    EXPECT_EQ(draw.material.emissive.g, 0.3f);
    EXPECT_EQ(draw.material.power, 10.0f);
    EXPECT_EQ(draw.material.diffuse.a, 0.0f);
    EXPECT_EQ(draw.material.ambient.r, 0.0f);
}

TEST(WorkedExample, FixtureIsReadCompletely) {
    Scene scene;
    ReadReport report;
    EXPECT_EQ(readScene(scene, ASEPLAY_TEST_DATA "/worked_example.ase", &report), 0);
    EXPECT_EQ(problemLines(report.messages), "");
    EXPECT_EQ(progressLines(report.messages), "1 Object Compelete!!\nRead ASE Complete!!\n");
    EXPECT_TRUE(report.complete);
    expectWorkedExample(scene);
}

TEST(WorkedExample, LfLineEndsAndAMissingFinalLineEndReadTheSame) {
    for (const std::string& text :
         {joinLines(workedExample(), "\n"),
          joinLines(workedExample()).substr(0, joinLines(workedExample()).size() - 2)}) {
        Scene scene;
        EXPECT_EQ(readText(text, scene), 0);
        expectWorkedExample(scene);
    }
}

TEST(FileLevel, MissingSceneBlockOrMaterialListLosesNothing) {
    Lines noScene = workedExample();
    noScene.erase(noScene.begin() + 2, noScene.begin() + 11);
    Scene withoutScene;
    EXPECT_EQ(readText(joinLines(noScene), withoutScene), 0);
    EXPECT_EQ(withoutScene.sceneInfo.lastFrame, 0);
    EXPECT_EQ(withoutScene.materialCount, 1);
    EXPECT_EQ(withoutScene.objectCount, 1);

    Lines noMaterials = workedExample();
    const std::size_t list = findLine(noMaterials, "*MATERIAL_LIST");
    noMaterials.erase(
        noMaterials.begin() + static_cast<long>(list),
        noMaterials.begin() + static_cast<long>(findLine(noMaterials, "*GEOMOBJECT")));
    Scene withoutMaterials;
    EXPECT_EQ(readText(joinLines(noMaterials), withoutMaterials), 0);
    EXPECT_EQ(withoutMaterials.materialCount, 0);
    ASSERT_EQ(withoutMaterials.objectCount, 1);
    EXPECT_EQ(withoutMaterials.drawObjects[0].material.dwSize, 0u);  // no material to pair with
    EXPECT_EQ(withoutMaterials.drawObjects[0].vertices.size(), 3u);
}

TEST(FileLevel, FileEndingAfterTheMaterialListHasNoObjects) {
    Lines lines = workedExample();
    lines.resize(findLine(lines, "*GEOMOBJECT"));
    Scene scene;
    std::string messages;
    EXPECT_EQ(readText(joinLines(lines), scene, nullptr, &messages), 0);
    EXPECT_EQ(messages, "Read ASE Complete!!\n");
    EXPECT_EQ(scene.objectCount, 0);
}

TEST(FileLevel, FileEndingRightAfterTheCommentIsComplete) {
    Lines lines = workedExample();
    lines.resize(2);
    Scene scene;
    EXPECT_EQ(readText(joinLines(lines), scene), 0);
    EXPECT_EQ(scene.sceneInfo.comment, "\"WorkedExample\"");
}

TEST(FileLevel, OtherLinesBetweenObjectsAreSkippedIncludingEofText) {
    Lines lines = workedExample();
    const std::size_t object = findLine(lines, "*GEOMOBJECT");
    Lines objectLines(lines.begin() + static_cast<long>(object), lines.end());
    lines.push_back("EOF");
    lines.push_back("");
    lines.push_back("*HELPEROBJECT {");
    lines.insert(lines.end(), objectLines.begin(), objectLines.end());
    Scene scene;
    std::string messages;
    EXPECT_EQ(readText(joinLines(lines), scene, nullptr, &messages), 0);
    EXPECT_EQ(scene.objectCount, 2);
    EXPECT_EQ(messages, "1 Object Compelete!!\n2 Object Compelete!!\nRead ASE Complete!!\n");
    // Two objects, one material: the second object gets no material from the reader.
    EXPECT_EQ(scene.drawObjects[1].material.dwSize, 0u);
}

TEST(FileLevel, ExtraMaterialsArePairedOnlyWithExistingObjects) {
    Lines lines = workedExample();
    const std::size_t first = findLine(lines, "*MATERIAL 0 {");
    const std::size_t last = findLine(lines, "*GEOMOBJECT") - 1;  // the list's closing line
    Lines material(lines.begin() + static_cast<long>(first),
                   lines.begin() + static_cast<long>(last));
    for (int copy = 0; copy < 3; ++copy) {
        lines.insert(lines.begin() + static_cast<long>(last), material.begin(), material.end());
    }
    lines[findLine(lines, "*MATERIAL_COUNT")] = "\t*MATERIAL_COUNT 4";
    Scene scene;
    EXPECT_EQ(readText(joinLines(lines), scene), 0);
    EXPECT_EQ(scene.materialCount, 4);
    EXPECT_EQ(scene.materials.size(), 4u);
    EXPECT_EQ(scene.drawObjects.size(), 1u);
    EXPECT_EQ(scene.drawObjects[0].material.power, 10.0f);
}

TEST(FileLevel, EmptyKeywordLineKeepsThePreviousKeyword) {
    // The list's closing line is replaced by an empty one: the keyword is still the material's "}".
    Lines lines = workedExample();
    lines[findLine(lines, "*GEOMOBJECT") - 1] = "";
    Scene scene;
    EXPECT_EQ(readText(joinLines(lines), scene), 0);
    EXPECT_EQ(scene.objectCount, 1);
}

struct StopCase {
    const char* name;
    const char* line;     // text of the line to change
    const char* replace;  // its replacement; null removes the line
    const char* expected;
    int linesAfter;  // the stop comes this many lines after the changed one
};

class Stops : public testing::TestWithParam<StopCase> {};

TEST_P(Stops, ReportTheLineKeepWhatWasReadAndDrawNothing) {
    const StopCase& stop = GetParam();
    Lines lines = workedExample();
    const std::size_t at = findLine(lines, stop.line);
    if (stop.replace != nullptr) {
        lines[at] = stop.replace;
    } else {
        lines.erase(lines.begin() + static_cast<long>(at));
    }
    Scene scene;
    ReadReport report;
    std::string messages, errors;
    EXPECT_NE(readText(joinLines(lines), scene, &report, &messages, &errors), 0);
    EXPECT_FALSE(report.complete);
    const long stopLine = static_cast<long>(at) + 1 + stop.linesAfter;
    EXPECT_EQ(report.line, stopLine);
    EXPECT_NE(errors.find(":" + std::to_string(stopLine) + ": expected"), std::string::npos)
        << errors;
    EXPECT_NE(errors.find(stop.expected), std::string::npos) << errors;
    EXPECT_EQ(errors, "aseplay: " + report.error + "\n");
    EXPECT_EQ(messages.find("Read ASE Complete!!\n"), std::string::npos);
    EXPECT_EQ(scene.objectCount, 0);
    for (const DrawObject& draw : scene.drawObjects) EXPECT_TRUE(draw.vertices.empty());
    if (!scene.geomObjects.empty()) {
        EXPECT_EQ(scene.geomObjects[0].name, "\"Tri\"");
    }
}

INSTANTIATE_TEST_SUITE_P(
    ReaderStops, Stops,
    testing::Values(
        StopCase{"SceneClose", "*SCENE_AMBIENT_STATIC", nullptr, "closing the scene block", 1},
        StopCase{"NodeTmClose", "*TM_SCALEAXISANG", nullptr, "closing the node transform", 1},
        StopCase{"MeshOpen", "*MESH {", "\t*MESHX {", "\"*MESH\"", 0},
        StopCase{"VertexListOpen", "*MESH_VERTEX_LIST", "\t\t*MESH_VERTICES {", "vertex list", 0},
        StopCase{"FaceListClose", "*MESH_NUMFACES", "\t\t*MESH_NUMFACES 0", "closing the face list",
                 7},
        StopCase{"NormalsOpen", "*MESH_NORMALS", "\t\t*MESH_NORMAL {", "opening the normals", 0}),
    [](const testing::TestParamInfo<StopCase>& info) { return info.param.name; });

TEST(StopsAtTheEnd, FileEndingInsideABlockStopsWithoutLooping) {
    const Lines lines = workedExample();
    for (std::size_t keep :
         {std::size_t{1}, std::size_t{5}, findLine(lines, "*MESH_FACE    0"), lines.size() - 1}) {
        Scene scene;
        ReadReport report;
        std::string errors;
        EXPECT_NE(readText(joinLines(Lines(lines.begin(), lines.begin() + static_cast<long>(keep))),
                           scene, &report, nullptr, &errors),
                  0)
            << keep;
        EXPECT_NE(errors.find("found the end of the file"), std::string::npos) << errors;
        EXPECT_EQ(report.line, static_cast<long>(keep));
    }
}

TEST(StopsAtTheEnd, EmptyListWithoutItsOpeningLineIsAStop) {
    Lines lines = workedExample();
    const std::size_t open = findLine(lines, "*MESH_VERTEX_LIST");
    lines[findLine(lines, "*MESH_NUMVERTEX")] = "\t\t*MESH_NUMVERTEX 0";
    lines.erase(lines.begin() + static_cast<long>(open),
                lines.begin() + static_cast<long>(open) + 4);
    Scene scene;
    EXPECT_NE(readText(joinLines(lines), scene), 0);
}

TEST(MissingFile, GivesOneErrorAndAnEmptyScene) {
    Scene scene;
    ReadReport report;
    EXPECT_NE(readScene(scene, "/nonexistent/zz.ase", &report), 0);
    const std::string errors = problemLines(report.messages);
    EXPECT_NE(errors.find("/nonexistent/zz.ase"), std::string::npos);
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1);
    EXPECT_FALSE(report.complete);
    EXPECT_TRUE(scene.geomObjects.empty());
    EXPECT_EQ(scene.objectCount, 0);
}

TEST(LongLines, AreCutAndTheReadGoesOn) {
    Lines lines = workedExample();
    lines[findLine(lines, "*COMMENT")] = "*COMMENT \"" + std::string(400, 'c') + "\"";
    Scene scene;
    std::string errors;
    EXPECT_EQ(readText(joinLines(lines), scene, nullptr, nullptr, &errors), 0);
    EXPECT_EQ(scene.sceneInfo.comment.view().size(), 254u - std::string("*COMMENT ").size());
    EXPECT_NE(errors.find(":2: line longer"), std::string::npos) << errors;
    EXPECT_EQ(scene.objectCount, 1);
}

}  // namespace
