// Moving one vertex or one point: translation, rotation about a centre by three angles in degrees,
// scaling about a centre. The vertex forms return a moved copy (normal and texture coordinates
// unchanged); the point forms change the point in place, and the point may be the centre itself.
// The per-vertex forms are inline: posing calls them for every vertex of every frame.
#pragma once

#include "platform/d3dtypes.h"
#include "prep/math.h"  // kDegToRad, kZeroGuard

// A rotation's sines and cosines, worked out once for many vertices turned by the same angles. The
// forms that take it give the same floats as the forms that take the angles.
struct RotationSteps {
    bool aboutX, aboutY, aboutZ;
    double cosX, sinX, cosY, sinY, cosZ, sinZ;
};

RotationSteps prepareRotation(float ax, float ay, float az);

D3DVERTEX translateVertex(D3DVERTEX v, float dx, float dy, float dz);
void translatePoint(D3DVECTOR& p, float dx, float dy, float dz);

// Turns about X, then Y, then Z (each step skipped when its angle is zero), by the negated angle.
D3DVERTEX rotateVertex(D3DVERTEX v, const D3DVECTOR& centre, float ax, float ay, float az);
void rotatePoint(D3DVECTOR& p, const D3DVECTOR& centre, float ax, float ay, float az);
D3DVERTEX rotateVertex(D3DVERTEX v, const D3DVECTOR& centre, const RotationSteps& rotation);
void rotatePoint(D3DVECTOR& p, const D3DVECTOR& centre, const RotationSteps& rotation);

// Exact zeros among the coordinates and the factors are replaced by kZeroGuard first.
D3DVERTEX scaleVertex(D3DVERTEX v, const D3DVECTOR& centre, float sx, float sy, float sz);
void scalePoint(D3DVECTOR& p, const D3DVECTOR& centre, float sx, float sy, float sz);

namespace transforms_detail {

inline float guardZero(float v) {
    return isZeroOrNan(v) ? kZeroGuard : v;
}

// One planar turn of (u, w) about (centreU, centreW): differences, products and sums in double, the
// offset rounded to single, then the centre added and the sum rounded to single. Both new values
// are worked out before either is stored, and the centre is read as it stands, so that a point
// turned about itself stays put.
inline void turnPlane(float& u, float& w, const float& centreU, const float& centreW, double c,
                      double s) {
    const double du = static_cast<double>(u) - centreU;
    const double dw = static_cast<double>(w) - centreW;
    const float offsetU = static_cast<float>(c * du - s * dw);
    const float offsetW = static_cast<float>(s * du + c * dw);
    const float newU = static_cast<float>(static_cast<double>(centreU) + offsetU);
    const float newW = static_cast<float>(static_cast<double>(centreW) + offsetW);
    u = newU;
    w = newW;
}

inline void rotateCoordinates(float& x, float& y, float& z, const D3DVECTOR& centre,
                              const RotationSteps& r) {
    if (r.aboutX) turnPlane(y, z, centre.y, centre.z, r.cosX, r.sinX);
    // About Y the plane is (z, x): new x = c·dx + s·dz, new z = c·dz − s·dx.
    if (r.aboutY) turnPlane(z, x, centre.z, centre.x, r.cosY, r.sinY);
    if (r.aboutZ) turnPlane(x, y, centre.x, centre.y, r.cosZ, r.sinZ);
}

// (v − centre) × factor + centre in double precision, rounded once.
inline float scaleCoordinate(float v, float centre, float factor) {
    const double offset = static_cast<double>(v) - centre;
    return static_cast<float>(offset * factor + centre);
}

}  // namespace transforms_detail

inline D3DVERTEX translateVertex(D3DVERTEX v, float dx, float dy, float dz) {
    v.x += dx;
    v.y += dy;
    v.z += dz;
    return v;
}

inline D3DVERTEX rotateVertex(D3DVERTEX v, const D3DVECTOR& centre, const RotationSteps& rotation) {
    transforms_detail::rotateCoordinates(v.x, v.y, v.z, centre, rotation);
    return v;
}

inline D3DVERTEX scaleVertex(D3DVERTEX v, const D3DVECTOR& centre, float sx, float sy, float sz) {
    using transforms_detail::guardZero;
    using transforms_detail::scaleCoordinate;
    v.x = scaleCoordinate(guardZero(v.x), centre.x, guardZero(sx));
    v.y = scaleCoordinate(guardZero(v.y), centre.y, guardZero(sy));
    v.z = scaleCoordinate(guardZero(v.z), centre.z, guardZero(sz));
    return v;
}
