// Steps shared by the positional and the tolerant reading.
#pragma once

#include <string_view>

#include "ase/records.h"

// The end-of-file step: objectCount, every DrawObject's empty triangle list, and DrawObject i
// takes the colours of material i (only for the objects that exist).
void finishScene(Scene& scene);

// An ASE file begins with a keyword line ("*3DSMAX_ASCIIEXPORT 200"); a byte-order mark before it
// is allowed. Anything else is not a scene file at all.
bool isAseHeaderLine(std::string_view firstLine);

// A line that opens a block ends with "{".
bool opensBlock(std::string_view line);
