#include "prep/curves.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

enum class Shape { straight, bezier, tcb };

struct TcbParameters {
    double tension = 0, continuity = 0, bias = 0;
    double easeIn = 0, easeOut = 0;  // fractions of the segment
};

// -1 … 1 as the exporter writes them; a value beyond that is on the 0 … 50 scale, 25 neutral.
double tcbParameter(float value) {
    double v = value;
    if (!std::isfinite(v)) return 0;
    if (std::fabs(v) > 1.0) v = (v - 25.0) / 25.0;
    return std::clamp(v, -1.0, 1.0);
}

double easeFraction(float value) {
    const double v = value;
    return std::isfinite(v) ? std::clamp(v / 50.0, 0.0, 1.0) : 0.0;
}

TcbParameters tcbAt(const float* values) {
    return {tcbParameter(values[0]), tcbParameter(values[1]), tcbParameter(values[2]),
            easeFraction(values[3]), easeFraction(values[4])};
}

Vec3 vec(const float* values) {
    return {values[0], values[1], values[2]};
}

// The file's rotation of `angle` about `axis` (see the header for its sense).
Quat fileRotation(const float* axis, float angle) {
    return fromAxisAngle(vec(axis), -static_cast<double>(angle));
}

// One key as the curve builders take it, whatever line it came from.
struct KeyInput {
    std::int32_t time = 0;
    Vec3 value;
    Quat rotation;
    Vec3 inTangent, outTangent;  // Bezier slopes per tick
    TcbParameters tcb;
};

KeyInput keyAt(std::int32_t time, const Vec3& value = {}) {
    KeyInput key;
    key.time = time;
    key.value = value;
    return key;
}

// Keys in time order; keys on one tick keep their file order.
void sortByTime(std::vector<KeyInput>& keys) {
    std::stable_sort(keys.begin(), keys.end(),
                     [](const KeyInput& a, const KeyInput& b) { return a.time < b.time; });
}

std::vector<std::int32_t> timesOf(const std::vector<KeyInput>& keys) {
    std::vector<std::int32_t> times;
    times.reserve(keys.size());
    for (const KeyInput& key : keys) times.push_back(key.time);
    return times;
}

double duration(const std::vector<KeyInput>& keys, std::size_t from, std::size_t to) {
    return static_cast<double>(keys[to].time) - static_cast<double>(keys[from].time);
}

// Kochanek-Bartels weights of key i for the change that comes in and the change that goes out,
// scaled for unequal segment lengths. At an end key the missing neighbour mirrors the other.
struct TcbWeights {
    double outOfIn, outOfOut;  // the outgoing tangent = outOfIn * in + outOfOut * out
    double inOfIn, inOfOut;    // the incoming tangent
};

TcbWeights tcbWeights(const std::vector<KeyInput>& keys, std::size_t i) {
    const std::size_t last = keys.size() - 1;
    double before = i > 0 ? duration(keys, i - 1, i) : duration(keys, i, i + 1);
    double after = i < last ? duration(keys, i, i + 1) : before;
    const double total = before + after;
    const double outScale = total > 0 ? 2 * after / total : 1.0;
    const double inScale = total > 0 ? 2 * before / total : 1.0;
    const TcbParameters& p = keys[i].tcb;
    const double t = (1 - p.tension) / 2;
    const double c = p.continuity;
    const double b = p.bias;
    return {t * (1 + c) * (1 + b) * outScale, t * (1 - c) * (1 - b) * outScale,
            t * (1 - c) * (1 + b) * inScale, t * (1 + c) * (1 - b) * inScale};
}

std::vector<Ease> easesOf(const std::vector<KeyInput>& keys) {
    std::vector<Ease> eases;
    bool any = false;
    for (std::size_t i = 0; i + 1 < keys.size(); ++i) {
        const Ease ease{keys[i].tcb.easeOut, keys[i + 1].tcb.easeIn};
        any = any || ease.from > 0 || ease.to > 0;
        eases.push_back(ease);
    }
    if (!any) eases.clear();
    return eases;
}

