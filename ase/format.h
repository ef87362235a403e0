// The blocks of the scene file, described once for both readings: the keywords of the blocks and
// lists, and for every line that fills a field of a record, its keyword and the parser of its
// value, listed in the order the exporter writes them. The positional reading walks these lists
// line by line; the reading by keywords looks each line's keyword up in its block's list.
#pragma once

#include <span>
#include <string_view>

#include "ase/fields.h"
#include "ase/records.h"

template <class Record>
struct FieldLine {
    std::string_view keyword;
    void (*parse)(Record&, const char*);
};

template <class Record, class Field>
Record recordOf(Field Record::*);

// The line of `keyword` that fills `member` with the parser of its type.
template <auto member, class Record = decltype(recordOf(member))>
constexpr FieldLine<Record> field(std::string_view keyword) {
    return {keyword, [](Record& record, const char* line) { parseField(record.*member, line); }};
}

// The line of `keyword` among a block's field lines; null when the block has none.
template <class Lines>
auto findField(const Lines& lines, std::string_view keyword) -> decltype(std::data(lines)) {
    for (const auto& line : lines) {
        if (line.keyword == keyword) return &line;
    }
    return nullptr;
}

// A list block: its keyword, the keyword of its item lines and the parser of an item.
template <class Record>
struct ListBlock {
    std::string_view keyword;
    std::string_view item;
    void (*parse)(Record&, const char*);
};

// --- keywords of blocks and of the lines that are not plain fields ---

constexpr std::string_view kSceneBlock = "*SCENE";
constexpr std::string_view kCommentLine = "*COMMENT";
constexpr std::string_view kMaterialListBlock = "*MATERIAL_LIST";
constexpr std::string_view kMaterialCountLine = "*MATERIAL_COUNT";
constexpr std::string_view kMaterialBlock = "*MATERIAL";
constexpr std::string_view kSubMaterialBlock = "*SUBMATERIAL";
constexpr std::string_view kDiffuseMapBlock = "*MAP_DIFFUSE";
constexpr std::string_view kGeomObjectBlock = "*GEOMOBJECT";
constexpr std::string_view kLightObjectBlock = "*LIGHTOBJECT";
constexpr std::string_view kCameraObjectBlock = "*CAMERAOBJECT";
constexpr std::string_view kHelperObjectBlock = "*HELPEROBJECT";
constexpr std::string_view kGroupBlock = "*GROUP";
constexpr std::string_view kNodeNameLine = "*NODE_NAME";
constexpr std::string_view kNodeParentLine = "*NODE_PARENT";
constexpr std::string_view kNoParent = "*NONEPARENT";  // the parent name of a node without one
constexpr std::string_view kNodeTmBlock = "*NODE_TM";
constexpr std::string_view kTimeLine = "*TIMEVALUE";
constexpr std::string_view kMeshBlock = "*MESH";
constexpr std::string_view kNormalsBlock = "*MESH_NORMALS";
constexpr std::string_view kFaceNormalLine = "*MESH_FACENORMAL";
constexpr std::string_view kVertexNormalLine = "*MESH_VERTEXNORMAL";
constexpr std::string_view kAnimationBlock = "*TM_ANIMATION";
constexpr std::string_view kMeshAnimationBlock = "*MESH_ANIMATION";
constexpr std::string_view kLightSettingsBlock = "*LIGHT_SETTINGS";
constexpr std::string_view kCameraSettingsBlock = "*CAMERA_SETTINGS";

// --- field lines, in the exporter's order ---

inline constexpr FieldLine<SceneInfo> kSceneLines[] = {
    field<&SceneInfo::sceneFileName>("*SCENE_FILENAME"),
    field<&SceneInfo::firstFrame>("*SCENE_FIRSTFRAME"),
    field<&SceneInfo::lastFrame>("*SCENE_LASTFRAME"),
    field<&SceneInfo::frameSpeed>("*SCENE_FRAMESPEED"),
    field<&SceneInfo::ticksPerFrame>("*SCENE_TICKSPERFRAME"),
    field<&SceneInfo::backgroundColor>("*SCENE_BACKGROUND_STATIC"),
    field<&SceneInfo::ambientColor>("*SCENE_AMBIENT_STATIC"),
};

