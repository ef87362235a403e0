#include "tools/scenegen/scene_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <random>
#include <string_view>
#include <vector>

namespace {

constexpr int kTicksPerFrame = 160;
constexpr double kRadius = 20.0;
constexpr double kSpacing = 60.0;
constexpr double kPi = 3.14159265358979323846;

struct Vec {
    double x, y, z;
};

// Buffered output with the exporter's formatting: tabs, four decimals, CR LF.
class Out {
  public:
    explicit Out(std::FILE* file) : file_(file) { buffer_.reserve(kFlushSize + 4096); }
    ~Out() { flush(); }

    Out& indent(int depth) {
        buffer_.append(static_cast<std::size_t>(depth), '\t');
        return *this;
    }
    Out& text(std::string_view s) {
        buffer_.append(s);
        return *this;
    }
    Out& num(double value) {
        char digits[64];
        const auto result =
            std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 4);
        buffer_.append(digits, result.ptr);
        return *this;
    }
    Out& integer(long value) {
        char digits[32];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        buffer_.append(digits, result.ptr);
        return *this;
    }
    // A space, then the number right-aligned in four columns, as the exporter writes list numbers
    // ("*MESH_FACE    0:    A:    0"); longer numbers still stay apart from the label.
    Out& padded(long value) {
        char digits[32];
        const int n = std::snprintf(digits, sizeof digits, " %4ld", value);
        buffer_.append(digits, static_cast<std::size_t>(n));
        return *this;
    }
    Out& tabNum(double value) { return text("\t").num(value); }
    Out& vec(const Vec& v) { return num(v.x).tabNum(v.y).tabNum(v.z); }
    Out& tabVec(const Vec& v) { return tabNum(v.x).tabNum(v.y).tabNum(v.z); }
    void end() {
        buffer_.append("\r\n");
        if (buffer_.size() >= kFlushSize) flush();
    }
    // One whole line: indentation, keyword and the rest.
    void line(int depth, std::string_view content) { indent(depth).text(content).end(); }
    bool ok() const { return ok_; }
    void flush() {
        if (!buffer_.empty() &&
            std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
            ok_ = false;
        }
        buffer_.clear();
    }

  private:
    static constexpr std::size_t kFlushSize = 1 << 20;
    std::FILE* file_;
    std::string buffer_;
    bool ok_ = true;
};

std::string quoted(std::string_view name) {
    std::string text;
    text.reserve(name.size() + 2);
    text.append(1, '"').append(name).append(1, '"');
    return text;
}

std::string objectName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "Object%02d", i);
    return name;
}

// A latitude-longitude ball cut off after the requested number of faces.
struct Mesh {
    std::vector<Vec> vertices;  // relative to the object's position
    std::vector<Vec> directions;
    std::vector<double> u, v;
    std::vector<int> faces;  // three indices per face
};

Mesh makeBall(int faceCount) {
    Mesh mesh;
    const int columns = std::max(3, static_cast<int>(std::ceil(std::sqrt(faceCount / 2.0))));
    const int rows = std::max(2, (faceCount + 2 * columns - 1) / (2 * columns));
    for (int r = 0; r <= rows; ++r) {
        const double latitude = kPi * r / rows;
        for (int c = 0; c <= columns; ++c) {
            const double longitude = 2 * kPi * c / columns;
            const Vec d{std::sin(latitude) * std::cos(longitude),
                        std::sin(latitude) * std::sin(longitude), std::cos(latitude)};
            mesh.directions.push_back(d);
            mesh.vertices.push_back({d.x * kRadius, d.y * kRadius, d.z * kRadius});
            mesh.u.push_back(static_cast<double>(c) / columns);
            mesh.v.push_back(static_cast<double>(r) / rows);
        }
    }
    const int stride = columns + 1;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const int a = r * stride + c;
            const int quad[6] = {a, a + stride, a + stride + 1, a + stride + 1, a + 1, a};
            for (int t = 0; t < 2; ++t) {
                if (static_cast<int>(mesh.faces.size()) / 3 == faceCount) return mesh;
                mesh.faces.insert(mesh.faces.end(), quad + 3 * t, quad + 3 * t + 3);
            }
        }
    }
    return mesh;
}

