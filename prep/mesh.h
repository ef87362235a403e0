// The rest-pose triangle lists: three vertices per face, each with its own position, normal and
// texture coordinates.
#pragma once

#include "ase/records.h"

// Fills every DrawObject's `vertices` (3 per face) from its geometry object, whose counts agree
// with its records (fitCountsToRecords). One running texture pair carries over from corner to
// corner and object to object: a corner without usable texture coordinates repeats the last pair
// built (0, 0 before any). Out-of-range indices never read outside an array: a bad corner index
// gives position (0, 0, 0).
void buildTriangleLists(Scene& scene);
