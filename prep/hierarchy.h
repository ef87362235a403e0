// The node hierarchy as flat lists: every object's `subtree` holds the object itself, then each of
// its descendants once, so that an animated object can carry its descendants along.
#pragma once

#include "ase/records.h"

// Links objects by comparing `parentName` with `name` byte for byte. A walk up the ancestors ends
// at
// "*NONEPARENT", at a parent name that names no object, or at an object already passed on the walk
// (a cycle); the links made before that stay.
void linkHierarchy(Scene& scene);
