// Scene preparation: everything derived once from the scene records before the first frame.
#pragma once

#include <algorithm>

#include "ase/records.h"
#include "platform/messages.h"

// The number of objects that can be prepared and posed: `objectCount`, bounded by the records that
// actually exist, so that a scene built by hand cannot send a loop outside its arrays.
inline int usableObjectCount(const Scene& scene) {
    const auto records = std::min(scene.geomObjects.size(), scene.drawObjects.size());
    return static_cast<int>(
        std::clamp<long long>(scene.objectCount, 0, static_cast<long long>(records)));
}

// Triangle lists, then hierarchy lists, then per-frame track tables. Returns the warnings.
Messages prepareScene(Scene& scene);
