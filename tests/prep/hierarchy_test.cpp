#include "prep/hierarchy.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/prep/scene_builder.h"

namespace {

using ::testing::ElementsAre;
using testscene::addObject;

// Builds a scene from (name, parent) pairs and links it.
Scene linked(const std::vector<std::pair<std::string, std::string>>& objects) {
    Scene scene;
    for (const auto& [name, parent] : objects) addObject(scene, name, parent);
    linkHierarchy(scene);
    for (const DrawObject& draw : scene.drawObjects) {
        EXPECT_EQ(draw.subtreeCount, draw.subtree.size());
    }
    return scene;
}

TEST(Hierarchy, WithoutParentsEveryListHoldsOnlyItsObject) {
    const Scene scene = linked({{"\"A\"", "*NONEPARENT"}, {"\"B\"", "*NONEPARENT"}});
    EXPECT_THAT(scene.drawObjects[0].subtree, ElementsAre(0));
    EXPECT_THAT(scene.drawObjects[1].subtree, ElementsAre(1));
}

TEST(Hierarchy, ChainStoredParentFirst) {
    const Scene scene = linked({{"\"A\"", "*NONEPARENT"}, {"\"B\"", "\"A\""}, {"\"C\"", "\"B\""}});
    EXPECT_THAT(scene.drawObjects[0].subtree, ElementsAre(0, 1, 2));
    EXPECT_THAT(scene.drawObjects[1].subtree, ElementsAre(1, 2));
    EXPECT_THAT(scene.drawObjects[2].subtree, ElementsAre(2));
}

TEST(Hierarchy, ChainStoredChildFirst) {
    const Scene scene = linked({{"\"C\"", "\"B\""}, {"\"B\"", "\"A\""}, {"\"A\"", "*NONEPARENT"}});
    EXPECT_THAT(scene.drawObjects[2].subtree, ElementsAre(2, 0, 1));
    EXPECT_THAT(scene.drawObjects[1].subtree, ElementsAre(1, 0));
    EXPECT_THAT(scene.drawObjects[0].subtree, ElementsAre(0));
}

TEST(Hierarchy, MixedOrderNeedsSeveralScans) {
    // D's parent B has a smaller index, B's parent C a greater one, C's parent A a smaller one
    // again.
    const Scene scene = linked(
        {{"\"A\"", "*NONEPARENT"}, {"\"B\"", "\"C\""}, {"\"C\"", "\"A\""}, {"\"D\"", "\"B\""}});
    EXPECT_THAT(scene.drawObjects[0].subtree, ElementsAre(0, 1, 2, 3));
    EXPECT_THAT(scene.drawObjects[2].subtree, ElementsAre(2, 1, 3));
    EXPECT_THAT(scene.drawObjects[1].subtree, ElementsAre(1, 3));
}

TEST(Hierarchy, SiblingsAndNameMatching) {
    const Scene scene = linked({{"\"P\"", "*NONEPARENT"},
                                {"\"c1\"", "\"P\""},
                                {"\"c2\"", "\"P\""},
                                {"\"c3\"", "\"p\""},         // letter case differs: no link
                                {"\"P\"", "*NONEPARENT"}});  // a second P is never the parent
    EXPECT_THAT(scene.drawObjects[0].subtree, ElementsAre(0, 1, 2));
    EXPECT_THAT(scene.drawObjects[1].subtree, ElementsAre(1));
    EXPECT_THAT(scene.drawObjects[4].subtree, ElementsAre(4));
}

TEST(Hierarchy, UnknownParentEndsTheWalkKeepingEarlierLinks) {
    const Scene scene = linked({{"\"C\"", "\"B\""}, {"\"B\"", "\"Light01\""}});
    EXPECT_THAT(scene.drawObjects[1].subtree, ElementsAre(1, 0));
    EXPECT_THAT(scene.drawObjects[0].subtree, ElementsAre(0));
}

TEST(Hierarchy, CyclesEndTheWalk) {
    const Scene self = linked({{"\"A\"", "\"A\""}});
    EXPECT_THAT(self.drawObjects[0].subtree, ElementsAre(0));

    // A and B name each other; C hangs below A. Every ancestor on the walk gets the walker once.
    const Scene loop = linked({{"\"A\"", "\"B\""}, {"\"B\"", "\"A\""}, {"\"C\"", "\"A\""}});
    EXPECT_THAT(loop.drawObjects[0].subtree, ElementsAre(0, 1, 2));
    EXPECT_THAT(loop.drawObjects[1].subtree, ElementsAre(1, 0, 2));
    EXPECT_THAT(loop.drawObjects[2].subtree, ElementsAre(2));
}

}  // namespace
