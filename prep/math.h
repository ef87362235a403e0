// Operations on the platform's value types and the look-at view builder. All arithmetic is single
// precision except the square root of `magnitude`, so that every caller gets the same floats.
#pragma once

#include <bit>
#include <cstdint>

#include "platform/d3dtypes.h"

// The program-wide degree-to-radian factor: 3.141592/180 in single precision (deliberately not the
// nearest float to pi/180, whose last bits differ). Rotation tables hold degrees; radians exist
// only inside the rotation operations.
inline constexpr float kDegToRad = std::bit_cast<float>(std::uint32_t{0x3C8EFA33});

// 1e-6 in single precision: the shortest length the view builder accepts, and the value the scaling
// operations put in place of an exact zero.
inline constexpr float kZeroGuard = std::bit_cast<float>(std::uint32_t{0x358637BD});

// Neither below nor above zero: 0, -0 and not-a-number.
inline bool isZeroOrNan(float v) {
    return !(v < 0.0f) && !(v > 0.0f);
}

D3DVECTOR operator-(const D3DVECTOR& a, const D3DVECTOR& b);
D3DVECTOR operator*(float s, const D3DVECTOR& v);
// A zero divisor is not caught: IEEE rules apply.
D3DVECTOR& operator/=(D3DVECTOR& v, float s);

float squareMagnitude(const D3DVECTOR& v);
// The square root is taken in double precision and rounded once.
float magnitude(const D3DVECTOR& v);
float dotProduct(const D3DVECTOR& a, const D3DVECTOR& b);
// Operand order matters: crossProduct(up, forward) is the view's right axis.
D3DVECTOR crossProduct(const D3DVECTOR& a, const D3DVECTOR& b);

// Component 0, 1 or 2 (x, y, z); any other index gives z.
float& component(D3DVECTOR& v, int index);
float component(const D3DVECTOR& v, int index);

// Fills `m` with the left-handed view from `eye` towards `at`. A zero or parallel `up` falls back
// to +y, then to +z. Returns false, leaving `m` untouched, when eye and at coincide or no up
// direction is usable.
bool buildViewMatrix(D3DMATRIX& m, const D3DVECTOR& eye, const D3DVECTOR& at, const D3DVECTOR& up);
