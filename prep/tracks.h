// Per-frame track tables: each object's position, rotation and scale keys turned, once, into one
// value per scene frame (a displacement, angles in degrees, a factor), relative to the rest pose.
#pragma once

#include <cstddef>

#include "ase/records.h"
#include "platform/messages.h"

// Sets every object's `pivot`, `basePivot`, `trackKinds` and tables. Entry f belongs to scene frame
// f; key frames outside 0 … span are not written, a pair of keys on the same frame or running
// backwards writes nothing, and a track with one key holds the rest value. A scene with
// `ticksPerFrame` 0 or `firstFrame` after `lastFrame` gets no tables and no track kinds (the first
// with a warning when some object has keys).
// When all tables together would take more than kTrackTableBudget bytes, no object gets tables or
// track kinds, with a warning. Returns the warnings.
Messages buildTrackFrames(Scene& scene);

// Far above a real scene's needs (200 objects with all three tracks over 65536 frames take 500 MB)
// and low enough that a file of many one-key tracks cannot claim the machine's memory.
constexpr std::size_t kTrackTableBudget = std::size_t{512} << 20;