VectorCurve vectorCurve(std::vector<KeyInput> keys, Shape shape) {
    sortByTime(keys);
    VectorCurve curve;
    curve.times = timesOf(keys);
    for (const KeyInput& key : keys) curve.values.push_back(key.value);
    if (keys.size() < 2 || shape == Shape::straight) return curve;
    const std::size_t last = keys.size() - 1;
    std::vector<Vec3> outgoing(keys.size()), incoming(keys.size());
    for (std::size_t i = 0; i <= last; ++i) {
        if (shape == Shape::bezier) {
            outgoing[i] = keys[i].outTangent;
            incoming[i] = keys[i].inTangent;
            continue;
        }
        const Vec3 out =
            i < last ? keys[i + 1].value - keys[i].value : keys[i].value - keys[i - 1].value;
        const Vec3 in = i > 0 ? keys[i].value - keys[i - 1].value : out;
        const TcbWeights w = tcbWeights(keys, i);
        outgoing[i] = w.outOfIn * in + w.outOfOut * out;
        incoming[i] = w.inOfIn * in + w.inOfOut * out;
    }
    for (std::size_t i = 0; i < last; ++i) {
        // Bezier slopes are per tick; TCB tangents are per segment already.
        const double scale = shape == Shape::bezier ? duration(keys, i, i + 1) : 1.0;
        curve.handles.push_back(keys[i].value + (scale / 3) * outgoing[i]);
        curve.handles.push_back(keys[i + 1].value - (scale / 3) * incoming[i + 1]);
    }
    if (shape == Shape::tcb) curve.eases = easesOf(keys);
    return curve;
}

// `keys` hold absolute rotations in time order; aligns their signs and builds the spline's handles
// when asked for.
RotationCurve rotationCurveOf(const std::vector<KeyInput>& keys, bool spline) {
    RotationCurve curve;
    curve.times = timesOf(keys);
    for (const KeyInput& key : keys) {
        Quat q = key.rotation;
        if (!curve.values.empty() && dot(q, curve.values.back()) < 0) q = {-q.w, -q.x, -q.y, -q.z};
        curve.values.push_back(q);
    }
    if (keys.size() < 2 || !spline) return curve;
    const std::size_t last = keys.size() - 1;
    const std::vector<Quat>& q = curve.values;
    std::vector<Vec3> outgoing(keys.size()), incoming(keys.size()), change(keys.size());
    for (std::size_t i = 0; i < last; ++i) change[i] = logOf(conjugate(q[i]) * q[i + 1]);
    for (std::size_t i = 0; i <= last; ++i) {
        const Vec3 out = i < last ? change[i] : change[i - 1];
        const Vec3 in = i > 0 ? change[i - 1] : out;
        const TcbWeights w = tcbWeights(keys, i);
        outgoing[i] = w.outOfIn * in + w.outOfOut * out;
        incoming[i] = w.inOfIn * in + w.inOfOut * out;
    }
    for (std::size_t i = 0; i < last; ++i) {
        curve.handles.push_back(q[i] * expOf(0.5 * (outgoing[i] - change[i])));
        curve.handles.push_back(q[i + 1] * expOf(0.5 * (change[i] - incoming[i + 1])));
    }
    curve.eases = easesOf(keys);
    return curve;
}

Shape shapeOf(KeyStyle style) {
    switch (style) {
        case KeyStyle::bezier:
            return Shape::bezier;
        case KeyStyle::tcb:
            return Shape::tcb;
        case KeyStyle::linear:
        case KeyStyle::none:
            break;
    }
    return Shape::straight;
}

// Relative rotations accumulated in time order: R_k = D_k * R_k-1, the first from the identity.
void accumulate(std::vector<KeyInput>& keys) {
    sortByTime(keys);
    Quat accumulated;
    for (KeyInput& key : keys) {
        accumulated = normalized(key.rotation * accumulated);
        key.rotation = accumulated;
    }
}

}  // namespace

double eased(double u, const Ease& ease) {
    double a = ease.from;
    double b = ease.to;
    const double sum = a + b;
    if (!(sum > 0)) return u;
    if (sum > 1) {
        a /= sum;
        b /= sum;
    }
    const double k = 1.0 / (2.0 - a - b);
    if (u < a) return k / a * u * u;
    if (u < 1.0 - b) return k * (2.0 * u - a);
    const double v = 1.0 - u;
    return 1.0 - k / b * v * v;
}

std::size_t segmentAt(const std::vector<std::int32_t>& times, double tick, double& u) {
    const auto next = std::upper_bound(times.begin(), times.end(), tick,
                                       [](double t, std::int32_t key) { return t < key; });
    std::size_t segment =
        next == times.begin() ? 0 : static_cast<std::size_t>(next - times.begin()) - 1;
    segment = std::min(segment, times.size() - 2);
    const double start = times[segment];
    const double span = static_cast<double>(times[segment + 1]) - start;
    u = span > 0 ? std::clamp((tick - start) / span, 0.0, 1.0) : 1.0;
    return segment;
}

