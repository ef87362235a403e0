#include "ase/tolerant_reader.h"

#include <algorithm>

#include "ase/face_normals.h"
#include "ase/format.h"
#include "ase/read_session.h"
#include "ase/scene_finish.h"
#include "ase/track_blocks.h"

namespace {

using namespace std::string_view_literals;

// Reads every block by its keyword. Each block function walks the block's lines to its closing
// line, looking plain lines up among the block's field lines; a line it has no use for is noted
// and, when it opens a block, skipped with that block.
class KeywordReader : public ReadSession {
  public:
    using ReadSession::ReadSession;

    void read() {
        readHeader();
        while (const char* text = lines_.next()) readTopLevelLine(text);
        finishRead();
    }

    const std::vector<std::string>& missingBlocks() const { return missingBlocks_; }

  private:
    // --- lines ---

    // Calls `handle(keyword, line)` for each line of the current block up to its closing line.
    // A line the handler does not take is left out.
    template <class Handler>
    void forEachLine(const char* what, Handler handle) {
        for (;;) {
            const char* text = lineOf(what);
            const std::string_view keyword = firstToken(text);
            if (keyword == "}"sv) return;
            if (keyword.empty()) continue;
            if (!handle(keyword, text)) leaveOut(keyword, text);
        }
    }

    // Takes the line when it fills one of the block's fields; the field at `beyondLayout` is noted
    // as a line the exporter's layout does not have.
    template <class Record, std::size_t N>
    bool takeField(const FieldLine<Record> (&fields)[N], Record& record, std::string_view keyword,
                   const char* text, std::size_t beyondLayout = N) {
        const FieldLine<Record>* field = findField(fields, keyword);
        if (field == nullptr) return false;
        if (field == fields + beyondLayout) note(keyword);
        field->parse(record, text);
        return true;
    }

    // A block of field lines only.
    template <class Record, std::size_t N>
    void readFieldBlock(const char* what, const FieldLine<Record> (&fields)[N], Record& record) {
        forEachLine(what, [&](std::string_view keyword, const char* text) {
            return takeField(fields, record, keyword, text);
        });
    }

    void leaveOut(std::string_view keyword, const char* text) {
        note(keyword);
        if (opensBlock(text)) skipBlock();
    }

    // Skips the rest of a block whose opening line was just read, nested blocks included.
    void skipBlock() {
        for (int depth = 1; depth > 0;) {
            const char* text = lineOf("a skipped block");
            if (firstToken(text) == "}"sv) {
                --depth;
            } else if (opensBlock(text)) {
                ++depth;
            }
        }
    }

    // A block went without a block the layout always gives it.
    void noteMissing(std::string_view kind) {
        if (std::find(missingBlocks_.begin(), missingBlocks_.end(), kind) == missingBlocks_.end()) {
            missingBlocks_.emplace_back(kind);
        }
    }

    void note(std::string_view kind) {
        for (const ReadExtension& seen : report_.extensions) {
            if (seen.kind == kind) return;
        }
        report_.extensions.push_back({std::string(kind), lines_.lineNumber()});
    }

    // --- file level ---

    void readHeader() {
        readHeaderLine();
        // The second line is the comment whatever its keyword, unless it is already a block.
        const char* second = lineOf("the file header");
        if (isStructural(second)) {
            readTopLevelLine(second);
        } else {
            parseName(scene_.sceneInfo.comment, second);
        }
    }

    void readTopLevelLine(const char* text) {
        const std::string_view keyword = firstToken(text);
        if (keyword.empty() || keyword == "}"sv) return;  // a group's closing line
        const bool block = opensBlock(text);
        if (keyword == kSceneBlock && block) {
            readFieldBlock("the scene block", kSceneLines, scene_.sceneInfo);
        } else if (keyword == kMaterialListBlock && block) {
            readMaterialList();
        } else if (keyword == kGeomObjectBlock && block) {
            readGeomObject();
        } else if (keyword == kLightObjectBlock && block) {
            readLight();
        } else if (keyword == kCameraObjectBlock && block) {
            readCamera();
        } else if (keyword == kHelperObjectBlock && block) {
            note(keyword);  // beyond the exporter's layout, but its node carries children
            readHelper();
        } else if (keyword == kGroupBlock && block) {
            note(keyword);  // its members are read as if they stood at the top level
        } else if (keyword == kCommentLine) {
            parseName(scene_.sceneInfo.comment, text);
        } else {
            leaveOut(keyword, text);
        }
    }

