#include "shell/view_check.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr double kSmallestShare = 0.001;
constexpr std::uint16_t kClearedDepth = 0xFFFF;

}  // namespace

double coveredShareOfFrame(DisplayObjects& display) {
    if (display.zBuffer == nullptr) return -1;
    DDSURFACEDESC2 desc = emptySurfaceDesc();
    if (FAILED(display.zBuffer->Lock(nullptr, &desc, DDLOCK_SURFACEMEMORYPTR, nullptr))) return -1;
    long long covered = 0;
    const auto* base = static_cast<const std::uint8_t*>(desc.lpSurface);
    for (DWORD y = 0; base != nullptr && y < desc.dwHeight; ++y) {
        const auto* row = reinterpret_cast<const std::uint16_t*>(
            base + static_cast<std::ptrdiff_t>(y) * desc.lPitch);
        for (DWORD x = 0; x < desc.dwWidth; ++x) covered += row[x] != kClearedDepth;
    }
    display.zBuffer->Unlock(nullptr);
    const double pixels = static_cast<double>(desc.dwWidth) * desc.dwHeight;
    return pixels > 0 ? static_cast<double>(covered) / pixels : -1;
}

void warnIfSceneOutOfView(FrameWorld& world) {
    if (world.viewer.kind() != CameraKind::fixed || world.scene.objectCount == 0) return;
    const double share = coveredShareOfFrame(world.display);
    if (share < 0 || share >= kSmallestShare) return;
    std::fprintf(stderr,
                 share == 0
                     ? "aseplay: no object of the scene is in view of the fixed camera at the "
                       "first frame (try --camera fit, or --authored)\n"
                     : "aseplay: the scene covers less than a thousandth of the frame with the "
                       "fixed camera (try --camera fit, or --authored)\n");
}
