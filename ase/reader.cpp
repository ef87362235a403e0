#include "ase/reader.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "ase/format.h"
#include "ase/read_session.h"
#include "ase/tolerant_reader.h"
#include "ase/track_blocks.h"
#include "platform/file_input.h"

namespace {

// Where the positional reading stopped: the block found there and the block needed there.
struct StopSite {
    std::string found;
    std::string needed;
    long linesRead = 0;
    std::vector<long> overlongLines;
};

// Walks the file in the exporter's order, one small function per block, taking the field lines of
// each block in the order the format lists them. Inside a block the end of the file, or a line
// that must open or close a block and does not, stops the read. Where the layout lets it go on but
// the line it takes is one it cannot use (a block that ends early or late), it notes that the file
// left the layout.
class SceneReader : public ReadSession {
  public:
    using ReadSession::ReadSession;

    void read() {
        readHeader();
        readSceneBlock();
        readMaterialList();
        readObjects();
        finishRead();
    }

    bool leftLayout() const { return leftLayout_; }
    // Where a stop was: the block its line opened (empty when none) and the block that the
    // layout needed there (empty when it needed a closing line).
    StopSite stopSite() const { return {stopBlock_, neededBlock_, lines_.lineNumber(), {}}; }

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
    const char* line() { return lineOf(block_); }

    void skipLines(int count) {
        for (int i = 0; i < count; ++i) line();
    }

