#include "prep/tracks.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "prep/math.h"

namespace {

// The scene frame of a key: time in ticks divided by ticks per frame, truncated toward zero.
std::int64_t keyFrame(std::int32_t time, std::uint16_t ticksPerFrame) {
    return static_cast<std::int64_t>(time) / ticksPerFrame;
}

// Writes `step` into steps[f0 … f1] where those frames exist in the table.
void writeSteps(std::vector<D3DVECTOR>& steps, std::int64_t f0, std::int64_t f1,
                const D3DVECTOR& step) {
    const std::int64_t last = static_cast<std::int64_t>(steps.size()) - 1;
    for (std::int64_t f = std::max<std::int64_t>(f0, 0); f <= std::min(f1, last); ++f) {
        steps[f] = step;
    }
}

// Steps for every pair of neighbouring keys; `stepOf(k, frames)` gives the step of the pair k, k
// + 1. Pairs on one frame or running backwards are skipped: their step would be infinite or
// meaningless.
template <typename Key, typename StepOf>
std::vector<D3DVECTOR> pairSteps(const std::vector<Key>& keys, std::uint16_t ticksPerFrame,
                                 std::size_t entries, StepOf stepOf) {
    std::vector<D3DVECTOR> steps(entries, D3DVECTOR(0.0f, 0.0f, 0.0f));
    for (std::size_t k = 0; k + 1 < keys.size(); ++k) {
        const std::int64_t f0 = keyFrame(keys[k].time, ticksPerFrame);
        const std::int64_t f1 = keyFrame(keys[k + 1].time, ticksPerFrame);
        if (f1 <= f0) continue;
        writeSteps(steps, f0, f1, stepOf(k, static_cast<float>(f1 - f0)));
    }
    return steps;
}

// Running sum of the steps; entry f includes the step of frame f itself.
std::vector<D3DVECTOR> accumulate(const std::vector<D3DVECTOR>& steps, float restValue) {
    std::vector<D3DVECTOR> table(steps.size());
    D3DVECTOR acc(0.0f, 0.0f, 0.0f);
    for (std::size_t f = 0; f < steps.size(); ++f) {
        acc.x += steps[f].x;
        acc.y += steps[f].y;
        acc.z += steps[f].z;
        table[f] = D3DVECTOR(restValue + acc.x, restValue + acc.y, restValue + acc.z);
    }
    return table;
}

D3DVECTOR linearStep(const float* from, const float* to, float frames) {
    return D3DVECTOR((to[0] - from[0]) / frames, (to[1] - from[1]) / frames,
                     (to[2] - from[2]) / frames);
}

std::vector<D3DVECTOR> positionTable(const GeomObject& object, std::uint16_t tpf, std::size_t n) {
    const auto& keys = object.posKeys;
    const auto steps = pairSteps(keys, tpf, n, [&](std::size_t k, float frames) {
        return linearStep(keys[k].values, keys[k + 1].values, frames);
    });
    return accumulate(steps, 0.0f);
}

std::vector<D3DVECTOR> scaleTable(const GeomObject& object, std::uint16_t tpf, std::size_t n) {
    const auto& keys = object.scaleKeys;
    const auto steps = pairSteps(keys, tpf, n, [&](std::size_t k, float frames) {
        return linearStep(keys[k].values, keys[k + 1].values, frames);
    });
    return accumulate(steps, 1.0f);
}

// Degrees per frame about one axis: component × angle ÷ kDegToRad ÷ frames, left to right in single
// precision; an axis component that is exactly zero contributes exactly nothing.
float rotationStepComponent(float axisComponent, float angle, float frames) {
    if (isZeroOrNan(axisComponent)) return 0.0f;
    return axisComponent * angle / kDegToRad / frames;
}

// The step of a pair comes from its second key alone, so the first key's rotation is never applied.
std::vector<RotFrame> rotationTable(const GeomObject& object, std::uint16_t tpf, std::size_t n) {
    const auto& keys = object.rotKeys;
    const auto steps = pairSteps(keys, tpf, n, [&](std::size_t k, float frames) {
        const float* v = keys[k + 1].values;
        return D3DVECTOR(rotationStepComponent(v[0], v[3], frames),
                         rotationStepComponent(v[1], v[3], frames),
                         rotationStepComponent(v[2], v[3], frames));
    });
    const auto sums = accumulate(steps, 0.0f);
    std::vector<RotFrame> table(sums.size());
    for (std::size_t f = 0; f < sums.size(); ++f) {
        table[f].x = sums[f].x;
        table[f].y = sums[f].y;
        table[f].z = sums[f].z;
        table[f].w = 0.0f;  // never read; zeroed so that the tables compare whole
    }
    return table;
}

std::int8_t trackKindsOf(const GeomObject& object) {
    std::int8_t kinds = 0;
    if (!object.posKeys.empty()) kinds |= kTrackPosition;
    if (!object.rotKeys.empty()) kinds |= kTrackRotation;
    if (!object.scaleKeys.empty()) kinds |= kTrackScale;
    return kinds;
}

void clearTracks(DrawObject& draw) {
    draw.trackKinds = 0;
    draw.posFrames.clear();
    draw.rotFrames.clear();
    draw.scaleFrames.clear();
}

void buildObjectTracks(const GeomObject& object, DrawObject& draw, std::uint16_t tpf,
                       std::size_t entries) {
    draw.trackKinds = trackKindsOf(object);
    if (draw.trackKinds & kTrackPosition) draw.posFrames = positionTable(object, tpf, entries);
    if (draw.trackKinds & kTrackRotation) draw.rotFrames = rotationTable(object, tpf, entries);
    if (draw.trackKinds & kTrackScale) draw.scaleFrames = scaleTable(object, tpf, entries);
}

std::size_t tableBytesOf(const GeomObject& object, std::size_t entries) {
    const std::int8_t kinds = trackKindsOf(object);
    std::size_t bytesPerEntry = 0;
    if (kinds & kTrackPosition) bytesPerEntry += sizeof(D3DVECTOR);
    if (kinds & kTrackRotation) bytesPerEntry += sizeof(RotFrame);
    if (kinds & kTrackScale) bytesPerEntry += sizeof(D3DVECTOR);
    return bytesPerEntry * entries;
}

std::size_t allTableBytes(const Scene& scene, int count, std::size_t entries) {
    std::size_t total = 0;
    for (int i = 0; i < count; ++i) total += tableBytesOf(scene.geomObjects[i], entries);
    return total;
}

bool anyObjectHasKeys(const Scene& scene, int count) {
    for (int i = 0; i < count; ++i) {
        if (trackKindsOf(scene.geomObjects[i]) != 0) return true;
    }
    return false;
}

}  // namespace