// After the opening line (which gives the index): thirteen lines, then soften and type, either of
// which an exporter may leave out; then the diffuse map. The sub-material count lies beyond the
// layout.
inline constexpr FieldLine<AseMaterial> kMaterialLines[] = {
    field<&AseMaterial::name>("*MATERIAL_NAME"),
    field<&AseMaterial::className>("*MATERIAL_CLASS"),
    field<&AseMaterial::ambient>("*MATERIAL_AMBIENT"),
    field<&AseMaterial::diffuse>("*MATERIAL_DIFFUSE"),
    field<&AseMaterial::specular>("*MATERIAL_SPECULAR"),
    field<&AseMaterial::shine>("*MATERIAL_SHINE"),
    field<&AseMaterial::shineStrength>("*MATERIAL_SHINESTRENGTH"),
    field<&AseMaterial::transparency>("*MATERIAL_TRANSPARENCY"),
    field<&AseMaterial::wireSize>("*MATERIAL_WIRESIZE"),
    field<&AseMaterial::shading>("*MATERIAL_SHADING"),
    field<&AseMaterial::xpFalloff>("*MATERIAL_XP_FALLOFF"),
    field<&AseMaterial::selfIllum>("*MATERIAL_SELFILLUM"),
    field<&AseMaterial::falloff>("*MATERIAL_FALLOFF"),
    field<&AseMaterial::soften>("*MATERIAL_SOFTEN"),
    field<&AseMaterial::xpType>("*MATERIAL_XP_TYPE"),
    field<&AseMaterial::subMaterialCount>("*NUMSUBMTLS"),
};
constexpr std::size_t kMaterialFixedLines = 13;
constexpr std::size_t kMaterialSoften = 13, kMaterialXpType = 14, kMaterialSubCount = 15;
constexpr std::size_t kMaterialDiffuse = 3, kMaterialSpecular = 4;

inline constexpr FieldLine<DiffuseMap> kMapLines[] = {
    field<&DiffuseMap::name>("*MAP_NAME"),
    field<&DiffuseMap::className>("*MAP_CLASS"),
    field<&DiffuseMap::subNo>("*MAP_SUBNO"),
    field<&DiffuseMap::amount>("*MAP_AMOUNT"),
    field<&DiffuseMap::bitmap>("*BITMAP"),
    field<&DiffuseMap::mapType>("*MAP_TYPE"),
    field<&DiffuseMap::uOffset>("*UVW_U_OFFSET"),
    field<&DiffuseMap::vOffset>("*UVW_V_OFFSET"),
    field<&DiffuseMap::uTiling>("*UVW_U_TILING"),
    field<&DiffuseMap::vTiling>("*UVW_V_TILING"),
    field<&DiffuseMap::angle>("*UVW_ANGLE"),
    field<&DiffuseMap::blur>("*UVW_BLUR"),
    field<&DiffuseMap::blurOffset>("*UVW_BLUR_OFFSET"),
    field<&DiffuseMap::noiseAmount>("*UVW_NOUSE_AMT"),
    field<&DiffuseMap::noiseSize>("*UVW_NOISE_SIZE"),
    field<&DiffuseMap::noiseLevel>("*UVW_NOISE_LEVEL"),
    field<&DiffuseMap::noisePhase>("*UVW_NOISE_PHASE"),
    field<&DiffuseMap::bitmapFilter>("*BITMAP_FILTER"),
};