    // --- materials ---

    // Material blocks fill the records in file order, as many as the count line allows. A count
    // larger than the list is not believed: the records are the blocks the file holds.
    void readMaterialList() {
        std::uint16_t count = 0;
        scene_.materials.clear();
        forEachLine("the material list", [&](std::string_view keyword, const char* text) {
            if (keyword == kMaterialCountLine) {
                parseShort(count, text);
                return true;
            }
            if (keyword != kMaterialBlock || !opensBlock(text) ||
                scene_.materials.size() >= count) {
                return false;
            }
            readMaterial(scene_.materials.emplace_back(), text);
            return true;
        });
        scene_.materialCount = static_cast<std::uint16_t>(scene_.materials.size());
    }

    struct MaterialLines {
        bool diffuse = false;
        bool specular = false;
    };

    // Sub-materials nest by recursion: a file may not nest them deeper than this, or a few
    // hundred kilobytes of opening lines would run the reader out of stack.
    static constexpr int kMaxMaterialDepth = 16;

    void readMaterial(AseMaterial& material, const char* opening) {
        if (materialDepth_ >= kMaxMaterialDepth) {
            fail(": sub-materials nested more than " + std::to_string(kMaxMaterialDepth) + " deep");
        }
        ++materialDepth_;
        parseShort(material.index, opening);
        MaterialLines seen;
        forEachLine("a material", [&](std::string_view keyword, const char* text) {
            return readMaterialLine(material, seen, keyword, text);
        });
        inheritFromFirstSubMaterial(material, seen);
        --materialDepth_;
    }

    bool readMaterialLine(AseMaterial& material, MaterialLines& seen, std::string_view keyword,
                          const char* text) {
        if (takeField(kMaterialLines, material, keyword, text, kMaterialSubCount)) {
            seen.diffuse = seen.diffuse || keyword == kMaterialLines[kMaterialDiffuse].keyword;
            seen.specular = seen.specular || keyword == kMaterialLines[kMaterialSpecular].keyword;
        } else if (keyword == kDiffuseMapBlock && opensBlock(text) && !material.hasDiffuseMap) {
            material.hasDiffuseMap = true;
            readFieldBlock("a diffuse map", kMapLines, material.diffuseMap);
        } else if (keyword == kSubMaterialBlock && opensBlock(text)) {
            note(keyword);
            readMaterial(material.subMaterials.emplace_back(), text);
        } else {
            return false;
        }
        return true;
    }

    // A multi-material that carries no colours or map of its own shows its first sub-material's.
    static void inheritFromFirstSubMaterial(AseMaterial& material, const MaterialLines& seen) {
        if (material.subMaterials.empty()) return;
        const AseMaterial& first = material.subMaterials.front();
        if (!seen.diffuse) material.diffuse = first.diffuse;
        if (!seen.specular) material.specular = first.specular;
        if (!material.hasDiffuseMap && first.hasDiffuseMap) {
            material.hasDiffuseMap = true;
            material.diffuseMap = first.diffuseMap;
        }
    }

    // --- geometry objects and helpers ---

    void readGeomObject() {
        GeomObject& object = newNode(scene_.geomObjects, "geometry objects");
        DrawObject& draw = scene_.drawObjects.emplace_back();
        bool haveNodeTm = false;
        bool haveMesh = false;
        forEachLine("a geometry object", [&](std::string_view keyword, const char* text) {
            if (takeField(kObjectLines, object, keyword, text)) return true;
            const bool block = opensBlock(text);
            if (keyword == kNodeTmBlock && block && !haveNodeTm) {
                haveNodeTm = true;
                readNodeTransform(object.nodeTm);
            } else if (keyword == kMeshBlock && block && !haveMesh) {
                haveMesh = true;
                readMesh(object);
            } else if (keyword == kAnimationBlock && block) {
                readObjectAnimation(object);
            } else if (keyword == kMeshAnimationBlock && block) {
                readMeshAnimation(object, draw);
            } else {
                return false;
            }
            return true;
        });
        if (!haveMesh) noteMissing(kMeshBlock);
        objectDone();
    }

