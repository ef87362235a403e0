#include "anim/posing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "anim/transforms.h"
#include "prep/hierarchy.h"
#include "tests/prep/scene_builder.h"

namespace {

using testscene::addObject;
using testscene::setRestTriangle;

// Objects by (name, parent), each with one rest triangle near its pivot, linked into subtrees.
Scene sceneOf(const std::vector<std::pair<std::string, std::string>>& objects) {
    Scene scene;
    for (const auto& [name, parent] : objects) {
        const int i = addObject(scene, name, parent);
        DrawObject& draw = scene.drawObjects[i];
        draw.basePivot = D3DVECTOR(i * 10.0f, 0, 0);
        draw.pivot = D3DVECTOR(-99, -99, -99);  // pass 1 must reset it
        setRestTriangle(draw, D3DVECTOR(i * 10.0f + 1, 0, 0), D3DVECTOR(i * 10.0f, 1, 0),
                        D3DVECTOR(i * 10.0f, 0, 1));
    }
    linkHierarchy(scene);
    return scene;
}

bool sameBits(const std::vector<D3DVERTEX>& a, const std::vector<D3DVERTEX>& b) {
    return a.size() == b.size() &&
           std::memcmp(a.data(), b.data(), a.size() * sizeof(D3DVERTEX)) == 0;
}

void expectNear(const D3DVECTOR& p, float x, float y, float z) {
    EXPECT_NEAR(p.x, x, 1e-5);
    EXPECT_NEAR(p.y, y, 1e-5);
    EXPECT_NEAR(p.z, z, 1e-5);
}

void expectNear(const D3DVERTEX& v, float x, float y, float z) {
    expectNear(D3DVECTOR(v.x, v.y, v.z), x, y, z);
}

void animateTranslation(DrawObject& draw, std::vector<D3DVECTOR> table) {
    draw.trackKinds = kTrackPosition;
    draw.posFrames = std::move(table);
}

void animateRotation(DrawObject& draw, std::vector<RotFrame> table) {
    draw.trackKinds |= kTrackRotation;
    draw.rotFrames = std::move(table);
}

TEST(Posing, StillObjectsKeepTheirRestPose) {
    Scene scene = sceneOf({{"\"A\"", "*NONEPARENT"}, {"\"B\"", "\"A\""}});
    PoseWork work;
    for (int frame : {0, 5, 1000}) {
        poseScene(scene, frame, work);
        ASSERT_EQ(work.workVertices.size(), 2u);
        EXPECT_TRUE(sameBits(work.workVertices[0], scene.drawObjects[0].vertices));
        EXPECT_TRUE(sameBits(work.workVertices[1], scene.drawObjects[1].vertices));
        EXPECT_EQ(scene.drawObjects[1].pivot.x, 10.0f);
    }
}

TEST(Posing, TranslationCarriesDescendantsAndTheirPivots) {
    Scene scene = sceneOf({{"\"P\"", "*NONEPARENT"}, {"\"C\"", "\"P\""}, {"\"O\"", "*NONEPARENT"}});
    animateTranslation(scene.drawObjects[0], {D3DVECTOR(0, 0, 0), D3DVECTOR(1, 0, 0)});
    PoseWork work;
    poseScene(scene, 1, work);
    expectNear(work.workVertices[0][0], 2, 0, 0);
    expectNear(work.workVertices[1][1], 11, 1, 0);
    expectNear(scene.drawObjects[0].pivot, 1, 0, 0);
    expectNear(scene.drawObjects[1].pivot, 11, 0, 0);
    EXPECT_TRUE(sameBits(work.workVertices[2], scene.drawObjects[2].vertices));
    EXPECT_EQ(scene.drawObjects[2].pivot.x, 20.0f);
}

TEST(Posing, RotationTurnsDescendantsAboutTheAnimatedPivot) {
    Scene scene = sceneOf({{"\"P\"", "*NONEPARENT"}, {"\"C\"", "\"P\""}});
    scene.drawObjects[1].basePivot = D3DVECTOR(1, 0, 0);
    setRestTriangle(scene.drawObjects[1], D3DVECTOR(1, 0, 0), D3DVECTOR(2, 0, 0),
                    D3DVECTOR(1, 0, 5));
    animateRotation(scene.drawObjects[0], {RotFrame{0, 0, 90, 0}});
    PoseWork work;
    poseScene(scene, 0, work);
    // One unit along x from P's pivot ends one unit along -y from it.
    expectNear(work.workVertices[1][0], 0, -1, 0);
    expectNear(work.workVertices[1][1], 0, -2, 0);
    expectNear(work.workVertices[1][2], 0, -1, 5);
    expectNear(scene.drawObjects[1].pivot, 0, -1, 0);
}

TEST(Posing, ScalingStretchesDescendantsAboutTheAnimatedPivot) {
    Scene scene = sceneOf({{"\"P\"", "*NONEPARENT"}, {"\"C\"", "\"P\""}});
    scene.drawObjects[1].basePivot = D3DVECTOR(1, 0, 0);
    setRestTriangle(scene.drawObjects[1], D3DVECTOR(1, 0, 0), D3DVECTOR(2, 0, 0),
                    D3DVECTOR(1, 3, 5));
    scene.drawObjects[0].trackKinds = kTrackScale;
    scene.drawObjects[0].scaleFrames = {D3DVECTOR(2, 3, 1)};
    PoseWork work;
    poseScene(scene, 0, work);
    // Distances from P's pivot at the origin double along x and triple along y.
    expectNear(work.workVertices[1][0], 2, 0, 0);
    expectNear(work.workVertices[1][1], 4, 0, 0);
    expectNear(work.workVertices[1][2], 2, 9, 5);
    expectNear(scene.drawObjects[1].pivot, 2, 0, 0);
}

TEST(Posing, RotationUsesThePivotAfterThisFramesTranslation) {
    Scene scene = sceneOf({{"\"P\"", "*NONEPARENT"}});
    animateTranslation(scene.drawObjects[0], {D3DVECTOR(10, 0, 0)});
    animateRotation(scene.drawObjects[0], {RotFrame{0, 0, 90, 0}});
    PoseWork work;
    poseScene(scene, 0, work);
    expectNear(work.workVertices[0][0], 10, -1, 0);  // about (10, 0, 0), not about the origin
    expectNear(scene.drawObjects[0].pivot, 10, 0, 0);
}

// P turns a quarter about z at the origin; C scales x by 2 about its own pivot (1, 0, 0).
std::vector<D3DVERTEX> posedChild(bool childFirst) {
    Scene scene = childFirst ? sceneOf({{"\"C\"", "\"P\""}, {"\"P\"", "*NONEPARENT"}})
                             : sceneOf({{"\"P\"", "*NONEPARENT"}, {"\"C\"", "\"P\""}});
    const int p = childFirst ? 1 : 0, c = 1 - p;
    scene.drawObjects[p].basePivot = D3DVECTOR(0, 0, 0);
    animateRotation(scene.drawObjects[p], {RotFrame{0, 0, 90, 0}});
    scene.drawObjects[c].basePivot = D3DVECTOR(1, 0, 0);
    setRestTriangle(scene.drawObjects[c], D3DVECTOR(2, 0, 0), D3DVECTOR(2, 0, 0),
                    D3DVECTOR(2, 0, 0));
    scene.drawObjects[c].trackKinds = kTrackScale;
    scene.drawObjects[c].scaleFrames = {D3DVECTOR(2, 1, 1)};
    PoseWork work;
    poseScene(scene, 0, work);
    return work.workVertices[c];
}

TEST(Posing, IndexOrderDecidesWhoMovesFirst) {
    // Greater index: carried first, then scaled about its carried pivot. Smaller: scaled, then
    // carried.
    expectNear(posedChild(false)[0], 0, -2, 0);
    expectNear(posedChild(true)[0], 0, -3, 0);
}

TEST(Posing, NothingAccumulatesAndWorkIsReused) {
    Scene scene = sceneOf({{"\"P\"", "*NONEPARENT"}, {"\"C\"", "\"P\""}});
    std::vector<D3DVECTOR> offsets;
    std::vector<RotFrame> angles;
    for (int f = 0; f < 10; ++f) {
        offsets.push_back(D3DVECTOR(f * 0.7f, -f * 1.3f, f * 0.1f));
        angles.push_back(RotFrame{f * 11.0f, f * -7.0f, f * 3.0f, 0});
    }
    animateTranslation(scene.drawObjects[0], offsets);
    animateRotation(scene.drawObjects[0], angles);
    scene.drawObjects[0].trackKinds |= kTrackScale;
    scene.drawObjects[0].scaleFrames.assign(10, D3DVECTOR(1.5f, 0.5f, 2.0f));

    PoseWork fresh;
    poseScene(scene, 3, fresh);
    PoseWork reused;
    poseScene(scene, 3, reused);
    const D3DVERTEX* storage = reused.workVertices[1].data();
    poseScene(scene, 7, reused);
    poseScene(scene, 3, reused);
    EXPECT_EQ(reused.workVertices[1].data(), storage);  // no new allocation after the first frame
    EXPECT_TRUE(sameBits(reused.workVertices[0], fresh.workVertices[0]));
    EXPECT_TRUE(sameBits(reused.workVertices[1], fresh.workVertices[1]));
    releasePoseWork(reused);
    EXPECT_TRUE(reused.workVertices.empty());
}

TEST(Posing, StepsMatchTheSingleVertexOperations) {
    Scene scene = sceneOf({{"\"P\"", "*NONEPARENT"}});
    DrawObject& draw = scene.drawObjects[0];
    draw.basePivot = D3DVECTOR(0.3f, -1.7f, 2.9f);
    animateTranslation(draw, {D3DVECTOR(0.1f, 0.2f, -0.3f)});
    animateRotation(draw, {RotFrame{17.5f, -33.25f, 101.0f, 0}});
    draw.trackKinds |= kTrackScale;
    draw.scaleFrames = {D3DVECTOR(1.1f, 0.0f, 3.7f)};
    PoseWork work;
    poseScene(scene, 0, work);

    const D3DVECTOR pivot(0.3f + 0.1f, -1.7f + 0.2f, 2.9f - 0.3f);
    for (std::size_t k = 0; k < 3; ++k) {
        D3DVERTEX v = translateVertex(draw.vertices[k], 0.1f, 0.2f, -0.3f);
        v = rotateVertex(v, pivot, 17.5f, -33.25f, 101.0f);
        v = scaleVertex(v, pivot, 1.1f, 0.0f, 3.7f);
        EXPECT_EQ(std::memcmp(&v, &work.workVertices[0][k], sizeof v), 0) << k;
    }
}

TEST(Posing, FramesPastTheTablesUseTheirEnds) {
    Scene scene = sceneOf({{"\"P\"", "*NONEPARENT"}});
    animateTranslation(scene.drawObjects[0],
                       {D3DVECTOR(1, 0, 0), D3DVECTOR(2, 0, 0), D3DVECTOR(3, 0, 0)});
    PoseWork work;
    poseScene(scene, 100, work);
    EXPECT_EQ(scene.drawObjects[0].pivot.x, 3.0f);
    poseScene(scene, -5, work);
    EXPECT_EQ(scene.drawObjects[0].pivot.x, 1.0f);
}

TEST(Posing, UnusableTrackKindsAndMissingTablesMoveNothing) {
    Scene scene = sceneOf({{"\"A\"", "*NONEPARENT"},
                           {"\"B\"", "*NONEPARENT"},
                           {"\"C\"", "*NONEPARENT"},
                           {"\"D\"", "*NONEPARENT"}});
    for (DrawObject& draw : scene.drawObjects) draw.posFrames = {D3DVECTOR(5, 5, 5)};
    scene.drawObjects[0].trackKinds = 0;
    scene.drawObjects[1].trackKinds = 8;
    scene.drawObjects[2].trackKinds = -1;
    scene.drawObjects[3].trackKinds = kTrackPosition | kTrackRotation;  // no rotation table
    scene.drawObjects[3].subtree.push_back(200);                        // no such object
    scene.drawObjects[3].subtreeCount = 2;
    PoseWork work;
    poseScene(scene, 0, work);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(sameBits(work.workVertices[i], scene.drawObjects[i].vertices));
    expectNear(scene.drawObjects[3].pivot, 35, 5, 5);  // translated, not turned
}

// An object no step moves keeps its copy of the rest pose from frame to frame; one that starts
// or stops moving, another scene, or a frame of the other model gets a fresh copy.
TEST(Posing, ACopyAtRestIsKeptOnlyWhileNothingMovesIt) {
    Scene scene = sceneOf({{"\"Still\"", "*NONEPARENT"}, {"\"Mover\"", "*NONEPARENT"}});
    animateTranslation(scene.drawObjects[1], {D3DVECTOR(0, 2, 0), D3DVECTOR(0, 4, 0)});
    PoseWork work;
    poseScene(scene, 0, work);
    const D3DVERTEX* kept = work.workVertices[0].data();
    work.workVertices[0][0].x = 1234;  // a copy that is kept would show this
    poseScene(scene, 1, work);
    EXPECT_EQ(work.workVertices[0].data(), kept);
    EXPECT_EQ(work.workVertices[0][0].x, 1234);
    expectNear(work.workVertices[1][0], 11, 4, 0);

    animateTranslation(scene.drawObjects[0], {D3DVECTOR(0, 7, 0)});  // starts moving
    poseScene(scene, 0, work);
    expectNear(work.workVertices[0][0], 1, 7, 0);
    scene.drawObjects[0].trackKinds = 0;  // and stops
    poseScene(scene, 0, work);
    EXPECT_TRUE(sameBits(work.workVertices[0], scene.drawObjects[0].vertices));

    Scene other = sceneOf({{"\"Else\"", "*NONEPARENT"}, {"\"Mover\"", "*NONEPARENT"}});
    setRestTriangle(other.drawObjects[0], D3DVECTOR(5, 5, 5), D3DVECTOR(6, 5, 5),
                    D3DVECTOR(5, 6, 5));
    poseScene(other, 0, work);
    EXPECT_TRUE(sameBits(work.workVertices[0], other.drawObjects[0].vertices));

    work.workVertices[0][0].x = 1234;
    const Animation exact = prepareAnimation(other, AnimationModel::exact);
    poseFrame(other, exact, 0, work);
    work.workVertices[0][0].x = 1234;
    poseScene(other, 0, work);
    EXPECT_TRUE(sameBits(work.workVertices[0], other.drawObjects[0].vertices));
}

TEST(Posing, ObjectCountsOfZeroAndBeyondThirty) {
    Scene empty;
    PoseWork work;
    poseScene(empty, 0, work);
    EXPECT_TRUE(work.workVertices.empty());

    std::vector<std::pair<std::string, std::string>> names;
    for (int i = 0; i < 40; ++i) names.push_back({"\"O" + std::to_string(i) + "\"", "*NONEPARENT"});
    Scene many = sceneOf(names);
    for (DrawObject& draw : many.drawObjects) animateTranslation(draw, {D3DVECTOR(0, 1, 0)});
    many.drawObjects[39].vertices.clear();  // an object without faces
    poseScene(many, 0, work);
    ASSERT_EQ(work.workVertices.size(), 40u);
    for (int i = 0; i < 39; ++i) EXPECT_EQ(work.workVertices[i][0].y, 1.0f) << i;
    EXPECT_TRUE(work.workVertices[39].empty());
    EXPECT_EQ(many.drawObjects[39].pivot.y, 1.0f);
}

}  // namespace
