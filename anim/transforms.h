// Moving one vertex or one point: translation, rotation about a centre by three angles in degrees,
// scaling about a centre. The vertex forms return a moved copy (normal and texture coordinates
// unchanged); the point forms change the point in place, and the point may be the centre itself.
#pragma once

#include "platform/d3dtypes.h"
#include "prep/math.h"  // kDegToRad, kZeroGuard

D3DVERTEX translateVertex(D3DVERTEX v, float dx, float dy, float dz);
void translatePoint(D3DVECTOR& p, float dx, float dy, float dz);

// Turns about X, then Y, then Z (each step skipped when its angle is zero), by the negated angle.
D3DVERTEX rotateVertex(D3DVERTEX v, const D3DVECTOR& centre, float ax, float ay, float az);
void rotatePoint(D3DVECTOR& p, const D3DVECTOR& centre, float ax, float ay, float az);

// Exact zeros among the coordinates and the factors are replaced by kZeroGuard first.
D3DVERTEX scaleVertex(D3DVERTEX v, const D3DVECTOR& centre, float sx, float sy, float sz);
void scalePoint(D3DVECTOR& p, const D3DVECTOR& centre, float sx, float sy, float sz);

// A rotation's sines and cosines, worked out once for many vertices turned by the same angles. The
// forms that take it give the same floats as the forms that take the angles.
struct RotationSteps {
    bool aboutX, aboutY, aboutZ;
    double cosX, sinX, cosY, sinY, cosZ, sinZ;
};

RotationSteps prepareRotation(float ax, float ay, float az);
D3DVERTEX rotateVertex(D3DVERTEX v, const D3DVECTOR& centre, const RotationSteps& rotation);
void rotatePoint(D3DVECTOR& p, const D3DVECTOR& centre, const RotationSteps& rotation);