inline constexpr FieldLine<NodeTransform> kTransformLines[] = {
    field<&NodeTransform::name>(kNodeNameLine),
    field<&NodeTransform::inheritPos>("*INHERIT_POS"),
    field<&NodeTransform::inheritRot>("*INHERIT_ROT"),
    field<&NodeTransform::inheritScale>("*INHERIT_SCL"),
    field<&NodeTransform::row0>("*TM_ROW0"),
    field<&NodeTransform::row1>("*TM_ROW1"),
    field<&NodeTransform::row2>("*TM_ROW2"),
    field<&NodeTransform::row3>("*TM_ROW3"),
    field<&NodeTransform::tmPos>("*TM_POS"),
    field<&NodeTransform::rotAxis>("*TM_ROTAXIS"),
    field<&NodeTransform::rotAngle>("*TM_ROTANGLE"),
    field<&NodeTransform::scale>("*TM_SCALE"),
    field<&NodeTransform::scaleAxis>("*TM_SCALEAXIS"),
    field<&NodeTransform::scaleAxisAngle>("*TM_SCALEAXISANG"),
};

inline void parseMaterialRef(GeomObject& object, const char* line) {
    object.hasMaterialRef = true;
    parseShort(object.materialRef, line);
}

// The name; the parent, when there is one; then the node transform and the mesh; the three
// property lines; the animation; then the material reference or the wireframe colour.
inline constexpr FieldLine<GeomObject> kObjectLines[] = {
    field<&GeomObject::name>(kNodeNameLine),
    field<&GeomObject::parentName>(kNodeParentLine),
    field<&GeomObject::motionBlur>("*PROP_MOTIONBLUR"),
    field<&GeomObject::castShadow>("*PROP_CASTSHADOW"),
    field<&GeomObject::receiveShadow>("*PROP_RECVSHADOW"),
    {"*MATERIAL_REF", parseMaterialRef},
    field<&GeomObject::wireframeColor>("*WIREFRAME_COLOR"),
};
constexpr std::size_t kObjectProperties = 2, kObjectMaterial = 5;

// The count lines of a mesh, each before its list: the time and the vertex and face counts, then
// the texture counts, then the colour counts (the colour face count lies beyond the layout).
inline constexpr FieldLine<GeomObject> kMeshLines[] = {
    field<&GeomObject::meshTime>(kTimeLine),
    field<&GeomObject::vertexCount>("*MESH_NUMVERTEX"),
    field<&GeomObject::faceCount>("*MESH_NUMFACES"),
    field<&GeomObject::texVertexCount>("*MESH_NUMTVERTEX"),
    field<&GeomObject::texFaceCount>("*MESH_NUMTVFACES"),
    field<&GeomObject::colorVertexCount>("*MESH_NUMCVERTEX"),
    field<&GeomObject::colorFaceCount>("*MESH_NUMCVFACES"),
};
constexpr std::size_t kMeshTexVertexCount = 3, kMeshTexFaceCount = 4, kMeshColorCount = 5,
                      kMeshColorFaceCount = 6;

inline constexpr FieldLine<MeshFrame> kFrameLines[] = {
    field<&MeshFrame::time>(kTimeLine),
    field<&MeshFrame::vertexCount>("*MESH_NUMVERTEX"),
    field<&MeshFrame::faceCount>("*MESH_NUMFACES"),
    field<&MeshFrame::texVertexCount>("*MESH_NUMTVERTEX"),
    field<&MeshFrame::colorVertexCount>("*MESH_NUMCVERTEX"),
};
constexpr std::size_t kFrameTexCount = 3, kFrameColorCount = 4;

inline constexpr ListBlock<D3DVECTOR> kVertexList{"*MESH_VERTEX_LIST", "*MESH_VERTEX",
                                                  parseMeshVertex};
inline constexpr ListBlock<MeshFace> kFaceList{"*MESH_FACE_LIST", "*MESH_FACE", parseFace};
inline constexpr ListBlock<TexVertex> kTexVertexList{"*MESH_TVERTLIST", "*MESH_TVERT",
                                                     parseTexVertex};
