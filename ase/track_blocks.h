// The animation tracks an exporter writes inside a *TM_ANIMATION block: which block keyword opens
// which track, in which style, and which line keywords carry its keys or samples. Both readings
// use this one description to fill a node's NodeTracks.
#pragma once

#include <string_view>

#include "ase/fields.h"
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
// TCB and linear rotation tracks. Sampled tracks and Bezier rotations feed the node evaluation
// only.
bool feedsFrameTables(const TrackBlock& block);

// A geometry object's per-frame tables take the keys of a track that feeds them, replacing what an
// earlier track of the same part gave.
void takeTableKeys(GeomObject& object, const TrackBlock& block);

// The tracks the exporter's layout writes, read by position: Bezier position and scale, and TCB.
bool inLayout(const TrackBlock& block);

// Whether the positional reading takes a line of this keyword as one key of a track of the
// layout: the Bezier and TCB key lines of the track's part (there are no Bezier rotations).
bool isLayoutKeyLine(const TrackBlock& block, std::string_view keyword);

// The keyword of the lines a track holds in its own style: its key lines, or its sample lines.
std::string_view keyLineOf(const TrackBlock& block);

// The five tracks a camera record keeps in arrays of its own, one record per line of the track:
// calls `visit(records, keyLine, parse)` with the array the track fills; false for other tracks.
template <class Visit>
bool visitCameraTrack(CameraAnimation& animation, const TrackBlock& block, Visit&& visit) {
    const std::string_view line = keyLineOf(block);
    const auto is = [&](TrackPart part, KeyStyle style) {
        return block.part == part && block.style == style;
    };
    if (is(TrackPart::position, KeyStyle::bezier)) {
        visit(animation.posKeys, line, parsePosKey);
    } else if (is(TrackPart::rotation, KeyStyle::tcb)) {
        visit(animation.rotKeys, line, parseRotKey);
    } else if (is(TrackPart::scale, KeyStyle::bezier)) {
        visit(animation.scaleKeys, line, parseScaleKey);
    } else if (is(TrackPart::position, KeyStyle::none)) {
        visit(animation.posSamples, line, parsePosSample);
    } else if (is(TrackPart::rotation, KeyStyle::none)) {
        visit(animation.rotSamples, line, parseRotSample);
    } else {
        return false;
    }
    return true;
}
