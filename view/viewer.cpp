#include "view/viewer.h"

#include <algorithm>
#include <cmath>

#include "anim/node_pose.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// The fit camera's vertical half-angle: the original projection's tangent of 0.4.
constexpr double kFitTanHalfHeight = 0.4;
constexpr double kFitMargin = 1.08;
constexpr double kDefaultFov = kPi / 4;
// Near and far planes stand this much outside the sphere, and the near plane no closer than this
// fraction of the far one, so that the 16-bit depth buffer keeps its precision.
constexpr double kPlaneSlack = 1.02;
constexpr double kNearFraction = 0.002;

Vec3 column(const Affine& a, int c) {
    return {a.linear.m[0][c], a.linear.m[1][c], a.linear.m[2][c]};
}

D3DVECTOR toFloat(const Vec3& v) {
    return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

bool usable(float value) {
    return std::isfinite(value) && value > 0;
}

}  // namespace

Viewer Viewer::make(Scene& scene, const Animation& animation, CameraChoice choice, int width,
                    int height, std::string& note) {
    Viewer viewer;
    viewer.kind_ = choice.kind;
    viewer.width_ = std::max(1, width);
    viewer.height_ = std::max(1, height);
    if (choice.kind == CameraKind::fixed) return viewer;
    viewer.bounds_ = posedSceneBounds(scene, animation);
    if (viewer.bounds_.radius <= 0 || !std::isfinite(viewer.bounds_.radius))
        viewer.bounds_.radius = 1;

    if (choice.kind == CameraKind::scene) {
        const auto count = static_cast<int>(scene.cameras.size());
        if (choice.sceneCamera >= 0 && choice.sceneCamera < count &&
            !scene.cameras[static_cast<std::size_t>(choice.sceneCamera)].nodeTms.empty()) {
            const CameraObject& camera =
                scene.cameras[static_cast<std::size_t>(choice.sceneCamera)];
            viewer.camera_ = choice.sceneCamera;
            viewer.fov_ = camera.fov;
            viewer.nearClip_ = camera.nearClip;
            viewer.farClip_ = camera.farClip;
            viewer.nodes_ = buildNodeTree(scene);
            return viewer;
        }
        note = count == 0
                   ? "the scene has no camera: showing it with --camera fit"
                   : "the scene has no camera " + std::to_string(choice.sceneCamera) + " (it has " +
                         std::to_string(count) + ", counted from 0): showing it with --camera fit";
        viewer.kind_ = CameraKind::fit;
    }
    // From the front (figures face -Y), a little to the side and above: along (1, -2, 1).
    viewer.azimuth_ = std::atan2(-2.0, 1.0);
    viewer.elevation_ = std::asin(1.0 / std::sqrt(6.0));
    const double tanHalfWidth = kFitTanHalfHeight * viewer.width_ / viewer.height_;
    const double tanHalf = std::min(tanHalfWidth, kFitTanHalfHeight);
    viewer.distance_ = kFitMargin * viewer.bounds_.radius / std::sin(std::atan(tanHalf));
    return viewer;
}

CameraView Viewer::frameView(int frame) {
    return kind_ == CameraKind::scene ? sceneCameraView(frame) : fitView();
}

void Viewer::orbit(double dxPixels, double dyPixels) {
    constexpr double kRadiansPerPixel = 0.01;
    constexpr double kHighest = 1.5;  // just short of straight above or below
    azimuth_ -= dxPixels * kRadiansPerPixel;
    elevation_ = std::clamp(elevation_ + dyPixels * kRadiansPerPixel, -kHighest, kHighest);
}

void Viewer::zoom(double steps) {
    distance_ =
        std::clamp(distance_ * std::pow(0.9, steps), 0.05 * bounds_.radius, 100.0 * bounds_.radius);
}

void Viewer::boundsPlanes(const Vec3& eye, double& nearPlane, double& farPlane) const {
    const double reach = kPlaneSlack * bounds_.radius;
    const double toCentre = length(bounds_.centre - eye);
    farPlane = toCentre + reach;
    nearPlane = std::max(toCentre - reach, kNearFraction * farPlane);
}

CameraView Viewer::fitView() const {
    const Vec3 direction{std::cos(elevation_) * std::cos(azimuth_),
                         std::cos(elevation_) * std::sin(azimuth_), std::sin(elevation_)};
    CameraPose pose{bounds_.centre + distance_ * direction, -1.0 * direction, Vec3{0, 0, 1}};
    double nearPlane = 0, farPlane = 0;
    boundsPlanes(pose.eye, nearPlane, farPlane);
    return finish(pose, kFitTanHalfHeight * width_ / height_, nearPlane, farPlane);
}

// A target camera looks at its target node; a free one along its local -Z. Its local +Y is up.
CameraView Viewer::sceneCameraView(int frame) {
    evaluateNodes(nodes_, tickOfFrame(nodes_, frame), world_, atRest_);
    const auto c = static_cast<std::size_t>(camera_);
    const Affine& camera = world_[static_cast<std::size_t>(nodes_.cameraNode[c])];
    CameraPose pose{camera.translation, -1.0 * column(camera, 2), column(camera, 1)};
    if (const int target = nodes_.cameraTargetNode[c]; target >= 0) {
        const Vec3 toTarget = world_[static_cast<std::size_t>(target)].translation - pose.eye;
        if (length(toTarget) > 0) pose.forward = toTarget;
    }
    const double fov = fov_ > 0 && fov_ < kPi ? fov_ : kDefaultFov;
    double nearPlane = 0, farPlane = 0;
    boundsPlanes(pose.eye, nearPlane, farPlane);
    if (usable(nearClip_)) nearPlane = nearClip_;
    if (usable(farClip_) && farClip_ > nearPlane) farPlane = farClip_;
    return finish(pose, std::tan(fov / 2), nearPlane, farPlane);
}

CameraView Viewer::finish(const CameraPose& pose, double tanHalfWidth, double nearPlane,
                          double farPlane) const {
    const CameraAxes axes = axesOf(pose);
    CameraView view;
    view.view = viewMatrix(pose);
    view.projection = squareProjection(tanHalfWidth, width_, height_, nearPlane, farPlane);
    // From over the viewer's shoulder: behind the eye, above it and a little to its right.
    view.towardLight = toFloat(-1.0 * axes.forward + 0.7 * axes.up + 0.35 * axes.right);
    return view;
}
