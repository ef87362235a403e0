#include "shell/frame_driver.h"

#include <cstdio>
#include <cstring>

#include "anim/draw.h"
#include "display/device_setup.h"
#include "platform/clock.h"
#include "prep/math.h"

namespace {

constexpr DWORD kFpsPeriodMs = 1000;
constexpr int kFpsTextX = 10;
constexpr int kFpsTextY = 10;

// The fixed camera renews the original view every frame; the fit and scene cameras set their
// view, projection and light for the frame.
void setViewTransform(DisplayObjects& display, Viewer& viewer, int frame) {
    if (viewer.kind() == CameraKind::fixed) {
        D3DMATRIX view;
        std::memset(&view, 0, sizeof view);
        buildViewMatrix(view, display.eyePoint, display.lookAtPoint, display.upVector);
        display.device->SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
        return;
    }
    CameraView view = viewer.frameView(frame);
    display.device->SetTransform(D3DTRANSFORMSTATE_VIEW, &view.view);
    display.device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &view.projection);
    aimSceneLight(display, view.towardLight);
}

void clearViewport(DisplayObjects& display, D3DCOLOR colour) {
    D3DRECT whole{0, 0, display.screenWidth, display.screenHeight};
    display.viewport->Clear2(1, &whole, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0);
}

DrawTargets drawTargetsOf(DisplayObjects& display, const AuthoredDrawing& authored) {
    return {display.device, display.sceneMaterial, display.textures[0],
            authored.materials != nullptr ? &authored : nullptr};
}

}  // namespace

int nextFrameNumber(int frameCounter, std::uint16_t lastFrame) {
    const int next = frameCounter + 1;
    return next > static_cast<int>(lastFrame) ? 0 : next;
}

int renderFrame(FrameWorld& world) {
    DisplayObjects& display = world.display;
    setViewTransform(display, world.viewer, world.frame.frameCounter);
    clearViewport(display, world.frame.clearColour);
    display.device->BeginScene();
    // A missing backdrop (no file) fails this blit and leaves the cleared black.
    display.renderTarget->Blt(nullptr, display.backgroundSurface, nullptr, DDBLT_WAIT, nullptr);
    display.device->SetTexture(0, display.textures[0]);
    animateAndDrawObjects(world.scene, world.animation, world.frame.frameCounter, world.pose,
                          drawTargetsOf(display, world.authored));
    display.device->EndScene();
    display.backBuffer->BltFast(0, 0, display.renderTarget, nullptr,
                                DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT);
    drawFrameRate(world.frame, display.backBuffer);
    display.primarySurface->Flip(nullptr, DDFLIP_WAIT);
    if (!world.frame.paused) {
        world.frame.frameCounter =
            nextFrameNumber(world.frame.frameCounter, world.scene.sceneInfo.lastFrame);
    }
    return 1;
}

void drawFrameRate(FrameState& frame, IDirectDrawSurface4* surface) {
    const DWORD now = timeGetTime();
    ++frame.fpsFrames;
    // The first frame always renews the text: this clock counts from the program's start, so
    // "more than 1000 ms since 0" would leave the corner empty for the first second. The
    // unsigned difference makes the clock's wrap-around harmless.
    const bool neverRenewed = frame.fpsText[0] == '\0';
    if (neverRenewed || now - frame.fpsLastUpdate > kFpsPeriodMs) {
        frame.fpsLastUpdate = now;
        std::snprintf(frame.fpsText, sizeof frame.fpsText, "%d", frame.fpsFrames);
        frame.fpsFrames = 0;
    }
    HDC dc = nullptr;
    if (FAILED(surface->GetDC(&dc))) return;
    TextOutA(dc, kFpsTextX, kFpsTextY, frame.fpsText,
             static_cast<int>(::strnlen(frame.fpsText, sizeof frame.fpsText)));
    surface->ReleaseDC(dc);
}
