// Posing one frame by the exact animation model: every geometry object's rest vertices (in world
// space at the rest pose) are carried by its node's world transform at the frame's tick times the
// inverse of its rest world transform; normals by the matching inverse transpose, renormalised.
#pragma once

#include "anim/posing.h"
#include "prep/node_tree.h"

// Fills `work.workVertices` (one posed triangle list per object) and `work.nodeWorld` (every
// node's world transform, for cameras and lights). Allocates nothing once the sizes are reached.
// Mesh animation frames replace the mesh's vertices: the frame at or before the tick, blended
// with the next where both hold the same number of vertices.
void poseSceneExact(const Scene& scene, const NodeTree& tree, int frame, PoseWork& work);
