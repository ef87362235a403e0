#include "ase/reader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "ase/fields.h"
#include "ase/line_source.h"
#include "ase/progress.h"
#include "ase/scene_finish.h"
#include "ase/tolerant_reader.h"
#include "ase/track_blocks.h"
#include "platform/file_input.h"

namespace {

using namespace std::string_view_literals;

// Thrown to end the read early; never leaves this file.
struct ReadStopped {};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Walks the file in the exporter's order, one small function per block. Inside a block the end of
// the file, or a line that must open or close a block and does not, stops the read. Where the
// layout lets it go on but the line it takes is one it cannot use (a block that ends early or
// late), it notes that the file left the layout.
class SceneReader {
  public:
    SceneReader(Scene& scene, LineSource& lines, const char* fileName, std::FILE* messages,
                bool printErrors)
        : scene_(scene),
          lines_(lines),
          fileName_(fileName),
          messages_(messages),
          printErrors_(printErrors) {}

    void read() {
        readHeader();
        readSceneBlock();
        readMaterialList();
        readObjects();
        finish();
    }

    long stopLine() const { return lines_.lineNumber(); }
    const std::string& error() const { return error_; }
    bool leftLayout() const { return leftLayout_; }
    // Where a stop was: the block its line opened (empty when none) and the block that the
    // layout needed there (empty when it needed a closing line).
    const std::string& stopBlock() const { return stopBlock_; }
    const std::string& neededBlock() const { return neededBlock_; }

  private:
    // Names the block being read, for the stop message, while it is in scope.
    class Block {
      public:
        Block(SceneReader& reader, const char* name) : reader_(reader), outer_(reader.block_) {
            reader.block_ = name;
        }
        ~Block() { reader_.block_ = outer_; }

      private:
        SceneReader& reader_;
        const char* outer_;
    };

    // --- lines and keywords ---

    // The next line; inside a block the end of the file is a stop.
    const char* line() {
        const char* text = lines_.next();
        if (text == nullptr) stop(std::string("more of ") + block_, "the end of the file");
        return text;
    }

    void skipLines(int count) {
        for (int i = 0; i < count; ++i) line();
    }

    // The next line, whose first token becomes the keyword (an empty line keeps the old one).
    const char* keywordLine() {
        const char* text = line();
        takeKeyword(text);
        lineOpensBlock_ = opensBlock(text);
        return text;
    }

    // Where the file may end: false at its end (the keyword is then "EOF").
    bool keywordLineOrEnd() {
        const char* text = lines_.next();
        if (text == nullptr) {
            atEnd_ = true;
            setKeyword("EOF");
            return false;
        }
        takeKeyword(text);
        return true;
    }

    // The keyword line of a step where a block may open: the line an earlier step left unused, or
    // the next one. False at the end of the file.
    bool nextTopLevelKeyword() {
        if (pending_) {
            pending_ = false;
            return !atEnd_;
        }
        return keywordLineOrEnd();
    }

    void takeKeyword(const char* text) {
        const std::string_view token = firstToken(text);
        if (!token.empty()) setKeyword(token);
    }

    void setKeyword(std::string_view token) {
        keywordLength_ = std::min(token.size(), sizeof keyword_);
        std::memcpy(keyword_, token.data(), keywordLength_);
    }

    std::string_view keyword() const { return std::string_view(keyword_, keywordLength_); }
    bool is(std::string_view expected) const { return keyword() == expected; }

    void expect(std::string_view expected, const char* what) {
        if (!is(expected)) {
            if (lineOpensBlock_) stopBlock_ = keyword();
            if (expected != "}") neededBlock_ = expected;
            stop("\"" + std::string(expected) + "\" " + what, "\"" + std::string(keyword()) + "\"");
        }
    }

    [[noreturn]] void stop(const std::string& expected, const std::string& found) {
        fail(": expected " + expected + ", found " + found);
    }

    [[noreturn]] void fail(const std::string& what) {
        error_ = std::string(fileName_) + ":" + std::to_string(lines_.lineNumber()) + what;
        if (printErrors_) std::fprintf(stderr, "aseplay: %s\n", error_.c_str());
        throw ReadStopped{};
    }

