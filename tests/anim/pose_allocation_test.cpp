// Posing must not touch the heap once the first frame has run, in either animation model.
#include <gtest/gtest.h>

#include <string>

#include "anim/posing.h"
#include "ase/reader.h"
#include "prep/prepare.h"
#include "tests/support/counting_new.h"

namespace {

TEST(Posing, AllocatesNothingAfterTheFirstFrameInEitherModel) {
    for (const char* file : {"MotionCaptureROM.ase", "anim2.ASE"}) {
        Scene scene;
        const std::string path = std::string(ASEPLAY_SOURCE_DIR "/tests/ase/data/") + file;
        ASSERT_EQ(readScene(scene, path.c_str(), nullptr, ReadMode::tolerant), 0);
        prepareScene(scene);
        for (const AnimationModel model : {AnimationModel::table, AnimationModel::exact}) {
            const Animation animation = prepareAnimation(scene, model);
            PoseWork work;
            poseFrame(scene, animation, 0, work);
            const long before = allocationsSoFar();
            for (int frame = 1; frame <= scene.sceneInfo.lastFrame; frame += 7) {
                poseFrame(scene, animation, frame, work);
            }
            EXPECT_EQ(allocationsSoFar(), before) << file << " model " << static_cast<int>(model);
        }
    }
}

}  // namespace
