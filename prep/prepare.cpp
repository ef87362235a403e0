#include "prep/prepare.h"

#include "ase/scene_finish.h"
#include "prep/hierarchy.h"
#include "prep/mesh.h"
#include "prep/tracks.h"

Messages prepareScene(Scene& scene) {
    fitCountsToRecords(scene);
    buildTriangleLists(scene);
    linkHierarchy(scene);
    return buildTrackFrames(scene);
}
