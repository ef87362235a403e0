// The view and projection matrices of the fit and scene cameras. The exporter's world and cameras
// are right-handed (a camera looks along its local -Z, +Y up, +X to the picture's right); the
// device's view space is left-handed (+Z into the picture). Taking the camera's right axis as
// view +X keeps the picture the author's rather than its mirror image.
#pragma once

#include "platform/d3dtypes.h"
#include "prep/node_math.h"

// An eye, where it looks and which way is up in the picture; `up` need not be perpendicular to
// `forward` (a zero or parallel one falls back to world Z, then world Y).
struct CameraPose {
    Vec3 eye;
    Vec3 forward;
    Vec3 up;
};

// The orthonormal picture axes of a pose: right, up and forward.
struct CameraAxes {
    Vec3 right, up, forward;
};
CameraAxes axesOf(const CameraPose& pose);

D3DMATRIX viewMatrix(const CameraPose& pose);

// A perspective projection with square pixels: `tanHalfWidth` is the tangent of half the
// horizontal field of view, and the vertical one follows from the frame's aspect. Depth runs from
// 0 at `nearPlane` to 1 at `farPlane`.
D3DMATRIX squareProjection(double tanHalfWidth, int width, int height, double nearPlane,
                           double farPlane);
