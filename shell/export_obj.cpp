#include <cstdio>

#include "anim/obj_export.h"
#include "anim/posing.h"
#include "ase/reader.h"
#include "prep/prepare.h"
#include "shell/commands.h"

int runExportObj(const Options& options) {
    Scene scene;
    ReadReport report;
    const int read = readScene(scene, options.scenePath.c_str(), &report, ReadMode::tolerant);
    showMessages(report.messages, progressMessages(options, stderr));
    if (read != 0) return 1;  // the reader has said why
    showMessages(prepareScene(scene), nullptr);
    PoseWork work;
    poseFrame(scene, prepareAnimation(scene, options.animation), options.frame, work);
    Messages messages;
    const bool written = writeObjFile(options.exportObjPath, scene, work, messages);
    showMessages(messages, nullptr);
    return written ? 0 : 1;
}
