#include "ase/format.h"

bool isKnownBlock(std::string_view keyword) {
    static constexpr std::string_view kBlocks[] = {kSceneBlock,
                                                   kMaterialListBlock,
                                                   kMaterialBlock,
                                                   kSubMaterialBlock,
                                                   kGeomObjectBlock,
                                                   kLightObjectBlock,
                                                   kCameraObjectBlock,
                                                   kHelperObjectBlock,
                                                   "*SHAPEOBJECT",
                                                   kGroupBlock,
                                                   kNodeTmBlock,
                                                   kMeshBlock,
                                                   kVertexList.keyword,
                                                   kFaceList.keyword,
                                                   kTexVertexList.keyword,
                                                   kTexFaceList.keyword,
                                                   kColorVertexList.keyword,
                                                   kColorFaceList.keyword,
                                                   kNormalsBlock,
                                                   "*MESH_MAPPINGCHANNEL",
                                                   "*MESH_FACEMAPLIST",
                                                   kMeshAnimationBlock,
                                                   kAnimationBlock,
                                                   kLightSettingsBlock,
                                                   "*LIGHT_ANIMATION",
                                                   kCameraSettingsBlock,
                                                   "*CAMERA_ANIMATION",
                                                   "*SHAPE_LINE",
                                                   "*SCENE_ENVMAP"};
    // Maps, controllers and skin data come in many kinds, all named by these prefixes.
    static constexpr std::string_view kPrefixes[] = {"*MAP_", "*CONTROL_", "*MESH_BONE"};
    for (std::string_view block : kBlocks) {
        if (keyword == block) return true;
    }
    for (std::string_view prefix : kPrefixes) {
        if (keyword.substr(0, prefix.size()) == prefix) return true;
    }
    return false;
}