    void readHelper() {
        HelperObject& helper = newNode(scene_.helpers, "helper objects");
        bool haveNodeTm = false;
        forEachLine("a helper object", [&](std::string_view keyword, const char* text) {
            if (takeField(kHelperLines, helper, keyword, text)) return true;
            const bool block = opensBlock(text);
            if (keyword == kNodeTmBlock && block && !haveNodeTm) {
                haveNodeTm = true;
                readNodeTransform(helper.nodeTm);
            } else if (keyword == kAnimationBlock && block) {
                readNodeAnimation(helper.tracks);
            } else {
                return false;
            }
            return true;
        });
    }

    void readNodeTransform(NodeTransform& tm) {
        readFieldBlock("a node transform", kTransformLines, tm);
    }

    // --- meshes ---

    // Items of a list: each line with the item keyword grows the array by one record; the arrays
    // are cut or padded to their count lines when the mesh ends.
    template <class Record>
    void readItems(std::vector<Record>& records, const ListBlock<Record>& list) {
        records.clear();
        forEachLine("a mesh list", [&](std::string_view keyword, const char* text) {
            if (keyword != list.item) return false;
            list.parse(records.emplace_back(), text);
            return true;
        });
    }

    struct MeshLists {
        bool vertices = false;
        bool faces = false;
        bool normals = false;
        bool colorCount = false;  // some exporters write the colour lists without count lines
        bool colorFaceCount = false;
    };

    // The lists a mesh and a mesh animation frame both have.
    template <class Mesh>
    bool readSharedList(Mesh& mesh, MeshLists& seen, std::string_view keyword) {
        if (keyword == kVertexList.keyword) {
            seen.vertices = true;
            readItems(mesh.vertices, kVertexList);
        } else if (keyword == kFaceList.keyword) {
            seen.faces = true;
            readItems(mesh.faces, kFaceList);
        } else if (keyword == kNormalsBlock) {
            seen.normals = true;
            readNormals(mesh.faceNormals, mesh.vertexNormals);
        } else {
            return false;
        }
        return true;
    }

    void readMesh(GeomObject& object) {
        MeshLists seen;
        forEachLine("a mesh", [&](std::string_view keyword, const char* text) {
            return readMeshLine(object, seen, keyword, text);
        });
        fitMeshToCounts(object, seen);
    }

    bool readMeshLine(GeomObject& object, MeshLists& seen, std::string_view keyword,
                      const char* text) {
        if (takeField(kMeshLines, object, keyword, text, kMeshColorFaceCount)) {
            seen.colorCount = seen.colorCount || keyword == kMeshLines[kMeshColorCount].keyword;
            seen.colorFaceCount =
                seen.colorFaceCount || keyword == kMeshLines[kMeshColorFaceCount].keyword;
            return true;
        }
        if (!opensBlock(text)) return false;
        if (keyword == kTexVertexList.keyword) {
            readItems(object.texVertices, kTexVertexList);
        } else if (keyword == kTexFaceList.keyword) {
            readItems(object.texFaces, kTexFaceList);
        } else if (keyword == kColorVertexList.keyword) {
            note(keyword);
            readItems(object.colorVertices, kColorVertexList);
        } else if (keyword == kColorFaceList.keyword) {
            note(keyword);
            readItems(object.colorFaces, kColorFaceList);
        } else {
            return readSharedList(object, seen, keyword);
        }
        return true;
    }

    // Every array holds exactly as many records as its count says, as scene preparation
    // expects. A count line larger than its list is not believed (a damaged or hostile file
    // would otherwise size arrays its lines never fill); list lines beyond the count are dropped.
    void fitMeshToCounts(GeomObject& object, const MeshLists& seen) {
        noteMissingLists(seen);
        fitCount(object.vertexCount, object.vertices);
        fitCount(object.faceCount, object.faces);
        if (object.texVertexCount == 0) {
            object.texFaceCount = 0;  // a face count without texture vertices is not kept
            object.texVertices.clear();
            object.texFaces.clear();
        } else {
            fitCount(object.texVertexCount, object.texVertices);
            fitCount(object.texFaceCount, object.texFaces);
        }
        // Colour lists without their count lines keep what they hold and give the counts.
        if (seen.colorCount && object.colorVertexCount >= 0) {
            auto count = static_cast<std::uint16_t>(object.colorVertexCount);
            fitCount(count, object.colorVertices);
        }
        object.colorVertexCount = static_cast<std::int16_t>(object.colorVertices.size());
        if (seen.colorFaceCount) fitCount(object.colorFaceCount, object.colorFaces);
        object.colorFaceCount = static_cast<std::uint16_t>(object.colorFaces.size());
        if (seen.normals) {
            object.faceNormals.resize(object.faceCount);
            object.vertexNormals.resize(3 * std::size_t{object.faceCount});
        } else {
            note("*MESH_NORMALS missing: computed from the faces");
            computeFaceNormals(object);
        }
    }