Vec3 VectorCurve::at(double tick) const {
    if (times.size() == 1 || tick >= times.back()) return values.back();
    double u = 0;
    const std::size_t s = segmentAt(times, tick, u);
    if (!eases.empty()) u = eased(u, eases[s]);
    const Vec3& p0 = values[s];
    const Vec3& p1 = values[s + 1];
    if (handles.empty()) return p0 + u * (p1 - p0);
    const Vec3& c0 = handles[2 * s];
    const Vec3& c1 = handles[2 * s + 1];
    const double v = 1 - u;
    return (v * v * v) * p0 + (3 * v * v * u) * c0 + (3 * v * u * u) * c1 + (u * u * u) * p1;
}

Quat RotationCurve::at(double tick) const {
    if (times.size() == 1 || tick >= times.back()) return values.back();
    double u = 0;
    const std::size_t s = segmentAt(times, tick, u);
    if (!eases.empty()) u = eased(u, eases[s]);
    const Quat arc = slerp(values[s], values[s + 1], u);
    if (handles.empty()) return arc;
    return slerp(arc, slerp(handles[2 * s], handles[2 * s + 1], u), 2 * u * (1 - u));
}

VectorCurve positionCurve(const NodeTracks& tracks) {
    std::vector<KeyInput> keys;
    if (!tracks.posSamples.empty()) {
        for (const SampleKey& s : tracks.posSamples) keys.push_back(keyAt(s.time, vec(s.values)));
        return vectorCurve(std::move(keys), Shape::straight);
    }
    for (const PosKey& k : tracks.posKeys) {
        KeyInput key = keyAt(k.time, vec(k.values));
        key.inTangent = vec(k.values + 3);
        key.outTangent = vec(k.values + 6);
        if (tracks.posStyle == KeyStyle::tcb) key.tcb = tcbAt(k.values + 3);
        keys.push_back(key);
    }
    return vectorCurve(std::move(keys), shapeOf(tracks.posStyle));
}

RotationCurve rotationCurve(const NodeTracks& tracks) {
    std::vector<KeyInput> keys;
    if (!tracks.rotSamples.empty()) {
        for (const SampleKey& s : tracks.rotSamples) {
            KeyInput key = keyAt(s.time);
            key.rotation = fileRotation(s.values, s.values[3]);
            keys.push_back(key);
        }
        accumulate(keys);
        return rotationCurveOf(keys, false);
    }
    for (const RotKey& k : tracks.rotKeys) {
        KeyInput key = keyAt(k.time);
        key.rotation = fileRotation(k.values, k.values[3]);
        if (tracks.rotStyle == KeyStyle::tcb) key.tcb = tcbAt(k.values + 4);
        keys.push_back(key);
    }
    accumulate(keys);
    // Bezier rotation keys carry no tangents: they run through the same spline as neutral TCB keys.
    const bool spline = tracks.rotStyle == KeyStyle::tcb || tracks.rotStyle == KeyStyle::bezier;
    return rotationCurveOf(keys, spline);
}

ScaleCurve scaleCurve(const NodeTracks& tracks) {
    std::vector<KeyInput> keys;
    Shape shape = Shape::straight;
    if (!tracks.scaleSamples.empty()) {
        for (const SampleKey& s : tracks.scaleSamples) {
            KeyInput key = keyAt(s.time, vec(s.values));
            key.rotation = fileRotation(s.values + 3, s.values[6]);
            keys.push_back(key);
        }
    } else {
        shape = shapeOf(tracks.scaleStyle);
        for (const ScaleKey& k : tracks.scaleKeys) {
            KeyInput key = keyAt(k.time, vec(k.values));
            key.rotation = fileRotation(k.values + 3, k.values[6]);
            key.inTangent = vec(k.values + 7);
            key.outTangent = vec(k.values + 10);
            if (tracks.scaleStyle == KeyStyle::tcb) key.tcb = tcbAt(k.values + 7);
            keys.push_back(key);
        }
    }
    sortByTime(keys);
    return {vectorCurve(keys, shape), rotationCurveOf(keys, false)};
}