// Columns across (x) and rows along (z), six times as many rows as columns, cut off after the
// requested number of faces; the height ripples so that the light falls unevenly.
Mesh makeGrid(int faceCount) {
    constexpr double kWidth = kSpacing;
    constexpr double kLength = 6 * kSpacing;
    constexpr double kRipple = 4.0;
    Mesh mesh;
    const int columns = std::max(1, static_cast<int>(std::ceil(std::sqrt(faceCount / 12.0))));
    const int rows = std::max(1, (faceCount + 2 * columns - 1) / (2 * columns));
    for (int r = 0; r <= rows; ++r) {
        const double z = kLength * r / rows - kLength / 2;
        for (int c = 0; c <= columns; ++c) {
            const double x = kWidth * c / columns - kWidth / 2;
            const double phase = 2 * kPi * z / 60.0;
            const double slope = kRipple * 2 * kPi / 60.0 * std::cos(phase);
            const double length = std::sqrt(1 + slope * slope);
            mesh.vertices.push_back({x, kRipple * std::sin(phase), z});
            mesh.directions.push_back({0, 1 / length, -slope / length});
            mesh.u.push_back(4.0 * c / columns);
            mesh.v.push_back(24.0 * r / rows);
        }
    }
    const int stride = columns + 1;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const int a = r * stride + c;
            // Both triangles wound to face up (+y) from the default camera.
            const int quad[6] = {a, a + stride, a + 1, a + 1, a + stride, a + stride + 1};
            for (int t = 0; t < 2; ++t) {
                if (static_cast<int>(mesh.faces.size()) / 3 == faceCount) return mesh;
                mesh.faces.insert(mesh.faces.end(), quad + 3 * t, quad + 3 * t + 3);
            }
        }
    }
    return mesh;
}

Vec faceNormal(const Mesh& mesh, std::size_t f) {
    const Vec& a = mesh.vertices[mesh.faces[3 * f]];
    const Vec& b = mesh.vertices[mesh.faces[3 * f + 1]];
    const Vec& c = mesh.vertices[mesh.faces[3 * f + 2]];
    const Vec e1{b.x - a.x, b.y - a.y, b.z - a.z};
    const Vec e2{c.x - a.x, c.y - a.y, c.z - a.z};
    Vec n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
    const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (length > 0) n = {n.x / length, n.y / length, n.z / length};
    return n;
}

class SceneWriter {
  public:
    SceneWriter(const SceneGenOptions& options, std::FILE* file)
        : options_(options), out_(file), random_(options.seed) {}

    bool write() {
        writeHeader();
        writeMaterials();
        const int faces = std::clamp(options_.facesPerObject, 1, 65535);
        const Mesh mesh = options_.shape == Shape::Grid ? makeGrid(faces) : makeBall(faces);
        for (int i = 0; i < layout().helpers; ++i) writeHelper(i);
        if (layout().group) out_.line(0, "*GROUP \"Group01\" {");
        for (int i = 0; i < options_.objects; ++i) writeGeomObject(i, mesh);
        if (layout().group) out_.line(0, "}");
        if (layout().shapes) writeShape();
        for (int i = 0; i < options_.lights; ++i) writeLight(i);
        for (int i = 0; i < options_.cameras; ++i) writeCamera(i);
        out_.flush();
        return out_.ok();
    }

  private:
    const LayoutOptions& layout() const { return options_.layout; }

    void writeHeader() {
        if (layout().spaceHeader) {
            out_.line(0, "*3DSMAX_ASCIIEXPORT 200");
        } else {
            out_.line(0, "*3DSMAX_ASCIIEXPORT\t200");
            out_.line(0, "*COMMENT \"aseplay-scenegen\"");
        }
        if (layout().noSceneBlock) return;
        out_.line(0, "*SCENE {");
        out_.line(1, "*SCENE_FILENAME \"generated.max\"");
        out_.indent(1).text("*SCENE_FIRSTFRAME 0").end();
        out_.indent(1).text("*SCENE_LASTFRAME ").integer(options_.lastFrame).end();
        out_.line(1, "*SCENE_FRAMESPEED 30");
        out_.indent(1).text("*SCENE_TICKSPERFRAME ").integer(kTicksPerFrame).end();
        out_.indent(1).text("*SCENE_BACKGROUND_STATIC ").vec({0, 0, 0}).end();
        out_.indent(1).text("*SCENE_AMBIENT_STATIC ").vec({0.1, 0.1, 0.1}).end();
        out_.line(0, "}");
    }

    void writeMaterials() {
        out_.line(0, "*MATERIAL_LIST {");
        out_.indent(1).text("*MATERIAL_COUNT ").integer(options_.materials).end();
        for (int i = 0; i < options_.materials; ++i) writeMaterial(i);
        out_.line(0, "}");
    }

