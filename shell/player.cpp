#include "shell/player.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "ase/reader.h"
#include "display/device_setup.h"
#include "images/loaders.h"
#include "images/material_maps.h"
#include "platform/raster/raster.h"
#include "prep/prepare.h"
#include "shell/commands.h"

bool loadScene(Scene& scene, const std::string& path, std::FILE* messages) {
    ReadReport report;
    const bool complete = readScene(scene, path.c_str(), &report, ReadMode::tolerant) == 0;
    showMessages(report.messages, messages);
    // The reader's messages before any frame, even when they go to a pipe.
    if (messages != nullptr) std::fflush(messages);
    if (!complete) return false;
    showMessages(prepareScene(scene), nullptr);
    return true;
}

// The scene's own materials and maps in place of the plain ones; where no backdrop shows, the
// scene's background colour does.
void useAuthoredMaterials(Player& player, const Options& files) {
    turnTextureCoordinatesUpright(player.scene);
    player.materials = buildAuthoredMaterials(player.scene);
    player.authored.materials = &player.materials;
    const std::string folder = std::filesystem::path(files.scenePath).parent_path().string();
    Messages messages;
    player.authored.textures = loadMaterialMaps(player.display, player.materials, folder, messages);
    showMessages(messages, nullptr);
    if (player.display.device != nullptr) {
        player.display.device->SetRenderState(D3DRENDERSTATE_TEXTUREADDRESS, D3DTADDRESS_WRAP);
    }
    if (player.display.backgroundSurface == nullptr) {
        const D3DVECTOR& c = player.scene.sceneInfo.backgroundColor;
        const auto channel = [](float v) {
            return static_cast<D3DCOLOR>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f);
        };
        player.frame.clearColour = channel(c.x) << 16 | channel(c.y) << 8 | channel(c.z);
    }
}

HRESULT startUp(Player& player, HWND window, const DirectDrawCreateFunction& directDrawCreate,
                const Options& files) {
    player.display.screenWidth = files.width;
    player.display.screenHeight = files.height;
    if (FAILED(setupDevice(player.display, window, directDrawCreate))) return E_FAIL;
    probeDisplayPixelFormat(player.display);
    showMessages(loadPcxBackground(player.display, files.backgroundPath.c_str()), nullptr);
    // The scene's own maps take the one texture's place when its materials are drawn as authored.
    if (files.materials == MaterialChoice::plain) {
        Messages messages;
        loadSprTexture(player.display, files.texturePath.c_str(), 0, messages);
        showMessages(messages, nullptr);
    }
    if (files.materials == MaterialChoice::authored) useAuthoredMaterials(player, files);
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
