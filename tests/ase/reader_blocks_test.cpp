// Blocks inside and beside a geometry object: parents, materials, texture lists, key tracks, mesh
// animation, lights and cameras.
#include <gtest/gtest.h>

#include "scene_text.h"

namespace {

// The worked example with `block` inserted before the line that holds `before`.
std::string exampleWith(const Lines& block, const std::string& before) {
    Lines lines = workedExample();
    const std::size_t at = findLine(lines, before);
    lines.insert(lines.begin() + static_cast<long>(at), block.begin(), block.end());
    return joinLines(lines);
}

// The worked example with an animation block between the object's flags and its material line.
std::string exampleWithAnimation(const Lines& tracks) {
    Lines block{"\t*TM_ANIMATION {", "\t\t*NODE_NAME \"Tri\""};
    block.insert(block.end(), tracks.begin(), tracks.end());
    block.push_back("\t}");
    return exampleWith(block, "*MATERIAL_REF");
}

Scene readComplete(const std::string& text) {
    Scene scene;
    ReadReport report;
    std::string errors;
    EXPECT_EQ(readText(text, scene, &report, nullptr, &errors), 0) << errors;
    return scene;
}

TEST(ObjectHeader, ParentLineAndTwoWordName) {
    Lines lines = workedExample();
    lines[findLine(lines, "*NODE_NAME \"Tri\"")] = "\t*NODE_NAME \"Big Tri\"";
    lines.insert(lines.begin() + static_cast<long>(findLine(lines, "*NODE_TM")),
                 "\t*NODE_PARENT \"Root\"");
    const Scene scene = readComplete(joinLines(lines));
    EXPECT_EQ(scene.geomObjects[0].name, "\"Big Tri\"");
    EXPECT_EQ(scene.geomObjects[0].parentName, "\"Root\"");
    EXPECT_EQ(scene.geomObjects[0].nodeTm.tmPos.x, 5.0f);
}

TEST(Materials, SoftenLineAndDiffuseMap) {
    Lines lines = workedExample();
    const std::size_t xpType = findLine(lines, "*MATERIAL_XP_TYPE");
    const Lines map{"\t\t*MAP_DIFFUSE {",
                    "\t\t\t*MAP_NAME \"Map1\"",
                    "\t\t\t*MAP_CLASS \"Bitmap\"",
                    "\t\t\t*MAP_SUBNO 1",
                    "\t\t\t*MAP_AMOUNT 1.0000",
                    "\t\t\t*BITMAP \"0.spr\"",
                    "\t\t\t*MAP_TYPE Screen",
                    "\t\t\t*UVW_U_OFFSET 0.5",
                    "\t\t\t*UVW_V_OFFSET 0.0",
                    "\t\t\t*UVW_U_TILING 2.0",
                    "\t\t\t*UVW_V_TILING 1.0",
                    "\t\t\t*UVW_ANGLE 0.0",
                    "\t\t\t*UVW_BLUR 1.0",
                    "\t\t\t*UVW_BLUR_OFFSET 0.0",
                    "\t\t\t*UVW_NOUSE_AMT 1.0",
                    "\t\t\t*UVW_NOISE_SIZE 3.0",
                    "\t\t\t*UVW_NOISE_LEVEL 4",
                    "\t\t\t*UVW_NOISE_PHASE 0.25",
                    "\t\t\t*BITMAP_FILTER Pyramidal",
                    "\t\t}"};
    lines.insert(lines.begin() + static_cast<long>(xpType) + 1, map.begin(), map.end());
    lines.insert(lines.begin() + static_cast<long>(xpType), "\t\t*MATERIAL_SOFTEN");
    const Scene scene = readComplete(joinLines(lines));
    const AseMaterial& material = scene.materials[0];
    EXPECT_EQ(material.soften, 0.0f);
    EXPECT_EQ(material.xpType, "Filter");
    ASSERT_TRUE(material.hasDiffuseMap);
    EXPECT_EQ(material.diffuseMap.bitmap, "\"0.spr\"");
    EXPECT_EQ(material.diffuseMap.uOffset, 0.5f);
    EXPECT_EQ(material.diffuseMap.uTiling, 2.0f);
    EXPECT_EQ(material.diffuseMap.noiseSize, 3.0f);
    EXPECT_EQ(material.diffuseMap.noiseLevel, 4);
    EXPECT_EQ(material.diffuseMap.noisePhase, 0.25f);
    EXPECT_EQ(material.diffuseMap.bitmapFilter, "Pyramidal");
    EXPECT_EQ(scene.objectCount, 1);
}

TEST(TextureLists, VerticesWithoutFacesGoOnWithTheColourCount) {
    Lines lines = workedExample();
    const std::size_t count = findLine(lines, "*MESH_NUMTVERTEX");
    lines[count] = "\t\t*MESH_NUMTVERTEX 3";
    const Lines list{"\t\t*MESH_TVERTLIST {",
                     "\t\t\t*MESH_TVERT 0\t0.0\t0.0\t0.0",
                     "\t\t\t*MESH_TVERT 1\t1.0\t0.0\t0.0",
                     "\t\t\t*MESH_TVERT 2\t0.0\t1.0\t0.0",
                     "\t\t}",
                     "\t\t*MESH_NUMTVFACES 0"};
    lines.insert(lines.begin() + static_cast<long>(count) + 1, list.begin(), list.end());
    const Scene scene = readComplete(joinLines(lines));
    const GeomObject& object = scene.geomObjects[0];
    ASSERT_EQ(object.texVertices.size(), 3u);
    EXPECT_EQ(object.texVertices[2].v, 1.0f);
    EXPECT_EQ(object.texFaceCount, 0);
    EXPECT_TRUE(object.texFaces.empty());
    EXPECT_EQ(object.faceNormals.size(), 1u);
}

TEST(KeyTracks, LaterTrackOfTheSameKindReplacesTheEarlier) {
    const Scene scene = readComplete(exampleWithAnimation(
        {"\t\t*CONTROL_POS_BEZIER {", "\t\t\t*CONTROL_BEZIER_POS_KEY 0\t1 2 3\t0 0 0\t0 0 0\t7",
         "\t\t\t*CONTROL_BEZIER_POS_KEY 160\t4 5 6\t0 0 0\t0 0 0\t7", "\t\t}",
         "\t\t*CONTROL_POS_TCB {", "\t\t\t*CONTROL_TCB_POS_KEY 320\t7 8 9\t25 0 0 0 0", "\t\t}",
         "\t\t*CONTROL_SCALE_TCB {", "\t\t\t*CONTROL_TCB_SCALE_KEY 0\t1 1 1\t0 0 1 0\t25 0 0 0 0",
         "\t\t}", "\t\t*CONTROL_SCALE_BEZIER {", "\t\t}"}));
    const GeomObject& object = scene.geomObjects[0];
    EXPECT_EQ(object.animNodeName, "\"Tri\"");
    ASSERT_EQ(object.posKeys.size(), 1u);
    EXPECT_EQ(object.posKeys[0].time, 320);
    EXPECT_EQ(object.posKeys[0].values[2], 9.0f);
    EXPECT_EQ(object.posKeys[0].values[8], 0.0f);
    EXPECT_EQ(object.posKeys[0].flags, 0);
    EXPECT_TRUE(object.scaleKeys.empty());  // the empty Bezier track came last
    EXPECT_TRUE(object.rotKeys.empty());
    EXPECT_EQ(object.materialRef, 0);
}

TEST(KeyTracks, RotationOnlyLeavesTheOtherTracksEmpty) {
    Lines lines = workedExample();
    lines[findLine(lines, "*MATERIAL_REF")] = "\t*MATERIAL_REF 3";
    const std::size_t at = findLine(lines, "*MATERIAL_REF");
    const Lines block{"\t*TM_ANIMATION {",
                      "\t\t*NODE_NAME \"Tri\"",
                      "\t\t*CONTROL_ROT_TCB {",
                      "\t\t\t*CONTROL_TCB_ROT_KEY 0\t0 0 1\t0.5\t25 0 0 0 0",
                      "\t\t\t*CONTROL_TCB_ROT_KEY 160\t0 0 1\t0.25\t25 0 0 0 0",
                      "\t\t}",
                      "\t}"};
    lines.insert(lines.begin() + static_cast<long>(at), block.begin(), block.end());
    const Scene scene = readComplete(joinLines(lines));
    const GeomObject& object = scene.geomObjects[0];
    ASSERT_EQ(object.rotKeys.size(), 2u);
    EXPECT_EQ(object.rotKeys[1].time, 160);
    EXPECT_EQ(object.rotKeys[1].values[3], 0.25f);
    EXPECT_EQ(object.rotKeys[1].values[4], 25.0f);
    EXPECT_TRUE(object.posKeys.empty());
    EXPECT_TRUE(object.scaleKeys.empty());
    EXPECT_EQ(object.materialRef, 3);
}

TEST(KeyTracks, SampledTrackEndsTheBlockAndShiftsTheObjectsTail) {
    // The track's closing line ends the block; the block's own closing line is then taken as the
    // material line and the material line as the mesh animation line. The next object still reads.
    Lines lines = workedExample();
    lines[findLine(lines, "*MATERIAL_REF")] = "\t*MATERIAL_REF 3";
    const std::size_t object = findLine(lines, "*GEOMOBJECT");
    const Lines objectLines(lines.begin() + static_cast<long>(object), lines.end());
    const Lines block{"\t*TM_ANIMATION {",
                      "\t\t*NODE_NAME \"Tri\"",
                      "\t\t*CONTROL_POS_TRACK {",
                      "\t\t\t*CONTROL_POS_SAMPLE 0\t1 2 3",
                      "\t\t\t*CONTROL_POS_SAMPLE 160\t1 2 3",
                      "\t\t}",
                      "\t}"};
    lines.insert(lines.begin() + static_cast<long>(findLine(lines, "*MATERIAL_REF")), block.begin(),
                 block.end());
    lines.insert(lines.end(), objectLines.begin(), objectLines.end());
    const Scene scene = readComplete(joinLines(lines));
    ASSERT_EQ(scene.objectCount, 2);
    EXPECT_EQ(scene.geomObjects[0].materialRef, 0);
    EXPECT_TRUE(scene.geomObjects[0].posKeys.empty());
    EXPECT_EQ(scene.geomObjects[1].materialRef, 3);
}

Lines meshFrame(const std::string& opening, int extraVertices) {
    Lines frame{opening, "\t\t\t*TIMEVALUE 320", "\t\t\t*MESH_NUMVERTEX 2",
                "\t\t\t*MESH_NUMFACES 1", "\t\t\t*MESH_VERTEX_LIST {"};
    for (int v = 0; v < 2 + extraVertices; ++v) {
        frame.push_back("\t\t\t\t*MESH_VERTEX " + std::to_string(v) + "\t" + std::to_string(v + 1) +
                        ".5\t0\t0");
    }
    const Lines rest{"\t\t\t}",
                     "\t\t\t*MESH_FACE_LIST {",
                     "\t\t\t\t*MESH_FACE 0: A: 0 B: 1 C: 1 AB: 1 BC: 1 CA: 1",
                     "\t\t\t\t*MESH_FACE 1: A: 1 B: 1 C: 1 AB: 1 BC: 1 CA: 1",
                     "\t\t\t}",
                     "\t\t\t*MESH_NUMTVERTEX 0",
                     "\t\t\t*MESH_NUMCVERTEX 0",
                     "\t\t\t*MESH_NORMALS {",
                     "\t\t\t\t*MESH_FACENORMAL 0 0 0 1",
                     "\t\t\t\t\t*MESH_VERTEXNORMAL 0 0 0 1",
                     "\t\t\t\t\t*MESH_VERTEXNORMAL 1 0 0 1",
                     "\t\t\t\t\t*MESH_VERTEXNORMAL 1 0 0 1",
                     "\t\t\t\t*MESH_FACENORMAL 1 0 1 0",
                     "\t\t\t\t\t*MESH_VERTEXNORMAL 0 0 1 0",
                     "\t\t\t\t\t*MESH_VERTEXNORMAL 1 0 1 0",
                     "\t\t\t\t\t*MESH_VERTEXNORMAL 1 0 1 0",
                     "\t\t\t}",
                     "\t\t}"};
    frame.insert(frame.end(), rest.begin(), rest.end());
    return frame;
}

std::string exampleWithMeshAnimation(const Lines& frames) {
    Lines lines = workedExample();
    Lines block{"\t*MESH_ANIMATION {"};
    block.insert(block.end(), frames.begin(), frames.end());
    block.push_back("\t}");
    lines.insert(lines.end() - 1, block.begin(), block.end());
    return joinLines(lines);
}

TEST(MeshAnimation, TwoFramesAndLinesBeyondTheCountsAreDropped) {
    Lines frames = meshFrame("\t\t*MESH {", 0);
    const Lines second = meshFrame("\t\t*MESH {", 3);  // three vertex lines and a face too many
    frames.insert(frames.end(), second.begin(), second.end());
    const Scene scene = readComplete(exampleWithMeshAnimation(frames));
    ASSERT_EQ(scene.objectCount, 1);
    EXPECT_EQ(scene.drawObjects[0].meshFrameCount, 2);
    ASSERT_EQ(scene.geomObjects[0].meshFrames.size(), 2u);
    const MeshFrame& frame = scene.geomObjects[0].meshFrames[1];
    EXPECT_EQ(frame.time, 320);
    ASSERT_EQ(frame.vertices.size(), 2u);
    EXPECT_EQ(frame.vertices[1].x, 2.5f);
    ASSERT_EQ(frame.faces.size(), 1u);
    EXPECT_EQ(frame.faces[0].b, 1);
    ASSERT_EQ(frame.faceNormals.size(), 1u);
    EXPECT_EQ(frame.vertexNormals.size(), 3u);
    EXPECT_EQ(frame.vertexNormals[0].z, 1.0f);
}

TEST(MeshAnimation, FrameNotOpenedByMeshIsReadAndDropped) {
    Lines frames = meshFrame("\t\t*MESH_FRAME {", 0);
    const Lines second = meshFrame("\t\t*MESH {", 0);
    frames.insert(frames.end(), second.begin(), second.end());
    const Scene scene = readComplete(exampleWithMeshAnimation(frames));
    EXPECT_EQ(scene.drawObjects[0].meshFrameCount, 1);
    EXPECT_EQ(scene.geomObjects[0].meshFrames.size(), 1u);
}

TEST(MeshAnimation, FrameWithoutItsClosingLineOrListOpeningStops) {
    Lines unclosed = meshFrame("\t\t*MESH {", 0);
    unclosed.back() = "\t\t*MESH_END";
    Scene scene;
    EXPECT_NE(readText(exampleWithMeshAnimation(unclosed), scene), 0);
    EXPECT_EQ(scene.objectCount, 0);

    Lines noFaceList = meshFrame("\t\t*MESH {", 0);
    noFaceList[findLine(noFaceList, "*MESH_FACE_LIST")] = "\t\t\t*MESH_FACES {";
    Scene second;
    EXPECT_NE(readText(exampleWithMeshAnimation(noFaceList), second), 0);
}

Lines nodeTransform(const std::string& name) {
    return {"\t*NODE_TM {",           "\t\t*NODE_NAME " + name,
            "\t\t*INHERIT_POS 0 0 0", "\t\t*INHERIT_ROT 0 0 0",
            "\t\t*INHERIT_SCL 0 0 0", "\t\t*TM_ROW0 1 0 0",
            "\t\t*TM_ROW1 0 1 0",     "\t\t*TM_ROW2 0 0 1",
            "\t\t*TM_ROW3 1 2 3",     "\t\t*TM_POS 1 2 3",
            "\t\t*TM_ROTAXIS 0 0 0",  "\t\t*TM_ROTANGLE 0",
            "\t\t*TM_SCALE 1 1 1",    "\t\t*TM_SCALEAXIS 0 0 0",
            "\t\t*TM_SCALEAXISANG 0", "\t}"};
}

Lines light(const std::string& type, bool withTarget) {
    Lines lines{"*LIGHTOBJECT {", "\t*NODE_NAME \"Lamp\"", "\t*LIGHT_TYPE " + type};
    for (const Lines& tm :
         {nodeTransform("\"Lamp\""), withTarget ? nodeTransform("\"Lamp.Target\"") : Lines{}}) {
        lines.insert(lines.end(), tm.begin(), tm.end());
    }
    const Lines settings{
        "\t*LIGHT_SHADOWS Off",  "\t*LIGHT_USELIGHT 1",   "\t*LIGHT_SPOTSHAPE Circle",
        "\t*LIGHT_USEGLOBAL 0",  "\t*LIGHT_ABSMAPBIAS 0", "\t*LIGHT_OVERSHOOT 0",
        "\t*LIGHT_SETTINGS {",   "\t\t*TIMEVALUE 0",      "\t\t*LIGHT_COLOR 1 0.5 0.25",
        "\t\t*LIGHT_INTENS 2.0", "\t\t*LIGHT_ASPECT 1.0"};
    lines.insert(lines.end(), settings.begin(), settings.end());
    if (type != "Omni") {
        lines.push_back("\t\t*LIGHT_HOTSPOT 43.0");
        lines.push_back("\t\t*LIGHT_FALLOFF 45.0");
    }
    const Lines tail{"\t\t*LIGHT_TDIST 240.0",
                     "\t\t*LIGHT_MAPBIAS 1.0",
                     "\t\t*LIGHT_MAPRANGE 4.0",
                     "\t\t*LIGHT_MAPSIZE 512",
                     "\t\t*LIGHT_RAYBIAS 0.5",
                     "\t}",
                     "}"};
    lines.insert(lines.end(), tail.begin(), tail.end());
    return lines;
}

TEST(Lights, OmniTargetAndOtherTypes) {
    Lines lines = workedExample();
    for (const Lines& block :
         {light("Omni", false), light("Target", true), light("Directional", false)}) {
        lines.insert(lines.end(), block.begin(), block.end());
    }
    Scene scene;
    std::string messages;
    EXPECT_EQ(readText(joinLines(lines), scene, nullptr, &messages), 0);
    EXPECT_EQ(
        messages,
        "1 Object Compelete!!\n1 Light Compelete!!\n2 Light Compelete!!\n3 Light Compelete!!\n"
        "Read ASE Complete!!\n");
    ASSERT_EQ(scene.lights.size(), 3u);
    const LightObject& omni = scene.lights[0];
    EXPECT_EQ(omni.lightType, "Omni");
    EXPECT_EQ(omni.nodeTms.size(), 1u);
    EXPECT_EQ(omni.shadows, "Off");
    EXPECT_EQ(omni.color.z, 0.25f);
    EXPECT_EQ(omni.hotspot, 0.0f);
    EXPECT_EQ(omni.targetDistance, 240.0f);
    EXPECT_EQ(omni.mapSize, 512);
    EXPECT_EQ(omni.rayBias, 0.5f);
    const LightObject& target = scene.lights[1];
    EXPECT_EQ(target.nodeTms.size(), 2u);
    EXPECT_EQ(target.nodeTms[1].name, "\"Lamp.Target\"");
    EXPECT_EQ(target.hotspot, 43.0f);
    EXPECT_EQ(target.falloff, 45.0f);
    EXPECT_EQ(target.rayBias, 0.5f);
    const LightObject& other = scene.lights[2];
    EXPECT_EQ(other.spotShape, "Circle");
    EXPECT_EQ(other.intensity, 0.0f);  // no settings for other types
}

Lines camera(const Lines& animation) {
    Lines lines{"*CAMERAOBJECT {", "\t*NODE_NAME \"Cam\"", "\t*CAMERA_TYPE Target"};
    for (const Lines& tm : {nodeTransform("\"Cam\""), nodeTransform("\"Cam.Target\"")}) {
        lines.insert(lines.end(), tm.begin(), tm.end());
    }
    const Lines settings{"\t*CAMERA_SETTINGS {",
                         "\t\t*TIMEVALUE 0",
                         "\t\t*CAMERA_NEAR 1.0",
                         "\t\t*CAMERA_FAR 1000.0",
                         "\t\t*CAMERA_FOV 0.7854",
                         "\t\t*CAMERA_TDIST 100.0",
                         "\t}"};
    lines.insert(lines.end(), settings.begin(), settings.end());
    lines.insert(lines.end(), animation.begin(), animation.end());
    lines.push_back("}");
    return lines;
}

TEST(Cameras, TracksHoldOneRecordPerLineIncludingTheClosingOne) {
    Lines lines = workedExample();
    const Lines block =
        camera({"\t*TM_ANIMATION {", "\t\t*NODE_NAME \"Cam\"", "\t\t*CONTROL_POS_TRACK {",
                "\t\t\t*CONTROL_POS_SAMPLE 0\t1 2 3", "\t\t\t*CONTROL_POS_SAMPLE 160\t4 5 6",
                "\t\t}", "\t\t*CONTROL_ROT_TRACK {", "\t\t\t*CONTROL_ROT_SAMPLE 0\t0.1 0.2 0.3 0.4",
                "\t\t\t*SOMETHING_ELSE 160\t1 1 1 1", "\t\t}", "\t}", "\t*TM_ANIMATION {",
                "\t\t*NODE_NAME \"Cam.Target\"", "\t}"});
    lines.insert(lines.end(), block.begin(), block.end());
    const Scene scene = readComplete(joinLines(lines));
    ASSERT_EQ(scene.cameras.size(), 1u);
    const CameraObject& cam = scene.cameras[0];
    EXPECT_EQ(cam.cameraType, "Target");
    EXPECT_EQ(cam.nodeTms.size(), 2u);
    EXPECT_EQ(cam.fov, 0.7854f);
    EXPECT_EQ(cam.targetDistance, 100.0f);
    ASSERT_EQ(cam.animations.size(), 2u);
    const CameraAnimation& animation = cam.animations[0];
    ASSERT_EQ(animation.posSamples.size(), 3u);
    EXPECT_EQ(animation.posSamples[1].time, 160);
    EXPECT_EQ(animation.posSamples[1].z, 6.0f);
    EXPECT_EQ(animation.posSamples[2].time, 0);
    ASSERT_EQ(animation.rotSamples.size(), 3u);
    EXPECT_EQ(animation.rotSamples[0].z, 0.3f);
    EXPECT_EQ(animation.rotSamples[1].time, 0);  // a line of another kind leaves its record unset
    EXPECT_EQ(cam.animations[1].nodeName, "\"Cam.Target\"");
    EXPECT_TRUE(cam.animations[1].posSamples.empty());
}

TEST(Cameras, MissingSettingsIsAStop) {
    Lines lines = workedExample();
    Lines block = camera({});
    block[findLine(block, "*CAMERA_SETTINGS")] = "\t*CAMERA_OPTIONS {";
    lines.insert(lines.end(), block.begin(), block.end());
    Scene scene;
    std::string errors;
    EXPECT_NE(readText(joinLines(lines), scene, nullptr, nullptr, &errors), 0);
    EXPECT_NE(errors.find("\"*CAMERA_OPTIONS\""), std::string::npos) << errors;
    EXPECT_EQ(scene.cameras.size(), 1u);
    EXPECT_EQ(scene.geomObjects.size(), 1u);
    EXPECT_EQ(scene.objectCount, 0);
}

}  // namespace