    void writeMaterial(int i) {
        std::uniform_real_distribution<double> colour(0.2, 1.0);
        const Vec diffuse{colour(random_), colour(random_), colour(random_)};
        out_.indent(1).text("*MATERIAL ").integer(i).text(" {").end();
        writeMaterialBody(2, "Material" + std::to_string(i + 1), diffuse);
        if (layout().subMaterials) {
            // Two sub-materials; the first holds one of its own.
            out_.line(2, "*NUMSUBMTLS 2");
            for (int sub = 0; sub < 2; ++sub) {
                out_.indent(2).text("*SUBMATERIAL ").integer(sub).text(" {").end();
                const Vec subColour{diffuse.z, diffuse.x, 0.1 * (sub + 1)};
                writeMaterialBody(3, "Sub" + std::to_string(sub), subColour);
                if (sub == 0) {
                    out_.line(3, "*NUMSUBMTLS 1");
                    out_.line(3, "*SUBMATERIAL 0 {");
                    writeMaterialBody(4, "SubSub", {0.5, 0.5, 0.5});
                    out_.line(3, "}");
                }
                out_.line(2, "}");
            }
        }
        out_.line(1, "}");
    }

    void writeMaterialBody(int in, const std::string& name, const Vec& diffuse) {
        const bool loose = layout().looseMaterials;
        // Some exporters put the maps first and leave out or reorder the colour lines.
        if (loose && !options_.diffuseMap.empty()) writeMaps(in);
        out_.indent(in).text("*MATERIAL_NAME ").text(quoted(name)).end();
        out_.line(in, "*MATERIAL_CLASS \"Standard\"");
        if (loose) {
            out_.indent(in).text("*MATERIAL_SPECULAR ").vec({0.9, 0.9, 0.9}).end();
            out_.line(in, "*MATERIAL_TWOSIDED");
            out_.indent(in).text("*MATERIAL_DIFFUSE ").vec(diffuse).end();
        } else {
            out_.indent(in)
                .text("*MATERIAL_AMBIENT ")
                .vec({diffuse.x / 4, diffuse.y / 4, diffuse.z / 4})
                .end();
            out_.indent(in).text("*MATERIAL_DIFFUSE ").vec(diffuse).end();
            out_.indent(in).text("*MATERIAL_SPECULAR ").vec({0.9, 0.9, 0.9}).end();
        }
        out_.indent(in).text("*MATERIAL_SHINE ").num(0.25).end();
        if (!loose) out_.indent(in).text("*MATERIAL_SHINESTRENGTH ").num(0.05).end();
        out_.indent(in).text("*MATERIAL_TRANSPARENCY ").num(0).end();
        if (!loose) out_.indent(in).text("*MATERIAL_WIRESIZE ").num(1).end();
        out_.line(in, "*MATERIAL_SHADING Blinn");
        out_.indent(in).text("*MATERIAL_XP_FALLOFF ").num(0).end();
        out_.indent(in).text("*MATERIAL_SELFILLUM ").num(0).end();
        if (loose) out_.line(in, "*MATERIAL_XP_TYPE Filter");
        out_.line(in, "*MATERIAL_FALLOFF In");
        if (loose) out_.line(in, "*MATERIAL_SOFTEN");
        if (!loose) out_.line(in, "*MATERIAL_XP_TYPE Filter");
        if (!loose && !options_.diffuseMap.empty()) writeMaps(in);
    }

    // The diffuse map, and with allMaps one map of every other kind after it.
    void writeMaps(int in) {
        writeMap(in, "*MAP_DIFFUSE", options_.diffuseMap, false);
        if (!layout().allMaps) return;
        for (const char* kind :
             {"*MAP_AMBIENT", "*MAP_SPECULAR", "*MAP_SHINE", "*MAP_SHINESTRENGTH", "*MAP_SELFILLUM",
              "*MAP_OPACITY", "*MAP_FILTERCOLOR", "*MAP_BUMP", "*MAP_REFLECT", "*MAP_REFRACT"}) {
            writeMap(in, kind, "other.bmp", std::string_view(kind) == "*MAP_BUMP");
        }
    }

