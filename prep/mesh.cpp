#include "prep/mesh.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "prep/math.h"

namespace {

struct TexturePair {
    float tu = 0.0f;
    float tv = 0.0f;
};

// A corner naming a vertex the mesh does not have sits at the origin.
D3DVECTOR cornerPosition(const GeomObject& object, std::size_t vertexIndex) {
    if (vertexIndex < object.vertices.size()) return object.vertices[vertexIndex];
    return D3DVECTOR(0.0f, 0.0f, 0.0f);
}

D3DVECTOR cornerNormal(const GeomObject& object, std::size_t cornerIndex) {
    const VertexNormal& n = object.vertexNormals[cornerIndex];
    return D3DVECTOR(n.x, n.y, n.z);
}

// Takes the texture vertex of corner k of face f into the running pair when it exists; otherwise
// the pair keeps what the corner before left in it.
void updateTexturePair(const GeomObject& object, std::size_t face, int corner, TexturePair& pair) {
    if (face >= object.texFaces.size()) return;
    const TexFace& texFace = object.texFaces[face];
    const std::size_t t = corner == 0 ? texFace.a : corner == 1 ? texFace.b : texFace.c;
    if (t >= object.texVertices.size()) return;
    pair.tu = object.texVertices[t].u;
    pair.tv = object.texVertices[t].v;
}

std::size_t cornerVertexIndex(const GeomObject& object, std::size_t face, int corner) {
    const MeshFace& f = object.faces[face];
    return corner == 0 ? f.a : corner == 1 ? f.b : f.c;
}

void buildObjectTriangles(const GeomObject& object, DrawObject& draw, TexturePair& pair) {
    const std::size_t faceCount = object.faces.size();
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
    for (std::size_t i = 0; i < scene.geomObjects.size(); ++i) {
        buildObjectTriangles(scene.geomObjects[i], scene.drawObjects[i], pair);
    }
}
