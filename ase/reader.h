// The positional ASE scene reader.
#pragma once

#include <cstdio>

#include "ase/records.h"

// Reads the scene file into `scene` (which should be fresh). Progress messages go to `messages`
// (standard output when the program plays, standard error for --info). Returns 0 when the file was
// read to its end, nonzero when it could not be opened or the read stopped early.
int readScene(Scene& scene, const char* fileName, std::FILE* messages = stdout);
