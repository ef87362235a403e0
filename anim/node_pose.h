// Evaluating the node tree at a tick: each node's local transform from its tracks (or its rest
// parts where it has no track, or the tick lies before the track's first key), composed with its
// parent's.
#pragma once

#include <vector>

#include "prep/node_math.h"
#include "prep/node_tree.h"

// The node's transform relative to its parent at `tick`.
Affine localTransformAt(const AnimatedNode& node, double tick);

// Whether any of the node's tracks has begun at `tick`; before that the node is at rest.
bool anyTrackStarted(const AnimatedNode& node, double tick);

// Every node's world transform at `tick`, in the tree's order, and whether it is exactly its rest
// transform (no track of it or of an ancestor has begun). Both are sized once and reused.
void evaluateNodes(const NodeTree& tree, double tick, std::vector<Affine>& world,
                   std::vector<char>& atRest);
