#include "anim/transforms.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "tests/prep/scene_builder.h"

namespace {

using testscene::bitsOf;
using testscene::fromBits;

const D3DVECTOR kOrigin(0, 0, 0);

D3DVERTEX vertexAt(float x, float y, float z) {
    return D3DVERTEX(D3DVECTOR(x, y, z), D3DVECTOR(0.25f, -0.5f, 0.75f), 0.125f, 0.875f);
}

void expectBits(const D3DVERTEX& v, std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    EXPECT_EQ(bitsOf(v.x), x);
    EXPECT_EQ(bitsOf(v.y), y);
    EXPECT_EQ(bitsOf(v.z), z);
}

bool sameBits(const D3DVERTEX& a, const D3DVERTEX& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(Transforms, ZeroAnglesLeaveEverythingBitForBit) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const D3DVERTEX v = vertexAt(-0.0f, 1e-30f, 12345.678f);
    EXPECT_TRUE(sameBits(rotateVertex(v, D3DVECTOR(3, 4, 5), 0.0f, -0.0f, nan), v));
    D3DVECTOR p(-0.0f, 7, 1e-30f);
    rotatePoint(p, D3DVECTOR(1, 1, 1), 0, 0, 0);
    EXPECT_EQ(bitsOf(p.x), bitsOf(-0.0f));
    EXPECT_EQ(p.z, 1e-30f);
}

TEST(Transforms, QuarterTurnsLeaveTheDegToRadResidue) {
    // 90 × kDegToRad falls short of a quarter turn, so cos leaves 3.1391647e-7 (0x34a8885a).
    const std::uint32_t residue = 0x34a8885a, one = 0x3f800000, minusOne = 0xbf800000;
    expectBits(rotateVertex(vertexAt(1, 0, 0), kOrigin, 0, 0, 90), residue, minusOne, 0);
    expectBits(rotateVertex(vertexAt(0, 1, 0), kOrigin, 90, 0, 0), 0, residue, minusOne);
    expectBits(rotateVertex(vertexAt(1, 0, 0), kOrigin, 0, 90, 0), residue, 0, one);
    // X runs first, then Y turns its result.
    expectBits(rotateVertex(vertexAt(0, 1, 0), kOrigin, 90, 90, 0), one, residue,
               residue | 0x80000000u);
}

TEST(Transforms, RotationIsAboutTheCentreAndKeepsNormalAndTexture) {
    const D3DVERTEX turned = rotateVertex(vertexAt(2, 1, 1), D3DVECTOR(1, 1, 1), 0, 0, 90);
    EXPECT_NEAR(turned.x, 1.0f, 1e-6);
    EXPECT_NEAR(turned.y, 0.0f, 1e-6);
    EXPECT_EQ(turned.z, 1.0f);
    EXPECT_EQ(turned.nx, 0.25f);
    EXPECT_EQ(turned.ny, -0.5f);
    EXPECT_EQ(turned.tu, 0.125f);
    EXPECT_EQ(turned.tv, 0.875f);
}

TEST(Transforms, RotationRoundsAtTheNamedPoints) {
    // Vertex, centre, angles → position; expected bits from an independent double-precision model.
    // Doing the arithmetic in single precision, or not rounding the offset before the centre is
    // added, gives other bits for every case.
    struct Case {
        std::uint32_t in[9];
        std::uint32_t out[3];
    };
    const Case cases[] = {
        {{0xc3302ad0, 0xc3ae934e, 0x4316ef3a, 0xc38044e5, 0x41ac3bcf, 0xc2a12c5d, 0xc3b0cce9,
          0x40be5ad2, 0xc3b90072},
         {0xc31201fc, 0xc3996a1d, 0x4345ac9a}},
        {{0xc284b569, 0xc3d71281, 0xc3cca4bc, 0xc2352769, 0x43441c7d, 0xc361b805, 0xc35d68a9,
          0x42cbe4a6, 0x43b31565},
         {0xc413ef65, 0x4403c554, 0xc3b44921}},
        {{0x429a34b6, 0xc2cea399, 0x43ee20a7, 0xc3880673, 0x435714c1, 0xc2fc7807, 0xc38e4c48,
          0xc398e213, 0xc31936ec},
         {0xc3add39f, 0xc39affbe, 0x43d4f3b6}},
        {{0x439e102d, 0xc39fa306, 0x42a33349, 0x42a6b238, 0xc2991f7a, 0x41e52c66, 0xc3aee269,
          0xc3b028d7, 0xc36b3ba8},
         {0xc3656dbc, 0xc2f98b96, 0x431a209d}},
    };
    for (const Case& c : cases) {
        float f[9];
        for (int i = 0; i < 9; ++i) f[i] = fromBits(c.in[i]);
        const D3DVECTOR centre(f[3], f[4], f[5]);
        expectBits(rotateVertex(vertexAt(f[0], f[1], f[2]), centre, f[6], f[7], f[8]), c.out[0],
                   c.out[1], c.out[2]);
        D3DVECTOR p(f[0], f[1], f[2]);
        rotatePoint(p, centre, f[6], f[7], f[8]);
        EXPECT_EQ(bitsOf(p.x), c.out[0]);
        EXPECT_EQ(bitsOf(p.y), c.out[1]);
        EXPECT_EQ(bitsOf(p.z), c.out[2]);
    }
}

TEST(Transforms, PreparedRotationGivesTheSameFloats) {
    const RotationSteps steps = prepareRotation(33.3f, -127.0f, 0.5f);
    const D3DVECTOR centre(1.5f, -2.25f, 100.0f);
    for (float x = -50; x < 50; x += 7.3f) {
        const D3DVERTEX v = vertexAt(x, x * 0.37f, -x * 1.9f);
        EXPECT_TRUE(sameBits(rotateVertex(v, centre, steps),
                             rotateVertex(v, centre, 33.3f, -127.0f, 0.5f)));
    }
}

TEST(Transforms, PointTurnedOrScaledAboutItself) {
    D3DVECTOR p(3, -4, 5);
    rotatePoint(p, p, 10, 20, 30);
    EXPECT_EQ(p.x, 3.0f);
    EXPECT_EQ(p.y, -4.0f);
    EXPECT_EQ(p.z, 5.0f);
    D3DVECTOR q(0, 7, -0.0f);
    scalePoint(q, q, 3, 3, 3);
    EXPECT_EQ(bitsOf(q.x), bitsOf(kZeroGuard));
    EXPECT_EQ(q.y, 7.0f);
    EXPECT_EQ(bitsOf(q.z), bitsOf(kZeroGuard));
}

TEST(Transforms, ZeroGuardOnCoordinatesAndFactors) {
    EXPECT_EQ(scaleVertex(vertexAt(0, 1, 1), kOrigin, 2, 1, 1).x, 2.0f * kZeroGuard);
    const D3DVERTEX byZeroX = scaleVertex(vertexAt(5, 5, 5), kOrigin, 0, 1, 1);
    EXPECT_EQ(byZeroX.x, 5.0f * kZeroGuard);
    EXPECT_EQ(byZeroX.y, 5.0f);
    const D3DVERTEX byZeroY = scaleVertex(vertexAt(5, 5, 5), kOrigin, 1, 0, 1);
    EXPECT_EQ(byZeroY.x, 5.0f);
    EXPECT_EQ(byZeroY.y, 5.0f * kZeroGuard);
    EXPECT_EQ(byZeroY.tv, 0.875f);
    // In the point form the guard changes the point before the scaling reads it.
    D3DVECTOR p(0, 2, 2);
    scalePoint(p, D3DVECTOR(1, 1, 1), 1, 2, 1);
    EXPECT_EQ(p.x, kZeroGuard);
    EXPECT_EQ(p.y, 3.0f);
}

TEST(Transforms, ScalingIsEvaluatedInDoubleAndRoundedOnce) {
    // value, centre, factor → result; a single-precision evaluation rounds twice and differs.
    const std::uint32_t cases[][4] = {{0x43346665, 0xc22dc74a, 0xbfbe5034, 0xc3bc2183},
                                      {0x43933093, 0x42eecb17, 0xc00305c8, 0xc36ed543},
                                      {0xc3bef795, 0xc2448157, 0x4003a7fa, 0xc437704c},
                                      {0xc3ae01fb, 0xc0d3e892, 0xc06bed07, 0x449c7bdb}};
    for (const auto& c : cases) {
        const float v = fromBits(c[0]), centre = fromBits(c[1]), factor = fromBits(c[2]);
        const D3DVERTEX scaled = scaleVertex(vertexAt(v, v, v), D3DVECTOR(centre, centre, centre),
                                             factor, factor, factor);
        expectBits(scaled, c[3], c[3], c[3]);
        D3DVECTOR p(v, 1, 1);
        scalePoint(p, D3DVECTOR(centre, 0, 0), factor, 1, 1);
        EXPECT_EQ(bitsOf(p.x), c[3]);
    }
}

}  // namespace
