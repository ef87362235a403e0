#include "prep/prepare.h"

#include "prep/hierarchy.h"
#include "prep/mesh.h"
#include "prep/tracks.h"

void prepareScene(Scene& scene, std::FILE* warnings) {
    buildTriangleLists(scene);
    linkHierarchy(scene);
    buildTrackFrames(scene, warnings);
}