Messages buildTrackFrames(Scene& scene) {
    Messages warnings;
    const int count = static_cast<int>(scene.geomObjects.size());
    const SceneInfo& info = scene.sceneInfo;
    const std::int32_t span = static_cast<std::int32_t>(info.lastFrame) - info.firstFrame;
    // Without ticks per frame the key frames are undefined; a reversed frame range has no table.
    const bool animatable = info.ticksPerFrame != 0 && span >= 0;
    if (info.ticksPerFrame == 0 && anyObjectHasKeys(scene, count)) {
        warnings.warning("the scene has 0 ticks per frame; nothing is animated");
    }
    const std::size_t entries = span >= 0 ? static_cast<std::size_t>(span) + 1 : 0;
    const std::size_t tableBytes = animatable ? allTableBytes(scene, count, entries) : 0;
    const bool withinBudget = tableBytes <= kTrackTableBudget;
    if (!withinBudget) {
        warnings.warning("the per-frame tables of " + std::to_string(count) + " objects over " +
                         std::to_string(entries) + " frames would take " +
                         std::to_string(tableBytes >> 20) + " MB, more than the " +
                         std::to_string(kTrackTableBudget >> 20) +
                         " MB allowed; nothing is animated");
    }

    for (int i = 0; i < count; ++i) {
        const GeomObject& object = scene.geomObjects[i];
        DrawObject& draw = scene.drawObjects[i];
        draw.pivot = object.nodeTm.tmPos;
        draw.basePivot = object.nodeTm.tmPos;
        clearTracks(draw);
        if (animatable && withinBudget)
            buildObjectTracks(object, draw, info.ticksPerFrame, entries);
    }
    return warnings;
}
