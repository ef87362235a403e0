#include "anim/draw.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "prep/hierarchy.h"
#include "tests/prep/scene_builder.h"

namespace {

using testscene::addObject;
using testscene::setRestTriangle;

// A device and material that log the drawing calls and keep what DrawPrimitive was given.
class RecordingDevice : public IDirect3DDevice3, public IDirect3DMaterial3 {
  public:
    struct Draw {
        D3DPRIMITIVETYPE type;
        DWORD format;
        std::vector<D3DVERTEX> vertices;
        DWORD flags;
    };
    std::vector<std::string> calls;
    std::vector<D3DMATERIAL> materials;
    std::vector<Draw> draws;
    std::vector<IDirect3DTexture2*> textures;

    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }

    HRESULT SetMaterial(D3DMATERIAL* material) override {
        calls.push_back("SetMaterial");
        materials.push_back(*material);
        return D3D_OK;
    }
    HRESULT GetHandle(IDirect3DDevice3*, D3DMATERIALHANDLE*) override { return D3D_OK; }

    HRESULT SetTexture(DWORD stage, IDirect3DTexture2* texture) override {
        calls.push_back("SetTexture(" + std::to_string(stage) + ")");
        textures.push_back(texture);
        return D3D_OK;
    }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD format, void* vertices, DWORD count,
                          DWORD flags) override {
        calls.push_back("DrawPrimitive(" + std::to_string(count) + ")");
        const auto* first = static_cast<const D3DVERTEX*>(vertices);
        draws.push_back({type, format, std::vector<D3DVERTEX>(first, first + count), flags});
        return D3D_OK;
    }

    HRESULT AddViewport(IDirect3DViewport3*) override { return unexpected("AddViewport"); }
    HRESULT SetCurrentViewport(IDirect3DViewport3*) override { return unexpected("Viewport"); }
    HRESULT GetDirect3D(IDirect3D3**) override { return unexpected("GetDirect3D"); }
    HRESULT SetLightState(D3DLIGHTSTATETYPE, DWORD) override { return unexpected("LightState"); }
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return unexpected("RenderState"); }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override {
        return unexpected("SetTransform");
    }
    HRESULT BeginScene() override { return unexpected("BeginScene"); }
    HRESULT EndScene() override { return unexpected("EndScene"); }
    HRESULT GetCaps(D3DDEVICEDESC*, D3DDEVICEDESC*) override { return unexpected("GetCaps"); }
    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK, void*) override {
        return unexpected("EnumTextureFormats");
    }

    DrawTargets targets(IDirect3DTexture2* texture) {
        return {static_cast<IDirect3DDevice3*>(this), static_cast<IDirect3DMaterial3*>(this),
                texture};
    }

  private:
    HRESULT unexpected(const std::string& name) {
        calls.push_back("unexpected " + name);
        return E_FAIL;
    }
};

IDirect3DTexture2* const kTexture = reinterpret_cast<IDirect3DTexture2*>(0x1234);

// Object i: one rest triangle at x = 10 i, material colours (i, 0, 0), pivot (10 i, 0, 0).
Scene sceneOf(const std::vector<std::pair<std::string, std::string>>& objects) {
    Scene scene;
    for (const auto& [name, parent] : objects) {
        const int i = addObject(scene, name, parent);
        scene.geomObjects[i].faceCount = 1;
        DrawObject& draw = scene.drawObjects[i];
        draw.material.diffuse.r = static_cast<float>(i + 1);
        draw.basePivot = D3DVECTOR(i * 10.0f, 0, 0);
        setRestTriangle(draw, D3DVECTOR(i * 10.0f + 1, 0, 0), D3DVECTOR(i * 10.0f, 1, 0),
                        D3DVECTOR(i * 10.0f, 0, 1));
    }
    linkHierarchy(scene);
    return scene;
}

TEST(DrawingPass, EachObjectGetsMaterialTextureAndOneTriangleListInIndexOrder) {
    Scene scene = sceneOf({{"\"A\"", "*NONEPARENT"}, {"\"B\"", "\"A\""}, {"\"C\"", "*NONEPARENT"}});
    RecordingDevice device;
    PoseWork work;
    animateAndDrawObjects(scene, Animation{}, 0, work, device.targets(kTexture));

    const std::vector<std::string> perObject{"SetMaterial", "SetTexture(0)", "DrawPrimitive(3)"};
    std::vector<std::string> expected;
    for (int i = 0; i < 3; ++i) expected.insert(expected.end(), perObject.begin(), perObject.end());
    EXPECT_EQ(device.calls, expected);
    ASSERT_EQ(device.draws.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(device.materials[i].diffuse.r, static_cast<float>(i + 1));
        EXPECT_EQ(device.textures[i], kTexture);
        EXPECT_EQ(device.draws[i].type, D3DPT_TRIANGLELIST);
        EXPECT_EQ(device.draws[i].format, 0x112u);
        EXPECT_EQ(device.draws[i].flags, 0u);
        EXPECT_EQ(device.draws[i].vertices[0].x, i * 10.0f + 1);
    }
}

TEST(DrawingPass, DrawsThePosedCopyNotTheRestPose) {
    Scene scene = sceneOf({{"\"P\"", "*NONEPARENT"}, {"\"C\"", "\"P\""}, {"\"O\"", "*NONEPARENT"}});
    scene.drawObjects[0].trackKinds = kTrackPosition;
    scene.drawObjects[0].posFrames = {D3DVECTOR(0, 0, 0), D3DVECTOR(1, 0, 0)};
    RecordingDevice device;
    PoseWork work;
    animateAndDrawObjects(scene, Animation{}, 1, work, device.targets(kTexture));
    ASSERT_EQ(device.draws.size(), 3u);
    EXPECT_EQ(device.draws[0].vertices[0].x, 2.0f);   // moved itself
    EXPECT_EQ(device.draws[1].vertices[0].x, 12.0f);  // carried its child
    EXPECT_EQ(device.draws[2].vertices[0].x, 21.0f);  // left the other alone
    EXPECT_EQ(scene.drawObjects[0].vertices[0].x, 1.0f);
}

TEST(DrawingPass, EmptySceneMakesNoCall) {
    Scene scene;
    RecordingDevice device;
    PoseWork work;
    animateAndDrawObjects(scene, Animation{}, 0, work, device.targets(kTexture));
    EXPECT_TRUE(device.calls.empty());
}

TEST(DrawingPass, ObjectWithoutFacesIsDrawnWithZeroVertices) {
    Scene scene = sceneOf({{"\"A\"", "*NONEPARENT"}});
    scene.geomObjects[0].faceCount = 0;
    scene.drawObjects[0].vertices.clear();
    RecordingDevice device;
    PoseWork work;
    animateAndDrawObjects(scene, Animation{}, 0, work, device.targets(nullptr));
    EXPECT_EQ(device.calls,
              (std::vector<std::string>{"SetMaterial", "SetTexture(0)", "DrawPrimitive(0)"}));
}

// A face count larger than the triangle list must not send the device past the working copy.
TEST(DrawingPass, VertexCountIsBoundedByTheTriangleList) {
    Scene scene = sceneOf({{"\"A\"", "*NONEPARENT"}});
    scene.geomObjects[0].faceCount = 5;
    RecordingDevice device;
    PoseWork work;
    animateAndDrawObjects(scene, Animation{}, 0, work, device.targets(kTexture));
    ASSERT_EQ(device.draws.size(), 1u);
    EXPECT_EQ(device.draws[0].vertices.size(), 3u);
}

}  // namespace
