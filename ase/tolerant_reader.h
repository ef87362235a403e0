// The reading by keywords: every block is recognised by its keyword wherever it stands; blocks and
// lines the records have no place for are skipped whole and noted in the report.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "ase/line_source.h"
#include "ase/reader.h"

// Whether exporters write blocks of this keyword: the ones this reading takes into the records
// and the ones it knows to skip (other maps, mapping channels, helpers, shapes, ...).
bool isKnownBlock(std::string_view keyword);

// Reads the open scene file from its start into `scene` (which should be fresh). Fills
// `result.complete`, and on a stop its line and error (printed by the caller), and notes each
// kind of block or line met beyond the exporter's layout in `result.extensions`.
// `missingBlocks` gets each kind of needed block that some block went without ("*MESH",
// "*MESH_VERTEX_LIST", "*MESH_FACE_LIST", "*MESH_NORMALS", "*CAMERA_SETTINGS").
void readByKeywords(Scene& scene, LineSource& lines, const char* fileName, std::FILE* messages,
                    ReadReport& result, std::vector<std::string>& missingBlocks);