    // The line is one the layout has no use for here: the tolerant reading must take over.
    void noteLeftLayout() { leftLayout_ = true; }

    // A keyword line that opens or closes a block, where the layout wants a plain line.
    void noteIfStructural(const char* text) {
        if (is("}") || opensBlock(text)) noteLeftLayout();
    }

    // --- header, scene block, materials ---

    void readHeader() {
        Block block(*this, "the file header");
        const char* first = line();
        if (!isAseHeaderLine(first))
            fail(": not an ASE scene file (its first line is no keyword line)");
        parseShort(scene_.sceneInfo.version, first);
        // Taken whatever its keyword; a block line here means the file has no comment line.
        const char* comment = line();
        if (firstToken(comment) == "}" || opensBlock(comment)) noteLeftLayout();
        parseName(scene_.sceneInfo.comment, comment);
    }

    // A line that is not the expected block's opening line is left for the next step.
    void readSceneBlock() {
        if (!nextTopLevelKeyword() || !is("*SCENE")) {
            pending_ = true;
            return;
        }
        Block block(*this, "the scene block");
        SceneInfo& info = scene_.sceneInfo;
        parseName(info.sceneFileName, line());
        parseShort(info.firstFrame, line());
        parseShort(info.lastFrame, line());
        parseShort(info.frameSpeed, line());
        parseShort(info.ticksPerFrame, line());
        parseVector(info.backgroundColor, line());
        parseVector(info.ambientColor, line());
        keywordLine();
        expect("}", "closing the scene block");
    }

    void readMaterialList() {
        if (!nextTopLevelKeyword() || !is("*MATERIAL_LIST")) {
            pending_ = true;
            return;
        }
        Block block(*this, "the material list");
        parseShort(scene_.materialCount, line());
        // Grown as materials are read, so that a count line alone cannot size the array beyond
        // what the file holds; a complete list ends with exactly materialCount records.
        scene_.materials.clear();
        for (int i = 0; i < scene_.materialCount; ++i)
            readMaterial(scene_.materials.emplace_back());
        keywordLine();
        expect("}", "closing the material list");
    }

    void readMaterial(AseMaterial& material) {
        Block block(*this, "a material");
        parseShort(material.index, line());
        parseName(material.name, line());
        parseName(material.className, line());
        parseVector(material.ambient, line());
        parseVector(material.diffuse, line());
        parseVector(material.specular, line());
        parseFloat(material.shine, line());
        parseFloat(material.shineStrength, line());
        parseFloat(material.transparency, line());
        parseFloat(material.wireSize, line());
        parseName(material.shading, line());
        parseFloat(material.xpFalloff, line());
        parseFloat(material.selfIllum, line());
        parseName(material.falloff, line());

        const char* text = keywordLine();
        if (is("*MATERIAL_SOFTEN")) {
            parseFloat(material.soften, text);
            parseName(material.xpType, line());
        } else if (is("*MATERIAL_XP_TYPE")) {
            parseName(material.xpType, text);
        } else {
            noteIfStructural(text);
        }

        keywordLine();
        if (is("*MAP_DIFFUSE")) {
            material.hasDiffuseMap = true;
            readDiffuseMap(material.diffuseMap);
            // the map's and the material's closing lines
            for (int i = 0; i < 2; ++i) {
                keywordLine();
                if (!is("}")) noteLeftLayout();
            }
        } else if (!is("}")) {
            noteLeftLayout();  // the next material would start inside this one
        }
    }

    void readDiffuseMap(DiffuseMap& map) {
        Block block(*this, "a diffuse map");
        parseName(map.name, line());
        parseName(map.className, line());
        parseShort(map.subNo, line());
        parseFloat(map.amount, line());
        parseName(map.bitmap, line());
        parseName(map.mapType, line());
        for (float* field : {&map.uOffset, &map.vOffset, &map.uTiling, &map.vTiling, &map.angle,
                             &map.blur, &map.blurOffset, &map.noiseAmount, &map.noiseSize}) {
            parseFloat(*field, line());
        }
        parseShort(map.noiseLevel, line());
        parseFloat(map.noisePhase, line());
        parseName(map.bitmapFilter, line());
    }