inline constexpr ListBlock<TexFace> kTexFaceList{"*MESH_TFACELIST", "*MESH_TFACE", parseTexFace};
inline constexpr ListBlock<D3DVECTOR> kColorVertexList{"*MESH_CVERTLIST", "*MESH_VERTCOL",
                                                       parseMeshVertex};
inline constexpr ListBlock<TexFace> kColorFaceList{"*MESH_CFACELIST", "*MESH_CFACE", parseTexFace};

// The name and type, the node transforms, these six lines, then the settings. Lights of the
// layout have no parent line.
inline constexpr FieldLine<LightObject> kLightLines[] = {
    field<&LightObject::name>(kNodeNameLine),
    field<&LightObject::lightType>("*LIGHT_TYPE"),
    field<&LightObject::shadows>("*LIGHT_SHADOWS"),
    field<&LightObject::useLight>("*LIGHT_USELIGHT"),
    field<&LightObject::spotShape>("*LIGHT_SPOTSHAPE"),
    field<&LightObject::useGlobal>("*LIGHT_USEGLOBAL"),
    field<&LightObject::absMapBias>("*LIGHT_ABSMAPBIAS"),
    field<&LightObject::overshoot>("*LIGHT_OVERSHOOT"),
    field<&LightObject::parentName>(kNodeParentLine),
};
constexpr std::size_t kLightShadows = 2, kLightParent = 8;
constexpr std::string_view kOmniLight = "Omni";
constexpr std::string_view kTargetLight = "Target";

// Only "Target" lights have the hot spot and fall-off lines, and only "Omni" and "Target" lights
// keep their settings.
inline constexpr FieldLine<LightObject> kLightSettingLines[] = {
    field<&LightObject::time>(kTimeLine),
    field<&LightObject::color>("*LIGHT_COLOR"),
    field<&LightObject::intensity>("*LIGHT_INTENS"),
    field<&LightObject::aspect>("*LIGHT_ASPECT"),
    field<&LightObject::hotspot>("*LIGHT_HOTSPOT"),
    field<&LightObject::falloff>("*LIGHT_FALLOFF"),
    field<&LightObject::targetDistance>("*LIGHT_TDIST"),
    field<&LightObject::mapBias>("*LIGHT_MAPBIAS"),
    field<&LightObject::mapRange>("*LIGHT_MAPRANGE"),
    field<&LightObject::mapSize>("*LIGHT_MAPSIZE"),
    field<&LightObject::rayBias>("*LIGHT_RAYBIAS"),
};
constexpr std::size_t kLightSpotLines = 4;  // the hot spot and fall-off lines start here

// The name and type, the node transforms, then the settings. Cameras of the layout have no parent
// line.
inline constexpr FieldLine<CameraObject> kCameraLines[] = {
    field<&CameraObject::name>(kNodeNameLine),
    field<&CameraObject::cameraType>("*CAMERA_TYPE"),
    field<&CameraObject::parentName>(kNodeParentLine),
};
constexpr std::size_t kCameraParent = 2;

inline constexpr FieldLine<CameraObject> kCameraSettingLines[] = {
    field<&CameraObject::time>(kTimeLine),
    field<&CameraObject::nearClip>("*CAMERA_NEAR"),
    field<&CameraObject::farClip>("*CAMERA_FAR"),
    field<&CameraObject::fov>("*CAMERA_FOV"),
    field<&CameraObject::targetDistance>("*CAMERA_TDIST"),
};

inline constexpr FieldLine<HelperObject> kHelperLines[] = {
    field<&HelperObject::name>(kNodeNameLine),
    field<&HelperObject::parentName>(kNodeParentLine),
    field<&HelperObject::helperClass>("*HELPER_CLASS"),
};

// Whether exporters write blocks of this keyword: the ones the records take and the ones the
// reading by keywords knows to skip (other maps, mapping channels, shapes, ...).
bool isKnownBlock(std::string_view keyword);
