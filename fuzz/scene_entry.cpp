#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "anim/posing.h"
#include "ase/reader.h"
#include "fuzz/entries.h"
#include "prep/prepare.h"

namespace fuzz {
namespace {

// The reader takes a file name: the input goes into one memory-backed file, rewritten for each
// input, so that fuzzing does not churn the disk.
class MemoryFile {
  public:
    MemoryFile() {
        fd_ = memfd_create("aseplay-fuzz-scene", 0);
        if (fd_ >= 0) path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~MemoryFile() {
        if (fd_ >= 0) close(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // Returns the file's name, or null when the bytes could not be stored.
    const char* store(const std::uint8_t* data, std::size_t size) {
        if (fd_ < 0 || ftruncate(fd_, 0) != 0) return nullptr;
        std::size_t written = 0;
        while (written < size) {
            const ssize_t n =
                pwrite(fd_, data + written, size - written, static_cast<off_t>(written));
            if (n <= 0) return nullptr;
            written += static_cast<std::size_t>(n);
        }
        return path_.c_str();
    }

  private:
    int fd_ = -1;
    std::string path_;
};

// Both animation models, at the ends of the scene and past them.
void poseSomeFrames(Scene& scene) {
    const int last = scene.sceneInfo.lastFrame;
    for (const AnimationModel model : {AnimationModel::table, AnimationModel::exact}) {
        const Animation animation = prepareAnimation(scene, model);
        PoseWork work;
        for (int frame : {0, last / 2, last, last + 1}) poseFrame(scene, animation, frame, work);
    }
}

void readPrepareAndPose(const char* path, ReadMode mode) {
    Scene scene;
    if (readScene(scene, path, nullptr, mode) != 0) return;
    prepareScene(scene);
    poseSomeFrames(scene);
}

}  // namespace

int runSceneFile(const std::uint8_t* data, std::size_t size) {
    static MemoryFile file;
    const char* path = file.store(data, size);
    if (path == nullptr) return 0;
    readPrepareAndPose(path, ReadMode::strict);
    readPrepareAndPose(path, ReadMode::tolerant);
    return 0;
}

}  // namespace fuzz