    // A bitmap map block; `nested` adds a generic map inside it, as composite maps have.
    void writeMap(int in, const char* kind, const std::string& bitmap, bool nested) {
        out_.indent(in).text(kind).text(" {").end();
        const int map = in + 1;
        out_.line(map, "*MAP_NAME \"Map1\"");
        out_.line(map, "*MAP_CLASS \"Bitmap\"");
        out_.line(map, "*MAP_SUBNO 1");
        out_.indent(map).text("*MAP_AMOUNT ").num(1).end();
        out_.indent(map).text("*BITMAP ").text(quoted(bitmap)).end();
        out_.line(map, "*MAP_TYPE Screen");
        const std::pair<const char*, double> uvw[] = {
            {"*UVW_U_OFFSET", 0},    {"*UVW_V_OFFSET", 0},  {"*UVW_U_TILING", 1},
            {"*UVW_V_TILING", 1},    {"*UVW_ANGLE", 0},     {"*UVW_BLUR", 1},
            {"*UVW_BLUR_OFFSET", 0}, {"*UVW_NOUSE_AMT", 1}, {"*UVW_NOISE_SIZE", 1}};
        for (const auto& [keyword, value] : uvw)
            out_.indent(map).text(keyword).text(" ").num(value).end();
        out_.line(map, "*UVW_NOISE_LEVEL 1");
        out_.indent(map).text("*UVW_NOISE_PHASE ").num(0).end();
        out_.line(map, "*BITMAP_FILTER Pyramidal");
        if (nested) {
            out_.line(map, "*MAP_GENERIC {");
            out_.line(map + 1, "*MAP_NAME \"Inner\"");
            out_.line(map + 1, "*BITMAP \"inner.bmp\"");
            out_.line(map, "}");
        }
        out_.line(in, "}");
    }

    Vec objectPosition(int i) const {
        return {kSpacing * (i % 8) - kSpacing * 3.5, kSpacing * ((i / 8) % 8), kSpacing * (i / 64)};
    }

    // Objects without a parent of their own hang under the first helper, when there is one.
    std::string parentName(int i) {
        const int parent = parentOf(i);
        if (parent >= 0) return objectName(parent);
        return layout().helpers > 0 ? helperName(0) : std::string();
    }

    static std::string helperName(int i) { return "Helper" + std::to_string(i); }

    int parentOf(int i) {
        if (i == 0) return -1;
        switch (options_.hierarchy) {
            case Hierarchy::Chain:
                return i - 1;
            case Hierarchy::Star:
                return 0;
            case Hierarchy::Random:
                return static_cast<int>(random_() % static_cast<unsigned>(i));
            case Hierarchy::None:
                break;
        }
        return -1;
    }

    void writeNodeTransform(int depth, const std::string& name, const Vec& position) {
        out_.indent(depth).text("*NODE_TM {").end();
        const int in = depth + 1;
        out_.indent(in).text("*NODE_NAME ").text(quoted(name)).end();
        out_.line(in, "*INHERIT_POS 0 0 0");
        out_.line(in, "*INHERIT_ROT 0 0 0");
        out_.line(in, "*INHERIT_SCL 0 0 0");
        out_.indent(in).text("*TM_ROW0 ").vec({1, 0, 0}).end();
        out_.indent(in).text("*TM_ROW1 ").vec({0, 1, 0}).end();
        out_.indent(in).text("*TM_ROW2 ").vec({0, 0, 1}).end();
        out_.indent(in).text("*TM_ROW3 ").vec(position).end();
        out_.indent(in).text("*TM_POS ").vec(position).end();
        out_.indent(in).text("*TM_ROTAXIS ").vec({0, 0, 0}).end();
        out_.indent(in).text("*TM_ROTANGLE ").num(0).end();
        out_.indent(in).text("*TM_SCALE ").vec({1, 1, 1}).end();
        out_.indent(in).text("*TM_SCALEAXIS ").vec({0, 0, 0}).end();
        out_.indent(in).text("*TM_SCALEAXISANG ").num(0).end();
        out_.indent(depth).text("}").end();
    }