namespace {

TEST(RealScene, LfOnlyExportWithSampledCameraTracksReadsCompletely) {
    Scene scene;
    ASSERT_EQ(readScene(scene, ASEPLAY_TEST_DATA "/CameraRollAnimWithChildObject.ase"), 0);
    ASSERT_EQ(scene.objectCount, 2);
    EXPECT_EQ(scene.sceneInfo.lastFrame, 300);
    EXPECT_EQ(scene.materialCount, 0);
    EXPECT_EQ(scene.geomObjects[1].name, "\"Box02\"");
    EXPECT_EQ(scene.geomObjects[1].parentName, "\"Camera01\"");
    EXPECT_EQ(scene.geomObjects[0].faceCount, 12);
    EXPECT_EQ(scene.geomObjects[0].texFaces.size(), 12u);
    EXPECT_EQ(scene.geomObjects[0].wireframeColor.x, 0.6941f);
    ASSERT_EQ(scene.cameras.size(), 1u);
    const CameraObject& camera = scene.cameras[0];
    EXPECT_EQ(camera.nodeTms.size(), 2u);
    EXPECT_EQ(camera.farClip, 1000.0f);
    ASSERT_EQ(camera.animations.size(), 2u);
    ASSERT_EQ(camera.animations[0].rotSamples.size(), 122u);  // 121 samples and the closing line
    EXPECT_EQ(camera.animations[0].rotSamples[0].x, 0.5694f);
    EXPECT_EQ(camera.animations[0].rotSamples[0].z, -0.5756f);
    EXPECT_EQ(camera.animations[1].nodeName, "\"Camera01.Target\"");
    EXPECT_EQ(camera.animations[1].posSamples.size(), 102u);
}

}  // namespace
