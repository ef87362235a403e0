// The tolerant reading: files in the exporter's layout keep every value, the other exporters'
// layouts are read, the real exported scenes are read completely, and what cannot be an ASE scene
// still stops.
#include "ase/tolerant_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iomanip>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "anim/obj_export.h"
#include "anim/posing.h"
#include "prep/prepare.h"
#include "scene_text.h"
#include "shell/commands.h"
#include "tools/scenegen/scene_writer.h"

namespace {

struct TolerantRead {
    int result;
    Scene scene;
    ReadReport report;
    std::string messages;
    std::string errors;
};

TolerantRead readFile(const std::string& path, ReadMode mode = ReadMode::tolerant) {
    TolerantRead read;
    read.result = readScene(read.scene, path.c_str(), &read.report, mode);
    read.errors = problemLines(read.report.messages);
    read.messages = progressLines(read.report.messages);
    return read;
}

TolerantRead readTolerant(const std::string& text, ReadMode mode = ReadMode::tolerant) {
    const std::string path = writeTempFile(text);
    TolerantRead read = readFile(path, mode);
    std::remove(path.c_str());
    return read;
}

// Reads a text that must be read completely by the tolerant reading but not by the layout's.
TolerantRead readBeyondLayout(const std::string& text) {
    TolerantRead read = readTolerant(text);
    EXPECT_EQ(read.result, 0) << read.errors;
    EXPECT_TRUE(read.report.complete);
    EXPECT_FALSE(read.report.strict);
    EXPECT_EQ(read.errors, "");
    return read;
}

std::string generate(const SceneGenOptions& options) {
    std::FILE* file = std::tmpfile();
    EXPECT_TRUE(writeScene(options, file));
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    EXPECT_EQ(std::fread(text.data(), 1, text.size(), file), text.size());
    std::fclose(file);
    return text;
}

SceneGenOptions smallScene() {
    SceneGenOptions options;
    options.objects = 2;
    options.facesPerObject = 24;
    options.keys = 3;
    return options;
}

// First line of each kind met beyond the layout.
std::map<std::string, long> extensionLines(const ReadReport& report) {
    std::map<std::string, long> lines;
    for (const ReadExtension& extension : report.extensions) {
        EXPECT_TRUE(lines.emplace(extension.kind, extension.line).second) << extension.kind;
    }
    return lines;
}

// The number of the first line of `text` that holds `needle` (1 for the first line).
long lineOf(const std::string& text, const std::string& needle) {
    const std::size_t at = text.find(needle);
    EXPECT_NE(at, std::string::npos) << needle;
    return 1 +
           static_cast<long>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
}

// --- files in the exporter's layout ---

// Every value the records hold, as text, so that two readings can be compared whole.
class Fingerprint {
  public:
    std::string of(const Scene& scene) {
        const SceneInfo& info = scene.sceneInfo;
        add(info.version).add(info.comment).add(info.sceneFileName).add(info.firstFrame);
        add(info.lastFrame).add(info.frameSpeed).add(info.ticksPerFrame);
        add(info.backgroundColor).add(info.ambientColor).add(scene.materialCount);
        for (const AseMaterial& material : scene.materials) material_(material);
        add(scene.objectCount);
        for (std::size_t i = 0; i < scene.geomObjects.size(); ++i) {
            object(scene.geomObjects[i]);
            add(scene.drawObjects[i].meshFrameCount).add(scene.drawObjects[i].vertices.size());
            add(scene.drawObjects[i].material.diffuse.r).add(scene.drawObjects[i].material.power);
        }
        for (const LightObject& light : scene.lights) {
            add(light.name).add(light.lightType).add(light.shadows).add(light.useLight);
            add(light.spotShape).add(light.overshoot).add(light.time).add(light.color);
            add(light.intensity).add(light.hotspot).add(light.falloff).add(light.targetDistance);
            add(light.mapSize).add(light.rayBias).add(light.parentName);
            for (const NodeTransform& tm : light.nodeTms) transform(tm);
            for (const NodeTracks& t : light.tracks) tracks(t);
        }
        for (const CameraObject& camera : scene.cameras) {
            add(camera.name).add(camera.cameraType).add(camera.time).add(camera.nearClip);
            add(camera.farClip).add(camera.fov).add(camera.targetDistance).add(camera.parentName);
            for (const NodeTransform& tm : camera.nodeTms) transform(tm);
            for (const NodeTracks& t : camera.tracks) tracks(t);
            for (const CameraAnimation& animation : camera.animations) {
                add(animation.nodeName).add(animation.posKeys.size());
                for (const TrackSample& s : animation.posSamples) add(s.time).add(s.x).add(s.z);
                for (const TrackSample& s : animation.rotSamples) add(s.time).add(s.y);
            }
        }
        return out_.str();
    }

  private:
    template <class T>
    Fingerprint& add(const T& value) {
        out_ << value << ' ';
        return *this;
    }
    Fingerprint& add(const AseText& text) { return add(text.view()); }
    Fingerprint& add(const D3DVECTOR& v) { return add(v.x).add(v.y).add(v.z); }

    void material_(const AseMaterial& m) {
        add(m.index).add(m.name).add(m.className).add(m.ambient).add(m.diffuse).add(m.specular);
        add(m.shine).add(m.shineStrength).add(m.transparency).add(m.wireSize).add(m.shading);
        add(m.xpFalloff).add(m.selfIllum).add(m.falloff).add(m.soften).add(m.xpType);
        add(m.hasDiffuseMap).add(m.diffuseMap.bitmap).add(m.diffuseMap.uTiling);
        add(m.diffuseMap.noiseLevel).add(m.diffuseMap.bitmapFilter);
    }

    void transform(const NodeTransform& tm) {
        add(tm.name).add(tm.inheritPos[0]).add(tm.inheritScale[2]).add(tm.row0).add(tm.row3);
        add(tm.tmPos).add(tm.rotAxis).add(tm.rotAngle).add(tm.scale).add(tm.scaleAxisAngle);
    }

    void tracks(const NodeTracks& t) {
        add(t.nodeName).add(static_cast<int>(t.posStyle)).add(static_cast<int>(t.rotStyle));
        add(static_cast<int>(t.scaleStyle));
        for (const PosKey& k : t.posKeys) add(k.time).add(k.values[2]).add(k.values[6]);
        for (const RotKey& k : t.rotKeys) add(k.time).add(k.values[0]).add(k.values[3]);
        for (const ScaleKey& k : t.scaleKeys) add(k.time).add(k.values[1]).add(k.values[6]);
        for (const auto* samples : {&t.posSamples, &t.rotSamples, &t.scaleSamples}) {
            for (const SampleKey& s : *samples) add(s.time).add(s.values[0]).add(s.values[3]);
        }
    }

