// The software display drawing on several threads: whatever reads or writes pixels between the
// draws (a lock, a blit, a fill, text, a change to a texture in use, the flip) sees and leaves
// exactly what it sees and leaves when every triangle is drawn at once on one thread.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/platform/frame_path.h"
#include "tests/raster/raster_scenes.h"

namespace {

using Pixels = SurfacePixels;

// Everything one frame leaves to be compared.
struct Seen {
    Pixels lockedMidScene, blittedMidScene, presented;
};

// A display whose frame draws three objects with their own materials and textures, and between
// them locks the target, copies it elsewhere and repaints the texture the first object used.
class Scene {
  public:
    explicit Scene(int threads) {
        EXPECT_TRUE(path.bringUp(200, 150, threads));
        EXPECT_TRUE(paint(path.backdrop, 3));
        side = path.offscreen(path.display.screenWidth, path.display.screenHeight);
        for (int i = 0; i < 2; ++i) {
            textureSurfaces[i] = path.offscreen(32, 32);
            EXPECT_TRUE(paint(textureSurfaces[i], 5 + i));
            textureSurfaces[i]->QueryInterface(IID_IDirect3DTexture2,
                                               reinterpret_cast<void**>(&textures[i]));
        }
        // Thousands of triangles (spread over the threads), a floor reaching behind the camera
        // (clipped), and a ball in front of both.
        objects.push_back({rastertest::torus({0, 0, 0}, 110, 30, 64, 32),
                           testMaterial(1, 0.8f, 0.6f, true), textures[0]});
        const rastertest::Mesh floor = rastertest::ground(-40);
        objects.push_back({floor, testMaterial(0.4f, 0.9f, 0.5f, false), textures[1]});
        objects.push_back({rastertest::sphere({60, 60, 60}, 70, 24, 12),
                           testMaterial(0.3f, 0.5f, 1, true), nullptr});
    }
    ~Scene() {
        for (int i = 0; i < 2; ++i) {
            releaseAndClear(textures[i]);
            releaseAndClear(textureSurfaces[i]);
        }
        releaseAndClear(side);
    }

    Seen frame() {
        DisplayObjects& d = path.display;
        Seen seen;
        path.begin();
        draw(objects[0]);
        seen.lockedMidScene = copyOf(d.renderTarget);
        EXPECT_TRUE(paint(textureSurfaces[0], 9));  // the torus drawn above keeps the old texels
        draw(objects[1]);
        side->Blt(nullptr, d.renderTarget, nullptr, DDBLT_WAIT, nullptr);
        seen.blittedMidScene = copyOf(side);
        D3DRECT corner{0, 0, 40, 30};
        d.viewport->Clear2(1, &corner, D3DCLEAR_ZBUFFER, 0, 0.5f, 0);
        objects[2].texture = textures[0];
        draw(objects[2]);
        d.device->EndScene();
        path.present("42");
        seen.presented = path.shown();
        return seen;
    }

  private:
    void draw(FramePath::Object& object) {
        path.display.sceneMaterial->SetMaterial(&object.material);
        path.display.device->SetTexture(0, object.texture);
        path.display.device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX,
                                           object.vertices.data(),
                                           static_cast<DWORD>(object.vertices.size()), 0);
    }

  public:
    FramePath path;
    IDirectDrawSurface4* side = nullptr;
    IDirectDrawSurface4* textureSurfaces[2] = {};
    IDirect3DTexture2* textures[2] = {};
    std::vector<FramePath::Object> objects;
};

TEST(ThreadedDisplay, EveryReaderOfPixelsSeesWhatOneThreadWouldHaveDrawn) {
    Scene one(1);
    const std::vector<Seen> expected = {one.frame(), one.frame()};
    ASSERT_FALSE(expected[0].lockedMidScene.empty());
    ASSERT_NE(expected[0].lockedMidScene, expected[0].blittedMidScene) << "the floor should show";
    ASSERT_NE(expected[0].presented, expected[1].presented) << "the repainted texture should show";
    for (int threads : {2, 3, 8}) {
        Scene many(threads);
        for (const Seen& want : expected) {
            const Seen seen = many.frame();
            EXPECT_TRUE(seen.lockedMidScene == want.lockedMidScene) << threads;
            EXPECT_TRUE(seen.blittedMidScene == want.blittedMidScene) << threads;
            EXPECT_TRUE(seen.presented == want.presented) << threads;
        }
    }
}

}  // namespace
