// Double-precision vectors, unit quaternions and affine transforms for the node evaluation.
// Column vectors: a transform maps p to linear * p + translation, and a * b applies b first.
#pragma once

#include <cmath>

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

inline Vec3 operator+(const Vec3& a, const Vec3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(double s, const Vec3& v) {
    return {s * v.x, s * v.y, s * v.z};
}
inline double dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(const Vec3& v) {
    return std::sqrt(dot(v, v));
}

// w + xi + yj + zk; rotations are unit quaternions.
struct Quat {
    double w = 1, x = 0, y = 0, z = 0;
};

Quat operator*(const Quat& a, const Quat& b);
Quat conjugate(const Quat& q);
Quat normalized(const Quat& q);
double dot(const Quat& a, const Quat& b);
// The rotation by `angle` radians, counter-clockwise about `axis` seen from its tip; the identity
// for a zero axis.
Quat fromAxisAngle(const Vec3& axis, double angle);
// Logarithm and exponential of unit quaternions, as rotation vectors of half the angle.
Vec3 logOf(const Quat& q);
Quat expOf(const Vec3& v);
// Spherical linear interpolation along the shorter arc.
Quat slerp(const Quat& a, Quat b, double u);
Vec3 rotate(const Quat& q, const Vec3& v);

// A 3x3 matrix, row by row: m[r][c].
struct Mat3 {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
};

Mat3 operator*(const Mat3& a, const Mat3& b);
Vec3 operator*(const Mat3& a, const Vec3& v);
Mat3 transposed(const Mat3& a);
double determinant(const Mat3& a);
// The inverse; false, leaving `out` alone, for a singular matrix.
bool inverted(const Mat3& a, Mat3& out);
Mat3 matrixOf(const Quat& q);
// The rotation of a proper orthonormal matrix.
Quat quatOf(const Mat3& r);
Mat3 diagonal(const Vec3& d);

struct Affine {
    Mat3 linear;
    Vec3 translation;
};

Affine operator*(const Affine& a, const Affine& b);
Vec3 transformPoint(const Affine& a, const Vec3& p);
// The inverse of an invertible transform; for a singular one, the inverse of its translation.
Affine inverse(const Affine& a);

// A linear map split as rotation * stretch, the stretch symmetric (polar decomposition). A map
// that mirrors keeps its mirror in the stretch, so that the rotation stays proper.
struct PolarParts {
    Quat rotation;
    Mat3 stretch;
};
PolarParts polarDecomposition(const Mat3& a);
