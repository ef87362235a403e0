// What the command line asks for.
#pragma once

#include <string>

struct Options {
    std::string directory;           // -C: run in this directory
    std::string scenePath = "zz.ase";
    std::string backgroundPath = "12.pcx";
    std::string texturePath = "0.spr";

    bool info = false;               // print what the scene file holds as JSON
    std::string exportObjPath;       // pose one frame and write it as Wavefront OBJ
    int frame = 0;                   // frame to pose / first frame to play
};
