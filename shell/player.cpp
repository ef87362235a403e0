#include "shell/player.h"

#include <cstdio>

#include "ase/reader.h"
#include "display/device_setup.h"
#include "images/loaders.h"
#include "platform/raster/raster.h"
#include "prep/prepare.h"

HRESULT startUp(Player& player, HWND window, const DirectDrawCreateFunction& directDrawCreate,
                const Options& files) {
    player.display.screenWidth = files.width;
    player.display.screenHeight = files.height;
    if (FAILED(setupDevice(player.display, window, directDrawCreate))) return E_FAIL;
    probeDisplayPixelFormat(player.display);
    loadPcxBackground(player.display, files.backgroundPath.c_str());
    loadSprTexture(player.display, files.texturePath.c_str(), 0);
    readScene(player.scene, files.scenePath.c_str(), stdout, nullptr, ReadMode::tolerant);
    prepareScene(player.scene);
    std::fflush(stdout);  // the reader's messages before any frame, even when stdout is a pipe
    return DD_OK;
}

int drawingThreads(const Options& options) {
    return options.threads > 0 ? options.threads : sw::everyCore();
}

int firstFrameToPlay(int requested, std::uint16_t lastFrame) {
    const long long cycle = static_cast<long long>(lastFrame) + 1;
    return static_cast<int>(((requested % cycle) + cycle) % cycle);
}
