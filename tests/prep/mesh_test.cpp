#include "prep/mesh.h"

#include <gtest/gtest.h>

#include "ase/scene_finish.h"
#include "tests/prep/scene_builder.h"

namespace {

using testscene::addObject;
using testscene::setMesh;
using testscene::setTexture;

const std::vector<D3DVECTOR> kFourVertices = {D3DVECTOR(0, 0, 0), D3DVECTOR(1, 0, 0),
                                              D3DVECTOR(0, 1, 0), D3DVECTOR(0, 0, 1)};

TexVertex texVertex(float u, float v) {
    return TexVertex{0, u, v, 0.0f};
}

void expectPosition(const D3DVERTEX& v, const D3DVECTOR& p) {
    EXPECT_EQ(v.x, p.x);
    EXPECT_EQ(v.y, p.y);
    EXPECT_EQ(v.z, p.z);
}

void expectTexture(const D3DVERTEX& v, float tu, float tv) {
    EXPECT_EQ(v.tu, tu);
    EXPECT_EQ(v.tv, tv);
}

TEST(TriangleLists, ThreeVerticesPerFaceEachWithItsCornerNormal) {
    Scene scene;
    const int i = addObject(scene, "\"A\"");
    setMesh(scene.geomObjects[i], kFourVertices, {{0, 1, 2, 1, 1, 1, 0}, {2, 1, 3, 1, 1, 1, 0}});
    buildTriangleLists(scene);
    const auto& list = scene.drawObjects[i].vertices;
    ASSERT_EQ(list.size(), 6u);
    // Vertex 4 is corner 1 of face 1: mesh vertex faces[1].b and normal vertexNormals[4].
    expectPosition(list[4], kFourVertices[1]);
    EXPECT_EQ(list[4].nz, 5.0f);
    // Mesh vertices 1 and 2 are shared by both faces: separate copies, each with its own normal.
    expectPosition(list[1], kFourVertices[1]);
    EXPECT_EQ(list[1].nz, 2.0f);
    expectPosition(list[3], kFourVertices[2]);
    EXPECT_EQ(list[3].nz, 4.0f);
}

TEST(TriangleLists, TextureCornersFollowTheTextureFace) {
    Scene scene;
    const int i = addObject(scene, "\"A\"");
    setMesh(scene.geomObjects[i], kFourVertices, {{0, 1, 2, 1, 1, 1, 0}});
    std::vector<TexVertex> tex(8);
    for (int t = 0; t < 8; ++t) tex[t] = texVertex(t * 0.125f, 1.0f - t * 0.125f);
    setTexture(scene.geomObjects[i], tex, {{0, 5, 6, 7}});
    buildTriangleLists(scene);
    const auto& list = scene.drawObjects[i].vertices;
    expectTexture(list[0], tex[5].u, tex[5].v);
    expectTexture(list[1], tex[6].u, tex[6].v);
    expectTexture(list[2], tex[7].u, tex[7].v);
}

TEST(TriangleLists, RunningTexturePairCarriesAcrossObjects) {
    Scene scene;
    const int plainFirst = addObject(scene, "\"Plain\"");
    const int textured = addObject(scene, "\"Textured\"");
    const int empty = addObject(scene, "\"Empty\"");
    const int plainAfter = addObject(scene, "\"After\"");
    setMesh(scene.geomObjects[plainFirst], kFourVertices, {{0, 1, 2, 1, 1, 1, 0}});
    setMesh(scene.geomObjects[textured], kFourVertices,
            {{0, 1, 2, 1, 1, 1, 0}, {1, 2, 3, 1, 1, 1, 0}});
    setTexture(scene.geomObjects[textured],
               {texVertex(0.1f, 0.2f), texVertex(0.3f, 0.4f), texVertex(0.5f, 0.6f)},
               {{0, 0, 1, 2}, {1, 2, 0, 1}});
    setMesh(scene.geomObjects[empty], kFourVertices, {});
    setMesh(scene.geomObjects[plainAfter], kFourVertices,
            {{0, 1, 2, 1, 1, 1, 0}, {1, 2, 3, 1, 1, 1, 0}});
    buildTriangleLists(scene);

    for (const D3DVERTEX& v : scene.drawObjects[plainFirst].vertices) expectTexture(v, 0.0f, 0.0f);
    EXPECT_TRUE(scene.drawObjects[empty].vertices.empty());
    // The last corner of the textured object's last face used texture vertex 1.
    for (const D3DVERTEX& v : scene.drawObjects[plainAfter].vertices) expectTexture(v, 0.3f, 0.4f);
}

TEST(TriangleLists, OutOfRangeIndicesReadNothingOutside) {
    Scene scene;
    const int i = addObject(scene, "\"Broken\"");
    GeomObject& object = scene.geomObjects[i];
    setMesh(object, kFourVertices,
            {{0, 9, 2, 1, 1, 1, 0}, {1, 2, 3, 1, 1, 1, 0}, {3, 2, 1, 1, 1, 1, 0}});
    object.vertexNormals.resize(4);  // normals for corners 0 … 3 only
    // Texture corner b of face 0 is out of range; face 2 has no texture face at all.
    setTexture(object, {texVertex(0.1f, 0.2f), texVertex(0.3f, 0.4f), texVertex(0.5f, 0.6f)},
               {{0, 0, 7, 2}, {1, 1, 2, 0}});
    fitCountsToRecords(scene);  // the missing corners' normals become zero ones
    buildTriangleLists(scene);
    const auto& list = scene.drawObjects[i].vertices;
    ASSERT_EQ(list.size(), 9u);
    expectPosition(list[1], D3DVECTOR(0, 0, 0));
    expectTexture(list[1], 0.1f, 0.2f);  // kept from corner a
    expectTexture(list[2], 0.5f, 0.6f);  // corner c is decided by itself
    EXPECT_EQ(list[3].nz, 4.0f);
    for (int corner = 4; corner < 9; ++corner) {
        EXPECT_EQ(list[corner].nx, 0.0f);
        EXPECT_EQ(list[corner].nz, 0.0f);
    }
    for (int corner = 6; corner < 9; ++corner) expectTexture(list[corner], 0.1f, 0.2f);
    expectPosition(list[8], kFourVertices[1]);
}

TEST(TriangleLists, MissingFacesAndObjectsPastTheRecordsAreSafe) {
    Scene scene;
    const int i = addObject(scene, "\"Short\"");
    setMesh(scene.geomObjects[i], kFourVertices, {{0, 1, 2, 1, 1, 1, 0}});
    scene.geomObjects[i].faceCount = 2;  // more faces counted than stored
    scene.objectCount = 5;               // more objects counted than stored
    fitCountsToRecords(scene);
    EXPECT_EQ(scene.objectCount, 1);
    EXPECT_EQ(scene.geomObjects[i].faceCount, 1);
    buildTriangleLists(scene);
    const auto& list = scene.drawObjects[i].vertices;
    ASSERT_EQ(list.size(), 3u);
    expectPosition(list[2], kFourVertices[2]);

    // Fewer objects counted than stored: the ones past the count are not prepared at all.
    addObject(scene, "\"Uncounted\"");
    scene.objectCount = 1;
    fitCountsToRecords(scene);
    EXPECT_EQ(scene.geomObjects.size(), 1u);
    EXPECT_EQ(scene.drawObjects.size(), 1u);
}

}  // namespace