    void object(const GeomObject& o) {
        add(o.name).add(o.parentName).add(o.meshTime).add(o.vertexCount).add(o.faceCount);
        transform(o.nodeTm);
        for (const D3DVECTOR& v : o.vertices) add(v);
        for (const MeshFace& f : o.faces)
            add(f.a).add(f.b).add(f.c).add(f.ab).add(f.ca).add(f.materialId);
        add(o.texVertexCount).add(o.texFaceCount).add(o.colorVertexCount);
        for (const TexVertex& t : o.texVertices) add(t.index).add(t.u).add(t.v);
        for (const TexFace& t : o.texFaces) add(t.index).add(t.a).add(t.c);
        for (const FaceNormal& n : o.faceNormals) add(n.faceIndex).add(n.x).add(n.z);
        for (const VertexNormal& n : o.vertexNormals) add(n.vertexIndex).add(n.y);
        add(o.motionBlur).add(o.castShadow).add(o.receiveShadow).add(o.animNodeName);
        for (const PosKey& k : o.posKeys)
            add(k.time).add(k.values[0]).add(k.values[8]).add(k.flags);
        for (const RotKey& k : o.rotKeys) add(k.time).add(k.values[3]).add(k.values[4]);
        for (const ScaleKey& k : o.scaleKeys) add(k.time).add(k.values[0]).add(k.values[12]);
        tracks(o.tracks);
        add(o.materialRef).add(o.hasMaterialRef).add(o.wireframeColor);
        for (const MeshFrame& frame : o.meshFrames) {
            add(frame.time).add(frame.vertexCount).add(frame.faceCount);
            for (const D3DVECTOR& v : frame.vertices) add(v);
            for (const MeshFace& f : frame.faces) add(f.b);
            for (const VertexNormal& n : frame.vertexNormals) add(n.x);
        }
    }

