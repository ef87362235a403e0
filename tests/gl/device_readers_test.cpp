// The OpenGL device within a frame: whatever reads or writes the render target between draws (a
// lock, a blit from it, a partial clear, text through its device context, a repainted texture,
// the flip) sees and leaves what it sees and leaves with the software device. The frame draws as
// the cameras and authored materials do: culling set to clockwise, view, projection and light set
// every frame, several draws per object each after SetMaterial and SetTexture with textures of any
// size or none.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/gl/gl_device.h"
#include "tests/gl/test_context.h"
#include "tests/platform/frame_path.h"
#include "tests/raster/raster_scenes.h"

namespace {

using Pixels = SurfacePixels;

// A run of one material within an object's triangle list.
struct Run {
    std::size_t first, count;
    D3DMATERIAL material;
    int texture;  // index into the scene's textures; -1: none
};

struct Object {
    std::vector<D3DVERTEX> vertices;
    std::vector<Run> runs;
};

// Everything one frame leaves to be compared.
struct Seen {
    Pixels lockedMidScene, blittedMidScene, clearedMidScene, zBuffer, presented;
};

class Scene {
  public:
    explicit Scene(HardwareDeviceMaker* hardware) {
        EXPECT_TRUE(path.bringUp(200, 150, 1, hardware));
        EXPECT_TRUE(paint(path.backdrop, 3));
        side = path.offscreen(path.display.screenWidth, path.display.screenHeight);
        const int sizes[3][2] = {{37, 23}, {64, 64}, {5, 300}};
        for (int i = 0; i < 3; ++i) {
            textureSurfaces[i] = path.offscreen(sizes[i][0], sizes[i][1]);
            EXPECT_TRUE(paint(textureSurfaces[i], 5 + i));
            textureSurfaces[i]->QueryInterface(IID_IDirect3DTexture2,
                                               reinterpret_cast<void**>(&textures[i]));
        }
        Object torus{rastertest::torus({0, 0, 0}, 110, 30, 48, 24), {}};
        const std::size_t third = torus.vertices.size() / 9 * 3;
        torus.runs = {
            {0, third, testMaterial(1, 0.8f, 0.6f, true), 0},
            {third, third, testMaterial(0.3f, 1, 0.5f, false), -1},
            {2 * third, torus.vertices.size() - 2 * third, testMaterial(1, 1, 1, true), 2}};
        objects.push_back(torus);
        const rastertest::Mesh floor = rastertest::ground(-40);
        objects.push_back({floor, {{0, floor.size(), testMaterial(0.4f, 0.9f, 0.5f, false), 1}}});
        Object ball{rastertest::sphere({60, 60, 60}, 70, 24, 12), {}};
        ball.runs = {{0, ball.vertices.size(), testMaterial(0.3f, 0.5f, 1, true), 0}};
        objects.push_back(ball);
    }
    ~Scene() {
        for (int i = 0; i < 3; ++i) {
            releaseAndClear(textures[i]);
            releaseAndClear(textureSurfaces[i]);
        }
        releaseAndClear(side);
    }

    // One frame; `turn` moves the camera and the light.
    Seen frame(int turn) {
        DisplayObjects& d = path.display;
        Seen seen;
        setCameraAndLight(turn);
        path.begin();
        draw(objects[0]);
        seen.lockedMidScene = copyOf(d.renderTarget);
        EXPECT_TRUE(
            paint(textureSurfaces[0], 9 + turn));  // the torus drawn above keeps the old texels
        d.device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
        draw(objects[1]);
        side->Blt(nullptr, d.renderTarget, nullptr, DDBLT_WAIT, nullptr);
        seen.blittedMidScene = copyOf(side);
        D3DRECT corner{0, 0, 90, 70};
        d.viewport->Clear2(1, &corner, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00336699, 0.5f, 0);
        seen.clearedMidScene = copyOf(d.renderTarget);
        d.device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CW);
        draw(objects[2]);
        d.device->EndScene();
        seen.zBuffer = copyOf(d.zBuffer);
        path.present("42");
        seen.presented = path.shown();
        return seen;
    }

  private:
    void setCameraAndLight(int turn) {
        DisplayObjects& d = path.display;
        const float eye = 300.0f - 40.0f * static_cast<float>(turn);
        D3DMATRIX view = rastertest::lookAtMatrix({eye, 300, 300 + 30.0f * turn}, {0, 0, 0});
        D3DMATRIX projection = rastertest::programProjection();
        projection._11 = 2.0f + 0.25f * static_cast<float>(turn);
        d.device->SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
        d.device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
        D3DLIGHT light{};
        light.dwSize = kD3DLightSize;
        light.dltType = D3DLIGHT_PARALLELPOINT;
        light.dcvColor = {1, 1, 1, 0};
        light.dvPosition = {static_cast<float>(turn) - 1, 2, 1};
        d.sceneLight->SetLight(&light);
    }
    void draw(Object& object) {
        for (Run& run : object.runs) {
            path.display.sceneMaterial->SetMaterial(&run.material);
            path.display.device->SetTexture(0, run.texture >= 0 ? textures[run.texture] : nullptr);
            path.display.device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX,
                                               object.vertices.data() + run.first,
                                               static_cast<DWORD>(run.count), 0);
        }
    }

  public:
    FramePath path;
    IDirectDrawSurface4* side = nullptr;
    IDirectDrawSurface4* textureSurfaces[3] = {};
    IDirect3DTexture2* textures[3] = {};
    std::vector<Object> objects;
};

bool withinOneStep(std::uint16_t a, std::uint16_t b) {
    const auto near = [](int x, int y) { return x - y <= 1 && y - x <= 1; };
    return near(a >> 11, b >> 11) && near(a >> 5 & 63, b >> 5 & 63) && near(a & 31, b & 31);
}

void expectAgreement(const Pixels& software, const Pixels& hardware, const char* what) {
    ASSERT_EQ(software.size(), hardware.size()) << what;
    ASSERT_FALSE(software.empty()) << what;
    std::size_t near = 0, same = 0;
    for (std::size_t i = 0; i < software.size(); ++i) {
        near += withinOneStep(software[i], hardware[i]);
        same += software[i] == hardware[i];
    }
    const double n = static_cast<double>(software.size());
    EXPECT_GE(static_cast<double>(near) / n, 0.99) << what;
    EXPECT_GE(static_cast<double>(same) / n, 0.95) << what;
}

TEST(DeviceReaders, EveryReaderOfPixelsSeesWhatTheSoftwareDeviceLeaves) {
    std::string why;
    GlDeviceMaker maker(gltest::testContext(why));
    Scene software(nullptr);
    Scene hardware(&maker);
    ASSERT_EQ(maker.devicesMade(), 1) << maker.lastError();
    for (int turn = 0; turn < 3; ++turn) {
        const Seen want = software.frame(turn);
        const Seen seen = hardware.frame(turn);
        ASSERT_NE(want.lockedMidScene, want.blittedMidScene) << "the floor should show";
        ASSERT_NE(want.blittedMidScene, want.clearedMidScene) << "the clear should show";
        expectAgreement(want.lockedMidScene, seen.lockedMidScene, "locked mid-scene");
        expectAgreement(want.blittedMidScene, seen.blittedMidScene, "blitted mid-scene");
        expectAgreement(want.clearedMidScene, seen.clearedMidScene, "cleared mid-scene");
        expectAgreement(want.zBuffer, seen.zBuffer, "Z-buffer");
        expectAgreement(want.presented, seen.presented, "presented");
    }
}

}  // namespace