    void noteMissingLists(const MeshLists& seen) {
        if (!seen.vertices) noteMissing(kVertexList.keyword);
        if (!seen.faces) noteMissing(kFaceList.keyword);
        if (!seen.normals) noteMissing(kNormalsBlock);
    }

    // A face normal line, then the vertex normal lines of its three corners.
    void readNormals(std::vector<FaceNormal>& faceNormals,
                     std::vector<VertexNormal>& vertexNormals) {
        faceNormals.clear();
        vertexNormals.clear();
        std::size_t corner = 3;  // no face normal read yet: its corners have no place
        forEachLine("the normals", [&](std::string_view keyword, const char* text) {
            if (keyword == kFaceNormalLine) {
                parseFaceNormal(faceNormals.emplace_back(), text);
                vertexNormals.resize(3 * faceNormals.size());
                corner = 0;
            } else if (keyword == kVertexNormalLine) {
                if (corner < 3) {
                    parseVertexNormal(vertexNormals[3 * (faceNormals.size() - 1) + corner], text);
                    ++corner;
                }
            } else {
                return false;
            }
            return true;
        });
    }

    void readMeshAnimation(GeomObject& object, DrawObject& draw) {
        forEachLine("a mesh animation", [&](std::string_view keyword, const char* text) {
            if (keyword != kMeshBlock || !opensBlock(text)) return false;
            ++draw.meshFrameCount;
            readMeshFrame(object.meshFrames.emplace_back());
            return true;
        });
    }

    void readMeshFrame(MeshFrame& frame) {
        MeshLists seen;
        forEachLine("a mesh animation frame", [&](std::string_view keyword, const char* text) {
            if (takeField(kFrameLines, frame, keyword, text)) return true;
            return opensBlock(text) && readSharedList(frame, seen, keyword);
        });
        noteMissingLists(seen);
        fitCount(frame.vertexCount, frame.vertices);
        fitCount(frame.faceCount, frame.faces);
        frame.faceNormals.resize(frame.faceCount);
        frame.vertexNormals.resize(3 * std::size_t{frame.faceCount});
    }

    // --- animation ---

    // One *TM_ANIMATION block into `tracks`. `readTrack(block, keyword)` may take a track block
    // itself (returning true) or note it; the rest are read into `tracks` alone.
    // `afterTrack(block)` sees each track once it is read.
    template <class ReadTrack, class AfterTrack>
    void readAnimationBlock(NodeTracks& tracks, AseText& nodeName, ReadTrack readTrack,
                            AfterTrack afterTrack) {
        forEachLine("an animation block", [&](std::string_view keyword, const char* text) {
            if (keyword == kNodeNameLine) {
                parseName(nodeName, text);
                tracks.nodeName = nodeName;
                return true;
            }
            const TrackBlock* block = opensBlock(text) ? findTrackBlock(keyword) : nullptr;
            if (block == nullptr) return false;
            if (!readTrack(*block, keyword)) readTrackLines(*block, tracks);
            afterTrack(*block);
            return true;
        });
    }

    void readNodeAnimation(NodeTracks& tracks) {
        readAnimationBlock(
            tracks, tracks.nodeName, [](const TrackBlock&, std::string_view) { return false; },
            [](const TrackBlock&) {});
    }

    // The per-frame tables keep the key tracks of the original records: every key track but
    // Bezier rotations, each replacing an earlier one of its part.
    void readObjectAnimation(GeomObject& object) {
        readAnimationBlock(
            object.tracks, object.animNodeName,
            [&](const TrackBlock& block, std::string_view keyword) {
                if (!inLayout(block)) note(keyword);
                return false;
            },
            [&](const TrackBlock& block) { takeTableKeys(object, block); });
    }

