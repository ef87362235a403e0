// The end of reading, shared by the positional and the tolerant reading, and the one place where
// counts are made to agree with the records they count.
#pragma once

#include <algorithm>

#include "ase/records.h"

// A count larger than its records is cut to them; records beyond the count are dropped.
template <class Count, class Record>
void fitCount(Count& count, std::vector<Record>& records) {
    const auto fitted = std::clamp<long long>(count, 0, static_cast<long long>(records.size()));
    count = static_cast<Count>(fitted);
    records.resize(static_cast<std::size_t>(fitted));
}

// objectCount is the number of geometry objects, the counts agree with their records, every
// DrawObject's triangle list is sized for its object's faces, and DrawObject i takes the plain look
// of material i (only for the objects that exist).
void finishScene(Scene& scene);

// Makes the counts agree with the records they count, so that whatever uses the scene can loop
// over the records alone: a count larger than its records is cut to them (a scene built by hand
// may promise more than it holds), records beyond a count are dropped, and every object has a
// face normal and three corner normals per face. The reading by keywords already leaves the counts
// so; the positional reading keeps the mesh-frame count lines as they stand, and they meet their
// lists here. The colour counts stay as read: nothing uses the colour lists, and a list without
// its count line may hold more than the 16-bit count can say.
void fitCountsToRecords(Scene& scene);
