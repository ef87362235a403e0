// The end of reading, shared by the positional and the tolerant reading.
#pragma once

#include "ase/records.h"

// objectCount is the number of geometry objects, every DrawObject's triangle list is sized for its
// object's faces, and DrawObject i takes the plain look of material i (only for the objects that
// exist).
void finishScene(Scene& scene);