    std::ostringstream out_;
};

SceneGenOptions everyLayoutFeature(TrackStyle style) {
    SceneGenOptions options = smallScene();
    options.objects = 3;
    options.hierarchy = Hierarchy::Chain;
    options.posTrack = style;
    options.rotTrack = TrackStyle::Tcb;
    options.scaleTrack = style;
    options.lights = 2;
    options.cameras = 1;
    options.meshFrames = 2;
    options.materials = 2;
    options.diffuseMap = "0.spr";
    return options;
}

TEST(LayoutFiles, KeywordReadingGivesTheValuesOfThePositionalReading) {
    for (const TrackStyle style : {TrackStyle::Bezier, TrackStyle::Tcb}) {
        const std::string text = generate(everyLayoutFeature(style));
        Scene positional;
        ASSERT_EQ(readText(text, positional), 0);

        // The keyword reading on its own, as it runs when a file leaves the layout elsewhere.
        const std::string path = writeTempFile(text);
        std::FILE* file = std::fopen(path.c_str(), "rb");
        Scene byKeywords;
        ReadReport report;
        std::vector<std::string> missingBlocks;
        LineSource lines(file);
        readByKeywords(byKeywords, lines, path.c_str(), report, missingBlocks);
        std::fclose(file);
        std::remove(path.c_str());
        ASSERT_TRUE(report.complete) << report.error;
        EXPECT_TRUE(report.extensions.empty()) << report.extensions[0].kind;
        EXPECT_TRUE(missingBlocks.empty());
        EXPECT_EQ(Fingerprint().of(byKeywords), Fingerprint().of(positional));
    }
}

TEST(LayoutFiles, TolerantModeKeepsThePositionalReadingAndItsMessages) {
    const std::string text = generate(everyLayoutFeature(TrackStyle::Bezier));
    const TolerantRead strict = readTolerant(text, ReadMode::strict);
    const TolerantRead tolerant = readTolerant(text);
    ASSERT_EQ(tolerant.result, 0);
    EXPECT_TRUE(tolerant.report.strict);
    EXPECT_TRUE(tolerant.report.extensions.empty());
    EXPECT_EQ(tolerant.messages, strict.messages);
    EXPECT_EQ(Fingerprint().of(tolerant.scene), Fingerprint().of(strict.scene));

    const TolerantRead example = readFile(ASEPLAY_TEST_DATA "/worked_example.ase");
    EXPECT_TRUE(example.report.strict);
    EXPECT_EQ(example.messages, "1 Object Compelete!!\nRead ASE Complete!!\n");
}

// --- the other exporters' layouts, as the generator writes them ---

TEST(OtherLayouts, ColourVertexListsWithAndWithoutTheirCountLine) {
    for (const bool withCount : {true, false}) {
        SceneGenOptions options = smallScene();
        options.layout.colorVertices = true;
        options.layout.noColorCount = !withCount;
        const std::string text = generate(options);
        const TolerantRead read = readBeyondLayout(text);
        ASSERT_EQ(read.scene.objectCount, 2);
        for (const GeomObject& object : read.scene.geomObjects) {
            ASSERT_EQ(object.colorVertices.size(), object.vertexCount);
            EXPECT_EQ(object.colorVertexCount, object.vertexCount);
            ASSERT_EQ(object.colorFaces.size(), object.faceCount);
            EXPECT_EQ(object.colorFaces[5].b, object.faces[5].b);
            EXPECT_EQ(object.colorVertices[3].z, 1.0f);
            EXPECT_EQ(object.vertexNormals.size(), 3u * object.faceCount);
        }
        EXPECT_EQ(extensionLines(read.report).at("*MESH_CVERTLIST"),
                  lineOf(text, "*MESH_CVERTLIST"));
    }
}

TEST(OtherLayouts, MissingNormalsAreTheFaceNormalsOnEveryCorner) {
    SceneGenOptions options = smallScene();
    const TolerantRead withNormals = readTolerant(generate(options));
    options.layout.noNormals = true;
    const std::string text = generate(options);
    const TolerantRead computed = readBeyondLayout(text);
    EXPECT_EQ(extensionLines(computed.report).at("*MESH_NORMALS missing: computed from the faces"),
              lineOf(text, "*PROP_MOTIONBLUR") - 1);  // the mesh's closing line
    const GeomObject& object = computed.scene.geomObjects[0];
    const GeomObject& exported = withNormals.scene.geomObjects[0];
    ASSERT_EQ(object.faceNormals.size(), 24u);
    ASSERT_EQ(object.vertexNormals.size(), 72u);
    int compared = 0;
    for (std::size_t f = 0; f < 24; ++f) {
        const FaceNormal& n = object.faceNormals[f];
        // The pole's triangles are degenerate once written with four decimals: zero normals.
        if (n.x == 0.0f && n.y == 0.0f && n.z == 0.0f) continue;
        ++compared;
        // The generator writes the same normalised face normals the exporter would.
        EXPECT_NEAR(object.faceNormals[f].x, exported.faceNormals[f].x, 1e-4) << f;
        EXPECT_NEAR(object.faceNormals[f].y, exported.faceNormals[f].y, 1e-4) << f;
        EXPECT_NEAR(object.faceNormals[f].z, exported.faceNormals[f].z, 1e-4) << f;
        EXPECT_EQ(object.faceNormals[f].faceIndex, static_cast<std::int16_t>(f));
        const MeshFace& face = object.faces[f];
        EXPECT_EQ(object.vertexNormals[3 * f + 2].vertexIndex, face.c);
        EXPECT_EQ(object.vertexNormals[3 * f + 1].z, object.faceNormals[f].z);
    }
    EXPECT_GE(compared, 16);
}

TEST(OtherLayouts, ComputedNormalOfADegenerateOrBrokenFaceIsZero) {
    Lines lines = workedExample();
    const std::size_t normals = findLine(lines, "*MESH_NORMALS");
    lines.erase(lines.begin() + static_cast<long>(normals),
                lines.begin() + static_cast<long>(normals) + 6);
    const std::size_t face = findLine(lines, "*MESH_FACE    0");
    lines[face] = "\t\t\t*MESH_FACE    0:    A:    0 B:    1 C:    9 AB: 1 BC: 1 CA: 1";
    const Lines copy = lines;
    const TolerantRead broken = readBeyondLayout(joinLines(lines));
    EXPECT_EQ(broken.scene.geomObjects[0].faceNormals[0].z, 0.0f);
    lines[face] = "\t\t\t*MESH_FACE    0:    A:    0 B:    1 C:    1 AB: 1 BC: 1 CA: 1";
    const TolerantRead degenerate = readBeyondLayout(joinLines(lines));
    EXPECT_EQ(degenerate.scene.geomObjects[0].vertexNormals[2].z, 0.0f);
    EXPECT_FALSE(std::isnan(degenerate.scene.geomObjects[0].vertexNormals[2].x));
    lines = copy;
    lines[face] = "\t\t\t*MESH_FACE    0:    A:    0 B:    1 C:    2 AB: 1 BC: 1 CA: 1";
    const TolerantRead plain = readBeyondLayout(joinLines(lines));
    EXPECT_EQ(plain.scene.geomObjects[0].vertexNormals[0].z, 1.0f);  // counter-clockwise in x, y
}

TEST(OtherLayouts, MappingChannelsAreSkippedWhole) {
    SceneGenOptions options = smallScene();
    const TolerantRead plain = readTolerant(generate(options));
    options.layout.mappingChannel = true;
    const std::string text = generate(options);
    const TolerantRead read = readBeyondLayout(text);
    EXPECT_EQ(extensionLines(read.report).at("*MESH_MAPPINGCHANNEL"),
              lineOf(text, "*MESH_MAPPINGCHANNEL"));
    EXPECT_EQ(Fingerprint().of(read.scene), Fingerprint().of(plain.scene));
}

TEST(OtherLayouts, NestedSubMaterialsAndMapsOfEveryKind) {
    SceneGenOptions options = smallScene();
    options.materials = 2;
    options.diffuseMap = "wood.bmp";
    const TolerantRead plain = readTolerant(generate(options));
    options.layout.subMaterials = true;
    options.layout.allMaps = true;
    const std::string text = generate(options);
    const TolerantRead read = readBeyondLayout(text);
    ASSERT_EQ(read.scene.materials.size(), 2u);
    const AseMaterial& material = read.scene.materials[1];
    EXPECT_EQ(material.diffuse.x, plain.scene.materials[1].diffuse.x);
    EXPECT_EQ(material.specular.y, 0.9f);
    EXPECT_EQ(material.diffuseMap.bitmap, "\"wood.bmp\"");  // not the bump map's bitmap
    EXPECT_EQ(material.subMaterialCount, 2);
    ASSERT_EQ(material.subMaterials.size(), 2u);
    EXPECT_EQ(material.subMaterials[1].name, "\"Sub1\"");
    EXPECT_EQ(material.subMaterials[1].diffuse.z, 0.2f);
    ASSERT_EQ(material.subMaterials[0].subMaterials.size(), 1u);
    EXPECT_EQ(material.subMaterials[0].subMaterials[0].name, "\"SubSub\"");
    EXPECT_EQ(read.scene.drawObjects[1].material.diffuse.r, material.diffuse.x);
    const auto kinds = extensionLines(read.report);
    for (const char* kind : {"*MAP_BUMP", "*MAP_OPACITY", "*MAP_REFLECT", "*SUBMATERIAL"}) {
        EXPECT_EQ(kinds.count(kind), 1u) << kind;
    }
    EXPECT_EQ(kinds.count("*MAP_GENERIC"), 0u);  // inside the bump map, skipped with it
}

TEST(OtherLayouts, MaterialLinesInAnotherOrderOrMissing) {
    SceneGenOptions options = smallScene();
    options.diffuseMap = "wood.bmp";
    const TolerantRead plain = readTolerant(generate(options));
    options.layout.looseMaterials = true;
    const TolerantRead read = readBeyondLayout(generate(options));
    const AseMaterial& material = read.scene.materials[0];
    const AseMaterial& expected = plain.scene.materials[0];
    EXPECT_EQ(material.diffuse.y, expected.diffuse.y);
    EXPECT_EQ(material.specular.x, expected.specular.x);
    EXPECT_EQ(material.diffuseMap.bitmap, "\"wood.bmp\"");
    EXPECT_EQ(material.xpType, "Filter");
    EXPECT_EQ(material.shineStrength, 0.0f);  // left out by this exporter
    EXPECT_EQ(material.ambient.x, 0.0f);
    EXPECT_EQ(read.scene.drawObjects[0].material.diffuse.g, expected.diffuse.y);
    EXPECT_EQ(extensionLines(read.report).count("*MATERIAL_TWOSIDED"), 1u);
}

TEST(OtherLayouts, SampledTracksAreKeptAsSamplesNotKeys) {
    SceneGenOptions options = smallScene();
    options.posTrack = options.rotTrack = options.scaleTrack = TrackStyle::Sampled;
    const std::string text = generate(options);
    const TolerantRead read = readBeyondLayout(text);
    for (const GeomObject& object : read.scene.geomObjects) {
        EXPECT_TRUE(object.posKeys.empty() && object.rotKeys.empty() && object.scaleKeys.empty());
        ASSERT_EQ(object.tracks.posSamples.size(), 3u);
        ASSERT_EQ(object.tracks.rotSamples.size(), 3u);
        ASSERT_EQ(object.tracks.scaleSamples.size(), 3u);
        EXPECT_EQ(object.tracks.posSamples[2].time, 100 * 160);
        EXPECT_EQ(object.tracks.posSamples[2].values[0], object.nodeTm.tmPos.x + 2);
        EXPECT_EQ(object.tracks.rotSamples[1].values[2], 1.0f);
        EXPECT_EQ(object.tracks.rotSamples[1].values[3], 0.5f);  // the angle is kept
        EXPECT_EQ(object.tracks.scaleSamples[1].values[1], 1.25f);
        EXPECT_EQ(object.tracks.scaleSamples[1].values[6], 0.0f);
        EXPECT_EQ(object.materialRef, 0);
    }
    EXPECT_EQ(extensionLines(read.report).at("*CONTROL_ROT_TRACK"),
              lineOf(text, "*CONTROL_ROT_TRACK"));
}

TEST(OtherLayouts, LinearTracksBecomeKeys) {
    SceneGenOptions options = smallScene();
    options.materials = 2;
    options.posTrack = options.rotTrack = options.scaleTrack = TrackStyle::Linear;
    const TolerantRead read = readBeyondLayout(generate(options));
    const GeomObject& object = read.scene.geomObjects[1];
    ASSERT_EQ(object.posKeys.size(), 3u);
    ASSERT_EQ(object.rotKeys.size(), 3u);
    ASSERT_EQ(object.scaleKeys.size(), 3u);
    EXPECT_EQ(object.posKeys[1].time, 50 * 160);
    EXPECT_EQ(object.posKeys[1].values[0], object.nodeTm.tmPos.x + 1);
    EXPECT_EQ(object.posKeys[1].values[3], 0.0f);
    EXPECT_EQ(object.rotKeys[2].values[2], 1.0f);
    EXPECT_EQ(object.rotKeys[2].values[3], 0.5f);
    EXPECT_EQ(object.scaleKeys[1].values[0], 1.25f);
    EXPECT_EQ(object.scaleKeys[1].values[7], 0.0f);
    EXPECT_EQ(object.materialRef, 1);  // the lines after the animation block are the object's
}

TEST(OtherLayouts, HelpersShapesAndGroups) {
    SceneGenOptions options = smallScene();
    options.objects = 3;
    options.layout.helpers = 2;
    options.layout.shapes = true;
    options.layout.group = true;
    const std::string text = generate(options);
    const TolerantRead read = readTolerant(text);
    ASSERT_EQ(read.result, 0) << read.errors;
    ASSERT_EQ(read.scene.objectCount, 3);  // the group's members are read
    for (const GeomObject& object : read.scene.geomObjects) {
        EXPECT_EQ(object.parentName, "\"Helper0\"");  // a parent that is no geometry object
        EXPECT_EQ(object.faces.size(), 24u);
    }
    ASSERT_EQ(read.scene.helpers.size(), 2u);  // read, though they draw nothing
    EXPECT_EQ(read.scene.helpers[0].name, "\"Helper0\"");
    EXPECT_EQ(read.scene.helpers[1].parentName, "\"Helper0\"");
    EXPECT_EQ(read.scene.helpers[1].helperClass, "\"Dummy\"");
    EXPECT_EQ(read.scene.helpers[1].nodeTm.name, "\"Helper1\"");
    EXPECT_EQ(read.messages,
              "1 Object Compelete!!\n2 Object Compelete!!\n3 Object Compelete!!\n"
              "Read ASE Complete!!\n");
}

// Every node kind keeps its animation blocks whole; the per-frame tables see only the key tracks
// the original records hold.
TEST(OtherLayouts, AnimationBlocksOfEveryNodeKindAreKeptWhole) {
    SceneGenOptions options = smallScene();
    options.objects = 1;
    options.lights = 1;
    options.cameras = 1;
    options.layout.helpers = 1;
    std::string text = generate(options);
    const auto insertAfter = [&](const std::string& anchor, const std::string& lines) {
        const std::size_t at = text.find('\n', text.find(anchor)) + 1;
        text.insert(at, lines);
    };
    insertAfter("*NODE_PARENT \"Helper0\"",
                "\t*TM_ANIMATION {\r\n\t\t*NODE_NAME \"Object00\"\r\n"
                "\t\t*CONTROL_ROT_BEZIER {\r\n"
                "\t\t\t*CONTROL_BEZIER_ROT_KEY 0\t0\t0\t1\t0\r\n"
                "\t\t\t*CONTROL_BEZIER_ROT_KEY 800\t0\t0\t1\t0.5\r\n\t\t}\r\n"
                "\t\t*CONTROL_POS_TCB {\r\n"
                "\t\t\t*CONTROL_TCB_POS_KEY 0\t1\t2\t3\t0\t0\t0\t0\t0\r\n"
                "\t\t\t*CONTROL_TCB_POS_KEY 800\t4\t5\t6\t0\t0\t0\t0\t0\r\n\t\t}\r\n\t}\r\n");
    insertAfter("*HELPER_CLASS",
                "\t*TM_ANIMATION {\r\n\t\t*NODE_NAME \"Helper0\"\r\n\t\t*CONTROL_POS_TRACK {\r\n"
                "\t\t\t*CONTROL_POS_SAMPLE 160\t7\t8\t9\r\n\t\t}\r\n\t}\r\n");
    insertAfter("*LIGHTOBJECT {", "\t*NODE_PARENT \"Helper0\"\r\n");
    insertAfter("*CAMERAOBJECT {", "\t*NODE_PARENT \"Object00\"\r\n");
    const TolerantRead read = readBeyondLayout(text);
    const Scene& scene = read.scene;

    const GeomObject& object = scene.geomObjects[0];
    EXPECT_TRUE(object.rotKeys.empty());  // the tables never had Bezier rotations
    EXPECT_EQ(object.posKeys.size(), 2u);
    EXPECT_EQ(object.tracks.nodeName, "\"Object00\"");
    EXPECT_EQ(object.tracks.rotStyle, KeyStyle::bezier);
    ASSERT_EQ(object.tracks.rotKeys.size(), 2u);
    EXPECT_EQ(object.tracks.rotKeys[1].values[3], 0.5f);
    EXPECT_EQ(object.tracks.posStyle, KeyStyle::tcb);
    EXPECT_EQ(object.tracks.posKeys[1].values[2], 6.0f);

    ASSERT_EQ(scene.helpers.size(), 1u);
    ASSERT_EQ(scene.helpers[0].tracks.posSamples.size(), 1u);
    EXPECT_EQ(scene.helpers[0].tracks.posSamples[0].values[1], 8.0f);
    EXPECT_EQ(scene.lights[0].parentName, "\"Helper0\"");
    EXPECT_EQ(scene.cameras[0].parentName, "\"Object00\"");
    ASSERT_EQ(scene.cameras[0].tracks.size(), scene.cameras[0].animations.size());
    const NodeTracks& camera = scene.cameras[0].tracks[0];
    EXPECT_FALSE(camera.rotSamples.empty());
    // The camera record keeps a rotation sample's axis only; its tracks keep the angle too.
    EXPECT_EQ(camera.rotSamples[0].values[0], scene.cameras[0].animations[0].rotSamples[0].x);
    EXPECT_EQ(scene.cameras[0].animations[0].rotSamples.size(), camera.rotSamples.size() + 1);
}

TEST(OtherLayouts, MeshAnimationRightAfterTheMesh) {
    SceneGenOptions options = smallScene();
    options.meshFrames = 2;
    options.materials = 2;
    options.layout.meshAnimationFirst = true;
    const TolerantRead read = readBeyondLayout(generate(options));
    ASSERT_EQ(read.scene.objectCount, 2);
    const GeomObject& object = read.scene.geomObjects[1];
    EXPECT_EQ(read.scene.drawObjects[1].meshFrameCount, 2);
    ASSERT_EQ(object.meshFrames.size(), 2u);
    EXPECT_EQ(object.meshFrames[1].faces.size(), 24u);
    EXPECT_EQ(object.castShadow, 1);
    EXPECT_EQ(object.materialRef, 1);
}

TEST(OtherLayouts, HeaderWithASpaceAndNoCommentOrSceneBlock) {
    SceneGenOptions options = smallScene();
    options.layout.spaceHeader = true;
    options.layout.noSceneBlock = true;
    const TolerantRead read = readBeyondLayout(generate(options));
    EXPECT_EQ(read.scene.sceneInfo.version, 200);
    EXPECT_EQ(read.scene.sceneInfo.comment, "");
    EXPECT_EQ(read.scene.sceneInfo.lastFrame, 0);
    EXPECT_EQ(read.scene.materialCount, 1);
    EXPECT_EQ(read.scene.objectCount, 2);
}

// --- hand-made files around the worked example ---

std::string exampleWithBefore(const Lines& block, const std::string& before) {
    Lines lines = workedExample();
    const std::size_t at = findLine(lines, before);
    lines.insert(lines.begin() + static_cast<long>(at), block.begin(), block.end());
    return joinLines(lines);
}

TEST(Mended, LinearTrackNoLongerEndsTheAnimationBlock) {
    const std::string text = exampleWithBefore(
        {"\t*TM_ANIMATION {", "\t\t*NODE_NAME \"Tri\"", "\t\t*CONTROL_POS_LINEAR {",
         "\t\t\t*CONTROL_POS_KEY 0\t1 2 3", "\t\t\t*CONTROL_POS_KEY 160\t4 5 6", "\t\t}",
         "\t\t*CONTROL_ROT_LINEAR {", "\t\t\t*CONTROL_ROT_KEY 160\t0 0 1\t0.5", "\t\t}", "\t}"},
        "*MATERIAL_REF");
    const std::string withRef = text.substr(0, text.find("*MATERIAL_REF 0")) + "*MATERIAL_REF 7" +
                                text.substr(text.find("*MATERIAL_REF 0") + 15);
    const TolerantRead strict = readTolerant(withRef, ReadMode::strict);
    EXPECT_NE(strict.scene.geomObjects[0].materialRef, 7);  // the positional misreading

    const TolerantRead read = readBeyondLayout(withRef);
    const GeomObject& object = read.scene.geomObjects[0];
    ASSERT_EQ(object.posKeys.size(), 2u);
    EXPECT_EQ(object.posKeys[1].time, 160);
    EXPECT_EQ(object.posKeys[1].values[2], 6.0f);
    ASSERT_EQ(object.rotKeys.size(), 1u);
    EXPECT_EQ(object.rotKeys[0].values[3], 0.5f);
    EXPECT_EQ(object.materialRef, 7);
}

TEST(Mended, SampledTrackOfARealSceneNoLongerShiftsTheObjectsTail) {
    const TolerantRead strict =
        readFile(ASEPLAY_TEST_DATA "/CameraRollAnimWithChildObject.ase", ReadMode::strict);
    const TolerantRead read = readFile(ASEPLAY_TEST_DATA "/CameraRollAnimWithChildObject.ase");
    ASSERT_EQ(read.result, 0);
    EXPECT_FALSE(read.report.strict);
    const GeomObject& box = read.scene.geomObjects[1];
    EXPECT_EQ(box.wireframeColor.y, 0.5294f);
    EXPECT_NE(strict.scene.geomObjects[1].wireframeColor.y, 0.5294f);
    EXPECT_EQ(box.tracks.posSamples.size(), 94u);
    EXPECT_TRUE(box.posKeys.empty());
    // The camera keeps the layout's reading of its tracks, closing line record included.
    EXPECT_EQ(read.scene.cameras[0].animations[0].rotSamples.size(), 122u);
}

TEST(Mended, ObjectWithoutMaterialLineNoLongerSwallowsTheNextObject) {
    Lines lines = workedExample();
    lines.erase(lines.begin() + static_cast<long>(findLine(lines, "*MATERIAL_REF")));
    const std::size_t object = findLine(lines, "*GEOMOBJECT");
    const Lines objectLines(lines.begin() + static_cast<long>(object), lines.end());
    lines.insert(lines.end(), objectLines.begin(), objectLines.end());
    const TolerantRead strict = readTolerant(joinLines(lines), ReadMode::strict);
    EXPECT_EQ(strict.scene.objectCount, 1);
    const TolerantRead read = readBeyondLayout(joinLines(lines));
    EXPECT_EQ(read.scene.objectCount, 2);
}

TEST(Skipping, UnknownBlocksAreSkippedWholeWhereverTheyStand) {
    const std::string text =
        exampleWithBefore({"\t*USER_DATA {", "\t\t*INNER {", "\t\t\t*MATERIAL_REF 9", "\t\t}",
                           "\t\t*MATERIAL_REF 8", "\t}", "\t*MESH_ANIMATION {", "\t}"},
                          "*PROP_MOTIONBLUR");
    const TolerantRead read = readBeyondLayout(text);
    EXPECT_EQ(read.scene.geomObjects[0].materialRef, 0);
    EXPECT_EQ(read.scene.geomObjects[0].castShadow, 1);
    EXPECT_EQ(extensionLines(read.report).at("*USER_DATA"), lineOf(text, "*USER_DATA"));
    EXPECT_EQ(extensionLines(read.report).count("*INNER"), 0u);
}

TEST(Damaged, CountsLargerThanTheirListsAreNotBelieved) {
    Lines lines = workedExample();
    lines[findLine(lines, "*MATERIAL_COUNT")] = "\t*MATERIAL_COUNT 9";
    lines[findLine(lines, "*MESH_NUMVERTEX")] = "\t\t*MESH_NUMVERTEX 65535";
    lines[findLine(lines, "*MESH_NUMFACES")] = "\t\t*MESH_NUMFACES 65535";
    const TolerantRead read = readTolerant(joinLines(lines));
    ASSERT_EQ(read.result, 0) << read.errors;
    EXPECT_EQ(read.scene.materialCount, 1);
    EXPECT_EQ(read.scene.materials.size(), 1u);
    const GeomObject& object = read.scene.geomObjects[0];
    EXPECT_EQ(object.vertexCount, 3);
    EXPECT_EQ(object.vertices.size(), 3u);
    EXPECT_EQ(object.faceCount, 1);
    EXPECT_EQ(object.faceNormals.size(), 1u);
    EXPECT_EQ(read.scene.drawObjects[0].vertices.size(), 3u);
}

TEST(Damaged, OverlongLineIsWarnedOfOnceThoughTheFileIsReadTwice) {
    SceneGenOptions options = smallScene();
    options.layout.colorVertices = true;
    std::string text = generate(options);
    const std::string comment = "*COMMENT \"aseplay-scenegen\"";
    text.replace(text.find(comment), comment.size(), "*COMMENT \"" + std::string(300, 'c') + "\"");
    const TolerantRead read = readTolerant(text);
    ASSERT_EQ(read.result, 0);
    EXPECT_FALSE(read.report.strict);
    EXPECT_EQ(read.errors.find("line longer"), read.errors.rfind("line longer")) << read.errors;
    EXPECT_NE(read.errors.find(":2: line longer"), std::string::npos) << read.errors;
}

TEST(Stops, MisspeltBlockWhereTheLayoutNeedsOneStillStops) {
    Lines lines = workedExample();
    lines[findLine(lines, "*MESH_NORMALS")] = "\t\t*NORMALS {";
    const TolerantRead read = readTolerant(joinLines(lines));
    EXPECT_NE(read.result, 0);
    EXPECT_FALSE(read.report.complete);
    EXPECT_EQ(read.scene.objectCount, 0);
    EXPECT_NE(read.errors.find("expected \"*MESH_NORMALS\""), std::string::npos) << read.errors;
    EXPECT_EQ(std::count(read.errors.begin(), read.errors.end(), '\n'), 1);
}

TEST(Stops, UnknownBlockBeforeTheNeededOneIsSkipped) {
    Lines lines = workedExample();
    const std::size_t normals = findLine(lines, "*MESH_NORMALS");
    lines.insert(lines.begin() + static_cast<long>(normals), {"\t\t*MESH_EXTRA {", "\t\t}"});
    const TolerantRead read = readBeyondLayout(joinLines(lines));
    EXPECT_EQ(read.scene.objectCount, 1);
    EXPECT_EQ(read.scene.geomObjects[0].vertexNormals[2].vertexIndex, 2);
    EXPECT_EQ(extensionLines(read.report).at("*MESH_EXTRA"), static_cast<long>(normals) + 1);
    // once, not per reading
    EXPECT_EQ(read.messages, "1 Object Compelete!!\nRead ASE Complete!!\n");

    // Without a report both readings run to the same end.
    const std::string path = writeTempFile(joinLines(lines));
    Scene quiet;
    EXPECT_EQ(readScene(quiet, path.c_str(), nullptr, ReadMode::tolerant), 0);
    std::remove(path.c_str());
    EXPECT_EQ(quiet.objectCount, 1);
}

TEST(Stops, FileEndingInsideABlockStopsTheTolerantReadingToo) {
    SceneGenOptions options = smallScene();
    options.layout.colorVertices = true;
    const std::string text = generate(options);
    const std::string cut = text.substr(0, text.find("*MESH_CFACE 1"));
    const TolerantRead read = readTolerant(cut);
    EXPECT_NE(read.result, 0);
    EXPECT_EQ(read.scene.objectCount, 0);
    EXPECT_NE(read.errors.find("found the end of the file"), std::string::npos) << read.errors;
    EXPECT_EQ(read.report.line, lineOf(cut, "*MESH_CFACE 0") + 1);
}

TEST(Stops, NotAnAseFileGetsOneClearErrorInEitherMode) {
    for (const std::string& text :
         {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
          std::string("hello world\n*SCENE {\n}\n"), std::string("\n*3DSMAX_ASCIIEXPORT 200\n")}) {
        for (const ReadMode mode : {ReadMode::strict, ReadMode::tolerant}) {
            const TolerantRead read = readTolerant(text, mode);
            EXPECT_NE(read.result, 0);
            EXPECT_FALSE(read.report.complete);
            EXPECT_EQ(read.report.line, 1);
            EXPECT_NE(read.errors.find(":1: not an ASE scene file"), std::string::npos)
                << read.errors;
            EXPECT_EQ(std::count(read.errors.begin(), read.errors.end(), '\n'), 1);
            EXPECT_EQ(read.messages, "");
        }
    }
    const TolerantRead marked = readTolerant("\xEF\xBB\xBF*3DSMAX_ASCIIEXPORT 200\n*COMMENT x\n");
    EXPECT_EQ(marked.result, 0) << marked.errors;  // a byte-order mark is no reason to refuse
}

// --- the real exported scenes ---

// What the file itself says: the objects' names and face counts, by their lines.
struct FileFacts {
    std::vector<std::string> names;
    std::vector<int> faces;
};

FileFacts factsOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    FileFacts facts;
    bool inObject = false;
    for (std::string line; std::getline(file, line);) {
        std::istringstream words(line);
        std::string keyword, value;
        words >> keyword;
        words >> std::ws;
        if (words.peek() == '"') {
            words >> std::quoted(value, '"', '\0');  // the whole quoted text, quotes kept
            value = '"' + value + '"';
        } else {
            words >> value;
        }
        if (keyword == "*GEOMOBJECT") inObject = true;
        if (inObject && keyword == "*NODE_NAME") {
            facts.names.push_back(value);
            inObject = false;
        }
        if (keyword == "*MESH_NUMFACES") facts.faces.push_back(std::stoi(value));
    }
    return facts;
}

