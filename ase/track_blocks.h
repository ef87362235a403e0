// The animation tracks an exporter writes inside a *TM_ANIMATION block: which block keyword opens
// which track, in which style, and which line keywords carry its keys or samples. Both readings
// use this one description to fill a node's NodeTracks.
#pragma once

#include <string_view>

#include "ase/records.h"

enum class TrackPart : std::uint8_t { position, rotation, scale };

struct TrackBlock {
    std::string_view keyword;  // "*CONTROL_POS_BEZIER", ...
    TrackPart part;
    KeyStyle style;  // none: a sampled track
};

// The track a block keyword opens; null when the keyword opens no track.
const TrackBlock* findTrackBlock(std::string_view keyword);

// Whether a line of this keyword is one key or sample of the track. A key track takes the key
// lines of every style of its part, as exporters mix them; a sampled track only samples.
bool isTrackLine(const TrackBlock& block, std::string_view keyword);

// A new track replaces the keys and samples an earlier track of the same part left.
void startTrack(NodeTracks& tracks, const TrackBlock& block);

// Parses one key or sample line of the track into `tracks`.
void addTrackLine(NodeTracks& tracks, const TrackBlock& block, const char* line);

// Whether the per-frame tables take this track's keys: key tracks of position and scale, and the
// TCB and linear rotation tracks. Sampled tracks and Bezier rotations feed the node evaluation only.
bool feedsFrameTables(const TrackBlock& block);
