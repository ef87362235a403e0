// The scene records: everything the scene file holds, as read, plus one drawing record per
// geometry object that scene preparation fills. One Scene instance holds the whole scene, so that
// each test can build a fresh one.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/d3dtypes.h"

// One whitespace-free token of the scene file, quotes included, in a 255-byte buffer
// (at most 254 characters and a terminating zero).
struct AseText {
    static constexpr std::size_t kCapacity = 255;
    char chars[kCapacity];

    std::string_view view() const { return std::string_view(chars, ::strnlen(chars, kCapacity)); }
    bool operator==(std::string_view other) const { return view() == other; }
    bool operator==(const AseText& other) const { return view() == other.view(); }
    void assign(std::string_view text) {
        const std::size_t n = text.size() < kCapacity - 1 ? text.size() : kCapacity - 1;
        std::memcpy(chars, text.data(), n);
        std::memset(chars + n, 0, kCapacity - n);
    }
};

struct SceneInfo {
    std::int16_t version;
    AseText comment;
    AseText sceneFileName;
    std::uint16_t firstFrame;
    std::uint16_t lastFrame;
    std::int16_t frameSpeed;
    std::uint16_t ticksPerFrame;
    D3DVECTOR backgroundColor;
    D3DVECTOR ambientColor;
};

struct DiffuseMap {
    AseText name;
    AseText className;
    std::int16_t subNo;
    float amount;
    AseText bitmap;
    AseText mapType;
    float uOffset, vOffset, uTiling, vTiling, angle, blur, blurOffset, noiseAmount, noiseSize;
    std::int16_t noiseLevel;
    float noisePhase;
    AseText bitmapFilter;
};

struct AseMaterial {
    std::int16_t index;
    AseText name;
    AseText className;
    D3DVECTOR ambient;
    D3DVECTOR diffuse;
    D3DVECTOR specular;
    float shine;
    float shineStrength;
    float transparency;
    float wireSize;
    AseText shading;
    float xpFalloff;
    float selfIllum;
    AseText falloff;
    float soften;
    AseText xpType;
    bool hasDiffuseMap;  // diffuseMap is filled only when the material has one
    DiffuseMap diffuseMap;
    std::int16_t subMaterialCount;          // from *NUMSUBMTLS
    std::vector<AseMaterial> subMaterials;  // one per *SUBMATERIAL block, in file order
};

struct NodeTransform {
    AseText name;
    std::int16_t inheritPos[3];
    std::int16_t inheritRot[3];
    std::int16_t inheritScale[3];
    D3DVECTOR row0, row1, row2, row3;
    D3DVECTOR tmPos;
    D3DVECTOR rotAxis;
    float rotAngle;
    D3DVECTOR scale;
    D3DVECTOR scaleAxis;
    float scaleAxisAngle;
};

struct MeshFace {
    std::uint16_t a, b, c;
    std::int16_t ab, bc, ca;
    std::uint16_t materialId;  // *MESH_MTLID on the face's line: which sub-material it wears
};

struct TexVertex {
    std::int16_t index;
    float u, v, w;
};

struct TexFace {
    std::int16_t index;
    std::uint16_t a, b, c;
};

struct FaceNormal {
    std::int16_t faceIndex;
    float x, y, z;
};

struct VertexNormal {
    std::int16_t vertexIndex;
    float x, y, z;
};

// Bezier and TCB key lines fill the same records; the meaning of the floats depends on the track.
struct PosKey {
    std::int32_t time;
    float values[9];
    std::int16_t flags;
};

struct RotKey {
    std::int32_t time;
    float values[9];
};

struct ScaleKey {
    std::int32_t time;
    float values[13];
    std::int16_t flags;
};

struct TrackSample {
    std::int32_t time;
    float x, y, z;
};

// One line of a sampled track of a geometry object: its time and every value the line gives
// (position x y z; rotation axis x y z and angle; scale x y z, axis x y z and angle), the rest 0.
struct SampleKey {
    std::int32_t time;
    float values[7];
};

// How the keys of a track lie between them: straight lines, a curve through tangents given on each
// key line, or a Kochanek-Bartels spline through tension, continuity and bias.
enum class KeyStyle : std::uint8_t { none, linear, bezier, tcb };

// One node's animation block as the file gives it, for the node evaluation: the keys with their
// style (a later track of a kind replaces an earlier one) and every value of the sampled tracks.
struct NodeTracks {
    AseText nodeName;
    KeyStyle posStyle;
    KeyStyle rotStyle;
    KeyStyle scaleStyle;
    std::vector<PosKey> posKeys;
    std::vector<RotKey> rotKeys;
    std::vector<ScaleKey> scaleKeys;
    std::vector<SampleKey> posSamples;
    std::vector<SampleKey> rotSamples;
    std::vector<SampleKey> scaleSamples;
};

struct MeshFrame {
    std::int32_t time;
    std::uint16_t vertexCount;
    std::uint16_t faceCount;
    std::vector<D3DVECTOR> vertices;
    std::vector<MeshFace> faces;
    std::int16_t texVertexCount;
    std::int16_t colorVertexCount;
    std::vector<FaceNormal> faceNormals;
    std::vector<VertexNormal> vertexNormals;
};