    // --- the main loop ---

    void checkRoomFor(std::size_t count, const char* what) {
        if (count >= kMaxSceneObjects) {
            fail(": more than " + std::to_string(kMaxSceneObjects) + " " + what);
        }
    }

    void readObjects() {
        while (nextTopLevelKeyword()) {
            if (is("*GEOMOBJECT")) {
                checkRoomFor(scene_.geomObjects.size(), "geometry objects");
                readGeomObject();
            } else if (is("*LIGHTOBJECT")) {
                checkRoomFor(scene_.lights.size(), "lights");
                readLight();
            } else if (is("*CAMERAOBJECT")) {
                checkRoomFor(scene_.cameras.size(), "cameras");
                readCamera();
            } else if (is("*HELPEROBJECT") || is("*TM_ANIMATION")) {
                // A helper's node, or an animation block no object took (a light's): only the
                // reading by keywords has a place for them.
                noteLeftLayout();
            }
        }
    }

    void finish() {
        printProgress(messages_, "Read ASE Complete!!");
        finishScene(scene_);
    }

    // --- geometry objects ---

    void readGeomObject() {
        Block block(*this, "a geometry object");
        GeomObject& object = scene_.geomObjects.emplace_back();
        DrawObject& draw = scene_.drawObjects.emplace_back();
        parseName(object.name, line());
        object.parentName.assign("*NONEPARENT");

        const char* text = keywordLine();
        if (is("*NODE_PARENT")) {
            parseName(object.parentName, text);
            line();  // the node transform's opening line
        }
        readNodeTransform(object.nodeTm);
        keywordLine();
        expect("}", "closing the node transform");

        keywordLine();
        expect("*MESH", "opening the mesh");
        readMesh(object);
        parseShort(object.motionBlur, line());
        parseShort(object.castShadow, line());
        parseShort(object.receiveShadow, line());

        text = keywordLine();
        if (is("*TM_ANIMATION")) {
            readObjectAnimation(object);
            text = keywordLine();
        }
        if (is("}")) noteLeftLayout();  // the object closed early: the next line is not its own
        readMaterialReference(object, text);

        keywordLine();
        if (is("*MESH_ANIMATION")) {
            readMeshAnimation(object, draw);
            keywordLine();  // the object's closing line
            if (!is("}")) noteLeftLayout();
        } else if (!is("}")) {
            noteLeftLayout();  // the rest of the object would be skipped line by line
        }
        printProgress(messages_, "%d Object Compelete!!", ++objectsRead_);
    }

    void readMaterialReference(GeomObject& object, const char* text) {
        if (is("*MATERIAL_REF")) {
            object.hasMaterialRef = true;
            parseShort(object.materialRef, text);
        } else if (is("*WIREFRAME_COLOR")) {
            parseVector(object.wireframeColor, text);
        }
    }

    void readNodeTransform(NodeTransform& tm) {
        Block block(*this, "a node transform");
        parseName(tm.name, line());
        parseShortTriple(tm.inheritPos, line());
        parseShortTriple(tm.inheritRot, line());
        parseShortTriple(tm.inheritScale, line());
        for (D3DVECTOR* row : {&tm.row0, &tm.row1, &tm.row2, &tm.row3, &tm.tmPos, &tm.rotAxis}) {
            parseVector(*row, line());
        }
        parseFloat(tm.rotAngle, line());
        parseVector(tm.scale, line());
        parseVector(tm.scaleAxis, line());
        parseFloat(tm.scaleAxisAngle, line());
    }

