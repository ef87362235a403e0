#include "anim/transforms.h"

#include <cmath>

using transforms_detail::guardZero;
using transforms_detail::rotateCoordinates;
using transforms_detail::scaleCoordinate;

namespace {

// Angles arrive in degrees and turn the other way round: radians are -angle × kDegToRad, rounded to
// single precision, and the sine and cosine are the double-precision ones of that float.
void prepareStep(float degrees, bool& active, double& c, double& s) {
    active = !isZeroOrNan(degrees);
    const float radians = -degrees * kDegToRad;
    c = std::cos(static_cast<double>(radians));
    s = std::sin(static_cast<double>(radians));
}

}  // namespace

RotationSteps prepareRotation(float ax, float ay, float az) {
    RotationSteps r;
    prepareStep(ax, r.aboutX, r.cosX, r.sinX);
    prepareStep(ay, r.aboutY, r.cosY, r.sinY);
    prepareStep(az, r.aboutZ, r.cosZ, r.sinZ);
    return r;
}

void translatePoint(D3DVECTOR& p, float dx, float dy, float dz) {
    p.x += dx;
    p.y += dy;
    p.z += dz;
}

void rotatePoint(D3DVECTOR& p, const D3DVECTOR& centre, const RotationSteps& rotation) {
    rotateCoordinates(p.x, p.y, p.z, centre, rotation);
}

D3DVERTEX rotateVertex(D3DVERTEX v, const D3DVECTOR& centre, float ax, float ay, float az) {
    return rotateVertex(v, centre, prepareRotation(ax, ay, az));
}

void rotatePoint(D3DVECTOR& p, const D3DVECTOR& centre, float ax, float ay, float az) {
    rotatePoint(p, centre, prepareRotation(ax, ay, az));
}

void scalePoint(D3DVECTOR& p, const D3DVECTOR& centre, float sx, float sy, float sz) {
    // The guard changes the stored point first; when the point is the centre, the centre too.
    p.x = guardZero(p.x);
    p.y = guardZero(p.y);
    p.z = guardZero(p.z);
    const float newX = scaleCoordinate(p.x, centre.x, guardZero(sx));
    const float newY = scaleCoordinate(p.y, centre.y, guardZero(sy));
    const float newZ = scaleCoordinate(p.z, centre.z, guardZero(sz));
    p.x = newX;
    p.y = newY;
    p.z = newZ;
}