struct RealScene {
    const char* file;
    int objects;
    int faces;
    bool strict;
};

class RealScenes : public testing::TestWithParam<RealScene> {};

TEST_P(RealScenes, AreReadCompletelyWithTheNamesAndFacesTheFileGives) {
    const RealScene& expected = GetParam();
    const std::string path = std::string(ASEPLAY_TEST_DATA "/") + expected.file;
    const TolerantRead read = readFile(path);
    ASSERT_EQ(read.result, 0) << read.errors;
    EXPECT_EQ(read.report.strict, expected.strict);
    ASSERT_EQ(read.scene.objectCount, expected.objects);
    const FileFacts facts = factsOf(path);
    ASSERT_EQ(facts.names.size(), static_cast<std::size_t>(expected.objects));
    int faces = 0;
    for (int i = 0; i < expected.objects; ++i) {
        const GeomObject& object = read.scene.geomObjects[static_cast<std::size_t>(i)];
        EXPECT_EQ(object.name, facts.names[static_cast<std::size_t>(i)]);
        EXPECT_EQ(object.faceCount, facts.faces[static_cast<std::size_t>(i)]);
        EXPECT_EQ(object.faces.size(), object.faceCount);
        EXPECT_EQ(object.vertexNormals.size(), 3u * object.faceCount);
        for (const MeshFace& face : object.faces) ASSERT_LT(face.c, object.vertexCount);
        faces += object.faceCount;
    }
    EXPECT_EQ(faces, expected.faces);
    EXPECT_EQ(read.scene.drawObjects.back().vertices.size(),
              3u * read.scene.geomObjects.back().faceCount);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RealScenes,
    testing::Values(RealScene{"CameraRollAnimWithChildObject.ase", 2, 24, false},
                    RealScene{"MotionCaptureROM.ase", 26, 2016, false},
                    RealScene{"TargetCameraAnim.ase", 1, 12, true},
                    RealScene{"anim2.ASE", 2, 24, false}, RealScene{"Rifle2.ase", 1, 572, false}),
    [](const testing::TestParamInfo<RealScene>& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

TEST(RealSceneDetails, MotionCaptureHierarchyUnderHelpersAndSampledTracks) {
    const TolerantRead read = readFile(ASEPLAY_TEST_DATA "/MotionCaptureROM.ase");
    const Scene& scene = read.scene;
    EXPECT_EQ(scene.geomObjects[0].parentName, "*NONEPARENT");
    EXPECT_EQ(scene.geomObjects[1].name, "\"Bip01 Schritte\"");
    EXPECT_EQ(scene.geomObjects[1].parentName, "\"Bip01\"");
    int sampled = 0;
    for (const GeomObject& object : scene.geomObjects) {
        EXPECT_TRUE(object.rotKeys.empty());
        if (!object.tracks.rotSamples.empty()) ++sampled;
    }
    EXPECT_EQ(sampled, 23);  // every rotation track of the file is in a geometry object
    EXPECT_EQ(extensionLines(read.report).at("*HELPEROBJECT"), 6818);
}

// Cut at their first space, most names of this figure would read "Bip01 and every limb would hang
// from the root.
TEST(RealSceneDetails, NamesWithSpacesLinkEachLimbToItsOwnParent) {
    TolerantRead read = readFile(ASEPLAY_TEST_DATA "/MotionCaptureROM.ase");
    Scene& scene = read.scene;
    prepareScene(scene);
    const auto indexOf = [&](std::string_view name) {
        for (std::size_t i = 0; i < scene.geomObjects.size(); ++i) {
            if (scene.geomObjects[i].name == name) return static_cast<std::uint16_t>(i);
        }
        ADD_FAILURE() << name;
        return std::uint16_t{0};
    };
    const auto& upperArm = scene.drawObjects[indexOf("\"Bip01 L Oberarm\"")].subtree;
    EXPECT_EQ(upperArm.size(), 4u);  // itself, the forearm, the hand and the thumb
    EXPECT_NE(std::find(upperArm.begin(), upperArm.end(), indexOf("\"Bip01 L Hand\"")),
              upperArm.end());
    EXPECT_EQ(std::find(upperArm.begin(), upperArm.end(), indexOf("\"Bip01 R Hand\"")),
              upperArm.end());
    EXPECT_EQ(scene.drawObjects[0].subtree.size(), scene.geomObjects.size());
}

TEST(RealSceneDetails, RifleFromAnotherToolKeepsItsMaterialsAndColours) {
    const TolerantRead read = readFile(ASEPLAY_TEST_DATA "/Rifle2.ase");
    const Scene& scene = read.scene;
    EXPECT_EQ(scene.sceneInfo.version, 200);
    EXPECT_EQ(scene.sceneInfo.comment, "\"created by AC3D.\"");
    EXPECT_EQ(scene.sceneInfo.lastFrame, 100);
    ASSERT_EQ(scene.materialCount, 23);
    EXPECT_EQ(scene.materials[0].diffuseMap.bitmap, "\"m_rifl.bmp\"");
    EXPECT_EQ(scene.materials[0].specular.x, 0.898039f);
    EXPECT_EQ(scene.materials[0].xpType, "Filter");
    EXPECT_EQ(scene.materials[22].index, 22);
    const GeomObject& rifle = scene.geomObjects[0];
    EXPECT_EQ(rifle.texVertices.size(), 1716u);
    EXPECT_EQ(rifle.texFaces.size(), 572u);
    EXPECT_EQ(rifle.colorVertices.size(), 1716u);
    EXPECT_EQ(rifle.colorFaces.size(), 572u);
    EXPECT_EQ(rifle.colorFaces[1].c, 5);
    EXPECT_EQ(rifle.vertexNormals[3].vertexIndex, 1);  // normals come before the texture lists
    EXPECT_EQ(rifle.materialRef, 0);
}

TEST(RealSceneDetails, LightsAndCameraOfAnim2) {
    const TolerantRead read = readFile(ASEPLAY_TEST_DATA "/anim2.ASE");
    const Scene& scene = read.scene;
    ASSERT_EQ(scene.lights.size(), 3u);
    EXPECT_EQ(scene.lights[2].lightType, "Free");
    ASSERT_EQ(scene.cameras.size(), 1u);
    EXPECT_EQ(scene.cameras[0].nodeTms.size(), 2u);
    const GeomObject& box = scene.geomObjects[1];
    ASSERT_EQ(box.tracks.scaleSamples.size(), 45u);
    EXPECT_EQ(box.tracks.scaleSamples[0].values[0], 0.7750f);
    EXPECT_EQ(box.tracks.scaleSamples[0].values[6], 0.0039f);
    EXPECT_EQ(read.messages.find("3 Light Compelete!!\n") != std::string::npos, true);
}

// --- what --info shows of it ---

nlohmann::json infoOn(const std::string& path, int expectedExit = 0) {
    Options options;
    options.scenePath = path;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(runInfo(options), expectedExit);
    testing::internal::GetCapturedStderr();
    return nlohmann::json::parse(testing::internal::GetCapturedStdout());
}

TEST(Info, SaysWhetherTheLayoutHeldAndWhatWasMetBeyondIt) {
    const nlohmann::json example = infoOn(ASEPLAY_TEST_DATA "/worked_example.ase");
    EXPECT_EQ(example["strict"], true);
    EXPECT_EQ(example["extensions"], nlohmann::json::array());
    EXPECT_FALSE(example["objects"][0].contains("samples"));

    const nlohmann::json rifle = infoOn(ASEPLAY_TEST_DATA "/Rifle2.ase");
    EXPECT_EQ(rifle["complete"], true);
    EXPECT_EQ(rifle["strict"], false);
    EXPECT_EQ(rifle["objectCount"], 1);
    EXPECT_EQ(rifle["extensions"][0],
              (nlohmann::json{{"kind", "*MATERIAL_TWOSIDED"}, {"line", 26}}));
    EXPECT_EQ(rifle["extensions"][1],
              (nlohmann::json{{"kind", "*MESH_CVERTLIST"}, {"line", 5947}}));

    const nlohmann::json motion = infoOn(ASEPLAY_TEST_DATA "/MotionCaptureROM.ase");
    EXPECT_EQ(motion["objects"][1]["samples"]["rot"], 272);  // the sample lines of its track
    EXPECT_EQ(motion["objects"][1]["rotKeys"], 0);
    EXPECT_EQ(
        motion["objects"][1]["tracks"][1],
        (nlohmann::json{
            {"part", "rotation"}, {"holds", "samples"}, {"count", 272}, {"models", {"exact"}}}));
    EXPECT_EQ(motion["helpers"].size(), 5u);
    EXPECT_EQ(motion["helpers"][0]["parentName"], "\"Bip01 Kopf\"");
    EXPECT_EQ(motion["nodes"], 31);  // 26 objects and 5 helpers
    const nlohmann::json keyed = infoOn(ASEPLAY_SOURCE_DIR "/tests/anim/data/chain.ase");
    EXPECT_EQ(keyed["objects"][1]["tracks"][0]["models"], nlohmann::json({"table", "exact"}));
}

TEST(Info, SubMaterialsAreListedUnderTheirMaterial) {
    SceneGenOptions options = smallScene();
    options.layout.subMaterials = true;
    const std::string path = writeTempFile(generate(options));
    const nlohmann::json document = infoOn(path);
    std::remove(path.c_str());
    const nlohmann::json& subs = document["materials"][0]["subMaterials"];
    ASSERT_EQ(subs.size(), 2u);
    EXPECT_EQ(subs[0]["subMaterials"][0]["name"], "\"SubSub\"");
}

// --- what is read can be prepared, posed and exported ---

TEST(PosedAndExported, RealScenesAndLinearTracks) {
    SceneGenOptions linear = smallScene();
    linear.hierarchy = Hierarchy::Chain;
    linear.posTrack = linear.rotTrack = linear.scaleTrack = TrackStyle::Linear;
    const std::string linearPath = writeTempFile(generate(linear));
    for (const std::string& path :
         {std::string(ASEPLAY_TEST_DATA "/MotionCaptureROM.ase"),
          std::string(ASEPLAY_TEST_DATA "/Rifle2.ase"), std::string(ASEPLAY_TEST_DATA "/anim2.ASE"),
          std::string(ASEPLAY_TEST_DATA "/CameraRollAnimWithChildObject.ase"), linearPath}) {
        TolerantRead read = readFile(path);
        ASSERT_EQ(read.result, 0) << path;
        prepareScene(read.scene);
        PoseWork work;
        poseScene(read.scene, read.scene.sceneInfo.lastFrame / 2, work);
        std::FILE* obj = std::tmpfile();
        ASSERT_TRUE(writeObj(obj, read.scene, work)) << path;
        std::rewind(obj);
        int faceLines = 0;
        int faces = 0;
        char line[512];
        while (std::fgets(line, sizeof line, obj) != nullptr) faceLines += line[0] == 'f';
        std::fclose(obj);
        for (const GeomObject& object : read.scene.geomObjects) faces += object.faceCount;
        EXPECT_EQ(faceLines, faces) << path;
        for (std::size_t i = 0; i < work.workVertices.size(); ++i) {
            for (const D3DVERTEX& vertex : work.workVertices[i]) {
                ASSERT_TRUE(std::isfinite(vertex.x) && std::isfinite(vertex.nz))
                    << path << " " << i;
            }
        }
    }
    std::remove(linearPath.c_str());
}

}  // namespace
