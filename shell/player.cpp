#include "shell/player.h"

#include <cstdio>
#include <string>

#include "ase/reader.h"
#include "display/device_setup.h"
#include "images/loaders.h"
#include "platform/raster/raster.h"
#include "prep/prepare.h"

bool loadScene(Scene& scene, const std::string& path, std::FILE* messages) {
    const bool complete =
        readScene(scene, path.c_str(), messages, nullptr, ReadMode::tolerant) == 0;
    // The reader's messages before any frame, even when they go to a pipe.
    if (messages != nullptr) std::fflush(messages);
    if (!complete) return false;
    prepareScene(scene);
    return true;
}

HRESULT startUp(Player& player, HWND window, const DirectDrawCreateFunction& directDrawCreate,
                const Options& files) {
    player.display.screenWidth = files.width;
    player.display.screenHeight = files.height;
    if (FAILED(setupDevice(player.display, window, directDrawCreate))) return E_FAIL;
    probeDisplayPixelFormat(player.display);
    loadPcxBackground(player.display, files.backgroundPath.c_str());
    loadSprTexture(player.display, files.texturePath.c_str(), 0);
    // The animation model and the camera, now that the frame's size is known.
    player.animation = prepareAnimation(player.scene, files.animation);
    std::string note;
    player.viewer = Viewer::make(player.scene, player.animation, files.camera,
                                 player.display.screenWidth, player.display.screenHeight, note);
    if (!note.empty()) std::fprintf(stderr, "aseplay: %s\n", note.c_str());
    if (player.viewer.kind() != CameraKind::fixed) keepCounterClockwiseFaces(player.display);
    return DD_OK;
}

int drawingThreads(const Options& options) {
    return options.threads > 0 ? options.threads : sw::everyCore();
}

int firstFrameToPlay(int requested, std::uint16_t lastFrame) {
    const long long cycle = static_cast<long long>(lastFrame) + 1;
    return static_cast<int>(((requested % cycle) + cycle) % cycle);
}
