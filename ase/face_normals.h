// Normals for a mesh whose file gives none: geometry, not parsing.
#pragma once

#include "ase/records.h"

// Every corner of a face gets the face's normalised normal (counter-clockwise front): zero for a
// degenerate face or one with a corner outside the vertex list. Fills faceNormals and
// vertexNormals for faceCount faces.
void computeFaceNormals(GeomObject& object);
