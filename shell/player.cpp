#include "shell/player.h"

#include <cstdio>
#include <string>

#include "ase/reader.h"
#include "display/device_setup.h"
#include "images/loaders.h"
#include "prep/prepare.h"

HRESULT startUp(Player& player, HWND window, const DirectDrawCreateFunction& directDrawCreate,
                const Options& files) {
    if (FAILED(setupDevice(player.display, window, directDrawCreate))) return E_FAIL;
    probeDisplayPixelFormat(player.display);
    loadPcxBackground(player.display, files.backgroundPath.c_str());
    loadSprTexture(player.display, files.texturePath.c_str(), 0);
    readScene(player.scene, files.scenePath.c_str(), stdout, nullptr, ReadMode::tolerant);
    prepareScene(player.scene);
    player.animation = prepareAnimation(player.scene, files.animation);
    std::string note;
    player.viewer = Viewer::make(player.scene, player.animation, files.camera,
                                 player.display.screenWidth, player.display.screenHeight, note);
    if (!note.empty()) std::fprintf(stderr, "aseplay: %s\n", note.c_str());
    if (player.viewer.kind() != CameraKind::fixed) keepCounterClockwiseFaces(player.display);
    std::fflush(stdout);  // the reader's messages before any frame, even when stdout is a pipe
    return DD_OK;
}

int firstFrameToPlay(int requested, std::uint16_t lastFrame) {
    const long long cycle = static_cast<long long>(lastFrame) + 1;
    return static_cast<int>(((requested % cycle) + cycle) % cycle);
}
