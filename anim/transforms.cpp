#include "anim/transforms.h"

#include <cmath>

namespace {

// Neither below nor above zero: 0, -0 and not-a-number.
bool isZero(float v) {
    return !(v < 0.0f) && !(v > 0.0f);
}

float guardZero(float v) {
    return isZero(v) ? kZeroGuard : v;
}

// Angles arrive in degrees and turn the other way round: radians are -angle × kDegToRad, rounded to
// single precision, and the sine and cosine are the double-precision ones of that float.
void prepareStep(float degrees, bool& active, double& c, double& s) {
    active = !isZero(degrees);
    const float radians = -degrees * kDegToRad;
    c = std::cos(static_cast<double>(radians));
    s = std::sin(static_cast<double>(radians));
}

// One planar turn of (u, w) about (centreU, centreW): differences, products and sums in double, the
// offset rounded to single, then the centre added and the sum rounded to single. Both new values
// are worked out before either is stored, and the centre is read as it stands, so that a point
// turned about itself stays put.
void turnPlane(float& u, float& w, const float& centreU, const float& centreW, double c, double s) {
    const double du = static_cast<double>(u) - centreU;
    const double dw = static_cast<double>(w) - centreW;
    const float offsetU = static_cast<float>(c * du - s * dw);
    const float offsetW = static_cast<float>(s * du + c * dw);
    const float newU = static_cast<float>(static_cast<double>(centreU) + offsetU);
    const float newW = static_cast<float>(static_cast<double>(centreW) + offsetW);
    u = newU;
    w = newW;
}

void rotateCoordinates(float& x, float& y, float& z, const D3DVECTOR& centre,
                       const RotationSteps& r) {
    if (r.aboutX) turnPlane(y, z, centre.y, centre.z, r.cosX, r.sinX);
    // About Y the plane is (z, x): new x = c·dx + s·dz, new z = c·dz − s·dx.
    if (r.aboutY) turnPlane(z, x, centre.z, centre.x, r.cosY, r.sinY);
    if (r.aboutZ) turnPlane(x, y, centre.x, centre.y, r.cosZ, r.sinZ);
}

// (v − centre) × factor + centre in double precision, rounded once.
float scaleCoordinate(float v, float centre, float factor) {
    const double offset = static_cast<double>(v) - centre;
    return static_cast<float>(offset * factor + centre);
}

}  // namespace

D3DVERTEX translateVertex(D3DVERTEX v, float dx, float dy, float dz) {
    v.x += dx;
    v.y += dy;
    v.z += dz;
    return v;
}

void translatePoint(D3DVECTOR& p, float dx, float dy, float dz) {
    p.x += dx;
    p.y += dy;
    p.z += dz;
}

RotationSteps prepareRotation(float ax, float ay, float az) {
    RotationSteps r;
    prepareStep(ax, r.aboutX, r.cosX, r.sinX);
    prepareStep(ay, r.aboutY, r.cosY, r.sinY);
    prepareStep(az, r.aboutZ, r.cosZ, r.sinZ);
    return r;
}

D3DVERTEX rotateVertex(D3DVERTEX v, const D3DVECTOR& centre, const RotationSteps& rotation) {
    rotateCoordinates(v.x, v.y, v.z, centre, rotation);
    return v;
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

D3DVERTEX scaleVertex(D3DVERTEX v, const D3DVECTOR& centre, float sx, float sy, float sz) {
    v.x = scaleCoordinate(guardZero(v.x), centre.x, guardZero(sx));
    v.y = scaleCoordinate(guardZero(v.y), centre.y, guardZero(sy));
    v.z = scaleCoordinate(guardZero(v.z), centre.z, guardZero(sz));
    return v;
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
