#include <cstdio>

#include "anim/obj_export.h"
#include "anim/posing.h"
#include "ase/reader.h"
#include "prep/prepare.h"
#include "shell/commands.h"

int runExportObj(const Options& options) {
    Scene scene;
    if (readScene(scene, options.scenePath.c_str(), progressMessages(options, stderr), nullptr,
                  ReadMode::tolerant) != 0) {
        return 1;  // the reader has said why
    }
    prepareScene(scene, stderr);
    PoseWork work;
    poseFrame(scene, prepareAnimation(scene, options.animation), options.frame, work);
    return writeObjFile(options.exportObjPath, scene, work) ? 0 : 1;
}
