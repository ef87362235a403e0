#include "ase/tolerant_reader.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>
#include <string_view>

#include "ase/fields.h"
#include "ase/line_source.h"
#include "ase/progress.h"
#include "ase/scene_finish.h"
#include "ase/track_blocks.h"

namespace {

using namespace std::string_view_literals;

// Thrown to end the read early; never leaves this file.
struct ReadStopped {};

bool isOneOf(std::string_view keyword, std::initializer_list<std::string_view> choices) {
    return std::find(choices.begin(), choices.end(), keyword) != choices.end();
}

// Grows `records` by one and parses the line into the new record.
template <class Record>
void append(std::vector<Record>& records, const char* text, void (*parse)(Record&, const char*)) {
    parse(records.emplace_back(), text);
}

// The normal of the triangle a, b, c (counter-clockwise front), normalised; zero for a degenerate
// triangle or a corner index outside the vertex list.
D3DVECTOR faceNormalOf(const std::vector<D3DVECTOR>& vertices, const MeshFace& face) {
    if (face.a >= vertices.size() || face.b >= vertices.size() || face.c >= vertices.size()) {
        return {0.0f, 0.0f, 0.0f};
    }
    const D3DVECTOR& a = vertices[face.a];
    const D3DVECTOR& b = vertices[face.b];
    const D3DVECTOR& c = vertices[face.c];
    const double ux = double{b.x} - a.x, uy = double{b.y} - a.y, uz = double{b.z} - a.z;
    const double vx = double{c.x} - a.x, vy = double{c.y} - a.y, vz = double{c.z} - a.z;
    const double nx = uy * vz - uz * vy;
    const double ny = uz * vx - ux * vz;
    const double nz = ux * vy - uy * vx;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(length > 0.0) || !std::isfinite(length)) return {0.0f, 0.0f, 0.0f};
    return {static_cast<float>(nx / length), static_cast<float>(ny / length),
            static_cast<float>(nz / length)};
}

// A mesh without a normals block: every corner gets the normalised normal of its face.
void computeNormals(GeomObject& object) {
    object.faceNormals.resize(object.faceCount);
    object.vertexNormals.resize(3 * std::size_t{object.faceCount});
    for (std::size_t f = 0; f < object.faces.size(); ++f) {
        const MeshFace& face = object.faces[f];
        const D3DVECTOR n = faceNormalOf(object.vertices, face);
        object.faceNormals[f] = {static_cast<std::int16_t>(f), n.x, n.y, n.z};
        const std::uint16_t corners[3] = {face.a, face.b, face.c};
        for (std::size_t k = 0; k < 3; ++k) {
            object.vertexNormals[3 * f + k] = {static_cast<std::int16_t>(corners[k]), n.x, n.y,
                                               n.z};
        }
    }
}

// Reads every block by its keyword. Each block function walks the block's lines to its closing
// line; a line it has no use for is noted and, when it opens a block, skipped with that block.
class KeywordReader {
  public:
    KeywordReader(Scene& scene, LineSource& lines, const char* fileName, std::FILE* messages,
                  ReadReport& report)
        : scene_(scene), lines_(lines), fileName_(fileName), messages_(messages), report_(report) {}

    void read() {
        readHeader();
        while (const char* text = lines_.next()) readTopLevelLine(text);
        printProgress(messages_, "Read ASE Complete!!");
        finishScene(scene_);
    }

    long stopLine() const { return lines_.lineNumber(); }
    const std::string& error() const { return error_; }
    const std::vector<std::string>& missingBlocks() const { return missingBlocks_; }

  private:
    // --- lines ---

    // The next line of the block named `what`; the end of the file is a stop.
    const char* inner(const char* what) {
        const char* text = lines_.next();
        if (text == nullptr) {
            fail(std::string(": expected more of ") + what + ", found the end of the file");
        }
        return text;
    }

    [[noreturn]] void fail(const std::string& what) {
        error_ = std::string(fileName_) + ":" + std::to_string(lines_.lineNumber()) + what;
        throw ReadStopped{};
    }

    // Calls `handle(keyword, line)` for each line of the current block up to its closing line.
    // A line the handler does not take is left out.
    template <class Handler>
    void forEachLine(const char* what, Handler handle) {
        for (;;) {
            const char* text = inner(what);
            const std::string_view keyword = firstToken(text);
            if (keyword == "}"sv) return;
            if (keyword.empty()) continue;
            if (!handle(keyword, text)) leaveOut(keyword, text);
        }
    }

