// Posing one frame: every object starts again from its rest pose, and each animated object moves
// itself and its descendants by its table entries for the frame. Drawing the posed copies is
// separate.
#pragma once

#include <vector>

#include "ase/records.h"
#include "prep/node_math.h"
#include "prep/node_tree.h"

// The working copies of the objects' vertices, kept from frame to frame so that posing allocates
// nothing once the first frame has run. Entry i is object i's posed triangle list.
struct PoseWork {
    std::vector<std::vector<D3DVERTEX>> workVertices;
    // Table model: while workVertices[i] is still a plain copy of object i's rest list, the
    // list's storage it was copied from (else null); a frame that moves nothing of the object
    // keeps the copy. So rest lists must not be changed in place while a work is in use
    // (releasePoseWork forgets the copies).
    std::vector<const D3DVERTEX*> restCopied;
    std::vector<char> movesNow;     // table model: per object, whether the frame moves it
    std::vector<Affine> nodeWorld;  // exact model: every node's world transform at the frame
    std::vector<char> nodeAtRest;   // exact model: the node's transform is its rest one exactly
};

// table: the per-frame tables move rigid pieces by angles and displacements, descendants carried
// along (the default). exact: nodes composed with their parents, tracks evaluated at the frame's
// tick, as exporters mean them.
enum class AnimationModel : std::uint8_t { table, exact };

// The chosen model and what it needs, prepared once.
struct Animation {
    AnimationModel model = AnimationModel::table;
    NodeTree nodes;  // built for the exact model only
};

// Call after prepareScene.
Animation prepareAnimation(const Scene& scene, AnimationModel model);

// Poses every object for `frame` by the animation's model.
void poseFrame(Scene& scene, const Animation& animation, int frame, PoseWork& work);

// Resets every pivot to its rest value, copies every rest triangle list into `work` (keeping a copy
// that is still at rest where the frame moves nothing of it), then runs the animated objects'
// steps in index order. `frameCounter` indexes the tables; frames past the last
// entry use the last entry (and negative frames the first).
void poseScene(Scene& scene, int frameCounter, PoseWork& work);

// Gives the working copies' memory back.
void releasePoseWork(PoseWork& work);