    // The list lengths come from the count lines, not from the lists.
    void readMesh(GeomObject& object) {
        Block block(*this, "a mesh");
        parseShort(object.meshTime, line());
        parseShort(object.vertexCount, line());
        parseShort(object.faceCount, line());

        openList("*MESH_VERTEX_LIST", "opening the vertex list");
        object.vertices.resize(object.vertexCount);
        for (D3DVECTOR& vertex : object.vertices) parseMeshVertex(vertex, line());
        closeList("closing the vertex list");

        openList("*MESH_FACE_LIST", "opening the face list");
        object.faces.resize(object.faceCount);
        for (MeshFace& face : object.faces) parseFace(face, line());
        closeList("closing the face list");

        readTextureLists(object);
        parseShort(object.colorVertexCount, line());

        openList("*MESH_NORMALS", "opening the normals");
        object.faceNormals.resize(object.faceCount);
        object.vertexNormals.resize(3 * std::size_t{object.faceCount});
        for (std::size_t f = 0; f < object.faceNormals.size(); ++f) {
            parseFaceNormal(object.faceNormals[f], line());
            for (std::size_t k = 0; k < 3; ++k)
                parseVertexNormal(object.vertexNormals[3 * f + k], line());
        }
        closeList("closing the normals");
        keywordLine();
        expect("}", "closing the mesh");
    }

    void openList(std::string_view keyword, const char* what) {
        keywordLine();
        expect(keyword, what);
    }

    void closeList(const char* what) {
        keywordLine();
        expect("}", what);
    }

    // Their opening and closing lines are taken by position.
    void readTextureLists(GeomObject& object) {
        parseShort(object.texVertexCount, line());
        if (object.texVertexCount == 0) return;
        object.texVertices.resize(object.texVertexCount);
        line();
        for (TexVertex& vertex : object.texVertices) parseTexVertex(vertex, line());
        line();
        parseShort(object.texFaceCount, line());
        if (object.texFaceCount == 0) return;
        object.texFaces.resize(object.texFaceCount);
        line();
        for (TexFace& face : object.texFaces) parseTexFace(face, line());
        line();
    }

    // --- object animation ---

    // The node evaluation's copy of each key track keeps the style its block keyword names.
    void readObjectAnimation(GeomObject& object) {
        Block block(*this, "an animation block");
        parseName(object.animNodeName, line());
        object.tracks.nodeName = object.animNodeName;
        for (;;) {
            const char* text = keywordLine();
            if (is("}")) return;
            const TrackBlock* track = findTrackBlock(keyword());
            if (is("*CONTROL_POS_BEZIER") || is("*CONTROL_POS_TCB")) {
                readKeyTrack(object.posKeys, "*CONTROL_BEZIER_POS_KEY", "*CONTROL_TCB_POS_KEY",
                             parsePosKey);
                startTrack(object.tracks, *track);
                object.tracks.posKeys = object.posKeys;
            } else if (is("*CONTROL_ROT_TCB")) {
                readKeyTrack(object.rotKeys, "*CONTROL_TCB_ROT_KEY", "*CONTROL_TCB_ROT_KEY",
                             parseRotKey);
                startTrack(object.tracks, *track);
                object.tracks.rotKeys = object.rotKeys;
            } else if (is("*CONTROL_SCALE_BEZIER") || is("*CONTROL_SCALE_TCB")) {
                readKeyTrack(object.scaleKeys, "*CONTROL_BEZIER_SCALE_KEY",
                             "*CONTROL_TCB_SCALE_KEY", parseScaleKey);
                startTrack(object.tracks, *track);
                object.tracks.scaleKeys = object.scaleKeys;
            } else if (opensBlock(text)) {
                // A sampled or linear track (or any other block): its closing line would end
                // the whole animation block.
                noteLeftLayout();
            }
        }
    }

    // Each track starts a new array; the first line that is not a key ends the track.
    template <class Key>
    void readKeyTrack(std::vector<Key>& keys, std::string_view keyword,
                      std::string_view otherKeyword, void (*parse)(Key&, const char*)) {
        Block block(*this, "a key track");
        keys.clear();
        for (;;) {
            const char* text = keywordLine();
            if (!is(keyword) && !is(otherKeyword)) return;
            parse(keys.emplace_back(), text);
        }
    }

    // --- mesh animation ---

    void readMeshAnimation(GeomObject& object, DrawObject& draw) {
        Block block(*this, "a mesh animation");
        for (;;) {
            keywordLine();
            if (is("}")) return;
            // A frame not opened by "*MESH" has no record of its own: it is read and dropped.
            MeshFrame dropped{};
            MeshFrame* frame = &dropped;
            if (is("*MESH")) {
                ++draw.meshFrameCount;
                frame = &object.meshFrames.emplace_back();
            }
            readMeshFrame(*frame);
        }
    }

