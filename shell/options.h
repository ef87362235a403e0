// What the command line asks for.
#pragma once

#include <string>

#include "anim/posing.h"
#include "view/viewer.h"

// plain: every object in the colours of the material at its own position in the list, with the
// one texture (the default). authored: each face in the (sub-)material its object and face name,
// with that material's own diffuse map; objects without a material in their wireframe colour.
enum class MaterialChoice : std::uint8_t { plain, authored };

// Which 3D device draws: the GPU's only when it is a real one, the GPU's whatever it is, or the
// program's own software device.
enum class DeviceRequest { automatic, hardware, software };

struct Options {
    std::string directory;  // -C: run in this directory
    std::string scenePath = "zz.ase";
    std::string backgroundPath = "12.pcx";
    std::string texturePath = "0.spr";

    bool info = false;          // print what the scene file holds as JSON
    std::string exportObjPath;  // pose one frame and write it as Wavefront OBJ
    int frame = 0;              // frame to pose / first frame to play
    AnimationModel animation = AnimationModel::table;
    CameraChoice camera;
    MaterialChoice materials = MaterialChoice::plain;

    bool window = false;       // a frame-sized window instead of the full screen
    bool vsync = true;         // the flip waits for the display's refresh (windowed or full screen)
    bool headless = false;     // no window and no display at all
    bool bench = false;        // render headless as fast as possible and report timings
    long frames = -1;          // stop after this many frames; negative: run until closed
    std::string snapshotPath;  // the last presented frame as PNG, written at the end
    std::string snapshotDir;   // every presented frame as DIR/frame-00000.png, ...
    bool quiet = false;        // no progress messages from the scene reader

    int width = 640;  // --size: the frame's size in pixels
    int height = 480;
    int threads = 0;  // drawing threads; 0: every core
    DeviceRequest device = DeviceRequest::automatic;
};
