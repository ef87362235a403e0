// The track curves of the exact animation model: tangent units, spline shapes, easing, and the
// accumulation of the file's relative rotations.
#include "prep/curves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

NodeTracks positionKeys(KeyStyle style, std::vector<PosKey> keys) {
    NodeTracks tracks{};
    tracks.posStyle = style;
    tracks.posKeys = std::move(keys);
    return tracks;
}

PosKey key(std::int32_t time, float x, std::initializer_list<float> rest = {}) {
    PosKey k{};
    k.time = time;
    k.values[0] = x;
    int i = 3;
    for (float v : rest) k.values[i++] = v;
    return k;
}

// The rotation as a plain matrix, built from the axis and angle without quaternions.
Mat3 rodrigues(Vec3 axis, double angle) {
    const double n = length(axis);
    axis = (1.0 / n) * axis;
    const double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
    Mat3 r;
    r.m[0][0] = t * axis.x * axis.x + c;
    r.m[0][1] = t * axis.x * axis.y - s * axis.z;
    r.m[0][2] = t * axis.x * axis.z + s * axis.y;
    r.m[1][0] = t * axis.x * axis.y + s * axis.z;
    r.m[1][1] = t * axis.y * axis.y + c;
    r.m[1][2] = t * axis.y * axis.z - s * axis.x;
    r.m[2][0] = t * axis.x * axis.z - s * axis.y;
    r.m[2][1] = t * axis.y * axis.z + s * axis.x;
    r.m[2][2] = t * axis.z * axis.z + c;
    return r;
}

double largestDifference(const Mat3& a, const Mat3& b) {
    double d = 0;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) d = std::max(d, std::fabs(a.m[i][j] - b.m[i][j]));
    }
    return d;
}

TEST(PositionCurves, BezierTangentsAreSlopesPerTickWithHandlesAThirdAlong) {
    // Slopes equal to the chord's (10 units over 100 ticks) make the curve the straight line,
    // travelled at constant speed.
    const VectorCurve line =
        positionCurve(positionKeys(KeyStyle::bezier, {key(0, 0, {0.1f, 0, 0, 0.1f, 0, 0}),
                                                      key(100, 10, {0.1f, 0, 0, 0.1f, 0, 0})}));
    for (double t : {0.0, 25.0, 50.0, 80.0, 100.0}) EXPECT_NEAR(line.at(t).x, t / 10, 1e-6);
    // Flat tangents ease in and out: a quarter of the way in time is less than a quarter of the
    // way.
    const VectorCurve flat =
        positionCurve(positionKeys(KeyStyle::bezier, {key(0, 0), key(100, 10)}));
    EXPECT_NEAR(flat.at(25).x, 10 * 0.15625, 1e-6);
    EXPECT_NEAR(flat.at(50).x, 5.0, 1e-9);
}

TEST(PositionCurves, TcbSplineThroughKeysWithTensionAndEase) {
    // Collinear, evenly spaced keys with neutral parameters move at constant speed.
    const VectorCurve even = positionCurve(positionKeys(
        KeyStyle::tcb, {key(0, 0, {0, 0, 0, 0, 0}), key(100, 10, {0, 0, 0, 0, 0}),
                        key(200, 20, {0, 0, 0, 0, 0}), key(300, 30, {0, 0, 0, 0, 0})}));
    for (double t : {0.0, 50.0, 130.0, 250.0, 300.0}) EXPECT_NEAR(even.at(t).x, t / 10, 1e-6);
    // Full tension stops at every key; the curve still passes through them.
    const VectorCurve tense = positionCurve(
        positionKeys(KeyStyle::tcb, {key(0, 0, {1, 0, 0, 0, 0}), key(100, 10, {1, 0, 0, 0, 0}),
                                     key(200, 20, {1, 0, 0, 0, 0})}));
    EXPECT_NEAR(tense.at(100).x, 10, 1e-9);
    EXPECT_NEAR(tense.at(125).x, 10 + 10 * 0.15625, 1e-6);
    // Ease from the first key (25 of 50: half the segment) holds the start back further.
    const VectorCurve eased = positionCurve(
        positionKeys(KeyStyle::tcb, {key(0, 0, {0, 0, 0, 0, 25}), key(100, 10, {0, 0, 0, 0, 0}),
                                     key(200, 20, {0, 0, 0, 0, 0})}));
    EXPECT_LT(eased.at(25).x, even.at(25).x * 0.75);
    EXPECT_NEAR(eased.at(100).x, 10, 1e-9);
    // The 0 … 50 scale with 25 neutral reads as neutral.
    const VectorCurve neutral = positionCurve(positionKeys(
        KeyStyle::tcb, {key(0, 0, {25, 25, 25, 0, 0}), key(100, 10, {25, 25, 25, 0, 0}),
                        key(200, 20, {25, 25, 25, 0, 0})}));
    EXPECT_NEAR(neutral.at(50).x, 5, 1e-6);
}

TEST(RotationCurves, RelativeRotationsAccumulateAsAMatrixProductWould) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    NodeTracks tracks{};
    Mat3 expected;  // R_k = D_k * R_k-1, D the rotation by minus the file's angle
    std::vector<Mat3> expectedAt;
    for (int k = 0; k < 40; ++k) {
        const Vec3 axis{unit(random), unit(random), unit(random) + 0.01};
        const double angle = 3.0 * unit(random);
        SampleKey sample{};
        sample.time = 160 * k;
        sample.values[0] = static_cast<float>(axis.x);
        sample.values[1] = static_cast<float>(axis.y);
        sample.values[2] = static_cast<float>(axis.z);
        sample.values[3] = static_cast<float>(angle);
        tracks.rotSamples.push_back(sample);
        const Vec3 stored{sample.values[0], sample.values[1], sample.values[2]};
        expected = rodrigues(stored, -static_cast<double>(sample.values[3])) * expected;
        expectedAt.push_back(expected);
    }
    const RotationCurve curve = rotationCurve(tracks);
    for (std::size_t k = 0; k < expectedAt.size(); ++k) {
        EXPECT_LT(largestDifference(matrixOf(curve.at(160.0 * k)), expectedAt[k]), 1e-9) << k;
    }
    // Between two samples the rotation runs along the shorter arc.
    const Quat half = curve.at(160 * 10 + 80);
    const Quat a = curve.values[10], b = curve.values[11];
    EXPECT_NEAR(std::acos(std::min(1.0, std::fabs(dot(a, half)))),
                std::acos(std::min(1.0, std::fabs(dot(half, b)))), 1e-9);
}

TEST(RotationCurves, TcbKeysTurnEvenlyAboutOneAxis) {
    NodeTracks tracks{};
    tracks.rotStyle = KeyStyle::tcb;
    for (int k = 0; k < 4; ++k) {
        RotKey key{};
        key.time = 100 * k;
        key.values[2] = 1;                      // about z
        key.values[3] = k == 0 ? 0.0f : -0.5f;  // a half radian more, counter-clockwise
        tracks.rotKeys.push_back(key);
    }
    const RotationCurve curve = rotationCurve(tracks);
    for (double t : {0.0, 50.0, 150.0, 240.0, 300.0}) {
        const Vec3 x = rotate(curve.at(t), Vec3{1, 0, 0});
        EXPECT_NEAR(std::atan2(x.y, x.x), 0.5 * t / 100, 1e-6) << t;
    }
}

}  // namespace
