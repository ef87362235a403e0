#include "prep/mesh.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "prep/math.h"
#include "prep/prepare.h"

namespace {

struct TexturePair {
    float tu = 0.0f;
    float tv = 0.0f;
};

D3DVECTOR cornerPosition(const GeomObject& object, std::size_t vertexIndex) {
    const std::size_t count = std::min<std::size_t>(object.vertexCount, object.vertices.size());
    if (vertexIndex < count) return object.vertices[vertexIndex];
    return D3DVECTOR(0.0f, 0.0f, 0.0f);
}

D3DVECTOR cornerNormal(const GeomObject& object, std::size_t cornerIndex) {
    if (cornerIndex >= object.vertexNormals.size()) return D3DVECTOR(0.0f, 0.0f, 0.0f);
    const VertexNormal& n = object.vertexNormals[cornerIndex];
    return D3DVECTOR(n.x, n.y, n.z);
}

// Takes the texture vertex of corner k of face f into the running pair when it exists; otherwise
// the pair keeps what the corner before left in it.
void updateTexturePair(const GeomObject& object, std::size_t face, int corner, TexturePair& pair) {
    if (object.texVertexCount == 0 || face >= object.texFaces.size()) return;
    const TexFace& texFace = object.texFaces[face];
    const std::size_t t = corner == 0 ? texFace.a : corner == 1 ? texFace.b : texFace.c;
    const std::size_t count =
        std::min<std::size_t>(object.texVertexCount, object.texVertices.size());
    if (t >= count) return;
    pair.tu = object.texVertices[t].u;
    pair.tv = object.texVertices[t].v;
}

constexpr std::size_t kNoVertex = SIZE_MAX;

// A face past the face array behaves like a face whose corners are all out of range.
std::size_t cornerVertexIndex(const GeomObject& object, std::size_t face, int corner) {
    if (face >= object.faces.size()) return kNoVertex;
    const MeshFace& f = object.faces[face];
    return corner == 0 ? f.a : corner == 1 ? f.b : f.c;
}

void buildObjectTriangles(const GeomObject& object, DrawObject& draw, TexturePair& pair) {
    const std::size_t faceCount = object.faceCount;
    draw.vertices.resize(3 * faceCount);
    for (std::size_t f = 0; f < faceCount; ++f) {
        for (int k = 0; k < 3; ++k) {
            updateTexturePair(object, f, k, pair);
            draw.vertices[3 * f + k] =
                D3DVERTEX(cornerPosition(object, cornerVertexIndex(object, f, k)),
                          cornerNormal(object, 3 * f + k), pair.tu, pair.tv);
        }
    }
}

}  // namespace

void buildTriangleLists(Scene& scene) {
    TexturePair pair;  // one pair for the whole pass, not per object
    const int count = usableObjectCount(scene);
    for (int i = 0; i < count; ++i) {
        buildObjectTriangles(scene.geomObjects[i], scene.drawObjects[i], pair);
    }
}
