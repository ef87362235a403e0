// Posing one frame: every object starts again from its rest pose, and each animated object moves
// itself and its descendants by its table entries for the frame. Drawing the posed copies is
// separate.
#pragma once

#include <vector>

#include "ase/records.h"

// The working copies of the objects' vertices, kept from frame to frame so that posing allocates
// nothing once the first frame has run. Entry i is object i's posed triangle list.
struct PoseWork {
    std::vector<std::vector<D3DVERTEX>> workVertices;
};

// Resets every pivot to its rest value, copies every rest triangle list into `work`, then runs the
// animated objects' steps in index order. `frameCounter` indexes the tables; frames past the last
// entry use the last entry (and negative frames the first).
void poseScene(Scene& scene, int frameCounter, PoseWork& work);

// Gives the working copies' memory back.
void releasePoseWork(PoseWork& work);