    // A frame's lists run to their closing lines; lines beyond the counts are read and dropped.
    void readMeshFrame(MeshFrame& frame) {
        Block block(*this, "a mesh animation frame");
        parseInt(frame.time, line());
        parseShort(frame.vertexCount, line());
        parseShort(frame.faceCount, line());

        openList("*MESH_VERTEX_LIST", "opening the frame's vertex list");
        readFrameList(frame.vertices, frame.vertexCount, "*MESH_VERTEX", parseMeshVertex);

        openList("*MESH_FACE_LIST", "opening the frame's face list");
        readFrameList(frame.faces, frame.faceCount, "*MESH_FACE", parseFace);

        parseShort(frame.texVertexCount, line());
        parseShort(frame.colorVertexCount, line());

        openList("*MESH_NORMALS", "opening the frame's normals");
        readFrameNormals(frame);
        keywordLine();
        expect("}", "closing the mesh animation frame");
    }

    // A frame's arrays grow with the lines the file gives, up to the frame's counts: the count
    // lines alone never size them, so a frame that promises more than it lists costs nothing.
    template <class Record>
    void readFrameList(std::vector<Record>& records, std::size_t count, std::string_view keyword,
                       void (*parse)(Record&, const char*)) {
        for (std::size_t position = 0;; ++position) {
            const char* text = keywordLine();
            if (is("}")) return;
            if (is(keyword) && position < count) {
                if (records.size() <= position) records.resize(position + 1);
                parse(records[position], text);
            }
        }
    }

    void readFrameNormals(MeshFrame& frame) {
        for (std::size_t face = 0;; ++face) {
            const char* text = keywordLine();
            if (is("}")) return;
            const bool kept = face < frame.faceCount;
            if (kept) {
                frame.faceNormals.resize(face + 1);
                frame.vertexNormals.resize(3 * (face + 1));
                parseFaceNormal(frame.faceNormals[face], text);
            }
            for (std::size_t k = 0; k < 3; ++k) {
                text = line();
                if (kept) parseVertexNormal(frame.vertexNormals[3 * face + k], text);
            }
        }
    }

    // --- lights ---

    void readLight() {
        Block block(*this, "a light");
        LightObject& light = scene_.lights.emplace_back();
        light.parentName.assign("*NONEPARENT");
        parseName(light.name, line());
        parseName(light.lightType, leaveIfParentLine(line()));
        const char* text = keywordLine();
        while (is("*NODE_TM")) {
            readNodeTransform(light.nodeTms.emplace_back());
            line();  // its closing line
            text = keywordLine();
        }
        parseName(light.shadows, text);
        parseShort(light.useLight, line());
        parseName(light.spotShape, line());
        parseShort(light.useGlobal, line());
        parseShort(light.absMapBias, line());
        parseShort(light.overshoot, line());
        line();  // the settings block's opening line
        if (light.lightType == "Omni"sv) {
            readLightSettings(light, false);
        } else if (light.lightType == "Target"sv) {
            readLightSettings(light, true);
        }
        skipLines(2);
        printProgress(messages_, "%d Light Compelete!!", ++lightsRead_);
    }

    // The layout has no parent line for lights and cameras: where one stands, every line after
    // it would be taken for another.
    const char* leaveIfParentLine(const char* text) {
        if (firstToken(text) == "*NODE_PARENT") noteLeftLayout();
        return text;
    }

    // Only a "Target" light has hot spot and fall-off lines.
    void readLightSettings(LightObject& light, bool withSpot) {
        parseInt(light.time, line());
        parseVector(light.color, line());
        parseFloat(light.intensity, line());
        parseFloat(light.aspect, line());
        if (withSpot) {
            parseFloat(light.hotspot, line());
            parseFloat(light.falloff, line());
        }
        parseFloat(light.targetDistance, line());
        parseFloat(light.mapBias, line());
        parseFloat(light.mapRange, line());
        parseShort(light.mapSize, line());
        parseFloat(light.rayBias, line());
    }

    // --- cameras ---

