#include "view/view_math.h"

#include <cmath>
#include <initializer_list>

namespace {

Vec3 unit(const Vec3& v) {
    const double n = length(v);
    return n > 0 && std::isfinite(n) ? (1.0 / n) * v : Vec3{};
}

// `up` without its part along `forward`, normalised; zero when nothing is left.
Vec3 perpendicularUp(const Vec3& up, const Vec3& forward) {
    return unit(up - dot(up, forward) * forward);
}

}  // namespace

CameraAxes axesOf(const CameraPose& pose) {
    CameraAxes axes;
    axes.forward = unit(pose.forward);
    if (length(axes.forward) == 0) axes.forward = {0, 1, 0};
    for (const Vec3& candidate : {pose.up, Vec3{0, 0, 1}, Vec3{0, 1, 0}}) {
        axes.up = perpendicularUp(candidate, axes.forward);
        if (length(axes.up) > 1e-6) break;
    }
    axes.right = cross(axes.forward, axes.up);  // right-handed: x = y cross z, z pointing back
    return axes;
}

D3DMATRIX viewMatrix(const CameraPose& pose) {
    const CameraAxes a = axesOf(pose);
    const auto f = [](double v) { return static_cast<float>(v); };
    D3DMATRIX m{};
    m._11 = f(a.right.x), m._12 = f(a.up.x), m._13 = f(a.forward.x);
    m._21 = f(a.right.y), m._22 = f(a.up.y), m._23 = f(a.forward.y);
    m._31 = f(a.right.z), m._32 = f(a.up.z), m._33 = f(a.forward.z);
    m._41 = f(-dot(pose.eye, a.right));
    m._42 = f(-dot(pose.eye, a.up));
    m._43 = f(-dot(pose.eye, a.forward));
    m._44 = 1;
    return m;
}

D3DMATRIX squareProjection(double tanHalfWidth, int width, int height, double nearPlane,
                           double farPlane) {
    const double aspect = height > 0 ? static_cast<double>(width) / height : 1.0;
    const double tanHalfHeight = tanHalfWidth / aspect;
    D3DMATRIX m{};
    m._11 = static_cast<float>(1.0 / tanHalfWidth);
    m._22 = static_cast<float>(1.0 / tanHalfHeight);
    m._33 = static_cast<float>(farPlane / (farPlane - nearPlane));
    m._34 = 1;
    m._43 = static_cast<float>(-nearPlane * farPlane / (farPlane - nearPlane));
    return m;
}