    void writeGeomObject(int i, const Mesh& mesh) {
        const std::string name = objectName(i);
        const Vec position = objectPosition(i);
        out_.line(0, "*GEOMOBJECT {");
        out_.indent(1).text("*NODE_NAME ").text(quoted(name)).end();
        const std::string parent = parentName(i);
        if (!parent.empty()) out_.indent(1).text("*NODE_PARENT ").text(quoted(parent)).end();
        writeNodeTransform(1, name, position);
        writeMesh(1, mesh, position, 1.0, 0, options_.textured, true);
        if (options_.meshFrames > 0 && layout().meshAnimationFirst) {
            writeMeshAnimation(mesh, position);
        }
        out_.line(1, "*PROP_MOTIONBLUR 0");
        out_.line(1, "*PROP_CASTSHADOW 1");
        out_.line(1, "*PROP_RECVSHADOW 1");
        if (hasAnimation()) writeAnimation(name, position);
        if (options_.materials > 0) {
            out_.indent(1).text("*MATERIAL_REF ").integer(i % options_.materials).end();
        } else {
            out_.indent(1).text("*WIREFRAME_COLOR ").vec({0.5, 0.5, 0.5}).end();
        }
        if (options_.meshFrames > 0 && !layout().meshAnimationFirst) {
            writeMeshAnimation(mesh, position);
        }
        out_.line(0, "}");
    }

    void writeHelper(int i) {
        const std::string name = helperName(i);
        out_.line(0, "*HELPEROBJECT {");
        out_.indent(1).text("*NODE_NAME ").text(quoted(name)).end();
        if (i > 0) out_.indent(1).text("*NODE_PARENT ").text(quoted(helperName(i - 1))).end();
        out_.line(1, "*HELPER_CLASS \"Dummy\"");
        writeNodeTransform(1, name, {0, 0, 0});
        out_.indent(1).text("*BOUNDINGBOX_MIN ").vec({-1, -1, -1}).end();
        out_.indent(1).text("*BOUNDINGBOX_MAX ").vec({1, 1, 1}).end();
        out_.line(0, "}");
    }

    void writeShape() {
        out_.line(0, "*SHAPEOBJECT {");
        out_.line(1, "*NODE_NAME \"Line01\"");
        writeNodeTransform(1, "Line01", {0, 0, 0});
        out_.line(1, "*SHAPE_LINECOUNT 1");
        out_.line(1, "*SHAPE_LINE 0 {");
        out_.line(2, "*SHAPE_VERTEXCOUNT 2");
        out_.indent(2).text("*SHAPE_VERTEX_KNOT 0").tabVec({0, 0, 0}).end();
        out_.indent(2).text("*SHAPE_VERTEX_KNOT 1").tabVec({10, 0, 0}).end();
        out_.line(1, "}");
        out_.line(0, "}");
    }

    // depth is that of the "*MESH {" line; size scales the ball (mesh animation frames breathe).
    // ownMesh: the object's own mesh, which takes the layout options; frames keep the layout.
    void writeMesh(int depth, const Mesh& mesh, const Vec& position, double size, long time,
                   bool textured, bool ownMesh) {
        const int in = depth + 1;
        const int list = depth + 2;
        out_.indent(depth).text("*MESH {").end();
        out_.indent(in).text("*TIMEVALUE ").integer(time).end();
        out_.indent(in)
            .text("*MESH_NUMVERTEX ")
            .integer(static_cast<long>(mesh.vertices.size()))
            .end();
        const auto faceCount = mesh.faces.size() / 3;
        out_.indent(in).text("*MESH_NUMFACES ").integer(static_cast<long>(faceCount)).end();
        out_.indent(in).text("*MESH_VERTEX_LIST {").end();
        for (std::size_t v = 0; v < mesh.vertices.size(); ++v) {
            const Vec& p = mesh.vertices[v];
            out_.indent(list).text("*MESH_VERTEX").padded(static_cast<long>(v));
            out_.tabVec({position.x + p.x * size, position.y + p.y * size, position.z + p.z * size})
                .end();
        }
        out_.indent(in).text("}").end();
        out_.indent(in).text("*MESH_FACE_LIST {").end();
        for (std::size_t f = 0; f < faceCount; ++f) writeFace(list, mesh, f);
        out_.indent(in).text("}").end();
        if (textured) {
            writeTextureLists(in, mesh);
        } else {
            out_.indent(in).text("*MESH_NUMTVERTEX 0").end();
        }
        const LayoutOptions plain;
        const LayoutOptions& use = ownMesh ? layout() : plain;
        if (use.mappingChannel && textured) {
            out_.indent(in).text("*MESH_MAPPINGCHANNEL 2 {").end();
            writeTextureLists(in + 1, mesh);
            out_.indent(in).text("}").end();
        }
        if (use.colorVertices) {
            writeColorLists(in, mesh, use.noColorCount);
        } else if (!use.noColorCount) {
            out_.indent(in).text("*MESH_NUMCVERTEX 0").end();
        }
        if (!use.noNormals) writeNormals(in, mesh);
        out_.indent(depth).text("}").end();
    }

