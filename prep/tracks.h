// Per-frame track tables: each object's position, rotation and scale keys turned, once, into one
// value per scene frame (a displacement, angles in degrees, a factor), relative to the rest pose.
#pragma once

#include <cstdio>

#include "ase/records.h"

// Sets every object's `pivot`, `basePivot`, `trackKinds` and tables. Entry f belongs to scene frame
// f; key frames outside 0 … span are not written, a pair of keys on the same frame or running
// backwards writes nothing, and a track with one key holds the rest value. A scene with
// `ticksPerFrame` 0 or `firstFrame` after `lastFrame` gets no tables and no track kinds (the first
// with one warning on `warnings` when some object has keys).
void buildTrackFrames(Scene& scene, std::FILE* warnings = stderr);