    void leaveOut(std::string_view keyword, const char* text) {
        note(keyword);
        if (opensBlock(text)) skipBlock();
    }

    // Skips the rest of a block whose opening line was just read, nested blocks included.
    void skipBlock() {
        for (int depth = 1; depth > 0;) {
            const char* text = inner("a skipped block");
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
        const char* first = inner("the file header");
        if (!isAseHeaderLine(first)) {
            fail(": not an ASE scene file (its first line is no keyword line)");
        }
        parseShort(scene_.sceneInfo.version, first);
        // The second line is the comment whatever its keyword, unless it is already a block.
        const char* second = inner("the file header");
        if (firstToken(second) == "}"sv || opensBlock(second)) {
            readTopLevelLine(second);
        } else {
            parseName(scene_.sceneInfo.comment, second);
        }
    }

    void readTopLevelLine(const char* text) {
        const std::string_view keyword = firstToken(text);
        if (keyword.empty() || keyword == "}"sv) return;  // a group's closing line
        const bool block = opensBlock(text);
        if (keyword == "*SCENE"sv && block) {
            readSceneBlock();
        } else if (keyword == "*MATERIAL_LIST"sv && block) {
            readMaterialList();
        } else if (keyword == "*GEOMOBJECT"sv && block) {
            readGeomObject();
        } else if (keyword == "*LIGHTOBJECT"sv && block) {
            readLight();
        } else if (keyword == "*CAMERAOBJECT"sv && block) {
            readCamera();
        } else if (keyword == "*HELPEROBJECT"sv && block) {
            note(keyword);  // beyond the exporter's layout, but its node carries children
            readHelper();
        } else if (keyword == "*GROUP"sv && block) {
            note(keyword);  // its members are read as if they stood at the top level
        } else if (keyword == "*COMMENT"sv) {
            parseName(scene_.sceneInfo.comment, text);
        } else {
            leaveOut(keyword, text);
        }
    }

    void readSceneBlock() {
        SceneInfo& info = scene_.sceneInfo;
        forEachLine("the scene block", [&](std::string_view keyword, const char* text) {
            if (keyword == "*SCENE_FILENAME"sv) {
                parseName(info.sceneFileName, text);
            } else if (keyword == "*SCENE_FIRSTFRAME"sv) {
                parseShort(info.firstFrame, text);
            } else if (keyword == "*SCENE_LASTFRAME"sv) {
                parseShort(info.lastFrame, text);
            } else if (keyword == "*SCENE_FRAMESPEED"sv) {
                parseShort(info.frameSpeed, text);
            } else if (keyword == "*SCENE_TICKSPERFRAME"sv) {
                parseShort(info.ticksPerFrame, text);
            } else if (keyword == "*SCENE_BACKGROUND_STATIC"sv) {
                parseVector(info.backgroundColor, text);
            } else if (keyword == "*SCENE_AMBIENT_STATIC"sv) {
                parseVector(info.ambientColor, text);
            } else {
                return false;
            }
            return true;
        });
    }

    // --- materials ---

    // Material blocks fill the records in file order, as many as the count line allows. A count
    // larger than the list is not believed: the records are the blocks the file holds.
    void readMaterialList() {
        std::uint16_t count = 0;
        scene_.materials.clear();
        forEachLine("the material list", [&](std::string_view keyword, const char* text) {
            if (keyword == "*MATERIAL_COUNT"sv) {
                parseShort(count, text);
                return true;
            }
            if (keyword != "*MATERIAL"sv || !opensBlock(text) || scene_.materials.size() >= count) {
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
        if (keyword == "*MATERIAL_NAME"sv) {
            parseName(material.name, text);
        } else if (keyword == "*MATERIAL_CLASS"sv) {
            parseName(material.className, text);
        } else if (keyword == "*MATERIAL_AMBIENT"sv) {
            parseVector(material.ambient, text);
        } else if (keyword == "*MATERIAL_DIFFUSE"sv) {
            parseVector(material.diffuse, text);
            seen.diffuse = true;
        } else if (keyword == "*MATERIAL_SPECULAR"sv) {
            parseVector(material.specular, text);
            seen.specular = true;
        } else if (keyword == "*MATERIAL_SHINE"sv) {
            parseFloat(material.shine, text);
        } else if (keyword == "*MATERIAL_SHINESTRENGTH"sv) {
            parseFloat(material.shineStrength, text);
        } else if (keyword == "*MATERIAL_TRANSPARENCY"sv) {
            parseFloat(material.transparency, text);
        } else if (keyword == "*MATERIAL_WIRESIZE"sv) {
            parseFloat(material.wireSize, text);
        } else if (keyword == "*MATERIAL_SHADING"sv) {
            parseName(material.shading, text);
        } else if (keyword == "*MATERIAL_XP_FALLOFF"sv) {
            parseFloat(material.xpFalloff, text);
        } else if (keyword == "*MATERIAL_SELFILLUM"sv) {
            parseFloat(material.selfIllum, text);
        } else if (keyword == "*MATERIAL_FALLOFF"sv) {
            parseName(material.falloff, text);
        } else if (keyword == "*MATERIAL_SOFTEN"sv) {
            parseFloat(material.soften, text);
        } else if (keyword == "*MATERIAL_XP_TYPE"sv) {
            parseName(material.xpType, text);
        } else if (keyword == "*MAP_DIFFUSE"sv && opensBlock(text) && !material.hasDiffuseMap) {
            material.hasDiffuseMap = true;
            readDiffuseMap(material.diffuseMap);
        } else if (keyword == "*NUMSUBMTLS"sv) {
            note(keyword);
            parseShort(material.subMaterialCount, text);
        } else if (keyword == "*SUBMATERIAL"sv && opensBlock(text)) {
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

    void readDiffuseMap(DiffuseMap& map) {
        forEachLine("a diffuse map", [&](std::string_view keyword, const char* text) {
            if (keyword == "*MAP_NAME"sv) {
                parseName(map.name, text);
            } else if (keyword == "*MAP_CLASS"sv) {
                parseName(map.className, text);
            } else if (keyword == "*MAP_SUBNO"sv) {
                parseShort(map.subNo, text);
            } else if (keyword == "*MAP_AMOUNT"sv) {
                parseFloat(map.amount, text);
            } else if (keyword == "*BITMAP"sv) {
                parseName(map.bitmap, text);
            } else if (keyword == "*MAP_TYPE"sv) {
                parseName(map.mapType, text);
            } else if (keyword == "*UVW_NOISE_LEVEL"sv) {
                parseShort(map.noiseLevel, text);
            } else if (keyword == "*BITMAP_FILTER"sv) {
                parseName(map.bitmapFilter, text);
            } else if (float* field = mapFloat(map, keyword)) {
                parseFloat(*field, text);
            } else {
                return false;
            }
            return true;
        });
    }

    static float* mapFloat(DiffuseMap& map, std::string_view keyword) {
        const std::pair<std::string_view, float*> fields[] = {
            {"*UVW_U_OFFSET", &map.uOffset},
            {"*UVW_V_OFFSET", &map.vOffset},
            {"*UVW_U_TILING", &map.uTiling},
            {"*UVW_V_TILING", &map.vTiling},
            {"*UVW_ANGLE", &map.angle},
            {"*UVW_BLUR", &map.blur},
            {"*UVW_BLUR_OFFSET", &map.blurOffset},
            {"*UVW_NOUSE_AMT", &map.noiseAmount},
            {"*UVW_NOISE_SIZE", &map.noiseSize},
            {"*UVW_NOISE_PHASE", &map.noisePhase}};
        for (const auto& [name, field] : fields) {
            if (name == keyword) return field;
        }
        return nullptr;
    }

    // --- geometry objects ---

    void checkRoomFor(std::size_t count, const char* what) {
        if (count >= kMaxSceneObjects) {
            fail(": more than " + std::to_string(kMaxSceneObjects) + " " + what);
        }
    }

    void readGeomObject() {
        checkRoomFor(scene_.geomObjects.size(), "geometry objects");
        GeomObject& object = scene_.geomObjects.emplace_back();
        DrawObject& draw = scene_.drawObjects.emplace_back();
        object.parentName.assign("*NONEPARENT");
        bool haveNodeTm = false;
        bool haveMesh = false;
        forEachLine("a geometry object", [&](std::string_view keyword, const char* text) {
            const bool block = opensBlock(text);
            if (keyword == "*NODE_NAME"sv) {
                parseName(object.name, text);
            } else if (keyword == "*NODE_PARENT"sv) {
                parseName(object.parentName, text);
            } else if (keyword == "*NODE_TM"sv && block && !haveNodeTm) {
                haveNodeTm = true;
                readNodeTransform(object.nodeTm);
            } else if (keyword == "*MESH"sv && block && !haveMesh) {
                haveMesh = true;
                readMesh(object);
            } else if (keyword == "*PROP_MOTIONBLUR"sv) {
                parseShort(object.motionBlur, text);
            } else if (keyword == "*PROP_CASTSHADOW"sv) {
                parseShort(object.castShadow, text);
            } else if (keyword == "*PROP_RECVSHADOW"sv) {
                parseShort(object.receiveShadow, text);
            } else if (keyword == "*TM_ANIMATION"sv && block) {
                readObjectAnimation(object);
            } else if (keyword == "*MATERIAL_REF"sv) {
                object.hasMaterialRef = true;
                parseShort(object.materialRef, text);
            } else if (keyword == "*WIREFRAME_COLOR"sv) {
                parseVector(object.wireframeColor, text);
            } else if (keyword == "*MESH_ANIMATION"sv && block) {
                readMeshAnimation(object, draw);
            } else {
                return false;
            }
            return true;
        });
        if (!haveMesh) noteMissing("*MESH");
        printProgress(messages_, "%d Object Compelete!!", ++objectsRead_);
    }

    void readHelper() {
        checkRoomFor(scene_.helpers.size(), "helper objects");
        HelperObject& helper = scene_.helpers.emplace_back();
        helper.parentName.assign("*NONEPARENT");
        bool haveNodeTm = false;
        forEachLine("a helper object", [&](std::string_view keyword, const char* text) {
            const bool block = opensBlock(text);
            if (keyword == "*NODE_NAME"sv) {
                parseName(helper.name, text);
            } else if (keyword == "*NODE_PARENT"sv) {
                parseName(helper.parentName, text);
            } else if (keyword == "*HELPER_CLASS"sv) {
                parseName(helper.helperClass, text);
            } else if (keyword == "*NODE_TM"sv && block && !haveNodeTm) {
                haveNodeTm = true;
                readNodeTransform(helper.nodeTm);
            } else if (keyword == "*TM_ANIMATION"sv && block) {
                readNodeAnimation(helper.tracks);
            } else {
                return false;
            }
            return true;
        });
    }

    void readNodeTransform(NodeTransform& tm) {
        forEachLine("a node transform", [&](std::string_view keyword, const char* text) {
            if (keyword == "*NODE_NAME"sv) {
                parseName(tm.name, text);
            } else if (keyword == "*INHERIT_POS"sv) {
                parseShortTriple(tm.inheritPos, text);
            } else if (keyword == "*INHERIT_ROT"sv) {
                parseShortTriple(tm.inheritRot, text);
            } else if (keyword == "*INHERIT_SCL"sv) {
                parseShortTriple(tm.inheritScale, text);
            } else if (keyword == "*TM_ROTANGLE"sv) {
                parseFloat(tm.rotAngle, text);
            } else if (keyword == "*TM_SCALEAXISANG"sv) {
                parseFloat(tm.scaleAxisAngle, text);
            } else if (D3DVECTOR* row = transformVector(tm, keyword)) {
                parseVector(*row, text);
            } else {
                return false;
            }
            return true;
        });
    }

    static D3DVECTOR* transformVector(NodeTransform& tm, std::string_view keyword) {
        const std::pair<std::string_view, D3DVECTOR*> rows[] = {
            {"*TM_ROW0", &tm.row0},   {"*TM_ROW1", &tm.row1},          {"*TM_ROW2", &tm.row2},
            {"*TM_ROW3", &tm.row3},   {"*TM_POS", &tm.tmPos},          {"*TM_ROTAXIS", &tm.rotAxis},
            {"*TM_SCALE", &tm.scale}, {"*TM_SCALEAXIS", &tm.scaleAxis}};
        for (const auto& [name, row] : rows) {
            if (name == keyword) return row;
        }
        return nullptr;
    }

    // --- meshes ---

    // Items of a list: each line with the item keyword grows the array by one record; the arrays
    // are cut or padded to their count lines when the mesh ends.
    template <class Record>
    void readItems(std::vector<Record>& records, std::string_view itemKeyword,
                   void (*parse)(Record&, const char*)) {
        records.clear();
        forEachLine("a mesh list", [&](std::string_view keyword, const char* text) {
            if (keyword != itemKeyword) return false;
            append(records, text, parse);
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

    void readMesh(GeomObject& object) {
        MeshLists seen;
        forEachLine("a mesh", [&](std::string_view keyword, const char* text) {
            return readMeshLine(object, seen, keyword, text);
        });
        fitMeshToCounts(object, seen);
    }

    bool readMeshLine(GeomObject& object, MeshLists& seen, std::string_view keyword,
                      const char* text) {
        const bool block = opensBlock(text);
        if (keyword == "*TIMEVALUE"sv) {
            parseShort(object.meshTime, text);
        } else if (keyword == "*MESH_NUMVERTEX"sv) {
            parseShort(object.vertexCount, text);
        } else if (keyword == "*MESH_NUMFACES"sv) {
            parseShort(object.faceCount, text);
        } else if (keyword == "*MESH_VERTEX_LIST"sv && block) {
            seen.vertices = true;
            readItems(object.vertices, "*MESH_VERTEX", parseMeshVertex);
        } else if (keyword == "*MESH_FACE_LIST"sv && block) {
            seen.faces = true;
            readItems(object.faces, "*MESH_FACE", parseFace);
        } else if (keyword == "*MESH_NUMTVERTEX"sv) {
            parseShort(object.texVertexCount, text);
        } else if (keyword == "*MESH_TVERTLIST"sv && block) {
            readItems(object.texVertices, "*MESH_TVERT", parseTexVertex);
        } else if (keyword == "*MESH_NUMTVFACES"sv) {
            parseShort(object.texFaceCount, text);
        } else if (keyword == "*MESH_TFACELIST"sv && block) {
            readItems(object.texFaces, "*MESH_TFACE", parseTexFace);
        } else if (keyword == "*MESH_NUMCVERTEX"sv) {
            seen.colorCount = true;
            parseShort(object.colorVertexCount, text);
        } else if (keyword == "*MESH_CVERTLIST"sv && block) {
            note(keyword);
            readItems(object.colorVertices, "*MESH_VERTCOL", parseMeshVertex);
        } else if (keyword == "*MESH_NUMCVFACES"sv) {
            note(keyword);
            seen.colorFaceCount = true;
            parseShort(object.colorFaceCount, text);
        } else if (keyword == "*MESH_CFACELIST"sv && block) {
            note(keyword);
            readItems(object.colorFaces, "*MESH_CFACE", parseTexFace);
        } else if (keyword == "*MESH_NORMALS"sv && block) {
            seen.normals = true;
            readNormals(object.faceNormals, object.vertexNormals);
        } else {
            return false;
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
            computeNormals(object);
        }
    }

    void noteMissingLists(const MeshLists& seen) {
        if (!seen.vertices) noteMissing("*MESH_VERTEX_LIST");
        if (!seen.faces) noteMissing("*MESH_FACE_LIST");
        if (!seen.normals) noteMissing("*MESH_NORMALS");
    }

    template <class Record>
    static void fitCount(std::uint16_t& count, std::vector<Record>& records) {
        if (records.size() < count) count = static_cast<std::uint16_t>(records.size());
        records.resize(count);
    }

    // A face normal line, then the vertex normal lines of its three corners.
    void readNormals(std::vector<FaceNormal>& faceNormals,
                     std::vector<VertexNormal>& vertexNormals) {
        faceNormals.clear();
        vertexNormals.clear();
        std::size_t corner = 3;  // no face normal read yet: its corners have no place
        forEachLine("the normals", [&](std::string_view keyword, const char* text) {
            if (keyword == "*MESH_FACENORMAL"sv) {
                append(faceNormals, text, parseFaceNormal);
                vertexNormals.resize(3 * faceNormals.size());
                corner = 0;
            } else if (keyword == "*MESH_VERTEXNORMAL"sv) {
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

    // --- animation ---

    // The track blocks the exporter's layout reads by position; any other is noted.
    static bool inLayout(const TrackBlock& block) {
        if (block.style == KeyStyle::bezier) return block.part != TrackPart::rotation;
        return block.style == KeyStyle::tcb;
    }

    // One *TM_ANIMATION block into `tracks`. `readTrack(block, keyword)` may take a track block
    // itself (returning true) or note it; the rest are read into `tracks` alone.
    // `afterTrack(block)` sees each track once it is read.
    template <class ReadTrack, class AfterTrack>
    void readAnimationBlock(NodeTracks& tracks, AseText& nodeName, ReadTrack readTrack,
                            AfterTrack afterTrack) {
        forEachLine("an animation block", [&](std::string_view keyword, const char* text) {
            if (keyword == "*NODE_NAME"sv) {
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
            [&](const TrackBlock& block) {
                if (!feedsFrameTables(block)) return;
                switch (block.part) {
                    case TrackPart::position:
                        object.posKeys = object.tracks.posKeys;
                        break;
                    case TrackPart::rotation:
                        object.rotKeys = object.tracks.rotKeys;
                        break;
                    case TrackPart::scale:
                        object.scaleKeys = object.tracks.scaleKeys;
                        break;
                }
            });
    }

    void readTrackLines(const TrackBlock& block, NodeTracks& tracks) {
        startTrack(tracks, block);
        forEachLine("a key track", [&](std::string_view keyword, const char* text) {
            if (!isTrackLine(block, keyword)) return false;
            addTrackLine(tracks, block, text);
            return true;
        });
    }

    void readMeshAnimation(GeomObject& object, DrawObject& draw) {
        forEachLine("a mesh animation", [&](std::string_view keyword, const char* text) {
            if (keyword != "*MESH"sv || !opensBlock(text)) return false;
            ++draw.meshFrameCount;
            readMeshFrame(object.meshFrames.emplace_back());
            return true;
        });
    }

    void readMeshFrame(MeshFrame& frame) {
        MeshLists seen;
        forEachLine("a mesh animation frame", [&](std::string_view keyword, const char* text) {
            const bool block = opensBlock(text);
            if (keyword == "*TIMEVALUE"sv) {
                parseInt(frame.time, text);
            } else if (keyword == "*MESH_NUMVERTEX"sv) {
                parseShort(frame.vertexCount, text);
            } else if (keyword == "*MESH_NUMFACES"sv) {
                parseShort(frame.faceCount, text);
            } else if (keyword == "*MESH_VERTEX_LIST"sv && block) {
                seen.vertices = true;
                readItems(frame.vertices, "*MESH_VERTEX", parseMeshVertex);
            } else if (keyword == "*MESH_FACE_LIST"sv && block) {
                seen.faces = true;
                readItems(frame.faces, "*MESH_FACE", parseFace);
            } else if (keyword == "*MESH_NUMTVERTEX"sv) {
                parseShort(frame.texVertexCount, text);
            } else if (keyword == "*MESH_NUMCVERTEX"sv) {
                parseShort(frame.colorVertexCount, text);
            } else if (keyword == "*MESH_NORMALS"sv && block) {
                seen.normals = true;
                readNormals(frame.faceNormals, frame.vertexNormals);
            } else {
                return false;
            }
            return true;
        });
        noteMissingLists(seen);
        fitCount(frame.vertexCount, frame.vertices);
        fitCount(frame.faceCount, frame.faces);
        frame.faceNormals.resize(frame.faceCount);
        frame.vertexNormals.resize(3 * std::size_t{frame.faceCount});
    }

    // --- lights ---

    void readLight() {
        checkRoomFor(scene_.lights.size(), "lights");
        LightObject& light = scene_.lights.emplace_back();
        light.parentName.assign("*NONEPARENT");
        forEachLine("a light", [&](std::string_view keyword, const char* text) {
            const bool block = opensBlock(text);
            if (keyword == "*NODE_NAME"sv) {
                parseName(light.name, text);
            } else if (keyword == "*NODE_PARENT"sv) {
                note(keyword);
                parseName(light.parentName, text);
            } else if (keyword == "*TM_ANIMATION"sv && block) {
                note(keyword);
                readNodeAnimation(light.tracks.emplace_back());
            } else if (keyword == "*LIGHT_TYPE"sv) {
                parseName(light.lightType, text);
            } else if (keyword == "*NODE_TM"sv && block) {
                readNodeTransform(light.nodeTms.emplace_back());
            } else if (keyword == "*LIGHT_SHADOWS"sv) {
                parseName(light.shadows, text);
            } else if (keyword == "*LIGHT_USELIGHT"sv) {
                parseShort(light.useLight, text);
            } else if (keyword == "*LIGHT_SPOTSHAPE"sv) {
                parseName(light.spotShape, text);
            } else if (keyword == "*LIGHT_USEGLOBAL"sv) {
                parseShort(light.useGlobal, text);
            } else if (keyword == "*LIGHT_ABSMAPBIAS"sv) {
                parseShort(light.absMapBias, text);
            } else if (keyword == "*LIGHT_OVERSHOOT"sv) {
                parseShort(light.overshoot, text);
            } else if (keyword == "*LIGHT_SETTINGS"sv && block) {
                readLightSettings(light);
            } else {
                return false;
            }
            return true;
        });
        printProgress(messages_, "%d Light Compelete!!", ++lightsRead_);
    }

    // Only "Omni" and "Target" lights keep settings, and only "Target" lights a spot cone.
    void readLightSettings(LightObject& light) {
        const bool omni = light.lightType == "Omni"sv;
        const bool target = light.lightType == "Target"sv;
        if (!omni && !target) {
            skipBlock();
            return;
        }
        forEachLine("light settings", [&](std::string_view keyword, const char* text) {
            if (keyword == "*TIMEVALUE"sv) {
                parseInt(light.time, text);
            } else if (keyword == "*LIGHT_COLOR"sv) {
                parseVector(light.color, text);
            } else if (keyword == "*LIGHT_MAPSIZE"sv) {
                parseShort(light.mapSize, text);
            } else if (isOneOf(keyword, {"*LIGHT_HOTSPOT", "*LIGHT_FALLOFF"})) {
                if (target) {
                    parseFloat(keyword == "*LIGHT_HOTSPOT"sv ? light.hotspot : light.falloff, text);
                }
            } else if (float* field = lightFloat(light, keyword)) {
                parseFloat(*field, text);
            } else {
                return false;
            }
            return true;
        });
    }

    static float* lightFloat(LightObject& light, std::string_view keyword) {
        const std::pair<std::string_view, float*> fields[] = {
            {"*LIGHT_INTENS", &light.intensity},     {"*LIGHT_ASPECT", &light.aspect},
            {"*LIGHT_TDIST", &light.targetDistance}, {"*LIGHT_MAPBIAS", &light.mapBias},
            {"*LIGHT_MAPRANGE", &light.mapRange},    {"*LIGHT_RAYBIAS", &light.rayBias}};
        for (const auto& [name, field] : fields) {
            if (name == keyword) return field;
        }
        return nullptr;
    }

    // --- cameras ---

    void readCamera() {
        checkRoomFor(scene_.cameras.size(), "cameras");
        CameraObject& camera = scene_.cameras.emplace_back();
        camera.parentName.assign("*NONEPARENT");
        bool haveSettings = false;
        forEachLine("a camera", [&](std::string_view keyword, const char* text) {
            const bool block = opensBlock(text);
            if (keyword == "*NODE_NAME"sv) {
                parseName(camera.name, text);
            } else if (keyword == "*NODE_PARENT"sv) {
                note(keyword);
                parseName(camera.parentName, text);
            } else if (keyword == "*CAMERA_TYPE"sv) {
                parseName(camera.cameraType, text);
            } else if (keyword == "*NODE_TM"sv && block) {
                readNodeTransform(camera.nodeTms.emplace_back());
            } else if (keyword == "*CAMERA_SETTINGS"sv && block) {
                haveSettings = true;
                readCameraSettings(camera);
            } else if (keyword == "*TM_ANIMATION"sv && block) {
                readCameraAnimation(camera.animations.emplace_back(), camera.tracks.emplace_back());
            } else {
                return false;
            }
            return true;
        });
        if (!haveSettings) noteMissing("*CAMERA_SETTINGS");
        printProgress(messages_, "%d Camera Compelete!!", ++camerasRead_);
    }

    void readCameraSettings(CameraObject& camera) {
        forEachLine("camera settings", [&](std::string_view keyword, const char* text) {
            if (keyword == "*TIMEVALUE"sv) {
                parseInt(camera.time, text);
            } else if (keyword == "*CAMERA_NEAR"sv) {
                parseFloat(camera.nearClip, text);
            } else if (keyword == "*CAMERA_FAR"sv) {
                parseFloat(camera.farClip, text);
            } else if (keyword == "*CAMERA_FOV"sv) {
                parseFloat(camera.fov, text);
            } else if (keyword == "*CAMERA_TDIST"sv) {
                parseFloat(camera.targetDistance, text);
            } else {
                return false;
            }
            return true;
        });
    }

    // The five tracks of the original camera records fill their arrays too, line by line; every
    // track, those five included, fills the camera's NodeTracks.
    void readCameraAnimation(CameraAnimation& animation, NodeTracks& tracks) {
        readAnimationBlock(
            tracks, animation.nodeName,
            [&](const TrackBlock& block, std::string_view keyword) {
                if (keyword == "*CONTROL_POS_BEZIER"sv) {
                    readCameraTrack(animation.posKeys, "*CONTROL_BEZIER_POS_KEY", parsePosKey,
                                    block, tracks);
                } else if (keyword == "*CONTROL_ROT_TCB"sv) {
                    readCameraTrack(animation.rotKeys, "*CONTROL_TCB_ROT_KEY", parseRotKey, block,
                                    tracks);
                } else if (keyword == "*CONTROL_SCALE_BEZIER"sv) {
                    readCameraTrack(animation.scaleKeys, "*CONTROL_BEZIER_SCALE_KEY",
                                    parseScaleKey, block, tracks);
                } else if (keyword == "*CONTROL_POS_TRACK"sv) {
                    readCameraTrack(animation.posSamples, "*CONTROL_POS_SAMPLE", parsePosSample,
                                    block, tracks);
                } else if (keyword == "*CONTROL_ROT_TRACK"sv) {
                    readCameraTrack(animation.rotSamples, "*CONTROL_ROT_SAMPLE", parseRotSample,
                                    block, tracks);
                } else {
                    note(keyword);
                    return false;
                }
                return true;
            },
            [](const TrackBlock&) {});
    }

    // As in the layout's reading: one record per line of the track, its closing line included.
    template <class Record>
    void readCameraTrack(std::vector<Record>& records, std::string_view keyKeyword,
                         void (*parse)(Record&, const char*), const TrackBlock& block,
                         NodeTracks& tracks) {
        records.assign(1, Record{});
        startTrack(tracks, block);
        forEachLine("a camera track", [&](std::string_view keyword, const char* text) {
            if (keyword == keyKeyword) parse(records.back(), text);
            if (isTrackLine(block, keyword)) addTrackLine(tracks, block, text);
            records.emplace_back();
            return true;
        });
    }

    Scene& scene_;
    LineSource& lines_;
    const char* fileName_;
    std::FILE* messages_;
    ReadReport& report_;
    int objectsRead_ = 0;
    int lightsRead_ = 0;
    int camerasRead_ = 0;
    std::vector<std::string> missingBlocks_;
    int materialDepth_ = 0;  // sub-material blocks open around the current line
    std::string error_;
};

}  // namespace

bool isKnownBlock(std::string_view keyword) {
    static constexpr std::string_view kBlocks[] = {"*SCENE",
                                                   "*MATERIAL_LIST",
                                                   "*MATERIAL",
                                                   "*SUBMATERIAL",
                                                   "*GEOMOBJECT",
                                                   "*LIGHTOBJECT",
                                                   "*CAMERAOBJECT",
                                                   "*HELPEROBJECT",
                                                   "*SHAPEOBJECT",
                                                   "*GROUP",
                                                   "*NODE_TM",
                                                   "*MESH",
                                                   "*MESH_VERTEX_LIST",
                                                   "*MESH_FACE_LIST",
                                                   "*MESH_TVERTLIST",
                                                   "*MESH_TFACELIST",
                                                   "*MESH_CVERTLIST",
                                                   "*MESH_CFACELIST",
                                                   "*MESH_NORMALS",
                                                   "*MESH_MAPPINGCHANNEL",
                                                   "*MESH_FACEMAPLIST",
                                                   "*MESH_ANIMATION",
                                                   "*TM_ANIMATION",
                                                   "*LIGHT_SETTINGS",
                                                   "*LIGHT_ANIMATION",
                                                   "*CAMERA_SETTINGS",
                                                   "*CAMERA_ANIMATION",
                                                   "*SHAPE_LINE",
                                                   "*SCENE_ENVMAP"};
    // Maps, controllers and skin data come in many kinds, all named by these prefixes.
    static constexpr std::string_view kPrefixes[] = {"*MAP_", "*CONTROL_", "*MESH_BONE"};
    for (std::string_view block : kBlocks) {
        if (keyword == block) return true;
    }
    for (std::string_view prefix : kPrefixes) {
        if (keyword.substr(0, prefix.size()) == prefix) return true;
    }
    return false;
}

void readByKeywords(Scene& scene, LineSource& lines, const char* fileName, std::FILE* messages,
                    ReadReport& result, std::vector<std::string>& missingBlocks) {
    KeywordReader reader(scene, lines, fileName, messages, result);
    try {
        reader.read();
        result.complete = true;
    } catch (const ReadStopped&) {
        result.complete = false;
        result.line = reader.stopLine();
        result.error = reader.error();
    }
    missingBlocks = reader.missingBlocks();
}