    // One colour per vertex: the colour faces repeat the faces' corners.
    void writeColorLists(int depth, const Mesh& mesh, bool noCount) {
        const auto vertexCount = static_cast<long>(mesh.vertices.size());
        if (!noCount) out_.indent(depth).text("*MESH_NUMCVERTEX ").integer(vertexCount).end();
        out_.indent(depth).text("*MESH_CVERTLIST {").end();
        for (std::size_t v = 0; v < mesh.vertices.size(); ++v) {
            out_.indent(depth + 1).text("*MESH_VERTCOL ").integer(static_cast<long>(v));
            out_.tabVec({mesh.u[v], mesh.v[v], 1.0}).end();
        }
        out_.indent(depth).text("}").end();
        const auto faceCount = mesh.faces.size() / 3;
        out_.indent(depth).text("*MESH_NUMCVFACES ").integer(static_cast<long>(faceCount)).end();
        out_.indent(depth).text("*MESH_CFACELIST {").end();
        for (std::size_t f = 0; f < faceCount; ++f) {
            out_.indent(depth + 1).text("*MESH_CFACE ").integer(static_cast<long>(f));
            for (int k = 0; k < 3; ++k) out_.text("\t").integer(mesh.faces[3 * f + k]);
            out_.end();
        }
        out_.indent(depth).text("}").end();
    }

    void writeFace(int depth, const Mesh& mesh, std::size_t f) {
        out_.indent(depth).text("*MESH_FACE").padded(static_cast<long>(f)).text(":");
        out_.text("    A:").padded(mesh.faces[3 * f]);
        out_.text(" B:").padded(mesh.faces[3 * f + 1]);
        out_.text(" C:").padded(mesh.faces[3 * f + 2]);
        out_.text(" AB:    1 BC:    1 CA:    0\t *MESH_SMOOTHING 1 \t*MESH_MTLID 0").end();
    }

    void writeTextureLists(int depth, const Mesh& mesh) {
        out_.indent(depth)
            .text("*MESH_NUMTVERTEX ")
            .integer(static_cast<long>(mesh.vertices.size()))
            .end();
        out_.indent(depth).text("*MESH_TVERTLIST {").end();
        for (std::size_t v = 0; v < mesh.vertices.size(); ++v) {
            out_.indent(depth + 1).text("*MESH_TVERT ").integer(static_cast<long>(v));
            out_.tabVec({mesh.u[v], mesh.v[v], 0}).end();
        }
        out_.indent(depth).text("}").end();
        const auto faceCount = mesh.faces.size() / 3;
        out_.indent(depth).text("*MESH_NUMTVFACES ").integer(static_cast<long>(faceCount)).end();
        out_.indent(depth).text("*MESH_TFACELIST {").end();
        for (std::size_t f = 0; f < faceCount; ++f) {
            out_.indent(depth + 1).text("*MESH_TFACE ").integer(static_cast<long>(f));
            for (int k = 0; k < 3; ++k) out_.text("\t").integer(mesh.faces[3 * f + k]);
            out_.end();
        }
        out_.indent(depth).text("}").end();
    }

    void writeNormals(int depth, const Mesh& mesh) {
        out_.indent(depth).text("*MESH_NORMALS {").end();
        for (std::size_t f = 0; f < mesh.faces.size() / 3; ++f) {
            out_.indent(depth + 1).text("*MESH_FACENORMAL ").integer(static_cast<long>(f));
            out_.tabVec(faceNormal(mesh, f)).end();
            for (int k = 0; k < 3; ++k) {
                const int v = mesh.faces[3 * f + k];
                out_.indent(depth + 2).text("*MESH_VERTEXNORMAL ").integer(v);
                out_.tabVec(mesh.directions[static_cast<std::size_t>(v)]).end();
            }
        }
        out_.indent(depth).text("}").end();
    }

    bool hasAnimation() const {
        return options_.keys > 0 &&
               (options_.posTrack != TrackStyle::None || options_.rotTrack != TrackStyle::None ||
                options_.scaleTrack != TrackStyle::None);
    }

    long keyTime(int k) const {
        const int steps = std::max(1, options_.keys - 1);
        return static_cast<long>(options_.lastFrame) * kTicksPerFrame * k / steps;
    }

