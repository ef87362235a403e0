#include "ase/track_blocks.h"

#include <algorithm>
#include <iterator>

#include "ase/fields.h"

namespace {

using namespace std::string_view_literals;

constexpr TrackBlock kTrackBlocks[] = {
    {"*CONTROL_POS_LINEAR", TrackPart::position, KeyStyle::linear},
    {"*CONTROL_POS_BEZIER", TrackPart::position, KeyStyle::bezier},
    {"*CONTROL_POS_TCB", TrackPart::position, KeyStyle::tcb},
    {"*CONTROL_POS_TRACK", TrackPart::position, KeyStyle::none},
    {"*CONTROL_ROT_LINEAR", TrackPart::rotation, KeyStyle::linear},
    {"*CONTROL_ROT_BEZIER", TrackPart::rotation, KeyStyle::bezier},
    {"*CONTROL_ROT_TCB", TrackPart::rotation, KeyStyle::tcb},
    {"*CONTROL_ROT_TRACK", TrackPart::rotation, KeyStyle::none},
    {"*CONTROL_SCALE_LINEAR", TrackPart::scale, KeyStyle::linear},
    {"*CONTROL_SCALE_BEZIER", TrackPart::scale, KeyStyle::bezier},
    {"*CONTROL_SCALE_TCB", TrackPart::scale, KeyStyle::tcb},
    {"*CONTROL_SCALE_TRACK", TrackPart::scale, KeyStyle::none},
};

// What each part has: the keywords of its lines, and its style and samples in NodeTracks.
struct Part {
    std::string_view sample;
    std::string_view keys[3];  // linear, Bezier, TCB
    KeyStyle NodeTracks::*style;
    std::vector<SampleKey> NodeTracks::*samples;
};

const Part& partOf(TrackPart part) {
    static constexpr Part kParts[] = {
        {"*CONTROL_POS_SAMPLE",
         {"*CONTROL_POS_KEY", "*CONTROL_BEZIER_POS_KEY", "*CONTROL_TCB_POS_KEY"},
         &NodeTracks::posStyle,
         &NodeTracks::posSamples},
        {"*CONTROL_ROT_SAMPLE",
         {"*CONTROL_ROT_KEY", "*CONTROL_BEZIER_ROT_KEY", "*CONTROL_TCB_ROT_KEY"},
         &NodeTracks::rotStyle,
         &NodeTracks::rotSamples},
        {"*CONTROL_SCALE_SAMPLE",
         {"*CONTROL_SCALE_KEY", "*CONTROL_BEZIER_SCALE_KEY", "*CONTROL_TCB_SCALE_KEY"},
         &NodeTracks::scaleStyle,
         &NodeTracks::scaleSamples},
    };
    return kParts[static_cast<int>(part)];
}

bool sampled(const TrackBlock& block) {
    return block.style == KeyStyle::none;
}

// Calls `visit(keys, ...)` with the key arrays of `part` in each of `holders` (NodeTracks and
// GeomObject name them alike).
template <class Visit, class... Holders>
void withKeys(TrackPart part, Visit visit, Holders&... holders) {
    switch (part) {
        case TrackPart::position:
            return visit(holders.posKeys...);
        case TrackPart::rotation:
            return visit(holders.rotKeys...);
        case TrackPart::scale:
            return visit(holders.scaleKeys...);
    }
}

}  // namespace

const TrackBlock* findTrackBlock(std::string_view keyword) {
    for (const TrackBlock& block : kTrackBlocks) {
        if (block.keyword == keyword) return &block;
    }
    return nullptr;
}

bool isTrackLine(const TrackBlock& block, std::string_view keyword) {
    const Part& lines = partOf(block.part);
    if (sampled(block)) return keyword == lines.sample;
    return std::find(std::begin(lines.keys), std::end(lines.keys), keyword) != std::end(lines.keys);
}

void startTrack(NodeTracks& tracks, const TrackBlock& block) {
    const Part& part = partOf(block.part);
    tracks.*part.style = block.style;
    (tracks.*part.samples).clear();
    const auto clear = [](auto& keys) { keys.clear(); };
    withKeys(block.part, clear, tracks);
}

void addTrackLine(NodeTracks& tracks, const TrackBlock& block, const char* line) {
    if (sampled(block)) {
        parseSampleKey((tracks.*partOf(block.part).samples).emplace_back(), line);
        return;
    }
    const auto add = [&](auto& keys) { parseField(keys.emplace_back(), line); };
    withKeys(block.part, add, tracks);
}

bool feedsFrameTables(const TrackBlock& block) {
    if (sampled(block)) return false;
    return !(block.part == TrackPart::rotation && block.style == KeyStyle::bezier);
}

void takeTableKeys(GeomObject& object, const TrackBlock& block) {
    if (!feedsFrameTables(block)) return;
    const auto copy = [](auto& table, const auto& keys) { table = keys; };
    withKeys(block.part, copy, object, object.tracks);
}

bool inLayout(const TrackBlock& block) {
    if (block.style == KeyStyle::bezier) return block.part != TrackPart::rotation;
    return block.style == KeyStyle::tcb;
}

bool isLayoutKeyLine(const TrackBlock& block, std::string_view keyword) {
    const Part& lines = partOf(block.part);
    const bool bezier = block.part != TrackPart::rotation && keyword == lines.keys[1];
    return bezier || keyword == lines.keys[2];
}

std::string_view keyLineOf(const TrackBlock& block) {
    const Part& lines = partOf(block.part);
    return sampled(block) ? lines.sample : lines.keys[static_cast<int>(block.style) - 1];
}
