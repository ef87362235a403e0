#include "shell/player.h"

#include <cstdio>

#include "ase/reader.h"
#include "display/device_setup.h"
#include "images/loaders.h"
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
    if (FAILED(setupDevice(player.display, window, directDrawCreate))) return E_FAIL;
    probeDisplayPixelFormat(player.display);
    loadPcxBackground(player.display, files.backgroundPath.c_str());
    loadSprTexture(player.display, files.texturePath.c_str(), 0);
    return DD_OK;
}

int firstFrameToPlay(int requested, std::uint16_t lastFrame) {
    const long long cycle = static_cast<long long>(lastFrame) + 1;
    return static_cast<int>(((requested % cycle) + cycle) % cycle);
}
