// The sphere that holds the posed scene at every frame, as the chosen animation model poses it.
#pragma once

#include "anim/posing.h"
#include "prep/node_math.h"

struct SceneBounds {
    Vec3 centre;
    double radius = 0;
    bool empty = true;  // no vertex at all: centre 0, radius 0
};

// Poses the scene at up to `maxFrames` frames spread over 0 … lastFrame (first and last
// included) and returns the sphere around the box of every posed vertex: its centre is the box's,
// its radius the farthest vertex from that centre. Non-finite vertices are left out.
SceneBounds posedSceneBounds(Scene& scene, const Animation& animation, int maxFrames = 120);