    // One line for each field line the format lists, in its order, whatever the lines' keywords.
    template <class Record>
    void readFields(std::span<const FieldLine<Record>> fields, Record& record) {
        for (const FieldLine<Record>& field : fields) field.parse(record, line());
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

    // Whether the step's block opens here; a line that opens another is left for the next step.
    bool opensTopLevel(std::string_view block) {
        if (nextTopLevelKeyword() && is(block)) return true;
        pending_ = true;
        return false;
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

    void expectLine(std::string_view expected, const char* what) {
        keywordLine();
        expect(expected, what);
    }

    void closeBlock(const char* what) { expectLine("}", what); }

    // The line is one the layout has no use for here: the tolerant reading must take over.
    void noteLeftLayout() { leftLayout_ = true; }

    // A keyword line that opens or closes a block, where the layout wants a plain line.
    void noteIfStructural(const char* text) {
        if (is("}") || opensBlock(text)) noteLeftLayout();
    }

    // --- header, scene block, materials ---

    void readHeader() {
        Block block(*this, "the file header");
        readHeaderLine();
        // Taken whatever its keyword; a block line here means the file has no comment line.
        const char* comment = line();
        if (isStructural(comment)) noteLeftLayout();
        parseName(scene_.sceneInfo.comment, comment);
    }

    void readSceneBlock() {
        if (!opensTopLevel(kSceneBlock)) return;
        Block block(*this, "the scene block");
        readFields<SceneInfo>(kSceneLines, scene_.sceneInfo);
        closeBlock("closing the scene block");
    }

    void readMaterialList() {
        if (!opensTopLevel(kMaterialListBlock)) return;
        Block block(*this, "the material list");
        parseShort(scene_.materialCount, line());
        // Grown as materials are read, so that a count line alone cannot size the array beyond
        // what the file holds; a complete list ends with exactly materialCount records.
        scene_.materials.clear();
        for (int i = 0; i < scene_.materialCount; ++i)
            readMaterial(scene_.materials.emplace_back());
        closeBlock("closing the material list");
    }

    void readMaterial(AseMaterial& material) {
        Block block(*this, "a material");
        parseShort(material.index, line());
        const std::span<const FieldLine<AseMaterial>> fields = kMaterialLines;
        readFields(fields.first(kMaterialFixedLines), material);

        const char* text = keywordLine();
        if (is(fields[kMaterialSoften].keyword)) {
            fields[kMaterialSoften].parse(material, text);
            fields[kMaterialXpType].parse(material, line());
        } else if (is(fields[kMaterialXpType].keyword)) {
            fields[kMaterialXpType].parse(material, text);
        } else {
            noteIfStructural(text);
        }

        keywordLine();
        if (is(kDiffuseMapBlock)) {
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
        readFields<DiffuseMap>(kMapLines, map);
    }

    // --- the main loop ---

    void readObjects() {
        while (nextTopLevelKeyword()) {
            if (is(kGeomObjectBlock)) {
                readGeomObject();
            } else if (is(kLightObjectBlock)) {
                readLight();
            } else if (is(kCameraObjectBlock)) {
                readCamera();
            } else if (is(kHelperObjectBlock) || is(kAnimationBlock)) {
                // A helper's node, or an animation block no object took (a light's): only the
                // reading by keywords has a place for them.
                noteLeftLayout();
            }
        }
    }

    // --- geometry objects ---

    void readGeomObject() {
        Block block(*this, "a geometry object");
        GeomObject& object = newNode(scene_.geomObjects, "geometry objects");
        DrawObject& draw = scene_.drawObjects.emplace_back();
        const std::span<const FieldLine<GeomObject>> fields = kObjectLines;
        fields[0].parse(object, line());

        const char* text = keywordLine();
        if (is(kNodeParentLine)) {
            fields[1].parse(object, text);
            line();  // the node transform's opening line
        }
        readNodeTransform(object.nodeTm);
        closeBlock("closing the node transform");

        expectLine(kMeshBlock, "opening the mesh");
        readMesh(object);
        readFields(fields.subspan(kObjectProperties, 3), object);

        text = keywordLine();
        if (is(kAnimationBlock)) {
            readObjectAnimation(object);
            text = keywordLine();
        }
        if (is("}")) noteLeftLayout();  // the object closed early: the next line is not its own
        // The material reference, or the wireframe colour of an object without a material.
        if (const auto* reference = findField(fields.subspan(kObjectMaterial), keyword())) {
            reference->parse(object, text);
        }

        keywordLine();
        if (is(kMeshAnimationBlock)) {
            readMeshAnimation(object, draw);
            keywordLine();  // the object's closing line
            if (!is("}")) noteLeftLayout();
        } else if (!is("}")) {
            noteLeftLayout();  // the rest of the object would be skipped line by line
        }
        objectDone();
    }

    void readNodeTransform(NodeTransform& tm) {
        Block block(*this, "a node transform");
        readFields<NodeTransform>(kTransformLines, tm);
    }

    // The list lengths come from the count lines, not from the lists.
    void readMesh(GeomObject& object) {
        Block block(*this, "a mesh");
        const std::span<const FieldLine<GeomObject>> counts = kMeshLines;
        readFields(counts.first(3), object);

        expectLine(kVertexList.keyword, "opening the vertex list");
        object.vertices.resize(object.vertexCount);
        for (D3DVECTOR& vertex : object.vertices) kVertexList.parse(vertex, line());
        closeBlock("closing the vertex list");

        expectLine(kFaceList.keyword, "opening the face list");
        object.faces.resize(object.faceCount);
        for (MeshFace& face : object.faces) kFaceList.parse(face, line());
        closeBlock("closing the face list");

        readTextureLists(object);
        counts[kMeshColorCount].parse(object, line());

        expectLine(kNormalsBlock, "opening the normals");
        object.faceNormals.resize(object.faceCount);
        object.vertexNormals.resize(3 * std::size_t{object.faceCount});
        for (std::size_t f = 0; f < object.faceNormals.size(); ++f) {
            parseFaceNormal(object.faceNormals[f], line());
            for (std::size_t k = 0; k < 3; ++k)
                parseVertexNormal(object.vertexNormals[3 * f + k], line());
        }
        closeBlock("closing the normals");
        closeBlock("closing the mesh");
    }

    // Their opening and closing lines are taken by position.
    void readTextureLists(GeomObject& object) {
        kMeshLines[kMeshTexVertexCount].parse(object, line());
        if (object.texVertexCount == 0) return;
        object.texVertices.resize(object.texVertexCount);
        line();
        for (TexVertex& vertex : object.texVertices) kTexVertexList.parse(vertex, line());
        line();
        kMeshLines[kMeshTexFaceCount].parse(object, line());
        if (object.texFaceCount == 0) return;
        object.texFaces.resize(object.texFaceCount);
        line();
        for (TexFace& face : object.texFaces) kTexFaceList.parse(face, line());
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
            if (track != nullptr && inLayout(*track)) {
                readKeyTrack(object.tracks, *track);
                takeTableKeys(object, *track);
            } else if (opensBlock(text)) {
                // A sampled or linear track (or any other block): its closing line would end
                // the whole animation block.
                noteLeftLayout();
            }
        }
    }

    // Each track starts a new array; the first line that is not a key ends the track.
    void readKeyTrack(NodeTracks& tracks, const TrackBlock& track) {
        Block block(*this, "a key track");
        startTrack(tracks, track);
        for (;;) {
            const char* text = keywordLine();
            if (!isLayoutKeyLine(track, keyword())) return;
            addTrackLine(tracks, track, text);
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
            if (is(kMeshBlock)) {
                ++draw.meshFrameCount;
                frame = &object.meshFrames.emplace_back();
            }
            readMeshFrame(*frame);
        }
    }

    // A frame's lists run to their closing lines; lines beyond the counts are read and dropped.
    void readMeshFrame(MeshFrame& frame) {
        Block block(*this, "a mesh animation frame");
        const std::span<const FieldLine<MeshFrame>> counts = kFrameLines;
        readFields(counts.first(3), frame);
        expectLine(kVertexList.keyword, "opening the frame's vertex list");
        readFrameList(frame.vertices, frame.vertexCount, kVertexList);
        expectLine(kFaceList.keyword, "opening the frame's face list");
        readFrameList(frame.faces, frame.faceCount, kFaceList);
        readFields(counts.subspan(kFrameTexCount), frame);
        expectLine(kNormalsBlock, "opening the frame's normals");
        readFrameNormals(frame);
        closeBlock("closing the mesh animation frame");
    }

    // A frame's arrays grow with the lines the file gives, up to the frame's counts: the count
    // lines alone never size them, so a frame that promises more than it lists costs nothing.
    template <class Record>
    void readFrameList(std::vector<Record>& records, std::size_t count,
                       const ListBlock<Record>& list) {
        for (std::size_t position = 0;; ++position) {
            const char* text = keywordLine();
            if (is("}")) return;
            if (is(list.item) && position < count) {
                if (records.size() <= position) records.resize(position + 1);
                list.parse(records[position], text);
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

    // --- lights and cameras ---

    // The layout has no parent line for lights and cameras: where one stands, every line after
    // it would be taken for another.
    const char* leaveIfParentLine(const char* text) {
        if (firstToken(text) == kNodeParentLine) noteLeftLayout();
        return text;
    }

    // Node transforms, each followed by its closing line, while the keyword line opens one; the
    // keyword line after them is left for the caller.
    const char* readNodeTransforms(std::vector<NodeTransform>& transforms) {
        const char* text = keywordLine();
        while (is(kNodeTmBlock)) {
            readNodeTransform(transforms.emplace_back());
            line();  // its closing line
            text = keywordLine();
        }
        return text;
    }

    void readLight() {
        Block block(*this, "a light");
        LightObject& light = newNode(scene_.lights, "lights");
        const std::span<const FieldLine<LightObject>> fields = kLightLines;
        fields[0].parse(light, line());
        fields[1].parse(light, leaveIfParentLine(line()));
        fields[kLightShadows].parse(light, readNodeTransforms(light.nodeTms));
        readFields(fields.subspan(kLightShadows + 1, 5), light);
        line();  // the settings block's opening line
        if (light.lightType == kOmniLight || light.lightType == kTargetLight) {
            const std::span<const FieldLine<LightObject>> settings = kLightSettingLines;
            readFields(settings.first(kLightSpotLines), light);
            if (light.lightType == kTargetLight)
                readFields(settings.subspan(kLightSpotLines, 2), light);
            readFields(settings.subspan(kLightSpotLines + 2), light);
        }
        skipLines(2);
        lightDone();
    }

    void readCamera() {
        Block block(*this, "a camera");
        CameraObject& camera = newNode(scene_.cameras, "cameras");
        kCameraLines[0].parse(camera, line());
        kCameraLines[1].parse(camera, leaveIfParentLine(line()));
        readNodeTransforms(camera.nodeTms);
        expect(kCameraSettingsBlock, "after the camera's node transforms");
        readFields<CameraObject>(kCameraSettingLines, camera);
        line();  // the settings' closing line

        for (;;) {
            keywordLine();
            if (is("}")) break;
            if (is(kAnimationBlock)) {
                readCameraAnimation(camera.animations.emplace_back(), camera.tracks.emplace_back());
            }
        }
        cameraDone();
    }

    // A keyword that opens none of the camera record's five tracks ends the block (normally its
    // closing line).
    void readCameraAnimation(CameraAnimation& animation, NodeTracks& tracks) {
        Block block(*this, "a camera animation block");
        parseName(animation.nodeName, line());
        tracks.nodeName = animation.nodeName;
        for (;;) {
            keywordLine();
            const TrackBlock* track = findTrackBlock(keyword());
            const auto readTrack = [&](auto& records, std::string_view keyLine, auto parse) {
                readCameraTrack(records, keyLine, parse, *track, tracks);
            };
            if (track == nullptr || !visitCameraTrack(animation, *track, readTrack)) return;
        }
    }

    // One record per line of the track, its closing line included (that record stays zero). The
    // key lines also go, whole, to the camera's NodeTracks.
    template <class Record>
    void readCameraTrack(std::vector<Record>& records, std::string_view keyLine,
                         void (*parse)(Record&, const char*), const TrackBlock& track,
                         NodeTracks& tracks) {
        Block block(*this, "a camera track");
        records.clear();
        startTrack(tracks, track);
        for (std::size_t position = 0;; ++position) {
            records.resize(position + 1);
            const char* text = keywordLine();
            if (is("}")) return;
            if (is(keyLine)) {
                parse(records[position], text);
                addTrackLine(tracks, track, text);
            }
        }
    }

    const char* block_ = "the file";
    char keyword_[AseText::kCapacity - 1] = {};
    std::size_t keywordLength_ = 0;
    bool atEnd_ = false;    // the end of the file has been reached
    bool pending_ = false;  // the current keyword line still waits for the next step
    bool leftLayout_ = false;
    bool lineOpensBlock_ = false;  // the last keyword line opened a block
    std::string stopBlock_;
    std::string neededBlock_;
};

// The positional reading, from the start of the file.
StopSite readStrict(Scene& scene, std::FILE* file, const char* fileName, ReadReport& result) {
    LineSource lines(file);
    SceneReader reader(scene, lines, fileName, result);
    reader.run([&] { reader.read(); });
    if (result.complete) result.strict = !reader.leftLayout();
    StopSite site = reader.stopSite();
    site.overlongLines = lines.overlongLines();
    return site;
}

// A stop at a block no exporter writes, standing where the layout needs a block of its own (a
// misspelt mesh, list or normals block), stands when the needed block never comes: skipping the
// stranger would quietly lose what the scene needs.
bool stopStands(const StopSite& site, const std::vector<std::string>& missingBlocks) {
    if (site.found.empty() || site.needed.empty() || isKnownBlock(site.found)) return false;
    return std::find(missingBlocks.begin(), missingBlocks.end(), site.needed) !=
           missingBlocks.end();
}

// The positional reading first; when it stops or leaves the layout the file is read again from
// the start by keywords, so that a file in the layout keeps every value it had. Only the
// standing reading's progress messages are kept; each overlong line is warned of once.
void readTolerant(Scene& scene, std::FILE* file, const char* fileName, ReadReport& result,
                  std::vector<long>& overlongLines) {
    Scene strictScene;
    const StopSite site = readStrict(strictScene, file, fileName, result);
    overlongLines = site.overlongLines;
    const bool notAse = !result.complete && result.line == 1;
    if ((result.complete && result.strict) || notAse) {
        scene = std::move(strictScene);
        return;
    }

    ReadReport byKeywords;
    std::vector<std::string> missingBlocks;
    std::rewind(file);
    LineSource lines(file);
    Scene keywordScene;
    readByKeywords(keywordScene, lines, fileName, byKeywords, missingBlocks);
    for (long line : lines.overlongLines()) {
        if (line > site.linesRead)
            overlongLines.push_back(line);  // the first reading had not met it
    }
    if (!result.complete && stopStands(site, missingBlocks)) {
        scene = std::move(strictScene);
        return;
    }
    scene = std::move(keywordScene);
    result = std::move(byKeywords);
}

// The report's messages as they are shown: the overlong lines' warnings first, then the
// reading's progress, then the error of a stop.
void composeMessages(ReadReport& result, const char* fileName,
                     const std::vector<long>& overlongLines) {
    Messages messages;
    for (long line : overlongLines) {
        messages.warning(std::string(fileName) + ":" + std::to_string(line) +
                         ": line longer than " + std::to_string(LineSource::kMaxLineLength) +
                         " bytes; the rest of it is ignored");
    }
    messages.append(result.messages);
    if (!result.complete) messages.error(result.error);
    result.messages = std::move(messages);
}

}  // namespace

int readScene(Scene& scene, const char* fileName, ReadReport* report, ReadMode mode) {
    ReadReport local;
    ReadReport& result = report != nullptr ? *report : local;
    result = ReadReport{};

    std::vector<long> overlongLines;
    InputFile input;
    std::string why;
    if (openInputFile(fileName, input, why) != FileReadResult::kOk) {
        result.error = std::string("cannot open scene file ") + fileName + ": " + why;
    } else if (mode == ReadMode::tolerant) {
        readTolerant(scene, input.stream.get(), fileName, result, overlongLines);
    } else {
        overlongLines = readStrict(scene, input.stream.get(), fileName, result).overlongLines;
    }
    composeMessages(result, fileName, overlongLines);
    return result.complete ? 0 : 1;
}
