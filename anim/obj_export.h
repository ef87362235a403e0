// Writing a posed frame as a Wavefront OBJ file, to look at the posing in any 3D viewer.
#pragma once

#include <cstdio>
#include <string>

#include "anim/posing.h"
#include "ase/records.h"
#include "platform/messages.h"

// For every object in index order: "o NAME" (the name without its quotes), its posed vertices as
// v / vt / vn lines, then its faces with 1-based indices counted over the whole file. Floats are
// printed with %.9g so that they read back to the same bits. Returns false when a write failed.
bool writeObj(std::FILE* out, const Scene& scene, const PoseWork& work);

// Writes to a temporary file beside `path` and renames it into place, so that a failed run leaves
// no half-written file. Returns false, with the reason in `messages`, when anything failed.
bool writeObjFile(const std::string& path, const Scene& scene, const PoseWork& work,
                  Messages& messages);
