// The positional ASE scene reader.
#pragma once

#include <cstdio>
#include <string>

#include "ase/records.h"

// How a read went: complete, or where and why it stopped.
struct ReadReport {
    bool complete = false;
    long line = 0;      // line of the stop (0 when the file could not be opened)
    std::string error;  // the message printed on standard error; empty for a complete read
};

// Reads the scene file into `scene` (which should be fresh). Progress messages go to `messages`
// (standard output when the program plays, standard error for --info); errors go to standard
// error. Returns 0 when the file was read to its end, nonzero when it could not be opened or the
// read stopped early; what was read before a stop stays in `scene`, with objectCount 0.
int readScene(Scene& scene, const char* fileName, std::FILE* messages = stdout,
              ReadReport* report = nullptr);
