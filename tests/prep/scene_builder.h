// Small scenes built in code for the preparation and posing tests. Every record starts zero-filled.
#pragma once

#include <bit>
#include <cstdint>
#include <string_view>
#include <vector>

#include "ase/records.h"

namespace testscene {

inline float fromBits(std::uint32_t bits) {
    return std::bit_cast<float>(bits);
}
inline std::uint32_t bitsOf(float v) {
    return std::bit_cast<std::uint32_t>(v);
}

// Adds a geometry object and its drawing record; returns its index.
inline int addObject(Scene& scene, std::string_view name, std::string_view parent = "*NONEPARENT") {
    scene.geomObjects.emplace_back();
    scene.drawObjects.emplace_back();
    GeomObject& object = scene.geomObjects.back();
    object.name.assign(name);
    object.parentName.assign(parent);
    scene.objectCount = static_cast<std::int32_t>(scene.geomObjects.size());
    return scene.objectCount - 1;
}

// Replaces the object's mesh; every corner's normal is (0, 0, 1 + its corner number) so that
// corners can be told apart.
inline void setMesh(GeomObject& object, const std::vector<D3DVECTOR>& vertices,
                    const std::vector<MeshFace>& faces) {
    object.vertices = vertices;
    object.vertexCount = static_cast<std::uint16_t>(vertices.size());
    object.faces = faces;
    object.faceCount = static_cast<std::uint16_t>(faces.size());
    object.vertexNormals.clear();
    for (std::size_t corner = 0; corner < 3 * faces.size(); ++corner) {
        object.vertexNormals.push_back(
            VertexNormal{static_cast<std::int16_t>(corner), 0.0f, 0.0f, 1.0f + corner});
    }
}

inline void setTexture(GeomObject& object, const std::vector<TexVertex>& texVertices,
                       const std::vector<TexFace>& texFaces) {
    object.texVertices = texVertices;
    object.texVertexCount = static_cast<std::uint16_t>(texVertices.size());
    object.texFaces = texFaces;
    object.texFaceCount = static_cast<std::uint16_t>(texFaces.size());
}

// A rest triangle list of one triangle with the given corners, as the preparation would build it.
inline void setRestTriangle(DrawObject& draw, D3DVECTOR a, D3DVECTOR b, D3DVECTOR c) {
    const D3DVECTOR n(0.0f, 0.0f, 1.0f);
    draw.vertices = {D3DVERTEX(a, n, 0.1f, 0.2f), D3DVERTEX(b, n, 0.3f, 0.4f),
                     D3DVERTEX(c, n, 0.5f, 0.6f)};
}

inline PosKey posKey(std::int32_t time, float x, float y, float z) {
    PosKey key{};
    key.time = time;
    key.values[0] = x;
    key.values[1] = y;
    key.values[2] = z;
    return key;
}

inline RotKey rotKey(std::int32_t time, float ax, float ay, float az, float angle) {
    RotKey key{};
    key.time = time;
    key.values[0] = ax;
    key.values[1] = ay;
    key.values[2] = az;
    key.values[3] = angle;
    return key;
}

inline ScaleKey scaleKey(std::int32_t time, float x, float y, float z) {
    ScaleKey key{};
    key.time = time;
    key.values[0] = x;
    key.values[1] = y;
    key.values[2] = z;
    return key;
}

}  // namespace testscene