struct GeomObject {
    AseText name;
    AseText parentName;
    NodeTransform nodeTm;
    std::int16_t meshTime;
    std::uint16_t vertexCount;
    std::uint16_t faceCount;
    std::vector<D3DVECTOR> vertices;
    std::vector<MeshFace> faces;
    std::uint16_t texVertexCount;
    std::uint16_t texFaceCount;
    std::vector<TexVertex> texVertices;
    std::vector<TexFace> texFaces;
    std::int16_t colorVertexCount;
    std::vector<D3DVECTOR> colorVertices;  // red, green, blue; colorVertexCount records when listed
    std::uint16_t colorFaceCount;
    std::vector<TexFace> colorFaces;  // a, b, c index colorVertices
    std::vector<FaceNormal> faceNormals;
    std::vector<VertexNormal> vertexNormals;  // three per face: 3f + k is corner k of face f
    std::int16_t motionBlur, castShadow, receiveShadow;
    AseText animNodeName;
    // The per-frame tables' keys: Bezier, TCB and linear key tracks of position, rotation
    // (TCB and linear only) and scale. Empty: no such track.
    std::vector<PosKey> posKeys;
    std::vector<RotKey> rotKeys;
    std::vector<ScaleKey> scaleKeys;
    NodeTracks tracks;  // the whole animation block, sampled tracks included
    std::int16_t materialRef;
    bool hasMaterialRef;  // the object had a *MATERIAL_REF line
    D3DVECTOR wireframeColor;
    std::vector<MeshFrame> meshFrames;
};

struct LightObject {
    AseText name;
    AseText parentName;  // "*NONEPARENT" without a parent line
    AseText lightType;
    std::vector<NodeTransform> nodeTms;
    AseText shadows;
    std::int16_t useLight;
    AseText spotShape;
    std::int16_t useGlobal, absMapBias, overshoot;
    std::int32_t time;
    D3DVECTOR color;
    float intensity;
    float aspect;
    float hotspot;
    float falloff;
    float targetDistance;
    float mapBias;
    float mapRange;
    std::int16_t mapSize;
    float rayBias;
    std::vector<NodeTracks> tracks;  // one per animation block (the light's, its target's)
};

// The five arrays hold one record per line of their track, the closing line included.
struct CameraAnimation {
    AseText nodeName;
    std::vector<PosKey> posKeys;
    std::vector<RotKey> rotKeys;
    std::vector<ScaleKey> scaleKeys;
    std::vector<TrackSample> posSamples;
    std::vector<TrackSample> rotSamples;
};

struct CameraObject {
    AseText name;
    AseText parentName;  // "*NONEPARENT" without a parent line
    AseText cameraType;
    std::vector<NodeTransform> nodeTms;
    std::int32_t time;
    float nearClip, farClip;
    float fov;
    float targetDistance;
    std::vector<CameraAnimation> animations;
    std::vector<NodeTracks> tracks;  // the animation blocks again, each track whole
};

// A node that draws nothing (a dummy, a point, a bone's end) but carries its children.
struct HelperObject {
    AseText name;
    AseText parentName;  // "*NONEPARENT" without a parent line
    AseText helperClass;
    NodeTransform nodeTm;
    NodeTracks tracks;
};

// One sample of the per-frame rotation table: angles in degrees about x, y, z; w is never read.
struct RotFrame {
    float x, y, z, w;
};

// Object numbers are 16-bit (the hierarchy lists hold them as such), so a scene holds at most this
// many geometry objects; lights and cameras share the bound, which also caps what a file of empty
// blocks can make the reader allocate.
constexpr std::size_t kMaxSceneObjects = 65535;

// Track kind bits of DrawObject::trackKinds.
constexpr std::int8_t kTrackPosition = 1;
constexpr std::int8_t kTrackRotation = 2;
constexpr std::int8_t kTrackScale = 4;

// The plain look each object takes from the material of its index: the material's diffuse and
// specular colours with a fixed glow; every look, authored ones too, has the same specular power.
constexpr float kPlainEmissive = 0.3f;
constexpr float kSpecularPower = 10.0f;

struct DrawObject {
    D3DMATERIAL material;
    D3DVECTOR pivot;
    D3DVECTOR basePivot;
    std::vector<D3DVERTEX> vertices;  // rest pose: three per face
    std::int8_t trackKinds;
    std::vector<D3DVECTOR> posFrames;
    std::vector<RotFrame> rotFrames;
    std::vector<D3DVECTOR> scaleFrames;
    std::int32_t meshFrameCount;
    std::uint16_t subtreeCount;
    std::vector<std::uint16_t> subtree;  // the object itself first, then its descendants
};

struct Scene {
    SceneInfo sceneInfo{};
    std::uint16_t materialCount = 0;
    std::vector<AseMaterial> materials;
    std::vector<GeomObject> geomObjects;
    std::vector<DrawObject> drawObjects;  // parallel to geomObjects
    std::int32_t objectCount = 0;
    std::vector<LightObject> lights;
    std::vector<CameraObject> cameras;
    std::vector<HelperObject> helpers;
};