    void readTrackLines(const TrackBlock& block, NodeTracks& tracks) {
        startTrack(tracks, block);
        forEachLine("a key track", [&](std::string_view keyword, const char* text) {
            if (!isTrackLine(block, keyword)) return false;
            addTrackLine(tracks, block, text);
            return true;
        });
    }

    // --- lights ---

    void readLight() {
        LightObject& light = newNode(scene_.lights, "lights");
        forEachLine("a light", [&](std::string_view keyword, const char* text) {
            if (takeField(kLightLines, light, keyword, text, kLightParent)) return true;
            const bool block = opensBlock(text);
            if (keyword == kAnimationBlock && block) {
                note(keyword);
                readNodeAnimation(light.tracks.emplace_back());
            } else if (keyword == kNodeTmBlock && block) {
                readNodeTransform(light.nodeTms.emplace_back());
            } else if (keyword == kLightSettingsBlock && block) {
                readLightSettings(light);
            } else {
                return false;
            }
            return true;
        });
        lightDone();
    }

    // Only "Omni" and "Target" lights keep settings, and only "Target" lights a spot cone.
    void readLightSettings(LightObject& light) {
        const bool target = light.lightType == kTargetLight;
        if (!target && light.lightType != kOmniLight) {
            skipBlock();
            return;
        }
        const FieldLine<LightObject>* spot = &kLightSettingLines[kLightSpotLines];
        forEachLine("light settings", [&](std::string_view keyword, const char* text) {
            const auto* field = findField(kLightSettingLines, keyword);
            if (field == nullptr) return false;
            if (target || (field != spot && field != spot + 1)) field->parse(light, text);
            return true;
        });
    }

    // --- cameras ---

    void readCamera() {
        CameraObject& camera = newNode(scene_.cameras, "cameras");
        bool haveSettings = false;
        forEachLine("a camera", [&](std::string_view keyword, const char* text) {
            if (takeField(kCameraLines, camera, keyword, text, kCameraParent)) return true;
            const bool block = opensBlock(text);
            if (keyword == kNodeTmBlock && block) {
                readNodeTransform(camera.nodeTms.emplace_back());
            } else if (keyword == kCameraSettingsBlock && block) {
                haveSettings = true;
                readFieldBlock("camera settings", kCameraSettingLines, camera);
            } else if (keyword == kAnimationBlock && block) {
                readCameraAnimation(camera.animations.emplace_back(), camera.tracks.emplace_back());
            } else {
                return false;
            }
            return true;
        });
        if (!haveSettings) noteMissing(kCameraSettingsBlock);
        cameraDone();
    }

    // The five tracks of the original camera records fill their arrays too, line by line; every
    // track, those five included, fills the camera's NodeTracks.
    void readCameraAnimation(CameraAnimation& animation, NodeTracks& tracks) {
        readAnimationBlock(
            tracks, animation.nodeName,
            [&](const TrackBlock& block, std::string_view keyword) {
                const auto readTrack = [&](auto& records, std::string_view keyLine, auto parse) {
                    readCameraTrack(records, keyLine, parse, block, tracks);
                };
                if (visitCameraTrack(animation, block, readTrack)) return true;
                note(keyword);
                return false;
            },
            [](const TrackBlock&) {});
    }

    // As in the layout's reading: one record per line of the track, its closing line included.
    template <class Record>
    void readCameraTrack(std::vector<Record>& records, std::string_view keyLine,
                         void (*parse)(Record&, const char*), const TrackBlock& block,
                         NodeTracks& tracks) {
        records.assign(1, Record{});
        startTrack(tracks, block);
        forEachLine("a camera track", [&](std::string_view keyword, const char* text) {
            if (keyword == keyLine) parse(records.back(), text);
            if (isTrackLine(block, keyword)) addTrackLine(tracks, block, text);
            records.emplace_back();
            return true;
        });
    }

    std::vector<std::string> missingBlocks_;
    int materialDepth_ = 0;  // sub-material blocks open around the current line
};

}  // namespace

void readByKeywords(Scene& scene, LineSource& lines, const char* fileName, ReadReport& result,
                    std::vector<std::string>& missingBlocks) {
    KeywordReader reader(scene, lines, fileName, result);
    reader.run([&] { reader.read(); });
    missingBlocks = reader.missingBlocks();
}
