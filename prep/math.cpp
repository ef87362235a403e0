#include "prep/math.h"

#include <cmath>

D3DVECTOR operator-(const D3DVECTOR& a, const D3DVECTOR& b) {
    return D3DVECTOR(a.x - b.x, a.y - b.y, a.z - b.z);
}

D3DVECTOR operator*(float s, const D3DVECTOR& v) {
    return D3DVECTOR(s * v.x, s * v.y, s * v.z);
}

D3DVECTOR& operator/=(D3DVECTOR& v, float s) {
    v.x /= s;
    v.y /= s;
    v.z /= s;
    return v;
}

float squareMagnitude(const D3DVECTOR& v) {
    return v.x * v.x + v.y * v.y + v.z * v.z;
}

float magnitude(const D3DVECTOR& v) {
    return static_cast<float>(std::sqrt(static_cast<double>(squareMagnitude(v))));
}

float dotProduct(const D3DVECTOR& a, const D3DVECTOR& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

D3DVECTOR crossProduct(const D3DVECTOR& a, const D3DVECTOR& b) {
    return D3DVECTOR(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

float& component(D3DVECTOR& v, int index) {
    return index == 0 ? v.x : index == 1 ? v.y : v.z;
}

float component(const D3DVECTOR& v, int index) {
    return index == 0 ? v.x : index == 1 ? v.y : v.z;
}

namespace {

// Written as "not at least" so that a length that is not a number counts as too short.
bool tooShort(float length) {
    return !(length >= kZeroGuard);
}

// The part of `up` perpendicular to the unit vector `forward`.
D3DVECTOR perpendicularPart(const D3DVECTOR& up, const D3DVECTOR& forward) {
    return up - dotProduct(up, forward) * forward;
}

// The view's up axis, not yet normalised, and its length; false when no candidate is usable.
bool chooseUpAxis(const D3DVECTOR& up, const D3DVECTOR& forward, D3DVECTOR& axis, float& length) {
    axis = perpendicularPart(up, forward);
    length = magnitude(axis);
    if (!tooShort(length)) return true;
    axis = D3DVECTOR(0.0f, 1.0f, 0.0f) - forward.y * forward;
    length = magnitude(axis);
    if (!tooShort(length)) return true;
    axis = D3DVECTOR(0.0f, 0.0f, 1.0f) - forward.z * forward;
    length = magnitude(axis);
    return !tooShort(length);
}

}  // namespace

bool buildViewMatrix(D3DMATRIX& m, const D3DVECTOR& eye, const D3DVECTOR& at, const D3DVECTOR& up) {
    D3DVECTOR forward = at - eye;
    const float distance = magnitude(forward);
    if (tooShort(distance)) return false;
    forward /= distance;

    D3DVECTOR upAxis;
    float upLength;
    if (!chooseUpAxis(up, forward, upAxis, upLength)) return false;
    upAxis /= upLength;
    const D3DVECTOR right = crossProduct(upAxis, forward);

    m._11 = right.x;
    m._12 = upAxis.x;
    m._13 = forward.x;
    m._14 = 0.0f;
    m._21 = right.y;
    m._22 = upAxis.y;
    m._23 = forward.y;
    m._24 = 0.0f;
    m._31 = right.z;
    m._32 = upAxis.z;
    m._33 = forward.z;
    m._34 = 0.0f;
    m._41 = -dotProduct(eye, right);
    m._42 = -dotProduct(eye, upAxis);
    m._43 = -dotProduct(eye, forward);
    m._44 = 1.0f;
    return true;
}