    void writeAnimation(const std::string& name, const Vec& position) {
        std::uniform_real_distribution<double> offset(-30.0, 30.0);
        out_.line(1, "*TM_ANIMATION {");
        out_.indent(2).text("*NODE_NAME ").text(quoted(name)).end();
        writeOtherTracks(position);
        if (isKeyTrack(options_.posTrack)) {
            const bool bezier = options_.posTrack == TrackStyle::Bezier;
            out_.line(2, bezier ? "*CONTROL_POS_BEZIER {" : "*CONTROL_POS_TCB {");
            for (int k = 0; k < options_.keys; ++k) {
                const Vec p{position.x + offset(random_), position.y + offset(random_),
                            position.z + offset(random_)};
                out_.indent(3).text(bezier ? "*CONTROL_BEZIER_POS_KEY " : "*CONTROL_TCB_POS_KEY ");
                out_.integer(keyTime(k)).tabVec(p);
                if (bezier) {
                    out_.tabVec({0, 0, 0}).tabVec({0, 0, 0}).text("\t0").end();
                } else {
                    writeTcbParameters();
                }
            }
            out_.line(2, "}");
        }
        if (options_.rotTrack == TrackStyle::Tcb) {
            out_.line(2, "*CONTROL_ROT_TCB {");
            for (int k = 0; k < options_.keys; ++k) {
                out_.indent(3).text("*CONTROL_TCB_ROT_KEY ").integer(keyTime(k));
                out_.tabVec({0, 0, 1}).tabNum(k == 0 ? 0.0 : 0.5);
                writeTcbParameters();
            }
            out_.line(2, "}");
        }
        if (isKeyTrack(options_.scaleTrack)) {
            const bool bezier = options_.scaleTrack == TrackStyle::Bezier;
            out_.line(2, bezier ? "*CONTROL_SCALE_BEZIER {" : "*CONTROL_SCALE_TCB {");
            for (int k = 0; k < options_.keys; ++k) {
                const double s = 1.0 + 0.25 * (k % 2);
                out_.indent(3).text(bezier ? "*CONTROL_BEZIER_SCALE_KEY "
                                           : "*CONTROL_TCB_SCALE_KEY ");
                out_.integer(keyTime(k)).tabVec({s, s, s}).tabVec({0, 0, 0}).tabNum(0);
                if (bezier) {
                    out_.tabVec({0, 0, 0}).tabVec({0, 0, 0}).text("\t0").end();
                } else {
                    writeTcbParameters();
                }
            }
            out_.line(2, "}");
        }
        out_.line(1, "}");
    }

    static bool isKeyTrack(TrackStyle style) {
        return style == TrackStyle::Bezier || style == TrackStyle::Tcb;
    }

    // Linear tracks (keys of plain values) and sampled tracks (one line per sample).
    void writeOtherTracks(const Vec& position) {
        const TrackStyle styles[3] = {options_.posTrack, options_.rotTrack, options_.scaleTrack};
        const char* const kinds[3] = {"POS", "ROT", "SCALE"};
        for (int t = 0; t < 3; ++t) {
            if (styles[t] != TrackStyle::Linear && styles[t] != TrackStyle::Sampled) continue;
            const bool linear = styles[t] == TrackStyle::Linear;
            out_.indent(2).text("*CONTROL_").text(kinds[t]).text(linear ? "_LINEAR {" : "_TRACK {");
            out_.end();
            for (int k = 0; k < options_.keys; ++k) {
                out_.indent(3).text("*CONTROL_").text(kinds[t]).text(linear ? "_KEY " : "_SAMPLE ");
                out_.integer(keyTime(k));
                if (t == 0) {
                    out_.tabVec({position.x + k, position.y, position.z});
                } else if (t == 1) {
                    out_.tabVec({0, 0, 1}).tabNum(k == 0 ? 0.0 : 0.5);
                } else {
                    const double s = 1.0 + 0.25 * (k % 2);
                    out_.tabVec({s, s, s}).tabVec({0, 0, 0}).tabNum(0);
                }
                out_.end();
            }
            out_.line(2, "}");
        }
    }

    // Tension, continuity, bias, ease in, ease out.
    void writeTcbParameters() { out_.tabNum(25).tabNum(0).tabNum(0).tabNum(0).tabNum(0).end(); }

    void writeMeshAnimation(const Mesh& mesh, const Vec& position) {
        out_.line(1, "*MESH_ANIMATION {");
        for (int f = 0; f < options_.meshFrames; ++f) {
            const double size = 1.0 + 0.2 * std::sin(2 * kPi * f / options_.meshFrames);
            const long time =
                static_cast<long>(options_.lastFrame) * kTicksPerFrame * f / options_.meshFrames;
            writeMesh(2, mesh, position, size, time, false, false);
        }
        out_.line(1, "}");
    }

