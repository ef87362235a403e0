#include "prep/prepare.h"

#include "prep/hierarchy.h"
#include "prep/mesh.h"
#include "prep/tracks.h"

Messages prepareScene(Scene& scene) {
    buildTriangleLists(scene);
    linkHierarchy(scene);
    return buildTrackFrames(scene);
}
