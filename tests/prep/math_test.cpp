#include "prep/math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "tests/prep/scene_builder.h"

namespace {

using testscene::bitsOf;

D3DMATRIX filledWith(float value) {
    D3DMATRIX m;
    float* f = &m._11;
    for (int i = 0; i < 16; ++i) f[i] = value;
    return m;
}

bool sameBits(const D3DMATRIX& a, const D3DMATRIX& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(VectorMath, ConstantsHaveTheirBitPatterns) {
    EXPECT_EQ(bitsOf(kDegToRad), 0x3C8EFA33u);
    EXPECT_EQ(bitsOf(kZeroGuard), 0x358637BDu);
}

TEST(VectorMath, CrossProductKeepsOperandOrder) {
    const D3DVECTOR y(0, 1, 0), z(0, 0, 1);
    const D3DVECTOR right = crossProduct(y, z);
    EXPECT_EQ(right.x, 1.0f);
    EXPECT_EQ(right.y, 0.0f);
    EXPECT_EQ(right.z, 0.0f);
    EXPECT_EQ(crossProduct(z, y).x, -1.0f);
}

TEST(VectorMath, DotProductAddsLeftToRightInSinglePrecision) {
    // 1e8 + 1 is 1e8 in single precision, so only the left-to-right order gives 0.
    EXPECT_EQ(dotProduct(D3DVECTOR(1e8f, 1, -1e8f), D3DVECTOR(1, 1, 1)), 0.0f);
}

TEST(VectorMath, OperatorsAndComponents) {
    D3DVECTOR v = D3DVECTOR(7, 9, 11) - D3DVECTOR(1, 2, 3);
    EXPECT_EQ(v.x, 6.0f);
    EXPECT_EQ(v.z, 8.0f);
    v = 0.5f * v;
    EXPECT_EQ(v.y, 3.5f);
    EXPECT_EQ(squareMagnitude(D3DVECTOR(3, 4, 12)), 169.0f);
    EXPECT_EQ(magnitude(D3DVECTOR(3, 4, 12)), 13.0f);
    component(v, 1) = 42.0f;
    EXPECT_EQ(v.y, 42.0f);
    EXPECT_EQ(component(static_cast<const D3DVECTOR&>(v), 2), v.z);
    v /= 0.0f;  // not caught: IEEE infinities
    EXPECT_TRUE(std::isinf(v.x));
}

TEST(VectorMath, VertexLiesInMemoryAsEightFloats) {
    const D3DVERTEX v(D3DVECTOR(1, 2, 3), D3DVECTOR(0, 0, -1), 0.25f, 0.75f);
    float raw[8];
    std::memcpy(raw, &v, sizeof raw);
    const float expected[8] = {1, 2, 3, 0, 0, -1, 0.25f, 0.75f};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(raw[i], expected[i]) << i;
}

TEST(ViewMatrix, SystemViewFromEye300WithZeroUp) {
    D3DMATRIX m = filledWith(99.0f);
    ASSERT_TRUE(
        buildViewMatrix(m, D3DVECTOR(300, 300, 300), D3DVECTOR(0, 0, 0), D3DVECTOR(0, 0, 0)));
    const float r3 = 0.57735027f, r6 = 0.40824829f, r2 = 0.70710678f;
    const float expected[16] = {-r2, -r6, -r3, 0, 0, 2 * r6, -r3,         0,
                                r2,  -r6, -r3, 0, 0, 0,      519.615242f, 1};
    const float* got = &m._11;
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(got[i], expected[i], i >= 12 ? 2e-4 : 1e-6) << i;
    EXPECT_EQ(m._14, 0.0f);
    EXPECT_EQ(m._44, 1.0f);
}

TEST(ViewMatrix, ZeroOrParallelUpActsLikePlusY) {
    const D3DVECTOR eye(300, 300, 300), at(0, 0, 0);
    D3DMATRIX withZero, withY, withParallel;
    ASSERT_TRUE(buildViewMatrix(withZero, eye, at, D3DVECTOR(0, 0, 0)));
    ASSERT_TRUE(buildViewMatrix(withY, eye, at, D3DVECTOR(0, 1, 0)));
    ASSERT_TRUE(buildViewMatrix(withParallel, eye, at, D3DVECTOR(2, 2, 2)));
    EXPECT_TRUE(sameBits(withZero, withY));
    EXPECT_TRUE(sameBits(withZero, withParallel));
}

TEST(ViewMatrix, VerticalSightFallsBackToPlusZ) {
    for (const D3DVECTOR up : {D3DVECTOR(0, 0, 0), D3DVECTOR(0, 1, 0)}) {
        D3DMATRIX m;
        ASSERT_TRUE(buildViewMatrix(m, D3DVECTOR(0, 10, 0), D3DVECTOR(0, 0, 0), up));
        // Columns: right (1, 0, 0), up (0, 0, 1), forward (0, -1, 0).
        EXPECT_EQ(m._11, 1.0f);
        EXPECT_EQ(m._21, 0.0f);
        EXPECT_EQ(m._31, 0.0f);
        EXPECT_EQ(m._12, 0.0f);
        EXPECT_EQ(m._22, 0.0f);
        EXPECT_EQ(m._32, 1.0f);
        EXPECT_EQ(m._23, -1.0f);
        EXPECT_EQ(m._43, 10.0f);
    }
}

TEST(ViewMatrix, DegenerateInputLeavesMatrixUntouched) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const D3DMATRIX before = filledWith(7.0f);
    D3DMATRIX m = before;
    EXPECT_FALSE(buildViewMatrix(m, D3DVECTOR(5, 5, 5), D3DVECTOR(5, 5, 5), D3DVECTOR(0, 1, 0)));
    EXPECT_FALSE(buildViewMatrix(m, D3DVECTOR(nan, 0, 0), D3DVECTOR(1, 1, 1), D3DVECTOR(0, 1, 0)));
    // Closer than 1e-6 counts as coincident.
    EXPECT_FALSE(
        buildViewMatrix(m, D3DVECTOR(0, 0, 0), D3DVECTOR(5e-7f, 0, 0), D3DVECTOR(0, 1, 0)));
    // An infinite eye leaves a line of sight that is not a number: no up direction is usable.
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_FALSE(buildViewMatrix(m, D3DVECTOR(inf, 0, 0), D3DVECTOR(0, 0, 0), D3DVECTOR(0, 1, 0)));
    EXPECT_TRUE(sameBits(m, before));
}

}  // namespace