    void readCamera() {
        Block block(*this, "a camera");
        CameraObject& camera = scene_.cameras.emplace_back();
        camera.parentName.assign("*NONEPARENT");
        parseName(camera.name, line());
        parseName(camera.cameraType, leaveIfParentLine(line()));
        for (keywordLine(); is("*NODE_TM"); keywordLine()) {
            readNodeTransform(camera.nodeTms.emplace_back());
            line();  // its closing line
        }
        expect("*CAMERA_SETTINGS", "after the camera's node transforms");
        parseInt(camera.time, line());
        parseFloat(camera.nearClip, line());
        parseFloat(camera.farClip, line());
        parseFloat(camera.fov, line());
        parseFloat(camera.targetDistance, line());
        line();  // the settings' closing line

        for (;;) {
            keywordLine();
            if (is("}")) break;
            if (is("*TM_ANIMATION")) {
                readCameraAnimation(camera.animations.emplace_back(), camera.tracks.emplace_back());
            }
        }
        printProgress(messages_, "%d Camera Compelete!!", ++camerasRead_);
    }

    // A keyword that opens none of the five tracks ends the block (normally its closing line).
    void readCameraAnimation(CameraAnimation& animation, NodeTracks& tracks) {
        Block block(*this, "a camera animation block");
        parseName(animation.nodeName, line());
        tracks.nodeName = animation.nodeName;
        for (;;) {
            keywordLine();
            const TrackBlock* track = findTrackBlock(keyword());
            if (is("*CONTROL_POS_BEZIER")) {
                readCameraTrack(animation.posKeys, "*CONTROL_BEZIER_POS_KEY", parsePosKey, *track,
                                tracks);
            } else if (is("*CONTROL_ROT_TCB")) {
                readCameraTrack(animation.rotKeys, "*CONTROL_TCB_ROT_KEY", parseRotKey, *track,
                                tracks);
            } else if (is("*CONTROL_SCALE_BEZIER")) {
                readCameraTrack(animation.scaleKeys, "*CONTROL_BEZIER_SCALE_KEY", parseScaleKey,
                                *track, tracks);
            } else if (is("*CONTROL_POS_TRACK")) {
                readCameraTrack(animation.posSamples, "*CONTROL_POS_SAMPLE", parsePosSample,
                                *track, tracks);
            } else if (is("*CONTROL_ROT_TRACK")) {
                readCameraTrack(animation.rotSamples, "*CONTROL_ROT_SAMPLE", parseRotSample,
                                *track, tracks);
            } else {
                return;
            }
        }
    }

    // One record per line of the track, its closing line included (that record stays zero). The
    // key lines also go, whole, to the camera's NodeTracks.
    template <class Record>
    void readCameraTrack(std::vector<Record>& records, std::string_view keyword,
                         void (*parse)(Record&, const char*), const TrackBlock& track,
                         NodeTracks& tracks) {
        Block block(*this, "a camera track");
        records.clear();
        startTrack(tracks, track);
        for (std::size_t position = 0;; ++position) {
            records.resize(position + 1);
            const char* text = keywordLine();
            if (is("}")) return;
            if (is(keyword)) {
                parse(records[position], text);
                addTrackLine(tracks, track, text);
            }
        }
    }