    void writeLight(int i) {
        const bool target = i % 2 == 1;
        char name[32];
        std::snprintf(name, sizeof name, "Light%02d", i);
        const Vec position{100.0 * (i + 1), 150, 200};
        out_.line(0, "*LIGHTOBJECT {");
        out_.indent(1).text("*NODE_NAME ").text(quoted(name)).end();
        out_.line(1, target ? "*LIGHT_TYPE Target" : "*LIGHT_TYPE Omni");
        writeNodeTransform(1, name, position);
        if (target) writeNodeTransform(1, std::string(name) + ".Target", {0, 0, 0});
        out_.line(1, "*LIGHT_SHADOWS Off");
        out_.line(1, "*LIGHT_USELIGHT 1");
        out_.line(1, "*LIGHT_SPOTSHAPE Circle");
        out_.line(1, "*LIGHT_USEGLOBAL 0");
        out_.line(1, "*LIGHT_ABSMAPBIAS 0");
        out_.line(1, "*LIGHT_OVERSHOOT 0");
        out_.line(1, "*LIGHT_SETTINGS {");
        out_.line(2, "*TIMEVALUE 0");
        out_.indent(2).text("*LIGHT_COLOR ").vec({1, 1, 1}).end();
        out_.indent(2).text("*LIGHT_INTENS ").num(1).end();
        out_.indent(2).text("*LIGHT_ASPECT ").num(1).end();
        if (target) {
            out_.indent(2).text("*LIGHT_HOTSPOT ").num(43).end();
            out_.indent(2).text("*LIGHT_FALLOFF ").num(45).end();
        }
        out_.indent(2).text("*LIGHT_TDIST ").num(240).end();
        out_.indent(2).text("*LIGHT_MAPBIAS ").num(1).end();
        out_.indent(2).text("*LIGHT_MAPRANGE ").num(4).end();
        out_.line(2, "*LIGHT_MAPSIZE 512");
        out_.indent(2).text("*LIGHT_RAYBIAS ").num(0).end();
        out_.line(1, "}");
        out_.line(0, "}");
    }

    void writeCamera(int i) {
        char name[32];
        std::snprintf(name, sizeof name, "Camera%02d", i);
        const Vec position{300, 300, 300.0 + 50 * i};
        out_.line(0, "*CAMERAOBJECT {");
        out_.indent(1).text("*NODE_NAME ").text(quoted(name)).end();
        out_.line(1, "*CAMERA_TYPE Target");
        writeNodeTransform(1, name, position);
        writeNodeTransform(1, std::string(name) + ".Target", {0, 0, 0});
        out_.line(1, "*CAMERA_SETTINGS {");
        out_.line(2, "*TIMEVALUE 0");
        out_.indent(2).text("*CAMERA_NEAR ").num(1).end();
        out_.indent(2).text("*CAMERA_FAR ").num(1000).end();
        out_.indent(2).text("*CAMERA_FOV ").num(0.7854).end();
        out_.indent(2).text("*CAMERA_TDIST ").num(519.6152).end();
        out_.line(1, "}");
        out_.line(1, "*TM_ANIMATION {");
        out_.indent(2).text("*NODE_NAME ").text(quoted(name)).end();
        out_.line(2, "*CONTROL_POS_TRACK {");
        for (int k = 0; k < options_.keys; ++k) {
            out_.indent(3).text("*CONTROL_POS_SAMPLE ").integer(keyTime(k));
            out_.tabVec({position.x - 10.0 * k, position.y, position.z}).end();
        }
        out_.line(2, "}");
        out_.line(2, "*CONTROL_ROT_TRACK {");
        for (int k = 0; k < options_.keys; ++k) {
            out_.indent(3).text("*CONTROL_ROT_SAMPLE ").integer(keyTime(k));
            out_.tabVec({0, 0, 1}).tabNum(0.01 * k).end();
        }
        out_.line(2, "}");
        out_.line(1, "}");
        out_.line(0, "}");
    }

    const SceneGenOptions& options_;
    Out out_;
    std::mt19937 random_;
};

}  // namespace

bool writeScene(const SceneGenOptions& options, std::FILE* out) {
    return SceneWriter(options, out).write();
}
