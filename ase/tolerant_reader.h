// The reading by keywords: every block is recognised by its keyword wherever it stands; blocks and
// lines the records have no place for are skipped whole and noted in the report.
#pragma once

#include <string>
#include <vector>

#include "ase/line_source.h"
#include "ase/reader.h"

// Reads the open scene file from its start into `scene` (which should be fresh). Fills
// `result.complete`, and on a stop its line and error, puts the progress messages in
// `result.messages` and notes each kind of block or line met beyond the exporter's layout in
// `result.extensions`. `missingBlocks` gets each kind of needed block that some block went without
// ("*MESH", "*MESH_VERTEX_LIST", "*MESH_FACE_LIST", "*MESH_NORMALS", "*CAMERA_SETTINGS").
void readByKeywords(Scene& scene, LineSource& lines, const char* fileName, ReadReport& result,
                    std::vector<std::string>& missingBlocks);