    Scene& scene_;
    LineSource& lines_;
    const char* fileName_;
    std::FILE* messages_;
    bool printErrors_;
    const char* block_ = "the file";
    char keyword_[AseText::kCapacity - 1] = {};
    std::size_t keywordLength_ = 0;
    bool atEnd_ = false;    // the end of the file has been reached
    bool pending_ = false;  // the current keyword line still waits for the next step
    int objectsRead_ = 0;
    int lightsRead_ = 0;
    int camerasRead_ = 0;
    bool leftLayout_ = false;
    bool lineOpensBlock_ = false;  // the last keyword line opened a block
    std::string stopBlock_;
    std::string neededBlock_;
    std::string error_;
};

FilePtr openScene(const char* fileName, ReadReport& result) {
    InputFile input;
    std::string why;
    if (openInputFile(fileName, input, why) != FileReadResult::kOk) {
        result.error = std::string("cannot open scene file ") + fileName + ": " + why;
        std::fprintf(stderr, "aseplay: %s\n", result.error.c_str());
    }
    return FilePtr(input.stream.release());
}

// Where the positional reading stopped: the block found there and the block needed there.
struct StopSite {
    std::string found;
    std::string needed;
    long linesRead = 0;
};

// The positional reading. With `printErrors` false a stop is only reported in `result`.
StopSite readStrict(Scene& scene, std::FILE* file, const char* fileName, std::FILE* messages,
                    bool printErrors, ReadReport& result) {
    LineSource lines(file, fileName);
    SceneReader reader(scene, lines, fileName, messages, printErrors);
    try {
        reader.read();
        result.complete = true;
        result.strict = !reader.leftLayout();
    } catch (const ReadStopped&) {
        result.line = reader.stopLine();
        result.error = reader.error();
    }
    return {reader.stopBlock(), reader.neededBlock(), lines.lineNumber()};
}

// Copies what a temporary message file holds to `out`.
void replayMessages(std::FILE* held, std::FILE* out) {
    std::rewind(held);
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, held)) > 0;) {
        std::fwrite(chunk, 1, got, out);
    }
}

// A stop at a block no exporter writes, standing where the layout needs a block of its own (a
// misspelt mesh, list or normals block), stands when the needed block never comes: skipping the
// stranger would quietly lose what the scene needs.
bool stopStands(const StopSite& site, const std::vector<std::string>& missingBlocks) {
    if (site.found.empty() || site.needed.empty() || isKnownBlock(site.found)) return false;
    return std::find(missingBlocks.begin(), missingBlocks.end(), site.needed) !=
           missingBlocks.end();
}

// The positional reading first, quietly; when it stops or leaves the layout the file is read
// again from the start by keywords, so that a file in the layout keeps every value it had.
// Messages wait in temporary files until it is known which reading stands.
void readTolerant(Scene& scene, std::FILE* file, const char* fileName, std::FILE* messages,
                  ReadReport& result) {
    FilePtr held(messages != nullptr ? std::tmpfile() : nullptr);
    std::FILE* strictMessages = held ? held.get() : messages;
    Scene strictScene;
    const StopSite site = readStrict(strictScene, file, fileName, strictMessages, false, result);
    const bool notAse = !result.complete && result.line == 1;
    if ((result.complete && result.strict) || notAse) {
        scene = std::move(strictScene);
        if (held) replayMessages(held.get(), messages);
        if (notAse) std::fprintf(stderr, "aseplay: %s\n", result.error.c_str());
        return;
    }

    ReadReport byKeywords;
    FilePtr heldAgain(messages != nullptr ? std::tmpfile() : nullptr);
    std::vector<std::string> missingBlocks;
    std::rewind(file);
    LineSource lines(file, fileName);
    lines.quietThrough(site.linesRead);  // the first reading warned of those lines already
    Scene keywordScene;
    readByKeywords(keywordScene, lines, fileName, heldAgain ? heldAgain.get() : messages,
                   byKeywords, missingBlocks);
    if (!result.complete && stopStands(site, missingBlocks)) {
        scene = std::move(strictScene);
        if (held) replayMessages(held.get(), messages);
        std::fprintf(stderr, "aseplay: %s\n", result.error.c_str());
        return;
    }
    scene = std::move(keywordScene);
    result = std::move(byKeywords);
    if (heldAgain) replayMessages(heldAgain.get(), messages);
    if (!result.complete) std::fprintf(stderr, "aseplay: %s\n", result.error.c_str());
}

}  // namespace

int readScene(Scene& scene, const char* fileName, std::FILE* messages, ReadReport* report,
              ReadMode mode) {
    ReadReport local;
    ReadReport& result = report != nullptr ? *report : local;
    result = ReadReport{};

    FilePtr file = openScene(fileName, result);
    if (!file) return 1;
    if (mode == ReadMode::tolerant) {
        readTolerant(scene, file.get(), fileName, messages, result);
    } else {
        readStrict(scene, file.get(), fileName, messages, true, result);
    }
    return result.complete ? 0 : 1;
}
