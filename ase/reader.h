// The ASE scene reader: the positional reading of the exporter's layout, and on request the
// tolerant reading that takes over when a file leaves that layout.
#pragma once

#include <string>
#include <vector>

#include "ase/records.h"
#include "platform/messages.h"

// Where the tolerant reading met a kind of block or line beyond the exporter's layout.
struct ReadExtension {
    std::string kind;  // the block's or line's keyword, or a short description
    long line = 0;     // the first line where it was met
};

// How a read went: complete, or where and why it stopped.
struct ReadReport {
    bool complete = false;
    long line = 0;      // line of the stop (0 when the file could not be opened)
    std::string error;  // why the read stopped; empty for a complete read
    // True when the positional reading went through the whole file in the exporter's layout.
    bool strict = false;
    std::vector<ReadExtension> extensions;  // each kind once, in the order first met
    // What the read has to say, for the caller to show: a warning for each line longer than the
    // reader takes, then the progress messages of the reading that stands, then the error of a
    // stop (report.error again, as a message).
    Messages messages;
};

enum class ReadMode {
    strict,    // the positional reading only: a file that leaves the layout stops it
    tolerant,  // positional first; where it would stop or misread, read the file by keywords
};

// Reads the scene file into `scene` (which should be fresh); how it went, and its messages, in
// `report` when given. Returns 0 when the file was read to its end, nonzero when it could not be
// opened, is not an ASE file, or the read stopped early; what was read before a stop stays in
// `scene`, with objectCount 0.
int readScene(Scene& scene, const char* fileName, ReadReport* report = nullptr,
              ReadMode mode = ReadMode::strict);
