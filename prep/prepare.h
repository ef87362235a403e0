// Scene preparation: everything derived once from the scene records before the first frame.
#pragma once

#include "ase/records.h"
#include "platform/messages.h"

// The counts made to agree with their records (as the end of reading leaves them, so that a scene
// built by hand is safe too), then triangle lists, hierarchy lists and per-frame track tables.
// From here on every count equals the size of what it counts. Returns the warnings.
Messages prepareScene(Scene& scene);
