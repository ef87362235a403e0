#include "ase/face_normals.h"

#include <cmath>

namespace {

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

}  // namespace

void computeFaceNormals(GeomObject& object) {
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
