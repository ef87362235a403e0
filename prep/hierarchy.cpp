#include "prep/hierarchy.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kNoParent = "*NONEPARENT";

// The objects one walk has passed; cleared entry by entry so that each walk costs its own length.
class WalkMarks {
  public:
    explicit WalkMarks(int objectCount) : marked_(objectCount, false) {}
    bool contains(int object) const { return marked_[object]; }
    void add(int object) {
        marked_[object] = true;
        passed_.push_back(object);
    }
    void clear() {
        for (int object : passed_) marked_[object] = false;
        passed_.clear();
    }

  private:
    std::vector<bool> marked_;
    std::vector<int> passed_;
};

void appendToSubtree(DrawObject& ancestor, int descendant) {
    ancestor.subtree.push_back(static_cast<std::uint16_t>(descendant));
    ancestor.subtreeCount = static_cast<std::uint16_t>(ancestor.subtree.size());
}

// One scan over all objects. It resumes after each match with the new current object's parent name,
// so several generations are found at once when ancestors have higher indices. Returns false when
// the walk must end: nothing matched, or a match closed a cycle.
bool scanForAncestors(Scene& scene, int count, int walker, int& current, WalkMarks& passed) {
    bool matched = false;
    for (int j = 0; j < count; ++j) {
        if (!(scene.geomObjects[j].name == scene.geomObjects[current].parentName)) continue;
        if (passed.contains(j)) return false;
        appendToSubtree(scene.drawObjects[j], walker);
        passed.add(j);
        current = j;
        matched = true;
    }
    return matched;
}

void walkAncestors(Scene& scene, int count, int walker, WalkMarks& passed) {
    passed.add(walker);
    int current = walker;
    while (!(scene.geomObjects[current].parentName == kNoParent)) {
        if (!scanForAncestors(scene, count, walker, current, passed)) break;
    }
    passed.clear();
}

}  // namespace

void linkHierarchy(Scene& scene) {
    const int count = static_cast<int>(scene.geomObjects.size());
    for (int i = 0; i < count; ++i) {
        DrawObject& draw = scene.drawObjects[i];
        draw.subtree.assign(1, static_cast<std::uint16_t>(i));
        draw.subtreeCount = 1;
    }
    WalkMarks passed(count);
    for (int i = 0; i < count; ++i) walkAncestors(scene, count, i, passed);
}
