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

struct PartLines {
    std::string_view sample;
    std::string_view keys[3];  // linear, Bezier, TCB
};

const PartLines& linesOf(TrackPart part) {
    static constexpr PartLines kLines[] = {
        {"*CONTROL_POS_SAMPLE",
         {"*CONTROL_POS_KEY", "*CONTROL_BEZIER_POS_KEY", "*CONTROL_TCB_POS_KEY"}},
        {"*CONTROL_ROT_SAMPLE",
         {"*CONTROL_ROT_KEY", "*CONTROL_BEZIER_ROT_KEY", "*CONTROL_TCB_ROT_KEY"}},
        {"*CONTROL_SCALE_SAMPLE",
         {"*CONTROL_SCALE_KEY", "*CONTROL_BEZIER_SCALE_KEY", "*CONTROL_TCB_SCALE_KEY"}},
    };
    return kLines[static_cast<int>(part)];
}

bool sampled(const TrackBlock& block) {
    return block.style == KeyStyle::none;
}

std::vector<SampleKey>& samplesOf(NodeTracks& tracks, TrackPart part) {
    switch (part) {
        case TrackPart::position:
            return tracks.posSamples;
        case TrackPart::rotation:
            return tracks.rotSamples;
        case TrackPart::scale:
            break;
    }
    return tracks.scaleSamples;
}

KeyStyle& styleOf(NodeTracks& tracks, TrackPart part) {
    switch (part) {
        case TrackPart::position:
            return tracks.posStyle;
        case TrackPart::rotation:
            return tracks.rotStyle;
        case TrackPart::scale:
            break;
    }
    return tracks.scaleStyle;
}

}  // namespace

const TrackBlock* findTrackBlock(std::string_view keyword) {
    for (const TrackBlock& block : kTrackBlocks) {
        if (block.keyword == keyword) return &block;
    }
    return nullptr;
}

bool isTrackLine(const TrackBlock& block, std::string_view keyword) {
    const PartLines& lines = linesOf(block.part);
    if (sampled(block)) return keyword == lines.sample;
    return std::find(std::begin(lines.keys), std::end(lines.keys), keyword) != std::end(lines.keys);
}

void startTrack(NodeTracks& tracks, const TrackBlock& block) {
    styleOf(tracks, block.part) = block.style;
    samplesOf(tracks, block.part).clear();
    switch (block.part) {
        case TrackPart::position:
            tracks.posKeys.clear();
            break;
        case TrackPart::rotation:
            tracks.rotKeys.clear();
            break;
        case TrackPart::scale:
            tracks.scaleKeys.clear();
            break;
    }
}

void addTrackLine(NodeTracks& tracks, const TrackBlock& block, const char* line) {
    if (sampled(block)) {
        parseSampleKey(samplesOf(tracks, block.part).emplace_back(), line);
        return;
    }
    switch (block.part) {
        case TrackPart::position:
            parsePosKey(tracks.posKeys.emplace_back(), line);
            break;
        case TrackPart::rotation:
            parseRotKey(tracks.rotKeys.emplace_back(), line);
            break;
        case TrackPart::scale:
            parseScaleKey(tracks.scaleKeys.emplace_back(), line);
            break;
    }
}

bool feedsFrameTables(const TrackBlock& block) {
    if (sampled(block)) return false;
    return !(block.part == TrackPart::rotation && block.style == KeyStyle::bezier);
}

void takeTableKeys(GeomObject& object, const TrackBlock& block) {
    if (!feedsFrameTables(block)) return;
    switch (block.part) {
        case TrackPart::position:
            object.posKeys = object.tracks.posKeys;
            break;
        case TrackPart::rotation:
            object.rotKeys = object.tracks.rotKeys;
            break;
        case TrackPart::scale:
            object.scaleKeys = object.tracks.scaleKeys;
            break;
    }
}

bool inLayout(const TrackBlock& block) {
    if (block.style == KeyStyle::bezier) return block.part != TrackPart::rotation;
    return block.style == KeyStyle::tcb;
}

bool isLayoutKeyLine(const TrackBlock& block, std::string_view keyword) {
    const PartLines& lines = linesOf(block.part);
    const bool bezier = block.part != TrackPart::rotation && keyword == lines.keys[1];
    return bezier || keyword == lines.keys[2];
}

std::string_view keyLineOf(const TrackBlock& block) {
    const PartLines& lines = linesOf(block.part);
    return sampled(block) ? lines.sample : lines.keys[static_cast<int>(block.style) - 1];
}
