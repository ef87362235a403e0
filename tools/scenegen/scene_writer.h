// Writes synthetic ASE scenes in the exporter's strict layout (tab indentation, CR LF line ends),
// for tests, benchmarks and demo scenes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

enum class KeyStyle { None, Bezier, Tcb };
enum class Hierarchy { None, Chain, Star, Random };

struct SceneGenOptions {
    int objects = 1;
    int facesPerObject = 12;  // at most 65535
    Hierarchy hierarchy = Hierarchy::None;
    KeyStyle posTrack = KeyStyle::None;
    KeyStyle rotTrack = KeyStyle::None;  // rotation keys exist in the TCB style only
    KeyStyle scaleTrack = KeyStyle::None;
    int keys = 5;        // keys per track (samples per camera track)
    int lights = 0;      // alternately "Omni" and "Target"
    int cameras = 0;     // "Target" cameras with sampled position and rotation tracks
    int meshFrames = 0;  // frames of mesh animation per object
    int materials = 1;
    std::string diffuseMap;  // bitmap of every material's diffuse map; empty: no map
    bool textured = true;    // texture vertices and faces
    int lastFrame = 100;
    std::uint32_t seed = 1;
};

// Writes the scene; returns false when writing to `out` failed.
bool writeScene(const SceneGenOptions& options, std::FILE* out);
