// The camera the frames are seen through. `fixed` is the original eye at (300, 300, 300) with the
// original projection and light, set by the device set-up and renewed by the frame driver. `fit`
// frames the whole animated scene; `scene` looks through one of the scene's own cameras, as the
// exact animation model moves it. Both keep square pixels and light the scene from over the
// viewer's shoulder.
#pragma once

#include <string>
#include <vector>

#include "anim/posing.h"
#include "platform/d3dtypes.h"
#include "view/bounds.h"
#include "view/view_math.h"

enum class CameraKind : std::uint8_t { fixed, fit, scene };

struct CameraChoice {
    CameraKind kind = CameraKind::fixed;
    int sceneCamera = 0;  // scene: which camera, counting from 0
};

// What the frame driver hands the device for one frame of the fit or scene camera.
struct CameraView {
    D3DMATRIX view;
    D3DMATRIX projection;
    D3DVECTOR towardLight;  // the direction to the parallel-point light, in world space
};

class Viewer {
  public:
    Viewer() = default;

    // Prepares the chosen camera for frames of width x height (the bounds are computed here, once).
    // A scene camera the scene lacks falls back to fit, with `note` saying so.
    static Viewer make(Scene& scene, const Animation& animation, CameraChoice choice, int width,
                       int height, std::string& note);

    CameraKind kind() const { return kind_; }
    const SceneBounds& bounds() const { return bounds_; }

    // The view of `frame`; not for the fixed camera.
    CameraView frameView(int frame);

    // Fit camera only: turn about the vertical through the centre (and up or down) by a mouse
    // movement in pixels; move closer (positive steps) or further.
    void orbit(double dxPixels, double dyPixels);
    void zoom(double steps);

  private:
    CameraView fitView() const;
    CameraView sceneCameraView(int frame);
    CameraView finish(const CameraPose& pose, double tanHalfWidth, double nearPlane,
                      double farPlane) const;
    // Near and far planes around the bounds as seen from `eye`.
    void boundsPlanes(const Vec3& eye, double& nearPlane, double& farPlane) const;

    CameraKind kind_ = CameraKind::fixed;
    int width_ = 640;
    int height_ = 480;
    SceneBounds bounds_;
    // fit
    double azimuth_ = 0;
    double elevation_ = 0;
    double distance_ = 1;
    // scene
    int camera_ = 0;
    float fov_ = 0;
    float nearClip_ = 0;
    float farClip_ = 0;
    NodeTree nodes_;
    std::vector<Affine> world_;
    std::vector<char> atRest_;
};
