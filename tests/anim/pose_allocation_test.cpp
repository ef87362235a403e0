// Posing must not touch the heap once the first frame has run, in either animation model.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "anim/posing.h"
#include "ase/reader.h"
#include "prep/prepare.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
// Sorting asks for its scratch this way; it must come from malloc too, for the sanitizers.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++allocations;
    return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

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
            const long before = allocations.load();
            for (int frame = 1; frame <= scene.sceneInfo.lastFrame; frame += 7) {
                poseFrame(scene, animation, frame, work);
            }
            EXPECT_EQ(allocations.load(), before) << file << " model " << static_cast<int>(model);
        }
    }
}

}  // namespace
