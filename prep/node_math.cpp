#include "prep/node_math.h"

#include <algorithm>

Quat operator*(const Quat& a, const Quat& b) {
    return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
            a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

Quat conjugate(const Quat& q) {
    return {q.w, -q.x, -q.y, -q.z};
}

double dot(const Quat& a, const Quat& b) {
    return a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
}

Quat normalized(const Quat& q) {
    const double n = std::sqrt(dot(q, q));
    if (!(n > 0.0) || !std::isfinite(n)) return Quat{};
    return {q.w / n, q.x / n, q.y / n, q.z / n};
}

Quat fromAxisAngle(const Vec3& axis, double angle) {
    const double n = length(axis);
    if (!(n > 0.0) || !std::isfinite(n) || !std::isfinite(angle)) return Quat{};
    const double s = std::sin(angle / 2) / n;
    return {std::cos(angle / 2), axis.x * s, axis.y * s, axis.z * s};
}

Vec3 logOf(const Quat& q) {
    const Vec3 v{q.x, q.y, q.z};
    const double s = length(v);
    if (!(s > 1e-12)) return v;
    const double halfAngle = std::atan2(s, q.w);
    return (halfAngle / s) * v;
}

Quat expOf(const Vec3& v) {
    const double halfAngle = length(v);
    if (!(halfAngle > 1e-12)) return normalized({1.0, v.x, v.y, v.z});
    const double s = std::sin(halfAngle) / halfAngle;
    return {std::cos(halfAngle), v.x * s, v.y * s, v.z * s};
}

Quat slerp(const Quat& a, Quat b, double u) {
    double d = dot(a, b);
    if (d < 0) {
        b = {-b.w, -b.x, -b.y, -b.z};
        d = -d;
    }
    double wa = 1.0 - u;
    double wb = u;
    if (d < 0.9999) {  // else the arc is so short that a straight blend is exact enough
        const double angle = std::acos(d);
        const double s = std::sin(angle);
        wa = std::sin((1.0 - u) * angle) / s;
        wb = std::sin(u * angle) / s;
    }
    return normalized(
        {wa * a.w + wb * b.w, wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z});
}

Vec3 rotate(const Quat& q, const Vec3& v) {
    return matrixOf(q) * v;
}

Mat3 operator*(const Mat3& a, const Mat3& b) {
    Mat3 r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
        }
    }
    return r;
}

Vec3 operator*(const Mat3& a, const Vec3& v) {
    return {a.m[0][0] * v.x + a.m[0][1] * v.y + a.m[0][2] * v.z,
            a.m[1][0] * v.x + a.m[1][1] * v.y + a.m[1][2] * v.z,
            a.m[2][0] * v.x + a.m[2][1] * v.y + a.m[2][2] * v.z};
}

Mat3 transposed(const Mat3& a) {
    Mat3 r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) r.m[i][j] = a.m[j][i];
    }
    return r;
}

double determinant(const Mat3& a) {
    const auto& m = a.m;
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

bool inverted(const Mat3& a, Mat3& out) {
    const double det = determinant(a);
    if (!(std::fabs(det) > 1e-300) || !std::isfinite(det)) return false;
    const auto& m = a.m;
    Mat3 r;
    r.m[0][0] = (m[1][1] * m[2][2] - m[1][2] * m[2][1]) / det;
    r.m[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
    r.m[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
    r.m[1][0] = (m[1][2] * m[2][0] - m[1][0] * m[2][2]) / det;
    r.m[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
    r.m[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
    r.m[2][0] = (m[1][0] * m[2][1] - m[1][1] * m[2][0]) / det;
    r.m[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
    r.m[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
    out = r;
    return true;
}

Mat3 matrixOf(const Quat& q) {
    const double w = q.w, x = q.x, y = q.y, z = q.z;
    Mat3 r;
    r.m[0][0] = 1 - 2 * (y * y + z * z);
    r.m[0][1] = 2 * (x * y - w * z);
    r.m[0][2] = 2 * (x * z + w * y);
    r.m[1][0] = 2 * (x * y + w * z);
    r.m[1][1] = 1 - 2 * (x * x + z * z);
    r.m[1][2] = 2 * (y * z - w * x);
    r.m[2][0] = 2 * (x * z - w * y);
    r.m[2][1] = 2 * (y * z + w * x);
    r.m[2][2] = 1 - 2 * (x * x + y * y);
    return r;
}

Quat quatOf(const Mat3& r) {
    const auto& m = r.m;
    const double trace = m[0][0] + m[1][1] + m[2][2];
    Quat q;
    if (trace > 0) {
        const double s = 2 * std::sqrt(trace + 1.0);
        q = {0.25 * s, (m[2][1] - m[1][2]) / s, (m[0][2] - m[2][0]) / s, (m[1][0] - m[0][1]) / s};
    } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
        const double s = 2 * std::sqrt(1.0 + m[0][0] - m[1][1] - m[2][2]);
        q = {(m[2][1] - m[1][2]) / s, 0.25 * s, (m[0][1] + m[1][0]) / s, (m[0][2] + m[2][0]) / s};
    } else if (m[1][1] > m[2][2]) {
        const double s = 2 * std::sqrt(1.0 + m[1][1] - m[0][0] - m[2][2]);
        q = {(m[0][2] - m[2][0]) / s, (m[0][1] + m[1][0]) / s, 0.25 * s, (m[1][2] + m[2][1]) / s};
    } else {
        const double s = 2 * std::sqrt(1.0 + m[2][2] - m[0][0] - m[1][1]);
        q = {(m[1][0] - m[0][1]) / s, (m[0][2] + m[2][0]) / s, (m[1][2] + m[2][1]) / s, 0.25 * s};
    }
    return normalized(q);
}

Mat3 diagonal(const Vec3& d) {
    Mat3 r;
    r.m[0][0] = d.x;
    r.m[1][1] = d.y;
    r.m[2][2] = d.z;
    return r;
}

Affine operator*(const Affine& a, const Affine& b) {
    return {a.linear * b.linear, a.linear * b.translation + a.translation};
}

Vec3 transformPoint(const Affine& a, const Vec3& p) {
    return a.linear * p + a.translation;
}

Affine inverse(const Affine& a) {
    Affine r;
    if (!inverted(a.linear, r.linear)) r.linear = Mat3{};
    r.translation = -1.0 * (r.linear * a.translation);
    return r;
}

// Newton's iteration towards the nearest orthonormal matrix, X <- (X + X^-T) / 2, converges in a
// handful of steps for the well-conditioned transforms exporters write.
PolarParts polarDecomposition(const Mat3& a) {
    const double sign = determinant(a) < 0 ? -1.0 : 1.0;
    Mat3 x;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) x.m[i][j] = sign * a.m[i][j];
    }
    for (int iteration = 0; iteration < 32; ++iteration) {
        Mat3 inverse;
        if (!inverted(x, inverse)) return {Quat{}, a};  // singular: all of it is "stretch"
        const Mat3 inverseTransposed = transposed(inverse);
        double change = 0;
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                const double next = 0.5 * (x.m[i][j] + inverseTransposed.m[i][j]);
                change = std::max(change, std::fabs(next - x.m[i][j]));
                x.m[i][j] = next;
            }
        }
        if (change < 1e-15) break;
    }
    const Quat rotation = quatOf(x);
    return {rotation, transposed(matrixOf(rotation)) * a};
}
