#include "anim/exact_posing.h"

#include <algorithm>
#include <cmath>

#include "anim/node_pose.h"

namespace {

// A transform in float, with the matrix that carries normals, for the per-vertex loop.
struct VertexTransform {
    float m[3][4];
    float n[3][3];
};

VertexTransform vertexTransformOf(const Affine& a) {
    VertexTransform t{};
    Mat3 inverse;
    const Mat3 normals = inverted(a.linear, inverse) ? transposed(inverse) : a.linear;
    const double translation[3] = {a.translation.x, a.translation.y, a.translation.z};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            t.m[r][c] = static_cast<float>(a.linear.m[r][c]);
            t.n[r][c] = static_cast<float>(normals.m[r][c]);
        }
        t.m[r][3] = static_cast<float>(translation[r]);
    }
    return t;
}

// `in` and `out` may be the same array: each vertex is read whole before it is written. Without
// branches or divisions per component, so that the loop runs several vertices at once.
void transformVertices(const D3DVERTEX* in, D3DVERTEX* out, std::size_t count,
                       const VertexTransform& t) {
    for (std::size_t i = 0; i < count; ++i) {
        const D3DVERTEX v = in[i];
        D3DVERTEX o;
        o.x = t.m[0][0] * v.x + t.m[0][1] * v.y + t.m[0][2] * v.z + t.m[0][3];
        o.y = t.m[1][0] * v.x + t.m[1][1] * v.y + t.m[1][2] * v.z + t.m[1][3];
        o.z = t.m[2][0] * v.x + t.m[2][1] * v.y + t.m[2][2] * v.z + t.m[2][3];
        const float nx = t.n[0][0] * v.nx + t.n[0][1] * v.ny + t.n[0][2] * v.nz;
        const float ny = t.n[1][0] * v.nx + t.n[1][1] * v.ny + t.n[1][2] * v.nz;
        const float nz = t.n[2][0] * v.nx + t.n[2][1] * v.ny + t.n[2][2] * v.nz;
        const float squared = nx * nx + ny * ny + nz * nz;
        const float scale = squared > 0.0f ? 1.0f / std::sqrt(squared) : 0.0f;  // zero stays zero
        o.nx = nx * scale;
        o.ny = ny * scale;
        o.nz = nz * scale;
        o.tu = v.tu;
        o.tv = v.tv;
        out[i] = o;
    }
}

// The mesh animation frames that hold at a tick: the last frame at or before it and the first
// after that, with the blend weight of the second (0 when they cannot be blended).
struct FrameBlend {
    const MeshFrame* at = nullptr;
    const MeshFrame* next = nullptr;
    float weight = 0;
};

FrameBlend meshFramesAt(const GeomObject& object, double tick) {
    FrameBlend blend;
    for (const MeshFrame& frame : object.meshFrames) {
        if (frame.time <= tick && (blend.at == nullptr || frame.time >= blend.at->time)) {
            blend.at = &frame;
        }
    }
    if (blend.at == nullptr) return blend;
    for (const MeshFrame& frame : object.meshFrames) {
        if (frame.time > blend.at->time &&
            (blend.next == nullptr || frame.time < blend.next->time)) {
            blend.next = &frame;
        }
    }
    if (blend.next != nullptr && blend.next->vertices.size() == blend.at->vertices.size()) {
        blend.weight = static_cast<float>((tick - blend.at->time) /
                                          (static_cast<double>(blend.next->time) - blend.at->time));
    } else {
        blend.next = nullptr;
    }
    return blend;
}

D3DVECTOR mix(const D3DVECTOR& a, const D3DVECTOR& b, float w) {
    return {a.x + w * (b.x - a.x), a.y + w * (b.y - a.y), a.z + w * (b.z - a.z)};
}

D3DVECTOR vectorOf(const VertexNormal& n) {
    return {n.x, n.y, n.z};
}

// Corner k of face f takes the frame's vertex (and normal, when the frame's faces match the
// mesh's); an index outside the frame keeps the rest corner.
void takeMeshFrame(const GeomObject& object, const FrameBlend& blend, std::vector<D3DVERTEX>& out) {
    const MeshFrame& a = *blend.at;
    const MeshFrame* b = blend.next;
    const bool normals = a.vertexNormals.size() == out.size() &&
                         (b == nullptr || b->vertexNormals.size() == out.size());
    const std::size_t faces = std::min(object.faces.size(), out.size() / 3);
    for (std::size_t f = 0; f < faces; ++f) {
        const MeshFace& face = object.faces[f];
        const std::uint16_t corners[3] = {face.a, face.b, face.c};
        for (std::size_t k = 0; k < 3; ++k) {
            D3DVERTEX& v = out[3 * f + k];
            const std::size_t index = corners[k];
            if (index < a.vertices.size()) {
                const D3DVECTOR p = b != nullptr
                                        ? mix(a.vertices[index], b->vertices[index], blend.weight)
                                        : a.vertices[index];
                v.x = p.x;
                v.y = p.y;
                v.z = p.z;
            }
            if (normals) {
                const D3DVECTOR na = vectorOf(a.vertexNormals[3 * f + k]);
                const D3DVECTOR n =
                    b != nullptr ? mix(na, vectorOf(b->vertexNormals[3 * f + k]), blend.weight)
                                 : na;
                v.nx = n.x;
                v.ny = n.y;
                v.nz = n.z;
            }
        }
    }
}

}  // namespace

void poseSceneExact(const Scene& scene, const NodeTree& tree, int frame, PoseWork& work) {
    const double tick = tickOfFrame(tree, frame);
    evaluateNodes(tree, tick, work.nodeWorld, work.nodeAtRest);
    const std::size_t count = std::min(scene.geomObjects.size(), tree.geometryNode.size());
    work.workVertices.resize(count);
    work.restCopied.assign(count, nullptr);  // the copies below are this model's
    for (std::size_t i = 0; i < count; ++i) {
        const std::vector<D3DVERTEX>& rest = scene.drawObjects[i].vertices;
        std::vector<D3DVERTEX>& out = work.workVertices[i];
        const auto n = static_cast<std::size_t>(tree.geometryNode[i]);
        const FrameBlend blend = meshFramesAt(scene.geomObjects[i], tick);
        const D3DVERTEX* source = rest.data();
        if (work.nodeAtRest[n] || blend.at != nullptr) {
            out.assign(rest.begin(), rest.end());
            if (blend.at != nullptr) takeMeshFrame(scene.geomObjects[i], blend, out);
            if (work.nodeAtRest[n]) continue;  // the file's own vertices, bit for bit
            source = out.data();
        }
        out.resize(rest.size());
        const VertexTransform t =
            vertexTransformOf(work.nodeWorld[n] * tree.nodes[n].restWorldInverse);
        transformVertices(source, out.data(), out.size(), t);
    }
}
